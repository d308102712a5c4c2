// The reward popup over the level after a finished hunt.
#include "app/game_overlays.h"

#include <string>

#include "engine/engine.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/world.h"

namespace {

constexpr uint32_t kTitle = 0xBEB37E;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kCentred = TEXT_CENTRE | TEXT_VCENTRE;

}  // namespace

void RewardPopupProcedure() {
  const ielement* window = gui_get("wnd_popup");
  if (window == nullptr) return;
  const float x = window->x, y = window->y;
  const std::string& item = world.rewardSubject;
  DrawList.image("gwnd_conf", 255, x, y);
  DrawList.text("ui_font", game_strings.get("ho_end"), x + 230.0f, y + 65.0f, kCentred, -1, 1.0f,
                255, kTitle);
  DrawList.text("ui_font", game_strings.get("inv_" + item), x + 230.0f, y + 100.0f, kCentred, -1,
                1.0f, 255, kWhite);
  DrawList.text("ui_font", game_strings.get("click_cont"), x + 230.0f, y + 253.0f, kCentred, -1,
                1.0f, 255, kTitle);
  // The item as it looks in the strip, with a soft shadow under it.
  DrawList.scaled_image(item, 128, x + 232.0f, y + 180.0f, 0.0f, 1.0f, 1.0f, 0x000000);
  DrawList.scaled_image(item, 255, x + 230.0f, y + 175.0f, 0.0f, 1.0f, 1.0f);
  // Under the guide's last panel the guide takes the click first.
  if (WindowVisible("wnd_instr") || !MouseClick(kMouseLeft)) return;
  ClearMouseState();
  ShowWindow("wnd_popup", false);
  sounds.play("ui_window_close");
}
