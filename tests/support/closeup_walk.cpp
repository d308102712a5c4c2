// The close-up walk of the tests: real clicks on the level, the strip and the
// regions the open close-up offers.
#include "support/closeup_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/archive.h"
#include "engine/engine.h"
#include "engine/ini.h"
#include "profile/profiles.h"
#include "res/images.h"
#include "story/closeup.h"
#include "story/quest.h"
#include "support/input.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

constexpr float kSlot = 60.0f;  // the strip's slot, as the player sees it
constexpr int kSlots = 8;
constexpr float kArrowWidth = 46.0f;  // the strip's arrows either side of it
constexpr int kSettleTicks = 3;
constexpr int kAnimationTicks = 25;

std::vector<std::string> Names(const ObjectList& list) {
  std::vector<std::string> names;
  for (const SceneObject& o : list) names.push_back(o.name);
  return names;
}

int Count(const std::vector<std::string>& names, std::string_view name) {
  return static_cast<int>(std::count(names.begin(), names.end(), name));
}

std::vector<std::string> KeysOf(std::string_view quest) {
  std::vector<std::string> keys;
  const std::string prefix = CloseUpKeyPrefix(quest);
  for (const TIniSection& s : IniDocument().sections)
    if (s.name == QuestSection())
      for (const TIniKey& k : s.keys)
        if (k.name.starts_with(prefix)) keys.push_back(k.name + "=" + k.value);
  return keys;
}

// What a click can change: the steps, the inventory, the level, the window.
std::string Signature(std::string_view quest) {
  std::ostringstream out;
  for (const std::string& k : KeysOf(quest)) out << k << ';';
  out << '|';
  for (const SceneObject& e : world.inventory) out << e.name << ';';
  out << '|';
  for (const SceneObject& o : world.objects) out << o.name << ';';
  out << '|' << WindowVisible("wnd_zoomin") << WindowVisible("wnd_diary");
  return out.str();
}

// The scene message seen last, told apart by when it was shown.
struct MessageWatch {
  double shown_at = -1.0;
  void Note(CloseUpWalk& walk) {
    if (world.popup.active && world.popup.start_ms != shown_at) {
      shown_at = world.popup.start_ms;
      walk.messages.push_back(world.popup.key);
    }
  }
};

void ClickSlotOf(int index) {
  // Turn the strip by its arrows, a slot a click, until the entry shows.
  const int count = static_cast<int>(world.inventory.size());
  for (int n = 0; n < count && (index < world.inventoryScroll || index >= world.inventoryScroll + kSlots);
       ++n) {
    const bool left = index < world.inventoryScroll;
    ClickAt(left ? kStripLeft - kArrowWidth / 2 : kStripLeft + kSlot * kSlots + kArrowWidth / 2,
            kStripTop + kSlot / 2);
    GameSteps(1);
  }
  const float x = kStripLeft + kSlot / 2 + kSlot * static_cast<float>(index - world.inventoryScroll);
  ClickAt(x, kStripTop + kSlot / 2);
  GameSteps(1);
}

void Note(CloseUpWalk& walk, const std::string& fault) {
  if (std::find(walk.faults.begin(), walk.faults.end(), fault) == walk.faults.end())
    walk.faults.push_back(fault);
}

// Everything the last frame offered lies inside the picture and shows.
void CheckLastFrame(CloseUpWalk& walk) {
  if (!WindowVisible("wnd_zoomin")) return;
  const OpenedFrame& f = world.zoomin;
  const auto inside = [&](const CloseUpRect& r) {
    return r.x >= f.x && r.y >= f.y && r.x + r.w <= f.x + f.w && r.y + r.h <= f.y + f.h;
  };
  for (const CloseUpRect& r : CloseUpRegions())
    if (!inside(r))
      Note(walk, "region " + std::to_string(static_cast<int>(r.x - f.x)) + "," +
                     std::to_string(static_cast<int>(r.y - f.y)) + " " +
                     std::to_string(static_cast<int>(r.w)) + "x" +
                     std::to_string(static_cast<int>(r.h)) + " outside the picture");
  for (const CloseUpRect& r : CloseUpOverlays()) {
    if (r.w <= 0.0f || r.h <= 0.0f)
      Note(walk, "overlay " + r.name + " has no picture");
    else if (!inside(r))
      Note(walk, "overlay " + r.name + " outside the picture");
  }
}

// One click on each region offered now, until one changes something.
bool ClickRegions(std::string_view quest, CloseUpWalk& walk, MessageWatch& messages) {
  CheckLastFrame(walk);
  const std::vector<CloseUpRect> regions(CloseUpRegions().begin(), CloseUpRegions().end());
  const std::string before = Signature(quest);
  for (const CloseUpRect& r : regions) {
    ClickAt(r.x + r.w / 2, r.y + r.h / 2);
    GameSteps(kSettleTicks);
    messages.Note(walk);
    CheckLastFrame(walk);
    if (!WindowVisible("wnd_zoomin") || Signature(quest) != before) return true;
  }
  return false;
}

