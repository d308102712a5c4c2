// The registries of sound effects, music and ambience tracks. Effects are
// decoded at load and played on channels; tracks are only named at load and
// streamed when played. Lookups compare names byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/audio.h"
#include "res/fixed_list.h"

inline constexpr std::size_t SOUND_CAPACITY = 513;

struct tsound {
  std::string name;
  Sound* sound = nullptr;  // owned; nullptr when the file failed to load
  int channel = -1;        // channel of the last play
};

// One effect file of a folder, decoded ahead; `decoded` false when its
// bytes could not be read or decoded.
struct DecodedEffect {
  std::string file;
  bool decoded = false;
  DecodedSound sound;
};

class tsounds {
 public:
  int volume = 100;  // 0..100

  // Loads every "*.ogg" of the folder, up to 8 plays of each at once.
  void load_dir(const std::string& dir);
  // The same, from effects a worker decoded ahead (in the folder's listing
  // order); one it could not decode is reported as load_dir reports it.
  void load_decoded(const std::string& dir, std::vector<DecodedEffect>& effects);
  void clear();
  // Empties the registry without freeing (after the engine's shutdown).
  void forget() { entries_.clear(); }
  // Index of the first effect of that name; 0 (the first effect stands in)
  // when there is none; -1 when no effect is loaded at all.
  int index_of(std::string_view name) const;
  // Plays the effect at the current volume; nothing while the volume is 0.
  void play(std::string_view name, bool loop = false);
  void stop(std::string_view name);
  bool is_playing(std::string_view name) const;
  // Sets every effect's last channel to the current volume.
  void apply_volume();
  std::size_t count() const { return entries_.size(); }
  const tsound& operator[](std::size_t i) const { return entries_[i]; }

 private:
  // Whether the registry is full, logging the file left out.
  bool full(const std::string& file) const;
  void append(const std::string& dir, const std::string& file, Sound* sound);

  FixedList<tsound, SOUND_CAPACITY> entries_;
};

struct ttrack {
  std::string name;
  std::string path;  // full file path
  int stream = 0;    // stream of the current play, 0 when none
};

class tmusic {
 public:
  int volume = 100;  // 0..100
  // At volume 0 nothing is started or stopped (the music list); the
  // ambience list plays silently instead.
  bool mute_at_zero = false;

  // Names every "*.ogg" of the folder; nothing is decoded yet.
  void load_dir(const std::string& dir);
  // The same, from effects a worker decoded ahead (in the folder's listing
  // order); one it could not decode is reported as load_dir reports it.
  void load_decoded(const std::string& dir, std::vector<DecodedEffect>& effects);
  void clear();
  // Empties the registry (after the engine's shutdown stopped every stream).
  void forget() { entries_.clear(); }
  // Index of the first track of that name, or -1.
  int index_of(std::string_view name) const;
  void play(std::string_view name, bool loop);
  void stop_all();
  bool is_playing(std::string_view name) const;
  // A playing track continues from `ms` (a movie's sound after a jump).
  void set_position(std::string_view name, double ms);
  void apply_volume();
  std::size_t count() const { return entries_.size(); }
  const ttrack& operator[](std::size_t i) const { return entries_[i]; }

 private:
  FixedList<ttrack, SOUND_CAPACITY> entries_;
};

extern tsounds sounds;
extern tmusic music;
extern tmusic ambience;
