// The screenshot key.
#include "app/screenshot.h"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include "engine/engine.h"
#include "engine/keys.h"
#include "engine/log.h"
#include "engine/save_file.h"
#include "res/sounds.h"
#include "world/world.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

std::string PicturesFolderFromUserDirs(std::string_view text, const std::string& home) {
  constexpr std::string_view kKey = "XDG_PICTURES_DIR=\"";
  std::string found;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.substr(0, kKey.size()) != kKey) continue;
    line.remove_prefix(kKey.size());
    const std::size_t quote = line.find('"');
    if (quote == std::string_view::npos) continue;
    std::string_view value = line.substr(0, quote);
    // The file's own rule: a value is "$HOME/..." or an absolute path.
    if (value.substr(0, 5) == "$HOME") {
      value.remove_prefix(5);
      if (home.empty() || (!value.empty() && value.front() != '/')) continue;
      found = WithoutTrailingSlash(home + std::string(value));
      if (found == WithoutTrailingSlash(home)) found.clear();
    } else if (!value.empty() && value.front() == '/') {
      found = WithoutTrailingSlash(std::string(value));
    }
  }
  return found;
}

std::string PicturesFolder() {
  if (const std::string set = Environment("XDG_PICTURES_DIR"); !set.empty() && set.front() == '/')
    return WithoutTrailingSlash(set);
  const std::string home = Environment("HOME");
  std::string config = Environment("XDG_CONFIG_HOME");
  if (config.empty() || config.front() != '/') config = home.empty() ? "" : home + "/.config";
  if (!config.empty()) {
    std::string text;
    if (ReadWholeFile(config + "/user-dirs.dirs", &text, nullptr)) {
      const std::string folder = PicturesFolderFromUserDirs(text, home);
      if (!folder.empty()) return folder;
    }
  }
  return home.empty() ? std::string() : WithoutTrailingSlash(home) + "/Pictures";
}

std::string ScreenshotFileName() {
  const std::time_t now = std::time(nullptr);
  std::tm local {};
  localtime_r(&now, &local);
  char name[64];
  std::strftime(name, sizeof name, "quillmoor-%Y%m%d-%H%M%S.png", &local);
  return name;
}

void ScreenshotKey() {
  if (!KeyPress(key::kF12) || world.editMode) return;
  const std::string folder = PicturesFolder();
  std::string error;
  if (folder.empty() || !MakeFolderTree(folder, &error)) {
    LogLine("Screenshot: no pictures folder to save into" +
                (error.empty() ? std::string() : ": " + error),
            true);
    return;
  }
  // Two in one second get a number rather than replacing the first.
  const std::string stem = ScreenshotFileName();
  std::string path = folder + "/" + stem;
  for (int n = 2; Exists(path) && n < 100; ++n)
    path = folder + "/" + stem.substr(0, stem.size() - 4) + "-" + std::to_string(n) + ".png";
  EngineDrawFrame();
  if (!EngineSaveScreenshot(path)) return;
  LogLine("Screenshot: " + path, true);
  sounds.play("camera");
}
