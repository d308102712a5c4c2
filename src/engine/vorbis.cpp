// Ogg Vorbis decoding through vorbisfile, read from memory or from an open
// file by our own callbacks, converted to the mixer's 44100 Hz stereo.
#include "engine/vorbis.h"

#include <vorbis/vorbisfile.h>  // ov_open_callbacks, ov_read_float, ov_time_seek

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/mixer.h"

namespace {

// Input frames asked for at a time: small enough that even a very low
// sample rate gives a chunk the stream ring can take in a few bites.
constexpr int kReadFrames = 1024;
// A stream whose rate is outside this range is treated as damaged.
constexpr long kLowestRate = 1000;
constexpr long kHighestRate = 384000;
// Holes (lost pages) in a row before the rest of a stream counts as unreadable.
constexpr int kMostHolesInARow = 64;
constexpr float kCentreShare = 0.7071f;

int16_t ToS16(float x) {
  if (std::isnan(x)) return 0;
  return static_cast<int16_t>(std::lrint(std::clamp(x, -1.0f, 1.0f) * 32767.0f));
}

}  // namespace

struct VorbisDecoder::Impl {
  OggVorbis_File vf{};
  bool open = false;
  bool at_end = false;  // a seek past the end: nothing more until rewound
  int holes_in_a_row = 0;

  // The byte source: a memory image or a file.
  std::string memory;
  std::size_t memory_pos = 0;
  std::FILE* file = nullptr;

  // Linear rate conversion carried across chunks: `t` is the time of the
  // next output frame, in input frames after `prev`.
  long rate = kMixRate;
  double t = 0.0;
  float prev[2] = {0.0f, 0.0f};
  bool have_prev = false;

  std::vector<float> left, right;  // one chunk folded to two channels

  static size_t MemoryRead(void* ptr, size_t size, size_t count, void* source) {
    auto* self = static_cast<Impl*>(source);
    if (size == 0 || count == 0) return 0;
    const std::size_t left_bytes = self->memory.size() - self->memory_pos;
    const std::size_t whole = std::min(count, left_bytes / size);
    std::memcpy(ptr, self->memory.data() + self->memory_pos, whole * size);
    self->memory_pos += whole * size;
    return whole;
  }
  static int MemorySeek(void* source, ogg_int64_t offset, int whence) {
    auto* self = static_cast<Impl*>(source);
    const auto size = static_cast<ogg_int64_t>(self->memory.size());
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR)
      base = static_cast<ogg_int64_t>(self->memory_pos);
    else if (whence == SEEK_END)
      base = size;
    else if (whence != SEEK_SET)
      return -1;
    if (offset > size || offset < -size) return -1;
    const ogg_int64_t to = base + offset;
    if (to < 0 || to > size) return -1;
    self->memory_pos = static_cast<std::size_t>(to);
    return 0;
  }
  static long MemoryTell(void* source) {
    return static_cast<long>(static_cast<Impl*>(source)->memory_pos);
  }
  static size_t FileRead(void* ptr, size_t size, size_t count, void* source) {
    return std::fread(ptr, size, count, static_cast<Impl*>(source)->file);
  }
  static int FileSeek(void* source, ogg_int64_t offset, int whence) {
    return fseeko(static_cast<Impl*>(source)->file, static_cast<off_t>(offset), whence);
  }
  static long FileTell(void* source) {
    return static_cast<long>(ftello(static_cast<Impl*>(source)->file));
  }

  bool Open(const ov_callbacks& callbacks) {
    // The callbacks close nothing: the decoder owns its source and frees it in Close.
    if (ov_open_callbacks(this, &vf, nullptr, 0, callbacks) != 0) {
      Release();
      return false;
    }
    open = true;
    vorbis_info* info = ov_info(&vf, -1);
    if (info == nullptr || info->rate < kLowestRate || info->rate > kHighestRate) {
      Release();
      return false;
    }
    rate = info->rate;
    return true;
  }

  void Release() {
    if (open) ov_clear(&vf);
    open = false;
    at_end = false;
    holes_in_a_row = 0;
    memory.clear();
    memory.shrink_to_fit();
    memory_pos = 0;
    if (file != nullptr) std::fclose(file);
    file = nullptr;
    ResetRate();
  }

  void ResetRate() {
    t = 0.0;
    have_prev = false;
  }

  // Folds one chunk to left and right: mono is doubled; with three or more
  // channels the front pair is kept and the centre shared between them.
  void Fold(float** pcm, int channels, int frames) {
    left.resize(static_cast<std::size_t>(frames));
    right.resize(static_cast<std::size_t>(frames));
    const float* l = pcm[0];
    const float* r = channels == 1 ? pcm[0] : pcm[1];
    const float* centre = nullptr;
    if (channels == 3 || (channels >= 5 && channels <= 8)) {
      r = pcm[2];
      centre = pcm[1];
    }
    for (int i = 0; i < frames; ++i) {
      float a = l[i];
      float b = r[i];
      if (centre != nullptr) {
        a += centre[i] * kCentreShare;
        b += centre[i] * kCentreShare;
      }
      left[static_cast<std::size_t>(i)] = a;
      right[static_cast<std::size_t>(i)] = b;
    }
  }

  void Emit(int frames, std::vector<int16_t>* out) {
    if (rate == kMixRate) {
      for (int i = 0; i < frames; ++i) {
        out->push_back(ToS16(left[static_cast<std::size_t>(i)]));
        out->push_back(ToS16(right[static_cast<std::size_t>(i)]));
      }
      return;
    }
    const double step = static_cast<double>(rate) / kMixRate;
    int first = 0;
    if (!have_prev) {
      prev[0] = left[0];
      prev[1] = right[0];
      have_prev = true;
      first = 1;
    }
    // Input frame k of this pass: k == 0 is `prev`, k >= 1 is chunk frame first + k - 1.
    const int count = frames - first;
    auto at = [&](int k, int side) {
      if (k == 0) return prev[side];
      const auto index = static_cast<std::size_t>(first + k - 1);
      return side == 0 ? left[index] : right[index];
    };
    while (t < count) {
      const int k = static_cast<int>(t);
      const auto f = static_cast<float>(t - k);
      for (int side = 0; side < 2; ++side) {
        const float a = at(k, side);
        const float b = at(k + 1, side);
        out->push_back(ToS16(a + (b - a) * f));
      }
      t += step;
    }
    t -= count;
    if (count > 0) {
      prev[0] = at(count, 0);
      prev[1] = at(count, 1);
    }
  }
};

