// The rules of the forge casket's ring lock, apart from its drawing: three
// rings of the round seal, each with a mark, turn by eighths; a turned ring
// drags its neighbour inward with it (the inner one drags the outer), and the
// seal opens when the three marks stand at the top together.
#pragma once

#include <array>

struct CasketSeal {
  static constexpr int kRings = 3;    // outer, middle (the missing one), inner
  static constexpr int kNotches = 8;  // eighths of a turn
  // The code of an unset middle ring, and the largest code of a set one.
  static constexpr int kRingMissing = 0;
  static constexpr int kLastCode = kNotches * kNotches * kNotches;

  // Eighths each ring's mark stands clockwise of the top.
  std::array<int, kRings> turn{4, 6, 2};

  // Turns a ring an eighth (dir +1 clockwise, -1 back) and its neighbour with it.
  void Turn(int ring, int dir);
  bool Open() const;

  // The lock in one number for its key: 1 + the three turns as digits of
  // eight (0 is kept for "the middle ring is not set yet").
  int Code() const;
  // A code out of range gives the seal as the casket is found.
  static CasketSeal FromCode(int code);
};
