// Encodes rendered samples as an Ogg Vorbis file in memory. The stream's
// serial number comes from the sound's name rather than from a random
// source, so the same samples always give the same bytes. Depends on
// libvorbisenc (and libvorbis, libogg beneath it).
#pragma once

#include <ogg/ogg.h>            // pages and packets
#include <vorbis/vorbisenc.h>   // the encoder and its quality mode

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "sound_synth.h"

namespace soundgen {

// FNV-1a of the name: a fixed serial number for each sound.
inline uint32_t StreamSerial(std::string_view name) {
  uint32_t h = 2166136261U;
  for (char c : name) {
    h ^= static_cast<uint8_t>(c);
    h *= 16777619U;
  }
  return h & 0x7FFFFFFFU;
}

// The Ogg Vorbis file, or "" when the encoder refuses the format.
inline std::string EncodeVorbis(const Audio& audio, double quality, std::string_view title) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, audio.channels, audio.rate, static_cast<float>(quality)) != 0) {
    vorbis_info_clear(&info);
    return {};
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  const std::string title_text(title);
  vorbis_comment_add_tag(&comment, "TITLE", title_text.c_str());

  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, static_cast<int>(StreamSerial(title)));

  std::string out;
  auto append_page = [&out](const ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), static_cast<std::size_t>(page.header_len));
    out.append(reinterpret_cast<const char*>(page.body), static_cast<std::size_t>(page.body_len));
  };

  ogg_packet header;
  ogg_packet header_comment;
  ogg_packet header_code;
  vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &header_comment);
  ogg_stream_packetin(&stream, &header_code);
  ogg_page page;
  // The headers stand on pages of their own, as decoders expect.
  while (ogg_stream_flush(&stream, &page) != 0) append_page(page);

  const std::size_t frames = audio.Frames();
  const std::size_t channels = static_cast<std::size_t>(audio.channels);
  constexpr std::size_t kChunk = 1024;
  std::size_t done = 0;
  bool finished = false;
  while (!finished) {
    const std::size_t n = std::min(kChunk, frames - done);
    if (n == 0) {
      vorbis_analysis_wrote(&dsp, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
      for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t c = 0; c < channels; ++c) buffer[c][i] = audio.samples[(done + i) * channels + c];
      }
      vorbis_analysis_wrote(&dsp, static_cast<int>(n));
      done += n;
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) {
          append_page(page);
          if (ogg_page_eos(&page) != 0) finished = true;
        }
      }
    }
    if (n == 0) finished = true;
  }
  while (ogg_stream_flush(&stream, &page) != 0) append_page(page);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

}  // namespace soundgen
