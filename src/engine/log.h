// The engine log and the two ways the engine reports trouble to the player.
//
// The log file is written only when the engine starts with the write-log
// option; every line ends with CR LF. Reports always reach the player: a
// message box in a window session, standard error in a headless run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// --- Log file ---------------------------------------------------------------

// Creates the log file empty (replacing an old one), writes the banner and
// "Begin". start_ms is the clock reading that time stamps count from.
// Returns false (and leaves the log closed) when the file cannot be created.
bool LogOpen(const std::string& path, double start_ms);
// Writes "End" with a time stamp and closes the file.
void LogClose();
bool LogIsOpen();
// Appends one line while the log is open; otherwise does nothing.
void LogLine(std::string_view text, bool with_time_stamp = true);

// "[00001234ms] " for 1234 ms; the fixed "[00000000ms]" (no blank) past
// 99,999,999 ms.
std::string LogTimeStamp(int64_t elapsed_ms);
// The three banner lines, each 33 characters, without line ends.
std::string LogBannerLine();

// --- Reports ----------------------------------------------------------------

// A message box captioned "ERROR!" and the log line "ERROR: " + text.
void ReportError(std::string_view text);
// A message box captioned "WARNING!" and the log line "WARNING: " + text.
void ReportWarning(std::string_view text);
// Why the game cannot start at all: "quillmoor: " + text on standard error,
// and a message box of its own in a run with a window.
void ReportStartFailure(std::string_view text);
// Tells the player, in an error box, that a file of the game's own data is
// missing or damaged and that reinstalling mends it. Only the first such file
// of a run gets the box (one broken archive would otherwise bring dozens);
// every one gets its log line.
void ReportBrokenGameFile(std::string_view file);
// Lets the next ReportBrokenGameFile show its box again (a new run, a test).
void ResetBrokenGameFileReport();
