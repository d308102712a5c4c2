// What each puzzle hands out when it is solved or skipped: the sound, the
// items (flying from the puzzle object), the objects it adds to or takes from
// its level and others, and the tasks. Objects added to a level stand at the
// places of content/added_objects.txt; the ghost symbols appear where the
// puzzle object stood.
#include <string>

#include "puzzles/puzzle.h"
#include "res/sounds.h"
#include "story/quest.h"
#include "world/inventory.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

void Give(std::string_view item, float x, float y) { GiveItem(item, "new", x, y); }

void Remove(std::string_view name) {
  if (const int index = FindSceneObject(name); index >= 0) RemoveSceneObject(index);
}

// The end of the story: the terminal's object leaves its room before the
// room is saved and the outro is loaded in its place.
void StartClosingSequence(std::string_view puzzle) {
  CloseTask("task_gustav");
  Remove(puzzle);
  ChangeLevel("outro", LeaveLevel::Save);
  world.levelFade = 255;
}

}  // namespace

bool HandOutReward(std::string_view name, float x, float y) {
  if (name == "q_case") {
    sounds.play("unlock");
    AddSceneObject("q_case2", "inactive", 300, 575);
    AddSceneObject("q_axe", "item", 400, 600);
  } else if (name == "q_boat") {
    sounds.play("unlock");
    Give("fish", x, y);
    Give("chand2", x, y);
    AddSceneObject("q_bopen", "inactive", 720, 470);
  } else if (name == "q_clocks") {
    sounds.play("stone");
    Give("ankh", x, y);
    AddSceneObject("q_topen", "inactive", 560, 585);
  } else if (name == "q_code") {
    sounds.play("unlock");
    AddSceneObject("q_case2", "inactive", 770, 450);
    AddSceneObject("q_letter", "zoomin", 770, 450);
  } else if (name == "q_moon") {
    Give("charged_cube", x, y);
    Remove("q_cub");
  } else if (name == "q_cpanel") {
    sounds.play("engine");
    sounds.play("metal");
    ShowSceneMessage("basement_q_statuette");
    AddSceneObject("q_engine", "inactive", 640, 570);
    AddSceneObject("q_lb", "inactive", 930, 300);
    AddSceneObject("q_chisel", "item", 560, 600);
    CloseTask("task_underground");
    OpenTask("task_castle");
  } else if (name == "q_ropes") {
    Give("sugar", x, y);
  } else if (name == "q_skull") {
    Give("silver_skull_amulet", x, y);
  } else if (name == "q_cube") {
    AddSceneObject("q_rs", "inactive", 300, 560);
    sounds.play("camera");
    AddSceneObject("csymbol_red", "ghost_catch", x, y);
  } else if (name == "q_spyglass") {
    sounds.play("camera");
    AddSceneObject("csymbol_green", "ghost_catch", x, y);
  } else if (name == "q_casket") {
    sounds.play("unlock");
    Give("coal_holder", x, y);
    AddSceneObject("q_cas2", "inactive", 514, 460);
  } else if (name == "q_terminal") {
    StartClosingSequence(name);
    return false;
  } else if (name == "q_liquid") {
    Give("scroll_of_dispel", x, y);
    if (const int index = FindSceneObject(name); index >= 0)
      world.objects[static_cast<std::size_t>(index)].kind = "inactive";
    return false;
  } else if (name == "q_bugs") {
    sounds.play("unlock");
    Give("right_face_half", x, y);
  } else if (name == "q_picture") {
    sounds.play("whoosh");
    Give("punched_card", x, y);
  } else if (name == "q_statuettes") {
    sounds.play("mech");
    AddSceneObject("q_wall", "zoomin", 512, 300);
    AddSceneObject("q_open", "inactive", 0, 0);
    AddSceneObject("q_spell", "static", 745, 280);
    Remove("q_mwall");
  } else if (name == "q_mball") {
    Give("energy_crystal", x, y);
  }
  return true;
}
