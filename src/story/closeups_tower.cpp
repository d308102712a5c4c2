// The close-ups of the forge, the attic, the backyard, the stone circle, the hall and the hidden
// room.
#include "story/closeup.h"

std::span<const CloseUpHandler> TowerCloseUps() { return {}; }
