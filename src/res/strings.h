// The string table: every text the player sees, and a few start-up settings,
// looked up by key. The same table type holds the run-time task list.
// Built on the fixed list of res/fixed_list.h; logs through engine/log.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "res/fixed_list.h"

inline constexpr std::size_t LOC_CAPACITY = 1025;

// One entry: a key and its text, both UTF-8 bytes.
struct tloc {
  std::string key, value;
};

// Up to LOC_CAPACITY entries in the order they were added. Entries with the
// same key stay separate; lookups by key find the last of them.
class tlocfile {
 public:
  // --- Filling -------------------------------------------------------------

  // Empties the table and reads the file at path as parse does. False (and an
  // empty table) when the file is missing or cannot be read.
  bool load(const std::string& path);
  // Empties the table and reads "key "value"" entries from bytes. The table
  // keeps the first LOC_CAPACITY entries; any more are counted and logged.
  void parse(std::string_view bytes);
  // Stores the pair after the last entry, duplicates or not; false when full.
  bool append(std::string key, std::string value);
  // Appends only when no entry has the key; false when it has or when full.
  bool add_new(std::string key, std::string value);
  // Replaces the value of the last entry with the key; nothing if none.
  void set(std::string_view key, std::string value);
  // Empties the table.
  void clear();

  // --- Lookups -------------------------------------------------------------

  // The value of the last entry with the key, or "NULL" when there is none.
  std::string get(std::string_view key) const;
  // Index of the last entry with the key, or -1.
  int index_of(std::string_view key) const;
  bool contains(std::string_view key) const;

  // --- Entries by index, 0 to count() - 1 -----------------------------------

  int count() const { return static_cast<int>(entries_.size()); }
  // Unchecked, like an array.
  const tloc& operator[](int i) const { return entries_[static_cast<std::size_t>(i)]; }
  tloc& operator[](int i) { return entries_[static_cast<std::size_t>(i)]; }
  // Checked: an entry with empty key and value when i is out of range.
  const tloc& at(int i) const;

 private:
  FixedList<tloc, LOC_CAPACITY> entries_;
};

// The game's texts, filled from "data/text/strings.cfg" before anything else.
extern tlocfile game_strings;
