// Input for tests, through the engine's one entry for platform events.
#include "support/input.h"

#include "engine/engine.h"

void GameSteps(int n) {
  for (int i = 0; i < n && EngineRunning(); ++i) EngineStep();
}

namespace {

void Send(InputEvent::Type type, int code) {
  InputEvent event;
  event.type = type;
  event.code = code;
  EngineHandleInput(event);
}

}  // namespace

void SendButtonDown(int button) { Send(InputEvent::Type::ButtonDown, button); }
void SendButtonUp(int button) { Send(InputEvent::Type::ButtonUp, button); }

void SendKeyDown(int code, bool system) {
  InputEvent event;
  event.type = InputEvent::Type::KeyDown;
  event.code = code;
  event.system = system;
  EngineHandleInput(event);
}

void SendKeyUp(int code) { Send(InputEvent::Type::KeyUp, code); }

void SendText(std::string_view text) {
  for (char c : text) {
    InputEvent event;
    event.type = InputEvent::Type::Char;
    event.codepoint = static_cast<unsigned char>(c);
    EngineHandleInput(event);
  }
}

void ClickAt(float x, float y, int button) {
  EngineSetCursorLogical(x, y);
  SendButtonDown(button);
  GameSteps(1);
  SendButtonUp(button);
}

void TapKey(int code) {
  SendKeyDown(code);
  GameSteps(1);
  SendKeyUp(code);
}
