// The UI toolkit's elements and windows. Every window and control is an
// element with a unique name, kept in one creation-ordered list that is also
// the order of updating and drawing. Elements draw nothing directly: each
// frame tick the UI pass lets them react to the mouse and record their
// drawing into the draw list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "res/fixed_list.h"

using UiProc = void (*)();

class ielement {
 public:
  ielement(std::string name, float x, float y, float w, float h, std::string text, bool visible);
  virtual ~ielement() = default;
  ielement(const ielement&) = delete;
  ielement& operator=(const ielement&) = delete;

  // Called once per UI pass while the element is active; calls on_update.
  virtual void update();

  bool is_child = true;
  std::string name;
  int parent = 0;  // index of the owning window in gui_elements
  bool visible = false;
  // Buttons: the mouse is over it. Windows: shown but the opening sound has
  // not played yet. Bars: a drag is under way.
  bool hover = false;
  float x = 0.0f, y = 0.0f, w = 0.0f, h = 0.0f;  // controls: relative to their window
  std::string text;
  bool modal = false;
  bool disabled = false;
  bool hide_graphic = false;
  std::string graphic;
  std::string graphic2;
  std::string graphic3;
  uint32_t graphic_color = 0xFFFFFF;  // buttons: the tint of the face (white leaves it as painted)
  float glow = 0.0f;
  int dim = 0;
  float value = 0.0f;
  uint32_t text_color = 0xFFFFFF;
  std::string font = "ui_font";
  float text_scale = 1.0f;
  bool checked = false;
  TF_list items;
  int selected = 0;
  int caption_dy = 0;
  std::string sound_click = "ui_click";
  std::string sound_over = "ui_over";
  std::string sound_open = "ui_window";
  bool filter = false;
  UiProc on_click = nullptr;
  UiProc on_update = nullptr;
  // Buttons: drawn over the face, under the caption (the hint's recharge veil).
  UiProc on_face = nullptr;
};

class iwindow : public ielement {
 public:
  iwindow(std::string name, float x, float y, float w, float h, std::string text, bool visible);
  // Dims the screen, runs the window procedure, plays the opening sound
  // once and records the background and the caption.
  void update() override;
};

// --- The element list -------------------------------------------------------------

// Appends an element; returns its index.
int gui_add(std::unique_ptr<ielement> element);
std::size_t gui_count();
ielement& gui_at(int index);
// Index of the last element of that name; 0 (the first element) when none.
int gui_find(std::string_view name);
// The element of that name, or nullptr.
ielement* gui_get(std::string_view name);
// The window appended last becomes the parent of the controls created next.
void gui_set_parent();
// The UI pass: finds the modal window, updates windows and the controls of
// visible windows in list order, then forgets the focus name.
void gui_update();
// The same pass in parts, for a caller that runs a step of its own at one
// element's turn: begin, the elements [first, last) in list order, end.
void gui_begin_pass();
void gui_update_range(std::size_t first, std::size_t last);
void gui_end_pass();
// Forgets every element (tests boot the game more than once).
void gui_reset();

// Whether the named window exists and is visible.
bool WindowVisible(const char* name);
void ShowWindow(const char* name, bool visible);
// The message window "wnd_msg" with the text of the string key.
void ShowMessageBox(std::string_view key);

// Index of the modal window that takes input this pass, or -1.
extern int gui_modal;
// Whether the mouse is over an active button this pass.
extern bool gui_hover;
// One button that stays active while a modal window is up; cleared each pass.
extern std::string gui_focus_name;
// Set while the pause window is up (and by close-ups and puzzles): mouse
// hit tests then fail.
extern bool scene_blocked;

// The mouse lies strictly inside the rectangle, and nothing blocks the scene.
bool mouse_in_rect(float x, float y, float w, float h);
// Whether a control may take mouse input: not disabled, and no modal window
// or its own window is the modal one; a button also when it is the focus name.
bool gui_takes_input(const ielement& control, bool is_button);
