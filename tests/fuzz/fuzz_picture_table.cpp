// Feeds arbitrary bytes to the reader of the object-picture table: it must
// name its faults, never crash; and every entry it accepts must give a recipe
// that reads, whatever kind of picture it is painted for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "tools/art_pictures.h"
#include "tools/art_recipe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<art::ListFault> faults;
  const art::PictureTable table = art::ReadPictureTable(bytes, faults);
  for (const art::ListFault& fault : faults) {
    if (fault.line < 1 || fault.message.empty()) abort();
  }
  for (const auto& [path, entry] : table.entries) {
    for (const char* kind : {"item", "ghost", "area", "inventory"}) {
      const art::SpriteLine line{1, "levels/a", entry.parts.empty() ? "q_x" : "z_q_x", 90, 70, kind, "a $thing"};
      try {
        art::ParseRecipe(art::PictureRecipe(line, entry, art::Palette{}));
      } catch (const art::RecipeError&) {
        abort();
      }
    }
  }
  return 0;
}
