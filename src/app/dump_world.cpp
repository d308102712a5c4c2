// The world's fields of the state dump.
#include "app/dump_world.h"

#include "app/cutscenes.h"
#include "engine/ini.h"
#include "engine/video.h"
#include "puzzles/puzzle.h"
#include "story/closeup.h"
#include "story/quest.h"
#include "ui/gui.h"
#include "world/hidden_object.h"
#include "world/inventory.h"
#include "world/world.h"

namespace {

JsonValue Objects(const ObjectList& list, bool with_place) {
  JsonValue objects = JsonValue::MakeArray();
  for (const SceneObject& o : list) {
    JsonValue entry = JsonValue::MakeObject();
    entry.Set("name", o.name);
    if (with_place) {
      entry.Set("kind", o.kind);
      entry.Set("x", o.x);
      entry.Set("y", o.y);
    } else {
      entry.Set("state", o.kind);
      entry.Set("label", InventoryLabelShown(o));
    }
    objects.Append(std::move(entry));
  }
  return objects;
}

JsonValue Rects(std::span<const CloseUpRect> rects) {
  JsonValue list = JsonValue::MakeArray();
  for (const CloseUpRect& r : rects) {
    JsonValue entry = JsonValue::MakeObject();
    if (!r.name.empty()) entry.Set("name", r.name);
    entry.Set("x", r.x);
    entry.Set("y", r.y);
    entry.Set("w", r.w);
    entry.Set("h", r.h);
    list.Append(std::move(entry));
  }
  return list;
}

JsonValue CloseUpDump() {
  const OpenedFrame& f = world.zoomin;
  const bool open = WindowVisible("wnd_zoomin");
  JsonValue zoomin = JsonValue::MakeObject();
  zoomin.Set("open", open);
  zoomin.Set("name", open ? f.name : std::string());
  zoomin.Set("x", f.x);
  zoomin.Set("y", f.y);
  zoomin.Set("w", f.w);
  zoomin.Set("h", f.h);
  // What the last frame offered; a closed close-up offers nothing.
  zoomin.Set("regions", Rects(open ? CloseUpRegions() : std::span<const CloseUpRect>()));
  zoomin.Set("overlays", Rects(open ? CloseUpOverlays() : std::span<const CloseUpRect>()));
  return zoomin;
}

// The open puzzle, with its board: its keys ("puzzle_" + name + "_" + word)
// by word, as the puzzle wrote them in the last frame.
JsonValue PuzzleDump() {
  const bool open = WindowVisible("wnd_puzzle");
  JsonValue puzzle = JsonValue::MakeObject();
  puzzle.Set("open", open);
  puzzle.Set("name", open ? world.puzzle.name : std::string());
  puzzle.Set("skip", PuzzleSkipCharge());
  JsonValue board = JsonValue::MakeObject();
  const std::string prefix = open ? PuzzleKeyPrefix(world.puzzle.name) : std::string();
  const std::string section = QuestSection();
  for (const TIniSection& s : IniDocument().sections) {
    if (!open || s.name != section) continue;
    for (const TIniKey& k : s.keys)
      if (k.name.starts_with(prefix)) board.Set(k.name.substr(prefix.size()), k.value);
    break;
  }
  puzzle.Set("board", std::move(board));
  return puzzle;
}

// The player's quest section as it is read: the first copy of the section.
JsonValue QuestKeys() {
  JsonValue keys = JsonValue::MakeObject();
  const std::string section = QuestSection();
  for (const TIniSection& s : IniDocument().sections) {
    if (s.name != section) continue;
    for (const TIniKey& k : s.keys) keys.Set(k.name, k.value);
    break;
  }
  return keys;
}


JsonValue DiaryDump() {
  JsonValue diary = JsonValue::MakeObject();
  JsonValue pages = JsonValue::MakeArray();
  for (const std::string& page : world.diary.pages) pages.Append(page);
  diary.Set("pages", std::move(pages));
  diary.Set("page", world.diary.page);
  diary.Set("news", world.diary.news);
  diary.Set("open", WindowVisible("wnd_diary"));
  return diary;
}

// The hidden-object scene: its things, and the hunt's list with what is
// found (landed) so far.
JsonValue HiddenObjectDump() {
  JsonValue ho = JsonValue::MakeObject();
  ho.Set("scene", WindowVisible("wnd_ho") ? world.levelName : std::string());
  ho.Set("entry", world.sceneEntry);
  const int group = HuntGroupStart();
  ho.Set("group", group);
  JsonValue list = JsonValue::MakeArray();
  for (int i = group; i < group + 12 && i < static_cast<int>(world.sceneObjects.size()); ++i) {
    const SceneObject& o = world.sceneObjects[static_cast<std::size_t>(i)];
    JsonValue label = JsonValue::MakeObject();
    label.Set("name", o.name);
    label.Set("found", o.kind == "inactive");
    list.Append(std::move(label));
  }
  ho.Set("list", std::move(list));
  ho.Set("objects", Objects(world.sceneObjects, true));
  ho.Set("penalty", world.ho.penalty);
  ho.Set("misses", world.ho.misses);
  ho.Set("reward", world.rewardSubject);
  return ho;
}

// The hint: the recharge, what the scene's ring marks and the item the
// quest-hint window explains.
JsonValue HintDump() {
  JsonValue hint = JsonValue::MakeObject();
  hint.Set("charge", world.hintCharge);
  hint.Set("recharging", world.hintRecharging);
  hint.Set("target", world.hintTarget);
  const int entry = world.questHintEntry;
  hint.Set("item", entry >= 0 && entry < static_cast<int>(world.inventory.size())
                       ? world.inventory[static_cast<std::size_t>(entry)].name
                       : std::string());
  return hint;
}

}  // namespace

