// The puzzle window as a player meets it: opened from its object, closed by a
// click beside it and resumed, skipped once the bar is full, and the case,
// the clocks and the stone buttons each played to their reward by clicks.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/ini.h"
#include "engine/input.h"
#include "puzzles/puzzle.h"
#include "res/strings.h"
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

class Puzzles : public LoadedGame {};

// A puzzle left unplayed: it shows, closes beside and resumes, and its skip
// bar fills, is kept as hundredths and ends the puzzle with the reward.
void FrameRules() {
  EnterLevelForWalk("crossroad");
  AddSceneObject("q_cub", "inactive", 900.0f, 200.0f);
  // The telescope's lens and cube already in place, so it can be skipped.
  SetQuestFlag("puzzle_q_moon_lens", true);
  SetQuestFlag("puzzle_q_moon_cube", true);
  ASSERT_TRUE(OpenPuzzleByClick("q_moon"));
  GameSteps(121);
  EXPECT_TRUE(gui_get("btn_skip")->visible);
  EXPECT_TRUE(gui_get("btn_skip")->disabled);
  const float charge = PuzzleSkipCharge();
  EXPECT_NEAR(charge, 1.22f, 0.02f);
  ClickAt(60.0f, 60.0f);  // beside the puzzle, above the panel
  GameSteps(1);
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_TRUE(QuestFlag("puzzle_q_moon_started"));
  EXPECT_EQ(QuestNumber("puzzle_q_moon_skip"), std::lround(charge * 100.0f));

  // Reopened just short of a full bar: the skip works once it is full.
  SetQuestNumber("puzzle_q_moon_skip", 11990);
  SetQuestNumber("puzzle_q_moonlight_skip", 5);  // a longer name is another puzzle's
  ASSERT_TRUE(OpenPuzzleByClick("q_moon"));
  ClickAt(687.0f + 64.0f, 578.0f + 16.0f);
  GameSteps(2);
  EXPECT_TRUE(WindowVisible("wnd_puzzle")) << "the skip button waits for a full bar";
  GameSteps(15);
  EXPECT_FALSE(gui_get("btn_skip")->disabled);
  ClickAt(687.0f + 64.0f, 578.0f + 16.0f);
  GameSteps(2);
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_moon"), 0);
  EXPECT_EQ(QuestNumber("puzzle_q_moonlight_skip"), 5);
  EXPECT_GE(FindInventoryEntry("charged_cube"), 0);
  EXPECT_LT(FindSceneObject("q_moon"), 0);
  EXPECT_LT(FindSceneObject("q_cub"), 0);
  EXPECT_LT(PuzzleSkipCharge(), 0.05f) << "the bar starts again from empty";
}

// The case: inert until the clue is in the diary, then dialled to the
// combination; closing during the sparks and reopening gives the reward once.
void CasePlayed() {
  EnterLevelForWalk("hotel");
  ASSERT_TRUE(OpenPuzzleByClick("q_case"));
  for (int i = 0; i < 6; ++i) ClickInPuzzle(180.0f + 65.0f * i + 30.0f, 320.0f);
  GameSteps(300);
  EXPECT_FALSE(gui_get("btn_skip")->visible) << "no skipping before the clue";
  EXPECT_EQ(QuestNumber("puzzle_q_case_t_post"), 0);
  world.diary.pages.append("numbers");
  const int presses[6] = {7, 8, 3, 6, 4, 5};
  for (int i = 0; i < 6; ++i)
    for (int n = 0; n < presses[i]; ++n) ClickInPuzzle(180.0f + 65.0f * i + 30.0f, 320.0f);
  GameSteps(100);
  EXPECT_GT(QuestNumber("puzzle_q_case_t_post"), 90) << "the sparks run";
  ClickAt(60.0f, 60.0f);
  GameSteps(1);
  ASSERT_FALSE(WindowVisible("wnd_puzzle"));
  ASSERT_TRUE(OpenPuzzleByClick("q_case"));
  GameSteps(420);
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_case"), 0);
  EXPECT_EQ(CountObjects("q_axe"), 1);
  EXPECT_EQ(CountObjects("q_case2"), 1);
  EXPECT_EQ(CountObjects("q_case"), 0);
}

