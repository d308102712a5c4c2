// Game files: the password-protected image archive and the disk. While the
// archive is open, reads and listings come from it; otherwise (and for files
// it lacks) from the disk below the game root. Depends on libzip and POSIX
// folder calls.
#include "engine/archive.h"

#include <dirent.h>    // opendir: disk listings
#include <fnmatch.h>   // the "*.png" part of a listing mask
#include <sys/stat.h>  // regular files only in disk listings
#include <zip.h>       // the image archive, traditional PKWARE encryption
#include <zlib.h>      // inflating members read past the library, and their check sums

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
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
  std::string password;
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
  g_archive.password = password;
  return true;
}

// --- Traditional decryption in one loop ----------------------------------------------
// The library decrypts with a function call per byte, which made reading a
// level's pictures cost as much as decoding them. The same arithmetic in one
// loop reads them several times faster. Whatever this path does not like
// (another method, a short read, a wrong check sum) is read again by the
// library, which then says what is wrong.

constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

struct TraditionalKeys {
  uint32_t k0 = 0x12345678u;
  uint32_t k1 = 0x23456789u;
  uint32_t k2 = 0x34567890u;

  void update(uint8_t plain) {
    k0 = kCrcTable[(k0 ^ plain) & 0xFF] ^ (k0 >> 8);
    k1 = (k1 + (k0 & 0xFF)) * 134775813u + 1;
    k2 = kCrcTable[(k2 ^ (k1 >> 24)) & 0xFF] ^ (k2 >> 8);
  }
  uint8_t mask() const {
    const uint32_t t = (k2 | 2) & 0xFFFF;
    return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
  }
};

// The size of the traditional encryption header before a member's data.
constexpr zip_uint64_t kTraditionalHeader = 12;

bool Inflated(const uint8_t* in, std::size_t in_size, std::size_t out_size, std::string* out) {
  out->resize(out_size);
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
  z.next_in = const_cast<uint8_t*>(in);
  z.avail_in = static_cast<uInt>(in_size);
  z.next_out = reinterpret_cast<Bytef*>(out->data());
  z.avail_out = static_cast<uInt>(out_size);
  const int result = inflate(&z, Z_FINISH);
  const bool whole = result == Z_STREAM_END && z.total_out == out_size;
  inflateEnd(&z);
  return whole;
}

bool ReadTraditionalMember(zip_t* zip, zip_uint64_t index, const zip_stat_t& st,
                           const std::string& password, std::string* bytes) {
  const zip_uint64_t needed = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC |
                              ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
  if ((st.valid & needed) != needed || st.encryption_method != ZIP_EM_TRAD_PKWARE ||
      (st.comp_method != ZIP_CM_STORE && st.comp_method != ZIP_CM_DEFLATE) ||
      st.comp_size < kTraditionalHeader ||
      st.comp_size > kMaxMemberBytes + (kMaxMemberBytes >> 6) + kTraditionalHeader)
    return false;
  zip_file_t* member = zip_fopen_index(zip, index, ZIP_FL_ENCRYPTED);
  if (member == nullptr) return false;
  std::string raw(st.comp_size, '\0');
  const zip_int64_t n = zip_fread(member, raw.data(), st.comp_size);
  zip_fclose(member);
  if (n < 0 || static_cast<zip_uint64_t>(n) != st.comp_size) return false;

  TraditionalKeys keys;
  for (const char c : password) keys.update(static_cast<uint8_t>(c));
  auto* p = reinterpret_cast<uint8_t*>(raw.data());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    p[i] ^= keys.mask();
    keys.update(p[i]);
  }
  const uint8_t* data = p + kTraditionalHeader;
  const std::size_t data_size = raw.size() - kTraditionalHeader;
  if (st.comp_method == ZIP_CM_STORE) {
    if (data_size != st.size) return false;
    bytes->assign(reinterpret_cast<const char*>(data), data_size);
  } else if (!Inflated(data, data_size, st.size, bytes)) {
    bytes->clear();
    return false;
  }
  const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(bytes->data()),
                          static_cast<uInt>(bytes->size()));
  if (crc != st.crc) {
    bytes->clear();
    return false;
  }
  return true;
}

