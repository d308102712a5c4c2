// The engine's drawing services over SDL_Renderer: textures decoded from PNG
// and JPEG with their alpha kept in memory, and every sprite, glyph quad,
// deformation grid and rectangle sent through one transform path (view,
// sprite rotation and mirroring, logical-to-window mapping) as geometry.
// Depends on the renderer the window owns (screen.h) and on the game files
// (archive.h) for the bytes of images. On the software renderer the engine's
// span blitter (span_blit.h) draws quads straight into the window's pixels.
#include "engine/render.h"

#include <SDL.h>        // renderer, textures, geometry
#include <SDL_image.h>  // JPEG (and PNG in other layouts) decoding from memory

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "engine/archive.h"
#include "engine/engine.h"
#include "engine/log.h"
#include "engine/png_read.h"
#include "engine/screen.h"
#include "engine/span_blit.h"

struct Texture {
  SDL_Texture* sdl = nullptr;
  SDL_Renderer* owner = nullptr;  // the renderer the texture lives on
  int width = 0;
  int height = 0;
  bool opaque = false;  // every alpha byte 255: blending it is copying it
  // The alpha byte of every pixel for hit tests, kept only where nothing
  // else holds it: not for opaque pictures, nor where `pixels` below has it.
  std::vector<uint8_t> alpha;
  // On the software renderer, the renderer's own copy of the pixels
  // (0xAARRGGBB), read by the span blitter; nullptr elsewhere.
  const uint32_t* pixels = nullptr;
  int pitch = 0;  // in pixels
};

namespace {

// The largest picture the game accepts, far beyond any it paints (its
// screens are 1024 x 768): the declared size is checked before anything is
// decoded, so a hostile header cannot make the decoder reserve gigabytes.
constexpr int kMaxImageSide = 8192;
constexpr int64_t kMaxImagePixels = int64_t{4096} * 4096;

// Window coordinates further out than this are not drawn: nothing that far
// can reach the screen, and the rasteriser's fixed-point arithmetic must not
// see them.
constexpr float kFarAway = 1.0e6f;

constexpr int kQuadIndices[6] = {0, 1, 2, 0, 2, 3};

struct Point {
  float x;
  float y;
};

struct RenderState {
  std::vector<Texture*> textures;  // alive, in no particular order

  uint32_t colour = 0xFFFFFF;
  int blend = BLEND_NORMAL;

  bool view_on = false;
  View view;
  float view_cos = 1.0f;
  float view_sin = 0.0f;

  bool clipping = false;
  SDL_Rect clip{0, 0, 0, 0};  // window pixels

  bool batching = false;
  bool blitter_on = true;
  int output_w = 0;
  int output_h = 0;

  // Geometry gathered for one texture and blend, not yet sent.
  SDL_Texture* pending_texture = nullptr;
  SDL_BlendMode pending_blend = SDL_BLENDMODE_BLEND;
  std::vector<SDL_Vertex> vertices;
  std::vector<int> indices;
  std::vector<SDL_Vertex> grid_scratch;
  std::vector<int> grid_indices;
};

RenderState g_render;

void LogUnableToLoad(const std::string& name) {
  LogLine("Unable to load texture: \"" + name + "\"", true);
}

// --- Image headers ---------------------------------------------------------------

enum class ImageKind { Unknown, Png, Jpeg };

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
int BigEndian16(const uint8_t* p) { return (p[0] << 8) | p[1]; }

// Every chunk, up to and including the end chunk, lies inside the bytes.
// The decoder's reader does not notice when it runs out of input and would
// go on skipping chunk lengths read from stale bytes without end, so a file
// cut short is refused before it gets there.
bool PngChunksComplete(const uint8_t* p, std::size_t n) {
  std::size_t i = 8;
  while (n - i >= 12) {
    const uint32_t length = BigEndian32(p + i);
    if (length > 0x7FFFFFFFu || length > n - i - 12) return false;
    const bool end = std::memcmp(p + i + 4, "IEND", 4) == 0;
    i += 12 + length;
    if (end) return true;
  }
  return false;
}

bool PngSize(const uint8_t* p, std::size_t n, int64_t* w, int64_t* h) {
  if (n < 24 || std::memcmp(p, kPngSignature, 8) != 0) return false;
  if (std::memcmp(p + 12, "IHDR", 4) != 0 || !PngChunksComplete(p, n)) return false;
  *w = BigEndian32(p + 16);
  *h = BigEndian32(p + 20);
  return true;
}

// Walks the markers up to the first frame header, skipping stray bytes between
// segments the way the decoder does.
bool JpegSize(const uint8_t* p, std::size_t n, int64_t* w, int64_t* h) {
  if (n < 4 || p[0] != 0xFF || p[1] != 0xD8) return false;
  std::size_t i = 2;
  while (i + 1 < n) {
    if (p[i] != 0xFF) {
      ++i;
      continue;
    }
    const uint8_t marker = p[i + 1];
    if (marker == 0xFF || marker == 0x00) {
      ++i;
      continue;
    }
    i += 2;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
    if (marker == 0xD9 || marker == 0xDA) return false;  // image ends or scan starts unframed
    if (i + 2 > n) return false;
    const std::size_t length = static_cast<std::size_t>(BigEndian16(p + i));
    if (length < 2) return false;
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (length < 7 || i + 7 > n) return false;
      *h = BigEndian16(p + i + 3);
      *w = BigEndian16(p + i + 5);
      return true;
    }
    i += length;
  }
  return false;
}

