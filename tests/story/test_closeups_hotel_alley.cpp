// Every close-up of the hotel and the alley, and the three documents, walked
// by a player from a click on its object to its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/closeup_walk.h"
#include "support/loaded_game.h"
#include "world/world.h"

namespace {

class HotelAlleyCloseUps : public LoadedGame {};

struct Row {
  const char* level;
  const char* quest;
  std::vector<std::string> needs;
  std::vector<std::string> gives;
  std::vector<std::string> added;  // objects it adds to the level
  const char* page;                // the diary page it adds, or nullptr
};

bool Holds(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

void WalkEveryRow() {
  const std::vector<Row> rows{
      {"hotel", "q_lamp", {"handle"}, {}, {"q_dark"}, nullptr},
      {"hotel", "q_handle", {}, {"handle", "chand1"}, {"q_open"}, nullptr},
      {"hotel", "q_floor", {}, {"ghandle"}, {}, nullptr},
      {"alley", "q_bed", {"potion_of_life"}, {"page"}, {}, "q_gustav1"},
      {"alley", "q_hollow", {"lighter"}, {"left_half_moon"}, {}, nullptr},
      {"alley", "q_bench", {}, {"cage_key"}, {}, nullptr},
      {"laboratory", "q_machine", {}, {}, {}, "q_machine"},
      {"library", "q_sbook", {}, {}, {}, "q_sbook"},
      {"cabinet", "q_sketch", {}, {}, {}, "q_sketch"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.quest);
    const CloseUpWalk walk = WalkCloseUp(row.level, row.quest, row.needs);
    EXPECT_TRUE(walk.opened);
    EXPECT_FALSE(walk.open) << "finished in " << walk.steps << " passes";
    EXPECT_TRUE(walk.items_left.empty());
    EXPECT_TRUE(walk.keys_left.empty());
    for (const std::string& fault : walk.faults) ADD_FAILURE() << fault;
    EXPECT_FALSE(Holds(walk.objects, row.quest));
    for (const std::string& item : row.gives) EXPECT_TRUE(Holds(walk.inventory, item)) << item;
    for (const std::string& item : row.needs) EXPECT_FALSE(Holds(walk.inventory, item)) << item;
    for (const std::string& added : row.added) EXPECT_TRUE(Holds(walk.objects, added)) << added;
    if (row.page != nullptr) {
      ASSERT_FALSE(world.diary.pages.empty());
      EXPECT_EQ(world.diary.pages[world.diary.pages.size() - 1], row.page);
    }
  }
}

}  // namespace

TEST_F(HotelAlleyCloseUps, EachFinishesAsItsRowSays) { Run(1280, 1024, false, WalkEveryRow); }
