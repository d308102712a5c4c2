// The INI document: the one in-memory document that holds the profile file
// "data.ini", the game's whole persistent state. Every part of the game reads
// and writes its keys here while playing; the document is saved as a whole.
// Sections and keys are found by name_hash (engine/name_hash.h), then by name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TIniKey {
  uint32_t hash = 0;  // name_hash of name
  std::string name;
  std::string value;
};

struct TIniSection {
  uint32_t hash = 0;  // name_hash of name
  std::string name;
  std::vector<TIniKey> keys;  // in order of appearance or creation
};

struct TIniDoc {
  std::string file_name;  // the file the last IniLoad read
  std::vector<TIniSection> sections;  // in order; duplicates possible
};

// --- Parsing and writing bytes ----------------------------------------------

// Replaces doc's sections with those read from bytes; leaves file_name alone.
void IniParse(TIniDoc& doc, std::string_view bytes);
// The document as the file text: "[ name ]" and "key = value" lines ending in
// CR LF, one empty line between sections. An empty document gives "".
std::string IniSerialize(const TIniDoc& doc);

// --- Loading and saving the document ------------------------------------------

enum class IniLoadResult { Loaded, Missing, Unreadable };

// Clears the document, then reads the file. Missing: no file at the path.
// Unreadable: something is there but cannot be read; it is reported, and
// IniSave refuses that path for the rest of the run so it is never replaced
// by an empty document. In both cases the document stays empty.
IniLoadResult IniLoadFile(const std::string& path);
// IniLoadFile(path) == IniLoadResult::Loaded.
bool IniLoad(const std::string& path);
// Replaces the file at path with the document, atomically. False, with one
// warning naming the path and the reason, when it fails (the old file stays)
// or when the path was found unreadable by IniLoadFile.
bool IniSave(const std::string& path);
// Whether IniSave refuses the path for the rest of the run.
bool IniIsRefusedPath(const std::string& path);
// Forgets which paths IniSave refuses (for tests).
void IniResetRefusedPaths();

// --- The document -------------------------------------------------------------

// Empties the document.
void IniClear();
// Read-only view, for walking the sections and keys by index.
const TIniDoc& IniDocument();

// Whether the section exists.
bool IniIsSection(std::string_view section);
// Whether the section exists and holds the key (in its first copy).
bool IniIsKey(std::string_view section, std::string_view key);
// Appends the section if absent, then the key with an empty value if absent.
// True once the key exists; false, and nothing changed, when a name holds a
// CR or LF.
bool IniAdd(std::string_view section, std::string_view key);
// With an empty key removes the section and its keys; otherwise removes the
// key from the section. Absent names change nothing.
void IniDelete(std::string_view section, std::string_view key);

// The value, or "" when absent.
std::string IniReadString(std::string_view section, std::string_view key);
// The value as a decimal 32-bit number with an optional leading '-'; 0 when
// absent, empty, out of range, or holding anything else ('+' included).
int32_t IniReadInt(std::string_view section, std::string_view key);
// True when the value is "1" or "TRUE" in any letter case.
bool IniReadBool(std::string_view section, std::string_view key);

// Sets the value, adding section and key as needed. True when the key
// existed. False, and nothing changed, when a name or the value holds a CR or
// LF (a line break would split the line in the saved file).
bool IniWriteString(std::string_view section, std::string_view key, std::string_view value);
// As IniWriteString, with the number in decimal.
bool IniWriteInt(std::string_view section, std::string_view key, int32_t value);
// As IniWriteString, with "TRUE" or "FALSE".
bool IniWriteBool(std::string_view section, std::string_view key, bool value);
