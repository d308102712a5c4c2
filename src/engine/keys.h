// Key codes of the game: PC set-1 keyboard scan codes, with the cursor block
// moved to its own codes and four combined codes for either of a pair of
// modifier keys. The platform layer maps its keys here through one table.
#pragma once

#include <string_view>

namespace key {
inline constexpr int kEscape = 0x01;
inline constexpr int kBackspace = 0x0E;
inline constexpr int kTab = 0x0F;
inline constexpr int kEnter = 0x1C;
inline constexpr int kCtrl = 0x1D;
inline constexpr int kShiftLeft = 0x2A;
inline constexpr int kShiftRight = 0x36;
inline constexpr int kAlt = 0x38;
inline constexpr int kSpace = 0x39;
inline constexpr int kF1 = 0x3B;   // F1..F10 are 0x3B..0x44
inline constexpr int kF4 = 0x3E;
inline constexpr int kF5 = 0x3F;
inline constexpr int kF9 = 0x43;
inline constexpr int kF10 = 0x44;
inline constexpr int kF11 = 0x57;
inline constexpr int kF12 = 0x58;
inline constexpr int kWinLeft = 0x5B;
inline constexpr int kWinRight = 0x5C;
inline constexpr int kHome = 0xC7;
inline constexpr int kUp = 0xC8;
inline constexpr int kPageUp = 0xC9;
inline constexpr int kLeft = 0xCB;
inline constexpr int kRight = 0xCD;
inline constexpr int kEnd = 0xCF;
inline constexpr int kDown = 0xD0;
inline constexpr int kPageDown = 0xD1;
inline constexpr int kInsert = 0xD2;
inline constexpr int kDelete = 0xD3;
// Combined codes: set together with the code of either key of the pair.
inline constexpr int kAnyWindows = 0xFB;
inline constexpr int kAnyShift = 0xFC;
inline constexpr int kAnyAlt = 0xFD;
inline constexpr int kAnyCtrl = 0xFE;

inline constexpr int kCount = 256;
}  // namespace key

// The combined code a key also sets (Shift, Alt, Ctrl, Windows), or 0.
int CombinedKeyCode(int code);

// The code of a key named as automation scripts and players write it: letters
// "A".."Z", digits "0".."9", "F1".."F12", "Enter", "Tab", "Space", "Home",
// "End", "Escape", "Backspace", "Up", "Down", "Left", "Right", "PageUp",
// "PageDown", "Insert", "Delete", "Shift", "Ctrl", "Alt" (any letter case).
// -1 for an unknown name.
int KeyCodeFromName(std::string_view name);
// The canonical name of a code, or "" when it has none.
std::string_view KeyNameFromCode(int code);
