// Player folders: filling them with the shipped object lists and removing them.
#include "profile/player_folder.h"

#include <dirent.h>  // opendir: listing the shipped lists and the tree to remove
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>  // rename
#include <cstring>
#include <vector>

#include "engine/log.h"
#include "engine/save_file.h"

namespace {

// A link standing where a player's folder belongs would send every copy the
// game writes to wherever it points. It is moved aside under a free name, kept
// as it is with its target untouched, and a real folder takes its place.
bool MoveLinkAside(const std::string& path) {
  for (int n = 0; n < 100; ++n) {
    const std::string aside = path + ".link" + (n == 0 ? std::string() : std::to_string(n));
    struct stat taken {};
    if (::lstat(aside.c_str(), &taken) == 0) continue;
    if (::rename(path.c_str(), aside.c_str()) != 0) return false;
    LogLine("Profiles: the link \"" + path + "\" was moved aside to \"" + aside + "\"", true);
    return true;
  }
  errno = EEXIST;
  return false;
}

bool MakeFolder(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && !MoveLinkAside(path)) {
    ReportWarning("Profiles: cannot move the link \"" + path + "\" aside: " +
                  std::strerror(errno));
    return false;
  }
  if (::mkdir(path.c_str(), 0755) == 0) return true;
  if (errno == EEXIST) {
    if (::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
    errno = ENOTDIR;
  }
  ReportWarning("Profiles: cannot create the folder \"" + path + "\": " + std::strerror(errno));
  return false;
}

// Regular files of folder (ending with '/') whose names match the pattern,
// sorted so the copies are made in the same order on every file system.
std::vector<std::string> ListFiles(const std::string& folder, const char* pattern) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string file(entry->d_name);
    if (::fnmatch(pattern, file.c_str(), 0) != 0) continue;
    struct stat info {};
    if (::stat((folder + file).c_str(), &info) == 0 && S_ISREG(info.st_mode))
      names.push_back(file);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool CopyObjectLists(const std::string& from, const std::string& to) {
  bool all_copied = true;
  for (const std::string& file : ListFiles(from, "*.cfg")) {
    std::string bytes;
    int error_number = 0;
    if (!ReadWholeFile(from + file, &bytes, &error_number)) {
      ReportWarning("Profiles: cannot read \"" + from + file + "\": " +
                    std::strerror(error_number));
      all_copied = false;
      continue;
    }
    std::string error;
    if (!SaveFileAtomically(to + file, bytes, &error)) {
      ReportWarning("Profiles: " + error);
      all_copied = false;
    }
  }
  return all_copied;
}

}  // namespace

bool FillPlayerFolder(const std::string& player_folder, const std::string& game_root) {
  if (!MakeFolder(player_folder)) return false;
  const bool levels = MakeFolder(player_folder + "/levels") &&
                      CopyObjectLists(game_root + "data/levels/", player_folder + "/levels/");
  const bool scenes = MakeFolder(player_folder + "/scenes") &&
                      CopyObjectLists(game_root + "data/scenes/", player_folder + "/scenes/");
  return levels && scenes;
}

void DeleteFolderTree(const std::string& folder) {
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) return;
  // A link standing where the folder should be goes as a link; its target,
  // wherever that is, stays.
  if (!S_ISDIR(info.st_mode)) {
    ::unlink(folder.c_str());
    return;
  }
  if (DIR* dir = ::opendir(folder.c_str())) {
    // The names are gathered first: removing entries while reading the
    // folder may make readdir skip some.
    std::vector<std::string> entries;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name(entry->d_name);
      if (name != "." && name != "..") entries.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : entries) DeleteFolderTree(folder + "/" + name);
  }
  ::rmdir(folder.c_str());
}
