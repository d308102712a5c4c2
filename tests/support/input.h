// Input as the window code feeds it, for tests that drive the game with the
// mouse and the keyboard: single button and key events, typed text, and the
// clicks and key taps that span one engine pass between press and release.
#pragma once

#include <string>
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
// The pointer moved to (x, y) in logical units, without a button.
void MoveMouse(float x, float y);
// The left button held down at (x, y), and let go at (x, y): a drag.
void PressAt(float x, float y);
void ReleaseAt(float x, float y);

// While recording, the functions above (but for the single button and key
// events) also write what they do as lines of an automation script, so a
// walk played here can be played again by the game itself. Lines of its own
// (an `expect`) may be added. The passes are counted as `tick` lines.
void StartRecordingInput();
void RecordScriptLine(std::string_view line);
// The script so far; recording stops.
std::string StopRecordingInput();
