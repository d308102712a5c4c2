// The mixer at the game's full load: one second of sound with all eight
// streams and sixteen effect voices playing, mixed in the device's pieces of
// 1024 frames and converted to 16-bit, as the audio callback does it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/mixer.h"

namespace {

constexpr int kBlock = 1024;

// A stereo buffer of a tone, `frames` long.
std::vector<int16_t> Tone(int frames, double step) {
  std::vector<int16_t> pcm;
  pcm.reserve(static_cast<std::size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    const auto value = static_cast<int16_t>(8000.0 * std::sin(i * step));
    pcm.push_back(value);
    pcm.push_back(static_cast<int16_t>(-value));
  }
  return pcm;
}

void BM_MixOneSecondEightStreamsSixteenEffects(benchmark::State& state) {
  // Streams read from rings of 16384 frames; effects are a second or less and loop.
  std::vector<std::vector<int16_t>> buffers;
  for (int i = 0; i < 8; ++i) buffers.push_back(Tone(16384, 0.01 + 0.003 * i));
  for (int i = 0; i < 16; ++i) buffers.push_back(Tone(4410 + 2500 * i, 0.02 + 0.001 * i));
  std::vector<MixSource> voices;
  for (std::size_t i = 0; i < buffers.size(); ++i) {
    MixSource voice;
    voice.frames = buffers[i].data();
    voice.length = static_cast<int64_t>(buffers[i].size() / 2);
    voice.volume = 0.3f + 0.02f * static_cast<float>(i);
    voice.loop = true;
    voice.playing = true;
    voices.push_back(voice);
  }
  std::vector<float> mix(kBlock * 2);
  std::vector<int16_t> out(kBlock * 2);
  for (auto _ : state) {
    for (int done = 0; done < kMixRate; done += kBlock) {
      const int frames = done + kBlock <= kMixRate ? kBlock : kMixRate - done;
      std::fill(mix.begin(), mix.end(), 0.0f);
      MixInto(mix.data(), frames, voices.data(), static_cast<int>(voices.size()));
      MixToS16(mix.data(), out.data(), frames * 2);
      benchmark::DoNotOptimize(out.data());
    }
  }
}
BENCHMARK(BM_MixOneSecondEightStreamsSixteenEffects)->Unit(benchmark::kMillisecond);

}  // namespace
