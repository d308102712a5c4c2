// The backyard's ball maze as rules without pictures: a 6 x 6 maze of brass
// rails, a steel ball that rolls cell by cell when the maze is tilted until a
// rail or the frame stops it, and the hole it falls into. The puzzle routine
// plays it a cell at a time; tests search every place the ball can rest.
#pragma once

struct BallMaze {
  static constexpr int kSide = 6;
  static constexpr int kHoleX = 3;
  static constexpr int kHoleY = 2;
  // Tilts as the roll key keeps them; 0 is no roll.
  static constexpr int kUp = 1;
  static constexpr int kDown = 2;
  static constexpr int kLeft = 3;
  static constexpr int kRight = 4;

  int x = 0;
  int y = 0;

  // A rail or the frame on that side of the cell.
  static bool Blocked(int x, int y, int tilt);
  bool InHole() const { return x == kHoleX && y == kHoleY; }
  // One cell of a roll; false when the ball cannot go on (stopped, or fallen
  // into the hole).
  bool Step(int tilt);
  // A whole roll.
  void Roll(int tilt);
};
