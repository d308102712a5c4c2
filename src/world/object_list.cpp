// Object-list files: reading and writing the format, the paths of the shipped
// files and the player's copies, and the file side of level and scene loads.
// Depends on engine/save_file.h for every read and write, and on the image
// archive and registry for the level's pictures.
#include "world/object_list.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "engine/archive.h"
#include "engine/log.h"
#include "engine/save_file.h"
#include "profile/profiles.h"
#include "res/image_prefetch.h"
#include "res/images.h"
#include "world/scene.h"
#include "world/world.h"

namespace {


// The lines of a list, one at a time: LF ends a line, a CR just before it
// belongs to the line end. A CR left at the very end of the bytes is the
// remains of a line end too.
class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : bytes_(bytes) {}

  bool next(std::string_view* line) {
    if (pos_ >= bytes_.size()) return false;
    const std::size_t lf = bytes_.find('\n', pos_);
    const std::size_t end = lf == std::string_view::npos ? bytes_.size() : lf;
    std::string_view text = bytes_.substr(pos_, end - pos_);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    pos_ = lf == std::string_view::npos ? bytes_.size() : lf + 1;
    ++number_;
    *line = text;
    return true;
  }
  int number() const { return number_; }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
  int number_ = 0;
};

[[noreturn]] void Fail(std::string_view what, int line, const std::string& reason) {
  throw ObjectListError(std::string(what) + ": line " + std::to_string(line) + ": " + reason);
}

// The first word of a number line: blanks before it are skipped, whatever
// follows the next blank is ignored.
std::string_view NumberWord(std::string_view line) {
  std::size_t start = 0;
  while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
  std::size_t end = start;
  while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
  std::string_view word = line.substr(start, end - start);
  if (word.size() > 1 && word[0] == '+' && word[1] != '-') word.remove_prefix(1);
  return word;
}

float ReadCoordinate(LineReader& lines, std::string_view what, std::string_view name_of_line,
                     std::size_t object, std::size_t count) {
  std::string_view line;
  if (!lines.next(&line))
    Fail(what, lines.number() + 1,
         "object " + std::to_string(object + 1) + " of " + std::to_string(count) +
             " has no " + std::string(name_of_line) + " line");
  const std::string_view word = NumberWord(line);
  double value = 0.0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (word.empty() || error != std::errc() || end != word.data() + word.size() ||
      !std::isfinite(value) || std::fabs(value) > double(std::numeric_limits<float>::max()))
    Fail(what, lines.number(), "\"" + std::string(line) + "\" is not a number");
  return static_cast<float>(value);
}

std::string ReadText(LineReader& lines, std::string_view what, std::string_view name_of_line,
                     std::size_t object, std::size_t count) {
  std::string_view line;
  if (!lines.next(&line))
    Fail(what, lines.number() + 1,
         "object " + std::to_string(object + 1) + " of " + std::to_string(count) +
             " has no " + std::string(name_of_line) + " line");
  return std::string(line);
}

void AppendWhole(std::string& out, float v) {
  // A position that is no number would make the whole file unreadable.
  if (!std::isfinite(v)) v = 0.0f;
  // Adding 0.0 turns a rounded -0 into 0.
  const double whole = RoundToSaved(double(v)) + 0.0;
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, whole,
                                    std::chars_format::fixed, 0);
  out.append(buffer, result.ptr);
  out += "\r\n";
}

// A level name that could leave its folder never becomes a path; it reads
// as a file that is not there.
void RefuseUnsafeLevel(std::string_view level) {
  if (IsSafeLevelName(level)) return;
  const std::string message =
      "Objects: level name \"" + std::string(level) + "\" refused: letters, digits, _ and - only";
  LogLine(message, true);
  throw ObjectListError(message);
}

std::string CopyPath(std::string_view folder, std::string_view level) {
  const Profiles& profiles = CurrentProfiles();
  if (profiles.current_player.empty() || profiles.profile_folder.empty())
    throw ObjectListError("Objects: no current player for the copy of \"" + std::string(level) +
                          "\"");
  return profiles.profile_folder + profiles.current_player + std::string(folder) +
         std::string(level) + ".cfg";
}

void ToBlocks(const ObjectList& objects, BlockTable& blocks) {
  blocks.clear();
  for (const SceneObject& o : objects) blocks.append(ObjectBlock{o.name, o.x, o.y, o.kind});
}

// Every object starts from a fresh record: only name, position and kind
// come from the file.
void ToObjects(const BlockTable& blocks, ObjectList& objects) {
  objects.clear();
  for (const ObjectBlock& block : blocks) {
    SceneObject object;
    object.name = block.name;
    object.x = block.x;
    object.y = block.y;
    object.kind = block.kind;
    objects.append(std::move(object));
  }
}

