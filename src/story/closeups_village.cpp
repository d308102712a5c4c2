// The close-ups of the bridge, the crossroad, the gates, the cemetery, the lodge, the crypt, the
// passage, the basement and the library.
#include "story/closeup.h"

std::span<const CloseUpHandler> VillageCloseUps() { return {}; }