// The stone buttons: both missing ones fitted from the inventory, then the
// four presses that light the grid.
void CubePlayed() {
  EnterLevelForWalk("yard");
  ASSERT_TRUE(OpenPuzzleByClick("q_cube"));
  ClickInPuzzle(180.0f + 42.0f, 50.0f + 42.0f);  // nothing fitted: no press
  EXPECT_EQ(QuestNumber("puzzle_q_cube_bb_0_0"), 0);
  for (const char* item : {"stone_button", "stone_button2"}) {
    GiveItem(item, "normal", 0.0f, 0.0f);
    EXPECT_TRUE(FitPuzzlePiece("q_cube", item));
  }
  EXPECT_TRUE(QuestFlag("puzzle_q_cube_sb"));
  EXPECT_TRUE(QuestFlag("puzzle_q_cube_sb2"));
  EXPECT_TRUE(SolveOpenPuzzle("q_cube"));
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_cube"), 0);
  EXPECT_EQ(CountObjects("q_rs"), 1);
  EXPECT_EQ(CountObjects("q_cube"), 0);
}

// The clocks: three hands fitted, the clue found, then the hands dragged
// until the three stand at the hour.
void ClocksPlayed() {
  EnterLevelForWalk("cemetery");
  ASSERT_TRUE(OpenPuzzleByClick("q_clocks"));
  for (const char* item : {"chand1", "chand2", "chand3"}) {
    HoldItem(item);
    ClickInPuzzle(375.0f, 470.0f);
  }
  DragClockHand(2, -1);
  EXPECT_EQ(QuestNumber("puzzle_q_clocks_c3"), 15) << "no turning before the clue";
  world.diary.pages.append("death");
  DragClockHand(2, -1);  // dial 2 back a step turns dial 0 back with it
  EXPECT_EQ(QuestNumber("puzzle_q_clocks_c3"), 0);
  EXPECT_EQ(QuestNumber("puzzle_q_clocks_c1"), 30);
  EXPECT_EQ(QuestNumber("puzzle_q_clocks_c2"), 150);
  DragClockHand(0, 9);
  DragClockHand(1, -1);
  DragClockHand(2, -10);
  GameSteps(510);
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_clocks"), 0);
  EXPECT_GE(FindInventoryEntry("ankh"), 0);
  EXPECT_EQ(CountObjects("q_topen"), 1);
}

// The picture: both missing cards put in, then the eight turns (each let
// finish) that bring every card picture-up.
void PicturePlayed() {
  EnterLevelForWalk("kitchen");
  ASSERT_TRUE(OpenPuzzleByClick("q_picture"));
  ClickInPuzzle(38.0f + 67.0f, 30.0f + 44.0f);  // nothing put in: no turn
  EXPECT_EQ(QuestNumber("puzzle_q_picture_field0_0"), 255);
  for (const char* item : {"first_piece_of_picture", "second_piece_of_picture"}) {
    GiveItem(item, "normal", 0.0f, 0.0f);
    EXPECT_TRUE(FitPuzzlePiece("q_picture", item));
  }
  EXPECT_TRUE(SolveOpenPuzzle("q_picture"));
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_picture"), 0);
  EXPECT_GE(FindInventoryEntry("punched_card"), 0);
  EXPECT_EQ(CountObjects("q_picture"), 0);
}

