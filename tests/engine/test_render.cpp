// The drawing services on the real software renderer of a headless run: the
// logical 1024 x 768 screen on a 1920 x 1080 desktop in full screen, read
// back pixel by pixel.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "engine/engine.h"
#include "engine/log.h"
#include "engine/render.h"
#include "engine/screen.h"
#include "support/temp_files.h"

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

std::function<void()> g_scenario;

// An image file made here: pixel (x, y) is 0xRRGGBBAA.
std::string ImageBytes(int w, int h, const std::function<uint32_t(int, int)>& pixel,
                       bool jpeg = false) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<uint8_t*>(surface->pixels) + y * surface->pitch;
    for (int x = 0; x < w; ++x) {
      const uint32_t p = pixel(x, y);
      for (int c = 0; c < 4; ++c) row[x * 4 + c] = static_cast<uint8_t>(p >> (24 - 8 * c));
    }
  }
  std::string buffer(static_cast<std::size_t>(w * h * 4 + 65536), '\0');
  SDL_RWops* out = SDL_RWFromMem(buffer.data(), static_cast<int>(buffer.size()));
  const int saved = jpeg ? IMG_SaveJPG_RW(surface, out, 0, 95) : IMG_SavePNG_RW(surface, out, 0);
  EXPECT_EQ(saved, 0) << SDL_GetError();
  buffer.resize(static_cast<std::size_t>(SDL_RWtell(out)));
  SDL_RWclose(out);
  SDL_FreeSurface(surface);
  return buffer;
}

Texture* Solid(uint32_t rgb, int w = 16, int h = 16) {
  const std::string png = ImageBytes(w, h, [rgb](int, int) { return rgb << 8 | 0xFF; });
  return LoadTextureFromMemory("solid", png.data(), png.size());
}

// Left half red, right half blue.
Texture* RedBlue() {
  const std::string png =
      ImageBytes(64, 32, [](int x, int) { return (x < 32 ? kRed : kBlue) << 8 | 0xFF; });
  return LoadTextureFromMemory("red_blue", png.data(), png.size());
}

// The colour at a point of the logical screen, read from the window.
uint32_t At(float lx, float ly) {
  const LogicalMapping& m = EngineCurrentMapping();
  const SDL_Rect pixel{
      static_cast<int>(std::floor(static_cast<double>(lx) * m.scale_x + m.offset_x)),
      static_cast<int>(std::floor(static_cast<double>(ly) * m.scale_y + m.offset_y)), 1, 1};
  uint32_t argb = 0;
  SDL_RenderReadPixels(PlatformRenderer(), &pixel, SDL_PIXELFORMAT_ARGB8888, &argb, 4);
  return argb & 0xFFFFFF;
}

uint32_t AtWindow(int x, int y) {
  const SDL_Rect pixel{x, y, 1, 1};
  uint32_t argb = 0;
  SDL_RenderReadPixels(PlatformRenderer(), &pixel, SDL_PIXELFORMAT_ARGB8888, &argb, 4);
  return argb & 0xFFFFFF;
}

void Clear() {
  ResetDrawState();
  SetView(nullptr);
  PlatformBeginFrame(true);
}

struct LogCapture {
  std::filesystem::path folder = MakeTempFolder("quillmoor_render");
  std::string path = (folder / "log.txt").string();
  LogCapture() { LogOpen(path, 0.0); }
  std::string Text() {
    LogClose();
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::filesystem::remove_all(folder);
    return text.str();
  }
};

void Loop() {
  Clear();
  g_scenario();
  DeleteAllTextures();
  StopEngine();
}

class Render : public ::testing::Test {
 protected:
  void SetUp() override {
    EngineReset();
    EngineSettings settings;
    settings.headless = true;
    settings.desktop_width = 1920;
    settings.desktop_height = 1080;
    EngineConfigure(settings);
    DisableOption(OPT_WRITE_LOG);
    EnableOption(OPT_FIT_LOGICAL);
    SetScreenOptions(1920, 1080, 0, true, false);
    RegisterCallback(CB_LOAD, [] { SetLogicalResolution(1024, 768); });
    RegisterCallback(CB_LOOP, Loop);
  }
  void TearDown() override { EngineReset(); }
  void Run(std::function<void()> scenario) {
    g_scenario = std::move(scenario);
    ASSERT_TRUE(EngineStart(0, 0));
  }
};

}  // namespace

