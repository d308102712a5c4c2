// The whole game, loaded from the generated data in a headless engine with a
// temporary per-user folder: the fixture of tests that drive screens and
// dialogs. A test hands Run a scenario, which runs inside the engine's loop
// once loading is done; the engine then shuts down.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "support/input.h"

class LoadedGame : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Boots on a pretend desktop, in a 1024 x 768 window or full screen.
  void Run(int desktop_w, int desktop_h, bool fullscreen, void (*scenario)());
  // The same with every timer and callback the game's own start registers
  // (music, movies, drawing), in its order: a run that the game started
  // from its command line with the same seed repeats exactly.
  void RunAsTheGame(void (*scenario)());

  std::filesystem::path old_dir;
  std::filesystem::path home;
};
