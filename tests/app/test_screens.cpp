// The shell's screens in the real game, loaded from the generated data in a
// headless engine: the pause window over a level, the way back to the menu,
// the guard against small desktops, and the failure guard of the frame tick.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "app/cutscenes.h"
#include "app/frame.h"
#include "app/menu.h"
#include "app/screens.h"
#include "app/shell.h"
#include "engine/archive.h"
#include "engine/audio.h"
#include "engine/engine.h"
#include "engine/video.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/startup_load.h"
#include "res/strings.h"
#include "support/closeup_walk.h"
#include "support/loaded_game.h"
#include "ui/gui.h"
#include "world/world.h"

namespace {

class Screens : public LoadedGame {};

// What a registry holds, picture by picture: name, size and a sum of its
// alpha, enough to tell a picture decoded elsewhere from the same one.
struct Held {
  std::vector<std::string> images;
  std::vector<uint64_t> pictures;
  std::size_t fonts = 0;
  std::vector<std::string> effects;
  std::size_t effects_loaded = 0;
};

Held WhatIsHeld() {
  Held held;
  for (std::size_t i = 0; i < images.count(); ++i) {
    const Texture* texture = images[i].texture;
    held.images.push_back(images[i].name);
    uint64_t sum = static_cast<uint64_t>(TextureWidth(texture)) << 40 |
                   static_cast<uint64_t>(TextureHeight(texture)) << 28;
    for (int y = 0; y < TextureHeight(texture); ++y)
      for (int x = 0; x < TextureWidth(texture); ++x)
        sum += static_cast<uint64_t>(TextureAlphaAt(texture, x, y)) * static_cast<uint64_t>(x + y + 1);
    held.pictures.push_back(sum);
  }
  held.fonts = fonts.count();
  for (std::size_t i = 0; i < sounds.count(); ++i) {
    held.effects.push_back(sounds[i].name);
    held.effects_loaded += sounds[i].sound != nullptr ? 1 : 0;
  }
  return held;
}

Held g_behind_splash;

void ThrowingProcedure() { throw std::runtime_error("a broken window"); }

}  // namespace

TEST_F(Screens, LosingFocusOverALevelShowsThePauseWindowAndAClickClosesIt) {
  Run(1280, 1024, false, [] {
    ShowWindow("wnd_splash", false);
    ShowWindow("wnd_game", true);
    world.levelName = "hotel";
    EngineSetFocus(false);
    EXPECT_TRUE(WindowVisible("wnd_pause"));
    EXPECT_GT(DrawList.count(), 0u) << "the paused picture was recorded and shown";
    EngineSetFocus(true);
    EXPECT_FALSE(WindowVisible("wnd_pause"));
    // Over a level again; this time a click closes it.
    EngineSetFocus(false);
    EngineSetFocus(true);
    ShowWindow("wnd_pause", true);
    GameSteps(1);
    EngineSetCursorLogical(500, 400);
    SendButtonDown();
    GameSteps(2);  // the first pass swallows the click that opened the window
    SendButtonUp();
    SendButtonDown();
    GameSteps(1);
    EXPECT_FALSE(WindowVisible("wnd_pause"));
  });
}

