// The font baker: the font list, the description file layout the game
// reads, the page packing, the PNG writer, and the shipped fonts baked for
// real (one baseline, white glyphs inside transparent padding).
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "font_bake.h"
#include "font_file.h"
#include "font_list.h"
#include "png_file.h"
#include "tool_files.h"

namespace {

uint32_t U32At(const std::string& s, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + static_cast<std::size_t>(i)]);
  return v;
}

// The glyph of a character; an empty record (and a failure) when absent.
fontbake::GlyphRecord Find(const fontbake::FontDescription& d, uint32_t c) {
  for (const auto& g : d.glyphs) {
    if (g.codepoint == c) return g;
  }
  ADD_FAILURE() << "no glyph for U+" << c;
  return {};
}

// --- Font list ---------------------------------------------------------------

TEST(FontList, ReadsNameFileSizeAndPaddingSkippingCommentsAndBlankLines) {
  const std::string text =
      "# name file size padding\r\n"
      "\r\n"
      "ui_font  /usr/share/fonts/a.ttf  20  1\r\n"
      "   big\tfonts/b.otf\t52\t2   \n";
  std::vector<std::string> errors;
  const auto fonts = fontbake::ParseFontList(text, &errors);
  EXPECT_TRUE(errors.empty());
  ASSERT_EQ(fonts.size(), 2u);
  EXPECT_EQ(fonts[0].name, "ui_font");
  EXPECT_EQ(fonts[0].file, "/usr/share/fonts/a.ttf");
  EXPECT_EQ(fonts[0].pixel_size, 20);
  EXPECT_EQ(fonts[0].padding, 1);
  EXPECT_EQ(fonts[0].line, 3);
  EXPECT_EQ(fonts[1].name, "big");
  EXPECT_EQ(fonts[1].padding, 2);
  EXPECT_EQ(fontbake::ResolveFontFile(fonts[0], "/content/fonts"), "/usr/share/fonts/a.ttf");
  EXPECT_EQ(fontbake::ResolveFontFile(fonts[1], "/content/fonts"), "/content/fonts/fonts/b.otf");
}

TEST(FontList, ReportsEveryBadLineWithItsNumberAndKeepsTheGoodOnes) {
  const std::string text =
      "good a.ttf 20 1\n"
      "short a.ttf 20\n"
      "../evil a.ttf 20 1\n"
      "tiny a.ttf 3 1\n"
      "huge a.ttf 999999999 1\n"
      "words a.ttf twenty 1\n"
      "padded a.ttf 20 9\n"
      "good b.ttf 30 1\n";
  std::vector<std::string> errors;
  const auto fonts = fontbake::ParseFontList(text, &errors);
  ASSERT_EQ(fonts.size(), 1u);
  EXPECT_EQ(fonts[0].file, "a.ttf");
  ASSERT_EQ(errors.size(), 7u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(errors[static_cast<std::size_t>(i)].rfind("line " + std::to_string(i + 2) + ":", 0), 0u);
  EXPECT_NE(errors[6].find("twice"), std::string::npos);
}

// --- Description file -----------------------------------------------------------

TEST(FontDescription, WritesTheLittleEndianLayoutTheGameReads) {
  fontbake::FontDescription d;
  d.page_count = 1;
  d.max_height = 24;
  d.max_shift_y = -3;
  d.padding[0] = 1, d.padding[1] = 2, d.padding[2] = 3, d.padding[3] = 4;
  fontbake::GlyphRecord g;
  g.codepoint = 0x20AC;
  g.page = 0;
  g.width = 200;
  g.height = 17;
  g.shift_x = -2;
  g.shift_y = 5;
  g.advance = 13;
  for (int i = 0; i < 4; ++i) {
    g.u[i] = 0.25f * static_cast<float>(i);
    g.v[i] = 0.5f;
  }
  d.glyphs.push_back(g);
  const std::string bytes = fontbake::SerializeFontDescription(d);

  ASSERT_EQ(bytes.size(), 29u + 54u);
  EXPECT_EQ(bytes.substr(0, 13), "QMR_FONT_INFO");
  EXPECT_EQ(static_cast<uint8_t>(bytes[13]), 1);  // page count
  EXPECT_EQ(static_cast<uint8_t>(bytes[15]), 1);  // glyph count
  EXPECT_EQ(U32At(bytes, 17), 24u);
  EXPECT_EQ(static_cast<int32_t>(U32At(bytes, 21)), -3);
  EXPECT_EQ(bytes.substr(25, 4), std::string("\x01\x02\x03\x04", 4));
  EXPECT_EQ(U32At(bytes, 29), 0x20ACu);
  EXPECT_EQ(U32At(bytes, 33), 0u);
  EXPECT_EQ(static_cast<uint8_t>(bytes[37]), 200);
  EXPECT_EQ(static_cast<uint8_t>(bytes[38]), 17);
  EXPECT_EQ(static_cast<int32_t>(U32At(bytes, 39)), -2);
  EXPECT_EQ(static_cast<int32_t>(U32At(bytes, 43)), 5);
  EXPECT_EQ(static_cast<int32_t>(U32At(bytes, 47)), 13);
  float u3 = 0.0f;
  const uint32_t bits = U32At(bytes, 51 + 24);  // fourth corner: x
  std::memcpy(&u3, &bits, sizeof u3);
  EXPECT_EQ(u3, 0.75f);
}

TEST(FontDescription, ReadsItsOwnFilesBackAndRefusesOthers) {
  fontbake::FontDescription d;
  d.max_height = 31;
  for (uint32_t c = 65; c < 70; ++c) {
    fontbake::GlyphRecord g;
    g.codepoint = c;
    g.advance = static_cast<int32_t>(c);
    d.glyphs.push_back(g);
  }
  const std::string bytes = fontbake::SerializeFontDescription(d);
  const auto back = fontbake::ParseFontDescription(bytes);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->max_height, 31);
  ASSERT_EQ(back->glyphs.size(), 5u);
  EXPECT_EQ(back->glyphs[4].advance, 69);

  EXPECT_FALSE(fontbake::ParseFontDescription("QMR_FONT_INFX" + bytes.substr(13)).has_value());
  EXPECT_FALSE(fontbake::ParseFontDescription(bytes.substr(0, bytes.size() - 1)).has_value());
  EXPECT_FALSE(fontbake::ParseFontDescription("QMR").has_value());
}

