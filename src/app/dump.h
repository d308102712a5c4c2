// The state dump of the automation scripts: what the game shows and holds,
// as one JSON object. Later subsystems add their fields; a field once
// present keeps its meaning.
#pragma once

#include "app/json.h"

JsonValue BuildStateDump();
