// The reader of automation scripts: turns a script's text into checked
// commands for the headless runner, and judges expect lines against a state
// dump. The whole script is read before the game runs a tick, so a mistake on
// line 300 never leaves a half-played run. Depends on the JSON value, the
// key names and UTF-8 stepping; knows nothing else of the engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/json.h"

// Bounds that keep a hostile or broken script from exhausting memory: a
// longer line, or more lines, make the script malformed.
inline constexpr std::size_t kScriptMaxLineBytes = 4096;
inline constexpr std::size_t kScriptMaxLines = 1000000;
// Most ticks one tick command may ask for (a little over 27 hours of play).
inline constexpr int64_t kScriptMaxTicks = 10000000;

// One expect line: the value at a path of the dump, an operator, and the value
// written in the script.
struct Expectation {
  enum class Op {
    Equal,         // ==  same JSON value (numbers as doubles, members in any order)
    NotEqual,      // !=
    Less,          // <   numbers only
    LessEqual,     // <=
    Greater,       // >
    GreaterEqual,  // >=
    Contains,      // an array holds an equal entry, or a string holds the text
    NotContains,   // !contains: an array or a string that does not
    Exists,        // the path leads to a value
    Missing,       // the path leads nowhere
  };
  // Dotted path into the dump ("desktop.0"). A last step "length" of an
  // array or a string stands for its number of entries or characters.
  std::string path;
  Op op = Op::Exists;
  JsonValue value;  // null for Exists and Missing
};

struct ScriptCommand {
  enum class Kind {
    Tick, Move, Click, RClick, Press, Release, Key, Hold, Unhold, Type, Focus, Wheel,
    Screenshot, Dump, Expect, Quit
  };
  Kind kind = Kind::Quit;
  int line = 0;        // 1-based line number in the script
  std::string source;  // the line as written, trimmed (comment included)
  int64_t count = 0;   // Tick: frame ticks to run
  float x = 0.0f;      // Move, Click, RClick, Press, Release: logical place
  float y = 0.0f;
  std::vector<int> keys;  // Key: the chord, modifiers first, main key last; Hold, Unhold: one key
  std::string text;       // Type: the characters; Screenshot, Dump: the path as written
  bool gained = false;    // Focus: gained (true) or lost
  int wheel = 0;          // Wheel: 1 up (away from the player), -1 down
  Expectation expect;     // Expect
};

struct ScriptParseResult {
  std::vector<ScriptCommand> commands;  // empty unless ok
  bool ok = false;
  int error_line = 0;  // 1-based; 0 when ok
  std::string error;   // e.g. "line 7: unknown command \"clik\""
};

// Reads a whole script from its bytes (UTF-8, LF or CR LF line ends). Stops at
// the first malformed line and reports it.
ScriptParseResult ParseScript(std::string_view text);

// True when the dump meets the expectation. Otherwise false, and why (when
// given) says what was found, e.g. "tick is 99, expected == 100".
bool CheckExpectation(const JsonValue& dump, const Expectation& e, std::string* why);