// --- Page packing ----------------------------------------------------------------

TEST(PackBoxes, PlacesEveryBoxInsideAPowerOfTwoPageWithoutOverlap) {
  std::vector<fontbake::Box> boxes;
  uint32_t seed = 7;
  for (int i = 0; i < 300; ++i) {
    seed = seed * 1103515245U + 12345U;
    boxes.push_back(fontbake::Box{static_cast<int>(2 + (seed >> 16) % 40), static_cast<int>(2 + (seed >> 8) % 50), 0, 0});
  }
  int w = 0;
  int h = 0;
  ASSERT_TRUE(fontbake::PackBoxes(boxes, &w, &h));
  EXPECT_EQ(w & (w - 1), 0);
  EXPECT_EQ(h & (h - 1), 0);
  for (std::size_t a = 0; a < boxes.size(); ++a) {
    EXPECT_GE(boxes[a].x, 0);
    EXPECT_GE(boxes[a].y, 0);
    EXPECT_LE(boxes[a].x + boxes[a].w, w);
    EXPECT_LE(boxes[a].y + boxes[a].h, h);
    for (std::size_t b = a + 1; b < boxes.size(); ++b) {
      const bool apart = boxes[a].x + boxes[a].w <= boxes[b].x || boxes[b].x + boxes[b].w <= boxes[a].x ||
                         boxes[a].y + boxes[a].h <= boxes[b].y || boxes[b].y + boxes[b].h <= boxes[a].y;
      ASSERT_TRUE(apart) << "boxes " << a << " and " << b << " overlap";
    }
  }
}

TEST(PackBoxes, RefusesWhatNoPageHolds) {
  std::vector<fontbake::Box> wide{{5000, 10, 0, 0}};
  int w = 0;
  int h = 0;
  EXPECT_FALSE(fontbake::PackBoxes(wide, &w, &h));
}

// --- PNG writer -------------------------------------------------------------------

