// The telescope at the crossroad, aimed at the moon so that its light
// charges the moon cube. The lens must be fitted and the cube set in its
// holder first; then holding the button down in the view steers it over the
// night sky, one pixel of the sky a frame towards the mouse. With the moon in
// the middle of the view the telescope settles on it and a ray of moonlight
// falls on the cube. Lens and cube are kept; the view swings back to the
// sky's corner on every opening.
#include <cmath>
#include <string>

#include "puzzles/puzzle.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "world/inventory.h"
#include "world/scene.h"

namespace {

constexpr float kViewX = 380.0f;  // the view: a 150 x 165 part of the sky, twice enlarged
constexpr float kViewY = 50.0f;
constexpr float kViewW = 300.0f;
constexpr float kViewH = 330.0f;
constexpr float kSkyW = 150.0f;
constexpr float kSkyH = 165.0f;
constexpr float kSkySize = 1024.0f;
constexpr float kControlX = 537.0f;
constexpr float kControlY = 213.0f;
constexpr float kControlR = 150.0f;
constexpr float kMoonX = 600.0f;  // the view's corner with the moon in its middle
constexpr float kMoonY = 755.0f;
constexpr float kReach = 10.0f;   // how near the corner must come for the moon to hold
constexpr float kSettle = 0.05f;
constexpr float kHolderX = 0.0f;
constexpr float kHolderY = 346.0f;
constexpr float kHolderW = 123.0f;
constexpr float kHolderH = 304.0f;

float Clamped(float v, float limit) { return v <= 0.0f ? 0.0f : v >= limit ? limit : v; }

bool OnMoon(float ox, float oy) {
  return kMoonX - kReach < ox && ox < kMoonX + kReach && kMoonY - kReach < oy &&
         oy < kMoonY + kReach;
}

// Where the telescope points is not kept.
struct MoonView {
  float ox = 0.0f;
  float oy = 0.0f;
};

MoonView g_moon;

}  // namespace

void MoonPuzzle(Puzzle& p) {
  if (p.JustOpened()) {
    g_moon = MoonView{};
    // Reopened during the moonlight: the telescope is still on the moon.
    if (p.Done()) g_moon = MoonView{kMoonX, kMoonY};
  }
  bool lens = p.Flag("lens");
  bool cube = p.Flag("cube");
  if (!lens || !cube) p.Lock();

  const SourceRect part{g_moon.ox, g_moon.oy, kSkyW, kSkyH};
  DrawList.image_part("p_sky", part, p.X() + kViewX, p.Y() + kViewY, kViewW, kViewH, 0.0f, 255,
                      0xFFFFFF, BLEND_NORMAL, 0);
  p.DrawCentred("p_oldp", kViewX + kViewW / 2.0f, kViewY + kViewH / 2.0f, 0.0f, 0xFFFFFF, 64);
  if (!lens) p.Draw("p_lens", 340.0f, 23.0f);
  p.Draw("p_fr", 0.0f, 0.0f);
  if (cube) p.Draw("p_cube", 48.0f, 237.0f);

  if (lens && cube && !p.Done()) {
    const float dx = p.MouseDX() - kControlX;
    const float dy = p.MouseDY() - kControlY;
    const float dist = std::hypot(dx, dy);
    // The middle of the control points nowhere, so it does not steer.
    if (dist < kControlR && dist > 0.0f) {
      p.Over(kControlX - kControlR, kControlY - kControlR, 2.0f * kControlR, 2.0f * kControlR);
      if (Puzzle::HeldItem().empty() && p.Held(0.0f, 0.0f, p.W(), p.H())) {
        if (!sounds.is_playing("gears")) sounds.play("gears");
        const float a = std::atan2(dy, dx);
        g_moon.ox = Clamped(g_moon.ox + std::cos(a), kSkySize - kSkyW);
        g_moon.oy = Clamped(g_moon.oy + std::sin(a), kSkySize - kSkyH);
      }
    }
  }

  if (!p.Done()) {
    if (!lens && p.Clicked(kViewX, kViewY, kViewW, kViewH)) {
      const std::string held = Puzzle::HeldItem();
      if (held.empty()) {
        ShowSceneMessage("crossroad_q_lens");
      } else if (held == "lens") {
        Puzzle::TakeHeld();
        lens = true;
      }
    }
    if (!cube && p.Clicked(kHolderX, kHolderY, kHolderW, kHolderH)) {
      const std::string held = Puzzle::HeldItem();
      if (held.empty()) {
        ShowSceneMessage("crossroad_q_cube2");
      } else if (held == "moon_cube") {
        Puzzle::TakeHeld();
        cube = true;
        // The cube seen in its holder from the crossroad, added once.
        if (FindSceneObject("q_cub") < 0) AddSceneObject("q_cub", "inactive", 675.0f, 288.0f);
      }
    }
  }

  const bool won = lens && cube && OnMoon(g_moon.ox, g_moon.oy);
  if (won) {
    g_moon.ox += (kMoonX - g_moon.ox) * kSettle;
    g_moon.oy += (kMoonY - g_moon.oy) * kSettle;
  }
  p.SetWon(won);
  if (won || p.Done()) {
    if (!p.Done()) sounds.play("energy");
    const double glow = 200.0 - 32.0 * std::cos(static_cast<double>(p.Counter()) / 10.0);
    p.Draw("p_ray", 115.0f, 255.0f, 0xFFFFFF, static_cast<uint8_t>(std::lround(glow)));
  }
  p.SetFlag("lens", lens);
  p.SetFlag("cube", cube);
}