ImageKind SniffImage(const uint8_t* p, std::size_t n, int64_t* w, int64_t* h) {
  if (PngSize(p, n, w, h)) return ImageKind::Png;
  if (JpegSize(p, n, w, h)) return ImageKind::Jpeg;
  return ImageKind::Unknown;
}

bool AcceptableSize(int64_t w, int64_t h) {
  return w > 0 && h > 0 && w <= kMaxImageSide && h <= kMaxImageSide && w * h <= kMaxImagePixels;
}

// --- Textures ----------------------------------------------------------------------

// A texture made on a renderer that has since gone (the window was closed)
// draws nothing; the renderer took its pixels with it.
bool Usable(const Texture* texture, SDL_Renderer* renderer) {
  return texture != nullptr && texture->sdl != nullptr && texture->owner == renderer;
}

void DestroyTexture(Texture* texture) {
  if (texture->sdl != nullptr && texture->owner == PlatformRenderer())
    SDL_DestroyTexture(texture->sdl);
  delete texture;
}

// The 32-bit format with alpha that the renderer keeps textures in: pictures
// are converted into it once, straight after decoding.
Uint32 TextureFormat(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) == 0) {
    for (Uint32 i = 0; i < info.num_texture_formats; ++i) {
      const Uint32 format = info.texture_formats[i];
      if (!SDL_ISPIXELFORMAT_FOURCC(format) && SDL_ISPIXELFORMAT_ALPHA(format) &&
          SDL_BYTESPERPIXEL(format) == 4)
        return format;
    }
  }
  return SDL_PIXELFORMAT_ARGB8888;
}

// A PNG decoded into a new picture of a 32-bit format with alpha on top;
// nullptr when it is damaged, too large, or one for the general loader.
SDL_Surface* DecodePngAs(const void* bytes, std::size_t size, uint32_t format, bool* opaque) {
  int w = 0;
  int h = 0;
  if (!PngPictureSize(bytes, size, &w, &h) || !AcceptableSize(w, h)) return nullptr;
  SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, format);
  if (picture == nullptr) return nullptr;
  if (!PngDecodeInto(bytes, size, format == SDL_PIXELFORMAT_ARGB8888, picture->pixels,
                     picture->pitch, opaque)) {
    SDL_FreeSurface(picture);
    return nullptr;
  }
  return picture;
}

// Whether every pixel of a 32-bit picture has alpha 255.
bool AllOpaque(SDL_Surface* picture) {
  if (SDL_LockSurface(picture) != 0) return false;
  const uint32_t mask = picture->format->Amask;
  const auto* pixels = static_cast<const uint8_t*>(picture->pixels);
  bool opaque = mask != 0;
  for (int y = 0; opaque && y < picture->h; ++y) {
    const uint8_t* row =
        pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture->pitch);
    for (int x = 0; x < picture->w; ++x) {
      uint32_t pixel = 0;
      std::memcpy(&pixel, row + static_cast<std::size_t>(x) * 4, 4);
      if ((pixel & mask) != mask) {
        opaque = false;
        break;
      }
    }
  }
  SDL_UnlockSurface(picture);
  return opaque;
}

// The alpha byte of every pixel, rows from the top, from a 32-bit picture.
bool CopyAlpha(SDL_Surface* picture, std::vector<uint8_t>* alpha) {
  if (SDL_LockSurface(picture) != 0) return false;
  const SDL_PixelFormat* format = picture->format;
  const auto w = static_cast<std::size_t>(picture->w);
  const auto h = static_cast<std::size_t>(picture->h);
  alpha->resize(w * h);
  const auto* pixels = static_cast<const uint8_t*>(picture->pixels);
  for (std::size_t y = 0; y < h; ++y) {
    const uint8_t* row = pixels + y * static_cast<std::size_t>(picture->pitch);
    uint8_t* out = alpha->data() + y * w;
    for (std::size_t x = 0; x < w; ++x) {
      uint32_t pixel = 0;
      std::memcpy(&pixel, row + x * 4, 4);
      out[x] = static_cast<uint8_t>((pixel & format->Amask) >> format->Ashift);
    }
  }
  SDL_UnlockSurface(picture);
  return true;
}

bool IsSoftware(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  return SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
}

