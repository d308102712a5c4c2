// The options window: the three volume sliders, the full-screen and
// custom-cursor check boxes and its OK button, and applying the player's
// screen options to the window.
#pragma once

// Creates the controls of "wnd_opt" after their window and attaches its
// per-tick procedure; any other window name is left alone.
void BuildOptionsControls(const char* window);
// The menu's "options" button (and the pause window's): the sliders and
// boxes take the current volumes and options, and the window opens.
void OpenOptions();
// The window's per-tick procedure: the sliders set the volumes of what plays.
void OptionsProcedure();
// Full screen on a desktop no larger than the game's picture is refused:
// the box is ticked again and the "resolution" message shown.
void FullScreenBoxClicked();
// OK: the player's options take the sliders and boxes, are saved and applied.
void OptionsOkClicked();
// Switches the window to the full-screen option if it differs (a run started
// with --windowed or --fullscreen keeps that screen instead, until the player
// changes it by hand), then shows or hides the system cursor by the
// custom-cursor option.
void ApplyScreenOptions();
// Alt+Enter: flips full screen as the options window's box would, saves the
// options and applies them. Runs first in the frame tick.
void FullScreenKeyToggle();
