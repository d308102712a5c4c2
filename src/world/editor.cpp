// The level editor: its keys, what it draws over the level, and the actions
// of its three windows.
#include "world/editor.h"

#include <sys/stat.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/engine.h"
#include "engine/ini.h"
#include "engine/log.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

constexpr int kKeyQ = 0x10;
constexpr int kKeyW = 0x11;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kYellow = 0xFFFF00;
constexpr uint32_t kCyan = 0x00FFFF;
constexpr float kLabelScale = 0.8f;
constexpr float kEntranceBox = 100.0f;
constexpr uint32_t kCentred = TEXT_CENTRE | TEXT_VCENTRE;
constexpr uint32_t kTopLeft = TEXT_LEFT | TEXT_TOP;

// The number keys choose the kind placed objects get.
struct KindKey {
  int code;
  const char* kind;
};
constexpr std::array<KindKey, 9> kKindKeys{{{0x02, "item"},
                                            {0x03, "static"},
                                            {0x0B, "cstatic"},
                                            {0x04, "puzzle"},
                                            {0x05, "zoomin"},
                                            {0x06, "hobject"},
                                            {0x07, "area"},
                                            {0x08, "ghost"},
                                            {0x0A, "inactive"}}};

// The kinds whose picture rectangle is what a click hits.
bool OutlinedKind(std::string_view kind) {
  return kind == "item" || kind == "static" || kind == "cstatic" || kind == "puzzle" ||
         kind == "zoomin";
}

void PictureSize(std::string_view name, float& w, float& h) {
  const Texture* texture = images.get(name);
  w = static_cast<float>(TextureWidth(texture));
  h = static_cast<float>(TextureHeight(texture));
}

// "x,y" in whole numbers, without touching the heap.
std::string_view Position(std::array<char, 32>& buffer, float x, float y) {
  const int n = std::snprintf(buffer.data(), buffer.size(), "%ld,%ld", std::lround(x),
                              std::lround(y));
  return {buffer.data(), n > 0 ? static_cast<std::size_t>(n) : 0};
}

