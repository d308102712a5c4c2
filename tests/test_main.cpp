// Test entry: reports go to standard error, never to a message box.
#include <gtest/gtest.h>

#include "engine/engine.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  EngineSettings settings;
  settings.headless = true;
  EngineConfigure(settings);
  return RUN_ALL_TESTS();
}
