// Placeholder art, part one: the recipe language of content/art/**.art read
// into a tree of statements, and the small arithmetic the recipes compute with.
//
// Reading takes bytes only (no files, no drawing), so a recipe on disk, a test
// string and a fuzzer's input all go through the same code. The painter
// (art_paint.h) walks the tree. The language itself is described for artists
// in docs/art.md. Depends on the C++ standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace art {

// --- Limits -------------------------------------------------------------------

inline constexpr std::size_t kMaxRecipeBytes = 1 << 20;
inline constexpr int kMaxBlockDepth = 24;
inline constexpr int kMaxStatements = 50000;

// --- The statement tree ---------------------------------------------------------

// One word of a statement. Quoted words keep their blanks and are never read
// as options; `$name` inside either kind is replaced when the painter runs.
struct Word {
  std::string text;
  bool quoted = false;
};

struct Option {
  std::string key;
  Word value;
};

// One line of a recipe. Block statements (repeat, macro, if, layer) own the
// lines up to their `end`; an `if` keeps its `else` lines apart.
struct Statement {
  int line = 0;
  std::string command;
  std::vector<Word> args;
  std::vector<Option> options;  // key=value words, in order of writing
  std::vector<Statement> body;
  std::vector<Statement> else_body;
};

struct Recipe {
  std::vector<Statement> statements;
};

// A fault in a recipe, with the line it was found on (0 when not known).
class RecipeError : public std::runtime_error {
 public:
  RecipeError(int line, const std::string& message)
      : std::runtime_error(message), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

// Reads a whole recipe. Throws RecipeError for an unclosed quote, a block
// without `end`, an `end` or `else` without a block, a nesting deeper than
// kMaxBlockDepth, more than kMaxStatements lines or more than kMaxRecipeBytes.
Recipe ParseRecipe(std::string_view bytes);

// True for the commands that open a block closed by `end`.
bool IsBlockCommand(std::string_view command);

// --- Numbers ----------------------------------------------------------------------

// The recipe's random numbers: the same seed gives the same sequence on every
// machine (no library distributions are involved).
class Random {
 public:
  explicit Random(uint64_t seed = 1) : state_(seed) {}
  uint64_t next();
  double unit();  // [0, 1)
  double range(double lo, double hi) { return lo + (hi - lo) * unit(); }

 private:
  uint64_t state_;
};

// Finds a variable's text by name; nullopt for an unknown name.
using VariableLookup = std::function<std::optional<std::string>(std::string_view)>;

// Evaluates an arithmetic expression: numbers, variables (bare names),
// + - * / % ^, comparisons (< <= > >= == !=), && || !, parentheses and the
// functions sin cos tan (degrees), atan2, sqrt, abs, floor, ceil, round, min,
// max, clamp, lerp, rnd(lo, hi), irnd(lo, hi), plus the constant pi. Throws
// RecipeError (line 0) on a syntax fault, an unknown name, or a variable whose
// text is not a number.
double Evaluate(std::string_view expression, const VariableLookup& lookup, Random& random);

// Formats a number the way `let` stores it: shortest text that reads back equal.
std::string FormatNumber(double value);

}  // namespace art