// On the software renderer a streaming texture is a plain picture in memory
// whose lock hands out its own pixels without copying; they stay where they
// are until the texture is destroyed, so the span blitter reads them there.
SDL_Texture* MakeTexture(SDL_Renderer* renderer, SDL_Surface* picture, Texture* owner) {
  const bool software = IsSoftware(renderer) && picture->format->format == SDL_PIXELFORMAT_ARGB8888;
  SDL_Texture* texture = SDL_CreateTexture(
      renderer, picture->format->format,
      software ? SDL_TEXTUREACCESS_STREAMING : SDL_TEXTUREACCESS_STATIC, picture->w, picture->h);
  if (texture == nullptr) return nullptr;
  int updated = SDL_LockSurface(picture);
  if (updated == 0) {
    updated = SDL_UpdateTexture(texture, nullptr, picture->pixels, picture->pitch);
    SDL_UnlockSurface(picture);
  }
  if (updated != 0) {
    SDL_DestroyTexture(texture);
    return nullptr;
  }
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
  void* pixels = nullptr;
  int pitch = 0;
  if (software && SDL_LockTexture(texture, nullptr, &pixels, &pitch) == 0) {
    SDL_UnlockTexture(texture);
    owner->pixels = static_cast<const uint32_t*>(pixels);
    owner->pitch = pitch / 4;
  }
  return texture;
}

// --- Blend modes -----------------------------------------------------------------------

SDL_BlendMode SdlBlend(int mode, bool blended) {
  switch (mode) {
    case BLEND_ADD:
      return SDL_BLENDMODE_ADD;
    case BLEND_MULTIPLY:
      return SDL_BLENDMODE_MUL;
    case BLEND_BLACK:
      // The image's shape in black, a shadow: plain blending with the colour
      // forced to black (see DrawColour), exact on every renderer.
      return SDL_BLENDMODE_BLEND;
    case BLEND_WHITE:
      // Lightens where the image is opaque. No renderer blend paints a pure
      // white silhouette of a dark image; adding the image is the nearest.
      return SDL_BLENDMODE_ADD;
    case BLEND_MASK:
      // The screen multiplied by the image: it shows through where the mask
      // is white and goes dark where it is black. Renderers keep no stencil.
      return SDL_BLENDMODE_MOD;
    default:
      // Without the blend effect bit an image is copied, alpha and all.
      return blended ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE;
  }
}

// Normal blending of a fully opaque image at full opacity changes nothing
// but the speed: the software renderer copies rows far faster than it blends.
SDL_BlendMode SpriteBlend(const Texture* texture, uint8_t opacity, uint32_t effects) {
  const int mode = g_render.blend;
  const bool normal = mode < BLEND_ADD || mode > BLEND_MASK;
  if (normal && texture->opaque && opacity == 255) return SDL_BLENDMODE_NONE;
  return SdlBlend(mode, (effects & FX_BLEND) != 0);
}

SDL_Color DrawColour(uint32_t rgb, uint8_t opacity) {
  if (g_render.blend == BLEND_BLACK) rgb = 0;
  return SDL_Color{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                   static_cast<uint8_t>(rgb), opacity};
}

// --- The transform path ------------------------------------------------------------------

// Logical units to window pixels: through the view when one is set, then the
// engine frame's mapping of the logical screen onto the window.
SDL_FPoint ToWindow(Point p) {
  const RenderState& s = g_render;
  if (s.view_on) {
    const View& v = s.view;
    const float dx = (p.x - v.x - v.centre_x) * v.zoom_x;
    const float dy = (p.y - v.y - v.centre_y) * v.zoom_y;
    p.x = v.centre_x + dx * s.view_cos - dy * s.view_sin;
    p.y = v.centre_y + dx * s.view_sin + dy * s.view_cos;
  }
  const LogicalMapping& m = EngineCurrentMapping();
  return SDL_FPoint{static_cast<float>(static_cast<double>(p.x) * m.scale_x + m.offset_x),
                    static_cast<float>(static_cast<double>(p.y) * m.scale_y + m.offset_y)};
}

// The corners of a rectangle turned by angle degrees about its centre:
// top-left, top-right, bottom-right, bottom-left. Positive angles turn
// clockwise on the screen.
void SpriteCorners(float x, float y, float w, float h, float angle, Point out[4]) {
  const float hw = w * 0.5f;
  const float hh = h * 0.5f;
  const float cx = x + hw;
  const float cy = y + hh;
  const Point local[4] = {{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}};
  float c = 1.0f;
  float s = 0.0f;
  if (angle != 0.0f) {
    const double radians = static_cast<double>(angle) * (std::numbers::pi / 180.0);
    c = static_cast<float>(std::cos(radians));
    s = static_cast<float>(std::sin(radians));
  }
  for (int i = 0; i < 4; ++i) {
    out[i] = Point{cx + local[i].x * c - local[i].y * s, cy + local[i].x * s + local[i].y * c};
  }
}

