// Game files: the password-protected image archive and the disk. While the
// archive is open, reads and listings are served from it.
#pragma once

#include <string>
#include <vector>

// The game's image archive, relative to the game root, and its key. The
// content build reads both lines to pack the archive the game opens.
inline constexpr const char* kImageArchive = "data/images.dat";
inline constexpr const char* kImageArchiveKey = "58203";

// Called by PrepareProcess, before any thread. The archive's reader turns every
// member's date into local time, and unless TZ names the zone the C library
// looks at the zone file again for each: a thousand system calls an opening.
// With TZ unset it is set to the system's zone file, read once from then on.
void ReadLocalZoneOnce();

// Opens "data/images.dat"-style archives. False, and the log line
// "Unable to open archive: " + file name, when it cannot be opened.
bool OpenArchive(const std::string& file_name, const std::string& password);
// The same for an archive already in memory (kept until closed); `label`
// stands for the file name in the log. The archive reader's fuzzed path.
bool OpenArchiveFromMemory(const std::string& label, std::string bytes,
                           const std::string& password);
void CloseArchive();
bool ArchiveIsOpen();

// The whole file, from the open archive first, else from disk. False, and
// the log line "Cannot read \"name\"", when neither has it.
bool ReadGameFile(const std::string& name, std::string* bytes);

// The names (without folder) of the files in the mask's folder that match it,
// e.g. "images/splash/*.png": from the open archive if there is one, else
// from disk; files in subfolders are left out. At most `limit` names.
std::vector<std::string> ListGameFiles(const std::string& mask, std::size_t limit);

// The open archive's file and password, for a second reader on a worker
// thread; false when none is open or it lives in memory only.
bool OpenArchiveSource(std::string* file_name, std::string* password);
// The member's bytes from the open archive only, logging nothing: whatever
// fails here is read again the ordinary way, which reports it.
bool ReadArchiveMemberQuietly(const std::string& name, std::string* bytes);

// What the open archive is (its file, size and time of change): pictures
// decoded from it stay good while this stays the same. Empty when none is open.
std::string OpenArchiveIdentity();

// A second reader of an archive file for a worker thread; the open archive
// above belongs to the main thread. Logs nothing: whatever it cannot read,
// the main thread reads again the ordinary way and reports.
class ArchiveReader {
 public:
  ArchiveReader() = default;
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;
  ~ArchiveReader();
  bool open(const std::string& file_name, const std::string& password);
  void close();
  // The member's bytes; false when it is missing or cannot be read whole.
  bool read(const std::string& name, std::string* bytes);
  // As ListGameFiles, from this archive only.
  std::vector<std::string> list(const std::string& mask, std::size_t limit);

 private:
  struct zip* zip_ = nullptr;
  std::string password_;
};
