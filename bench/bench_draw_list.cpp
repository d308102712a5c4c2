// The game's own draw list filled to its 4097 commands, as a busy frame of
// the game records it: the background, window skins and buttons, texts in
// the interface font, and sparks and glints of the particle effects; played
// back on the software renderer of a headless run, with the engine's span
// blitter off (argument 0) and on (1).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <string>

#include "engine/archive.h"
#include "engine/engine.h"
#include "engine/render.h"
#include "engine/screen.h"
#include "res/draw_list.h"
#include "res/images.h"

namespace {

void RecordBusyFrame(tbatch& list) {
  list.clear();
  list.image("menu_bg", 255, 0, 0);
  for (int i = 0; i < 4; ++i)
    list.corner_image("gwnd_conf", 255, 100.0f + 150.0f * static_cast<float>(i), 100,
                      560.0f + 150.0f * static_cast<float>(i), 420);
  for (int i = 0; i < 40; ++i)
    list.sized_image("gbutton", 255, 40.0f + 24.0f * static_cast<float>(i), 600, 160, 48, 0,
                     0xFFFFFF, BLEND_NORMAL, 0);
  for (int i = 0; i < 300; ++i)
    list.text("ui_font", "Options", 30.0f + static_cast<float>((i * 97) % 950),
              20.0f + static_cast<float>((i * 53) % 720), 0x11, -1, 1.0f, 255, 0xFFFFFF);
  // The rest are particles: small additive sprites, some turned.
  uint32_t seed = 7;
  while (list.count() < DRAW_CAPACITY) {
    seed = seed * 1664525u + 1013904223u;
    const float x = static_cast<float>((seed >> 8) % 1024);
    const float y = static_cast<float>((seed >> 18) % 768);
    const float size = 0.5f + static_cast<float>((seed >> 4) % 8) / 8.0f;
    list.scaled_image((seed & 1) ? "p_spark" : "p_glint", 200, x, y,
                      static_cast<float>((seed >> 3) % 360), size, size, 0xFFFFFF, BLEND_ADD);
  }
}

void BM_GameDrawListFrame(benchmark::State& state) {
  if (::chdir(QUILLMOOR_BENCH_GAME_DIR) != 0) state.SkipWithError("no game folder");
  EngineReset();
  EngineSettings settings;
  settings.headless = true;
  EngineConfigure(settings);
  WindowRequest window;
  if (!PlatformInit(true) || !PlatformCreateWindow(window)) state.SkipWithError("no screen");
  EnableOption(OPT_FIT_LOGICAL);
  SetLogicalResolution(1024, 768);
  OpenArchive("data/images.dat", "58203");
  images.load_dir("images/common/");
  images.load_dir("images/particles/");
  CloseArchive();
  fonts.load_dir("data/fonts/");
  tbatch list;
  RecordBusyFrame(list);
  SetSoftwareBlitter(state.range(0) != 0);
  for (auto _ : state) {
    PlatformBeginFrame(true);
    BeginBatch();
    list.replay(-1);
    EndBatch();
    PlatformPresent();
  }
  state.counters["commands"] = static_cast<double>(list.count());
  images.clear();
  fonts.clear();
  SetSoftwareBlitter(true);
  EngineReset();
}
// 0: the renderer's own triangles (the old path); 1: the engine's span blitter.
BENCHMARK(BM_GameDrawListFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace
