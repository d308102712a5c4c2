// The engine frame: the one window, screen modes, the main loop with its
// clock and timers, keyboard and mouse input, and the orderly shutdown.
//
// The game never runs a loop of its own: it registers callbacks and timers,
// sets options and calls EngineStart, which returns when the program is over.
// Everything runs on the thread that called EngineStart.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/input.h"
#include "engine/timers.h"

// --- Options ------------------------------------------------------------------

enum EngineOption : uint32_t {
  OPT_CLEAR_SCREEN = 0x000001,    // clear the colour buffer before each frame
  OPT_FIT_LOGICAL = 0x000020,     // keep the logical screen's aspect; sets the two below
  OPT_FIT_BARS_X = 0x000040,      // allow bars left and right
  OPT_FIT_BARS_Y = 0x000080,      // allow bars above and below
  OPT_PAUSE_INACTIVE = 0x000100,  // pause the loop while the window is inactive
  OPT_WRITE_LOG = 0x000200,       // write the engine log; read once, at start
  OPT_FIXED_STEP = 0x000800,      // fixed update step at a steady frame rate
  OPT_CENTRE_WINDOW = 0x001000,   // centre the window on the desktop
  OPT_SOUND_EFFECTS = 0x002000,   // allow sound effects
  OPT_SOUND_STREAMS = 0x004000,   // allow streamed playback
  OPT_SKIP_OFFSCREEN = 0x008000,  // skip sprites outside the view
};
inline constexpr uint32_t kDefaultEngineOptions = 0x9A01;

void EnableOption(uint32_t bits);
void DisableOption(uint32_t bits);
uint32_t EngineOptions();

// --- Callbacks ----------------------------------------------------------------

enum CallbackCode : int {
  CB_INITIALISE = 1,   // default: load between a clear and a present, start the clock
  CB_LOOP = 2,         // default: the main loop
  CB_LOAD = 3,
  CB_DRAW = 4,
  CB_UPDATE = 5,       // elapsed milliseconds
  CB_EXIT = 6,
  CB_ACTIVATE = 7,     // true on gaining focus
  CB_CLOSE_QUERY = 8,  // true allows closing; default true
};

// Sets a slot; a procedure of the wrong form for the code is refused and logged.
void RegisterCallback(int code, void (*proc)());
void RegisterCallback(int code, void (*proc)(double elapsed_ms));
void RegisterCallback(int code, void (*proc)(bool focused));
void RegisterCallback(int code, bool (*proc)());

// --- Start, run, stop -------------------------------------------------------------

struct EngineSettings {
  bool headless = false;          // dummy drivers, software renderer, virtual clock
  int desktop_width = 0;          // headless only: the desktop to pretend (0 = driver's)
  int desktop_height = 0;
  std::string log_path = "log.txt";
  std::string program_dir;        // answered by query 101
  std::string user_dir;           // answered by query 102, ends with '/'
};
// First thing in the program, before any thread starts: the process-wide
// settings the engine's speed relies on (see engine.cpp).
void PrepareProcess();
// Chosen before EngineStart; the headless flag also makes reports go to stderr.
void EngineConfigure(const EngineSettings& settings);
const EngineSettings& EngineConfiguration();

// Runs everything up to shutdown. Returns false when the screen, window or
// renderer could not be created (the load and exit callbacks then never run).
bool EngineStart(uint8_t antialias_samples, uint8_t stencil_bits);
// The loop ends after the current pass.
void StopEngine();
// One pass of the main loop: messages, timers, update, draw. The default loop
// calls it while running; the automation runner calls it once per tick. In a
// headless run each pass first moves the virtual clock by 10 ms.
void EngineStep();
bool EngineRunning();
bool EnginePaused();
bool EngineFocused();
// Draws one frame now (draw callback between a clear and a present).
void EngineDrawFrame();
// Saves the picture of the last drawn frame as PNG; false with a log line on failure.
bool EngineSaveScreenshot(const std::string& path);
// Feeds one mapped platform event into the engine (window code and scripts).
void EngineHandleInput(const InputEvent& event);
// Focus changes, minimising and close requests, as the window code reports them.
void EngineSetFocus(bool focused);
void EngineSetMinimised(bool minimised);
void EngineRequestClose();
// Where the cursor is, in client-area pixels, or in logical units (mapped
// onto the window as the screen is).
void EngineSetCursorPixels(int x, int y);
void EngineSetCursorLogical(float x, float y);
// Forgets all engine state (tests boot the engine more than once).
void EngineReset();

// --- Queries and screen -----------------------------------------------------------

enum EngineQueryCode : int {
  Q_PROGRAM_DIR = 101,
  Q_USER_DIR = 102,
  Q_DESKTOP_WIDTH = 300,
  Q_DESKTOP_HEIGHT = 301,
  Q_VIEWPORT_WIDTH = 600,
  Q_VIEWPORT_HEIGHT = 601,
  Q_OFFSET_X = 602,
  Q_OFFSET_Y = 603,
};
// Numbers for the numeric codes, 0 for unknown codes.
int EngineQuery(int code);
// The two folder answers (101, 102) as text.
std::string EngineQueryText(int code);

void SetScreenOptions(uint16_t width, uint16_t height, uint16_t refresh, bool fullscreen,
                      bool vsync);
void SetLogicalResolution(uint16_t width, uint16_t height);
void SetCaption(std::string_view utf8);
const std::string& EngineCaption();
void ShowSystemCursor(bool show);
bool EngineFullscreen();
int EngineClientWidth();
int EngineClientHeight();

// --- Timers and clock ---------------------------------------------------------------

Timer* AddTimer(TimerProc proc, uint32_t interval_ms);
Timer* AddTimer(TimerSenderProc proc, uint32_t interval_ms, void* user_data);
void DeleteTimer(Timer* timer);
std::size_t TimerCount();
// Milliseconds since the engine started.
double GetTicks();
// The loop's last update and every timer's last fire time become now.
void ResetTimers();
// Loop passes run since the engine started.
uint64_t EnginePassCount();

// --- Input queries ------------------------------------------------------------------

float MouseX();
float MouseY();
bool MouseDown(int button);
bool MouseUp(int button);
bool MouseClick(int button);
bool MouseDoubleClick(int button);
bool MouseWheel(int direction);  // > 0 up, < 0 down
void ClearMouseState();
bool KeyDown(int code);
bool KeyUp(int code);
bool KeyPress(int code);
void ClearKeyState();
void BeginTextInput(std::string_view initial, int max_length);
const std::string& GetTextInput();
void EndTextInput();
const InputState& EngineInput();
