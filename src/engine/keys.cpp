// Key names and combined codes. The platform's own key table lives with the
// window code (screen.cpp), the only place that knows the platform's keys.
#include "engine/keys.h"

#include <array>
#include <cctype>

namespace {

struct NamedKey {
  std::string_view name;
  int code;
};

// Set-1 codes of the letter and digit rows.
constexpr std::array<NamedKey, 36> kLettersAndDigits{{
    {"A", 0x1E}, {"B", 0x30}, {"C", 0x2E}, {"D", 0x20}, {"E", 0x12}, {"F", 0x21},
    {"G", 0x22}, {"H", 0x23}, {"I", 0x17}, {"J", 0x24}, {"K", 0x25}, {"L", 0x26},
    {"M", 0x32}, {"N", 0x31}, {"O", 0x18}, {"P", 0x19}, {"Q", 0x10}, {"R", 0x13},
    {"S", 0x1F}, {"T", 0x14}, {"U", 0x16}, {"V", 0x2F}, {"W", 0x11}, {"X", 0x2D},
    {"Y", 0x15}, {"Z", 0x2C}, {"1", 0x02}, {"2", 0x03}, {"3", 0x04}, {"4", 0x05},
    {"5", 0x06}, {"6", 0x07}, {"7", 0x08}, {"8", 0x09}, {"9", 0x0A}, {"0", 0x0B},
}};

constexpr std::array<NamedKey, 31> kNamedKeys{{
    {"F1", 0x3B}, {"F2", 0x3C}, {"F3", 0x3D}, {"F4", 0x3E}, {"F5", 0x3F},
    {"F6", 0x40}, {"F7", 0x41}, {"F8", 0x42}, {"F9", 0x43}, {"F10", 0x44},
    {"F11", key::kF11}, {"F12", key::kF12},
    {"Enter", key::kEnter}, {"Tab", key::kTab}, {"Space", key::kSpace},
    {"Home", key::kHome}, {"End", key::kEnd}, {"Escape", key::kEscape},
    {"Backspace", key::kBackspace}, {"Up", key::kUp}, {"Down", key::kDown},
    {"Left", key::kLeft}, {"Right", key::kRight}, {"PageUp", key::kPageUp},
    {"PageDown", key::kPageDown}, {"Insert", key::kInsert}, {"Delete", key::kDelete},
    {"Shift", key::kShiftLeft}, {"Ctrl", key::kCtrl}, {"Alt", key::kAlt},
    {"Windows", key::kWinLeft},
}};

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

int CombinedKeyCode(int code) {
  switch (code) {
    case key::kShiftLeft:
    case key::kShiftRight:
      return key::kAnyShift;
    case key::kAlt:
      return key::kAnyAlt;
    case key::kCtrl:
      return key::kAnyCtrl;
    case key::kWinLeft:
    case key::kWinRight:
      return key::kAnyWindows;
    default:
      return 0;
  }
}

int KeyCodeFromName(std::string_view name) {
  for (const NamedKey& k : kLettersAndDigits)
    if (SameNameIgnoringCase(k.name, name)) return k.code;
  for (const NamedKey& k : kNamedKeys)
    if (SameNameIgnoringCase(k.name, name)) return k.code;
  return -1;
}

std::string_view KeyNameFromCode(int code) {
  for (const NamedKey& k : kLettersAndDigits)
    if (k.code == code) return k.name;
  for (const NamedKey& k : kNamedKeys)
    if (k.code == code) return k.name;
  return {};
}
