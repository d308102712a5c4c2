// The draw list: capacity, replay of everything or of one command, and the
// commands drawn onto a real headless screen.
#include <gtest/gtest.h>

#include "res/draw_list.h"
#include "support/screen_fixture.h"

namespace {

class DrawListOnScreen : public HeadlessScreen {
 protected:
  tbatch list;
};

}  // namespace

TEST(DrawList, RefusesCommandsPastItsCapacity) {
  tbatch list;
  for (std::size_t i = 0; i < DRAW_CAPACITY + 10; ++i)
    list.filled_rect(255, 0xFF0000, static_cast<float>(i), 0, 1, 1, BLEND_NORMAL);
  EXPECT_EQ(list.count(), DRAW_CAPACITY);
  EXPECT_FLOAT_EQ(list[DRAW_CAPACITY - 1].x, static_cast<float>(DRAW_CAPACITY - 1));
  list.clear();
  EXPECT_EQ(list.count(), 0u);
  list.clip_end();
  EXPECT_EQ(list.count(), 1u);
  EXPECT_EQ(list[0].kind, DRAW_CLIP_END);
}

TEST(DrawList, ReusedRecordsStartFromTheirDefaults) {
  tbatch list;
  list.text("ui_font", "a long text that leaves its buffer behind", 1, 2, 0x22, 5, 2.0f, 9, 0x123456);
  list.clear();
  list.rect(255, 0xFFFFFF, 0, 0, 4, 4, BLEND_ADD);
  EXPECT_TRUE(list[0].text.empty());
  EXPECT_EQ(list[0].length, -1);
  EXPECT_FLOAT_EQ(list[0].scale_x, 1.0f);
  EXPECT_EQ(list[0].blend, BLEND_ADD);
}

TEST_F(DrawListOnScreen, ReplayOfOneIndexPerformsOnlyThatCommand) {
  const uint32_t colours[5] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF};
  for (int i = 0; i < 5; ++i)
    list.filled_rect(255, colours[i], 100.0f * static_cast<float>(i), 100, 50, 50, BLEND_NORMAL);
  list.replay(3);
  EXPECT_EQ(PixelAt(325, 125), 0xFFFF00u);
  EXPECT_EQ(PixelAt(25 + 0, 125), 0x000000u);
  EXPECT_EQ(PixelAt(425, 125), 0x000000u);
  list.replay(5);    // past the end: nothing
  list.replay(-2);   // not an index: nothing
  EXPECT_EQ(PixelAt(425, 125), 0x000000u);
  list.replay(-1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(PixelAt(100 * i + 25, 125), colours[i]) << i;
}

TEST_F(DrawListOnScreen, ClippingLimitsLaterCommandsUntilItEnds) {
  list.clip_begin(0, 0, 100, 100);
  list.filled_rect(255, 0xFFFFFF, 0, 0, 300, 50, BLEND_NORMAL);
  list.clip_end();
  list.filled_rect(255, 0xFF0000, 0, 200, 300, 50, BLEND_NORMAL);
  list.replay(-1);
  EXPECT_EQ(PixelAt(50, 25), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(150, 25), 0x000000u);
  EXPECT_EQ(PixelAt(250, 225), 0xFF0000u);
}

TEST_F(DrawListOnScreen, UnknownImagesAndFontsDrawNothing) {
  list.image("no_such_image", 255, 0, 0);
  list.sized_image("no_such_image", 255, 0, 0, 500, 500, 0, 0xFFFFFF, BLEND_NORMAL, 0);
  list.text("no_such_font", "text", 10, 10, 0, -1, 1.0f, 255, 0xFFFFFF);
  list.image_frame("no_such_image", 255, 0, 0, 0, 0, 0, 1, 1, 3);
  list.replay(-1);
  EXPECT_EQ(PixelAt(100, 100), 0x000000u);
}
