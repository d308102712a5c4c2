// The INI document: its text format, the lookups by name hash and name, and
// loading and saving through engine/save_file.h. Reports go through
// engine/log.h.
#include "engine/ini.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <map>
#include <utility>

#include "engine/log.h"
#include "engine/save_file.h"
#include "engine/name_hash.h"

namespace {

TIniDoc g_document;

// Paths found unreadable by IniLoadFile, each with whether its refusal has
// been reported yet.
std::map<std::string, bool, std::less<>> g_refused_paths;

constexpr std::string_view kLineEnd = "\r\n";

// Only blanks are trimmed: tabs and other white space belong to the text.
std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// A section header is the one place where a stray blank or tab, typed by a
// hand or an editor, would otherwise turn "[ players ]" into a key line and
// the player list into nothing.
std::string_view TrimBlanksAndTabs(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

void ParseLine(TIniDoc& doc, std::string_view line) {
  if (line.front() == ';') return;
  if (line.front() == '[') {
    const std::string_view header = line.substr(0, line.find_last_not_of(" \t") + 1);
    if (header.size() >= 2 && header.back() == ']') {
      const std::string_view name = TrimBlanksAndTabs(header.substr(1, header.size() - 2));
      doc.sections.push_back({name_hash(name), std::string(name), {}});
      return;
    }
  }
  if (doc.sections.empty()) return;
  std::string_view name;
  std::string_view value = line;
  if (const auto equals = line.find('='); equals != std::string_view::npos) {
    name = line.substr(0, equals);
    value = line.substr(equals + 1);
  }
  name = TrimBlanks(name);
  doc.sections.back().keys.push_back(
      {name_hash(name), std::string(name), std::string(TrimBlanks(value))});
}

// Hash first for speed, then the name, so two names that share a hash stay
// two different sections.
TIniSection* FindSection(std::string_view name) {
  const uint32_t hash = name_hash(name);
  for (auto& section : g_document.sections) {
    if (section.hash == hash && section.name == name) return &section;
  }
  return nullptr;
}

// Same rule as FindSection, so keys with colliding hashes stay apart.
TIniKey* FindKey(TIniSection& section, std::string_view name) {
  const uint32_t hash = name_hash(name);
  for (auto& key : section.keys) {
    if (key.hash == hash && key.name == name) return &key;
  }
  return nullptr;
}

const TIniKey* FindKey(std::string_view section, std::string_view key) {
  TIniSection* found = FindSection(section);
  return found == nullptr ? nullptr : FindKey(*found, key);
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of(kLineEnd) != std::string_view::npos;
}

std::string ShowLineBreaks(std::string_view text) {
  std::string shown;
  for (const char c : text) {
    if (c == '\r') shown += "\\r";
    else if (c == '\n') shown += "\\n";
    else shown.push_back(c);
  }
  return shown;
}

// A line break in a name or value would split its line in the saved file and
// come back as different keys, so writers refuse it outright.
bool RefuseLineBreaks(std::string_view section, std::string_view key, std::string_view value) {
  if (!HasLineBreak(section) && !HasLineBreak(key) && !HasLineBreak(value)) return false;
  LogLine("INI: refused a line break in [" + ShowLineBreaks(section) + "] " +
          ShowLineBreaks(key));
  return true;
}

TIniKey& AddKey(std::string_view section, std::string_view key) {
  TIniSection* found = FindSection(section);
  if (found == nullptr) {
    g_document.sections.push_back({name_hash(section), std::string(section), {}});
    found = &g_document.sections.back();
  }
  if (TIniKey* existing = FindKey(*found, key)) return *existing;
  found->keys.push_back({name_hash(key), std::string(key), {}});
  return found->keys.back();
}

}  // namespace

// --- Parsing and writing bytes ----------------------------------------------

void IniParse(TIniDoc& doc, std::string_view bytes) {
  doc.sections.clear();
  // Editors that save UTF-8 with a byte-order mark put it before the first
  // header, where it would hide that header.
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  while (!bytes.empty()) {
    const auto lf = bytes.find('\n');
    std::string_view line = bytes.substr(0, lf);
    bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
    if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    if (!line.empty()) ParseLine(doc, line);
  }
}

std::string IniSerialize(const TIniDoc& doc) {
  std::string text;
  for (std::size_t i = 0; i < doc.sections.size(); ++i) {
    const TIniSection& section = doc.sections[i];
    if (i > 0) text += kLineEnd;
    text.append("[ ").append(section.name).append(" ]").append(kLineEnd);
    for (const TIniKey& key : section.keys) {
      text.append(key.name).append(" = ").append(key.value).append(kLineEnd);
    }
  }
  return text;
}

// --- Loading and saving the document ------------------------------------------

IniLoadResult IniLoadFile(const std::string& path) {
  IniClear();
  std::string bytes;
  int error_number = 0;
  if (!ReadWholeFile(path, &bytes, &error_number)) {
    if (error_number == ENOENT) {
      g_refused_paths.erase(path);
      return IniLoadResult::Missing;
    }
    // Saving the empty document over a file we could not read would wipe the
    // player's progress, so that path is left alone for the rest of the run.
    g_refused_paths.try_emplace(path, false);
    ReportError("INI: cannot read \"" + path + "\": " + std::strerror(error_number));
    return IniLoadResult::Unreadable;
  }
  g_refused_paths.erase(path);
  g_document.file_name = path;
  IniParse(g_document, bytes);
  return IniLoadResult::Loaded;
}

bool IniLoad(const std::string& path) { return IniLoadFile(path) == IniLoadResult::Loaded; }

bool IniSave(const std::string& path) {
  if (const auto refused = g_refused_paths.find(path); refused != g_refused_paths.end()) {
    // One warning is enough; the game saves often and would repeat it.
    if (!refused->second) {
      ReportWarning("INI: not saving \"" + path + "\": it could not be read when loaded");
      refused->second = true;
    }
    return false;
  }
  std::string error;
  if (!SaveFileAtomically(path, IniSerialize(g_document), &error)) {
    ReportWarning("INI: " + error);
    return false;
  }
  return true;
}

bool IniIsRefusedPath(const std::string& path) { return g_refused_paths.contains(path); }

void IniResetRefusedPaths() { g_refused_paths.clear(); }

// --- The document -------------------------------------------------------------

void IniClear() { g_document = TIniDoc{}; }

const TIniDoc& IniDocument() { return g_document; }

bool IniIsSection(std::string_view section) { return FindSection(section) != nullptr; }

bool IniIsKey(std::string_view section, std::string_view key) {
  return FindKey(section, key) != nullptr;
}

bool IniAdd(std::string_view section, std::string_view key) {
  if (RefuseLineBreaks(section, key, {})) return false;
  AddKey(section, key);
  return true;
}

void IniDelete(std::string_view section, std::string_view key) {
  TIniSection* found = FindSection(section);
  if (found == nullptr) return;
  if (key.empty()) {
    g_document.sections.erase(g_document.sections.begin() + (found - g_document.sections.data()));
    return;
  }
  if (TIniKey* existing = FindKey(*found, key)) {
    found->keys.erase(found->keys.begin() + (existing - found->keys.data()));
  }
}

std::string IniReadString(std::string_view section, std::string_view key) {
  const TIniKey* found = FindKey(section, key);
  return found == nullptr ? std::string() : found->value;
}

int32_t IniReadInt(std::string_view section, std::string_view key) {
  const TIniKey* found = FindKey(section, key);
  if (found == nullptr) return 0;
  const std::string& text = found->value;
  int32_t number = 0;
  // from_chars takes an optional '-' and no '+', stops at the first
  // non-digit and reports overflow instead of wrapping.
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return 0;
  return number;
}

bool IniReadBool(std::string_view section, std::string_view key) {
  const TIniKey* found = FindKey(section, key);
  if (found == nullptr) return false;
  std::string upper = found->value;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper == "1" || upper == "TRUE";
}

bool IniWriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (RefuseLineBreaks(section, key, value)) return false;
  const bool existed = IniIsKey(section, key);
  AddKey(section, key).value = std::string(value);
  return existed;
}

bool IniWriteInt(std::string_view section, std::string_view key, int32_t value) {
  return IniWriteString(section, key, std::to_string(value));
}

bool IniWriteBool(std::string_view section, std::string_view key, bool value) {
  return IniWriteString(section, key, value ? "TRUE" : "FALSE");
}
