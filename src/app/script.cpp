// Automation scripts: one command a line, checked in full before the game runs.
#include "app/script.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "engine/keys.h"
#include "engine/utf8.h"

namespace {

using Kind = ScriptCommand::Kind;
using Op = Expectation::Op;

constexpr std::string_view kBlanks = " \t";

struct CommandName {
  std::string_view word;
  Kind kind;
};

constexpr std::array<CommandName, 16> kCommands{{
    {"tick", Kind::Tick},       {"move", Kind::Move},       {"click", Kind::Click},
    {"rclick", Kind::RClick},   {"press", Kind::Press},     {"release", Kind::Release},
    {"key", Kind::Key},         {"hold", Kind::Hold},       {"unhold", Kind::Unhold},
    {"type", Kind::Type},       {"focus", Kind::Focus},     {"screenshot", Kind::Screenshot},
    {"dump", Kind::Dump},       {"expect", Kind::Expect},   {"quit", Kind::Quit},
    {"wheel", Kind::Wheel},
}};

struct OpName {
  std::string_view word;
  Op op;
};

constexpr std::array<OpName, 10> kOps{{
    {"==", Op::Equal},     {"!=", Op::NotEqual},      {"<", Op::Less},
    {"<=", Op::LessEqual}, {">", Op::Greater},        {">=", Op::GreaterEqual},
    {"contains", Op::Contains}, {"!contains", Op::NotContains},
    {"exists", Op::Exists}, {"missing", Op::Missing},
}};

std::string_view WordOf(Op op) {
  for (const OpName& o : kOps)
    if (o.op == op) return o.word;
  return "?";
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

std::string_view CutComment(std::string_view s) { return s.substr(0, s.find('#')); }

// Cuts at the first '#' outside a double-quoted JSON string.
std::string_view CutCommentOutsideQuotes(std::string_view s) {
  bool quoted = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (quoted && s[i] == '\\') {
      ++i;
    } else if (s[i] == '"') {
      quoted = !quoted;
    } else if (!quoted && s[i] == '#') {
      return s.substr(0, i);
    }
  }
  return s;
}

std::vector<std::string_view> SplitBlanks(std::string_view s) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < s.size()) {
    if (IsBlank(s[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < s.size() && !IsBlank(s[end])) ++end;
    words.push_back(s.substr(i, end - i));
    i = end;
  }
  return words;
}

// A piece of the script quoted for a message, shortened when long.
std::string Quoted(std::string_view s) {
  constexpr std::size_t kShown = 40;
  if (s.size() <= kShown) return JsonValue(s).Serialize(0);
  std::size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  std::string shown = JsonValue(s.substr(0, cut)).Serialize(0);
  shown.insert(shown.size() - 1, "...");
  return shown;
}

// A value of the dump as a message shows it: compact, and cut when long.
std::string Shown(const JsonValue& v) {
  constexpr std::size_t kShown = 160;
  std::string text = v.Serialize(0);
  if (text.size() <= kShown) return text;
  std::size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  text.resize(cut);
  text += "...";
  return text;
}

bool HasControlCharacter(std::string_view s) {
  for (const char c : s)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
}

// --- Arguments ---------------------------------------------------------------

// Parses one line into cmd; false with *error set when it is malformed.
class LineParser {
 public:
  LineParser(ScriptCommand* cmd, std::string* error) : cmd_(cmd), error_(error) {}

  bool Parse(std::string_view line) {
    const std::size_t word_end = line.find_first_of(" \t#");
    const std::string_view word = line.substr(0, word_end);
    const std::string_view rest = word_end == std::string_view::npos ? std::string_view{} : line.substr(word_end);
    const CommandName* found = nullptr;
    for (const CommandName& c : kCommands)
      if (c.word == word) found = &c;
    if (!found) return Fail("unknown command " + Quoted(word));
    cmd_->kind = found->kind;
    word_ = found->word;

    switch (cmd_->kind) {
      case Kind::Type: return ParseType(rest);
      case Kind::Expect: return ParseExpect(Trim(CutCommentOutsideQuotes(rest)));
      case Kind::Screenshot: return ParsePath(Trim(CutComment(rest)), ".png");
      case Kind::Dump: return ParsePath(Trim(CutComment(rest)), ".json");
      default: break;
    }
    const std::vector<std::string_view> args = SplitBlanks(CutComment(rest));
    switch (cmd_->kind) {
      case Kind::Tick: return ParseTick(args);
      case Kind::Move:
      case Kind::Click:
      case Kind::RClick:
      case Kind::Press:
      case Kind::Release: return ParsePlace(args);
      case Kind::Key: return ParseKeys(args, true);
      case Kind::Hold:
      case Kind::Unhold: return ParseKeys(args, false);
      case Kind::Focus: return ParseFocus(args);
      case Kind::Wheel: return ParseWheel(args);
      case Kind::Quit: return args.empty() || Fail("quit takes nothing after it");
      default: return Fail("unknown command " + Quoted(word));
    }
  }

 private:
  bool Fail(std::string message) {
    *error_ = std::move(message);
    return false;
  }

  std::string Word() const { return std::string(word_); }

  bool ParseTick(const std::vector<std::string_view>& args) {
    const std::string need = "tick needs one whole number from 0 to " + std::to_string(kScriptMaxTicks);
    if (args.size() != 1) return Fail(need);
    const std::string_view n = args[0];
    if (n.empty() || n.find_first_not_of("0123456789") != std::string_view::npos)
      return Fail(need + ", not " + Quoted(n));
    int64_t count = 0;
    const std::from_chars_result r = std::from_chars(n.data(), n.data() + n.size(), count);
    if (r.ec != std::errc() || count > kScriptMaxTicks) return Fail(need + ", not " + Quoted(n));
    cmd_->count = count;
    return true;
  }

  bool ParseCoordinate(std::string_view s, float* out) {
    double v = 0.0;
    const std::from_chars_result r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v) ||
        std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max()))
      return Fail(Word() + ": " + Quoted(s) + " is not a coordinate (a finite number)");
    *out = static_cast<float>(v);
    return true;
  }

  bool ParsePlace(const std::vector<std::string_view>& args) {
    if (args.size() != 2) return Fail(Word() + " needs two coordinates, X and Y");
    return ParseCoordinate(args[0], &cmd_->x) && ParseCoordinate(args[1], &cmd_->y);
  }

  bool ParseKeys(const std::vector<std::string_view>& args, bool chord_allowed) {
    if (args.size() != 1)
      return Fail(Word() + (chord_allowed ? " needs one key name or a chord such as ctrl+s"
                                          : " needs one key name"));
    std::string_view names = args[0];
    if (!chord_allowed && names.find('+') != std::string_view::npos)
      return Fail(Word() + " takes one key, not a chord");
    for (;;) {
      const std::size_t plus = names.find('+');
      const std::string_view name = names.substr(0, plus);
      const int code = KeyCodeFromName(name);
      if (code < 0) return Fail(Word() + ": unknown key " + Quoted(name));
      for (const int earlier : cmd_->keys) {
        if (CombinedKeyCode(earlier) == 0)
          return Fail(Word() + ": only Shift, Ctrl, Alt and Windows may come before the last key of " +
                      Quoted(args[0]));
        if (earlier == code) return Fail(Word() + ": " + Quoted(args[0]) + " names a key twice");
      }
      cmd_->keys.push_back(code);
      if (plus == std::string_view::npos) return true;
      names.remove_prefix(plus + 1);
    }
  }

  bool ParseFocus(const std::vector<std::string_view>& args) {
    if (args.size() == 1 && (args[0] == "lost" || args[0] == "gained")) {
      cmd_->gained = args[0] == "gained";
      return true;
    }
    return Fail("focus needs \"lost\" or \"gained\"");
  }

  bool ParseWheel(const std::vector<std::string_view>& args) {
    if (args.size() == 1 && (args[0] == "up" || args[0] == "down")) {
      cmd_->wheel = args[0] == "up" ? 1 : -1;
      return true;
    }
    return Fail("wheel needs \"up\" or \"down\"");
  }

  bool ParsePath(std::string_view path, std::string_view extension) {
    const std::string need = Word() + " needs a file name ending in " + std::string(extension);
    if (path.size() <= extension.size()) return Fail(need);
    const std::string_view tail = path.substr(path.size() - extension.size());
    for (std::size_t i = 0; i < tail.size(); ++i) {
      const char c = static_cast<char>(tail[i] >= 'A' && tail[i] <= 'Z' ? tail[i] - 'A' + 'a' : tail[i]);
      if (c != extension[i]) return Fail(need + ", not " + Quoted(path));
    }
    if (HasControlCharacter(path)) return Fail(Word() + ": the file name holds a control character");
    cmd_->text = std::string(path);
    return true;
  }

  // rest begins at the blank after "type" (or is empty, or a comment).
  bool ParseType(std::string_view rest) {
    if (rest.empty() || rest[0] == '#') return Fail("type needs text");
    std::string_view text = rest.substr(1);  // after exactly one blank
    std::string typed;
    if (!text.empty() && text[0] == '"') {
      std::size_t i = 1;
      for (;; ++i) {
        if (i >= text.size()) return Fail("type: the quoted text has no closing quote");
        if (text[i] == '"') break;
        if (text[i] == '\\') {
          ++i;
          if (i >= text.size() || (text[i] != '"' && text[i] != '\\'))
            return Fail("type: only \\\" and \\\\ may follow a backslash in quoted text");
        }
        typed += text[i];
      }
      if (!Trim(CutComment(text.substr(i + 1))).empty())
        return Fail("type: nothing but a comment may follow the quoted text");
    } else {
      typed = std::string(CutComment(text));
      while (!typed.empty() && IsBlank(typed.back())) typed.pop_back();
    }
    if (typed.empty()) return Fail("type needs text");
    if (HasControlCharacter(typed)) return Fail("type: the text holds a control character (use key)");
    cmd_->text = std::move(typed);
    return true;
  }

  static bool IsPathStep(std::string_view step) {
    if (step.empty()) return false;
    for (const char c : step) {
      const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '-';
      if (!ok) return false;
    }
    return true;
  }

  static bool IsPath(std::string_view path) {
    for (;;) {
      const std::size_t dot = path.find('.');
      if (!IsPathStep(path.substr(0, dot))) return false;
      if (dot == std::string_view::npos) return true;
      path.remove_prefix(dot + 1);
    }
  }

  // A word written without quotes stands for a string: expect player == Ann.
  // Whatever looks like a mistyped number or a quote is refused instead.
  static bool IsBareWord(std::string_view s) {
    if (s.empty() || s.find_first_of(" \t\"") != std::string_view::npos) return false;
    return std::string_view("[{-+.'0123456789").find(s[0]) == std::string_view::npos;
  }

  bool ParseExpect(std::string_view rest) {
    constexpr std::string_view kForm = "expect needs PATH OPERATOR VALUE, or PATH exists / PATH missing";
    const std::size_t path_end = rest.find_first_of(kBlanks);
    const std::string_view path = rest.substr(0, path_end);
    if (path.empty()) return Fail(std::string(kForm));
    if (!IsPath(path))
      return Fail("expect: " + Quoted(path) +
                  " is not a path (names and indexes joined with dots; blanks around the operator)");
    rest = path_end == std::string_view::npos ? std::string_view{} : Trim(rest.substr(path_end));
    const std::size_t op_end = rest.find_first_of(kBlanks);
    const std::string_view op_word = rest.substr(0, op_end);
    if (op_word.empty()) return Fail(std::string(kForm));
    const OpName* op = nullptr;
    for (const OpName& o : kOps)
      if (o.word == op_word) op = &o;
    if (!op)
      return Fail("expect: unknown operator " + Quoted(op_word) +
                  " (==, !=, <, <=, >, >=, contains, !contains, exists, missing)");
    const std::string_view value = op_end == std::string_view::npos ? std::string_view{} : Trim(rest.substr(op_end));
    Expectation& e = cmd_->expect;
    e.path = std::string(path);
    e.op = op->op;
    if (e.op == Op::Exists || e.op == Op::Missing) {
      if (!value.empty()) return Fail("expect: " + std::string(op->word) + " takes no value");
      return true;
    }
    if (value.empty()) return Fail("expect: " + std::string(op->word) + " needs a value");
    if (std::optional<JsonValue> parsed = ParseJson(value)) {
      e.value = std::move(*parsed);
    } else if (IsBareWord(value)) {
      e.value = JsonValue(value);
    } else {
      return Fail("expect: " + Quoted(value) + " is not a value (a number, \"text\", true, false, null, [..], {..})");
    }
    const bool ordering = e.op == Op::Less || e.op == Op::LessEqual || e.op == Op::Greater ||
                          e.op == Op::GreaterEqual;
    if (ordering && !e.value.IsNumber())
      return Fail("expect: " + std::string(op->word) + " compares numbers, not " + Quoted(value));
    return true;
  }

  ScriptCommand* cmd_;
  std::string* error_;
  std::string_view word_;
};

