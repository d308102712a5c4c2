// Input as the window code feeds it, for tests that drive the game with the
// mouse and the keyboard: single button and key events, typed text, and the
// clicks and key taps that span one engine pass between press and release.
#pragma once

#include <string_view>

#include "engine/input.h"

// Runs n engine passes (frame ticks) while the engine runs.
void GameSteps(int n);

// One button event; the pass that follows sees it.
void SendButtonDown(int button = kMouseLeft);
void SendButtonUp(int button = kMouseLeft);
// One key event; `system` is the platform's flag for a key pressed with Alt.
void SendKeyDown(int code, bool system = false);
void SendKeyUp(int code);
// Each byte of the text as one typed character.
void SendText(std::string_view text);

// A click at (x, y) in logical units: the pointer moves there, the button goes
// down, one pass runs, the button comes up (the next pass sees the release).
void ClickAt(float x, float y, int button = kMouseLeft);
// A key tap: down, one pass, up.
void TapKey(int code);
