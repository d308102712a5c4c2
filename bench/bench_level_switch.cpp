// Walking between levels in the loaded game, headless: a level entered for
// the first time with nothing ready, a level next door after the player has
// looked around a while, the way back to the level just left, and every walk
// of the story in a player's order. Beside them, what reading and decoding
// one level's pictures costs alone.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/frame.h"
#include "app/game_state.h"
#include "app/shell.h"
#include "engine/archive.h"
#include "engine/png_read.h"
#include "engine/engine.h"
#include "profile/profiles.h"
#include "res/image_prefetch.h"
#include "res/images.h"
#include "res/strings.h"
#include "support/story_table.h"
#include "ui/gui.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

// Levels none of which has an exit to the next: each is entered cold.
const char* const kFarApart[] = {"hotel", "bridge", "gates", "lodge", "crypt", "kitchen"};
// A walk where each level is reached through an exit of the one before.
const char* const kWalk[] = {"hall",    "stairs", "library",   "basement", "passage",
                             "crypt",   "cemetery", "crossroad", "gates"};
// How long the player looks around before walking on.
constexpr auto kLookAround = std::chrono::milliseconds(700);

benchmark::State* g_state = nullptr;
void (*g_body)(benchmark::State&) = nullptr;

void Body() {
  ShowWindow("wnd_splash", false);
  ShowWindow("wnd_game", true);
  CreatePlayer("bench");
  g_body(*g_state);
  StopEngine();
}

