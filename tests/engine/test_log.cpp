// The engine log's time stamps, banner and file layout.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/clock.h"
#include "engine/log.h"
#include "support/temp_files.h"

TEST(Log, TimeStampsArePaddedToEightDigitsWithOneBlank) {
  EXPECT_EQ(LogTimeStamp(5), "[00000005ms] ");
  EXPECT_EQ(LogTimeStamp(1234), "[00001234ms] ");
  EXPECT_EQ(LogTimeStamp(123456), "[00123456ms] ");
  EXPECT_EQ(LogTimeStamp(99'999'999), "[99999999ms] ");
}

TEST(Log, TimeStampsPastEightDigitsAreAFixedTextWithoutBlank) {
  EXPECT_EQ(LogTimeStamp(100'000'000), "[00000000ms]");
  EXPECT_EQ(LogTimeStamp(int64_t{1} << 40), "[00000000ms]");
}

TEST(Log, TheFileStartsWithTheBannerAndEndsEveryLineWithCrLf) {
  const std::filesystem::path folder = MakeTempFolder("quillmoor_log");
  ASSERT_FALSE(folder.empty());
  const std::string path = (folder / "log.txt").string();
  ClockStart(true);
  ClockAdvance(40.0);
  ASSERT_TRUE(LogOpen(path, ClockNow()));
  ClockAdvance(1234.0);
  LogLine("Current mode: 1024 x 768", true);
  LogLine("no stamp", false);
  ReportWarning("disk full");
  LogClose();
  EXPECT_FALSE(LogIsOpen());
  LogLine("after close", true);  // ignored

  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string rule(33, '=');
  const std::string expected = rule + "\r\n" + LogBannerLine() + "\r\n" + rule + "\r\n" +
                               "[00000000ms] Begin\r\n"
                               "[00001234ms] Current mode: 1024 x 768\r\n"
                               "no stamp\r\n"
                               "[00001234ms] WARNING: disk full\r\n"
                               "[00001234ms] End\r\n";
  EXPECT_EQ(text.str(), expected);
  EXPECT_EQ(LogBannerLine().size(), 33u);
  EXPECT_EQ(LogBannerLine().substr(0, 4), "=== ");
  EXPECT_EQ(LogBannerLine().substr(29), " ===");
  std::filesystem::remove_all(folder);
}

TEST(Log, AnUncreatableFileLeavesTheLogClosed) {
  EXPECT_FALSE(LogOpen("/nonexistent-folder/log.txt", 0.0));
  EXPECT_FALSE(LogIsOpen());
}
