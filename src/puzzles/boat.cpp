// The boat's ring lock at the bridge: a 5 x 5 board of orange and green
// pieces round an empty centre. Arrows shift the second and fourth columns
// and rows round, and two ring buttons turn the eight cells round the centre
// and the sixteen of the border; gathering the eight green pieces round the
// centre, with the border all orange, opens the lock. The board is kept cell
// by cell, so the player can walk away and come back to it.
#include <array>
#include <string>

#include "puzzles/puzzle.h"
#include "res/sounds.h"

namespace {

constexpr int kSide = 5;
constexpr int kOrange = 0xFF4400;
constexpr int kGreen = 0x44FF00;
constexpr int kPieces = 8;  // green pieces on the board, the ring round the centre
constexpr float kPitch = 70.0f;
constexpr int kFadeStep = 10;

using Board = std::array<std::array<int, kSide>, kSide>;  // [column][row]

// Rows top to bottom, columns left to right: 'g' green, 'o' orange, '.' empty.
constexpr const char* kStartRows[kSide] = {"gooog", "ogogo", "oo.oo", "gogog", "goooo"};

constexpr Board MakeStart() {
  Board board{};
  for (int a = 0; a < kSide; ++a)
    for (int b = 0; b < kSide; ++b)
      board[a][b] = kStartRows[b][a] == 'g' ? kGreen : kStartRows[b][a] == 'o' ? kOrange : 0;
  return board;
}
constexpr Board kStart = MakeStart();

bool OnBorder(int a, int b) { return a == 0 || b == 0 || a == kSide - 1 || b == kSide - 1; }
bool IsCentre(int a, int b) { return a == kSide / 2 && b == kSide / 2; }

struct Cell {
  int a, b;
};

// The ring buttons' paths: the piece of each cell moves to the next one.
constexpr std::array<Cell, 8> kInnerRing{{{1, 1}, {2, 1}, {3, 1}, {3, 2}, {3, 3}, {2, 3}, {1, 3}, {1, 2}}};
constexpr std::array<Cell, 16> kOuterRing{{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 4},
                                           {2, 4}, {3, 4}, {4, 4}, {4, 3}, {4, 2}, {4, 1},
                                           {4, 0}, {3, 0}, {2, 0}, {1, 0}}};

template <std::size_t N>
void TurnRing(Board& board, const std::array<Cell, N>& ring) {
  const int last = board[ring[N - 1].a][ring[N - 1].b];
  for (std::size_t i = N - 1; i > 0; --i) board[ring[i].a][ring[i].b] = board[ring[i - 1].a][ring[i - 1].b];
  board[ring[0].a][ring[0].b] = last;
}

// A column or row shifted by one cell with wrap-round; step -1 is up or left.
void ShiftColumn(Board& board, int a, int step) {
  std::array<int, kSide> old = board[a];
  for (int b = 0; b < kSide; ++b) board[a][(b + step + kSide) % kSide] = old[b];
}

void ShiftRow(Board& board, int b, int step) {
  std::array<int, kSide> old{};
  for (int a = 0; a < kSide; ++a) old[a] = board[a][b];
  for (int a = 0; a < kSide; ++a) board[(a + step + kSide) % kSide][b] = old[a];
}

struct Button {
  float x, y, w, h;
  enum Kind { Column, Row, Inner, Outer } kind;
  int line;  // the column or row it shifts
  int step;
};

// In the order they are tested: the columns' up and down arrows, the rows'
// left and right arrows, then the two ring buttons.
constexpr std::array<Button, 10> kButtons{{
    {195, 27, 72, 40, Button::Column, 1, -1},
    {195, 425, 72, 40, Button::Column, 1, 1},
    {337, 27, 72, 40, Button::Column, 3, -1},
    {337, 425, 72, 40, Button::Column, 3, 1},
    {83, 138, 40, 72, Button::Row, 1, -1},
    {481, 138, 40, 72, Button::Row, 1, 1},
    {83, 279, 40, 72, Button::Row, 3, -1},
    {481, 279, 40, 72, Button::Row, 3, 1},
    {599, 234, 63, 63, Button::Inner, 0, 0},
    {599, 315, 63, 63, Button::Outer, 0, 0},
}};

