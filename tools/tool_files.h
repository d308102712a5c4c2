// Whole-file reads and writes for the content tools. An output is written
// beside its final name and renamed into place, so an interrupted build
// never leaves a half-written file that looks up to date.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

namespace toolfiles {

// False when the file cannot be opened or is not a regular file.
inline bool ReadFile(const std::string& path, std::string* bytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return false;
  *bytes = buffer.str();
  return true;
}

// Creates the parent folders, writes "path.part" and renames it over path.
inline bool WriteFile(const std::string& path, std::string_view bytes, std::string* error) {
  std::error_code ec;
  const std::filesystem::path target(path);
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
  const std::string part = path + ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    if (!out) {
      *error = "cannot write \"" + part + "\"";
      return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      *error = "cannot write \"" + part + "\"";
      std::filesystem::remove(part, ec);
      return false;
    }
  }
  std::filesystem::rename(part, target, ec);
  if (ec) {
    *error = "cannot rename \"" + part + "\" to \"" + path + "\": " + ec.message();
    std::filesystem::remove(part, ec);
    return false;
  }
  return true;
}

// The folder part of a path ("" for a bare file name).
inline std::string FolderOf(const std::string& path) {
  return std::filesystem::path(path).parent_path().string();
}

}  // namespace toolfiles
