// The buttons of the windows over the game: the game panel (menu, diary,
// hint, tasks) of the level and of the hidden-object scene, the diary's page
// buttons, the puzzle window's help and skip, and the editor's three small
// dialogs.
#pragma once

// Creates the controls of "wnd_game", "wnd_puzzle", "wnd_ho", "wnd_diary",
// "wnd_esave", "wnd_eload" and "wnd_eadd" after their window; any other
// window name is left alone.
void BuildGameControls(const char* window);
