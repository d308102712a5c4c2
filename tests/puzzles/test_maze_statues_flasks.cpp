// The ball maze of the backyard, the statuette wall of the hallway and the
// flasks of the stairs: their rules searched to prove that no state a player
// can reach is a dead end, and each played by clicks from its object to its
// reward, with a leave and a resume on the way and hand-edited keys met first.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/ini.h"
#include "puzzles/liquid.h"
#include "puzzles/mball.h"
#include "puzzles/puzzle.h"
#include "puzzles/statuettes.h"
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

// --- The rules, searched ------------------------------------------------------------------

// Each board's moves as (move, board after it); a board is known by its key.
std::vector<std::pair<int, BallMaze>> Tilts(const BallMaze& m) {
  std::vector<std::pair<int, BallMaze>> out;
  if (m.InHole()) return out;
  for (int t = BallMaze::kUp; t <= BallMaze::kRight; ++t) {
    BallMaze next = m;
    next.Roll(t);
    out.emplace_back(t, next);
  }
  return out;
}
int KeyOf(const BallMaze& m) { return m.x * 10 + m.y; }
bool WonBoard(const BallMaze& m) { return m.InHole(); }

std::vector<std::pair<int, StatuetteRow>> Swaps(const StatuetteRow& r) {
  std::vector<std::pair<int, StatuetteRow>> out;
  for (int a = 0; a + 1 < StatuetteRow::kNiches; ++a) {
    StatuetteRow next = r;
    next.Swap(a, a + 1);
    out.emplace_back(a, next);
  }
  return out;
}
int KeyOf(const StatuetteRow& r) { return r.Saved(); }
bool WonBoard(const StatuetteRow& r) { return r.Won(); }

std::vector<std::pair<int, Flasks>> Pours(const Flasks& f) {
  std::vector<std::pair<int, Flasks>> out;
  for (int from = 0; from < 3; ++from)
    for (int to = 0; to < 3; ++to) {
      if (!f.CanPour(from, to)) continue;
      Flasks next = f;
      next.Pour(from, to);
      out.emplace_back(from * 3 + to, next);
    }
  return out;
}
int KeyOf(const Flasks& f) { return f.measures[0] * 100 + f.measures[1] * 10 + f.measures[2]; }
bool WonBoard(const Flasks& f) { return f.Won(); }

// Breadth-first from `start`: the moves of the shortest way to a won board
// (empty when already won), and whether there is one at all.
template <class Board, class Moves>
std::pair<bool, std::vector<int>> ShortestWin(const Board& start, Moves moves) {
  std::map<int, std::pair<int, int>> from;  // board -> (board before, move)
  std::deque<Board> open{start};
  from[KeyOf(start)] = {-1, -1};
  while (!open.empty()) {
    const Board b = open.front();
    open.pop_front();
    if (WonBoard(b)) {
      std::vector<int> way;
      for (int k = KeyOf(b); from[k].first != -1; k = from[k].first) way.insert(way.begin(), from[k].second);
      return {true, way};
    }
    for (const auto& [move, next] : moves(b)) {
      if (from.contains(KeyOf(next))) continue;
      from[KeyOf(next)] = {KeyOf(b), move};
      open.push_back(next);
    }
  }
  return {false, {}};
}

// Every board reachable from the start still has a way to a win.
template <class Board, class Moves>
int ReachableAndAllWinnable(const Board& start, Moves moves) {
  std::map<int, Board> seen{{KeyOf(start), start}};
  std::deque<Board> open{start};
  while (!open.empty()) {
    const Board b = open.front();
    open.pop_front();
    EXPECT_TRUE(ShortestWin(b, moves).first) << "dead end at " << KeyOf(b);
    for (const auto& [move, next] : moves(b))
      if (seen.emplace(KeyOf(next), next).second) open.push_back(next);
  }
  return static_cast<int>(seen.size());
}

TEST(DesignedPuzzleRules, NoReachableStateIsADeadEnd) {
  EXPECT_EQ(ReachableAndAllWinnable(BallMaze{}, Tilts), 20);
  EXPECT_EQ(ReachableAndAllWinnable(StatuetteRow{}, Swaps), 120);
  EXPECT_EQ(ReachableAndAllWinnable(Flasks{}, Pours), 16);
  // Long enough to be a puzzle, short enough for a few minutes.
  EXPECT_EQ(ShortestWin(BallMaze{}, Tilts).second.size(), 8u);
  EXPECT_EQ(ShortestWin(StatuetteRow{}, Swaps).second.size(), 6u);
  EXPECT_EQ(ShortestWin(Flasks{}, Pours).second.size(), 7u);
  BallMaze m{BallMaze::kHoleX - 1, BallMaze::kHoleY};
  m.Roll(BallMaze::kRight);
  EXPECT_TRUE(m.InHole()) << "the ball falls into the hole it rolls onto";
  EXPECT_FALSE(m.Step(BallMaze::kRight));
}

