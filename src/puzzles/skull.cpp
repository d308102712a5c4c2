// The skull mould on the laboratory's bench. The player brings the silver
// spoon (into the crucible), the dipper (onto its hook) and the skull form
// (into the mould), then works out the caster's order from the note on the
// wall and what the bench does: copper and borax into the crucible before
// the fire, the mould clamped before the silver is poured, quenched before
// it is opened. Each key of the mould is one thing on the bench, kept every
// frame, so a cast left half done waits where it was.
#include "puzzles/skull.h"

#include <string>

#include "puzzles/puzzle.h"
#include "res/sounds.h"
#include "world/inventory.h"

// --- The bench's rules ------------------------------------------------------------------------

bool SkullMould::Burner() {
  if (!Ready()) return false;
  fire = !fire;
  // The silver melts as soon as it meets the fire, with whatever is in the
  // crucible by then: without both copper and borax it burns black.
  if (fire && alloy == kUnmelted) alloy = mix1 && mix2 ? kGood : kBurnt;
  return true;
}

bool SkullMould::Jar(int jar) {
  if (!Ready() || alloy != kUnmelted) return false;
  bool& in = jar == 1 ? mix1 : mix2;
  if (in) return false;
  in = true;
  return true;
}

bool SkullMould::Crucible() {
  if (!Ready() || fire || (alloy == kUnmelted && !mix1 && !mix2)) return false;
  alloy = kUnmelted;
  mix1 = false;
  mix2 = false;
  return true;
}

bool SkullMould::Ladle() {
  if (dipper == kFullGood || dipper == kFullBurnt) {
    dipper = kEmpty;
    return true;
  }
  if (dipper != kEmpty || !fire || alloy == kUnmelted) return false;
  dipper = alloy == kGood ? kFullGood : kFullBurnt;
  return true;
}

bool SkullMould::Mould() {
  if ((dipper != kFullGood && dipper != kFullBurnt) || !sform || final != kNoCast) return false;
  final = !form ? kSpilt : dipper == kFullGood ? kGoodCast : kBurntCast;
  dipper = kEmpty;
  done = false;
  return true;
}

bool SkullMould::Clamp() {
  if (!Ready() || Won()) return false;
  if (form && (final == kGoodCast || final == kBurntCast)) {
    form = false;
    // Opened hot, the silver runs out; a burnt cast cracks and drops out.
    if (!done || final == kBurntCast) {
      final = kSpilt;
      done = false;
    }
    return true;
  }
  form = !form;
  return true;
}

bool SkullMould::Quench() {
  if (!form || done || (final != kGoodCast && final != kBurntCast)) return false;
  done = true;
  return true;
}

bool SkullMould::Tray() {
  if (final != kSpilt) return false;
  final = kNoCast;
  return true;
}

// --- The bench on the screen ------------------------------------------------------------------

