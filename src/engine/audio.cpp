// Sound effects and streamed music over one SDL audio device.
//
// Effects are decoded whole at load and play on up to max_channels voices
// each. Each of the eight stream slots owns a decoder thread that fills the
// slot's ring buffer; the device's callback drains the rings and the effect
// voices through the mixer. Locks: the effect voices and the list of sounds
// belong to the device lock (held by SDL around the callback); a stream
// slot's ring and flags belong to the slot's mutex. A slot's play position,
// its pause marks and its decoder between plays are the main thread's alone.
#include "engine/audio.h"

#include <SDL.h>  // SDL_OpenAudioDevice and the device lock
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/archive.h"
#include "engine/clock.h"
#include "engine/engine.h"
#include "engine/log.h"
#include "engine/mixer.h"
#include "engine/vorbis.h"

struct Sound {
  std::vector<int16_t> pcm;            // 44100 Hz, stereo interleaved or mono
  int pcm_channels = kMixChannels;
  std::vector<MixSource> channels;     // one voice per simultaneous play
  std::vector<uint64_t> started;       // when each voice was last started, for reuse
};

namespace {

constexpr int kStreamSlots = 8;
// About 0.37 s of sound between a decoder thread and the device.
constexpr int64_t kRingFrames = 16384;
// A new stream waits this long at most for its decoder's first sound.
constexpr auto kPrimeWait = std::chrono::milliseconds(200);
// Effects longer than five minutes are cut: those belong in streams.
constexpr int64_t kMaxEffectFrames = int64_t{300} * kMixRate;
constexpr int kMaxChannelsPerSound = 64;
// The device's callback mixes in pieces of this many frames.
constexpr int kMixBlockFrames = 1024;

struct StreamSlot {
  // --- The main thread's -------------------------------------------------------
  std::thread thread;
  // Used by the main thread before the decoder thread starts and after it is
  // joined, and by the decoder thread in between.
  VorbisDecoder decoder;
  bool in_use = false;
  bool started_sounding = false;  // the first stream step after PlayStream has run
  bool paused_by_game = false;
  bool paused_by_focus = false;   // paused by the stream step while the window had no focus
  bool loop = false;
  double position_ms = 0.0;
  double length_ms = -1.0;
  double clock_ms = 0.0;          // clock reading of the last stream step

