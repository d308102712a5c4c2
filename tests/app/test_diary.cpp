// The diary over the game, headless: its pages at both ends, the page
// number under the book, an empty diary and stored pages it does not have;
// and the game panel's per-tick work: the
// sparkle of a new page and the menu button under the guide's panels.
#include <gtest/gtest.h>

#include "app/diary.h"
#include "app/frame.h"
#include "engine/engine.h"
#include "profile/profiles.h"
#include "support/loaded_game.h"
#include "ui/gui.h"
#include "world/world.h"

namespace {

class Diary : public LoadedGame {};

void ShowHotel() {
  CreatePlayer("tester");
  ShowWindow("wnd_splash", false);
  ShowWindow("wnd_game", true);
  world.levelName = "hotel";
  EngineSetCursorLogical(500, 100);
  GameSteps(1);
}

void SetPages(std::initializer_list<const char*> names, int page) {
  world.diary.pages.clear();
  for (const char* name : names) world.diary.pages.append(name);
  world.diary.page = page;
}

bool Disabled(const char* name) {
  const ielement* control = gui_get(name);
  return control == nullptr || control->disabled;
}

std::string Caption() {
  const ielement* centre = gui_get("btn_center");
  return centre != nullptr ? centre->text : "(none)";
}

}  // namespace

TEST_F(Diary, PagesStopAtBothEndsAndTheNumberFollowsEveryTurn) {
  Run(1280, 1024, false, [] {
    ShowHotel();
    SetPages({"default", "news", "numbers"}, 1);
    world.diary.news = true;
    OpenDiary();
    GameSteps(1);
    EXPECT_FALSE(world.diary.news);
    EXPECT_TRUE(Disabled("btn_pleft"));
    EXPECT_FALSE(Disabled("btn_pright"));
    EXPECT_EQ(Caption(), "1");
    DiaryPreviousPage();
    EXPECT_EQ(world.diary.page, 1);
    EXPECT_FLOAT_EQ(world.diary.page_fade, 255.0f) << "no page turned";
    ClickAt(549, 564);
    ClickAt(549, 564);
    ClickAt(549, 564);
    GameSteps(1);
    EXPECT_EQ(world.diary.page, 3);
    EXPECT_EQ(Caption(), "3");
    EXPECT_TRUE(Disabled("btn_pright"));
    EXPECT_FALSE(Disabled("btn_pleft"));
  });
}

TEST_F(Diary, AnEmptyDiaryOrAPageItLacksOpensOnAPageItHas) {
  Run(1280, 1024, false, [] {
    ShowHotel();
    SetPages({}, 7);
    world.diary.previous_page = -3;
    OpenDiary();
    GameSteps(2);
    EXPECT_EQ(world.diary.page, 1);
    EXPECT_TRUE(Disabled("btn_pleft"));
    EXPECT_TRUE(Disabled("btn_pright"));
    EXPECT_EQ(Caption(), "");
    DiaryNextPage();
    DiaryPreviousPage();
    GameSteps(1);
    EXPECT_EQ(world.diary.page, 1);

    // A page beyond the last, as a hand-edited save may hold, shows the last.
    ShowWindow("wnd_diary", false);
    SetPages({"default", "news"}, 9);
    OpenDiary();
    GameSteps(1);
    EXPECT_EQ(world.diary.page, 2);
    EXPECT_EQ(Caption(), "2");
    DiaryPreviousPage();
    EXPECT_EQ(world.diary.page, 1);
  });
}

TEST_F(Diary, ANewPageSparklesAndTheGuideLeavesTheMenuButtonWorking) {
  Run(1280, 1024, false, [] {
    ShowHotel();
    screen_particles.count = 0;
    GameSteps(10);
    EXPECT_EQ(screen_particles.count, 0);
    world.diary.news = true;
    GameSteps(10);
    EXPECT_GT(screen_particles.count, 0) << "stars rise from the diary button";

    ielement* guide = gui_get("wnd_instr");
    ASSERT_NE(guide, nullptr);
    guide->visible = true;
    guide->modal = true;
    CurrentProfiles().options.tutorial_step = 1;
    GameSteps(1);
    ClickAt(90, 747);
    EXPECT_TRUE(WindowVisible("wnd_menu"));
    EXPECT_FALSE(WindowVisible("wnd_instr"));
  });
}
