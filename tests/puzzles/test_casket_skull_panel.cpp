// The forge's casket, the laboratory's skull mould and the basement's control
// panel: a search over each one's rules proves that a win stays reachable
// from every state a player can reach, and each is played from its object in
// the level to its reward by clicks, with a wrong step or a pause on the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/ini.h"
#include "puzzles/casket.h"
#include "puzzles/cpanel.h"
#include "puzzles/puzzle.h"
#include "puzzles/skull.h"
#include "story/quest.h"
#include "support/closeup_walk.h"
#include "support/input.h"
#include "support/loaded_game.h"
#include "support/puzzle_solve.h"
#include "support/puzzle_walk.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

// --- Searching a board's rules ----------------------------------------------------------------

// A board's rules as the search sees them: where it starts, its moves (each
// says whether it changed the board), a number telling states apart, the win.
template <class Board>
struct Rules {
  Board start;
  std::vector<std::function<bool(Board&)>> moves;
  std::function<int(const Board&)> code;
  std::function<bool(const Board&)> won;
};

// Every state reachable from the start, breadth first, with the state and
// move each was first reached by and the states one move before it.
struct Reach {
  std::vector<int> order;                                  // codes, nearest first
  std::unordered_map<int, std::pair<int, int>> came_from;  // code -> (previous, move)
  std::unordered_map<int, std::vector<int>> led_from;      // code -> codes one move before
  std::vector<int> won;                                    // codes of won states
};

template <class Board>
Reach Explore(const Rules<Board>& rules) {
  Reach r;
  std::deque<Board> queue{rules.start};
  r.came_from[rules.code(rules.start)] = {-1, -1};
  while (!queue.empty()) {
    const Board b = queue.front();
    queue.pop_front();
    r.order.push_back(rules.code(b));
    if (rules.won(b)) r.won.push_back(r.order.back());
    for (std::size_t m = 0; m < rules.moves.size(); ++m) {
      Board next = b;
      if (!rules.moves[m](next)) continue;
      const int c = rules.code(next);
      r.led_from[c].push_back(r.order.back());
      if (r.came_from.emplace(c, std::pair{r.order.back(), static_cast<int>(m)}).second)
        queue.push_back(next);
    }
  }
  return r;
}

// How many reachable states can no longer reach a win (none, for a puzzle
// without dead ends), searched backwards from every won state.
std::size_t DeadEnds(const Reach& r) {
  std::unordered_map<int, bool> saved;
  std::deque<int> queue(r.won.begin(), r.won.end());
  for (const int c : r.won) saved[c] = true;
  while (!queue.empty()) {
    const auto from = r.led_from.find(queue.front());
    queue.pop_front();
    if (from == r.led_from.end()) continue;
    for (const int prev : from->second)
      if (saved.emplace(prev, true).second) queue.push_back(prev);
  }
  return r.order.size() - saved.size();
}

// The moves of a shortest way from the start to the nearest win.
std::vector<int> WayToWin(const Reach& r) {
  std::vector<int> way;
  if (r.won.empty()) return way;
  for (auto at = r.came_from.at(r.won.front()); at.second >= 0; at = r.came_from.at(at.first))
    way.push_back(at.second);
  std::reverse(way.begin(), way.end());
  return way;
}

Rules<CasketSeal> CasketRules() {
  Rules<CasketSeal> rules{{}, {}, &CasketSeal::Code, &CasketSeal::Open};
  for (int ring = 0; ring < CasketSeal::kRings; ++ring)
    for (const int dir : {1, -1})
      rules.moves.push_back([ring, dir](CasketSeal& s) {
        s.Turn(ring, dir);
        return true;
      });
  return rules;
}

Rules<ControlPanel> PanelRules() {
  Rules<ControlPanel> rules{{}, {}, &ControlPanel::Code, &ControlPanel::Running};
  for (int tile = 0; tile < ControlPanel::kTiles; ++tile)
    rules.moves.push_back([tile](ControlPanel& p) {
      p.Turn(tile);
      return true;
    });
  return rules;
}

