// Bitmap fonts: the description file, measuring, text at a point, text laid
// out in a rectangle, loading pages and drawing through the real renderer.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/font.h"
#include "engine/log.h"
#include "support/screen_fixture.h"
#include "support/temp_files.h"

namespace {

// --- A small writer of description files -----------------------------------------

struct GlyphRow {
  uint32_t codepoint = 0;
  uint32_t page = 0;
  uint8_t width = 4;
  uint8_t height = 7;
  int32_t shift_x = 0;
  int32_t shift_y = 0;
  int32_t advance = 5;
  std::array<float, 8> uv = {0, 0, 1, 0, 1, 1, 0, 1};  // x then y, four corners
};

void Put32(std::string& out, uint32_t v) {
  for (int k = 0; k < 4; ++k) out += static_cast<char>((v >> (8 * k)) & 0xFF);
}

std::string FontBytes(uint16_t pages, int32_t max_height, int32_t max_shift_y,
                      const std::vector<GlyphRow>& rows, std::array<uint8_t, 4> padding = {},
                      std::string_view magic = "QMR_FONT_INFO") {
  std::string out(magic);
  out += static_cast<char>(pages & 0xFF);
  out += static_cast<char>(pages >> 8);
  out += static_cast<char>(rows.size() & 0xFF);
  out += static_cast<char>(rows.size() >> 8);
  Put32(out, static_cast<uint32_t>(max_height));
  Put32(out, static_cast<uint32_t>(max_shift_y));
  for (uint8_t p : padding) out += static_cast<char>(p);
  for (const GlyphRow& g : rows) {
    Put32(out, g.codepoint);
    Put32(out, g.page);
    out += static_cast<char>(g.width);
    out += static_cast<char>(g.height);
    Put32(out, static_cast<uint32_t>(g.shift_x));
    Put32(out, static_cast<uint32_t>(g.shift_y));
    Put32(out, static_cast<uint32_t>(g.advance));
    for (float f : g.uv) Put32(out, std::bit_cast<uint32_t>(f));
  }
  return out;
}

// The font most tests use: lower-case letters 4 x 7 advancing 5, a blank
// advancing 3, and a wide "W" on the second page. Lines are 10 high.
std::vector<GlyphRow> LetterRows() {
  std::vector<GlyphRow> rows;
  for (char c = 'a'; c <= 'z'; ++c) rows.push_back({.codepoint = static_cast<uint32_t>(c)});
  rows.push_back({.codepoint = ' ', .width = 0, .height = 0, .advance = 3});
  rows.push_back({.codepoint = 'W', .page = 1, .width = 8, .advance = 9});
  return rows;
}

std::unique_ptr<Font> Parse(const std::string& bytes, std::string* error = nullptr) {
  return ParseFontFile(bytes, error);
}

class Letters : public ::testing::Test {
 protected:
  void SetUp() override {
    font_ = Parse(FontBytes(2, 10, 2, LetterRows()));
    ASSERT_NE(font_, nullptr);
  }
  std::vector<PlacedGlyph> At(float x, float y, std::string_view text, uint32_t flags = 0,
                              float scale = 1.0f, float step = 0.0f, int limit = -1) const {
    return LayoutText(*font_, x, y, text, flags, scale, step, limit);
  }
  std::vector<PlacedWord> InRect(float x, float y, float w, float h, std::string_view text,
                                 uint32_t flags = 0, float scale = 1.0f) const {
    return LayoutTextInRect(*font_, x, y, w, h, text, flags, scale, 0.0f);
  }
  std::unique_ptr<Font> font_;
};

::testing::AssertionResult WordAt(const PlacedWord& word, std::string_view text, float x, float y) {
  if (word.text == text && word.x == x && word.y == y) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "word \"" << word.text << "\" at (" << word.x << ", " << word.y << "), wanted \""
         << text << "\" at (" << x << ", " << y << ")";
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A solid white square saved as PNG.
void WritePage(const std::filesystem::path& path, int size = 8) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_RGBA32);
  ASSERT_NE(s, nullptr);
  SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, 255, 255, 255, 255));
  ASSERT_EQ(IMG_SavePNG(s, path.string().c_str()), 0);
  SDL_FreeSurface(s);
}

