// Profile folder, player list and options in "data.ini".
#include "profile/profiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/ini.h"
#include "engine/log.h"

namespace {

constexpr std::string_view kPlayersSection = "players";
constexpr std::string_view kPlayerListKey = "opt_plist";
constexpr std::string_view kCurrentPlayerKey = "opt_player";

Profiles g_profiles;

bool MakeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return true;
  ReportError("Cannot create the folder \"" + path + "\": " + std::strerror(errno));
  return false;
}

int ClampVolume(int v) { return v < 0 ? 0 : v > 100 ? 100 : v; }

}  // namespace

Profiles& CurrentProfiles() { return g_profiles; }
void ResetProfiles() { g_profiles = Profiles{}; }

bool IsSafePlayerName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !digit) return false;
  }
  return true;
}

bool PrepareSaveFolder(const std::string& user_dir, const std::string& save_folder) {
  const std::string maker = user_dir + "Quillmoor";
  const std::string game = maker + "/" + save_folder;
  g_profiles.profile_folder = game + "/";
  return MakeFolder(maker) && MakeFolder(game);
}

std::string ProfileFilePath() { return g_profiles.profile_folder + "data.ini"; }

void ReadNameList(std::string_view section, std::string_view key, char separator, TF_list& list) {
  list.clear();
  const std::string value = IniReadString(section, key);
  std::size_t start = 0;
  while (start <= value.size()) {
    std::size_t end = value.find(separator, start);
    if (end == std::string::npos) end = value.size();
    if (end > start) list.append(value.substr(start, end - start));
    start = end + 1;
  }
}

void WriteNameList(const TF_list& list, std::string_view section, std::string_view key,
                   char separator) {
  std::string value;
  for (const std::string& name : list) {
    value += name;
    value += separator;
  }
  if (!value.empty()) value.pop_back();
  IniWriteString(section, key, value);
}

void LoadPlayerList() {
  IniLoadFile(ProfileFilePath());
  TF_list names;
  ReadNameList(kPlayersSection, kPlayerListKey, '/', names);
  // "data.ini" can be edited by hand: a name that could leave the profile
  // folder as a path never becomes a player.
  g_profiles.players.clear();
  for (const std::string& name : names) {
    if (!IsSafePlayerName(name)) {
      LogLine("Profiles: player name \"" + name + "\" is not letters and digits; left out", true);
      continue;
    }
    if (g_profiles.players.size() < MAX_PLAYERS) g_profiles.players.append(name);
  }
  g_profiles.current_player = IniReadString(kPlayersSection, kCurrentPlayerKey);
  if (!g_profiles.current_player.empty() && !IsSafePlayerName(g_profiles.current_player)) {
    LogLine("Profiles: current player \"" + g_profiles.current_player +
                "\" is not letters and digits; none chosen",
            true);
    g_profiles.current_player.clear();
  }
}

void ResetProfileDefaults() { g_profiles.options = PlayerOptions{}; }

void LoadProfile() {
  struct stat info {};
  if (::stat(ProfileFilePath().c_str(), &info) != 0) {
    ResetProfileDefaults();
    return;
  }
  // Something that is not a readable file was reported by LoadPlayerList
  // already; the empty document then reads as a profile without options.
  if (S_ISREG(info.st_mode) && ::access(ProfileFilePath().c_str(), R_OK) == 0)
    IniLoadFile(ProfileFilePath());
  else
    IniClear();
  const std::string& p = g_profiles.current_player;
  PlayerOptions& o = g_profiles.options;
  o.music_volume = ClampVolume(IniReadInt(p, "opt_mvolume"));
  o.effects_volume = ClampVolume(IniReadInt(p, "opt_svolume"));
  o.environment_volume = ClampVolume(IniReadInt(p, "opt_evolume"));
  o.fullscreen = IniReadBool(p, "opt_fullscreen");
  o.custom_cursor = IniReadBool(p, "opt_ccursor");
  o.tutorial_offered = IniReadBool(p, "opt_tut");
  o.tutorial_step = IniReadInt(p, "opt_inum");
}

bool SavePlayerList() {
  WriteNameList(g_profiles.players, kPlayersSection, kPlayerListKey, '/');
  IniWriteString(kPlayersSection, kCurrentPlayerKey, g_profiles.current_player);
  return IniSave(ProfileFilePath());
}

bool SaveProfile() {
  const std::string& p = g_profiles.current_player;
  if (p.empty()) {
    // A profile file that could not be read is not ours to delete either.
    if (IniIsRefusedPath(ProfileFilePath())) return IniSave(ProfileFilePath());
    // unlink, not remove: whatever else stands at the path is never taken away.
    if (::unlink(ProfileFilePath().c_str()) != 0 && errno != ENOENT) {
      ReportWarning("Cannot delete \"" + ProfileFilePath() + "\": " + std::strerror(errno));
      return false;
    }
    return true;
  }
  WriteNameList(g_profiles.players, kPlayersSection, kPlayerListKey, '/');
  IniWriteString(kPlayersSection, kCurrentPlayerKey, p);
  const PlayerOptions& o = g_profiles.options;
  IniWriteInt(p, "opt_mvolume", o.music_volume);
  IniWriteInt(p, "opt_svolume", o.effects_volume);
  IniWriteInt(p, "opt_evolume", o.environment_volume);
  IniWriteBool(p, "opt_fullscreen", o.fullscreen);
  IniWriteBool(p, "opt_ccursor", o.custom_cursor);
  IniWriteBool(p, "opt_tut", o.tutorial_offered);
  IniWriteInt(p, "opt_inum", o.tutorial_step);
  return IniSave(ProfileFilePath());
}