namespace {

struct Spot {
  float x, y, w, h;
};
constexpr Spot kCopper{60.0f, 40.0f, 80.0f, 100.0f};
constexpr Spot kBorax{150.0f, 40.0f, 80.0f, 100.0f};
constexpr Spot kCrucible{95.0f, 225.0f, 150.0f, 95.0f};
constexpr Spot kBurner{100.0f, 320.0f, 140.0f, 130.0f};
constexpr Spot kHook{290.0f, 40.0f, 90.0f, 200.0f};
constexpr Spot kMould{400.0f, 150.0f, 180.0f, 220.0f};
constexpr Spot kLever{590.0f, 200.0f, 60.0f, 140.0f};
constexpr Spot kJug{640.0f, 40.0f, 90.0f, 130.0f};
constexpr Spot kTray{380.0f, 385.0f, 230.0f, 80.0f};

bool ClickedOn(Puzzle& p, const Spot& s) { return p.Clicked(s.x, s.y, s.w, s.h); }

// The pieces the bench waits for, by item.
void BringIn(SkullMould& m, const std::string& held) {
  if (held == "silver_spoon" && !m.spoon) {
    m.spoon = true;
  } else if (held == "dipper" && m.dipper == SkullMould::kNoDipper) {
    m.dipper = SkullMould::kEmpty;
  } else if (held == "skull_form" && !m.sform) {
    m.sform = true;
  } else {
    return;
  }
  Puzzle::TakeHeld();
}

void Work(Puzzle& p, SkullMould& m) {
  if (!Puzzle::HeldItem().empty()) return;
  if (ClickedOn(p, kCopper) && m.Jar(1)) sounds.play("salt");
  if (ClickedOn(p, kBorax) && m.Jar(2)) sounds.play("salt");
  if (ClickedOn(p, kBurner) && m.Burner()) sounds.play(m.fire ? "gas" : "cool");
  if (ClickedOn(p, kCrucible) && m.Crucible()) sounds.play("metal");
  if (ClickedOn(p, kHook) && m.Ladle()) sounds.play("pour");
  if (ClickedOn(p, kMould) && m.Mould())
    sounds.play(m.final == SkullMould::kSpilt ? "hiss" : "pour");
  if (ClickedOn(p, kLever) && m.Clamp())
    sounds.play(m.final == SkullMould::kSpilt ? "hiss" : "switch");
  if (ClickedOn(p, kJug) && m.Quench()) sounds.play("hiss");
  if (ClickedOn(p, kTray) && m.Tray()) sounds.play("metal");
}

void DrawBench(Puzzle& p, const SkullMould& m) {
  using M = SkullMould;
  p.Draw("p_jar_copper", kCopper.x, kCopper.y, 0xFFFFFF, m.mix1 ? 150 : 255);
  p.Draw("p_jar_borax", kBorax.x, kBorax.y, 0xFFFFFF, m.mix2 ? 150 : 255);
  p.Draw(m.fire ? "p_burner_lit" : "p_burner", kBurner.x, kBurner.y);
  p.Draw("p_crucible", kCrucible.x, kCrucible.y);
  const float in_x = kCrucible.x + 20.0f;
  const float in_y = kCrucible.y + 6.0f;
  if (m.alloy == M::kGood) {
    p.Draw(m.fire ? "p_melt" : "p_melt_cold", in_x, in_y);
  } else if (m.alloy == M::kBurnt) {
    p.Draw("p_melt_burnt", in_x, in_y - 40.0f);
  } else {
    if (m.mix1) p.Draw("p_copper_in", in_x, in_y);
    if (m.mix2) p.Draw("p_borax_in", in_x, in_y);
    if (m.spoon) p.Draw("p_spoon_in", in_x, in_y - 30.0f);
  }
  if (m.dipper == M::kFullGood || m.dipper == M::kFullBurnt) {
    p.Draw(m.dipper == M::kFullGood ? "p_dipper_full" : "p_dipper_burnt", kHook.x, kHook.y);
  } else if (m.dipper == M::kEmpty) {
    p.Draw("p_dipper", kHook.x, kHook.y);
  }
  const bool cast_in = m.final == M::kGoodCast || m.final == M::kBurntCast;
  if (m.form) {
    p.Draw("p_mould_shut", kMould.x, kMould.y);
    if (cast_in && !m.done) p.Draw("p_cast_hot", kMould.x, kMould.y);
    if (cast_in && m.done) p.Draw("p_cast_cool", kMould.x, kMould.y);
  } else {
    p.Draw("p_mould_open", kMould.x, kMould.y);
    if (m.sform) p.Draw(m.Won() ? "p_silver_skull" : "p_form_in", kMould.x, kMould.y);
  }
  p.Draw(m.form ? "p_lever_shut" : "p_lever_open", kLever.x, kLever.y);
  p.Draw("p_jug", kJug.x, kJug.y);
  if (m.final == M::kSpilt) p.Draw("p_spill", kTray.x, kTray.y);
}

}  // namespace

void SkullPuzzle(Puzzle& p) {
  using M = SkullMould;
  if (p.FirstOpening())
    for (const char* word : {"spoon", "sform", "fire", "mix1", "mix2", "form", "done"})
      p.SetFlag(word, false);
  M m;
  m.spoon = p.Flag("spoon");
  m.sform = p.Flag("sform");
  m.fire = p.Flag("fire");
  m.mix1 = p.Flag("mix1");
  m.mix2 = p.Flag("mix2");
  m.form = p.Flag("form");
  m.done = p.Flag("done");
  // A hand-edited number out of range never takes a piece away: the dipper
  // reads as hanging empty, the crucible and mould as untouched.
  m.dipper = p.Number("dipper", M::kNoDipper, M::kFullBurnt, M::kEmpty);
  m.alloy = p.Number("alloy", M::kUnmelted, M::kBurnt, M::kUnmelted);
  m.final = p.Number("final", M::kNoCast, M::kSpilt, M::kNoCast);

  if (!m.Ready()) {
    p.Lock();
    if (p.Clicked(10.0f, 10.0f, p.W() - 20.0f, p.H() - 20.0f)) {
      const std::string held = Puzzle::HeldItem();
      if (held.empty()) ShowSceneMessage("laboratory_q_skull");
      BringIn(m, held);
    }
  } else if (!p.Done()) {
    Work(p, m);
  }
  DrawBench(p, m);

  p.SetWon(m.Won());
  p.SetFlag("spoon", m.spoon);
  p.SetFlag("sform", m.sform);
  p.SetFlag("fire", m.fire);
  p.SetFlag("mix1", m.mix1);
  p.SetFlag("mix2", m.mix2);
  p.SetFlag("form", m.form);
  p.SetFlag("done", m.done);
  p.SetNumber("dipper", m.dipper);
  p.SetNumber("alloy", m.alloy);
  p.SetNumber("final", m.final);
}
