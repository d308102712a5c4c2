// The program around the game: finds the game folder and the per-user
// folder, then hands over to the shell's program entry.
#include "app/program.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/cmdline.h"
#include "app/game_state.h"
#include "app/shell.h"
#include "engine/engine.h"
#include "engine/log.h"
#include "engine/save_file.h"

#ifndef QUILLMOOR_SHARE_DIR
#define QUILLMOOR_SHARE_DIR "/usr/local/share/quillmoor"
#endif
// The installed data folder seen from the installed program's folder.
#ifndef QUILLMOOR_SHARE_FROM_BIN
#define QUILLMOOR_SHARE_FROM_BIN "../share/quillmoor"
#endif

namespace {

// Written by the build beside the game it lays out: the absolute path of the
// source tree's content folder, one line.
constexpr const char* kContentMarker = "content-folder.txt";

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string WithSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string Absolute(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  char cwd[PATH_MAX];
  if (::getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

std::string ProgramFolder() {
  char exe[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return {};
  const std::string path(exe, static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/'));
}

// --root, else the program's own folder when it holds data/ (the build
// tree), else the share folder next to the program's bin/ (an installed
// prefix, wherever it was moved), else the share folder it was built for.
std::string GameRoot(const CommandLine& options) {
  if (!options.root.empty()) return Absolute(options.root);
  const std::string beside = ProgramFolder();
  if (!beside.empty() && IsFolder(beside + "/data")) return beside;
  if (!beside.empty()) {
    const std::string installed =
        (std::filesystem::path(beside) / QUILLMOOR_SHARE_FROM_BIN).lexically_normal().string();
    if (IsFolder(installed + "/data")) return installed;
  }
  return QUILLMOOR_SHARE_DIR;
}

// The content folder the editor saves levels into: --content, else the one
// the build wrote beside the game it laid out (a game run from its source
// tree), else none — an installed game has no sources to save into.
std::string ContentFolder(const CommandLine& options, const std::string& root) {
  if (!options.content.empty()) return WithSlash(Absolute(options.content));
  std::string marker;
  if (!ReadWholeFile(root + "/" + kContentMarker, &marker, nullptr)) return {};
  const std::size_t end = marker.find_first_of("\r\n");
  if (end != std::string::npos) marker.resize(end);
  if (marker.empty() || marker.front() != '/' || !IsFolder(marker)) return {};
  return WithSlash(marker);
}

std::string UserFolder(const CommandLine& options) {
  if (!options.home.empty()) return WithSlash(Absolute(options.home));
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/')
    return WithSlash(xdg);
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
    return WithSlash(std::string(home) + "/.local/share");
  return "./";
}

}  // namespace

int RunProgram(int argc, char** argv) {
  PrepareProcess();
  CommandLineResult parsed = ParseCommandLine(argc, argv);
  if (!parsed.ok) {
    std::fprintf(stderr, "quillmoor: %s\n", parsed.error.c_str());
    return 2;
  }
  CommandLine options = parsed.options;
  if (options.help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("quillmoor %s\n", QUILLMOOR_VERSION);
    return 0;
  }

  ResetGameState();
  const std::string root = GameRoot(options);
  options.script = Absolute(options.script);
  options.content = ContentFolder(options, root);
  EngineSettings settings;
  settings.headless = options.headless;
  settings.desktop_width = options.desktop_width;
  settings.desktop_height = options.desktop_height;
  settings.program_dir = WithSlash(root);
  settings.user_dir = UserFolder(options);
  // Reports made from here on know whether a window may show them.
  EngineConfigure(settings);
  // A fresh account has no ~/.local/share yet: it is made, as the desktop's
  // base-folder rules ask, and only a folder that cannot be made stops us.
  std::string error;
  if (!MakeFolderTree(settings.user_dir, &error)) {
    ReportStartFailure("the folder for saved games " + settings.user_dir +
                       " is not usable: " + error);
    return 1;
  }
  if (::chdir(root.c_str()) != 0) {
    ReportStartFailure("cannot enter the game folder " + root + ": " + std::strerror(errno));
    return 1;
  }
  return ProgramEntry(options);
}
