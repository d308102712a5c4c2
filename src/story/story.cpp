// The quests and area scripts: the story's hooks into the scene runtime.
#include "story/story.h"

#include "story/level_script.h"
#include "story/scene_tools.h"
#include "story/statics.h"
#include "world/scene.h"

namespace {

// The level's own script, then what the clicks on its objects left floating
// over it.
void LevelScripts() {
  RunAreaScript();
  StaticEffectsFrame();
}

}  // namespace

void QuestDispatch(int index) { StaticObjectClick(index); }

void RegisterStory() { SetStoryHooks({QuestDispatch, LevelScripts, SceneToolScript}); }