std::string LogOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

// --- The description file --------------------------------------------------------

TEST(FontFile, ReadsTheHeaderAndEveryGlyphField) {
  GlyphRow g{.codepoint = 0x44F,
             .page = 0x00070001,  // only the low two bytes name the page
             .width = 9,
             .height = 12,
             .shift_x = -2,
             .shift_y = -3,
             .advance = 11,
             .uv = {0.25f, 0.5f, 0.75f, 0.5f, 0.75f, 1.0f, 0.25f, 1.0f}};
  const auto font = Parse(FontBytes(3, 19, -4, {g}, {1, 2, 3, 4}));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->page_count, 3);
  EXPECT_EQ(font->pages.size(), 3u);
  EXPECT_EQ(font->glyph_count, 1);
  EXPECT_EQ(font->max_height, 19);
  EXPECT_EQ(font->max_shift_y, -4);
  EXPECT_EQ(font->padding_left, 1);
  EXPECT_EQ(font->padding_top, 2);
  EXPECT_EQ(font->padding_right, 3);
  EXPECT_EQ(font->padding_bottom, 4);
  const Glyph* read = font->glyph(0x44F);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->page, 1);
  EXPECT_EQ(read->width, 9);
  EXPECT_EQ(read->height, 12);
  EXPECT_EQ(read->shift_x, -2);
  EXPECT_EQ(read->shift_y, -3);
  EXPECT_EQ(read->advance, 11);
  EXPECT_EQ(read->u[1], 0.75f);
  EXPECT_EQ(read->v[2], 1.0f);
  EXPECT_EQ(read->u[3], 0.25f);
  EXPECT_EQ(font->glyph(0x44E), nullptr);
}

TEST(FontFile, ALaterRecordForTheSameCharacterReplacesTheEarlierOne) {
  const auto font = Parse(FontBytes(1, 10, 0,
                                    {{.codepoint = 'a', .advance = 5},
                                     {.codepoint = 'b', .advance = 6},
                                     {.codepoint = 'a', .advance = 8}}));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->glyph('a')->advance, 8);
  EXPECT_EQ(font->glyph('b')->advance, 6);
  EXPECT_EQ(TextWidth(font.get(), "ab"), 14.0f);
}

