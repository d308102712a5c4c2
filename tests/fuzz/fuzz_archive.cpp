// Feeds arbitrary bytes to the archive reader as the image archive: every
// listing and every member read must end cleanly, whatever the directory,
// the names, the sizes or the encryption headers claim.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!OpenArchiveFromMemory("fuzz.dat", std::string(reinterpret_cast<const char*>(data), size),
                             "58203"))
    return 0;
  for (const char* mask : {"*", "images/*.png", "images/splash/*.png", "../*"}) {
    const std::string folder = std::string(mask).substr(0, std::string(mask).rfind('/') + 1);
    for (const std::string& name : ListGameFiles(mask, 64)) {
      if (name.empty() || name.find('/') != std::string::npos) abort();
      std::string bytes;
      // The folder's own file: a read from disk there is harmless and rare.
      ReadGameFile(folder + name, &bytes);
    }
  }
  CloseArchive();
  return 0;
}
