// Hints: the shared recharge, the meter over the hint buttons, the scene's
// ring of sparks round a thing still to find and the level's quest hint.
#include "world/hints.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "engine/engine.h"
#include "engine/random.h"
#include "fx/particles.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "ui/gui.h"
#include "world/hidden_object.h"
#include "world/inventory.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

constexpr int kKeyH = 0x23;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kGroupSize = 12;

// Every scene whose hunt has a thing under an obstacle points at the
// obstacle while the level still holds it: once it is cleared the thing
// lies open and the spot has nothing more to say.
struct FixedSpotRow {
  const char* level;
  HintSpot spot;
};
constexpr FixedSpotRow kFixedSpots[] = {
    {"hotel", {689.0f, 506.0f, "q_ipot"}},       {"crypt", {888.0f, 585.0f, "q_iwires"}},
    {"crossroad", {963.0f, 256.0f, "q_iweb"}},   {"library", {614.0f, 446.0f, "q_isec"}},
    {"kitchen", {452.0f, 548.0f, "q_itoad"}},    {"cabinet", {89.0f, 595.0f, "q_ibox"}},
    {"attic", {545.0f, 514.0f, "q_ilid"}},       {"stonehenge", {954.0f, 564.0f, "q_ifire"}},
};

// The veil "ghint": 160 x 80, its lowest rows shown, sitting on y 726 over
// the button's place.
constexpr float kMeterLeft = 855.0f;
constexpr float kMeterBottom = 726.0f;
constexpr float kMeterWidth = 160.0f;
constexpr float kMeterHeight = 80.0f;

// The ring: 24 points, 15 degrees apart, 100 px round the thing, six sparks
// at each.
constexpr int kRingPoints = 24;
constexpr int kSparksPerPoint = 6;
constexpr float kRingRadius = 100.0f;
constexpr float kPi = 3.14159265f;

bool IsTarget(const SceneObject& o) { return o.kind == "item" || o.kind == "key"; }

void StartRecharge() {
  world.hintRecharging = true;
  world.hintCharge = kHintFullCharge;
}

void Ring(float cx, float cy) {
  for (int i = 0; i < kRingPoints; ++i) {
    const float a = static_cast<float>(15 * i) * kPi / 180.0f;
    const float px = cx + kRingRadius * std::cos(a);
    const float py = cy + kRingRadius * std::sin(a);
    for (int j = 0; j < kSparksPerPoint; ++j) EmitSparkHint(world.hintRing, px, py);
  }
}

}  // namespace

std::optional<HintSpot> FixedHintSpot(std::string_view level) {
  for (const FixedSpotRow& row : kFixedSpots) {
    if (level != row.level) continue;
    if (level != world.levelName || FindSceneObject(row.spot.obstacle) < 0) return std::nullopt;
    return row.spot;
  }
  return std::nullopt;
}

void HintDeveloperKey() {
  if (!IsDeveloperProfile() || !KeyPress(kKeyH)) return;
  world.hintRecharging = true;
  world.hintCharge = 0.0f;
}

void HintRecharge(const char* button) {
  ielement* b = gui_get(button);
  if (b != nullptr) {
    b->graphic_color = world.hintRecharging ? kHintRechargingTint : kWhite;
    // The scene's hint cannot be asked for while recharging; the level's
    // button stays live, to tell the player to wait.
    if (std::string_view(button) == "btn_hint") b->disabled = world.hintRecharging;
  }
  if (!world.hintRecharging) return;
  world.hintCharge -= kHintChargeStep;
  // Within half a step of empty counts as empty: 8000 steps of a hundredth
  // in single precision stop just short of 0.
  if (world.hintCharge >= kHintChargeStep / 2) return;
  world.hintCharge = 0.0f;
  world.hintRecharging = false;
  if (b != nullptr) {
    const ielement& window = gui_at(b->parent);
    EmitSparkRecharge(world.hintSparks, window.x + b->x, window.y + b->y, b->w, b->h);
  }
}

void DrawHintMeter(bool in_scene) {
  // The ring belongs to the scene it was asked for in.
  if (!in_scene) world.hintRing.count = 0;
  const float rows = std::round(std::clamp(world.hintCharge, 0.0f, kMeterHeight));
  if (rows > 0.0f) {
    DrawList.image_part("ghint", SourceRect{0.0f, kMeterHeight - rows, kMeterWidth, rows},
                        kMeterLeft, kMeterBottom - rows, kMeterWidth, rows, 0.0f, 255, kWhite,
                        BLEND_NORMAL, 0);
  }
  UpdateAndDraw(world.hintRing);
  if (world.hintRing.count == 0) world.hintTarget.clear();
  UpdateAndDraw(world.hintSparks);
}

int ChooseHintTarget(int first, bool with_spot) {
  if (!GroupHasTargets(first)) return -1;
  const int count = static_cast<int>(world.sceneObjects.size());
  // Every thing still to find is as likely as the others, and so is the
  // spot where the level has one (in the first hunt only).
  std::array<int, kGroupSize + 1> fitting{};
  std::size_t n = 0;
  for (int i = first; i < first + kGroupSize && i < count; ++i)
    if (IsTarget(world.sceneObjects[static_cast<std::size_t>(i)])) fitting[n++] = i;
  if (with_spot && first == 0) fitting[n++] = kHintOnSpot;
  return fitting[static_cast<std::size_t>(Random(static_cast<int>(n)))];
}

void UseSceneHint() {
  StartRecharge();
  sounds.play("hint");
  ClearMouseState();
  const std::optional<HintSpot> spot = FixedHintSpot(world.levelName);
  const int target = ChooseHintTarget(HuntGroupStart(), spot.has_value());
  if (target == -1) return;
  if (target == kHintOnSpot) {
    world.hintTarget.assign(spot->obstacle);
    Ring(spot->x, spot->y);
    return;
  }
  const SceneObject& o = world.sceneObjects[static_cast<std::size_t>(target)];
  world.hintTarget = o.name;
  Ring(o.x, o.y);
}

void UseQuestHint() {
  const int held = HeldItemIndex();
  if (world.hintRecharging) {
    ShowSceneMessage("wait");
    ShowWindow("wnd_qhint", false);
    ReleaseHeldItem();
    ClearMouseState();
    return;
  }
  ShowWindow("wnd_qhint", true);
  world.questHintEntry = held;
  world.questHintBurst.count = 0;
  ReleaseHeldItem();
  ClearMouseState();
  if (held < 0) return;
  sounds.play("hint");
  StartRecharge();
}
