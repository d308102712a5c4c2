// A small PNG writer for the content tools: 8-bit RGBA, no interlacing, no
// time or text chunks, so the same pixels always give the same bytes.
// Depends on zlib (deflate and the chunk CRCs).
#pragma once

#include <zlib.h>  // compress2, crc32

#include <cstdint>
#include <string>
#include <vector>

namespace png {

namespace detail {

inline void PutU32BigEndian(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

inline void PutChunk(std::string& out, const char type[4], const std::string& data) {
  PutU32BigEndian(out, static_cast<uint32_t>(data.size()));
  const std::size_t type_at = out.size();
  out.append(type, 4);
  out.append(data);
  const auto* crc_from = reinterpret_cast<const Bytef*>(out.data() + type_at);
  const uLong crc = crc32(0L, crc_from, static_cast<uInt>(4 + data.size()));
  PutU32BigEndian(out, static_cast<uint32_t>(crc));
}

}  // namespace detail

// The PNG file of width x height pixels given as R, G, B, A bytes row by row
// from the top. Empty when the sizes do not match or deflate fails.
inline std::string EncodeRgba(int width, int height, const std::vector<uint8_t>& rgba) {
  if (width <= 0 || height <= 0 ||
      rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
    return {};
  }
  // Each row gets the filter byte "Sub": glyph pages are mostly runs of
  // equal pixels, which Sub turns into runs of zeros.
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  std::vector<uint8_t> filtered;
  filtered.reserve((stride + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = rgba.data() + stride * static_cast<std::size_t>(y);
    filtered.push_back(1);
    for (std::size_t i = 0; i < stride; ++i) {
      const uint8_t left = i >= 4 ? row[i - 4] : 0;
      filtered.push_back(static_cast<uint8_t>(row[i] - left));
    }
  }
  uLongf packed_size = compressBound(static_cast<uLong>(filtered.size()));
  std::string packed(packed_size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_size, filtered.data(),
                static_cast<uLong>(filtered.size()), 9) != Z_OK) {
    return {};
  }
  packed.resize(packed_size);

  std::string header;
  detail::PutU32BigEndian(header, static_cast<uint32_t>(width));
  detail::PutU32BigEndian(header, static_cast<uint32_t>(height));
  header.push_back(8);  // bits per channel
  header.push_back(6);  // colour type: RGBA
  header.push_back(0);  // deflate
  header.push_back(0);  // adaptive filtering
  header.push_back(0);  // not interlaced

  std::string out("\x89PNG\r\n\x1a\n", 8);
  detail::PutChunk(out, "IHDR", header);
  detail::PutChunk(out, "IDAT", packed);
  detail::PutChunk(out, "IEND", std::string());
  return out;
}

}  // namespace png