TEST_F(Render, ASpriteLandsWhereTheLogicalScreenSitsOnTheWideDesktop) {
  Run([] {
    DrawSprite(Solid(kRed), 100, 100, 200, 100, 0, 255, FX_BLEND);
    EXPECT_EQ(At(101, 101), kRed);
    EXPECT_EQ(At(298, 198), kRed);
    EXPECT_EQ(At(98, 150), kBlack);
    EXPECT_EQ(At(200, 202), kBlack);
    // Logical x 100 is window pixel 240 + 140.625; a sprite left of the
    // logical screen lands in the bar.
    EXPECT_EQ(AtWindow(378, 200), kBlack);
    EXPECT_EQ(AtWindow(383, 200), kRed);
    DrawSprite(Solid(kBlue), -100, 0, 200, 100, 0, 255, FX_BLEND);
    EXPECT_EQ(AtWindow(200, 50), kBlue);
    EXPECT_EQ(AtWindow(95, 50), kBlack);
  });
}

TEST_F(Render, MirroringSwapsTheColumnsAndAQuarterTurnStandsTheSpriteUp) {
  Run([] {
    Texture* image = RedBlue();
    DrawSprite(image, 100, 100, 200, 100, 0, 255, FX_BLEND | FX_MIRROR_X);
    EXPECT_EQ(At(120, 150), kBlue);
    EXPECT_EQ(At(280, 150), kRed);
    // Turned clockwise about its centre (512, 384): the left half goes up.
    DrawSprite(image, 412, 334, 200, 100, 90, 255, FX_BLEND);
    EXPECT_EQ(At(512, 300), kRed);
    EXPECT_EQ(At(512, 470), kBlue);
    EXPECT_EQ(At(540, 300), kRed);
    EXPECT_EQ(At(570, 384), kBlack);
    EXPECT_EQ(At(512, 490), kBlack);
  });
}

TEST_F(Render, TheViewMovesZoomsAndTurnsEverythingDrawn) {
  Run([] {
    Texture* red = Solid(kRed);
    View moved;
    moved.x = 100;
    SetView(&moved);
    DrawSprite(red, 300, 300, 100, 100, 0, 255, FX_BLEND);
    EXPECT_EQ(At(210, 350), kRed);
    EXPECT_EQ(At(390, 350), kBlack);

    Clear();
    View zoomed;
    zoomed.zoom_x = zoomed.zoom_y = 2;
    SetView(&zoomed);
    DrawSprite(red, 462, 334, 100, 100, 0, 255, FX_BLEND);
    EXPECT_EQ(At(415, 287), kRed);
    EXPECT_EQ(At(608, 480), kRed);
    EXPECT_EQ(At(405, 384), kBlack);
    FillRect(0, 0, 10, 10, kGreen, 255);  // rectangles follow the view too
    EXPECT_EQ(At(0, 0), kBlack);

    Clear();
    View turned;
    turned.angle = 180;
    SetView(&turned);
    DrawSprite(red, 100, 100, 50, 50, 0, 255, FX_BLEND);
    EXPECT_EQ(At(1024 - 125, 768 - 125), kRed);
    EXPECT_EQ(At(125, 125), kBlack);
    SetView(nullptr);
    DrawSprite(red, 100, 100, 50, 50, 0, 255, FX_BLEND);
    EXPECT_EQ(At(125, 125), kRed);
  });
}