// Every label gets a black shadow: the paintings behind them are busy.
void Label(std::string_view text, float x, float y, uint32_t flags, uint32_t colour) {
  DrawList.text("ui_font", text, x + 1.0f, y + 1.0f, flags, -1, kLabelScale, 255, kBlack);
  DrawList.text("ui_font", text, x, y, flags, -1, kLabelScale, 255, colour);
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// --- The keys ---------------------------------------------------------------

// The profile's world as a new game has it: fresh copies of the shipped
// levels and scenes, no quest steps, an empty inventory. Saved at once, so
// the profile on disk never holds the old inventory beside the fresh levels.
void ResetProfileWorld() {
  const std::string& player = CurrentProfiles().current_player;
  if (!CreatePlayerFolder(player))
    LogLine("EDITOR: the player's levels and scenes were not all renewed", true);
  const std::string section = player + "_data";
  while (IniIsSection(section)) IniDelete(section, "");
  world.inventory.clear();
  world.inventoryScroll = 0;
  world.inventoryArmed = false;
}

// F10: the whole story afresh — the world reset, one diary page, no tasks,
// and the level as it is shipped.
void ResetStory() {
  ResetProfileWorld();
  DiaryState& diary = world.diary;
  const std::string first = diary.pages.empty() ? std::string("default") : diary.pages[0];
  diary.pages.clear();
  diary.pages.append(first);
  diary.page = 1;
  diary.previous_page = 1;
  diary.news = false;
  world.tasks.clear();
  const std::string level = world.levelName;
  if (!level.empty() && !EnterLevelFile(level, ShippedLevelPath(level)))
    ShowMessageBox("editor_no_level");
}

void ResetKeys() {
  if (KeyPress(key::kF10)) {
    ResetStory();
    if (!SaveProfile()) ShowMessageBox("save_failed");
  } else if (KeyPress(key::kF11)) {
    ResetProfileWorld();
    if (!SaveProfile()) ShowMessageBox("save_failed");
  }
}

// Shows or hides an editor window; shown, its name field takes the typing,
// starting from `initial`.
void ToggleWindow(const char* window, const char* field, const std::string& initial) {
  const bool show = !WindowVisible(window);
  ShowWindow(window, show);
  if (!show) return;
  if (ielement* edit = gui_get(field)) edit->text = initial;
  BeginTextInput(initial, -1);
}

// True when the window keys left edit mode.
bool WindowKeys() {
  if (KeyPress(key::kF9)) {
    ToggleWindow("wnd_eload", "edit_3", "");
    world.editMode = false;
    return true;
  }
  // The level being edited is what is saved most often.
  if (KeyPress(key::kF5)) ToggleWindow("wnd_esave", "edit_2", world.levelName);
  if (KeyPress(key::kF12)) ToggleWindow("wnd_eadd", "edit_4", "");
  return false;
}

void GiveTestItem(std::string_view name) {
  if (world.inventory.full()) {
    LogLine("EDITOR: the inventory is full, \"" + std::string(name) + "\" left out", true);
    ShowMessageBox("inventory_full");
    return;
  }
  GiveItem(name, "new", MouseX(), MouseY());
}

void BrushKeys() {
  EditorState& editor = world.editor;
  if (KeyPress(key::kHome)) {
    GiveTestItem("wedding_ring");
    GiveTestItem("crowbar");
  }
  if (KeyPress(kKeyW) || MouseWheel(-1)) StepBrush(1);
  if (KeyPress(kKeyQ) || MouseWheel(1)) StepBrush(-1);
  for (const KindKey& k : kKindKeys)
    if (KeyPress(k.code)) editor.brush_kind = k.kind;
}

// The modifier key held: a left click puts the brush down, a right click
// takes away the object under the mouse.
void PlaceAndRemove() {
  if (!KeyDown(key::kAnyShift)) return;
  const EditorState& editor = world.editor;
  if (MouseClick(kMouseLeft)) {
    ClearMouseState();
    if (world.objects.full()) {
      LogLine("EDITOR: the level holds " + std::to_string(MAX_OBJECTS) + " objects; \"" +
                  editor.brush + "\" not placed",
              true);
      ShowMessageBox("level_full");
      return;
    }
    if (editor.brush.empty()) return;
    AddSceneObject(editor.brush, editor.brush_kind, MouseX(), MouseY());
  } else if (MouseClick(kMouseRight)) {
    ClearMouseState();
    RemoveObjectUnderMouse();
  }
}

// --- What the editor shows ----------------------------------------------------

void DrawObject(const SceneObject& o) {
  float w = 0.0f, h = 0.0f;
  PictureSize(o.name, w, h);
  // Exits are never drawn in play; the designer needs to see them.
  if (o.kind == "area") DrawList.scaled_image(o.name, 255, o.x, o.y, 0.0f, 1.0f, 1.0f);
  if (OutlinedKind(o.kind))
    DrawList.rect(255, kWhite, o.x - w / 2, o.y - h / 2, w, h, BLEND_NORMAL);
  else if (o.kind == "hobject")
    DrawList.rect(255, kWhite, o.x - kEntranceBox / 2, o.y - kEntranceBox / 2, kEntranceBox,
                  kEntranceBox, BLEND_NORMAL);
  std::array<char, 32> buffer{};
  Label(o.name, o.x, o.y - 20.0f, kCentred, kWhite);
  Label(o.kind, o.x, o.y + 20.0f, kCentred, kYellow);
  Label(Position(buffer, o.x, o.y), o.x, o.y + 40.0f, kCentred, kCyan);
}

void DrawBrush() {
  const EditorState& editor = world.editor;
  const float mx = MouseX();
  const float my = MouseY();
  float w = 0.0f, h = 0.0f;
  PictureSize(editor.brush, w, h);
  DrawList.scaled_image(editor.brush, 160, mx, my, 0.0f, 1.0f, 1.0f);
  DrawList.rect(255, kWhite, mx - w / 2, my - h / 2, w, h, BLEND_NORMAL);
  const float below = my + h / 2 + 12.0f;
  const std::string_view name =
      editor.brush.empty() ? std::string_view("no \"q\" picture") : std::string_view(editor.brush);
  Label(name, mx, below, kCentred, kWhite);
  Label(editor.brush_kind.empty() ? std::string_view("no kind: not drawn, not clickable")
                                  : std::string_view(editor.brush_kind),
        mx, below + 18.0f, kCentred, kYellow);
}

void Display() {
  std::array<char, 32> buffer{};
  Label(world.editor.brush_kind, 10.0f, 10.0f, kTopLeft, kWhite);
  Label(Position(buffer, MouseX(), MouseY()), 10.0f, 30.0f, kTopLeft, kWhite);
  for (const SceneObject& o : world.objects) DrawObject(o);
  DrawBrush();
}

// The brush follows the level's pictures: after a change of level the
// picture at its place may be another one, or none.
void KeepBrushLoaded() {
  EditorState& editor = world.editor;
  const auto index = static_cast<std::size_t>(editor.brush_index);
  const bool loaded = editor.brush_index >= 0 && index < images.count() &&
                      images[index].name == editor.brush;
  if (!editor.brush_ready || !loaded) {
    editor.brush_ready = true;
    StepBrush(1);
  }
}

// --- The windows' fields ------------------------------------------------------------

std::string FieldText(const char* field) {
  const ielement* edit = gui_get(field);
  return edit != nullptr ? edit->text : std::string();
}

// A typed level name becomes a file name; anything that could leave the
// levels folder or name a hidden file is refused before a path is built.
bool LevelNameAccepted(const std::string& level) {
  if (IsSafeLevelName(level)) return true;
  LogLine("EDITOR: level name \"" + level + "\" refused: lower-case letters, digits, _ and - only",
          true);
  ShowMessageBox("editor_bad_name");
  return false;
}

}  // namespace

