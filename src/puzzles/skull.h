// The rules of the laboratory's skull mould, apart from its drawing. The
// silver spoon, the dipper and the skull form are brought in first; then the
// silver is melted in the crucible with copper and borax (both before the
// fire, or the melt burns black), ladled with the dipper into the clamped
// mould, quenched and let out. Every wrong step can be put right: a burnt
// melt is knocked out once the fire is off, spilt silver is picked up again.
#pragma once

struct SkullMould {
  // What the crucible holds once its silver has melted.
  enum Alloy { kUnmelted, kGood, kBurnt };
  // What the dipper holds.
  enum Dipper { kNoDipper, kEmpty, kFullGood, kFullBurnt };
  // What lies in or under the mould.
  enum Cast { kNoCast, kGoodCast, kBurntCast, kSpilt };

  // The pieces brought from the inventory.
  bool spoon = false;
  int dipper = kNoDipper;
  bool sform = false;
  // The bench.
  bool fire = false;
  bool mix1 = false;  // copper filings in the crucible
  bool mix2 = false;  // borax in the crucible
  int alloy = kUnmelted;
  bool form = false;  // the mould's halves clamped
  int final = kNoCast;
  bool done = false;  // the cast quenched

  // Everything brought in: the bench can be worked.
  bool Ready() const { return spoon && dipper != kNoDipper && sform; }
  // The moves of the bench; each returns false when it does nothing.
  bool Burner();      // the fire on or off
  bool Jar(int jar);  // copper (1) or borax (2) into the crucible
  bool Crucible();    // knock a melt out (fire off): the silver stays
  bool Ladle();       // fill the dipper from the melt, or pour it back
  bool Mould();       // pour the dipper into the mould
  bool Clamp();       // close or open the mould
  bool Quench();      // cool the filled, closed mould with water
  bool Tray();        // spilt silver back into the crucible
  bool Won() const { return final == kGoodCast && done && !form; }
};