TEST(FontFile, RefusesOtherMagicAShortHeaderAndCutRecords) {
  std::string error;
  EXPECT_EQ(Parse(FontBytes(1, 10, 0, {}, {}, "QMR_FONT_INFX"), &error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Parse(""), nullptr);
  EXPECT_EQ(Parse(FontBytes(1, 10, 0, {}).substr(0, 28)), nullptr);

  const std::string two = FontBytes(1, 10, 0, {{.codepoint = 'a'}, {.codepoint = 'b'}});
  ASSERT_EQ(two.size(), 29u + 2 * 54);
  EXPECT_NE(Parse(two), nullptr);
  error.clear();
  EXPECT_EQ(Parse(two.substr(0, two.size() - 1), &error), nullptr);
  EXPECT_FALSE(error.empty());
  // Bytes after the last record are not the font's concern.
  EXPECT_NE(Parse(two + "trailing"), nullptr);
}

TEST(FontFile, LeavesOutGlyphsOnNoPageOrBeyondTheTable) {
  const auto font = Parse(FontBytes(2, 10, 0,
                                    {{.codepoint = 'a', .page = 1},
                                     {.codepoint = 'b', .page = 2},
                                     {.codepoint = 0xFFFF},
                                     {.codepoint = 0x10000},
                                     {.codepoint = 0x1F600}}));
  ASSERT_NE(font, nullptr);
  EXPECT_NE(font->glyph('a'), nullptr);
  EXPECT_EQ(font->glyph('b'), nullptr);
  EXPECT_NE(font->glyph(0xFFFF), nullptr);
  EXPECT_EQ(font->glyph(0x10000), nullptr);
  EXPECT_EQ(font->glyph(0x1F600), nullptr);
  EXPECT_EQ(font->glyphs.size(), 2u);

  // A font that names no pages is a one-page font.
  const auto no_pages =
      Parse(FontBytes(0, 10, 0, {{.codepoint = 'a'}, {.codepoint = 'b', .page = 1}}));
  ASSERT_NE(no_pages, nullptr);
  EXPECT_EQ(no_pages->pages.size(), 1u);
  EXPECT_NE(no_pages->glyph('a'), nullptr);
  EXPECT_EQ(no_pages->glyph('b'), nullptr);
}

// --- Measuring -------------------------------------------------------------------

TEST_F(Letters, TextWidthIsTheWidestLineAndSkipsWhatHasNoGlyph) {
  EXPECT_EQ(TextWidth(font_.get(), "ab\nabcd\nabc"), 20.0f);
  EXPECT_EQ(TextWidth(font_.get(), "abcd\nab\n"), 20.0f);
  EXPECT_EQ(TextWidth(font_.get(), "ab\nabc", 1.0f), 18.0f);
  EXPECT_EQ(TextWidth(font_.get(), "a b"), 13.0f);
  // "#" has no glyph, nor have characters past the table or a cut sequence.
  EXPECT_EQ(TextWidth(font_.get(),
                      "a#\xF0\x9F\x98\x80"
                      "b\xE2"),
            10.0f);
  EXPECT_EQ(TextWidth(font_.get(), ""), 0.0f);
  EXPECT_EQ(TextWidth(nullptr, "abc"), 0.0f);
}

TEST_F(Letters, TextHeightCountsTheLinesOfTheLayout) {
  EXPECT_EQ(TextHeight(font_.get(), 100.0f, "a\nb\nc"), 30.0f);
  EXPECT_EQ(TextHeight(font_.get(), 30.0f, "aa bb  cc"), 20.0f);  // wraps once
  // Line step round(12.5) = 12 (halves to even), plus one unrounded line.
  EXPECT_EQ(TextHeight(font_.get(), 100.0f, "a\nb\nc", 1.25f), 36.5f);
  EXPECT_EQ(TextHeight(font_.get(), 100.0f, ""), 10.0f);
  EXPECT_EQ(TextHeight(nullptr, 100.0f, "a"), 0.0f);
}

// --- Text at a point ---------------------------------------------------------------

TEST(TextAtPoint, GlyphQuadsHonourShiftPaddingAndScale) {
  const auto font = Parse(FontBytes(1, 10, 2,
                                    {{.codepoint = 'g',
                                      .width = 4,
                                      .height = 6,
                                      .shift_x = 1,
                                      .shift_y = 2,
                                      .advance = 5,
                                      .uv = {0.1f, 0.2f, 0.3f, 0.2f, 0.3f, 0.4f, 0.1f, 0.4f}}},
                                    {1, 2, 3, 4}));
  const auto glyphs = LayoutText(*font, 100, 50, "gg", 0, 2.0f, 0.5f, -1);
  ASSERT_EQ(glyphs.size(), 2u);
  // The line starts at 50 - 2 * 2 = 46.
  const TexturedQuad& q = glyphs[0].quad;
  EXPECT_EQ(q.x[0], 100.0f);  // 100 + (1 - 1) * 2
  EXPECT_EQ(q.y[0], 54.0f);   // 46 + (10 + 2 - 6 - 2) * 2
  EXPECT_EQ(q.x[1], 116.0f);  // 100 + (4 + 1 + 3) * 2
  EXPECT_EQ(q.y[1], 54.0f);
  EXPECT_EQ(q.x[2], 116.0f);
  EXPECT_EQ(q.y[2], 78.0f);  // 46 + (10 + 2 + 4) * 2
  EXPECT_EQ(q.x[3], 100.0f);
  EXPECT_EQ(q.y[3], 78.0f);
  EXPECT_EQ(q.u[1], 0.3f);
  EXPECT_EQ(q.v[2], 0.4f);
  EXPECT_EQ(glyphs[1].quad.x[0], 111.0f);  // advance (5 + 0.5) * 2
}

TEST_F(Letters, CentredTextRoundsItsHalfWidthToEvenBeforeScaling) {
  // Width 15 at scale 2: half 7.5 rounds to 8, so the text starts 16 left.
  EXPECT_EQ(At(100, 0, "abc", TEXT_CENTRE, 2.0f)[0].quad.x[0], 84.0f);
  // Width 13 (step 1.5): half 6.5 rounds to 6.
  EXPECT_EQ(At(100, 0, "ab", TEXT_CENTRE, 2.0f, 1.5f)[0].quad.x[0], 88.0f);
  EXPECT_EQ(At(100, 0, "abc", TEXT_RIGHT, 2.0f)[0].quad.x[0], 70.0f);
  // Every line of a centred text starts where the widest line does.
  const auto lines = At(100, 0, "abcd\na", TEXT_CENTRE);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].quad.x[0], 90.0f);
  EXPECT_EQ(lines[4].quad.x[0], 90.0f);
  EXPECT_EQ(lines[4].quad.y[0], lines[0].quad.y[0] + 10.0f);
}

