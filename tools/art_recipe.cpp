// Reading recipes and evaluating their arithmetic (see art_recipe.h).
#include "art_recipe.h"

#include <charconv>
#include <cmath>
#include <numbers>

namespace art {

namespace {

bool IsNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// A statement before blocks are nested: its words and where it stood.
struct FlatLine {
  int line = 0;
  std::vector<Word> words;
};

// Splits one logical line into words. Quotes may open a word or follow the
// `=` of an option; `\"` and `\\` escape inside them, `\n` is a line break.
std::vector<Word> SplitWords(std::string_view text, int line) {
  std::vector<Word> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i >= text.size() || text[i] == ';') break;
    Word word;
    bool done = false;
    while (!done && i < text.size() && !IsBlank(text[i])) {
      const char c = text[i];
      if (c == '"' && (word.text.empty() || word.text.back() == '=')) {
        if (!word.text.empty()) word.text.push_back('\x01');  // marks key="..."
        ++i;
        bool closed = false;
        while (i < text.size()) {
          const char q = text[i++];
          if (q == '"') {
            closed = true;
            break;
          }
          if (q == '\\' && i < text.size()) {
            const char e = text[i++];
            word.text.push_back(e == 'n' ? '\n' : e);
          } else {
            word.text.push_back(q);
          }
        }
        if (!closed) throw RecipeError(line, "a quoted word has no closing quote");
        if (i < text.size() && !IsBlank(text[i]) && text[i] != ';') {
          throw RecipeError(line, "a quoted word runs into the next word");
        }
        word.quoted = true;
        done = true;
      } else if (c == ';') {
        break;
      } else {
        word.text.push_back(c);
        ++i;
      }
    }
    words.push_back(std::move(word));
    if (i < text.size() && text[i] == ';') break;
  }
  return words;
}

// Reads the bytes into logical lines: a backslash at the end of a line joins
// the next one; a semicolon outside quotes starts a remark.
std::vector<FlatLine> SplitLines(std::string_view bytes) {
  std::vector<FlatLine> lines;
  std::string pending;
  int pending_line = 0;
  int line = 0;
  std::size_t start = 0;
  while (start <= bytes.size()) {
    std::size_t stop = bytes.find('\n', start);
    if (stop == std::string_view::npos) stop = bytes.size();
    std::string_view text = bytes.substr(start, stop - start);
    ++line;
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (pending.empty()) pending_line = line;
    bool joins = !text.empty() && text.back() == '\\';
    if (joins) text.remove_suffix(1);
    pending.append(text);
    if (joins) {
      pending.push_back(' ');
    } else {
      std::vector<Word> words = SplitWords(pending, pending_line);
      if (!words.empty()) {
        if (static_cast<int>(lines.size()) >= kMaxStatements) {
          throw RecipeError(pending_line, "the recipe has too many lines");
        }
        lines.push_back(FlatLine{pending_line, std::move(words)});
      }
      pending.clear();
    }
    if (stop == bytes.size()) break;
    start = stop + 1;
  }
  if (!pending.empty()) throw RecipeError(pending_line, "the last line ends with a backslash");
  return lines;
}

// Turns a line's words into a statement: the command, then positional words
// and key=value options (a name followed by one `=`; `a==b` stays positional).
Statement MakeStatement(FlatLine& flat) {
  Statement statement;
  statement.line = flat.line;
  Word& first = flat.words.front();
  if (first.quoted || first.text.empty()) {
    throw RecipeError(flat.line, "a line must start with a command word");
  }
  for (char c : first.text) {
    if (!IsNameChar(c)) throw RecipeError(flat.line, "\"" + first.text + "\" is not a command word");
  }
  statement.command = first.text;
  // The blocks that compute take every word as it stands.
  const bool raw = statement.command == "if" || statement.command == "let" ||
                   statement.command == "repeat";
  for (std::size_t w = 1; w < flat.words.size(); ++w) {
    Word& word = flat.words[w];
    const bool marked = word.text.find('\x01') != std::string::npos;
    std::size_t eq = std::string::npos;
    if ((!word.quoted || marked) && !raw && !word.text.empty() && IsNameStart(word.text[0])) {
      std::size_t k = 1;
      while (k < word.text.size() && IsNameChar(word.text[k])) ++k;
      if (k < word.text.size() && word.text[k] == '=' &&
          (k + 1 >= word.text.size() || word.text[k + 1] != '=')) {
        eq = k;
      }
    }
    if (eq != std::string::npos) {
      Option option;
      option.key = word.text.substr(0, eq);
      std::string value = word.text.substr(eq + 1);
      if (!value.empty() && value[0] == '\x01') {
        value.erase(0, 1);
        option.value.quoted = true;
      }
      option.value.text = std::move(value);
      if (option.value.text.empty() && !option.value.quoted) {
        throw RecipeError(flat.line, "the option \"" + option.key + "\" has no value");
      }
      statement.options.push_back(std::move(option));
    } else {
      if (marked) throw RecipeError(flat.line, "a quote may only follow the = of an option");
      statement.args.push_back(std::move(word));
    }
  }
  return statement;
}

