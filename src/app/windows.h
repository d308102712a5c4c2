// The game's windows, built once at load in their fixed order (which is also
// the order they are updated and drawn in).
#pragma once

// Creates the 21 windows with their rectangles, visibility, modality, skins
// and window procedures; each becomes the parent of the controls after it.
void BuildWindows();