VorbisDecoder::VorbisDecoder() : impl_(std::make_unique<Impl>()) {}
VorbisDecoder::~VorbisDecoder() { Close(); }

bool VorbisDecoder::OpenMemory(std::string bytes) {
  Close();
  impl_->memory = std::move(bytes);
  const ov_callbacks callbacks = {&Impl::MemoryRead, &Impl::MemorySeek, nullptr, &Impl::MemoryTell};
  return impl_->Open(callbacks);
}

bool VorbisDecoder::OpenFile(std::FILE* file) {
  Close();
  if (file == nullptr) return false;
  impl_->file = file;
  const ov_callbacks callbacks = {&Impl::FileRead, &Impl::FileSeek, nullptr, &Impl::FileTell};
  return impl_->Open(callbacks);
}

void VorbisDecoder::Close() { impl_->Release(); }

bool VorbisDecoder::IsOpen() const { return impl_->open; }

VorbisDecoder::Chunk VorbisDecoder::Decode(std::vector<int16_t>* out_stereo) {
  Impl& d = *impl_;
  if (!d.open) return Chunk::kError;
  if (d.at_end) return Chunk::kEnd;
  float** pcm = nullptr;
  int link = 0;
  const long frames = ov_read_float(&d.vf, &pcm, kReadFrames, &link);
  if (frames == OV_HOLE) return ++d.holes_in_a_row > kMostHolesInARow ? Chunk::kError : Chunk::kData;
  d.holes_in_a_row = 0;
  if (frames == 0) return Chunk::kEnd;
  if (frames < 0 || pcm == nullptr) return Chunk::kError;
  // A chained file may change its rate or channels from one part to the next.
  const vorbis_info* info = ov_info(&d.vf, link);
  if (info == nullptr || info->channels < 1 || info->rate < kLowestRate || info->rate > kHighestRate)
    return Chunk::kError;
  if (info->rate != d.rate) {
    d.rate = info->rate;
    d.ResetRate();
  }
  d.Fold(pcm, info->channels, static_cast<int>(frames));
  d.Emit(static_cast<int>(frames), out_stereo);
  return Chunk::kData;
}

bool VorbisDecoder::SeekMs(double ms) {
  Impl& d = *impl_;
  if (!d.open || std::isnan(ms)) return false;
  const double length = LengthMs();
  if (length >= 0.0 && ms >= length) {
    // Seeking exactly to the end is refused by the library; the stream just ends.
    d.at_end = true;
    return true;
  }
  if (ov_time_seek(&d.vf, std::max(ms, 0.0) / 1000.0) != 0) return false;
  d.at_end = false;
  d.holes_in_a_row = 0;
  d.ResetRate();
  return true;
}

bool VorbisDecoder::Rewind() {
  Impl& d = *impl_;
  if (!d.open || ov_pcm_seek(&d.vf, 0) != 0) return false;
  d.at_end = false;
  d.holes_in_a_row = 0;
  return true;
}

double VorbisDecoder::LengthMs() const {
  if (!impl_->open) return -1.0;
  const double seconds = ov_time_total(&impl_->vf, -1);
  if (seconds < 0.0 || !std::isfinite(seconds)) return -1.0;
  return seconds * 1000.0;
}

int VorbisDecoder::SourceRate() const { return impl_->open ? static_cast<int>(impl_->rate) : 0; }

bool DecodeVorbis(std::string bytes, int64_t max_frames, std::vector<int16_t>* out_stereo,
                  bool* cut) {
  out_stereo->clear();
  if (cut != nullptr) *cut = false;
  VorbisDecoder decoder;
  if (!decoder.OpenMemory(std::move(bytes))) return false;
  const auto max_samples = static_cast<std::size_t>(std::max<int64_t>(max_frames, 0)) * kMixChannels;
  for (;;) {
    const VorbisDecoder::Chunk chunk = decoder.Decode(out_stereo);
    if (out_stereo->size() > max_samples) {
      out_stereo->resize(max_samples);
      if (cut != nullptr) *cut = true;
      break;
    }
    if (chunk != VorbisDecoder::Chunk::kData) break;
  }
  out_stereo->shrink_to_fit();
  return !out_stereo->empty();
}
