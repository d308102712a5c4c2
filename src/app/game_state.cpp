// The one reset of the whole game.
#include "app/game_state.h"

#include "app/automation.h"
#include "app/cutscenes.h"
#include "app/frame.h"
#include "app/menu.h"
#include "app/screens.h"
#include "app/shell.h"
#include "engine/engine.h"
#include "engine/ini.h"
#include "engine/log.h"
#include "engine/random.h"
#include "profile/profiles.h"
#include "puzzles/puzzle.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/startup_load.h"
#include "res/strings.h"
#include "story/closeup.h"
#include "story/level_script.h"
#include "story/statics.h"
#include "story/story.h"
#include "world/scene.h"
#include "ui/gui.h"
#include "world/progress.h"
#include "world/world.h"

void ResetGameState() {
  // The engine frees every texture, font and sound; the registries that
  // named them only forget afterwards. A load still under way stops first.
  StopStartupLoad();
  EngineReset();
  images.forget();
  fonts.forget();
  sounds.forget();
  music.forget();
  ambience.forget();
  gui_reset();
  DrawList.clear();
  game_strings.clear();
  IniClear();
  IniResetRefusedPaths();
  ResetBrokenGameFileReport();
  RandomSeed(kRandomStartSeed);

  ResetProfiles();
  ResetWorld();
  ResetCloseUps();
  ResetLevelScripts();
  ResetStaticEffects();
  ResetPuzzles();
  ResetShell();
  ResetFrame();
  ResetMenu();
  ResetSplash();
  ResetCutscenes();
  AutomationReset();

  RegisterProgress();
  RegisterStory();
  SetStoryScreenFrame(StoryScreenFrame);
}