// The bench once the spoon, the dipper and the form are in.
Rules<SkullMould> SkullRules() {
  Rules<SkullMould> rules;
  rules.start.spoon = true;
  rules.start.sform = true;
  rules.start.dipper = SkullMould::kEmpty;
  rules.moves = {&SkullMould::Burner,
                 [](SkullMould& m) { return m.Jar(1); },
                 [](SkullMould& m) { return m.Jar(2); },
                 &SkullMould::Crucible,
                 &SkullMould::Ladle,
                 &SkullMould::Mould,
                 &SkullMould::Clamp,
                 &SkullMould::Quench,
                 &SkullMould::Tray};
  rules.code = [](const SkullMould& m) {
    int c = m.dipper | m.alloy << 2 | m.final << 4, bit = 6;
    for (const bool b : {m.spoon, m.sform, m.fire, m.mix1, m.mix2, m.form, m.done})
      c |= (b ? 1 : 0) << bit++;
    return c;
  };
  rules.won = &SkullMould::Won;
  return rules;
}

TEST(CasketSkullPanelRules, EveryReachableStateCanStillBeWon) {
  const Reach seal = Explore(CasketRules());
  EXPECT_EQ(DeadEnds(seal), 0u);
  EXPECT_GE(WayToWin(seal).size(), 5u) << "the seal wants some thought";

  const Reach panel = Explore(PanelRules());
  EXPECT_EQ(panel.order.size(), static_cast<std::size_t>(ControlPanel::kLastCode));
  EXPECT_EQ(DeadEnds(panel), 0u);
  EXPECT_FALSE(ControlPanel{}.Running());

  const Reach bench = Explore(SkullRules());
  EXPECT_EQ(DeadEnds(bench), 0u);
  EXPECT_GE(WayToWin(bench).size(), 8u);
  // The wrong turns are there to be taken, and put right.
  bool burnt = false, spilt = false, bad_cast = false;
  for (const int c : bench.order) {
    burnt = burnt || (c >> 2 & 3) == SkullMould::kBurnt;
    spilt = spilt || (c >> 4 & 3) == SkullMould::kSpilt;
    bad_cast = bad_cast || (c >> 4 & 3) == SkullMould::kBurntCast;
  }
  EXPECT_TRUE(burnt && spilt && bad_cast);
}

TEST(CasketSkullPanelRules, PanelRunsOnlyWithEveryEndMet) {
  ControlPanel p;  // turned to the wiring the panel was built with
  p.turn = {1, 1, 2, 2, 0, 0, 0, 3, 3};
  EXPECT_TRUE(p.Running());
  p.turn[4] = 2;  // a straight wire the other way round is the same wire
  EXPECT_TRUE(p.Running());
  p.turn[8] = 1;  // the bottom right bend turned away: loose ends, and the tile dark
  EXPECT_FALSE(p.Running());
  EXPECT_FALSE(p.Powered()[8]);
  EXPECT_TRUE(p.Powered()[3]);
  EXPECT_EQ(ControlPanel::FromCode(p.Code()).turn, p.turn);
  EXPECT_EQ(CasketSeal::FromCode(-5).Code(), CasketSeal{}.Code()) << "out of range: as found";
}

// --- Played in the game -----------------------------------------------------------------------

class CasketSkullPanel : public LoadedGame {};

// The casket: inert without its ring, then turned by the shortest way found
// above, closed half way and resumed where it was left.
void CasketPlayed() {
  EnterLevelForWalk("forge");
  ASSERT_TRUE(OpenPuzzleByClick("q_casket"));
  ClickInPuzzle(375.0f + 130.0f, 250.0f);
  EXPECT_EQ(QuestNumber("puzzle_q_casket_ring"), 0) << "no turning without the middle ring";
  HoldItem("missing_ring");
  ClickInPuzzle(375.0f, 250.0f);
  EXPECT_EQ(QuestNumber("puzzle_q_casket_ring"), CasketSeal{}.Code());
  EXPECT_LT(FindInventoryEntry("missing_ring"), 0);

  const std::vector<int> way = WayToWin(Explore(CasketRules()));
  constexpr float kRadius[CasketSeal::kRings] = {130.0f, 85.0f, 38.0f};
  for (std::size_t i = 0; i < way.size(); ++i) {
    const int ring = way[i] / 2;
    const float side = way[i] % 2 == 0 ? 1.0f : -1.0f;
    ClickInPuzzle(375.0f + side * kRadius[ring], 250.0f);
    if (i == 1) {
      const int kept = QuestNumber("puzzle_q_casket_ring");
      ClosePuzzleBeside();
      ASSERT_TRUE(OpenPuzzleByClick("q_casket"));
      EXPECT_EQ(QuestNumber("puzzle_q_casket_ring"), kept);
    }
  }
  GameSteps(510);
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_casket"), 0);
  EXPECT_GE(FindInventoryEntry("coal_holder"), 0);
  EXPECT_GE(FindSceneObject("q_cas2"), 0);
  EXPECT_LT(FindSceneObject("q_casket"), 0);
}

