// The quests and area scripts; the story fills these in.
#include "story/story.h"

void QuestDispatch(int /*index*/) {}

void RunAreaScript() {}
