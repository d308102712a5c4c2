// Input flags: key arming, click arming, text input editing.
#include "engine/input.h"

#include "engine/utf8.h"

InputState::InputState() {
  key_armed.fill(true);
  button_armed.fill(true);
}

namespace {


void SetKeyDown(InputState& s, int code) {
  s.key_down[code] = true;
  s.key_up[code] = false;
  if (s.key_armed[code]) {
    s.key_pressed[code] = true;
    s.key_armed[code] = false;
  }
}

void SetKeyUp(InputState& s, int code) {
  s.key_down[code] = false;
  s.key_up[code] = true;
}

void ApplyChar(InputState& s, uint32_t codepoint) {
  if (!s.text_active) return;
  switch (codepoint) {
    case 8:
      Utf8RemoveLast(s.text);
      return;
    case 9:  // a tab becomes two blanks
      s.text += "  ";
      return;
    case 13:
    case 10:
      return;
    default:
      break;
  }
  if (codepoint < 32 || codepoint == 127) return;
  if (s.text_max_length >= 0 && Utf8Length(s.text) >= s.text_max_length) return;
  Utf8Append(s.text, codepoint);
}

}  // namespace

void InputApply(InputState& s, const InputEvent& e) {
  switch (e.type) {
    case InputEvent::Type::KeyDown: {
      if (e.code <= 0 || e.code >= key::kCount) return;
      SetKeyDown(s, e.code);
      if (int combined = CombinedKeyCode(e.code)) SetKeyDown(s, combined);
      s.last_key_down = e.code;
      return;
    }
    case InputEvent::Type::KeyUp: {
      if (e.code <= 0 || e.code >= key::kCount) return;
      SetKeyUp(s, e.code);
      if (int combined = CombinedKeyCode(e.code)) SetKeyUp(s, combined);
      s.last_key_up = e.code;
      return;
    }
    case InputEvent::Type::Char:
      ApplyChar(s, e.codepoint);
      return;
    case InputEvent::Type::ButtonDown: {
      if (e.code < 0 || e.code >= kMouseButtons) return;
      const auto b = static_cast<std::size_t>(e.code);
      s.button_down[b] = true;
      if (s.button_armed[b]) {
        s.button_clicked[b] = true;
        s.button_armed[b] = false;
      }
      if (e.double_click) s.button_double[b] = true;
      return;
    }
    case InputEvent::Type::ButtonUp: {
      if (e.code < 0 || e.code >= kMouseButtons) return;
      const auto b = static_cast<std::size_t>(e.code);
      s.button_down[b] = false;
      s.button_up[b] = true;
      s.button_armed[b] = true;
      return;
    }
    case InputEvent::Type::Wheel:
      if (e.wheel > 0) s.wheel_up = true;
      if (e.wheel < 0) s.wheel_down = true;
      return;
    case InputEvent::Type::MouseMove:
      return;  // the loop converts the cursor position itself
  }
}

void InputClearMouse(InputState& s) {
  s.button_up.fill(false);
  s.button_clicked.fill(false);
  s.button_double.fill(false);
  s.button_armed.fill(true);
  s.wheel_up = false;
  s.wheel_down = false;
}

void InputClearKeys(InputState& s) {
  s.key_up.fill(false);
  s.key_pressed.fill(false);
  s.key_armed.fill(true);
  s.last_key_down = 0;
  s.last_key_up = 0;
}

void InputReleaseAll(InputState& s) {
  s.key_down.fill(false);
  s.button_down.fill(false);
}
