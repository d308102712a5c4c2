// The application shell: program entry, the load and exit callbacks, and the
// values the shell owns for the whole run.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/cmdline.h"
#include "res/startup_load.h"

inline constexpr int kLogicalWidth = 1024;
inline constexpr int kLogicalHeight = 768;

struct ShellState {
  std::string window_title;    // "window_title"
  std::string save_folder;     // "save_folder"
  bool sound_available = false;
  bool load_complete = false;
  bool headless = false;
  // A player's window without a script: the start-up load finishes behind
  // the splash. Headless and scripted runs load everything before the first
  // frame, so that what a script sees never depends on a worker's timing.
  bool load_behind_splash = false;
  // Behind the splash, which is silent, the sound system starts with the
  // effects, after the first frame: a sound device can take a tenth of a
  // second to open, or to say that there is none.
  bool sound_pending = false;
  // --windowed or --fullscreen: the screen of this run, whatever a chosen
  // player's option says, until the player changes it by hand.
  std::optional<bool> run_fullscreen;
  int exit_status = 0;         // what the process returns after a normal end
};

ShellState& Shell();
// What the game loads at start, the splash's first picture first.
StartupLoadPlan StartupPlan();
void ResetShell();

// Status of a start that could not read its string file.
inline constexpr int kExitInputOutputError = 74;

// The whole run: strings, profiles, timers, callbacks, screen mode, engine.
// Returns the process status.
int ProgramEntry(const CommandLine& options);

// Engine callbacks of the shell.
void LoadCallback();
void ExitCallback();

// Only web links are handed to the desktop; "empty" and anything else is not.
bool IsOpenableLink(std::string_view link);
// Opens the link with xdg-open, without a shell and without waiting.
void OpenLink(const std::string& link);
