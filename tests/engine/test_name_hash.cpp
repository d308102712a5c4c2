// name_hash: values worked out by hand from the algorithm and checked against
// a second, separate implementation.
#include "engine/name_hash.h"

#include <gtest/gtest.h>

#include <string>

TEST(NameHash, KnownValuesCoverEveryTailLength) {
  EXPECT_EQ(name_hash(""), 0u);
  EXPECT_EQ(name_hash("a"), 0x115ea782u);
  EXPECT_EQ(name_hash("ab"), 0x516b8b44u);
  EXPECT_EQ(name_hash("abc"), 0xd2be198au);
  EXPECT_EQ(name_hash("abcd"), 0xdad8b8dbu);
  EXPECT_EQ(name_hash("abcde"), 0x51ed072eu);
  EXPECT_EQ(name_hash("ui_font"), 0xf82c64acu);
  EXPECT_EQ(name_hash("gwnd_conf"), 0xebd0fd6fu);
  EXPECT_EQ(name_hash("The quick brown fox jumps over the lazy dog"), 0x05bf7ce3u);
}

TEST(NameHash, TailBytesAbove127CountAsUnsigned) {
  // Sign-extending would give "\xff" the hash 0, the same as "".
  EXPECT_EQ(name_hash("\xff"), 0xa9e99665u);
  EXPECT_EQ(name_hash("ab\xff"), 0x611f19c4u);
  EXPECT_EQ(name_hash("caf\xc3\xa9"), 0x36991106u);  // "café", tail byte 0xA9
}

TEST(NameHash, NulBytesAreHashedLikeAnyOther) {
  EXPECT_EQ(name_hash(std::string("\0", 1)), 0x5553595au);
  EXPECT_EQ(name_hash(std::string(4, '\0')), 0x2b21473au);
}

TEST(NameHash, SameBytesHashAlikeAtAnyAddress) {
  for (std::size_t offset = 0; offset < 4; ++offset) {
    const std::string moved = std::string(offset, '-') + "gwnd_conf";
    EXPECT_EQ(name_hash(std::string_view(moved).substr(offset)), 0xebd0fd6fu) << offset;
  }
}
