// Small file helpers for tests that work in a folder of their own.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// A new empty folder below the system's temporary folder, named after `stem`
// (a test's name may hold a slash, which becomes an underscore); an empty
// path when none could be made. The caller removes it.
inline std::filesystem::path MakeTempFolder(std::string stem) {
  for (char& c : stem)
    if (c == '/') c = '_';
  std::string name = (std::filesystem::temp_directory_path() / (stem + "_XXXXXX")).string();
  if (::mkdtemp(name.data()) == nullptr) return {};
  return name;
}

// Writes the bytes, making the folders on the way.
inline void WriteTextFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// The whole file, byte for byte; empty when it cannot be read.
inline std::string ReadTextFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}
