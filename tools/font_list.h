// The font list "content/fonts/fonts.txt": which typeface, size and padding
// each of the game's bitmap fonts is baked from. Parsing only; no FreeType,
// so the reader is cheap to test and to fuzz.
//
// One font a line: name, font file, pixel size, padding. Blank lines and
// lines starting with '#' are ignored. A relative font file is taken from
// the folder of the list itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace fontbake {

struct FontChoice {
  std::string name;       // the registry name: "ui_font" gives ui_font.zfi
  std::string file;       // as written in the list
  int pixel_size = 0;     // FreeType pixel size (em height)
  int padding = 0;        // transparent border round every glyph, pixels
  int line = 0;           // line number in the list, for messages
};

inline constexpr int kMinPixelSize = 4;
inline constexpr int kMaxPixelSize = 160;  // glyph width and height are bytes
inline constexpr int kMaxPadding = 8;

// Names become file names in data/fonts/: letters, digits, '_' and '-'.
inline bool IsFontName(std::string_view name) {
  if (name.empty() || name.size() > 64) return false;
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

namespace detail {

inline std::vector<std::string_view> SplitBlanks(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// A whole non-negative decimal number, at most 6 digits; -1 otherwise.
inline int SmallNumber(std::string_view word) {
  if (word.empty() || word.size() > 6) return -1;
  int value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace detail

// Reads the list. Every malformed line adds one message "line N: why" to
// errors and is skipped; the good lines are returned in file order.
inline std::vector<FontChoice> ParseFontList(std::string_view text, std::vector<std::string>* errors) {
  std::vector<FontChoice> fonts;
  auto complain = [errors](int line, const std::string& why) {
    if (errors != nullptr) errors->push_back("line " + std::to_string(line) + ": " + why);
  };
  int line_number = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string_view> words = detail::SplitBlanks(line);
    if (words.empty() || words[0].front() == '#') continue;
    if (words.size() != 4) {
      complain(line_number, "expected: name, font file, pixel size, padding");
      continue;
    }
    FontChoice font;
    font.name = std::string(words[0]);
    font.file = std::string(words[1]);
    font.pixel_size = detail::SmallNumber(words[2]);
    font.padding = detail::SmallNumber(words[3]);
    font.line = line_number;
    if (!IsFontName(font.name)) {
      complain(line_number, "font name \"" + font.name + "\" may hold only letters, digits, _ and -");
      continue;
    }
    if (font.pixel_size < kMinPixelSize || font.pixel_size > kMaxPixelSize) {
      complain(line_number, "pixel size must be a whole number from " +
                                std::to_string(kMinPixelSize) + " to " + std::to_string(kMaxPixelSize));
      continue;
    }
    if (font.padding < 0 || font.padding > kMaxPadding) {
      complain(line_number, "padding must be a whole number from 0 to " + std::to_string(kMaxPadding));
      continue;
    }
    bool duplicate = false;
    for (const FontChoice& earlier : fonts) duplicate = duplicate || earlier.name == font.name;
    if (duplicate) {
      complain(line_number, "font \"" + font.name + "\" is listed twice");
      continue;
    }
    fonts.push_back(std::move(font));
  }
  return fonts;
}

// The font file as a path: absolute as written, else beside the list.
inline std::string ResolveFontFile(const FontChoice& font, const std::string& list_folder) {
  if (!font.file.empty() && font.file.front() == '/') return font.file;
  if (list_folder.empty()) return font.file;
  return list_folder + "/" + font.file;
}

}  // namespace fontbake
