// The inventory and the scene message: the strip of eight slots on the game
// panel with the items the player carries (picked up, held at the mouse, used
// on hotspots, flown back), and the one-line message that types itself out
// across the top of the screen. Both live in the world record.
#pragma once

#include <string_view>

#include "world/world.h"

// --- Inventory entries -----------------------------------------------------------

// Plays "whoosh" and appends an entry in that state ("new" flies from (x, y)
// to its slot). Callers keep the inventory below 129 entries.
void GiveItem(std::string_view name, std::string_view state, float x, float y);
// Removes the entry (a quest took it) and keeps the strip's scroll in range;
// -1 does nothing.
void TakeHeldItem(int index);
// The entry held at the mouse, or -1.
int HeldItemIndex();
// Lets the held entry go where the mouse is; it flies back to its slot.
void ReleaseHeldItem();

// --- The strip and the message ------------------------------------------------------

// Draws and runs the strip with its top-left slot corner at the origin, once
// a tick: arrows and scrolling, flights, labels, picking up, letting go and
// the wrong use of a held entry.
void InventoryStrip(float origin_x, float origin_y);
// Where the strip's first slot sits on the game panel.
inline constexpr float kStripLeft = 272.0f;
inline constexpr float kStripTop = 703.0f;
// True while the strip shows the entry's name above its slot: the mouse has
// rested on the slot for the hover time.
bool InventoryLabelShown(const SceneObject& entry);
// Plays "popup" and starts showing the text of the string key.
void ShowSceneMessage(std::string_view key);
// Advances and draws the scene message, once a tick.
void PopupFrame();

// Milliseconds a scene message stays up.
inline constexpr double kPopupShownMs = 5000.0;
