// The kitchen's picture cut into 5 x 5 cards. A card showing its part of the
// picture turns itself and its four side neighbours; a card showing its back
// turns itself and its four corner neighbours. Every card picture-up wins.
// Two cards are missing until the player puts them in from the inventory.
// A card's value is 0 picture-up, 255 back-up; in between it is turning
// (1..254 towards the back, -254..-1 towards the picture), and the turn goes
// on after the puzzle is closed and opened again.
#include <array>
#include <cmath>
#include <string>

#include "puzzles/puzzle.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "world/inventory.h"

namespace {

constexpr int kSide = 5;
constexpr int kBack = 255;
constexpr int kTurnStep = 10;
constexpr float kCardW = 134.0f;
constexpr float kCardH = 88.0f;
constexpr float kLeft = 38.0f;
constexpr float kTop = 30.0f;

struct Piece {
  int c, r;
  const char* item;
  const char* word;
};
constexpr std::array<Piece, 2> kPieces{{{2, 1, "first_piece_of_picture", "piece1"},
                                        {4, 3, "second_piece_of_picture", "piece2"}}};

bool StartsBack(int c, int r) {
  constexpr int kBacks[][2] = {{0, 0}, {0, 1}, {0, 4}, {1, 0}, {1, 3},
                               {2, 2}, {2, 4}, {3, 0}, {3, 4}, {4, 2}};
  for (const auto& [bc, br] : kBacks)
    if (bc == c && br == r) return true;
  return false;
}

std::string CardWord(int c, int r) {
  return "field" + std::to_string(c) + "_" + std::to_string(r);
}

// Starts a card turning; one already turning keeps its way.
void Turn(int& v) {
  if (v == 0)
    v = 1;
  else if (v == kBack)
    v = -(kBack - 1);
}

void TurnAt(int (&card)[kSide][kSide], int c, int r) {
  if (c >= 0 && c < kSide && r >= 0 && r < kSide) Turn(card[c][r]);
}

}  // namespace

void PicturePuzzle(Puzzle& p) {
  if (p.FirstOpening()) {
    for (int c = 0; c < kSide; ++c)
      for (int r = 0; r < kSide; ++r) p.SetNumber(CardWord(c, r), StartsBack(c, r) ? kBack : 0);
    for (const Piece& piece : kPieces) p.SetFlag(piece.word, false);
  }
  int card[kSide][kSide];
  for (int c = 0; c < kSide; ++c)
    for (int r = 0; r < kSide; ++r)
      card[c][r] = p.Number(CardWord(c, r), -(kBack - 1), kBack, StartsBack(c, r) ? kBack : 0);
  std::array<bool, 2> in{p.Flag(kPieces[0].word), p.Flag(kPieces[1].word)};
  const bool ready = in[0] && in[1];
  if (!ready) {
    p.Lock();
    if (p.Clicked(10.0f, 10.0f, p.W() - 20.0f, p.H() - 20.0f)) {
      const std::string held = Puzzle::HeldItem();
      if (held.empty()) ShowSceneMessage("kitchen_q_piece");
      for (std::size_t i = 0; i < kPieces.size(); ++i) {
        if (held != kPieces[i].item || in[i]) continue;
        in[i] = true;
        Puzzle::TakeHeld();
      }
    }
  }
  for (int c = 0; c < kSide; ++c) {
    for (int r = 0; r < kSide; ++r) {
      bool missing = false;
      for (std::size_t i = 0; i < kPieces.size(); ++i)
        if (kPieces[i].c == c && kPieces[i].r == r && !in[i]) missing = true;
      if (missing) continue;
      int& v = card[c][r];
      if (v > 0 && v < kBack) v = v + kTurnStep > kBack ? kBack : v + kTurnStep;
      if (v < 0) v = v + kTurnStep > 0 ? 0 : v + kTurnStep;
      const float dx = kLeft + kCardW * static_cast<float>(c);
      const float dy = kTop + kCardH * static_cast<float>(r);
      if (v == 0) {
        const SourceRect part{kCardW * static_cast<float>(c), kCardH * static_cast<float>(r),
                              kCardW, kCardH};
        DrawList.image_part("p_pic", part, p.X() + dx, p.Y() + dy, kCardW, kCardH, 0.0f, 255,
                            0xFFFFFF, BLEND_NORMAL, 0);
        p.Draw("p_mframe", dx, dy);
      } else {
        const long frame = std::lround(std::fabs(static_cast<double>(v)) / 51.0);
        p.Draw("p_rot" + std::to_string(frame), dx, dy);
      }
    }
  }
  p.Draw("p_frame", 0.0f, 0.0f);
  if (p.Done()) p.Draw("p_card", 0.0f, 0.0f);
  if (ready && !p.Done()) {
    for (int c = 0; c < kSide; ++c) {
      for (int r = 0; r < kSide; ++r) {
        const float dx = kLeft + kCardW * static_cast<float>(c);
        const float dy = kTop + kCardH * static_cast<float>(r);
        if (!p.Over(dx, dy, kCardW, kCardH) || !Puzzle::HeldItem().empty()) continue;
        const int v = card[c][r];
        if ((v != 0 && v != kBack) || !p.Clicked(dx, dy, kCardW, kCardH)) continue;
        sounds.play("whoosh");
        if (v == 0) {
          TurnAt(card, c - 1, r);
          TurnAt(card, c + 1, r);
          TurnAt(card, c, r - 1);
          TurnAt(card, c, r + 1);
        } else {
          TurnAt(card, c - 1, r - 1);
          TurnAt(card, c + 1, r - 1);
          TurnAt(card, c - 1, r + 1);
          TurnAt(card, c + 1, r + 1);
        }
        TurnAt(card, c, r);
      }
    }
  }
  bool all_up = true;
  for (int c = 0; c < kSide; ++c)
    for (int r = 0; r < kSide; ++r) all_up = all_up && card[c][r] == 0;
  p.SetWon(ready && all_up);
  for (std::size_t i = 0; i < kPieces.size(); ++i) p.SetFlag(kPieces[i].word, in[i]);
  for (int c = 0; c < kSide; ++c)
    for (int r = 0; r < kSide; ++r) p.SetNumber(CardWord(c, r), card[c][r]);
}
