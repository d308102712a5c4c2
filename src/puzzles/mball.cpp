// The backyard: a box on the wall with a tilting maze under glass. The note
// from the gramophone goes into its clip and shows the code of the three
// wheels that hold the tilting latch; the steel ball goes into the chute.
// Once the latch drops, the four levers tip the maze and the ball rolls until
// a rail stops it; rolled onto the hole, it falls and pushes the energy
// crystal out. The ball's cell is kept at every step of a roll, and the roll
// itself, so a closed maze rolls on where it stopped.
#include "puzzles/mball.h"

#include <algorithm>
#include <array>
#include <string>

#include "engine/font.h"
#include "puzzles/puzzle.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "world/inventory.h"

namespace {

struct Rail {
  int x, y;
};
// Rails on the right side of a cell, and under a cell.
constexpr std::array<Rail, 6> kRightRails{{{1, 0}, {1, 2}, {1, 5}, {2, 3}, {3, 0}, {4, 2}}};
constexpr std::array<Rail, 5> kLowerRails{{{0, 0}, {1, 3}, {2, 0}, {5, 0}, {5, 2}}};

bool RailRight(int x, int y) {
  return std::any_of(kRightRails.begin(), kRightRails.end(),
                     [&](const Rail& r) { return r.x == x && r.y == y; });
}
bool RailBelow(int x, int y) {
  return std::any_of(kLowerRails.begin(), kLowerRails.end(),
                     [&](const Rail& r) { return r.x == x && r.y == y; });
}

}  // namespace

bool BallMaze::Blocked(int x, int y, int tilt) {
  switch (tilt) {
    case kUp: return y == 0 || RailBelow(x, y - 1);
    case kDown: return y == kSide - 1 || RailBelow(x, y);
    case kLeft: return x == 0 || RailRight(x - 1, y);
    case kRight: return x == kSide - 1 || RailRight(x, y);
    default: return true;
  }
}

bool BallMaze::Step(int tilt) {
  if (InHole() || Blocked(x, y, tilt)) return false;
  x += tilt == kRight ? 1 : tilt == kLeft ? -1 : 0;
  y += tilt == kDown ? 1 : tilt == kUp ? -1 : 0;
  return true;
}

void BallMaze::Roll(int tilt) {
  while (Step(tilt)) {
  }
}

namespace {

constexpr int kCode = 371;          // the code written on the note
constexpr int kStepFrames = 7;      // frames the ball takes over a cell
constexpr float kCell = 56.0f;
constexpr float kMazeX = 70.0f;
constexpr float kMazeY = 80.0f;
constexpr float kLever = 48.0f;
constexpr float kWheelY = 300.0f;
constexpr uint32_t kInk = 0x2A2A5A;
constexpr uint32_t kDigit = 0x2A1A0A;

struct Lever {
  int tilt;
  float cx, cy, angle;
};
constexpr std::array<Lever, 4> kLevers{{{BallMaze::kUp, 238.0f, 44.0f, 0.0f},
                                        {BallMaze::kDown, 238.0f, 452.0f, 180.0f},
                                        {BallMaze::kLeft, 34.0f, 248.0f, 270.0f},
                                        {BallMaze::kRight, 442.0f, 248.0f, 90.0f}}};

// Frames into the cell the ball is crossing; not kept, a reopened roll
// starts its cell again.
struct MazeBox {
  int tick = 0;
};

MazeBox g_box;

float CellX(int x) { return kMazeX + kCell * (static_cast<float>(x) + 0.5f); }
float CellY(int y) { return kMazeY + kCell * (static_cast<float>(y) + 0.5f); }
float WheelX(int i) { return 540.0f + 65.0f * static_cast<float>(i); }

int Digit(int code, int i) { return i == 0 ? code / 100 : i == 1 ? code / 10 % 10 : code % 10; }

}  // namespace

