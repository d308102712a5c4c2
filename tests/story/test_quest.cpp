// The quest state and the close-up window: step keys and their clean-up, the
// task list, and the window's rules in the real game (the item-use rule, the
// closing click, the strip and the diary over it, removal by name).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/game_state.h"
#include "engine/engine.h"
#include "engine/ini.h"
#include "profile/profiles.h"
#include "story/closeup.h"
#include "story/quest.h"
#include "support/closeup_walk.h"
#include "support/loaded_game.h"
#include "support/temp_files.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/progress.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

class QuestState : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGameState();
    CurrentProfiles().current_player = "anna";
  }
  void TearDown() override { ResetGameState(); }
};

class CloseUpWindow : public LoadedGame {};

bool HasOverlay(std::string_view name) {
  const auto overlays = CloseUpOverlays();
  return std::any_of(overlays.begin(), overlays.end(),
                     [&](const CloseUpRect& r) { return r.name == name; });
}

// The middle of the first region the open close-up offers.
void ClickFirstRegion() {
  ASSERT_FALSE(CloseUpRegions().empty());
  const CloseUpRect r = CloseUpRegions().front();
  ClickAt(r.x + r.w / 2, r.y + r.h / 2);
  GameSteps(2);
}

}  // namespace

TEST_F(QuestState, OneQuestsCleanUpNeverReachesAQuestWhoseNameBeginsTheSame) {
  EXPECT_EQ(QuestSection(), "anna_data");
  SetQuestNumber("zoomin_q_hand_h", 2);
  SetQuestFlag("zoomin_q_handle_open", true);
  SetQuestFlag("puzzle_q_card_done", true);
  SetQuestFlag("puzzle_q_cards_done", true);
  EXPECT_EQ(QuestNumber("zoomin_q_hand_h"), 2);
  EXPECT_TRUE(QuestFlag("zoomin_q_handle_open"));
  EXPECT_FALSE(QuestFlag("zoomin_q_hand_absent"));

  EXPECT_EQ(DeleteKeysWithPrefix(CloseUpKeyPrefix("q_hand")), 1);
  EXPECT_EQ(DeleteKeysWithPrefix(PuzzleKeyPrefix("q_card")), 1);
  EXPECT_FALSE(IniIsKey("anna_data", "zoomin_q_hand_h"));
  EXPECT_TRUE(QuestFlag("zoomin_q_handle_open"));
  EXPECT_FALSE(IniIsKey("anna_data", "puzzle_q_card_done"));
  EXPECT_TRUE(QuestFlag("puzzle_q_cards_done"));
  EXPECT_EQ(QuestNumber("zoomin_q_handle_open"), 0) << "a flag read as a number is unreadable";
}

TEST_F(QuestState, CleanUpEndsOnADocumentWithTheSectionTwiceAndANewGameLeavesNoCopy) {
  const std::filesystem::path folder = MakeTempFolder("quest_twice");
  WriteTextFile(folder / "data.ini",
                "[ anna_data ]\nzoomin_q_lamp_handle = TRUE\nzoomin_q_lamp_handle = TRUE\n"
                "[ anna_data ]\nzoomin_q_lamp_handle = TRUE\nzoomin_q_lamp_x = 1\n");
  ASSERT_TRUE(IniLoad((folder / "data.ini").string()));
  std::filesystem::remove_all(folder);
  EXPECT_EQ(DeleteKeysWithPrefix("zoomin_q_lamp_"), 2);
  EXPECT_FALSE(QuestFlag("zoomin_q_lamp_handle"));

  ResetProgress();
  EXPECT_FALSE(IniIsSection("anna_data")) << "neither copy survives a new game";
}

TEST_F(QuestState, TasksAreAddedOnceAndOnlyAMainTaskCloses) {
  OpenTask("task_hall");
  EXPECT_TRUE(world.taskPanel.open_request);
  world.taskPanel.open_request = false;
  OpenTask("task_hall");
  EXPECT_FALSE(world.taskPanel.open_request) << "nothing new to show";
  EXPECT_EQ(world.tasks.count(), 1);
  CloseTask("task_hall");
  EXPECT_EQ(world.tasks.get("task_hall"), "done");
  world.tasks.append("task_side", "side");
  CloseTask("task_side");
  CloseTask("task_absent");
  EXPECT_EQ(world.tasks.get("task_side"), "side");
  EXPECT_EQ(world.tasks.count(), 2);
}

