// The game's random numbers: one generator, seeded once at start, so a fixed
// seed replays a headless run exactly.
#pragma once

#include <cstdint>

// The seed the sequence starts from when nobody sets one.
inline constexpr uint32_t kRandomStartSeed = 5489u;
void RandomSeed(uint32_t seed);
// An integer in [0, n); 0 when n <= 0.
int Random(int n);
// A float in [0, 1).
float RandomFloat();
