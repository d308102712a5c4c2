// The screens the shell drives itself: the splash sequence, the pause
// window, and the way back to the main menu.
#pragma once

#include "ui/gui.h"

struct SplashState {
  int counter = 0;
  int fade_a = 0;
  int fade_b = 0;
};
extern SplashState splash;
// The splash from its first picture again.
void ResetSplash();

// Window procedures.
void SplashProcedure();
void PauseProcedure();
// The menu buttons of the game panel.
void ReturnToMenu();
// Saves what the player is in, then the profile (quitting, the menu, errors).
// Saves what the player is in, then the profile; false when something could
// not be written (each failure is logged).
bool SaveGame();