TEST(PngFile, ChunksCarryValidChecksumsAndTheRowsInflateBackToThePixels) {
  const int w = 5;
  const int h = 3;
  std::vector<uint8_t> rgba(static_cast<std::size_t>(w * h * 4));
  for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>(i * 37 + 11);
  const std::string png = png::EncodeRgba(w, h, rgba);
  ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));

  std::string idat;
  std::vector<std::string> types;
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = (static_cast<uint32_t>(static_cast<uint8_t>(png[at])) << 24) |
                            (static_cast<uint32_t>(static_cast<uint8_t>(png[at + 1])) << 16) |
                            (static_cast<uint32_t>(static_cast<uint8_t>(png[at + 2])) << 8) |
                            static_cast<uint8_t>(png[at + 3]);
    const std::string type = png.substr(at + 4, 4);
    types.push_back(type);
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(png.data() + at + 4), 4 + length);
    const std::size_t crc_at = at + 8 + length;
    const uint32_t stored = (static_cast<uint32_t>(static_cast<uint8_t>(png[crc_at])) << 24) |
                            (static_cast<uint32_t>(static_cast<uint8_t>(png[crc_at + 1])) << 16) |
                            (static_cast<uint32_t>(static_cast<uint8_t>(png[crc_at + 2])) << 8) |
                            static_cast<uint8_t>(png[crc_at + 3]);
    EXPECT_EQ(stored, static_cast<uint32_t>(crc)) << type;
    if (type == "IHDR") {
      EXPECT_EQ(static_cast<uint8_t>(png[at + 11]), w);
      EXPECT_EQ(static_cast<uint8_t>(png[at + 15]), h);
      EXPECT_EQ(static_cast<uint8_t>(png[at + 17]), 6);  // RGBA
    }
    if (type == "IDAT") idat += png.substr(at + 8, length);
    at = crc_at + 4;
  }
  EXPECT_EQ(at, png.size());
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));

  std::vector<uint8_t> raw(static_cast<std::size_t>(h * (1 + w * 4)));
  uLongf raw_size = static_cast<uLongf>(raw.size());
  ASSERT_EQ(uncompress(raw.data(), &raw_size, reinterpret_cast<const Bytef*>(idat.data()), static_cast<uLong>(idat.size())), Z_OK);
  ASSERT_EQ(raw_size, raw.size());
  std::vector<uint8_t> pixels;
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = raw.data() + y * (1 + w * 4);
    ASSERT_EQ(row[0], 1);  // "Sub"
    for (int i = 0; i < w * 4; ++i) {
      const uint8_t left = i >= 4 ? pixels[pixels.size() - 4] : 0;
      pixels.push_back(static_cast<uint8_t>(row[1 + i] + left));
    }
  }
  EXPECT_EQ(pixels, rgba);
  EXPECT_TRUE(png::EncodeRgba(w, h + 1, rgba).empty());
}

// --- The shipped fonts, baked for real ---------------------------------------------

class ShippedFonts : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string list_path = std::string(QUILLMOOR_CONTENT_DIR) + "/fonts/fonts.txt";
    std::string text;
    ASSERT_TRUE(toolfiles::ReadFile(list_path, &text));
    std::vector<std::string> errors;
    fonts_ = fontbake::ParseFontList(text, &errors);
    ASSERT_TRUE(errors.empty()) << errors.front();
    folder_ = toolfiles::FolderOf(list_path);
    for (const auto& f : fonts_) {
      if (!std::filesystem::exists(fontbake::ResolveFontFile(f, folder_))) {
        GTEST_SKIP() << "typeface of \"" << f.name << "\" is not installed";
      }
    }
  }
  fontbake::BakedFont Bake(const fontbake::FontChoice& f) {
    std::string error;
    auto baked = fontbake::BakeFont(fontbake::ResolveFontFile(f, folder_), f.pixel_size, f.padding,
                                    fontbake::GameCharacterSet(), &error);
    EXPECT_TRUE(baked.has_value()) << error;
    return baked ? *baked : fontbake::BakedFont{};
  }
  std::vector<fontbake::FontChoice> fonts_;
  std::string folder_;
};

TEST_F(ShippedFonts, TheGameFontsAreListedAndCarryEveryCharacterOnOnePage) {
  std::vector<std::string> names;
  for (const auto& f : fonts_) names.push_back(f.name);
  for (const char* wanted : {"ui_font", "hand", "big"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), wanted), names.end()) << wanted;
  }
  for (const auto& f : fonts_) {
    const fontbake::BakedFont baked = Bake(f);
    EXPECT_TRUE(baked.missing.empty()) << f.name;
    EXPECT_EQ(baked.description.glyphs.size(), fontbake::GameCharacterSet().size()) << f.name;
    EXPECT_EQ(baked.description.page_count, 1);
    EXPECT_LE(baked.page_width, 1024) << f.name;
    EXPECT_LE(baked.page_height, 1024) << f.name;
    const auto back = fontbake::ParseFontDescription(fontbake::SerializeFontDescription(baked.description));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->glyphs.size(), baked.description.glyphs.size());
  }
}

