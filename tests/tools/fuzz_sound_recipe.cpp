// Feeds arbitrary bytes to the sound recipe reader (every include reads the
// same bytes again, so nesting is exercised too). Short recipes are also
// rendered: every sample must be a finite number within full scale.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sound_recipe.h"
#include "sound_synth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const soundgen::IncludeReader include = [&text](const std::string&, std::string* out) {
    *out = text;
    return true;
  };
  const auto recipe = soundgen::ParseRecipe(text, "fuzz", include, nullptr);
  if (!recipe) return 0;
  for (const soundgen::Event& e : recipe->events) {
    if (e.instrument < 0 || static_cast<std::size_t>(e.instrument) >= recipe->instruments.size()) abort();
  }
  double end = recipe->length + recipe->crossfade;
  for (const soundgen::Event& e : recipe->events) {
    const auto& ins = recipe->instruments[static_cast<std::size_t>(e.instrument)];
    end = std::max(end, e.start + e.duration + ins.release);
  }
  if (recipe->events.size() > 16 || end + soundgen::detail::EffectTail(*recipe) > 0.25) return 0;
  const soundgen::Audio audio = soundgen::Render(*recipe);
  for (float s : audio.samples) {
    if (!std::isfinite(s) || s < -1.0f || s > 1.0f) abort();
  }
  return 0;
}
