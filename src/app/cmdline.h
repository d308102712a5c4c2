// The program's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct CommandLine {
  std::string root;    // --root DIR: the folder that holds data/
  std::string home;    // --home DIR: the per-user folder the profiles go below
  std::string content; // --content DIR: the content folder the editor saves levels into
  bool windowed = false;    // --windowed: this run in a window
  bool fullscreen = false;  // --fullscreen: this run in full screen
  bool log = false;         // --log: write the engine log
  std::optional<uint32_t> seed;  // --seed N
  bool headless = false;    // --headless
  std::string script;       // --script FILE (implies --headless)
  int desktop_width = 0;    // --desktop WxH, headless only
  int desktop_height = 0;
  bool help = false;
  bool version = false;
};

struct CommandLineResult {
  CommandLine options;
  bool ok = true;
  std::string error;  // one line, for an unknown or malformed option
};

CommandLineResult ParseCommandLine(int argc, const char* const* argv);
std::string UsageText();
