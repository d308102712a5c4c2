// The main menu: its controls and their clicks, and the picture it records
// each tick (the falling leaves, the title's fade, the greeting).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/menu.h"
#include "app/screens.h"
#include "app/windows.h"
#include "engine/engine.h"
#include "engine/random.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/world.h"

namespace {

class Menu : public ::testing::Test {
 protected:
  void SetUp() override {
    EngineReset();
    gui_reset();
    ResetMenu();
    ResetWorld();
    ResetProfiles();
    game_strings.clear();
    game_strings.add_new("exit", "Exit");
    game_strings.add_new("stranger", "Stranger");
    game_strings.add_new("isyou", "is that you?");
    RandomSeed(7);
    DrawList.clear();
  }
  void TearDown() override {
    gui_reset();
    game_strings.clear();
    DrawList.clear();
  }
  // One menu tick with a fresh picture.
  static void Tick() {
    DrawList.clear();
    MenuProcedure();
  }
  // Index of the first text command showing exactly this text, or -1.
  static int TextIndex(const std::string& text) {
    for (std::size_t i = 0; i < DrawList.count(); ++i) {
      const tfunction& c = DrawList[i];
      if ((c.kind == DRAW_TEXT || c.kind == DRAW_TEXT_IN_RECT) && c.text == text) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }
};

TEST_F(Menu, ControlsBelongToTheirWindowsAndTheExitDialogOpensAndCloses) {
  BuildWindows();
  const int menu_window = gui_find("wnd_menu");
  const int exit_window = gui_find("wnd_econf");
  const int message_window = gui_find("wnd_msg");
  for (const char* name : {"btn_1", "btn_3", "btn_4", "btn_4a", "btn_5"}) {
    ASSERT_NE(gui_get(name), nullptr) << name;
    EXPECT_EQ(gui_get(name)->parent, menu_window) << name;
    EXPECT_EQ(gui_get(name)->font, "big") << name;
  }
  EXPECT_EQ(gui_get("btn_5")->text, "Exit");
  EXPECT_FLOAT_EQ(gui_get("btn_1")->text_scale, 1.0f);
  EXPECT_FLOAT_EQ(gui_get("btn_5")->text_scale, 0.8f);
  EXPECT_EQ(gui_get("btn_eok")->parent, exit_window);
  EXPECT_EQ(gui_get("btn_ecancel")->parent, exit_window);
  EXPECT_EQ(gui_get("memo_m")->parent, message_window);
  EXPECT_EQ(gui_get("btn_mok")->parent, message_window);

  gui_get("btn_5")->on_click();
  EXPECT_TRUE(WindowVisible("wnd_econf"));
  gui_get("btn_ecancel")->on_click();
  EXPECT_FALSE(WindowVisible("wnd_econf"));
  ShowWindow("wnd_msg", true);
  gui_get("btn_mok")->on_click();
  EXPECT_FALSE(WindowVisible("wnd_msg"));
}

TEST_F(Menu, OtherWindowsAndNoNameGetNoMenuControls) {
  const std::size_t before = gui_count();
  BuildMenuControls("wnd_opt");
  BuildMenuControls(nullptr);
  EXPECT_EQ(gui_count(), before);
}

TEST_F(Menu, LeavesNeverExceedTwentyOneAndLeaveAtTheBottomInOrder) {
  std::size_t most = 0;
  for (int tick = 0; tick < 20000; ++tick) {
    Tick();
    most = std::max(most, menu.leaves.size());
    for (const MenuLeaf& leaf : menu.leaves) {
      ASSERT_GE(leaf.frame, 0.0f) << "a fallen leaf was kept at tick " << tick;
      ASSERT_LE(leaf.y, 768.0f);
    }
    // Leaves are added at the top and all fall alike, so the oldest stays first.
    for (std::size_t i = 1; i < menu.leaves.size(); ++i)
      ASSERT_GE(menu.leaves[i - 1].y + 40.0f, menu.leaves[i].y) << "order lost at tick " << tick;
  }
  EXPECT_GT(most, 0u);
  EXPECT_LE(most, MENU_LEAF_CAPACITY);
}

TEST_F(Menu, TitleFadesInOnceAndStaysWhenTheMenuIsShownAgain) {
  Tick();
  EXPECT_EQ(menu.title_opacity, 2);
  for (int tick = 0; tick < 200; ++tick) Tick();
  EXPECT_EQ(menu.title_opacity, 255);
  // Leaving the menu and coming back does not start the fade over.
  Tick();
  EXPECT_EQ(menu.title_opacity, 255);
  EXPECT_NEAR(menu.t, 202 * 0.2f, 0.01f);
}

TEST_F(Menu, GreetingCallsANamelessPlayerAStrangerUnderTheTiltedView) {
  Tick();
  const int name = TextIndex("Stranger");
  ASSERT_GT(name, 0);
  EXPECT_EQ(DrawList[static_cast<std::size_t>(name) - 1].kind, DRAW_CAMERA);
  EXPECT_FLOAT_EQ(DrawList[static_cast<std::size_t>(name) - 1].camera->angle, 9.0f);
  EXPECT_EQ(DrawList[static_cast<std::size_t>(name) + 2].kind, DRAW_CAMERA);
  EXPECT_EQ(DrawList[static_cast<std::size_t>(name) + 2].camera, nullptr);
  EXPECT_TRUE(CurrentProfiles().current_player.empty()) << "the stranger is only a greeting";

  CurrentProfiles().current_player = "Ann";
  Tick();
  EXPECT_GT(TextIndex("Ann"), 0);
  EXPECT_EQ(TextIndex("Stranger"), -1);
}

TEST_F(Menu, AMessageForThePlayerShowsOverTheMenu) {
  game_strings.add_new("no_sound", "No sound");
  ShowSceneMessage("no_sound");
  Tick();
  Tick();
  const int at = TextIndex("No sound");
  ASSERT_GE(at, 0);
  // Over the picture, not under it.
  EXPECT_GT(at, TextIndex("Stranger"));
}

}  // namespace
