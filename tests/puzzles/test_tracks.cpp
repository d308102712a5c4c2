// The hall's bug tracks and the hidden room's terminal played by clicks: the
// missing pieces fitted from the cursor, the bugs driven home, the terminal's
// three rounds programmed, and the terminal's win carried through the sparks
// (closed and reopened on the way) into the closing sequence.
#include <gtest/gtest.h>

#include <string>

#include "engine/ini.h"
#include "puzzles/puzzle.h"
#include "story/quest.h"
#include "support/closeup_walk.h"
#include "support/input.h"
#include "support/loaded_game.h"
#include "support/puzzle_walk.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

class TrackPuzzles : public LoadedGame {};

void PressBugButton(int i, int times) {
  for (int n = 0; n < times; ++n) ClickInPuzzle(655.0f, 115.0f + 90.0f * i);
}

int BugPlace(int i) { return QuestNumber("puzzle_q_bugs_bpos" + std::to_string(i)); }

// The bug tracks: dead until the bug is fitted, then the shortest drive home.
void BugsPlayed() {
  EnterLevelForWalk("hall");
  ASSERT_TRUE(OpenPuzzleByClick("q_bugs"));
  PressBugButton(0, 1);
  GameSteps(200);
  EXPECT_EQ(BugPlace(0), 2) << "no button works before the bug is fitted";
  EXPECT_FALSE(gui_get("btn_skip")->visible);
  ClickInPuzzle(300.0f, 250.0f);
  EXPECT_EQ(world.popup.key, "hall_q_bug");
  HoldItem("metal_bug");
  ClickInPuzzle(300.0f, 250.0f);
  EXPECT_TRUE(QuestFlag("puzzle_q_bugs_bug"));
  EXPECT_LT(FindInventoryEntry("metal_bug"), 0);

  PressBugButton(3, 1);
  EXPECT_EQ(BugPlace(3), 7);
  EXPECT_EQ(BugPlace(2), 2);
  ClosePuzzleBeside();
  ASSERT_TRUE(OpenPuzzleByClick("q_bugs"));
  PressBugButton(0, 2);
  PressBugButton(1, 3);
  PressBugButton(2, 5);
  PressBugButton(3, 10);
  EXPECT_GT(QuestNumber("puzzle_q_bugs_t_post"), 0) << "all four bugs home after 21 presses";
  PressBugButton(0, 1);
  EXPECT_EQ(BugPlace(0), 10) << "the buttons are dead during the sparks";
  GameSteps(500);
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_bugs"), 0);
  EXPECT_GE(FindInventoryEntry("right_face_half"), 0);
  EXPECT_LT(FindSceneObject("q_bugs"), 0);
}

// Bugs run off either end of their tracks and come back at the other; a
// hand-edited place off the track reads as its start.
void BugsWrapRound() {
  EnterLevelForWalk("hall");
  SetQuestFlag("puzzle_q_bugs_started", true);
  SetQuestFlag("puzzle_q_bugs_bug", true);
  SetQuestNumber("puzzle_q_bugs_bpos0", 1);
  SetQuestNumber("puzzle_q_bugs_bpos1", 6);
  SetQuestNumber("puzzle_q_bugs_bpos2", 99);
  SetQuestNumber("puzzle_q_bugs_bpos3", 3);
  ASSERT_TRUE(OpenPuzzleByClick("q_bugs"));
  PressBugButton(1, 1);
  EXPECT_EQ(BugPlace(1), 1);
  EXPECT_EQ(BugPlace(0), 10);
  EXPECT_EQ(BugPlace(3), 8);
  EXPECT_EQ(BugPlace(2), 4);
}

enum { kPuzzleX, kRight, kDown, kUp };

