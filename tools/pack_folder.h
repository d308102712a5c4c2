// Gathers the files of a staged folder as archive members for the packer:
// every file below ROOT/FOLDER becomes "FOLDER/<path below it>", sorted by
// name byte for byte; folders themselves are not members. Names starting
// with '.' (editor and temporary files, and everything in such folders)
// are left out.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "tool_files.h"
#include "zip_file.h"

namespace pack {

// False, with the reason in `error`, when the folder cannot be listed or a
// file cannot be read. A missing folder gives no members and true.
inline bool CollectMembers(const std::string& root, const std::string& folder, std::vector<Member>* members,
                           std::string* error) {
  namespace fs = std::filesystem;
  const fs::path top = fs::path(root) / folder;
  std::error_code ec;
  if (!fs::is_directory(top, ec)) return true;
  std::vector<std::string> names;
  for (fs::recursive_directory_iterator it(top, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string leaf = it->path().filename().string();
    if (!leaf.empty() && leaf.front() == '.') {
      if (it->is_directory(ec)) it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(ec)) continue;
    names.push_back(folder + "/" + it->path().lexically_relative(top).generic_string());
  }
  if (ec) {
    *error = "cannot list \"" + top.string() + "\": " + ec.message();
    return false;
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    Member m;
    m.name = name;
    if (!toolfiles::ReadFile((fs::path(root) / name).string(), &m.bytes)) {
      *error = "cannot read \"" + (fs::path(root) / name).string() + "\"";
      return false;
    }
    members->push_back(std::move(m));
  }
  return true;
}

}  // namespace pack
