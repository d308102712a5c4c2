// The stairs: behind the fallen portrait, an alchemist's stand with three
// graduated flasks. The stand hangs askew until the big screw holds its
// bracket; then the red tincture is poured from flask to flask until the big
// and the middle flask hold four measures each, and the scroll of dispel
// rises out of it. Only the measures and the screw are kept: a lifted flask
// is put down when the puzzle closes.
#include "puzzles/liquid.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "puzzles/puzzle.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "world/inventory.h"

Flasks Flasks::FromSaved(int big, int mid) {
  Flasks f;
  const int small = kTotal - big - mid;
  if (big < 0 || big > kSize[0] || mid < 0 || mid > kSize[1] || small < 0 || small > kSize[2])
    return f;
  f.measures = {big, mid, small};
  return f;
}

bool Flasks::CanPour(int from, int to) const {
  if (from == to || from < 0 || from > 2 || to < 0 || to > 2) return false;
  const auto f = static_cast<std::size_t>(from);
  const auto t = static_cast<std::size_t>(to);
  return measures[f] > 0 && measures[t] < kSize[t];
}

void Flasks::Pour(int from, int to) {
  if (!CanPour(from, to)) return;
  const auto f = static_cast<std::size_t>(from);
  const auto t = static_cast<std::size_t>(to);
  const int amount = std::min(measures[f], kSize[t] - measures[t]);
  measures[f] -= amount;
  measures[t] += amount;
}

namespace {

constexpr float kUnit = 28.0f;         // pixels a measure, as the glass is marked
constexpr float kGlassFoot = 10.0f;    // the glass under the liquid
constexpr float kNeck = 50.0f;         // the glass above the top mark
constexpr float kShelfBase = 400.0f;   // where the flasks stand on the fixed stand
constexpr float kFloorBase = 482.0f;   // ... and on the floor of the niche before it
constexpr float kLift = 26.0f;
constexpr float kFlowStep = 0.08f;     // measures a frame while the tincture runs
constexpr std::array<float, 3> kFlaskX{195.0f, 380.0f, 555.0f};
constexpr std::array<float, 3> kInnerW{96.0f, 84.0f, 72.0f};
constexpr uint32_t kTincture = 0xA3173F;

// What this opening shows: the lifted flask and the levels the liquid is at,
// following the board a little every frame.
struct FlaskStand {
  int lifted = -1;
  std::array<float, 3> shown{};
};

FlaskStand g_stand;

float GlassW(int i) { return kInnerW[static_cast<std::size_t>(i)] + 24.0f; }
float GlassH(int i) {
  return static_cast<float>(Flasks::kSize[static_cast<std::size_t>(i)]) * kUnit + kGlassFoot + kNeck;
}

}  // namespace

void LiquidPuzzle(Puzzle& p) {
  Flasks board = Flasks::FromSaved(p.Number("big", 0, Flasks::kTotal, -1),
                                   p.Number("mid", 0, Flasks::kTotal, -1));
  bool bolt = p.Flag("t_bolt");
  if (p.JustOpened()) {
    g_stand.lifted = -1;
    for (std::size_t i = 0; i < 3; ++i) g_stand.shown[i] = static_cast<float>(board.measures[i]);
  }
  if (!bolt) {
    p.Lock();
    if (p.Clicked(0.0f, 0.0f, p.W(), p.H())) {
      const std::string held = Puzzle::HeldItem();
      if (held.empty()) ShowSceneMessage("stairs_q_liquid");
      if (held == "big_screw") {
        bolt = true;
        Puzzle::TakeHeld();
        sounds.play("screw");
      }
    }
  }

  // The stand: level on its screw, or hanging from its right bracket.
  if (bolt) {
    p.DrawCentred("p_lq_stand", 375.0f, kShelfBase + 40.0f, 0.0f);
    p.DrawCentred("p_lq_screw", 125.0f, kShelfBase + 52.0f, 0.0f);
  } else {
    p.DrawCentred("p_lq_stand", 385.0f, kShelfBase + 22.0f, -6.0f);
  }
  const float base = bolt ? kShelfBase : kFloorBase;
  const bool playable = bolt && !p.Done() && Puzzle::HeldItem().empty();
  for (int i = 0; i < 3; ++i) {
    const auto k = static_cast<std::size_t>(i);
    float& level = g_stand.shown[k];
    const auto target = static_cast<float>(board.measures[k]);
    level = level < target ? std::min(target, level + kFlowStep) : std::max(target, level - kFlowStep);
    const float w = GlassW(i);
    const float h = GlassH(i);
    const float left = kFlaskX[k] - w / 2.0f;
    const float top = base - h - (g_stand.lifted == i ? kLift : 0.0f);
    const float bottom = top + h - kGlassFoot;
    DrawList.filled_rect(p.Done() ? 255 : 220, p.Done() ? 0xE0405A : kTincture,
                         p.X() + kFlaskX[k] - kInnerW[k] / 2.0f, p.Y() + bottom - level * kUnit,
                         kInnerW[k], level * kUnit, BLEND_NORMAL);
    p.Draw("p_lq_flask" + std::to_string(Flasks::kSize[k]), left, top);
    if (g_stand.lifted == i) p.Draw("p_lq_glow", kFlaskX[k] - 70.0f, base + 2.0f);
    if (!playable || !p.Clicked(left, top, w, h + (g_stand.lifted == i ? kLift : 0.0f))) continue;
    if (g_stand.lifted < 0) {
      g_stand.lifted = i;
      sounds.play("glass");
    } else if (g_stand.lifted == i) {
      g_stand.lifted = -1;
      sounds.play("glass");
    } else if (board.CanPour(g_stand.lifted, i)) {
      board.Pour(g_stand.lifted, i);
      g_stand.lifted = -1;
      sounds.play("pour");
    } else {
      g_stand.lifted = -1;
      sounds.play("wrong");
    }
  }
  if (p.Done()) {
    // The scroll rises out of the big flask while the sparks run.
    const float rise = std::min(static_cast<float>(p.Counter()) * 1.5f, 150.0f);
    p.DrawCentred("p_lq_scroll", kFlaskX[0], kShelfBase - 120.0f - rise, 0.0f, 0xFFFFFF,
                  static_cast<uint8_t>(std::min(255, p.Counter() * 3)));
  }
  p.SetWon(bolt && board.Won());
  p.SetFlag("t_bolt", bolt);
  p.SetNumber("big", board.measures[0]);
  p.SetNumber("mid", board.measures[1]);
}
