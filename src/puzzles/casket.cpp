// The casket in the forge: its round seal lacks its middle ring. Once the
// ring is set, the player turns the rings (a click on a ring's right half
// turns it clockwise, on its left half back); each ring drags its neighbour
// along, so the marks must be brought to the top in the right order.
// Everything is kept in the one key "ring": 0 until the ring is set, then the
// seal's code, so leaving and coming back finds the rings where they were.
#include "puzzles/casket.h"

#include <cmath>
#include <string>

#include "puzzles/puzzle.h"
#include "res/sounds.h"
#include "world/inventory.h"

// --- The seal's rules -------------------------------------------------------------------------

void CasketSeal::Turn(int ring, int dir) {
  if (ring < 0 || ring >= kRings) return;
  const int step = dir < 0 ? kNotches - 1 : 1;
  for (const int r : {ring, (ring + 1) % kRings})
    turn[static_cast<std::size_t>(r)] = (turn[static_cast<std::size_t>(r)] + step) % kNotches;
}

bool CasketSeal::Open() const { return turn[0] == 0 && turn[1] == 0 && turn[2] == 0; }

int CasketSeal::Code() const { return 1 + turn[0] + kNotches * (turn[1] + kNotches * turn[2]); }

CasketSeal CasketSeal::FromCode(int code) {
  CasketSeal seal;
  if (code < 1 || code > kLastCode) return seal;
  int v = code - 1;
  for (int& t : seal.turn) {
    t = v % kNotches;
    v /= kNotches;
  }
  return seal;
}

// --- The casket on the screen -----------------------------------------------------------------

namespace {

constexpr float kCx = 375.0f;
constexpr float kCy = 250.0f;
// Outer edges of the inner, middle and outer ring, inward to outward.
constexpr float kInner = 62.0f;
constexpr float kMiddle = 108.0f;
constexpr float kOuter = 152.0f;
constexpr float kDegreesPerNotch = 360.0f / CasketSeal::kNotches;
constexpr const char* kRingPictures[CasketSeal::kRings] = {"p_ring_outer", "p_ring_middle",
                                                           "p_ring_inner"};

// The angles the rings are drawn at, easing towards their notches, so a turn
// is seen as a turn. Only the look: the key holds the lock.
struct RingLook {
  float angle[CasketSeal::kRings] = {};
};

RingLook g_look;

// The ring under the mouse, by its distance from the seal's centre.
int RingAt(float dx, float dy) {
  const float r = std::hypot(dx - kCx, dy - kCy);
  if (r > kOuter) return -1;
  if (r > kMiddle) return 0;
  if (r > kInner) return 1;
  return r > 14.0f ? 2 : -1;
}

float Ease(float shown, float target) {
  float diff = std::fmod(target - shown + 540.0f, 360.0f) - 180.0f;
  if (std::fabs(diff) < 4.0f) return target;
  return shown + (diff > 0.0f ? 4.0f : -4.0f);
}

}  // namespace

void CasketPuzzle(Puzzle& p) {
  if (p.FirstOpening()) p.SetNumber("ring", CasketSeal::kRingMissing);
  const int code = p.Number("ring", 0, CasketSeal::kLastCode, CasketSeal{}.Code());
  const bool ring_set = code != CasketSeal::kRingMissing;
  CasketSeal seal = CasketSeal::FromCode(code);
  if (p.JustOpened()) {
    for (int r = 0; r < CasketSeal::kRings; ++r)
      g_look.angle[r] =
          kDegreesPerNotch * static_cast<float>(seal.turn[static_cast<std::size_t>(r)]);
  }

  if (!ring_set) {
    p.Lock();
    if (p.Clicked(10.0f, 10.0f, p.W() - 20.0f, p.H() - 20.0f)) {
      if (Puzzle::HeldItem().empty()) ShowSceneMessage("forge_q_casket");
      if (Puzzle::HeldItem() == "missing_ring") {
        Puzzle::TakeHeld();
        sounds.play("metal");
        p.SetNumber("ring", seal.Code());
      }
    }
  } else if (!p.Done()) {
    const int ring = RingAt(p.MouseDX(), p.MouseDY());
    if (ring >= 0 && Puzzle::HeldItem().empty() &&
        p.Clicked(kCx - kOuter, kCy - kOuter, 2.0f * kOuter, 2.0f * kOuter)) {
      seal.Turn(ring, p.MouseDX() < kCx ? -1 : 1);
      sounds.play("gears");
    }
  }

  for (int r = 0; r < CasketSeal::kRings; ++r) {
    if (r == 1 && !ring_set) {
      p.DrawCentred("p_ring_gap", kCx, kCy, 0.0f);
      continue;
    }
    const float target =
        kDegreesPerNotch * static_cast<float>(seal.turn[static_cast<std::size_t>(r)]);
    g_look.angle[r] = Ease(g_look.angle[r], target);
    p.DrawCentred(kRingPictures[r], kCx, kCy, g_look.angle[r]);
  }
  // The clasp's tongue at the top: it glows and lifts once the marks meet it.
  const bool open = ring_set && seal.Open();
  p.DrawCentred(open ? "p_clasp_open" : "p_clasp", kCx, kCy - kOuter - 14.0f, 0.0f);
  if (ring_set && !p.Done()) {
    p.Draw("p_turn_back", kCx - kOuter - 78.0f, kCy - 30.0f);
    p.Draw("p_turn_on", kCx + kOuter + 18.0f, kCy - 30.0f);
  }

  p.SetWon(open);
  if (ring_set) p.SetNumber("ring", seal.Code());
}
