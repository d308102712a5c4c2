// The mixer: sums voices in floating point, then clips once on the way out.
#include "engine/mixer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kFromS16 = 1.0f / 32768.0f;

// Adds one run of frames that needs no wrap.
void AddRun(float* out, const int16_t* in, int64_t frames, float gain) {
  for (int64_t i = 0; i < frames * kMixChannels; ++i) out[i] += static_cast<float>(in[i]) * gain;
}

void AddMonoRun(float* out, const int16_t* in, int64_t frames, float gain) {
  for (int64_t i = 0; i < frames; ++i) {
    const float sample = static_cast<float>(in[i]) * gain;
    out[2 * i] += sample;
    out[2 * i + 1] += sample;
  }
}

void MixOne(float* out, int frames, MixSource& source) {
  if (source.frames == nullptr || source.length <= 0) {
    source.playing = false;
    return;
  }
  // A position past the end (a shortened buffer) starts over or ends the voice.
  if (source.position < 0 || source.position >= source.length) {
    if (!source.loop) {
      source.playing = false;
      return;
    }
    source.position = 0;
  }
  const float gain = std::clamp(source.volume, 0.0f, 1.0f) * kFromS16;
  int64_t left = frames;
  while (left > 0) {
    const int64_t run = std::min(left, source.length - source.position);
    if (gain > 0.0f && source.channels == 1)
      AddMonoRun(out, source.frames + source.position, run, gain);
    else if (gain > 0.0f)
      AddRun(out, source.frames + source.position * kMixChannels, run, gain);
    out += run * kMixChannels;
    left -= run;
    source.position += run;
    if (source.position >= source.length) {
      if (!source.loop) {
        source.playing = false;
        return;
      }
      source.position = 0;
    }
  }
}

}  // namespace

void MixInto(float* out_stereo, int frames, MixSource* sources, int count) {
  if (out_stereo == nullptr || frames <= 0 || sources == nullptr) return;
  for (int i = 0; i < count; ++i) {
    if (sources[i].playing) MixOne(out_stereo, frames, sources[i]);
  }
}

void MixToS16(const float* in, int16_t* out, int samples) {
  for (int i = 0; i < samples; ++i) {
    // NaN (from nowhere we know of) becomes silence rather than a full-scale click.
    const float x = std::isnan(in[i]) ? 0.0f : std::clamp(in[i], -1.0f, 1.0f);
    out[i] = static_cast<int16_t>(std::lrint(x * 32767.0f));
  }
}