// The name lock: arrows fitted, the clue found, a wrong name refused, then
// the name spelt (the last letter reached backwards past the first).
void CodePlayed() {
  EnterLevelForWalk("lodge");
  ASSERT_TRUE(OpenPuzzleByClick("q_code"));
  HoldItem("arrow_buttons");
  ClickInPuzzle(20.0f, 20.0f);
  EXPECT_TRUE(QuestFlag("puzzle_q_code_arr"));
  world.diary.pages.append("death");
  ClickInPuzzle(375.0f, 440.0f);
  EXPECT_FALSE(QuestFlag("puzzle_q_code_fin")) << "AAAAAAA is no name";
  EXPECT_TRUE(SolveOpenPuzzle("q_code"));
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_code"), 0);
  EXPECT_EQ(CountObjects("q_letter"), 1);
  EXPECT_EQ(CountObjects("q_code"), 0);
}

// The lock's letters are whole characters of the alphabet text, whatever
// their bytes; an empty alphabet leaves a blank lock that takes no turn.
void CodeAlphabets() {
  EnterLevelForWalk("lodge");
  world.diary.pages.append("death");
  SetQuestFlag("puzzle_q_code_arr", true);
  game_strings.set("lodge_q_alphabet", "");
  ASSERT_TRUE(OpenPuzzleByClick("q_code"));
  ClickInPuzzle(165.0f + 26.0f, 275.0f);
  ClickInPuzzle(165.0f + 26.0f, 185.0f);
  ClickInPuzzle(375.0f, 440.0f);
  EXPECT_FALSE(QuestFlag("puzzle_q_code_fin"));
  ClickAt(60.0f, 60.0f);
  GameSteps(1);
  game_strings.set("lodge_q_alphabet", "\u00c4\u00d6\u00dc");
  game_strings.set("lodge_q_name", "\u00dc\u00dc\u00dc\u00dc\u00dc\u00dc\u00dc");
  ASSERT_TRUE(OpenPuzzleByClick("q_code"));
  for (int i = 0; i < 7; ++i) ClickInPuzzle(165.0f + 60.0f * i + 26.0f, 185.0f);
  ClickInPuzzle(375.0f, 440.0f);
  EXPECT_TRUE(QuestFlag("puzzle_q_code_fin")) << "one step back from the first letter is the last";
}

// The bell ropes: the four amulets hung, a wrong pull that lets the first
// rope spring back, then the ropes pulled in their order, each pull let finish.
void RopesPlayed() {
  EnterLevelForWalk("library");
  ASSERT_TRUE(OpenPuzzleByClick("q_ropes"));
  for (const char* item : {"star_amulet", "spiral_amulet", "heart_amulet", "silver_skull_amulet"}) {
    HoldItem(item);
    ClickInPuzzle(40.0f, 40.0f);
  }
  for (int rope : {2, 1}) {
    ClickInPuzzle(150.0f + 120.0f * rope + 50.0f, 275.0f);
    GameSteps(65);
  }
  EXPECT_TRUE(SolveOpenPuzzle("q_ropes")) << "the wrong pull let the first rope spring back";
  EXPECT_FALSE(WindowVisible("wnd_puzzle"));
  EXPECT_EQ(PuzzleKeysLeft("q_ropes"), 0);
  EXPECT_GE(FindInventoryEntry("sugar"), 0);
}

}  // namespace

TEST_F(Puzzles, FrameClosesResumesAndSkipsToTheReward) { Run(1280, 1024, false, FrameRules); }
TEST_F(Puzzles, CaseDialledToTheCombination) { Run(1280, 1024, false, CasePlayed); }
TEST_F(Puzzles, StoneButtonsAllLit) { Run(1280, 1024, false, CubePlayed); }
TEST_F(Puzzles, ClocksSetToTheHour) { Run(1280, 1024, false, ClocksPlayed); }
TEST_F(Puzzles, PictureCardsAllFaceUp) { Run(1280, 1024, false, PicturePlayed); }
TEST_F(Puzzles, NameLockSpelt) { Run(1280, 1024, false, CodePlayed); }
TEST_F(Puzzles, NameLockAlphabetsOfAnyCharacters) { Run(1280, 1024, false, CodeAlphabets); }
TEST_F(Puzzles, BellRopesPulledInOrder) { Run(1280, 1024, false, RopesPlayed); }
