// Fuzzes the reader of the desktop's user-folder settings: any text gives
// either no pictures folder or an absolute path without a trailing slash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/screenshot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const std::string home : {"", "/home/ann"}) {
    const std::string folder = PicturesFolderFromUserDirs(text, home);
    if (folder.empty()) continue;
    if (folder.front() != '/' || (folder.size() > 1 && folder.back() == '/')) std::abort();
  }
  return 0;
}
