// The level script. Each level's story state lives in its object list as
// marker objects ("q_dark", "q_shade", "q_fall", "q_sharp", "q_open"); the
// script plays the sequence a marker stands for and removes it. Its counters
// are not saved: a sequence cut short by leaving the level plays again from
// its marker.
#include "story/level_script.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

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
constexpr int kFallFrames = 45;      // from the ledge to the ground
constexpr int kSharpenFrames = 240;  // the axe against the turning stone
constexpr int kWallFrames = 180;     // the panels sliding into the wall
constexpr int kFlashFrames = 24;     // one stroke of lightning
constexpr int kBasementDark = 235;   // the basement's darkness lets shapes be guessed

struct LevelScriptState {
  std::string level;      // the level the counters belong to
  float light_phase = 0.0f;
  int dark = 0;           // opacity of "lev_dark"
  int dark_frames = 0;
  bool numbers_told = false;
  int shade = 0;          // opacity of "lev_shade"
  bool shade_leaving = false;
  bool heartbeat = false;
  int fall = 0;           // frames the falling object has dropped
  int sharpen = 0;        // frames of the grindstone's turning
  int wall = 0;           // frames of the wall's sliding
  int flash = 0;          // frames left of the lightning stroke
  int next_flash = 0;     // frames until the next stroke
  int ambient = 0;        // frames since the level was entered
  TParticleSystem fog;
  TParticleSystem effects;  // sparks, pieces, flames and drops
};

LevelScriptState g_script;

bool HasPicture(const char* name) { return TextureWidth(images.get(name)) > 0; }

bool Is(std::string_view level) { return world.levelName == level; }

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

// --- Ambient particles -----------------------------------------------------------------

enum class Glow { Candle, Torch, Hearth, Point, Green, Drop };

struct Emitter {
  const char* level;
  Glow glow;
  float x, y;
};

// Where each painting has its flames, glowing points and dripping water.
constexpr Emitter kEmitters[] = {
    {"hotel", Glow::Candle, 420, 369},     {"hotel", Glow::Candle, 582, 90},
    {"hotel", Glow::Candle, 442, 90},      {"alley", Glow::Point, 620, 262},
    {"alley", Glow::Point, 105, 240},      {"bridge", Glow::Point, 230, 292},
    {"cemetery", Glow::Point, 40, 420},    {"lodge", Glow::Candle, 340, 399},
    {"crypt", Glow::Candle, 270, 441},     {"crypt", Glow::Candle, 760, 441},
    {"crypt", Glow::Torch, 300, 244},      {"crypt", Glow::Torch, 724, 244},
    {"passage", Glow::Torch, 260, 244},    {"passage", Glow::Torch, 764, 244},
    {"passage", Glow::Drop, 512, 120},     {"basement", Glow::Torch, 480, 224},
    {"basement", Glow::Drop, 700, 150},    {"library", Glow::Candle, 420, 429},
    {"stairs", Glow::Torch, 260, 234},     {"stairs", Glow::Torch, 764, 234},
    {"laboratory", Glow::Green, 505, 320}, {"hall", Glow::Torch, 340, 264},
    {"hall", Glow::Torch, 684, 264},       {"hall", Glow::Candle, 602, 37},
    {"hall", Glow::Candle, 422, 37},       {"kitchen", Glow::Hearth, 520, 440},
    {"yard", Glow::Torch, 300, 244},       {"hallway", Glow::Torch, 360, 244},
    {"hallway", Glow::Torch, 664, 244},    {"cabinet", Glow::Candle, 400, 429},
    {"forge", Glow::Hearth, 510, 430},     {"attic", Glow::Point, 512, 200},
    {"backyard", Glow::Point, 512, 115},   {"stonehenge", Glow::Point, 512, 470},
    {"hroom", Glow::Candle, 260, 451},     {"hroom", Glow::Candle, 300, 457},
    {"hroom", Glow::Torch, 300, 244},      {"hroom", Glow::Green, 765, 335},
};

float Jitter(int spread) { return static_cast<float>(Random(2 * spread + 1) - spread); }

void Flame(float x, float y, float size, float rise) {
  Emit(g_script.effects, "p_fire", true, x + Jitter(2), y, Jitter(3) / 40.0f,
       -rise - RandomFloat() * 0.3f, size, 9.0f + static_cast<float>(Random(5)), 0.0f, -0.002f,
       0xFFFFFF, BLEND_ADD);
}

