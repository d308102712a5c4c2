// Walking between levels in the loaded game, headless: a level entered for
// the first time with nothing ready, a level next door after the player has
// looked around a while, and the way back to the level just left. Beside
// them, what reading and decoding one level's pictures costs alone.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <SDL.h>
#include <SDL_image.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/frame.h"
#include "app/game_state.h"
#include "app/shell.h"
#include "engine/archive.h"
#include "engine/engine.h"
#include "profile/profiles.h"
#include "res/strings.h"
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

// One timed switch.
void TimedChange(benchmark::State& state, const char* level) {
  const auto start = std::chrono::steady_clock::now();
  const bool ok = ChangeLevel(level, LeaveLevel::Save);
  state.SetIterationTime(
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  if (!ok || world.levelName != level) state.SkipWithError("the level was not entered");
}

void BM_LevelSwitchCold(benchmark::State& state) {
  RunInGame(state, [](benchmark::State& s) {
    std::size_t next = 0;
    ChangeLevel(kFarApart[next++], LeaveLevel::Save);
    for (auto _ : s) {
      TimedChange(s, kFarApart[next]);
      next = (next + 1) % std::size(kFarApart);
    }
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
  });
}
BENCHMARK(BM_LevelSwitchBack)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(12);

// The measure the switches are compared with: the hotel's pictures read
// from the archive and decoded, one after the other.
void BM_LevelFolderReadAndDecode(benchmark::State& state) {
  if (::chdir(QUILLMOOR_BENCH_GAME_DIR) != 0) state.SkipWithError("no game folder");
  IMG_Init(IMG_INIT_PNG);
  for (auto _ : state) {
    OpenArchive(kImageArchive, kImageArchiveKey);
    const std::string dir = "images/levels/hotel/";
    std::size_t count = 0;
    for (const std::string& name : ListGameFiles(dir + "*.png", 2049)) {
      std::string bytes;
      if (!ReadGameFile(dir + name, &bytes)) continue;
      SDL_Surface* surface =
          IMG_Load_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
      SDL_FreeSurface(surface);
      ++count;
    }
    CloseArchive();
    state.counters["images"] = static_cast<double>(count);
  }
}
BENCHMARK(BM_LevelFolderReadAndDecode)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