TEST(TextAtPoint, VerticalAlignmentMovesUpByLineHeights) {
  // An odd line height: its half drops the remainder.
  const auto font = Parse(FontBytes(1, 11, -3, {{.codepoint = 'a', .height = 7}}));
  const auto top = LayoutText(*font, 0, 50, "a", 0, 2.0f, 0.0f, -1);
  const auto centre = LayoutText(*font, 0, 50, "a", TEXT_VCENTRE, 2.0f, 0.0f, -1);
  const auto bottom = LayoutText(*font, 0, 50, "a", TEXT_BOTTOM, 2.0f, 0.0f, -1);
  EXPECT_EQ(top[0].quad.y[0], 64.0f);  // 50 + 3 * 2 + (11 - 7) * 2
  EXPECT_EQ(centre[0].quad.y[0], 54.0f);
  EXPECT_EQ(bottom[0].quad.y[0], 42.0f);
}

TEST_F(Letters, CharactersWithoutAGlyphLeaveNoGap) {
  const std::string texts[] = {"a#b",
                               "a\xF0\x9F\x98\x80"
                               "b",
                               "a\xFC\x84\x80\x80\x80\x80"
                               "b",
                               "a\x80"
                               "b"};
  for (const std::string& text : texts) {
    const auto glyphs = At(10, 0, text);
    ASSERT_EQ(glyphs.size(), 2u) << text;
    EXPECT_EQ(glyphs[1].quad.x[0], 15.0f) << text;
  }
  EXPECT_TRUE(At(10, 0, "a\xE2").size() == 1u);  // a sequence cut by the end
}

TEST_F(Letters, GlyphsKeepTheirPagesAndLineFeedsReturnToTheStart) {
  const auto glyphs = At(20, 30, "aW\nb");
  ASSERT_EQ(glyphs.size(), 3u);
  EXPECT_EQ(glyphs[0].page, 0);
  EXPECT_EQ(glyphs[1].page, 1);
  EXPECT_EQ(glyphs[1].quad.x[0], 25.0f);
  EXPECT_EQ(glyphs[2].quad.x[0], 20.0f);
  EXPECT_EQ(glyphs[2].quad.y[0], glyphs[0].quad.y[0] + 10.0f);
}

TEST_F(Letters, TheLengthLimitCountsEveryCharacterIncludingLineFeeds) {
  EXPECT_EQ(At(0, 0, "ab\ncd", TEXT_LENGTH, 1.0f, 0.0f, 4).size(), 3u);
  EXPECT_EQ(At(0, 0, "a#bc", TEXT_LENGTH, 1.0f, 0.0f, 2).size(), 1u);
  EXPECT_EQ(At(0, 0, "abc", TEXT_LENGTH, 1.0f, 0.0f, 0).size(), 0u);
  // Without the flag, or with a negative count, the whole text shows.
  EXPECT_EQ(At(0, 0, "abc", 0, 1.0f, 0.0f, 1).size(), 3u);
  EXPECT_EQ(At(0, 0, "abc", TEXT_LENGTH, 1.0f, 0.0f, -1).size(), 3u);
}