// The value at the path, with a last step "length" of an array or a string
// standing for its size (held in *length).
const JsonValue* Resolve(const JsonValue& dump, std::string_view path, JsonValue* length) {
  if (const JsonValue* v = dump.Find(path)) return v;
  constexpr std::string_view kLength = "length";
  std::string_view parent_path;
  if (path == kLength) {
    parent_path = {};
  } else if (path.size() > kLength.size() && path.ends_with(kLength) &&
             path[path.size() - kLength.size() - 1] == '.') {
    parent_path = path.substr(0, path.size() - kLength.size() - 1);
  } else {
    return nullptr;
  }
  const JsonValue* parent = dump.Find(parent_path);
  if (!parent) return nullptr;
  if (parent->IsArray()) {
    *length = JsonValue(parent->AsArray().size());
  } else if (parent->IsString()) {
    *length = JsonValue(Utf8Length(parent->AsString()));
  } else {
    return nullptr;
  }
  return length;
}

bool Contains(const JsonValue& whole, const JsonValue& part) {
  if (whole.IsArray()) {
    for (const JsonValue& item : whole.AsArray())
      if (item == part) return true;
    return false;
  }
  return whole.AsString().find(part.AsString()) != std::string::npos;
}

}  // namespace

ScriptParseResult ParseScript(std::string_view text) {
  ScriptParseResult result;
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());

  const auto fail = [&result](std::size_t line, const std::string& message) {
    result.commands.clear();
    result.ok = false;
    result.error_line = static_cast<int>(line);
    result.error = "line " + std::to_string(line) + ": " + message;
    return result;
  };

  std::size_t line_number = 0;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    ++line_number;
    if (line_number > kScriptMaxLines)
      return fail(line_number, "the script has more than " + std::to_string(kScriptMaxLines) + " lines");
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.size() > kScriptMaxLineBytes)
      return fail(line_number, "the line is longer than " + std::to_string(kScriptMaxLineBytes) + " bytes");
    if (!IsValidUtf8(line)) return fail(line_number, "the line is not UTF-8 text");
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;

    ScriptCommand cmd;
    cmd.line = static_cast<int>(line_number);
    cmd.source = std::string(line);
    std::string error;
    if (!LineParser(&cmd, &error).Parse(line)) return fail(line_number, error);
    result.commands.push_back(std::move(cmd));
  }
  result.ok = true;
  return result;
}

