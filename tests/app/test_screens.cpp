// The shell's screens in the real game, loaded from the generated data in a
// headless engine: the pause window over a level, the way back to the menu,
// the guard against small desktops, and the failure guard of the frame tick.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/cutscenes.h"
#include "app/frame.h"
#include "app/menu.h"
#include "app/screens.h"
#include "app/shell.h"
#include "engine/engine.h"
#include "engine/video.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/strings.h"
#include "support/closeup_walk.h"
#include "support/loaded_game.h"
#include "ui/gui.h"
#include "world/world.h"

namespace {

class Screens : public LoadedGame {};

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
