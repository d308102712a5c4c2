// Painting recipes with Cairo (see art_paint.h and docs/art.md).
#include "art_paint.h"

#include <cairo.h>      // paths, gradients, compositing, PNG output
#include <cairo-ft.h>   // glyph outlines from FreeType faces
#include <ft2build.h>   // FreeType: opens the font files by path
#include FT_FREETYPE_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <unordered_map>

namespace art {

// --- Fonts ------------------------------------------------------------------------

struct FontShelf::Entry {
  FT_Face face = nullptr;
  cairo_font_face_t* cairo_face = nullptr;
};

namespace {

struct FontAlias {
  const char* name;
  const char* file;
};

// Short names for the faces the recipes use most.
constexpr FontAlias kFontAliases[] = {
    {"serif", "opentype/urw-base35/C059-Roman.otf"},
    {"serif-bold", "opentype/urw-base35/C059-Bold.otf"},
    {"serif-italic", "opentype/urw-base35/C059-Italic.otf"},
    {"serif-bolditalic", "opentype/urw-base35/C059-BdIta.otf"},
    {"roman", "opentype/urw-base35/P052-Roman.otf"},
    {"roman-bold", "opentype/urw-base35/P052-Bold.otf"},
    {"roman-italic", "opentype/urw-base35/P052-Italic.otf"},
    {"roman-bolditalic", "opentype/urw-base35/P052-BoldItalic.otf"},
    {"book", "opentype/urw-base35/URWBookman-Light.otf"},
    {"book-bold", "opentype/urw-base35/URWBookman-Demi.otf"},
    {"book-italic", "opentype/urw-base35/URWBookman-LightItalic.otf"},
    {"script", "opentype/urw-base35/Z003-MediumItalic.otf"},
    {"gothic", "opentype/urw-base35/URWGothic-Book.otf"},
    {"gothic-bold", "opentype/urw-base35/URWGothic-Demi.otf"},
    {"sans", "truetype/dejavu/DejaVuSans.ttf"},
    {"sans-bold", "truetype/dejavu/DejaVuSans-Bold.ttf"},
    {"sans-condensed", "truetype/dejavu/DejaVuSansCondensed-Bold.ttf"},
    {"serif-plain", "truetype/dejavu/DejaVuSerif.ttf"},
    {"mono", "truetype/dejavu/DejaVuSansMono.ttf"},
    {"emoji", "truetype/noto/NotoColorEmoji.ttf"},
};

}  // namespace

FontShelf::FontShelf(std::vector<std::string> folders) : folders_(std::move(folders)) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) == 0) library_ = library;
}

FontShelf::~FontShelf() {
  for (auto& [key, surface] : glyphs_) cairo_surface_destroy(surface);
  for (auto& [file, face] : bitmap_faces_) FT_Done_Face(static_cast<FT_Face>(face));
  for (auto& [name, entry] : faces_) {
    if (entry->cairo_face) cairo_font_face_destroy(entry->cairo_face);
  }
  faces_.clear();
  // FT_Done_FreeType frees the faces that Cairo may still list in its caches;
  // Cairo never opens a face it was handed, so nothing reads them afterwards.
  if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

std::string FontShelf::Resolve(const std::string& name) {
  for (const FontAlias& alias : kFontAliases) {
    if (name == alias.name) return alias.file;
  }
  return name;
}

bool FontShelf::CanOpen(const std::string& name, const std::string& file,
                        std::string& problem) const {
  if (file.empty() || file.find("..") != std::string::npos || file[0] == '/') {
    problem = "the font \"" + name + "\" must be an alias or a path below the font folders";
    return false;
  }
  if (!library_) {
    problem = "FreeType could not start";
    return false;
  }
  return true;
}

cairo_font_face_t* FontShelf::Find(const std::string& name, std::string& problem) {
  const std::string file = Resolve(name);
  if (auto found = faces_.find(file); found != faces_.end()) return found->second->cairo_face;
  if (!CanOpen(name, file, problem)) return nullptr;
  for (const std::string& folder : folders_) {
    const std::string path = folder + "/" + file;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) continue;
    FT_Face face = nullptr;
    if (FT_New_Face(static_cast<FT_Library>(library_), path.c_str(), 0, &face) != 0) {
      problem = "FreeType cannot read the font \"" + path + "\"";
      return nullptr;
    }
    auto entry = std::make_unique<Entry>();
    entry->face = face;
    entry->cairo_face = cairo_ft_font_face_create_for_ft_face(face, 0);
    cairo_font_face_t* result = entry->cairo_face;
    faces_.emplace(file, std::move(entry));
    return result;
  }
  problem = "the font \"" + name + "\" (" + file + ") is not installed";
  return nullptr;
}

std::string FontShelf::FindFile(const std::string& file) const {
  for (const std::string& folder : folders_) {
    const std::string path = folder + "/" + file;
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) return path;
  }
  return {};
}

cairo_surface_t* FontShelf::ColourGlyph(const std::string& name, uint32_t code, std::string& problem) {
  const std::string file = Resolve(name);
  if (auto found = glyphs_.find({file, code}); found != glyphs_.end()) return found->second;
  if (!CanOpen(name, file, problem)) return nullptr;
  FT_Face face = nullptr;
  if (auto open = bitmap_faces_.find(file); open != bitmap_faces_.end()) {
    face = static_cast<FT_Face>(open->second);
  } else {
    const std::string path = FindFile(file);
    if (path.empty()) {
      problem = "the font \"" + name + "\" (" + file + ") is not installed";
      return nullptr;
    }
    if (FT_New_Face(static_cast<FT_Library>(library_), path.c_str(), 0, &face) != 0) {
      problem = "FreeType cannot read the font \"" + path + "\"";
      return nullptr;
    }
    // A colour bitmap font has fixed strikes only; the first is its size.
    if (face->num_fixed_sizes < 1 || FT_Select_Size(face, 0) != 0) {
      FT_Done_Face(face);
      problem = "the font \"" + path + "\" has no bitmap strike";
      return nullptr;
    }
    bitmap_faces_.emplace(file, face);
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
  const FT_UInt index = FT_Get_Char_Index(face, code);
  if (index == 0) {
    problem = std::string("the font \"") + name + "\" has no glyph for " + hex;
    return nullptr;
  }
  if (FT_Load_Glyph(face, index, FT_LOAD_COLOR) != 0 || face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_BGRA) {
    problem = std::string("the glyph ") + hex + " of \"" + name + "\" is not a colour bitmap";
    return nullptr;
  }
  const FT_Bitmap& bitmap = face->glyph->bitmap;
  const int width = static_cast<int>(bitmap.width), height = static_cast<int>(bitmap.rows);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(1, width), std::max(1, height));
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  // FreeType's BGRA is premultiplied, byte for byte what Cairo's ARGB32 is
  // in memory on a little-endian machine; written per pixel to stay right
  // on any byte order.
  for (int y = 0; y < height; ++y) {
    const unsigned char* in = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
    auto* out = reinterpret_cast<uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = in + 4 * x;
      out[x] = (static_cast<uint32_t>(p[3]) << 24) | (static_cast<uint32_t>(p[2]) << 16) |
               (static_cast<uint32_t>(p[1]) << 8) | p[0];
    }
  }
  cairo_surface_mark_dirty(surface);
  glyphs_.emplace(std::make_pair(file, code), surface);
  return surface;
}

// --- Pictures ---------------------------------------------------------------------

Picture::Picture(cairo_surface_t* surface) : surface_(surface) {}

Picture::~Picture() {
  if (surface_) cairo_surface_destroy(surface_);
}

Picture::Picture(Picture&& other) noexcept : surface_(other.surface_) { other.surface_ = nullptr; }

Picture& Picture::operator=(Picture&& other) noexcept {
  if (this != &other) {
    if (surface_) cairo_surface_destroy(surface_);
    surface_ = other.surface_;
    other.surface_ = nullptr;
  }
  return *this;
}

int Picture::width() const { return surface_ ? cairo_image_surface_get_width(surface_) : 0; }
int Picture::height() const { return surface_ ? cairo_image_surface_get_height(surface_) : 0; }

