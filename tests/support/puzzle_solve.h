// A player who knows every puzzle of the world, for tests that run inside the
// loaded game (LoadedGame::Run) and for the walkthrough: fitting a puzzle's
// missing pieces from the inventory, and playing an open puzzle to its win
// by clicks and drags, reading the board as the screen shows it (the
// puzzle's keys) and finding the shortest way from there. Only the input of
// support/input.h drives them, so what they do can be recorded as a script
// and played again by the game itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The pieces the puzzle asks for before it can be played, in the order they
// are usually found.
std::vector<std::string> PuzzlePieces(std::string_view name);

// With the puzzle `name` open: holds `item` (from the inventory, picked up
// from the strip) and clicks where the puzzle takes it. True once the item
// has left the inventory; false (the item put back) when the puzzle refused
// it or the player has none.
bool FitPuzzlePiece(std::string_view name, std::string_view item);

// With the puzzle `name` open and its pieces in: plays it by clicks (and
// drags) to the win and waits until the window has closed and its reward is
// handed out. True when it was won.
bool SolveOpenPuzzle(std::string_view name);

// Drags a clock's hand at the cemetery by whole 15-degree steps (negative:
// back), the mouse a step ahead of it; its geared neighbours turn with it.
void DragClockHand(int dial, int steps);
// Slides the spyglass knob along its arc from step `from` to step `to`, the
// mouse at the height of each step, a frame a step.
void SlideSpyglassKnob(int from, int to);

// Frames the last SolveOpenPuzzle took, the sparks and the reward included.
int LastSolveTicks();
