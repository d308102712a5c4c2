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
#include "support/loaded_game.h"
#include "ui/gui.h"
#include "world/hidden_object.h"
#include "world/inventory.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

class Hunts : public LoadedGame {};

// Half see-through or more: the front layer's haze and a picture's soft edge
// neither hide a thing nor make a safe place to click it.
constexpr int kSolid = 128;

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

// The picture the scene draws for one of its objects, or "" for none.
std::string PictureOf(const SceneObject& o, const std::string& key) {
  if (o.kind == "item" || (o.kind == "key" && o.name == key)) return o.name;
  if (o.kind == "tool" || o.kind == "select") return o.name;
  if (o.kind == "obstacle") return "lev_" + o.name.substr(3);
  return "";
}

bool Solid(const std::string& picture, float cx, float cy, float x, float y) {
  const Texture* t = images.get(picture);
  const auto w = static_cast<float>(TextureWidth(t)), h = static_cast<float>(TextureHeight(t));
  return image_alpha_at(picture, x - (cx - w / 2), y - (cy - h / 2)) >= kSolid;
}

// The tool and the obstacle answer a click anywhere in their box.
bool InBox(const std::string& picture, float cx, float cy, float x, float y) {
  const Texture* t = images.get(picture);
  const auto w = static_cast<float>(TextureWidth(t)), h = static_cast<float>(TextureHeight(t));
  return x >= cx - w / 2 && x < cx + w / 2 && y >= cy - h / 2 && y < cy + h / 2;
}

// A point where the thing shows and nothing else the scene draws is solid, so
// the click can only mean it; false when there is none.
bool ClearPointOf(int index, float& x, float& y) {
  const SceneObject& target = world.sceneObjects[static_cast<std::size_t>(index)];
  const Texture* t = images.get(target.name);
  const auto w = static_cast<float>(TextureWidth(t)), h = static_cast<float>(TextureHeight(t));
  const std::string key = HuntKeyName();
  for (float py = target.y - h / 2 + 1; py < target.y + h / 2; py += 2) {
    for (float px = target.x - w / 2 + 1; px < target.x + w / 2; px += 2) {
      if (py >= 630 || !Solid(target.name, target.x, target.y, px, py)) continue;
      if (image_alpha_at("h_front", px, py) >= kSolid) continue;
      bool alone = true;
      for (std::size_t i = 0; i < world.sceneObjects.size() && alone; ++i) {
        const SceneObject& o = world.sceneObjects[i];
        const std::string picture = PictureOf(o, key);
        if (static_cast<int>(i) == index || picture.empty()) continue;
        const bool scripted = o.kind != "item" && o.kind != "key";
        if (scripted ? InBox(picture, o.x, o.y, px, py) : Solid(picture, o.x, o.y, px, py))
          alone = false;
      }
      if (alone) {
        x = px;
        y = py;
        return true;
      }
    }
  }
  return false;
}

int IndexOfKind(std::string_view kind) {
  for (std::size_t i = 0; i < world.sceneObjects.size(); ++i)
    if (world.sceneObjects[i].kind == kind) return static_cast<int>(i);
  return -1;
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

  const int first = HuntGroupStart();
  const int obstacle = IndexOfKind("obstacle");
  if (first == 0 && obstacle >= 0) {
    const SceneObject& tool = world.sceneObjects[static_cast<std::size_t>(IndexOfKind("tool"))];
    ClickAt(tool.x, tool.y);
    GameSteps(1);
    const SceneObject& o = world.sceneObjects[static_cast<std::size_t>(IndexOfKind("obstacle"))];
    ClickAt(o.x, o.y);
    GameSteps(1);
    ASSERT_LT(IndexOfKind("obstacle"), 0) << "the tool did not clear the obstacle";
  }
  for (int i = first; i < first + 12; ++i) {
    const SceneObject& o = world.sceneObjects[static_cast<std::size_t>(i)];
    float x = 0, y = 0;
    ASSERT_TRUE(ClearPointOf(i, x, y)) << o.name << " shows no point of its own";
    ClickAt(x, y);
    GameSteps(1);
    EXPECT_EQ(world.sceneObjects[static_cast<std::size_t>(i)].kind, "click")
        << o.name << " was not found at " << x << "," << y;
  }
  for (int n = 0; n < 100 && WindowVisible("wnd_ho"); ++n) GameSteps(20);
  ASSERT_FALSE(WindowVisible("wnd_ho")) << "the hunt did not end";

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
