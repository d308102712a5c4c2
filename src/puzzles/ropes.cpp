// The library's four bell ropes, each ending in an amulet. Once all four
// amulets hang on their hooks, the ropes are pulled in the right order; a
// wrong pull lets every rope already down spring back up. The curtain above
// draws back as the puzzle opens, and the sugar drops into view when it is
// solved. Only the hung amulets are kept: every opening finds the ropes up.
#include <algorithm>
#include <array>
#include <string>

#include "puzzles/puzzle.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "world/inventory.h"

namespace {

constexpr int kRopes = 4;
constexpr std::array<int, kRopes> kOrder{2, 0, 3, 1};
constexpr std::array<const char*, kRopes> kAmulets{"star_amulet", "spiral_amulet", "heart_amulet",
                                                   "silver_skull_amulet"};
constexpr int kPullDepth = 30;
constexpr float kCurtainOpen = 0.4f;
constexpr float kShadowShift = 20.0f;

// The ropes of this opening.
struct BellRopes {
  std::array<bool, kRopes> down{};
  int next = 0;     // how many ropes of the order are down
  int active = -1;  // the rope being pulled
  int pull = 0;     // its offset in pixels
  int speed = 1;
  float curtain = 1.0f;
};

BellRopes g_ropes;

std::string AmuletWord(int i) { return "am" + std::to_string(i); }

float RopeX(int i) { return 120.0f * static_cast<float>(i); }

}  // namespace

void RopesPuzzle(Puzzle& p) {
  if (p.JustOpened()) {
    g_ropes = BellRopes{};
    sounds.play("gears");
  }
  std::array<bool, kRopes> hung{};
  for (int i = 0; i < kRopes; ++i) hung[i] = p.Flag(AmuletWord(i));
  const bool all_hung = std::all_of(hung.begin(), hung.end(), [](bool h) { return h; });
  if (!all_hung) p.Lock();
  g_ropes.curtain = std::max(kCurtainOpen, g_ropes.curtain - 0.01f);

  BellRopes& r = g_ropes;
  if (r.active >= 0) {
    r.pull += r.speed;
    if (r.pull > kPullDepth && r.speed > 0) {
      r.speed = -1;
      if (r.next < kRopes && r.active == kOrder[static_cast<std::size_t>(r.next)]) {
        r.down[static_cast<std::size_t>(r.active)] = true;
        ++r.next;
      } else {
        r.down = {};
        r.next = 0;
      }
    } else if (r.pull < 0) {
      r.pull = 0;
      r.active = -1;
      r.speed = 1;
    }
  }

  if (!all_hung && p.Clicked(20.0f, 20.0f, p.W() - 40.0f, p.H() - 40.0f)) {
    const std::string held = Puzzle::HeldItem();
    if (held.empty()) ShowSceneMessage("library_q_amulets");
    for (int i = 0; i < kRopes; ++i) {
      if (held != kAmulets[static_cast<std::size_t>(i)] || hung[i]) continue;
      hung[i] = true;
      Puzzle::TakeHeld();
    }
  }

  if (p.Done()) {
    const float drop = std::min(4.0f * static_cast<float>(p.Counter()), 410.0f);
    DrawList.image("p_sugar", 255, 490.0f, p.Y() + drop);
  }
  for (int pass = 0; pass < 2; ++pass) {
    const bool shadow = pass == 0;
    const float sx = shadow ? -kShadowShift : 0.0f;
    const uint32_t tint = shadow ? 0x000000 : 0xFFFFFF;
    const uint8_t opacity = shadow ? 64 : 255;
    for (int i = 0; i < kRopes; ++i) {
      const float e = i == r.active ? static_cast<float>(r.pull)
                                    : (r.down[static_cast<std::size_t>(i)] ? kPullDepth : 0.0f);
      p.Draw("p_rope", 190.0f + RopeX(i) + sx, 10.0f + e, tint, opacity);
      if (hung[i])
        p.Draw("p_a" + std::to_string(i), 164.0f + RopeX(i) + sx, 304.0f + e, tint, opacity);
      if (!shadow) p.Draw("p_h2", 190.0f + RopeX(i), 279.0f + e);
    }
  }
  if (!p.Done() && all_hung && r.active < 0) {
    for (int i = 0; i < kRopes; ++i) {
      if (!p.Clicked(150.0f + RopeX(i), 150.0f, 100.0f, 250.0f)) continue;
      if (r.down[static_cast<std::size_t>(i)]) continue;
      r.active = i;
      r.pull = 0;
      r.speed = 1;
      sounds.play("gears");
      sounds.play("set");
    }
  }
  DrawList.sized_image("p_curt", 255, p.X(), p.Y(), p.W(), r.curtain * p.H(), 0.0f, 0xFFFFFF,
                       BLEND_NORMAL, 0);
  p.Draw("p_top", 0.0f, 0.0f);
  p.SetWon(r.next == kRopes);
  for (int i = 0; i < kRopes; ++i) p.SetFlag(AmuletWord(i), hung[i]);
}
