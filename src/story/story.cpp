// The quests and area scripts; the story fills these in.
#include "story/story.h"

#include "story/level_script.h"
#include "story/scene_tools.h"
#include "world/scene.h"

void QuestDispatch(int /*index*/) {}

void RegisterStory() { SetStoryHooks({QuestDispatch, RunAreaScript, SceneToolScript}); }
