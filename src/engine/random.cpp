// One Mersenne Twister for the whole game.
#include "engine/random.h"

#include <random>

namespace {
std::mt19937 g_random{kRandomStartSeed};
}

void RandomSeed(uint32_t seed) { g_random.seed(seed); }

int Random(int n) {
  if (n <= 0) return 0;
  return std::uniform_int_distribution<int>(0, n - 1)(g_random);
}

float RandomFloat() { return std::uniform_real_distribution<float>(0.0f, 1.0f)(g_random); }
