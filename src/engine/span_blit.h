// The engine's own span blitter for the software renderer: textured and solid
// parallelograms (every sprite, glyph quad and rectangle, turned or not)
// drawn row by row straight into 32-bit window pixels, with nearest
// sampling and the renderer's own blend arithmetic. The renderer's generic
// triangle path does the same work per pixel with far more bookkeeping.
// Pure pixel arithmetic: no SDL, no engine state.
#pragma once

#include <cstdint>

// Pixels are 0xAARRGGBB in a uint32_t (the alpha byte of a window without
// alpha is written but never shown).
struct SpanTarget {
  uint32_t* pixels = nullptr;
  int pitch = 0;  // in pixels
  // Only pixels with clip_x0 <= x < clip_x1 and clip_y0 <= y < clip_y1 change;
  // the caller keeps this inside the picture.
  int clip_x0 = 0;
  int clip_y0 = 0;
  int clip_x1 = 0;
  int clip_y1 = 0;
};

struct SpanSource {
  const uint32_t* pixels = nullptr;  // nullptr: a solid white pixel
  int pitch = 0;                     // in pixels
  int width = 0;
  int height = 0;
};

enum class SpanBlend { Copy, Blend, Add, Modulate, Multiply };

// Corners in window pixels and texture coordinates 0..1 in the order
// top-left, top-right, bottom-right, bottom-left; the colour and opacity
// scale the source as a tint. A pixel is drawn when its centre lies inside
// (left and top edges in, right and bottom out, so sprites that meet do not
// overlap). False, with nothing drawn, when the corners or the texture
// coordinates are not a parallelogram: the caller draws those some other way.
bool BlitParallelogram(const SpanTarget& target, const SpanSource& source, const float x[4],
                       const float y[4], const float u[4], const float v[4], uint8_t red,
                       uint8_t green, uint8_t blue, uint8_t alpha, SpanBlend blend);
