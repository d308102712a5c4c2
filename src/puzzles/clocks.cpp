// The three clocks at the cemetery. Their hands are missing at first; once
// the player has fitted all three and knows the hour of death from the lodge's
// archive, each hand is dragged round its face in 15-degree steps. The clocks
// are geared together, so a step of one hand turns others; all three hands at
// the top of the hour (angle 0, pointing right on the face) open the tomb.
#include <array>
#include <cmath>
#include <numbers>

#include "engine/engine.h"
#include "engine/input.h"
#include "puzzles/puzzle.h"
#include "res/sounds.h"
#include "world/inventory.h"
#include "world/scene.h"

namespace {

constexpr int kDials = 3;
constexpr float kRadius = 100.0f;
constexpr float kStep = 15.0f;
constexpr float kGrip = 20.0f;  // how near the mouse must point to the hand to take it
constexpr std::array<int, kDials> kStart{45, 150, 15};
constexpr std::array<const char*, kDials> kAngleWords{"c1", "c2", "c3"};
constexpr std::array<const char*, kDials> kHands{"chand1", "chand2", "chand3"};
// A step of the dial of the row turns the dial of the column by this many steps.
constexpr int kGearing[kDials][kDials] = {{0, -1, 1}, {1, 0, -1}, {1, 0, 0}};

// The hand being dragged is not kept: a new opening starts with none.
struct ClockDrag {
  std::array<bool, kDials> dragging{};
};

ClockDrag g_drag;

float Normalised(float angle) {
  angle = std::fmod(angle, 360.0f);
  return angle < 0.0f ? angle + 360.0f : angle;
}

float CutToStep(float angle) { return std::floor(std::round(angle) / kStep) * kStep; }

float Sign(float v) { return v > 0.0f ? 1.0f : (v < 0.0f ? -1.0f : 0.0f); }

// The mouse's direction from the centre in degrees, 0 to the right and 90
// above, cut down to a step.
float MouseDirection(float cx, float cy, float mx, float my) {
  const float a = std::atan2(cy - my, cx - mx);
  return CutToStep(180.0f - a * 180.0f / std::numbers::pi_v<float>);
}

bool UnderMouse(float d, float angle) {
  if (angle - kGrip < d && d < angle + kGrip) return true;
  if (angle - kGrip < 0.0f && angle - kGrip + 360.0f < d && d < angle + kGrip + 360.0f) return true;
  return angle + kGrip > 360.0f && angle - kGrip - 360.0f < d && d < angle + kGrip - 360.0f;
}

}  // namespace

void ClocksPuzzle(Puzzle& p) {
  if (p.JustOpened()) {
    g_drag = ClockDrag{};
    if (p.FirstOpening()) {
      for (int i = 0; i < kDials; ++i) {
        p.SetNumber(kAngleWords[i], kStart[i]);
        p.SetFlag(kHands[i], false);
      }
    }
  }
  std::array<float, kDials> angle{};
  std::array<bool, kDials> fitted{};
  for (int i = 0; i < kDials; ++i) {
    // A hand-edited angle far out of turn, or no number, starts that dial afresh.
    angle[i] = CutToStep(static_cast<float>(p.Number(kAngleWords[i], -720, 720, kStart[i])));
    fitted[i] = p.Flag(kHands[i]);
  }
  const bool all_fitted = fitted[0] && fitted[1] && fitted[2];
  const bool clue = DiaryIndexOf("death") >= 0;
  if (!all_fitted || !clue) {
    p.Lock();
    if (p.Clicked(0.0f, 0.0f, p.W(), p.H())) {
      const std::string held = Puzzle::HeldItem();
      if (held.empty()) {
        ShowSceneMessage(all_fitted ? "cemetery_q_clocks2" : "cemetery_q_clocks");
      } else {
        for (int i = 0; i < kDials; ++i) {
          if (held != kHands[i] || fitted[i]) continue;
          fitted[i] = true;
          Puzzle::TakeHeld();
        }
      }
    }
  }
  const bool playable = all_fitted && clue && !p.Done();
  const std::array<float, kDials> cx{200.0f, p.W() - 200.0f, p.W() / 2.0f};
  const std::array<float, kDials> cy{180.0f, 180.0f, 330.0f};
  for (int i = 0; i < kDials; ++i) {
    angle[i] = Normalised(angle[i]);
    p.DrawCentred("p_cif", cx[i], cy[i], 0.0f);
    if (fitted[i]) {
      p.DrawCentred("p_arr", cx[i] + 2.0f, cy[i] + 3.0f, -angle[i], 0x000000, 64);
      p.DrawCentred("p_arr", cx[i], cy[i], -angle[i]);
    }
    p.DrawCentred("p_cen", cx[i], cy[i], 0.0f);
    if (MouseUp(kMouseLeft)) g_drag.dragging[i] = false;
    if (!playable) continue;
    const float mx = p.MouseDX();
    const float my = p.MouseDY();
    const float dist = std::hypot(mx - cx[i], my - cy[i]);
    if (dist >= kRadius || dist == 0.0f) continue;
    const float d = MouseDirection(cx[i], cy[i], mx, my);
    if (!UnderMouse(d, angle[i])) {
      g_drag.dragging[i] = false;
      continue;
    }
    if (p.Clicked(cx[i] - kRadius, cy[i] - kRadius, 2.0f * kRadius, 2.0f * kRadius))
      g_drag.dragging[i] = true;
    else
      p.Over(cx[i] - kRadius, cy[i] - kRadius, 2.0f * kRadius, 2.0f * kRadius);
    if (!g_drag.dragging[i]) continue;
    const float previous = angle[i];
    const float s = Sign(d - angle[i]);
    if (s != 0.0f) {
      angle[i] += kStep * s;
      // The short way to the mouse was across the top of the hour.
      if (std::fabs(angle[i] - d) > 50.0f) angle[i] -= 2.0f * kStep * s;
    }
    angle[i] = CutToStep(angle[i]);
    const float t = Sign(angle[i] - previous);
    if (t == 0.0f) continue;
    if (!sounds.is_playing("gears")) sounds.play("gears");
    const bool across = std::fabs(angle[i] - previous) > 50.0f;
    for (int k = 0; k < kDials; ++k) {
      if (k == i) continue;
      const auto g = static_cast<float>(kGearing[i][k]);
      angle[k] += kStep * t * g;
      if (across) angle[k] -= 2.0f * kStep * t * g;
    }
  }
  p.SetWon(all_fitted && clue && Normalised(angle[0]) == 0.0f && Normalised(angle[1]) == 0.0f &&
           Normalised(angle[2]) == 0.0f);
  for (int i = 0; i < kDials; ++i) {
    p.SetNumber(kAngleWords[i], static_cast<int>(std::lround(angle[i])));
    p.SetFlag(kHands[i], fitted[i]);
  }
}