// Nests the lines from `index` on until an `end` or `else` of the enclosing
// block (returned in `closer`) or the end of the recipe.
std::vector<Statement> Nest(std::vector<FlatLine>& lines, std::size_t& index, int depth,
                            std::string& closer) {
  std::vector<Statement> out;
  closer.clear();
  while (index < lines.size()) {
    FlatLine& flat = lines[index++];
    Statement statement = MakeStatement(flat);
    if (statement.command == "end" || statement.command == "else") {
      if (depth == 0) {
        throw RecipeError(statement.line, "\"" + statement.command + "\" without an open block");
      }
      if (!statement.args.empty() || !statement.options.empty()) {
        throw RecipeError(statement.line, "\"" + statement.command + "\" takes no words");
      }
      closer = statement.command;
      return out;
    }
    if (IsBlockCommand(statement.command)) {
      if (depth + 1 > kMaxBlockDepth) throw RecipeError(statement.line, "blocks nest too deeply");
      std::string inner_closer;
      statement.body = Nest(lines, index, depth + 1, inner_closer);
      if (inner_closer == "else") {
        if (statement.command != "if") {
          throw RecipeError(statement.line, "only an \"if\" block may have an \"else\"");
        }
        statement.else_body = Nest(lines, index, depth + 1, inner_closer);
        if (inner_closer == "else") throw RecipeError(statement.line, "an \"if\" has two \"else\"");
      }
      if (inner_closer != "end") {
        throw RecipeError(statement.line, "the \"" + statement.command + "\" block has no \"end\"");
      }
    }
    out.push_back(std::move(statement));
  }
  return out;
}

// --- Expressions ---------------------------------------------------------------

class ExpressionReader {
 public:
  ExpressionReader(std::string_view text, const VariableLookup& lookup, Random& random)
      : text_(text), lookup_(lookup), random_(random) {}

  double Read() {
    const double value = Or();
    Skip();
    if (pos_ != text_.size()) Fail("unexpected \"" + std::string(text_.substr(pos_, 1)) + "\"");
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) {
    throw RecipeError(0, "in \"" + std::string(text_) + "\": " + what);
  }

