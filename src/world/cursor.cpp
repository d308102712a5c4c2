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
  if (gui_hover) world.cursor = Cursor::Hand;
  const Cursor kind = world.cursor;
  world.cursor_drawn = kind;
  if (CurrentProfiles().options.custom_cursor) {
    if (kind != Cursor::Arrow && kind != Cursor::Hand) world.cursor_phase += 0.075f;
    const float t = world.cursor_phase;
    switch (kind) {
      case Cursor::Arrow:
        DrawList.image("gcur", 255, mx, my);
        break;
      case Cursor::Hand:
        DrawList.scaled_image("gcur_hand", 255, mx + 12.0f, my + 16.0f, 0.0f, 1.0f, 1.0f);
        break;
      case Cursor::Action: {
        const float s = 1.0f - std::fabs(std::cos(t) * 5.0f) / 50.0f;
        DrawList.scaled_image("gcur_action", 255, mx + 10.0f, my + 20.0f, 0.0f, s, s);
        break;
      }
      case Cursor::WalkLeft:
      case Cursor::WalkRight:
      case Cursor::WalkAhead:
      case Cursor::WalkBack: {
        const float s = 1.0f - std::fabs(std::cos(t) * 10.0f) / 100.0f;
        // Ahead points up as drawn, back down; left and right are diagonals.
        const bool flipped = kind == Cursor::WalkBack || kind == Cursor::WalkRight;
        const float angle = kind == Cursor::WalkLeft    ? 315.0f
                            : kind == Cursor::WalkRight ? 225.0f
                                                        : 0.0f;
        DrawList.scaled_image("gcur_walk", 255, mx, my, angle, s, flipped ? -s : s);
        break;
      }
    }
  } else {
    world.marker_phase += 0.1f;
    if (kind != Cursor::Arrow) {
      const float s = 1.0f + std::cos(world.marker_phase) / 5.0f;
      DrawList.scaled_image("p_ind", 128, mx, my, 0.0f, s, s, 0xFFFFFF, BLEND_ADD);
    }
  }
  world.cursor = Cursor::Arrow;
}
