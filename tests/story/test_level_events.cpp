// The levels' scripted events, played in their levels by the headless game:
// a marker put into the level starts its sequence, the level holds still
// while it plays, and the marker gives way to what the sequence leaves.
#include <gtest/gtest.h>

#include <string>

#include "engine/engine.h"
#include "story/quest.h"
#include "support/closeup_walk.h"
#include "support/input.h"
#include "support/loaded_game.h"
#include "support/puzzle_walk.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

class LevelEvents : public LoadedGame {};

bool Has(std::string_view name) { return FindSceneObject(name) >= 0; }

void Remove(std::string_view name) {
  const int index = FindSceneObject(name);
  if (index >= 0) RemoveSceneObject(index);
}

// Runs frames until the marker is gone (or the limit), checking the level
// holds still meanwhile; the frames taken.
int PlayOut(std::string_view marker, int limit) {
  int frames = 0;
  while (Has(marker) && frames < limit) {
    GameSteps(1);
    ++frames;
    if (Has(marker)) {
      EXPECT_FALSE(world.interactive) << marker << " at frame " << frames;
    }
  }
  EXPECT_FALSE(Has(marker)) << marker << " still there after " << limit << " frames";
  return frames;
}

// Walks out through an exit and back again, the level saved on the way.
void LeaveAndReturn(const std::string& level, const std::string& other) {
  ASSERT_TRUE(ChangeLevel(other, LeaveLevel::Save));
  GameSteps(5);
  ASSERT_TRUE(ChangeLevel(level, LeaveLevel::Save));
  GameSteps(2);
}

void FallsGrindstoneAndWall() {
  // The pumpkin: leaving while it falls lets it fall again on return.
  EnterLevelForWalk("alley");
  Remove("q_pumpkin");
  AddSceneObject("q_fall", "inactive", 0, 0);
  GameSteps(10);
  EXPECT_FALSE(world.interactive);
  LeaveAndReturn("alley", "hotel");
  EXPECT_TRUE(Has("q_fall"));
  PlayOut("q_fall", 200);
  EXPECT_TRUE(Has("q_pumpkin3"));
  ASSERT_TRUE(Has("q_bench"));
  EXPECT_EQ(world.objects[static_cast<std::size_t>(FindSceneObject("q_bench"))].kind, "zoomin");
  GameSteps(2);
  EXPECT_TRUE(world.interactive);

  // The grindstone gives the sharp axe once.
  AddSceneObject("q_sharp", "inactive", 0, 0);
  PlayOut("q_sharp", 400);
  GameSteps(80);
  EXPECT_GE(FindInventoryEntry("sharp_axe"), 0);
  GameSteps(300);
  int axes = 0;
  for (const SceneObject& e : world.inventory) axes += e.name == "sharp_axe";
  EXPECT_EQ(axes, 1);

  // The stairs' picture lands once.
  EnterLevelForWalk("stairs");
  AddSceneObject("q_fall", "inactive", 0, 0);
  PlayOut("q_fall", 200);
  GameSteps(100);
  EXPECT_EQ(CountObjects("q_com2"), 1);

  // The hallway's wall slides away and the level is free again.
  EnterLevelForWalk("hallway");
  Remove("q_mwall");
  AddSceneObject("q_open", "inactive", 0, 0);
  PlayOut("q_open", 400);
  GameSteps(2);
  EXPECT_TRUE(world.interactive);
}

void GhostPhotographs() {
  struct Row {
    const char* level;
    const char* ghost;
    const char* task;
    const char* photo;
  };
  const Row rows[] = {{"bridge", "q_snakes", "task_snakes", "snakes"},
                      {"lodge", "q_skeleton", "task_skeleton", "samuel"},
                      {"hall", "q_face", "task_mirror", "face"},
                      {"forge", "q_fire", "task_fire", "fire"},
                      {"hroom", "q_gustav", "task_gustav", "gustav"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.level);
    EnterLevelForWalk(row.level);
    ASSERT_TRUE(EnsureQuestObject(row.ghost, "ghost"));
    const SceneObject& ghost = world.objects[static_cast<std::size_t>(FindSceneObject(row.ghost))];
    EXPECT_EQ(DiaryIndexOf(row.photo), -1);
    if (std::string_view(row.level) == "hroom") OpenTask("task_hroom");
    EngineSetCursorLogical(ghost.x, ghost.y);
    GameSteps(2);
    EXPECT_EQ(world.tasks.get(row.task), "main");
    // It flies into the diary; meeting the ghost again takes no second one.
    GameSteps(400);
    EXPECT_GE(DiaryIndexOf(row.photo), 0);
    const std::size_t pages = world.diary.pages.size();
    EngineSetCursorLogical(20, 20);
    GameSteps(2);
    EngineSetCursorLogical(ghost.x, ghost.y);
    GameSteps(5);
    EXPECT_FALSE(Has(row.photo));
    EXPECT_EQ(world.diary.pages.size(), pages);
  }
  EXPECT_EQ(world.tasks.get("task_hroom"), "done");
}

