// Game files: the encrypted image archive made here with the same library,
// reads and listings from it and from the disk, and archives that fail.
#include <gtest/gtest.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/archive.h"
#include "engine/log.h"
#include "engine/save_file.h"
#include "support/temp_files.h"

namespace {

namespace fs = std::filesystem;

struct Member {
  std::string name;
  std::string bytes;
  bool encrypted = true;
  bool stored = false;  // kept uncompressed
};

class Archive : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path folder = MakeTempFolder("archive_test");
    ASSERT_FALSE(folder.empty());
    folder_ = folder.string() + "/";
    log_path_ = folder_ + "log.txt";
    LogOpen(log_path_, 0.0);
  }
  void TearDown() override {
    CloseArchive();
    LogClose();
    fs::remove_all(folder_);
  }

  std::string MakeArchive(const std::vector<Member>& members, const char* password = "58203") {
    const std::string path = folder_ + "images.dat";
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    EXPECT_NE(zip, nullptr);
    for (const Member& m : members) {
      zip_source_t* source = zip_source_buffer(zip, m.bytes.data(), m.bytes.size(), 0);
      const zip_int64_t index = zip_file_add(zip, m.name.c_str(), source, ZIP_FL_ENC_UTF_8);
      EXPECT_GE(index, 0) << m.name;
      const auto i = static_cast<zip_uint64_t>(index);
      if (m.stored) zip_set_file_compression(zip, i, ZIP_CM_STORE, 0);
      if (m.encrypted) {
        EXPECT_EQ(zip_file_set_encryption(zip, i, ZIP_EM_TRAD_PKWARE, password), 0);
      }
    }
    EXPECT_EQ(zip_close(zip), 0);
    return path;
  }

  std::string Log() {
    LogClose();
    std::ifstream in(log_path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  static std::size_t Count(const std::string& text, const std::string& line) {
    std::size_t n = 0;
    for (auto at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++n;
    return n;
  }

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + name, std::ios::binary) << bytes;
  }

  std::string folder_;
  std::string log_path_;
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(Archive, AnEncryptedArchiveListsItsFolderInItsOwnOrderAndReadsMembers) {
  const std::string path = MakeArchive({
      {"images/splash/b.png", "second letter"},
      {"images/splash/a.png", "first letter"},
      {"images/splash/sub/c.png", "in a subfolder"},
      {"images/splash/notes.txt", "not a picture"},
      {"images/splash/Upper.PNG", "other case"},
      {"images/splashy/d.png", "a neighbouring folder"},
      {"images/splash/../x.png", "climbs out"},
      {"/images/splash/abs.png", "absolute"},
      {"images/splash/empty.png", ""},
  });
  ASSERT_TRUE(OpenArchive(path, "58203"));
  EXPECT_TRUE(ArchiveIsOpen());
  EXPECT_EQ(ListGameFiles("images/splash/*.png", 1025), (Names{"b.png", "a.png", "empty.png"}));
  EXPECT_EQ(ListGameFiles("images/splash/*.png", 2), (Names{"b.png", "a.png"}));
  EXPECT_EQ(ListGameFiles("images/splash/../*.png", 1025), Names{});
  EXPECT_EQ(ListGameFiles("/images/splash/*.png", 1025), Names{});

  std::string bytes;
  ASSERT_TRUE(ReadGameFile("images/splash/a.png", &bytes));
  EXPECT_EQ(bytes, "first letter");
  ASSERT_TRUE(ReadGameFile("images/splash/sub/c.png", &bytes));
  EXPECT_EQ(bytes, "in a subfolder");
  EXPECT_TRUE(ReadGameFile("images/splash/empty.png", &bytes));
  EXPECT_EQ(bytes, "");
  EXPECT_FALSE(ReadGameFile("images/splash/A.png", &bytes));  // names keep their case

  // The same archive from memory behaves alike; closing sends reads to disk.
  std::string image;
  ASSERT_TRUE(ReadWholeFile(path, &image, nullptr));
  ASSERT_TRUE(OpenArchiveFromMemory("images.dat", image, "58203"));
  EXPECT_EQ(ListGameFiles("images/splash/a*", 10), Names{"a.png"});
  CloseArchive();
  EXPECT_FALSE(ArchiveIsOpen());
  EXPECT_FALSE(ReadGameFile("images/splash/a.png", &bytes));
}

TEST_F(Archive, AWrongPasswordOrAMissingArchiveLeavesTheDisk) {
  const std::string path = MakeArchive({{"images/a.png", "secret"}});
  Write("loose.png", "on disk");
  EXPECT_FALSE(OpenArchive(path, "12345"));
  EXPECT_FALSE(ArchiveIsOpen());
  EXPECT_FALSE(OpenArchive(folder_ + "missing.dat", "58203"));
  std::string bytes;
  EXPECT_FALSE(ReadGameFile("images/a.png", &bytes));
  ASSERT_TRUE(ReadGameFile(folder_ + "loose.png", &bytes));
  EXPECT_EQ(bytes, "on disk");

  // Open: a name the archive lacks still comes from the disk.
  ASSERT_TRUE(OpenArchive(path, "58203"));
  ASSERT_TRUE(ReadGameFile(folder_ + "loose.png", &bytes));
  EXPECT_EQ(bytes, "on disk");

  const std::string log = Log();
  EXPECT_EQ(Count(log, "Unable to open archive: " + path + "\r\n"), 1u);
  EXPECT_EQ(Count(log, "Unable to open archive: " + folder_ + "missing.dat\r\n"), 1u);
  EXPECT_EQ(Count(log, "Cannot read \"images/a.png\""), 1u);
}

TEST_F(Archive, OversizedAndDamagedMembersAreRefused) {
  const std::string path = MakeArchive({
      {"big.png", std::string((std::size_t{64} << 20) + 1, '\0'), false},
      {"damaged.png", "these bytes will not survive", false, true},
  });
  std::string image;
  ASSERT_TRUE(ReadWholeFile(path, &image, nullptr));
  const std::size_t at = image.find("these bytes");
  ASSERT_NE(at, std::string::npos);
  image[at] = 'T';

  ASSERT_TRUE(OpenArchiveFromMemory("images.dat", image, ""));
  std::string bytes;
  EXPECT_FALSE(ReadGameFile("big.png", &bytes));
  EXPECT_FALSE(ReadGameFile("damaged.png", &bytes));
  EXPECT_TRUE(bytes.empty());
  const std::string log = Log();
  EXPECT_EQ(Count(log, "Archive member too large: \"big.png\" (67108865 bytes)"), 1u);
  EXPECT_EQ(Count(log, "Archive member unreadable: \"damaged.png\""), 1u);
  EXPECT_EQ(Count(log, "Cannot read \"damaged.png\""), 1u);
}

TEST_F(Archive, EncryptedMembersStoredDeflatedOrDamagedReadAsTheLibraryReadsThem) {
  std::string large;
  for (uint32_t i = 0; large.size() < 300000; i = i * 1103515245u + 12345u)
    large.push_back(static_cast<char>((i >> 16) % 7 == 0 ? i >> 8 : 'a'));
  const std::string path = MakeArchive({
      {"stored.png", "kept as it is, only encrypted", true, true},
      {"large.png", large},
      {"damaged.png", std::string(4000, 'q'), true, true},
  });
  std::string image;
  ASSERT_TRUE(ReadWholeFile(path, &image, nullptr));
  // A byte in the middle of the stored member: its check sum no longer fits.
  const std::size_t at = image.find("damaged.png");
  ASSERT_NE(at, std::string::npos);
  ++image[at + 11 + 12 + 2000];

  ASSERT_TRUE(OpenArchiveFromMemory("images.dat", image, "58203"));
  std::string bytes;
  ASSERT_TRUE(ReadGameFile("stored.png", &bytes));
  EXPECT_EQ(bytes, "kept as it is, only encrypted");
  ASSERT_TRUE(ReadGameFile("large.png", &bytes));
  EXPECT_EQ(bytes, large);
  EXPECT_FALSE(ReadGameFile("damaged.png", &bytes));
  CloseArchive();

  // A worker's reader gives the same bytes and leaves the reports to the
  // main thread.
  ArchiveReader reader;
  ASSERT_TRUE(reader.open(path, "58203"));
  EXPECT_EQ(reader.list("*.png", 10), (Names{"stored.png", "large.png", "damaged.png"}));
  ASSERT_TRUE(reader.read("large.png", &bytes));
  EXPECT_EQ(bytes, large);
  const std::string log = Log();
  EXPECT_EQ(Count(log, "Archive member unreadable: \"damaged.png\""), 1u);
}

TEST_F(Archive, DiskListingsAreSortedRegularFilesOfTheFolderOnly) {
  for (const char* name : {"c.png", "a.png", "b.png", "notes.txt"}) Write(name, "x");
  fs::create_directory(folder_ + "folder.png");
  EXPECT_EQ(ListGameFiles(folder_ + "*.png", 1025), (Names{"a.png", "b.png", "c.png"}));
  EXPECT_EQ(ListGameFiles(folder_ + "*.png", 2), (Names{"a.png", "b.png"}));
  EXPECT_EQ(ListGameFiles(folder_ + "nowhere/*.png", 1025), Names{});
  EXPECT_EQ(ListGameFiles(folder_, 1025), Names{});
}
