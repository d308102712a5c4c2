// The story's entry points into the scene runtime: what a click on a quest
// object does, and the per-frame script of the current level.
#pragma once

// A click on the level object at `index` (kinds "static", "cstatic" and
// "ghost"): the quest of that object decides what happens.
void QuestDispatch(int index);
// The current level's script for this frame; it may set the allowed object
// indexes while the level is not interactive.
void RunAreaScript();
// Hands both to the scene runtime (at program start).
void RegisterStory();