TEST_F(Render, ColourOpacityAndBlendModesMixWithTheScreen) {
  Run([] {
    Texture* white = Solid(kWhite);
    SetDrawColor(kGreen);
    DrawSprite(white, 0, 0, 100, 100, 0, 255, FX_BLEND);
    EXPECT_EQ(At(50, 50), kGreen);
    SetDrawColor(kWhite);
    DrawSprite(white, 100, 0, 100, 100, 0, 128, FX_BLEND);
    EXPECT_NEAR(static_cast<int>(At(150, 50) & 0xFF), 128, 2);

    FillRect(200, 0, 100, 100, kRed, 255);
    SetDrawBlend(BLEND_ADD);
    DrawSprite(Solid(kGreen), 200, 0, 100, 100, 0, 255, FX_BLEND);
    EXPECT_EQ(At(250, 50), 0xFFFF00u);

    SetDrawBlend(BLEND_NORMAL);
    FillRect(300, 0, 100, 100, kWhite, 255);
    SetDrawBlend(BLEND_MULTIPLY);
    DrawSprite(Solid(0x808080), 300, 0, 100, 100, 0, 255, FX_BLEND);
    EXPECT_EQ(At(350, 50), 0x808080u);

    SetDrawBlend(BLEND_NORMAL);
    FillRect(500, 0, 100, 100, kWhite, 255);
    SetDrawBlend(BLEND_BLACK);  // the image's shape as a shadow
    DrawSprite(RedBlue(), 500, 0, 100, 100, 0, 255, FX_BLEND);
    EXPECT_EQ(At(550, 50), kBlack);
  });
}

TEST_F(Render, ClippingStopsAtTheMappedEdgeUntilEnded) {
  Run([] {
    BeginClip(0, 0, 512, 768);
    FillRect(0, 0, 1024, 768, kWhite, 255);
    EndClip();
    // Logical x 512 is window pixel 240 + 720.
    EXPECT_EQ(AtWindow(959, 400), kWhite);
    EXPECT_EQ(AtWindow(960, 400), kBlack);
    BeginClip(600, 600, 0, 0);
    FillRect(0, 0, 1024, 768, kRed, 255);
    EndClip();
    EXPECT_EQ(At(700, 700), kBlack);
    FillRect(900, 0, 10, 10, kRed, 255);
    EXPECT_EQ(At(905, 5), kRed);
  });
}

TEST_F(Render, FramesCountAlongRowsAndWrapRound) {
  Run([] {
    // Cells of 16 x 16: red, green / blue, white.
    const std::string png = ImageBytes(32, 32, [](int x, int y) {
      const uint32_t cells[4] = {kRed, kGreen, kBlue, kWhite};
      return cells[(y / 16) * 2 + x / 16] << 8 | 0xFF;
    });
    Texture* sheet = LoadTextureFromMemory("sheet", png.data(), png.size());
    const auto frame_at = [sheet](int frame, int fw, int fh) {
      Clear();
      DrawSpriteFrame(sheet, frame, fw, fh, 100, 100, 64, 64, 0, 255, FX_BLEND);
      return At(110, 110);
    };
    EXPECT_EQ(frame_at(2, 16, 16), kBlue);
    EXPECT_EQ(frame_at(5, 16, 16), kGreen);
    EXPECT_EQ(frame_at(-1, 16, 16), kWhite);
    EXPECT_EQ(frame_at(1, 32, 16), kBlue);
    EXPECT_EQ(frame_at(0, 0, 16), kBlack);
    EXPECT_EQ(frame_at(0, 64, 64), kBlack);
  });
}

TEST_F(Render, GridsQuadsAndOutlinesShareThePath) {
  Run([] {
    DeformGrid grid;
    grid.columns = 2;
    grid.rows = 1;
    grid.points = {0, 0, 100, 0, 200, 0, 0, 100, 100, 100, 200, 100};
    Texture* image = RedBlue();
    DrawGridSprite(image, grid, 100, 100, 255, FX_BLEND | FX_MIRROR_X);
    EXPECT_EQ(At(130, 150), kBlue);
    EXPECT_EQ(At(270, 150), kRed);
    grid.points.pop_back();  // one node short: nothing
    DrawGridSprite(image, grid, 400, 100, 255, FX_BLEND);
    EXPECT_EQ(At(450, 150), kBlack);

    // The right half of the image only, as a glyph would take it.
    const TexturedQuad quad{
        {100, 200, 200, 100}, {300, 300, 400, 400}, {0.5f, 1, 1, 0.5f}, {0, 0, 1, 1}};
    DrawTexturedQuads(image, &quad, 1, 255);
    EXPECT_EQ(At(110, 350), kBlue);

    DrawRectOutline(500, 300, 100, 100, kGreen, 255);
    EXPECT_EQ(At(500.5f, 350), kGreen);
    EXPECT_EQ(At(550, 300), kGreen);
    EXPECT_EQ(At(550, 350), kBlack);

    // Values no screen can show are dropped, not handed to the rasteriser.
    DrawSprite(image, NAN, 0, 100, 100, 0, 255, FX_BLEND);
    DrawSprite(image, 1e30f, 0, 1e30f, 100, 45, 255, FX_BLEND);
    grid.points = {0, 0, 1e20f, 0, NAN, 0, 0, 100, 100, 100, 200, 100};
    DrawGridSprite(image, grid, 0, 0, 255, FX_BLEND);
  });
}

