// The controls placed on windows: buttons, one-line and wrapped texts, the
// volume sliders, check boxes, the player list and the one-line text entry.
// Each is an element whose update reacts to the mouse (or the typed text)
// and records its drawing; positions are relative to the parent window.
#pragma once

#include <string>

#include "ui/gui.h"

// A clickable image or caption; a text-only button glows while hovered.
class ibutton : public ielement {
 public:
  using ielement::ielement;
  void update() override;
};

// One line of text centred on the middle of the rectangle's left edge.
class itext : public ielement {
 public:
  using ielement::ielement;
  void update() override;
};

// Text wrapped and centred in the rectangle.
class imemo : public ielement {
 public:
  using ielement::ielement;
  void update() override;
};

// A horizontal slider; `value` is the knob's place in pixels from the left
// end, 0 … w, and on_click runs when the knob is let go.
class ibar : public ielement {
 public:
  using ielement::ielement;
  void update() override;
};

// A check box with its label, centred on its x; sizes itself to the label.
class icheck : public ielement {
 public:
  using ielement::ielement;
  void update() override;
};

// Lines of `items`, one a font height, with the `selected` one highlighted.
class ilist : public ielement {
 public:
  using ielement::ielement;
  void update() override;
};

// A one-line entry over the engine's typed-text buffer.
class iedit : public ielement {
 public:
  using ielement::ielement;
  void update() override;
};

// The caret's blink clock, shared by every edit; it grows by 0.05 a tick.
float gui_caret_clock();
// Starts the caret's blink over (with the element list's reset).
void gui_controls_reset();

// Creates a button with its caption, skin and click procedure, appends it to
// the element list (its window is the current parent) and returns it.
ibutton& gui_add_button(const char* name, float x, float y, float w, float h,
                        std::string caption, const char* skin, UiProc click);
