// The ending and the credits.
#include "app/cutscenes.h"

#include "profile/profiles.h"

CutsceneState cutscenes;

void ResetCutscenes() {
  cutscenes.outro_started = false;
  cutscenes.credits_started = false;
}

void RestoreLevelAfterCredits() {
  Profiles& profiles = CurrentProfiles();
  if (profiles.current_level == "credits") profiles.current_level = cutscenes.level_before_credits;
}
