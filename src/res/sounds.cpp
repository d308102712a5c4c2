// Effect and track registries over the engine's sound services.
#include "res/sounds.h"

#include "engine/log.h"
#include "res/files.h"

tsounds sounds;
tmusic music;
tmusic ambience;

namespace {

constexpr int kChannelsPerEffect = 8;

float Gain(int volume) { return static_cast<float>(volume) / 100.0f; }

void LogFull(const std::string& name) {
  LogLine("Sound registry full (" + std::to_string(SOUND_CAPACITY) + "): \"" + name +
              "\" left out",
          true);
}

}  // namespace

// --- Effects -------------------------------------------------------------------------

void tsounds::load_dir(const std::string& dir) {
  const TF_list files = list_files(dir + "*.ogg");
  if (files.empty()) ReportBrokenGameFile(dir);
  for (const std::string& file : files) {
    if (full(file)) break;
    append(dir, file, LoadSound(dir + file, kChannelsPerEffect));
  }
}

void tsounds::load_decoded(const std::string& dir, std::vector<DecodedEffect>& effects) {
  if (effects.empty()) ReportBrokenGameFile(dir);
  for (DecodedEffect& effect : effects) {
    if (full(effect.file)) break;
    Sound* sound = nullptr;
    if (effect.decoded)
      sound = SoundFromDecoded(dir + effect.file, std::move(effect.sound), kChannelsPerEffect);
    else if (SoundStarted())
      LogLine("Unable to load sound: \"" + dir + effect.file + "\"", true);
    append(dir, effect.file, sound);
  }
}

bool tsounds::full(const std::string& file) const {
  if (!entries_.full()) return false;
  LogFull(file_stem(file));
  return true;
}

void tsounds::append(const std::string& dir, const std::string& file, Sound* sound) {
  // A silent game loads nothing on purpose; with a device a failure means
  // the file itself is bad.
  if (sound == nullptr && SoundStarted()) ReportBrokenGameFile(dir + file);
  entries_.append(tsound{file_stem(file), sound, -1});
}

void tsounds::clear() {
  for (const tsound& entry : entries_) FreeSound(entry.sound);
  entries_.clear();
}

int tsounds::index_of(std::string_view name) const {
  if (entries_.empty()) return -1;
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].name == name) return static_cast<int>(i);
  return 0;
}

void tsounds::play(std::string_view name, bool loop) {
  if (volume == 0) return;
  const int i = index_of(name);
  if (i < 0) return;
  tsound& entry = entries_[static_cast<std::size_t>(i)];
  entry.channel = PlaySound(entry.sound, loop);
  SetSoundVolume(entry.sound, entry.channel, Gain(volume));
}

void tsounds::stop(std::string_view name) {
  const int i = index_of(name);
  if (i < 0) return;
  const tsound& entry = entries_[static_cast<std::size_t>(i)];
  StopSound(entry.sound, entry.channel);
}

bool tsounds::is_playing(std::string_view name) const {
  const int i = index_of(name);
  if (i < 0) return false;
  const tsound& entry = entries_[static_cast<std::size_t>(i)];
  return SoundState(entry.sound, entry.channel, 1);
}

void tsounds::apply_volume() {
  for (const tsound& entry : entries_) SetSoundVolume(entry.sound, entry.channel, Gain(volume));
}

// --- Tracks --------------------------------------------------------------------------

void tmusic::load_dir(const std::string& dir) {
  const TF_list files = list_files(dir + "*.ogg");
  if (files.empty()) ReportBrokenGameFile(dir);
  for (const std::string& file : files) {
    const std::string name = file_stem(file);
    if (entries_.full()) {
      LogFull(name);
      break;
    }
    entries_.append(ttrack{name, dir + file, 0});
  }
}

void tmusic::clear() {
  for (const ttrack& entry : entries_) StopStream(entry.stream);
  entries_.clear();
}

int tmusic::index_of(std::string_view name) const {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].name == name) return static_cast<int>(i);
  return -1;
}

void tmusic::play(std::string_view name, bool loop) {
  if (mute_at_zero && volume == 0) return;
  const int i = index_of(name);
  if (i < 0) return;
  ttrack& entry = entries_[static_cast<std::size_t>(i)];
  entry.stream = PlayStream(entry.path, loop);
  // A slot freed by a track that ended may be handed out again: it then
  // belongs to this track only.
  for (ttrack& other : entries_)
    if (&other != &entry && other.stream == entry.stream) other.stream = 0;
  SetStreamVolume(entry.stream, Gain(volume));
}

void tmusic::stop_all() {
  if (mute_at_zero && volume == 0) return;
  for (ttrack& entry : entries_) {
    StopStream(entry.stream);
    entry.stream = 0;
  }
}

void tmusic::set_position(std::string_view name, double ms) {
  const int i = index_of(name);
  if (i >= 0 && is_playing(name)) SetStreamPosition(entries_[static_cast<std::size_t>(i)].stream, ms);
}

bool tmusic::is_playing(std::string_view name) const {
  const int i = index_of(name);
  return i >= 0 && StreamPlaying(entries_[static_cast<std::size_t>(i)].stream);
}

void tmusic::apply_volume() {
  for (const ttrack& entry : entries_)
    if (entry.stream != 0) SetStreamVolume(entry.stream, Gain(volume));
}
