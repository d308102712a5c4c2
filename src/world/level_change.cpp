// Changing the current level: reading the player's copy whole before
// anything of the old level is saved or replaced, and what a level does as
// it is entered.
#include "world/scene.h"

#include <string>

#include "engine/log.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "ui/gui.h"
#include "world/object_list.h"
#include "world/progress.h"
#include "world/world.h"

namespace {

// Where a new game begins.
constexpr const char* kStartLevel = "intro";

// The run-time part of entering a level whose objects are in place.
void StartLevel() {
  world.view = View{};
  for (SceneObject& o : world.objects) ResetObjectForPlay(o);
  world.documentMode = false;
  DrawList.clear();
  ambience.stop_all();
  if (sounds.is_playing("energy")) sounds.stop("energy");
  // The story's screens have their music only; the flight keeps its wind.
  if (!IsStoryScreen(world.levelName) || world.levelName == "flight")
    ambience.play(world.levelName, true);
  const PlayerOptions& options = CurrentProfiles().options;
  if (options.tutorial_step >= 1 && options.tutorial_step <= 7) {
    ShowWindow("wnd_instr", true);
    ShowWindow("btn_yes", false);
    ShowWindow("btn_no", false);
  }
  if (world.levelName == "hotel" && !options.tutorial_offered) {
    world.tasks.add_new("task_house", "main");
    // The first visit offers the guided tutorial.
    ShowWindow("wnd_instr", true);
    ShowWindow("btn_yes", true);
    ShowWindow("btn_no", true);
  }
  world.popup.active = false;
}

// Reads the player's copy of the level whole and enters it; false (logged)
// when the copy cannot be read, with nothing changed.
bool EnterLevelCopy(const std::string& level) {
  BlockTable blocks;
  try {
    ReadLevelCopy(level, blocks);
  } catch (const ObjectListError& error) {
    LogLine(std::string("SCENE: cannot enter \"") + level + "\": " + error.what(), true);
    return false;
  }
  InstallLevelObjects(level, blocks, false);
  StartLevel();
  return true;
}


}  // namespace

bool RecoverAndEnterStart() {
  RecoverDamagedProfile();
  ShowMessageBox("crash");
  return EnterLevelCopy(CurrentProfiles().current_level);
}

void LoadLevel(bool shipped) {
  ReadLevelObjects(shipped);
  StartLevel();
}

bool EnterLevelFile(const std::string& level, const std::string& path) {
  BlockTable blocks;
  try {
    if (!IsSafeLevelName(level)) throw ObjectListError("the name is not a level name");
    ReadObjectListFile(path, blocks);
  } catch (const ObjectListError& error) {
    LogLine(std::string("SCENE: cannot enter \"") + level + "\": " + error.what(), true);
    return false;
  }
  InstallLevelObjects(level, blocks, true);
  StartLevel();
  return true;
}

bool SaveLevel(bool shipped) {
  if (world.levelName.empty()) return true;
  try {
    WriteLevelObjects(shipped);
  } catch (const ObjectListError& error) {
    LogLine(std::string("SAVE: the level was not saved: ") + error.what(), true);
    return false;
  }
  return true;
}

bool ChangeLevel(const std::string& level, LeaveLevel leave) {
  // The new level is read whole before anything of the old one is touched.
  BlockTable blocks;
  try {
    ReadLevelCopy(level, blocks);
  } catch (const ObjectListError& error) {
    LogLine(std::string("SCENE: cannot enter \"") + level + "\": " + error.what(), true);
    if (LevelIsShipped(level)) return RecoverAndEnterStart();
    // No such level at all: the player stays in the level they are in, or,
    // coming from the menu, starts where a new game does.
    ShowMessageBox("level_missing");
    if (leave == LeaveLevel::Save && !world.levelName.empty()) return false;
    return EnterLevelCopy(kStartLevel) || RecoverAndEnterStart();
  }
  if (leave == LeaveLevel::Save && !SaveLevel(false)) {
    ShowMessageBox("save_failed");
    return false;
  }
  InstallLevelObjects(level, blocks, false);
  StartLevel();
  return true;
}

