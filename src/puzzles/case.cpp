// The suitcase in the hotel: six digit wheels of a combination lock, each
// turned on by the push button under it. The combination is the one the
// number clue in the hotel shows, so the lock stays inert (and cannot be
// skipped) until that clue is in the diary. The wheels are not kept: every
// opening finds them scrambled again.
#include <array>

#include "puzzles/puzzle.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "world/inventory.h"
#include "world/scene.h"

namespace {

constexpr int kWheels = 6;
constexpr std::array<int, kWheels> kScrambled{8, 3, 1, 4, 5, 9};
constexpr std::array<int, kWheels> kCombination{6, 2, 4, 1, 9, 5};
constexpr float kCellW = 29.0f;
constexpr float kCellH = 40.0f;
constexpr float kButtonW = 64.0f;
constexpr float kButtonH = 52.0f;

// The dial as the player left it in this opening.
struct CaseLock {
  std::array<int, kWheels> digits = kScrambled;
};

CaseLock g_case;

// The row follows the perspective of the case: the wheels drop a pixel each,
// the buttons half a pixel.
float WheelX(int i) { return 180.0f + 65.0f * static_cast<float>(i); }
float WheelY(int i) { return 190.0f - static_cast<float>(i); }
float ButtonY(int i) { return 305.0f - static_cast<float>(i) / 2.0f; }

}  // namespace

void CasePuzzle(Puzzle& p) {
  if (p.JustOpened()) g_case.digits = kScrambled;
  for (int i = 0; i < kWheels; ++i) {
    p.Draw("p_bnum", WheelX(i), WheelY(i));
    const SourceRect cell{static_cast<float>(g_case.digits[i] - 1) * kCellW, 0.0f, kCellW, kCellH};
    DrawList.image_part("p_nums", cell, p.X() + WheelX(i) + 10.0f, p.Y() + WheelY(i) + 12.0f,
                        kCellW, kCellH, 0.0f, 255, 0xFFFFFF, BLEND_NORMAL, 0);
  }
  if (DiaryIndexOf("numbers") < 0) {
    p.Lock();
    for (int i = 0; i < kWheels; ++i) p.Draw("p_cir", WheelX(i), ButtonY(i));
    if (p.Clicked(0.0f, 0.0f, p.W(), p.H())) ShowSceneMessage("hotel_q_num2");
    return;
  }
  for (int i = 0; i < kWheels; ++i) {
    const bool pressed = !p.Done() && p.Held(WheelX(i), ButtonY(i), kButtonW, kButtonH);
    p.Draw("p_cir", WheelX(i) + (pressed ? 2.0f : 0.0f), ButtonY(i) + (pressed ? 2.0f : 0.0f));
    if (!p.Over(WheelX(i), ButtonY(i), kButtonW, kButtonH) || p.Done()) continue;
    if (p.Clicked(WheelX(i), ButtonY(i), kButtonW, kButtonH)) {
      g_case.digits[i] = g_case.digits[i] % 9 + 1;
      sounds.play("switch");
    }
  }
  p.SetWon(g_case.digits == kCombination);
}
