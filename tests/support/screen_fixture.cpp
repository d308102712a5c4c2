// The headless screen shared by the drawing tests.
#include "support/screen_fixture.h"

#include <SDL.h>

#include "engine/engine.h"
#include "engine/screen.h"

void HeadlessScreen::SetUp() {
  EngineReset();
  EngineSettings settings;
  settings.headless = true;
  settings.desktop_width = 1024;
  settings.desktop_height = 768;
  EngineConfigure(settings);
  ASSERT_TRUE(PlatformInit(true));
  WindowRequest request;
  request.width = 1024;
  request.height = 768;
  request.desktop_width = 1024;
  request.desktop_height = 768;
  ASSERT_TRUE(PlatformCreateWindow(request));
  EnableOption(OPT_FIT_LOGICAL);
  SetLogicalResolution(1024, 768);
  ClearScreen();
}

void HeadlessScreen::TearDown() { EngineReset(); }

void HeadlessScreen::ClearScreen() { PlatformBeginFrame(true); }

uint32_t HeadlessScreen::PixelAt(int x, int y) {
  SDL_Rect one{x, y, 1, 1};
  uint32_t pixel = 0;
  SDL_RenderReadPixels(PlatformRenderer(), &one, SDL_PIXELFORMAT_RGB888, &pixel, 4);
  return pixel & 0xFFFFFF;
}

std::string GameDataDir() { return QUILLMOOR_TEST_GAME_DIR "/data/"; }
