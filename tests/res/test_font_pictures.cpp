// The game's three baked fonts drawn through the draw list onto a headless
// screen; the picture is kept in the build folder for a person to look at.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "support/screen_fixture.h"

namespace {

class FontPictures : public HeadlessScreen {
 protected:
  void SetUp() override {
    HeadlessScreen::SetUp();
    fonts.clear();
    fonts.load_dir(GameDataDir() + "fonts/");
  }
  void TearDown() override {
    fonts.clear();
    HeadlessScreen::TearDown();
  }
  // Whether any pixel of the rectangle is lit.
  bool AnyLit(int x, int y, int w, int h) {
    for (int py = y; py < y + h; py += 2)
      for (int px = x; px < x + w; px += 2)
        if (PixelAt(px, py) != 0) return true;
    return false;
  }
};

}  // namespace

TEST_F(FontPictures, EachGameFontDrawsLatinOneAndTypographicText) {
  ASSERT_EQ(fonts.count(), 3u) << "ui_font, hand and big are generated";
  for (const char* name : {"ui_font", "hand", "big"}) {
    const Font* font = fonts.get(name);
    ASSERT_NE(font, nullptr) << name;
    EXPECT_GT(font->max_height, 10) << name;
    for (const char* text : {"Quillmoor", "\xC3\x84rger \xC3\xA9t\xC3\xA9 \xC3\x9F",
                             "\xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x80\x94 \xE2\x80\xA6 \xE2\x82\xAC"})
      EXPECT_GT(TextWidth(font, text), 20.0f) << name << ": " << text;
  }

  tbatch list;
  list.filled_rect(255, 0x20242A, 0, 0, 1024, 768, BLEND_NORMAL);
  list.text("big", "Quillmoor", 512, 90, 0x22, -1, 1.0f, 255, 0xE8D8A8);
  list.text("hand", "\xE2\x80\x9CThe lantern was still warm\xE2\x80\xA6\xE2\x80\x9D", 512, 190,
            0x22, -1, 1.0f, 255, 0xFFDD77);
  list.text("ui_font", "Options \xE2\x80\x94 Music volume 75 % \xE2\x80\xA2 Caf\xC3\xA9 \xC3\x86\xC3\x98\xC3\x85",
            40, 260, 0x11, -1, 1.0f, 255, 0xFFFFFF);
  list.rect(255, 0x808080, 40, 320, 440, 300, BLEND_NORMAL);
  list.text_rect("ui_font",
                 "A paragraph laid out in a box: words wrap at the right edge, and this one is "
                 "justified so that both edges line up, except for the last line of the text.",
                 40, 320, 440, 300, 0x08, -1, 1.0f, 255, 0xDDDDDD);
  list.rect(255, 0x808080, 540, 320, 440, 300, BLEND_NORMAL);
  list.text_rect("hand", "Centred in its box, in the diary's hand, over two lines or three.",
                 540, 320, 440, 300, 0x22, -1, 1.0f, 255, 0xFFDD77);
  list.text("ui_font", "right-aligned at scale 0.8", 1000, 700, 0x04, -1, 0.8f, 255, 0x996644);
  list.replay(-1);
  EXPECT_TRUE(AnyLit(300, 50, 424, 80)) << "the title";
  EXPECT_TRUE(AnyLit(40, 250, 400, 40)) << "the interface line";
  EXPECT_TRUE(AnyLit(560, 330, 400, 280)) << "the centred paragraph";
  EXPECT_FALSE(AnyLit(5, 5, 20, 20) && PixelAt(5, 5) != 0x20242Au) << "the background stays";
  EXPECT_TRUE(EngineSaveScreenshot(QUILLMOOR_TEST_OUTPUT_DIR "/fonts.png"));
}
