// Ogg Vorbis decoding for sound effects and streamed music: the only module
// that depends on vorbisfile. Everything comes out as the mixer's format,
// 44100 Hz stereo 16-bit: mono is doubled, more than two channels are folded
// to two, and other sample rates are converted linearly.
//
// Bytes come from memory (an archive member, a file read whole, a test's
// buffer, a fuzzer's input) or from an open file that is read as it plays.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class VorbisDecoder {
 public:
  enum class Chunk { kData, kEnd, kError };

  VorbisDecoder();
  ~VorbisDecoder();
  VorbisDecoder(const VorbisDecoder&) = delete;
  VorbisDecoder& operator=(const VorbisDecoder&) = delete;

  // Takes the bytes; false when they are not an Ogg Vorbis stream.
  bool OpenMemory(std::string bytes);
  // Takes the file (closed by the decoder, also on failure).
  bool OpenFile(std::FILE* file);
  void Close();
  bool IsOpen() const;

  // Appends the next piece of sound (a few thousand frames at most) to
  // out_stereo. kEnd at the end of the stream; kError when the rest of the
  // stream cannot be read.
  Chunk Decode(std::vector<int16_t>* out_stereo);
  // Playback continues from this time; false when the stream cannot seek.
  bool SeekMs(double ms);
  // Back to the first sample, keeping the sound continuous across the seam
  // (for looping).
  bool Rewind();
  // Length in milliseconds, or a negative number when it cannot be known.
  double LengthMs() const;
  // The rate of the stream's first part, as stored in the file.
  int SourceRate() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Decodes a whole memory image into 44100 Hz stereo frames, at most
// max_frames of them (the rest is left out and *cut is set). False when the
// bytes are not Ogg Vorbis or hold no sound at all; a stream damaged part way
// keeps what was decoded before the damage.
bool DecodeVorbis(std::string bytes, int64_t max_frames, std::vector<int16_t>* out_stereo,
                  bool* cut = nullptr);
