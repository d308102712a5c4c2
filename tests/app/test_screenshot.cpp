// Where the screenshot key saves: the desktop's user-folder settings.
#include "app/screenshot.h"

#include <gtest/gtest.h>

TEST(Screenshot, PicturesFolderIsReadFromTheDesktopsUserFolderSettings) {
  const std::string home = "/home/ann";
  EXPECT_EQ(PicturesFolderFromUserDirs("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                       "  XDG_PICTURES_DIR=\"$HOME/Bilder/\"\n",
                                       home),
            "/home/ann/Bilder");
  EXPECT_EQ(PicturesFolderFromUserDirs("XDG_PICTURES_DIR=\"/srv/shots\"", home), "/srv/shots");
  // "$HOME/" alone is the desktop's way of saying there is no such folder;
  // comments, relative paths and a missing quote set nothing.
  for (const char* none : {"XDG_PICTURES_DIR=\"$HOME/\"", "# XDG_PICTURES_DIR=\"/x\"",
                           "XDG_PICTURES_DIR=\"Pictures\"", "XDG_PICTURES_DIR=\"$HOMEx/y\"",
                           "XDG_PICTURES_DIR=\"/open", ""})
    EXPECT_EQ(PicturesFolderFromUserDirs(none, home), "") << none;
  EXPECT_EQ(PicturesFolderFromUserDirs("XDG_PICTURES_DIR=\"$HOME/P\"", ""), "");
}
