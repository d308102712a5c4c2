// The flasks of the stairs' alchemist stand, as rules without pictures: three
// graduated flasks of 8, 5 and 3 measures, pouring one into another until it
// is empty or the other is full, and the split into two halves of four that
// wins. The puzzle routine plays them; tests search them.
#pragma once

#include <array>

struct Flasks {
  static constexpr std::array<int, 3> kSize{8, 5, 3};
  static constexpr int kTotal = 8;

  std::array<int, 3> measures{kTotal, 0, 0};

  // The flasks as saved: the big and the middle flask's measures, the small
  // one holding the rest. Numbers no pour could leave give the start.
  static Flasks FromSaved(int big, int mid);

  // A pour moves something: the source holds liquid and the target has room.
  bool CanPour(int from, int to) const;
  void Pour(int from, int to);
  bool Won() const { return measures[0] == 4 && measures[1] == 4; }
};
