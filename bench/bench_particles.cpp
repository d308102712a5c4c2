// The particle engine's share of a frame tick: stepping and recording one
// emitter filled to its 4096 particles, the worst case in which all of them
// die together, and the ordinary load of a level (30 glinting objects, a
// hidden-object entrance with its stars and an inventory entry in flight).
// Recording resolves the real particle images of the generated data.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstring>
#include <memory>
#include <vector>

#include "engine/archive.h"
#include "engine/engine.h"
#include "engine/random.h"
#include "engine/screen.h"
#include "fx/particles.h"
#include "res/draw_list.h"
#include "res/images.h"

namespace {

// The particle images on a headless screen, found by name as in the game.
class ParticleImages {
 public:
  ParticleImages() {
    ok_ = ::chdir(QUILLMOOR_BENCH_GAME_DIR) == 0;
    EngineReset();
    EngineSettings settings;
    settings.headless = true;
    EngineConfigure(settings);
    WindowRequest window;
    ok_ = ok_ && PlatformInit(true) && PlatformCreateWindow(window);
    OpenArchive("data/images.dat", "58203");
    images.load_dir("images/particles/");
    CloseArchive();
  }
  ~ParticleImages() {
    images.clear();
    EngineReset();
  }
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

void FillWithSparks(TParticleSystem& ps, float decay) {
  ps.count = 0;
  for (int i = 0; i < MAX_PARTICLES; ++i)
    Emit(ps, (i & 1) ? "p_spark" : "p_glint", false, static_cast<float>(Random(1024)),
         static_cast<float>(Random(768)), static_cast<float>(Random(10) - 5) / 10.0f,
         static_cast<float>(Random(10) - 5) / 10.0f, 0.5f, decay, 2.0f, 0.0f, 0xFFE0C0,
         BLEND_ADD);
}

void BM_FullEmitterUpdateAndDraw(benchmark::State& state) {
  ParticleImages loaded;
  if (!loaded.ok()) state.SkipWithError("no game folder or screen");
  auto ps = std::make_unique<TParticleSystem>();
  FillWithSparks(*ps, 0.0f);  // they never die, so every tick has 4096
  for (auto _ : state) {
    DrawList.clear();
    UpdateAndDraw(*ps);
    benchmark::DoNotOptimize(ps->p[0]);
  }
  state.counters["particles"] = ps->count;
  state.counters["commands"] = static_cast<double>(DrawList.count());
  DrawList.clear();
}
BENCHMARK(BM_FullEmitterUpdateAndDraw)->Unit(benchmark::kMicrosecond);

// Every particle dies in the same tick, the most the in-place removal can
// have to do: every second one leaves (the others slid into the freed slots
// and wait a tick), and the survivors close up in one pass.
void BM_FullEmitterAllDying(benchmark::State& state) {
  ParticleImages loaded;
  if (!loaded.ok()) state.SkipWithError("no game folder or screen");
  auto ps = std::make_unique<TParticleSystem>();
  for (auto _ : state) {
    state.PauseTiming();
    FillWithSparks(*ps, 255.5f);
    state.ResumeTiming();
    DrawList.clear();
    UpdateAndDraw(*ps);
    benchmark::DoNotOptimize(ps->count);
  }
  state.counters["left"] = ps->count;
  DrawList.clear();
}
BENCHMARK(BM_FullEmitterAllDying)->Unit(benchmark::kMicrosecond);

// The baseline for the one above: the same tick with the removal done as it
// used to be, each dead particle closing its gap at once by moving the whole
// tail (and the spare slot) down.
void BM_FullEmitterAllDyingShiftingEachGap(benchmark::State& state) {
  ParticleImages loaded;
  if (!loaded.ok()) state.SkipWithError("no game folder or screen");
  auto ps = std::make_unique<TParticleSystem>();
  for (auto _ : state) {
    state.PauseTiming();
    FillWithSparks(*ps, 255.5f);
    state.ResumeTiming();
    DrawList.clear();
    for (int i = 0; i < ps->count; ++i) {
      TParticleD& q = ps->p[static_cast<std::size_t>(i)];
      q.life -= q.decay;
      if (q.life < 0.0f) q.dead = true;
    }
    for (int i = 0; i < ps->count; ++i) {
      if (!ps->p[static_cast<std::size_t>(i)].dead) continue;
      std::memmove(&ps->p[static_cast<std::size_t>(i)], &ps->p[static_cast<std::size_t>(i) + 1],
                   sizeof(TParticleD) * static_cast<std::size_t>(ps->count - i));
      --ps->count;
    }
    benchmark::DoNotOptimize(ps->count);
  }
  state.counters["left"] = ps->count;
}
BENCHMARK(BM_FullEmitterAllDyingShiftingEachGap)->Unit(benchmark::kMicrosecond);

// One frame tick of a busy level: 30 glinting objects on the glint timer of
// the scene runtime, a hidden-object entrance with a star every 6th tick and
// an inventory entry trailing a spark each tick, each object with its own
// emitter. Measured after the effects have reached their steady numbers.
void BM_LevelParticleLoad(benchmark::State& state) {
  ParticleImages loaded;
  if (!loaded.ok()) state.SkipWithError("no game folder or screen");
  constexpr int kGlinting = 30;
  std::vector<TParticleSystem> emitters(kGlinting + 2);
  std::vector<float> timers(kGlinting);
  for (float& t : timers) t = -static_cast<float>(Random(500));
  TParticleSystem& entrance = emitters[kGlinting];
  TParticleSystem& flying = emitters[kGlinting + 1];
  int star_timer = 0;
  auto tick = [&] {
    DrawList.clear();
    for (int i = 0; i < kGlinting; ++i) {
      float& timer = timers[static_cast<std::size_t>(i)];
      timer += 1.0f;
      if (timer > static_cast<float>(500 + Random(500))) {
        timer = -static_cast<float>(Random(500));
        EmitGlint(emitters[static_cast<std::size_t>(i)], 100.0f + 30.0f * static_cast<float>(i),
                  300);
      }
      UpdateAndDraw(emitters[static_cast<std::size_t>(i)]);
    }
    if (++star_timer > 5) {
      star_timer = 0;
      EmitStar(entrance, 700, 400);
    }
    UpdateAndDraw(entrance);
    EmitSparkTrail(flying, 500, 700);
    UpdateAndDraw(flying);
  };
  for (int warm = 0; warm < 2000; ++warm) tick();
  for (auto _ : state) tick();
  int live = 0;
  for (const TParticleSystem& ps : emitters) live += ps.count;
  state.counters["particles"] = live;
  state.counters["commands"] = static_cast<double>(DrawList.count());
  DrawList.clear();
}
BENCHMARK(BM_LevelParticleLoad)->Unit(benchmark::kMicrosecond);

}  // namespace
