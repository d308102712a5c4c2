// The command line and the exit link rule.
#include <gtest/gtest.h>

#include <vector>

#include "app/cmdline.h"
#include "app/shell.h"

namespace {
CommandLineResult Parse(const std::vector<const char*>& args) {
  std::vector<const char*> argv{"quillmoor"};
  argv.insert(argv.end(), args.begin(), args.end());
  return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}
}  // namespace

TEST(CommandLine, EveryOptionIsRead) {
  const CommandLineResult r = Parse({"--root", "/g", "--home", "/h", "--content", "/c",
                                     "--windowed", "--log", "--seed", "42", "--script", "a.qms", "--desktop", "1280x1024"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.options.root, "/g");
  EXPECT_EQ(r.options.home, "/h");
  EXPECT_EQ(r.options.content, "/c");
  EXPECT_TRUE(r.options.windowed);
  EXPECT_TRUE(r.options.log);
  EXPECT_EQ(r.options.seed.value_or(0), 42u);
  EXPECT_EQ(r.options.script, "a.qms");
  EXPECT_TRUE(r.options.headless) << "a script always runs headless";
  EXPECT_EQ(r.options.desktop_width, 1280);
  EXPECT_EQ(r.options.desktop_height, 1024);
}

TEST(CommandLine, BadOptionsAreRefusedWithOneLine) {
  for (const auto& args : std::vector<std::vector<const char*>>{
           {"--frobnicate"},
           {"--root"},
           {"--content"},
           {"--seed", "-1"},
           {"--seed", "12abc"},
           {"--seed", "99999999999"},
           {"--windowed", "--fullscreen"},
           {"--desktop", "1280x1024"},
           {"--headless", "--desktop", "12x10"},
           {"--headless", "--desktop", "wide"},
       }) {
    const CommandLineResult r = Parse(args);
    EXPECT_FALSE(r.ok) << args[0];
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(r.error.find('\n'), std::string::npos);
  }
}

TEST(ExitLink, OnlyWebLinksAreOpened) {
  EXPECT_TRUE(IsOpenableLink("https://example.org/survey"));
  EXPECT_TRUE(IsOpenableLink("http://example.org/"));
  EXPECT_FALSE(IsOpenableLink("empty"));
  EXPECT_FALSE(IsOpenableLink("NULL"));
  EXPECT_FALSE(IsOpenableLink("file:///etc/passwd"));
  EXPECT_FALSE(IsOpenableLink("; rm -rf ~"));
  EXPECT_FALSE(IsOpenableLink(""));
}
