// The level script: what a level does by itself every frame — its flickering
// light, the hotel's darkness when the gas lamp is turned off, and the
// apparitions that wait in a level until the player clicks them away.
#pragma once

// The current level's script for this frame.
void RunAreaScript();
// Forgets every sequence under way (a new game, a new run).
void ResetLevelScripts();
