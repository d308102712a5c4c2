// The font description file (".zfi") as the font baker writes it, and a
// reader used to check what was written. Little-endian, no alignment:
// a 29-byte header ("QMR_FONT_INFO", page count, glyph count, max height,
// max shift y, four padding bytes) and one 54-byte record per glyph.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fontbake {

inline constexpr std::string_view kFontMagic = "QMR_FONT_INFO";
inline constexpr std::size_t kFontHeaderSize = 29;
inline constexpr std::size_t kGlyphRecordSize = 54;

struct GlyphRecord {
  uint32_t codepoint = 0;
  uint16_t page = 0;
  uint8_t width = 0;
  uint8_t height = 0;
  int32_t shift_x = 0;
  int32_t shift_y = 0;
  int32_t advance = 0;
  // Texture coordinates 0..1 of the corners top-left, top-right,
  // bottom-right, bottom-left.
  float u[4] = {};
  float v[4] = {};
};

struct FontDescription {
  uint16_t page_count = 1;
  int32_t max_height = 0;
  int32_t max_shift_y = 0;
  uint8_t padding[4] = {};  // left, top, right, bottom
  std::vector<GlyphRecord> glyphs;
};

namespace detail {

inline void PutU16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}
inline void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void PutI32(std::string& out, int32_t v) { PutU32(out, static_cast<uint32_t>(v)); }
inline void PutF32(std::string& out, float v) {
  uint32_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  PutU32(out, bits);
}

inline uint32_t GetU32(std::string_view in, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(in[at + static_cast<std::size_t>(i)]);
  return v;
}
inline uint16_t GetU16(std::string_view in, std::size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(in[at]) | (static_cast<uint8_t>(in[at + 1]) << 8));
}
inline float GetF32(std::string_view in, std::size_t at) {
  const uint32_t bits = GetU32(in, at);
  float v = 0.0f;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

}  // namespace detail

// The file bytes. Glyphs are written in the order given.
inline std::string SerializeFontDescription(const FontDescription& font) {
  std::string out;
  out.reserve(kFontHeaderSize + kGlyphRecordSize * font.glyphs.size());
  out.append(kFontMagic);
  detail::PutU16(out, font.page_count);
  detail::PutU16(out, static_cast<uint16_t>(font.glyphs.size()));
  detail::PutI32(out, font.max_height);
  detail::PutI32(out, font.max_shift_y);
  for (uint8_t p : font.padding) out.push_back(static_cast<char>(p));
  for (const GlyphRecord& g : font.glyphs) {
    detail::PutU32(out, g.codepoint);
    detail::PutU32(out, g.page);  // the reader keeps the low two bytes
    out.push_back(static_cast<char>(g.width));
    out.push_back(static_cast<char>(g.height));
    detail::PutI32(out, g.shift_x);
    detail::PutI32(out, g.shift_y);
    detail::PutI32(out, g.advance);
    for (int corner = 0; corner < 4; ++corner) {
      detail::PutF32(out, g.u[corner]);
      detail::PutF32(out, g.v[corner]);
    }
  }
  return out;
}

// Reads the bytes back; nothing when the magic is wrong or the file is
// shorter than its glyph count says.
inline std::optional<FontDescription> ParseFontDescription(std::string_view bytes) {
  if (bytes.size() < kFontHeaderSize || bytes.substr(0, kFontMagic.size()) != kFontMagic) {
    return std::nullopt;
  }
  FontDescription font;
  font.page_count = detail::GetU16(bytes, 13);
  const uint16_t glyph_count = detail::GetU16(bytes, 15);
  font.max_height = static_cast<int32_t>(detail::GetU32(bytes, 17));
  font.max_shift_y = static_cast<int32_t>(detail::GetU32(bytes, 21));
  for (int i = 0; i < 4; ++i) font.padding[i] = static_cast<uint8_t>(bytes[25 + static_cast<std::size_t>(i)]);
  if (bytes.size() < kFontHeaderSize + kGlyphRecordSize * glyph_count) return std::nullopt;
  std::size_t at = kFontHeaderSize;
  for (uint16_t i = 0; i < glyph_count; ++i, at += kGlyphRecordSize) {
    GlyphRecord g;
    g.codepoint = detail::GetU32(bytes, at);
    g.page = static_cast<uint16_t>(detail::GetU32(bytes, at + 4) & 0xFFFF);
    g.width = static_cast<uint8_t>(bytes[at + 8]);
    g.height = static_cast<uint8_t>(bytes[at + 9]);
    g.shift_x = static_cast<int32_t>(detail::GetU32(bytes, at + 10));
    g.shift_y = static_cast<int32_t>(detail::GetU32(bytes, at + 14));
    g.advance = static_cast<int32_t>(detail::GetU32(bytes, at + 18));
    for (std::size_t corner = 0; corner < 4; ++corner) {
      g.u[corner] = detail::GetF32(bytes, at + 22 + 8 * corner);
      g.v[corner] = detail::GetF32(bytes, at + 26 + 8 * corner);
    }
    font.glyphs.push_back(g);
  }
  return font;
}

}  // namespace fontbake
