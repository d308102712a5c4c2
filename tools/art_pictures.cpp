// The table of object pictures and their painted treatment (see art_pictures.h).
#include "art_pictures.h"

#include "art_sprites.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace art {

namespace {

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    std::size_t end = at;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    if (end > at) words.emplace_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

bool IsHexCode(const std::string& text) {
  return !text.empty() && text.size() <= 6 &&
         std::all_of(text.begin(), text.end(), [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)); });
}

bool IsNameText(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char ch) {
    return std::islower(static_cast<unsigned char>(ch)) || std::isdigit(static_cast<unsigned char>(ch)) || ch == '_';
  });
}

bool IsColour(const std::string& text) {
  return (text.size() == 7 || text.size() == 9) && text[0] == '#' &&
         std::all_of(text.begin() + 1, text.end(), [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)); });
}

// A number of the table; false when the text is not one or is out of range.
bool Number(const std::string& text, double low, double high, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value) && value >= low && value <= high;
}

std::vector<std::string> Split(const std::string& text, char by) {
  std::vector<std::string> pieces;
  std::size_t at = 0;
  while (true) {
    const std::size_t end = text.find(by, at);
    pieces.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return pieces;
}

// One part: CODE or recipe:NAME, then @dx,dy[,scale[,turn[,m]]].
bool ReadPart(const std::string& text, PicturePart& part, std::string& problem) {
  const std::size_t at = text.find('@');
  std::string what = text.substr(0, at);
  if (what.rfind("recipe:", 0) == 0) {
    part.recipe = true;
    part.what = what.substr(7);
    if (!IsNameText(part.what)) {
      problem = "\"" + part.what + "\" is not a recipe name (a-z, 0-9 and _)";
      return false;
    }
  } else {
    if (what.rfind("U+", 0) == 0) what.erase(0, 2);
    if (!IsHexCode(what)) {
      problem = "\"" + what + "\" is not a code point (hex, like 1F56F) or recipe:NAME";
      return false;
    }
    std::transform(what.begin(), what.end(), what.begin(), [](char ch) { return std::toupper(ch); });
    part.what = what;
  }
  if (at == std::string::npos) return true;
  const std::vector<std::string> values = Split(text.substr(at + 1), ',');
  if (values.size() < 2 || values.size() > 5) {
    problem = "a part's place is @dx,dy[,scale[,turn[,m]]]";
    return false;
  }
  double* targets[] = {&part.dx, &part.dy, &part.scale, &part.rotate};
  const double lows[] = {-1, -1, 0.05, -360}, highs[] = {1, 1, 4, 360};
  for (std::size_t i = 0; i < values.size() && i < 4; ++i) {
    if (!Number(values[i], lows[i], highs[i], *targets[i])) {
      problem = "\"" + values[i] + "\" is out of range in \"" + text + "\"";
      return false;
    }
  }
  if (values.size() == 5) {
    if (values[4] != "m") {
      problem = "the fifth value of a part's place is \"m\" (mirrored)";
      return false;
    }
    part.mirror = true;
  }
  return true;
}

std::string Fixed(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}


int HexValue(const std::string& colour, std::size_t at) {
  return static_cast<int>(std::strtol(colour.substr(at, 2).c_str(), nullptr, 16));
}

// The level's light darkened by its darkness, with the grade's strength as
// its alpha: the colour the painter's grade pass multiplies towards.
std::string GradeColour(const Palette& palette, double strength) {
  const double keep = 1.0 - std::clamp(palette.dark, 0.0, 0.9);
  char text[16];
  std::snprintf(text, sizeof text, "#%02x%02x%02x%02x", static_cast<int>(std::lround(HexValue(palette.light, 1) * keep)),
                static_cast<int>(std::lround(HexValue(palette.light, 3) * keep)),
                static_cast<int>(std::lround(HexValue(palette.light, 5) * keep)),
                static_cast<int>(std::lround(strength * 255)));
  return text;
}

// The macro `thing` that draws the entry's parts centred in a box of `size`
// pixels at (cx, cy).
std::string ThingMacro(const PictureEntry& entry, double cx, double cy, double size) {
  std::string out = "macro thing\n  save\n  translate " + Fixed(cx) + " " + Fixed(cy) + "\n";
  if (entry.rotate != 0.0) out += "  rotate " + Fixed(entry.rotate) + "\n";
  if (entry.mirror) out += "  scale -1 1\n";
  for (const PicturePart& part : entry.parts) {
    const double s = size * entry.scale * part.scale;
    out += "  save\n  translate " + Fixed(part.dx * size) + " " + Fixed(part.dy * size) + "\n";
    if (part.rotate != 0.0) out += "  rotate " + Fixed(part.rotate) + "\n";
    if (part.mirror) out += "  scale -1 1\n";
    if (part.recipe) {
      out += "  call pic_" + part.what + " " + Fixed(s) + "\n";
    } else {
      out += "  glyph " + part.what + " 0 0 " + Fixed(s) + "\n";
    }
    out += "  restore\n";
  }
  return out + "  restore\nend\n";
}

// The thing with its treatment: a soft shadow under it, its own grade, then
// the level's grade and a little less colour.
std::string Treated(const PictureEntry& entry, const Palette& palette, double shadow_blur, double shadow_drop,
                    double shadow_opacity) {
  std::string out;
  out += "layer tint=#000 blur=" + Fixed(shadow_blur) + " dy=" + Fixed(shadow_drop) +
         " opacity=" + Fixed(shadow_opacity) + "\n  call thing\nend\n";
  out += "layer grade=" + GradeColour(palette, 0.35) + " desat=0.22\n";
  if (entry.grade.empty()) {
    out += "  call thing\n";
  } else {
    out += "  layer grade=" + entry.grade + "\n    call thing\n  end\n";
  }
  return out + "end\n";
}

}  // namespace