void EmitAmbient(const Emitter& e) {
  const int t = g_script.ambient;
  switch (e.glow) {
    case Glow::Candle:
      if (t % 4 == 0) Flame(e.x, e.y, 0.18f, 0.35f);
      break;
    case Glow::Torch:
      if (t % 2 == 0) Flame(e.x, e.y, 0.4f, 0.7f);
      break;
    case Glow::Hearth:
      Flame(e.x + Jitter(60), e.y, 0.6f + RandomFloat() * 0.4f, 0.9f);
      break;
    case Glow::Point:
    case Glow::Green:
      if (t % 12 == 0)
        Emit(g_script.effects, "p_point", true, e.x + Jitter(6), e.y + Jitter(6),
             Jitter(5) / 50.0f, Jitter(5) / 50.0f, 0.6f + RandomFloat() * 0.5f, 3.0f, 0.0f, 0.0f,
             e.glow == Glow::Green ? 0x80FFA0 : 0xFFD080, BLEND_ADD);
      break;
    case Glow::Drop:
      if (t % 90 == 0)
        Emit(g_script.effects, "p_water", true, e.x + Jitter(40), e.y, 0.0f, 0.5f, 0.25f, 2.2f,
             0.0f, 0.0f, 0xC0D8FF, BLEND_NORMAL);
      break;
  }
}

void Ambient() {
  ++g_script.ambient;
  for (const Emitter& e : kEmitters)
    if (Is(e.level)) EmitAmbient(e);
}

// --- The hotel's darkness and the basement's --------------------------------------------

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

// The basement without light: nothing can be made out but the darkness
// itself (where the jar of fireflies goes) and the way back up. Once the
// darkness is gone the light comes up slowly.
void BasementDark() {
  const int marker = FindSceneObject("q_dark");
  if (marker >= 0) {
    world.interactive = false;
    world.allowedA = marker;
    world.allowedB = FindSceneObject("q_passage");
    g_script.dark = kBasementDark;
  } else {
    g_script.dark = std::max(g_script.dark - kFadeStep, 0);
  }
  if (g_script.dark > 0)
    DrawList.image("lev_dark", static_cast<uint8_t>(g_script.dark), 0.0f, 0.0f);
}

// --- Apparitions ---------------------------------------------------------------------------

// Where each level's ghost stands in her picture: the fog drifts from there.
struct ShadePlace {
  const char* level;
  float x, y;
};
constexpr ShadePlace kShades[] = {
    {"hotel", 250, 400},   {"crossroad", 560, 380}, {"cemetery", 700, 390},
    {"crypt", 512, 390},   {"hallway", 760, 390},
};

ShadePlace ShadeOfLevel() {
  for (const ShadePlace& s : kShades)
    if (Is(s.level)) return s;
  return {"", 512, 400};
}

// What a level's apparition leaves behind once it is gone.
void AfterApparition() {
  if (Is("crossroad")) {
    OpenTask("task_cemetery");
  } else if (Is("cemetery")) {
    AddSceneObject("q_door", "static", 518.0f, 355.0f);
    const int crypt = FindSceneObject("q_crypt");
    if (crypt >= 0) RemoveSceneObject(crypt);
  } else if (Is("crypt")) {
    CloseTask("task_cemetery");
    OpenTask("task_underground");
  }
}

void Dismiss(int marker) {
  sounds.play("shade");
  RemoveSceneObject(marker);
  g_script.shade_leaving = true;
  ShowSceneMessage(Is("crypt") ? std::string("crypt_q_love") : world.levelName + "_q_shade");
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
    const ShadePlace place = ShadeOfLevel();
    if (g_script.shade > 0 && Random(3) == 0)
      EmitFog(g_script.fog, place.x - 50.0f + RandomFloat() * 100.0f,
              place.y - 150.0f + RandomFloat() * 300.0f);
  }
  if (g_script.shade == 0 && !waiting) {
    g_script.shade_leaving = false;
    g_script.heartbeat = false;
  }
  if (g_script.shade > 0)
    DrawList.image("lev_shade", static_cast<uint8_t>(g_script.shade), 0.0f, 0.0f);
  UpdateAndDraw(g_script.fog);
}

