// Feeds arbitrary bytes to the object-list reader as a level or scene file.
// Whatever the bytes hold, reading either succeeds or raises the list's own
// error, never holds more than a level can, and a list that was read writes a
// text that reads back as the same objects (positions rounded) and writes
// the same text again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "world/object_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  BlockTable blocks;
  std::size_t declared = 0;
  try {
    declared = ParseObjectList(bytes, blocks, "fuzz.cfg");
  } catch (const ObjectListError&) {
    if (blocks.size() > MAX_OBJECTS) abort();
    return 0;
  }
  if (blocks.size() > MAX_OBJECTS || declared < blocks.size()) abort();
  if (declared <= MAX_OBJECTS && declared != blocks.size()) abort();

  // Names and kinds read from lines never hold a line break, so the written
  // text always reads back.
  const std::string text = FormatObjectList(blocks);
  BlockTable again;
  try {
    if (ParseObjectList(text, again, "fuzz.cfg") != blocks.size()) abort();
  } catch (const ObjectListError&) {
    abort();
  }
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    if (again[i].name != blocks[i].name || again[i].kind != blocks[i].kind) abort();
    if (again[i].x != static_cast<float>(RoundToSaved(double(blocks[i].x))) ||
        again[i].y != static_cast<float>(RoundToSaved(double(blocks[i].y))))
      abort();
  }
  if (FormatObjectList(again) != text) abort();
  return 0;
}