  void Skip() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }

  bool Take(std::string_view token) {
    Skip();
    if (text_.substr(pos_, token.size()) == token) {
      pos_ += token.size();
      return true;
    }
    return false;
  }

  // Guards the recursion of nested parentheses and signs.
  struct Depth {
    explicit Depth(ExpressionReader& reader) : reader_(reader) {
      if (++reader_.depth_ > 64) reader_.Fail("nested too deeply");
    }
    ~Depth() { --reader_.depth_; }
    ExpressionReader& reader_;
  };

  double Or() {
    double value = And();
    while (Take("||")) {
      const double right = And();
      value = (value != 0.0 || right != 0.0) ? 1.0 : 0.0;
    }
    return value;
  }

  double And() {
    double value = Compare();
    while (Take("&&")) {
      const double right = Compare();
      value = (value != 0.0 && right != 0.0) ? 1.0 : 0.0;
    }
    return value;
  }

  double Compare() {
    double value = Sum();
    for (;;) {
      if (Take("<=")) {
        value = value <= Sum() ? 1.0 : 0.0;
      } else if (Take(">=")) {
        value = value >= Sum() ? 1.0 : 0.0;
      } else if (Take("==")) {
        value = value == Sum() ? 1.0 : 0.0;
      } else if (Take("!=")) {
        value = value != Sum() ? 1.0 : 0.0;
      } else if (Take("<")) {
        value = value < Sum() ? 1.0 : 0.0;
      } else if (Take(">")) {
        value = value > Sum() ? 1.0 : 0.0;
      } else {
        return value;
      }
    }
  }

  double Sum() {
    double value = Product();
    for (;;) {
      if (Take("+")) {
        value += Product();
      } else if (Take("-")) {
        value -= Product();
      } else {
        return value;
      }
    }
  }

  double Product() {
    double value = Unary();
    for (;;) {
      if (Take("*")) {
        value *= Unary();
      } else if (Take("/")) {
        const double right = Unary();
        if (right == 0.0) Fail("division by zero");
        value /= right;
      } else if (Take("%")) {
        const double right = Unary();
        if (right == 0.0) Fail("remainder by zero");
        value = value - right * std::floor(value / right);
      } else {
        return value;
      }
    }
  }

  double Unary() {
    Depth guard(*this);
    if (Take("-")) return -Unary();
    if (Take("+")) return Unary();
    if (Take("!")) return Unary() == 0.0 ? 1.0 : 0.0;
    const double base = Primary();
    if (Take("^")) return std::pow(base, Unary());
    return base;
  }

  double Primary() {
    Skip();
    if (pos_ >= text_.size()) Fail("a value is missing");
    const char c = text_[pos_];
    if (c == '(') {
      ++pos_;
      const double value = Or();
      if (!Take(")")) Fail("a \")\" is missing");
      return value;
    }
    if ((c >= '0' && c <= '9') || c == '.') return Number();
    if (IsNameStart(c)) {
      const std::size_t start = pos_;
      while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
      const std::string_view name = text_.substr(start, pos_ - start);
      Skip();
      if (pos_ < text_.size() && text_[pos_] == '(') {
        ++pos_;
        std::vector<double> args;
        if (!Take(")")) {
          do {
            args.push_back(Or());
          } while (Take(","));
          if (!Take(")")) Fail("a \")\" is missing after the arguments of " + std::string(name));
        }
        return Call(name, args);
      }
      if (name == "pi") return std::numbers::pi;
      const std::optional<std::string> variable = lookup_ ? lookup_(name) : std::nullopt;
      if (!variable) Fail("unknown name \"" + std::string(name) + "\"");
      double value = 0.0;
      const char* first = variable->data();
      const char* last = first + variable->size();
      const auto [ptr, ec] = std::from_chars(first, last, value);
      if (ec != std::errc() || ptr != last) {
        Fail("the variable \"" + std::string(name) + "\" holds no number");
      }
      return value;
    }
    Fail("unexpected \"" + std::string(1, c) + "\"");
  }

  double Number() {
    double value = 0.0;
    const char* first = text_.data() + pos_;
    const char* last = text_.data() + text_.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc()) Fail("a number cannot be read");
    pos_ += static_cast<std::size_t>(ptr - first);
    return value;
  }

  double Call(std::string_view name, const std::vector<double>& a) {
    const auto want = [&](std::size_t n) {
      if (a.size() != n) {
        Fail(std::string(name) + " takes " + std::to_string(n) + " argument" + (n == 1 ? "" : "s"));
      }
    };
    constexpr double kDeg = std::numbers::pi / 180.0;
    if (name == "sin") return want(1), std::sin(a[0] * kDeg);
    if (name == "cos") return want(1), std::cos(a[0] * kDeg);
    if (name == "tan") return want(1), std::tan(a[0] * kDeg);
    if (name == "atan2") return want(2), std::atan2(a[0], a[1]) / kDeg;
    if (name == "sqrt") return want(1), std::sqrt(std::fabs(a[0]));
    if (name == "abs") return want(1), std::fabs(a[0]);
    if (name == "floor") return want(1), std::floor(a[0]);
    if (name == "ceil") return want(1), std::ceil(a[0]);
    if (name == "round") return want(1), std::round(a[0]);
    if (name == "min") return want(2), std::fmin(a[0], a[1]);
    if (name == "max") return want(2), std::fmax(a[0], a[1]);
    if (name == "clamp") return want(3), std::fmin(std::fmax(a[0], a[1]), a[2]);
    if (name == "lerp") return want(3), a[0] + (a[1] - a[0]) * a[2];
    if (name == "rnd") return want(2), random_.range(a[0], a[1]);
    if (name == "irnd") return want(2), std::floor(random_.range(a[0], a[1] + 1.0));
    Fail("unknown function \"" + std::string(name) + "\"");
  }

  std::string_view text_;
  const VariableLookup& lookup_;
  Random& random_;
  std::size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

bool IsBlockCommand(std::string_view command) {
  return command == "repeat" || command == "macro" || command == "if" || command == "layer";
}

Recipe ParseRecipe(std::string_view bytes) {
  if (bytes.size() > kMaxRecipeBytes) throw RecipeError(0, "the recipe is larger than 1 MB");
  if (bytes.find('\0') != std::string_view::npos) {
    throw RecipeError(0, "the recipe holds a zero byte; it is not text");
  }
  std::vector<FlatLine> lines = SplitLines(bytes);
  std::size_t index = 0;
  std::string closer;
  Recipe recipe;
  recipe.statements = Nest(lines, index, 0, closer);
  return recipe;
}

uint64_t Random::next() {
  // splitmix64: small, fast and the same everywhere.
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Random::unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

double Evaluate(std::string_view expression, const VariableLookup& lookup, Random& random) {
  ExpressionReader reader(expression, lookup, random);
  return reader.Read();
}

std::string FormatNumber(double value) {
  char buffer[64];
  const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return "0";
  return std::string(buffer, ptr);
}

}  // namespace art
