// The start-up load with the whole generated pack, beside the time its images
// take to decode alone (the load may cost at most half as much again).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <SDL.h>
#include <SDL_image.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/frame.h"
#include "app/shell.h"
#include "engine/archive.h"
#include "engine/audio.h"
#include "engine/engine.h"
#include "engine/screen.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/startup_load.h"
#include "ui/gui.h"

namespace {

const char* const kImageDirs[] = {"images/splash/", "images/common/", "images/particles/",
                                  "images/items/",  "images/diary/",  "images/hint/"};

// A headless screen in the generated game root, as the game has at start.
void OpenScreen() {
  EngineReset();
  EngineSettings settings;
  settings.headless = true;
  EngineConfigure(settings);
  PlatformInit(true);
  WindowRequest request;
  request.desktop_width = 1024;
  request.desktop_height = 768;
  PlatformCreateWindow(request);
}

void CloseScreen() {
  StopStartupLoad();
  images.clear();
  fonts.clear();
  sounds.clear();
  music.clear();
  ambience.clear();
  gui_reset();
  StopSoundSystem();
  EngineReset();
}

void BM_StartupLoad(benchmark::State& state) {
  if (::chdir(QUILLMOOR_BENCH_GAME_DIR) != 0) state.SkipWithError("no game folder");
  for (auto _ : state) {
    state.PauseTiming();
    OpenScreen();
    Shell().load_behind_splash = false;
    state.ResumeTiming();
    LoadCallback();
    state.PauseTiming();
    state.counters["images"] = static_cast<double>(images.count());
    CloseScreen();
    state.ResumeTiming();
  }
}
// Everything before the first frame, as headless and scripted runs load.
BENCHMARK(BM_StartupLoad)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_DecodeImagesAlone(benchmark::State& state) {
  if (::chdir(QUILLMOOR_BENCH_GAME_DIR) != 0) state.SkipWithError("no game folder");
  std::vector<std::string> files;
  OpenArchive("data/images.dat", "58203");
  for (const char* dir : kImageDirs) {
    for (const std::string& name : ListGameFiles(std::string(dir) + "*.png", 2049)) {
      std::string bytes;
      if (ReadGameFile(std::string(dir) + name, &bytes)) files.push_back(std::move(bytes));
    }
  }
  CloseArchive();
  for (auto _ : state) {
    for (const std::string& bytes : files) {
      SDL_Surface* surface =
          IMG_Load_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
      SDL_FreeSurface(surface);
    }
  }
  state.counters["images"] = static_cast<double>(files.size());
}
BENCHMARK(BM_DecodeImagesAlone)->Unit(benchmark::kMillisecond)->Iterations(5);

// A player's start: from the load (the window open) to the splash's first
// frame drawn, with the rest of the load behind it; wall time, as the player
// waits it. Argument 1: the load begun with the program, before the screen
// opens, as the game does; argument 0: begun only at the load, as on a
// desktop whose window opens in no time.
void BM_StartToFirstSplashFrame(benchmark::State& state) {
  if (::chdir(QUILLMOOR_BENCH_GAME_DIR) != 0) state.SkipWithError("no game folder");
  double rest_ms = 0;
  double screen_ms = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const auto opening = std::chrono::steady_clock::now();
    if (state.range(0) == 1) BeginStartupLoad(StartupPlan(), UsualTexturePixelFormat());
    OpenScreen();
    screen_ms += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                           opening).count();
    Shell().load_behind_splash = true;
    state.ResumeTiming();
    LoadCallback();
    FrameTick();
    DrawCallback();
    state.PauseTiming();
    // The rest comes in as the splash plays: a little each 10 ms frame.
    const auto start = std::chrono::steady_clock::now();
    while (StartupLoadPending()) {
      ContinueStartupLoad(3.0);
      std::this_thread::sleep_for(std::chrono::milliseconds(7));
    }
    rest_ms += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                   .count();
    state.counters["images"] = static_cast<double>(images.count());
    CloseScreen();
    state.ResumeTiming();
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["rest_loaded_ms"] = rest_ms / n;
  state.counters["screen_open_ms"] = screen_ms / n;
}
BENCHMARK(BM_StartToFirstSplashFrame)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

// The baseline: decoding what the splash's first frame shows, alone.
void BM_DecodeFirstSplashPicture(benchmark::State& state) {
  if (::chdir(QUILLMOOR_BENCH_GAME_DIR) != 0) state.SkipWithError("no game folder");
  std::string bytes;
  OpenArchive("data/images.dat", "58203");
  if (!ReadGameFile("images/splash/pub.png", &bytes)) state.SkipWithError("no splash picture");
  CloseArchive();
  for (auto _ : state) {
    SDL_Surface* surface =
        IMG_Load_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    SDL_FreeSurface(surface);
  }
}
BENCHMARK(BM_DecodeFirstSplashPicture)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace

namespace {

// The load's parts one by one, to see where its time goes.
void BM_StartupLoadParts(benchmark::State& state) {
  if (::chdir(QUILLMOOR_BENCH_GAME_DIR) != 0) state.SkipWithError("no game folder");
  double sound_ms = 0, images_ms = 0, fonts_ms = 0, effects_ms = 0;
  auto ms_since = [](auto start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
  };
  for (auto _ : state) {
    OpenScreen();
    auto t = std::chrono::steady_clock::now();
    StartSound();
    sound_ms += ms_since(t);
    t = std::chrono::steady_clock::now();
    OpenArchive("data/images.dat", "58203");
    for (const char* dir : kImageDirs) images.load_dir(dir);
    CloseArchive();
    images_ms += ms_since(t);
    t = std::chrono::steady_clock::now();
    fonts.load_dir("data/fonts/");
    fonts_ms += ms_since(t);
    t = std::chrono::steady_clock::now();
    sounds.load_dir("data/audio/effects/");
    effects_ms += ms_since(t);
    CloseScreen();
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["sound_start_ms"] = sound_ms / n;
  state.counters["images_ms"] = images_ms / n;
  state.counters["fonts_ms"] = fonts_ms / n;
  state.counters["effects_ms"] = effects_ms / n;
}
BENCHMARK(BM_StartupLoadParts)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
