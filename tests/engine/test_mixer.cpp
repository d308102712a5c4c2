// The mixer over plain buffers: volume, looping, voices that end part way
// through a buffer, clipping, and the full load of the game's voices.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/mixer.h"

namespace {

// A voice of `frames` frames holding the same left and right value throughout.
std::vector<int16_t> Constant(int frames, int16_t left, int16_t right) {
  std::vector<int16_t> pcm;
  for (int i = 0; i < frames; ++i) {
    pcm.push_back(left);
    pcm.push_back(right);
  }
  return pcm;
}

MixSource Voice(const std::vector<int16_t>& pcm, float volume = 1.0f, bool loop = false) {
  MixSource source;
  source.frames = pcm.data();
  source.length = static_cast<int64_t>(pcm.size() / 2);
  source.volume = volume;
  source.loop = loop;
  source.playing = true;
  return source;
}

}  // namespace

TEST(Mixer, VolumeScalesBothSidesAndIsHeldBetweenZeroAndOne) {
  const std::vector<int16_t> pcm = Constant(4, 16384, -8192);
  MixSource sources[3] = {Voice(pcm, 0.5f), Voice(pcm, 7.0f), Voice(pcm, -1.0f)};
  std::vector<float> out(8, 0.0f);

  MixInto(out.data(), 4, &sources[0], 1);
  EXPECT_FLOAT_EQ(out[0], 0.25f);
  EXPECT_FLOAT_EQ(out[1], -0.125f);

  std::fill(out.begin(), out.end(), 0.0f);
  MixInto(out.data(), 4, &sources[1], 2);
  EXPECT_FLOAT_EQ(out[6], 0.5f);  // loud voice at full scale, negative volume silent
  EXPECT_FLOAT_EQ(out[7], -0.25f);
  // A silent voice still moves on: its time passes like any other's.
  EXPECT_EQ(sources[2].position, 4);
  EXPECT_FALSE(sources[2].playing);
}

TEST(Mixer, LoopingVoiceWrapsToItsFirstFrameAndKeepsPlaying) {
  const std::vector<int16_t> pcm = {100, -100, 200, -200, 300, -300};
  MixSource source = Voice(pcm, 1.0f, true);
  source.position = 1;
  std::vector<float> out(14, 0.0f);
  MixInto(out.data(), 7, &source, 1);
  const int expected[7] = {200, 300, 100, 200, 300, 100, 200};
  for (int i = 0; i < 7; ++i) {
    EXPECT_FLOAT_EQ(out[2 * i] * 32768.0f, static_cast<float>(expected[i])) << i;
    EXPECT_FLOAT_EQ(out[2 * i + 1] * 32768.0f, static_cast<float>(-expected[i])) << i;
  }
  EXPECT_TRUE(source.playing);
  EXPECT_EQ(source.position, 2);
}

TEST(Mixer, VoiceWithoutLoopEndsMidBufferAndLeavesTheRestUntouched) {
  const std::vector<int16_t> pcm = Constant(3, 1000, 1000);
  MixSource source = Voice(pcm);
  std::vector<float> out(10, 0.5f);  // what other voices already put there
  MixInto(out.data(), 5, &source, 1);
  for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(out[i], 0.5f + 1000.0f / 32768.0f) << i;
  for (int i = 6; i < 10; ++i) EXPECT_FLOAT_EQ(out[i], 0.5f) << i;
  EXPECT_FALSE(source.playing);
  EXPECT_EQ(source.position, 3);

  // Finished, stopped or empty voices add nothing and nothing is read.
  std::fill(out.begin(), out.end(), 0.0f);
  MixSource stopped = Voice(pcm);
  stopped.playing = false;
  MixSource empty;
  empty.playing = true;
  MixSource shortened = Voice(pcm);
  shortened.position = 9;  // past the end of a buffer that became shorter
  MixSource rest[4] = {source, stopped, empty, shortened};
  MixInto(out.data(), 5, rest, 4);
  for (float sample : out) EXPECT_EQ(sample, 0.0f);
  EXPECT_FALSE(rest[2].playing);
  EXPECT_FALSE(rest[3].playing);
}

TEST(Mixer, ConversionClipsToTheSixteenBitRange) {
  const float in[8] = {0.0f, 0.5f, -0.5f, 1.0f, 1.7f, -1.0f, -3.0f,
                       std::numeric_limits<float>::quiet_NaN()};
  int16_t out[8];
  MixToS16(in, out, 8);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 16384);
  EXPECT_EQ(out[2], -16384);
  EXPECT_EQ(out[3], 32767);
  EXPECT_EQ(out[4], 32767);
  EXPECT_EQ(out[5], -32767);
  EXPECT_EQ(out[6], -32767);
  EXPECT_EQ(out[7], 0);  // never a full-scale click
}

TEST(Mixer, EightStreamsAndSixteenEffectVoicesSumThenClipOnce) {
  // Streams and effects at different lengths; the short effects end part way.
  std::vector<std::vector<int16_t>> buffers;
  for (int i = 0; i < 8; ++i) buffers.push_back(Constant(4096, 1000, -1000));
  for (int i = 0; i < 16; ++i) buffers.push_back(Constant(i < 8 ? 4096 : 256, 500, 500));
  std::vector<MixSource> voices;
  for (const auto& pcm : buffers) voices.push_back(Voice(pcm));

  std::vector<float> mix(2 * 1024, 0.0f);
  MixInto(mix.data(), 1024, voices.data(), static_cast<int>(voices.size()));
  EXPECT_FLOAT_EQ(mix[0] * 32768.0f, 8 * 1000 + 16 * 500);
  EXPECT_FLOAT_EQ(mix[1] * 32768.0f, 8 * -1000 + 16 * 500);
  EXPECT_FLOAT_EQ(mix[2 * 300] * 32768.0f, 8 * 1000 + 8 * 500);
  for (int i = 8; i < 24; ++i) EXPECT_EQ(voices[static_cast<std::size_t>(i)].playing, i < 16) << i;

  // Twenty-four loud voices go far past full scale: the sum clips, it does not wrap.
  const std::vector<int16_t> loud = Constant(1024, 20000, -20000);
  for (auto& voice : voices) voice = Voice(loud);
  std::fill(mix.begin(), mix.end(), 0.0f);
  MixInto(mix.data(), 1024, voices.data(), static_cast<int>(voices.size()));
  std::vector<int16_t> out(mix.size());
  MixToS16(mix.data(), out.data(), static_cast<int>(mix.size()));
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], -32767);
}

TEST(Mixer, MonoVoiceSoundsOnBothSidesExactlyAsItsDoubledStereo) {
  const std::vector<int16_t> mono = {1000, -2000, 3000, 32767, -32768};
  std::vector<int16_t> doubled;
  for (const int16_t sample : mono) doubled.insert(doubled.end(), {sample, sample});
  MixSource one = Voice(doubled, 0.7f, true);
  one.length = 5;
  MixSource other = one;
  other.frames = mono.data();
  other.channels = 1;
  // Eight frames: the looping voices wrap part way through.
  std::vector<float> stereo(16, 0.25f);
  std::vector<float> from_mono(16, 0.25f);
  MixInto(stereo.data(), 8, &one, 1);
  MixInto(from_mono.data(), 8, &other, 1);
  EXPECT_EQ(from_mono, stereo);
  EXPECT_EQ(other.position, one.position);
  EXPECT_FLOAT_EQ(from_mono[6], 32767.0f * 0.7f / 32768.0f + 0.25f);
  EXPECT_FLOAT_EQ(from_mono[7], from_mono[6]);
}
