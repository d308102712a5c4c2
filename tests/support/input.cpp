// Input for tests, through the engine's one entry for platform events.
#include "support/input.h"

#include <cstdio>

#include "engine/engine.h"
#include "engine/keys.h"

namespace {

struct Recorder {
  bool on = false;
  std::string script;
  long pending_ticks = 0;  // passes not yet written
};

Recorder g_recorder;

void FlushTicks() {
  if (g_recorder.pending_ticks == 0) return;
  g_recorder.script += "tick " + std::to_string(g_recorder.pending_ticks) + "\n";
  g_recorder.pending_ticks = 0;
}

// A line of the script; the command's own pass (of a click or a key) is in it.
void Record(const std::string& line) {
  if (!g_recorder.on) return;
  FlushTicks();
  g_recorder.script += line;
  g_recorder.script += '\n';
}

// Places as the automation script reads them back exactly: plain decimals.
std::string Place(const char* command, float x, float y) {
  char text[96];
  std::snprintf(text, sizeof text, "%s %.9g %.9g", command, static_cast<double>(x),
                static_cast<double>(y));
  return text;
}

void Steps(int n) {
  for (int i = 0; i < n && EngineRunning(); ++i) EngineStep();
}

void Send(InputEvent::Type type, int code) {
  InputEvent event;
  event.type = type;
  event.code = code;
  EngineHandleInput(event);
}

}  // namespace

void GameSteps(int n) {
  if (g_recorder.on && n > 0) g_recorder.pending_ticks += n;
  Steps(n);
}

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
  if (g_recorder.on && !text.empty()) {
    std::string quoted = "type \"";
    for (char c : text) {
      if (c == '"' || c == '\\') quoted += '\\';
      quoted += c;
    }
    Record(quoted + "\"");
  }
  for (char c : text) {
    InputEvent event;
    event.type = InputEvent::Type::Char;
    event.codepoint = static_cast<unsigned char>(c);
    EngineHandleInput(event);
  }
}

void ClickAt(float x, float y, int button) {
  Record(Place(button == kMouseLeft ? "click" : "rclick", x, y));
  EngineSetCursorLogical(x, y);
  SendButtonDown(button);
  Steps(1);
  SendButtonUp(button);
}

void TapKey(int code) {
  Record("key " + std::string(KeyNameFromCode(code)));
  SendKeyDown(code);
  Steps(1);
  SendKeyUp(code);
}

void MoveMouse(float x, float y) {
  Record(Place("move", x, y));
  EngineSetCursorLogical(x, y);
}

void PressAt(float x, float y) {
  Record(Place("press", x, y));
  EngineSetCursorLogical(x, y);
  SendButtonDown(kMouseLeft);
}

void ReleaseAt(float x, float y) {
  Record(Place("release", x, y));
  EngineSetCursorLogical(x, y);
  SendButtonUp(kMouseLeft);
}

void StartRecordingInput() { g_recorder = Recorder{true, {}, 0}; }

void RecordScriptLine(std::string_view line) { Record(std::string(line)); }

std::string StopRecordingInput() {
  FlushTicks();
  g_recorder.on = false;
  return std::move(g_recorder.script);
}
