// The static-object script: the answers of the level objects that are
// clicked rather than opened — their messages, the items they take and what
// that changes here and in other levels. Each level's rules branch on the
// object's name, as the close-ups do; a level's story state is read from its
// object list (what has been added or taken away), so nothing here is saved.
// Uses the quest operations (story/quest.h), the inventory and the message
// (world/inventory.h) and the level objects (world/scene.h, object_list.h).
#include "story/statics.h"

#include <string>

#include "engine/engine.h"
#include "engine/log.h"
#include "engine/random.h"
#include "engine/render.h"
#include "fx/particles.h"
#include "res/sounds.h"
#include "story/quest.h"
#include "world/inventory.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

// What the effects leave floating over the level, and the level they belong
// to: a walk to another level lets them go.
struct StaticEffects {
  std::string level;
  TParticleSystem particles;
};
StaticEffects g_effects;

float Drift(float speed) { return Random(2) == 0 ? speed : -speed; }
float Between(float lo, float hi) { return lo + RandomFloat() * (hi - lo); }

// Golden stars rising round a place: something magic happened there.
void Stars(float x, float y) {
  for (int i = 0; i < 40; ++i)
    Emit(g_effects.particles, "p_star", false, x + Between(-60.0f, 60.0f),
         y + Between(-50.0f, 50.0f), Drift(Between(0.2f, 1.2f)), -Between(0.3f, 1.5f),
         Between(0.3f, 0.9f), Between(1.5f, 3.5f), Drift(2.0f), 0.01f, 0xFFD070, BLEND_ADD);
}

// Chips flying from where the axe bit.
void Chips(float x, float y) {
  for (int i = 0; i < 40; ++i)
    Emit(g_effects.particles, "p_wood", true, x + Between(-20.0f, 20.0f),
         y + Between(-15.0f, 15.0f), Drift(Between(0.3f, 2.5f)), -Between(0.5f, 2.5f),
         Between(0.5f, 1.1f), Between(2.0f, 4.0f), Drift(3.0f), 0.0f, 0xFFFFFF, BLEND_NORMAL);
}

// Flames leaping up from a place, bright over whatever burns there already.
void Flames(float x, float y) {
  for (int i = 0; i < 60; ++i)
    Emit(g_effects.particles, "p_fire", true, x + Between(-40.0f, 40.0f),
         y + Between(-10.0f, 30.0f), Drift(Between(0.0f, 0.6f)), -Between(1.0f, 3.0f),
         Between(0.8f, 1.6f), Between(2.5f, 4.5f), 0.0f, 0.01f, 0xFFD080, BLEND_ADD);
}

bool Has(std::string_view name) { return FindSceneObject(name) >= 0; }

// Puts an object into the current level unless it is there already, so that
// no click can add a second one.
void Add(std::string_view name, std::string_view kind, float x, float y) {
  if (!Has(name)) AddSceneObject(name, kind, x, y);
}

void Remove(std::string_view name) {
  const int index = FindSceneObject(name);
  if (index >= 0) RemoveSceneObject(index);
}

// Takes an object out of the player's copy of a level that is not loaded; a
// damaged copy is logged and left as it was.
void RemoveElsewhere(std::string_view level, std::string_view name) {
  try {
    RemoveFromSavedLevel(level, name);
  } catch (const ObjectListError& error) {
    LogLine("QUEST: \"" + std::string(name) + "\" not taken out of \"" + std::string(level) +
                "\": " + error.what(),
            true);
  }
}

// One click on a quest object: what was clicked and what the mouse held.
// Names are copies, since the effects may remove the object itself.
struct Click {
  std::string level, name, kind;
  float x = 0.0f, y = 0.0f;
  int held = -1;
  std::string item;

  bool Empty() const { return held < 0; }
  bool Is(std::string_view object) const { return name == object; }
  bool Holds(std::string_view what) const { return held >= 0 && item == what; }
  // Takes the held item when it is the one wanted.
  bool Uses(std::string_view wanted) {
    if (!Holds(wanted)) return false;
    TakeHeldItem(held);
    held = -1;
    return true;
  }
  // The item is close to what is needed but not it: it goes back to the strip
  // with a word on what is missing.
  void Hint(std::string_view message) const {
    ReleaseHeldItem();
    ShowSceneMessage(message);
  }
  void Say() const { ShowSceneMessage(StaticMessageKey(level, name)); }
  void Give(std::string_view what) const { GiveItem(what, "new", x, y); }
};

