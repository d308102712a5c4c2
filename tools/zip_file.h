// Writes the game's image archive: a zip file whose members are encrypted
// with the traditional PKWARE scheme under one password, which is what the
// game's archive reader opens. Written by hand rather than through a zip
// library so that the bytes depend on nothing but the members: a fixed
// time stamp, members in the order given, and encryption headers derived
// from each member's CRC and name instead of from a random source.
// Depends on zlib (raw deflate, level 9).
//
// Why derived headers are good enough: the twelve header bytes exist so
// that two archives with the same password do not start their members with
// the same key stream. Our password is part of the game's design and the
// archive only keeps casual browsers out of the pictures, so reproducible
// builds are worth more than that property.
#pragma once

#include <zlib.h>  // deflate

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pack {

struct Member {
  std::string name;   // "images/common/gbutton.png": '/' between folders
  std::string bytes;  // the file's contents
};

// A member name the reader will accept as a relative path: no leading '/',
// no empty, "." or ".." parts, no '\', no control characters.
inline bool IsMemberName(std::string_view name) {
  if (name.empty() || name.size() > 0xFFFF || name.front() == '/' || name.back() == '/') return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '\\' || c == 0x7F) return false;
  }
  return true;
}

namespace detail {

inline const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  return table;
}

inline uint32_t CrcByte(uint32_t crc, uint8_t b) { return CrcTable()[(crc ^ b) & 0xFFU] ^ (crc >> 8); }

// The traditional PKWARE stream cipher.
class Cipher {
 public:
  explicit Cipher(std::string_view password) {
    for (char c : password) Update(static_cast<uint8_t>(c));
  }
  uint8_t Encrypt(uint8_t plain) {
    const uint8_t out = static_cast<uint8_t>(plain ^ KeyByte());
    Update(plain);
    return out;
  }

 private:
  uint8_t KeyByte() const {
    const uint32_t temp = (keys_[2] | 2U) & 0xFFFFU;
    return static_cast<uint8_t>(((temp * (temp ^ 1U)) >> 8) & 0xFFU);
  }
  void Update(uint8_t plain) {
    keys_[0] = CrcByte(keys_[0], plain);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFFU)) * 134775813U + 1U;
    keys_[2] = CrcByte(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
  }
  uint32_t keys_[3] = {0x12345678U, 0x23456789U, 0x34567890U};
};

inline void Put16(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Raw deflate at level 9; empty when zlib fails.
inline bool Deflate(std::string_view in, std::string* out) {
  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  out->assign(deflateBound(&z, static_cast<uLong>(in.size())) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out->data());
  z.avail_out = static_cast<uInt>(out->size());
  const int result = deflate(&z, Z_FINISH);
  out->resize(z.total_out);
  deflateEnd(&z);
  return result == Z_STREAM_END;
}

// Eleven header bytes that depend only on the member (see the top).
inline std::array<uint8_t, 11> HeaderBytes(uint32_t crc, std::string_view name) {
  uint64_t state = 0xCBF29CE484222325ULL ^ crc;
  for (char c : name) state = (state ^ static_cast<uint8_t>(c)) * 0x100000001B3ULL;
  std::array<uint8_t, 11> bytes{};
  for (uint8_t& b : bytes) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    b = static_cast<uint8_t>((z ^ (z >> 31)) >> 56);
  }
  return bytes;
}

}  // namespace detail

// 1980-01-01 00:00, the earliest time a zip can hold.
inline constexpr uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;
inline constexpr uint16_t kDosTime = 0;

