// Feeds arbitrary bytes to the texture loader with the software renderer of a
// headless run behind it. Nothing may crash; a texture that comes back must
// have a sane size with one alpha byte a pixel, must draw, and must free.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/engine.h"
#include "engine/render.h"
#include "engine/screen.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  EngineSettings settings;
  settings.headless = true;
  EngineConfigure(settings);
  WindowRequest window;
  if (!PlatformInit(true) || !PlatformCreateWindow(window)) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Texture* texture = LoadTextureFromMemory("fuzz", data, size);
  if (texture == nullptr) return 0;
  const int w = TextureWidth(texture);
  const int h = TextureHeight(texture);
  if (w <= 0 || h <= 0) abort();
  for (int y = 0; y < h; y += 7)
    for (int x = 0; x < w; x += 7)
      if (TextureAlphaAt(texture, x, y) < 0 || TextureAlphaAt(texture, x, y) > 255) abort();
  DrawSpriteFrame(texture, 3, 7, 5, 10, 10, 40, 30, 30, 200, FX_BLEND | FX_MIRROR_X);
  DeleteTexture(texture);
  if (TextureCount() != 0) abort();
  return 0;
}