// Pixel coordinates for the clip rectangle, kept within int range.
int ToPixel(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::lround(std::clamp(v, -16.0e6, 16.0e6)));
}

// Whether geometry can show at all: finite, not absurdly far, and (with the
// engine's skip option) touching the part of the window that can change.
bool Drawable(const SDL_Vertex* v, std::size_t count) {
  float min_x = std::numeric_limits<float>::max();
  float min_y = min_x;
  float max_x = std::numeric_limits<float>::lowest();
  float max_y = max_x;
  for (std::size_t i = 0; i < count; ++i) {
    const float x = v[i].position.x;
    const float y = v[i].position.y;
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > kFarAway ||
        std::fabs(y) > kFarAway)
      return false;
    min_x = std::min(min_x, x);
    max_x = std::max(max_x, x);
    min_y = std::min(min_y, y);
    max_y = std::max(max_y, y);
  }
  if (!(EngineOptions() & OPT_SKIP_OFFSCREEN)) return true;
  const RenderState& s = g_render;
  float left = 0.0f;
  float top = 0.0f;
  auto right = static_cast<float>(s.output_w);
  auto bottom = static_cast<float>(s.output_h);
  if (s.clipping) {
    left = static_cast<float>(s.clip.x);
    top = static_cast<float>(s.clip.y);
    right = static_cast<float>(s.clip.x + s.clip.w);
    bottom = static_cast<float>(s.clip.y + s.clip.h);
  }
  return max_x >= left && min_x <= right && max_y >= top && min_y <= bottom;
}

void ReadOutputSize(SDL_Renderer* renderer) {
  if (renderer != nullptr)
    SDL_GetRendererOutputSize(renderer, &g_render.output_w, &g_render.output_h);
}

// The renderer to draw on, or nullptr; outside a batch the output size is
// read again for every draw, as the window may have changed.
SDL_Renderer* DrawTarget() {
  SDL_Renderer* renderer = PlatformRenderer();
  if (!g_render.batching) ReadOutputSize(renderer);
  return renderer;
}

void Flush() {
  RenderState& s = g_render;
  if (s.indices.empty()) return;
  SDL_Renderer* renderer = PlatformRenderer();
  if (renderer != nullptr) {
    if (s.pending_texture != nullptr)
      SDL_SetTextureBlendMode(s.pending_texture, s.pending_blend);
    else
      SDL_SetRenderDrawBlendMode(renderer, s.pending_blend);
    SDL_RenderGeometry(renderer, s.pending_texture, s.vertices.data(),
                       static_cast<int>(s.vertices.size()), s.indices.data(),
                       static_cast<int>(s.indices.size()));
  }
  s.vertices.clear();
  s.indices.clear();
}

// Adds triangles to the pending geometry; a change of texture or blend sends
// what was gathered first. Outside a batch everything is sent at once.
void Submit(SDL_Texture* texture, SDL_BlendMode blend, const SDL_Vertex* vertices,
            std::size_t vertex_count, const int* indices, std::size_t index_count) {
  RenderState& s = g_render;
  if (!Drawable(vertices, vertex_count)) return;
  if (!s.indices.empty() && (texture != s.pending_texture || blend != s.pending_blend)) Flush();
  s.pending_texture = texture;
  s.pending_blend = blend;
  const int base = static_cast<int>(s.vertices.size());
  s.vertices.insert(s.vertices.end(), vertices, vertices + vertex_count);
  for (std::size_t i = 0; i < index_count; ++i) s.indices.push_back(base + indices[i]);
  if (!s.batching) Flush();
}

// The window's pixels when the span blitter may draw into them: the
// software renderer drawing to the window itself (no target texture, no
// scaling or offset of its own) in a 32-bit format. What the renderer and
// the batch have queued is drawn first, so the order on screen holds.
bool DirectTarget(SDL_Renderer* renderer, SpanTarget* target) {
  const RenderState& s = g_render;
  if (!s.blitter_on || renderer == nullptr || !IsSoftware(renderer)) return false;
  if (SDL_GetRenderTarget(renderer) != nullptr) return false;
  float scale_x = 0.0f;
  float scale_y = 0.0f;
  SDL_RenderGetScale(renderer, &scale_x, &scale_y);
  SDL_Rect viewport;
  SDL_RenderGetViewport(renderer, &viewport);
  if (scale_x != 1.0f || scale_y != 1.0f || viewport.x != 0 || viewport.y != 0) return false;
  SDL_Window* window = SDL_RenderGetWindow(renderer);
  SDL_Surface* surface = window != nullptr ? SDL_GetWindowSurface(window) : nullptr;
  if (surface == nullptr || SDL_MUSTLOCK(surface) || surface->pixels == nullptr) return false;
  const Uint32 format = surface->format->format;
  if (format != SDL_PIXELFORMAT_RGB888 && format != SDL_PIXELFORMAT_ARGB8888) return false;
  Flush();
  SDL_RenderFlush(renderer);
  target->pixels = static_cast<uint32_t*>(surface->pixels);
  target->pitch = surface->pitch / 4;
  target->clip_x0 = 0;
  target->clip_y0 = 0;
  target->clip_x1 = std::min(surface->w, viewport.w);
  target->clip_y1 = std::min(surface->h, viewport.h);
  if (s.clipping) {
    target->clip_x0 = std::max(0, s.clip.x);
    target->clip_y0 = std::max(0, s.clip.y);
    target->clip_x1 = std::min(target->clip_x1, s.clip.x + s.clip.w);
    target->clip_y1 = std::min(target->clip_y1, s.clip.y + s.clip.h);
  }
  return true;
}

