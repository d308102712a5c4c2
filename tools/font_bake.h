// Bakes one typeface at one pixel size into the game's bitmap font: the
// glyph records of the ".zfi" description and one page of white glyphs
// whose alpha is the coverage. Depends on FreeType (outline rendering).
//
// Every glyph sits on one baseline: the line box is the face's ascender plus
// descender, and a glyph's box is placed so that its top lies
// (ascender - bitmap top) below the top of the line, which the text drawing
// expresses as max height + shift y - height.
#pragma once

#include <ft2build.h>  // FreeType's entry header
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "font_file.h"

namespace fontbake {

// The characters every game font carries: ASCII, Latin-1 and the few
// typographic marks the texts use (quotes, dashes, ellipsis, euro, bullet).
inline std::vector<uint32_t> GameCharacterSet() {
  std::vector<uint32_t> set;
  for (uint32_t c = 32; c <= 126; ++c) set.push_back(c);
  for (uint32_t c = 160; c <= 255; ++c) set.push_back(c);
  for (uint32_t c : {0x2013u, 0x2014u, 0x2018u, 0x2019u, 0x201Au, 0x201Cu, 0x201Du, 0x201Eu, 0x2022u,
                     0x2026u, 0x20ACu}) {
    set.push_back(c);
  }
  return set;
}

struct Box {
  int w = 0;
  int h = 0;
  int x = 0;  // filled in by PackBoxes
  int y = 0;
};

// Places the boxes on shelves, tallest first (ties by index, so the result
// never depends on the sort), in the smallest power-of-two page that holds
// them: 64 x 64, 128 x 64, 128 x 128, ... up to 4096 x 4096. False when even
// that is too small.
inline bool PackBoxes(std::vector<Box>& boxes, int* page_width, int* page_height) {
  std::vector<std::size_t> order(boxes.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&boxes](std::size_t a, std::size_t b) { return boxes[a].h > boxes[b].h; });
  for (int w = 64; w <= 4096; w *= 2) {
    for (int h : {w / 2, w}) {
      if (h < 64) continue;
      int x = 0;
      int y = 0;
      int shelf = 0;
      bool fits = true;
      for (std::size_t i : order) {
        Box& box = boxes[i];
        if (box.w > w) {
          fits = false;
          break;
        }
        if (x + box.w > w) {
          y += shelf;
          x = 0;
          shelf = 0;
        }
        if (y + box.h > h) {
          fits = false;
          break;
        }
        box.x = x;
        box.y = y;
        x += box.w;
        shelf = std::max(shelf, box.h);
      }
      if (fits) {
        *page_width = w;
        *page_height = h;
        return true;
      }
    }
  }
  return false;
}

struct BakedFont {
  FontDescription description;
  int page_width = 0;
  int page_height = 0;
  std::vector<uint8_t> page_rgba;  // page_width * page_height * 4
  std::vector<uint32_t> missing;   // characters the typeface does not have
};

namespace detail {

struct RenderedGlyph {
  uint32_t codepoint = 0;
  int width = 0;
  int height = 0;
  int left = 0;     // bitmap left
  int top = 0;      // bitmap top, above the baseline
  int advance = 0;  // whole pixels
  std::vector<uint8_t> coverage;  // width * height
};

inline int CeilPixels(FT_Pos value) { return static_cast<int>((value + 63) >> 6); }

// Coverage of the glyph's bitmap, one byte a pixel, whatever FreeType's
// pixel mode (grey, or one bit a pixel for faces with bitmap strikes).
inline std::vector<uint8_t> Coverage(const FT_Bitmap& bitmap) {
  const int w = static_cast<int>(bitmap.width);
  const int h = static_cast<int>(bitmap.rows);
  std::vector<uint8_t> out(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
    for (int x = 0; x < w; ++x) {
      uint8_t value = 0;
      if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        value = (row[x / 8] & (0x80 >> (x % 8))) != 0 ? 255 : 0;
      } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
        value = static_cast<uint8_t>(row[x] * 255 / std::max(1, bitmap.num_grays - 1));
      }
      out[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] = value;
    }
  }
  return out;
}

}  // namespace detail

