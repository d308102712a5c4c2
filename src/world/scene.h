// The scene runtime: the game window's frame — the level drawn with its
// glints, stars and wisps, the object under the mouse and the cursor it
// shows, clicks turned into pick-ups, quests, puzzles, close-ups, the
// hidden-object scene or a walk to another level — and the game panel.
#pragma once

#include <string>
#include <string_view>

#include "world/world.h"

// Loads the level named in world.levelName (from the shipped file or the
// player's copy) with everything that comes with it: view and glint set-up,
// the level's ambience, the guided tutorial window, the first-visit task.
// Throws ObjectListError as ReadLevelObjects does, with nothing changed.
void LoadLevel(bool shipped);
// Saves the profile and then the level to the player's copy (or the shipped
// file). False, logged and with the copy left as it was, when either failed;
// showing "save_failed" is the caller's part. Nothing to save is success.
bool SaveLevel(bool shipped);

// What becomes of the level being left when the current level changes.
enum class LeaveLevel {
  Save,          // walking on: it is saved first, and a failed save keeps the player there
  AlreadySaved,  // from the menu: it was saved when the menu was shown
};
// The one way the player's current level changes (Play, exits, hidden-object
// scenes, the story). The new level's copy is read whole before anything of
// the old one is saved or replaced. A damaged copy of a level the game has
// starts the saved game afresh from the shipped files with the "crash"
// message, at the start of the story; a level that does not exist at all
// leaves the player where they are (or, from the menu, at the start) with
// the "level_missing" message; a save that fails keeps the player where they
// are with "save_failed". Never throws. True when the player is now in a
// level that was read whole — `level` itself or the start.
bool ChangeLevel(const std::string& level, LeaveLevel leave);

// The editor's way into a level: the object list at `path` (a shipped file
// or the designer's source) is read whole and entered as `level`, without
// becoming the player's current level. A file that cannot be read leaves the
// current level loaded and returns false (logged); showing why is the
// caller's part.
bool EnterLevelFile(const std::string& level, const std::string& path);

// The level's frame, run by the frame tick at the game window's turn while
// the game window shows: the scene frame, then the editor step for the
// developer profile.
void LevelFrame();
void SceneFrame();

// Objects of the current level.
void AddSceneObject(std::string_view name, std::string_view kind, float x, float y);
void RemoveSceneObject(int index);
void RemoveObjectUnderMouse();
int FindSceneObject(std::string_view name);
int FindSceneObjectByKind(std::string_view kind);
int FindSceneObjectByPrefix(std::string_view prefix);
int FindHiddenObject(std::string_view name);
int FindInventoryEntry(std::string_view name);
// The name without its two-character prefix.
std::string_view ShortName(std::string_view name);

// Whether the mouse lies inside the object's image rectangle (open bounds),
// which is centred on the object.
bool MouseOverObject(const SceneObject& object);
// Opens the close-up of level object `index` as a click on it does, with the
// close-up's frame centred on (cx, cy).
void OpenZoomIn(int index, float cx, float cy);
// Enters the hidden-object scene through level object `index` as a click on
// its entrance does.
void EnterHiddenObjectScene(int index);

// The diary's pages: the index of the page with exactly that name in
// world.diary.pages (page n is index n - 1), or -1.
int DiaryIndexOf(std::string_view name);

// What the story does in a level, handed over by the story at program start
// (the world knows no story): a click on a quest object ("static", "cstatic"
// and "ghost"), and the current level's script each frame, which may set the
// allowed object indexes while the level is not interactive.
// One of the windows that cover the level is up: the pause, the diary, the
// popup, the help or the options. The level and the strip only show then.
bool LevelCovered();
// The guide's first question is waiting for an answer and holds the level.
bool GuideHoldsLevel();

struct StoryHooks {
  void (*quest)(int index) = nullptr;
  void (*area_script)() = nullptr;
  void (*scene_script)() = nullptr;
};
// The story's script of the hidden-object scene for this frame (the
// obstacle and its tool); it may mark the scene busy or a thing blocked.
void RunSceneScript();
void SetStoryHooks(const StoryHooks& hooks);
// What the shell shows in a story screen's level ("outro", "credits"): run
// with the level's script each frame.
void SetStoryScreenFrame(void (*frame)());

// A copy of a level or scene the game has is damaged: the saved game starts
// afresh from the shipped files ("crash" shown) and the player is put where a
// new game begins. False when even that could not be entered.
bool RecoverAndEnterStart();

// An object as it enters play with its level: marks, timers, angles and
// particles cleared; a glinting object starts its cycle at a random point.
void ResetObjectForPlay(SceneObject& o);
