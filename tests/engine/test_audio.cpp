// Sound effects, streams and the decoder, through SDL's dummy audio device
// and Ogg Vorbis files made here with the encoder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vorbis/vorbisenc.h>  // makes the test files

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/audio.h"
#include "engine/clock.h"
#include "engine/engine.h"
#include "engine/log.h"
#include "engine/vorbis.h"
#include "support/temp_files.h"

namespace fs = std::filesystem;

namespace {

constexpr double kPi = 3.14159265358979323846;

// One sample of channel `channel` at frame `frame`, in [-1, 1].
using Wave = std::function<float(int frame, int channel)>;

Wave Sine(double hz, int rate, float amplitude) {
  return [=](int frame, int) {
    return amplitude * static_cast<float>(std::sin(2.0 * kPi * hz * frame / rate));
  };
}

// An Ogg Vorbis file of `frames` frames, as the content tools would write it.
std::string EncodeVorbis(int rate, int channels, int frames, const Wave& wave) {
  vorbis_info info;
  vorbis_info_init(&info);
  EXPECT_EQ(vorbis_encode_init_vbr(&info, channels, rate, 0.5f), 0);
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1234);

  std::string bytes;
  ogg_page page;
  auto take_pages = [&](bool flush) {
    while ((flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) != 0) {
      bytes.append(reinterpret_cast<const char*>(page.header), static_cast<std::size_t>(page.header_len));
      bytes.append(reinterpret_cast<const char*>(page.body), static_cast<std::size_t>(page.body_len));
    }
  };
  ogg_packet header, header_comment, header_code;
  vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &header_comment);
  ogg_stream_packetin(&stream, &header_code);
  take_pages(true);

  auto drain = [&] {
    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
        ogg_stream_packetin(&stream, &packet);
        take_pages(false);
      }
    }
  };
  for (int done = 0; done < frames;) {
    const int n = std::min(4096, frames - done);
    float** buffer = vorbis_analysis_buffer(&dsp, n);
    for (int c = 0; c < channels; ++c)
      for (int i = 0; i < n; ++i) buffer[c][i] = wave(done + i, c);
    vorbis_analysis_wrote(&dsp, n);
    drain();
    done += n;
  }
  vorbis_analysis_wrote(&dsp, 0);
  drain();
  take_pages(true);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return bytes;
}

int Peak(const std::vector<int16_t>& pcm, int channel = -1) {
  int peak = 0;
  for (std::size_t i = 0; i < pcm.size(); ++i) {
    if (channel >= 0 && static_cast<int>(i % 2) != channel) continue;
    peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
  }
  return peak;
}

// Loudest sample of the next `frames` frames of the game's mix.
int MixPeak(int frames = 1024) {
  std::vector<int16_t> out(static_cast<std::size_t>(frames) * 2);
  MixSoundOutput(out.data(), frames);
  return Peak(out);
}

// The decoder threads and the device run on their own time: wait for them,
// but never for long.
bool Eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return condition();
}

