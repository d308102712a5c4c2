// Every hidden-object scene hides one thing of its hunt under an obstacle —
// a pot, wires, a web — that a tool lying elsewhere in the same scene clears:
// click the tool to take it, click the obstacle to use it. Clicking the
// obstacle with an empty hand says what it needs; dropping the tool anywhere
// else puts it back.
#include "story/scene_tools.h"

#include <string>
#include <string_view>

#include "engine/engine.h"
#include "engine/log.h"
#include "engine/random.h"
#include "fx/particles.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

struct SceneTool {
  const char* level;
  const char* obstacle;  // the marker in the scene and in the level
  const char* image;     // how the obstacle is drawn
  const char* hidden;    // the thing under it
  const char* tool;      // the tool's name and picture
  const char* sound;
  const char* particle;  // "" for none
  const char* message;
};

constexpr SceneTool kSceneTools[] = {
    {"hotel", "q_ipot", "lev_pot", "h_scarecrow_head", "lev_hammer", "glass", "p_pot", "hotel_q_pot"},
    {"crypt", "q_iwires", "lev_wires", "h_trowel", "lev_pliers", "cut", "p_wires", "crypt_q_wires"},
    {"crossroad", "q_iweb", "lev_web", "h_rope_ladder", "lev_duster", "whoosh", "p_web",
     "crossroad_q_web"},
    {"library", "q_isec", "lev_sec", "h_garden_pruners", "lev_key", "unlock", "", "library_q_sec"},
    {"kitchen", "q_itoad", "lev_toad", "h_knob", "lev_stick", "whoosh", "", "kitchen_q_toad"},
    {"cabinet", "q_ibox", "lev_box", "h_bone", "lev_cutter", "cut", "", "cabinet_q_box"},
    {"attic", "q_ilid", "lev_lid", "h_mining_pick", "lev_sd", "set", "", "attic_q_lid"},
    {"stonehenge", "q_ifire", "lev_fire", "h_adamant_stone", "lev_water", "cool", "p_water",
     "stonehenge_q_fire"},
};

int FindInScene(std::string_view name) {
  for (std::size_t i = 0; i < world.sceneObjects.size(); ++i)
    if (world.sceneObjects[i].name == name) return static_cast<int>(i);
  return -1;
}

bool MouseOver(std::string_view image, float cx, float cy) {
  const Texture* t = images.get(image);
  const auto w = static_cast<float>(TextureWidth(t));
  const auto h = static_cast<float>(TextureHeight(t));
  return w > 0.0f && mouse_in_rect(cx - w / 2, cy - h / 2, w, h);
}

// The obstacle breaks: it leaves the scene and the level, with its sound
// and a burst of its pieces.
void ClearObstacle(const SceneTool& row, int obstacle) {
  SceneObject& o = world.sceneObjects[static_cast<std::size_t>(obstacle)];
  sounds.play(row.sound);
  if (*row.particle != '\0') {
    for (int i = 0; i < 30; ++i)
      Emit(world.ho.fog, row.particle, true, o.x, o.y, 4.0f * (RandomFloat() - 0.5f),
           4.0f * (RandomFloat() - 0.5f), 1.0f, 3.0f, 5.0f, 0.0f, 0xFFFFFF, 0);
  }
  world.sceneObjects.remove_at(static_cast<std::size_t>(obstacle));
  const int marker = FindSceneObject(row.obstacle);
  if (marker >= 0) world.objects.remove_at(static_cast<std::size_t>(marker));
  try {
    RemoveFromSavedLevel(world.levelName, row.obstacle);
  } catch (const ObjectListError& error) {
    LogLine(std::string("SCENE: the level kept its obstacle: ") + error.what(), true);
  }
}

}  // namespace

void SceneToolScript() {
  const SceneTool* row = nullptr;
  for (const SceneTool& r : kSceneTools)
    if (world.levelName == r.level) row = &r;
  if (row == nullptr) return;
  HiddenObjectState& ho = world.ho;
  const int obstacle = FindInScene(row->obstacle);
  const int tool = FindInScene(row->tool);
  if (obstacle >= 0) {
    const SceneObject& o = world.sceneObjects[static_cast<std::size_t>(obstacle)];
    DrawList.scaled_image(row->image, 255, o.x, o.y, 0.0f, 1.0f, 1.0f);
    ho.script_blocked = FindInScene(row->hidden);
  }
  if (tool < 0) return;
  SceneObject& t = world.sceneObjects[static_cast<std::size_t>(tool)];
  const bool held = t.kind == "select";
  const bool clicked = gui_modal == -1 && fade_level == 0 && !ho.penalty && MouseClick(kMouseLeft);
  if (held) {
    ho.script_busy = true;
    DrawList.scaled_image(row->tool, 255, MouseX(), MouseY(), 0.0f, 1.0f, 1.0f);
    if (!clicked) return;
    ClearMouseState();
    if (obstacle >= 0 &&
        MouseOver(row->image, world.sceneObjects[static_cast<std::size_t>(obstacle)].x,
                  world.sceneObjects[static_cast<std::size_t>(obstacle)].y)) {
      // The tool is used up with the obstacle.
      ClearObstacle(*row, obstacle);
      const int used = FindInScene(row->tool);
      if (used >= 0) world.sceneObjects.remove_at(static_cast<std::size_t>(used));
      return;
    }
    t.kind = "tool";
    sounds.play("cancel");
    return;
  }
  DrawList.scaled_image(row->tool, 255, t.x, t.y, 0.0f, 1.0f, 1.0f);
  if (!clicked) return;
  if (MouseOver(row->tool, t.x, t.y)) {
    ho.script_busy = true;
    t.kind = "select";
    sounds.play("select");
    ClearMouseState();
  } else if (obstacle >= 0 &&
             MouseOver(row->image, world.sceneObjects[static_cast<std::size_t>(obstacle)].x,
                       world.sceneObjects[static_cast<std::size_t>(obstacle)].y)) {
    ho.script_busy = true;
    ShowSceneMessage(row->message);
    ClearMouseState();
  }
}