SpanBlend ToSpanBlend(SDL_BlendMode blend) {
  switch (blend) {
    case SDL_BLENDMODE_BLEND:
      return SpanBlend::Blend;
    case SDL_BLENDMODE_ADD:
      return SpanBlend::Add;
    case SDL_BLENDMODE_MOD:
      return SpanBlend::Modulate;
    case SDL_BLENDMODE_MUL:
      return SpanBlend::Multiply;
    default:
      return SpanBlend::Copy;
  }
}

// A sprite, glyph or rectangle (texture nullptr): drawn at once by the span
// blitter on the software renderer, else gathered as two triangles.
void SubmitQuad(const Texture* texture, SDL_BlendMode blend, const Point corners[4],
                const float u[4], const float v[4], SDL_Color colour) {
  SDL_Vertex quad[4];
  for (int i = 0; i < 4; ++i) {
    quad[i].position = ToWindow(corners[i]);
    quad[i].color = colour;
    quad[i].tex_coord = SDL_FPoint{u[i], v[i]};
  }
  SpanTarget target;
  if ((texture == nullptr || texture->pixels != nullptr) && Drawable(quad, 4) &&
      DirectTarget(PlatformRenderer(), &target)) {
    SpanSource source;
    if (texture != nullptr)
      source = SpanSource{texture->pixels, texture->pitch, texture->width, texture->height};
    const float wx[4] = {quad[0].position.x, quad[1].position.x, quad[2].position.x,
                         quad[3].position.x};
    const float wy[4] = {quad[0].position.y, quad[1].position.y, quad[2].position.y,
                         quad[3].position.y};
    if (BlitParallelogram(target, source, wx, wy, u, v, colour.r, colour.g, colour.b, colour.a,
                          ToSpanBlend(blend)))
      return;
  }
  Submit(texture != nullptr ? texture->sdl : nullptr, blend, quad, 4, kQuadIndices, 6);
}

void SubmitRect(float x, float y, float w, float h, SDL_Color colour, SDL_BlendMode blend) {
  const Point corners[4] = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
  const float zero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  SubmitQuad(nullptr, blend, corners, zero, zero, colour);
}

}  // namespace

// --- Textures ----------------------------------------------------------------------------

Texture* LoadTexture(const std::string& file_name) {
  if (!PlatformHasRenderer()) {
    LogUnableToLoad(file_name);
    return nullptr;
  }
  std::string bytes;
  if (!ReadGameFile(file_name, &bytes)) {
    LogUnableToLoad(file_name);
    return nullptr;
  }
  return LoadTextureFromMemory(file_name, bytes.data(), bytes.size());
}

struct DecodedImage {
  SDL_Surface* picture = nullptr;  // owned, in the format asked for
  bool opaque = false;
};

void DecodedImageFree::operator()(DecodedImage* image) const {
  if (image == nullptr) return;
  if (image->picture != nullptr) SDL_FreeSurface(image->picture);
  delete image;
}

uint32_t TexturePixelFormat() {
  SDL_Renderer* renderer = PlatformRenderer();
  return renderer == nullptr ? 0 : TextureFormat(renderer);
}

uint32_t UsualTexturePixelFormat() { return SDL_PIXELFORMAT_ARGB8888; }

std::size_t DecodedImageBytes(const DecodedImage& image) {
  return static_cast<std::size_t>(image.picture->pitch) *
             static_cast<std::size_t>(image.picture->h);
}