// The game loaded headless with a new player, then `body` inside its loop.
void RunInGame(benchmark::State& state, void (*body)(benchmark::State&)) {
  if (::chdir(QUILLMOOR_BENCH_GAME_DIR) != 0) {
    state.SkipWithError("no game folder");
    return;
  }
  std::string home = (std::filesystem::temp_directory_path() / "quillmoor_bench_XXXXXX").string();
  if (::mkdtemp(home.data()) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  ResetGameState();
  EngineSettings settings;
  settings.headless = true;
  EngineConfigure(settings);
  PrepareSaveFolder(home + "/", "Moorhouse");
  game_strings.load("data/text/strings.cfg");
  RegisterCallback(CB_LOAD, LoadCallback);
  RegisterCallback(CB_LOOP, Body);
  AddTimer(FrameTick, 10);
  DisableOption(OPT_WRITE_LOG);
  SetScreenOptions(1024, 768, 0, false, true);
  g_state = &state;
  g_body = body;
  EngineStart(0, 0);
  ResetGameState();
  std::filesystem::remove_all(home);
}

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// One timed switch: the time on the clock, and beside it (counter "main_cpu_ms")
// the main thread's own time, which on a busy machine is what the switch
// costs once the other programs are gone.
void TimedChange(benchmark::State& state, const char* level) {
  const double cpu = ThreadCpuMs();
  const auto start = std::chrono::steady_clock::now();
  const bool ok = ChangeLevel(level, LeaveLevel::Save);
  state.SetIterationTime(
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  state.counters["main_cpu_ms"] += ThreadCpuMs() - cpu;
  if (!ok || world.levelName != level) state.SkipWithError("the level was not entered");
}

// Also the peak memory of the process so far (counter "max_rss_mb"): the
// headless renderer keeps textures in memory, as a window's driver may.
void PerSwitch(benchmark::State& state) {
  state.counters["main_cpu_ms"] =
      benchmark::Counter(state.counters["main_cpu_ms"], benchmark::Counter::kAvgIterations);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["max_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_LevelSwitchCold(benchmark::State& state) {
  RunInGame(state, [](benchmark::State& s) {
    std::size_t next = 0;
    ChangeLevel(kFarApart[next++], LeaveLevel::Save);
    for (auto _ : s) {
      TimedChange(s, kFarApart[next]);
      next = (next + 1) % std::size(kFarApart);
    }
    PerSwitch(s);
  });
}
BENCHMARK(BM_LevelSwitchCold)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(12);

void BM_LevelSwitchAfterLookingAround(benchmark::State& state) {
  RunInGame(state, [](benchmark::State& s) {
    std::size_t next = 0;
    ChangeLevel(kWalk[next++], LeaveLevel::Save);
    for (auto _ : s) {
      std::this_thread::sleep_for(kLookAround);
      TimedChange(s, kWalk[next]);
      if (++next == std::size(kWalk)) {
        next = 0;
        ChangeLevel(kWalk[next++], LeaveLevel::Save);
      }
    }
    PerSwitch(s);
  });
}
BENCHMARK(BM_LevelSwitchAfterLookingAround)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(8);

void BM_LevelSwitchBack(benchmark::State& state) {
  RunInGame(state, [](benchmark::State& s) {
    ChangeLevel("hotel", LeaveLevel::Save);
    ChangeLevel("alley", LeaveLevel::Save);
    bool to_hotel = true;
    for (auto _ : s) {
      TimedChange(s, to_hotel ? "hotel" : "alley");
      to_hotel = !to_hotel;
    }
    PerSwitch(s);
  });
}
BENCHMARK(BM_LevelSwitchBack)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(12);

std::vector<std::string> ReadHotelPictures() {
  std::vector<std::string> files;
  OpenArchive(kImageArchive, kImageArchiveKey);
  const std::string dir = "images/levels/hotel/";
  for (const std::string& name : ListGameFiles(dir + "*.png", 2049)) {
    std::string bytes;
    if (ReadGameFile(dir + name, &bytes)) files.push_back(std::move(bytes));
  }
  CloseArchive();
  return files;
}

// The measure the switches are compared with: the hotel's pictures, read
// before, decoded one after the other.
void BM_LevelFolderDecode(benchmark::State& state) {
  if (::chdir(QUILLMOOR_BENCH_GAME_DIR) != 0) state.SkipWithError("no game folder");
  IMG_Init(IMG_INIT_PNG);
  const std::vector<std::string> files = ReadHotelPictures();
  double cpu = 0;
  for (auto _ : state) {
    const double start = ThreadCpuMs();
    for (const std::string& bytes : files) {
      SDL_Surface* surface =
          IMG_Load_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
      SDL_FreeSurface(surface);
    }
    cpu += ThreadCpuMs() - start;
  }
  state.counters["images"] = static_cast<double>(files.size());
  state.counters["main_cpu_ms"] = cpu / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LevelFolderDecode)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same pictures decoded into the textures' layout (0xAARRGGBB): read
// straight into it (argument 1), or by the general loader and converted
// after (argument 0), as before the PNG reader.
void BM_LevelFolderIntoTextureLayout(benchmark::State& state) {
  if (::chdir(QUILLMOOR_BENCH_GAME_DIR) != 0) state.SkipWithError("no game folder");
  IMG_Init(IMG_INIT_PNG);
  const std::vector<std::string> files = ReadHotelPictures();
  for (auto _ : state) {
    for (const std::string& bytes : files) {
      SDL_Surface* picture = nullptr;
      int w = 0;
      int h = 0;
      bool opaque = false;
      if (state.range(0) == 1 && PngPictureSize(bytes.data(), bytes.size(), &w, &h)) {
        picture = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
        PngDecodeInto(bytes.data(), bytes.size(), true, picture->pixels, picture->pitch, &opaque);
      } else {
        SDL_Surface* loaded =
            IMG_Load_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
        picture = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(loaded);
      }
      SDL_FreeSurface(picture);
    }
  }
  state.counters["images"] = static_cast<double>(files.size());
}
BENCHMARK(BM_LevelFolderIntoTextureLayout)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// Reading the same pictures out of the encrypted archive, without decoding.
void BM_LevelFolderRead(benchmark::State& state) {
  if (::chdir(QUILLMOOR_BENCH_GAME_DIR) != 0) state.SkipWithError("no game folder");
  double cpu = 0;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const double start = ThreadCpuMs();
    bytes = 0;
    for (const std::string& file : ReadHotelPictures()) bytes += file.size();
    cpu += ThreadCpuMs() - start;
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["main_cpu_ms"] = cpu / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LevelFolderRead)->Unit(benchmark::kMillisecond)->Iterations(5);

// The main thread's time to decode the hotel's pictures alone, read before.
double HotelDecodeCpuMs() {
  IMG_Init(IMG_INIT_PNG);
  const std::vector<std::string> files = ReadHotelPictures();
  const double start = ThreadCpuMs();
  for (const std::string& bytes : files)
    SDL_FreeSurface(IMG_Load_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1));
  return ThreadCpuMs() - start;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[at];
}

// The story's walks in order, from the hotel to the last one: a player looks
// around between two walks, and passes more quickly through the levels of
// one walk. One iteration is the whole story; its counters are the time of
// a switch on the clock (wall_p50_ms, wall_p90_ms) and on the main thread
// (cpu_p50_ms, cpu_p90_ms), and as ratios to decoding the hotel's pictures
// alone in the same run (decode_ms); how many levels were kept from before
// (kept), decoded ahead and ready (ahead), or neither (cold).
constexpr auto kBetweenWalks = std::chrono::milliseconds(500);
constexpr auto kWithinWalk = std::chrono::milliseconds(300);

void BM_LevelSwitchStory(benchmark::State& state) {
  if (::chdir(QUILLMOOR_BENCH_GAME_DIR) != 0) {
    state.SkipWithError("no game folder");
    return;
  }
  const double decode_ms = HotelDecodeCpuMs();
  RunInGame(state, [](benchmark::State& s) {
    const StoryTable story = ReadStoryTable(QUILLMOOR_BENCH_STORY);
    if (!story.error.empty()) {
      s.SkipWithError(story.error.c_str());
      return;
    }
    std::vector<double> wall;
    std::vector<double> cpu;
    int kept = 0;
    int ahead = 0;
    int cold = 0;
    for (auto _ : s) {
      ChangeLevel("hotel", LeaveLevel::Save);
      for (const StoryStep& step : story.steps) {
        if (step.kind != StepKind::Walk) continue;
        std::this_thread::sleep_for(kBetweenWalks);
        for (std::size_t i = 0; i < step.route.size(); ++i) {
          if (i > 0) std::this_thread::sleep_for(kWithinWalk);
          const std::string& level = step.route[i];
          const std::string folder = "images/levels/" + level + "/";
          if (images.scene_kept(folder))
            ++kept;
          else if (PrefetchedFolderReady(folder))
            ++ahead;
          else
            ++cold;
          const double cpu_start = ThreadCpuMs();
          const auto start = std::chrono::steady_clock::now();
          const bool ok = ChangeLevel(level, LeaveLevel::Save);
          wall.push_back(
              std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                  .count());
          cpu.push_back(ThreadCpuMs() - cpu_start);
          if (!ok || world.levelName != level) s.SkipWithError("the level was not entered");
        }
      }
      double total = 0;
      for (double w : wall) total += w;
      s.SetIterationTime(total / 1e3);
    }
    s.counters["switches"] = static_cast<double>(wall.size());
    s.counters["kept"] = kept;
    s.counters["ahead"] = ahead;
    s.counters["cold"] = cold;
    s.counters["wall_p50_ms"] = Percentile(wall, 0.5);
    s.counters["wall_p90_ms"] = Percentile(wall, 0.9);
    s.counters["cpu_p50_ms"] = Percentile(cpu, 0.5);
    s.counters["cpu_p90_ms"] = Percentile(cpu, 0.9);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    s.counters["max_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  });
  state.counters["decode_ms"] = decode_ms;
  state.counters["wall_p50_x"] = state.counters["wall_p50_ms"] / decode_ms;
  state.counters["cpu_p50_x"] = state.counters["cpu_p50_ms"] / decode_ms;
}
BENCHMARK(BM_LevelSwitchStory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
