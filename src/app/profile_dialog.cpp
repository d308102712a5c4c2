// The profiles dialog: a new name is typed and confirmed with OK, a listed
// player is chosen with OK, and the selected player is deleted after a
// confirmation. The message box answers a name already taken and a full list.
#include "app/profile_dialog.h"

#include <memory>
#include <string>
#include <string_view>

#include "app/menu.h"
#include "app/options.h"
#include "app/screens.h"
#include "engine/engine.h"
#include "engine/log.h"
#include "profile/profiles.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/controls.h"
#include "ui/gui.h"

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kDialogTextColour = 0xBEB37E;

ielement* Control(const char* name) { return gui_get(name); }

// The name (or nothing) of the list entry that is selected.
std::string SelectedName(const ielement& list) {
  if (list.selected < 0 || static_cast<std::size_t>(list.selected) >= list.items.size()) return {};
  return list.items[static_cast<std::size_t>(list.selected)];
}

int IndexOfName(const ielement& list, const std::string& name) {
  for (std::size_t i = 0; i < list.items.size(); ++i)
    if (list.items[i] == name) return static_cast<int>(i);
  return -1;
}

void FillListFromPlayers(ielement& list) {
  list.items.clear();
  for (const std::string& name : CurrentProfiles().players) list.items.append(name);
}

// The edit shows what the engine holds as typed, so both are emptied.
void ClearNameField(ielement& edit) {
  edit.text.clear();
  BeginTextInput("", -1);
}

// The chosen player's volumes reach what is already playing.
void ApplyVolumes() {
  const PlayerOptions& options = CurrentProfiles().options;
  sounds.volume = options.effects_volume;
  music.volume = options.music_volume;
  ambience.volume = options.environment_volume;
  sounds.apply_volume();
  music.apply_volume();
  ambience.apply_volume();
}

void TryCreate(ielement& list, ielement& edit) {
  const std::string name = edit.text;
  const CreatePlayerResult result = CreatePlayer(name);
  switch (result.outcome) {
    case CreatePlayerOutcome::Exists:
      list.selected = static_cast<int>(result.index);
      ShowMessageBox("player_exists");
      ClearNameField(edit);
      break;
    case CreatePlayerOutcome::Full:
      ShowMessageBox("max_prof");
      ClearNameField(edit);
      break;
    case CreatePlayerOutcome::Created:
    case CreatePlayerOutcome::FolderIncomplete:
      FillListFromPlayers(list);
      list.selected = static_cast<int>(result.index);
      ClearNameField(edit);
      break;
    case CreatePlayerOutcome::NotSaved:
      // The name stays for another try once there is room.
      ShowMessageBox("save_failed");
      break;
    case CreatePlayerOutcome::Invalid:
      // The player operations have said why; the name stays for another try.
      ReportWarning("PROFILES: the player \"" + name + "\" was not created");
      break;
  }
}

void ProfileOkProcedure() {
  ielement* list = Control("list_1");
  ielement* edit = Control("edit_1");
  if (list == nullptr || edit == nullptr) return;
  if (!edit->text.empty()) TryCreate(*list, *edit);
  const std::string chosen = SelectedName(*list);
  if (!chosen.empty()) {
    if (!ChoosePlayer(chosen)) ShowMessageBox("save_failed");
    ApplyScreenOptions();
    ApplyVolumes();
  }
  ShowWindow("wnd_prof", false);
  ShowWindow("wnd_opt", false);
}

void ProfileDeleteProcedure() {
  if (ielement* memo = Control("memo_dc")) memo->text = game_strings.get("delete_conf");
  ShowWindow("wnd_dconf", true);
}

void DeleteYesProcedure() {
  ShowWindow("wnd_dconf", false);
  ielement* list = Control("list_1");
  if (list == nullptr) return;
  const std::string name = SelectedName(*list);
  if (name.empty()) return;
  if (!DeletePlayer(name)) ShowMessageBox("save_failed");
  FillListFromPlayers(*list);
  // The player who is current now is the one the list shows selected.
  const int current = IndexOfName(*list, CurrentProfiles().current_player);
  list->selected = current >= 0 ? current : 0;
}

void DeleteNoProcedure() { ShowWindow("wnd_dconf", false); }

void AddButton(const char* name, float x, float y, float w, float h, const char* caption,
               const char* skin, UiProc click) {
  gui_add_button(name, x, y, w, h, game_strings.get(caption), skin, click);
}

void BuildProfilesWindow() {
  if (ielement* window = Control("wnd_prof")) window->on_update = ProfilesProcedure;
  AddButton("btn_8", 90.0f, 400.0f, 192.0f, 48.0f, "ok", "gbutton", ProfileOkProcedure);
  AddButton("btn_9", 300.0f, 400.0f, 120.0f, 48.0f, "delete", "gbutton_small",
            ProfileDeleteProcedure);
  auto edit = std::make_unique<iedit>("edit_1", 160.0f, 60.0f, 192.0f, 48.0f, "", true);
  edit->graphic = "gedit";
  edit->font = "hand";
  // Names become folders and sections, so only letters and digits are typed.
  edit->filter = true;
  gui_add(std::move(edit));
  auto list = std::make_unique<ilist>("list_1", 106.0f, 140.0f, 300.0f, 232.0f, "", true);
  list->font = "hand";
  list->text_color = kBlack;
  gui_add(std::move(list));
  auto welcome = std::make_unique<imemo>("memo_wc", 106.0f, 140.0f, 300.0f, 232.0f, "", true);
  welcome->font = "hand";
  welcome->text_color = kBlack;
  gui_add(std::move(welcome));
}

void BuildDeleteConfirmation() {
  auto memo = std::make_unique<imemo>("memo_dc", 80.0f, 50.0f, 300.0f, 140.0f, "", true);
  memo->font = "ui_font";
  memo->text_color = kDialogTextColour;
  gui_add(std::move(memo));
  AddButton("btn_dok", 90.0f, 208.0f, 120.0f, 48.0f, "yes", "gbutton_small", DeleteYesProcedure);
  AddButton("btn_dcancel", 250.0f, 208.0f, 120.0f, 48.0f, "no", "gbutton_small",
            DeleteNoProcedure);
}

}  // namespace

void BuildProfileControls(const char* window) {
  const std::string_view name = window != nullptr ? window : "";
  if (name == "wnd_prof") {
    BuildProfilesWindow();
  } else if (name == "wnd_dconf") {
    BuildDeleteConfirmation();
  }
}

void OpenProfiles() {
  ielement* list = Control("list_1");
  ielement* edit = Control("edit_1");
  if (list == nullptr || edit == nullptr) {
    ReportWarning("PROFILES: the profiles dialog has not been built");
    return;
  }
  FillListFromPlayers(*list);
  const int current = IndexOfName(*list, CurrentProfiles().current_player);
  list->selected = current >= 0 ? current : 0;
  BeginTextInput(edit->text, -1);
  ShowWindow("wnd_prof", true);
}

void ProfilesProcedure() {
  ielement* list = Control("list_1");
  ielement* edit = Control("edit_1");
  if (list == nullptr || edit == nullptr) return;
  const bool no_players = list->items.empty();
  if (ielement* ok = Control("btn_8")) ok->disabled = edit->text.empty() && no_players;
  if (ielement* remove = Control("btn_9")) remove->disabled = no_players;
  if (ielement* welcome = Control("memo_wc"))
    welcome->text = no_players ? game_strings.get("welcome") : std::string();
  edit->disabled = WindowVisible("wnd_dconf") || WindowVisible("wnd_msg");
}
