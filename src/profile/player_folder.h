// The player folder on disk: a player's own copies of the shipped level and
// scene object lists, and the removal of a whole folder tree.
// Depends on POSIX folder calls and engine/save_file.h only.
#pragma once

#include <string>

// Creates player_folder with its "levels" and "scenes" subfolders when
// missing, then copies every game_root + "data/levels/*.cfg" into "levels"
// and every game_root + "data/scenes/*.cfg" into "scenes", replacing older
// copies. game_root is "" for the current folder or ends with '/'. A missing
// shipped folder leaves its subfolder empty. False, with one warning a
// failure, when a folder or a copy could not be made; the rest is still done.
// A symbolic link where one of the three folders belongs is moved aside
// (renamed, never followed) and a real folder made in its place.
bool FillPlayerFolder(const std::string& player_folder, const std::string& game_root);

// Removes folder, everything below it, and then the folder itself. A symbolic
// link is removed as a link and never followed, so nothing outside the folder
// is touched. Failures are ignored: whatever cannot be removed stays.
void DeleteFolderTree(const std::string& folder);
