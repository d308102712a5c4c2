// Hints: the recharge and the meter over the buttons, and which thing of a
// hunt the scene's ring of sparks may fall on.
#include "world/hints.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "res/draw_list.h"
#include "ui/controls.h"
#include "ui/gui.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

class Hints : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorld();
    gui_reset();
    DrawList.clear();
  }
  void TearDown() override {
    gui_reset();
    ResetWorld();
    DrawList.clear();
  }

  // The panel buttons of a level and of a scene, each on its own window.
  static void AddHintButtons() {
    for (const char* name : {"btn_qhint", "btn_hint"}) {
      gui_add(std::make_unique<iwindow>(name[4] == 'q' ? "wnd_game" : "wnd_ho", 0, 0, 1024, 768,
                                        "", true));
      gui_set_parent();
      gui_add_button(name, 878, 650, 114, 72, "Hint", "gbutton_hint", nullptr);
    }
  }

  // A scene of `count` things, all still to find, the entrance's key first.
  static void Scene(int count) {
    world.levelName = "hotel";
    world.sceneEntry = "q_scarecrow_head";
    world.sceneObjects.clear();
    AppendSceneObject(world.sceneObjects, "h_scarecrow_head", "key", 100, 100);
    for (int i = 1; i < count; ++i)
      AppendSceneObject(world.sceneObjects, "h_thing" + std::to_string(i), "item",
                        static_cast<float>(10 * i), 200);
  }
  static void FoundAllBut(int first, int last, int left) {
    for (int i = first; i < last; ++i)
      if (i != left) world.sceneObjects[static_cast<std::size_t>(i)].kind = "inactive";
  }
  static std::set<int> Draws(int first, bool with_spot) {
    std::set<int> seen;
    for (int n = 0; n < 300; ++n) seen.insert(ChooseHintTarget(first, with_spot));
    return seen;
  }
  static int MeterRows() {
    DrawList.clear();
    DrawHintMeter(true);
    for (std::size_t i = 0; i < DrawList.count(); ++i)
      if (DrawList[i].kind == DRAW_IMAGE_PART) {
        EXPECT_FLOAT_EQ(DrawList[i].y + DrawList[i].h, 726.0f) << "the veil sits on y 726";
        EXPECT_FLOAT_EQ(DrawList[i].source.y + DrawList[i].source.h, 80.0f) << "its lowest rows";
        return static_cast<int>(DrawList[i].h);
      }
    return 0;
  }
};

}  // namespace

TEST_F(Hints, ARechargeRunsEightThousandFramesUnderAGreyButtonAndEndsInSparks) {
  AddHintButtons();
  ielement* scene = gui_get("btn_hint");
  ielement* level = gui_get("btn_qhint");
  world.hintRecharging = true;
  world.hintCharge = kHintFullCharge;
  EXPECT_EQ(MeterRows(), 80);
  for (int frame = 1; frame < 8000; ++frame) HintRecharge("btn_hint");
  EXPECT_TRUE(world.hintRecharging);
  EXPECT_TRUE(scene->disabled);
  EXPECT_EQ(scene->graphic_color, kHintRechargingTint);
  EXPECT_EQ(MeterRows(), 0) << "a hundredth of a row left shows nothing";
  HintRecharge("btn_qhint");
  EXPECT_EQ(level->graphic_color, kHintRechargingTint);
  EXPECT_FALSE(level->disabled) << "the level's button stays live to say 'wait'";
  EXPECT_FALSE(world.hintRecharging) << "the 8000th frame ends it";
  EXPECT_EQ(world.hintCharge, 0.0f);
  EXPECT_EQ(world.hintSparks.count, 26);
  HintRecharge("btn_hint");
  EXPECT_FALSE(scene->disabled);
  EXPECT_EQ(scene->graphic_color, 0xFFFFFFu);
  EXPECT_EQ(world.hintCharge, 0.0f) << "no recharge, nothing runs down";
}

TEST_F(Hints, TheRingFallsOnlyOnThingsStillToFindWithinTheScene) {
  // Fourteen things: the second hunt holds two, and whatever lay beyond
  // them in the list before must never be chosen.
  Scene(24);
  for (std::size_t n = 24; n > 14; --n) world.sceneObjects.remove_at(n - 1);
  world.sceneObjects[12].kind = "inactive";
  EXPECT_EQ(Draws(12, false), std::set<int>{13});
  EXPECT_EQ(Draws(12, true), std::set<int>{13}) << "the fixed spot belongs to the first hunt";

  FoundAllBut(0, 12, 5);
  world.sceneObjects[7].kind = "click";
  EXPECT_EQ(Draws(0, false), std::set<int>{5});
  EXPECT_EQ(Draws(0, true), (std::set<int>{5, kHintOnSpot}));
  world.sceneObjects[5].kind = "new";
  EXPECT_EQ(ChooseHintTarget(0, true), -1) << "the spot alone is no hint";
}

TEST_F(Hints, TheSceneHintMarksTheObstaclesSpotOnlyWhileTheLevelHoldsIt) {
  AddHintButtons();
  Scene(12);
  FoundAllBut(0, 12, 0);  // only the key under the pot is left
  AddSceneObject("q_ipot", "inactive", 0, 0);
  ASSERT_TRUE(FixedHintSpot("hotel").has_value());
  EXPECT_FLOAT_EQ(FixedHintSpot("hotel")->x, 689.0f);
  EXPECT_FALSE(FixedHintSpot("alley").has_value());
  std::set<std::string> targets;
  for (int n = 0; n < 40; ++n) {
    world.hintRing.count = 0;
    UseSceneHint();
    targets.insert(world.hintTarget);
    EXPECT_EQ(world.hintRing.count, 24 * 6);
  }
  EXPECT_EQ(targets, (std::set<std::string>{"h_scarecrow_head", "q_ipot"}));
  EXPECT_TRUE(world.hintRecharging);
  EXPECT_EQ(world.hintCharge, kHintFullCharge);

  RemoveSceneObject(0);
  EXPECT_FALSE(FixedHintSpot("hotel").has_value()) << "the pot is broken";
  world.sceneObjects[0].kind = "inactive";
  world.hintRing.count = 0;
  world.hintTarget.clear();
  world.hintRecharging = false;
  UseSceneHint();
  EXPECT_TRUE(world.hintRecharging) << "a hint with nothing left still costs its recharge";
  EXPECT_EQ(world.hintRing.count, 0);
  EXPECT_EQ(world.hintTarget, "");
}