// A photograph of Gustav on a wall ("q_gustav2" ... "q_gustav7"): the camera
// catches him once, and the picture flies into the diary as "gustav2"...
bool GustavPhotograph(Click& c) {
  if (!c.Empty()) return true;
  const std::string page(ShortName(c.name));
  // Not while his picture is still on its way to the diary either.
  if (DiaryIndexOf(page) < 0 && !Has(page)) {
    sounds.play("camera");
    Add(page, "ghost_catch", c.x, c.y);
  } else {
    c.Say();
  }
  return true;
}

// --- The levels ---------------------------------------------------------------------------
// Each answers true when it dealt with the click; otherwise an empty cursor
// gets the object's message and an item nothing.

bool Hotel(Click& c) {
  if (c.Is("q_news") && c.Empty()) {
    if (DiaryIndexOf("news") < 0)
      CollectDocument("news");
    else
      c.Say();
    return true;
  }
  return false;
}

bool Alley(Click& c) {
  if (c.Is("q_gr")) {
    if (!Has("q_grhandle")) {
      if (c.Uses("ghandle")) {
        sounds.play("set");
        Add("q_grhandle", "inactive", 380, 560);
        return true;
      }
      if (c.Holds("axe")) {
        c.Hint("alley_q_gr2");
        return true;
      }
    } else if (c.Empty()) {
      ShowSceneMessage("alley_q_gr3");  // no longer missing its handle
      return true;
    } else if (!Has("q_sharp") && c.Uses("axe")) {
      // The level script turns the stone and hands out the sharp axe.
      CloseTask("task_house");
      sounds.play("stone");
      Add("q_sharp", "inactive", 0, 0);
      return true;
    }
  } else if (c.Is("q_pumpkin")) {
    if (c.Uses("wooden_stick")) {
      sounds.play("whoosh");
      Remove("q_pumpkin");
      Add("q_fall", "inactive", 0, 0);  // the level script lets it drop
      return true;
    }
  } else if (c.Is("q_tree")) {
    if (c.Empty()) {
      OpenTask("task_tree");
      c.Say();
    } else if (c.Holds("axe")) {
      c.Hint("alley_q_tree2");
    } else if (c.Uses("sharp_axe")) {
      CloseTask("task_tree");
      sounds.play("axe");
      Chips(c.x, c.y);
      ShowSceneMessage("alley_q_path");
      // The tree cut in two takes the fallen tree's place.
      Remove("q_tree");
      Add("q_path", "inactive", 512, 555);
      Add("q_bridge", "area", 512, 400);
    }
    return true;
  }
  return false;
}

bool Bridge(Click& c) {
  if (c.Is("q_snakes")) {
    if (c.Uses("page")) {
      CloseTask("task_snakes");
      sounds.play("stone");
      sounds.play("magic");
      Stars(c.x, c.y);
      ShowSceneMessage("bridge_q_path");
      // The snakes melt into the mist: they no longer lie over the way on.
      Remove("q_snakes");
      Add("q_path", "inactive", 560, 330);
      Add("q_crossroad", "area", 560, 330);
      return true;
    }
  } else if (c.Is("q_scare")) {
    if (c.Empty()) {
      if (Has("q_wooden_stick"))
        ShowSceneMessage("bridge_q_stick");
      else
        c.Say();
      return true;
    }
    if (!Has("q_shead") && c.Uses("scarecrow_head")) {
      sounds.play("set");
      sounds.play("crows");
      Add("q_fly", "inactive", 0, 0);  // the crows fly off
      Add("q_shead", "inactive", 925, 540);
      return true;
    }
  }
  return false;
}

bool Crossroad(Click& c) {
  if (c.Is("q_heap") && !Has("q_box") && c.Uses("trowel")) {
    sounds.play("dig");
    Add("q_box", "zoomin", 650, 570);
    return true;
  }
  return false;
}

bool Gates(Click& c) {
  if (c.Is("q_hat") && c.Uses("rope_ladder")) {
    // Up the ladder, and the hat comes down with the player.
    sounds.play("trap");
    Add("q_ladder", "inactive", 540, 190);
    c.Give("hat");
    Remove("q_hat");
    return true;
  }
  if (c.Is("q_ff") && c.Uses("jar")) {
    sounds.play("trap");
    ShowSceneMessage("gates_q_ff2");
    c.Give("jar_ff");
    return true;
  }
  return false;
}

