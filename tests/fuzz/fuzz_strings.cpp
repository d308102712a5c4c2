// Feeds arbitrary bytes to the string table's reader: it must never crash,
// never pass its capacity, and every key it stores must be clean.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "res/strings.h"

namespace {

tlocfile g_table;  // large; one instance reused across inputs

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  g_table.parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (g_table.count() < 0 || static_cast<std::size_t>(g_table.count()) > LOC_CAPACITY) abort();
  for (int i = 0; i < g_table.count(); ++i) {
    const tloc& entry = g_table[i];
    if (entry.key.find_first_of(std::string_view(" \r\n\0", 4)) != std::string::npos) abort();
    if (entry.value.find('"') != std::string::npos) abort();
    // The last entry with a key is the one lookups see.
    if (g_table.index_of(entry.key) < i) abort();
  }
  return 0;
}
