// The pictures painted from the sprite and item lists (see art_sprites.h).
#include "art_sprites.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace art {

namespace {

constexpr int kMaxSide = 2048;
constexpr int kItemSide = 64;

// The list's lines with their numbers, CR LF or LF, the CR dropped.
std::vector<std::pair<int, std::string_view>> Lines(std::string_view text) {
  std::vector<std::pair<int, std::string_view>> lines;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(++number, line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Splits off the next blank-separated word.
std::string_view NextWord(std::string_view& rest) {
  rest = Trim(rest);
  std::size_t end = 0;
  while (end < rest.size() && !IsBlank(rest[end])) ++end;
  const std::string_view word = rest.substr(0, end);
  rest.remove_prefix(end);
  return word;
}

bool IsNameWord(std::string_view word) {
  return !word.empty() && std::all_of(word.begin(), word.end(), [](char ch) {
    return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_';
  });
}

bool IsLowerWord(std::string_view word) {
  return !word.empty() && std::all_of(word.begin(), word.end(), [](char ch) {
    return std::islower(static_cast<unsigned char>(ch)) || std::isdigit(static_cast<unsigned char>(ch)) || ch == '_';
  });
}

// "levels/<level>" or "levels/<level>/ho", the two image folders of a level.
bool IsLevelFolder(std::string_view folder) {
  constexpr std::string_view kLevels = "levels/";
  if (folder.substr(0, kLevels.size()) != kLevels) return false;
  std::string_view level = folder.substr(kLevels.size());
  if (level.size() > 3 && level.substr(level.size() - 3) == "/ho") level.remove_suffix(3);
  return IsLowerWord(level);
}

int Side(std::string_view word) {
  if (word.empty() || word.size() > 5 ||
      !std::all_of(word.begin(), word.end(), [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)); })) {
    return 0;
  }
  const int value = std::atoi(std::string(word).c_str());
  return value >= 1 && value <= kMaxSide ? value : 0;
}

// FNV-1a: a colour and a seed that belong to the name and nothing else.
uint32_t NameHash(std::string_view name) {
  uint32_t hash = 2166136261u;
  for (char ch : name) {
    hash ^= static_cast<unsigned char>(ch);
    hash *= 16777619u;
  }
  return hash;
}

std::string Hex(double h, double s, double v) {
  h = std::fmod(h, 360.0);
  const double c = v * s, x = c * (1 - std::fabs(std::fmod(h / 60.0, 2.0) - 1)), m = v - c;
  double r = 0, g = 0, b = 0;
  if (h < 60) {
    r = c, g = x;
  } else if (h < 120) {
    r = x, g = c;
  } else if (h < 180) {
    g = c, b = x;
  } else if (h < 240) {
    g = x, b = c;
  } else if (h < 300) {
    r = x, b = c;
  } else {
    r = c, b = x;
  }
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", static_cast<int>(std::lround((r + m) * 255)),
                static_cast<int>(std::lround((g + m) * 255)), static_cast<int>(std::lround((b + m) * 255)));
  return text;
}


// The macro of lib/sprites.arti that paints a kind. Scene pictures are small
// things lying about, whatever their role in the hunt.
std::string MacroFor(const SpriteLine& sprite) {
  const std::string& kind = sprite.kind;
  if (kind == "inventory") return "sprite_inventory";
  if (kind == "background") return "sprite_backdrop";
  if (sprite.folder.size() > 3 && sprite.folder.substr(sprite.folder.size() - 3) == "/ho") {
    return "sprite_thing";
  }
  if (kind == "item") return "sprite_token";
  if (kind == "static" || kind == "cstatic") return "sprite_framed";
  if (kind == "puzzle" || kind == "zoomin" || kind == "hobject") return "sprite_glowing";
  if (kind == "ghost" || kind == "ghost_catch") return "sprite_ghost";
  if (kind == "inactive") return "sprite_marker";
  if (kind == "area") return "sprite_exit";
  return "sprite_framed";
}

// The few letters an inventory picture carries, big enough to read in a
// slot: "Ax" for the axe, "BV" for the blood vial.
std::string Glyph(const std::string& label) {
  std::string glyph;
  bool word_start = true;
  int words = 0;
  for (char ch : label) {
    if (ch == ' ') {
      word_start = true;
      continue;
    }
    if (word_start && glyph.size() < 3) {
      glyph += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      ++words;
    }
    word_start = false;
  }
  if (words == 1 && label.size() > 1) glyph += label[1];
  return glyph;
}

}  // namespace

std::string RecipeQuoted(std::string_view words) {
  std::string out = "\"";
  for (char ch : words) {
    if (ch == '"' || ch == '\\') continue;
    if (ch == '$') out += '$';
    out += ch;
  }
  return out + "\"";
}

