// One full frame of sprites on the software renderer of a headless run: a
// draw list filled to its 4097 commands (sprites of 32 to 256 units, several
// textures, some turned, some cut into frames) played back into the logical
// 1024 x 768 screen, cleared and presented. A frame should fit in 16.7 ms.
// Each is run with the engine's span blitter off (argument 0, the renderer's
// own triangles) and on (1), so the two figures of one run compare.
#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/render.h"
#include "engine/screen.h"

namespace {

constexpr int kDraws = 4097;

struct Draw {
  int texture;
  int frame;  // -1: the whole image
  float x, y, w, h, angle;
  uint8_t opacity;
  uint32_t colour;
  int blend;
};

// A soft-edged disc in one colour: alpha falls off towards the rim, as the
// game's items and particles do.
std::string DiscPng(int size, uint32_t rgb) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_RGBA32);
  const float r = static_cast<float>(size) / 2.0f;
  for (int y = 0; y < size; ++y) {
    auto* row = static_cast<uint8_t*>(s->pixels) + y * s->pitch;
    for (int x = 0; x < size; ++x) {
      const float d =
          std::hypot(static_cast<float>(x) + 0.5f - r, static_cast<float>(y) + 0.5f - r) / r;
      row[x * 4 + 0] = static_cast<uint8_t>(rgb >> 16);
      row[x * 4 + 1] = static_cast<uint8_t>(rgb >> 8);
      row[x * 4 + 2] = static_cast<uint8_t>(rgb);
      row[x * 4 + 3] = d >= 1.0f ? 0 : static_cast<uint8_t>(255.0f * (1.0f - d * d));
    }
  }
  std::string buffer(static_cast<std::size_t>(size * size * 4 + 65536), '\0');
  SDL_RWops* out = SDL_RWFromMem(buffer.data(), static_cast<int>(buffer.size()));
  IMG_SavePNG_RW(s, out, 0);
  buffer.resize(static_cast<std::size_t>(SDL_RWtell(out)));
  SDL_RWclose(out);
  SDL_FreeSurface(s);
  return buffer;
}

