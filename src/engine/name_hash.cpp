// SuperFastHash: four bytes a round as two little-endian 16-bit halves, the
// one to three tail bytes mixed in by their own rules, then a final avalanche.
#include "engine/name_hash.h"

#include <cstddef>

namespace {

// Byte arithmetic rather than a cast, so odd addresses and any host order
// give the same value.
uint32_t Read16(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
}

}  // namespace

uint32_t name_hash(std::string_view name) {
  if (name.empty()) return 0;
  const auto* data = reinterpret_cast<const unsigned char*>(name.data());
  auto hash = static_cast<uint32_t>(name.size());
  const std::size_t tail = name.size() & 3;

  for (std::size_t rounds = name.size() >> 2; rounds > 0; --rounds, data += 4) {
    hash += Read16(data);
    const uint32_t mixed = (Read16(data + 2) << 11) ^ hash;
    hash = (hash << 16) ^ mixed;
    hash += hash >> 11;
  }

  // The single tail bytes count as unsigned values (0..255), as the game's
  // names always have: a byte above 127 in a UTF-8 name is never sign-extended.
  switch (tail) {
    case 3:
      hash += Read16(data);
      hash ^= hash << 16;
      hash ^= static_cast<uint32_t>(data[2]) << 18;
      hash += hash >> 11;
      break;
    case 2:
      hash += Read16(data);
      hash ^= hash << 11;
      hash += hash >> 17;
      break;
    case 1:
      hash += data[0];
      hash ^= hash << 10;
      hash += hash >> 1;
      break;
    default:
      break;
  }

  hash ^= hash << 3;
  hash += hash >> 5;
  hash ^= hash << 4;
  hash += hash >> 17;
  hash ^= hash << 25;
  hash += hash >> 6;
  return hash;
}