TEST_F(CloseUpWindow, TheLampTellsWhatIsMissingIgnoresAWrongItemAndLightsWithItsHandle) {
  Run(1280, 1024, false, [] {
    EnterLevelForWalk("hotel");
    ASSERT_TRUE(OpenCloseUpByClick("q_lamp"));
    EXPECT_FLOAT_EQ(world.zoomin.x + world.zoomin.w / 2, 512.0f);
    EXPECT_FLOAT_EQ(world.zoomin.y + world.zoomin.h / 2, 344.0f);
    EXPECT_FALSE(world.popup.active) << "the opening click does not act inside";

    ClickFirstRegion();
    EXPECT_EQ(world.popup.key, "hotel_q_lamp");
    world.popup.active = false;

    HoldItem("axe");
    ClickFirstRegion();
    EXPECT_TRUE(WindowVisible("wnd_zoomin"));
    EXPECT_FALSE(world.popup.active) << "a wrong item in a close-up is no wrong use";
    EXPECT_GE(HeldItemIndex(), 0) << "the wrong item stays at the mouse";

    HoldItem("handle");
    ClickFirstRegion();
    EXPECT_LT(FindInventoryEntry("handle"), 0);
    EXPECT_TRUE(QuestFlag("zoomin_q_lamp_handle"));
    EXPECT_TRUE(WindowVisible("wnd_zoomin"));
    GameSteps(1);
    EXPECT_TRUE(HasOverlay("z_handle"));

    PutBackHeldItem();
    ClickFirstRegion();
    EXPECT_FALSE(WindowVisible("wnd_zoomin"));
    EXPECT_LT(FindSceneObject("q_lamp"), 0);
    EXPECT_GE(FindSceneObject("q_dark"), 0);
    EXPECT_FALSE(IniIsKey(QuestSection(), "zoomin_q_lamp_handle"));
  });
}

TEST_F(CloseUpWindow, AClickBesideClosesAndKeepsTheStepsButTheStripAndTheDiaryDoNot) {
  Run(1280, 1024, false, [] {
    EnterLevelForWalk("hotel");
    ASSERT_TRUE(OpenCloseUpByClick("q_handle"));
    ClickFirstRegion();
    ClickFirstRegion();
    EXPECT_GE(FindInventoryEntry("handle"), 0);
    GameSteps(100);  // the handle lands in the strip

    HoldItem("handle");
    EXPECT_TRUE(WindowVisible("wnd_zoomin")) << "the strip takes its click";
    PutBackHeldItem();

    ShowWindow("wnd_diary", true);
    ClickAt(50, 50);
    GameSteps(1);
    EXPECT_TRUE(WindowVisible("wnd_zoomin")) << "the diary over the close-up takes the click";
    ShowWindow("wnd_diary", false);

    ClickAt(50, 50);
    GameSteps(1);
    EXPECT_FALSE(WindowVisible("wnd_zoomin"));
    EXPECT_TRUE(QuestFlag("zoomin_q_handle_handle"));

    ASSERT_TRUE(OpenCloseUpByClick("q_handle"));
    GameSteps(1);
    EXPECT_TRUE(HasOverlay("z_open2")) << "reopened where it was left";
    ClickFirstRegion();
    EXPECT_GE(FindInventoryEntry("chand1"), 0);
    EXPECT_FALSE(WindowVisible("wnd_zoomin"));
  });
}

TEST_F(CloseUpWindow, AFinishedCloseUpRemovesItsOwnObjectByNameAndOnlyItsOwnKeys) {
  Run(1280, 1024, false, [] {
    EnterLevelForWalk("hotel");
    ASSERT_TRUE(OpenCloseUpByClick("q_floor"));
    const int lamp = FindSceneObject("q_lamp");
    ASSERT_GE(lamp, 0);
    ASSERT_LT(lamp, world.zoomin.index) << "an object before the close-up's own";
    RemoveSceneObject(lamp);
    SetQuestFlag("zoomin_q_floor_lifted", true);
    SetQuestFlag("zoomin_q_floorboard_lifted", true);
    ClickFirstRegion();
    EXPECT_FALSE(IniIsKey(QuestSection(), "zoomin_q_floor_lifted"));
    EXPECT_TRUE(QuestFlag("zoomin_q_floorboard_lifted"));
    EXPECT_FALSE(WindowVisible("wnd_zoomin"));
    EXPECT_LT(FindSceneObject("q_floor"), 0);
    EXPECT_GE(FindSceneObject("q_handle"), 0) << "the object after the stale index stays";
    EXPECT_GE(FindSceneObject("q_case"), 0);
  });
}
