// The main menu: its picture drawn each tick and the buttons of the menu,
// the exit confirmation and the message box.
#include "app/menu.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <string_view>

#include "app/cutscenes.h"
#include "app/frame.h"
#include "app/help_pages.h"
#include "app/options.h"
#include "app/profile_dialog.h"
#include "app/screens.h"
#include "engine/engine.h"
#include "engine/font.h"
#include "engine/random.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/controls.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/scene.h"
#include "world/world.h"

MenuState menu;

namespace {

constexpr uint32_t kCentred = TEXT_CENTRE | TEXT_VCENTRE;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

// The menu words sit on the slate plaques of the picture.
constexpr uint32_t kMenuWordColour = 0x338888;
constexpr uint32_t kDialogTextColour = 0xBEB37E;

constexpr int kDialogDim = 128;

constexpr float kTitleTop = 250.0f;
constexpr int kLeafCell = 128;
constexpr uint32_t kLeafTints[3] = {0xFFFFFF, 0x88FFFF, 0xFF88FF};

// Shows the game window at the level the player is in (or where the level
// change put them instead); the screen fades in from black. When no level
// could be entered the menu stays, with the level change's message.
void EnterLevel(const std::string& level) {
  if (!ChangeLevel(level, LeaveLevel::AlreadySaved)) return;
  ShowWindow("wnd_game", true);
  ShowWindow("wnd_menu", false);
  fade_level = 255;
}

void PlayProcedure() {
  Profiles& profiles = CurrentProfiles();
  // Nobody to play as (a hand-edited profile file): choose a player first.
  if (profiles.current_player.empty()) {
    OpenProfiles();
    return;
  }
  ShowWindow("btn_yes", true);
  ShowWindow("btn_no", true);
  if (ielement* instructions = gui_get("wnd_instr")) {
    instructions->visible = false;
    instructions->modal = true;
    instructions->dim = kDialogDim;
  }
  ResetCutscenes();
  // The credits are left by a click that restores the level played before;
  // a credits level saved as current means the story is over, so "play"
  // shows the ending again.
  if (profiles.current_level == "credits") profiles.current_level = "outro";
  // A profile without progress starts at the beginning of the story.
  if (profiles.current_level.empty()) profiles.current_level = "intro";
  EnterLevel(profiles.current_level);
}

void ExitProcedure() { ShowWindow("wnd_econf", true); }
void ExitYesProcedure() { StopEngine(); }
void ExitNoProcedure() { ShowWindow("wnd_econf", false); }
void MessageOkProcedure() { ShowWindow("wnd_msg", false); }

void AddButton(const char* name, float x, float y, float w, float h, const char* caption,
               const char* skin, UiProc click) {
  gui_add_button(name, x, y, w, h, game_strings.get(caption), skin, click);
}

void AddMenuWord(const char* name, float x, float y, const char* caption, float scale,
                 UiProc click) {
  auto button = std::make_unique<ibutton>(name, x, y, 256.0f, 48.0f, game_strings.get(caption),
                                          true);
  button->font = "big";
  button->text_color = kMenuWordColour;
  button->text_scale = scale;
  button->on_click = click;
  gui_add(std::move(button));
}

void AddMemo(const char* name, const char* caption) {
  auto memo = std::make_unique<imemo>(name, 80.0f, 50.0f, 300.0f, 140.0f,
                                      caption != nullptr ? game_strings.get(caption) : "", true);
  memo->font = "ui_font";
  memo->text_color = kDialogTextColour;
  gui_add(std::move(memo));
}

// A flash starts now and then, lights the clouds, one of the two bolts and
// the house, and thunders once as it starts.
void DrawLightning() {
  if (Random(250) == 1) {
    menu.flash_active = true;
    menu.flash_x = static_cast<float>(Random(500));
  }
  if (!menu.flash_active) return;
  if (menu.flash_counter == 0.0f) sounds.play("lt1");
  menu.flash_counter += 1.0f;
  // Half the ticks of a flash are dark, so it flickers.
  if (Random(2) == 1) {
    DrawList.image("menu_cl", 255, 158.0f, 18.0f);
    const bool even = static_cast<int>(menu.flash_x) % 2 == 0;
    DrawList.image(even ? "menu_ln" : "menu_ln2", 128, menu.flash_x + 262.0f, 270.0f, 0xDDFFFF);
    DrawList.image("menu_cas", 255, 107.0f, 137.0f);
  }
}

void EndLightning() {
  if (menu.flash_counter >= static_cast<float>(40 - Random(10))) {
    menu.flash_active = false;
    menu.flash_counter = 0.0f;
  }
}

void DrawLeaves() {
  if (Random(100) == 0 && !menu.leaves.full()) {
    MenuLeaf leaf;
    leaf.x = static_cast<float>(Random(1024));
    leaf.y = static_cast<float>(-Random(40));
    leaf.frame = static_cast<float>(Random(30));
    leaf.scale = 0.5f + static_cast<float>(Random(10)) / 20.0f;
    leaf.tint = kLeafTints[Random(3)];
    leaf.mirrored = Random(2) == 0;
    menu.leaves.append(leaf);
  }
  const float drift = std::cos(menu.t / 50.0f);
  for (MenuLeaf& leaf : menu.leaves) {
    leaf.y += 2.0f;
    leaf.frame += 0.25f;
    leaf.x += drift;
    if (leaf.y > 768.0f) leaf.frame = -1.0f;
    if (leaf.frame < 0.0f) continue;
    DrawList.image_frame("leaf1", 255, leaf.x, leaf.y, kLeafCell, kLeafCell, 0.0f, leaf.scale,
                         leaf.scale, static_cast<int>(leaf.frame), leaf.tint, BLEND_NORMAL,
                         leaf.mirrored ? FX_MIRROR_X : 0);
  }
  for (std::size_t i = menu.leaves.size(); i-- > 0;) {
    if (menu.leaves[i].frame < 0.0f) menu.leaves.remove_at(i);
  }
}

// The title's mesh sways its columns and rows a little each tick, so the
// gilded word ripples like a flag.
void DrawTitle(float w, float h) {
  const uint8_t opacity = static_cast<uint8_t>(menu.title_opacity);
  const float left = 512.0f - w / 2.0f;
  DrawList.image("titlea", opacity, left, kTitleTop);
  if (w <= 0.0f || h <= 0.0f) return;
  DeformGrid& mesh = menu.title_mesh;
  for (int j = 0; j < MENU_MESH_ROWS; ++j) {
    for (int i = 0; i < MENU_MESH_COLUMNS; ++i) {
      const auto fi = static_cast<float>(i);
      const auto fj = static_cast<float>(j);
      const std::size_t node = static_cast<std::size_t>(j * MENU_MESH_COLUMNS + i) * 2;
      mesh.points[node] = fi * w / (MENU_MESH_COLUMNS - 1) +
                          2.0f * std::cos((10.0f * fj + menu.t) / 20.0f);
      mesh.points[node + 1] = fj * h / (MENU_MESH_ROWS - 1) +
                              2.0f * std::sin((10.0f * fi + menu.t) / 20.0f);
    }
  }
  DrawList.grid_image("title", &mesh, left, kTitleTop, opacity, kWhite, BLEND_NORMAL, 0);
}

void DrawSubtitle(float w) {
  const uint8_t opacity = static_cast<uint8_t>(menu.title_opacity);
  const std::string text = game_strings.get("mtitle");
  const float x = 512.0f + w / 2.0f - 50.0f;
  const float y = 375.0f + (10.0f * std::cos(menu.t / 50.0f)) / 3.0f;
  constexpr float kOutline[4][2] = {{-2.0f, 0.0f}, {2.0f, 0.0f}, {0.0f, -2.0f}, {0.0f, 2.0f}};
  for (const auto& offset : kOutline) {
    DrawList.text("hand", text, x + offset[0], y + offset[1], kCentred, -1, 1.0f, opacity, kBlack);
  }
  DrawList.text("hand", text, x, y, kCentred, -1, 1.0f, opacity, kWhite);
}

// The player's name is written on the paper nailed to the signpost.
void DrawGreeting() {
  std::string name = CurrentProfiles().current_player;
  if (name.empty()) name = game_strings.get("stranger");
  DrawList.camera(&menu.signpost);
  DrawList.text("hand", name, 100.0f, 0.0f, kCentred, -1, 1.0f, 255, kBlack);
  DrawList.text("hand", game_strings.get("isyou"), 100.0f, 40.0f, kCentred, -1, 1.0f, 255, kBlack);
  DrawList.camera(nullptr);
}

// The signpost itself is the way to the player profiles.
void CheckSignpost() {
  if (gui_modal != -1 || !mouse_in_rect(400.0f, 610.0f, 240.0f, 160.0f)) return;
  world.cursor = Cursor::Hand;
  if (MouseClick(kMouseLeft)) {
    OpenProfiles();
    ClearMouseState();
  }
}

}  // namespace

