// The obstacle of each hidden-object scene and the tool that clears it.
#pragma once

// The scene's script for this frame: the obstacle drawn over the thing it
// hides (which cannot be found while it is there), the tool lying in the
// scene, picked up with a click and dropped on the obstacle or back.
void SceneToolScript();
