// The static-object script: what a click on a level's "static", "cstatic" or
// "ghost" object says, and what the object does with the item it wants —
// the grindstone, the fallen tree, the scarecrow, the crypt door, the ghosts
// that take what they were missing, the photographs of Gustav on the walls.
#pragma once

#include <string>
#include <string_view>

// A click on level object `index` of one of those kinds. With an empty cursor
// the object speaks (a ghost sighs "ghost" first); with the item it wants the
// item is taken and the level changes; with the plain axe where a sharp one
// is needed the axe goes back with a hint; with any other item nothing
// happens and the item stays at the mouse.
void StaticObjectClick(int index);

// The stars, chips and flames those effects leave over the level, moved and
// drawn once a frame after the level script.
void StaticEffectsFrame();
// Forgets them (a new game).
void ResetStaticEffects();

// The text a click with an empty cursor shows on the object: a ghost's line,
// or the level's name, "_" and the object's name.
std::string StaticMessageKey(std::string_view level, std::string_view object);
