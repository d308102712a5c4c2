// The main menu screen and its two small dialogs: the animated picture of
// the house on the moor (lightning, falling leaves, the rippling title, the
// player's name on the signpost), the exit confirmation and the message box.
#pragma once

#include "ui/gui.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/render.h"
#include "res/fixed_list.h"

inline constexpr std::size_t MENU_LEAF_CAPACITY = 21;
inline constexpr int MENU_MESH_COLUMNS = 40;  // nodes across the title
inline constexpr int MENU_MESH_ROWS = 10;     // nodes down the title

struct MenuLeaf {
  float x = 0.0f;
  float y = 0.0f;
  float frame = 0.0f;  // below 0 once the leaf has left the screen
  float scale = 1.0f;
  bool mirrored = false;
  uint32_t tint = 0xFFFFFF;
};

// The menu's animation lives for the whole run: showing the menu again does
// not start it over, so the title fades in only once.
struct MenuState {
  float t = 0.0f;
  bool flash_active = false;
  float flash_counter = 0.0f;
  float flash_x = 0.0f;
  int title_opacity = 0;  // 0..255
  FixedList<MenuLeaf, MENU_LEAF_CAPACITY> leaves;
  DeformGrid title_mesh{MENU_MESH_COLUMNS - 1, MENU_MESH_ROWS - 1,
                        std::vector<float>(MENU_MESH_COLUMNS * MENU_MESH_ROWS * 2, 0.0f)};
  // The paper on the signpost hangs tilted; the greeting is written under
  // this view.
  View signpost{-455.0f, -620.0f, 9.0f};
};
extern MenuState menu;
// Starts the animation over (tests boot the game more than once).
void ResetMenu();

// The per-tick procedure of "wnd_menu".
void MenuProcedure();
// Creates the controls of "wnd_menu", "wnd_econf" and "wnd_msg" after their
// window; any other window name is left alone.
void BuildMenuControls(const char* window);

// Saves the profile; when that fails the message box tells the player.
bool SaveProfileOrTell();

// The credits button, also where the ending leads: the credits roll as a
// level of their own, and the level played before is remembered.
void ShowCredits();
