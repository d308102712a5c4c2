// A real headless screen for tests that draw: SDL's dummy video driver, the
// software renderer and the logical 1024 x 768 screen mapped 1:1.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

class HeadlessScreen : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The colour 0xRRGGBB of a window pixel of the last drawn frame.
  uint32_t PixelAt(int x, int y);
  // Clears the screen to black before a drawing test.
  void ClearScreen();
};

// Folder of the generated game data (build/game/data/).
std::string GameDataDir();