DecodedImagePtr DecodeImage(const void* bytes, std::size_t size, uint32_t format,
                            std::string* refusal) {
  if (bytes == nullptr || size == 0 || format == 0 ||
      size > static_cast<std::size_t>(std::numeric_limits<int>::max()))
    return nullptr;
  int64_t declared_w = 0;
  int64_t declared_h = 0;
  const ImageKind kind =
      SniffImage(static_cast<const uint8_t*>(bytes), size, &declared_w, &declared_h);
  if (kind == ImageKind::Unknown) return nullptr;
  if (!AcceptableSize(declared_w, declared_h)) {
    if (refusal != nullptr)
      *refusal = std::to_string(declared_w) + " x " + std::to_string(declared_h);
    return nullptr;
  }
  DecodedImagePtr image(new DecodedImage);
  bool opaque_file = false;
  if (kind == ImageKind::Png &&
      (format == SDL_PIXELFORMAT_ARGB8888 || format == SDL_PIXELFORMAT_ABGR8888)) {
    // Straight into the texture's layout: no picture to convert after.
    image->picture = DecodePngAs(bytes, size, format, &opaque_file);
  }
  if (image->picture == nullptr) {
    opaque_file = false;
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    SDL_Surface* decoded = nullptr;
    if (stream != nullptr) {
      decoded = kind == ImageKind::Png ? IMG_LoadPNG_RW(stream) : IMG_LoadJPG_RW(stream);
      SDL_RWclose(stream);
    }
    if (decoded != nullptr && AcceptableSize(decoded->w, decoded->h))
      image->picture = SDL_ConvertSurfaceFormat(decoded, format, 0);
    if (decoded != nullptr) SDL_FreeSurface(decoded);
  }
  if (image->picture == nullptr) return nullptr;
  image->opaque = opaque_file || AllOpaque(image->picture);
  return image;
}

Texture* TextureFromDecoded(DecodedImage& image) {
  SDL_Renderer* renderer = PlatformRenderer();
  if (renderer == nullptr || image.picture == nullptr ||
      image.picture->format->format != TextureFormat(renderer))
    return nullptr;
  auto texture = new Texture;
  texture->sdl = MakeTexture(renderer, image.picture, texture);
  if (texture->sdl == nullptr) {
    delete texture;
    return nullptr;
  }
  texture->owner = renderer;
  texture->width = image.picture->w;
  texture->height = image.picture->h;
  texture->opaque = image.opaque;
  // Hit tests read the alpha where the texture keeps its pixels in memory;
  // a texture on the graphics card keeps a copy of it, unless it is opaque.
  const bool needs_alpha = !texture->opaque && texture->pixels == nullptr;
  if (needs_alpha && !CopyAlpha(image.picture, &texture->alpha)) {
    DestroyTexture(texture);
    return nullptr;
  }
  g_render.textures.push_back(texture);
  return texture;
}

Texture* LoadTextureFromMemory(const std::string& name, const void* bytes, std::size_t size) {
  SDL_Renderer* renderer = PlatformRenderer();
  std::string refusal;
  DecodedImagePtr image;
  if (renderer != nullptr) image = DecodeImage(bytes, size, TextureFormat(renderer), &refusal);
  if (!refusal.empty()) LogLine("Image size refused: \"" + name + "\" (" + refusal + ")", true);
  Texture* texture = image != nullptr ? TextureFromDecoded(*image) : nullptr;
  if (texture == nullptr) LogUnableToLoad(name);
  return texture;
}

Texture* CreatePictureTexture(int width, int height) {
  SDL_Renderer* renderer = PlatformRenderer();
  if (renderer == nullptr || !AcceptableSize(width, height)) return nullptr;
  SDL_Texture* sdl = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_IYUV,
                                       SDL_TEXTUREACCESS_STREAMING, width, height);
  if (sdl == nullptr) {
    LogLine("Unable to create a movie picture: " + std::string(SDL_GetError()), true);
    return nullptr;
  }
  SDL_SetTextureScaleMode(sdl, SDL_ScaleModeLinear);
  auto texture = new Texture;
  texture->sdl = sdl;
  texture->owner = renderer;
  texture->width = width;
  texture->height = height;
  texture->opaque = true;
  g_render.textures.push_back(texture);
  return texture;
}

bool UpdatePictureTexture(Texture* texture, const uint8_t* y, int y_pitch, const uint8_t* u,
                          int u_pitch, const uint8_t* v, int v_pitch) {
  if (texture == nullptr || texture->sdl == nullptr) return false;
  // A draw still queued with the old picture is played back first.
  if (texture->sdl == g_render.pending_texture) Flush();
  return SDL_UpdateYUVTexture(texture->sdl, nullptr, y, y_pitch, u, u_pitch, v, v_pitch) == 0;
}

void DeleteTexture(Texture* texture) {
  if (texture == nullptr) return;
  RenderState& s = g_render;
  const auto it = std::find(s.textures.begin(), s.textures.end(), texture);
  if (it == s.textures.end()) return;  // not ours, or freed already
  if (texture->sdl != nullptr && texture->sdl == s.pending_texture) Flush();
  *it = s.textures.back();
  s.textures.pop_back();
  DestroyTexture(texture);
}

int TextureWidth(const Texture* texture) { return texture != nullptr ? texture->width : 0; }
int TextureHeight(const Texture* texture) { return texture != nullptr ? texture->height : 0; }