PictureTable ReadPictureTable(std::string_view text, std::vector<ListFault>& faults) {
  PictureTable table;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string> words = Words(line);
    if (words.empty() || words[0][0] == '#') continue;
    const auto refuse = [&faults, number](const std::string& message) { faults.push_back(ListFault{number, message}); };
    if (words[0] == "palette") {
      double dark = 0;
      if (words.size() != 4 || !IsNameText(words[1]) || !IsColour(words[2]) || words[2].size() != 7 ||
          !Number(words[3], 0, 0.9, dark)) {
        refuse("a palette line is: palette LEVEL #rrggbb DARKNESS (0 to 0.9)");
        continue;
      }
      table.palettes[words[1]] = Palette{words[2], dark};
      continue;
    }
    if (words.size() < 2) {
      refuse("a picture line is: FOLDER/NAME SOURCE [OPTIONS]");
      continue;
    }
    PictureEntry entry;
    entry.line = number;
    entry.path = words[0];
    const std::size_t slash = entry.path.rfind('/');
    if (slash == std::string::npos || slash == 0 || !IsNameText(entry.path.substr(slash + 1)) ||
        !std::all_of(entry.path.begin(), entry.path.end(), [](char ch) {
          return std::islower(static_cast<unsigned char>(ch)) || std::isdigit(static_cast<unsigned char>(ch)) ||
                 ch == '_' || ch == '/';
        })) {
      refuse("\"" + entry.path + "\" is not FOLDER/NAME");
      continue;
    }
    std::string problem;
    if (words[1].rfind("exit:", 0) == 0) {
      entry.exit_shape = words[1].substr(5);
      const std::vector<std::string> shapes = {"door", "arch", "path", "stairs", "hole", "hatch"};
      if (std::find(shapes.begin(), shapes.end(), entry.exit_shape) == shapes.end()) {
        problem = "an exit's shape is door, arch, path, stairs, hole or hatch";
      }
    } else {
      for (const std::string& piece : Split(words[1], '+')) {
        PicturePart part;
        if (!ReadPart(piece, part, problem)) break;
        entry.parts.push_back(part);
      }
    }
    for (std::size_t i = 2; i < words.size() && problem.empty(); ++i) {
      const std::size_t eq = words[i].find('=');
      const std::string key = words[i].substr(0, eq);
      const std::string value = eq == std::string::npos ? "" : words[i].substr(eq + 1);
      if (key == "rot") {
        if (!Number(value, -360, 360, entry.rotate)) problem = "rot= is -360 to 360";
      } else if (key == "scale") {
        if (!Number(value, 0.1, 4, entry.scale)) problem = "scale= is 0.1 to 4";
      } else if (key == "mirror") {
        if (value != "1") problem = "mirror= is 1";
        entry.mirror = true;
      } else if (key == "grade") {
        if (!IsColour(value)) problem = "grade= is #rrggbb or #rrggbbaa";
        entry.grade = value.size() == 7 ? value + "ff" : value;
      } else if (key == "backdrop") {
        if (!IsNameText(value)) problem = "backdrop= is a name";
        entry.backdrop = value;
      } else {
        problem = "unknown option \"" + key + "\"";
      }
    }
    if (!problem.empty()) {
      refuse(problem);
      continue;
    }
    const int first = table.entries.count(entry.path) ? table.entries[entry.path].line : 0;
    if (first) {
      refuse("\"" + entry.path + "\" is in the table twice (first on line " + std::to_string(first) + ")");
      continue;
    }
    table.entries[entry.path] = std::move(entry);
  }
  return table;
}

