// artgen: paints the game's placeholder art from the recipes in content/art.
//
//   artgen --src content/art --out STAGE/images [--manifest FILE] [--sheet FILE]
//          [--sprites content/sprites.txt] [--levels content/levels]
//          [--items content/items.txt] [--pictures content/pictures.txt]
//          [--only FOLDER]... [--except FOLDER]...
//   artgen --one RECIPE.art OUT.png [--src content/art] [--size N]
//   artgen --layout OUT.png BASE.png [X Y PICTURE.png]...
//
// Every content/art/<folder>/<name>.art becomes <out>/<folder>/<name>.png; the
// folders mirror the image archive. Every line of the sprite and item lists
// without a recipe of its own is painted from a recipe written for it
// (art_sprites.h). A PNG is rewritten only when its bytes change, and images
// this tool made last time but no longer makes are removed (the manifest
// remembers them), so the archive never packs a stale picture. `--only` and
// `--except` narrow a run to some folders, so the build can paint each
// level on its own and repaint only the level that changed. `--one` with
// `--size` scales the painted picture to N x N: the application icon is
// painted once, large, and given at every size the desktop asks for.
// Depends on the recipe painter (art_paint.h) and Cairo for the contact sheet.
#include <cairo.h>  // the contact sheet of thumbnails

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "art_paint.h"
#include "art_pictures.h"
#include "art_recipe.h"
#include "art_sprites.h"

namespace fs = std::filesystem;

namespace {

// Recipes are small; a stored PNG may be larger.
constexpr std::size_t kMaxReadBytes = 64u << 20;

struct Options {
  fs::path src;
  fs::path out;
  fs::path manifest;
  fs::path sheet;
  fs::path one_recipe;
  fs::path one_output;
  int size = 0;  // --size: the square size --one scales its picture to
  fs::path sprites;
  fs::path items;
  fs::path levels;
  fs::path pictures;
  std::vector<std::string> only;
  std::vector<std::string> except;
};

// A folder inside the run: below one of `only` (when any is given) and below
// none of `except`.
bool InScope(const Options& options, const std::string& folder) {
  const auto below = [&folder](const std::string& prefix) {
    return folder == prefix || folder.rfind(prefix + "/", 0) == 0;
  };
  if (!options.only.empty() && std::none_of(options.only.begin(), options.only.end(), below)) return false;
  return std::none_of(options.except.begin(), options.except.end(), below);
}

struct Painted {
  std::string name;  // folder/name
  art::Picture picture;
  double seconds = 0.0;
};

void Usage() {
  std::fprintf(stderr,
               "usage: artgen --src DIR --out DIR [--manifest FILE] [--sheet FILE]\n"
               "              [--sprites FILE] [--levels DIR] [--items FILE] [--pictures FILE]\n"
               "              [--only FOLDER]... [--except FOLDER]...\n"
               "       artgen --one RECIPE.art OUT.png [--src DIR] [--size N]\n"
               "       artgen --layout OUT.png BASE.png [X Y PICTURE.png]...\n");
}

std::optional<std::string> ReadText(const fs::path& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  std::string text;
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() <= kMaxReadBytes) {
    text.append(buffer, got);
  }
  std::fclose(file);
  if (text.size() > kMaxReadBytes) return std::nullopt;
  return text;
}

// Writes the bytes unless the file already holds exactly them.
bool WriteIfChanged(const fs::path& path, const std::vector<uint8_t>& bytes) {
  if (std::optional<std::string> old = ReadText(path)) {
    if (old->size() == bytes.size() && std::equal(bytes.begin(), bytes.end(), old->begin(),
                                                  [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); })) {
      return true;
    }
  }
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  const fs::path temporary = path.string() + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) return false;
  }
  fs::rename(temporary, path, error);
  return !error;
}

