// Feeds arbitrary bytes to the art recipe reader and, when they read, to the
// painter on a small canvas with tight work limits: it must report faults,
// never crash, hang or leak.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "tools/art_paint.h"
#include "tools/art_recipe.h"

namespace {

// Opening fonts is slow; one shelf serves every input.
art::FontShelf& Fonts() {
  static art::FontShelf shelf;
  return shelf;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  art::Recipe recipe;
  try {
    recipe = art::ParseRecipe(bytes);
  } catch (const art::RecipeError& error) {
    if (error.line() < 0) abort();
    return 0;
  }
  art::PaintSetup setup;
  setup.fonts = &Fonts();
  setup.max_canvas = 64;
  setup.max_steps = 20000;
  setup.max_pixel_work = 4'000'000;
  setup.load_include = [](const std::string& path) -> std::optional<std::string> {
    if (path == "lib/shape.arti") return std::string("macro shape s\n  circle 8 8 $s\n  fill\nend\n");
    return std::nullopt;
  };
  try {
    const art::Picture picture = art::PaintRecipe(recipe, setup);
    if (picture.width() < 1 || picture.width() > 64 || picture.height() < 1 || picture.height() > 64) abort();
  } catch (const art::RecipeError&) {
  }
  return 0;
}
