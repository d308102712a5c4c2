// The level script: what a level does by itself every frame — its flickering
// light and the flames, glows and drips of its painting; the hotel's darkness
// when the gas lamp is turned off and the basement's until the fireflies
// come; apparitions that wait until the player clicks them away; things that
// fall, the grindstone, the hallway's sliding wall, lightning over the open
// levels and the ghosts the camera catches.
#pragma once

// The current level's script for this frame.
void RunAreaScript();
// Forgets every sequence under way (a new game, a new run).
void ResetLevelScripts();
