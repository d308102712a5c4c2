// The story's screens that are played rather than explored: the ending's
// movie and the credits. Both are levels of their own ("outro", "credits");
// what they remember between ticks lives here.
#pragma once

#include <string>

#include "fx/particles.h"

struct Video;

// The intro's book: the page open, ticks on it, the lightning's flash and
// the stars of the pages that have them.
struct IntroState {
  int page = 0;
  int t = 0;
  int flash = 0;
  TParticleSystem stars;
};

struct CutsceneState {
  IntroState intro;
  bool outro_started = false;
  bool credits_started = false;
  // The outro's movie (kept open after the outro until it starts again) and
  // the time a click asked it to jump to, 0 for none.
  Video* movie = nullptr;
  double seek_target = 0.0;
  // How far the credit lines have come up, and the old film over them.
  float credits_scroll = 0.0f;
  TParticleSystem film;
  int film_ticks = 0;
  // The player's current level when the credits began; leaving the credits,
  // or quitting during them, puts the player back there.
  std::string level_before_credits;
};
extern CutsceneState cutscenes;

// The frame of the story screen that is the current level: the outro or
// the credits (the world calls it from the level's script).
void StoryScreenFrame();
// A story screen takes clicks only while no dialog or window covers it.
bool StoryScreenTakesClicks();
void IntroFrame();
void OutroFrame();
void CreditsFrame();
// The movie's clock: moved by the engine's elapsed time while the outro
// plays, and jumped (the movie's sound with it) when a click asked.
void OutroUpdate(double elapsed_ms);

// "play" starts the ending and the credits over.
void ResetCutscenes();
// Quitting during the credits: the saved current level becomes the level
// played before them.
void RestoreLevelAfterCredits();
