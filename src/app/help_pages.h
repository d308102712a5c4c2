// The illustrated help: five pages, each a picture with a few lines under
// it, turned with the two round buttons.
#pragma once

inline constexpr int HELP_FIRST_PAGE = 1;
inline constexpr int HELP_LAST_PAGE = 5;

// The page shown, 1 to 5.
int HelpPage();
// Opens the help at page 1.
void OpenHelpPages();
// The per-tick procedure of "wnd_tutorial".
void HelpPagesProcedure();
// Creates the controls of "wnd_tutorial" after its window; any other window
// name is left alone.
void BuildHelpPagesControls(const char* window);
