// Ogg Theora decoding: the pages of the movie's Theora stream are indexed
// when it opens (offset, length, granule position), packets are taken from
// them in order, and a jump backwards or far ahead restarts at the page
// before the key frame that the wanted frame depends on.
#include "engine/theora.h"

#include <theora/theoradec.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kMaxPictureSide = 4096;
constexpr int64_t kMaxFrames = int64_t{100} * 3600 * 60;  // an hour at 100 frames a second

// One page of the movie's Theora stream.
struct PageMark {
  std::size_t offset = 0;
  std::size_t length = 0;
  int64_t granule = -1;  // -1: no packet ends on this page
};

bool IsHeaderPacket(const ogg_packet& op) {
  return op.bytes > 0 && (op.packet[0] & 0x80) != 0;
}

}  // namespace

struct TheoraDecoder::State {
  std::string bytes;
  std::vector<PageMark> pages;  // the Theora stream's pages, in file order
  int serial = 0;
  th_info info{};
  th_comment comment{};
  th_setup_info* setup = nullptr;
  th_dec_ctx* decoder = nullptr;
  ogg_stream_state stream{};
  bool stream_ready = false;

  int64_t frames = 0;
  std::size_t next_page = 0;
  int64_t next_frame = 0;  // the frame of the next data packet
  bool decoding = false;   // a key frame has been decoded since the last jump
  int64_t current = -1;
  th_ycbcr_buffer picture{};
  bool have_picture = false;

  State() {
    th_info_init(&info);
    th_comment_init(&comment);
  }
  ~State() {
    if (decoder != nullptr) th_decode_free(decoder);
    if (setup != nullptr) th_setup_free(setup);
    th_comment_clear(&comment);
    th_info_clear(&info);
    if (stream_ready) ogg_stream_clear(&stream);
  }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  ogg_page PageAt(std::size_t index) {
    const PageMark& mark = pages[index];
    auto* header = reinterpret_cast<unsigned char*>(bytes.data() + mark.offset);
    ogg_page page{};
    page.header = header;
    page.header_len = 27 + header[26];
    page.body = header + page.header_len;
    page.body_len = static_cast<long>(mark.length) - page.header_len;
    return page;
  }

  int64_t FrameOf(int64_t granule) const { return th_granule_frame(decoder, granule); }
  int64_t KeyFrameOf(int64_t granule) const {
    const int shift = info.keyframe_granule_shift;
    return th_granule_frame(decoder, (granule >> shift) << shift);
  }

  bool NextPacket(ogg_packet* op) {
    for (;;) {
      const int r = ogg_stream_packetout(&stream, op);
      if (r == 1) return true;
      if (r < 0) continue;  // a gap in the stream: go on with what follows
      if (next_page >= pages.size()) return false;
      ogg_page page = PageAt(next_page++);
      ogg_stream_pagein(&stream, &page);
    }
  }

  void Restart() {
    ogg_stream_reset_serialno(&stream, serial);
    next_page = 0;
    next_frame = 0;
    decoding = false;
  }

  // Restarts so that the next data packet is at or before `key` and its
  // frame is known: after the last page whose packets all come before the
  // key frame. The packets ending on that page are read and dropped, which
  // also drops the piece of a packet begun on the page before.
  void JumpBefore(int64_t key) {
    std::size_t start = pages.size();
    for (std::size_t i = 0; i < pages.size(); ++i)
      if (pages[i].granule >= 0 && FrameOf(pages[i].granule) < key) start = i;
    if (start == pages.size()) {
      Restart();
      return;
    }
    ogg_stream_reset_serialno(&stream, serial);
    ogg_page page = PageAt(start);
    ogg_stream_pagein(&stream, &page);
    ogg_packet op;
    while (ogg_stream_packetout(&stream, &op) != 0) {
    }
    next_page = start + 1;
    next_frame = FrameOf(pages[start].granule) + 1;
    decoding = false;
  }

  // The key frame that `frame` is built on, as far as the page index shows.
  int64_t KeyFrameFor(int64_t frame) const {
    int64_t key = 0;
    for (const PageMark& mark : pages) {
      if (mark.granule < 0) continue;
      const int64_t k = KeyFrameOf(mark.granule);
      if (k <= frame && k > key) key = k;
    }
    return key;
  }

  // Decodes the next data packet. False at the end or on a broken packet.
  bool DecodeNext(bool* new_picture) {
    ogg_packet op;
    do {
      if (!NextPacket(&op)) return false;
    } while (IsHeaderPacket(op));
    const int64_t frame = next_frame++;
    if (!decoding) {
      // Until a key frame, the frames lack the picture they change.
      if (th_packet_iskeyframe(&op) != 1) return true;
      decoding = true;
    }
    const int r = th_decode_packetin(decoder, &op, nullptr);
    if (r == 0) {
      *new_picture = true;
    } else if (r != TH_DUPFRAME) {
      return false;
    }
    current = frame;
    return true;
  }

  bool ReadHeaders();
  bool IndexPages();
};

