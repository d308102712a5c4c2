// The shell's screens in the real game, loaded from the generated data in a
// headless engine: the pause window over a level, the way back to the menu,
// the guard against small desktops, and the failure guard of the frame tick.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "app/frame.h"
#include "app/screens.h"
#include "app/shell.h"
#include "engine/engine.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

void (*g_scenario)() = nullptr;
void Loop() {
  g_scenario();
  StopEngine();
}

class Screens : public ::testing::Test {
 protected:
  void SetUp() override {
    old_dir = fs::current_path();
    fs::current_path(QUILLMOOR_TEST_GAME_DIR);
    home = fs::temp_directory_path() / ("quillmoor_screens_" + std::to_string(::getpid()));
    fs::create_directories(home);
    EngineReset();
    gui_reset();
    ResetShell();
    ResetFrame();
    ResetWorld();
    ResetProfiles();
    EngineSettings settings;
    settings.headless = true;
    settings.desktop_width = 1280;
    settings.desktop_height = 1024;
    EngineConfigure(settings);
    PrepareSaveFolder(home.string() + "/", "Moorhouse");
    Shell().window_title = "Quillmoor";
    game_strings.load("data/text/strings.cfg");
    RegisterCallback(CB_LOAD, LoadCallback);
    RegisterCallback(CB_ACTIVATE, ActivateCallback);
    RegisterCallback(CB_LOOP, Loop);
    AddTimer(FrameTick, 10);
    EnableOption(OPT_PAUSE_INACTIVE);
    EnableOption(OPT_FIT_LOGICAL);
    DisableOption(OPT_WRITE_LOG);
    SetScreenOptions(1024, 768, 0, false, true);
  }
  void TearDown() override {
    images.forget();
    fonts.forget();
    sounds.forget();
    music.forget();
    ambience.forget();
    gui_reset();
    EngineReset();
    fs::current_path(old_dir);
    fs::remove_all(home);
  }
  fs::path old_dir;
  fs::path home;
};

void Steps(int n) {
  for (int i = 0; i < n && EngineRunning(); ++i) EngineStep();
}

void ThrowingProcedure() { throw std::runtime_error("a broken window"); }

}  // namespace

TEST_F(Screens, LosingFocusOverALevelShowsThePauseWindowAndAClickClosesIt) {
  g_scenario = [] {
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
    Steps(1);
    EngineSetCursorLogical(500, 400);
    InputEvent down;
    down.type = InputEvent::Type::ButtonDown;
    EngineHandleInput(down);
    Steps(2);  // the first pass swallows the click that opened the window
    InputEvent up;
    up.type = InputEvent::Type::ButtonUp;
    EngineHandleInput(up);
    EngineHandleInput(down);
    Steps(1);
    EXPECT_FALSE(WindowVisible("wnd_pause"));
  };
  EngineStart(0, 0);
}

TEST_F(Screens, NoPauseWindowOverTheMenuTheOptionsOrAStoryScene) {
  g_scenario = [] {
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
  };
  EngineStart(0, 0);
}

TEST_F(Screens, ReturnToMenuHidesTheLevelAndItsOverlaysAndFadesIn) {
  g_scenario = [] {
    ShowWindow("wnd_splash", false);
    for (const char* name : {"wnd_game", "wnd_zoomin", "wnd_diary", "wnd_msg"})
      ShowWindow(name, true);
    ReturnToMenu();
    EXPECT_TRUE(WindowVisible("wnd_menu"));
    for (const char* name : {"wnd_game", "wnd_zoomin", "wnd_diary", "wnd_msg", "wnd_splash"})
      EXPECT_FALSE(WindowVisible(name)) << name;
    EXPECT_EQ(fade_level, 255);
    Steps(1);
    EXPECT_EQ(fade_level, 250);
    // While the hidden-object scene is mid-change nothing happens.
    ShowWindow("wnd_menu", false);
    ShowWindow("wnd_ho", true);
    world.ho_busy = true;
    ReturnToMenu();
    EXPECT_TRUE(WindowVisible("wnd_ho"));
  };
  EngineStart(0, 0);
}

TEST_F(Screens, ASmallDesktopTurnsFullScreenOnAndSaysWhy) {
  EngineSettings settings = EngineConfiguration();
  settings.desktop_width = 1100;
  settings.desktop_height = 700;
  EngineConfigure(settings);
  CurrentProfiles().options.fullscreen = false;
  g_scenario = [] {
    ResolutionGuard();
    EXPECT_TRUE(CurrentProfiles().options.fullscreen);
    EXPECT_TRUE(EngineFullscreen());
    EXPECT_TRUE(WindowVisible("wnd_msg"));
  };
  EngineStart(0, 0);
}

TEST_F(Screens, AnErrorInsideTheFrameTickSavesAndStopsTheGame) {
  g_scenario = [] {
    gui_get("wnd_menu")->on_update = ThrowingProcedure;
    ShowWindow("wnd_menu", true);
    Steps(5);
    EXPECT_FALSE(EngineRunning());
  };
  EngineStart(0, 0);
  EXPECT_EQ(EnginePassCount(), 1u) << "the first tick failed and the loop ended after it";
}
