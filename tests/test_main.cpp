// Test entry: reports go to standard error, never to a message box, and the
// profiles keep the world's progress as the game does.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "story/story.h"
#include "world/progress.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  EngineSettings settings;
  settings.headless = true;
  EngineConfigure(settings);
  RegisterProgress();
  RegisterStory();
  return RUN_ALL_TESTS();
}
