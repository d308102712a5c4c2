// The quest state and operations: the player's "_data" section of the
// profile document read and written as steps, the clean-up of a finished
// quest's keys, the task list, objects put into other levels, and documents
// collected into the diary. Reads the profile (profile/) and the world record.
#include "story/quest.h"

#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/ini.h"
#include "engine/log.h"
#include "profile/profiles.h"
#include "res/sounds.h"
#include "ui/gui.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/world.h"

std::string QuestSection() { return CurrentProfiles().current_player + "_data"; }

bool QuestFlag(std::string_view key) { return IniReadBool(QuestSection(), key); }

int QuestNumber(std::string_view key) { return IniReadInt(QuestSection(), key); }

void SetQuestFlag(std::string_view key, bool value) { IniWriteBool(QuestSection(), key, value); }

void SetQuestNumber(std::string_view key, int value) { IniWriteInt(QuestSection(), key, value); }

int DeleteKeysWithPrefix(std::string_view prefix) {
  const std::string section = QuestSection();
  int deleted = 0;
  for (;;) {
    // Every copy of the section is searched, but only the first copy's keys
    // can be deleted (or read): a key that lives in a second copy of a
    // hand-edited document is found again and again, so a pass that deletes
    // nothing ends the clean-up.
    std::vector<std::string> found;
    for (const TIniSection& s : IniDocument().sections) {
      if (s.name != section) continue;
      for (const TIniKey& k : s.keys)
        if (k.name.starts_with(prefix)) found.push_back(k.name);
    }
    int pass = 0;
    for (const std::string& key : found) {
      if (!IniIsKey(section, key)) continue;
      IniDelete(section, key);
      ++pass;
    }
    if (pass == 0) break;
    deleted += pass;
  }
  return deleted;
}

std::string CloseUpKeyPrefix(std::string_view quest) {
  return "zoomin_" + std::string(quest) + "_";
}

std::string PuzzleKeyPrefix(std::string_view puzzle) {
  return "puzzle_" + std::string(puzzle) + "_";
}

void OpenTask(std::string_view task) {
  if (world.tasks.contains(task)) return;
  if (!world.tasks.append(std::string(task), "main")) {
    LogLine("QUEST: the task list is full, \"" + std::string(task) + "\" left out", true);
    return;
  }
  // The panel slides up to show the new task.
  world.taskPanel.open_request = true;
}

void CloseTask(std::string_view task) {
  if (world.tasks.get(task) != "main") return;
  world.tasks.set(task, "done");
  world.taskPanel.open_request = true;
}

void EnsureInLevel(std::string_view level, std::string_view name, std::string_view kind, float x,
                   float y) {
  if (level == world.levelName) {
    if (FindSceneObject(name) < 0) AddSceneObject(name, kind, x, y);
    return;
  }
  try {
    if (FindInSavedLevel(level, name) < 0) AddToSavedLevel(level, name, x, y, kind);
  } catch (const ObjectListError& error) {
    LogLine("QUEST: \"" + std::string(name) + "\" not put into \"" + std::string(level) +
                "\": " + error.what(),
            true);
  }
}

void CollectDocument(std::string_view name) {
  DiaryState& diary = world.diary;
  if (!diary.pages.append(std::string(name))) {
    LogLine("QUEST: the diary is full, \"" + std::string(name) + "\" left out", true);
    return;
  }
  diary.previous_page = diary.page;
  diary.page = static_cast<int>(diary.pages.size());
  diary.page_fade = 255.0f;
  // The diary opens on the new page at once: nothing is left to announce.
  diary.news = false;
  sounds.play("get_diary");
  ShowWindow("wnd_diary", true);
  sounds.play("camera");
  ClearMouseState();
}