bool SaveProfileOrTell() {
  if (SaveProfile()) return true;
  ShowMessageBox("save_failed");
  return false;
}

void ShowCredits() {
  cutscenes.credits_started = false;
  cutscenes.level_before_credits = CurrentProfiles().current_level;
  EnterLevel("credits");
}

void ResetMenu() { menu = MenuState{}; }

void MenuProcedure() {
  menu.t += 0.2f;
  // Nobody can play without a profile: the profiles window stays up until
  // one exists.
  if (!WindowVisible("wnd_prof") && CurrentProfiles().players.empty()) OpenProfiles();
  DrawList.image("menu_bg", 255, 0.0f, 0.0f);
  DrawLightning();
  DrawLeaves();
  menu.title_opacity = std::min(menu.title_opacity + 2, 255);
  const Texture* title = images.get("title");
  const auto w = static_cast<float>(TextureWidth(title));
  const auto h = static_cast<float>(TextureHeight(title));
  DrawTitle(w, h);
  DrawSubtitle(w);
  DrawGreeting();
  CheckSignpost();
  EndLightning();
  // Messages for the player (no sound, say) show over the menu too.
  PopupFrame();
}

void BuildMenuControls(const char* window) {
  const std::string_view name = window != nullptr ? window : "";
  if (name == "wnd_menu") {
    AddMenuWord("btn_1", 384.0f, 512.0f, "play", 1.0f, PlayProcedure);
    AddMenuWord("btn_3", 128.0f, 640.0f, "options", 0.8f, OpenOptions);
    AddMenuWord("btn_4", 128.0f, 704.0f, "help", 0.8f, OpenHelpPages);
    AddMenuWord("btn_4a", 640.0f, 640.0f, "credits", 0.8f, ShowCredits);
    AddMenuWord("btn_5", 640.0f, 704.0f, "exit", 0.8f, ExitProcedure);
  } else if (name == "wnd_econf") {
    AddMemo("memo_ec", "exit_conf");
    AddButton("btn_eok", 90.0f, 208.0f, 120.0f, 48.0f, "yes", "gbutton_small", ExitYesProcedure);
    AddButton("btn_ecancel", 250.0f, 208.0f, 120.0f, 48.0f, "no", "gbutton_small",
              ExitNoProcedure);
  } else if (name == "wnd_msg") {
    AddMemo("memo_m", nullptr);
    AddButton("btn_mok", 134.0f, 208.0f, 192.0f, 48.0f, "ok", "gbutton", MessageOkProcedure);
  }
}
