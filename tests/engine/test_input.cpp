// Input flags, key and click arming, text input editing and UTF-8 stepping.
#include <gtest/gtest.h>

#include "engine/input.h"
#include "engine/utf8.h"

namespace {

InputEvent Ev(InputEvent::Type type, int code = 0) {
  InputEvent e;
  e.type = type;
  e.code = code;
  return e;
}

InputEvent Char(uint32_t cp) {
  InputEvent e;
  e.type = InputEvent::Type::Char;
  e.codepoint = cp;
  return e;
}

using T = InputEvent::Type;

}  // namespace

TEST(Input, HoldingTheButtonGivesOneClickUntilReleaseOrClear) {
  InputState s;
  InputApply(s, Ev(T::ButtonDown, 0));
  EXPECT_TRUE(s.button_clicked[0]);
  InputClearMouse(s);
  EXPECT_FALSE(s.button_clicked[0]);
  EXPECT_TRUE(s.button_down[0]);
  // The platform repeats the press while held: no new click without a release.
  s.button_armed[0] = false;
  InputApply(s, Ev(T::ButtonDown, 0));
  EXPECT_FALSE(s.button_clicked[0]);
  InputApply(s, Ev(T::ButtonUp, 0));
  EXPECT_TRUE(s.button_up[0]);
  InputApply(s, Ev(T::ButtonDown, 0));
  EXPECT_TRUE(s.button_clicked[0]);
}

TEST(Input, ASecondPressWithoutReleaseIsNotASecondClick) {
  InputState s;
  InputApply(s, Ev(T::ButtonDown, 2));
  InputApply(s, Ev(T::ButtonDown, 2));
  EXPECT_TRUE(s.button_clicked[2]);
  EXPECT_FALSE(s.button_armed[2]);
}

TEST(Input, DoubleClickAndWheelFlagsLastUntilCleared) {
  InputState s;
  InputEvent dbl = Ev(T::ButtonDown, 0);
  dbl.double_click = true;
  InputApply(s, dbl);
  InputEvent wheel = Ev(T::Wheel);
  wheel.wheel = -1;
  InputApply(s, wheel);
  EXPECT_TRUE(s.button_double[0]);
  EXPECT_TRUE(s.wheel_down);
  EXPECT_FALSE(s.wheel_up);
  InputClearMouse(s);
  EXPECT_FALSE(s.button_double[0]);
  EXPECT_FALSE(s.wheel_down);
}

TEST(Input, KeyPressIsArmedOncePerClearAndSetsTheCombinedCode) {
  InputState s;
  InputApply(s, Ev(T::KeyDown, key::kShiftRight));
  EXPECT_TRUE(s.key_pressed[key::kShiftRight]);
  EXPECT_TRUE(s.key_down[key::kAnyShift]);
  EXPECT_TRUE(s.key_pressed[key::kAnyShift]);
  EXPECT_EQ(s.last_key_down, key::kShiftRight);
  InputClearKeys(s);
  EXPECT_FALSE(s.key_pressed[key::kShiftRight]);
  EXPECT_TRUE(s.key_down[key::kShiftRight]);  // still held
  EXPECT_EQ(s.last_key_down, 0);
  InputApply(s, Ev(T::KeyUp, key::kShiftRight));
  EXPECT_FALSE(s.key_down[key::kAnyShift]);
  EXPECT_TRUE(s.key_up[key::kAnyShift]);
}

TEST(Input, KeyRepeatDoesNotPressAgainBeforeTheClear) {
  InputState s;
  InputApply(s, Ev(T::KeyDown, key::kEnter));
  s.key_pressed[key::kEnter] = false;  // a handler consumed it
  InputApply(s, Ev(T::KeyDown, key::kEnter));
  EXPECT_FALSE(s.key_pressed[key::kEnter]);
}

TEST(Input, CodesOutsideTheTablesAreDropped) {
  InputState s;
  InputApply(s, Ev(T::KeyDown, 256));
  InputApply(s, Ev(T::KeyDown, -3));
  InputApply(s, Ev(T::ButtonDown, 3));
  InputApply(s, Ev(T::ButtonDown, -1));
  for (bool b : s.key_down) EXPECT_FALSE(b);
  for (bool b : s.button_down) EXPECT_FALSE(b);
}

TEST(Input, TextInputEditsWithBackspaceTabAndIgnoresEnter) {
  InputState s;
  InputApply(s, Char('x'));
  EXPECT_EQ(s.text, "") << "no text while input is inactive";
  s.text_active = true;
  for (uint32_t cp : {uint32_t{'a'}, uint32_t{0xE9}, uint32_t{0x20AC}, uint32_t{9}, uint32_t{13}})
    InputApply(s, Char(cp));
  EXPECT_EQ(s.text, "a\xC3\xA9\xE2\x82\xAC  ");
  InputApply(s, Char(8));
  InputApply(s, Char(8));
  InputApply(s, Char(8));
  EXPECT_EQ(s.text, "a\xC3\xA9");
  InputApply(s, Char(8));
  EXPECT_EQ(s.text, "a");
  InputApply(s, Char(8));
  InputApply(s, Char(8));
  EXPECT_EQ(s.text, "");
}

TEST(Input, TextInputStopsAtTheLengthLimitInCharacters) {
  InputState s;
  s.text_active = true;
  s.text_max_length = 3;
  for (uint32_t cp : {0xE9u, 0xE9u, 0xE9u, 0xE9u}) InputApply(s, Char(cp));
  EXPECT_EQ(Utf8Length(s.text), 3);
  EXPECT_EQ(s.text.size(), 6u);
}

TEST(Utf8, StrayAndCutOffBytesCountOneEachAndDecodeAsZero) {
  EXPECT_EQ(Utf8Length("\x80\xFE\xFF"), 3);
  const std::string cut = "a\xE2\x82";  // a three-byte sequence missing its end
  EXPECT_EQ(Utf8Length(cut), 3);
  const Utf8Step step = Utf8Decode(cut, 1);
  EXPECT_EQ(step.codepoint, 0u);
  EXPECT_EQ(step.next, 2u);
  EXPECT_EQ(Utf8Decode("\xE2\x82\xAC", 0).codepoint, 0x20ACu);
}

TEST(Utf8, RemovingTheLastCharacterOfACutSequenceGoesByteByByte) {
  std::string text = "a\xE2\x82";
  Utf8RemoveLast(text);
  EXPECT_EQ(text, "a\xE2");
  Utf8RemoveLast(text);
  EXPECT_EQ(text, "a");
}
