// Atomic saves and whole-file reads, including saves that fail part-way.
#include "engine/save_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>  // setrlimit: a file size limit makes writes fail
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_files.h"

namespace {

namespace fs = std::filesystem;

class SaveFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder("save_file_test");
    ASSERT_FALSE(folder_.empty());
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Read(const fs::path& path) {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(path.string(), &bytes, nullptr)) << path;
    return bytes;
  }
  std::size_t EntriesInFolder() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
  }

  fs::path folder_;
};

}  // namespace

TEST_F(SaveFile, GoodSaveReplacesTheContentAndLeavesNoTemporary) {
  const fs::path path = folder_ / "data.ini";
  const std::string binary("a\0b\r\n", 5);
  std::string error;
  ASSERT_TRUE(SaveFileAtomically(path.string(), "first version", &error)) << error;
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(SaveFileAtomically(path.string(), binary, &error)) << error;
  EXPECT_EQ(Read(path), binary);
  EXPECT_EQ(EntriesInFolder(), 1u);

  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(SaveFile, WriteThatFailsPartWayKeepsTheOldFile) {
  const fs::path path = folder_ / "data.ini";
  ASSERT_TRUE(SaveFileAtomically(path.string(), "old", nullptr));

  // A file size limit stands in for a full disk: the write stops with EFBIG.
  rlimit old_limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old_limit;
  small.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error;
  const bool saved = SaveFileAtomically(path.string(), std::string(4096, 'n'), &error);
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(saved);
  EXPECT_NE(error.find(path.string()), std::string::npos) << error;
  EXPECT_EQ(Read(path), "old");
  EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(SaveFile, UnwritablePlacesFailWithAReason) {
  const fs::path file = folder_ / "plain_file";
  ASSERT_TRUE(SaveFileAtomically(file.string(), "x", nullptr));
  std::string error;
  EXPECT_FALSE(SaveFileAtomically((file / "data.ini").string(), "y", &error));
  EXPECT_NE(error.find("Not a directory"), std::string::npos) << error;
  EXPECT_FALSE(SaveFileAtomically((folder_ / "no" / "data.ini").string(), "y", &error));

  // A folder in the file's place is kept, and so is everything in it.
  const fs::path taken = folder_ / "taken";
  fs::create_directories(taken / "inside");
  EXPECT_FALSE(SaveFileAtomically(taken.string(), "y", &error));
  EXPECT_TRUE(fs::is_directory(taken / "inside"));
  EXPECT_EQ(EntriesInFolder(), 2u);
  EXPECT_EQ(Read(file), "x");
}

TEST_F(SaveFile, ReadTellsMissingFromUnreadable) {
  std::string bytes = "stale";
  int error_number = 0;
  EXPECT_FALSE(ReadWholeFile((folder_ / "absent").string(), &bytes, &error_number));
  EXPECT_EQ(error_number, ENOENT);
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(ReadWholeFile(folder_.string(), &bytes, &error_number));
  EXPECT_EQ(error_number, EISDIR);

  // A pipe where a save belongs neither hangs the game nor reads as missing.
  const fs::path pipe = folder_ / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_FALSE(ReadWholeFile(pipe.string(), &bytes, &error_number));
  EXPECT_EQ(error_number, EINVAL);

  const fs::path empty = folder_ / "empty";
  std::ofstream(empty).close();
  EXPECT_TRUE(ReadWholeFile(empty.string(), &bytes, &error_number));
  EXPECT_TRUE(bytes.empty());
}

TEST_F(SaveFile, BelowTheSaveRootLinkedFoldersAreRefusedAndStaleTemporariesCleared) {
  const fs::path outside = folder_ / "outside";
  const fs::path root = folder_ / "root";
  fs::create_directories(outside);
  fs::create_directories(root / "Ann" / "levels");
  fs::create_directory_symlink(outside, root / "Bob");
  std::ofstream(root / "Ann" / "levels" / "bridge.cfg.tmp-Ab12Cd") << "torn";
  std::ofstream(root / "Ann" / "levels" / "mine.tmp-1") << "not a save's";
  SetSaveRoot(root.string() + "/");
  std::string error;
  EXPECT_FALSE(SaveFileAtomically((root / "Bob" / "data.cfg").string(), "x", &error));
  EXPECT_NE(error.find("link"), std::string::npos) << error;
  EXPECT_FALSE(SaveFileAtomically(root.string() + "/Ann/../Bob/data.cfg", "x", nullptr));
  EXPECT_TRUE(fs::is_empty(outside));

  EXPECT_TRUE(SaveFileAtomically((root / "Ann" / "levels" / "bridge.cfg").string(), "x", &error))
      << error;
  EXPECT_FALSE(fs::exists(root / "Ann" / "levels" / "bridge.cfg.tmp-Ab12Cd"));
  EXPECT_TRUE(fs::exists(root / "Ann" / "levels" / "mine.tmp-1"));
  // Outside the root a linked folder is the caller's own choice.
  EXPECT_TRUE(SaveFileAtomically((outside / "free.cfg").string(), "x", nullptr));
  SetSaveRoot({});
}
