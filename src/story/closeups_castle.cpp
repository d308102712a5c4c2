// The close-ups of the stairs, the laboratory, the kitchen, the yard, the hallway, the terrace and
// the cabinet.
#include "story/closeup.h"

std::span<const CloseUpHandler> CastleCloseUps() { return {}; }