// Paints recipe text. A fault is reported against `shown_name` and, for a
// written recipe, its line; a recipe made for a list line names that line.
std::optional<art::Picture> PaintText(const std::string& text, const fs::path& src, art::FontShelf& fonts,
                                      const std::string& shown_name, bool written_for_a_line) {
  art::PaintSetup setup;
  setup.fonts = &fonts;
  setup.load_include = [&src](const std::string& path) { return ReadText(src / path); };
  try {
    return art::PaintRecipe(art::ParseRecipe(text), setup);
  } catch (const art::RecipeError& error) {
    if (written_for_a_line) {
      std::fprintf(stderr, "artgen: %s: %s\n", shown_name.c_str(), error.what());
    } else {
      std::fprintf(stderr, "artgen: %s:%d: %s\n", shown_name.c_str(), error.line(), error.what());
    }
  }
  return std::nullopt;
}

std::optional<art::Picture> PaintFile(const fs::path& recipe_path, const fs::path& src, art::FontShelf& fonts,
                                      const std::string& shown_name) {
  const std::optional<std::string> text = ReadText(recipe_path);
  if (!text) {
    std::fprintf(stderr, "artgen: %s: cannot be read\n", shown_name.c_str());
    return std::nullopt;
  }
  return PaintText(*text, src, fonts, shown_name, false);
}

// One picture of the run: a recipe file, or a recipe written for a list line.
struct Job {
  std::string folder, stem, shown;
  fs::path recipe;            // empty for a written recipe
  std::string written;
};

// Reads a sprite or item list; its faults are printed as LIST:LINE: MESSAGE.
std::optional<std::vector<art::SpriteLine>> ReadList(const fs::path& path, bool items) {
  const std::optional<std::string> text = ReadText(path);
  if (!text) {
    std::fprintf(stderr, "artgen: %s: cannot be read\n", path.c_str());
    return std::nullopt;
  }
  std::vector<art::ListFault> faults;
  std::vector<art::SpriteLine> lines = items ? art::ReadItemList(*text, faults) : art::ReadSpriteList(*text, faults);
  for (const art::ListFault& fault : faults) {
    std::fprintf(stderr, "artgen: %s:%d: %s\n", path.c_str(), fault.line, fault.message.c_str());
  }
  if (!faults.empty()) return std::nullopt;
  return lines;
}

// Recipes written for the list lines in scope that have no recipe file.
bool AddListJobs(const Options& options, std::vector<Job>& jobs) {
  bool ok = true;
  art::PictureTable table;
  if (!options.pictures.empty()) {
    const std::optional<std::string> text = ReadText(options.pictures);
    std::vector<art::ListFault> faults;
    if (text) table = art::ReadPictureTable(*text, faults);
    if (!text) std::fprintf(stderr, "artgen: %s: cannot be read\n", options.pictures.c_str());
    for (const art::ListFault& fault : faults) {
      std::fprintf(stderr, "artgen: %s:%d: %s\n", options.pictures.c_str(), fault.line, fault.message.c_str());
    }
    if (!text || !faults.empty()) return false;
  }
  std::map<std::string, std::map<std::string, std::pair<double, double>>> placed;  // by level
  for (const auto& [list, items] : {std::pair{options.sprites, false}, std::pair{options.items, true}}) {
    if (list.empty()) continue;
    const std::optional<std::vector<art::SpriteLine>> lines = ReadList(list, items);
    if (!lines) {
      ok = false;
      continue;
    }
    for (const art::SpriteLine& line : *lines) {
      if (!InScope(options, line.folder)) continue;
      std::error_code error;
      if (fs::exists(options.src / line.folder / (line.name + ".art"), error)) continue;  // its own recipe wins
      const std::string shown = list.string() + ":" + std::to_string(line.line);
      if (auto entry = table.entries.find(line.folder + "/" + line.name); entry != table.entries.end()) {
        auto palette = table.palettes.find(art::PaletteKey(line.folder));
        jobs.push_back(Job{line.folder, line.name, shown, {},
                           art::PictureRecipe(line, entry->second,
                                              palette == table.palettes.end() ? art::Palette{} : palette->second)});
        continue;
      }
      if (!options.pictures.empty()) {
        std::fprintf(stderr, "artgen: %s: %s/%s has no picture in %s; a labelled placeholder stands in\n",
                     shown.c_str(), line.folder.c_str(), line.name.c_str(), options.pictures.c_str());
      }
      art::Walk walk = art::Walk::kUnknown;
      if (line.kind == "area" && !options.levels.empty()) {
        const std::string level = line.folder.substr(line.folder.find('/') + 1);
        auto found = placed.find(level);
        if (found == placed.end()) {
          const std::optional<std::string> text = ReadText(options.levels / (level + ".cfg"));
          found = placed.emplace(level, art::ReadObjectCentres(text.value_or(""))).first;
        }
        if (auto at = found->second.find(line.name); at != found->second.end()) {
          walk = art::WalkOf(line.name, at->second.first, at->second.second);
        }
      }
      jobs.push_back(Job{line.folder, line.name, shown, {}, art::SpriteRecipe(line, walk)});
    }
  }
  return ok;
}

