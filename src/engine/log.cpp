// The engine log: a banner, "Begin", time-stamped lines, "End"; CR LF lines.
#include "engine/log.h"

#include <fcntl.h>     // open: the log file is never reached through a link
#include <sys/stat.h>  // fstat: only a regular file is written
#include <unistd.h>    // close, ftruncate

#include <cmath>
#include <cstdio>

#include "engine/clock.h"
#include "engine/screen.h"

#ifndef QUILLMOOR_BUILD_DATE
#define QUILLMOOR_BUILD_DATE "unknown"
#endif
#ifndef QUILLMOOR_VERSION
#define QUILLMOOR_VERSION "0"
#endif

namespace {

constexpr std::size_t kBannerWidth = 33;
constexpr int64_t kLargestStamp = 99'999'999;

struct LogState {
  std::FILE* file = nullptr;
  int64_t start_ms = 0;
};

LogState g_log;
// Whether this run has shown its one box about broken game data.
bool g_broken_game_file_reported = false;

void WriteRaw(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), g_log.file);
  std::fwrite("\r\n", 1, 2, g_log.file);
  std::fflush(g_log.file);
}

int64_t ElapsedMs() { return std::llround(ClockNow()) - g_log.start_ms; }

}  // namespace

std::string LogTimeStamp(int64_t elapsed_ms) {
  if (elapsed_ms > kLargestStamp || elapsed_ms < 0) return "[00000000ms]";
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%08lldms] ", static_cast<long long>(elapsed_ms));
  return stamp;
}

std::string LogBannerLine() {
  std::string title = "Quill " QUILLMOOR_VERSION " (" QUILLMOOR_BUILD_DATE ")";
  // "=== " + title + " ===" is exactly as wide as the rules around it.
  const std::size_t room = kBannerWidth - 8;
  if (title.size() > room) title.resize(room);
  title.append(room - title.size(), ' ');
  return "=== " + title + " ===";
}

bool LogOpen(const std::string& path, double start_ms) {
  LogClose();
  // The log lies in the profile folder; a link put in its place must not
  // make the game overwrite whatever the link points to.
  // Not blocking, and regular files only: a pipe there must not hang the start.
  const int fd = ::open(path.c_str(),
                        O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return false;
  }
  g_log.file = ::fdopen(fd, "wb");
  if (g_log.file == nullptr) {
    ::close(fd);
    return false;
  }
  g_log.start_ms = std::llround(start_ms);
  const std::string rule(kBannerWidth, '=');
  WriteRaw(rule);
  WriteRaw(LogBannerLine());
  WriteRaw(rule);
  LogLine("Begin", true);
  return true;
}

void LogClose() {
  if (g_log.file == nullptr) return;
  LogLine("End", true);
  std::fclose(g_log.file);
  g_log.file = nullptr;
}

bool LogIsOpen() { return g_log.file != nullptr; }

void LogLine(std::string_view text, bool with_time_stamp) {
  if (g_log.file == nullptr) return;
  if (with_time_stamp) {
    std::string line = LogTimeStamp(ElapsedMs());
    line += text;
    WriteRaw(line);
  } else {
    WriteRaw(text);
  }
}

void ReportError(std::string_view text) {
  PlatformMessageBox(true, text);
  LogLine(std::string("ERROR: ").append(text), true);
}

void ReportStartFailure(std::string_view text) {
  PlatformStartFailure(text);
  LogLine(std::string("ERROR: ").append(text), true);
}

void ReportWarning(std::string_view text) {
  PlatformMessageBox(false, text);
  LogLine(std::string("WARNING: ").append(text), true);
}

void ReportBrokenGameFile(std::string_view file) {
  const std::string text = "The game file \"" + std::string(file) +
                           "\" is missing or damaged. Reinstalling the game should mend it.";
  if (g_broken_game_file_reported) {
    LogLine("ERROR: " + text, true);
    return;
  }
  g_broken_game_file_reported = true;
  ReportError(text);
}

void ResetBrokenGameFileReport() { g_broken_game_file_reported = false; }
