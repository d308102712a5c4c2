// The image archive packer: what it writes must open in libzip (the game's
// archive reader) with the password, list its members in order and give
// them back byte for byte, and must refuse a wrong password.
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "pack_folder.h"
#include "support/temp_files.h"
#include "tool_files.h"
#include "zip_file.h"

namespace {

namespace fs = std::filesystem;

class ArchiveFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = MakeTempFolder(std::string("quillmoor_pack_") + info->name());
    ASSERT_FALSE(folder_.empty());
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Write(const std::vector<pack::Member>& members) {
    std::string bytes;
    std::string error;
    EXPECT_TRUE(pack::WriteArchive(members, "58203", &bytes, &error)) << error;
    const std::string path = (folder_ / "images.dat").string();
    EXPECT_TRUE(toolfiles::WriteFile(path, bytes, &error)) << error;
    return path;
  }

  static zip_t* Open(const std::string& path) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    EXPECT_NE(archive, nullptr) << "libzip error " << error;
    return archive;
  }

  // The member's bytes, or nothing when libzip refuses to hand them over.
  static std::optional<std::string> Read(zip_t* archive, zip_uint64_t index) {
    zip_file_t* file = zip_fopen_index(archive, index, 0);
    if (file == nullptr) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    zip_int64_t n = 0;
    while ((n = zip_fread(file, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<std::size_t>(n));
    const bool failed = n < 0;
    zip_fclose(file);
    if (failed) return std::nullopt;
    return bytes;
  }

  static std::vector<pack::Member> Sample() {
    std::string noise;
    uint32_t x = 12345;
    for (int i = 0; i < 5000; ++i) {
      x = x * 1664525U + 1013904223U;
      noise.push_back(static_cast<char>(x >> 24));
    }
    return {
        {"images/common/gbutton.png", noise},                            // stored: does not shrink
        {"images/levels/hotel/ho/h_bg.png", std::string(20000, 'a')},   // deflated
        {"images/splash/empty.png", ""},
    };
  }

  fs::path folder_;
};

TEST_F(ArchiveFile, OpensWithThePasswordListsInOrderAndReadsMembersBackUnchanged) {
  const auto members = Sample();
  zip_t* archive = Open(Write(members));
  ASSERT_NE(archive, nullptr);
  ASSERT_EQ(zip_get_num_entries(archive, 0), 3);
  ASSERT_EQ(zip_set_default_password(archive, "58203"), 0);
  for (zip_uint64_t i = 0; i < 3; ++i) {
    EXPECT_STREQ(zip_get_name(archive, i, 0), members[i].name.c_str());
    zip_stat_t stat;
    ASSERT_EQ(zip_stat_index(archive, i, 0, &stat), 0);
    EXPECT_EQ(stat.encryption_method, ZIP_EM_TRAD_PKWARE);
    EXPECT_EQ(stat.size, members[i].bytes.size());
    const auto bytes = Read(archive, i);
    ASSERT_TRUE(bytes.has_value()) << members[i].name << ": " << zip_strerror(archive);
    EXPECT_EQ(*bytes, members[i].bytes) << members[i].name;
  }
  zip_stat_t stat;
  ASSERT_EQ(zip_stat_index(archive, 1, 0, &stat), 0);
  EXPECT_EQ(stat.comp_method, ZIP_CM_DEFLATE);
  EXPECT_LT(stat.comp_size, 1000u);
  ASSERT_EQ(zip_stat_index(archive, 0, 0, &stat), 0);
  EXPECT_EQ(stat.comp_method, ZIP_CM_STORE);
  zip_close(archive);
}

TEST_F(ArchiveFile, RefusesAWrongOrMissingPassword) {
  zip_t* archive = Open(Write(Sample()));
  ASSERT_NE(archive, nullptr);
  EXPECT_FALSE(Read(archive, 1).has_value());  // no password at all
  for (const char* wrong : {"58204", "5820", "", "58203 "}) {
    zip_set_default_password(archive, wrong);
    for (zip_uint64_t i = 0; i < 2; ++i) EXPECT_FALSE(Read(archive, i).has_value()) << "\"" << wrong << "\"";
  }
  zip_close(archive);
}

TEST_F(ArchiveFile, AnEmptyArchiveIsValid) {
  zip_t* archive = Open(Write({}));
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(zip_get_num_entries(archive, 0), 0);
  zip_close(archive);
}

TEST_F(ArchiveFile, TheSameMembersAlwaysGiveTheSameBytes) {
  std::string a;
  std::string b;
  std::string error;
  ASSERT_TRUE(pack::WriteArchive(Sample(), "58203", &a, &error));
  ASSERT_TRUE(pack::WriteArchive(Sample(), "58203", &b, &error));
  EXPECT_EQ(a, b);
  auto renamed = Sample();
  renamed[0].name = "images/common/gbutton2.png";
  ASSERT_TRUE(pack::WriteArchive(renamed, "58203", &b, &error));
  EXPECT_NE(a, b);
}

TEST_F(ArchiveFile, RefusesNamesThatAreNotPlainRelativePathsAndDuplicates) {
  std::string bytes;
  for (const char* bad : {"", "/etc/passwd", "../up.png", "images/../../up.png", "images//a.png", "images/./a.png",
                          "images\\a.png", "images/a.png/", "images/\n.png"}) {
    std::string error;
    EXPECT_FALSE(pack::WriteArchive({{bad, "x"}}, "58203", &bytes, &error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  std::string error;
  EXPECT_FALSE(pack::WriteArchive({{"images/a.png", "x"}, {"images/a.png", "y"}}, "58203", &bytes, &error));
  EXPECT_NE(error.find("twice"), std::string::npos);
}

TEST_F(ArchiveFile, CollectsFilesSortedWithoutFoldersOrHiddenFiles) {
  const fs::path stage = folder_ / "stage";
  auto put = [&stage](const std::string& name, const std::string& text) {
    fs::create_directories((stage / name).parent_path());
    std::ofstream(stage / name, std::ios::binary) << text;
  };
  put("images/splash/pub.png", "P");
  put("images/common/gbutton.png", "G");
  put("images/levels/hotel/ho/h_bg.png", "H");
  put("images/levels/hotel/lev_bg.png", "L");
  put("images/common/.gbutton.png.swp", "S");
  put("images/.cache/x.png", "C");
  put("other/ignored.png", "O");
  fs::create_directories(stage / "images/levels/empty");

  std::vector<pack::Member> members;
  std::string error;
  ASSERT_TRUE(pack::CollectMembers(stage.string(), "images", &members, &error)) << error;
  std::vector<std::string> names;
  for (const auto& m : members) names.push_back(m.name);
  EXPECT_EQ(names, (std::vector<std::string>{"images/common/gbutton.png", "images/levels/hotel/ho/h_bg.png",
                                             "images/levels/hotel/lev_bg.png", "images/splash/pub.png"}));
  EXPECT_EQ(members[0].bytes, "G");

  members.clear();
  ASSERT_TRUE(pack::CollectMembers((folder_ / "nowhere").string(), "images", &members, &error));
  EXPECT_TRUE(members.empty());
}

}  // namespace
