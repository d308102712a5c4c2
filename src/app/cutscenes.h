// The story's screens that are played rather than explored: the ending's
// movie and the credits. Both are levels of their own ("outro", "credits");
// what they remember between ticks lives here.
#pragma once

#include <string>

struct CutsceneState {
  bool outro_started = false;
  bool credits_started = false;
  // The player's current level when the credits began; leaving the credits,
  // or quitting during them, puts the player back there.
  std::string level_before_credits;
};
extern CutsceneState cutscenes;

// "play" starts the ending and the credits over.
void ResetCutscenes();
// Quitting during the credits: the saved current level becomes the level
// played before them.
void RestoreLevelAfterCredits();
