// soundgen: synthesises one sound from its recipe and writes it as Ogg
// Vorbis.
//
//   soundgen RECIPE OUTPUT.ogg
//
// The sound's name (its title and stream serial number) is the output's
// file name without ".ogg". Included files are found beside the recipe.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "sound_recipe.h"
#include "sound_synth.h"
#include "tool_files.h"
#include "vorbis_file.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: soundgen RECIPE OUTPUT.ogg\n");
    return 2;
  }
  const std::string recipe_path = argv[1];
  const std::string out_path = argv[2];
  std::string text;
  if (!toolfiles::ReadFile(recipe_path, &text)) {
    std::fprintf(stderr, "soundgen: cannot read \"%s\"\n", recipe_path.c_str());
    return 1;
  }
  const std::string folder = toolfiles::FolderOf(recipe_path);
  const soundgen::IncludeReader include = [&folder](const std::string& name, std::string* bytes) {
    return toolfiles::ReadFile(folder.empty() ? name : folder + "/" + name, bytes);
  };
  std::vector<std::string> errors;
  const auto recipe = soundgen::ParseRecipe(text, recipe_path, include, &errors);
  if (!recipe) {
    for (const std::string& e : errors) std::fprintf(stderr, "soundgen: %s\n", e.c_str());
    return 1;
  }
  const soundgen::Audio audio = soundgen::Render(*recipe);
  const std::string name = std::filesystem::path(out_path).stem().string();
  const std::string ogg = soundgen::EncodeVorbis(audio, recipe->quality, name);
  if (ogg.empty()) {
    std::fprintf(stderr, "soundgen: %s: the encoder refuses %d channels at %d Hz\n", recipe_path.c_str(),
                 audio.channels, audio.rate);
    return 1;
  }
  std::string error;
  if (!toolfiles::WriteFile(out_path, ogg, &error)) {
    std::fprintf(stderr, "soundgen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
