// The engine's millisecond clock. A window session reads the platform's
// high-resolution counter; a headless run uses a virtual clock that only the
// main loop advances, so every run of a script is repeatable.
#pragma once

#include <cstdint>

// Sets the zero point to now and chooses the real or the virtual clock.
void ClockStart(bool virtual_clock);
bool ClockIsVirtual();
// Milliseconds since ClockStart.
double ClockNow();
// Moves the virtual clock forward; ignored by the real clock.
void ClockAdvance(double ms);
// Milliseconds since the system started, whichever clock the engine uses.
uint64_t SystemTickCount();
