// The hallway's row of five statuettes as rules without pictures: which
// figure stands in which niche, swapping two neighbours on their turning
// floors, and the order that wins. The order is kept as one number, a digit
// a niche. The puzzle routine plays it; tests search it.
#pragma once

#include <array>

struct StatuetteRow {
  static constexpr int kNiches = 5;
  static constexpr int kStartField = 24031;  // fox, eagle, owl, stag, cat
  static constexpr int kEagle = 4;           // the statuette that is missing at first

  std::array<int, kNiches> figure{2, 4, 0, 3, 1};

  // The row from its kept number; anything but the five figures once each
  // gives the starting order.
  static StatuetteRow FromSaved(int field);
  int Saved() const;

  bool CanSwap(int a, int b) const;
  void Swap(int a, int b);
  bool Won() const;
};