// Finds the first Theora stream and keeps its pages.
bool TheoraDecoder::State::IndexPages() {
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  char* buffer = ogg_sync_buffer(&sync, static_cast<long>(bytes.size()));
  if (buffer == nullptr) {
    ogg_sync_clear(&sync);
    return false;
  }
  std::memcpy(buffer, bytes.data(), bytes.size());
  ogg_sync_wrote(&sync, static_cast<long>(bytes.size()));
  bool found = false;
  std::size_t at = 0;
  ogg_page page;
  for (;;) {
    const long n = ogg_sync_pageseek(&sync, &page);
    if (n == 0) break;
    if (n < 0) {
      at += static_cast<std::size_t>(-n);
      continue;
    }
    const std::size_t offset = at;
    at += static_cast<std::size_t>(n);
    if (!found && ogg_page_bos(&page) != 0) {
      // Is this stream's first packet a Theora identification header?
      ogg_stream_state probe;
      ogg_stream_init(&probe, ogg_page_serialno(&page));
      ogg_stream_pagein(&probe, &page);
      ogg_packet op;
      if (ogg_stream_packetout(&probe, &op) == 1 && op.bytes >= 7 &&
          std::memcmp(op.packet, "\x80theora", 7) == 0) {
        found = true;
        serial = ogg_page_serialno(&page);
      }
      ogg_stream_clear(&probe);
    }
    if (found && ogg_page_serialno(&page) == serial)
      pages.push_back({offset, static_cast<std::size_t>(n), ogg_page_granulepos(&page)});
  }
  ogg_sync_clear(&sync);
  return found;
}

bool TheoraDecoder::State::ReadHeaders() {
  ogg_stream_init(&stream, serial);
  stream_ready = true;
  next_page = 0;
  ogg_packet op;
  for (;;) {
    if (!NextPacket(&op)) return false;
    const int r = th_decode_headerin(&info, &comment, &setup, &op);
    if (r < 0) return false;
    if (r == 0) break;  // the first picture: every header is read
  }
  if (info.pixel_fmt != TH_PF_420) return false;
  if (info.pic_width == 0 || info.pic_height == 0 || info.pic_width > kMaxPictureSide ||
      info.pic_height > kMaxPictureSide || info.pic_x + info.pic_width > info.frame_width ||
      info.pic_y + info.pic_height > info.frame_height)
    return false;
  if (info.fps_numerator == 0 || info.fps_denominator == 0) return false;
  decoder = th_decode_alloc(&info, setup);
  if (decoder == nullptr) return false;
  for (auto it = pages.rbegin(); it != pages.rend(); ++it) {
    if (it->granule < 0) continue;
    frames = FrameOf(it->granule) + 1;
    break;
  }
  return frames > 0 && frames <= kMaxFrames;
}

bool TheoraDecoderReady() {
  const char* version = th_version_string();
  return version != nullptr && version[0] != '\0';
}

TheoraDecoder::TheoraDecoder() = default;
TheoraDecoder::~TheoraDecoder() = default;

bool TheoraDecoder::OpenMemory(std::string bytes) {
  auto state = std::make_unique<State>();
  state->bytes = std::move(bytes);
  if (state->bytes.empty() || !state->IndexPages() || !state->ReadHeaders()) {
    s_.reset();
    return false;
  }
  state->Restart();
  s_ = std::move(state);
  return true;
}

bool TheoraDecoder::IsOpen() const { return s_ != nullptr; }
int TheoraDecoder::Width() const { return s_ ? static_cast<int>(s_->info.pic_width) : 0; }
int TheoraDecoder::Height() const { return s_ ? static_cast<int>(s_->info.pic_height) : 0; }

double TheoraDecoder::FrameMs() const {
  if (!s_) return 0.0;
  return 1000.0 * s_->info.fps_denominator / s_->info.fps_numerator;
}

int64_t TheoraDecoder::FrameCount() const { return s_ ? s_->frames : 0; }
double TheoraDecoder::LengthMs() const { return FrameMs() * static_cast<double>(FrameCount()); }
int64_t TheoraDecoder::CurrentFrame() const { return s_ ? s_->current : -1; }

bool TheoraDecoder::ShowFrame(int64_t frame) {
  if (!s_) return false;
  State& s = *s_;
  if (frame < 0) frame = 0;
  if (frame >= s.frames) frame = s.frames - 1;
  if (frame == s.current) return true;
  const int64_t key = s.KeyFrameFor(frame);
  if (frame < s.current || key > s.current) s.JumpBefore(key);
  bool new_picture = false;
  bool ok = true;
  while (s.next_frame <= frame) {
    if (!s.DecodeNext(&new_picture)) {
      ok = false;
      break;
    }
  }
  if (new_picture) s.have_picture = th_decode_ycbcr_out(s.decoder, s.picture) == 0;
  return ok && s.current == frame;
}

bool TheoraDecoder::CurrentPlanes(Planes* out) const {
  if (!s_ || !s_->have_picture) return false;
  const State& s = *s_;
  const int x = static_cast<int>(s.info.pic_x);
  const int y = static_cast<int>(s.info.pic_y);
  out->y = s.picture[0].data + static_cast<std::ptrdiff_t>(y) * s.picture[0].stride + x;
  out->y_pitch = s.picture[0].stride;
  out->u = s.picture[1].data + static_cast<std::ptrdiff_t>(y / 2) * s.picture[1].stride + x / 2;
  out->u_pitch = s.picture[1].stride;
  out->v = s.picture[2].data + static_cast<std::ptrdiff_t>(y / 2) * s.picture[2].stride + x / 2;
  out->v_pitch = s.picture[2].stride;
  return true;
}
