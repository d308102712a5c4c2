// The hidden-object scene's frame: the picture and its things, the story's
// script of the scene, the penalty for blind clicking, the panel with the
// list of things to find, finding and the flight to the list, and leaving.
#include "world/hidden_object.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/engine.h"
#include "engine/keys.h"
#include "engine/log.h"
#include "engine/random.h"
#include "engine/save_file.h"
#include "fx/particles.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/hints.h"
#include "world/inventory.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/task_panel.h"
#include "world/world.h"

namespace {

constexpr int kGroupSize = 12;
constexpr int kKeyS = 0x1F;
constexpr float kPanelTop = 640.0f;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kKeyLabel = 0xFFDDAA;
constexpr uint32_t kFoundLabel = 0x777777;
constexpr uint32_t kCaption = 0x7A9E75;
constexpr float kLabelScale = 0.8f;
// The list's back area: clicking the panel there leaves the scene.
constexpr float kBackLeft = 190.0f, kBackRight = 834.0f, kBackTop = 668.0f;
constexpr int kMissesForPenalty = 5;
constexpr float kMissWindow = 3.0f;  // in steps of 0.01 a tick
constexpr float kPenaltyTicks = 400.0f;
constexpr float kPenaltyDarkness = 200.0f;
constexpr float kPi = 3.14159265f;

bool IsTarget(const SceneObject& o) { return o.kind == "item" || o.kind == "key"; }

int SceneCount() { return static_cast<int>(world.sceneObjects.size()); }

// One past the group's last object: twelve on, or the end of a scene that
// holds fewer.
int GroupEnd(int first) { return std::min(first + kGroupSize, SceneCount()); }

// Where the label of the group's v-th thing sits on the panel.
void LabelCentre(int first, int v, float& x, float& y) {
  if (first == 0) {
    x = 302.0f + 140.0f * static_cast<float>(v / 3);
    y = 713.0f + 20.0f * static_cast<float>(v % 3);
  } else {
    x = 512.0f;
    y = 728.0f;
  }
}

bool UiOwnsInput() { return gui_modal != -1; }

// A finished hunt leaves the scene as it was shipped, so that another
// entrance to it starts afresh. A failed copy is logged: the scene then
// resumes as it was left, which loses nothing.
void RestoreShippedScene() {
  std::string bytes;
  std::string error;
  if (!ReadWholeFile(ShippedScenePath(world.levelName), &bytes, nullptr) ||
      !SaveFileAtomically(SceneCopyPath(world.levelName), bytes, &error))
    LogLine("SCENE: the scene of \"" + world.levelName + "\" was not reset: " + error, true);
}

// --- The steps of the scene's frame -----------------------------------------------------

void DrawScene(const std::string& key) {
  DrawList.camera(nullptr);
  DrawList.image("h_bg", 255, 0.0f, 0.0f);
  for (const SceneObject& o : world.sceneObjects) {
    if (o.kind == "item" || (o.kind == "key" && o.name == key))
      DrawList.scaled_image(o.name, 255, o.x, o.y, 0.0f, 1.0f, 1.0f);
  }
  DrawList.image("h_front", 255, 0.0f, 0.0f);
}

// Five misses bring the fog: the scene darkens for a while and nothing can
// be found until it has lifted.
void Penalty() {
  HiddenObjectState& ho = world.ho;
  if (!ho.penalty) return;
  if (ho.penalty_direction > 0.0f && Random(10) == 0) EmitFog(ho.fog, MouseX(), MouseY());
  ho.penalty_ticks += 1.0f;
  if (ho.penalty_ticks > kPenaltyTicks) ho.penalty_direction = -1.0f;
  ho.penalty_dark = std::min(ho.penalty_dark + 2.0f * ho.penalty_direction, kPenaltyDarkness);
  if (ho.penalty_dark < 0.0f) {
    ho.penalty_dark = 0.0f;
    if (ho.penalty_ticks > 0.0f) {
      ho.penalty = false;
      ho.penalty_ticks = 0.0f;
    }
  }
  DrawList.filled_rect(static_cast<uint8_t>(ho.penalty_dark), 0x000000, 0.0f, 0.0f, 1024.0f,
                       768.0f, BLEND_NORMAL);
}

void Panel() {
  TasksFrame();
  DrawList.image("gpanel", 255, 0.0f, kPanelTop);
  DrawList.text("ui_font", game_strings.get("clues"), 512.0f, 678.0f, TEXT_CENTRE | TEXT_VCENTRE,
                -1, kLabelScale, 255, kCaption);
}

void DeveloperKeys(int first) {
  if (!IsDeveloperProfile()) return;
  if (KeyPress(key::kSpace)) {
    for (int i = first; i < GroupEnd(first); ++i) {
      SceneObject& o = world.sceneObjects[static_cast<std::size_t>(i)];
      if (!IsTarget(o)) continue;
      o.kind = "click";
      o.aux = 0.0f;
      break;
    }
  }
  if (KeyDown(key::kTab)) {
    for (const SceneObject& o : world.sceneObjects) {
      if (!IsTarget(o)) continue;
      const Texture* t = images.get(o.name);
      const auto w = static_cast<float>(TextureWidth(t));
      const auto h = static_cast<float>(TextureHeight(t));
      DrawList.rect(255, kWhite, o.x - w / 2, o.y - h / 2, w, h, BLEND_NORMAL);
    }
  }
  if (KeyPress(kKeyS)) FinishGroup(first);
}

void List(int first, const std::string& key) {
  if (first == 0) {
    for (int v = 0; v < kGroupSize && v < SceneCount(); ++v) {
      const SceneObject& o = world.sceneObjects[static_cast<std::size_t>(v)];
      float x = 0.0f, y = 0.0f;
      LabelCentre(first, v, x, y);
      if (o.kind == "click" || o.kind == "new") DrawList.scaled_image("ihl", 255, x, y, 0, 1, 1);
      const uint32_t colour = o.kind == "inactive" ? kFoundLabel
                              : o.name == key      ? kKeyLabel
                                                   : kWhite;
      DrawList.text("ui_font", game_strings.get(o.name), x, y, TEXT_CENTRE | TEXT_VCENTRE, -1,
                    kLabelScale, 255, colour);
    }
    return;
  }
  int found = 0;
  for (int i = first; i < GroupEnd(first); ++i)
    found += world.sceneObjects[static_cast<std::size_t>(i)].kind == "inactive" ? 1 : 0;
  const std::string line = game_strings.get("ho_" + std::string(ShortName(world.sceneEntry))) +
                           " (" + std::to_string(found) + "/12)";
  DrawList.text("ui_font", line, 512.0f, 728.0f, TEXT_CENTRE | TEXT_VCENTRE, -1, kLabelScale, 255,
                kKeyLabel);
}

// A found thing pulses where it lay, then flies to its label and lands.
void Animate(int first) {
  if (UiOwnsInput()) {
    // Held still under a window, but still in sight.
    for (const SceneObject& o : world.sceneObjects)
      if (o.kind == "click" || o.kind == "new")
        DrawList.scaled_image(o.name, 255, o.x, o.y, o.angle, 1.0f, 1.0f);
    return;
  }
  for (int i = 0; i < SceneCount(); ++i) {
    SceneObject& o = world.sceneObjects[static_cast<std::size_t>(i)];
    UpdateAndDraw(o.particles);
    if (o.kind == "click") {
      o.aux += 0.1f;
      const float scale = 1.0f + std::sin(o.aux) / 5.0f;
      DrawList.scaled_image(o.name, 255, o.x, o.y, 0.0f, scale, scale);
      EmitSparkFound(o.particles, o.x, o.y);
      if (o.aux > 9.0f) {
        o.aux = 0.0f;
        o.flight_distance = 0.0f;
        o.kind = "new";
        sounds.play("whoosh");
      }
    } else if (o.kind == "new") {
      const int v = i - first;
      if (v >= 0 && v < kGroupSize) LabelCentre(first, v, o.label_x, o.label_y);
      const float dx = o.label_x - o.x, dy = o.label_y - o.y;
      const float d = std::hypot(dx, dy);
      if (o.flight_distance <= 0.0f) o.flight_distance = std::max(d, 1.0f);
      if (d < 5.0f) {
        o.kind = "inactive";
        sounds.play("landing");
        continue;
      }
      const float k = 0.1f + std::fabs(std::cos(kPi / 2 + kPi * d / o.flight_distance));
      const float step = std::min(10.0f * k, d);
      o.angle += (o.x <= o.label_x ? 10.0f : -10.0f) * k;
      o.x += dx / d * step;
      o.y += dy / d * step;
      EmitSparkTrail(o.particles, o.x, o.y);
      DrawList.scaled_image(o.name, 255, o.x, o.y, o.angle, 1.0f, 1.0f);
    }
  }
}

bool MouseOnPixel(const SceneObject& o) {
  const Texture* t = images.get(o.name);
  const auto w = static_cast<float>(TextureWidth(t));
  const auto h = static_cast<float>(TextureHeight(t));
  if (w <= 0.0f || !mouse_in_rect(o.x - w / 2, o.y - h / 2, w, h)) return false;
  return image_alpha_at(o.name, MouseX() - (o.x - w / 2), MouseY() - (o.y - h / 2)) > 0;
}

bool ClicksCount() { return fade_level == 0 && !world.editMode && !UiOwnsInput(); }

// A click on a thing of the hunt finds it. True when one was found.
bool Find(int first) {
  HiddenObjectState& ho = world.ho;
  if (!ClicksCount() || ho.script_busy || ho.penalty || !MouseClick(kMouseLeft)) return false;
  for (int i = first; i < GroupEnd(first); ++i) {
    SceneObject& o = world.sceneObjects[static_cast<std::size_t>(i)];
    if (i == ho.script_blocked || !IsTarget(o) || !MouseOnPixel(o)) continue;
    sounds.play("item" + std::to_string(Random(3)));
    sounds.play("get");
    o.kind = "click";
    o.aux = 0.0f;
    ho.misses = 0;
    return true;
  }
  return false;
}

// Clicking the list's panel goes back to the level.
bool Back() {
  if (!ClicksCount()) return false;
  if (!mouse_in_rect(kBackLeft, kBackTop, kBackRight - kBackLeft, 768.0f - kBackTop)) return false;
  world.cursor = Cursor::WalkBack;
  if (!MouseClick(kMouseLeft)) return false;
  ClearMouseState();
  LeaveHiddenObjectScene(false);
  return true;
}

// Blind clicking: five misses at different places within three seconds.
void Misses() {
  HiddenObjectState& ho = world.ho;
  if (ho.script_busy || !ClicksCount() || ho.penalty) return;
  if (ho.misses > 0) ho.miss_timer += 0.01f;
  if (MouseClick(kMouseLeft) && mouse_in_rect(-1.0f, -1.0f, 1025.0f, kPanelTop + 1.0f) &&
      ho.miss_timer < kMissWindow) {
    sounds.play("miss");
    const int x = static_cast<int>(MouseX()), y = static_cast<int>(MouseY());
    if (x != ho.miss_x || y != ho.miss_y) ++ho.misses;
    ho.miss_x = x;
    ho.miss_y = y;
  }
  if (ho.miss_timer >= kMissWindow) {
    ho.misses = 0;
    ho.miss_timer = 0.0f;
  }
  if (ho.misses >= kMissesForPenalty) {
    ShowSceneMessage("penalty");
    sounds.play("penalty");
    ho.penalty = true;
    ho.penalty_dark = 0.0f;
    ho.penalty_ticks = 0.0f;
    ho.penalty_direction = 1.0f;
    ho.misses = 0;
    ho.miss_timer = 0.0f;
  }
}

}  // namespace