std::vector<std::string> ReadAddedPlace(std::string_view level, std::string_view name) {
  std::ifstream in(std::string(QUILLMOOR_TEST_CONTENT_DIR) + "/added_objects.txt");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<std::string> words;
    for (std::string w; fields >> w;) words.push_back(w);
    if (words.size() >= 5 && words[0] == level && words[1] == name) return words;
  }
  return {};
}

}  // namespace

void LoadLevelPictures(std::string_view level) {
  OpenArchive(CurrentProfiles().game_root + kImageArchive, kImageArchiveKey);
  images.load_scene_dir("images/levels/" + std::string(level) + "/");
  CloseArchive();
}

void EnterLevelForWalk(std::string_view level) {
  Profiles& profiles = CurrentProfiles();
  if (profiles.current_player.empty()) CreatePlayer("tester");
  profiles.options.tutorial_offered = true;
  profiles.options.tutorial_step = 0;
  ShowWindow("wnd_splash", false);
  ShowWindow("wnd_menu", false);
  ASSERT_TRUE(ChangeLevel(std::string(level), LeaveLevel::AlreadySaved)) << level;
  ShowWindow("wnd_instr", false);
  ShowWindow("wnd_diary", false);
  world.popup.active = false;
  ShowWindow("wnd_game", true);
  // The fades of the screen change and of the level pass before it takes clicks.
  GameSteps(70);
  LetApparitionGo();
}

void LetApparitionGo() {
  const int shade = FindSceneObject("q_shade");
  if (shade < 0 || world.objects[static_cast<std::size_t>(shade)].kind != "inactive") return;
  if (TextureWidth(images.get("lev_shade")) <= 0) return;
  GameSteps(60);  // she fades in
  // Her picture tells where she stands; a click on her lets her go.
  for (float y = 300.0f; y < 560.0f; y += 20.0f)
    for (float x = 0.0f; x < 1024.0f; x += 16.0f)
      if (image_alpha_at("lev_shade", x, y) > 0) {
        ClickAt(x, y);
        GameSteps(60);
        return;
      }
}

bool EnsureQuestObject(std::string_view quest, std::string_view kind) {
  if (FindSceneObject(quest) >= 0) return true;
  const std::vector<std::string> place = ReadAddedPlace(world.levelName, quest);
  if (place.empty()) return false;
  AddSceneObject(quest, kind, std::stof(place[2]), std::stof(place[3]));
  return true;
}

bool OpenCloseUpByClick(std::string_view quest) {
  const int index = FindSceneObject(quest);
  if (index < 0) return false;
  const SceneObject& o = world.objects[static_cast<std::size_t>(index)];
  ClickAt(o.x, o.y);
  GameSteps(1);
  return WindowVisible("wnd_zoomin") && world.zoomin.name == quest;
}

void HoldItem(std::string_view item) {
  const int held = HeldItemIndex();
  if (held >= 0 && world.inventory[static_cast<std::size_t>(held)].name == item) return;
  if (held >= 0) PutBackHeldItem();
  int index = FindInventoryEntry(item);
  if (index < 0) {
    GiveItem(item, "normal", 0.0f, 0.0f);
    index = static_cast<int>(world.inventory.size()) - 1;
  }
  ClickSlotOf(index);
}

void PutBackHeldItem() {
  const int held = HeldItemIndex();
  if (held >= 0) ClickSlotOf(held);
}

CloseUpWalk WalkOpenCloseUp(std::string_view quest, const std::vector<std::string>& items,
                            int step_limit) {
  CloseUpWalk walk;
  walk.opened = WindowVisible("wnd_zoomin");
  MessageWatch messages;
  std::vector<std::string> pending = items;
  GameSteps(1);  // the close-up's first frame offers its regions
  for (; walk.steps < step_limit && WindowVisible("wnd_zoomin"); ++walk.steps) {
    if (!pending.empty()) {
      const int had = Count(Names(world.inventory), pending.front());
      HoldItem(pending.front());
      const bool progressed = ClickRegions(quest, walk, messages);
      if (Count(Names(world.inventory), pending.front()) < std::max(had, 1)) {
        pending.erase(pending.begin());
        continue;
      }
      if (progressed) continue;
      PutBackHeldItem();
    }
    // Steps that want empty hands; then phases that play by themselves.
    if (!ClickRegions(quest, walk, messages)) GameSteps(kAnimationTicks);
  }
  PutBackHeldItem();
  walk.open = WindowVisible("wnd_zoomin");
  walk.items_left = pending;
  walk.inventory = Names(world.inventory);
  walk.objects = Names(world.objects);
  for (const std::string& k : KeysOf(quest)) walk.keys_left.push_back(k);
  return walk;
}

CloseUpWalk WalkCloseUp(std::string_view level, std::string_view quest,
                        const std::vector<std::string>& items, int step_limit) {
  EnterLevelForWalk(level);
  CloseUpWalk walk;
  if (!EnsureQuestObject(quest)) {
    ADD_FAILURE() << quest << " is neither in " << level << " nor placed in added_objects.txt";
    return walk;
  }
  const bool opened = OpenCloseUpByClick(quest);
  if (!opened) {
    ADD_FAILURE() << "a click on " << quest << " did not open its close-up";
    return walk;
  }
  walk = WalkOpenCloseUp(quest, items, step_limit);
  walk.opened = opened;
  return walk;
}
