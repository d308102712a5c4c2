// The puzzle window ("wnd_puzzle") and the tools every puzzle's routine uses.
// A quest object of kind "puzzle" opens a mini-game in a 750 x 500 area over
// the level; every puzzle shares this frame: the window growing in, closing
// by a click beside it, the skip button with its slowly filling bar, the help
// button, the completion sparks and the reward once it is solved or skipped.
//
// A routine runs once a frame while its puzzle is open. It reads its board
// from its keys ("puzzle_" + name + "_" + word), draws it, accepts moves and
// the items it asks for, writes the board back in the same frame and says
// whether the board is won. The frame keeps "_started", "_skip" and "_t_post"
// itself, plays the 500 frames of sparks of a won board and then hands out
// the reward and deletes every key of the puzzle. A puzzle without a routine
// still opens, shows its picture, fills its skip bar and closes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// What a routine sees and does in one frame of its open puzzle. Offsets are
// in pixels from the puzzle area's top-left corner.
class Puzzle {
 public:
  Puzzle(std::string_view name, float x, float y, float w, float h);

  std::string_view Name() const { return name_; }
  float X() const { return x_; }
  float Y() const { return y_; }
  float W() const { return w_; }
  float H() const { return h_; }

  // True in the first frame of an opening; FirstOpening also needs the puzzle
  // never opened before (no "_started" key): the routine then writes its
  // starting board.
  bool JustOpened() const;
  bool FirstOpening() const;

  // The puzzle's own keys. A hand-edited number outside lo..hi (or one that
  // is no number) reads as `fallback`, so a board is never indexed by it.
  bool Flag(std::string_view word) const;
  int Number(std::string_view word, int lo, int hi, int fallback) const;
  void SetFlag(std::string_view word, bool value);
  void SetNumber(std::string_view word, int value);

  // The puzzle cannot be played yet (a piece or a clue is missing): the skip
  // charge is held at 0, so the skip and help buttons stay hidden.
  void Lock();
  // The board is won and the sparks are running: moves are ignored.
  bool Done() const;
  // Frames of the completion sparks shown so far (0 while unsolved).
  int Counter() const;
  // The routine's win test of this frame.
  void SetWon(bool won) { won_ = won; }
  bool Won() const { return won_; }

  // A picture drawn with its top-left corner at the offset, or centred on it
  // and turned by `angle` degrees.
  void Draw(std::string_view image, float dx, float dy, uint32_t tint = 0xFFFFFF,
            uint8_t opacity = 255);
  void DrawCentred(std::string_view image, float cx, float cy, float angle,
                   uint32_t tint = 0xFFFFFF, uint8_t opacity = 255);

  // A click region of this frame: Over while the mouse is inside (the hand
  // cursor shows), Clicked with this frame's left click (the click is then
  // used up), Held while the left button is down inside.
  bool Over(float dx, float dy, float w, float h);
  bool Clicked(float dx, float dy, float w, float h);
  bool Held(float dx, float dy, float w, float h);
  // The mouse in puzzle offsets.
  float MouseDX() const;
  float MouseDY() const;

  // The item held at the mouse ("" for an empty cursor), and taking it: the
  // piece goes into the puzzle with "set".
  static std::string HeldItem();
  static void TakeHeld();

 private:
  std::string name_;
  float x_, y_, w_, h_;
  bool won_ = false;
};

// One puzzle's routine, by name.
struct PuzzleRoutine {
  const char* name;
  void (*frame)(Puzzle& p);  // nullptr: not built yet, the puzzle only shows
};

// The puzzles of the world in the order they are looked up.
std::span<const PuzzleRoutine> PuzzleRoutines();

// The routines (one file each).
void CasePuzzle(Puzzle& p);
void ClocksPuzzle(Puzzle& p);
void CubePuzzle(Puzzle& p);
void PicturePuzzle(Puzzle& p);
void CodePuzzle(Puzzle& p);
void RopesPuzzle(Puzzle& p);
void BugsPuzzle(Puzzle& p);
void TerminalPuzzle(Puzzle& p);
void BoatPuzzle(Puzzle& p);
void SpyglassPuzzle(Puzzle& p);
void MoonPuzzle(Puzzle& p);
void MballPuzzle(Puzzle& p);
void StatuettesPuzzle(Puzzle& p);
void LiquidPuzzle(Puzzle& p);
void CasketPuzzle(Puzzle& p);
void SkullPuzzle(Puzzle& p);
void ControlPanelPuzzle(Puzzle& p);

// What solving (or skipping) a puzzle hands out: items, objects added and
// removed, tasks, sounds. False when the puzzle object stays in its level.
bool HandOutReward(std::string_view name, float x, float y);

// One frame of the open puzzle: the skip charge, the routine, the sparks and,
// once solved, the reward and the clean-up.
void PuzzleDispatch();
// The per-tick procedure of "wnd_puzzle".
void PuzzleProcedure();
// The skip button's click: the puzzle ends with its reward on the next frame.
void SkipPuzzle();
// Forgets the open puzzle's particles and charge (a new game, a new run).
void ResetPuzzles();

// For the state dump.
float PuzzleSkipCharge();
// The skip bar on the skip button's face: the track and the marker that
// travels 120 pixels as the charge fills.
void DrawSkipBar();
