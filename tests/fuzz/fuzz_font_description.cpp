// Feeds arbitrary bytes to the font baker's reader of font descriptions.
// Whatever it accepts writes back to a description that reads as the same
// font, and a description it refuses is refused without reading past its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "tools/font_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto font = fontbake::ParseFontDescription(bytes);
  if (!font) return 0;
  const std::string again = fontbake::SerializeFontDescription(*font);
  const auto reread = fontbake::ParseFontDescription(again);
  if (!reread || reread->glyphs.size() != font->glyphs.size()) abort();
  if (fontbake::SerializeFontDescription(*reread) != again) abort();
  return 0;
}
