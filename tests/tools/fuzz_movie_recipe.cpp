// Feeds arbitrary bytes to the movie recipe reader. A recipe it accepts must
// be one the generator can render: a size within bounds, shots whose fades
// fit, weights and cameras that stay finite and in range at any time.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "movie_recipe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string problem;
  const auto movie = moviegen::ParseMovieRecipe(
      std::string_view(reinterpret_cast<const char*>(data), size), &problem);
  if (!movie) {
    if (problem.empty()) abort();
    return 0;
  }
  if (movie->width < 16 || movie->width > 4096 || movie->rate < 1 || movie->shots.empty()) abort();
  for (const moviegen::Shot& shot : movie->shots) {
    for (double t : {shot.start, (shot.start + shot.end) / 2, shot.end - 0.001, shot.end}) {
      const double w = moviegen::ShotWeight(shot, t);
      const moviegen::Camera c = moviegen::ShotCamera(shot, t);
      if (!(w >= 0.0 && w <= 1.0) || !(c.scale > 0.0) || !std::isfinite(c.cx)) abort();
    }
  }
  return 0;
}
