// Profile folder, player list and options in "data.ini".
#include "profile/profiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "engine/ini.h"
#include "engine/log.h"
#include "engine/save_file.h"
#include "profile/player_folder.h"

namespace {

constexpr std::string_view kPlayersSection = "players";
constexpr std::string_view kPlayerListKey = "opt_plist";
constexpr std::string_view kCurrentPlayerKey = "opt_player";

Profiles g_profiles;
ProgressHooks g_progress;

void FreshProgressHook() {
  if (g_progress.fresh != nullptr) g_progress.fresh();
}
void ReadProgressHook(const std::string& player) {
  if (g_progress.read != nullptr) g_progress.read(player);
}
void WriteProgressHook(const std::string& player) {
  if (g_progress.write != nullptr) g_progress.write(player);
}

int ClampVolume(int v) { return v < 0 ? 0 : v > 100 ? 100 : v; }

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Before PrepareSaveFolder every player path would land in the game root,
// where a player named like one of its folders could take that folder away.
bool RefuseWithoutProfileFolder(std::string_view operation) {
  if (!g_profiles.profile_folder.empty()) return false;
  LogLine("Profiles: " + std::string(operation) + " refused: no profile folder yet", true);
  return true;
}

// A name that could leave the profile folder as a path is never used.
bool RefuseUnsafeName(const std::string& name, std::string_view operation) {
  if (IsSafePlayerName(name)) return false;
  LogLine("Profiles: " + std::string(operation) + " refused for \"" + name +
              "\": a player name is letters and digits only",
          true);
  return true;
}

// Keys outside the "players" section belong to some player, even when the
// list that should name them cannot be read.
bool HoldsSectionsBesidesPlayers(const TIniDoc& doc) {
  for (const TIniSection& section : doc.sections)
    if (section.name != kPlayersSection && !section.keys.empty()) return true;
  return false;
}

}  // namespace

Profiles& CurrentProfiles() { return g_profiles; }
void SetProgressHooks(const ProgressHooks& hooks) { g_progress = hooks; }
void ResetProfiles() {
  g_profiles = Profiles{};
  SetSaveRoot({});
}

bool IsDeveloperProfile() {
  return !g_profiles.developer_word.empty() &&
         g_profiles.current_player == g_profiles.developer_word;
}

bool IsSafePlayerName(std::string_view name) {
  if (name.empty() || name.size() > MAX_PLAYER_NAME) return false;
  for (char c : name) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !digit) return false;
  }
  return true;
}

bool IsSafeFolderName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !digit && c != ' ' && c != '_' && c != '-' && c != '.') return false;
  }
  return true;
}

bool PrepareSaveFolder(const std::string& user_dir, const std::string& save_folder) {
  // The name comes from the game's texts, which a translator edits: it must
  // stay one folder below ours.
  if (!IsSafeFolderName(save_folder)) {
    ReportStartFailure("the save folder name \"" + save_folder +
                       "\" in the game's texts is not usable: it must be letters, digits, "
                       "blanks, '_', '-' or '.' (and not \".\" or \"..\"); reinstalling the "
                       "game restores it");
    return false;
  }
  const std::string game = user_dir + "Quillmoor/" + save_folder;
  std::string error;
  if (!MakeFolderTree(game, &error)) {
    ReportStartFailure("the save folder " + game + " is not usable: " + error);
    return false;
  }
  g_profiles.profile_folder = game + "/";
  SetSaveRoot(g_profiles.profile_folder);
  return true;
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
      LogLine("Profiles: player name \"" + name + "\" is not a usable name; left out", true);
      continue;
    }
    // Eight is the limit of creating players, not of keeping them: players a
    // hand added beyond it stay in the list and in the file.
    if (!g_profiles.players.append(name)) {
      LogLine("Profiles: player list full; \"" + name + "\" left out", true);
    }
  }
  g_profiles.player_list_damaged =
      g_profiles.players.empty() && HoldsSectionsBesidesPlayers(IniDocument());
  g_profiles.current_player = IniReadString(kPlayersSection, kCurrentPlayerKey);
  if (!g_profiles.current_player.empty() && !IsSafePlayerName(g_profiles.current_player)) {
    LogLine("Profiles: current player \"" + g_profiles.current_player +
                "\" is not a usable name; none chosen",
            true);
    g_profiles.current_player.clear();
  }
}

void ResetProfileDefaults() {
  g_profiles.options = PlayerOptions{};
  FreshProgressHook();
}

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
  ReadPlayerOptions();
}

void ReadPlayerOptions() {
  const std::string& p = g_profiles.current_player;
  PlayerOptions& o = g_profiles.options;
  o.music_volume = ClampVolume(IniReadInt(p, "opt_mvolume"));
  o.effects_volume = ClampVolume(IniReadInt(p, "opt_svolume"));
  o.environment_volume = ClampVolume(IniReadInt(p, "opt_evolume"));
  o.fullscreen = IniReadBool(p, "opt_fullscreen");
  o.custom_cursor = IniReadBool(p, "opt_ccursor");
  o.tutorial_offered = IniReadBool(p, "opt_tut");
  o.tutorial_step = IniReadInt(p, "opt_inum");
  ReadProgressHook(p);
}

