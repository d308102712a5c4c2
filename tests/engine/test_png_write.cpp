// Screenshots as PNG files: decoded again, they give back exactly the pixels
// they were made from, and a write that fails leaves nothing behind.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/png_write.h"
#include "engine/render.h"
#include "engine/screen.h"
#include "support/screen_fixture.h"
#include "support/temp_files.h"

namespace fs = std::filesystem;

namespace {

// The file's pixels as R, G, B, A bytes, rows packed; empty when it does not decode.
std::vector<uint8_t> DecodeRgba(const std::string& path, int* w, int* h) {
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (loaded == nullptr) return {};
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(loaded);
  if (rgba == nullptr) return {};
  *w = rgba->w;
  *h = rgba->h;
  std::vector<uint8_t> out(static_cast<std::size_t>(rgba->w * rgba->h * 4));
  for (int y = 0; y < rgba->h; ++y)
    std::memcpy(out.data() + static_cast<std::ptrdiff_t>(y) * rgba->w * 4,
                static_cast<const uint8_t*>(rgba->pixels) + static_cast<std::ptrdiff_t>(y) * rgba->pitch,
                static_cast<std::size_t>(rgba->w * 4));
  SDL_FreeSurface(rgba);
  return out;
}

class PngWrite : public HeadlessScreen {
 protected:
  void SetUp() override {
    HeadlessScreen::SetUp();
    folder = MakeTempFolder("quillmoor_png_write");
    ASSERT_FALSE(folder.empty());
  }
  void TearDown() override {
    fs::remove_all(folder);
    HeadlessScreen::TearDown();
  }
  fs::path folder;
};

}  // namespace

TEST_F(PngWrite, AScreenshotDecodesToExactlyThePixelsOnTheScreen) {
  BeginBatch();
  for (int i = 0; i < 600; ++i) {
    const auto k = static_cast<uint32_t>(i);
    FillRect(static_cast<float>(k * 37 % 1000), static_cast<float>(k * 53 % 740),
             static_cast<float>(5 + k % 90), static_cast<float>(3 + k % 50),
             (k * 2654435761u) & 0xFFFFFF, static_cast<uint8_t>(40 + k % 216));
  }
  EndBatch();
  PlatformPresent();
  std::vector<uint8_t> screen(1024 * 768 * 4);
  ASSERT_EQ(SDL_RenderReadPixels(PlatformRenderer(), nullptr, SDL_PIXELFORMAT_RGBA32,
                                 screen.data(), 1024 * 4),
            0);

  const std::string path = (folder / "shot.png").string();
  ASSERT_TRUE(EngineSaveScreenshot(path));
  int w = 0;
  int h = 0;
  const std::vector<uint8_t> decoded = DecodeRgba(path, &w, &h);
  ASSERT_EQ(w, 1024);
  ASSERT_EQ(h, 768);
  EXPECT_TRUE(decoded == screen) << "the picture differs from the screen";
}

TEST_F(PngWrite, SeeThroughPixelsKeepTheirAlphaAndAFailedWriteLeavesNoFile) {
  // 7 x 5 pixels in rows 32 bytes apart, the padding never written out.
  constexpr int kW = 7;
  constexpr int kH = 5;
  std::vector<uint8_t> pixels(32 * kH, 0xEE);
  std::vector<uint8_t> packed;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW * 4; ++x) {
      const auto v = static_cast<uint8_t>(y * 51 + x * 9);
      pixels[static_cast<std::size_t>(y * 32 + x)] = v;
      packed.push_back(v);
    }
  const std::string path = (folder / "small.png").string();
  std::string error;
  ASSERT_TRUE(WritePngFile(path, pixels.data(), kW, kH, 32, &error)) << error;
  int w = 0;
  int h = 0;
  EXPECT_EQ(DecodeRgba(path, &w, &h), packed);

  for (const fs::path& bad : {folder / "missing" / "shot.png", folder}) {
    error.clear();
    EXPECT_FALSE(WritePngFile(bad.string(), pixels.data(), kW, kH, 32, &error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(fs::exists(folder / "missing"));
  EXPECT_FALSE(WritePngFile(path, pixels.data(), kW, kH, kW * 4 - 1, &error));
}
