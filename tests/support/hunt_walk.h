// A player in a hidden-object scene, for tests that run inside the loaded
// game: the scene's tool taken and dropped on its obstacle when the hunt's
// key lies under it, each listed thing clicked where it shows and nothing
// else is, and the guide's panels in the scene clicked on.
#pragma once

#include <string>

// With the scene open: plays the hunt of the entrance clicked until the scene
// closes. Returns "" or what went wrong.
std::string PlayOpenHunt();