// Replaces the level image set with the folder's pictures from the archive.
void LoadImageFolder(const std::string& folder) {
  OpenArchive(CurrentProfiles().game_root + kImageArchive, kImageArchiveKey);
  images.load_scene_dir(folder);
  CloseArchive();
}

// The level the first exit leads to (other than the level just left, which
// is kept already) is decoded ahead while the player looks around; one
// only, so that its pixels stay within the memory the game may use.
void PrefetchNeighbourImages(std::string_view level) {
  if (images.scene_identity().empty()) return;
  constexpr std::size_t kPrefetchedLevels = 1;
  std::vector<std::string> folders;
  for (const SceneObject& o : world.objects) {
    if (folders.size() == kPrefetchedLevels) break;
    if (o.kind != "area") continue;
    const std::string_view to = ShortName(o.name);
    if (to == level || !LevelIsShipped(to)) continue;
    std::string folder = "images/levels/" + std::string(to) + "/";
    if (images.scene_kept(folder) ||
        std::find(folders.begin(), folders.end(), folder) != folders.end())
      continue;
    folders.push_back(std::move(folder));
  }
  PrefetchImageFolders(CurrentProfiles().game_root + kImageArchive, kImageArchiveKey,
                       images.scene_identity(), TexturePixelFormat(), folders);
}

}  // namespace

double RoundToSaved(double v) {
  const double below = std::floor(v);
  const double fraction = v - below;
  if (fraction < 0.5) return below;
  if (fraction > 0.5) return below + 1.0;
  return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

std::size_t ParseObjectList(std::string_view bytes, BlockTable& out, std::string_view what) {
  out.clear();
  LineReader lines(bytes);
  std::string_view line;
  if (!lines.next(&line)) Fail(what, 1, "the object count is missing");
  const std::string_view word = NumberWord(line);
  if (!word.empty() && word[0] == '-') Fail(what, 1, "negative object count \"" + std::string(line) + "\"");
  uint32_t count = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), count);
  if (error == std::errc::result_out_of_range || (error == std::errc() && count > INT32_MAX))
    Fail(what, 1, "absurd object count \"" + std::string(line) + "\"");
  if (word.empty() || error != std::errc() || end != word.data() + word.size())
    Fail(what, 1, "\"" + std::string(line) + "\" is not an object count");

  for (std::size_t i = 0; i < count; ++i) {
    ObjectBlock block;
    block.name = ReadText(lines, what, "name", i, count);
    block.x = ReadCoordinate(lines, what, "x", i, count);
    block.y = ReadCoordinate(lines, what, "y", i, count);
    block.kind = ReadText(lines, what, "kind", i, count);
    // Blocks past the capacity are still read, so a damaged tail is found.
    if (!out.full()) out.append(std::move(block));
  }
  if (count > out.size())
    LogLine("Objects: " + std::string(what) + " holds " + std::to_string(count) +
                " objects; only the first " + std::to_string(MAX_OBJECTS) + " are kept",
            true);
  return count;
}

std::string FormatObjectList(const BlockTable& blocks) {
  std::string out = std::to_string(blocks.size()) + "\r\n";
  for (const ObjectBlock& block : blocks) {
    out += block.name;
    out += "\r\n";
    AppendWhole(out, block.x);
    AppendWhole(out, block.y);
    out += block.kind;
    out += "\r\n";
  }
  return out;
}

std::size_t ReadObjectListFile(const std::string& path, BlockTable& out) {
  out.clear();
  std::string bytes;
  int error_number = 0;
  if (!ReadWholeFile(path, &bytes, &error_number))
    throw ObjectListError("Objects: cannot read \"" + path + "\": " + std::strerror(error_number));
  return ParseObjectList(bytes, out, path);
}

void WriteObjectListFile(const std::string& path, const BlockTable& blocks) {
  // A line break inside a name or kind would shift every later block.
  for (const ObjectBlock& block : blocks)
    if (block.name.find('\n') != std::string::npos || block.kind.find('\n') != std::string::npos)
      throw ObjectListError("Objects: \"" + path + "\" not written: object \"" + block.name +
                            "\" holds a line break");
  std::string error;
  if (!SaveFileAtomically(path, FormatObjectList(blocks), &error))
    throw ObjectListError("Objects: " + error);
}