int TextureAlphaAt(const Texture* texture, int x, int y) {
  if (texture == nullptr || x < 0 || y < 0 || x >= texture->width || y >= texture->height)
    return 0;
  if (texture->opaque) return 255;
  if (texture->pixels != nullptr && texture->owner == PlatformRenderer())
    return static_cast<int>(texture->pixels[static_cast<std::size_t>(y) * texture->pitch + x] >>
                            24);
  const std::size_t index =
      static_cast<std::size_t>(y) * static_cast<std::size_t>(texture->width) + x;
  return index < texture->alpha.size() ? texture->alpha[index] : 0;
}

std::size_t TextureCount() { return g_render.textures.size(); }

void DeleteAllTextures() {
  Flush();
  for (Texture* texture : g_render.textures) DestroyTexture(texture);
  g_render.textures.clear();
  g_render.pending_texture = nullptr;
}

// --- Drawing state ---------------------------------------------------------------------------

void SetDrawColor(uint32_t rgb) { g_render.colour = rgb & 0xFFFFFFu; }
void SetDrawBlend(int mode) { g_render.blend = mode; }

void ResetDrawState() {
  g_render.colour = 0xFFFFFF;
  g_render.blend = BLEND_NORMAL;
}

void SetView(const View* view) {
  RenderState& s = g_render;
  s.view_on = view != nullptr;
  if (view == nullptr) return;
  s.view = *view;
  const double radians = static_cast<double>(view->angle) * (std::numbers::pi / 180.0);
  s.view_cos = static_cast<float>(std::cos(radians));
  s.view_sin = static_cast<float>(std::sin(radians));
}

