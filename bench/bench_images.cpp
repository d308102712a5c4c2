// Finding images by name, as every frame tick does for each sprite it
// records: the registry after the start-up load and the hotel's pictures,
// asked for every one of its names. The walk over the registry that lookups
// used to be is the baseline of the same run. Then a whole level frame
// recorded into the draw list (about 150 sprites of the level, 200 particles
// and the panel), with its median and 99th percentile.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/engine.h"
#include "engine/name_hash.h"
#include "engine/screen.h"
#include "headless_game.h"
#include "res/draw_list.h"
#include "res/images.h"

namespace {

const char* const kStartupDirs[] = {"images/splash/", "images/common/", "images/particles/",
                                    "images/items/",  "images/diary/",  "images/hint/"};

class LoadedImages {
 public:
  explicit LoadedImages(benchmark::State& state) {
    if (!OpenHeadlessGame(state)) return;
    OpenArchive("data/images.dat", "58203");
    for (const char* dir : kStartupDirs) images.load_dir(dir);
    images.load_scene_dir("images/levels/hotel/");
    CloseArchive();
    // The level's own pictures are asked for most and were loaded last.
    for (std::size_t i = images.count(); i-- > 0;) names_.push_back(images[i].name);
  }
  ~LoadedImages() {
    images.clear();
    EngineReset();
  }
  const std::vector<std::string>& names() const { return names_; }

 private:
  std::vector<std::string> names_;
};

// The lookup as it was: every entry's hash in load order until one matches.
Texture* WalkRegistry(std::string_view name) {
  const uint32_t hash = name_hash(name);
  for (std::size_t i = 0; i < images.count(); ++i)
    if (images[i].hash == hash) return images[i].texture;
  return nullptr;
}

void BM_ImageLookupByWalk(benchmark::State& state) {
  LoadedImages loaded(state);
  for (auto _ : state)
    for (const std::string& name : loaded.names()) benchmark::DoNotOptimize(WalkRegistry(name));
  state.counters["images"] = static_cast<double>(images.count());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(loaded.names().size()));
}
BENCHMARK(BM_ImageLookupByWalk)->Unit(benchmark::kMicrosecond);

void BM_ImageLookup(benchmark::State& state) {
  LoadedImages loaded(state);
  for (auto _ : state)
    for (const std::string& name : loaded.names()) benchmark::DoNotOptimize(images.get(name));
  state.counters["images"] = static_cast<double>(images.count());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(loaded.names().size()));
}
BENCHMARK(BM_ImageLookup)->Unit(benchmark::kMicrosecond);

void BM_RecordLevelFrame(benchmark::State& state) {
  LoadedImages loaded(state);
  const std::vector<std::string>& names = loaded.names();
  if (names.empty()) return;
  std::vector<double> micros;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    DrawList.clear();
    DrawList.image(names.back(), 255, 0, 0);
    for (int i = 0; i < 150; ++i) {
      const std::string& name = names[static_cast<std::size_t>(i) % names.size()];
      DrawList.image(name, 255, static_cast<float>(i * 7 % 1000), static_cast<float>(i * 5 % 700));
    }
    for (int i = 0; i < 200; ++i)
      DrawList.scaled_image((i & 1) ? "p_spark" : "p_glint", 200, static_cast<float>(i * 5),
                            300, 0, 0.5f, 0.5f, 0xFFFFFF, BLEND_ADD, 0);
    DrawList.sized_image("gbutton", 255, 0, 640, 1024, 128, 0, 0xFFFFFF, BLEND_NORMAL, 0);
    micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() -
                                                               start)
                         .count());
  }
  std::sort(micros.begin(), micros.end());
  state.counters["p50_us"] = micros[micros.size() / 2];
  state.counters["p99_us"] = micros[micros.size() * 99 / 100];
  state.counters["commands"] = static_cast<double>(DrawList.count());
  DrawList.clear();
}
BENCHMARK(BM_RecordLevelFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
