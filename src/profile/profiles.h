// The players of this computer: the profile folder, the player list, the
// current player and that player's options, all kept in the one INI document
// that "data.ini" is loaded into.
#pragma once

#include <string>
#include <string_view>

#include "res/fixed_list.h"

inline constexpr std::size_t MAX_PLAYERS = 8;

struct PlayerOptions {
  int music_volume = 75;        // "opt_mvolume", 0..100
  int effects_volume = 75;      // "opt_svolume"
  int environment_volume = 75;  // "opt_evolume"
  bool fullscreen = true;       // "opt_fullscreen"
  bool custom_cursor = true;    // "opt_ccursor"
  bool tutorial_offered = false;  // "opt_tut"
  int tutorial_step = 0;          // "opt_inum", 0..8
};

struct Profiles {
  std::string profile_folder;  // ends with '/'
  TF_list players;
  std::string current_player;
  PlayerOptions options;
  // "lev_current": the level the player is in, e.g. "intro"; set when a
  // level is read from the player's copy, saved with the progress.
  std::string current_level;
  // "cheat" in the game's texts: the player of this name has the
  // developer's keys.
  std::string developer_word;
  // Where "data/" is found: "" for the current folder, which start-up makes
  // the game root; otherwise a folder ending with '/'.
  std::string game_root;
  // The level designer's sources ("content/", ending with '/'): the editor
  // saves levels there, and the next build carries them into data/. Empty
  // for an installed game, whose data/ is not the designer's to change.
  std::string content_folder;
  // "data.ini" named no usable player although it holds players' sections
  // (a damaged header, a lost list): the player is told once at start.
  bool player_list_damaged = false;
  // Set when the last player has been deleted: only then may a save with
  // no player remove "data.ini".
  bool last_player_deleted = false;
};

// A player's game beyond the options (diary, level, tasks, inventory) is the
// world's: the world hands over how a new game starts and how it is written
// to and read from the profile document, so this layer needs no world.
struct ProgressHooks {
  void (*fresh)() = nullptr;
  void (*write)(const std::string& player) = nullptr;
  void (*read)(const std::string& player) = nullptr;
};
void SetProgressHooks(const ProgressHooks& hooks);

// The one set of profiles of the running game.
Profiles& CurrentProfiles();
void ResetProfiles();

// Longest player name: the name is a folder name of its own.
inline constexpr std::size_t MAX_PLAYER_NAME = 255;

// Whether the current player is the developer's profile.
bool IsDeveloperProfile();

// Letters and digits only, at most MAX_PLAYER_NAME of them: the names that
// may become folders and sections.
bool IsSafePlayerName(std::string_view name);

// Letters, digits, blanks, '_', '-' and '.', but not "." or ".." alone: the
// names the save folder from the game's texts may have.
bool IsSafeFolderName(std::string_view name);

// Creates "<user dir>Quillmoor/<save folder>/" (and what is missing above it)
// and remembers it. False, with a start-up failure report, when the name is
// unusable or the folder cannot be made; nothing is remembered then.
bool PrepareSaveFolder(const std::string& user_dir, const std::string& save_folder);
std::string ProfileFilePath();

// Splits the value at the separator, skipping empty pieces.
void ReadNameList(std::string_view section, std::string_view key, char separator, TF_list& list);
// Every name followed by the separator, the last separator removed.
void WriteNameList(const TF_list& list, std::string_view section, std::string_view key,
                   char separator);

// Loads "data.ini" and reads the player list and the current player. Names
// that are not letters and digits are left out with a log line. Sets
// player_list_damaged when no name is usable but player sections are there.
void LoadPlayerList();
// Reads the current player's options and progress ("data.ini" already
// loaded), or the defaults when there is no profile file.
void LoadProfile();
// Reads the current player's options and progress from the document in
// memory (no player: the keys read as absent).
void ReadPlayerOptions();
// The default options and a new game in memory; writes nothing.
void ResetProfileDefaults();
// Writes the "players" section and saves "data.ini". False when the save failed.
bool SavePlayerList();
// Writes the players and the current player's options and progress and
// saves "data.ini". With no current player only the list is written; with no
// player at all the file is left as it is, or removed once the last player
// was deleted and nothing else is left in it. False when that failed.
bool SaveProfile();

// --- Creating, choosing and deleting players ----------------------------------

enum class CreatePlayerOutcome {
  Created,           // the new name is the current player, saved, folder filled
  Exists,            // the list holds the name in some letter case; nothing changed
  Full,              // MAX_PLAYERS names already; nothing changed
  Invalid,           // not letters and digits only; nothing changed or written
  NotSaved,          // "data.ini" could not be saved (or there is no profile
                     // folder yet); the list is as before
  FolderIncomplete,  // saved, but the player folder is missing copies
};

struct CreatePlayerResult {
  CreatePlayerOutcome outcome = CreatePlayerOutcome::Invalid;
  std::size_t index = 0;  // with Exists: the entry that holds the name
};

// Appends a new player, makes it current with the default options, saves
// "data.ini" and fills the player folder. The message for Exists and Full is
// the caller's to show.
CreatePlayerResult CreatePlayer(const std::string& name);
// Removes the player's three sections, folder and list entries; the first
// remaining player becomes current and the player list is saved. False when
// the name is refused or the save failed.
bool DeletePlayer(const std::string& name);
// Makes a listed player current, loads and saves the profile. False when the
// name is not in the list or the save failed. The caller applies the volumes.
bool ChoosePlayer(const std::string& name);
// Profile folder + name with "levels" and "scenes" holding fresh copies of the
// shipped object lists. False when the name is refused or a copy failed.
bool CreatePlayerFolder(const std::string& name);
