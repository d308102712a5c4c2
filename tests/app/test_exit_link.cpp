// The exit link reaches xdg-open as one argument, never through a shell.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/shell.h"
#include "support/temp_files.h"

namespace fs = std::filesystem;

TEST(ExitLink, TheLinkIsHandedOverAsOneArgumentWithoutAShell) {
  const fs::path dir = MakeTempFolder("quillmoor_link");
  ASSERT_FALSE(dir.empty());
  const fs::path record = dir / "args";
  const fs::path opener = dir / "xdg-open";
  {
    std::ofstream script(opener);
    script << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > \"" << record.string() << ".part\"\n"
           << "mv \"" << record.string() << ".part\" \"" << record.string() << "\"\n";
  }
  fs::permissions(opener, fs::perms::owner_all);
  const std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
  ::setenv("PATH", (dir.string() + ":" + old_path).c_str(), 1);

  const std::string link = "https://example.org/survey?a=1;touch${IFS}pwned&b=`id` $(id)";
  OpenLink(link);
  for (int i = 0; i < 200 && !fs::exists(record); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ::setenv("PATH", old_path.c_str(), 1);

  std::ifstream in(record);
  std::stringstream got;
  got << in.rdbuf();
  EXPECT_EQ(got.str(), "1\n" + link + "\n");
  EXPECT_FALSE(fs::exists(dir / "pwned"));
  EXPECT_FALSE(fs::exists("pwned"));
  fs::remove_all(dir);
}