void Press(Board& board, const Button& button) {
  switch (button.kind) {
    case Button::Column: ShiftColumn(board, button.line, button.step); break;
    case Button::Row: ShiftRow(board, button.line, button.step); break;
    case Button::Inner: TurnRing(board, kInnerRing); break;
    case Button::Outer: TurnRing(board, kOuterRing); break;
  }
}

// A board the moves can reach: the centre empty and eight green and sixteen
// orange pieces round it (every such board can still be solved). A
// hand-edited key that breaks this sends the whole board back to the start.
bool Playable(const Board& board) {
  int green = 0;
  for (int a = 0; a < kSide; ++a) {
    for (int b = 0; b < kSide; ++b) {
      const int c = board[a][b];
      if (IsCentre(a, b) ? c != 0 : c != kOrange && c != kGreen) return false;
      green += c == kGreen ? 1 : 0;
    }
  }
  return green == kPieces;
}

bool Gathered(const Board& board) {
  for (int a = 0; a < kSide; ++a)
    for (int b = 0; b < kSide; ++b)
      if (board[a][b] != (IsCentre(a, b) ? 0 : OnBorder(a, b) ? kOrange : kGreen)) return false;
  return true;
}

std::string CellWord(int a, int b) { return "field_" + std::to_string(a) + "_" + std::to_string(b); }

// The last move's cross-fade; not kept, an opening shows the board at rest.
struct BoatFade {
  Board previous{};
  int fade = 0;
};

BoatFade g_boat;

}  // namespace

void BoatPuzzle(Puzzle& p) {
  if (p.JustOpened()) {
    g_boat = BoatFade{};
    if (p.FirstOpening())
      for (int a = 0; a < kSide; ++a)
        for (int b = 0; b < kSide; ++b) p.SetNumber(CellWord(a, b), kStart[a][b]);
  }
  Board board{};
  for (int a = 0; a < kSide; ++a)
    for (int b = 0; b < kSide; ++b) board[a][b] = p.Number(CellWord(a, b), 0, 0xFFFFFF, -1);
  if (!Playable(board)) board = kStart;

  if (!p.Done()) {
    for (const Button& button : kButtons) {
      if (!p.Clicked(button.x, button.y, button.w, button.h)) continue;
      sounds.play("set");
      g_boat.previous = board;
      g_boat.fade = 0;
      Press(board, button);
    }
  }
  g_boat.fade = g_boat.fade + kFadeStep < 255 ? g_boat.fade + kFadeStep : 255;

  for (int a = 0; a < kSide; ++a) {
    for (int b = 0; b < kSide; ++b) {
      if (board[a][b] == 0) continue;
      const float cx = 160.0f + kPitch * static_cast<float>(a);
      const float cy = 105.0f + kPitch * static_cast<float>(b);
      const auto angle = static_cast<float>(40 * (a + b));
      p.DrawCentred("p_pts", cx, cy, angle, static_cast<uint32_t>(board[a][b]));
      // The piece that stood here before the move fades out over the new one;
      // a cell that was empty shows only its new piece.
      if (const int old = g_boat.previous[a][b]; old != 0 && g_boat.fade < 255)
        p.DrawCentred("p_pts", cx, cy, angle, static_cast<uint32_t>(old),
                      static_cast<uint8_t>(255 - g_boat.fade));
      p.Draw("p_ptf", cx - 35.0f, cy - 35.0f);
    }
  }
  p.SetWon(Gathered(board));
  for (int a = 0; a < kSide; ++a)
    for (int b = 0; b < kSide; ++b) p.SetNumber(CellWord(a, b), board[a][b]);
}
