// The frame tick and the callbacks the engine calls every pass.
#include "app/frame.h"

#include "app/shell.h"
#include "engine/engine.h"
#include "engine/log.h"
#include "profile/profiles.h"
#include "res/strings.h"

void FrameTick() {
  // The windows, the inventory, particles, the fade and the cursor take their
  // turns here as they arrive; the tick always ends by clearing the mouse and
  // keyboard state, so each click and key press is seen by exactly one tick.
  ClearMouseState();
  ClearKeyState();
}

void MusicSelector() {
  // Chooses between the menu track and the level track once music exists.
}

void ResolutionGuard() {
  PlayerOptions& options = CurrentProfiles().options;
  if (!EngineRunning() || options.fullscreen) return;
  if (EngineQuery(Q_DESKTOP_WIDTH) > kLogicalWidth && EngineQuery(Q_DESKTOP_HEIGHT) > kLogicalHeight)
    return;
  // A desktop no larger than the game's picture cannot hold the window.
  options.fullscreen = true;
  SetScreenOptions(kLogicalWidth, kLogicalHeight, 0, true, true);
}

void DrawCallback() {
  // Plays back the frame's draw list once the draw list exists.
}

void UpdateCallback(double /*elapsed_ms*/) {
  // Only the outro movie runs here.
}

void ActivateCallback(bool focused) {
  ShellState& shell = Shell();
  if (!shell.load_complete) return;
  if (focused) {
    SetCaption(shell.window_title);
    LogLine("FOCUS NE LOST", true);
  } else {
    SetCaption(shell.window_title + " " + game_strings.get("paused"));
    LogLine("FOCUS LOST", true);
  }
}
