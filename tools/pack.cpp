// pack: builds the password-protected image archive from a staged folder.
//
//   pack --password PASSWORD ROOT FOLDER OUTPUT
//
// Every file below ROOT/FOLDER becomes the member FOLDER/<path below it>,
// sorted by name (pack_folder.h). A missing or empty folder gives a valid,
// empty archive, so the game starts (without pictures) before any art exists.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "pack_folder.h"
#include "tool_files.h"
#include "zip_file.h"

int main(int argc, char** argv) {
  if (argc != 6 || std::string(argv[1]) != "--password") {
    std::fprintf(stderr, "usage: pack --password PASSWORD ROOT FOLDER OUTPUT\n");
    return 2;
  }
  const std::string password = argv[2];
  const std::string root = argv[3];
  const std::string folder = argv[4];
  const std::string out_path = argv[5];
  if (!pack::IsMemberName(folder)) {
    std::fprintf(stderr, "pack: \"%s\" is not a relative folder name\n", folder.c_str());
    return 2;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(std::filesystem::path(root) / folder, ec)) {
    std::fprintf(stderr, "pack: no folder \"%s/%s\" yet; the archive is empty\n", root.c_str(), folder.c_str());
  }
  std::vector<pack::Member> members;
  std::string archive;
  std::string error;
  if (!pack::CollectMembers(root, folder, &members, &error) ||
      !pack::WriteArchive(members, password, &archive, &error) || !toolfiles::WriteFile(out_path, archive, &error)) {
    std::fprintf(stderr, "pack: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