// A plain roman typeface, whose flat-bottomed letters show the baseline.
TEST(FontBake, GlyphsStandOnOneBaselineInsideTheLineBox) {
  const std::string file = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " is not installed";
  std::string error;
  const auto baked = fontbake::BakeFont(file, 20, 1, fontbake::GameCharacterSet(), &error);
  ASSERT_TRUE(baked.has_value()) << error;
  const auto& d = baked->description;
  EXPECT_EQ(d.max_shift_y, 0);
  // The bottom of a glyph's box, from the line top, is max height + shift y.
  auto bottom = [&d](uint32_t c) { return d.max_height + Find(d, c).shift_y; };
  auto top = [&d](uint32_t c) { return d.max_height + Find(d, c).shift_y - Find(d, c).height; };
  EXPECT_EQ(bottom('H'), bottom('E'));
  EXPECT_EQ(bottom('H'), bottom('x'));
  EXPECT_EQ(bottom('H'), bottom(0xC9));  // É
  EXPECT_GT(bottom('g'), bottom('H'));
  EXPECT_EQ(bottom('g'), bottom('p'));
  EXPECT_LT(top('H'), top('x'));
  EXPECT_LT(top(0xC9), top('H'));
  for (uint32_t c : {uint32_t{'H'}, uint32_t{'g'}, uint32_t{'j'}, uint32_t{'y'}, uint32_t{'l'}, 0xC9u, 0xC5u}) {
    EXPECT_GE(top(c), 0) << c;
    EXPECT_LE(bottom(c), d.max_height) << c;
  }
  EXPECT_GT(Find(d, ' ').advance, 0);
  EXPECT_GT(Find(d, 'W').advance, Find(d, 'i').advance);
}

TEST_F(ShippedFonts, EachQuadShowsItsWhiteGlyphInsideATransparentBorder) {
  for (const auto& f : fonts_) {
    const fontbake::BakedFont baked = Bake(f);
    const auto& d = baked.description;
    const int pw = baked.page_width;
    const int ph = baked.page_height;
    for (const auto& g : d.glyphs) {
      const int x0 = static_cast<int>(std::lround(g.u[0] * static_cast<float>(pw)));
      const int y0 = static_cast<int>(std::lround(g.v[0] * static_cast<float>(ph)));
      const int x1 = static_cast<int>(std::lround(g.u[2] * static_cast<float>(pw)));
      const int y1 = static_cast<int>(std::lround(g.v[2] * static_cast<float>(ph)));
      ASSERT_EQ(g.u[1], g.u[2]);
      ASSERT_EQ(g.v[3], g.v[2]);
      // The quad the game draws is the glyph enlarged by the padding.
      ASSERT_EQ(x1 - x0, g.width + d.padding[0] + d.padding[2]) << f.name << " U+" << g.codepoint;
      ASSERT_EQ(y1 - y0, g.height + d.padding[1] + d.padding[3]) << f.name << " U+" << g.codepoint;
      int covered = 0;
      for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
          const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(pw) + static_cast<std::size_t>(x)) * 4;
          ASSERT_EQ(baked.page_rgba[at], 255);
          ASSERT_EQ(baked.page_rgba[at + 1], 255);
          ASSERT_EQ(baked.page_rgba[at + 2], 255);
          const bool border = x < x0 + d.padding[0] || x >= x1 - d.padding[2] || y < y0 + d.padding[1] ||
                              y >= y1 - d.padding[3];
          if (border) {
            ASSERT_EQ(baked.page_rgba[at + 3], 0) << f.name << " U+" << g.codepoint;
          }
          covered += baked.page_rgba[at + 3] > 128 ? 1 : 0;
        }
      }
      if (g.codepoint > ' ' && g.codepoint != 0xA0 && g.codepoint != 0xAD) {
        EXPECT_GT(covered, 0) << f.name << " U+" << g.codepoint;
      }
    }
  }
}

}  // namespace