// --- Text in a rectangle -------------------------------------------------------------

TEST_F(Letters, WrappedWordsStartTheirLineWithoutBlanks) {
  // Room is w - 2 = 28: "aa  bb" is 26 wide, " cc" would make it 39.
  auto words = InRect(0, 0, 30, 100, "aa  bb cc");
  ASSERT_EQ(words.size(), 3u);
  EXPECT_TRUE(WordAt(words[0], "aa", 1, 1));
  EXPECT_TRUE(WordAt(words[1], "  bb", 11, 1));
  EXPECT_TRUE(WordAt(words[2], "cc", 1, 11));

  words = InRect(0, 0, 30, 100, "aa bb  cc");
  ASSERT_EQ(words.size(), 3u);
  EXPECT_TRUE(WordAt(words[2], "cc", 1, 11));

  // Blanks opening the text or a paragraph, or ending the text, are dropped.
  words = InRect(10.4f, 20.6f, 100, 100, "  aa  \n   bb   ");
  ASSERT_EQ(words.size(), 2u);
  EXPECT_TRUE(WordAt(words[0], "aa", 11, 22));
  EXPECT_TRUE(WordAt(words[1], "bb", 11, 32));
}

TEST_F(Letters, AWordWiderThanTheBoxStaysOnItsLine) {
  const auto words = InRect(0, 0, 20, 100, "abcdefghij k");
  ASSERT_EQ(words.size(), 2u);
  EXPECT_TRUE(WordAt(words[0], "abcdefghij", 1, 1));
  EXPECT_TRUE(WordAt(words[1], "k", 1, 11));
}

TEST_F(Letters, LineFeedsEndLinesAndEmptyLinesStillCount) {
  const auto words = InRect(0, 0, 200, 100, "aa\n\nbb cc");
  ASSERT_EQ(words.size(), 3u);
  EXPECT_TRUE(WordAt(words[1], "bb", 1, 21));
  EXPECT_TRUE(WordAt(words[2], " cc", 11, 21));
}

TEST_F(Letters, JustifiedLinesReachTheRightEdgeExceptAtParagraphEnds) {
  // Line one "aa bb cc" ends at 37, the edge is 45: r = 8 over 2 gaps grows
  // each gap by 3 pixels and gives the last word the remaining 2.
  auto words = InRect(0, 0, 46, 100, "aa bb cc dd", TEXT_JUSTIFY);
  ASSERT_EQ(words.size(), 4u);
  EXPECT_TRUE(WordAt(words[0], "aa", 1, 1));
  EXPECT_TRUE(WordAt(words[1], " bb", 14, 1));
  EXPECT_TRUE(WordAt(words[2], " cc", 32, 1));
  EXPECT_EQ(words[2].x + 13, 45.0f);
  EXPECT_TRUE(WordAt(words[3], "dd", 1, 11));  // the last line stays left

  words = InRect(0, 0, 46, 100, "aa bb\ncc", TEXT_JUSTIFY);
  EXPECT_TRUE(WordAt(words[1], " bb", 11, 1));
  // A single overlong word on a wrapped line is not spread.
  words = InRect(0, 0, 20, 100, "abcdefghij k", TEXT_JUSTIFY);
  EXPECT_TRUE(WordAt(words[0], "abcdefghij", 1, 1));
}

TEST_F(Letters, CentreAndRightShareTheFreeRoomOfEachLine) {
  // round(0.5) + 1 = 1 on the left; the edge round(29.5) = 30.
  EXPECT_TRUE(WordAt(InRect(0.5f, 0, 30, 100, "abc", TEXT_CENTRE)[0], "abc", 8, 1));
  EXPECT_TRUE(WordAt(InRect(0.5f, 0, 30, 100, "abc", TEXT_RIGHT)[0], "abc", 15, 1));
  // round(1.5) + 1 = 3; the edge round(30.5) = 30.
  EXPECT_TRUE(WordAt(InRect(1.5f, 0, 30, 100, "abc", TEXT_CENTRE)[0], "abc", 9, 1));
  // An overflowing centred word moves left by half its excess, rounded to zero.
  EXPECT_TRUE(WordAt(InRect(0, 0, 21, 100, "abcdefghij", TEXT_CENTRE)[0], "abcdefghij", -14, 1));
  const auto two_lines = InRect(0, 0, 30, 100, "ab\nabcd", TEXT_RIGHT);
  EXPECT_EQ(two_lines[0].x, 19.0f);  // the edge is round(29) = 29
  EXPECT_EQ(two_lines[1].x, 9.0f);
}