  // --- Shared with the decoder thread and the device callback, under `mutex` ---
  std::mutex mutex;
  std::condition_variable wake;
  std::vector<int16_t> ring;      // kRingFrames stereo frames
  int64_t read = 0;               // first unplayed frame
  int64_t fill = 0;               // unplayed frames
  bool audible = false;           // the mixer may play it
  float volume = 1.0f;
  bool quit = false;
  bool seek_pending = false;
  double seek_ms = 0.0;
  bool decoder_done = false;      // nothing more will come until a seek
  bool decoder_waiting = false;   // the decoder sleeps until the ring has room
  bool primed = false;            // the decoder has delivered its first sound (or ended)
};

struct AudioState {
  bool started = false;
  // SDL's audio part is up; it stays up after a device that would not open.
  bool subsystem_up = false;
  bool focused = true;  // as the last stream step saw the window
  SDL_AudioDeviceID device = 0;
  // Under the device lock once started:
  std::vector<Sound*> sounds;
  uint64_t play_serial = 0;
  std::vector<float> mix;  // kMixBlockFrames stereo frames
  std::array<StreamSlot, kStreamSlots> slots;
};

AudioState g_audio;

// The device lock, for the effect voices and the list of sounds.
class DeviceLock {
 public:
  DeviceLock() {
    if (g_audio.device != 0) SDL_LockAudioDevice(g_audio.device);
  }
  ~DeviceLock() {
    if (g_audio.device != 0) SDL_UnlockAudioDevice(g_audio.device);
  }
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;
};

float Volume01(float volume) { return std::isnan(volume) ? 0.0f : std::clamp(volume, 0.0f, 1.0f); }

bool KnownSound(const Sound* sound) {
  return sound != nullptr &&
         std::find(g_audio.sounds.begin(), g_audio.sounds.end(), sound) != g_audio.sounds.end();
}

// --- Mixing (device thread, device lock held) -------------------------------------

// Plays the readable part of a slot's ring, at most `frames` of it.
void MixStream(StreamSlot& slot, float* out, int frames) {
  std::lock_guard<std::mutex> lock(slot.mutex);
  if (!slot.audible || slot.fill == 0) return;
  const int64_t take = std::min<int64_t>(frames, slot.fill);
  const int64_t first = std::min(take, kRingFrames - slot.read);
  MixSource runs[2];
  runs[0] = MixSource{slot.ring.data() + slot.read * kMixChannels, first, 0, slot.volume, false, true};
  MixInto(out, static_cast<int>(first), &runs[0], 1);
  if (take > first) {
    runs[1] = MixSource{slot.ring.data(), take - first, 0, slot.volume, false, true};
    MixInto(out + first * kMixChannels, static_cast<int>(take - first), &runs[1], 1);
  }
  slot.read = (slot.read + take) % kRingFrames;
  slot.fill -= take;
  if (slot.decoder_waiting && kRingFrames - slot.fill >= kRingFrames / 2) slot.wake.notify_all();
}

void MixBlock(int16_t* out, int frames) {
  float* mix = g_audio.mix.data();
  std::fill(mix, mix + frames * kMixChannels, 0.0f);
  for (Sound* sound : g_audio.sounds)
    MixInto(mix, frames, sound->channels.data(), static_cast<int>(sound->channels.size()));
  for (StreamSlot& slot : g_audio.slots) MixStream(slot, mix, frames);
  MixToS16(mix, out, frames * kMixChannels);
}

void MixOutput(int16_t* out, int frames) {
  while (frames > 0) {
    const int block = std::min(frames, kMixBlockFrames);
    MixBlock(out, block);
    out += block * kMixChannels;
    frames -= block;
  }
}

void DeviceCallback(void*, Uint8* stream, int bytes) {
  MixOutput(reinterpret_cast<int16_t*>(stream), bytes / static_cast<int>(sizeof(int16_t) * kMixChannels));
}

// --- Stream decoder threads -----------------------------------------------------------

void WakeDecoder(StreamSlot& slot) { slot.wake.notify_all(); }

// Keeps the slot's ring full. The decoder is touched only without the lock;
// everything shared is touched only with it.
void DecoderThread(StreamSlot* slot) {
  std::vector<int16_t> pending;
  pending.reserve(16384);
  std::size_t used = 0;  // samples of `pending` already in the ring
  bool done = false;
  bool sound_since_start = false;  // a loop that yields no sound at all must not spin
  std::unique_lock<std::mutex> lock(slot->mutex);
  for (;;) {
    if (slot->quit) return;
    if (slot->seek_pending) {
      const double ms = slot->seek_ms;
      slot->seek_pending = false;
      pending.clear();
      used = 0;
      lock.unlock();
      const bool sought = slot->decoder.SeekMs(ms);
      lock.lock();
      done = !sought;
      slot->decoder_done = done;
      sound_since_start = false;
      continue;
    }
    if (used < pending.size()) {
      const auto left = static_cast<int64_t>((pending.size() - used) / kMixChannels);
      const int64_t room = kRingFrames - slot->fill;
      if (room < std::min(left, kRingFrames / 2)) {
        slot->decoder_waiting = true;
        slot->wake.wait(lock);
        slot->decoder_waiting = false;
        continue;
      }
      int64_t n = std::min(room, left);
      int64_t at = (slot->read + slot->fill) % kRingFrames;
      slot->fill += n;
      while (n > 0) {
        const int64_t run = std::min(n, kRingFrames - at);
        std::copy_n(pending.data() + used, run * kMixChannels, slot->ring.data() + at * kMixChannels);
        used += static_cast<std::size_t>(run * kMixChannels);
        at = (at + run) % kRingFrames;
        n -= run;
      }
      if (!slot->primed) {
        slot->primed = true;
        slot->wake.notify_all();
      }
      continue;
    }
    if (done) {
      slot->decoder_done = true;
      if (!slot->primed) {
        slot->primed = true;
        slot->wake.notify_all();
      }
      slot->wake.wait(lock);
      continue;
    }
    const bool loop = slot->loop;
    pending.clear();
    used = 0;
    lock.unlock();
    const VorbisDecoder::Chunk chunk = slot->decoder.Decode(&pending);
    if (!pending.empty()) sound_since_start = true;
    if (chunk == VorbisDecoder::Chunk::kEnd && loop) {
      done = !sound_since_start || !slot->decoder.Rewind();
      sound_since_start = false;
    } else if (chunk != VorbisDecoder::Chunk::kData) {
      done = true;
    }
    lock.lock();
  }
}

// Which sound to hear: started by the stream step, and paused by nobody.
void UpdateAudible(StreamSlot& slot) {
  const bool audible = slot.in_use && slot.started_sounding && !slot.paused_by_game &&
                       !slot.paused_by_focus;
  std::lock_guard<std::mutex> lock(slot.mutex);
  slot.audible = audible;
}

void StopSlot(StreamSlot& slot) {
  if (!slot.in_use) return;
  {
    std::lock_guard<std::mutex> lock(slot.mutex);
    slot.quit = true;
    slot.audible = false;
  }
  WakeDecoder(slot);
  if (slot.thread.joinable()) slot.thread.join();
  slot.decoder.Close();
  {
    std::lock_guard<std::mutex> lock(slot.mutex);
    slot.read = 0;
    slot.fill = 0;
    slot.quit = false;
    slot.seek_pending = false;
    slot.decoder_done = false;
    slot.decoder_waiting = false;
    slot.primed = false;
    slot.volume = 1.0f;
  }
  slot.in_use = false;
  slot.started_sounding = false;
  slot.paused_by_game = false;
  slot.paused_by_focus = false;
  slot.loop = false;
  slot.position_ms = 0.0;
  slot.length_ms = -1.0;
}

StreamSlot* SlotOf(int stream) {
  if (stream < 1 || stream > kStreamSlots) return nullptr;
  StreamSlot& slot = g_audio.slots[static_cast<std::size_t>(stream - 1)];
  return slot.in_use ? &slot : nullptr;
}

// Music files are read from the disk as they play. A pipe or a device
// standing where a file belongs would block the decoder, so only regular
// files are opened.
std::FILE* OpenMusicFile(const std::string& name) {
  const int fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) close(fd);
  return file;
}

