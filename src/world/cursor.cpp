// The game's cursor.
#include <cmath>

#include "engine/engine.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "ui/gui.h"
#include "world/world.h"

void DrawCursor() {
  const float mx = MouseX();
  const float my = MouseY();
  if (gui_hover) world.cursor = 1;
  const int kind = world.cursor;
  world.cursor_drawn = kind;
  if (CurrentProfiles().options.custom_cursor) {
    if (kind >= 2 && kind <= 6) world.cursor_phase += 0.075f;
    const float t = world.cursor_phase;
    switch (kind) {
      case 0:
        DrawList.image("gcur", 255, mx, my);
        break;
      case 1:
        DrawList.scaled_image("gcur_hand", 255, mx + 12.0f, my + 16.0f, 0.0f, 1.0f, 1.0f);
        break;
      case 2: {
        const float s = 1.0f - std::fabs(std::cos(t) * 5.0f) / 50.0f;
        DrawList.scaled_image("gcur_action", 255, mx + 10.0f, my + 20.0f, 0.0f, s, s);
        break;
      }
      case 3:
      case 4:
      case 5:
      case 6: {
        const float s = 1.0f - std::fabs(std::cos(t) * 10.0f) / 100.0f;
        // 5 points up as drawn; 6 down; 3 and 4 are the diagonal walks.
        const bool flipped = kind == 6 || kind == 4;
        const float angle = kind == 3 ? 315.0f : kind == 4 ? 225.0f : 0.0f;
        DrawList.scaled_image("gcur_walk", 255, mx, my, angle, s, flipped ? -s : s);
        break;
      }
      default:
        break;
    }
  } else {
    world.marker_phase += 0.1f;
    if (kind != 0) {
      const float s = 1.0f + std::cos(world.marker_phase) / 5.0f;
      DrawList.scaled_image("p_ind", 128, mx, my, 0.0f, s, s, 0xFFFFFF, BLEND_ADD);
    }
  }
  world.cursor = 0;
}
