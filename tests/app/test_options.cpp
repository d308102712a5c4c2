// The options window in the loaded game, headless: opening it from the menu,
// the sliders setting the volumes of what plays, the full-screen box on small
// desktops, OK keeping and applying the choices, and the Alt+Enter key.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/frame.h"
#include "app/game_state.h"
#include "app/options.h"
#include "app/screens.h"
#include "app/shell.h"
#include "engine/engine.h"
#include "engine/input.h"
#include "engine/keys.h"
#include "profile/profiles.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "support/loaded_game.h"
#include "ui/gui.h"
#include "world/world.h"


namespace {

class Options : public LoadedGame {};

std::string DataIni() {
  std::ifstream in(ProfileFilePath());
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void OnTheMenuWithOnePlayer() {
  ShowWindow("wnd_splash", false);
  ShowWindow("wnd_menu", true);
  Profiles& profiles = CurrentProfiles();
  profiles.players.clear();
  profiles.players.append("Ann");
  profiles.current_player = "Ann";
}

TEST_F(Options, TheMenuButtonOpensTheWindowWithTheCurrentVolumesAndOptions) {
  Run(1280, 1024, false, [] {
    OnTheMenuWithOnePlayer();
    music.volume = 40;
    sounds.volume = 0;
    ambience.volume = 100;
    CurrentProfiles().options.fullscreen = false;
    CurrentProfiles().options.custom_cursor = true;
    ShowWindow("wnd_pause", true);
    ASSERT_NE(gui_get("btn_3")->on_click, nullptr);
    gui_get("btn_3")->on_click();
    EXPECT_TRUE(WindowVisible("wnd_opt"));
    EXPECT_FALSE(WindowVisible("wnd_pause"));
    EXPECT_FLOAT_EQ(gui_get("bar_1")->value, 40.0f * 256.0f / 100.0f);
    EXPECT_FLOAT_EQ(gui_get("bar_2")->value, 0.0f);
    EXPECT_FLOAT_EQ(gui_get("bar_3")->value, 256.0f);
    EXPECT_FALSE(gui_get("check_1")->checked);
    EXPECT_TRUE(gui_get("check_2")->checked);
    for (const char* name : {"text_1", "bar_1", "bar_2", "bar_3", "check_1", "check_2", "btn_6"})
      EXPECT_EQ(gui_get(name)->parent, gui_find("wnd_opt")) << name;

    // A tick with the window up reads the volumes back unchanged ...
    GameSteps(1);
    EXPECT_EQ(music.volume, 40);
    EXPECT_EQ(sounds.volume, 0);
    EXPECT_EQ(ambience.volume, 100);
    // ... and a moved knob changes what plays at once, rounded.
    gui_get("bar_1")->value = 100.0f;  // 39.06 %
    gui_get("bar_2")->value = 129.0f;  // 50.39 %
    GameSteps(1);
    EXPECT_EQ(music.volume, 39);
    EXPECT_EQ(sounds.volume, 50);
    // The player's stored options wait for OK.
    EXPECT_EQ(CurrentProfiles().options.music_volume, 75);
  });
}

TEST_F(Options, OkKeepsSavesAndAppliesTheChoicesAndClosesTheWindows) {
  Run(1280, 1024, false, [] {
    OnTheMenuWithOnePlayer();
    OpenOptions();
    ShowWindow("wnd_prof", true);
    gui_get("bar_1")->value = 0.0f;
    gui_get("bar_2")->value = 256.0f;
    gui_get("bar_3")->value = 64.0f;
    gui_get("check_1")->checked = true;
    gui_get("check_2")->checked = false;
    gui_get("btn_6")->on_click();
    const PlayerOptions& options = CurrentProfiles().options;
    EXPECT_EQ(options.music_volume, 0);
    EXPECT_EQ(options.effects_volume, 100);
    EXPECT_EQ(options.environment_volume, 25);
    EXPECT_TRUE(options.fullscreen);
    EXPECT_FALSE(options.custom_cursor);
    EXPECT_TRUE(EngineFullscreen());
    EXPECT_FALSE(WindowVisible("wnd_opt"));
    EXPECT_FALSE(WindowVisible("wnd_prof"));
    EXPECT_NE(DataIni().find("opt_evolume = 25"), std::string::npos) << DataIni();
    EXPECT_NE(DataIni().find("opt_ccursor = FALSE"), std::string::npos) << DataIni();

    // Back to a window: the stored file follows, and the screen with it.
    OpenOptions();
    gui_get("check_1")->checked = false;
    gui_get("btn_6")->on_click();
    EXPECT_FALSE(EngineFullscreen());
    EXPECT_EQ(EngineClientWidth(), 1024);
    EXPECT_EQ(EngineClientHeight(), 768);
  });
  EXPECT_NE(DataIni().find("opt_fullscreen = FALSE"), std::string::npos) << DataIni();
}

TEST_F(Options, TheFullScreenBoxStaysTickedOnASmallDesktopWithTheResolutionMessage) {
  Run(1024, 900, false, [] {
    OnTheMenuWithOnePlayer();
    OpenOptions();
    ielement* box = gui_get("check_1");
    box->checked = false;  // as the click leaves it before its procedure
    box->on_click();
    EXPECT_TRUE(box->checked);
    EXPECT_TRUE(WindowVisible("wnd_msg"));
    EXPECT_EQ(gui_get("memo_m")->text, game_strings.get("resolution"));
  });
}

TEST_F(Options, TheFullScreenBoxMayBeClearedOnALargeDesktop) {
  Run(1280, 1024, false, [] {
    OnTheMenuWithOnePlayer();
    OpenOptions();
    ielement* box = gui_get("check_1");
    box->checked = false;
    box->on_click();
    EXPECT_FALSE(box->checked);
    EXPECT_FALSE(WindowVisible("wnd_msg"));
  });
}

TEST_F(Options, AltEnterFlipsFullScreenAndIsRefusedOnASmallDesktop) {
  Run(1280, 1024, false, [] {
    OnTheMenuWithOnePlayer();
    CurrentProfiles().options.fullscreen = false;
    FullScreenKeyToggle();  // no keys: nothing happens
    EXPECT_FALSE(EngineFullscreen());
    SendKeyDown(key::kAlt, true);
    SendKeyDown(key::kEnter);
    FullScreenKeyToggle();
    EXPECT_TRUE(CurrentProfiles().options.fullscreen);
    EXPECT_TRUE(EngineFullscreen());
    EXPECT_TRUE(gui_get("check_1")->checked);
  });
  // A second game in the same test, from the reset state.
  ResetGameState();
  EngineSettings settings;
  settings.headless = true;
  EngineConfigure(settings);
  ASSERT_TRUE(PrepareSaveFolder(home.string() + "/", "Moorhouse"));
  ASSERT_TRUE(game_strings.load("data/text/strings.cfg"));
  Run(1024, 768, false, [] {
    OnTheMenuWithOnePlayer();
    CurrentProfiles().options.fullscreen = true;
    SendKeyDown(key::kAlt, true);
    SendKeyDown(key::kEnter);
    FullScreenKeyToggle();
    EXPECT_TRUE(CurrentProfiles().options.fullscreen);
    EXPECT_TRUE(WindowVisible("wnd_msg"));
  });
}

}  // namespace
