// Progress keys in "data.ini" and the check of the player's copies at start.
#include "world/progress.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "engine/archive.h"
#include "engine/ini.h"
#include "engine/log.h"
#include "profile/profiles.h"
#include "world/object_list.h"
#include "world/world.h"

namespace {

constexpr int kMaxHintCharge = 80;

// A count read from a hand-edited file never reaches past its list.
int CountWithin(std::string_view section, std::string_view key, std::size_t capacity) {
  const int32_t count = IniReadInt(section, key);
  if (count < 0) return 0;
  if (static_cast<std::size_t>(count) > capacity) {
    LogLine("Profiles: \"" + std::string(key) + "\" of [" + std::string(section) + "] is " +
                std::to_string(count) + "; only " + std::to_string(capacity) + " are read",
            true);
    return static_cast<int>(capacity);
  }
  return count;
}

// A value with a line break would split its line in the saved file; the
// document refuses it and the key reads as empty next time.
void WriteText(std::string_view section, const std::string& key, std::string_view value) {
  if (value.find_first_of("\r\n") != std::string_view::npos)
    LogLine("Profiles: \"" + key + "\" of [" + std::string(section) +
                "] holds a line break; left unwritten",
            true);
  IniWriteString(section, key, value);
}

int32_t SavedInt(double v) {
  if (std::isnan(v)) return 0;
  const double whole = RoundToSaved(v);
  return static_cast<int32_t>(std::clamp(whole, double(INT32_MIN), double(INT32_MAX)));
}

void AppendEntry(ObjectList& list, std::string name, float x, float y, std::string kind) {
  SceneObject entry;
  entry.name = std::move(name);
  entry.x = x;
  entry.y = y;
  entry.kind = std::move(kind);
  list.append(std::move(entry));
}

std::string InventorySection(const std::string& player) { return player + "_inv"; }

// lstat: a link where a folder belongs is damage, not a folder; the game
// would otherwise read and write wherever it points.
bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// What is wrong with the player's copies, or "" when nothing is.
std::string FindDamagedCopy(const std::string& player_folder) {
  for (const char* sub : {"", "/levels", "/scenes"})
    if (!IsFolder(player_folder + sub))
      return "the folder \"" + player_folder + sub + "\" is missing or a link";
  const std::string& root = CurrentProfiles().game_root;
  BlockTable blocks;
  for (const char* sub : {"levels", "scenes"}) {
    const std::string shipped = root + "data/" + sub + "/";
    for (const std::string& file : ListGameFiles(shipped + "*.cfg", LOC_CAPACITY)) {
      try {
        ReadObjectListFile(player_folder + "/" + sub + "/" + file, blocks);
      } catch (const ObjectListError& error) {
        return error.what();
      }
    }
  }
  return {};
}

}  // namespace

void FreshProgress() {
  world.diary.pages.clear();
  world.diary.pages.append("default");
  world.diary.page = 1;
  CurrentProfiles().current_level = "intro";
  world.tasks.clear();
  world.inventory.clear();
  world.inventoryScroll = 0;
  world.hintRecharging = false;
  world.hintCharge = 0.0f;
}

void WriteProgress(const std::string& player) {
  const std::string& p = player;
  const TF_list& pages = world.diary.pages;
  IniWriteInt(p, "diary_max", static_cast<int32_t>(pages.size()));
  IniWriteInt(p, "diary_page", world.diary.page);
  for (std::size_t n = 1; n <= pages.size(); ++n)
    WriteText(p, "diary_page" + std::to_string(n), pages[n - 1]);
  WriteText(p, "lev_current", CurrentProfiles().current_level);
  IniWriteInt(p, "tasks_count", world.tasks.count());
  for (int i = 0; i < world.tasks.count(); ++i) {
    WriteText(p, "tasks_name" + std::to_string(i), world.tasks[i].key);
    WriteText(p, "tasks_res" + std::to_string(i), world.tasks[i].value);
  }
  IniWriteBool(p, "hint_press", world.hintRecharging);
  IniWriteInt(p, "hint_pos", SavedInt(double(world.hintCharge)));

  // Written anew, so no entry of a longer inventory outlives it.
  const std::string inv = InventorySection(p);
  IniDelete(inv, "");
  IniWriteInt(inv, "count", static_cast<int32_t>(world.inventory.size()));
  for (std::size_t i = 0; i < world.inventory.size(); ++i) {
    const SceneObject& entry = world.inventory[i];
    const std::string n = std::to_string(i);
    WriteText(inv, "name_" + n, entry.name);
    IniWriteInt(inv, "x_" + n, SavedInt(double(entry.x)));
    IniWriteInt(inv, "y_" + n, SavedInt(double(entry.y)));
    WriteText(inv, "state_" + n, entry.kind);
  }
}