// The archive bytes, members in the order given. False, with the reason in
// `error`, for a bad member name, a duplicate name, more than 65535 members
// or a member too large for a plain zip.
inline bool WriteArchive(const std::vector<Member>& members, std::string_view password, std::string* archive,
                         std::string* error) {
  if (members.size() > 0xFFFF) {
    *error = "more than 65535 files";
    return false;
  }
  std::string out;
  std::string directory;
  std::vector<std::string_view> seen;
  for (const Member& m : members) {
    if (!IsMemberName(m.name)) {
      *error = "\"" + m.name + "\" cannot be stored as a relative path";
      return false;
    }
    for (std::string_view s : seen) {
      if (s == m.name) {
        *error = "\"" + m.name + "\" is given twice";
        return false;
      }
    }
    seen.push_back(m.name);
    if (m.bytes.size() >= 0xFFFFFFF0ULL || out.size() >= 0xFFFFFFF0ULL) {
      *error = "\"" + m.name + "\" is too large";
      return false;
    }
    const uint32_t crc = static_cast<uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(m.bytes.data()), static_cast<uInt>(m.bytes.size())));
    std::string packed;
    uint16_t method = 8;
    // PNGs are packed already: unless deflating saves a tenth, the member is
    // stored, so the game only decrypts it instead of also inflating it.
    if (!detail::Deflate(m.bytes, &packed) || packed.size() * 10 > m.bytes.size() * 9) {
      packed = m.bytes;
      method = 0;
    }
    // The last header byte is the CRC's high byte: the reader's password check.
    detail::Cipher cipher(password);
    std::string body;
    body.reserve(12 + packed.size());
    for (uint8_t b : detail::HeaderBytes(crc, m.name)) body.push_back(static_cast<char>(cipher.Encrypt(b)));
    body.push_back(static_cast<char>(cipher.Encrypt(static_cast<uint8_t>(crc >> 24))));
    for (char c : packed) body.push_back(static_cast<char>(cipher.Encrypt(static_cast<uint8_t>(c))));

    bool ascii = true;
    for (char c : m.name) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    const uint16_t flags = static_cast<uint16_t>(0x0001 | (ascii ? 0 : 0x0800));  // encrypted; UTF-8 name
    const uint32_t offset = static_cast<uint32_t>(out.size());

    detail::Put32(out, 0x04034B50U);
    detail::Put16(out, 20);
    detail::Put16(out, flags);
    detail::Put16(out, method);
    detail::Put16(out, kDosTime);
    detail::Put16(out, kDosDate);
    detail::Put32(out, crc);
    detail::Put32(out, static_cast<uint32_t>(body.size()));
    detail::Put32(out, static_cast<uint32_t>(m.bytes.size()));
    detail::Put16(out, static_cast<uint32_t>(m.name.size()));
    detail::Put16(out, 0);
    out.append(m.name);
    out.append(body);

    detail::Put32(directory, 0x02014B50U);
    detail::Put16(directory, 20);
    detail::Put16(directory, 20);
    detail::Put16(directory, flags);
    detail::Put16(directory, method);
    detail::Put16(directory, kDosTime);
    detail::Put16(directory, kDosDate);
    detail::Put32(directory, crc);
    detail::Put32(directory, static_cast<uint32_t>(body.size()));
    detail::Put32(directory, static_cast<uint32_t>(m.bytes.size()));
    detail::Put16(directory, static_cast<uint32_t>(m.name.size()));
    detail::Put16(directory, 0);  // extra field
    detail::Put16(directory, 0);  // comment
    detail::Put16(directory, 0);  // disk
    detail::Put16(directory, 0);  // internal attributes
    detail::Put32(directory, 0);  // external attributes
    detail::Put32(directory, offset);
    directory.append(m.name);
  }
  if (out.size() + directory.size() >= 0xFFFFFFF0ULL) {
    *error = "the archive is too large";
    return false;
  }
  const uint32_t directory_offset = static_cast<uint32_t>(out.size());
  out.append(directory);
  detail::Put32(out, 0x06054B50U);
  detail::Put16(out, 0);
  detail::Put16(out, 0);
  detail::Put16(out, static_cast<uint32_t>(members.size()));
  detail::Put16(out, static_cast<uint32_t>(members.size()));
  detail::Put32(out, static_cast<uint32_t>(directory.size()));
  detail::Put32(out, directory_offset);
  detail::Put16(out, 0);
  *archive = std::move(out);
  return true;
}

}  // namespace pack
