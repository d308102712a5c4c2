// Keyboard, mouse and text input as the game sees it: flags gathered by the
// window code between two clears. A press and a click are each seen once:
// they arm again only after a release or a clear.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/keys.h"

// One platform event, already mapped to the game's codes. The window code and
// the automation script both feed the engine through this record.
struct InputEvent {
  enum class Type {
    KeyDown,     // code; system = true when Alt is held (the platform's system key)
    KeyUp,       // code
    Char,        // codepoint, only while text input is active; 8, 9, 13 are edits
    MouseMove,   // x, y in window pixels
    ButtonDown,  // code 0 left, 1 middle, 2 right; double_click
    ButtonUp,    // code
    Wheel,       // wheel > 0 up, < 0 down
  };
  Type type = Type::KeyDown;
  int code = 0;
  bool system = false;
  bool double_click = false;
  uint32_t codepoint = 0;
  int x = 0;
  int y = 0;
  int wheel = 0;
};

inline constexpr int kMouseButtons = 3;
// The button codes of ButtonDown, ButtonUp and the mouse queries.
inline constexpr int kMouseLeft = 0;
inline constexpr int kMouseMiddle = 1;
inline constexpr int kMouseRight = 2;

struct InputState {
  std::array<bool, key::kCount> key_down{};
  std::array<bool, key::kCount> key_up{};
  std::array<bool, key::kCount> key_pressed{};
  std::array<bool, key::kCount> key_armed{};
  int last_key_down = 0;
  int last_key_up = 0;

  float mouse_x = 0.0f;  // logical units
  float mouse_y = 0.0f;
  float mouse_centre_dx = 0.0f;  // offset from the logical screen centre
  float mouse_centre_dy = 0.0f;
  std::array<bool, kMouseButtons> button_down{};
  std::array<bool, kMouseButtons> button_up{};
  std::array<bool, kMouseButtons> button_clicked{};
  std::array<bool, kMouseButtons> button_armed{};
  std::array<bool, kMouseButtons> button_double{};
  bool wheel_up = false;
  bool wheel_down = false;

  bool text_active = false;
  int text_max_length = -1;  // in characters; -1 is unlimited
  std::string text;          // UTF-8

  InputState();
};

// Applies one key, character or mouse event to the state. Codes outside the
// key table and buttons beyond the third are dropped here.
void InputApply(InputState& state, const InputEvent& event);
// Up, clicked, double-clicked and wheel flags false, every button armed again.
void InputClearMouse(InputState& state);
// Up and pressed flags false, every key armed again, last keys cleared.
void InputClearKeys(InputState& state);
// Down flags false (used when the window regains focus).
void InputReleaseAll(InputState& state);
