// Sound effects and streamed music over one SDL audio device and the game's
// own mixer. Effects are decoded at load; each of the eight stream slots
// decodes its Ogg Vorbis file on a thread of its own into a ring buffer.
// With no audio device everything here is silent and harmless.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Opens the audio device once. False (the game then runs silent) when none
// opens. Logs the start-up lines of the sound system.
bool StartSound();
bool SoundStarted();
// Stops everything, frees every sound and closes the device (shutdown).
void StopSoundSystem();
// Fills out_stereo with the next `frames` frames of the mix (44100 Hz stereo,
// 16-bit), exactly as the device's callback does; silence without a device.
// A headless run has no listener: captures and tests hear the game here.
void MixSoundOutput(int16_t* out_stereo, int frames);

struct Sound;  // owned by the engine
// Decodes an Ogg Vorbis file (archive first, else disk); up to max_channels
// plays at once. nullptr and "Unable to load sound: \"name\"" on failure;
// nullptr without a line when the sound system is not started (a silent game).
Sound* LoadSound(const std::string& file_name, int max_channels = 8);
// Decoding apart from making the sound, so that a worker thread may decode
// effects while the main thread plays: the effect's PCM from the file's
// bytes, any thread, logs nothing. False when the bytes are no Ogg Vorbis.
struct DecodedSound {
  std::vector<int16_t> pcm;  // 44100 Hz, interleaved
  int channels = 2;          // 1 when both sides were the same throughout
  bool cut = false;          // longer than an effect may be; the rest left out
};
bool DecodeSound(std::string bytes, DecodedSound* out);
// The sound of decoded PCM, as LoadSound makes it (main thread), with its
// log line when cut; nullptr in a silent game.
Sound* SoundFromDecoded(const std::string& file_name, DecodedSound decoded, int max_channels = 8);
void FreeSound(Sound* sound);
std::size_t SoundCount();
// Starts the sound on a free channel (the oldest when all are busy) and
// returns the channel number, or -1.
int PlaySound(Sound* sound, bool loop);
// Stops one channel, or every channel of the sound with channel -1.
void StopSound(Sound* sound, int channel);
// Channel -1 means every channel of the sound, here and in SoundState. A
// channel keeps its volume from one play to the next.
void SetSoundVolume(Sound* sound, int channel, float volume);  // 0..1
// what = 1: whether the channel is playing.
bool SoundState(Sound* sound, int channel, int what);

// Streams: slots 1..8. PlayStream returns the slot, or 0 and "Cannot play: "
// + file name in the log (0 without a line when the sound system is not
// started). The file is read from the disk as it plays; the stream starts
// sounding at the next StreamStep, so a volume set right after PlayStream
// holds from its first sample. A stream without loop that has played to its
// end frees its slot, and StreamPlaying answers false.
int PlayStream(const std::string& file_name, bool loop);
void StopStream(int stream);
void PauseStream(int stream);
void ResumeStream(int stream);
void SetStreamVolume(int stream, float volume);  // 0..1
// Playback continues from this position, in milliseconds.
void SetStreamPosition(int stream, double position_ms);
bool StreamPlaying(int stream);
double StreamPosition(int stream);
// Once per loop pass: advances the streams' positions, and pauses the
// streams the game has not paused itself while the window has no focus,
// resuming them when it returns.
void StreamStep(bool focused);
