// The quest-hint window, opened by the level's hint button (world/hints.cpp
// decides whether it opens and on which item).
#include "app/quest_hint.h"

#include <string>

#include "engine/engine.h"
#include "engine/random.h"
#include "fx/particles.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/world.h"

namespace {

constexpr uint32_t kTitle = 0xBEB37E;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kCentred = TEXT_CENTRE | TEXT_VCENTRE;
constexpr float kPictureX = 512.0f;
constexpr float kPictureY = 384.0f;

// A soft golden glow wells up behind the hint picture while the window is
// open: now and then a puff that drifts out, swells and fades. Additive puffs
// pile up, so each is dim on its own.
void Burst() {
  if (Random(3) == 0) {
    const float vx = static_cast<float>(Random(41) - 20) / 10.0f;
    const float vy = static_cast<float>(Random(21) - 10) / 10.0f;
    const float size = 0.8f + static_cast<float>(Random(6)) / 10.0f;
    const uint32_t colour = 140u << 16 | static_cast<uint32_t>(90 + Random(30)) << 8 |
                            static_cast<uint32_t>(30 + Random(30));
    Emit(world.questHintBurst, "soldp", true, kPictureX, kPictureY, vx, vy, size, 3.0f, 0.0f,
         0.03f, colour, BLEND_ADD);
  }
  UpdateAndDraw(world.questHintBurst);
}

}  // namespace

void QuestHintProcedure() {
  const ielement* window = gui_get("wnd_qhint");
  if (window == nullptr) return;
  const float x = window->x, y = window->y;
  DrawList.image("gwnd_conf", 255, x, y);
  DrawList.text("ui_font", game_strings.get("click_cont"), x + 230.0f, y + 253.0f, kCentred, -1,
                1.0f, 255, kTitle);
  const int entry = world.questHintEntry;
  // The entry may have left the inventory since the window opened.
  if (entry < 0 || entry >= static_cast<int>(world.inventory.size())) {
    DrawList.text_rect("ui_font", game_strings.get("hintq"), x + 80.0f, y + 50.0f, 300.0f,
                       140.0f, kCentred, -1, 1.0f, 255, kTitle);
  } else {
    const std::string& item = world.inventory[static_cast<std::size_t>(entry)].name;
    DrawList.text("ui_font", game_strings.get("inv_" + item), x + 230.0f, y + 70.0f, kCentred,
                  -1, 1.0f, 255, kWhite);
    DrawList.scaled_image("hint_" + item, 255, kPictureX, kPictureY, 0.0f, 1.0f, 1.0f);
    Burst();
    DrawList.scaled_image("hintb", 255, kPictureX, kPictureY, 0.0f, 1.0f, 1.0f);
  }
  if (!MouseClick(kMouseLeft)) return;
  // The click that closes the window goes no further, into the level.
  ClearMouseState();
  ShowWindow("wnd_qhint", false);
  sounds.play("ui_window_close");
}