// Advances one playing stream's position by the time since the last step.
// Returns false once a stream without loop has played to its end.
bool AdvanceStream(StreamSlot& slot, double elapsed_ms) {
  if (slot.started_sounding && !slot.paused_by_game && !slot.paused_by_focus)
    slot.position_ms += elapsed_ms;
  if (slot.length_ms > 0.0 && slot.position_ms >= slot.length_ms) {
    if (!slot.loop) return false;
    slot.position_ms = std::fmod(slot.position_ms, slot.length_ms);
  }
  // A stream whose length was unknown, or whose rest could not be decoded,
  // ends when the last of its sound has been played.
  std::lock_guard<std::mutex> lock(slot.mutex);
  return !(slot.decoder_done && slot.fill == 0 && !slot.seek_pending);
}

}  // namespace

// --- Start and stop -------------------------------------------------------------------

bool StartSound() {
  if (g_audio.started) return true;
  LogLine("Sound: starting the sound system", true);
  if (EngineConfiguration().headless) SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
  if (!g_audio.subsystem_up) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      LogLine(std::string("Sound: no audio device (") + SDL_GetError() + ")", true);
      return false;
    }
    g_audio.subsystem_up = true;
  }
  SDL_AudioSpec want{};
  want.freq = kMixRate;
  want.format = AUDIO_S16SYS;
  want.channels = kMixChannels;
  want.samples = kMixBlockFrames;
  want.callback = DeviceCallback;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the hardware wants.
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    // SDL's audio part stays up until the sound system stops: closing it
    // now would wait for its device watcher, up to a tenth of a second in
    // the middle of the splash.
    LogLine(std::string("Sound: no audio device (") + SDL_GetError() + ")", true);
    return false;
  }
  g_audio.mix.assign(static_cast<std::size_t>(kMixBlockFrames * kMixChannels), 0.0f);
  for (StreamSlot& slot : g_audio.slots) {
    std::lock_guard<std::mutex> lock(slot.mutex);
    slot.ring.assign(static_cast<std::size_t>(kRingFrames * kMixChannels), 0);
  }
  g_audio.device = device;
  g_audio.started = true;
  SDL_PauseAudioDevice(device, 0);
  LogLine("Sound: sound system initialized", true);
  return true;
}

bool SoundStarted() { return g_audio.started; }

void StopSoundSystem() {
  for (StreamSlot& slot : g_audio.slots) StopSlot(slot);
  if (!g_audio.sounds.empty()) {
    LogLine("Sounds to free: " + std::to_string(g_audio.sounds.size()), true);
    std::vector<Sound*> sounds;
    {
      DeviceLock lock;
      sounds.swap(g_audio.sounds);
    }
    for (Sound* sound : sounds) delete sound;
  }
  if (g_audio.started) {
    SDL_CloseAudioDevice(g_audio.device);
    g_audio.device = 0;
    g_audio.started = false;
    g_audio.focused = true;
    g_audio.play_serial = 0;
    LogLine("Sound: sound system finalized", true);
  }
  if (g_audio.subsystem_up) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  g_audio.subsystem_up = false;
}

