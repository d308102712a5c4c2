// The player profiles dialog ("wnd_prof": a name to type, the list of
// players, OK and delete) and its delete confirmation ("wnd_dconf").
// Depends on the UI toolkit and the player operations of profile/profiles.h.
#pragma once

// Creates the controls of "wnd_prof" and "wnd_dconf" right after their
// window, and gives "wnd_prof" its per-tick procedure; any other window
// name is left alone.
void BuildProfileControls(const char* window);
// Fills the list from the player list with the current player selected,
// starts typing into the name field and shows the dialog.
void OpenProfiles();
// The per-tick procedure of "wnd_prof": which buttons may be pressed, the
// welcome text of an empty list, and the name field resting under a dialog.
void ProfilesProcedure();
