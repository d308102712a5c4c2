// Bitmap fonts and text: the font description file, the loader, measuring,
// and drawing at a point or laid out in a rectangle (words, wrapping,
// alignment, clipping, the typewriter length limit). Glyph quads are drawn
// through the engine's drawing services (render.h).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/render.h"

// Text flags.
inline constexpr uint32_t TEXT_LEFT = 0x001;
inline constexpr uint32_t TEXT_CENTRE = 0x002;
inline constexpr uint32_t TEXT_RIGHT = 0x004;
inline constexpr uint32_t TEXT_JUSTIFY = 0x008;
inline constexpr uint32_t TEXT_TOP = 0x010;
inline constexpr uint32_t TEXT_VCENTRE = 0x020;
inline constexpr uint32_t TEXT_BOTTOM = 0x040;
inline constexpr uint32_t TEXT_CLIP = 0x080;
inline constexpr uint32_t TEXT_CORNER_COLOURS = 0x100;
inline constexpr uint32_t TEXT_LENGTH = 0x200;

struct Glyph {
  uint16_t page = 0;
  uint8_t width = 0;
  uint8_t height = 0;
  int32_t shift_x = 0;
  int32_t shift_y = 0;
  int32_t advance = 0;
  float u[4] = {};  // corners: top-left, top-right, bottom-right, bottom-left
  float v[4] = {};
};

struct Font {
  uint16_t page_count = 0;
  uint16_t glyph_count = 0;
  std::vector<Texture*> pages;  // page_count entries (at least one); owned
  // Indexed by code point; -1 where the font has no glyph.
  std::vector<int32_t> glyph_index;  // 65536 entries
  std::vector<Glyph> glyphs;
  int32_t max_height = 0;
  int32_t max_shift_y = 0;
  uint8_t padding_left = 0;
  uint8_t padding_top = 0;
  uint8_t padding_right = 0;
  uint8_t padding_bottom = 0;

  const Glyph* glyph(uint32_t codepoint) const;
};

// Reads a font description from its bytes (no pages). nullptr when the bytes
// are not a font description; `error` then says why.
std::unique_ptr<Font> ParseFontFile(std::string_view bytes, std::string* error);
// Loads a description file and its page images ("stem-page0.png", ...).
// nullptr, with "Cannot read" or "Unable to load font: " logged, on failure.
Font* LoadFont(const std::string& file_name);
// Frees the pages and the font.
void FreeFont(Font* font);
// Makes texture page i of the font (the font then owns it); out of range: freed.
void SetFontPage(Font* font, int page, Texture* texture);
std::size_t FontCount();
void FreeAllFonts();

// Width of the widest line at scale 1, each character adding advance + step.
float TextWidth(const Font* font, std::string_view text, float step = 0.0f);
// Height of the text laid out in a rectangle of that width.
float TextHeight(const Font* font, float width, std::string_view text, float scale = 1.0f,
                 float step = 0.0f);
// The next draw with TEXT_LENGTH shows only the first n characters.
void SetTextLength(int n);

void DrawText(const Font* font, float x, float y, std::string_view text, uint32_t flags,
              float scale = 1.0f, float step = 0.0f, uint8_t opacity = 255,
              uint32_t colour = 0xFFFFFF);
void DrawTextInRect(const Font* font, float x, float y, float w, float h, std::string_view text,
                    uint32_t flags, float scale = 1.0f, float step = 0.0f, uint8_t opacity = 255,
                    uint32_t colour = 0xFFFFFF);

// --- Layout, without drawing (tests and measuring) --------------------------

struct PlacedGlyph {
  uint16_t page;
  TexturedQuad quad;  // logical units
};
// What DrawText would draw.
std::vector<PlacedGlyph> LayoutText(const Font& font, float x, float y, std::string_view text,
                                    uint32_t flags, float scale, float step, int length_limit);
struct PlacedWord {
  std::string text;  // the word with its leading blanks
  float x;
  float y;
};
// Where DrawTextInRect puts each word.
std::vector<PlacedWord> LayoutTextInRect(const Font& font, float x, float y, float w, float h,
                                         std::string_view text, uint32_t flags, float scale,
                                         float step);
