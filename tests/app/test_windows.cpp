// The windows and controls the game builds at load, and the guided
// tutorial's steps, in the real game, headless.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/instructions.h"
#include "app/screens.h"
#include "engine/engine.h"
#include "profile/profiles.h"
#include "support/loaded_game.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/world.h"

namespace {

class Windows : public LoadedGame {};

std::vector<std::string> ElementNames() {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < gui_count(); ++i) names.push_back(gui_at(static_cast<int>(i)).name);
  return names;
}

TEST_F(Windows, EveryWindowAndControlIsBuiltInItsPlace) {
  Run(1280, 1024, false, [] {
    const std::vector<std::string> expected = {
        "wnd_splash", "wnd_menu", "btn_1", "btn_3", "btn_4", "btn_4a", "btn_5",
        "wnd_econf", "memo_ec", "btn_eok", "btn_ecancel",
        "wnd_tutorial", "btn_10", "btn_11", "btn_12",
        "wnd_prof", "btn_8", "btn_9", "edit_1", "list_1", "memo_wc",
        "wnd_dconf", "memo_dc", "btn_dok", "btn_dcancel",
        "wnd_game", "btn_pause", "btn_diary", "btn_qhint", "btn_tasks",
        "wnd_popup", "wnd_qhint", "wnd_zoomin",
        "wnd_puzzle", "btn_skip", "btn_help",
        "wnd_help",
        "wnd_ho", "btn_pause2", "btn_diary2", "btn_hint", "btn_tasks2",
        "wnd_instr", "btn_yes", "btn_no",
        "wnd_diary", "btn_pleft", "btn_pright", "btn_center",
        "wnd_opt", "text_1", "text_2", "text_3", "bar_1", "bar_2", "bar_3", "check_1",
        "check_2", "btn_6",
        "wnd_pause",
        "wnd_esave", "edit_2", "btn_esave",
        "wnd_eload", "edit_3", "btn_eload",
        "wnd_eadd", "edit_4", "btn_eadd",
        "wnd_msg", "memo_m", "btn_mok"};
    EXPECT_EQ(ElementNames(), expected);
    // Each control belongs to the window built before it.
    int window = -1;
    for (std::size_t i = 0; i < gui_count(); ++i) {
      const ielement& e = gui_at(static_cast<int>(i));
      if (!e.is_child) {
        window = static_cast<int>(i);
        continue;
      }
      EXPECT_EQ(e.parent, window) << e.name;
    }
    const ielement* add = gui_get("wnd_eadd");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->text, "Add item");
    const ielement* wide = gui_get("edit_4");
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->w, 340.0f);
    EXPECT_EQ(gui_get("btn_tasks")->text_color, 0xBEB37Eu);
    EXPECT_EQ(gui_get("btn_tasks2")->text_color, 0xCEBC88u);
  });
}

// A player at the given step of the guide, in a level that holds `objects`.
void GuideAt(int step, std::initializer_list<const char*> objects) {
  CreatePlayer("guided");
  CurrentProfiles().options.tutorial_step = step;
  ShowWindow("wnd_splash", false);
  ShowWindow("wnd_game", true);
  world.levelName = "hotel";
  world.objects.clear();
  for (const char* name : objects) {
    SceneObject object;
    object.name = name;
    object.kind = "inactive";
    object.x = 300.0f;
    object.y = 300.0f;
    world.objects.append(object);
  }
  ielement* instructions = gui_get("wnd_instr");
  instructions->visible = true;
  instructions->modal = true;
  EngineSetCursorLogical(900, 100);
}

int Step() { return CurrentProfiles().options.tutorial_step; }

TEST_F(Windows, AGuideStepWaitingForAnObjectTheLevelLacksEndsTheGuide) {
  Run(1280, 1024, false, [] {
    // The lamp has already been taken: waiting for it would lock the game.
    GuideAt(2, {"q_scarecrow_head"});
    GameSteps(1);
    EXPECT_EQ(Step(), TUTORIAL_DONE);
    EXPECT_FALSE(gui_get("wnd_instr")->visible);

    GuideAt(4, {"q_lamp"});
    GameSteps(1);
    EXPECT_EQ(Step(), TUTORIAL_DONE);
  });
}

TEST_F(Windows, TheGuideHoldsTheGameUntilTheSceneAndThenLetsGo) {
  Run(1280, 1024, false, [] {
    GuideAt(1, {"q_lamp", "q_scarecrow_head"});
    GameSteps(1);
    EXPECT_TRUE(gui_get("wnd_instr")->modal);
    ClickAt(100, 100);
    EXPECT_EQ(Step(), 2);

    // Over the hidden-object scene the guide waits for a click, then steps
    // aside; it does not wait while the scene is not up.
    GuideAt(5, {"q_lamp"});
    ClickAt(100, 100);
    EXPECT_EQ(Step(), 5);
    EXPECT_FALSE(gui_get("wnd_instr")->modal);
    ShowWindow("wnd_game", false);
    ShowWindow("wnd_ho", true);
    GameSteps(1);
    EXPECT_TRUE(gui_get("wnd_instr")->modal);
    ClickAt(100, 100);
    EXPECT_EQ(Step(), 6);
    EXPECT_FALSE(gui_get("wnd_instr")->modal);
    ClickAt(100, 100);
    EXPECT_EQ(Step(), 7);

    // The last panel shows with the reward, and a click ends the guide.
    ShowWindow("wnd_ho", false);
    ClickAt(100, 100);
    EXPECT_EQ(Step(), 7);
    GiveItem("scarecrow_head", "normal", 300, 300);
    ShowWindow("wnd_popup", true);
    GameSteps(1);  // a window's first tick swallows the click that opened it
    ClickAt(100, 100);
    EXPECT_EQ(Step(), TUTORIAL_DONE);
    EXPECT_FALSE(gui_get("wnd_instr")->visible);
  });
}

}  // namespace
