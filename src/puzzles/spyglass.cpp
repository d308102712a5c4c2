// The spyglass on the terrace. Once its knob is fitted, sliding the knob
// along its arc focuses the view through four stages, and three switches
// put red light in, shut blue light out and put green light in. The green
// sign hidden on the moor shows only with the knob at its mark and the view
// in its true colours (red and green on, the blue shutter open). The
// switches are kept; the knob slides back to its rest on every opening.
#include <cmath>
#include <numbers>
#include <string>

#include "puzzles/puzzle.h"
#include "res/sounds.h"
#include "world/inventory.h"

namespace {

constexpr int kMark = 80;         // the knob position where the sign is sharp
constexpr float kArcX = 328.0f;   // the knob's arc, its image's corner at θ
constexpr float kArcY = 230.0f;
constexpr float kArcR = 252.0f;
constexpr float kGrab = 30.0f;    // the grab circle round the knob's middle
constexpr float kSwitchR = 40.0f;
constexpr int kLastStage = 767;

struct Switch {
  float cx, cy;
  const char* word;
};
constexpr Switch kSwitches[3] = {{653, 132, "s1"}, {670, 218, "s2"}, {666, 305, "s3"}};

bool InCircle(float mx, float my, float cx, float cy, float r) {
  return std::hypot(mx - cx, my - cy) < r;
}

// The knob's place on the arc is not kept.
struct SpyglassKnob {
  int k = 0;
};

SpyglassKnob g_knob;

}  // namespace

void SpyglassPuzzle(Puzzle& p) {
  if (p.JustOpened()) g_knob = SpyglassKnob{};
  bool knob = p.Flag("knob");
  bool on[3] = {p.Flag("s1"), p.Flag("s2"), p.Flag("s3")};

  if (!knob) {
    p.Lock();
    if (p.Clicked(5.0f, 5.0f, p.W() - 5.0f, p.H() - 5.0f)) {
      const std::string held = Puzzle::HeldItem();
      if (held.empty()) {
        ShowSceneMessage("terrace_q_knob");
      } else if (held == "knob") {
        Puzzle::TakeHeld();
        knob = true;
      }
    }
  }

  const float mx = p.MouseDX();
  const float my = p.MouseDY();
  const int previous = g_knob.k;
  if (knob && !p.Done()) {
    const float theta = static_cast<float>(g_knob.k - 40) / 180.0f * std::numbers::pi_v<float>;
    const float gx = kArcX + kArcR * std::cos(theta) + 20.0f;
    const float gy = kArcY + kArcR * std::sin(theta) + 20.0f;
    if (InCircle(mx, my, gx, gy, kGrab)) {
      p.Over(gx - kGrab, gy - kGrab, 2.0f * kGrab, 2.0f * kGrab);
      // The knob follows the mouse's height only, 4.5 pixels a step.
      if (Puzzle::HeldItem().empty() && p.Held(0.0f, 0.0f, p.W(), p.H()))
        g_knob.k = static_cast<int>(std::lround((my - 72.0f) / 4.5f));
      if (g_knob.k != previous && !sounds.is_playing("gears")) sounds.play("gears");
    }
  }

  const long stage = std::lround(static_cast<float>(g_knob.k) / 0.42f * 4.0f);
  const int f = stage < 0 ? 0 : stage > kLastStage ? kLastStage : static_cast<int>(stage);
  uint32_t tint = 0xFFFFFF;
  if (!on[0]) tint -= 0xFF0000;
  if (on[1]) tint -= 0x0000FF;
  if (!on[2]) tint -= 0x00FF00;
  const char* lower = f < 256 ? "p_1" : f < 512 ? "p_2" : "p_3";
  const char* upper = f < 256 ? "p_2" : f < 512 ? "p_3" : "p_4";
  p.Draw(lower, 0.0f, 0.0f, tint);
  p.Draw(upper, 0.0f, 0.0f, tint, static_cast<uint8_t>(f % 256));

  if (knob && !p.Done()) {
    for (int i = 0; i < 3; ++i) {
      const Switch& s = kSwitches[i];
      if (!InCircle(mx, my, s.cx, s.cy, kSwitchR)) continue;
      if (!p.Clicked(s.cx - kSwitchR, s.cy - kSwitchR, 2.0f * kSwitchR, 2.0f * kSwitchR)) continue;
      on[i] = !on[i];
      sounds.play("switch");
    }
  }

  p.Draw("p_q_spyglass", 0.0f, 0.0f);
  if (knob) {
    const float theta = static_cast<float>(g_knob.k - 40) / 180.0f * std::numbers::pi_v<float>;
    p.Draw("p_knob", kArcX + kArcR * std::cos(theta), kArcY + kArcR * std::sin(theta));
  }
  for (int i = 0; i < 3; ++i)
    p.DrawCentred("p_switch", kSwitches[i].cx, kSwitches[i].cy, on[i] ? 180.0f : 0.0f);

  p.SetWon(knob && on[0] && !on[1] && on[2] && g_knob.k == kMark);
  p.SetFlag("knob", knob);
  for (int i = 0; i < 3; ++i) p.SetFlag(kSwitches[i].word, on[i]);
}