// In a player's window the splash shows as soon as its first picture is
// loaded; the rest comes in while it plays and the menu finds all of it, as
// a load all at once leaves it (the splash's first picture comes first).
TEST_F(Screens, BehindTheSplashTheRestLoadsWhileItPlaysAndTheMenuFindsItAll) {
  Shell().load_behind_splash = true;
  Run(1280, 1024, false, [] {
    EXPECT_TRUE(StartupLoadPending());
    EXPECT_NE(images.get("pub"), nullptr);
    EXPECT_EQ(images.get("dev"), nullptr);
    EXPECT_EQ(fonts.count(), 0u);
    EXPECT_FALSE(SoundStarted()) << "the first frame waits for no sound device";
    for (int i = 0; i < 100 && StartupLoadPending(); ++i) {
      GameSteps(1);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(WindowVisible("wnd_splash"));
    ClickAt(500, 400);
    GameSteps(2);
    ClickAt(500, 400);
    GameSteps(2);
    EXPECT_TRUE(WindowVisible("wnd_menu"));
    EXPECT_FALSE(StartupLoadPending());
    EXPECT_TRUE(SoundStarted() && Shell().sound_available);
    g_behind_splash = WhatIsHeld();
  });
  TearDown();
  SetUp();
  Run(1280, 1024, false, [] {
    EXPECT_FALSE(StartupLoadPending()) << "a headless run loads everything before its first frame";
    EXPECT_EQ(WhatIsHeld().images, g_behind_splash.images);
    // Everything loaded the plain way, on this thread.
    images.clear();
    fonts.clear();
    sounds.clear();
    OpenArchive(kImageArchive, kImageArchiveKey);
    for (const char* dir : {"images/splash/", "images/common/", "images/particles/",
                            "images/items/", "images/diary/", "images/hint/"})
      images.load_dir(dir);
    CloseArchive();
    fonts.load_dir("data/fonts/");
    sounds.load_dir("data/audio/effects/");
    Held whole = WhatIsHeld();
    const auto pub = std::find(whole.images.begin(), whole.images.end(), "pub");
    ASSERT_NE(pub, whole.images.end());
    const auto at = pub - whole.images.begin();
    std::rotate(whole.images.begin(), pub, pub + 1);
    std::rotate(whole.pictures.begin(), whole.pictures.begin() + at,
                whole.pictures.begin() + at + 1);
    EXPECT_EQ(g_behind_splash.images, whole.images);
    EXPECT_EQ(g_behind_splash.pictures, whole.pictures);
    EXPECT_GT(whole.fonts, 0u);
    EXPECT_EQ(g_behind_splash.fonts, whole.fonts);
    EXPECT_GT(whole.effects_loaded, 0u);
    EXPECT_EQ(g_behind_splash.effects, whole.effects);
    EXPECT_EQ(g_behind_splash.effects_loaded, whole.effects_loaded);
  });
}

TEST_F(Screens, NoPauseWindowOverTheMenuTheOptionsOrAStoryScene) {
  Run(1280, 1024, false, [] {
    ShowWindow("wnd_splash", false);
    ShowWindow("wnd_menu", true);
    EngineSetFocus(false);
    EXPECT_FALSE(WindowVisible("wnd_pause"));
    EXPECT_EQ(EngineCaption(), "Quillmoor " + game_strings.get("paused"));
    EngineSetFocus(true);
    ShowWindow("wnd_menu", false);
    ShowWindow("wnd_game", true);
    world.levelName = "outro";
    EngineSetFocus(false);
    EXPECT_FALSE(WindowVisible("wnd_pause"));
    EngineSetFocus(true);
    world.levelName = "hotel";
    ShowWindow("wnd_opt", true);
    EngineSetFocus(false);
    EXPECT_FALSE(WindowVisible("wnd_pause"));
    EngineSetFocus(true);
  });
}

TEST_F(Screens, ReturnToMenuHidesTheLevelAndItsOverlaysAndFadesIn) {
  Run(1280, 1024, false, [] {
    ShowWindow("wnd_splash", false);
    for (const char* name : {"wnd_game", "wnd_zoomin", "wnd_diary", "wnd_msg"})
      ShowWindow(name, true);
    ReturnToMenu();
    EXPECT_TRUE(WindowVisible("wnd_menu"));
    for (const char* name : {"wnd_game", "wnd_zoomin", "wnd_diary", "wnd_msg", "wnd_splash"})
      EXPECT_FALSE(WindowVisible(name)) << name;
    EXPECT_EQ(fade_level, 255);
    GameSteps(1);
    EXPECT_EQ(fade_level, 250);
    // While the hidden-object scene is mid-change nothing happens.
    ShowWindow("wnd_menu", false);
    ShowWindow("wnd_ho", true);
    world.ho_busy = true;
    ReturnToMenu();
    EXPECT_TRUE(WindowVisible("wnd_ho"));
  });
}

// A string file without the credits' first line: nothing to roll, and the
// credits still let the player go; the outro without its movie is only its
// Skip, which still leads on.
TEST_F(Screens, CreditsWithoutLinesAndAnOutroWithoutItsMovieCanBeLeft) {
  Run(1280, 1024, false, [] {
    EnterLevelForWalk("hotel");
    game_strings.set("cr", "");
    const int at = game_strings.index_of("cr");
    game_strings[at].key = "no_credits";
    ShowCredits();
    GameSteps(250);
    EXPECT_EQ(world.levelName, "credits");
    ClickAt(500, 400);
    GameSteps(2);
    EXPECT_TRUE(WindowVisible("wnd_menu"));

    ShowWindow("wnd_menu", false);
    ShowWindow("wnd_game", true);
    cutscenes.outro_started = true;  // as if its movie had failed to open
    DeleteVideo(cutscenes.movie);
    cutscenes.movie = nullptr;
    world.levelName = "outro";
    GameSteps(2);
    ClickAt(960, 730);  // Skip
    GameSteps(2);
    EXPECT_EQ(world.levelName, "credits");
  });
}

TEST_F(Screens, ASmallDesktopTurnsFullScreenOnAndSaysWhy) {
  CurrentProfiles().options.fullscreen = false;
  Run(1100, 700, false, [] {
    ResolutionGuard();
    EXPECT_TRUE(CurrentProfiles().options.fullscreen);
    EXPECT_TRUE(EngineFullscreen());
    EXPECT_TRUE(WindowVisible("wnd_msg"));
  });
}

TEST_F(Screens, AnErrorInsideTheFrameTickSavesAndStopsTheGame) {
  Run(1280, 1024, false, [] {
    gui_get("wnd_menu")->on_update = ThrowingProcedure;
    ShowWindow("wnd_menu", true);
    GameSteps(5);
    EXPECT_FALSE(EngineRunning());
  });
  EXPECT_EQ(EnginePassCount(), 1u) << "the first tick failed and the loop ended after it";
}