uint32_t Picture::Pixel(int x, int y) const {
  if (!surface_ || x < 0 || y < 0 || x >= width() || y >= height()) return 0;
  cairo_surface_flush(surface_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  uint32_t p = 0;
  std::memcpy(&p, data + y * stride + x * 4, 4);
  const uint32_t a = p >> 24;
  if (a == 0) return 0;
  const auto straight = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
  return (a << 24) | (straight((p >> 16) & 255) << 16) | (straight((p >> 8) & 255) << 8) |
         straight(p & 255);
}

std::vector<uint8_t> Picture::EncodePng() const {
  std::vector<uint8_t> bytes;
  if (!surface_) return bytes;
  const auto append = [](void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
  };
  if (cairo_surface_write_to_png_stream(surface_, append, &bytes) != CAIRO_STATUS_SUCCESS) {
    bytes.clear();
  }
  return bytes;
}

// --- Pixel passes -----------------------------------------------------------------

namespace {

struct Rgba {
  double r = 0.0, g = 0.0, b = 0.0, a = 1.0;
};

// Direct access to an image surface's premultiplied pixels.
struct PixelView {
  explicit PixelView(cairo_surface_t* surface) : surface_(surface) {
    cairo_surface_flush(surface);
    data = cairo_image_surface_get_data(surface);
    width = cairo_image_surface_get_width(surface);
    height = cairo_image_surface_get_height(surface);
    stride = cairo_image_surface_get_stride(surface);
  }
  ~PixelView() { cairo_surface_mark_dirty(surface_); }
  PixelView(const PixelView&) = delete;
  PixelView& operator=(const PixelView&) = delete;
  uint32_t* row(int y) { return reinterpret_cast<uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride); }

  cairo_surface_t* surface_;
  unsigned char* data = nullptr;
  int width = 0, height = 0, stride = 0;
};

// A rectangle of canvas pixels, x0 <= x < x1, y0 <= y < y1.
struct Box {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool empty() const { return x1 <= x0 || y1 <= y0; }
  int64_t area() const { return empty() ? 0 : static_cast<int64_t>(x1 - x0) * (y1 - y0); }
  Box grown(int by, int width, int height) const {
    return Box{std::max(0, x0 - by), std::max(0, y0 - by), std::min(width, x1 + by), std::min(height, y1 + by)};
  }
};

uint32_t Pack(int a, int r, int g, int b) {
  return (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(r) << 16) |
         (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

// One box pass along rows (or columns) with transparent pixels outside.
void BoxPass(std::vector<uint32_t>& src, std::vector<uint32_t>& dst, int width, int height,
             int radius, bool along_rows) {
  const int lines = along_rows ? height : width;
  const int length = along_rows ? width : height;
  const std::ptrdiff_t step = along_rows ? 1 : width;
  const uint64_t inverse = (uint64_t{1} << 32) / static_cast<uint64_t>(2 * radius + 1);
  for (int line = 0; line < lines; ++line) {
    const uint32_t* in = src.data() + (along_rows ? static_cast<std::ptrdiff_t>(line) * width : line);
    uint32_t* out = dst.data() + (along_rows ? static_cast<std::ptrdiff_t>(line) * width : line);
    uint32_t sa = 0, sr = 0, sg = 0, sb = 0;
    const auto add = [&](uint32_t p) {
      sa += p >> 24;
      sr += (p >> 16) & 255;
      sg += (p >> 8) & 255;
      sb += p & 255;
    };
    const auto remove = [&](uint32_t p) {
      sa -= p >> 24;
      sr -= (p >> 16) & 255;
      sg -= (p >> 8) & 255;
      sb -= p & 255;
    };
    for (int i = 0; i <= radius && i < length; ++i) add(in[i * step]);
    for (int i = 0; i < length; ++i) {
      const auto avg = [inverse](uint32_t sum) {
        return static_cast<uint32_t>((sum * inverse + (uint64_t{1} << 31)) >> 32);
      };
      out[i * step] = (avg(sa) << 24) | (avg(sr) << 16) | (avg(sg) << 8) | avg(sb);
      if (i - radius >= 0) remove(in[(i - radius) * step]);
      if (i + radius + 1 < length) add(in[(i + radius + 1) * step]);
    }
  }
}

// The smallest box holding every pixel that is not fully transparent.
Box InkBox(cairo_surface_t* surface) {
  PixelView view(surface);
  Box box{view.width, view.height, 0, 0};
  for (int y = 0; y < view.height; ++y) {
    const uint32_t* row = view.row(y);
    int first = -1, last = -1;
    for (int x = 0; x < view.width; ++x) {
      if (row[x] >> 24) {
        if (first < 0) first = x;
        last = x;
      }
    }
    if (first < 0) continue;
    box.x0 = std::min(box.x0, first);
    box.x1 = std::max(box.x1, last + 1);
    box.y0 = std::min(box.y0, y);
    box.y1 = y + 1;
  }
  return box;
}

// Three box passes each way approximate a gaussian of about amount / 2.
void Blur(cairo_surface_t* surface, const Box& box, double amount) {
  const int radius = std::max(1, static_cast<int>(std::lround(amount / 2.0)));
  PixelView view(surface);
  const int w = box.x1 - box.x0, h = box.y1 - box.y0;
  std::vector<uint32_t> a(static_cast<std::size_t>(w) * h), b(a.size());
  for (int y = 0; y < h; ++y) {
    std::copy_n(view.row(box.y0 + y) + box.x0, w, a.begin() + static_cast<std::ptrdiff_t>(y) * w);
  }
  for (int pass = 0; pass < 3; ++pass) {
    BoxPass(a, b, w, h, radius, true);
    BoxPass(b, a, w, h, radius, false);
  }
  for (int y = 0; y < h; ++y) {
    std::copy_n(a.begin() + static_cast<std::ptrdiff_t>(y) * w, w, view.row(box.y0 + y) + box.x0);
  }
}

void Tint(cairo_surface_t* surface, const Box& box, const Rgba& colour) {
  PixelView view(surface);
  for (int y = box.y0; y < box.y1; ++y) {
    uint32_t* row = view.row(y);
    for (int x = box.x0; x < box.x1; ++x) {
      const double a = static_cast<double>(row[x] >> 24) * colour.a;
      const auto c = [a](double v) { return static_cast<int>(std::lround(v * a)); };
      row[x] = Pack(static_cast<int>(std::lround(a)), c(colour.r), c(colour.g), c(colour.b));
    }
  }
}

// The painted treatment of an object picture: takes away `desat` of its
// colour, then moves it by the grade colour's alpha towards itself
// multiplied by the grade colour (the light of the place it lies in).
void Grade(cairo_surface_t* surface, const Box& box, const Rgba& colour, double desat) {
  PixelView view(surface);
  const double tint[3] = {colour.r, colour.g, colour.b};
  for (int y = box.y0; y < box.y1; ++y) {
    uint32_t* row = view.row(y);
    for (int x = box.x0; x < box.x1; ++x) {
      const uint32_t p = row[x];
      const int a = static_cast<int>(p >> 24);
      if (a == 0) continue;
      double c[3] = {static_cast<double>((p >> 16) & 255), static_cast<double>((p >> 8) & 255),
                     static_cast<double>(p & 255)};
      const double luma = 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2];
      int out[3];
      for (int i = 0; i < 3; ++i) {
        double v = c[i] + (luma - c[i]) * desat;
        v += (v * tint[i] - v) * colour.a;
        out[i] = std::clamp(static_cast<int>(std::lround(v)), 0, a);
      }
      row[x] = Pack(a, out[0], out[1], out[2]);
    }
  }
}

// Multiplies the coverage, so a blurred shape grows into a solid halo.
void Spread(cairo_surface_t* surface, const Box& box, double factor) {
  PixelView view(surface);
  for (int y = box.y0; y < box.y1; ++y) {
    uint32_t* row = view.row(y);
    for (int x = box.x0; x < box.x1; ++x) {
      const uint32_t p = row[x];
      const double a = p >> 24;
      if (a <= 0.0) continue;
      const double na = std::min(255.0, a * factor);
      const double k = na / a;
      const auto c = [&](int shift) {
        return std::min(static_cast<int>(na), static_cast<int>(std::lround(((p >> shift) & 255) * k)));
      };
      row[x] = Pack(static_cast<int>(na), c(16), c(8), c(0));
    }
  }
}

// Lights the layer's shape as if raised: the slope of its blurred coverage,
// seen from the light's direction, brightens or darkens each pixel.
// Lights the layer's shape as if raised: the slope of its blurred coverage,
// seen from the light's direction, brightens or darkens each pixel. Outside
// the ink box everything is transparent, so the box is all it needs.
void Bevel(cairo_surface_t* surface, const Box& box, double radius, double strength, double light_deg,
           const Rgba& highlight, const Rgba& shade) {
  PixelView view(surface);
  const int w = box.x1 - box.x0, h = box.y1 - box.y0;
  std::vector<uint32_t> alpha(static_cast<std::size_t>(w) * h), tmp(alpha.size());
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = view.row(box.y0 + y) + box.x0;
    for (int x = 0; x < w; ++x) alpha[static_cast<std::size_t>(y) * w + x] = (row[x] >> 24) << 24;
  }
  const int r = std::max(1, static_cast<int>(std::lround(radius / 2.0)));
  for (int pass = 0; pass < 3; ++pass) {
    BoxPass(alpha, tmp, w, h, r, true);
    BoxPass(tmp, alpha, w, h, r, false);
  }
  const double lx = std::cos(light_deg * std::numbers::pi / 180.0);
  const double ly = std::sin(light_deg * std::numbers::pi / 180.0);
  const auto at = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= w || y >= h) return 0.0;
    return static_cast<double>(alpha[static_cast<std::size_t>(y) * w + x] >> 24) / 255.0;
  };
  const double gain = strength * radius;
  for (int y = 0; y < h; ++y) {
    uint32_t* row = view.row(box.y0 + y) + box.x0;
    for (int x = 0; x < w; ++x) {
      const uint32_t p = row[x];
      const int a = static_cast<int>(p >> 24);
      if (a == 0) continue;
      const double gx = (at(x + 1, y) - at(x - 1, y)) * 0.5;
      const double gy = (at(x, y + 1) - at(x, y - 1)) * 0.5;
      // The slope's outward normal is against the rise of the coverage; it
      // faces the light where that normal points towards it.
      const double facing = -(gx * lx + gy * ly) * gain;
      double pr = (p >> 16) & 255, pg = (p >> 8) & 255, pb = p & 255;
      if (facing > 0.0) {
        const double k = std::min(1.0, facing) * highlight.a;
        pr += (highlight.r * a - pr) * k;
        pg += (highlight.g * a - pg) * k;
        pb += (highlight.b * a - pb) * k;
      } else if (facing < 0.0) {
        const double k = std::min(1.0, -facing) * shade.a;
        pr += (shade.r * a - pr) * k;
        pg += (shade.g * a - pg) * k;
        pb += (shade.b * a - pb) * k;
      }
      const auto c = [a](double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, a); };
      row[x] = Pack(a, c(pr), c(pg), c(pb));
    }
  }
}

// --- Seeded noise ----------------------------------------------------------------

uint32_t Hash(int x, int y, uint32_t seed) {
  uint32_t h = seed ^ 0x9E3779B9u;
  h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
  h = (h << 13) | (h >> 19);
  h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
  h *= 0x27D4EB2Fu;
  h ^= h >> 15;
  h *= 0x165667B1u;
  h ^= h >> 13;
  return h;
}

