// Feeds arbitrary bytes to the Ogg Vorbis decoder the way effects and
// streams use it: decoded whole with a length limit, and read piecewise with
// a seek and a rewind. Whatever the bytes, the decoder must not crash, must
// keep whole stereo frames and must keep to the limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/vorbis.h"

namespace {

constexpr int64_t kLimitFrames = 10 * 44100;

void CheckFrames(const std::vector<int16_t>& pcm) {
  if (pcm.size() % 2 != 0) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  std::vector<int16_t> pcm;
  bool cut = false;
  const bool decoded = DecodeVorbis(bytes, kLimitFrames, &pcm, &cut);
  CheckFrames(pcm);
  if (decoded == pcm.empty()) abort();
  if (pcm.size() > static_cast<std::size_t>(kLimitFrames) * 2) abort();
  if (cut && pcm.size() != static_cast<std::size_t>(kLimitFrames) * 2) abort();

  VorbisDecoder decoder;
  if (!decoder.OpenMemory(bytes)) return 0;
  std::vector<int16_t> piece;
  for (int i = 0; i < 4 && decoder.Decode(&piece) == VorbisDecoder::Chunk::kData; ++i) {
  }
  // A seek target taken from the input, as a game would move a stream.
  const double length = decoder.LengthMs();
  const double to = size > 0 ? data[size - 1] * (length > 0.0 ? length / 200.0 : 10.0) : 0.0;
  if (decoder.SeekMs(to)) {
    for (int i = 0; i < 4 && decoder.Decode(&piece) == VorbisDecoder::Chunk::kData; ++i) {
    }
  }
  if (decoder.Rewind()) decoder.Decode(&piece);
  CheckFrames(piece);
  return 0;
}
