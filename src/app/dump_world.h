// The world's part of the state dump: the level and its objects, the
// inventory, the diary, tasks, the scene message and the level's flags.
#pragma once

#include "app/json.h"

// Adds the world's fields to the dump object.
void DumpWorld(JsonValue& dump);