void MixSoundOutput(int16_t* out_stereo, int frames) {
  if (out_stereo == nullptr || frames <= 0) return;
  if (!g_audio.started) {
    std::fill(out_stereo, out_stereo + frames * kMixChannels, int16_t{0});
    return;
  }
  DeviceLock lock;
  MixOutput(out_stereo, frames);
}

// --- Effects --------------------------------------------------------------------------

namespace {

// The effects are mostly mono, which the decoder doubles into two equal
// sides; such a sound keeps one side only, half the memory, and the mixer
// puts it on both sides again, sample for sample the same.
void KeepMonoOnce(DecodedSound* sound) {
  std::vector<int16_t>& pcm = sound->pcm;
  for (std::size_t i = 0; i + 1 < pcm.size(); i += 2)
    if (pcm[i] != pcm[i + 1]) return;
  const std::size_t frames = pcm.size() / 2;
  for (std::size_t i = 0; i < frames; ++i) pcm[i] = pcm[2 * i];
  pcm.resize(frames);
  pcm.shrink_to_fit();
  sound->channels = 1;
}

}  // namespace

Sound* LoadSound(const std::string& file_name, int max_channels) {
  // A silent game loads nothing: there is nothing to play it on.
  if (!g_audio.started) return nullptr;
  std::string bytes;
  DecodedSound decoded;
  if (!ReadGameFile(file_name, &bytes) || !DecodeSound(std::move(bytes), &decoded)) {
    LogLine("Unable to load sound: \"" + file_name + "\"", true);
    return nullptr;
  }
  return SoundFromDecoded(file_name, std::move(decoded), max_channels);
}

bool DecodeSound(std::string bytes, DecodedSound* out) {
  out->pcm.clear();
  out->cut = false;
  out->channels = 2;
  if (!DecodeVorbis(std::move(bytes), kMaxEffectFrames, &out->pcm, &out->cut)) return false;
  KeepMonoOnce(out);
  return true;
}

Sound* SoundFromDecoded(const std::string& file_name, DecodedSound decoded, int max_channels) {
  if (!g_audio.started) return nullptr;
  if (decoded.cut)
    LogLine("Sound \"" + file_name + "\" is longer than 300 s; the rest is left out", true);
  auto sound = std::make_unique<Sound>();
  sound->pcm = std::move(decoded.pcm);
  sound->pcm_channels = decoded.channels;
  const auto count = static_cast<std::size_t>(std::clamp(max_channels, 1, kMaxChannelsPerSound));
  MixSource voice;
  voice.frames = sound->pcm.data();
  voice.channels = sound->pcm_channels;
  voice.length = static_cast<int64_t>(sound->pcm.size()) / sound->pcm_channels;
  sound->channels.assign(count, voice);
  sound->started.assign(count, 0);
  DeviceLock lock;
  g_audio.sounds.push_back(sound.get());
  return sound.release();
}

void FreeSound(Sound* sound) {
  {
    DeviceLock lock;
    const auto it = std::find(g_audio.sounds.begin(), g_audio.sounds.end(), sound);
    // Not ours (or freed already): leave it alone.
    if (sound == nullptr || it == g_audio.sounds.end()) return;
    g_audio.sounds.erase(it);
  }
  delete sound;
}

std::size_t SoundCount() { return g_audio.sounds.size(); }

int PlaySound(Sound* sound, bool loop) {
  DeviceLock lock;
  if (!KnownSound(sound)) return -1;
  std::size_t pick = 0;
  for (std::size_t i = 0; i < sound->channels.size(); ++i) {
    if (!sound->channels[i].playing) {
      pick = i;
      break;
    }
    if (sound->started[i] < sound->started[pick]) pick = i;
  }
  MixSource& voice = sound->channels[pick];
  voice.position = 0;
  voice.loop = loop;
  voice.playing = true;
  // The voice keeps its volume from its last play, so a game that sets the
  // same volume after every start never lets one loud buffer through.
  sound->started[pick] = ++g_audio.play_serial;
  return static_cast<int>(pick);
}

void StopSound(Sound* sound, int channel) {
  DeviceLock lock;
  if (!KnownSound(sound)) return;
  for (std::size_t i = 0; i < sound->channels.size(); ++i) {
    if (channel < 0 || static_cast<std::size_t>(channel) == i) sound->channels[i].playing = false;
  }
}

void SetSoundVolume(Sound* sound, int channel, float volume) {
  DeviceLock lock;
  if (!KnownSound(sound)) return;
  for (std::size_t i = 0; i < sound->channels.size(); ++i) {
    if (channel < 0 || static_cast<std::size_t>(channel) == i)
      sound->channels[i].volume = Volume01(volume);
  }
}