bool CheckExpectation(const JsonValue& dump, const Expectation& e, std::string* why) {
  JsonValue length;
  const JsonValue* actual = Resolve(dump, e.path, &length);
  const auto fail = [why](std::string message) {
    if (why) *why = std::move(message);
    return false;
  };

  if (e.op == Op::Missing)
    return !actual || fail(e.path + " is " + Shown(*actual) + ", expected to be missing");
  if (e.op == Op::Exists) return actual || fail(e.path + " is missing, expected to exist");

  const std::string expected = "expected " + std::string(WordOf(e.op)) + " " + Shown(e.value);
  if (!actual) return fail(e.path + " is missing, " + expected);

  bool met = false;
  const bool numbers = actual->IsNumber() && e.value.IsNumber();
  const double a = actual->AsNumber();
  const double b = e.value.AsNumber();
  const bool searchable = actual->IsArray() || (actual->IsString() && e.value.IsString());
  switch (e.op) {
    case Op::Equal: met = *actual == e.value; break;
    case Op::NotEqual: met = !(*actual == e.value); break;
    case Op::Less: met = numbers && a < b; break;
    case Op::LessEqual: met = numbers && a <= b; break;
    case Op::Greater: met = numbers && a > b; break;
    case Op::GreaterEqual: met = numbers && a >= b; break;
    case Op::Contains: met = searchable && Contains(*actual, e.value); break;
    case Op::NotContains: met = searchable && !Contains(*actual, e.value); break;
    case Op::Exists:
    case Op::Missing: break;
  }
  return met || fail(e.path + " is " + Shown(*actual) + ", " + expected);
}
