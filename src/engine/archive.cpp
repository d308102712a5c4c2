// Game files: the password-protected image archive and the disk. While the
// archive is open, reads and listings come from it; otherwise (and for files
// it lacks) from the disk below the game root. Depends on libzip and POSIX
// folder calls.
#include "engine/archive.h"

#include <dirent.h>    // opendir: disk listings
#include <fnmatch.h>   // the "*.png" part of a listing mask
#include <sys/stat.h>  // regular files only in disk listings
#include <zip.h>       // the image archive, traditional PKWARE encryption

#include <algorithm>
#include <string_view>
#include <utility>

#include "engine/log.h"
#include "engine/save_file.h"

namespace {

// No picture of the game comes near this; a member claiming more is refused
// before anything is inflated.
constexpr zip_uint64_t kMaxMemberBytes = zip_uint64_t{64} << 20;

struct ArchiveState {
  zip_t* zip = nullptr;
  std::string file;
  std::string image;  // the archive's bytes when it was opened from memory
};

ArchiveState g_archive;

// Member names that could mean a place outside the archive's own folders
// (absolute, "..", backslashes) are never offered by listings.
bool PlainMemberName(std::string_view name) {
  if (name.empty() || name.front() == '/' || name.find('\\') != std::string_view::npos)
    return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

// "images/splash/*.png" -> "images/splash/" and "*.png".
void SplitMask(const std::string& mask, std::string* folder, std::string* pattern) {
  const std::size_t slash = mask.rfind('/');
  if (slash == std::string::npos) {
    folder->clear();
    *pattern = mask;
  } else {
    *folder = mask.substr(0, slash + 1);
    *pattern = mask.substr(slash + 1);
  }
}

// Whether the library can open the member at all. Asking first also keeps
// the library from a leak it has when told to open a member it cannot read.
bool MemberOpenable(const zip_stat_t& st) {
  if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE &&
      !zip_encryption_method_supported(st.encryption_method, 0))
    return false;
  return !(st.valid & ZIP_STAT_COMP_METHOD) || zip_compression_method_supported(st.comp_method, 0);
}

// The first member that is encrypted tells whether the password is right:
// opening it checks the password byte of its encryption header.
bool PasswordFits(zip_t* zip) {
  const zip_int64_t count = zip_get_num_entries(zip, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    const auto index = static_cast<zip_uint64_t>(i);
    if (zip_stat_index(zip, index, 0, &st) != 0) continue;
    if (!(st.valid & ZIP_STAT_ENCRYPTION_METHOD) || st.encryption_method == ZIP_EM_NONE ||
        !MemberOpenable(st))
      continue;
    zip_file_t* member = zip_fopen_index(zip, index, 0);
    if (member != nullptr) {
      zip_fclose(member);
      return true;
    }
    const int error = zip_error_code_zip(zip_get_error(zip));
    return error != ZIP_ER_WRONGPASSWD && error != ZIP_ER_NOPASSWD;
  }
  return true;
}

bool Adopt(zip_t* zip, const std::string& file_name, const std::string& password) {
  if (zip == nullptr) {
    LogLine("Unable to open archive: " + file_name, true);
    return false;
  }
  zip_set_default_password(zip, password.empty() ? nullptr : password.c_str());
  if (!PasswordFits(zip)) {
    zip_discard(zip);
    LogLine("Unable to open archive: " + file_name, true);
    return false;
  }
  g_archive.zip = zip;
  g_archive.file = file_name;
  return true;
}

// The member's bytes. False when the archive lacks it or it cannot be read
// whole; a damaged member says so in the log.
bool ReadMember(const std::string& name, std::string* bytes) {
  zip_t* zip = g_archive.zip;
  if (name.empty() || name.back() == '/') return false;
  const zip_int64_t found = zip_name_locate(zip, name.c_str(), 0);
  if (found < 0) return false;
  const auto index = static_cast<zip_uint64_t>(found);
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(zip, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) return false;
  if (st.size > kMaxMemberBytes) {
    LogLine("Archive member too large: \"" + name + "\" (" + std::to_string(st.size) + " bytes)",
            true);
    return false;
  }
  if (!MemberOpenable(st)) {
    LogLine("Archive member unreadable: \"" + name + "\": method not supported", true);
    return false;
  }
  zip_file_t* member = zip_fopen_index(zip, index, 0);
  if (member == nullptr) {
    LogLine("Archive member unreadable: \"" + name + "\": " + zip_strerror(zip), true);
    return false;
  }
  // Read to the end, where the member's check sum is compared; data running
  // on past the recorded size is refused rather than believed.
  char chunk[65536];
  bool ok = true;
  for (;;) {
    const zip_int64_t n = zip_fread(member, chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0 || bytes->size() + static_cast<std::size_t>(n) > st.size) {
      ok = false;
      break;
    }
    bytes->append(chunk, static_cast<std::size_t>(n));
  }
  if (!ok || bytes->size() != st.size) {
    const bool library_error = zip_error_code_zip(zip_file_get_error(member)) != ZIP_ER_OK;
    LogLine("Archive member unreadable: \"" + name + "\": " +
                (library_error ? zip_file_strerror(member) : "size differs from the directory"),
            true);
    ok = false;
  }
  zip_fclose(member);
  if (!ok) bytes->clear();
  return ok;
}

std::vector<std::string> ListArchive(const std::string& folder, const std::string& pattern,
                                     std::size_t limit) {
  std::vector<std::string> names;
  const zip_int64_t count = zip_get_num_entries(g_archive.zip, 0);
  for (zip_int64_t i = 0; i < count && names.size() < limit; ++i) {
    const char* raw = zip_get_name(g_archive.zip, static_cast<zip_uint64_t>(i), 0);
    if (raw == nullptr) continue;
    const std::string_view name(raw);
    if (!PlainMemberName(name) || !name.starts_with(folder)) continue;
    const std::string_view rest = name.substr(folder.size());
    if (rest.empty() || rest.find('/') != std::string_view::npos) continue;
    const std::string file(rest);
    if (fnmatch(pattern.c_str(), file.c_str(), 0) == 0) names.push_back(file);
  }
  return names;
}

std::vector<std::string> ListDisk(const std::string& folder, const std::string& pattern,
                                  std::size_t limit) {
  std::vector<std::string> names;
  const std::string path = folder.empty() ? std::string(".") : folder;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string file(entry->d_name);
    if (file == "." || file == ".." || fnmatch(pattern.c_str(), file.c_str(), 0) != 0) continue;
    struct stat info {};
    if (::stat((folder + file).c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.push_back(file);
  }
  closedir(dir);
  // The folder's own order changes from one file system to the next.
  std::sort(names.begin(), names.end());
  if (names.size() > limit) names.resize(limit);
  return names;
}

}  // namespace

bool OpenArchive(const std::string& file_name, const std::string& password) {
  CloseArchive();
  int error = 0;
  if (Adopt(zip_open(file_name.c_str(), ZIP_RDONLY, &error), file_name, password)) return true;
  // Without the archive the game has no pictures at all: the player must
  // hear why the screen stays dark.
  ReportBrokenGameFile(file_name);
  return false;
}

bool OpenArchiveFromMemory(const std::string& label, std::string bytes,
                           const std::string& password) {
  CloseArchive();
  g_archive.image = std::move(bytes);
  zip_error_t error;
  zip_error_init(&error);
  zip_t* zip = nullptr;
  zip_source_t* source =
      zip_source_buffer_create(g_archive.image.data(), g_archive.image.size(), 0, &error);
  if (source != nullptr) {
    zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (zip == nullptr) zip_source_free(source);
  }
  zip_error_fini(&error);
  if (!Adopt(zip, label, password)) {
    g_archive.image.clear();
    return false;
  }
  return true;
}

void CloseArchive() {
  if (g_archive.zip != nullptr) zip_discard(g_archive.zip);
  g_archive = ArchiveState{};
}

bool ArchiveIsOpen() { return g_archive.zip != nullptr; }

bool ReadGameFile(const std::string& name, std::string* bytes) {
  bytes->clear();
  if (g_archive.zip != nullptr && ReadMember(name, bytes)) return true;
  if (ReadWholeFile(name, bytes, nullptr)) return true;
  LogLine("Cannot read \"" + name + "\"", true);
  return false;
}

std::vector<std::string> ListGameFiles(const std::string& mask, std::size_t limit) {
  std::string folder;
  std::string pattern;
  SplitMask(mask, &folder, &pattern);
  if (pattern.empty() || limit == 0) return {};
  if (g_archive.zip != nullptr) return ListArchive(folder, pattern, limit);
  return ListDisk(folder, pattern, limit);
}
