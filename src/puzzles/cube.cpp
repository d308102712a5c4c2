// The stone button grid in the yard: sixteen buttons, lit or dark; pressing
// one flips it and its four neighbours, and all sixteen lit wins. Two buttons
// are missing and must be fitted from the inventory before any can be pressed.
#include <array>
#include <string>

#include "puzzles/puzzle.h"
#include "res/sounds.h"
#include "world/inventory.h"

namespace {

constexpr int kSide = 4;
constexpr float kPitch = 100.0f;
constexpr float kButton = 84.0f;
constexpr float kLeft = 180.0f;
constexpr float kTop = 50.0f;
// Rows top to bottom, columns left to right.
constexpr int kStart[kSide][kSide] = {{0, 1, 1, 0}, {1, 0, 0, 0}, {1, 0, 1, 1}, {0, 1, 0, 0}};

struct Socket {
  int a, b;
  const char* item;
  const char* word;
};
constexpr std::array<Socket, 2> kSockets{{{2, 1, "stone_button", "sb"},
                                          {1, 3, "stone_button2", "sb2"}}};

std::string CellWord(int a, int b) {
  return "bb_" + std::to_string(a) + "_" + std::to_string(b);
}

}  // namespace

void CubePuzzle(Puzzle& p) {
  if (p.FirstOpening()) {
    for (const Socket& s : kSockets) p.SetFlag(s.word, false);
    for (int a = 0; a < kSide; ++a)
      for (int b = 0; b < kSide; ++b) p.SetNumber(CellWord(a, b), kStart[b][a]);
  }
  int cell[kSide][kSide];
  for (int a = 0; a < kSide; ++a)
    for (int b = 0; b < kSide; ++b) cell[a][b] = p.Number(CellWord(a, b), 0, 1, kStart[b][a]);
  std::array<bool, 2> fitted{p.Flag(kSockets[0].word), p.Flag(kSockets[1].word)};
  const bool ready = fitted[0] && fitted[1];
  if (!ready) p.Lock();
  for (int a = 0; a < kSide; ++a) {
    for (int b = 0; b < kSide; ++b) {
      bool empty = false;
      for (std::size_t s = 0; s < kSockets.size(); ++s)
        if (kSockets[s].a == a && kSockets[s].b == b && !fitted[s]) empty = true;
      const float dx = kLeft + kPitch * static_cast<float>(a);
      const float dy = kTop + kPitch * static_cast<float>(b);
      p.Draw(empty ? "p_button2" : (cell[a][b] != 0 ? "p_button1" : "p_button0"), dx, dy);
    }
  }
  if (!ready && p.Clicked(5.0f, 5.0f, p.W() - 10.0f, p.H() - 10.0f)) {
    const std::string held = Puzzle::HeldItem();
    if (held.empty()) ShowSceneMessage("yard_q_button");
    for (std::size_t s = 0; s < kSockets.size(); ++s) {
      if (held != kSockets[s].item || fitted[s]) continue;
      fitted[s] = true;
      Puzzle::TakeHeld();
    }
  }
  if (ready && !p.Done()) {
    for (int a = 0; a < kSide; ++a) {
      for (int b = 0; b < kSide; ++b) {
        const float dx = kLeft + kPitch * static_cast<float>(a);
        const float dy = kTop + kPitch * static_cast<float>(b);
        if (!p.Clicked(dx, dy, kButton, kButton)) continue;
        sounds.play("switch");
        cell[a][b] ^= 1;
        if (a > 0) cell[a - 1][b] ^= 1;
        if (a + 1 < kSide) cell[a + 1][b] ^= 1;
        if (b > 0) cell[a][b - 1] ^= 1;
        if (b + 1 < kSide) cell[a][b + 1] ^= 1;
      }
    }
  }
  bool all_lit = true;
  for (int a = 0; a < kSide; ++a)
    for (int b = 0; b < kSide; ++b) all_lit = all_lit && cell[a][b] == 1;
  p.SetWon(ready && all_lit);
  for (std::size_t s = 0; s < kSockets.size(); ++s) p.SetFlag(kSockets[s].word, fitted[s]);
  for (int a = 0; a < kSide; ++a)
    for (int b = 0; b < kSide; ++b) p.SetNumber(CellWord(a, b), cell[a][b]);
}
