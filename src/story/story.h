// The story's entry points into the scene runtime: what a click on a quest
// object does, and the per-frame script of the current level.
#pragma once

// A click on the level object at `index` (kinds "static", "cstatic" and
// "ghost"): the quest of that object decides what happens.
void QuestDispatch(int index);
// Hands it, the level script (story/level_script.h) and the hidden-object
// scenes' tool script to the scene runtime (at program start).
void RegisterStory();
