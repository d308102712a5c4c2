// Every puzzle of the world as a player who will not solve it meets it: found
// in its level, opened from its object, given the pieces it asks for, then
// left to charge and skipped. Each must hand out its reward and leave no key
// behind; and every puzzle object of the world must have a game.
#include <gtest/gtest.h>

#include <algorithm>
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

// What each puzzle asks for before it can be played.
std::vector<std::string> PiecesOf(std::string_view name) {
  if (name == "q_clocks") return {"chand1", "chand2", "chand3"};
  if (name == "q_code") return {"arrow_buttons"};
  if (name == "q_moon") return {"lens", "moon_cube"};
  if (name == "q_cpanel") return {"light_bulb"};
  if (name == "q_ropes") return {"star_amulet", "spiral_amulet", "heart_amulet", "silver_skull_amulet"};
  if (name == "q_skull") return {"skull_form", "dipper", "silver_spoon"};
  if (name == "q_cube") return {"stone_button", "stone_button2"};
  if (name == "q_spyglass") return {"knob"};
  if (name == "q_casket") return {"missing_ring"};
  if (name == "q_terminal") return {"triangular_amulet"};
  if (name == "q_liquid") return {"big_screw"};
  if (name == "q_bugs") return {"metal_bug"};
  if (name == "q_picture") return {"first_piece_of_picture", "second_piece_of_picture"};
  if (name == "q_statuettes") return {"left_face_half", "right_face_half", "missing_statuette"};
  if (name == "q_mball") return {"note_with_code", "metal_ball"};
  return {};
}

// Holds the piece over the puzzle and clicks across it, as a player looking
// for where it goes would, until the puzzle takes it.
bool FitPiece(std::string_view name, std::string_view piece) {
  HoldItem(piece);
  for (float dy = 25.0f; dy < 480.0f; dy += 50.0f) {
    for (float dx = 25.0f; dx < 750.0f; dx += 50.0f) {
      if (!WindowVisible("wnd_puzzle") && !OpenPuzzleByClick(name)) return false;
      if (HeldItemIndex() < 0) HoldItem(piece);
      ClickAt(kPuzzleX + dx, kPuzzleY + dy);
      GameSteps(1);
      if (FindInventoryEntry(piece) < 0) return true;
    }
  }
  PutBackHeldItem();
  return false;
}

std::vector<std::string> WorldSeen() {
  std::vector<std::string> seen{world.levelName};
  for (const SceneObject& o : world.objects) seen.push_back(o.name + " " + o.kind);
  for (const auto& entry : world.inventory) seen.push_back("item " + entry.name);
  return seen;
}

void SkipIt(const PuzzlePlace& place) {
  SCOPED_TRACE(place.level + " " + place.name);
  EnterLevelForWalk(place.level);
  // The fireflies have lifted the basement's darkness.
  if (place.level == "basement" && FindSceneObject("q_dark") >= 0)
    RemoveSceneObject(FindSceneObject("q_dark"));
  if (place.added) {
    ASSERT_TRUE(EnsureQuestObject(place.name, "puzzle"));
  }
  for (const char* clue : {"numbers", "death"}) world.diary.pages.append(clue);
  ASSERT_TRUE(OpenPuzzleByClick(place.name));
  for (const std::string& piece : PiecesOf(place.name))
    EXPECT_TRUE(FitPiece(place.name, piece)) << piece << " has no place in the puzzle";
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

}  // namespace

TEST_F(EveryPuzzle, OpensTakesItsPiecesAndSkipsToItsReward) { Run(1280, 1024, false, EveryPuzzleSkipped); }