double Lattice(int x, int y, uint32_t seed) { return (Hash(x, y, seed) & 0xFFFFFF) / 16777215.0; }

double ValueNoise(double x, double y, uint32_t seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  const double tx = x - fx, ty = y - fy;
  const double sx = tx * tx * (3.0 - 2.0 * tx), sy = ty * ty * (3.0 - 2.0 * ty);
  const double a = Lattice(ix, iy, seed), b = Lattice(ix + 1, iy, seed);
  const double c = Lattice(ix, iy + 1, seed), d = Lattice(ix + 1, iy + 1, seed);
  return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

double Fractal(double x, double y, int octaves, double gain, uint32_t seed) {
  double sum = 0.0, amplitude = 1.0, total = 0.0;
  for (int o = 0; o < octaves; ++o) {
    sum += ValueNoise(x, y, seed + static_cast<uint32_t>(o) * 1013u) * amplitude;
    total += amplitude;
    amplitude *= gain;
    x = x * 2.0 + 17.3;
    y = y * 2.0 - 5.1;
  }
  return total > 0.0 ? sum / total : 0.0;
}

// --- Colours ----------------------------------------------------------------------

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<Rgba> ParseColour(const std::string& text) {
  if (text.size() < 2 || text[0] != '#') return std::nullopt;
  std::vector<int> d;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const int v = HexDigit(text[i]);
    if (v < 0) return std::nullopt;
    d.push_back(v);
  }
  Rgba c;
  if (d.size() == 3 || d.size() == 4) {
    c.r = d[0] / 15.0;
    c.g = d[1] / 15.0;
    c.b = d[2] / 15.0;
    if (d.size() == 4) c.a = d[3] / 15.0;
    return c;
  }
  if (d.size() == 6 || d.size() == 8) {
    c.r = (d[0] * 16 + d[1]) / 255.0;
    c.g = (d[2] * 16 + d[3]) / 255.0;
    c.b = (d[4] * 16 + d[5]) / 255.0;
    if (d.size() == 8) c.a = (d[6] * 16 + d[7]) / 255.0;
    return c;
  }
  return std::nullopt;
}

struct OperatorName {
  const char* name;
  cairo_operator_t op;
};

constexpr OperatorName kOperators[] = {
    {"over", CAIRO_OPERATOR_OVER},         {"add", CAIRO_OPERATOR_ADD},
    {"multiply", CAIRO_OPERATOR_MULTIPLY}, {"screen", CAIRO_OPERATOR_SCREEN},
    {"overlay", CAIRO_OPERATOR_OVERLAY},   {"soft", CAIRO_OPERATOR_SOFT_LIGHT},
    {"hard", CAIRO_OPERATOR_HARD_LIGHT},   {"darken", CAIRO_OPERATOR_DARKEN},
    {"lighten", CAIRO_OPERATOR_LIGHTEN},   {"dodge", CAIRO_OPERATOR_COLOR_DODGE},
    {"burn", CAIRO_OPERATOR_COLOR_BURN},   {"erase", CAIRO_OPERATOR_DEST_OUT},
    {"atop", CAIRO_OPERATOR_ATOP},         {"inside", CAIRO_OPERATOR_DEST_IN},
    {"source", CAIRO_OPERATOR_SOURCE},     {"behind", CAIRO_OPERATOR_DEST_OVER},
    {"hue", CAIRO_OPERATOR_HSL_HUE},       {"colour", CAIRO_OPERATOR_HSL_COLOR},
    {"luminosity", CAIRO_OPERATOR_HSL_LUMINOSITY},
};

// Owners of Cairo objects made in the middle of a statement, so that a fault
// raised before the end of it frees them.
struct PathHolder {
  explicit PathHolder(cairo_path_t* p) : path(p) {}
  ~PathHolder() { cairo_path_destroy(path); }
  PathHolder(const PathHolder&) = delete;
  PathHolder& operator=(const PathHolder&) = delete;
  cairo_path_t* path;
};

struct SurfaceHolder {
  explicit SurfaceHolder(cairo_surface_t* s) : surface(s) {}
  ~SurfaceHolder() { cairo_surface_destroy(surface); }
  SurfaceHolder(const SurfaceHolder&) = delete;
  SurfaceHolder& operator=(const SurfaceHolder&) = delete;
  cairo_surface_t* surface;
};

// --- The painter ----------------------------------------------------------------

struct Macro {
  std::vector<std::string> params;
  const std::vector<Statement>* body = nullptr;
  std::string origin;  // the shared file it came from, empty for the recipe's own
};

// A drawing surface: the canvas or an open layer.
struct Target {
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  const Statement* layer = nullptr;  // the layer statement, none for the canvas
  int saves = 0;
};

// Names visible to a statement: a macro call or the recipe itself (call),
// or a repeat's counter.
struct Scope {
  std::unordered_map<std::string, std::string> names;
  bool call = false;
};

// Drawing state that Cairo does not keep for us; saved and restored with it.
struct PenState {
  std::string font = "serif";
  double alpha = 1.0;
};

class Painter {
 public:
  explicit Painter(const PaintSetup& setup) : setup_(setup) {
    scopes_.push_back(Scope{{}, true});
    pens_.emplace_back();
  }

  ~Painter() {
    for (auto it = targets_.rbegin(); it != targets_.rend(); ++it) {
      cairo_destroy(it->cr);
      cairo_surface_destroy(it->surface);
    }
  }

  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  Picture Run(const Recipe& recipe) {
    Block(recipe.statements);
    if (targets_.empty()) throw RecipeError(0, "the recipe has no canvas");
    Target canvas = targets_.front();
    cairo_surface_t* surface = canvas.surface;
    cairo_destroy(canvas.cr);
    targets_.clear();
    cairo_surface_flush(surface);
    return Picture(surface);
  }

 private:
  // --- Words -------------------------------------------------------------------