bool SoundState(Sound* sound, int channel, int what) {
  if (what != 1) return false;
  DeviceLock lock;
  if (!KnownSound(sound)) return false;
  for (std::size_t i = 0; i < sound->channels.size(); ++i) {
    if ((channel < 0 || static_cast<std::size_t>(channel) == i) && sound->channels[i].playing)
      return true;
  }
  return false;
}

// --- Streams --------------------------------------------------------------------------

int PlayStream(const std::string& file_name, bool loop) {
  // A silent game plays nothing; the start-up has said so in the log already.
  if (!g_audio.started) return 0;
  int stream = 0;
  for (int i = 0; i < kStreamSlots && stream == 0; ++i) {
    if (!g_audio.slots[static_cast<std::size_t>(i)].in_use) stream = i + 1;
  }
  if (stream == 0) {
    LogLine("Cannot play: " + file_name, true);
    return 0;
  }
  StreamSlot& slot = g_audio.slots[static_cast<std::size_t>(stream - 1)];
  if (!slot.decoder.OpenFile(OpenMusicFile(file_name))) {
    LogLine("Cannot play: " + file_name, true);
    return 0;
  }
  slot.in_use = true;
  slot.started_sounding = false;
  slot.paused_by_game = false;
  slot.paused_by_focus = false;
  slot.loop = loop;
  slot.position_ms = 0.0;
  slot.length_ms = slot.decoder.LengthMs();
  slot.clock_ms = ClockNow();
  {
    std::lock_guard<std::mutex> lock(slot.mutex);
    slot.read = 0;
    slot.fill = 0;
    slot.audible = false;
    slot.volume = 1.0f;
    slot.quit = false;
    slot.seek_pending = false;
    slot.decoder_done = false;
    slot.primed = false;
  }
  slot.thread = std::thread(DecoderThread, &slot);
  // The first sound is ready before the stream counts as started, so that it
  // plays from its first sample at the next stream step.
  std::unique_lock<std::mutex> lock(slot.mutex);
  slot.wake.wait_for(lock, kPrimeWait, [&slot] { return slot.primed; });
  return stream;
}

void StopStream(int stream) {
  if (StreamSlot* slot = SlotOf(stream)) StopSlot(*slot);
}

void PauseStream(int stream) {
  if (StreamSlot* slot = SlotOf(stream)) {
    slot->paused_by_game = true;
    UpdateAudible(*slot);
  }
}

void ResumeStream(int stream) {
  if (StreamSlot* slot = SlotOf(stream)) {
    slot->paused_by_game = false;
    // Resumed while the window is away: it waits for the focus like the rest.
    if (!g_audio.focused) slot->paused_by_focus = true;
    UpdateAudible(*slot);
  }
}

void SetStreamVolume(int stream, float volume) {
  if (StreamSlot* slot = SlotOf(stream)) {
    std::lock_guard<std::mutex> lock(slot->mutex);
    slot->volume = Volume01(volume);
  }
}

void SetStreamPosition(int stream, double position_ms) {
  StreamSlot* slot = SlotOf(stream);
  if (slot == nullptr || std::isnan(position_ms)) return;
  double to = std::max(position_ms, 0.0);
  if (slot->length_ms > 0.0 && to >= slot->length_ms)
    to = slot->loop ? std::fmod(to, slot->length_ms) : slot->length_ms;
  slot->position_ms = to;
  {
    // What is in the ring belongs to the old position.
    std::lock_guard<std::mutex> lock(slot->mutex);
    slot->seek_pending = true;
    slot->seek_ms = to;
    slot->read = 0;
    slot->fill = 0;
    slot->decoder_done = false;
  }
  WakeDecoder(*slot);
}

bool StreamPlaying(int stream) { return SlotOf(stream) != nullptr; }

double StreamPosition(int stream) {
  const StreamSlot* slot = SlotOf(stream);
  return slot != nullptr ? slot->position_ms : 0.0;
}

void StreamStep(bool focused) {
  const double now = ClockNow();
  g_audio.focused = focused;
  for (StreamSlot& slot : g_audio.slots) {
    if (!slot.in_use) continue;
    const double elapsed = std::max(0.0, now - slot.clock_ms);
    slot.clock_ms = now;
    if (!AdvanceStream(slot, elapsed)) {
      StopSlot(slot);
      continue;
    }
    slot.started_sounding = true;
    if (!focused && !slot.paused_by_game) slot.paused_by_focus = true;
    if (focused) slot.paused_by_focus = false;
    UpdateAudible(slot);
  }
}
