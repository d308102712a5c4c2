// The logical 1024 x 768 screen fitted into windows of other shapes, and the
// platform key table.
#include <gtest/gtest.h>

#include <SDL.h>

#include "engine/keys.h"
#include "engine/screen.h"

namespace {
LogicalMapping Fit(int w, int h, bool bars_x = true, bool bars_y = true) {
  return ComputeLogicalMapping(w, h, 1024, 768, bars_x, bars_y, LogicalMapping{});
}
}  // namespace

TEST(LogicalMapping, AFourByThreeWindowNeedsNoBars) {
  const LogicalMapping m = Fit(1600, 1200);
  EXPECT_DOUBLE_EQ(m.scale_x, 1.5625);
  EXPECT_DOUBLE_EQ(m.scale_y, 1.5625);
  EXPECT_EQ(m.offset_x, 0);
  EXPECT_EQ(m.offset_y, 0);
  EXPECT_EQ(m.viewport_width, 1024);
  EXPECT_EQ(m.viewport_height, 768);
}

TEST(LogicalMapping, AWideDesktopGetsBarsLeftAndRight) {
  const LogicalMapping m = Fit(1920, 1080);
  EXPECT_DOUBLE_EQ(m.scale_x, 1.40625);
  EXPECT_DOUBLE_EQ(m.scale_y, 1.40625);
  EXPECT_EQ(m.offset_x, 240);
  EXPECT_EQ(m.offset_y, 0);
  EXPECT_EQ(m.viewport_width, 1365);
  EXPECT_EQ(m.viewport_height, 768);
}

TEST(LogicalMapping, AFiveByFourDesktopGetsBarsAboveAndBelow) {
  const LogicalMapping m = Fit(1280, 1024);
  EXPECT_DOUBLE_EQ(m.scale_x, 1.25);
  EXPECT_EQ(m.offset_x, 0);
  EXPECT_EQ(m.offset_y, 32);
  EXPECT_EQ(m.viewport_height, 819);
}

TEST(LogicalMapping, WithoutBarsTheAxisIsStretched) {
  const LogicalMapping no_x = Fit(1920, 1080, false, true);
  EXPECT_DOUBLE_EQ(no_x.scale_x, 1.875);
  EXPECT_EQ(no_x.offset_x, 0);
  EXPECT_DOUBLE_EQ(no_x.scale_y, 1.40625);
  const LogicalMapping no_y = Fit(1280, 1024, true, false);
  EXPECT_DOUBLE_EQ(no_y.scale_y, 1024.0 / 768.0);
  EXPECT_EQ(no_y.offset_y, 0);
}

TEST(LogicalMapping, AnEmptyClientAreaKeepsThePreviousMapping) {
  const LogicalMapping before = Fit(1920, 1080);
  const LogicalMapping after = ComputeLogicalMapping(0, 0, 1024, 768, true, true, before);
  EXPECT_DOUBLE_EQ(after.scale_x, before.scale_x);
  EXPECT_EQ(after.offset_x, before.offset_x);
}

TEST(KeyTable, PlatformKeysMapToTheGamesCodes) {
  EXPECT_EQ(PlatformKeyCode(SDL_SCANCODE_RETURN), key::kEnter);
  EXPECT_EQ(PlatformKeyCode(SDL_SCANCODE_TAB), key::kTab);
  EXPECT_EQ(PlatformKeyCode(SDL_SCANCODE_SPACE), key::kSpace);
  EXPECT_EQ(PlatformKeyCode(SDL_SCANCODE_F1), 0x3B);
  EXPECT_EQ(PlatformKeyCode(SDL_SCANCODE_S), 0x1F);
  EXPECT_EQ(PlatformKeyCode(SDL_SCANCODE_H), 0x23);
  EXPECT_EQ(PlatformKeyCode(SDL_SCANCODE_UP), 0xC8);
  EXPECT_EQ(PlatformKeyCode(SDL_SCANCODE_HOME), 0xC7);
  EXPECT_EQ(PlatformKeyCode(SDL_SCANCODE_RSHIFT), key::kShiftRight);
  EXPECT_EQ(CombinedKeyCode(PlatformKeyCode(SDL_SCANCODE_RALT)), key::kAnyAlt);
  EXPECT_EQ(CombinedKeyCode(PlatformKeyCode(SDL_SCANCODE_RCTRL)), key::kAnyCtrl);
  EXPECT_EQ(PlatformKeyCode(SDL_SCANCODE_AUDIOPLAY), 0);
}

TEST(KeyTable, NamesAndCodesAgree) {
  for (int code = 0; code < key::kCount; ++code) {
    const std::string_view name = KeyNameFromCode(code);
    if (!name.empty()) {
      EXPECT_EQ(KeyCodeFromName(name), code) << name;
    }
  }
  EXPECT_EQ(KeyCodeFromName("alt"), key::kAlt);
  EXPECT_EQ(KeyCodeFromName("f12"), key::kF12);
  EXPECT_EQ(KeyCodeFromName("nosuchkey"), -1);
}

TEST(RendererChoice, SoftwareWhereOpenGlWouldRunOnTheProcessorAndWhenAsked) {
  // A machine with a graphics device tries the accelerated renderer first.
  EXPECT_EQ(ChooseRenderer(nullptr, nullptr, true), RendererChoice::AcceleratedUnlessCpu);
  EXPECT_EQ(ChooseRenderer("", "0", true), RendererChoice::AcceleratedUnlessCpu);
  EXPECT_EQ(ChooseRenderer("fastest", "false", true), RendererChoice::AcceleratedUnlessCpu);
  // No device, or OpenGL told to draw on the processor: the software one.
  EXPECT_EQ(ChooseRenderer(nullptr, nullptr, false), RendererChoice::Software);
  EXPECT_EQ(ChooseRenderer(nullptr, "1", true), RendererChoice::Software);
  EXPECT_EQ(ChooseRenderer(nullptr, "TRUE", true), RendererChoice::Software);
  // The player's word wins either way, in any letter case.
  EXPECT_EQ(ChooseRenderer("accelerated", "1", false), RendererChoice::Accelerated);
  EXPECT_EQ(ChooseRenderer("Software", nullptr, true), RendererChoice::Software);
}
