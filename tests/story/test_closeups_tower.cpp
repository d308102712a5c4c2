// The close-ups of the forge, the attic, the backyard, the stone circle, the hall, the terrace,
// the amulet press and the hidden room, walked by a player from a click on the object to the end;
// and the altar, which takes its five pieces in any order.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "story/closeup.h"
#include "story/quest.h"
#include "support/closeup_walk.h"
#include "support/loaded_game.h"
#include "ui/gui.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

class TowerCloseUps : public LoadedGame {};

struct Row {
  const char* level;
  const char* quest;
  std::vector<std::string> needs;
  std::vector<std::string> gives;
  std::vector<std::string> added;    // objects it leaves in the level
  std::vector<std::string> removed;  // objects it takes from the level, besides itself
};

bool Holds(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The place content/added_objects.txt gives an object the story adds to a level.
bool AddedPlace(const std::string& level, const std::string& name, float& x, float& y) {
  std::ifstream file(std::string(QUILLMOOR_TEST_CONTENT_DIR) + "/added_objects.txt");
  for (std::string line; std::getline(file, line);) {
    std::istringstream words(line);
    std::string l, n;
    if (words >> l >> n >> x >> y && l == level && n == name) return true;
  }
  return false;
}

void ExpectAddedAtItsPlace(const std::string& level, const std::string& name) {
  const int index = FindSceneObject(name);
  float x = 0, y = 0;
  ASSERT_GE(index, 0) << name;
  ASSERT_TRUE(AddedPlace(level, name, x, y)) << name << " has no place in added_objects.txt";
  EXPECT_FLOAT_EQ(world.objects[static_cast<std::size_t>(index)].x, x) << name;
  EXPECT_FLOAT_EQ(world.objects[static_cast<std::size_t>(index)].y, y) << name;
}

void ExpectFinished(const CloseUpWalk& walk, const Row& row) {
  EXPECT_TRUE(walk.opened);
  EXPECT_FALSE(walk.open) << "still open after " << walk.steps << " passes";
  EXPECT_TRUE(walk.items_left.empty()) << walk.items_left.front();
  EXPECT_TRUE(walk.keys_left.empty()) << walk.keys_left.front();
  for (const std::string& fault : walk.faults) ADD_FAILURE() << fault;
  EXPECT_FALSE(Holds(walk.objects, row.quest));
  for (const std::string& item : row.gives) EXPECT_TRUE(Holds(walk.inventory, item)) << item;
  for (const std::string& item : row.needs) EXPECT_FALSE(Holds(walk.inventory, item)) << item;
  for (const std::string& name : row.added) ExpectAddedAtItsPlace(row.level, name);
  for (const std::string& name : row.removed) EXPECT_FALSE(Holds(walk.objects, name)) << name;
}

void WalkEveryRow() {
  const std::vector<Row> rows{
      {"forge", "q_hand", {"ring"}, {"sphere_of_power"}, {}, {}},
      {"attic", "q_cards", {"tarot_card"}, {"sphere_of_magic"}, {}, {"q_s2"}},
      {"attic", "q_wfloor", {"nail_puller"}, {"glue"}, {"q_fl"}, {}},
      {"attic", "q_net", {"hook"}, {"scoop_net"}, {}, {}},
      {"backyard", "q_stair", {"mining_pick"}, {"nail_puller"}, {"q_st2"}, {}},
      {"backyard", "q_ring", {"glue"}, {"missing_ring"}, {}, {}},
      {"backyard", "q_card", {"coin"}, {"tarot_card"}, {}, {}},
      {"stonehenge", "q_coal", {"coal_holder"}, {"coal"}, {}, {}},
      {"stonehenge", "q_barrel", {"scoop_net"}, {"sphere_of_light"}, {}, {}},
      {"stonehenge",
       "q_altar",
       {"sphere_of_power", "energy_crystal", "sphere_of_magic", "sphere_of_knowledge", "sphere_of_light"},
       {},
       {"q_stairs", "q_hroom"},
       {"q_blue", "q_yellow", "q_green", "q_red", "q_crystal"}},
      {"hall", "q_snake", {"egg"}, {"wax_cylinder"}, {}, {}},
      {"hall", "q_blood", {"blood_vial"}, {"metal_ball"}, {"q_bat2"}, {"q_bat"}},
      {"terrace", "q_mbox", {"wax_cylinder"}, {"missing_statuette"}, {}, {}},
      {"cabinet", "q_amake", {"punched_card", "triangular_button"}, {"triangular_amulet"}, {}, {}},
      {"forge", "q_vice", {"oiler2"}, {"blood_vial"}, {}, {}},
      {"attic", "q_gramophone", {"gramophone_record", "gramophone_arm"}, {"note_with_code"}, {}, {}},
      {"backyard", "q_jaws", {"adamant_stone"}, {"gramophone_arm"}, {}, {}},
      {"hroom", "q_meye", {"artifical_eye"}, {"big_screw"}, {}, {}},
  };
  // The hunt of the stone circle played: the eye's entrance has gone and the eye puts it back.
  EnterLevelForWalk("forge");
  RemoveFromSavedLevel("stonehenge", "q_artifical_eye");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.quest);
    ExpectFinished(WalkCloseUp(row.level, row.quest, row.needs, 60), row);
  }
  EXPECT_GE(FindInSavedLevel("attic", "q_triangular_button"), 0);
  EXPECT_GE(FindInSavedLevel("stonehenge", "q_artifical_eye"), 0);
  ASSERT_FALSE(world.diary.pages.empty());
  EXPECT_EQ(world.diary.pages[world.diary.pages.size() - 1], "q_gramophone");
}

