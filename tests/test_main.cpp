// Test entry: reports go to standard error, never to a message box, and the
// profiles keep the world's progress as the game does.
#include <gtest/gtest.h>

#include "app/game_state.h"
#include "engine/engine.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ResetGameState();
  EngineSettings settings;
  settings.headless = true;
  EngineConfigure(settings);
  return RUN_ALL_TESTS();
}
