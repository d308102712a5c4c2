// The close-ups of the castle, walked by a player from a click on the object
// to the end; and the two that a plain walk cannot finish or that can be
// left half done in a way the others cannot: the colour lock and the fuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "story/closeup.h"
#include "story/quest.h"
#include "support/closeup_walk.h"
#include "support/input.h"
#include "support/loaded_game.h"
#include "ui/gui.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

class CastleCloseUps : public LoadedGame {};

struct Row {
  const char* level;
  const char* quest;
  std::vector<std::string> needs;
  std::vector<std::string> gives;
  std::vector<std::string> added;    // objects it adds to its own level
  std::vector<std::string> removed;  // objects besides itself it takes away
  std::vector<std::pair<std::string, std::string>> elsewhere;  // level, object added there
  std::vector<std::pair<std::string, std::string>> tasks;      // task, its state afterwards
};

bool Holds(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

void WalkEveryRow() {
  const std::vector<Row> rows{
      {"stairs", "q_taste", {"salt", "sugar"}, {}, {"q_door", "q_hall"}, {}, {},
       {{"task_hall", "done"}}},
      {"stairs", "q_vase", {"ispray"}, {"skull_form", "spiral_amulet"}, {}, {}, {}, {}},
      {"stairs", "q_ball", {"knife"}, {"wrench"}, {"q_meat"}, {}, {}, {}},
      {"laboratory", "q_gear", {"gear"}, {}, {"q_ngear", "q_gr"}, {}, {{"basement", "q_box"}}, {}},
      {"laboratory", "q_knife", {"solvent"}, {"knife"}, {}, {"q_k2"}, {}, {}},
      {"kitchen", "q_cab", {"nippers"}, {"oiler", "egg"}, {"q_cab2"}, {}, {}, {}},
      {"kitchen", "q_parrot", {"scissors"}, {"small_key"}, {}, {}, {}, {}},
      {"yard", "q_kennel", {"bone"}, {"feather_duster"}, {"q_dog"}, {}, {}, {}},
      {"yard", "q_well", {"oiler", "feather_duster"}, {"oiler2", "sponge", "left_face_half"},
       {"q_well1"}, {}, {}, {}},
      {"laboratory", "q_spray", {"old_key"}, {}, {"q_spray2", "q_sspray"}, {}, {}, {}},
      {"laboratory", "q_sspray", {}, {"ispray", "stone_button2"}, {}, {}, {}, {}},
      {"laboratory", "q_pipe", {"wrench"}, {"salt"}, {"q_pipe2"}, {}, {}, {}},
      {"yard", "q_nippers", {}, {"nippers", "first_piece_of_picture"}, {}, {}, {}, {}},
      {"hallway", "q_wall", {"dynamite", "matches"}, {}, {"q_hole", "q_shade", "q_forge"}, {},
       {{"cabinet", "q_coin"}, {"kitchen", "q_cheese"}},
       {{"task_hallway", "done"}, {"task_other", "main"}}},
      {"terrace", "q_birds", {"seeds"}, {"stone_button"}, {"q_birds2"}, {}, {}, {}},
      {"cabinet", "q_matches", {"small_key"}, {"matches"}, {"q_m2"}, {}, {}, {}},
      {"hall", "q_chair", {}, {"scissors"}, {}, {}, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.quest);
    const CloseUpWalk walk = WalkCloseUp(row.level, row.quest, row.needs);
    EXPECT_TRUE(walk.opened);
    EXPECT_FALSE(walk.open) << "still open after " << walk.steps << " passes";
    EXPECT_TRUE(walk.items_left.empty());
    EXPECT_TRUE(walk.keys_left.empty());
    EXPECT_FALSE(Holds(walk.objects, row.quest));
    for (const std::string& item : row.gives) EXPECT_TRUE(Holds(walk.inventory, item)) << item;
    for (const std::string& item : row.needs) EXPECT_FALSE(Holds(walk.inventory, item)) << item;
    for (const std::string& o : row.added) EXPECT_TRUE(Holds(walk.objects, o)) << o;
    for (const std::string& o : row.removed) EXPECT_FALSE(Holds(walk.objects, o)) << o;
    for (const auto& [level, name] : row.elsewhere)
      EXPECT_GE(FindInSavedLevel(level, name), 0) << level << " " << name;
    for (const auto& [task, state] : row.tasks) EXPECT_EQ(world.tasks.get(task), state) << task;
  }
  // The machine's gear lowers the lift box for the basement's close-up.
  EXPECT_TRUE(QuestFlag(CloseUpKeyPrefix("q_elevator") + "box"));
}

// The centre of the open close-up, and a point outside it and the panel.
void ClickCloseUp() {
  ClickAt(world.zoomin.x + world.zoomin.w / 2, world.zoomin.y + world.zoomin.h / 2);
  GameSteps(2);
}
void ClickOutside() {
  ClickAt(8, 8);
  GameSteps(2);
}

// The lock's nine buttons in the order it offers them: row by row (one row a
// symbol), then colour by colour.
void PressLockButton(int row, int colour) {
  const std::vector<CloseUpRect> regions(CloseUpRegions().begin(), CloseUpRegions().end());
  ASSERT_EQ(regions.size(), 9u);
  const CloseUpRect& r = regions[static_cast<std::size_t>(row * 3 + colour)];
  ClickAt(r.x + r.w / 2, r.y + r.h / 2);
  GameSteps(2);
}

void ColourLock() {
  EnterLevelForWalk("cabinet");
  ASSERT_TRUE(OpenCloseUpByClick("q_symbols"));
  GameSteps(1);
  // Until the diary holds the three colour pages, the buttons do not move.
  ClickCloseUp();
  EXPECT_EQ(world.popup.key, "cabinet_q_symbols");
  EXPECT_EQ(CloseUpRegions().size(), 1u);
  ClickOutside();

  for (const char* page : {"csymbol_red", "csymbol_blue", "csymbol_green"})
    world.diary.pages.append(page);
  // A choice is forgotten when the close-up closes: the second symbol set
  // before closing is back in the first colour after reopening.
  ASSERT_TRUE(OpenCloseUpByClick("q_symbols"));
  GameSteps(1);
  PressLockButton(1, 1);
  ClickOutside();
  ASSERT_TRUE(OpenCloseUpByClick("q_symbols"));
  GameSteps(1);
  PressLockButton(2, 2);
  EXPECT_TRUE(WindowVisible("wnd_zoomin"));
  EXPECT_EQ(FindInventoryEntry("dynamite"), -1);

  PressLockButton(1, 1);
  EXPECT_FALSE(WindowVisible("wnd_zoomin"));
  EXPECT_GE(FindInventoryEntry("dynamite"), 0);
  EXPECT_GE(FindInventoryEntry("metal_bug"), 0);
  EXPECT_GE(FindSceneObject("q_sym2"), 0);
  EXPECT_EQ(FindSceneObject("q_symbols"), -1);
}

void FuseLeftBurning() {
  EnterLevelForWalk("hallway");
  ASSERT_TRUE(EnsureQuestObject("q_wall"));
  ASSERT_TRUE(OpenCloseUpByClick("q_wall"));
  GameSteps(1);
  HoldItem("dynamite");
  ClickCloseUp();
  HoldItem("matches");
  ClickCloseUp();
  EXPECT_EQ(FindInventoryEntry("matches"), -1);
  // Walking away from the lit fuse: the blast waits for the player's return,
  // and the matches are not needed again.
  ClickOutside();
  EXPECT_FALSE(WindowVisible("wnd_zoomin"));
  GameSteps(400);
  EXPECT_EQ(FindSceneObject("q_hole"), -1);
  EXPECT_GT(QuestNumber(CloseUpKeyPrefix("q_wall") + "tm"), 0);

  ASSERT_TRUE(OpenCloseUpByClick("q_wall"));
  const CloseUpWalk walk = WalkOpenCloseUp("q_wall", {});
  EXPECT_FALSE(walk.open);
  EXPECT_TRUE(walk.keys_left.empty());
  EXPECT_TRUE(Holds(walk.objects, "q_hole"));
  EXPECT_TRUE(Holds(walk.objects, "q_forge"));
}

}  // namespace

TEST_F(CastleCloseUps, EachFinishesAsItsRowSays) { Run(1280, 1024, false, WalkEveryRow); }
TEST_F(CastleCloseUps, ColourLockWantsTheDiaryPagesAndForgetsOnClosing) {
  Run(1280, 1024, false, ColourLock);
}
TEST_F(CastleCloseUps, LitFuseSurvivesClosingTheCloseUp) { Run(1280, 1024, false, FuseLeftBurning); }
