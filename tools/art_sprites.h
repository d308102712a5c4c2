// Placeholder art, part three: the pictures painted without a recipe of
// their own. Every line of content/sprites.txt (a level's or a scene's object
// picture) and of content/items.txt (an inventory picture) that has no .art
// recipe still gets a picture, so the game never looks an image up in vain.
//
// This module reads the two lists (bytes in, no files) and writes, for each
// line, a short recipe that calls the shared macros of
// content/art/lib/sprites.arti; the painter (art_paint.h) paints it like any
// other recipe. Depends on the C++ standard library only.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace art {

// One picture the game asks for by name.
struct SpriteLine {
  int line = 0;              // line in its list, from 1
  std::string folder;        // "levels/hotel", "levels/hotel/ho" or "items"
  std::string name;          // image name: "q_lamp", "h_key", "axe"
  int width = 0, height = 0;
  std::string kind;          // object kind word: "item", "area", "zoomin", ...
  std::string description;   // what it shows, in a few words
};

// A line the reader refused, with its line number, e.g. `size "0x5"`.
struct ListFault {
  int line = 0;
  std::string message;
};

// --- Reading the lists ------------------------------------------------------------

// Reads content/sprites.txt: `FOLDER NAME W H KIND "DESCRIPTION"` a line,
// blank lines and lines starting with # skipped. Refused lines go to `faults`
// (one each) and are left out; a name listed twice in one folder is a fault.
std::vector<SpriteLine> ReadSpriteList(std::string_view text, std::vector<ListFault>& faults);

// Reads content/items.txt: one inventory name a line. Each becomes a 64 x 64
// picture of kind "inventory" in the folder "items".
std::vector<SpriteLine> ReadItemList(std::string_view text, std::vector<ListFault>& faults);

// The centre of every object of a level's object list, by name (the first
// block of a name wins, as in the game). Unreadable text gives what was read.
std::map<std::string, std::pair<double, double>> ReadObjectCentres(std::string_view text);

// --- Painting them ----------------------------------------------------------------

// The way an exit leads, as the game chooses its walk cursor from the exit's
// centre; kUnknown when the exit is not placed in its level.
enum class Walk { kUnknown, kLeft, kRight, kForward, kBack };
Walk WalkOf(const std::string& exit_name, double x, double y);

// Words inside a recipe's quotes: no quote marks, and a dollar stays a dollar.
std::string RecipeQuoted(std::string_view words);

// The words written on a picture: the name without its "q_" or "h_" and with
// blanks for underscores.
std::string SpriteLabel(const std::string& name);

// The recipe that paints the line's picture: its canvas, a seed and a colour
// drawn from the name, and one call of the kind's macro of lib/sprites.arti.
std::string SpriteRecipe(const SpriteLine& sprite, Walk walk = Walk::kUnknown);

}  // namespace art
