// Every hunt of the world played by a player from the level to its reward:
// the entrance clicked, the scene's tool taken and dropped on its obstacle
// when the hunt's key lies under it, each listed thing clicked where it shows,
// and the reward checked in the inventory, the entrance gone from the level's
// saved copy and the scene's copy back as it was shipped.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "res/images.h"
#include "support/closeup_walk.h"
#include "support/hunt_walk.h"
#include "support/loaded_game.h"
#include "ui/gui.h"
#include "world/hidden_object.h"
#include "world/inventory.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

class Hunts : public LoadedGame {};

struct Hunt {
  const char* level;
  const char* entrance;
};

constexpr Hunt kHunts[] = {
    {"hotel", "q_scarecrow_head"},     {"hotel", "q_silver_spoon"},
    {"crossroad", "q_rope_ladder"},    {"crypt", "q_trowel"},
    {"crypt", "q_light_bulb"},         {"library", "q_garden_pruners"},
    {"library", "q_gear"},             {"kitchen", "q_knob"},
    {"kitchen", "q_cheese"},           {"cabinet", "q_bone"},
    {"cabinet", "q_coin"},             {"attic", "q_mining_pick"},
    {"attic", "q_triangular_button"},  {"stonehenge", "q_adamant_stone"},
    {"stonehenge", "q_artifical_eye"},
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void PlayHunt(const Hunt& hunt) {
  SCOPED_TRACE(std::string(hunt.level) + " " + hunt.entrance);
  ShowWindow("wnd_ho", false);
  EnterLevelForWalk(hunt.level);
  if (FindSceneObject(hunt.entrance) < 0) {
    // The story adds this entrance: put it where the story does.
    std::ifstream table(std::string(QUILLMOOR_TEST_CONTENT_DIR) + "/added_objects.txt");
    float ax = -1, ay = -1;
    for (std::string line; std::getline(table, line);) {
      std::istringstream words(line);
      std::string level, name;
      float x = 0, y = 0;
      if (words >> level >> name >> x >> y && level == hunt.level && name == hunt.entrance) {
        ax = x;
        ay = y;
      }
    }
    ASSERT_GE(ax, 0) << "no place for the entrance in added_objects.txt";
    AddSceneObject(hunt.entrance, "hobject", ax, ay);
  }
  const SceneObject& entrance = world.objects[static_cast<std::size_t>(FindSceneObject(hunt.entrance))];
  ClickAt(entrance.x, entrance.y);
  GameSteps(120);
  ASSERT_TRUE(WindowVisible("wnd_ho")) << "the entrance did not open the scene";
  ASSERT_EQ(world.sceneEntry, hunt.entrance);

  const std::string trouble = PlayOpenHunt();
  ASSERT_EQ(trouble, "");

  const std::string reward = hunt.entrance + 2;
  EXPECT_GE(FindInventoryEntry(reward), 0) << reward << " is not in the inventory";
  EXPECT_LT(FindSceneObject(hunt.entrance), 0);
  // The level goes to its saved copy as it does when the player walks on.
  ASSERT_TRUE(SaveLevel(false));
  BlockTable level;
  ReadObjectListFile(LevelCopyPath(hunt.level), level);
  for (const ObjectBlock& o : level) EXPECT_NE(o.name, hunt.entrance) << "the saved level kept it";
  EXPECT_EQ(ReadAll(SceneCopyPath(hunt.level)), ReadAll(ShippedScenePath(hunt.level)))
      << "the scene was not reset";
  // The reward's window closes on a click.
  ClickAt(512, 384);
  GameSteps(2);
  EXPECT_FALSE(WindowVisible("wnd_popup"));
}

TEST_F(Hunts, EveryHuntIsPlayedFromItsEntranceToItsReward) {
  Run(1024, 768, false, [] {
    for (const Hunt& hunt : kHunts) PlayHunt(hunt);
  });
}

}  // namespace
