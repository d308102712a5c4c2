// Feeds arbitrary bytes to the command-line reader as the words of a command
// line (split at NUL bytes, the program name first). Whatever the words, the
// reader accepts them or names one fault; it never reads past the last word.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cmdline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> words{"quillmoor"};
  std::string word;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      words.push_back(word);
      word.clear();
    } else {
      word.push_back(static_cast<char>(data[i]));
    }
  }
  if (!word.empty()) words.push_back(word);
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  argv.push_back(nullptr);
  const CommandLineResult result = ParseCommandLine(static_cast<int>(words.size()), argv.data());
  if (!result.ok && result.error.empty()) abort();
  if (result.error.find('\n') != std::string::npos) abort();
  return 0;
}
