// The rules of the basement's control panel, apart from its drawing: nine
// wire tiles in a 3 x 3 frame, each turned a quarter by a click. The current
// comes in at the left of the middle row and must leave at its right; the
// panel starts when every wire end meets another, every tile carries current
// and the bulb at the outlet is reached.
#pragma once

#include <array>

struct ControlPanel {
  static constexpr int kSide = 3;
  static constexpr int kTiles = kSide * kSide;
  // Wire ends of a tile, as bits.
  static constexpr int kNorth = 1, kEast = 2, kSouth = 4, kWest = 8;
  // The shapes of the wires: straight, bent, three-way.
  enum Shape { kStraight, kBend, kTee };
  // The row the current enters from the left and leaves to the right.
  static constexpr int kFeedRow = 1;
  // The largest code of a board (the key keeps 0 for "no bulb yet").
  static constexpr int kLastCode = 1 << (2 * kTiles);

  // Quarter turns clockwise of each tile, row by row from the top left.
  std::array<int, kTiles> turn{2, 3, 1, 0, 1, 1, 3, 2, 0};

  static Shape ShapeOf(int tile);
  // The wire ends of a tile as it is turned now.
  int Ends(int tile) const;
  void Turn(int tile);
  // Which tiles the current reaches from the feed, through ends that meet.
  std::array<bool, kTiles> Powered() const;
  bool Running() const;

  // The board in one number for its key: 1 + the turns as digits of four.
  int Code() const;
  // A code out of range gives the panel as it is found.
  static ControlPanel FromCode(int code);
};
