// The objects a player clicks rather than opens: their words, the items they
// take and what that changes, played by clicks in their levels; and every
// such object of the shipped levels has a text to show.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "res/strings.h"
#include "story/statics.h"
#include "support/closeup_walk.h"
#include "support/input.h"
#include "support/loaded_game.h"
#include "world/inventory.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

namespace fs = std::filesystem;
const std::string kContent = std::string(QUILLMOOR_TEST_CONTENT_DIR) + "/";

class Statics : public LoadedGame {};

bool Here(const std::string& name) { return FindSceneObject(name) >= 0; }
int Count(const std::string& name) {
  int n = 0;
  for (const SceneObject& o : world.objects) n += o.name == name ? 1 : 0;
  return n;
}
bool Carries(const std::string& item) { return FindInventoryEntry(item) >= 0; }
bool InSaved(const char* level, const char* name) { return FindInSavedLevel(level, name) >= 0; }

// A click on the object's middle, with whatever the mouse holds.
void ClickObject(const std::string& name) {
  const int index = FindSceneObject(name);
  ASSERT_GE(index, 0) << name;
  const SceneObject& o = world.objects[static_cast<std::size_t>(index)];
  world.popup.active = false;
  ClickAt(o.x, o.y);
  GameSteps(2);
}

// Walks to the level, the level left saved first as an exit saves it.
void Go(const char* level) {
  if (!world.levelName.empty()) SaveLevel(false);
  EnterLevelForWalk(level);
}

std::string Shown() { return world.popup.active ? world.popup.key : std::string(); }

// Every object the story adds to a level must stand where
// content/added_objects.txt puts it: its picture was painted for that place.
void ExpectAtItsPlace(const std::string& name) {
  std::ifstream file(kContent + "added_objects.txt");
  for (std::string line; std::getline(file, line);) {
    std::istringstream words(line);
    std::string level, n;
    float x = 0, y = 0;
    if (!(words >> level >> n >> x >> y) || level != world.levelName || n != name) continue;
    const SceneObject& o = world.objects[static_cast<std::size_t>(FindSceneObject(name))];
    EXPECT_FLOAT_EQ(o.x, x) << name;
    EXPECT_FLOAT_EQ(o.y, y) << name;
    return;
  }
  ADD_FAILURE() << name << " has no place in added_objects.txt";
}

// Lets a sequence the click set off (a fall, the grindstone) play out: the
// level takes no clicks until it ends.
void WaitForLevel() {
  for (int i = 0; i < 600 && !world.interactive; ++i) GameSteps(1);
}

// One use of an item on a static object and what it must leave.
struct Use {
  const char* level;
  const char* object;
  const char* item;
  std::vector<std::string> gives, added, removed;
  const char* message;  // nullptr: none asked for
};

void PlayUse(const Use& u) {
  SCOPED_TRACE(std::string(u.level) + " " + u.object + " + " + u.item);
  if (world.levelName != u.level) Go(u.level);
  EnsureQuestObject(u.object, "static");
  HoldItem(u.item);
  ClickObject(u.object);
  EXPECT_FALSE(Carries(u.item)) << "the item is taken";
  for (const std::string& item : u.gives) EXPECT_TRUE(Carries(item)) << item;
  for (const std::string& name : u.added) {
    EXPECT_EQ(Count(name), 1) << name;
    // A photograph is on its way to the diary from the first tick.
    const int index = FindSceneObject(name);
    if (index >= 0 && world.objects[static_cast<std::size_t>(index)].kind != "ghost_catch")
      ExpectAtItsPlace(name);
  }
  for (const std::string& name : u.removed) EXPECT_FALSE(Here(name)) << name;
  if (u.message != nullptr) {
    EXPECT_EQ(Shown(), u.message);
  }
  GameSteps(150);  // the given items settle in the strip
  WaitForLevel();
}

}  // namespace