TEST_F(Render, ABatchKeepsTheDrawingOrderAndSurvivesAFreedTexture) {
  Run([] {
    Texture* red = Solid(kRed);
    Texture* blue = Solid(kBlue);
    BeginBatch();
    DrawSprite(red, 100, 100, 300, 300, 0, 255, FX_BLEND);
    DrawSprite(blue, 150, 150, 200, 200, 0, 255, FX_BLEND);
    DrawSprite(red, 200, 200, 100, 100, 0, 255, FX_BLEND);
    Texture* green = Solid(kGreen);
    DrawSprite(green, 500, 100, 50, 50, 0, 255, FX_BLEND);
    DeleteTexture(green);
    EndBatch();
    EXPECT_EQ(At(120, 120), kRed);
    EXPECT_EQ(At(160, 160), kBlue);
    EXPECT_EQ(At(250, 250), kRed);
    EXPECT_EQ(At(525, 125), kGreen);
    EXPECT_EQ(TextureCount(), 2u);
  });
}

TEST_F(Render, DecodingKeepsEveryAlphaByteAndTransparentPixelsStayUnpainted) {
  Run([] {
    const std::string png = ImageBytes(16, 4, [](int x, int y) {
      return (x < 8 ? kRed : kGreen) << 8 | static_cast<uint32_t>(x * 16 + y);
    });
    Texture* image = LoadTextureFromMemory("alpha", png.data(), png.size());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(TextureWidth(image), 16);
    EXPECT_EQ(TextureHeight(image), 4);
    EXPECT_EQ(TextureAlphaAt(image, 0, 0), 0);
    EXPECT_EQ(TextureAlphaAt(image, 15, 3), 243);
    EXPECT_EQ(TextureAlphaAt(image, 5, 2), 82);
    EXPECT_EQ(TextureAlphaAt(image, 16, 0), 0);
    EXPECT_EQ(TextureAlphaAt(image, 0, -1), 0);

    // A palette picture with a clear and a half-clear entry.
    SDL_Surface* indexed = SDL_CreateRGBSurfaceWithFormat(0, 4, 1, 8, SDL_PIXELFORMAT_INDEX8);
    const SDL_Color palette[3] = {{255, 0, 0, 255}, {0, 255, 0, 128}, {0, 0, 255, 0}};
    SDL_SetPaletteColors(indexed->format->palette, palette, 0, 3);
    for (int x = 0; x < 4; ++x)
      static_cast<uint8_t*>(indexed->pixels)[x] = static_cast<uint8_t>(x % 3);
    std::string saved(4096, '\0');
    SDL_RWops* out = SDL_RWFromMem(saved.data(), static_cast<int>(saved.size()));
    ASSERT_EQ(IMG_SavePNG_RW(indexed, out, 0), 0);
    saved.resize(static_cast<std::size_t>(SDL_RWtell(out)));
    SDL_RWclose(out);
    SDL_FreeSurface(indexed);
    Texture* keyed = LoadTextureFromMemory("keyed", saved.data(), saved.size());
    EXPECT_EQ(TextureAlphaAt(keyed, 0, 0), 255);
    EXPECT_EQ(TextureAlphaAt(keyed, 1, 0), 128);
    EXPECT_EQ(TextureAlphaAt(keyed, 2, 0), 0);
    EXPECT_EQ(TextureAlphaAt(keyed, 3, 0), 255);

    const std::string jpeg = ImageBytes(
        8, 8, [](int, int) { return 0x336699FFu; }, true);
    Texture* photo = LoadTextureFromMemory("photo", jpeg.data(), jpeg.size());
    ASSERT_NE(photo, nullptr);
    // An opaque picture keeps no alpha of its own and answers 255 inside.
    EXPECT_EQ(TextureAlphaAt(photo, 0, 0), 255);
    EXPECT_EQ(TextureAlphaAt(photo, 7, 7), 255);
    EXPECT_EQ(TextureAlphaAt(photo, 8, 7), 0);

    const std::string holes =
        ImageBytes(16, 16, [](int x, int) { return x < 8 ? 0xFF0000FFu : 0xFF000000u; });
    DrawSprite(LoadTextureFromMemory("holes", holes.data(), holes.size()), 0, 0, 160, 160, 0, 255,
               FX_BLEND);
    EXPECT_EQ(At(20, 80), kRed);
    EXPECT_EQ(At(140, 80), kBlack);
    EXPECT_EQ(TextureAlphaAt(nullptr, 0, 0), 0);
    EXPECT_EQ(TextureWidth(nullptr), 0);
  });
}

