// Movies: the Theora decoder on the game's own outro movie (a jump must
// show exactly the frame that playing up to it shows; damaged files fail
// soft), and the engine's movie service on the headless software renderer,
// its time moved by the caller and its picture drawn like any texture.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "engine/engine.h"
#include "engine/render.h"
#include "engine/screen.h"
#include "engine/theora.h"
#include "engine/video.h"

namespace {

const std::string kMovie = std::string(QUILLMOOR_TEST_GAME_DIR) + "/data/movies/outro.ogv";

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A fingerprint of the current picture, all three planes.
uint64_t PictureHash(const TheoraDecoder& d) {
  TheoraDecoder::Planes p;
  if (!d.CurrentPlanes(&p)) return 0;
  uint64_t h = 1469598103934665603ull;
  const auto mix = [&h](const uint8_t* row, int n) {
    for (int i = 0; i < n; ++i) h = (h ^ row[i]) * 1099511628211ull;
  };
  for (int y = 0; y < d.Height(); ++y) mix(p.y + y * p.y_pitch, d.Width());
  for (int y = 0; y < d.Height() / 2; ++y) {
    mix(p.u + y * p.u_pitch, d.Width() / 2);
    mix(p.v + y * p.v_pitch, d.Width() / 2);
  }
  return h;
}

TEST(TheoraDecoder, AJumpShowsTheFramePlayingReaches) {
  const std::string bytes = ReadBytes(kMovie);
  TheoraDecoder played;
  ASSERT_TRUE(played.OpenMemory(bytes));
  EXPECT_EQ(played.Width(), 1024);
  EXPECT_EQ(played.Height(), 432);
  EXPECT_NEAR(played.LengthMs(), 61000.0, played.FrameMs());

  uint64_t at50 = 0;
  for (int64_t f = 0; f <= 700; ++f) {
    ASSERT_TRUE(played.ShowFrame(f));
    if (f == 50) at50 = PictureHash(played);
  }
  const uint64_t at700 = PictureHash(played);
  EXPECT_NE(at50, at700);

  TheoraDecoder jumped;
  ASSERT_TRUE(jumped.OpenMemory(bytes));
  ASSERT_TRUE(jumped.ShowFrame(700));
  EXPECT_EQ(PictureHash(jumped), at700) << "a jump ahead";
  ASSERT_TRUE(jumped.ShowFrame(50));
  EXPECT_EQ(PictureHash(jumped), at50) << "a jump back";
  EXPECT_TRUE(jumped.ShowFrame(jumped.FrameCount() + 100));
  EXPECT_EQ(jumped.CurrentFrame(), jumped.FrameCount() - 1) << "held on the last frame";
}

TEST(TheoraDecoder, WhatIsNoMovieIsRefusedAndDamageFailsSoft) {
  TheoraDecoder d;
  EXPECT_FALSE(d.OpenMemory(""));
  EXPECT_FALSE(d.OpenMemory("OggS and then nothing a decoder could read"));
  EXPECT_FALSE(d.OpenMemory(ReadBytes(std::string(QUILLMOOR_TEST_GAME_DIR) +
                                      "/data/audio/music/mainmenu.ogg")))
      << "sound alone is no movie";
  EXPECT_FALSE(d.IsOpen());

  const std::string whole = ReadBytes(kMovie);
  ASSERT_TRUE(d.OpenMemory(whole.substr(0, whole.size() / 2)));
  EXPECT_LT(d.LengthMs(), 40000.0) << "a cut file is as long as what is left";
  EXPECT_TRUE(d.ShowFrame(d.FrameCount() - 1));

  std::string damaged = whole;
  for (std::size_t i = whole.size() / 3; i < whole.size() / 2; i += 97) damaged[i] ^= 0x5A;
  ASSERT_TRUE(d.OpenMemory(damaged));
  for (int64_t f = 0; f < d.FrameCount(); f += 24) d.ShowFrame(f);
  d.ShowFrame(10);
  EXPECT_GE(d.CurrentFrame(), 0);
}

std::function<void()> g_scenario;

class Movie : public ::testing::Test {
 protected:
  void SetUp() override {
    EngineReset();
    EngineSettings settings;
    settings.headless = true;
    settings.desktop_width = 1280;
    settings.desktop_height = 1024;
    EngineConfigure(settings);
    DisableOption(OPT_WRITE_LOG);
    EnableOption(OPT_FIT_LOGICAL);
    SetScreenOptions(1024, 768, 0, false, false);
    RegisterCallback(CB_LOAD, [] { SetLogicalResolution(1024, 768); });
    RegisterCallback(CB_LOOP, [] {
      g_scenario();
      StopEngine();
    });
  }
  void TearDown() override { EngineReset(); }
  void Run(std::function<void()> scenario) {
    g_scenario = std::move(scenario);
    ASSERT_TRUE(EngineStart(0, 0));
  }
};

// The colour at a point of the logical screen after drawing the movie over it.
uint32_t DrawnAt(const Video* movie, int x, int y) {
  ResetDrawState();
  SetView(nullptr);
  PlatformBeginFrame(true);
  DrawSprite(VideoTexture(movie), 0, 168, 1024, 432, 0, 255, 0);
  FlushBatch();
  const SDL_Rect pixel{x, y, 1, 1};
  uint32_t argb = 0;
  SDL_RenderReadPixels(PlatformRenderer(), &pixel, SDL_PIXELFORMAT_ARGB8888, &argb, 4);
  return argb & 0xFFFFFF;
}

TEST_F(Movie, PlaysByTheCallersClockStopsAtTheEndAndLoopsWhenAsked) {
  Run([] {
    EXPECT_EQ(OpenVideo("data/movies/none.ogv"), nullptr);
    Video* movie = OpenVideo(kMovie);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(VideoCount(), 1u);
    EXPECT_EQ(VideoWidth(movie), 1024);
    ASSERT_NE(VideoTexture(movie), nullptr);

    UpdateVideo(movie, 5000.0, false);
    EXPECT_DOUBLE_EQ(VideoTimeMs(movie), 5000.0);
    const uint32_t night = DrawnAt(movie, 20, 190);  // the tower wall by the lantern
    SeekVideo(movie, 56000.0);
    const uint32_t morning = DrawnAt(movie, 20, 190);  // the morning sky
    EXPECT_LT((night >> 16) + (night >> 8 & 0xFF) + (night & 0xFF), 150u) << std::hex << night;
    EXPECT_GT(morning & 0xFF, 120u) << std::hex << morning;

    UpdateVideo(movie, 30000.0, false);
    EXPECT_DOUBLE_EQ(VideoTimeMs(movie), VideoLengthMs(movie)) << "no looping unless asked";
    UpdateVideo(movie, 30000.0, true);
    EXPECT_NEAR(VideoTimeMs(movie), 30000.0, 1e-6);
    SeekVideo(movie, -5.0);
    EXPECT_DOUBLE_EQ(VideoTimeMs(movie), 0.0);

    DeleteVideo(movie);
    EXPECT_EQ(VideoCount(), 0u);
  });
}

}  // namespace
