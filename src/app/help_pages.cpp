// The help pages of the main menu.
#include "app/help_pages.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "app/screens.h"
#include "engine/font.h"
#include "res/draw_list.h"
#include "res/strings.h"
#include "ui/controls.h"
#include "ui/gui.h"

namespace {

constexpr uint32_t kTextColour = 0xBEB37E;
// The picture sits centred in the upper half, the text in the band between
// it and the buttons.
constexpr float kPictureLeft = 120.0f;
constexpr float kPictureTop = 24.0f;
constexpr float kTextLeft = 50.0f;
constexpr float kTextTop = 210.0f;
constexpr float kTextHeight = 180.0f;

int page = HELP_FIRST_PAGE;

void PreviousPage() { page = std::max(page - 1, HELP_FIRST_PAGE); }
void NextPage() { page = std::min(page + 1, HELP_LAST_PAGE); }
void CloseHelp() { ShowWindow("wnd_tutorial", false); }

}  // namespace

int HelpPage() { return page; }

void OpenHelpPages() {
  page = HELP_FIRST_PAGE;
  ShowWindow("wnd_tutorial", true);
}

void HelpPagesProcedure() {
  const ielement* window = gui_get("wnd_tutorial");
  if (window == nullptr) return;
  const float left = window->x;
  const float top = window->y;
  DrawList.image("gwnd_opt", 255, left, top);
  const std::string number = std::to_string(page);
  DrawList.image("tut" + number, 255, left + kPictureLeft, top + kPictureTop);
  DrawList.image("tutb", 255, left + kPictureLeft, top + kPictureTop);
  DrawList.text_rect("ui_font", game_strings.get("tut" + number), left + kTextLeft, top + kTextTop,
                     window->w - 2.0f * kTextLeft, kTextHeight, TEXT_CENTRE | TEXT_TOP, -1, 1.0f,
                     255, kTextColour);
  if (ielement* back = gui_get("btn_11")) back->disabled = page == HELP_FIRST_PAGE;
  if (ielement* forward = gui_get("btn_12")) forward->disabled = page == HELP_LAST_PAGE;
}

void BuildHelpPagesControls(const char* window) {
  if (std::string_view(window != nullptr ? window : "") != "wnd_tutorial") return;
  gui_add_button("btn_10", 160.0f, 400.0f, 192.0f, 48.0f, game_strings.get("ok"), "gbutton",
                 CloseHelp);
  gui_add_button("btn_11", 118.0f, 402.0f, 42.0f, 42.0f, "", "gbutton_cir", PreviousPage);
  gui_add_button("btn_12", 352.0f, 402.0f, 42.0f, 42.0f, "", "gbutton_cir", NextPage);
}