void BeginClip(float x, float y, float w, float h) {
  Flush();
  const LogicalMapping& m = EngineCurrentMapping();
  const double left = std::round(static_cast<double>(x));
  const double top = std::round(static_cast<double>(y));
  const double right = left + std::round(static_cast<double>(w));
  const double bottom = top + std::round(static_cast<double>(h));
  const int x0 = ToPixel(left * m.scale_x + m.offset_x);
  const int y0 = ToPixel(top * m.scale_y + m.offset_y);
  const int x1 = ToPixel(right * m.scale_x + m.offset_x);
  const int y1 = ToPixel(bottom * m.scale_y + m.offset_y);
  RenderState& s = g_render;
  s.clipping = true;
  s.clip = SDL_Rect{x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
  if (SDL_Renderer* renderer = PlatformRenderer()) SDL_RenderSetClipRect(renderer, &s.clip);
}

void EndClip() {
  Flush();
  g_render.clipping = false;
  if (SDL_Renderer* renderer = PlatformRenderer()) SDL_RenderSetClipRect(renderer, nullptr);
}

void BeginBatch() {
  ReadOutputSize(PlatformRenderer());  // once for the whole batch
  g_render.batching = true;
}

void EndBatch() {
  Flush();
  g_render.batching = false;
}

void FlushBatch() { Flush(); }

void SetSoftwareBlitter(bool on) {
  Flush();
  g_render.blitter_on = on;
}

// --- Drawing -----------------------------------------------------------------------------------

void DrawSprite(const Texture* texture, float x, float y, float w, float h, float angle,
                uint8_t opacity, uint32_t effects) {
  if (texture == nullptr) return;
  const SourceRect whole{0.0f, 0.0f, static_cast<float>(texture->width),
                         static_cast<float>(texture->height)};
  DrawSpritePart(texture, whole, x, y, w, h, angle, opacity, effects);
}

void DrawSpritePart(const Texture* texture, const SourceRect& source, float x, float y, float w,
                    float h, float angle, uint8_t opacity, uint32_t effects) {
  SDL_Renderer* renderer = DrawTarget();
  if (!Usable(texture, renderer) || texture->width <= 0 || texture->height <= 0) return;
  const auto tw = static_cast<float>(texture->width);
  const auto th = static_cast<float>(texture->height);
  // Only the texture's own pixels are ever sampled.
  const float sx0 = std::clamp(source.x, 0.0f, tw);
  const float sx1 = std::clamp(source.x + source.w, 0.0f, tw);
  const float sy0 = std::clamp(source.y, 0.0f, th);
  const float sy1 = std::clamp(source.y + source.h, 0.0f, th);
  if (!(sx0 != sx1 && sy0 != sy1)) return;  // also refuses NaN
  float u0 = sx0 / tw;
  float u1 = sx1 / tw;
  const float v0 = sy0 / th;
  const float v1 = sy1 / th;
  if (effects & FX_MIRROR_X) std::swap(u0, u1);

  Point corners[4];
  SpriteCorners(x, y, w, h, angle, corners);
  const float u[4] = {u0, u1, u1, u0};
  const float v[4] = {v0, v0, v1, v1};
  SubmitQuad(texture, SpriteBlend(texture, opacity, effects), corners, u, v,
             DrawColour(g_render.colour, opacity));
}

void DrawSpriteFrame(const Texture* texture, int frame, int frame_w, int frame_h, float x, float y,
                     float w, float h, float angle, uint8_t opacity, uint32_t effects) {
  if (texture == nullptr || frame_w <= 0 || frame_h <= 0) return;
  const int columns = texture->width / frame_w;
  const int rows = texture->height / frame_h;
  if (columns <= 0 || rows <= 0) return;
  const int64_t cells = int64_t{columns} * rows;
  int64_t cell = frame % cells;
  if (cell < 0) cell += cells;
  const SourceRect source{static_cast<float>(cell % columns) * static_cast<float>(frame_w),
                          static_cast<float>(cell / columns) * static_cast<float>(frame_h),
                          static_cast<float>(frame_w), static_cast<float>(frame_h)};
  DrawSpritePart(texture, source, x, y, w, h, angle, opacity, effects);
}

void DrawGridSprite(const Texture* texture, const DeformGrid& grid, float x, float y,
                    uint8_t opacity, uint32_t effects) {
  SDL_Renderer* renderer = DrawTarget();
  if (!Usable(texture, renderer) || grid.columns <= 0 || grid.rows <= 0) return;
  const auto columns = static_cast<std::size_t>(grid.columns);
  const auto rows = static_cast<std::size_t>(grid.rows);
  const std::size_t nodes = (columns + 1) * (rows + 1);
  if (grid.points.size() < nodes * 2) return;

  RenderState& s = g_render;
  const SDL_Color colour = DrawColour(s.colour, opacity);
  const bool mirror = (effects & FX_MIRROR_X) != 0;
  s.grid_scratch.clear();
  for (std::size_t row = 0; row <= rows; ++row) {
    for (std::size_t column = 0; column <= columns; ++column) {
      const std::size_t node = row * (columns + 1) + column;
      float u = static_cast<float>(column) / static_cast<float>(columns);
      if (mirror) u = 1.0f - u;
      SDL_Vertex vertex;
      vertex.position = ToWindow(Point{grid.points[node * 2] + x, grid.points[node * 2 + 1] + y});
      vertex.color = colour;
      vertex.tex_coord = SDL_FPoint{u, static_cast<float>(row) / static_cast<float>(rows)};
      s.grid_scratch.push_back(vertex);
    }
  }
  s.grid_indices.clear();
  for (std::size_t row = 0; row < rows; ++row) {
    for (std::size_t column = 0; column < columns; ++column) {
      const auto top_left = static_cast<int>(row * (columns + 1) + column);
      const auto bottom_left = static_cast<int>((row + 1) * (columns + 1) + column);
      for (int corner :
           {top_left, top_left + 1, bottom_left + 1, top_left, bottom_left + 1, bottom_left})
        s.grid_indices.push_back(corner);
    }
  }
  Submit(texture->sdl, SpriteBlend(texture, opacity, effects), s.grid_scratch.data(),
         s.grid_scratch.size(), s.grid_indices.data(), s.grid_indices.size());
}

void DrawTexturedQuads(const Texture* texture, const TexturedQuad* quads, std::size_t count,
                       uint8_t opacity) {
  SDL_Renderer* renderer = DrawTarget();
  if (!Usable(texture, renderer) || quads == nullptr) return;
  const SDL_Color colour = DrawColour(g_render.colour, opacity);
  const SDL_BlendMode blend = SdlBlend(g_render.blend, true);
  for (std::size_t q = 0; q < count; ++q) {
    const TexturedQuad& quad = quads[q];
    Point corners[4];
    float u[4];
    float v[4];
    for (int i = 0; i < 4; ++i) {
      corners[i] = Point{quad.x[i], quad.y[i]};
      u[i] = std::clamp(quad.u[i], 0.0f, 1.0f);
      v[i] = std::clamp(quad.v[i], 0.0f, 1.0f);
    }
    SubmitQuad(texture, blend, corners, u, v, colour);
  }
}

void FillRect(float x, float y, float w, float h, uint32_t rgb, uint8_t opacity) {
  if (DrawTarget() == nullptr) return;
  SubmitRect(x, y, w, h, DrawColour(rgb, opacity), SdlBlend(g_render.blend, true));
}

void DrawRectOutline(float x, float y, float w, float h, uint32_t rgb, uint8_t opacity) {
  if (DrawTarget() == nullptr) return;
  const SDL_Color colour = DrawColour(rgb, opacity);
  const SDL_BlendMode blend = SdlBlend(g_render.blend, true);
  // One logical unit thick, inside the rectangle; the four edges do not
  // overlap, so an additive outline is even all round.
  if (w <= 2.0f || h <= 2.0f) {
    SubmitRect(x, y, w, h, colour, blend);
    return;
  }
  SubmitRect(x, y, w, 1.0f, colour, blend);
  SubmitRect(x, y + h - 1.0f, w, 1.0f, colour, blend);
  SubmitRect(x, y + 1.0f, 1.0f, h - 2.0f, colour, blend);
  SubmitRect(x + w - 1.0f, y + 1.0f, 1.0f, h - 2.0f, colour, blend);
}