void ReadProgress(const std::string& player) {
  const std::string& p = player;
  TF_list& pages = world.diary.pages;
  pages.clear();
  const int diary_max = CountWithin(p, "diary_max", TF_list::capacity);
  // The page shown is always one the diary has, page 1 of an empty one.
  world.diary.page = std::clamp(IniReadInt(p, "diary_page"), 1, std::max(diary_max, 1));
  for (int n = 1; n <= diary_max; ++n) pages.append(IniReadString(p, "diary_page" + std::to_string(n)));

  std::string level = IniReadString(p, "lev_current");
  if (!level.empty() && !IsSafeLevelName(level)) {
    LogLine("Profiles: level \"" + level + "\" of [" + p + "] is not a level name; left out", true);
    level.clear();
  }
  CurrentProfiles().current_level = std::move(level);

  world.tasks.clear();
  const int tasks = CountWithin(p, "tasks_count", LOC_CAPACITY);
  for (int i = 0; i < tasks; ++i)
    world.tasks.append(IniReadString(p, "tasks_name" + std::to_string(i)),
                       IniReadString(p, "tasks_res" + std::to_string(i)));

  world.hintRecharging = IniReadBool(p, "hint_press");
  world.hintCharge = static_cast<float>(std::clamp(IniReadInt(p, "hint_pos"), 0, kMaxHintCharge));
  // Only a running recharge has a charge left: any other would leave the
  // veil over the hint button for good.
  if (!world.hintRecharging) world.hintCharge = 0.0f;

  const std::string inv = InventorySection(p);
  world.inventory.clear();
  world.inventoryScroll = 0;
  const int entries = CountWithin(inv, "count", MAX_OBJECTS);
  for (int i = 0; i < entries; ++i) {
    const std::string n = std::to_string(i);
    // A count larger than the entries written (a hand edit) would otherwise
    // fill the inventory with nameless slots, and the next save keep them.
    std::string name = IniReadString(inv, "name_" + n);
    if (name.empty()) continue;
    AppendEntry(world.inventory, std::move(name),
                static_cast<float>(IniReadInt(inv, "x_" + n)),
                static_cast<float>(IniReadInt(inv, "y_" + n)), IniReadString(inv, "state_" + n));
  }
}

void ResetProgress() {
  const std::string& p = CurrentProfiles().current_player;
  if (!p.empty()) {
    // A hand-edited document may hold a section twice; none may survive.
    for (const std::string& section : {p + "_inv", p + "_data", p})
      while (IniIsSection(section)) IniDelete(section, "");
  }
  FreshProgress();
}

void RecoverDamagedProfile() {
  const std::string player = CurrentProfiles().current_player;
  CreatePlayerFolder(player);
  ResetProgress();
  SaveProfile();
}

bool VerifyPlayerFiles() {
  const Profiles& profiles = CurrentProfiles();
  if (profiles.current_player.empty() || profiles.profile_folder.empty()) return true;
  const std::string fault = FindDamagedCopy(profiles.profile_folder + profiles.current_player);
  if (fault.empty()) return true;
  LogLine("Profiles: " + fault + "; \"" + profiles.current_player + "\" starts a new game", true);
  RecoverDamagedProfile();
  return false;
}

void RegisterProgress() { SetProgressHooks({FreshProgress, WriteProgress, ReadProgress}); }
