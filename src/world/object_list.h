// Object-list files: the small text format every level and hidden-object
// scene is stored in — a count line, then four lines a placed object (name,
// x, y, kind) — and the places they live: the shipped files under data/ and
// each player's working copies, which are the saved state of every level.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "world/world.h"

// A list that cannot be read: a missing or unreadable file, a missing line or
// a number that does not parse. The start-up check of the player's copies
// catches it.
class ObjectListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One four-line block of a file.
struct ObjectBlock {
  std::string name;
  float x = 0.0f;
  float y = 0.0f;
  std::string kind;
};
using BlockTable = FixedList<ObjectBlock, MAX_OBJECTS>;

// Reads a list from bytes (LF or CR LF lines; names and kinds taken whole;
// numbers read as reals, the rest of their line skipped). Throws
// ObjectListError on a malformed list (a missing line, a number that does
// not parse, a negative or absurd count); `what` names the file in the
// message, and `out` keeps the blocks read before the fault. Blocks beyond
// 129 are read but left out, with one log line. Returns the count the list
// declares, which is more than out.size() only for such an overfull list.
std::size_t ParseObjectList(std::string_view bytes, BlockTable& out, std::string_view what);
// The file's text: CR LF lines, x and y rounded half to even.
std::string FormatObjectList(const BlockTable& blocks);
// Nearest whole number, halves to the even neighbour (100.5 -> 100,
// 101.5 -> 102): how positions are saved, in the lists and the profile.
double RoundToSaved(double v);

// Reads and writes a whole file. Reading returns what ParseObjectList does
// and throws ObjectListError when the file is missing or unreadable too.
// Writing is atomic (a temporary file renamed over the old one); it throws
// ObjectListError, and leaves the old file, when the file cannot be written
// or a name or kind holds a line break.
std::size_t ReadObjectListFile(const std::string& path, BlockTable& out);
void WriteObjectListFile(const std::string& path, const BlockTable& blocks);

// Level names become paths: lower-case letters, digits, '_' and '-' only.
bool IsSafeLevelName(std::string_view level);

// "data/levels/<level>.cfg", "data/scenes/<level>.cfg" below the game root,
// and the current player's copies below the profile folder.
std::string ShippedLevelPath(std::string_view level);
std::string ShippedScenePath(std::string_view level);
std::string LevelCopyPath(std::string_view level);
// "<content folder>levels/<level>.cfg": the source the build copies the
// shipped level from, where the editor saves; "" when the game has no
// content folder (an installed game).
std::string ContentLevelPath(std::string_view level);
std::string SceneCopyPath(std::string_view level);

// The file side of loading and saving what the world record holds (the
// runtime's own resets come on top, in the scene runtime):
// - ReadLevelCopy: the player's copy of a level read whole into a table;
//   nothing else changes.
// - LevelIsShipped: the game has the level (its name is usable and its
//   shipped file reads).
// - InstallLevelObjects: a table read whole becomes the current level: the
//   image folder "images/levels/<level>/" through the archive, world.objects
//   and world.levelName, and (unless it came from the shipped file) the
//   player's current level.
// - ReadLevelObjects: reads world.levelName from the shipped file or the
//   copy and installs it.
// - WriteLevelObjects: saves the profile, and only when that worked writes
//   world.objects to the shipped file (editor) or the copy, so the copy never
//   runs ahead of the inventory on disk.
// - ReadSceneObjects / WriteSceneObjects: the same for the hidden-object scene
//   of the current level ("ho/" images, world.sceneObjects, run-time fields
//   of each object reset).
// Each throws ObjectListError when its file cannot be read or written, the
// profile cannot be saved, or the level name is refused (with a log line). A
// failed read changes nothing: the level or scene in memory stays whole.
void ReadLevelCopy(std::string_view level, BlockTable& out);
bool LevelIsShipped(std::string_view level);
void InstallLevelObjects(std::string_view level, const BlockTable& blocks, bool shipped);
void ReadLevelObjects(bool shipped);
void WriteLevelObjects(bool shipped);
void ReadSceneObjects(bool shipped);
void WriteSceneObjects(bool shipped);

// Changes to a player's copy of a level that is not loaded. Each throws
// ObjectListError as the reads and writes above do. A copy holding more than
// 129 objects is never rewritten (one log line), and nothing is added to a
// full one.
// Index of the first block with that name, or -1.
int FindInSavedLevel(std::string_view level, std::string_view name);
void AddToSavedLevel(std::string_view level, std::string_view name, float x, float y,
                     std::string_view kind);
// Removes the first block with that name; the file is rewritten either way.
void RemoveFromSavedLevel(std::string_view level, std::string_view name);