std::vector<SpriteLine> ReadSpriteList(std::string_view text, std::vector<ListFault>& faults) {
  std::vector<SpriteLine> sprites;
  std::map<std::string, int> first_line;
  for (const auto& [number, raw] : Lines(text)) {
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == '#') continue;
    const auto refuse = [&faults, number = number](const std::string& message) {
      faults.push_back(ListFault{number, message});
    };
    std::string_view rest = line;
    const std::string_view folder = NextWord(rest), name = NextWord(rest), w = NextWord(rest),
                           h = NextWord(rest), kind = NextWord(rest);
    rest = Trim(rest);
    if (kind.empty() || rest.size() < 2 || rest.front() != '"' || rest.back() != '"' ||
        rest.substr(1, rest.size() - 2).find('"') != std::string_view::npos) {
      refuse("a sprite line is: FOLDER NAME WIDTH HEIGHT KIND \"DESCRIPTION\"");
      continue;
    }
    if (!IsLevelFolder(folder)) {
      refuse("folder \"" + std::string(folder) + "\" is not levels/LEVEL or levels/LEVEL/ho");
      continue;
    }
    if (!IsNameWord(name)) {
      refuse("\"" + std::string(name) + "\" is not an image name (letters, digits and _)");
      continue;
    }
    SpriteLine sprite{number, std::string(folder), std::string(name), Side(w), Side(h), std::string(kind),
                      std::string(rest.substr(1, rest.size() - 2))};
    if (sprite.width == 0 || sprite.height == 0) {
      refuse("size " + std::string(w) + " x " + std::string(h) + " is not 1 to " + std::to_string(kMaxSide) +
             " pixels each way");
      continue;
    }
    if (!IsLowerWord(kind)) {
      refuse("kind \"" + std::string(kind) + "\" is not a lower-case word");
      continue;
    }
    const auto [it, fresh] = first_line.emplace(sprite.folder + "/" + sprite.name, number);
    if (!fresh) {
      refuse("\"" + sprite.name + "\" is listed twice in " + sprite.folder + " (first on line " +
             std::to_string(it->second) + ")");
      continue;
    }
    sprites.push_back(std::move(sprite));
  }
  return sprites;
}

std::vector<SpriteLine> ReadItemList(std::string_view text, std::vector<ListFault>& faults) {
  std::vector<SpriteLine> items;
  std::map<std::string, int> first_line;
  for (const auto& [number, raw] : Lines(text)) {
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == '#') continue;
    if (!IsLowerWord(line)) {
      faults.push_back(ListFault{number, "\"" + std::string(line) + "\" is not an item name (a-z, 0-9 and _)"});
      continue;
    }
    const auto [it, fresh] = first_line.emplace(std::string(line), number);
    if (!fresh) {
      faults.push_back(ListFault{number, "\"" + std::string(line) + "\" is listed twice (first on line " +
                                             std::to_string(it->second) + ")"});
      continue;
    }
    items.push_back(SpriteLine{number, "items", std::string(line), kItemSide, kItemSide, "inventory", ""});
  }
  return items;
}

std::map<std::string, std::pair<double, double>> ReadObjectCentres(std::string_view text) {
  std::map<std::string, std::pair<double, double>> centres;
  const auto lines = Lines(text);
  if (lines.empty()) return centres;
  const long count = std::strtol(std::string(lines[0].second).c_str(), nullptr, 10);
  for (long i = 0; i < count; ++i) {
    const std::size_t at = 1 + 4 * static_cast<std::size_t>(i);
    if (at + 2 >= lines.size()) break;
    const double x = std::strtod(std::string(lines[at + 1].second).c_str(), nullptr);
    const double y = std::strtod(std::string(lines[at + 2].second).c_str(), nullptr);
    centres.emplace(std::string(lines[at].second), std::make_pair(x, y));
  }
  return centres;
}

Walk WalkOf(const std::string& exit_name, double x, double y) {
  if (exit_name == "q_hroom") return Walk::kBack;
  if (y < 0 || y >= 640 || x < 0 || x >= 1024) return Walk::kUnknown;
  if (x < 256) return Walk::kLeft;
  if (x >= 768) return Walk::kRight;
  return y < 480 ? Walk::kForward : Walk::kBack;
}

std::string SpriteLabel(const std::string& name) {
  std::string label = name;
  if (label.size() > 2 && (label.rfind("q_", 0) == 0 || label.rfind("h_", 0) == 0)) label.erase(0, 2);
  std::replace(label.begin(), label.end(), '_', ' ');
  return label;
}

std::string SpriteRecipe(const SpriteLine& sprite, Walk walk) {
  const uint32_t hash = NameHash(sprite.folder + "/" + sprite.name);
  const uint32_t name_hash = NameHash(sprite.name);
  const double hue = name_hash % 360;
  const std::string label =
      sprite.kind == "inventory" ? Glyph(SpriteLabel(sprite.name)) : SpriteLabel(sprite.name);
  // Letters of the label fill at most the picture's width and a quarter of
  // its height; DejaVu Sans Bold runs about 0.62 em a letter.
  const int letters = std::max<int>(1, static_cast<int>(label.size()));
  const double fit = (sprite.width * 0.86) / (letters * 0.62);
  double size = std::clamp(std::min(fit, sprite.height * 0.24), 6.0, 30.0);
  if (sprite.kind == "inventory") size = letters <= 2 ? 26 : 19;
  std::string recipe;
  recipe += "; painted for " + sprite.folder + "/" + sprite.name + ": " + RecipeQuoted(sprite.description) + "\n";
  recipe += "canvas " + std::to_string(sprite.width) + " " + std::to_string(sprite.height) + "\n";
  recipe += "seed " + std::to_string(hash % 99991 + 1) + "\n";
  recipe += "include lib/sprites.arti\n";
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "%.1f %u %d", size, name_hash % 8, static_cast<int>(walk));
  recipe += "call " + MacroFor(sprite) + " " + std::to_string(sprite.width) + " " + std::to_string(sprite.height) +
            " " + RecipeQuoted(label) + " " + Hex(hue, 0.55, 0.80) + " " + Hex(hue, 0.65, 0.30) + " " +
            Hex(hue, 0.22, 0.98) + " " + numbers + "\n";
  return recipe;
}

}  // namespace art