TEST(DesignedPuzzleRules, KeptBoardsThatCannotBeReadStartAgain) {
  EXPECT_EQ(StatuetteRow::FromSaved(1234).Won(), true) << "a leading owl is a leading 0";
  EXPECT_EQ(StatuetteRow::FromSaved(43210).Saved(), 43210);
  for (int bad : {11234, 123456, 56789, -1, 0})
    EXPECT_EQ(StatuetteRow::FromSaved(bad).Saved(), StatuetteRow::kStartField) << bad;
  EXPECT_EQ(Flasks::FromSaved(3, 2).measures, (std::array<int, 3>{3, 2, 3}));
  for (const auto& [big, mid] : {std::pair{0, 0}, {6, 5}, {9, -1}, {1, 2}})
    EXPECT_EQ(Flasks::FromSaved(big, mid).measures, (std::array<int, 3>{8, 0, 0})) << big << mid;
}

// --- Played in the game -------------------------------------------------------------------

class DesignedPuzzles : public LoadedGame {};

void Tap(float dx, float dy, int frames = 1) {
  ClickAt(kPuzzleX + dx, kPuzzleY + dy);
  GameSteps(frames);
}

void Supply(const char* item, float dx, float dy) {
  HoldItem(item);
  Tap(dx, dy);
}

// The maze: a cell or a roll out of range and a code that is no number start
// again; nothing tilts before the latch drops; a roll goes on after a close.
void MazePlayed() {
  EnterLevelForWalk("backyard");
  SetQuestNumber("puzzle_q_mball_bx", 9);
  SetQuestNumber("puzzle_q_mball_anim", 7);
  IniWriteString(QuestSection(), "puzzle_q_mball_c", "nan");
  ASSERT_TRUE(OpenPuzzleByClick("q_mball"));
  EXPECT_EQ(QuestNumber("puzzle_q_mball_bx"), 0);
  EXPECT_EQ(QuestNumber("puzzle_q_mball_anim"), 0);
  Tap(540.0f, 300.0f);
  EXPECT_EQ(QuestNumber("puzzle_q_mball_c"), 0) << "no wheel turns before the note and the ball";
  Supply("note_with_code", 300.0f, 250.0f);
  Supply("metal_ball", 300.0f, 250.0f);
  Tap(442.0f, 248.0f, 30);  // the right lever, latched
  EXPECT_EQ(QuestNumber("puzzle_q_mball_bx"), 0);
  for (int i = 0; i < 3; ++i)
    for (int n = 0; n < (i == 0 ? 3 : i == 1 ? 7 : 1); ++n) Tap(540.0f + 65.0f * i, 300.0f);
  EXPECT_EQ(QuestNumber("puzzle_q_mball_c"), 371);
  const float lever[5][2] = {{0, 0}, {238, 44}, {238, 452}, {34, 248}, {442, 248}};
  const auto [found, way] = ShortestWin(BallMaze{}, Tilts);
  ASSERT_TRUE(found);
  BallMaze expect;
  bool closed = false;
  for (int tilt : way) {
    const BallMaze before = expect;
    expect.Roll(tilt);
    Tap(lever[tilt][0], lever[tilt][1]);
    if (!closed && std::abs(expect.x - before.x) + std::abs(expect.y - before.y) >= 2) {
      GameSteps(8);  // a cell on, mid-roll
      ASSERT_NE(QuestNumber("puzzle_q_mball_anim"), 0);
      ClosePuzzleBeside();
      ASSERT_TRUE(OpenPuzzleByClick("q_mball"));
      closed = true;
    }
    for (int n = 0; n < 80 && QuestNumber("puzzle_q_mball_anim") != 0; ++n) GameSteps(1);
    EXPECT_EQ(QuestNumber("puzzle_q_mball_bx") * 10 + QuestNumber("puzzle_q_mball_by"), KeyOf(expect));
  }
  EXPECT_TRUE(closed);
  GameSteps(510);
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_mball"), 0);
  EXPECT_GE(FindInventoryEntry("energy_crystal"), 0);
  EXPECT_LT(FindSceneObject("q_mball"), 0);
}

