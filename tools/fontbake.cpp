// fontbake: bakes the game's bitmap fonts from the font list.
//
//   fontbake LIST OUTPUT_FOLDER [NAME...]
//
// For every listed font (or only the named ones) writes NAME.zfi and its
// page NAME.png into the output folder. The font registry loads the page as
// stem + ".png", so each font has exactly one page.
#include <cstdio>
#include <string>
#include <vector>

#include "font_bake.h"
#include "font_file.h"
#include "font_list.h"
#include "png_file.h"
#include "tool_files.h"

namespace {

std::string CharacterName(uint32_t c) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
  return text;
}

bool BakeOne(const fontbake::FontChoice& font, const std::string& list_folder, const std::string& out_folder) {
  const std::string file = fontbake::ResolveFontFile(font, list_folder);
  std::string error;
  const auto baked = fontbake::BakeFont(file, font.pixel_size, font.padding, fontbake::GameCharacterSet(), &error);
  if (!baked) {
    std::fprintf(stderr, "fontbake: %s (line %d): %s\n", font.name.c_str(), font.line, error.c_str());
    return false;
  }
  if (!baked->missing.empty()) {
    std::string list;
    for (uint32_t c : baked->missing) list += " " + CharacterName(c);
    std::fprintf(stderr, "fontbake: %s: the typeface has no glyph for%s\n", font.name.c_str(), list.c_str());
  }
  const std::string page = png::EncodeRgba(baked->page_width, baked->page_height, baked->page_rgba);
  if (page.empty()) {
    std::fprintf(stderr, "fontbake: %s: cannot encode the page image\n", font.name.c_str());
    return false;
  }
  const std::string stem = out_folder + "/" + font.name;
  if (!toolfiles::WriteFile(stem + ".png", page, &error) ||
      !toolfiles::WriteFile(stem + ".zfi", fontbake::SerializeFontDescription(baked->description), &error)) {
    std::fprintf(stderr, "fontbake: %s\n", error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: fontbake LIST OUTPUT_FOLDER [NAME...]\n");
    return 2;
  }
  const std::string list_path = argv[1];
  const std::string out_folder = argv[2];
  std::string text;
  if (!toolfiles::ReadFile(list_path, &text)) {
    std::fprintf(stderr, "fontbake: cannot read \"%s\"\n", list_path.c_str());
    return 1;
  }
  std::vector<std::string> errors;
  const std::vector<fontbake::FontChoice> fonts = fontbake::ParseFontList(text, &errors);
  for (const std::string& e : errors) std::fprintf(stderr, "fontbake: %s: %s\n", list_path.c_str(), e.c_str());
  if (!errors.empty()) return 1;

  std::vector<std::string> wanted(argv + 3, argv + argc);
  const std::string list_folder = toolfiles::FolderOf(list_path);
  bool ok = true;
  for (const std::string& name : wanted) {
    bool listed = false;
    for (const fontbake::FontChoice& font : fonts) listed = listed || font.name == name;
    if (!listed) {
      std::fprintf(stderr, "fontbake: font \"%s\" is not in \"%s\"\n", name.c_str(), list_path.c_str());
      ok = false;
    }
  }
  for (const fontbake::FontChoice& font : fonts) {
    bool bake = wanted.empty();
    for (const std::string& name : wanted) bake = bake || font.name == name;
    if (bake) ok = BakeOne(font, list_folder, out_folder) && ok;
  }
  return ok ? 0 : 1;
}