bool Cemetery(Click& c) {
  if (!c.Is("q_door")) return false;
  if (c.Empty()) {
    OpenTask("task_crypt");
    c.Say();
  } else if (c.Uses("crypt_key")) {
    CloseTask("task_crypt");
    sounds.play("unlock");
    // The door swings open onto the way down, which it covered.
    Remove("q_door");
    Add("q_crypt", "area", 518, 350);
  }
  return true;
}

bool Lodge(Click& c) {
  if (c.Is("q_skeleton") && !Has("q_s1") && c.Uses("hat")) {
    CloseTask("task_skeleton");
    Add("q_s1", "inactive", 590, 440);
    Add("q_s2", "inactive", 480, 400);
    // His wife waits at the cemetery, and his key lies at the crossroad.
    EnsureInLevel("cemetery", "q_shade", "inactive", 0, 0);
    EnsureInLevel("crossroad", "q_crypt_key", "item", 320, 600);
    c.Give("crowbar");
    c.Give("wedding_ring");
    sounds.play("magic");
    Stars(c.x, c.y);
    return true;
  }
  return false;
}

bool Crypt(Click& c) {
  if (c.Is("q_dress")) {
    if (!Has("q_dress1") && !Has("q_woman") && c.Uses("crowbar")) {
      sounds.play("metal");
      sounds.play("stone");
      c.Give("crowbar2");
      Add("q_dress1", "inactive", 512, 330);
      Add("q_woman", "zoomin", 512, 250);
      ShowSceneMessage("crypt_q_dress2");
      return true;
    }
  } else if (c.Is("q_pot1") && c.Empty()) {
    sounds.play("stone");
    Remove("q_pot1");
    Add("q_urn", "zoomin", 690, 440);
    return true;
  }
  return false;
}

bool Passage(Click& c) {
  if (c.Is("q_stone")) {
    if (!Has("q_stone2") && c.Uses("crowbar2")) {
      sounds.play("metal");
      sounds.play("stone");
      // The slab pried aside takes its place and bares the symbol beneath,
      // which lies where the slab did.
      Remove("q_stone");
      Add("q_stone2", "inactive", 440, 540);
      Add("q_saw", "item", 560, 600);
      Add("q_symbol", "static", 440, 540);
      return true;
    }
  } else if (c.Is("q_symbol") && c.Empty()) {
    if (DiaryIndexOf("symbol") < 0 && !Has("symbol")) {
      sounds.play("camera");
      Add("symbol", "ghost_catch", c.x, c.y);
      // The same symbol is on the hotel's picture: behind it now lies a
      // hollow with a jar.
      RemoveElsewhere("hotel", "q_picture");
      EnsureInLevel("hotel", "q_stash", "inactive", 110, 390);
      EnsureInLevel("hotel", "q_picture2", "static", 130, 560);
      EnsureInLevel("hotel", "q_jar", "item", 620, 385);
    }
    c.Say();
    return true;
  }
  return false;
}

bool Basement(Click& c) {
  if (c.Is("q_dark") && c.Uses("jar_ff")) {
    Remove("q_dark");
    RemoveElsewhere("passage", "q_symbol");
    sounds.play("set");
    sounds.play("magic");
    ShowSceneMessage("basement_q_ff");
    return true;
  }
  return false;
}

bool Library(Click& c) {
  if (c.Is("q_brick") && c.Empty()) {
    Remove("q_brick");
    Add("q_door", "inactive", 660, 390);
    Add("q_stairs", "area", 660, 390);
    sounds.play("unlock");
    sounds.play("drop");
    c.Say();
    return true;
  }
  return false;
}

bool Stairs(Click& c) {
  if (!c.Is("q_brother") || !c.Empty()) return false;
  // The portrait falls once: its flasks stay behind as a puzzle, solved or
  // not, and the portrait has nothing more to give.
  if (Has("q_liquid")) {
    ShowSceneMessage("stairs_q_brother2");
    return true;
  }
  sounds.play("drop");
  c.Say();
  Add("q_com", "inactive", 850, 245);
  Add("q_fall", "inactive", 0, 0);
  Add("q_liquid", "puzzle", 680, 560);
  return true;
}