TEST_F(Statics, EmptyHandsReadTheObjectAndWrongItemsStayHeld) {
  Run(1280, 1024, false, [] {
    Go("hotel");
    const int pages = static_cast<int>(world.diary.pages.size());
    ClickObject("q_news");
    EXPECT_EQ(static_cast<int>(world.diary.pages.size()), pages + 1);
    EXPECT_EQ(world.diary.pages[world.diary.pages.size() - 1], "news");
    Go("hotel");
    ClickObject("q_news");
    EXPECT_EQ(static_cast<int>(world.diary.pages.size()), pages + 1) << "the paper is read once";
    EXPECT_EQ(Shown(), "hotel_q_news");

    Go("alley");
    ClickObject("q_roses");
    EXPECT_EQ(Shown(), "alley_q_roses");
    ClickObject("q_tree");
    EXPECT_EQ(Shown(), "alley_q_tree");
    EXPECT_EQ(world.tasks.get("task_tree"), "main");

    Go("bridge");
    ClickObject("q_snakes");
    EXPECT_EQ(Shown(), "bridge_q_snakes2") << "a ghost speaks its line";
    ClickObject("q_scare");
    EXPECT_EQ(Shown(), "bridge_q_stick") << "while the stick lies in the grass";

    // An item the scarecrow has no use for stays at the mouse, untaken and
    // without the wrong-use message.
    HoldItem("trowel");
    ClickObject("q_scare");
    const int held = HeldItemIndex();
    ASSERT_GE(held, 0);
    EXPECT_EQ(world.inventory[static_cast<std::size_t>(held)].name, "trowel");
    EXPECT_EQ(Shown(), "");
    EXPECT_FALSE(Here("q_shead"));
    PutBackHeldItem();
  });
}

TEST_F(Statics, ItemsTakenChangeThisLevelAndOthers) {
  Run(1280, 1024, false, [] {
    // The plain axe is close but not it: it goes back with a hint.
    Go("alley");
    ClickObject("q_tree");  // the task to clear the road
    for (const char* object : {"q_gr", "q_tree"}) {
      HoldItem("axe");
      ClickObject(object);
      EXPECT_EQ(Shown(), std::string("alley_") + object + "2");
      EXPECT_LT(HeldItemIndex(), 0) << object;
      EXPECT_TRUE(Carries("axe")) << object;
      GameSteps(150);
    }
    const std::vector<Use> uses{
        {"alley", "q_gr", "ghandle", {}, {"q_grhandle"}, {}, nullptr},
        {"alley", "q_gr", "axe", {}, {"q_sharp"}, {}, nullptr},
        {"alley", "q_pumpkin", "wooden_stick", {}, {"q_fall"}, {"q_pumpkin"}, nullptr},
        {"alley", "q_tree", "sharp_axe", {}, {"q_path", "q_bridge"}, {"q_tree"}, "alley_q_path"},
        {"bridge", "q_snakes", "page", {}, {"q_path", "q_crossroad"}, {"q_snakes"},
         "bridge_q_path"},
        {"gates", "q_hat", "rope_ladder", {"hat"}, {"q_ladder"}, {"q_hat"}, nullptr},
        {"gates", "q_ff", "jar", {"jar_ff"}, {}, {}, "gates_q_ff2"},
        {"cemetery", "q_door", "crypt_key", {}, {"q_crypt"}, {"q_door"}, nullptr},
        {"lodge", "q_skeleton", "hat", {"crowbar", "wedding_ring"}, {"q_s1", "q_s2"}, {},
         nullptr},
        {"crypt", "q_dress", "crowbar", {"crowbar2"}, {"q_dress1", "q_woman"}, {},
         "crypt_q_dress2"},
        {"passage", "q_stone", "crowbar2", {}, {"q_stone2", "q_saw", "q_symbol"}, {"q_stone"},
         nullptr},
        {"hall", "q_face", "sponge", {}, {"q_bs", "csymbol_blue"}, {}, "hall_q_face2"},
        {"forge", "q_fire", "coal", {"sphere_of_knowledge"}, {}, {}, nullptr},
        {"hroom", "q_shade", "scroll_of_dispel", {"second_piece_of_picture"}, {}, {"q_shade"},
         nullptr},
    };
    for (const Use& u : uses) {
      if (std::string(u.object) == "q_door") {
        // The door asks for its key first.
        Go("cemetery");
        // The apparition has taken the way down and left the door.
        RemoveSceneObject(FindSceneObject("q_crypt"));
        EnsureQuestObject("q_door", "static");
        ClickObject("q_door");
        EXPECT_EQ(world.tasks.get("task_crypt"), "main");
      }
      PlayUse(u);
    }
    EXPECT_EQ(world.tasks.get("task_tree"), "done");
    EXPECT_EQ(world.tasks.get("task_crypt"), "done");
    // The keeper's hat sends his wife to the cemetery and his key to the
    // crossroad.
    EXPECT_TRUE(InSaved("cemetery", "q_shade"));
    EXPECT_TRUE(InSaved("crossroad", "q_crypt_key"));

    // The symbol under the slab is photographed once, and the hotel's
    // picture gives way to the hollow behind it.
    Go("passage");
    ClickObject("q_symbol");
    EXPECT_EQ(Count("symbol"), 1);
    ClickObject("q_symbol");
    EXPECT_EQ(Count("symbol"), 1) << "not a second photograph while the first flies";
    EXPECT_FALSE(InSaved("hotel", "q_picture"));
    for (const char* name : {"q_stash", "q_picture2", "q_jar"}) EXPECT_TRUE(InSaved("hotel", name));
    // The fireflies light the cellar, and the symbol's slab is closed again.
    PlayUse({"basement", "q_dark", "jar_ff", {}, {}, {"q_dark"}, "basement_q_ff"});
    EXPECT_FALSE(InSaved("passage", "q_symbol"));
  });
}