bool IsSafeLevelName(std::string_view level) {
  if (level.empty()) return false;
  for (char c : level) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

std::string ShippedLevelPath(std::string_view level) {
  return CurrentProfiles().game_root + "data/levels/" + std::string(level) + ".cfg";
}
std::string ShippedScenePath(std::string_view level) {
  return CurrentProfiles().game_root + "data/scenes/" + std::string(level) + ".cfg";
}
std::string ContentLevelPath(std::string_view level) {
  const std::string& content = CurrentProfiles().content_folder;
  if (content.empty()) return {};
  return content + "levels/" + std::string(level) + ".cfg";
}
std::string LevelCopyPath(std::string_view level) { return CopyPath("/levels/", level); }
std::string SceneCopyPath(std::string_view level) { return CopyPath("/scenes/", level); }

void ReadLevelCopy(std::string_view level, BlockTable& out) {
  RefuseUnsafeLevel(level);
  ReadObjectListFile(LevelCopyPath(level), out);
}

bool LevelIsShipped(std::string_view level) {
  if (!IsSafeLevelName(level)) return false;
  BlockTable blocks;
  try {
    ReadObjectListFile(ShippedLevelPath(level), blocks);
  } catch (const ObjectListError&) {
    return false;
  }
  return true;
}

void InstallLevelObjects(std::string_view level, const BlockTable& blocks, bool shipped) {
  LoadImageFolder("images/levels/" + std::string(level) + "/");
  ToObjects(blocks, world.objects);
  PrefetchNeighbourImages(level);
  world.levelName.assign(level);
  if (!shipped) CurrentProfiles().current_level.assign(level);
}

void ReadLevelObjects(bool shipped) {
  const std::string level = world.levelName;
  BlockTable blocks;
  if (shipped) {
    RefuseUnsafeLevel(level);
    ReadObjectListFile(ShippedLevelPath(level), blocks);
  } else {
    ReadLevelCopy(level, blocks);
  }
  InstallLevelObjects(level, blocks, shipped);
}

// The profile is saved before the copy, and the copy only when that worked:
// a picked-up item is then always in the inventory on disk or still in the
// level's copy, whatever moment the game is stopped at.
void WriteLevelObjects(bool shipped) {
  const std::string level = world.levelName;
  RefuseUnsafeLevel(level);
  const std::string path = shipped ? ShippedLevelPath(level) : LevelCopyPath(level);
  BlockTable blocks;
  ToBlocks(world.objects, blocks);
  if (!SaveProfile())
    throw ObjectListError("Objects: the profile could not be saved, so \"" + path +
                          "\" was left as it was");
  WriteObjectListFile(path, blocks);
}

void ReadSceneObjects(bool shipped) {
  const std::string level = world.levelName;
  RefuseUnsafeLevel(level);
  BlockTable blocks;
  ReadObjectListFile(shipped ? ShippedScenePath(level) : SceneCopyPath(level), blocks);
  LoadImageFolder("images/levels/" + level + "/ho/");
  ToObjects(blocks, world.sceneObjects);
}

void WriteSceneObjects(bool shipped) {
  const std::string level = world.levelName;
  RefuseUnsafeLevel(level);
  const std::string path = shipped ? ShippedScenePath(level) : SceneCopyPath(level);
  BlockTable blocks;
  ToBlocks(world.sceneObjects, blocks);
  if (!SaveProfile())
    throw ObjectListError("Objects: the profile could not be saved, so \"" + path +
                          "\" was left as it was");
  WriteObjectListFile(path, blocks);
}

int FindInSavedLevel(std::string_view level, std::string_view name) {
  RefuseUnsafeLevel(level);
  BlockTable blocks;
  ReadObjectListFile(LevelCopyPath(level), blocks);
  for (std::size_t i = 0; i < blocks.size(); ++i)
    if (blocks[i].name == name) return static_cast<int>(i);
  return -1;
}

void AddToSavedLevel(std::string_view level, std::string_view name, float x, float y,
                     std::string_view kind) {
  RefuseUnsafeLevel(level);
  const std::string path = LevelCopyPath(level);
  BlockTable blocks;
  // A copy holding more objects than a level can is never rewritten from
  // the first 129 of them.
  const std::size_t declared = ReadObjectListFile(path, blocks);
  if (declared > blocks.size() || blocks.full()) {
    LogLine("Objects: \"" + std::string(name) + "\" not added to \"" + path + "\": the level is full",
            true);
    return;
  }
  blocks.append(ObjectBlock{std::string(name), x, y, std::string(kind)});
  WriteObjectListFile(path, blocks);
}

void RemoveFromSavedLevel(std::string_view level, std::string_view name) {
  RefuseUnsafeLevel(level);
  const std::string path = LevelCopyPath(level);
  BlockTable blocks;
  const std::size_t declared = ReadObjectListFile(path, blocks);
  if (declared > blocks.size()) {
    LogLine("Objects: \"" + path + "\" holds more objects than a level can; left as it is", true);
    return;
  }
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    if (blocks[i].name == name) {
      blocks.remove_at(i);
      break;
    }
  }
  WriteObjectListFile(path, blocks);
}
