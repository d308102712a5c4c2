// The game's sound mixer: a plain function over sample buffers, with no
// device and no platform calls, so the audio device's callback, the tests and
// the benchmarks all run the same code. Samples are 44100 Hz stereo, 16-bit,
// interleaved (left, right), the format effects are decoded into at load.
#pragma once

#include <cstdint>

inline constexpr int kMixRate = 44100;
inline constexpr int kMixChannels = 2;

// One playing voice: an effect channel or a readable stretch of a stream's
// ring buffer. The mixer reads from `position` on and moves it forward.
struct MixSource {
  const int16_t* frames = nullptr;  // interleaved stereo, or mono; not owned
  int64_t length = 0;               // frames in `frames`
  int64_t position = 0;             // next frame to play
  float volume = 1.0f;              // 0..1, applied to both sides
  bool loop = false;                // wrap to the first frame at the end
  bool playing = false;             // cleared when a source without loop runs out
  int channels = kMixChannels;      // 1: one sample a frame, heard on both sides
};

// Adds `frames` stereo frames of every playing source into out_stereo
// (2 × frames floats, full scale ±1, not cleared first). A looping source
// wraps to its start; any other stops where its samples end, even mid-buffer,
// and is marked as no longer playing.
void MixInto(float* out_stereo, int frames, MixSource* sources, int count);

// Converts mixed samples to the device's 16-bit format, clipping to [-1, 1].
void MixToS16(const float* in, int16_t* out, int samples);
