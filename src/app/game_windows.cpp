// The buttons of the game panel, the diary, the puzzle window and the editor
// dialogs.
#include "app/game_windows.h"

#include <string>
#include <string_view>

#include "app/diary.h"
#include "app/screens.h"
#include "engine/engine.h"
#include "puzzles/puzzle.h"
#include "res/strings.h"
#include "ui/controls.h"
#include "ui/gui.h"
#include "world/editor.h"
#include "world/hints.h"
#include "world/world.h"

namespace {

// The menu and tasks words are lettered a little warmer over the
// hidden-object scene's darker panel.
constexpr uint32_t kLevelPanelWord = 0xBEB37E;
constexpr uint32_t kScenePanelWord = 0xCEBC88;
constexpr uint32_t kPageNumberColour = 0xBEB37E;

void ToggleTasks() {
  ClearMouseState();
  world.taskPanel.toggle_request = true;
}

void ShowPuzzleHelp() {
  ShowWindow("wnd_help", true);
  ClearMouseState();
}

ibutton& AddButton(const char* name, float x, float y, float w, float h, const char* caption,
                   const char* skin, UiProc click) {
  return gui_add_button(name, x, y, w, h, caption != nullptr ? game_strings.get(caption) : "",
                        skin, click);
}

void LevelHintMeter() { DrawHintMeter(false); }
void SceneHintMeter() { DrawHintMeter(true); }

// The panel of a level and that of a hidden-object scene carry the same
// four buttons; the hint button of each has its own action.
void AddPanelButtons(const char* menu, const char* diary, const char* hint, UiProc hint_click,
                     UiProc hint_meter, const char* tasks, uint32_t word_colour) {
  AddButton(menu, 5.0f, 730.0f, 170.0f, 35.0f, "menu", "", ReturnToMenu).text_color = word_colour;
  AddButton(diary, 38.0f, 653.0f, 100.0f, 72.0f, nullptr, "gbutton_diary", OpenDiary);
  AddButton(hint, 878.0f, 650.0f, 114.0f, 72.0f, "hint", "gbutton_hint", hint_click).on_face =
      hint_meter;
  AddButton(tasks, 850.0f, 730.0f, 170.0f, 35.0f, "tasks", "", ToggleTasks).text_color =
      word_colour;
}

// Each editor dialog holds one name field and its OK button.
void AddEditorDialog(const char* edit, float edit_x, float edit_w, const char* ok, UiProc action) {
  auto field = std::make_unique<iedit>(edit, edit_x, 64.0f, edit_w, 48.0f, "", true);
  field->graphic = "gedit";
  field->font = "hand";
  gui_add(std::move(field));
  AddButton(ok, 96.0f, 150.0f, 192.0f, 48.0f, "ok", "gbutton", action);
}

}  // namespace

void BuildGameControls(const char* window) {
  const std::string_view name = window != nullptr ? window : "";
  if (name == "wnd_game") {
    AddPanelButtons("btn_pause", "btn_diary", "btn_qhint", UseQuestHint, LevelHintMeter,
                    "btn_tasks", kLevelPanelWord);
  } else if (name == "wnd_puzzle") {
    AddButton("btn_skip", 687.0f, 578.0f, 128.0f, 32.0f, "skip_puzzle", "gbutton_skip", SkipPuzzle)
        .on_face = DrawSkipBar;
    AddButton("btn_help", 209.0f, 578.0f, 128.0f, 32.0f, "help", "gbutton_help", ShowPuzzleHelp);
  } else if (name == "wnd_ho") {
    AddPanelButtons("btn_pause2", "btn_diary2", "btn_hint", UseSceneHint, SceneHintMeter,
                    "btn_tasks2", kScenePanelWord);
  } else if (name == "wnd_diary") {
    AddButton("btn_pleft", 452.0f, 543.0f, 46.0f, 42.0f, nullptr, "diary_left", DiaryPreviousPage);
    AddButton("btn_pright", 526.0f, 543.0f, 46.0f, 42.0f, nullptr, "diary_right", DiaryNextPage);
    ibutton& centre = AddButton("btn_center", 491.0f, 543.0f, 42.0f, 42.0f, nullptr, "diary_cir",
                                nullptr);
    centre.font = "hand";
    centre.text_color = kPageNumberColour;
    centre.text_scale = 0.8f;
  } else if (name == "wnd_esave") {
    AddEditorDialog("edit_2", 96.0f, 192.0f, "btn_esave", EditorSaveAction);
  } else if (name == "wnd_eload") {
    AddEditorDialog("edit_3", 96.0f, 192.0f, "btn_eload", EditorLoadAction);
  } else if (name == "wnd_eadd") {
    AddEditorDialog("edit_4", 24.0f, 340.0f, "btn_eadd", EditorAddAction);
  }
}