void StepBrush(int step) {
  EditorState& editor = world.editor;
  const auto count = static_cast<int>(images.count());
  if (count == 0) return;
  int index = editor.brush_index;
  for (int turn = 0; turn < count; ++turn) {
    index = ((index + step) % count + count) % count;
    const std::string& name = images[static_cast<std::size_t>(index)].name;
    if (!name.empty() && name.front() == 'q') {
      editor.brush_index = index;
      editor.brush = name;
      return;
    }
  }
}

void EditorFrame() {
  if (!world.editMode) return;
  ResetKeys();
  KeepBrushLoaded();
  if (gui_modal == -1 && !world.levelName.empty()) {
    if (WindowKeys()) return;
    BrushKeys();
    PlaceAndRemove();
  }
  Display();
}

void EditorLoadAction() {
  ShowWindow("wnd_eload", false);
  const std::string level = FieldText("edit_3");
  if (!LevelNameAccepted(level)) return;
  // Until the next build the designer's source is newer than the shipped file.
  std::string path = ContentLevelPath(level);
  if (path.empty() || !IsFile(path)) path = ShippedLevelPath(level);
  if (!EnterLevelFile(level, path)) ShowMessageBox("editor_no_level");
}

void EditorSaveAction() {
  ShowWindow("wnd_esave", false);
  const std::string level = FieldText("edit_2");
  if (!LevelNameAccepted(level)) return;
  const std::string& content = CurrentProfiles().content_folder;
  // The shipped files of a built game are remade by every build and those of
  // an installed one cannot be written: only the sources keep a level.
  if (content.empty() || !IsFolder(content + "levels")) {
    LogLine("EDITOR: \"" + level + "\" not saved: no content folder with levels/ (" +
                (content.empty() ? std::string("none") : content) + ")",
            true);
    ShowMessageBox("editor_no_content");
    return;
  }
  const std::string path = ContentLevelPath(level);
  BlockTable blocks;
  for (const SceneObject& o : world.objects) blocks.append(ObjectBlock{o.name, o.x, o.y, o.kind});
  try {
    WriteObjectListFile(path, blocks);
  } catch (const ObjectListError& error) {
    LogLine(std::string("EDITOR: ") + error.what(), true);
    ShowMessageBox("editor_save_failed");
    return;
  }
  LogLine("EDITOR: saved \"" + path + "\" (" + std::to_string(blocks.size()) + " objects)", true);
  if (!EnterLevelFile(level, path)) {
    ShowMessageBox("editor_no_level");
    return;
  }
  ShowSceneMessage("editor_saved");
}

void EditorAddAction() {
  ShowWindow("wnd_eadd", false);
  const std::string name = FieldText("edit_4");
  if (name.empty() || images.get(name) == nullptr) {
    ShowSceneMessage("not_found");
    return;
  }
  GiveTestItem(name);
}