void Key(int k) {
  const float x[] = {620.0f, 697.0f, 620.0f, 697.0f};
  const float y[] = {175.0f, 175.0f, 250.0f, 250.0f};
  ClickInPuzzle(x[k], y[k]);
}
void ClearKey() { ClickInPuzzle(657.0f, 330.0f); }
int Round() { return QuestNumber("puzzle_q_terminal_rnd"); }
// Keys the program in and runs it until its round is won, or long enough
// for any program to have ended.
void RunProgram(std::initializer_list<int> program) {
  for (int k : program) Key(k);
  ClickInPuzzle(657.0f, 410.0f);
  const int round = Round();
  for (int step = 0; step < 40 && Round() == round; ++step) GameSteps(50);
}

// The terminal: its key refused as a bare button and taken as the amulet,
// a failed program, a fifteenth command refused, the three rounds won, and
// the sparks closed and reopened before the closing sequence takes the game
// to the outro with the terminal gone from its room.
void TerminalPlayed() {
  EnterLevelForWalk("hroom");
  OpenTask("task_gustav");
  ASSERT_TRUE(OpenPuzzleByClick("q_terminal"));
  ClickInPuzzle(300.0f, 250.0f);
  EXPECT_EQ(world.popup.key, "hroom_q_key");
  HoldItem("triangular_button");
  ClickInPuzzle(300.0f, 250.0f);
  EXPECT_EQ(world.popup.key, "hroom_q_button");
  EXPECT_FALSE(QuestFlag("puzzle_q_terminal_key"));
  EXPECT_GE(FindInventoryEntry("triangular_button"), 0);
  PutBackHeldItem();
  HoldItem("triangular_amulet");
  ClickInPuzzle(300.0f, 250.0f);
  EXPECT_TRUE(QuestFlag("puzzle_q_terminal_key"));

  // Fourteen commands that leave two dark cells; the fifteenth would light
  // the last but does not fit. The failed run restores the round's start.
  RunProgram({kPuzzleX, kDown, kRight, kUp, kPuzzleX, kDown, kRight, kRight, kRight, kRight, kRight,
              kRight, kRight, kRight, kUp});
  EXPECT_EQ(Round(), 0);
  RunProgram({kPuzzleX, kDown, kRight, kUp, kPuzzleX, kDown, kRight, kUp});
  EXPECT_EQ(Round(), 1);
  // Cleared while running: the run ends at once and the round starts again.
  Key(kPuzzleX);
  ClickInPuzzle(657.0f, 410.0f);
  ClearKey();
  GameSteps(100);
  EXPECT_EQ(Round(), 1);
  ClosePuzzleBeside();
  ASSERT_TRUE(OpenPuzzleByClick("q_terminal"));
  RunProgram({kRight, kDown, kPuzzleX, kUp, kRight, kDown, kRight, kUp, kPuzzleX});
  EXPECT_EQ(Round(), 2);
  RunProgram({kRight, kDown, kPuzzleX, kUp, kRight, kDown, kPuzzleX, kUp, kPuzzleX});
  EXPECT_EQ(Round(), 3);
  EXPECT_GT(QuestNumber("puzzle_q_terminal_t_post"), 0);
  ClosePuzzleBeside();
  ASSERT_TRUE(OpenPuzzleByClick("q_terminal"));
  EXPECT_EQ(Round(), 3) << "reopened during the sparks, no round is set up";
  GameSteps(600);
  EXPECT_EQ(PuzzleKeysLeft("q_terminal"), 0);
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(world.levelName, "outro");
  EXPECT_EQ(world.tasks.get("task_gustav"), "done");
  BlockTable hroom;
  ReadObjectListFile(LevelCopyPath("hroom"), hroom);
  bool terminal_left = false;
  for (const ObjectBlock& b : hroom) terminal_left = terminal_left || b.name == "q_terminal";
  EXPECT_FALSE(terminal_left);
  GameSteps(300);  // the game goes on running in the outro
  EXPECT_EQ(world.levelName, "outro");
}

}  // namespace

TEST_F(TrackPuzzles, BugsDrivenHome) { Run(1280, 1024, false, BugsPlayed); }
TEST_F(TrackPuzzles, BugsWrapRoundTheirTracks) { Run(1280, 1024, false, BugsWrapRound); }
TEST_F(TrackPuzzles, TerminalRoundsToTheClosingSequence) { Run(1280, 1024, false, TerminalPlayed); }