// --- Falling objects ------------------------------------------------------------------------

struct Fall {
  const char* level;
  const char* image;   // the picture that drops
  float x0, y0;        // where it hung
  float x1, y1;        // where it lands
  float turn;          // degrees it turns on the way down
};
constexpr Fall kFalls[] = {
    {"alley", "q_pumpkin", 880, 150, 860, 590, 100},
    {"stairs", "q_com2", 850, 245, 800, 480, -80},
};

// What lies on the ground once it has fallen.
void Landed(const Fall& f) {
  sounds.play("hit");
  if (Is("alley")) {
    AddSceneObject("q_pumpkin3", "inactive", 860.0f, 590.0f);
    AddSceneObject("q_bench", "zoomin", 860.0f, 575.0f);
    // The pieces burst up and rain back down.
    for (int i = 0; i < 14 && g_script.effects.count < MAX_PARTICLES; ++i) {
      Emit(g_script.effects, "p_pump", true, f.x1 + Jitter(20), f.y1 - 10.0f, Jitter(30) / 8.0f,
           -3.0f - RandomFloat() * 3.0f, 0.5f + RandomFloat() * 0.5f, 4.0f, Jitter(10), 0.0f,
           0xFFFFFF, BLEND_NORMAL);
      g_script.effects.p[static_cast<std::size_t>(g_script.effects.count - 1)].gravity = 0.25f;
    }
  } else {
    AddSceneObject("q_com2", "inactive", f.x1, f.y1);
  }
}

// Something knocked from its place drops to the ground ("q_fall"): the
// level holds still while it falls, and what it breaks into stays there.
void Falling() {
  const int marker = FindSceneObject("q_fall");
  if (marker < 0) return;
  for (const Fall& f : kFalls) {
    if (!Is(f.level)) continue;
    world.interactive = false;
    const float k = static_cast<float>(g_script.fall) / kFallFrames;
    const float x = f.x0 + (f.x1 - f.x0) * k;
    const float y = f.y0 + (f.y1 - f.y0) * k * k;  // it gathers speed
    // The fallen picture is painted lying; it turns from hanging to lying.
    const float angle = Is("stairs") ? f.turn * (1.0f - k) : f.turn * k;
    DrawList.scaled_image(f.image, 255, x, y, angle, 1.0f, 1.0f);
    if (++g_script.fall > kFallFrames) {
      g_script.fall = 0;
      RemoveSceneObject(marker);
      Landed(f);
    }
    return;
  }
}

// --- Ghost photographs ----------------------------------------------------------------------

struct GhostPhoto {
  const char* level;
  const char* ghost;  // the ghost object
  const char* task;
  const char* photo;  // the ghost_catch object and its diary page
};
constexpr GhostPhoto kGhostPhotos[] = {
    {"bridge", "q_snakes", "task_snakes", "snakes"},
    {"lodge", "q_skeleton", "task_skeleton", "samuel"},
    {"hall", "q_face", "task_mirror", "face"},
    {"forge", "q_fire", "task_fire", "fire"},
    {"hroom", "q_gustav", "task_gustav", "gustav"},
};

// The first time the mouse finds a ghost the camera catches it, once: the
// diary, if open, is shut so the photograph can fly into it, and the ghost's
// task begins.
void GhostPhotograph() {
  // The camera waits while a sequence holds the level.
  if (gui_modal != -1 || !world.interactive) return;
  for (const GhostPhoto& g : kGhostPhotos) {
    if (!Is(g.level)) continue;
    const int ghost = FindSceneObject(g.ghost);
    if (ghost < 0 || !MouseOverObject(world.objects[static_cast<std::size_t>(ghost)])) return;
    if (DiaryIndexOf(g.photo) >= 0 || FindSceneObject(g.photo) >= 0) return;
    if (WindowVisible("wnd_diary")) {
      ShowWindow("wnd_diary", false);
      sounds.play("ui_window_close");
    }
    if (Is("hroom")) CloseTask("task_hroom");
    OpenTask(g.task);
    sounds.play("camera");
    const SceneObject& o = world.objects[static_cast<std::size_t>(ghost)];
    AddSceneObject(g.photo, "ghost_catch", o.x, o.y);
    return;
  }
}

// --- Lightning ------------------------------------------------------------------------------

