// The level script. Each level's story state lives in its object list as
// marker objects ("q_dark", "q_shade"); the script plays the sequence a marker
// stands for and removes it. Its counters are not saved: a sequence cut short
// by leaving the level plays again from its marker.
#include "story/level_script.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/engine.h"
#include "engine/random.h"
#include "engine/render.h"
#include "fx/particles.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "story/quest.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

constexpr int kFadeStep = 5;
constexpr int kDarkFrames = 600;  // how long the numbers burn in the dark
constexpr float kLightStep = 0.05f;

struct LevelScriptState {
  std::string level;      // the level the counters belong to
  float light_phase = 0.0f;
  int dark = 0;           // opacity of "lev_dark"
  int dark_frames = 0;
  bool numbers_told = false;
  int shade = 0;          // opacity of "lev_shade"
  bool shade_leaving = false;
  bool heartbeat = false;
  TParticleSystem fog;
};

LevelScriptState g_script;

bool HasPicture(const char* name) { return TextureWidth(images.get(name)) > 0; }

// The level's lamps and windows, glowing at a strength that breathes and
// now and then flickers.
void Light() {
  if (!HasPicture("lev_light")) return;
  g_script.light_phase += kLightStep + (Random(20) == 1 ? 1.0f : 0.0f);
  const float strength = 50.0f + std::fabs(50.0f * std::cos(g_script.light_phase / 6.0f));
  const auto opacity = static_cast<uint8_t>(std::lround(strength));
  DrawList.sized_image("lev_light", opacity, 0.0f, 0.0f, 1024.0f, 768.0f, 0.0f, 0xFFFFFF,
                       BLEND_NORMAL, 0);
}

// The hotel, once the lamp's tap is turned: the room goes black, numbers
// burn on the wall for a while, the camera catches them, and the lamp comes
// back on with a visitor in the room.
void Darkness() {
  const int marker = FindSceneObject("q_dark");
  if (marker < 0) {
    g_script.dark = std::max(g_script.dark - kFadeStep, 0);
  } else {
    world.interactive = false;
    g_script.dark = std::min(g_script.dark + kFadeStep, 255);
    if (g_script.dark == 255) {
      if (!g_script.numbers_told) {
        ShowSceneMessage("hotel_q_num");
        g_script.numbers_told = true;
      }
      if (++g_script.dark_frames >= kDarkFrames) {
        sounds.play("camera");
        RemoveSceneObject(marker);
        AddSceneObject("numbers", "ghost_catch", 915.0f, 240.0f);
        sounds.play("gas");
        AddSceneObject("q_shade", "inactive", 0.0f, 0.0f);
        g_script.dark_frames = 0;
        g_script.numbers_told = false;
      }
    }
  }
  if (g_script.dark > 0)
    DrawList.image("lev_dark", static_cast<uint8_t>(g_script.dark), 0.0f, 0.0f);
}

// What a level's apparition leaves behind once it is gone.
void AfterApparition() {
  const std::string& level = world.levelName;
  if (level == "crossroad") {
    OpenTask("task_cemetery");
  } else if (level == "cemetery") {
    AddSceneObject("q_door", "static", 518.0f, 355.0f);
    const int crypt = FindSceneObject("q_crypt");
    if (crypt >= 0) RemoveSceneObject(crypt);
  } else if (level == "crypt") {
    CloseTask("task_cemetery");
    OpenTask("task_underground");
  }
}

void Dismiss(int marker) {
  sounds.play("shade");
  RemoveSceneObject(marker);
  g_script.shade_leaving = true;
  const std::string& level = world.levelName;
  ShowSceneMessage(level == "crypt" ? "crypt_q_love" : level + "_q_shade");
  AfterApparition();
}

// A ghost waits in the level ("q_shade"): the heart beats, she fades in,
// and a click on her lets her go in a drift of fog. Only a level with her
// picture plays her; elsewhere the marker waits, and the level stays free.
void Apparition() {
  if (!HasPicture("lev_shade")) return;
  const int marker = FindSceneObject("q_shade");
  const bool waiting =
      marker >= 0 && world.objects[static_cast<std::size_t>(marker)].kind == "inactive";
  if (waiting && !g_script.shade_leaving) {
    world.interactive = false;
    if (!g_script.heartbeat) {
      sounds.play("heartbeat");
      g_script.heartbeat = true;
    }
    g_script.shade = std::min(g_script.shade + 3, 255);
    const bool on_her = gui_modal == -1 &&
                        image_alpha_at("lev_shade", MouseX(), MouseY()) > 0 &&
                        mouse_in_rect(0.0f, 0.0f, 1024.0f, 640.0f);
    if (on_her) world.cursor = Cursor::Hand;
    if (on_her && g_script.shade > 128 && MouseClick(kMouseLeft)) {
      ClearMouseState();
      Dismiss(marker);
    }
  } else if (g_script.shade > 0) {
    g_script.shade = std::max(g_script.shade - kFadeStep, 0);
    if (g_script.shade > 0 && Random(3) == 0)
      EmitFog(g_script.fog, 200.0f + RandomFloat() * 120.0f, 250.0f + RandomFloat() * 300.0f);
  }
  if (g_script.shade == 0 && !waiting) {
    g_script.shade_leaving = false;
    g_script.heartbeat = false;
  }
  if (g_script.shade > 0)
    DrawList.image("lev_shade", static_cast<uint8_t>(g_script.shade), 0.0f, 0.0f);
  UpdateAndDraw(g_script.fog);
}

}  // namespace

void RunAreaScript() {
  if (g_script.level != world.levelName) {
    ResetLevelScripts();
    g_script.level = world.levelName;
  }
  if (IsStoryScreen(world.levelName)) return;
  Light();
  if (world.levelName == "hotel") Darkness();
  Apparition();
}

void ResetLevelScripts() {
  g_script.level.clear();
  g_script.light_phase = 0.0f;
  g_script.dark = 0;
  g_script.dark_frames = 0;
  g_script.numbers_told = false;
  g_script.shade = 0;
  g_script.shade_leaving = false;
  g_script.heartbeat = false;
  g_script.fog.count = 0;
}