class Audio : public ::testing::Test {
 protected:
  void SetUp() override {
    EngineSettings settings;
    settings.headless = true;
    EngineConfigure(settings);
    dir_ = MakeTempFolder(std::string("quillmoor_audio_") +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    ASSERT_FALSE(dir_.empty());
    ClockStart(true);
    ASSERT_TRUE(LogOpen((dir_ / "log.txt").string(), 0.0));
    ASSERT_TRUE(StartSound());
  }
  void TearDown() override {
    StopSoundSystem();
    LogClose();
    fs::remove_all(dir_);
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  // A mono sine of the given length at 44100 Hz.
  std::string Tone(const std::string& name, double seconds, float amplitude = 0.5f) {
    const int frames = static_cast<int>(seconds * 44100);
    return Write(name, EncodeVorbis(44100, 1, frames, Sine(440, 44100, amplitude)));
  }
  std::string Log() {
    std::ifstream in(dir_ / "log.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Moves the clock on and runs one stream step.
  static void Step(double ms, bool focused = true) {
    ClockAdvance(ms);
    StreamStep(focused);
  }

  fs::path dir_;
};

}  // namespace

// --- The decoder ----------------------------------------------------------------------

TEST(VorbisDecode, MonoIsDoubledAndOtherRatesComeOutAt44100) {
  std::vector<int16_t> pcm;
  ASSERT_TRUE(DecodeVorbis(EncodeVorbis(44100, 1, 11025, Sine(440, 44100, 0.5f)), 1 << 20, &pcm));
  EXPECT_EQ(pcm.size(), 11025u * 2);
  for (std::size_t i = 0; i < pcm.size(); i += 2) ASSERT_EQ(pcm[i], pcm[i + 1]) << i;
  EXPECT_NEAR(Peak(pcm), 16384, 2500);

  // A quarter second at 22050 Hz lasts a quarter second at 44100 Hz, just as loud.
  ASSERT_TRUE(DecodeVorbis(EncodeVorbis(22050, 1, 5512, Sine(440, 22050, 0.5f)), 1 << 20, &pcm));
  EXPECT_NEAR(static_cast<double>(pcm.size() / 2), 11025.0, 4.0);
  EXPECT_NEAR(Peak(pcm), 16384, 2500);
}

TEST(VorbisDecode, StereoSidesStayApartAndSurroundFoldsToTheFrontPair) {
  std::vector<int16_t> pcm;
  const Wave left_only = [](int frame, int channel) {
    return channel == 0 ? 0.5f * static_cast<float>(std::sin(frame * 0.06)) : 0.0f;
  };
  ASSERT_TRUE(DecodeVorbis(EncodeVorbis(44100, 2, 8000, left_only), 1 << 20, &pcm));
  EXPECT_GT(Peak(pcm, 0), 12000);
  EXPECT_LT(Peak(pcm, 1), 1500);

  // Six channels: front left, centre, front right, rear pair, low effects.
  // Only the right front speaker sounds, so only the right side may.
  const Wave front_right = [](int frame, int channel) {
    return channel == 2 ? 0.5f * static_cast<float>(std::sin(frame * 0.06)) : 0.0f;
  };
  ASSERT_TRUE(DecodeVorbis(EncodeVorbis(44100, 6, 8000, front_right), 1 << 20, &pcm));
  EXPECT_LT(Peak(pcm, 0), 1500);
  EXPECT_GT(Peak(pcm, 1), 12000);
}

TEST(VorbisDecode, DamagedBytesAreRefusedOrKeepWhatCameBeforeTheDamage) {
  std::vector<int16_t> pcm;
  bool cut = true;
  EXPECT_FALSE(DecodeVorbis("", 1000, &pcm, &cut));
  EXPECT_FALSE(DecodeVorbis("OggS this is not a sound at all", 1000, &pcm, &cut));
  EXPECT_FALSE(cut);

  // Four seconds of noise: many pages, so a cut leaves some whole ones.
  const Wave noise = [](int frame, int) {
    unsigned x = static_cast<unsigned>(frame) * 2654435761u;
    x ^= x >> 13;
    return (static_cast<float>(x % 2001) / 1000.0f - 1.0f) * 0.3f;
  };
  const std::string good = EncodeVorbis(44100, 1, 4 * 44100, noise);
  // Cut in the middle: what is there plays.
  ASSERT_TRUE(DecodeVorbis(good.substr(0, good.size() * 3 / 4), 1 << 20, &pcm));
  EXPECT_GT(pcm.size(), 2u * 44100);
  EXPECT_LT(pcm.size(), 2u * 4 * 44100);
  // Only the headers survive: no sound, refused.
  EXPECT_FALSE(DecodeVorbis(good.substr(0, 200), 1 << 20, &pcm));
  // Scribbled over after the headers: never a crash, whatever comes out.
  std::string scribbled = good;
  for (std::size_t i = scribbled.size() / 3; i < scribbled.size(); i += 97) scribbled[i] ^= 0x5A;
  DecodeVorbis(scribbled, 1 << 20, &pcm);
  // Longer than allowed: cut to the limit and said so.
  ASSERT_TRUE(DecodeVorbis(good, 1000, &pcm, &cut));
  EXPECT_EQ(pcm.size(), 2000u);
  EXPECT_TRUE(cut);
}

TEST(VorbisDecode, SeekingLandsAtTheAskedTimeAndPastTheEndEndsTheStream) {
  // Silence for half a second, then a tone: after a seek to 700 ms the
  // first sound is loud.
  const Wave late_tone = [](int frame, int) {
    return frame < 22050 ? 0.0f : 0.5f * static_cast<float>(std::sin(frame * 0.06));
  };
  VorbisDecoder decoder;
  ASSERT_TRUE(decoder.OpenMemory(EncodeVorbis(44100, 1, 44100, late_tone)));
  EXPECT_NEAR(decoder.LengthMs(), 1000.0, 1.0);
  EXPECT_EQ(decoder.SourceRate(), 44100);
  std::vector<int16_t> pcm;
  while (pcm.size() < 4000) ASSERT_EQ(decoder.Decode(&pcm), VorbisDecoder::Chunk::kData);
  EXPECT_LT(Peak(pcm), 300);

  ASSERT_TRUE(decoder.SeekMs(700.0));
  pcm.clear();
  while (pcm.size() < 4000) ASSERT_EQ(decoder.Decode(&pcm), VorbisDecoder::Chunk::kData);
  EXPECT_GT(Peak(pcm), 12000);

  ASSERT_TRUE(decoder.SeekMs(5000.0));
  EXPECT_EQ(decoder.Decode(&pcm), VorbisDecoder::Chunk::kEnd);
  ASSERT_TRUE(decoder.Rewind());
  pcm.clear();
  EXPECT_EQ(decoder.Decode(&pcm), VorbisDecoder::Chunk::kData);
}

// --- Start-up and shutdown ----------------------------------------------------------

TEST_F(Audio, StartAndShutdownWriteTheirLogLinesAndCountTheSoundsLeft) {
  EXPECT_TRUE(SoundStarted());
  EXPECT_TRUE(StartSound());  // once started, a second call changes nothing
  const std::string tone = Tone("click.ogg", 0.1);
  ASSERT_NE(LoadSound(tone), nullptr);
  ASSERT_NE(LoadSound(tone), nullptr);
  EXPECT_EQ(SoundCount(), 2u);
  ASSERT_EQ(PlayStream(tone, true), 1);
  StopSoundSystem();
  EXPECT_FALSE(SoundStarted());
  EXPECT_EQ(SoundCount(), 0u);
  EXPECT_FALSE(StreamPlaying(1));

  // Without a device the game is silent, and says nothing more about it.
  EXPECT_EQ(LoadSound(tone), nullptr);
  EXPECT_EQ(PlayStream(tone, false), 0);
  EXPECT_EQ(PlaySound(nullptr, false), -1);
  EXPECT_EQ(MixPeak(), 0);

  const std::string log = Log();
  const auto at = [&](const std::string& line) { return log.find(line); };
  ASSERT_NE(at("Sound: starting the sound system"), std::string::npos);
  EXPECT_LT(at("Sound: starting the sound system"), at("Sound: sound system initialized"));
  EXPECT_LT(at("Sounds to free: 2"), at("Sound: sound system finalized"));
  EXPECT_EQ(log.find("starting the sound system", at("starting the sound system") + 1), std::string::npos);
  EXPECT_EQ(at("Unable to load"), std::string::npos);
  EXPECT_EQ(at("Cannot play"), std::string::npos);
}

// --- Effects ------------------------------------------------------------------------

TEST_F(Audio, EffectsThatCannotBeReadOrDecodedLogTheirName) {
  EXPECT_EQ(LoadSound((dir_ / "missing.ogg").string()), nullptr);
  EXPECT_EQ(LoadSound(Write("text.ogg", "[section]\nkey = value\n")), nullptr);
  EXPECT_EQ(LoadSound(dir_.string()), nullptr);  // a folder
  EXPECT_EQ(SoundCount(), 0u);
  const std::string log = Log();
  EXPECT_NE(log.find("Unable to load sound: \"" + (dir_ / "missing.ogg").string() + "\""), std::string::npos);
  EXPECT_NE(log.find("Unable to load sound: \"" + (dir_ / "text.ogg").string() + "\""), std::string::npos);

  // Asking about, playing or freeing a sound that is not there does nothing.
  EXPECT_EQ(PlaySound(nullptr, true), -1);
  EXPECT_FALSE(SoundState(nullptr, 0, 1));
  StopSound(nullptr, -1);
  SetSoundVolume(nullptr, -1, 1.0f);
  FreeSound(nullptr);
}

TEST_F(Audio, PlaysTakeFreeChannelsFirstThenTheOldest) {
  Sound* sound = LoadSound(Tone("loop.ogg", 0.2), 2);
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(PlaySound(sound, true), 0);
  EXPECT_EQ(PlaySound(sound, true), 1);
  EXPECT_EQ(PlaySound(sound, true), 0);  // both busy: channel 0 started first
  EXPECT_EQ(PlaySound(sound, true), 1);
  StopSound(sound, 0);
  EXPECT_FALSE(SoundState(sound, 0, 1));
  EXPECT_TRUE(SoundState(sound, 1, 1));
  EXPECT_TRUE(SoundState(sound, -1, 1));
  EXPECT_FALSE(SoundState(sound, 1, 2));  // only "playing" can be asked
  EXPECT_FALSE(SoundState(sound, 5, 1));
  EXPECT_EQ(PlaySound(sound, true), 0);  // the free one, not the oldest
  StopSound(sound, -1);
  EXPECT_FALSE(SoundState(sound, -1, 1));
  FreeSound(sound);
  EXPECT_EQ(SoundCount(), 0u);
  FreeSound(sound);  // twice: ignored
}

TEST_F(Audio, EffectsSoundAtTheirChannelVolumeAndEndByThemselves) {
  Sound* tone = LoadSound(Tone("tone.ogg", 0.5, 0.5f));
  Sound* blip = LoadSound(Tone("blip.ogg", 0.02, 0.5f));
  ASSERT_NE(tone, nullptr);
  ASSERT_NE(blip, nullptr);
  EXPECT_EQ(MixPeak(), 0);

  const int channel = PlaySound(tone, true);
  const int full = MixPeak();
  EXPECT_NEAR(full, 16384, 2500);
  SetSoundVolume(tone, channel, 0.5f);
  EXPECT_NEAR(MixPeak(), full / 2, 1200);
  SetSoundVolume(tone, channel, 0.0f);
  EXPECT_EQ(MixPeak(), 0);
  // The channel keeps its volume for the next play on it.
  StopSound(tone, channel);
  EXPECT_EQ(PlaySound(tone, true), channel);
  EXPECT_EQ(MixPeak(), 0);
  StopSound(tone, -1);

  // A blip of 882 frames is over within a buffer of 4096, whoever pulls it.
  const int blip_channel = PlaySound(blip, false);
  EXPECT_TRUE(SoundState(blip, blip_channel, 1));
  MixPeak(4096);
  EXPECT_FALSE(SoundState(blip, blip_channel, 1));
  EXPECT_EQ(MixPeak(), 0);
}

// --- Streams ------------------------------------------------------------------------

TEST_F(Audio, StreamsThatCannotStartLogTheFileAndGiveZero) {
  const std::string missing = (dir_ / "missing.ogg").string();
  EXPECT_EQ(PlayStream(missing, true), 0);
  EXPECT_EQ(PlayStream(Write("noise.ogg", std::string(5000, 'x')), true), 0);
  EXPECT_EQ(PlayStream(dir_.string(), true), 0);
  const std::string fifo = (dir_ / "pipe.ogg").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(PlayStream(fifo, true), 0);  // refused at once, not waited on

  const std::string tone = Tone("music.ogg", 1.0);
  for (int n = 1; n <= 8; ++n) EXPECT_EQ(PlayStream(tone, true), n);
  EXPECT_EQ(PlayStream(tone, true), 0);  // all eight slots busy
  StopStream(5);
  EXPECT_FALSE(StreamPlaying(5));
  EXPECT_EQ(PlayStream(tone, true), 5);

  const std::string log = Log();
  EXPECT_NE(log.find("Cannot play: " + missing), std::string::npos);
  EXPECT_NE(log.find("Cannot play: " + fifo), std::string::npos);
  std::size_t busy = 0;
  for (std::size_t at = log.find("Cannot play: " + tone); at != std::string::npos;
       at = log.find("Cannot play: " + tone, at + 1))
    ++busy;
  EXPECT_EQ(busy, 1u);

  // Numbers that are no stream are ignored.
  for (int n : {-1, 0, 9, 1000}) {
    StopStream(n);
    PauseStream(n);
    SetStreamVolume(n, 0.5f);
    SetStreamPosition(n, 10.0);
    EXPECT_FALSE(StreamPlaying(n));
    EXPECT_EQ(StreamPosition(n), 0.0);
  }
}

TEST_F(Audio, StreamPositionFollowsTheClockAndWrapsWhenLooping) {
  const int stream = PlayStream(Tone("loop.ogg", 1.0), true);
  ASSERT_EQ(stream, 1);
  Step(0.0);
  Step(250.0);
  EXPECT_DOUBLE_EQ(StreamPosition(stream), 250.0);
  Step(900.0);
  EXPECT_NEAR(StreamPosition(stream), 150.0, 1.0);
  SetStreamPosition(stream, 600.0);
  EXPECT_DOUBLE_EQ(StreamPosition(stream), 600.0);
  Step(100.0);
  EXPECT_DOUBLE_EQ(StreamPosition(stream), 700.0);
  SetStreamPosition(stream, 1700.0);  // a looping stream wraps a far position too
  EXPECT_NEAR(StreamPosition(stream), 700.0, 1.0);
  SetStreamPosition(stream, -50.0);
  EXPECT_DOUBLE_EQ(StreamPosition(stream), 0.0);
  EXPECT_TRUE(StreamPlaying(stream));
}

TEST_F(Audio, StreamWithoutLoopFreesItsSlotAtTheEnd) {
  const std::string tone = Tone("once.ogg", 2.0);
  const int stream = PlayStream(tone, false);
  ASSERT_EQ(stream, 1);
  ASSERT_EQ(PlayStream(tone, false), 2);
  Step(0.0);
  Step(1900.0);
  EXPECT_TRUE(StreamPlaying(stream));
  StopStream(2);
  Step(200.0);
  EXPECT_FALSE(StreamPlaying(stream));
  EXPECT_EQ(StreamPosition(stream), 0.0);
  EXPECT_EQ(PlayStream(tone, false), 1);  // the slot is free again

  // Moved past its end, a stream is over at the next step.
  SetStreamPosition(1, 10000.0);
  Step(10.0);
  EXPECT_FALSE(StreamPlaying(1));
}

TEST_F(Audio, StreamsSoundFromTheNextStepAtTheirVolumeAndFollowSeeks) {
  // Silence for the first half second, then a tone.
  const Wave late_tone = [](int frame, int) {
    return frame < 22050 ? 0.0f : 0.5f * static_cast<float>(std::sin(frame * 0.06));
  };
  const int stream = PlayStream(Write("late.ogg", EncodeVorbis(44100, 1, 88200, late_tone)), true);
  ASSERT_EQ(stream, 1);
  SetStreamPosition(stream, 1000.0);
  EXPECT_EQ(MixPeak(), 0);  // not before the stream step
  Step(0.0);
  ASSERT_TRUE(Eventually([] { return MixPeak(256) > 12000; }));

  SetStreamVolume(stream, 0.0f);
  EXPECT_EQ(MixPeak(), 0);
  SetStreamVolume(stream, 1.0f);
  PauseStream(stream);
  EXPECT_EQ(MixPeak(), 0);
  ResumeStream(stream);

  // Back into the silent part: the old sound in the ring is dropped.
  SetStreamPosition(stream, 0.0);
  EXPECT_LT(MixPeak(), 300);
  EXPECT_TRUE(StreamPlaying(stream));
}

TEST_F(Audio, LoopingStreamsKeepSoundingAndOthersEndWithTheirSound) {
  // A twentieth of a second: the pulls below go round it several times.
  const std::string blip = Tone("blip.ogg", 0.05);
  const int looping = PlayStream(blip, true);
  ASSERT_EQ(looping, 1);
  Step(0.0);
  for (int pull = 0; pull < 40; ++pull)
    ASSERT_TRUE(Eventually([] { return MixPeak(256) > 12000; })) << pull;
  EXPECT_TRUE(StreamPlaying(looping));
  StopStream(looping);

  // Without loop the stream is over once its last sound has been played,
  // whatever the clock says.
  const int once = PlayStream(blip, false);
  ASSERT_EQ(once, 1);
  Step(0.0);
  EXPECT_TRUE(Eventually([&] {
    MixPeak(256);
    StreamStep(true);
    return !StreamPlaying(once);
  }));
  EXPECT_EQ(MixPeak(), 0);
}

TEST_F(Audio, LosingFocusPausesOnlyTheStreamsTheGameLeftPlaying) {
  const std::string tone = Tone("music.ogg", 5.0);
  const int music = PlayStream(tone, true);
  const int ambience = PlayStream(tone, true);
  ASSERT_EQ(music, 1);
  ASSERT_EQ(ambience, 2);
  Step(0.0);
  PauseStream(ambience);  // the game's own pause
  Step(100.0);
  EXPECT_DOUBLE_EQ(StreamPosition(music), 100.0);
  EXPECT_DOUBLE_EQ(StreamPosition(ambience), 0.0);

  Step(100.0, false);  // focus lost: the time up to now still counts
  Step(1000.0, false);
  Step(1000.0, false);
  EXPECT_DOUBLE_EQ(StreamPosition(music), 200.0);
  EXPECT_TRUE(StreamPlaying(music));  // paused, not stopped
  EXPECT_EQ(MixPeak(), 0);

  Step(0.0, true);
  Step(100.0, true);
  EXPECT_DOUBLE_EQ(StreamPosition(music), 300.0);
  EXPECT_DOUBLE_EQ(StreamPosition(ambience), 0.0);  // still the game's pause
  EXPECT_TRUE(Eventually([] { return MixPeak(256) > 12000; }));

  // A stream the game resumes while the window is away waits for the focus too.
  Step(10.0, false);
  ResumeStream(ambience);
  Step(10.0, false);
  EXPECT_DOUBLE_EQ(StreamPosition(ambience), 0.0);
  Step(10.0, true);
  Step(10.0, true);
  EXPECT_DOUBLE_EQ(StreamPosition(ambience), 10.0);
}