// A storm over the open levels: now and then the sky flashes, a fork of
// lightning strikes and the thunder rolls.
void Lightning() {
  if (g_script.next_flash <= 0) g_script.next_flash = 200 + Random(500);
  if (g_script.flash == 0 && --g_script.next_flash == 0) {
    g_script.flash = kFlashFrames;
    sounds.play("lt1");
  }
  if (g_script.flash == 0) return;
  const int f = kFlashFrames - g_script.flash;
  const auto sky = static_cast<uint8_t>(255 * g_script.flash / kFlashFrames);
  DrawList.image("lev_cl", sky, 0.0f, 0.0f, 0xFFFFFF, BLEND_ADD);
  if (f < 5) DrawList.image("lev_ln1", 255, 0.0f, 0.0f, 0xFFFFFF, BLEND_ADD);
  if (f >= 7 && f < 12) DrawList.image("lev_ln2", 255, 0.0f, 0.0f, 0xFFFFFF, BLEND_ADD);
  --g_script.flash;
}

// --- The grindstone -------------------------------------------------------------------------

// The axe is held to the turning grindstone ("q_sharp"): sparks fly from
// the edge until it is sharp, and the sharpened axe goes to the inventory.
void Grindstone() {
  const int marker = FindSceneObject("q_sharp");
  if (marker < 0) return;
  world.interactive = false;
  const float x = 380.0f, y = 560.0f;  // the grindstone
  const float stroke = std::sin(static_cast<float>(g_script.sharpen) / 12.0f) * 12.0f;
  DrawList.scaled_image("axe", 255, x + 40.0f + stroke, y - 50.0f, -30.0f, 1.1f, 1.1f);
  if (g_script.sharpen % 2 == 0)
    Emit(g_script.effects, "p_glint", false, x + 16.0f + stroke, y - 34.0f,
         1.5f + RandomFloat() * 3.0f, -2.0f - RandomFloat() * 3.0f, 0.3f + RandomFloat() * 0.3f,
         7.0f, Jitter(10), -0.004f, 0xFFE0A0, BLEND_ADD);
  if (++g_script.sharpen >= kSharpenFrames) {
    g_script.sharpen = 0;
    RemoveSceneObject(marker);
    GiveItem("sharp_axe", "new", x, y - 40.0f);
  }
}

// --- The opening wall -----------------------------------------------------------------------

// The statuettes set right, the panelled wall ("q_mwall") and the moulding
// above it slide apart into the masonry with a grinding of gears, showing
// the bare wall behind.
void OpeningWall() {
  const int marker = FindSceneObject("q_open");
  if (marker < 0) {
    // The rail sits over the closed wall's panels.
    if (FindSceneObject("q_mwall") >= 0) DrawList.image("lev_top", 255, 0.0f, 0.0f);
    return;
  }
  world.interactive = false;
  if (g_script.wall == 0) sounds.play("gears");
  const float k = static_cast<float>(g_script.wall) / kWallFrames;
  const auto alpha = static_cast<uint8_t>(255.0f * (1.0f - k * k));
  DrawList.scaled_image("q_mwall", alpha, 512.0f, 300.0f - 200.0f * k, 0.0f, 1.0f, 1.0f);
  DrawList.image("lev_top", alpha, 0.0f, -200.0f * k);
  if (++g_script.wall >= kWallFrames) {
    g_script.wall = 0;
    RemoveSceneObject(marker);
  }
}

}  // namespace

void RunAreaScript() {
  if (g_script.level != world.levelName) {
    ResetLevelScripts();
    g_script.level = world.levelName;
  }
  if (IsStoryScreen(world.levelName)) return;
  Light();
  Ambient();
  UpdateAndDraw(g_script.effects);
  if (Is("hotel")) Darkness();
  if (Is("basement")) BasementDark();
  if (Is("gates") || Is("terrace")) Lightning();
  if (Is("alley")) Grindstone();
  if (Is("hallway")) OpeningWall();
  Falling();
  GhostPhotograph();
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
  g_script.fall = 0;
  g_script.sharpen = 0;
  g_script.wall = 0;
  g_script.flash = 0;
  g_script.next_flash = 0;
  g_script.ambient = 0;
  g_script.fog.count = 0;
  g_script.effects.count = 0;
}
