// The hallway: a stone mask over five arched niches. The mask's two halves
// and the missing eagle are set from the inventory; then the mask's eyes
// light and the signs over the niches glow one by one, and neighbouring
// statuettes are swapped on their turning floors until each stands under its
// own sign, which sets the wall's mechanism going. The lifted statuette and
// the signs already lit are kept, so a reopened wall does not light again.
#include "puzzles/statuettes.h"

#include <algorithm>
#include <string>

#include "puzzles/puzzle.h"
#include "res/sounds.h"
#include "world/inventory.h"

StatuetteRow StatuetteRow::FromSaved(int field) {
  StatuetteRow row;
  if (field < 0) return row;
  std::array<int, kNiches> f{};
  std::array<bool, kNiches> seen{};
  int rest = field;
  for (int i = kNiches - 1; i >= 0; --i) {
    const int d = rest % 10;
    rest /= 10;
    if (d >= kNiches || seen[static_cast<std::size_t>(d)]) return row;
    seen[static_cast<std::size_t>(d)] = true;
    f[static_cast<std::size_t>(i)] = d;
  }
  if (rest != 0) return row;
  row.figure = f;
  return row;
}

int StatuetteRow::Saved() const {
  int field = 0;
  for (int d : figure) field = field * 10 + d;
  return field;
}

bool StatuetteRow::CanSwap(int a, int b) const {
  return a >= 0 && b >= 0 && a < kNiches && b < kNiches && (a - b == 1 || b - a == 1);
}

void StatuetteRow::Swap(int a, int b) {
  if (CanSwap(a, b)) std::swap(figure[static_cast<std::size_t>(a)], figure[static_cast<std::size_t>(b)]);
}

bool StatuetteRow::Won() const {
  for (int i = 0; i < kNiches; ++i)
    if (figure[static_cast<std::size_t>(i)] != i) return false;
  return true;
}

namespace {

constexpr int kAwake = 100;       // frames of the mask coming alive
constexpr int kFirstSign = 20;    // ... when the first sign lights
constexpr int kSignGap = 16;      // ... and the frames between the signs
constexpr float kNicheTop = 230.0f;
constexpr float kNicheW = 120.0f;
constexpr float kNicheH = 240.0f;
constexpr float kFloor = 462.0f;  // where the statuettes stand
constexpr float kLift = 12.0f;

struct Piece {
  const char* item;
  const char* word;
};
constexpr std::array<Piece, 3> kPieces{{{"left_face_half", "lface"},
                                        {"right_face_half", "rface"},
                                        {"missing_statuette", "mis"}}};

float NicheX(int i) { return 95.0f + 140.0f * static_cast<float>(i); }

}  // namespace

void StatuettesPuzzle(Puzzle& p) {
  StatuetteRow row = StatuetteRow::FromSaved(p.Number("field", 0, 99999, -1));
  if (p.FirstOpening()) row = StatuetteRow{};
  std::array<bool, 3> set{p.Flag("lface"), p.Flag("rface"), p.Flag("mis")};
  int anim = p.Number("anim", 0, kAwake, 0);
  int lifted = p.Number("znak", 0, StatuetteRow::kNiches, 0) - 1;
  const bool ready = set[0] && set[1] && set[2];

  if (!ready) {
    p.Lock();
    if (p.Clicked(0.0f, 0.0f, p.W(), p.H())) {
      const std::string held = Puzzle::HeldItem();
      if (held.empty()) ShowSceneMessage("hallway_q_statuettes");
      for (std::size_t i = 0; i < kPieces.size(); ++i) {
        if (held != kPieces[i].item || set[i]) continue;
        set[i] = true;
        Puzzle::TakeHeld();
        sounds.play("stone");
      }
    }
  } else if (anim < kAwake) {
    if (anim == 0) sounds.play("magic");
    ++anim;
  }

  // The mask: its halves, and its eyes once it is whole.
  if (set[0]) p.Draw("p_st_lface", 300.0f, 30.0f);
  if (set[1]) p.Draw("p_st_rface", 375.0f, 30.0f);
  if (set[0] && set[1] && anim > 0)
    p.Draw("p_st_eyes", 300.0f, 30.0f, 0xFFFFFF, static_cast<uint8_t>(std::min(255, anim * 4)));

  const bool playable = ready && anim >= kAwake && !p.Done() && Puzzle::HeldItem().empty();
  for (int i = 0; i < StatuetteRow::kNiches; ++i) {
    const float cx = NicheX(i);
    if (anim >= kFirstSign + kSignGap * i) p.DrawCentred("p_st_sign" + std::to_string(i), cx, 196.0f, 0.0f);
    const int fig = row.figure[static_cast<std::size_t>(i)];
    const bool present = fig != StatuetteRow::kEagle || set[2];
    if (lifted == i) p.DrawCentred("p_st_ring", cx, kFloor, 0.0f);
    if (present) {
      const float lift = lifted == i ? kLift : 0.0f;
      p.DrawCentred("p_st_fig" + std::to_string(fig), cx, kFloor - 85.0f - lift, 0.0f);
    }
    if (!playable || !p.Clicked(cx - kNicheW / 2.0f, kNicheTop, kNicheW, kNicheH)) continue;
    if (lifted == i) {
      lifted = -1;
      sounds.play("select");
    } else if (row.CanSwap(lifted, i)) {
      row.Swap(lifted, i);
      lifted = -1;
      sounds.play("gears");
    } else {
      lifted = i;
      sounds.play("select");
    }
  }
  if (p.Done()) lifted = -1;
  p.SetWon(ready && row.Won());
  for (std::size_t i = 0; i < kPieces.size(); ++i) p.SetFlag(kPieces[i].word, set[i]);
  p.SetNumber("anim", anim);
  p.SetNumber("field", row.Saved());
  p.SetNumber("znak", lifted + 1);
}