// The member's bytes. False when the archive lacks it or it cannot be read
// whole; a damaged member says so in the log.
// Quiet (a worker's read) logs nothing: the main thread reads again what failed.
bool ReadMember(zip_t* zip, const std::string& password, const std::string& name,
                std::string* bytes, bool quiet = false) {
  if (name.empty() || name.back() == '/') return false;
  const zip_int64_t found = zip_name_locate(zip, name.c_str(), 0);
  if (found < 0) return false;
  const auto index = static_cast<zip_uint64_t>(found);
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(zip, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) return false;
  if (st.size > kMaxMemberBytes) {
    if (!quiet) LogLine("Archive member too large: \"" + name + "\" (" + std::to_string(st.size) + " bytes)",
            true);
    return false;
  }
  if (!MemberOpenable(st)) {
    if (!quiet) LogLine("Archive member unreadable: \"" + name + "\": method not supported", true);
    return false;
  }
  if (ReadTraditionalMember(zip, index, st, password, bytes)) return true;
  zip_file_t* member = zip_fopen_index(zip, index, 0);
  if (member == nullptr) {
    if (!quiet) LogLine("Archive member unreadable: \"" + name + "\": " + zip_strerror(zip), true);
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
    if (!quiet) LogLine("Archive member unreadable: \"" + name + "\": " +
                (library_error ? zip_file_strerror(member) : "size differs from the directory"),
            true);
    ok = false;
  }
  zip_fclose(member);
  if (!ok) bytes->clear();
  return ok;
}

std::vector<std::string> ListArchive(zip_t* zip, const std::string& folder,
                                     const std::string& pattern, std::size_t limit) {
  std::vector<std::string> names;
  const zip_int64_t count = zip_get_num_entries(zip, 0);
  for (zip_int64_t i = 0; i < count && names.size() < limit; ++i) {
    const char* raw = zip_get_name(zip, static_cast<zip_uint64_t>(i), 0);
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
  if (g_archive.zip != nullptr && ReadMember(g_archive.zip, g_archive.password, name, bytes)) return true;
  if (ReadWholeFile(name, bytes, nullptr)) return true;
  LogLine("Cannot read \"" + name + "\"", true);
  return false;
}

std::vector<std::string> ListGameFiles(const std::string& mask, std::size_t limit) {
  std::string folder;
  std::string pattern;
  SplitMask(mask, &folder, &pattern);
  if (pattern.empty() || limit == 0) return {};
  if (g_archive.zip != nullptr) return ListArchive(g_archive.zip, folder, pattern, limit);
  return ListDisk(folder, pattern, limit);
}

bool OpenArchiveSource(std::string* file_name, std::string* password) {
  if (g_archive.zip == nullptr || !g_archive.image.empty()) return false;
  *file_name = g_archive.file;
  *password = g_archive.password;
  return true;
}

bool ReadArchiveMemberQuietly(const std::string& name, std::string* bytes) {
  bytes->clear();
  return g_archive.zip != nullptr && ReadMember(g_archive.zip, g_archive.password, name, bytes, true);
}

std::string OpenArchiveIdentity() {
  if (g_archive.zip == nullptr) return {};
  struct stat info {};
  if (!g_archive.image.empty() || ::stat(g_archive.file.c_str(), &info) != 0)
    return g_archive.file + "|" + std::to_string(g_archive.image.size());
  return g_archive.file + "|" + std::to_string(info.st_size) + "|" +
         std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec);
}

// --- A worker's own reader ---------------------------------------------------------------

void ReadLocalZoneOnce() {
  if (std::getenv("TZ") == nullptr) ::setenv("TZ", ":/etc/localtime", 0);
}

ArchiveReader::~ArchiveReader() { close(); }

bool ArchiveReader::open(const std::string& file_name, const std::string& password) {
  close();
  int error = 0;
  zip_ = zip_open(file_name.c_str(), ZIP_RDONLY, &error);
  if (zip_ == nullptr) return false;
  zip_set_default_password(zip_, password.empty() ? nullptr : password.c_str());
  password_ = password;
  return true;
}

void ArchiveReader::close() {
  if (zip_ != nullptr) zip_discard(zip_);
  zip_ = nullptr;
}

bool ArchiveReader::read(const std::string& name, std::string* bytes) {
  bytes->clear();
  return zip_ != nullptr && ReadMember(zip_, password_, name, bytes, true);
}

std::vector<std::string> ArchiveReader::list(const std::string& mask, std::size_t limit) {
  std::string folder;
  std::string pattern;
  SplitMask(mask, &folder, &pattern);
  if (zip_ == nullptr || pattern.empty() || limit == 0) return {};
  return ListArchive(zip_, folder, pattern, limit);
}