TEST_F(Render, BadImagesLoadNothingAndSaySo) {
  Run([] {
    const std::string good = ImageBytes(4, 4, [](int, int) { return 0xFFFFFFFFu; });
    std::string huge = good;  // a header claiming 100000 x 100000 pixels
    huge[16] = huge[20] = 0;
    huge[17] = huge[21] = 0x01;
    huge[18] = huge[22] = static_cast<char>(0x86);
    huge[19] = huge[23] = static_cast<char>(0xA0);
    const std::string cases[] = {"",    "not an image at all", good.substr(0, 40), huge,
                                 "BM6", "\xFF\xD8\xFF\xDA"};
    LogCapture log;
    for (const std::string& bytes : cases) {
      EXPECT_EQ(LoadTextureFromMemory("bad", bytes.data(), bytes.size()), nullptr);
    }
    EXPECT_EQ(LoadTexture("/nonexistent/missing.png"), nullptr);
    EXPECT_EQ(TextureCount(), 0u);
    const std::string text = log.Text();
    EXPECT_NE(text.find("Image size refused: \"bad\" (100000 x 100000)"), std::string::npos);
    EXPECT_NE(text.find("Cannot read \"/nonexistent/missing.png\""), std::string::npos);
    EXPECT_NE(text.find("Unable to load texture: \"/nonexistent/missing.png\""), std::string::npos);
    std::size_t lines = 0;
    for (std::size_t at = text.find("Unable to load texture: \"bad\""); at != std::string::npos;
         at = text.find("Unable to load texture: \"bad\"", at + 1))
      ++lines;
    EXPECT_EQ(lines, std::size(cases));
  });
}

TEST(RenderWithoutWindow, TexturesNeedTheRendererAndOutliveItSafely) {
  EngineReset();
  LogCapture log;
  EXPECT_EQ(LoadTexture("images/splash/logo.png"), nullptr);
  EXPECT_NE(log.Text().find("Unable to load texture: \"images/splash/logo.png\""),
            std::string::npos);
  DrawSprite(nullptr, 0, 0, 10, 10, 0, 255, FX_BLEND);
  FillRect(0, 0, 10, 10, kRed, 255);

  // A texture left when the window closes: the renderer freed its pixels,
  // and drawing or freeing the texture afterwards must not touch them again.
  EngineSettings settings;
  settings.headless = true;
  EngineConfigure(settings);
  DisableOption(OPT_WRITE_LOG);
  RegisterCallback(CB_LOOP, [] {
    Texture* orphan = Solid(kRed);
    ASSERT_NE(orphan, nullptr);
    PlatformDestroyWindow();
    DrawSprite(orphan, 0, 0, 10, 10, 0, 255, FX_BLEND);
    DeleteTexture(orphan);
    EXPECT_EQ(TextureCount(), 0u);
    Solid(kRed);
    StopEngine();
  });
  ASSERT_TRUE(EngineStart(0, 0));
  EXPECT_EQ(TextureCount(), 0u);
  EngineReset();
}
