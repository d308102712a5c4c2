// Runs an automation script against the real game, one engine pass per tick.
#include "app/automation.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/dump.h"
#include "app/script.h"
#include "app/shell.h"
#include "engine/engine.h"
#include "engine/keys.h"
#include "engine/utf8.h"

namespace {

struct Automation {
  std::string path;    // the script file
  std::string folder;  // relative paths in the script start here
  std::vector<ScriptCommand> commands;
};

Automation g_automation;

std::string Resolve(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  return g_automation.folder + path;
}

void Fail(const ScriptCommand& c, const std::string& why) {
  std::fprintf(stderr, "%s:%d: %s: %s\n", g_automation.path.c_str(), c.line, c.source.c_str(),
               why.c_str());
  Shell().exit_status = kExitExpectFailed;
}

void Button(int button, bool down) {
  InputEvent e;
  e.type = down ? InputEvent::Type::ButtonDown : InputEvent::Type::ButtonUp;
  e.code = button;
  EngineHandleInput(e);
}

void Key(int code, bool down) {
  InputEvent e;
  e.type = down ? InputEvent::Type::KeyDown : InputEvent::Type::KeyUp;
  e.code = code;
  e.system = down && KeyDown(key::kAnyAlt);
  EngineHandleInput(e);
}

void Char(uint32_t codepoint) {
  InputEvent e;
  e.type = InputEvent::Type::Char;
  e.codepoint = codepoint;
  EngineHandleInput(e);
}

void Ticks(int64_t count) {
  for (int64_t i = 0; i < count && EngineRunning(); ++i) EngineStep();
}

// A key tap as the window would deliver it: the chord goes down, one tick
// sees it, and it comes up again in reverse order.
void KeyChord(const std::vector<int>& keys) {
  for (int code : keys) {
    if (code == key::kF4 && KeyDown(key::kAnyAlt)) {
      EngineRequestClose();
      return;
    }
    Key(code, true);
    if (code == key::kBackspace) Char(8);
    if (code == key::kTab) Char(9);
    if (code == key::kEnter) Char(13);
  }
  Ticks(1);
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) Key(*it, false);
}

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return static_cast<bool>(out);
}

// Runs one command; false when the script must stop here.
bool Run(const ScriptCommand& c) {
  using Kind = ScriptCommand::Kind;
  switch (c.kind) {
    case Kind::Tick:
      Ticks(c.count);
      return true;
    case Kind::Move:
      EngineSetCursorLogical(c.x, c.y);
      return true;
    case Kind::Click:
    case Kind::RClick: {
      const int button = c.kind == Kind::Click ? 0 : 2;
      EngineSetCursorLogical(c.x, c.y);
      Button(button, true);
      Ticks(1);
      Button(button, false);
      return true;
    }
    case Kind::Press:
    case Kind::Release:
      EngineSetCursorLogical(c.x, c.y);
      Button(0, c.kind == Kind::Press);
      return true;
    case Kind::Key:
      KeyChord(c.keys);
      return true;
    case Kind::Hold:
    case Kind::Unhold:
      for (int code : c.keys) Key(code, c.kind == Kind::Hold);
      return true;
    case Kind::Type:
      for (std::size_t pos = 0; pos < c.text.size();) {
        const Utf8Step step = Utf8Decode(c.text, pos);
        Char(step.codepoint);
        pos = step.next;
      }
      return true;
    case Kind::Focus:
      EngineSetFocus(c.gained);
      return true;
    case Kind::Wheel: {
      InputEvent e;
      e.type = InputEvent::Type::Wheel;
      e.wheel = c.wheel;
      EngineHandleInput(e);
      Ticks(1);
      return true;
    }
    case Kind::Screenshot:
      EngineDrawFrame();
      if (!EngineSaveScreenshot(Resolve(c.text))) {
        Fail(c, "cannot write the screenshot " + Resolve(c.text));
        return false;
      }
      return true;
    case Kind::Dump:
      if (!WriteText(Resolve(c.text), BuildStateDump().Serialize(2) + "\n")) {
        Fail(c, "cannot write the dump " + Resolve(c.text));
        return false;
      }
      return true;
    case Kind::Expect: {
      std::string why;
      if (!CheckExpectation(BuildStateDump(), c.expect, &why)) {
        Fail(c, "expect failed: " + why);
        return false;
      }
      return true;
    }
    case Kind::Quit:
      return false;
  }
  return false;
}

}  // namespace

bool AutomationLoad(const std::string& path) {
  g_automation = Automation{};
  g_automation.path = path;
  const std::size_t slash = path.rfind('/');
  g_automation.folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "quillmoor: cannot read the script %s\n", path.c_str());
    return false;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  ScriptParseResult parsed = ParseScript(bytes.str());
  if (!parsed.ok) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), parsed.error.c_str());
    return false;
  }
  g_automation.commands = std::move(parsed.commands);
  return true;
}

void AutomationLoop() {
  for (const ScriptCommand& c : g_automation.commands) {
    if (!EngineRunning()) return;
    if (!Run(c)) break;
  }
  // The end of the script, a quit line or a failure: as the window's close box.
  EngineRequestClose();
  StopEngine();
}

void AutomationReset() { g_automation = Automation{}; }