void MballPuzzle(Puzzle& p) {
  bool note = p.Flag("list");
  bool ball = p.Flag("ball");
  int code = p.Number("c", 0, 999, 0);
  BallMaze maze;
  maze.x = p.Number("bx", 0, BallMaze::kSide - 1, -1);
  maze.y = p.Number("by", 0, BallMaze::kSide - 1, -1);
  if (maze.x < 0 || maze.y < 0) maze = BallMaze{};
  int roll = p.Number("anim", 0, BallMaze::kRight, 0);
  if (p.JustOpened()) g_box.tick = 0;

  if (!note || !ball) {
    p.Lock();
    if (p.Clicked(0.0f, 0.0f, p.W(), p.H())) {
      const std::string held = Puzzle::HeldItem();
      if (held.empty()) ShowSceneMessage("backyard_q_mball");
      if (held == "note_with_code" && !note) {
        note = true;
        Puzzle::TakeHeld();
      } else if (held == "metal_ball" && !ball) {
        ball = true;
        maze = BallMaze{};
        Puzzle::TakeHeld();
      }
    }
  }
  const bool open = code == kCode;

  // The roll: a cell every few frames until a rail stops the ball.
  if (!ball || maze.InHole()) roll = 0;
  float ox = 0.0f;
  float oy = 0.0f;
  if (roll != 0 && ++g_box.tick >= kStepFrames) {
    g_box.tick = 0;
    if (!maze.Step(roll) || maze.InHole() || BallMaze::Blocked(maze.x, maze.y, roll)) {
      roll = 0;
      sounds.play(maze.InHole() ? "get" : "metal");
    }
  }
  if (roll != 0) {
    // The ball between two cells, and the maze tipped a little its way.
    const float part = kCell * static_cast<float>(g_box.tick) / kStepFrames;
    ox = roll == BallMaze::kRight ? part : roll == BallMaze::kLeft ? -part : 0.0f;
    oy = roll == BallMaze::kDown ? part : roll == BallMaze::kUp ? -part : 0.0f;
  }

  if (p.Done()) {
    const float rise = std::min(static_cast<float>(p.Counter()) * 0.6f, 90.0f);
    p.DrawCentred("p_mb_crystal", CellX(BallMaze::kHoleX), CellY(BallMaze::kHoleY) - rise, 0.0f);
  }
  p.DrawCentred("p_mb_hole", CellX(BallMaze::kHoleX), CellY(BallMaze::kHoleY), 0.0f);
  for (const Rail& r : kRightRails)
    p.DrawCentred("p_mb_railv", kMazeX + kCell * static_cast<float>(r.x + 1), CellY(r.y), 0.0f);
  for (const Rail& r : kLowerRails)
    p.DrawCentred("p_mb_railh", CellX(r.x), kMazeY + kCell * static_cast<float>(r.y + 1), 0.0f);
  if (ball && !p.Done()) p.DrawCentred("p_mb_ball", CellX(maze.x) + ox, CellY(maze.y) + oy, 0.0f);

  const bool playable = note && ball && !p.Done() && Puzzle::HeldItem().empty();
  for (const Lever& l : kLevers) {
    const bool pressed = roll == l.tilt;
    p.DrawCentred("p_mb_lever", l.cx, l.cy, l.angle, pressed ? 0xFFD080 : 0xFFFFFF);
    if (!playable || roll != 0 || !p.Clicked(l.cx - kLever / 2, l.cy - kLever / 2, kLever, kLever))
      continue;
    if (!open) {
      sounds.play("wrong");
    } else if (!BallMaze::Blocked(maze.x, maze.y, l.tilt)) {
      roll = l.tilt;
      g_box.tick = 0;
      sounds.play("switch");
    }
  }

  // The note with its code, the wheels and the latch they hold.
  if (note) {
    p.Draw("p_mb_note", 485.0f, 52.0f);
    DrawList.text("hand", std::to_string(kCode / 100) + "  " + std::to_string(kCode / 10 % 10) +
                              "  " + std::to_string(kCode % 10),
                  p.X() + 600.0f, p.Y() + 130.0f, TEXT_CENTRE | TEXT_VCENTRE, -1, 1.4f, 255, kInk);
  }
  for (int i = 0; i < 3; ++i) {
    p.DrawCentred("p_mb_wheel", WheelX(i), kWheelY, 0.0f);
    DrawList.text("ui_font", std::to_string(Digit(code, i)), p.X() + WheelX(i), p.Y() + kWheelY,
                  TEXT_CENTRE | TEXT_VCENTRE, -1, 1.2f, 255, kDigit);
    if (!playable || open || !p.Clicked(WheelX(i) - 28.0f, kWheelY - 42.0f, 56.0f, 84.0f)) continue;
    const int d = Digit(code, i);
    const int step = i == 0 ? 100 : i == 1 ? 10 : 1;
    code += d == 9 ? -9 * step : step;
    sounds.play(code == kCode ? "unlock" : "switch");
  }
  p.DrawCentred("p_mb_latch", 605.0f, 410.0f, code == kCode ? 90.0f : 0.0f);

  p.SetWon(ball && maze.InHole());
  p.SetFlag("list", note);
  p.SetFlag("ball", ball);
  p.SetNumber("c", code);
  p.SetNumber("bx", maze.x);
  p.SetNumber("by", maze.y);
  p.SetNumber("anim", roll);
}