std::vector<fs::path> FindRecipes(const fs::path& src) {
  std::vector<fs::path> recipes;
  std::error_code error;
  for (fs::recursive_directory_iterator it(src, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file() && it->path().extension() == ".art") {
      recipes.push_back(fs::relative(it->path(), src));
    }
  }
  std::sort(recipes.begin(), recipes.end());
  return recipes;
}

std::set<std::string> ReadManifest(const fs::path& path) {
  std::set<std::string> names;
  if (path.empty()) return names;
  if (std::optional<std::string> text = ReadText(path)) {
    std::istringstream lines(*text);
    std::string line;
    while (std::getline(lines, line)) {
      if (!line.empty()) names.insert(line);
    }
  }
  return names;
}

// A grid of every picture on a checkerboard, each labelled with its name and
// size, for looking the whole set over at once; a page holds 80 pictures and
// pages after the first are named SHEET-2.png, SHEET-3.png, ...
bool WriteSheetPage(const fs::path& path, const Painted* painted, std::size_t count, art::FontShelf& fonts) {
  constexpr int kColumns = 10, kCell = 128, kThumb = 112, kLabel = 26;
  const int rows = static_cast<int>((count + kColumns - 1) / kColumns);
  cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kColumns * kCell,
                                                      std::max(1, rows) * (kCell + kLabel));
  cairo_t* cr = cairo_create(sheet);
  cairo_set_source_rgb(cr, 0.16, 0.16, 0.18);
  cairo_paint(cr);
  std::string problem;
  cairo_font_face_t* face = fonts.Find("sans-condensed", problem);
  for (std::size_t i = 0; i < count; ++i) {
    const int cx = static_cast<int>(i % kColumns) * kCell, cy = static_cast<int>(i / kColumns) * (kCell + kLabel);
    const art::Picture& picture = painted[i].picture;
    const double k = std::min({1.0, static_cast<double>(kThumb) / picture.width(),
                               static_cast<double>(kThumb) / picture.height()});
    const double tw = picture.width() * k, th = picture.height() * k;
    const double tx = cx + (kCell - tw) / 2, ty = cy + 8 + (kThumb - th) / 2;
    for (int y = 0; y < static_cast<int>(th); y += 8) {
      for (int x = 0; x < static_cast<int>(tw); x += 8) {
        const bool dark = ((x / 8) + (y / 8)) % 2 == 0;
        cairo_set_source_rgb(cr, dark ? 0.42 : 0.55, dark ? 0.42 : 0.55, dark ? 0.45 : 0.58);
        cairo_rectangle(cr, tx + x, ty + y, std::min(8.0, tw - x), std::min(8.0, th - y));
        cairo_fill(cr);
      }
    }
    cairo_save(cr);
    cairo_translate(cr, tx, ty);
    cairo_scale(cr, k, k);
    cairo_set_source_surface(cr, picture.surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    if (face) {
      cairo_set_font_face(cr, face);
      cairo_set_font_size(cr, 9);
      cairo_set_source_rgb(cr, 0.9, 0.88, 0.8);
      const std::string& name = painted[i].name;
      const std::size_t slash = name.rfind('/');
      const std::string lines[2] = {name.substr(0, slash),
                                    name.substr(slash + 1) + "  " + std::to_string(picture.width()) + "x" +
                                        std::to_string(picture.height())};
      for (int line = 0; line < 2; ++line) {
        cairo_move_to(cr, cx + 4, cy + kThumb + 18 + line * 11);
        cairo_show_text(cr, lines[line].c_str());
      }
    }
  }
  cairo_destroy(cr);
  const bool ok = cairo_surface_write_to_png(sheet, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(sheet);
  return ok;
}

// The picture drawn at size x size with Cairo's best filter, which
// averages every source pixel on the way down.
art::Picture Scaled(const art::Picture& picture, int size) {
  cairo_surface_t* scaled = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(scaled);
  cairo_scale(cr, static_cast<double>(size) / picture.width(), static_cast<double>(size) / picture.height());
  cairo_set_source_surface(cr, picture.surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BEST);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);  // no fade at the edges
  cairo_paint(cr);
  cairo_destroy(cr);
  return art::Picture(scaled);
}

