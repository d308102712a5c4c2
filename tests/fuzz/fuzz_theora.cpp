// Feeds arbitrary bytes to the movie reader the way the outro uses it:
// opened, played a few frames, jumped ahead to a time taken from the input,
// jumped back, its picture read. Whatever the bytes, nothing may crash, and
// an open movie's current frame must lie inside the movie.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/theora.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TheoraDecoder decoder;
  if (!decoder.OpenMemory(std::string(reinterpret_cast<const char*>(data), size))) return 0;
  if (decoder.Width() <= 0 || decoder.Height() <= 0 || decoder.FrameCount() <= 0) abort();
  const int64_t frames = decoder.FrameCount();
  const int64_t ahead = size > 0 ? data[size - 1] % (frames < 64 ? frames : 64) : 0;
  for (int64_t f : {int64_t{0}, int64_t{1}, ahead, int64_t{0}, frames + 5}) {
    decoder.ShowFrame(f);
    if (decoder.CurrentFrame() >= frames) abort();
    TheoraDecoder::Planes planes;
    if (decoder.CurrentPlanes(&planes) && planes.y == nullptr) abort();
  }
  return 0;
}
