// The software renderer's span blitter against the renderer's own triangles:
// whole frames of real levels (background, every object, turned and tinted
// items, added and blended particles, the panel, text) drawn both ways in
// one process must look the same within a small tolerance; and draws that
// the blitter cannot take keep their place in the order on screen.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/render.h"
#include "engine/screen.h"
#include "res/images.h"
#include "support/screen_fixture.h"

namespace {

class SpanBlitter : public HeadlessScreen {
 protected:
  void TearDown() override {
    SetSoftwareBlitter(true);
    images.clear();
    fonts.clear();
    HeadlessScreen::TearDown();
  }
};

std::vector<uint32_t> ReadFrame() {
  std::vector<uint32_t> pixels(1024 * 768);
  EXPECT_EQ(SDL_RenderReadPixels(PlatformRenderer(), nullptr, SDL_PIXELFORMAT_RGB888,
                                 pixels.data(), 1024 * 4),
            0);
  return pixels;
}

// A busy frame of the level whose images are loaded: its pictures where the
// list puts them, some turned, tinted or faded, then particles and the panel,
// once through a turned and zoomed camera.
void DrawLevelFrame() {
  PlatformBeginFrame(true);
  BeginBatch();
  uint32_t seed = 99;
  auto next = [&seed](uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>((seed >> 8) % n);
  };
  for (std::size_t i = images.base_count(); i < images.count(); ++i) {
    Texture* t = images[i].texture;
    const bool background = images[i].name == "lev_bg";
    const float w = background ? 1024.0f : static_cast<float>(TextureWidth(t));
    const float h = background ? 768.0f : static_cast<float>(TextureHeight(t));
    const float x = background ? 0.0f : next(1024) - w / 2;
    const float y = background ? 0.0f : next(768) - h / 2;
    SetDrawColor(i % 5 == 1 ? 0xC0FFA0 : 0xFFFFFF);
    DrawSprite(t, x, y, w, h, background || i % 4 != 0 ? 0.0f : next(360),
               i % 3 == 2 ? 160 : 255, FX_BLEND | (i % 6 == 0 ? FX_MIRROR_X : 0));
  }
  const View camera{20.0f, -10.0f, 7.0f, 1.3f, 1.3f, 512.0f, 384.0f};
  SetView(&camera);
  for (int i = 0; i < 200; ++i) {
    SetDrawColor(i % 3 == 0 ? 0xFFC080 : 0xFFFFFF);
    SetDrawBlend(i % 4 == 0 ? BLEND_NORMAL : BLEND_ADD);
    const float size = 8.0f + next(56);
    DrawSprite(images.get(i % 2 == 0 ? "p_spark" : "p_glint"), next(1024), next(640), size, size,
               next(360), static_cast<uint8_t>(96 + next(160)), FX_BLEND);
  }
  SetView(nullptr);
  ResetDrawState();
  FillRect(0, 640, 1024, 128, 0x202020, 200);
  DrawRectOutline(10, 650, 300, 100, 0xE0C080, 255);
  BeginClip(0, 640, 1024, 128);
  if (const Font* font = fonts.get("ui_font"))
    DrawText(font, 20, 660, "Find the lantern, the key and the old map", 0, 1.0f);
  EndClip();
  SetDrawBlend(BLEND_MULTIPLY);
  SetDrawColor(0xA0A0FF);
  DrawSprite(images.get("lev_light"), 512, 0, 512, 320, 0, 255, FX_BLEND);
  ResetDrawState();
  FillRect(0, 0, 1024, 768, 0, 48);
  EndBatch();
}

TEST_F(SpanBlitter, LevelFramesMatchTheRenderersTrianglesWithinTolerance) {
  ASSERT_TRUE(OpenArchive(GameDataDir() + "images.dat", kImageArchiveKey));
  images.load_dir("images/particles/");
  CloseArchive();
  fonts.load_dir(GameDataDir() + "fonts/");
  for (const char* level : {"alley", "crypt", "attic"}) {
    SCOPED_TRACE(level);
    ASSERT_TRUE(OpenArchive(GameDataDir() + "images.dat", kImageArchiveKey));
    images.load_scene_dir(std::string("images/levels/") + level + "/");
    CloseArchive();
    ASSERT_NE(images.get("lev_bg"), nullptr);

    SetSoftwareBlitter(false);
    DrawLevelFrame();
    const std::vector<uint32_t> reference = ReadFrame();
    SetSoftwareBlitter(true);
    DrawLevelFrame();
    const std::vector<uint32_t> drawn = ReadFrame();
    // Turned sprites are sampled at slightly different texels and their rims
    // may move by a pixel (the renderer's triangles round corners to half
    // pixels), nothing else: at most 1 % of the pixels differ by more than 24
    // in a channel, and the mean difference per channel stays under 2.
    std::size_t far_off = 0;
    double total = 0.0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      int worst = 0;
      for (int shift : {0, 8, 16}) {
        const int d = std::abs(static_cast<int>((drawn[i] >> shift) & 0xFF) -
                               static_cast<int>((reference[i] >> shift) & 0xFF));
        worst = std::max(worst, d);
        total += d;
      }
      if (worst > 24) ++far_off;
    }
    const double mean = total / (3.0 * static_cast<double>(drawn.size()));
    EXPECT_LE(far_off, drawn.size() / 100) << "mean difference " << mean;
    EXPECT_LT(mean, 2.0) << far_off << " pixels far off";
  }
}

TEST_F(SpanBlitter, DrawsTheBlitterCannotTakeKeepTheirPlaceOnScreen) {
  ASSERT_TRUE(OpenArchive(GameDataDir() + "images.dat", kImageArchiveKey));
  images.load_scene_dir("images/levels/alley/");
  CloseArchive();
  const DeformGrid grid{1, 1, {0, 0, 100, 0, 0, 100, 100, 100}};
  // A grid goes to the renderer as triangles, rectangles to the blitter at
  // once: each must still cover what was drawn before it.
  BeginBatch();
  FillRect(10, 10, 100, 100, 0x0000FF, 255);
  DrawGridSprite(images.get("lev_bg"), grid, 10, 10, 255, 0);
  FillRect(60, 60, 50, 50, 0x00FF00, 255);
  EndBatch();
  EXPECT_NE(PixelAt(30, 30), 0x0000FFu);
  EXPECT_EQ(PixelAt(80, 80), 0x00FF00u);
}

}  // namespace