  std::optional<std::string> Lookup(std::string_view name) const {
    for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it) {
      auto found = it->names.find(std::string(name));
      if (found != it->names.end()) return found->second;
    }
    return std::nullopt;
  }

  // `let` reaches back to the running macro's own names (or the recipe's, at
  // the top), never into its caller's, so a macro may call itself safely.
  void Assign(const std::string& name, const std::string& value) {
    for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it) {
      auto found = it->names.find(name);
      if (found != it->names.end()) {
        found->second = value;
        return;
      }
      if (it->call) {
        it->names[name] = value;
        return;
      }
    }
  }

  // Replaces $name and ${name} with the variable's text; $$ is a dollar sign.
  std::string Expand(const std::string& text) const {
    if (text.find('$') == std::string::npos) return text;
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
      if (text[i] != '$') {
        out.push_back(text[i++]);
        continue;
      }
      if (i + 1 < text.size() && text[i + 1] == '$') {
        out.push_back('$');
        i += 2;
        continue;
      }
      std::size_t start = i + 1, stop = start;
      const bool braced = start < text.size() && text[start] == '{';
      if (braced) {
        ++start;
        stop = text.find('}', start);
        if (stop == std::string::npos) Fail("a ${ has no closing }");
      } else {
        while (stop < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[stop])) || text[stop] == '_')) {
          ++stop;
        }
      }
      const std::string name = text.substr(start, stop - start);
      if (name.empty()) Fail("a $ is not followed by a name");
      const std::optional<std::string> value = Lookup(name);
      if (!value) Fail("unknown variable $" + name);
      out += *value;
      i = braced ? stop + 1 : stop;
    }
    return out;
  }

  double Eval(const std::string& text) {
    const std::string expanded = Expand(text);
    const VariableLookup lookup = [this](std::string_view name) { return Lookup(name); };
    double value = 0.0;
    try {
      value = Evaluate(expanded, lookup, random_);
    } catch (const RecipeError& error) {
      Fail(error.what());
    }
    if (!std::isfinite(value) || std::fabs(value) > 1e7) Fail("the number " + expanded + " is out of range");
    return value;
  }

  [[noreturn]] void Fail(const std::string& message) const { throw RecipeError(line_, message); }

  void Want(const Statement& s, std::size_t least, std::size_t most, const char* usage) const {
    if (s.args.size() < least || s.args.size() > most) {
      Fail("\"" + s.command + "\" is written: " + usage);
    }
  }

  double Num(const Statement& s, std::size_t i) { return Eval(s.args.at(i).text); }

  const Option* FindOption(const Statement& s, const char* key) const {
    const Option* found = nullptr;
    for (const Option& option : s.options) {
      if (option.key == key) found = &option;
    }
    return found;
  }

  double OptNum(const Statement& s, const char* key, double fallback) {
    const Option* option = FindOption(s, key);
    return option ? Eval(option->value.text) : fallback;
  }

  std::string OptText(const Statement& s, const char* key, const std::string& fallback) const {
    const Option* option = FindOption(s, key);
    return option ? Expand(option->value.text) : fallback;
  }

  Rgba Colour(const std::string& raw) const {
    const std::string text = Expand(raw);
    const std::optional<Rgba> colour = ParseColour(text);
    if (!colour) Fail("\"" + text + "\" is not a colour (#rgb, #rrggbb or #rrggbbaa)");
    return *colour;
  }

  Rgba OptColour(const Statement& s, const char* key, const Rgba& fallback) const {
    const Option* option = FindOption(s, key);
    return option ? Colour(option->value.text) : fallback;
  }

  void CheckOptions(const Statement& s, std::initializer_list<const char*> allowed) const {
    for (const Option& option : s.options) {
      bool known = false;
      for (const char* key : allowed) known = known || option.key == key;
      if (!known) Fail("\"" + s.command + "\" has no option \"" + option.key + "\"");
    }
  }

  cairo_operator_t Operator(const std::string& name) const {
    for (const OperatorName& entry : kOperators) {
      if (name == entry.name) return entry.op;
    }
    Fail("unknown blend \"" + name + "\"");
  }

  // --- Budget --------------------------------------------------------------------

  void Step() {
    if (++steps_ > setup_.max_steps) Fail("the recipe does too much work (statement limit)");
  }

  void PixelWork(int64_t pixels) {
    pixel_work_ += pixels;
    if (pixel_work_ > setup_.max_pixel_work) Fail("the recipe does too much work (pixel limit)");
  }

  // --- Targets -------------------------------------------------------------------

  cairo_t* Cr() {
    if (targets_.empty()) Fail("\"canvas\" must come before anything is drawn");
    return targets_.back().cr;
  }

  int Width() const { return targets_.empty() ? 0 : cairo_image_surface_get_width(targets_.front().surface); }
  int Height() const { return targets_.empty() ? 0 : cairo_image_surface_get_height(targets_.front().surface); }

  cairo_t* NewContext(cairo_surface_t* surface) {
    cairo_t* cr = cairo_create(surface);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_set_source_rgb(cr, 0, 0, 0);
    return cr;
  }

  void CheckCairo(cairo_t* cr) const {
    const cairo_status_t status = cairo_status(cr);
    if (status != CAIRO_STATUS_SUCCESS) Fail(std::string("drawing failed: ") + cairo_status_to_string(status));
  }

  // Fills or strokes through the pen's opacity.
  template <typename Draw>
  void WithAlpha(Draw draw) {
    cairo_t* cr = Cr();
    const double alpha = pens_.back().alpha;
    if (alpha >= 1.0) {
      draw(cr);
    } else {
      cairo_push_group(cr);
      draw(cr);
      cairo_pop_group_to_source(cr);
      cairo_paint_with_alpha(cr, alpha);
    }
    CheckCairo(cr);
  }

  // Paints a device-space pixel buffer through the current clip and blend.
  void PaintPixels(cairo_surface_t* pixels, int x, int y) {
    cairo_t* cr = Cr();
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_surface(cr, pixels, x, y);
    cairo_paint_with_alpha(cr, pens_.back().alpha);
    cairo_restore(cr);
    CheckCairo(cr);
  }

  // The clip's bounding box in canvas pixels, cut to the canvas.
  bool ClipBox(int& x0, int& y0, int& x1, int& y1) {
    cairo_t* cr = Cr();
    cairo_save(cr);
    cairo_identity_matrix(cr);
    double ax = 0, ay = 0, bx = 0, by = 0;
    cairo_clip_extents(cr, &ax, &ay, &bx, &by);
    cairo_restore(cr);
    x0 = std::max(0, static_cast<int>(std::floor(ax)));
    y0 = std::max(0, static_cast<int>(std::floor(ay)));
    x1 = std::min(Width(), static_cast<int>(std::ceil(bx)));
    y1 = std::min(Height(), static_cast<int>(std::ceil(by)));
    return x1 > x0 && y1 > y0;
  }

  // --- Blocks --------------------------------------------------------------------

  void Block(const std::vector<Statement>& statements) {
    for (const Statement& s : statements) Do(s);
  }

  void Do(const Statement& s) {
    Step();
    line_ = s.line;
    const std::string& c = s.command;
    if (c == "canvas") return Canvas(s);
    if (c == "seed") {
      Want(s, 1, 1, "seed N");
      CheckOptions(s, {});
      random_ = Random(static_cast<uint64_t>(std::llround(std::fabs(Num(s, 0)))));
      seed_ = static_cast<uint32_t>(std::llround(std::fabs(Num(s, 0))));
      return;
    }
    if (c == "let") return Let(s);
    if (c == "repeat") return Repeat(s);
    if (c == "if") return If(s);
    if (c == "macro") return DefineMacro(s);
    if (c == "call") return Call(s);
    if (c == "include") return Include(s);
    if (c == "layer") return Layer(s);
    Draw(s);
  }

  void Canvas(const Statement& s) {
    Want(s, 2, 2, "canvas WIDTH HEIGHT");
    CheckOptions(s, {});
    if (!targets_.empty()) Fail("a recipe has one canvas");
    const double w = Num(s, 0), h = Num(s, 1);
    if (w < 1 || h < 1 || w > setup_.max_canvas || h > setup_.max_canvas) {
      Fail("the canvas must be 1 to " + std::to_string(setup_.max_canvas) + " pixels each way");
    }
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(w), static_cast<int>(h));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(surface);
      Fail("the canvas cannot be made");
    }
    targets_.push_back(Target{surface, NewContext(surface), nullptr, 0});
  }

  void Let(const Statement& s) {
    std::vector<Word> words = s.args;
    if (words.size() == 3 && !words[1].quoted && words[1].text == "=") words.erase(words.begin() + 1);
    if (words.size() != 2 || words[0].quoted) Fail("\"let\" is written: let NAME VALUE");
    const std::string& name = words[0].text;
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) Fail("a variable name must start with a letter");
    for (char ch : name) {
      if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '_') Fail("\"" + name + "\" is not a variable name");
    }
    Assign(name, Value(words[1]));
  }

  // A value as `let` and `call` store it: strings and colours as written,
  // everything else computed.
  std::string Value(const Word& word) {
    if (word.quoted) return Expand(word.text);
    const std::string text = Expand(word.text);
    if (!text.empty() && text[0] == '#') {
      Colour(text);
      return text;
    }
    return FormatNumber(Eval(text));
  }

  void Repeat(const Statement& s) {
    if (s.args.size() != 2 || s.args[0].quoted) Fail("\"repeat\" is written: repeat NAME COUNT");
    const double count = Num(s, 1);
    if (count < 0 || count > 100000) Fail("a repeat runs 0 to 100000 times");
    scopes_.push_back(Scope{{}, false});
    for (int i = 0; i < static_cast<int>(count); ++i) {
      Step();
      scopes_.back().names[s.args[0].text] = std::to_string(i);
      Block(s.body);
    }
    scopes_.pop_back();
  }

  void If(const Statement& s) {
    if (s.args.empty()) Fail("\"if\" needs a condition");
    std::string condition;
    for (const Word& word : s.args) condition += (condition.empty() ? "" : " ") + word.text;
    if (Eval(condition) != 0.0) {
      Block(s.body);
    } else {
      Block(s.else_body);
    }
  }

  void DefineMacro(const Statement& s) {
    if (s.args.empty() || s.args[0].quoted) Fail("\"macro\" is written: macro NAME [PARAMETER...]");
    Macro macro;
    for (std::size_t i = 1; i < s.args.size(); ++i) macro.params.push_back(s.args[i].text);
    macro.body = &s.body;
    macro.origin = origin_;
    macros_[s.args[0].text] = std::move(macro);
  }

  void Call(const Statement& s) {
    if (s.args.empty()) Fail("\"call\" is written: call NAME [VALUE...]");
    auto found = macros_.find(Expand(s.args[0].text));
    if (found == macros_.end()) Fail("unknown macro \"" + s.args[0].text + "\"");
    const Macro& macro = found->second;
    if (s.args.size() - 1 != macro.params.size()) {
      Fail("the macro \"" + found->first + "\" takes " + std::to_string(macro.params.size()) + " values");
    }
    if (++call_depth_ > 32) Fail("macros call each other too deeply");
    Scope scope{{}, true};
    for (std::size_t i = 0; i < macro.params.size(); ++i) scope.names[macro.params[i]] = Value(s.args[i + 1]);
    scopes_.push_back(std::move(scope));
    const int line = line_;
    try {
      Block(*macro.body);
    } catch (const RecipeError& error) {
      // A fault inside a shared file's macro names that file and its line.
      if (macro.origin.empty()) throw;
      throw RecipeError(line, macro.origin + ":" + std::to_string(error.line()) + ": " + error.what());
    }
    line_ = line;
    scopes_.pop_back();
    --call_depth_;
  }

  void Include(const Statement& s) {
    Want(s, 1, 1, "include PATH");
    const std::string path = Expand(s.args[0].text);
    const bool clean = !path.empty() && path[0] != '/' && path.find("..") == std::string::npos &&
                       path.size() > 5 && path.substr(path.size() - 5) == ".arti" &&
                       std::all_of(path.begin(), path.end(), [](char ch) {
                         return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' ||
                                ch == '-' || ch == '/' || ch == '.';
                       });
    if (!clean) Fail("an include is a .arti path below the art folder: \"" + path + "\"");
    if (include_depth_ >= 8) Fail("includes nest too deeply");
    std::optional<std::string> text = setup_.load_include ? setup_.load_include(path) : std::nullopt;
    if (!text) Fail("the include \"" + path + "\" does not exist");
    try {
      included_.push_back(std::make_unique<Recipe>(ParseRecipe(*text)));
    } catch (const RecipeError& error) {
      throw RecipeError(s.line, path + ":" + std::to_string(error.line()) + ": " + error.what());
    }
    ++include_depth_;
    const int line = s.line;
    const std::string outer_origin = origin_;
    origin_ = path;
    try {
      Block(included_.back()->statements);
    } catch (const RecipeError& error) {
      throw RecipeError(line, path + ":" + std::to_string(error.line()) + ": " + error.what());
    }
    origin_ = outer_origin;
    --include_depth_;
    line_ = line;
  }

  void Layer(const Statement& s) {
    CheckOptions(s, {"opacity", "blend", "blur", "dx", "dy", "tint", "bevel", "strength", "light",
                     "highlight", "shade", "spread", "grade", "desat"});
    if (!s.args.empty()) Fail("\"layer\" takes only options");
    cairo_t* parent = Cr();
    if (targets_.size() > 8) Fail("layers nest too deeply");
    PixelWork(static_cast<int64_t>(Width()) * Height());
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, Width(), Height());
    cairo_t* cr = NewContext(surface);
    cairo_matrix_t matrix;
    cairo_get_matrix(parent, &matrix);
    cairo_set_matrix(cr, &matrix);
    cairo_set_source(cr, cairo_get_source(parent));
    targets_.push_back(Target{surface, cr, &s, 0});
    pens_.push_back(pens_.back());
    Block(s.body);
    line_ = s.line;
    CloseLayer();
  }

  void CloseLayer() {
    Target target = targets_.back();
    const Statement& s = *target.layer;
    for (; target.saves > 0; --target.saves) {
      cairo_restore(target.cr);
      pens_.pop_back();
    }
    pens_.pop_back();
    CheckCairo(target.cr);
    cairo_destroy(target.cr);
    targets_.pop_back();
    const SurfaceHolder holder(target.surface);
    cairo_surface_t* surface = holder.surface;
    cairo_surface_flush(surface);
    PixelWork(static_cast<int64_t>(Width()) * Height() / 4);
    Box ink = InkBox(surface);
    if (const Option* tint = FindOption(s, "tint")) {
      PixelWork(ink.area());
      Tint(surface, ink, Colour(tint->value.text));
    }
    if (FindOption(s, "grade") || FindOption(s, "desat")) {
      PixelWork(ink.area());
      Grade(surface, ink, OptColour(s, "grade", Rgba{1, 1, 1, 0}), std::clamp(OptNum(s, "desat", 0), 0.0, 1.0));
    }
    if (FindOption(s, "bevel")) {
      const double radius = OptNum(s, "bevel", 4);
      if (radius < 1 || radius > 64) Fail("a bevel is 1 to 64 pixels");
      PixelWork(ink.area() * 8);
      if (!ink.empty()) {
        Bevel(surface, ink, radius, OptNum(s, "strength", 1), OptNum(s, "light", 225),
              OptColour(s, "highlight", Rgba{1, 1, 1, 0.8}), OptColour(s, "shade", Rgba{0, 0, 0, 0.6}));
      }
    }
    if (FindOption(s, "blur")) {
      const double amount = OptNum(s, "blur", 0);
      if (amount < 0 || amount > 256) Fail("a blur is 0 to 256 pixels");
      if (amount > 0 && !ink.empty()) {
        const int radius = std::max(1, static_cast<int>(std::lround(amount / 2.0)));
        ink = ink.grown(3 * radius + 1, Width(), Height());
        PixelWork(ink.area() * 6);
        Blur(surface, ink, amount);
      }
    }
    if (FindOption(s, "spread")) {
      PixelWork(ink.area());
      Spread(surface, ink, OptNum(s, "spread", 1));
    }
    cairo_t* parent = Cr();
    cairo_save(parent);
    cairo_identity_matrix(parent);
    cairo_set_source_surface(parent, surface, OptNum(s, "dx", 0), OptNum(s, "dy", 0));
    cairo_set_operator(parent, Operator(OptText(s, "blend", "over")));
    cairo_paint_with_alpha(parent, std::clamp(OptNum(s, "opacity", 1), 0.0, 1.0));
    cairo_restore(parent);
    CheckCairo(parent);
  }

  // --- Drawing -------------------------------------------------------------------

  void Draw(const Statement& s) {
    const std::string& c = s.command;
    cairo_t* cr = Cr();
    if (c == "save") {
      Want(s, 0, 0, "save");
      cairo_save(cr);
      pens_.push_back(pens_.back());
      ++targets_.back().saves;
    } else if (c == "restore") {
      Want(s, 0, 0, "restore");
      if (targets_.back().saves == 0) Fail("\"restore\" without \"save\"");
      cairo_restore(cr);
      pens_.pop_back();
      --targets_.back().saves;
    } else if (c == "translate") {
      Want(s, 2, 2, "translate X Y");
      cairo_translate(cr, Num(s, 0), Num(s, 1));
    } else if (c == "rotate") {
      Want(s, 1, 1, "rotate DEGREES");
      cairo_rotate(cr, Num(s, 0) * std::numbers::pi / 180.0);
    } else if (c == "scale") {
      Want(s, 1, 2, "scale SX [SY]");
      const double sx = Num(s, 0);
      const double sy = s.args.size() > 1 ? Num(s, 1) : sx;
      if (std::fabs(sx) < 1e-6 || std::fabs(sy) < 1e-6) Fail("a scale of 0 flattens everything");
      cairo_scale(cr, sx, sy);
      // Scales pile up; Cairo cannot draw through a nearly flat transform.
      cairo_matrix_t m;
      cairo_get_matrix(cr, &m);
      const double area = std::fabs(m.xx * m.yy - m.xy * m.yx);
      if (area < 1e-10 || area > 1e10) Fail("the transform has shrunk or grown out of range");
    } else if (c == "color" || c == "colour") {
      Want(s, 1, 2, "color #RRGGBB[AA] [ALPHA]");
      const Rgba colour = Colour(s.args[0].text);
      const double alpha = s.args.size() > 1 ? Num(s, 1) : 1.0;
      cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a * alpha);
    } else if (c == "linear" || c == "radial") {
      Gradient(s);
    } else if (c == "blend") {
      Want(s, 1, 1, "blend MODE");
      cairo_set_operator(cr, Operator(Expand(s.args[0].text)));
    } else if (c == "alpha") {
      Want(s, 1, 1, "alpha OPACITY");
      pens_.back().alpha = std::clamp(Num(s, 0), 0.0, 1.0);
    } else if (c == "font") {
      Want(s, 1, 1, "font NAME");
      pens_.back().font = Expand(s.args[0].text);
    } else if (c == "fill" || c == "stroke" || c == "clip" || c == "paint" || c == "newpath") {
      PathOp(s);
    } else if (c == "noise") {
      Noise(s);
    } else if (c == "stars") {
      Stars(s);
    } else if (c == "vignette") {
      Vignette(s);
    } else {
      Shape(s);
    }
    CheckCairo(cr);
  }

  void Gradient(const Statement& s) {
    const bool linear = s.command == "linear";
    const std::size_t fixed = linear ? 4 : 3;
    if (s.args.size() < fixed + 2) {
      Fail(linear ? "\"linear\" is written: linear X0 Y0 X1 Y1 OFFSET:COLOUR OFFSET:COLOUR..."
                  : "\"radial\" is written: radial CX CY R OFFSET:COLOUR OFFSET:COLOUR...");
    }
    CheckOptions(s, {"inner", "fx", "fy", "extend"});
    cairo_pattern_t* pattern = nullptr;
    if (linear) {
      pattern = cairo_pattern_create_linear(Num(s, 0), Num(s, 1), Num(s, 2), Num(s, 3));
    } else {
      const double cx = Num(s, 0), cy = Num(s, 1), r = Num(s, 2);
      pattern = cairo_pattern_create_radial(OptNum(s, "fx", cx), OptNum(s, "fy", cy),
                                            OptNum(s, "inner", 0), cx, cy, r);
    }
    struct Release {
      cairo_pattern_t* p;
      ~Release() { cairo_pattern_destroy(p); }
    } release{pattern};
    for (std::size_t i = fixed; i < s.args.size(); ++i) {
      const std::string stop = Expand(s.args[i].text);
      const std::size_t colon = stop.find(':');
      if (colon == std::string::npos) Fail("a gradient stop is written OFFSET:COLOUR, not \"" + stop + "\"");
      const double offset = Eval(stop.substr(0, colon));
      const Rgba colour = Colour(stop.substr(colon + 1));
      cairo_pattern_add_color_stop_rgba(pattern, std::clamp(offset, 0.0, 1.0), colour.r, colour.g,
                                        colour.b, colour.a);
    }
    const std::string extend = OptText(s, "extend", "pad");
    if (extend == "pad") {
      cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    } else if (extend == "repeat") {
      cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    } else if (extend == "reflect") {
      cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REFLECT);
    } else if (extend == "none") {
      cairo_pattern_set_extend(pattern, CAIRO_EXTEND_NONE);
    } else {
      Fail("unknown extend \"" + extend + "\"");
    }
    cairo_set_source(Cr(), pattern);
  }

  void PathOp(const Statement& s) {
    const std::string& c = s.command;
    cairo_t* cr = Cr();
    const auto keep = [&]() {
      for (const Word& word : s.args) {
        if (!word.quoted && word.text == "keep") return true;
      }
      return false;
    };
    const auto rule = [&]() {
      const std::string r = OptText(s, "rule", "winding");
      if (r == "winding") return CAIRO_FILL_RULE_WINDING;
      if (r == "evenodd") return CAIRO_FILL_RULE_EVEN_ODD;
      Fail("unknown rule \"" + r + "\"");
    };
    if (c == "newpath") {
      Want(s, 0, 0, "newpath");
      cairo_new_path(cr);
    } else if (c == "fill") {
      CheckOptions(s, {"rule"});
      Want(s, 0, 1, "fill [keep]");
      cairo_set_fill_rule(cr, rule());
      const PathHolder path(cairo_copy_path(cr));
      WithAlpha([&](cairo_t* context) {
        cairo_new_path(context);
        cairo_append_path(context, path.path);
        cairo_fill(context);
      });
      if (keep()) cairo_append_path(cr, path.path);
    } else if (c == "stroke") {
      CheckOptions(s, {"cap", "join", "dash"});
      Want(s, 1, 2, "stroke WIDTH [keep]");
      const double width = Num(s, 0);
      if (width <= 0 || width > 4096) Fail("a stroke is wider than 0 and at most 4096");
      cairo_save(cr);
      cairo_set_line_width(cr, width);
      const std::string cap = OptText(s, "cap", "round");
      cairo_set_line_cap(cr, cap == "butt" ? CAIRO_LINE_CAP_BUTT
                             : cap == "square" ? CAIRO_LINE_CAP_SQUARE
                                               : CAIRO_LINE_CAP_ROUND);
      const std::string join = OptText(s, "join", "round");
      cairo_set_line_join(cr, join == "miter" ? CAIRO_LINE_JOIN_MITER
                              : join == "bevel" ? CAIRO_LINE_JOIN_BEVEL
                                                : CAIRO_LINE_JOIN_ROUND);
      if (const Option* dash = FindOption(s, "dash")) {
        std::vector<double> dashes;
        std::string text = Expand(dash->value.text);
        std::size_t at = 0;
        while (at < text.size()) {
          std::size_t next = text.find(' ', at);
          if (next == std::string::npos) next = text.size();
          if (next > at) dashes.push_back(Eval(text.substr(at, next - at)));
          at = next + 1;
        }
        for (double d : dashes) {
          if (d < 0) Fail("dash lengths cannot be negative");
        }
        if (!dashes.empty()) cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
      }
      const PathHolder path(cairo_copy_path(cr));
      WithAlpha([&](cairo_t* context) {
        cairo_new_path(context);
        cairo_append_path(context, path.path);
        cairo_stroke(context);
      });
      cairo_restore(cr);
      cairo_new_path(cr);
      if (keep()) cairo_append_path(cr, path.path);
    } else if (c == "clip") {
      CheckOptions(s, {"rule"});
      Want(s, 0, 0, "clip");
      cairo_set_fill_rule(cr, rule());
      cairo_clip(cr);
    } else {  // paint
      Want(s, 0, 1, "paint [OPACITY]");
      const double opacity = s.args.empty() ? 1.0 : std::clamp(Num(s, 0), 0.0, 1.0);
      cairo_paint_with_alpha(cr, opacity * pens_.back().alpha);
    }
  }

  // --- Shapes (all add to the current path) ---------------------------------------

  void Shape(const Statement& s) {
    const std::string& c = s.command;
    cairo_t* cr = Cr();
    if (c == "move") {
      Want(s, 2, 2, "move X Y");
      cairo_move_to(cr, Num(s, 0), Num(s, 1));
    } else if (c == "line") {
      Want(s, 2, 2, "line X Y");
      cairo_line_to(cr, Num(s, 0), Num(s, 1));
    } else if (c == "curve") {
      Want(s, 6, 6, "curve X1 Y1 X2 Y2 X Y");
      cairo_curve_to(cr, Num(s, 0), Num(s, 1), Num(s, 2), Num(s, 3), Num(s, 4), Num(s, 5));
    } else if (c == "arc" || c == "arcneg") {
      Want(s, 5, 5, "arc CX CY R FROM_DEGREES TO_DEGREES");
      const double k = std::numbers::pi / 180.0;
      const double r = Num(s, 2);
      if (r < 0) Fail("a radius cannot be negative");
      if (c == "arc") {
        cairo_arc(cr, Num(s, 0), Num(s, 1), r, Num(s, 3) * k, Num(s, 4) * k);
      } else {
        cairo_arc_negative(cr, Num(s, 0), Num(s, 1), r, Num(s, 3) * k, Num(s, 4) * k);
      }
    } else if (c == "close") {
      Want(s, 0, 0, "close");
      cairo_close_path(cr);
    } else if (c == "rect") {
      Want(s, 4, 4, "rect X Y W H");
      cairo_rectangle(cr, Num(s, 0), Num(s, 1), Num(s, 2), Num(s, 3));
    } else if (c == "rrect") {
      Want(s, 5, 5, "rrect X Y W H RADIUS");
      RoundedRect(Num(s, 0), Num(s, 1), Num(s, 2), Num(s, 3), Num(s, 4));
    } else if (c == "circle") {
      Want(s, 3, 3, "circle CX CY R");
      const double r = Num(s, 2);
      if (r < 0) Fail("a radius cannot be negative");
      cairo_new_sub_path(cr);
      cairo_arc(cr, Num(s, 0), Num(s, 1), r, 0, 2 * std::numbers::pi);
      cairo_close_path(cr);
    } else if (c == "ellipse") {
      Want(s, 4, 4, "ellipse CX CY RX RY");
      const double cx = Num(s, 0), cy = Num(s, 1), rx = Num(s, 2), ry = Num(s, 3);
      if (rx <= 0 || ry <= 0) Fail("an ellipse needs two positive radii");
      cairo_save(cr);
      cairo_translate(cr, cx, cy);
      cairo_scale(cr, rx, ry);
      cairo_new_sub_path(cr);
      cairo_arc(cr, 0, 0, 1, 0, 2 * std::numbers::pi);
      cairo_close_path(cr);
      cairo_restore(cr);
    } else if (c == "poly") {
      if (s.args.size() < 4 || s.args.size() % 2 != 0) Fail("\"poly\" is written: poly X Y X Y ...");
      cairo_move_to(cr, Num(s, 0), Num(s, 1));
      for (std::size_t i = 2; i < s.args.size(); i += 2) cairo_line_to(cr, Num(s, i), Num(s, i + 1));
      cairo_close_path(cr);
    } else if (c == "star") {
      Want(s, 5, 5, "star CX CY OUTER INNER POINTS");
      CheckOptions(s, {"turn"});
      const double cx = Num(s, 0), cy = Num(s, 1), ro = Num(s, 2), ri = Num(s, 3);
      const int n = static_cast<int>(Num(s, 4));
      if (n < 2 || n > 256) Fail("a star has 2 to 256 points");
      const double turn = (OptNum(s, "turn", 0) - 90.0) * std::numbers::pi / 180.0;
      for (int i = 0; i < 2 * n; ++i) {
        const double a = turn + i * std::numbers::pi / n;
        const double r = (i % 2 == 0) ? ro : ri;
        if (i == 0) {
          cairo_move_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
        } else {
          cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
        }
      }
      cairo_close_path(cr);
    } else if (c == "text") {
      Text(s);
    } else if (c == "glyph") {
      Glyph(s);
    } else if (c == "leaf") {
      Leaf(s);
    } else if (c == "crack") {
      Crack(s);
    } else if (c == "bolt") {
      Bolt(s);
    } else if (c == "spiral") {
      Spiral(s);
    } else if (c == "hatch") {
      Hatch(s);
    } else {
      Fail("unknown command \"" + c + "\"");
    }
  }

  void RoundedRect(double x, double y, double w, double h, double r) {
    cairo_t* cr = Cr();
    if (w < 0) {
      x += w;
      w = -w;
    }
    if (h < 0) {
      y += h;
      h = -h;
    }
    r = std::clamp(r, 0.0, std::min(w, h) / 2.0);
    const double q = std::numbers::pi / 2.0;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -q, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, q);
    cairo_arc(cr, x + r, y + h - r, r, q, 2 * q);
    cairo_arc(cr, x + r, y + r, r, 2 * q, 3 * q);
    cairo_close_path(cr);
  }

  // A colour glyph (hex code point, "1F56F" or "U+1F56F") drawn centred on
  // X, Y in the current transform, its longer side SIZE pixels.
  void Glyph(const Statement& s) {
    Want(s, 4, 4, "glyph CODE X Y SIZE");
    CheckOptions(s, {"font"});
    std::string code_text = Expand(s.args[0].text);
    if (code_text.size() > 2 && (code_text[0] == 'U' || code_text[0] == 'u') && code_text[1] == '+') {
      code_text.erase(0, 2);
    }
    const bool hex = !code_text.empty() && code_text.size() <= 6 &&
                     std::all_of(code_text.begin(), code_text.end(),
                                 [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)); });
    if (!hex) Fail("\"" + code_text + "\" is not a code point (hex digits, like 1F56F)");
    const auto code = static_cast<uint32_t>(std::strtoul(code_text.c_str(), nullptr, 16));
    const double x = Num(s, 1), y = Num(s, 2), size = Num(s, 3);
    if (size <= 0 || size > 4096) Fail("a glyph size is above 0 and at most 4096");
    if (!setup_.fonts) Fail("no fonts are available to this painter");
    std::string problem;
    cairo_surface_t* bitmap = setup_.fonts->ColourGlyph(OptText(s, "font", "emoji"), code, problem);
    if (!bitmap) Fail(problem);
    const double w = cairo_image_surface_get_width(bitmap), h = cairo_image_surface_get_height(bitmap);
    const double k = size / std::max(w, h);
    PixelWork(static_cast<int64_t>(size * size));
    WithAlpha([&](cairo_t* cr) {
      cairo_save(cr);
      cairo_translate(cr, x, y);
      cairo_scale(cr, k, k);
      cairo_set_source_surface(cr, bitmap, -w / 2, -h / 2);
      cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
      cairo_paint(cr);
      cairo_restore(cr);
    });
  }

  void Text(const Statement& s) {
    Want(s, 4, 4, "text X Y SIZE \"WORDS\"");
    CheckOptions(s, {"align", "valign", "spacing", "arc", "font"});
    cairo_t* cr = Cr();
    const double x = Num(s, 0), y = Num(s, 1), size = Num(s, 2);
    if (size <= 0 || size > 2000) Fail("a text size is above 0 and at most 2000");
    const std::string words = Expand(s.args[3].text);
    if (words.empty()) return;
    if (!setup_.fonts) Fail("no fonts are available to this painter");
    std::string problem;
    const std::string font_name = OptText(s, "font", pens_.back().font);
    cairo_font_face_t* face = setup_.fonts->Find(font_name, problem);
    if (!face) Fail(problem);
    cairo_save(cr);
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, size);
    cairo_scaled_font_t* font = cairo_get_scaled_font(cr);
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    const cairo_status_t status = cairo_scaled_font_text_to_glyphs(
        font, 0, 0, words.data(), static_cast<int>(words.size()), &glyphs, &count, nullptr, nullptr, nullptr);
    if (status != CAIRO_STATUS_SUCCESS) {
      cairo_restore(cr);
      Fail("the text \"" + words + "\" cannot be set: " + cairo_status_to_string(status));
    }
    struct Release {
      cairo_glyph_t* g;
      ~Release() { cairo_glyph_free(g); }
    } release{glyphs};
    const double spacing = OptNum(s, "spacing", 0);
    for (int i = 0; i < count; ++i) glyphs[i].x += spacing * i;
    cairo_text_extents_t ink;
    cairo_scaled_font_glyph_extents(font, glyphs, count, &ink);
    cairo_font_extents_t metrics;
    cairo_scaled_font_extents(font, &metrics);
    double advance = 0.0;
    if (count > 0) {
      cairo_text_extents_t last;
      cairo_scaled_font_glyph_extents(font, &glyphs[count - 1], 1, &last);
      advance = glyphs[count - 1].x + last.x_advance;
    }
    const std::string align = OptText(s, "align", "left");
    double dx = 0.0;
    if (align == "center" || align == "centre") {
      dx = -advance / 2.0;
    } else if (align == "right") {
      dx = -advance;
    } else if (align != "left") {
      Fail("unknown align \"" + align + "\"");
    }
    const std::string valign = OptText(s, "valign", "baseline");
    double dy = 0.0;
    if (valign == "middle") {
      dy = -(ink.y_bearing + ink.height / 2.0);
    } else if (valign == "top") {
      dy = metrics.ascent;
    } else if (valign == "bottom") {
      dy = -metrics.descent;
    } else if (valign != "baseline") {
      Fail("unknown valign \"" + valign + "\"");
    }
    const double radius = OptNum(s, "arc", 0);
    if (radius == 0.0) {
      cairo_translate(cr, x + dx, y + dy);
      cairo_glyph_path(cr, glyphs, count);
    } else {
      // Each glyph stands on a circle through (x, y): above its centre for a
      // positive radius, below it for a negative one, always upright.
      const double r = std::fabs(radius);
      for (int i = 0; i < count; ++i) {
        cairo_text_extents_t one;
        cairo_scaled_font_glyph_extents(font, &glyphs[i], 1, &one);
        const double middle = glyphs[i].x + dx + one.x_advance / 2.0;
        const double angle = middle / r;
        cairo_save(cr);
        cairo_translate(cr, x, y + dy + radius);
        cairo_rotate(cr, radius > 0 ? angle : -angle);
        cairo_translate(cr, 0, radius > 0 ? -r : r);
        cairo_glyph_t glyph = glyphs[i];
        glyph.x = -one.x_advance / 2.0;
        glyph.y = 0;
        cairo_glyph_path(cr, &glyph, 1);
        cairo_restore(cr);
      }
    }
    cairo_restore(cr);
  }

  void Leaf(const Statement& s) {
    Want(s, 5, 5, "leaf CX CY LENGTH WIDTH DEGREES");
    CheckOptions(s, {"lobes", "depth"});
    cairo_t* cr = Cr();
    const double cx = Num(s, 0), cy = Num(s, 1), length = Num(s, 2), width = Num(s, 3);
    const double angle = Num(s, 4) * std::numbers::pi / 180.0;
    const double lobes = std::clamp(OptNum(s, "lobes", 0), 0.0, 40.0);
    const double depth = std::clamp(OptNum(s, "depth", 0.3), 0.0, 0.95);
    // Along the blade from stem (t = 0) to tip (t = 1); lobes notch the edge.
    const int steps = 96;
    const auto half = [&](double t) {
      double w = std::pow(std::sin(std::numbers::pi * std::pow(t, 0.85)), 0.9) * width / 2.0;
      if (lobes > 0) w *= 1.0 - depth * std::pow(std::fabs(std::sin(std::numbers::pi * lobes * t)), 3.0);
      return w;
    };
    const double ca = std::cos(angle), sa = std::sin(angle);
    const auto point = [&](double along, double across, bool first) {
      const double px = cx + (along - length / 2.0) * ca - across * sa;
      const double py = cy + (along - length / 2.0) * sa + across * ca;
      if (first) {
        cairo_move_to(cr, px, py);
      } else {
        cairo_line_to(cr, px, py);
      }
    };
    for (int i = 0; i <= steps; ++i) {
      const double t = static_cast<double>(i) / steps;
      point(t * length, -half(t), i == 0);
    }
    for (int i = steps; i >= 0; --i) {
      const double t = static_cast<double>(i) / steps;
      point(t * length, half(t), false);
    }
    cairo_close_path(cr);
  }

  // With a seed= option, a shape draws from its own random numbers, so the
  // same crack or bolt can be drawn again (a glow under it, a core on top).
  struct SeedScope {
    SeedScope(Painter& painter, const Statement& s) : painter_(painter), saved_(painter.random_) {
      if (painter.FindOption(s, "seed")) {
        painter.random_ = Random(static_cast<uint64_t>(std::llround(std::fabs(painter.OptNum(s, "seed", 0)))));
      } else {
        active_ = false;
      }
    }
    ~SeedScope() {
      if (active_) painter_.random_ = saved_;
    }
    SeedScope(const SeedScope&) = delete;
    SeedScope& operator=(const SeedScope&) = delete;
    Painter& painter_;
    Random saved_;
    bool active_ = true;
  };

  void CrackFrom(double x, double y, double length, double angle, int branches, double jag, int depth) {
    cairo_t* cr = Cr();
    const int steps = std::max(2, static_cast<int>(length / 6.0));
    const double step = length / steps;
    cairo_move_to(cr, x, y);
    for (int i = 0; i < steps; ++i) {
      angle += random_.range(-jag, jag);
      x += step * std::cos(angle * std::numbers::pi / 180.0);
      y += step * std::sin(angle * std::numbers::pi / 180.0);
      cairo_line_to(cr, x, y);
      if (depth < 3 && branches > 0 && random_.unit() < 2.0 * branches / steps) {
        --branches;
        const double side = random_.unit() < 0.5 ? -1.0 : 1.0;
        CrackFrom(x, y, length * random_.range(0.25, 0.5), angle + side * random_.range(25, 60), 1, jag,
                  depth + 1);
        cairo_move_to(cr, x, y);
      }
    }
  }

  void Crack(const Statement& s) {
    Want(s, 4, 4, "crack X Y LENGTH DEGREES");
    CheckOptions(s, {"branches", "jag", "seed"});
    const SeedScope fixed(*this, s);
    const double length = Num(s, 2);
    if (length < 0 || length > 10000) Fail("a crack is 0 to 10000 long");
    CrackFrom(Num(s, 0), Num(s, 1), length, Num(s, 3), static_cast<int>(std::clamp(OptNum(s, "branches", 3), 0.0, 20.0)),
              OptNum(s, "jag", 25), 0);
  }

  void BoltFrom(double x0, double y0, double x1, double y1, double jag, int branches, int depth) {
    cairo_t* cr = Cr();
    // Midpoint displacement: each halving bends the line sideways a little less.
    std::vector<std::pair<double, double>> points = {{x0, y0}, {x1, y1}};
    double offset = std::hypot(x1 - x0, y1 - y0) * jag;
    for (int round = 0; round < 6; ++round) {
      std::vector<std::pair<double, double>> next;
      for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const auto [ax, ay] = points[i];
        const auto [bx, by] = points[i + 1];
        const double len = std::max(1e-9, std::hypot(bx - ax, by - ay));
        const double shift = random_.range(-offset, offset);
        next.push_back(points[i]);
        next.emplace_back((ax + bx) / 2.0 - (by - ay) / len * shift, (ay + by) / 2.0 + (bx - ax) / len * shift);
      }
      next.push_back(points.back());
      points = std::move(next);
      offset /= 2.0;
    }
    cairo_move_to(cr, points[0].first, points[0].second);
    for (std::size_t i = 1; i < points.size(); ++i) cairo_line_to(cr, points[i].first, points[i].second);
    if (depth >= 2) return;
    for (int b = 0; b < branches; ++b) {
      const std::size_t at = 4 + static_cast<std::size_t>(random_.unit() * (points.size() - 8));
      const auto [bx, by] = points[at];
      const double dir = std::atan2(y1 - y0, x1 - x0) + random_.range(-0.9, 0.9);
      const double len = std::hypot(x1 - x0, y1 - y0) * random_.range(0.2, 0.45);
      BoltFrom(bx, by, bx + len * std::cos(dir), by + len * std::sin(dir), jag, branches / 2, depth + 1);
    }
  }

  void Bolt(const Statement& s) {
    Want(s, 4, 4, "bolt X0 Y0 X1 Y1");
    CheckOptions(s, {"jag", "branches", "seed"});
    const SeedScope fixed(*this, s);
    BoltFrom(Num(s, 0), Num(s, 1), Num(s, 2), Num(s, 3), std::clamp(OptNum(s, "jag", 0.2), 0.0, 1.0),
             static_cast<int>(std::clamp(OptNum(s, "branches", 3), 0.0, 12.0)), 0);
  }

  void Spiral(const Statement& s) {
    Want(s, 4, 4, "spiral CX CY RADIUS TURNS");
    CheckOptions(s, {"start", "dir", "inner"});
    cairo_t* cr = Cr();
    const double cx = Num(s, 0), cy = Num(s, 1), r0 = Num(s, 2), turns = Num(s, 3);
    if (turns <= 0 || turns > 50) Fail("a spiral turns 0 to 50 times");
    const double start = OptNum(s, "start", 0) * std::numbers::pi / 180.0;
    const double dir = OptNum(s, "dir", 1) < 0 ? -1.0 : 1.0;
    const double inner = std::clamp(OptNum(s, "inner", 0.1), 0.0, 1.0);
    const int steps = static_cast<int>(turns * 48);
    for (int i = 0; i <= steps; ++i) {
      const double t = static_cast<double>(i) / steps;
      const double a = start + dir * t * turns * 2.0 * std::numbers::pi;
      const double r = r0 * (1.0 - (1.0 - inner) * t);
      if (i == 0) {
        cairo_move_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
      } else {
        cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
      }
    }
  }

  void Hatch(const Statement& s) {
    Want(s, 6, 6, "hatch X Y W H SPACING DEGREES");
    cairo_t* cr = Cr();
    const double x = Num(s, 0), y = Num(s, 1), w = Num(s, 2), h = Num(s, 3), gap = Num(s, 4);
    if (gap < 0.5) Fail("hatch lines are at least half a pixel apart");
    const double a = Num(s, 5) * std::numbers::pi / 180.0;
    const double cx = x + w / 2.0, cy = y + h / 2.0, reach = std::hypot(w, h) / 2.0;
    const double dx = std::cos(a), dy = std::sin(a);
    const int lines = static_cast<int>(2.0 * reach / gap);
    if (lines > 20000) Fail("too many hatch lines");
    for (int i = 0; i <= lines; ++i) {
      const double o = -reach + i * gap;
      const double px = cx - dy * o, py = cy + dx * o;
      cairo_move_to(cr, px - dx * reach, py - dy * reach);
      cairo_line_to(cr, px + dx * reach, py + dy * reach);
    }
  }

  // --- Textures and light ---------------------------------------------------------

  void Noise(const Statement& s) {
    Want(s, 1, 1, "noise clouds|grain|wood|ridged [options]");
    CheckOptions(s, {"scale", "sx", "sy", "octaves", "gain", "contrast", "bias", "amount", "color",
                     "color2", "period", "turb", "seed", "invert", "ox", "oy", "vertical"});
    const std::string kind = Expand(s.args[0].text);
    if (kind != "clouds" && kind != "grain" && kind != "wood" && kind != "ridged") {
      Fail("unknown noise \"" + kind + "\"");
    }
    const double scale = OptNum(s, "scale", 64);
    const double sx = OptNum(s, "sx", 1), sy = OptNum(s, "sy", 1);
    if (scale <= 0 || sx <= 0 || sy <= 0) Fail("noise scales must be positive");
    const int octaves = static_cast<int>(std::clamp(OptNum(s, "octaves", 4), 1.0, 10.0));
    const double gain = OptNum(s, "gain", 0.5), contrast = OptNum(s, "contrast", 1);
    const double bias = OptNum(s, "bias", 0), amount = std::clamp(OptNum(s, "amount", 1), 0.0, 1.0);
    const double period = OptNum(s, "period", 12), turb = OptNum(s, "turb", 4);
    if (period <= 0) Fail("a wood period must be positive");
    const bool invert = OptNum(s, "invert", 0) != 0;
    // Shifts the pattern, so two pictures can share one field of noise.
    const double ox = OptNum(s, "ox", 0), oy = OptNum(s, "oy", 0);
    const bool vertical = OptNum(s, "vertical", 0) != 0;  // wood grain running down
    const Rgba c1 = OptColour(s, "color", Rgba{0, 0, 0, 1});
    const bool two = FindOption(s, "color2") != nullptr;
    const Rgba c2 = OptColour(s, "color2", c1);
    const uint32_t seed = FindOption(s, "seed") ? static_cast<uint32_t>(OptNum(s, "seed", 0))
                                                : seed_ * 7919u + ++noise_calls_;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (!ClipBox(x0, y0, x1, y1)) return;
    const int w = x1 - x0, h = y1 - y0;
    PixelWork(static_cast<int64_t>(w) * h * octaves);
    const SurfaceHolder holder(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    cairo_surface_t* pixels = holder.surface;
    {
      PixelView view(pixels);
      for (int y = 0; y < h; ++y) {
        uint32_t* row = view.row(y);
        for (int x = 0; x < w; ++x) {
          const double px = x + x0 + ox, py = y + y0 + oy;
          const double u = px / (scale * sx), v = py / (scale * sy);
          double t = 0.0;
          if (kind == "clouds") {
            t = Fractal(u, v, octaves, gain, seed);
          } else if (kind == "grain") {
            t = Lattice(static_cast<int>(px), static_cast<int>(py), seed);
          } else if (kind == "ridged") {
            t = 1.0 - std::fabs(2.0 * Fractal(u, v, octaves, gain, seed) - 1.0);
          } else if (vertical) {
            const double f = Fractal(u, v / 6.0, octaves, gain, seed);
            t = 0.5 + 0.5 * std::sin(2.0 * std::numbers::pi * (px / period + turb * f));
          } else {
            const double f = Fractal(u / 6.0, v, octaves, gain, seed);
            t = 0.5 + 0.5 * std::sin(2.0 * std::numbers::pi * (py / period + turb * f));
          }
          t = std::clamp((t - 0.5) * contrast + 0.5 + bias, 0.0, 1.0);
          if (invert) t = 1.0 - t;
          Rgba out = c1;
          double a = 0.0;
          if (two) {
            out.r = c1.r + (c2.r - c1.r) * t;
            out.g = c1.g + (c2.g - c1.g) * t;
            out.b = c1.b + (c2.b - c1.b) * t;
            a = (c1.a + (c2.a - c1.a) * t) * amount;
          } else {
            a = c1.a * t * amount;
          }
          const auto ch = [a](double v0) { return static_cast<int>(std::lround(v0 * a * 255.0)); };
          row[x] = Pack(static_cast<int>(std::lround(a * 255.0)), ch(out.r), ch(out.g), ch(out.b));
        }
      }
    }
    PaintPixels(pixels, x0, y0);
  }

  void Stars(const Statement& s) {
    Want(s, 5, 5, "stars X Y W H COUNT");
    CheckOptions(s, {"size", "color", "flare"});
    cairo_t* cr = Cr();
    const double x = Num(s, 0), y = Num(s, 1), w = Num(s, 2), h = Num(s, 3);
    const double count = Num(s, 4);
    if (count < 0 || count > 20000) Fail("0 to 20000 stars");
    const double size = OptNum(s, "size", 1.5);
    const double flare = OptNum(s, "flare", 0.05);
    const Rgba colour = OptColour(s, "color", Rgba{1, 1, 0.95, 1});
    cairo_save(cr);
    for (int i = 0; i < static_cast<int>(count); ++i) {
      const double px = x + random_.unit() * w, py = y + random_.unit() * h;
      const double bright = std::pow(random_.unit(), 2.2);
      const double r = size * (0.35 + 0.9 * bright);
      cairo_pattern_t* glow = cairo_pattern_create_radial(px, py, 0, px, py, r * 2.5);
      cairo_pattern_add_color_stop_rgba(glow, 0, colour.r, colour.g, colour.b, colour.a * (0.35 + 0.65 * bright));
      cairo_pattern_add_color_stop_rgba(glow, 0.35, colour.r, colour.g, colour.b, colour.a * 0.25 * bright);
      cairo_pattern_add_color_stop_rgba(glow, 1, colour.r, colour.g, colour.b, 0);
      cairo_set_source(cr, glow);
      cairo_new_path(cr);
      cairo_arc(cr, px, py, r * 2.5, 0, 2 * std::numbers::pi);
      cairo_fill(cr);
      cairo_pattern_destroy(glow);
      if (random_.unit() < flare) {
        cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a * 0.5);
        cairo_set_line_width(cr, 0.8);
        cairo_move_to(cr, px - r * 5, py);
        cairo_line_to(cr, px + r * 5, py);
        cairo_move_to(cr, px, py - r * 5);
        cairo_line_to(cr, px, py + r * 5);
        cairo_stroke(cr);
      }
    }
    cairo_restore(cr);
  }

  void Vignette(const Statement& s) {
    Want(s, 1, 1, "vignette STRENGTH");
    CheckOptions(s, {"color", "inner"});
    cairo_t* cr = Cr();
    const double strength = std::clamp(Num(s, 0), 0.0, 1.0);
    const double inner = std::clamp(OptNum(s, "inner", 0.45), 0.0, 0.99);
    const Rgba colour = OptColour(s, "color", Rgba{0, 0, 0, 1});
    const double w = Width(), h = Height(), r = std::hypot(w, h) / 2.0;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_pattern_t* pattern = cairo_pattern_create_radial(w / 2, h / 2, r * inner, w / 2, h / 2, r);
    cairo_pattern_add_color_stop_rgba(pattern, 0, colour.r, colour.g, colour.b, 0);
    cairo_pattern_add_color_stop_rgba(pattern, 1, colour.r, colour.g, colour.b, colour.a * strength);
    cairo_set_source(cr, pattern);
    cairo_paint_with_alpha(cr, pens_.back().alpha);
    cairo_pattern_destroy(pattern);
    cairo_restore(cr);
  }

  const PaintSetup& setup_;
  std::vector<Target> targets_;
  std::vector<PenState> pens_;
  std::vector<Scope> scopes_;
  std::unordered_map<std::string, Macro> macros_;
  std::vector<std::unique_ptr<Recipe>> included_;  // macros point into these
  Random random_{1};
  uint32_t seed_ = 1;
  uint32_t noise_calls_ = 0;
  int64_t steps_ = 0;
  int64_t pixel_work_ = 0;
  int line_ = 0;
  int call_depth_ = 0;
  int include_depth_ = 0;
  std::string origin_;  // the shared file being read, empty for the recipe
};

}  // namespace

Picture PaintRecipe(const Recipe& recipe, const PaintSetup& setup) {
  Painter painter(setup);
  return painter.Run(recipe);
}

}  // namespace art