bool Hall(Click& c) {
  if (c.Is("q_face") && !Has("q_bs") && c.Uses("sponge")) {
    CloseTask("task_mirror");
    sounds.play("camera");
    Add("csymbol_blue", "ghost_catch", c.x, c.y);
    Add("q_bs", "inactive", 258, 340);
    sounds.play("magic");
    Stars(c.x, c.y);
    ShowSceneMessage("hall_q_face2");
    return true;
  }
  return false;
}

bool Kitchen(Click& c) {
  if (c.Is("q_pot1") && c.Empty()) {
    sounds.play("drop");
    Remove("q_pot1");
    Add("q_seeds", "item", 600, 470);
    c.Say();
    return true;
  }
  return false;
}

bool Hallway(Click& c) {
  if (c.Is("q_spell") && c.Empty()) {
    c.Say();
    sounds.play("camera");
    return true;
  }
  return false;
}

bool Forge(Click& c) {
  if (c.Is("q_fire") && c.Uses("coal")) {
    c.Give("sphere_of_knowledge");
    Flames(c.x, c.y);
    CloseTask("task_fire");
    sounds.play("magic");
    return true;
  }
  return false;
}

bool Stonehenge(Click& c) {
  if (c.Is("q_stone") && c.Empty()) {
    sounds.play("dig");
    Remove("q_stone");
    Add("q_st2", "inactive", 690, 470);
    Add("q_hook", "item", 700, 580);
    c.Say();
    return true;
  }
  return false;
}

bool Hroom(Click& c) {
  if (c.Is("q_shade") && c.Uses("scroll_of_dispel")) {
    sounds.play("magic");
    Stars(c.x, c.y);
    c.Give("second_piece_of_picture");
    Remove("q_shade");  // dispelled
    return true;
  }
  return false;
}

struct LevelRules {
  const char* level;
  bool (*act)(Click& c);
};

constexpr LevelRules kLevels[] = {
    {"hotel", Hotel},         {"alley", Alley},           {"bridge", Bridge},
    {"crossroad", Crossroad}, {"gates", Gates},           {"cemetery", Cemetery},
    {"lodge", Lodge},         {"crypt", Crypt},           {"passage", Passage},
    {"basement", Basement},   {"library", Library},       {"stairs", Stairs},
    {"hall", Hall},           {"kitchen", Kitchen},       {"hallway", Hallway},
    {"forge", Forge},         {"stonehenge", Stonehenge}, {"hroom", Hroom},
};

bool IsGustavPhotograph(std::string_view name) {
  return name.size() > 8 && name.starts_with("q_gustav");
}

}  // namespace

std::string StaticMessageKey(std::string_view level, std::string_view object) {
  // Two ghosts' first words are taken by what is said once they are gone.
  if (level == "bridge" && object == "q_snakes") return "bridge_q_snakes2";
  if (level == "lodge" && object == "q_skeleton") return "lodge_q_skeleton2";
  return std::string(level) + "_" + std::string(object);
}

void StaticObjectClick(int index) {
  if (index < 0 || index >= static_cast<int>(world.objects.size())) return;
  const SceneObject& o = world.objects[static_cast<std::size_t>(index)];
  Click c;
  c.level = world.levelName;
  c.name = o.name;
  c.kind = o.kind;
  c.x = o.x;
  c.y = o.y;
  c.held = HeldItemIndex();
  if (c.held >= 0) c.item = world.inventory[static_cast<std::size_t>(c.held)].name;
  // The object takes the click whatever happens: a wrong item stays at the
  // mouse, it is not let go as a wrong use.
  ClearMouseState();

  if (IsGustavPhotograph(c.name) && GustavPhotograph(c)) return;
  for (const LevelRules& rules : kLevels)
    if (c.level == rules.level && rules.act(c)) return;
  if (!c.Empty()) return;
  if (c.kind == "ghost") sounds.play("ghost");
  c.Say();
}

void StaticEffectsFrame() {
  if (g_effects.level != world.levelName) {
    g_effects.level = world.levelName;
    g_effects.particles.count = 0;
  }
  UpdateAndDraw(g_effects.particles);
}

void ResetStaticEffects() {
  g_effects.level.clear();
  g_effects.particles.count = 0;
}
