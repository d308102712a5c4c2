// The benchmarks' stage: the generated game's folder as the working folder
// and the engine on a headless 1024 x 768 window, as the game runs headless.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "engine/engine.h"
#include "engine/screen.h"

// False (the benchmark marked skipped) when the folder or the window is
// missing.
inline bool OpenHeadlessGame(benchmark::State& state) {
  if (::chdir(QUILLMOOR_BENCH_GAME_DIR) != 0) {
    state.SkipWithError("no game folder");
    return false;
  }
  EngineReset();
  EngineSettings settings;
  settings.headless = true;
  EngineConfigure(settings);
  WindowRequest window;
  if (!PlatformInit(true) || !PlatformCreateWindow(window)) {
    state.SkipWithError("no headless screen");
    return false;
  }
  return true;
}