// The altar lights a marker in the level for each piece laid in, in whatever order, and opens
// the way down on the very frame the last piece goes in; its empty-handed message says what is
// still missing and leaves the tasks alone.
void AltarInAnyOrder() {
  EnterLevelForWalk("stonehenge");
  OpenTask("task_other");
  ASSERT_TRUE(OpenCloseUpByClick("q_altar"));
  CloseUpWalk walk = WalkOpenCloseUp("q_altar", {"sphere_of_light", "sphere_of_knowledge"}, 4);
  EXPECT_TRUE(walk.open);
  EXPECT_TRUE(Holds(walk.objects, "q_yellow"));
  EXPECT_TRUE(Holds(walk.objects, "q_green"));
  EXPECT_FALSE(Holds(walk.objects, "q_red"));
  EXPECT_TRUE(Holds(walk.messages, "stonehenge_q_altar"));
  EXPECT_EQ(world.tasks.get("task_other"), "main");

  // Closed and opened again: the two pieces stay, two more go in.
  ClickAt(20, 20);
  GameSteps(5);
  ASSERT_FALSE(WindowVisible("wnd_zoomin"));
  ASSERT_TRUE(OpenCloseUpByClick("q_altar"));
  walk = WalkOpenCloseUp("q_altar", {"sphere_of_magic", "sphere_of_power"}, 4);
  EXPECT_TRUE(walk.open);
  EXPECT_TRUE(Holds(walk.messages, "stonehenge_q_altar2"));

  const int before = static_cast<int>(world.objects.size());
  HoldItem("energy_crystal");
  const CloseUpRect altar = CloseUpRegions().front();
  ClickAt(altar.x + altar.w / 2, altar.y + altar.h / 2);
  EXPECT_FALSE(WindowVisible("wnd_zoomin"));
  EXPECT_LT(FindSceneObject("q_altar"), 0);
  for (const char* marker : {"q_blue", "q_yellow", "q_green", "q_red", "q_crystal"})
    EXPECT_LT(FindSceneObject(marker), 0) << marker;
  EXPECT_EQ(static_cast<int>(world.objects.size()), before - 4 - 1 + 2);  // markers, altar; stairs, exit
  EXPECT_EQ(world.tasks.get("task_other"), "done");
  EXPECT_EQ(world.tasks.get("task_hroom"), "main");
}

}  // namespace

TEST_F(TowerCloseUps, EachFinishesAsItsRowSays) { Run(1280, 1024, false, WalkEveryRow); }

TEST_F(TowerCloseUps, TheAltarTakesItsPiecesInAnyOrderAndOpensOnTheLast) {
  Run(1280, 1024, false, AltarInAnyOrder);
}