// Fades the level's ghost in, then clicks where she stands.
void ClickApparition(float x) {
  GameSteps(90);
  ClickAt(x, 420);
  GameSteps(1);
}

void Apparitions() {
  // The ghost waiting at the crossroad is met on the way in.
  EnterLevelForWalk("crossroad");
  EXPECT_FALSE(Has("q_shade"));
  EXPECT_EQ(world.popup.key, "crossroad_q_shade");
  EXPECT_EQ(world.tasks.get("task_cemetery"), "main");
  // Leaving while she shows and coming back shows her again.
  AddSceneObject("q_shade", "inactive", 0, 0);
  GameSteps(30);
  LeaveAndReturn("crossroad", "bridge");
  ASSERT_TRUE(Has("q_shade"));
  GameSteps(1);
  EXPECT_FALSE(world.interactive);
  ClickApparition(560);
  EXPECT_FALSE(Has("q_shade"));

  EnterLevelForWalk("cemetery");
  if (!Has("q_crypt")) AddSceneObject("q_crypt", "area", 518, 350);
  AddSceneObject("q_shade", "inactive", 0, 0);
  ClickApparition(700);
  EXPECT_EQ(world.popup.key, "cemetery_q_shade");
  EXPECT_TRUE(Has("q_door"));
  EXPECT_FALSE(Has("q_crypt"));

  EnterLevelForWalk("crypt");
  AddSceneObject("q_shade", "inactive", 0, 0);
  ClickApparition(512);
  EXPECT_EQ(world.popup.key, "crypt_q_love");
  EXPECT_EQ(world.tasks.get("task_cemetery"), "done");
  EXPECT_EQ(world.tasks.get("task_underground"), "main");

  EnterLevelForWalk("hallway");
  AddSceneObject("q_shade", "inactive", 0, 0);
  ClickApparition(760);
  EXPECT_EQ(world.popup.key, "hallway_q_shade");
  GameSteps(60);
  EXPECT_TRUE(world.interactive);
}

// In the dark basement only the darkness and the way back answer a click.
void DarkBasement() {
  EnterLevelForWalk("basement");
  ASSERT_TRUE(Has("q_dark"));
  EXPECT_FALSE(OpenPuzzleByClick("q_cpanel"));
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(world.allowedA, FindSceneObject("q_dark"));
  EXPECT_EQ(world.allowedB, FindSceneObject("q_passage"));
  Remove("q_dark");
  GameSteps(1);
  EXPECT_TRUE(OpenPuzzleByClick("q_cpanel"));
  ClosePuzzleBeside();

  AddSceneObject("q_dark", "static", 560, 340);
  GameSteps(1);
  const SceneObject& exit = world.objects[static_cast<std::size_t>(FindSceneObject("q_passage"))];
  ClickAt(exit.x, exit.y);
  GameSteps(3);
  EXPECT_EQ(world.levelName, "passage");
}

}  // namespace

TEST_F(LevelEvents, FallsGrindstoneAndWallPlayOutOnce) {
  Run(1280, 1024, false, FallsGrindstoneAndWall);
}
TEST_F(LevelEvents, GhostsArePhotographedOnce) { Run(1280, 1024, false, GhostPhotographs); }
TEST_F(LevelEvents, ApparitionsLeaveTheirMark) { Run(1280, 1024, false, Apparitions); }
TEST_F(LevelEvents, DarkBasementAnswersOnlyItsDarknessAndExit) {
  Run(1280, 1024, false, DarkBasement);
}