// Bakes the characters of `characters` that the typeface has. Nothing, with
// the reason in `error`, when the file is not a usable typeface or the
// glyphs do not fit on one 4096 x 4096 page.
inline std::optional<BakedFont> BakeFont(const std::string& font_file, int pixel_size, int padding,
                                         const std::vector<uint32_t>& characters, std::string* error) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    *error = "FreeType does not start";
    return std::nullopt;
  }
  FT_Face face = nullptr;
  if (FT_New_Face(library, font_file.c_str(), 0, &face) != 0) {
    FT_Done_FreeType(library);
    *error = "cannot open typeface \"" + font_file + "\"";
    return std::nullopt;
  }
  auto done = [&]() {
    FT_Done_Face(face);
    FT_Done_FreeType(library);
  };
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size)) != 0) {
    done();
    *error = "typeface \"" + font_file + "\" has no size " + std::to_string(pixel_size);
    return std::nullopt;
  }

  BakedFont baked;
  const int ascent = detail::CeilPixels(face->size->metrics.ascender);
  const int descent = detail::CeilPixels(-face->size->metrics.descender);
  std::vector<detail::RenderedGlyph> glyphs;
  for (uint32_t c : characters) {
    const FT_UInt index = FT_Get_Char_Index(face, c);
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) {
      baked.missing.push_back(c);
      continue;
    }
    const FT_GlyphSlot slot = face->glyph;
    detail::RenderedGlyph g;
    g.codepoint = c;
    g.width = static_cast<int>(slot->bitmap.width);
    g.height = static_cast<int>(slot->bitmap.rows);
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.advance = static_cast<int>(std::lround(static_cast<double>(slot->advance.x) / 64.0));
    if (g.width > 255 || g.height > 255) {
      done();
      *error = "glyph " + std::to_string(c) + " is larger than 255 pixels";
      return std::nullopt;
    }
    g.coverage = detail::Coverage(slot->bitmap);
    glyphs.push_back(std::move(g));
  }
  done();

  std::vector<Box> boxes;
  for (const detail::RenderedGlyph& g : glyphs) {
    boxes.push_back(Box{g.width + 2 * padding, g.height + 2 * padding, 0, 0});
  }
  if (!PackBoxes(boxes, &baked.page_width, &baked.page_height)) {
    *error = "the glyphs do not fit on one page";
    return std::nullopt;
  }

  // Transparent white everywhere, so filtered edges never darken.
  const std::size_t pixels = static_cast<std::size_t>(baked.page_width) * static_cast<std::size_t>(baked.page_height);
  baked.page_rgba.assign(pixels * 4, 255);
  for (std::size_t i = 0; i < pixels; ++i) baked.page_rgba[i * 4 + 3] = 0;

  FontDescription& d = baked.description;
  d.page_count = 1;
  d.max_height = ascent + descent;
  d.max_shift_y = 0;
  for (uint8_t& p : d.padding) p = static_cast<uint8_t>(padding);
  const float pw = static_cast<float>(baked.page_width);
  const float ph = static_cast<float>(baked.page_height);
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    const detail::RenderedGlyph& g = glyphs[i];
    const Box& box = boxes[i];
    for (int y = 0; y < g.height; ++y) {
      for (int x = 0; x < g.width; ++x) {
        const std::size_t at = (static_cast<std::size_t>(box.y + padding + y) * static_cast<std::size_t>(baked.page_width) +
                                static_cast<std::size_t>(box.x + padding + x)) * 4;
        baked.page_rgba[at + 3] = g.coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(g.width) + static_cast<std::size_t>(x)];
      }
    }
    GlyphRecord r;
    r.codepoint = g.codepoint;
    r.page = 0;
    r.width = static_cast<uint8_t>(g.width);
    r.height = static_cast<uint8_t>(g.height);
    r.shift_x = g.left;
    // Bottom of the box = max height + shift y = ascent - top + height.
    r.shift_y = g.height - g.top - descent;
    r.advance = g.advance;
    // The quad is enlarged by the padding on every side, so the texture
    // rectangle takes in the padding too.
    const float u0 = static_cast<float>(box.x) / pw;
    const float u1 = static_cast<float>(box.x + box.w) / pw;
    const float v0 = static_cast<float>(box.y) / ph;
    const float v1 = static_cast<float>(box.y + box.h) / ph;
    r.u[0] = u0, r.v[0] = v0;
    r.u[1] = u1, r.v[1] = v0;
    r.u[2] = u1, r.v[2] = v1;
    r.u[3] = u0, r.v[3] = v1;
    d.glyphs.push_back(r);
  }
  return baked;
}

}  // namespace fontbake