bool WriteSheet(const fs::path& path, const std::vector<Painted>& painted, art::FontShelf& fonts) {
  constexpr std::size_t kPage = 80;
  bool ok = true;
  for (std::size_t first = 0, page = 1; first < std::max<std::size_t>(1, painted.size()); first += kPage, ++page) {
    fs::path page_path = path;
    if (page > 1) page_path.replace_filename(path.stem().string() + "-" + std::to_string(page) + path.extension().string());
    ok = WriteSheetPage(page_path, painted.data() + first, std::min(kPage, painted.size() - first), fonts) && ok;
  }
  return ok;
}

int PaintOne(const Options& options, art::FontShelf& fonts) {
  std::optional<art::Picture> picture =
      PaintFile(options.one_recipe, options.src.empty() ? options.one_recipe.parent_path() : options.src, fonts,
                options.one_recipe.string());
  if (!picture) return 1;
  if (options.size > 0 && (picture->width() != options.size || picture->height() != options.size)) {
    picture = Scaled(*picture, options.size);
  }
  if (!WriteIfChanged(options.one_output, picture->EncodePng())) {
    std::fprintf(stderr, "artgen: cannot write %s\n", options.one_output.c_str());
    return 1;
  }
  return 0;
}

int PaintAll(const Options& options, art::FontShelf& fonts) {
  const auto started = std::chrono::steady_clock::now();
  const std::vector<fs::path> recipes = FindRecipes(options.src);
  if (recipes.empty()) {
    std::fprintf(stderr, "artgen: no recipes under %s\n", options.src.c_str());
    return 1;
  }
  std::vector<Job> jobs;
  for (const fs::path& relative : recipes) {
    const std::string folder = relative.parent_path().generic_string();
    if (!InScope(options, folder)) continue;
    jobs.push_back(Job{folder, relative.stem().string(), (fs::path("content/art") / relative).string(),
                       options.src / relative, {}});
  }
  int failures = AddListJobs(options, jobs) ? 0 : 1;
  std::vector<Painted> painted;
  std::set<std::string> written;
  for (const Job& job : jobs) {
    const fs::path folder = job.folder;
    const std::string& stem = job.stem;
    const auto begin = std::chrono::steady_clock::now();
    std::optional<art::Picture> picture =
        job.recipe.empty() ? PaintText(job.written, options.src, fonts, job.shown, true)
                           : PaintFile(job.recipe, options.src, fonts, job.shown);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    if (!picture) {
      ++failures;
      continue;
    }
    const fs::path png = folder / (stem + ".png");
    if (!WriteIfChanged(options.out / png, picture->EncodePng())) {
      std::fprintf(stderr, "artgen: cannot write %s\n", (options.out / png).c_str());
      ++failures;
      continue;
    }
    written.insert(png.generic_string());
    painted.push_back(Painted{(folder / stem).generic_string(), std::move(*picture), seconds});
  }
  // Pictures made last time whose recipe has gone.
  for (const std::string& old : ReadManifest(options.manifest)) {
    if (written.count(old) == 0 && old.find("..") == std::string::npos &&
        InScope(options, fs::path(old).parent_path().generic_string())) {
      std::error_code error;
      fs::remove(options.out / old, error);
    }
  }
  if (!options.manifest.empty() && failures == 0) {
    std::ofstream out(options.manifest, std::ios::trunc);
    for (const std::string& name : written) out << name << '\n';
  }
  if (!options.sheet.empty() && !WriteSheet(options.sheet, painted, fonts)) {
    std::fprintf(stderr, "artgen: cannot write the sheet %s\n", options.sheet.c_str());
  }
  const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const auto slowest = std::max_element(painted.begin(), painted.end(),
                                        [](const Painted& a, const Painted& b) { return a.seconds < b.seconds; });
  std::printf("artgen: painted %zu images in %.2f s", painted.size(), total);
  if (slowest != painted.end()) std::printf(" (slowest %s, %.2f s)", slowest->name.c_str(), slowest->seconds);
  std::printf("\n");
  if (failures > 0) std::fprintf(stderr, "artgen: %d recipes failed\n", failures);
  return failures == 0 ? 0 : 1;
}

