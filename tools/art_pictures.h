// Object pictures: the table content/pictures.txt says what every picture a
// player clicks or carries shows (a colour glyph of the emoji font, a few of
// them composed, or a shared recipe where no glyph fits), and this module
// turns a table entry into the recipe that paints it with the one treatment
// every object gets: a colour grade towards its level's light, a slight
// desaturation and a soft contact shadow, so that an item looks the same in
// its level, in the inventory and in a hidden-object scene.
//
// Bytes in, recipe text out; the painter (art_paint.h) paints the recipe.
// Depends on the sprite list reader (art_sprites.h) only.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "art_sprites.h"

namespace art {

// One thing of a picture: a glyph by code point or a recipe macro
// (`pic_<name>` of lib/objects.arti), placed by fractions of the picture's
// box from its centre, scaled, turned, mirrored.
struct PicturePart {
  bool recipe = false;
  std::string what;  // upper-case hex code point, or the macro's name
  double dx = 0.0, dy = 0.0, scale = 1.0, rotate = 0.0;
  bool mirror = false;
};

struct PictureEntry {
  int line = 0;
  std::string path;  // "levels/hotel/q_lamp", "items/axe"
  std::vector<PicturePart> parts;
  std::string exit_shape;  // for an exit's mask: door, arch, path, stairs, hole, hatch
  double rotate = 0.0, scale = 1.0;
  bool mirror = false;
  std::string grade;     // its own colour grade, #rrggbbaa; empty for none
  std::string backdrop;  // a close-up's surroundings: macro closeup_<backdrop>
};

// A level's light: the colour its lamps or sky throw and how dark it is.
struct Palette {
  std::string light = "#ffe6c4";
  double dark = 0.15;
};

struct PictureTable {
  std::map<std::string, PictureEntry> entries;  // by path
  std::map<std::string, Palette> palettes;      // by level; "items" for the inventory
};

// Reads the table: `palette LEVEL #rrggbb DARKNESS` lines and
// `FOLDER/NAME SOURCE [key=value...]` lines, where SOURCE is glyph parts
// joined by "+" (`1F56F`, `1F525@0.2,-0.3,0.4,15,m`: dx, dy, scale, turn,
// mirrored), `recipe:NAME` parts, or `exit:SHAPE` for an exit's mask.
// Options: rot=, scale=, mirror=1, grade=#rrggbbaa, backdrop=NAME. `#`
// starts a remark line. Refused lines go to `faults` and are left out.
PictureTable ReadPictureTable(std::string_view text, std::vector<ListFault>& faults);

// The level a picture folder belongs to ("levels/hotel/ho" -> "hotel"), or
// the folder itself ("items").
std::string PaletteKey(const std::string& folder);

// The recipe that paints a listed picture from its table entry.
std::string PictureRecipe(const SpriteLine& sprite, const PictureEntry& entry, const Palette& palette);

}  // namespace art
