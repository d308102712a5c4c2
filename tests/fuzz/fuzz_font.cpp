// Feeds arbitrary bytes to the font description reader and lays fixed texts
// out with whatever font comes back; the same bytes are also laid out as a
// text with a fixed, well-formed font. Nothing may crash, and what the reader
// keeps must be consistent: every kept glyph on an existing page, every table
// entry pointing at a kept glyph, never more glyphs than the file announces.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/font.h"
#include "engine/utf8.h"

namespace {

constexpr std::string_view kTexts[] = {
    "Quillmoor",
    "The key lies  under the\nold  stone, behind the mill.\n\n  Look twice.",
    "\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87 \xF0\x9F\x97\x9D \xE2\x80\x94 \xFC\x80\x80\x80\x80\x80 \xE2",
    "",
};
constexpr uint32_t kFlags[] = {0, TEXT_CENTRE | TEXT_VCENTRE, TEXT_RIGHT | TEXT_BOTTOM | TEXT_CLIP,
                               TEXT_JUSTIFY | TEXT_CLIP | TEXT_LENGTH};

// A sound little font: letters, digits and the blank, 10 pixels high.
std::string SoundFont() {
  auto put32 = [](std::string& out, uint32_t v) {
    for (int k = 0; k < 4; ++k) out += static_cast<char>((v >> (8 * k)) & 0xFF);
  };
  std::string out = "QMR_FONT_INFO";
  std::string records;
  int count = 0;
  for (uint32_t c = ' '; c < 128; ++c) {
    if (c != ' ' && !(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'z')) continue;
    put32(records, c);
    put32(records, 0);
    records += static_cast<char>(4);
    records += static_cast<char>(7);
    put32(records, 0);
    put32(records, 1);
    put32(records, c == ' ' ? 3 : 5);
    records.append(32, '\0');
    ++count;
  }
  out += '\x01';
  out += '\0';
  out += static_cast<char>(count);
  out += '\0';
  put32(out, 10);
  put32(out, 2);
  out.append(4, '\0');
  return out + records;
}

void CheckFont(const Font& font) {
  if (font.pages.empty() || font.pages.size() != font.page_count) abort();
  if (font.glyphs.size() > font.glyph_count || font.glyph_index.size() != 65536) abort();
  for (const Glyph& g : font.glyphs) {
    if (g.page >= font.page_count) abort();
  }
  for (int32_t index : font.glyph_index) {
    if (index < -1 || index >= static_cast<int32_t>(font.glyphs.size())) abort();
  }
}

void LayOut(const Font& font, std::string_view text) {
  const auto characters = static_cast<std::size_t>(Utf8Length(text));
  for (uint32_t flags : kFlags) {
    if (LayoutText(font, 12.5f, 40.0f, text, flags, 1.5f, 0.5f, 7).size() > characters) abort();
    const auto words = LayoutTextInRect(font, 10.5f, 20.0f, 120.0f, 64.0f, text, flags, 2.0f, 1.0f);
    if (words.size() > characters) abort();
    for (const PlacedWord& word : words) {
      if (word.text.empty() || text.find(word.text) == std::string_view::npos) abort();
    }
  }
  (void)TextWidth(&font, text, 1.0f);
  (void)TextHeight(&font, 80.0f, text, 1.25f, 0.0f);
}

const std::unique_ptr<Font> g_sound = ParseFontFile(SoundFont(), nullptr);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!g_sound) abort();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  std::string error;
  const std::unique_ptr<Font> font = ParseFontFile(bytes, &error);
  if (font) {
    CheckFont(*font);
    for (std::string_view text : kTexts) LayOut(*font, text);
  } else if (error.empty()) {
    abort();  // a refusal always says why
  }
  LayOut(*g_sound, bytes.substr(0, 4096));
  return 0;
}
