// Feeds arbitrary bytes to the font list reader: whatever it accepts must
// be a font the baker can be asked for (a file-safe name, sizes in range,
// no name twice).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "font_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> errors;
  const auto fonts = fontbake::ParseFontList(text, &errors);
  std::set<std::string> names;
  for (const auto& f : fonts) {
    if (!fontbake::IsFontName(f.name) || !names.insert(f.name).second) abort();
    if (f.pixel_size < fontbake::kMinPixelSize || f.pixel_size > fontbake::kMaxPixelSize) abort();
    if (f.padding < 0 || f.padding > fontbake::kMaxPadding || f.file.empty() || f.line < 1) abort();
  }
  return 0;
}