TEST_F(Letters, VerticalAlignmentUsesTheRoomBelowTheLastLine) {
  // Last line top 11, its bottom 21; the box ends at 49: 28 to spare.
  auto words = InRect(0, 0, 100, 50, "a\nb", TEXT_BOTTOM);
  EXPECT_EQ(words[0].y, 29.0f);
  EXPECT_EQ(words[1].y, 39.0f);
  words = InRect(0, 0, 100, 50, "a\nb", TEXT_VCENTRE);
  EXPECT_EQ(words[0].y, 15.0f);
  // Scaled lines are round(12.5) = 12 apart.
  words = InRect(0, 0, 100, 100, "a\nb\nc", 0, 1.25f);
  EXPECT_EQ(words[2].y, 25.0f);
}

TEST_F(Letters, ClippingStopsBeforeALineThatWouldPassTheHeight) {
  EXPECT_EQ(InRect(0, 0, 100, 25, "a\nb\nc", TEXT_CLIP).size(), 2u);
  EXPECT_EQ(InRect(0, 0, 100, 25, "a\nb\nc").size(), 3u);
  EXPECT_EQ(InRect(0, 0, 100, 9, "a", TEXT_CLIP).size(), 0u);
  // A wrapped word that would start a clipped line is dropped with the rest.
  const auto words = InRect(0, 0, 30, 15, "aa bb cc dd", TEXT_CLIP | TEXT_BOTTOM);
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(words[1].text, " bb");
  EXPECT_EQ(words[0].y, 4.0f);  // 14 - (1 + 10) + 1
}

TEST_F(Letters, ManyWordsAllFindTheirPlace) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "ab ";
  const auto words = InRect(0, 0, 1000, 10000, text);
  ASSERT_EQ(words.size(), 3000u);
  // 998 of room takes the first word (10) and 76 more of 13 on each line.
  EXPECT_TRUE(WordAt(words[76], " ab", 1 + 10 + 13 * 75, 1));
  EXPECT_TRUE(WordAt(words[77], "ab", 1, 11));
  EXPECT_TRUE(WordAt(words[2999], " ab", 1 + 10 + 13 * 72, 1 + 10 * 38));
}

// --- Loading ----------------------------------------------------------------------------

TEST(FontLoad, MissingAndForeignFilesGiveNoFontAndOneLogLine) {
  const auto dir = MakeTempFolder("quillmoor_font_load");
  const auto log = dir / "log.txt";
  WriteFile(dir / "other.zfi", FontBytes(1, 10, 0, {}, {}, "QMR_FONT_INFY"));
  WriteFile(dir / "short.zfi", FontBytes(1, 10, 0, {{.codepoint = 'a'}}).substr(0, 60));
  const std::size_t fonts_before = FontCount();
  ASSERT_TRUE(LogOpen(log.string(), 0.0));
  EXPECT_EQ(LoadFont((dir / "absent.zfi").string()), nullptr);
  EXPECT_EQ(LoadFont((dir / "other.zfi").string()), nullptr);
  EXPECT_EQ(LoadFont((dir / "short.zfi").string()), nullptr);
  LogClose();
  EXPECT_EQ(FontCount(), fonts_before);
  const std::string text = LogOf(log);
  const std::string absent = "Cannot read \"" + (dir / "absent.zfi").string() + "\"";
  EXPECT_NE(text.find(absent), std::string::npos) << text;
  EXPECT_EQ(text.find("Unable to load font: \"" + (dir / "absent.zfi").string()),
            std::string::npos);
  EXPECT_NE(text.find("Unable to load font: \"" + (dir / "other.zfi").string() + "\"\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Unable to load font: \"" + (dir / "short.zfi").string() + "\"\r\n"),
            std::string::npos);
  std::filesystem::remove_all(dir);
}