// The skull: the three pieces brought, the fire lit too early (the melt
// burns), put right, and the cast made, with a pause half way.
void SkullPlayed() {
  EnterLevelForWalk("laboratory");
  ASSERT_TRUE(OpenPuzzleByClick("q_skull"));
  for (const char* item : {"silver_spoon", "dipper", "skull_form"}) {
    HoldItem(item);
    ClickInPuzzle(30.0f, 470.0f);
  }
  ASSERT_TRUE(QuestFlag("puzzle_q_skull_spoon") && QuestFlag("puzzle_q_skull_sform"));
  const auto burner = [] { ClickInPuzzle(170.0f, 400.0f); };
  const auto crucible = [] { ClickInPuzzle(170.0f, 270.0f); };
  const auto copper = [] { ClickInPuzzle(100.0f, 90.0f); };
  const auto borax = [] { ClickInPuzzle(190.0f, 90.0f); };
  const auto dipper = [] { ClickInPuzzle(335.0f, 140.0f); };
  const auto mould = [] { ClickInPuzzle(490.0f, 260.0f); };
  const auto lever = [] { ClickInPuzzle(620.0f, 270.0f); };
  const auto jug = [] { ClickInPuzzle(685.0f, 105.0f); };
  copper();
  burner();
  EXPECT_EQ(QuestNumber("puzzle_q_skull_alloy"), SkullMould::kBurnt) << "no borax yet: it burns";
  crucible();
  EXPECT_EQ(QuestNumber("puzzle_q_skull_alloy"), SkullMould::kBurnt) << "too hot to knock out";
  burner();
  crucible();
  EXPECT_EQ(QuestNumber("puzzle_q_skull_alloy"), SkullMould::kUnmelted);
  EXPECT_TRUE(QuestFlag("puzzle_q_skull_spoon")) << "the silver is kept";
  copper();
  borax();
  burner();
  EXPECT_EQ(QuestNumber("puzzle_q_skull_alloy"), SkullMould::kGood);
  ClosePuzzleBeside();
  ASSERT_TRUE(OpenPuzzleByClick("q_skull"));
  lever();
  dipper();
  mould();
  lever();  // opened while hot: the silver runs onto the tray
  EXPECT_EQ(QuestNumber("puzzle_q_skull_final"), SkullMould::kSpilt);
  ClickInPuzzle(495.0f, 425.0f);
  lever();
  dipper();
  mould();
  jug();
  lever();
  EXPECT_GT(QuestNumber("puzzle_q_skull_t_post"), 0);
  GameSteps(510);
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_skull"), 0);
  EXPECT_GE(FindInventoryEntry("silver_skull_amulet"), 0);
  EXPECT_LT(FindSceneObject("q_skull"), 0);
}

// The panel: dead and unskippable until the bulb is in; a hand-edited board
// reads as the panel as found; then wired by clicks to start the machine.
void PanelPlayed() {
  EnterLevelForWalk("basement");
  if (const int dark = FindSceneObject("q_dark"); dark >= 0) RemoveSceneObject(dark);
  world.interactive = true;
  ASSERT_TRUE(OpenPuzzleByClick("q_cpanel"));
  GameSteps(200);
  EXPECT_FALSE(gui_get("btn_skip")->visible) << "no skipping before the bulb";
  HoldItem("light_bulb");
  ClickInPuzzle(40.0f, 40.0f);
  ClosePuzzleBeside();
  SetQuestNumber("puzzle_q_cpanel_bulb", ControlPanel::kLastCode + 7);
  ASSERT_TRUE(OpenPuzzleByClick("q_cpanel"));
  GameSteps(1);
  EXPECT_EQ(QuestNumber("puzzle_q_cpanel_bulb"), ControlPanel{}.Code());

  EXPECT_TRUE(SolveOpenPuzzle("q_cpanel"));
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_cpanel"), 0);
  EXPECT_GE(FindSceneObject("q_chisel"), 0);
  EXPECT_GE(FindSceneObject("q_engine"), 0);
  EXPECT_LT(FindSceneObject("q_cpanel"), 0);
}

}  // namespace

TEST_F(CasketSkullPanel, CasketSealTurnedOpen) { Run(1280, 1024, false, CasketPlayed); }
TEST_F(CasketSkullPanel, SkullCastAfterAWrongStart) { Run(1280, 1024, false, SkullPlayed); }
TEST_F(CasketSkullPanel, ControlPanelWiredToTheBulb) { Run(1280, 1024, false, PanelPlayed); }