// The statuettes: a field of a repeated figure starts again; nothing moves
// before the mask and the eagle are set and the signs are lit; a click two
// niches away lifts instead of swapping.
void StatuettesPlayed() {
  EnterLevelForWalk("hallway");
  SetQuestNumber("puzzle_q_statuettes_field", 11234);
  SetQuestNumber("puzzle_q_statuettes_znak", 40);
  ASSERT_TRUE(OpenPuzzleByClick("q_statuettes"));
  EXPECT_EQ(QuestNumber("puzzle_q_statuettes_field"), StatuetteRow::kStartField);
  EXPECT_EQ(QuestNumber("puzzle_q_statuettes_znak"), 0);
  for (const char* item : {"left_face_half", "right_face_half"}) Supply(item, 375.0f, 120.0f);
  Tap(95.0f, 350.0f);
  EXPECT_EQ(QuestNumber("puzzle_q_statuettes_znak"), 0) << "the eagle is still missing";
  ClosePuzzleBeside();
  ASSERT_TRUE(OpenPuzzleByClick("q_statuettes"));
  Supply("missing_statuette", 375.0f, 120.0f);
  GameSteps(100);
  Tap(95.0f, 350.0f);
  Tap(375.0f, 350.0f);
  EXPECT_EQ(QuestNumber("puzzle_q_statuettes_znak"), 3);
  EXPECT_EQ(QuestNumber("puzzle_q_statuettes_field"), StatuetteRow::kStartField);
  Tap(375.0f, 350.0f);  // put down again
  EXPECT_TRUE(SolveOpenPuzzle("q_statuettes"));
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_statuettes"), 0);
  EXPECT_GE(FindSceneObject("q_wall"), 0);
  EXPECT_GE(FindSceneObject("q_spell"), 0);
  EXPECT_LT(FindSceneObject("q_mwall"), 0);
  EXPECT_LT(FindSceneObject("q_statuettes"), 0);
}

// The flasks: measures no pour could leave start again; nothing pours before
// the screw; the measures outlast a close; the flasks stay as a plain object.
void FlasksPlayed() {
  EnterLevelForWalk("stairs");
  AddSceneObject("q_liquid", "puzzle", 680.0f, 560.0f);
  SetQuestNumber("puzzle_q_liquid_big", 6);
  SetQuestNumber("puzzle_q_liquid_mid", 5);
  ASSERT_TRUE(OpenPuzzleByClick("q_liquid"));
  EXPECT_EQ(QuestNumber("puzzle_q_liquid_big"), 8);
  EXPECT_EQ(QuestNumber("puzzle_q_liquid_mid"), 0);
  const float flask_x[3] = {195.0f, 380.0f, 555.0f};
  Tap(flask_x[0], 440.0f);
  Tap(flask_x[1], 440.0f);
  EXPECT_EQ(QuestNumber("puzzle_q_liquid_big"), 8) << "no pouring on the loose stand";
  EXPECT_FALSE(gui_get("btn_skip")->visible);
  Supply("big_screw", 375.0f, 250.0f);
  EXPECT_TRUE(QuestFlag("puzzle_q_liquid_t_bolt"));
  const auto [found, way] = ShortestWin(Flasks{}, Pours);
  ASSERT_TRUE(found);
  Flasks expect;
  for (std::size_t i = 0; i < way.size(); ++i) {
    Tap(flask_x[way[i] / 3], 340.0f);
    Tap(flask_x[way[i] % 3], 340.0f, 20);
    expect.Pour(way[i] / 3, way[i] % 3);
    if (i == 3) {
      ClosePuzzleBeside();
      ASSERT_TRUE(OpenPuzzleByClick("q_liquid"));
    }
    EXPECT_EQ(QuestNumber("puzzle_q_liquid_big"), expect.measures[0]);
    EXPECT_EQ(QuestNumber("puzzle_q_liquid_mid"), expect.measures[1]);
  }
  GameSteps(505);
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_liquid"), 0);
  EXPECT_GE(FindInventoryEntry("scroll_of_dispel"), 0);
  const int index = FindSceneObject("q_liquid");
  ASSERT_GE(index, 0);
  EXPECT_EQ(world.objects[static_cast<std::size_t>(index)].kind, "inactive");
}

}  // namespace

TEST_F(DesignedPuzzles, BallMazeRolledIntoTheHole) { Run(1280, 1024, false, MazePlayed); }
TEST_F(DesignedPuzzles, StatuettesEachUnderItsSign) { Run(1280, 1024, false, StatuettesPlayed); }
TEST_F(DesignedPuzzles, FlasksSplitIntoTwoHalves) { Run(1280, 1024, false, FlasksPlayed); }
