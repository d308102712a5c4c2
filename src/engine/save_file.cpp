// Atomic saves and whole-file reads over POSIX descriptors: the only calls
// that let a save be flushed to disk and renamed into place in one step.
#include "engine/save_file.h"

#include <dirent.h>     // opendir: stale temporaries of cut-short saves
#include <fcntl.h>      // open
#include <sys/stat.h>   // fstat, stat, fchmod
#include <unistd.h>     // read, write, fsync, close, unlink

#include <cerrno>
#include <csignal>      // raise, SIGKILL (the kill test's hook)
#include <cstdio>       // std::rename
#include <cstdlib>      // mkstemp, getenv
#include <cstring>      // strerror
#include <vector>

namespace {

std::string g_save_root;

constexpr std::string_view kTempMark = ".tmp-";
constexpr std::size_t kTempSuffixLength = 6;  // mkstemp's XXXXXX

// Test hook of the kill test, nothing else: with QUILLMOOR_KILL_AT_SAVE_STEP=N
// in the environment the game kills itself, as a power cut would stop it, at
// the Nth step of saving it passes (before and after each flush and rename).
int g_save_steps_passed = 0;
void SaveStep() {
  const char* at = std::getenv("QUILLMOOR_KILL_AT_SAVE_STEP");
  if (at != nullptr && ++g_save_steps_passed == std::atoi(at)) std::raise(SIGKILL);
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The rename is already done when this runs; a folder that cannot be synced
// (some file systems refuse it) does not undo a save that is in place.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Every folder from the save root down to the file must be a folder and not
// a link to one; ".." could climb out of the root and is refused too.
bool ReachedWithoutLinks(const std::string& path) {
  if (g_save_root.empty() || !path.starts_with(g_save_root)) return true;
  std::string folder = g_save_root;
  std::string_view rest = std::string_view(path).substr(g_save_root.size());
  for (auto slash = rest.find('/'); slash != std::string_view::npos; slash = rest.find('/')) {
    const std::string_view part = rest.substr(0, slash);
    rest.remove_prefix(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") return false;
    folder.append(part).push_back('/');
    struct stat info {};
    if (::lstat(folder.substr(0, folder.size() - 1).c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
      return false;
  }
  return true;
}

bool IsTemporaryName(std::string_view name) {
  const auto mark = name.rfind(kTempMark);
  if (mark == std::string_view::npos || mark == 0) return false;
  const std::string_view suffix = name.substr(mark + kTempMark.size());
  if (suffix.size() != kTempSuffixLength) return false;
  for (const char c : suffix) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && !(c >= '0' && c <= '9')) return false;
  }
  return true;
}

// A save killed between creating its temporary file and the rename leaves
// that file behind; the next save in the folder clears them away. unlink
// takes a link itself, never what it points to.
void RemoveStaleTemporaries(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(dir))
    if (IsTemporaryName(entry->d_name)) stale.emplace_back(entry->d_name);
  ::closedir(dir);
  for (const std::string& name : stale) {
    const std::string path = folder + "/" + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) ::unlink(path.c_str());
  }
}

bool Fail(std::string* error, const std::string& path, const char* step, int error_number) {
  if (error != nullptr) {
    *error = "cannot " + std::string(step) + " \"" + path + "\": " + std::strerror(error_number);
  }
  return false;
}

}  // namespace

bool SaveFileAtomically(const std::string& path, std::string_view bytes,
                        std::string* error) {
  if (!ReachedWithoutLinks(path)) {
    if (error != nullptr)
      *error = "cannot save \"" + path + "\": a folder on its way is a link or missing";
    return false;
  }
  std::string temp = path + ".tmp-XXXXXX";
  std::vector<char> temp_name(temp.begin(), temp.end());
  temp_name.push_back('\0');
  const int fd = ::mkstemp(temp_name.data());
  if (fd < 0) return Fail(error, path, "create a temporary file for", errno);
  temp.assign(temp_name.data());

  // mkstemp makes the file private; a save should not change who may read it.
  struct stat old_file {};
  const mode_t mode =
      ::stat(path.c_str(), &old_file) == 0 ? (old_file.st_mode & 07777) : 0644;

  const char* step = nullptr;
  int reason = 0;
  if (::fchmod(fd, mode) != 0) step = "set the permissions of";
  else if (!WriteAll(fd, bytes)) step = "write";
  else {
    SaveStep();
    if (::fsync(fd) != 0) step = "flush";
  }
  if (step != nullptr) reason = errno;
  // close can report a delayed write error, so its result counts too.
  if (::close(fd) != 0 && step == nullptr) {
    step = "write";
    reason = errno;
  }
  if (step != nullptr) {
    ::unlink(temp.c_str());
    return Fail(error, path, step, reason);
  }

  SaveStep();  // flushed, not yet in place
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    reason = errno;
    ::unlink(temp.c_str());
    return Fail(error, path, "replace", reason);
  }
  SaveStep();
  SyncFolder(FolderOf(path));
  RemoveStaleTemporaries(FolderOf(path));
  SaveStep();
  return true;
}

void SetSaveRoot(const std::string& folder) { g_save_root = folder; }

const std::string& SaveRoot() { return g_save_root; }

bool ReadWholeFile(const std::string& path, std::string* bytes, int* error_number) {
  bytes->clear();
  auto fail = [&](int reason) {
    bytes->clear();
    if (error_number != nullptr) *error_number = reason;
    return false;
  };

  // Not blocking at the open, and only regular files: a pipe or a device
  // placed where a save belongs must not hang or flood the game.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return fail(errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int reason = errno;
    ::close(fd);
    return fail(reason);
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return fail(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
  }
  if (info.st_size > 0) bytes->reserve(static_cast<std::size_t>(info.st_size));

  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int reason = errno;
      ::close(fd);
      return fail(reason);
    }
    bytes->append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (error_number != nullptr) *error_number = 0;
  return true;
}

bool MakeFolderTree(const std::string& folder, std::string* error) {
  std::size_t end = 0;
  while (end != std::string::npos) {
    end = folder.find('/', end + 1);
    const std::string step = folder.substr(0, end);
    if (step.empty() || step == "/") continue;
    if (::mkdir(step.c_str(), 0700) == 0) continue;
    const int reason = errno;
    // A folder above the player's own may exist without being writable.
    struct stat info {};
    if (::stat(step.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
    return Fail(error, step, "create the folder", reason == EEXIST ? ENOTDIR : reason);
  }
  return true;
}
