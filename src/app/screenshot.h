// The screenshot key: F12 keeps the picture on the screen as a PNG in the
// player's pictures folder. Depends on the engine's screenshot and the
// desktop's user-folder settings file ("user-dirs.dirs").
#pragma once

#include <string>
#include <string_view>

// The value of XDG_PICTURES_DIR in the text of a "user-dirs.dirs" file, with
// "$HOME" at its start replaced by home; "" when the file does not set it or
// sets it to something that is not a folder path ("$HOME/" alone means the
// home folder itself, which the desktop uses to say "no pictures folder").
std::string PicturesFolderFromUserDirs(std::string_view text, const std::string& home);

// Where screenshots go: $XDG_PICTURES_DIR, else the pictures folder of
// user-dirs.dirs in $XDG_CONFIG_HOME (or ~/.config), else ~/Pictures.
// Never ends with '/'; "" when there is no home folder to start from.
std::string PicturesFolder();

// "quillmoor-YYYYMMDD-HHMMSS.png" for the local time now.
std::string ScreenshotFileName();

// Called by the frame tick after the frame is recorded: on F12 (unless the
// editor's edit mode owns the key) the frame is drawn and saved, the folder
// made when missing, and the "camera" sound confirms it. A failure is one
// log line; the game goes on.
void ScreenshotKey();