void DumpWorld(JsonValue& dump) {
  dump.Set("level", world.levelName);
  dump.Set("objects", Objects(world.objects, true));
  dump.Set("inventory", Objects(world.inventory, false));
  dump.Set("inventory_scroll", world.inventoryScroll);
  dump.Set("diary", DiaryDump());

  JsonValue tasks = JsonValue::MakeObject();
  for (int i = 0; i < world.tasks.count(); ++i) tasks.Set(world.tasks[i].key, world.tasks[i].value);
  dump.Set("tasks", std::move(tasks));
  dump.Set("zoomin", CloseUpDump());
  dump.Set("puzzle", PuzzleDump());
  JsonValue cutscene = JsonValue::MakeObject();
  cutscene.Set("movie_ms", VideoTimeMs(cutscenes.movie));
  cutscene.Set("movie_length", VideoLengthMs(cutscenes.movie));
  cutscene.Set("credits_scroll", cutscenes.credits_scroll);
  dump.Set("cutscene", std::move(cutscene));
  dump.Set("quest_keys", QuestKeys());

  JsonValue task_panel = JsonValue::MakeObject();
  task_panel.Set("opening", world.taskPanel.opening);
  task_panel.Set("direction", world.taskPanel.direction);
  dump.Set("task_panel", std::move(task_panel));

  JsonValue popup = JsonValue::MakeObject();
  popup.Set("active", world.popup.active);
  popup.Set("key", world.popup.key);
  dump.Set("popup", std::move(popup));

  dump.Set("ho", HiddenObjectDump());
  dump.Set("hint", HintDump());
  dump.Set("hover", world.hoverName);
  dump.Set("interactive", world.interactive);
  dump.Set("level_fade", world.levelFade);
  dump.Set("edit_mode", world.editMode);
  JsonValue editor = JsonValue::MakeObject();
  editor.Set("on", world.editMode);
  editor.Set("brush", world.editor.brush);
  editor.Set("brush_kind", world.editor.brush_kind);
  dump.Set("editor", std::move(editor));
}