// --- Through the real renderer -----------------------------------------------------------

class FontDrawing : public HeadlessScreen {
 protected:
  void SetUp() override {
    HeadlessScreen::SetUp();
    dir_ = MakeTempFolder("quillmoor_font_draw");
  }
  void TearDown() override {
    FreeAllFonts();
    HeadlessScreen::TearDown();
    std::filesystem::remove_all(dir_);
  }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

TEST_F(FontDrawing, PagesAreFoundBesideTheDescriptionAndOwnedByTheFont) {
  WriteFile(Path("menu.zfi"), FontBytes(3, 10, 2, LetterRows()));
  WritePage(Path("menu-page0.png"));
  WritePage(Path("menu-page2.png"));
  const std::size_t textures = TextureCount();
  const std::size_t fonts = FontCount();
  Font* font = LoadFont(Path("menu.zfi"));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(FontCount(), fonts + 1);
  ASSERT_EQ(font->pages.size(), 3u);
  EXPECT_NE(font->pages[0], nullptr);
  EXPECT_EQ(font->pages[1], nullptr);
  EXPECT_NE(font->pages[2], nullptr);
  EXPECT_EQ(TextureCount(), textures + 2);
  SetFontPage(font, 1, LoadTexture(Path("menu-page0.png")));
  SetFontPage(font, 0, LoadTexture(Path("menu-page0.png")));  // replaces the old page
  SetFontPage(font, 3, LoadTexture(Path("menu-page0.png")));  // no such page: freed
  EXPECT_EQ(TextureCount(), textures + 3);
  FreeFont(font);
  EXPECT_EQ(FontCount(), fonts);
  EXPECT_EQ(TextureCount(), textures);
}

TEST_F(FontDrawing, TextIsDrawnInItsColourAndTheStateIsWhiteAgainAfterwards) {
  WriteFile(Path("plain.zfi"), FontBytes(2, 10, 2, LetterRows()));
  WritePage(Path("plain-page0.png"));
  WritePage(Path("plain-page1.png"));
  Font* font = LoadFont(Path("plain.zfi"));
  ASSERT_NE(font, nullptr);
  // Glyphs cover x 100..104 and 105..109 (page 1: 110..118), y 101..108.
  DrawText(font, 100, 100, "aaW", 0, 1.0f, 0.0f, 255, 0xFF0000);
  DrawSprite(font->pages[0], 200, 100, 8, 8, 0.0f, 255, 0);
  EXPECT_EQ(PixelAt(102, 104), 0xFF0000u);
  EXPECT_EQ(PixelAt(107, 104), 0xFF0000u);
  EXPECT_EQ(PixelAt(114, 104), 0xFF0000u);
  EXPECT_EQ(PixelAt(102, 110), 0x000000u);
  EXPECT_EQ(PixelAt(204, 104), 0xFFFFFFu);

  // The typewriter count runs across the words of a rectangle: "aa" takes
  // two, " bb" the remaining two (a blank and one "b").
  SetTextLength(4);
  DrawTextInRect(font, 299, 199, 200, 100, "aa bb", TEXT_LENGTH, 1.0f, 0.0f, 255, 0x00FF00);
  EXPECT_EQ(PixelAt(302, 204), 0x00FF00u);  // "aa" from 300
  EXPECT_EQ(PixelAt(315, 204), 0x00FF00u);  // " bb" from 310, its first "b" at 313
  EXPECT_EQ(PixelAt(320, 204), 0x000000u);

  // Without one of its pages the font draws nothing at all.
  ClearScreen();
  SetFontPage(font, 1, nullptr);
  DrawText(font, 100, 100, "aa", 0);
  DrawTextInRect(font, 299, 199, 200, 100, "aa bb", 0);
  EXPECT_EQ(PixelAt(102, 104), 0x000000u);
  EXPECT_EQ(PixelAt(302, 204), 0x000000u);
}
