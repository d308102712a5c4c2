// A screenshot of a level frame (the automation's "screenshot" and the F12
// key): the window read back and written as a PNG, beside the same picture
// written the way screenshots used to be, through SDL_image at zlib's default
// level, as the baseline of the same run.
#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "engine/archive.h"
#include "engine/engine.h"
#include "engine/render.h"
#include "engine/screen.h"
#include "headless_game.h"
#include "res/images.h"

namespace {

namespace fs = std::filesystem;

// The hotel's pictures on a headless 1024 x 768 window: the largest as the
// background, the others spread over it, the panel's band at the bottom.
bool DrawHotelFrame(benchmark::State& state) {
  if (!OpenHeadlessGame(state)) return false;
  OpenArchive("data/images.dat", "58203");
  images.load_scene_dir("images/levels/hotel/");
  CloseArchive();
  if (images.count() == 0) {
    state.SkipWithError("no level pictures");
    return false;
  }
  std::size_t largest = 0;
  auto area = [](const Texture* t) { return TextureWidth(t) * TextureHeight(t); };
  for (std::size_t i = 0; i < images.count(); ++i)
    if (area(images[i].texture) > area(images[largest].texture)) largest = i;
  PlatformBeginFrame(true);
  BeginBatch();
  DrawSprite(images[largest].texture, 0, 0, 1024, 768, 0, 255, FX_BLEND);
  for (std::size_t i = 0; i < images.count(); ++i) {
    if (i == largest) continue;
    const Texture* t = images[i].texture;
    const auto k = static_cast<float>(i);
    DrawSprite(t, std::fmod(k * 211.0f, 900.0f), std::fmod(k * 137.0f, 560.0f),
               static_cast<float>(TextureWidth(t)), static_cast<float>(TextureHeight(t)), 0, 255,
               FX_BLEND);
  }
  FillRect(0, 640, 1024, 128, 0x202020, 200);
  EndBatch();
  PlatformPresent();
  return true;
}

void CloseFrame() {
  images.clear();
  EngineReset();
}

std::string ShotPath() { return (fs::temp_directory_path() / "quillmoor_bench_shot.png").string(); }

void BM_ScreenshotThroughSdlImage(benchmark::State& state) {
  if (!DrawHotelFrame(state)) return;
  const std::string path = ShotPath();
  for (auto _ : state) {
    int w = 0;
    int h = 0;
    SDL_GetRendererOutputSize(PlatformRenderer(), &w, &h);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_RenderReadPixels(PlatformRenderer(), nullptr, SDL_PIXELFORMAT_RGBA32, surface->pixels,
                         surface->pitch);
    if (IMG_SavePNG(surface, path.c_str()) != 0) state.SkipWithError("cannot write");
    SDL_FreeSurface(surface);
  }
  state.counters["kB"] = static_cast<double>(fs::file_size(path)) / 1024.0;
  fs::remove(path);
  CloseFrame();
}
BENCHMARK(BM_ScreenshotThroughSdlImage)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Screenshot(benchmark::State& state) {
  if (!DrawHotelFrame(state)) return;
  const std::string path = ShotPath();
  for (auto _ : state)
    if (!EngineSaveScreenshot(path)) state.SkipWithError("cannot write");
  state.counters["kB"] = static_cast<double>(fs::file_size(path)) / 1024.0;
  fs::remove(path);
  CloseFrame();
}
BENCHMARK(BM_Screenshot)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