// Lays painted pictures over one another where the game draws them, to see
// a screen before the game can show it.
int Layout(int argc, char** argv) {
  if (argc < 4 || (argc - 4) % 3 != 0) {
    Usage();
    return 2;
  }
  cairo_surface_t* base = cairo_image_surface_create_from_png(argv[3]);
  if (cairo_surface_status(base) != CAIRO_STATUS_SUCCESS) {
    std::fprintf(stderr, "artgen: cannot read %s\n", argv[3]);
    cairo_surface_destroy(base);
    return 1;
  }
  cairo_t* cr = cairo_create(base);
  int status = 0;
  for (int i = 4; i + 2 < argc; i += 3) {
    cairo_surface_t* picture = cairo_image_surface_create_from_png(argv[i + 2]);
    if (cairo_surface_status(picture) == CAIRO_STATUS_SUCCESS) {
      cairo_set_source_surface(cr, picture, std::atof(argv[i]), std::atof(argv[i + 1]));
      cairo_paint(cr);
    } else {
      std::fprintf(stderr, "artgen: cannot read %s\n", argv[i + 2]);
      status = 1;
    }
    cairo_surface_destroy(picture);
  }
  cairo_destroy(cr);
  if (cairo_surface_write_to_png(base, argv[2]) != CAIRO_STATUS_SUCCESS) status = 1;
  cairo_surface_destroy(base);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--layout") return Layout(argc, argv);
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto next = [&]() -> fs::path {
      if (i + 1 >= argc) return {};
      return argv[++i];
    };
    if (arg == "--src") {
      options.src = next();
    } else if (arg == "--out") {
      options.out = next();
    } else if (arg == "--manifest") {
      options.manifest = next();
    } else if (arg == "--sheet") {
      options.sheet = next();
    } else if (arg == "--sprites") {
      options.sprites = next();
    } else if (arg == "--items") {
      options.items = next();
    } else if (arg == "--pictures") {
      options.pictures = next();
    } else if (arg == "--levels") {
      options.levels = next();
    } else if (arg == "--only") {
      options.only.push_back(next().generic_string());
    } else if (arg == "--except") {
      options.except.push_back(next().generic_string());
    } else if (arg == "--one") {
      options.one_recipe = next();
      options.one_output = next();
    } else if (arg == "--size") {
      const std::string size = next().string();
      options.size = std::atoi(size.c_str());
      if (options.size < 1 || options.size > 1024 || size != std::to_string(options.size)) {
        std::fprintf(stderr, "artgen: --size needs a number of pixels from 1 to 1024\n");
        return 2;
      }
    } else {
      Usage();
      return 2;
    }
  }
  art::FontShelf fonts;
  if (!options.one_recipe.empty() && !options.one_output.empty()) return PaintOne(options, fonts);
  if (options.src.empty() || options.out.empty()) {
    Usage();
    return 2;
  }
  return PaintAll(options, fonts);
}