int HuntGroupStart() {
  const std::string key = HuntKeyName();
  for (int i = 0; i < SceneCount(); ++i)
    if (world.sceneObjects[static_cast<std::size_t>(i)].name == key) return i < kGroupSize ? 0 : kGroupSize;
  return 0;
}

std::string HuntKeyName() { return "h_" + std::string(ShortName(world.sceneEntry)); }

void FinishGroup(int first) {
  for (int i = first; i < GroupEnd(first); ++i)
    world.sceneObjects[static_cast<std::size_t>(i)].kind = "inactive";
}

bool GroupFinished(int first) {
  if (first >= SceneCount()) return false;
  for (int i = first; i < GroupEnd(first); ++i)
    if (world.sceneObjects[static_cast<std::size_t>(i)].kind != "inactive") return false;
  return true;
}

bool GroupHasTargets(int first) {
  for (int i = first; i < GroupEnd(first); ++i)
    if (IsTarget(world.sceneObjects[static_cast<std::size_t>(i)])) return true;
  return false;
}

void LeaveHiddenObjectScene(bool finished) {
  const std::string entrance = world.sceneEntry;
  if (finished) {
    // The next visit through another entrance starts the scene afresh.
    RestoreShippedScene();
  } else {
    WriteSceneObjects(false);
  }
  LoadLevel(false);
  fade_level = 255;
  ShowWindow("wnd_game", true);
  ShowWindow("wnd_ho", false);
  if (!finished) return;
  sounds.play("ho_end");
  const int index = FindSceneObject(entrance);
  float x = 512.0f, y = 384.0f;
  if (index >= 0) {
    x = world.objects[static_cast<std::size_t>(index)].x;
    y = world.objects[static_cast<std::size_t>(index)].y;
    RemoveSceneObject(index);
  }
  GiveItem(ShortName(entrance), "new", x, y);
  world.rewardSubject = std::string(ShortName(entrance));
  ShowWindow("wnd_popup", true);
}

void HiddenObjectFrame() {
  if (world.levelName.empty()) return;
  HintDeveloperKey();
  HintRecharge("btn_hint");
  const int first = HuntGroupStart();
  const std::string key = HuntKeyName();
  DrawScene(key);
  RunSceneScript();
  Penalty();
  UpdateAndDraw(world.ho.fog);
  Panel();
  DeveloperKeys(first);
  List(first, key);
  Animate(first);
  if (GroupFinished(first)) {
    LeaveHiddenObjectScene(true);
  } else if (!Back() && !Find(first)) {
    Misses();
  }
  world.ho.script_busy = false;
  world.ho.script_blocked = -1;
}
