// Feeds arbitrary bytes to the art tool's readers of the sprite list, the
// item list and a level's object centres. Each line is taken or refused with
// its line number; whatever is taken is a picture the painter can be asked
// for (a name, a positive size) and gives a recipe.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "tools/art_sprites.h"

namespace {

void CheckLines(const std::vector<art::SpriteLine>& lines,
                const std::vector<art::ListFault>& faults, std::string_view text) {
  const auto line_count = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
  for (const art::SpriteLine& line : lines) {
    if (line.name.empty() || line.width <= 0 || line.height <= 0) abort();
    if (line.line < 1 || line.line > line_count) abort();
    if (art::SpriteRecipe(line).empty()) abort();
  }
  for (const art::ListFault& fault : faults)
    if (fault.line < 1 || fault.line > line_count || fault.message.empty()) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<art::ListFault> faults;
  CheckLines(art::ReadSpriteList(text, faults), faults, text);
  faults.clear();
  CheckLines(art::ReadItemList(text, faults), faults, text);
  art::ReadObjectCentres(text);
  return 0;
}
