// The engine's drawing services: textures and sprites in logical units.
//
// Everything is drawn through one transform path: the current view (a 2D
// camera), then rotation and mirroring of the sprite, then the logical-to-
// window mapping of the engine frame. Sprites, glyph quads and deformation
// grids all go through it, on the accelerated renderer and on the software
// renderer of headless runs alike. Depends on the renderer the window owns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// --- Textures -----------------------------------------------------------------

struct Texture;  // owned by the engine; freed by DeleteTexture or at shutdown

// Loads a PNG or JPEG image, from the open archive first, else from disk.
// nullptr, and the log line "Unable to load texture: \"name\"", on failure.
Texture* LoadTexture(const std::string& file_name);
// Decodes an image already in memory (the loader's own path; fuzzed).
Texture* LoadTextureFromMemory(const std::string& name, const void* bytes, std::size_t size);

// Decoding apart from making the texture: a worker thread may turn bytes into
// pixels while the main thread draws; only the main thread (SDL's rule) makes
// the texture of them.
struct DecodedImage;  // pixels in the texture format, and whether all are opaque
struct DecodedImageFree {
  void operator()(DecodedImage* image) const;
};
using DecodedImagePtr = std::unique_ptr<DecodedImage, DecodedImageFree>;
// The pixel format textures are kept in; 0 without a renderer. Main thread.
uint32_t TexturePixelFormat();
// The format renderers keep textures in (32-bit words 0xAARRGGBB), for
// decoding before the renderer exists.
uint32_t UsualTexturePixelFormat();
// A PNG or JPEG in memory as pixels in `format`; any thread, logs nothing.
// nullptr when it cannot be decoded; `refusal` then says "w x h" when the
// declared size was too large.
DecodedImagePtr DecodeImage(const void* bytes, std::size_t size, uint32_t format,
                            std::string* refusal);
// What the decoded picture holds in memory.
std::size_t DecodedImageBytes(const DecodedImage& image);
// The texture of decoded pixels (main thread), with a copy of their alpha
// where hit tests cannot read it from the texture. nullptr when the
// renderer refuses or its format has changed.
Texture* TextureFromDecoded(DecodedImage& image);
void DeleteTexture(Texture* texture);
// A picture the game rewrites every frame (a movie's): planar Y, U, V with
// chroma at half size, uploaded by UpdatePictureTexture. Opaque; no hit tests.
Texture* CreatePictureTexture(int width, int height);
bool UpdatePictureTexture(Texture* texture, const uint8_t* y, int y_pitch, const uint8_t* u,
                          int u_pitch, const uint8_t* v, int v_pitch);
int TextureWidth(const Texture* texture);   // 0 for nullptr
int TextureHeight(const Texture* texture);  // 0 for nullptr
// The alpha byte of the pixel at x, y (from the top left): 255 inside an
// opaque picture, 0 outside the picture or without one. Read from memory, so
// hit tests never read from the graphics card.
int TextureAlphaAt(const Texture* texture, int x, int y);
// Textures alive now (the shutdown line "Textures to free: ").
std::size_t TextureCount();
// Frees every texture (shutdown).
void DeleteAllTextures();

// --- Drawing state --------------------------------------------------------------

// Blend modes of sprites and rectangles. The rarer modes map to the closest
// blend the renderer has (see render.cpp).
enum BlendMode : int {
  BLEND_NORMAL = 0,
  BLEND_ADD = 1,
  BLEND_MULTIPLY = 2,
  BLEND_BLACK = 3,
  BLEND_WHITE = 4,
  BLEND_MASK = 5,
};

// Sprite effect bits.
inline constexpr uint32_t FX_MIRROR_X = 0x000001;
inline constexpr uint32_t FX_BLEND = 0x100000;

// Colour (0xRRGGBB; 0xFFFFFF leaves the image as it is) and blend mode used
// by the following sprite, quad and rectangle draws.
void SetDrawColor(uint32_t rgb);
void SetDrawBlend(int mode);
void ResetDrawState();  // white, normal blend

// A 2D camera: the world moves by -(x, y), then is zoomed and turned (angle
// in degrees) about the centre.
struct View {
  float x = 0.0f;
  float y = 0.0f;
  float angle = 0.0f;
  float zoom_x = 1.0f;
  float zoom_y = 1.0f;
  float centre_x = 512.0f;
  float centre_y = 384.0f;
};
// Later draws go through the view; nullptr restores the plain logical screen.
void SetView(const View* view);

// Clipping to a logical rectangle (rounded to whole units), until ended.
void BeginClip(float x, float y, float w, float h);
void EndClip();

// Consecutive draws may be sent together; the draw callback brackets the
// play-back of the draw list with these.
void BeginBatch();
void EndBatch();
// Sends what the batch has gathered so far; engine code that draws with the
// renderer itself (the movie) calls it first so the order on screen holds.
void FlushBatch();

// On the software renderer sprites, glyphs and rectangles are drawn by the
// engine's own span blitter (on unless turned off); off, they go to the
// renderer as triangles, the way the accelerated renderer draws them, which
// is the picture the blitter's is compared with.
void SetSoftwareBlitter(bool on);

// --- Drawing ------------------------------------------------------------------------

struct SourceRect {
  float x = 0.0f;
  float y = 0.0f;
  float w = 0.0f;
  float h = 0.0f;
};

// The whole texture into the rectangle, turned by angle degrees about its
// centre, opacity 0..255.
void DrawSprite(const Texture* texture, float x, float y, float w, float h, float angle,
                uint8_t opacity, uint32_t effects);
// Part of the texture (in texture pixels) into the rectangle.
void DrawSpritePart(const Texture* texture, const SourceRect& source, float x, float y, float w,
                    float h, float angle, uint8_t opacity, uint32_t effects);
// One cell of a texture cut into frames of frame_w x frame_h, counted left to
// right, top to bottom; a frame number past the last cell wraps round. A
// frame size of 0 draws nothing.
void DrawSpriteFrame(const Texture* texture, int frame, int frame_w, int frame_h, float x, float y,
                     float w, float h, float angle, uint8_t opacity, uint32_t effects);

// A texture mapped over a grid of (columns + 1) x (rows + 1) nodes given in
// logical units, offset by (x, y); texture coordinates spread evenly.
struct DeformGrid {
  int columns = 0;
  int rows = 0;
  std::vector<float> points;  // x, y per node, row by row
};
void DrawGridSprite(const Texture* texture, const DeformGrid& grid, float x, float y,
                    uint8_t opacity, uint32_t effects);

// Textured quads from one texture (glyphs): corners in logical units and
// texture coordinates 0..1, in the order top-left, top-right, bottom-right,
// bottom-left.
struct TexturedQuad {
  float x[4];
  float y[4];
  float u[4];
  float v[4];
};
void DrawTexturedQuads(const Texture* texture, const TexturedQuad* quads, std::size_t count,
                       uint8_t opacity);

void FillRect(float x, float y, float w, float h, uint32_t rgb, uint8_t opacity);
void DrawRectOutline(float x, float y, float w, float h, uint32_t rgb, uint8_t opacity);
