// Feeds arbitrary bytes to the INI reader, writes the document back and reads
// it again. Whenever every name and value is one the writers would accept,
// the second reading must give back exactly the first.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/ini.h"
#include "engine/name_hash.h"

namespace {

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

// A key survives a save unless its written line would read back as something
// else: a second "=" in its name, or a line that looks like a comment or a
// section header.
bool KeySurvivesSave(const TIniKey& key) {
  if (HasLineBreak(key.name) || HasLineBreak(key.value)) return false;
  if (key.name.find('=') != std::string::npos) return false;
  const std::string line = key.name + " = " + key.value;
  if (line.front() == ';') return false;
  return !(line.front() == '[' && line.back() == ']');
}

bool DocumentSurvivesSave(const TIniDoc& doc) {
  for (const TIniSection& section : doc.sections) {
    if (HasLineBreak(section.name)) return false;
    for (const TIniKey& key : section.keys) {
      if (!KeySurvivesSave(key)) return false;
    }
  }
  return true;
}

bool SameDocument(const TIniDoc& a, const TIniDoc& b) {
  if (a.sections.size() != b.sections.size()) return false;
  for (std::size_t s = 0; s < a.sections.size(); ++s) {
    const TIniSection& x = a.sections[s];
    const TIniSection& y = b.sections[s];
    if (x.name != y.name || x.hash != y.hash || x.keys.size() != y.keys.size()) return false;
    for (std::size_t k = 0; k < x.keys.size(); ++k) {
      if (x.keys[k].name != y.keys[k].name || x.keys[k].value != y.keys[k].value ||
          x.keys[k].hash != y.keys[k].hash) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TIniDoc first;
  IniParse(first, std::string_view(reinterpret_cast<const char*>(data), size));
  for (const TIniSection& section : first.sections) {
    if (section.hash != name_hash(section.name)) abort();
    for (const TIniKey& key : section.keys) {
      if (key.hash != name_hash(key.name)) abort();
    }
  }

  const std::string text = IniSerialize(first);
  TIniDoc second;
  IniParse(second, text);
  if (DocumentSurvivesSave(first)) {
    if (!SameDocument(first, second)) abort();
    if (IniSerialize(second) != text) abort();
  }
  return 0;
}