std::string PaletteKey(const std::string& folder) {
  if (folder.rfind("levels/", 0) != 0) return folder;
  const std::string level = folder.substr(7);
  return level.substr(0, level.find('/'));
}

std::string PictureRecipe(const SpriteLine& sprite, const PictureEntry& entry, const Palette& palette) {
  const double w = sprite.width, h = sprite.height;
  std::string recipe = "; painted for " + sprite.folder + "/" + sprite.name + ": " + RecipeQuoted(sprite.description) + "\n";
  recipe += "canvas " + std::to_string(sprite.width) + " " + std::to_string(sprite.height) + "\n";
  recipe += "include lib/objects.arti\n";
  if (!entry.exit_shape.empty()) {
    // Never drawn by the game: only its coverage is hit-tested, so its shape
    // follows the way on that the painting shows.
    return recipe + "call exit_" + entry.exit_shape + " " + Fixed(w) + " " + Fixed(h) + "\n";
  }
  // A close-up's own picture; its overlays ("z_" too) are things like any other.
  const bool close_up = sprite.kind == "background" && sprite.name.rfind("z_", 0) == 0;
  if (close_up) {
    // The thing large on its lit surroundings, in the close-up's frame.
    const double size = std::min(w, h) * 0.78;
    recipe += ThingMacro(entry, w / 2, h / 2 + 6, size);
    recipe += "call closeup_" + (entry.backdrop.empty() ? std::string("wood") : entry.backdrop) + " " + Fixed(w) +
              " " + Fixed(h) + "\n";
    recipe += Treated(entry, palette, 16, 10, 0.6);
    recipe += "call closeup_light " + Fixed(w) + " " + Fixed(h) + "\n";
    return recipe;
  }
  if (sprite.kind == "ghost") {
    // A pale, see-through apparition with a cold glow round it.
    recipe += ThingMacro(entry, w / 2, h / 2, std::min(w, h) * 0.86);
    recipe += "layer tint=#bfe6ff blur=10 spread=1.6 opacity=0.55\n  call thing\nend\n";
    recipe += "layer grade=#cfe8ffc0 desat=0.85 opacity=0.72\n  call thing\nend\n";
    return recipe;
  }
  // Room below for the shadow; things of the inventory sit alone.
  const double size = std::min(w, h - 4) * 0.9;
  recipe += ThingMacro(entry, w / 2, h / 2 - 2, size);
  const double blur = std::max(3.0, size / 18), drop = std::max(2.0, size / 28);
  recipe += Treated(entry, palette, blur, drop, sprite.kind == "inventory" ? 0.35 : 0.5);
  return recipe;
}

}  // namespace art
