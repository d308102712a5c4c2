// Steps of the level frame that live in files of their own: ghosts on their
// way into the diary, and the document read over the level. Only the scene
// runtime calls them.
#pragma once

struct SceneObject;

// Moves a ghost photograph one step towards the diary button; true once it
// has arrived and its page is in the diary.
bool GhostFlight(SceneObject& ghost);
// Ghosts that can be photographed circle their place while nothing covers
// the level.
void GhostsToCatch();
// The document overlay: the old paper over the level, the text one page per
// click.
void DocumentOverlay();
