// A player at a puzzle, for tests that run inside the loaded game
// (LoadedGame::Run): opening it by a click on its object, clicking inside
// its frame, closing it by a click beside it, and counting what it leaves.
#pragma once

#include <string_view>

// The puzzle frame's top-left corner on the screen.
inline constexpr float kPuzzleX = 137.0f;
inline constexpr float kPuzzleY = 94.0f;

// Clicks the puzzle's object in the current level; true when its puzzle opened.
bool OpenPuzzleByClick(std::string_view name);
// A click at an offset from the frame's corner, and one frame.
void ClickInPuzzle(float dx, float dy);
// A click beside the frame (above the panel), and one frame.
void ClosePuzzleBeside();
// The keys of the puzzle still in the player's quest section.
int PuzzleKeysLeft(std::string_view name);
// Objects of that name in the current level.
int CountObjects(std::string_view name);