TEST_F(Statics, ObjectsThatGiveWithoutAnItemGiveOnce) {
  Run(1280, 1024, false, [] {
    struct Twice {
      const char* level;
      const char* object;
      const char* gives;  // the object it adds
    };
    for (const Twice& t :
         {Twice{"kitchen", "q_pot1", "q_seeds"}, Twice{"stonehenge", "q_stone", "q_hook"},
          Twice{"crypt", "q_pot1", "q_urn"}, Twice{"library", "q_brick", "q_stairs"}}) {
      SCOPED_TRACE(t.object);
      Go(t.level);
      ClickObject(t.object);
      EXPECT_FALSE(Here(t.object)) << "it leaves once it has given";
      EXPECT_EQ(Count(t.gives), 1);
      ExpectAtItsPlace(t.gives);
    }

    // The portrait falls once; later it only shows its empty hook.
    Go("stairs");
    ClickObject("q_brother");
    EXPECT_EQ(Shown(), "stairs_q_brother");
    GameSteps(1);
    WaitForLevel();
    ClickObject("q_brother");
    EXPECT_EQ(Count("q_liquid"), 1);
    EXPECT_EQ(Count("q_com"), 1);
    EXPECT_EQ(Shown(), "stairs_q_brother2");

    // Gustav's photograph is taken once: not again while it flies to the
    // diary, nor once it is there.
    Go("crypt");
    ClickObject("q_gustav2");
    EXPECT_EQ(Count("gustav2"), 1);
    ClickObject("q_gustav2");
    EXPECT_EQ(Count("gustav2"), 1);
    for (int i = 0; i < 100 && Here("gustav2"); ++i) GameSteps(10);
    ASSERT_GE(DiaryIndexOf("gustav2"), 0);
    Go("crypt");
    ClickObject("q_gustav2");
    EXPECT_FALSE(Here("gustav2"));
    EXPECT_EQ(Shown(), "crypt_q_gustav2");
  });
}

// Every clickable quest object of the shipped levels, and every one the story
// adds, has the text its empty-cursor click shows.
TEST(StaticTexts, EveryStaticAndGhostHasItsText) {
  auto strings = std::make_unique<tlocfile>();
  ASSERT_TRUE(strings->load(kContent + "strings.cfg"));
  const auto clickable = [](const std::string& kind) {
    return kind == "static" || kind == "cstatic" || kind == "ghost";
  };
  std::vector<std::pair<std::string, std::string>> objects;
  for (const auto& entry : fs::directory_iterator(kContent + "levels")) {
    std::ifstream file(entry.path());
    int count = 0;
    file >> count;
    for (int i = 0; i < count; ++i) {
      std::string name, kind;
      float x = 0, y = 0;
      file >> name >> x >> y >> kind;
      if (clickable(kind)) objects.emplace_back(entry.path().stem().string(), name);
    }
  }
  std::ifstream added(kContent + "added_objects.txt");
  for (std::string line; std::getline(added, line);) {
    std::istringstream words(line);
    std::string level, name, kind;
    float x = 0, y = 0;
    if (line.starts_with("#") || !(words >> level >> name >> x >> y >> kind)) continue;
    if (clickable(kind)) objects.emplace_back(level, name);
  }
  EXPECT_GT(objects.size(), 40u);
  for (const auto& [level, name] : objects) {
    const std::string key = StaticMessageKey(level, name);
    EXPECT_TRUE(strings->contains(key)) << level << " " << name << ": no text " << key;
  }
}
