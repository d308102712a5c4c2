// Every puzzle of the world as a player who will not solve it meets it: found
// in its level, opened from its object, given the pieces it asks for, then
// left to charge and skipped; and as a player who will: played by clicks to
// its win. Each must hand out its reward and leave no key behind; and every
// puzzle object of the world must have a game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ini.h"
#include "puzzles/puzzle.h"
#include "story/quest.h"
#include "support/closeup_walk.h"
#include "support/input.h"
#include "support/loaded_game.h"
#include "support/puzzle_solve.h"
#include "support/puzzle_walk.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

class EveryPuzzle : public LoadedGame {};

struct PuzzlePlace {
  std::string level;
  std::string name;
  bool added = false;  // the story puts it there
};

// The puzzle objects of the shipped levels and of the objects the story adds.
std::vector<PuzzlePlace> PuzzlesOfTheWorld() {
  std::vector<PuzzlePlace> found;
  const std::filesystem::path content(QUILLMOOR_TEST_CONTENT_DIR);
  for (const auto& entry : std::filesystem::directory_iterator(content / "levels")) {
    const std::string level = entry.path().stem().string();
    BlockTable blocks;
    ReadObjectListFile(ShippedLevelPath(level), blocks);
    for (const ObjectBlock& o : blocks)
      if (o.kind == "puzzle") found.push_back({level, o.name});
  }
  std::ifstream added(content / "added_objects.txt");
  for (std::string line; std::getline(added, line);) {
    std::istringstream words(line);
    std::string level, name, x, y, kind;
    if (words >> level >> name >> x >> y >> kind && kind == "puzzle")
      found.push_back({level, name, true});
  }
  std::sort(found.begin(), found.end(),
            [](const PuzzlePlace& a, const PuzzlePlace& b) { return a.name < b.name; });
  return found;
}

// The puzzle's pieces given to the player and fitted from the inventory.
void FitPieces(std::string_view name) {
  for (const std::string& piece : PuzzlePieces(name)) {
    if (FindInventoryEntry(piece) < 0) GiveItem(piece, "normal", 0.0f, 0.0f);
    EXPECT_TRUE(FitPuzzlePiece(name, piece)) << piece << " has no place in the puzzle";
  }
}

// Meets the puzzle in its level as the story leaves it: the basement lit by
// the fireflies, the objects the story adds put in place, the clues found.
void OpenAt(const PuzzlePlace& place) {
  EnterLevelForWalk(place.level);
  if (place.level == "basement" && FindSceneObject("q_dark") >= 0)
    RemoveSceneObject(FindSceneObject("q_dark"));
  if (place.added) {
    ASSERT_TRUE(EnsureQuestObject(place.name, "puzzle"));
  }
  for (const char* clue : {"numbers", "death"}) world.diary.pages.append(clue);
  ASSERT_TRUE(OpenPuzzleByClick(place.name));
}

std::vector<std::string> WorldSeen() {
  std::vector<std::string> seen{world.levelName};
  for (const SceneObject& o : world.objects) seen.push_back(o.name + " " + o.kind);
  for (const auto& entry : world.inventory) seen.push_back("item " + entry.name);
  return seen;
}

void SkipIt(const PuzzlePlace& place) {
  SCOPED_TRACE(place.level + " " + place.name);
  ASSERT_NO_FATAL_FAILURE(OpenAt(place));
  FitPieces(place.name);
  if (!WindowVisible("wnd_puzzle")) {
    ASSERT_TRUE(OpenPuzzleByClick(place.name));
  }
  ClickAt(60.0f, 60.0f);  // beside it: the player leaves it to charge
  GameSteps(1);
  ASSERT_FALSE(WindowVisible("wnd_puzzle"));
  SetQuestNumber(PuzzleKeyPrefix(place.name) + "skip", 11990);
  ASSERT_TRUE(OpenPuzzleByClick(place.name));
  GameSteps(20);
  ASSERT_TRUE(gui_get("btn_skip")->visible);
  ASSERT_FALSE(gui_get("btn_skip")->disabled) << "the bar is full";
  const std::vector<std::string> before = WorldSeen();
  ClickAt(687.0f + 64.0f, 578.0f + 16.0f);
  GameSteps(2);
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft(place.name), 0);
  EXPECT_NE(WorldSeen(), before) << "the skip handed out nothing";
  const int left = FindSceneObject(place.name);
  if (left >= 0) {
    EXPECT_EQ(world.objects[static_cast<std::size_t>(left)].kind, "inactive")
        << "a skipped puzzle stays clickable";
  }
}

void EveryPuzzleSkipped() {
  const std::vector<PuzzlePlace> places = PuzzlesOfTheWorld();
  std::vector<std::string> names;
  for (const PuzzlePlace& p : places) names.push_back(p.name);
  std::vector<std::string> routines;
  for (const PuzzleRoutine& r : PuzzleRoutines()) routines.emplace_back(r.name);
  std::sort(routines.begin(), routines.end());
  EXPECT_EQ(names, routines) << "every puzzle object has a game, and every game an object";
  for (const PuzzlePlace& p : places) SkipIt(p);
}

// Every puzzle played by clicks from its object to its reward, reading its
// board as it is; the frames each takes are printed for the walkthrough.
void EveryPuzzleSolved() {
  for (const PuzzlePlace& place : PuzzlesOfTheWorld()) {
    SCOPED_TRACE(place.level + " " + place.name);
    ASSERT_NO_FATAL_FAILURE(OpenAt(place));
    FitPieces(place.name);
    const std::vector<std::string> before = WorldSeen();
    EXPECT_TRUE(SolveOpenPuzzle(place.name));
    std::printf("%-14s solved in %5d frames\n", place.name.c_str(), LastSolveTicks());
    EXPECT_FALSE(WindowVisible("wnd_puzzle"));
    EXPECT_EQ(PuzzleKeysLeft(place.name), 0);
    EXPECT_NE(WorldSeen(), before) << "the win handed out nothing";
  }
  EXPECT_EQ(world.levelName, "outro") << "the terminal's win ends the story";
}

}  // namespace

TEST_F(EveryPuzzle, SolvedByClicksToItsReward) { Run(1280, 1024, false, EveryPuzzleSolved); }
TEST_F(EveryPuzzle, OpensTakesItsPiecesAndSkipsToItsReward) { Run(1280, 1024, false, EveryPuzzleSkipped); }