bool SavePlayerList() {
  if (RefuseWithoutProfileFolder("saving the player list")) return false;
  WriteNameList(g_profiles.players, kPlayersSection, kPlayerListKey, '/');
  IniWriteString(kPlayersSection, kCurrentPlayerKey, g_profiles.current_player);
  return IniSave(ProfileFilePath());
}

bool SaveProfile() {
  if (RefuseWithoutProfileFolder("saving the profile")) return false;
  const std::string& p = g_profiles.current_player;
  if (p.empty() && !g_profiles.players.empty()) {
    // Players but none chosen (a hand edit, a torn save): their profiles stay;
    // only the list is written.
    return SavePlayerList();
  }
  if (p.empty()) {
    // A list that read empty (a damaged header, a hand edit) says nothing
    // about the players in the file: it is removed only after its last player
    // was deleted, and only when no section of anyone else is left in it.
    if (!g_profiles.last_player_deleted || IniIsRefusedPath(ProfileFilePath()) ||
        HoldsSectionsBesidesPlayers(IniDocument()))
      return true;
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
  WriteProgressHook(p);
  return IniSave(ProfileFilePath());
}

CreatePlayerResult CreatePlayer(const std::string& name) {
  if (RefuseUnsafeName(name, "creating a player")) return {CreatePlayerOutcome::Invalid, 0};
  if (RefuseWithoutProfileFolder("creating a player")) return {CreatePlayerOutcome::NotSaved, 0};
  Profiles& pr = g_profiles;
  for (std::size_t i = 0; i < pr.players.size(); ++i)
    if (SameNameIgnoringCase(pr.players[i], name)) return {CreatePlayerOutcome::Exists, i};
  if (pr.players.size() >= MAX_PLAYERS) return {CreatePlayerOutcome::Full, 0};

  const TF_list old_players = pr.players;
  const std::string old_current = pr.current_player;
  const PlayerOptions old_options = pr.options;
  const bool had_section = IniIsSection(name);
  const bool had_inventory = IniIsSection(name + "_inv");
  // Quest steps left by an earlier player of this name (a hand-edited player
  // list) would make the new game resume their close-ups: they go, and come
  // back only if the new player cannot be saved.
  const std::string steps_section = name + "_data";
  std::vector<TIniKey> old_steps;
  for (const TIniSection& section : IniDocument().sections)
    if (section.name == steps_section) {
      old_steps = section.keys;
      break;
    }
  while (IniIsSection(steps_section)) IniDelete(steps_section, "");
  pr.current_player = name;
  pr.players.append(name);
  ResetProfileDefaults();
  if (!SaveProfile()) {
    for (const TIniKey& key : old_steps) IniWriteString(steps_section, key.name, key.value);
    // The player never existed: the document and memory go back to how they
    // were, so a later save does not write a profile the player was told failed.
    pr.players = old_players;
    pr.current_player = old_current;
    pr.options = old_options;
    if (!had_section) IniDelete(name, "");
    if (!had_inventory) IniDelete(name + "_inv", "");
    // The previous player's game comes back as last saved.
    if (old_current.empty())
      FreshProgressHook();
    else
      ReadProgressHook(old_current);
    WriteNameList(pr.players, kPlayersSection, kPlayerListKey, '/');
    IniWriteString(kPlayersSection, kCurrentPlayerKey, pr.current_player);
    return {CreatePlayerOutcome::NotSaved, 0};
  }
  if (!CreatePlayerFolder(name)) return {CreatePlayerOutcome::FolderIncomplete, pr.players.size() - 1};
  return {CreatePlayerOutcome::Created, pr.players.size() - 1};
}

bool DeletePlayer(const std::string& name) {
  if (RefuseUnsafeName(name, "deleting a player")) return false;
  if (RefuseWithoutProfileFolder("deleting a player")) return false;
  Profiles& pr = g_profiles;
  // A hand-edited document may hold a section twice; none may survive.
  for (const std::string& section : {name + "_inv", name + "_data", name})
    while (IniIsSection(section)) IniDelete(section, "");
  LogLine("DELETED: " + pr.profile_folder + name, true);
  DeleteFolderTree(pr.profile_folder + name);
  for (std::size_t i = pr.players.size(); i-- > 0;)
    if (pr.players[i] == name) pr.players.remove_at(i);
  if (pr.players.empty()) pr.last_player_deleted = true;
  const std::string before = pr.current_player;
  pr.current_player = pr.players.empty() ? std::string() : pr.players[0];
  // The options and progress in memory must be the new current player's:
  // the next save writes them under that player's name.
  if (pr.current_player == before) return SavePlayerList();
  if (pr.current_player.empty()) {
    ResetProfileDefaults();
  } else {
    ReadPlayerOptions();
  }
  return SavePlayerList();
}

bool ChoosePlayer(const std::string& name) {
  if (RefuseUnsafeName(name, "choosing a player")) return false;
  Profiles& pr = g_profiles;
  if (std::find(pr.players.begin(), pr.players.end(), name) == pr.players.end()) {
    LogLine("Profiles: \"" + name + "\" is not in the player list; not chosen", true);
    return false;
  }
  pr.current_player = name;
  LoadProfile();
  return SaveProfile();
}

bool CreatePlayerFolder(const std::string& name) {
  if (RefuseUnsafeName(name, "creating a player folder")) return false;
  if (RefuseWithoutProfileFolder("creating a player folder")) return false;
  return FillPlayerFolder(g_profiles.profile_folder + name, g_profiles.game_root);
}