// The same recorded picture every run.
std::vector<Draw> MixedDraws(int textures) {
  uint32_t seed = 12345;
  auto next = [&seed](uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  std::vector<Draw> draws;
  for (int i = 0; i < kDraws; ++i) {
    Draw d{};
    d.texture = static_cast<int>(next(static_cast<uint32_t>(textures)));
    d.frame = next(10) == 0 ? static_cast<int>(next(16)) : -1;
    d.w = static_cast<float>(32 + next(225));
    d.h = d.frame >= 0 ? d.w : static_cast<float>(32 + next(225));
    d.x = static_cast<float>(next(1024 + 64)) - 64.0f - d.w / 4.0f;
    d.y = static_cast<float>(next(768 + 64)) - 64.0f - d.h / 4.0f;
    d.angle = next(4) == 0 ? static_cast<float>(next(360)) : 0.0f;
    d.opacity = next(3) == 0 ? static_cast<uint8_t>(64 + next(192)) : 255;
    d.colour = next(5) == 0 ? 0xFFC080 : 0xFFFFFF;
    d.blend = next(8) == 0 ? BLEND_ADD : BLEND_NORMAL;
    draws.push_back(d);
  }
  return draws;
}

bool OpenScreen(benchmark::State& state) {
  EngineReset();
  EngineSettings settings;
  settings.headless = true;
  EngineConfigure(settings);
  WindowRequest window;  // 1024 x 768, the logical screen one to one
  if (PlatformInit(true) && PlatformCreateWindow(window)) return true;
  state.SkipWithError("no headless screen");
  return false;
}

void BM_SpriteFrame(benchmark::State& state) {
  if (!OpenScreen(state)) return;
  SetSoftwareBlitter(state.range(0) != 0);
  const uint32_t colours[] = {0xE04040, 0x40E040, 0x4040E0, 0xE0E040, 0x40E0E0, 0xE040E0};
  std::vector<Texture*> textures;
  for (int i = 0; i < 6; ++i) {
    const std::string png = DiscPng(64 << (i % 3), colours[i]);
    textures.push_back(LoadTextureFromMemory("disc", png.data(), png.size()));
  }
  const std::vector<Draw> draws = MixedDraws(static_cast<int>(textures.size()));

  for (auto _ : state) {
    PlatformBeginFrame(true);
    BeginBatch();
    for (const Draw& d : draws) {
      SetDrawColor(d.colour);
      SetDrawBlend(d.blend);
      const Texture* t = textures[static_cast<std::size_t>(d.texture)];
      if (d.frame >= 0) {
        const int cell = TextureWidth(t) / 4;
        DrawSpriteFrame(t, d.frame, cell, cell, d.x, d.y, d.w, d.h, d.angle, d.opacity, FX_BLEND);
      } else {
        DrawSprite(t, d.x, d.y, d.w, d.h, d.angle, d.opacity, FX_BLEND);
      }
    }
    EndBatch();
    PlatformPresent();  // the software renderer draws the queued frame here
  }
  state.counters["draws"] = kDraws;
  DeleteAllTextures();
  SetSoftwareBlitter(true);
  EngineReset();
}
// What a scene asks for in one frame: the painted background, the level's
// 129 objects, the inventory strip with its items, a few window images,
// 200 particles of the level's effects (small, turned, some tinted, most
// added) and the fade. The argument turns the engine's span blitter on (1)
// or leaves the drawing to the renderer's triangles (0), the old path.
void BM_SceneFrame(benchmark::State& state) {
  if (!OpenScreen(state)) return;
  SetSoftwareBlitter(state.range(0) != 0);
  const std::string back = DiscPng(1024, 0x807060);
  Texture* background = LoadTextureFromMemory("background", back.data(), back.size());
  std::vector<Texture*> objects;
  for (int size : {48, 96, 160, 200}) {
    const std::string png = DiscPng(size, 0xC0A080);
    objects.push_back(LoadTextureFromMemory("object", png.data(), png.size()));
  }
  const std::string spark_png = DiscPng(32, 0xFFE0A0);
  Texture* spark = LoadTextureFromMemory("spark", spark_png.data(), spark_png.size());
  uint32_t seed = 777;
  auto next = [&seed](uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>((seed >> 8) % n);
  };
  std::vector<Draw> scene;
  for (int i = 0; i < 129 + 8 + 12; ++i) {
    const int t = static_cast<int>(next(4));
    const float size = static_cast<float>(TextureWidth(objects[static_cast<std::size_t>(t)]));
    scene.push_back(Draw{t, -1, next(1024) - size / 2, i < 129 ? next(640) : 650 + next(100), size,
                         size, i % 7 == 0 ? next(360) : 0.0f, 255, 0xFFFFFF, BLEND_NORMAL});
  }
  std::vector<Draw> particles;
  for (int i = 0; i < 200; ++i) {
    const float size = 8.0f + next(40);
    particles.push_back(Draw{0, -1, next(1024), next(640), size, size, next(360),
                             static_cast<uint8_t>(96 + next(160)),
                             i % 3 == 0 ? 0xFFC080u : 0xFFFFFFu,
                             i % 4 == 0 ? BLEND_NORMAL : BLEND_ADD});
  }
  for (auto _ : state) {
    PlatformBeginFrame(true);
    BeginBatch();
    DrawSprite(background, 0, 0, 1024, 768, 0, 255, FX_BLEND);
    FillRect(0, 640, 1024, 128, 0x202020, 200);
    for (const Draw& d : scene)
      DrawSprite(objects[static_cast<std::size_t>(d.texture)], d.x, d.y, d.w, d.h, d.angle, 255,
                 FX_BLEND);
    for (const Draw& d : particles) {
      SetDrawColor(d.colour);
      SetDrawBlend(d.blend);
      DrawSprite(spark, d.x, d.y, d.w, d.h, d.angle, d.opacity, FX_BLEND);
    }
    ResetDrawState();
    FillRect(0, 0, 1024, 768, 0, 64);
    EndBatch();
    PlatformPresent();
  }
  DeleteAllTextures();
  SetSoftwareBlitter(true);
  EngineReset();
}
BENCHMARK(BM_SceneFrame)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK(BM_SpriteFrame)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
