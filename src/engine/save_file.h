// Whole-file reads and the one way the game writes a save: the profile
// document and the level and scene copies all go through SaveFileAtomically,
// so a crash or a full disk never leaves a half-written file behind.
// Depends on POSIX file calls only.
#pragma once

#include <string>
#include <string_view>

// Replaces the file at path with bytes: writes a temporary file in the same
// folder, flushes it to disk and renames it over the old file. On failure the
// old file is untouched, no temporary is left, *error (when given) holds one
// line naming the path and the system's reason, and the result is false.
// An existing file keeps its permission bits; a new one gets rw-r--r--.
// After a save, temporary files that earlier saves in the same folder left
// behind when they were cut short (name + ".tmp-" + six letters or digits)
// are removed.
bool SaveFileAtomically(const std::string& path, std::string_view bytes,
                        std::string* error);

// The folder the game's saves live in (ending with '/'), or "" for none.
// A save below it must reach its file through real folders only: a symbolic
// link standing for any folder between it and the file makes the save fail,
// so nothing is ever written outside it by way of a link.
void SetSaveRoot(const std::string& folder);
const std::string& SaveRoot();

// Reads the whole file at path into *bytes. On failure *bytes is empty,
// *error_number (when given) holds the errno of the cause, and the result is
// false. A folder at the path fails with EISDIR, so "missing" (ENOENT) stays
// apart from "there but unreadable".
bool ReadWholeFile(const std::string& path, std::string* bytes, int* error_number);

// Creates folder and every missing folder above it, each new one private to
// the player (rwx------); folders already there are left as they are. False,
// with *error (when given) naming the folder that failed and the system's
// reason, when one cannot be made or something else stands in the way.
bool MakeFolderTree(const std::string& folder, std::string* error);
