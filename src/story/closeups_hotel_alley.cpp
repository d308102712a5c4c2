// The close-ups of the hotel and the alley, and the documents.
#include "story/closeup.h"

std::span<const CloseUpHandler> HotelAlleyCloseUps() { return {}; }
