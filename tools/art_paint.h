// Placeholder art, part two: painting a recipe (art_recipe.h) into a picture.
//
// The only module of the content tools that depends on Cairo and FreeType:
// Cairo draws the paths, gradients and glyph outlines; our own pixel passes add
// blur, bevel, tint and the seeded noise textures, so the same recipe gives
// the same bytes on every run. Fonts are read from the Debian font packages by
// file path; no font configuration service is asked.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "art_recipe.h"

struct _cairo_surface;      // cairo.h: cairo_surface_t
struct _cairo_font_face;    // cairo.h: cairo_font_face_t

namespace art {

// --- Fonts ------------------------------------------------------------------------

// The fonts recipes name, opened once and kept until the shelf goes. A name is
// either one of the aliases of docs/art.md ("serif", "script", ...) or a path
// below one of the font folders ("opentype/urw-base35/C059-Roman.otf").
class FontShelf {
 public:
  explicit FontShelf(std::vector<std::string> folders = {"/usr/share/fonts"});
  ~FontShelf();
  FontShelf(const FontShelf&) = delete;
  FontShelf& operator=(const FontShelf&) = delete;

  // The face for a name; nullptr (and `problem` filled) when the file is
  // missing or FreeType cannot read it. Owned by the shelf.
  _cairo_font_face* Find(const std::string& name, std::string& problem);
  // The file an alias stands for, or the name itself when it is no alias.
  static std::string Resolve(const std::string& name);
  // A colour glyph of a bitmap font (the colour emoji font, alias "emoji"):
  // its one fixed strike as premultiplied pixels, read once and kept. nullptr
  // (and `problem` filled) when the font or the code point is missing.
  _cairo_surface* ColourGlyph(const std::string& name, uint32_t code, std::string& problem);

 private:
  struct Entry;
  std::vector<std::string> folders_;
  void* library_ = nullptr;  // FT_Library
  std::map<std::string, std::unique_ptr<Entry>> faces_;
  std::map<std::string, void*> bitmap_faces_;  // FT_Face by file, for colour glyphs
  std::map<std::pair<std::string, uint32_t>, _cairo_surface*> glyphs_;
  std::string FindFile(const std::string& file) const;
  // A font file may be opened: below the font folders, with FreeType running.
  // False with `problem` filled otherwise.
  bool CanOpen(const std::string& name, const std::string& file, std::string& problem) const;
};

// --- Pictures ---------------------------------------------------------------------

// A painted image: 32-bit pixels with alpha. Owns its Cairo surface.
class Picture {
 public:
  Picture() = default;
  explicit Picture(_cairo_surface* surface);
  ~Picture();
  Picture(Picture&& other) noexcept;
  Picture& operator=(Picture&& other) noexcept;
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  bool empty() const { return surface_ == nullptr; }
  int width() const;
  int height() const;
  // Straight (not premultiplied) colour of a pixel as 0xAARRGGBB; 0 outside.
  uint32_t Pixel(int x, int y) const;
  // The PNG file's bytes; empty when encoding fails.
  std::vector<uint8_t> EncodePng() const;
  _cairo_surface* surface() const { return surface_; }

 private:
  _cairo_surface* surface_ = nullptr;
};

// --- Painting ---------------------------------------------------------------------

struct PaintSetup {
  // The text of a shared recipe file named by `include`, by its path below the
  // art folder; nullopt when there is no such file.
  std::function<std::optional<std::string>(const std::string&)> load_include;
  FontShelf* fonts = nullptr;  // required for `text`
  int max_canvas = 4096;       // largest width or height a recipe may ask for
  // Work limits, so that a faulty recipe fails instead of running for hours:
  // statements carried out, and pixels touched by the pixel passes.
  int64_t max_steps = 4'000'000;
  int64_t max_pixel_work = 4'000'000'000;
};

// Paints a recipe. Throws RecipeError with the line of the fault: an unknown
// command, a bad number or colour, a missing font or include, a canvas over
// the limit, work over the limits.
Picture PaintRecipe(const Recipe& recipe, const PaintSetup& setup);

}  // namespace art
