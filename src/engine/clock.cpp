// Millisecond clock over SDL's performance counter, or a virtual one.
#include "engine/clock.h"

#include <SDL.h>  // SDL_GetPerformanceCounter: the high-resolution counter

namespace {

struct ClockState {
  bool virtual_clock = false;
  double virtual_ms = 0.0;
  Uint64 start_count = 0;
  double ms_per_count = 0.0;
};

ClockState g_clock;

}  // namespace

void ClockStart(bool virtual_clock) {
  g_clock = ClockState{};
  g_clock.virtual_clock = virtual_clock;
  if (!virtual_clock) {
    g_clock.start_count = SDL_GetPerformanceCounter();
    g_clock.ms_per_count = 1000.0 / static_cast<double>(SDL_GetPerformanceFrequency());
  }
}

bool ClockIsVirtual() { return g_clock.virtual_clock; }

double ClockNow() {
  if (g_clock.virtual_clock) return g_clock.virtual_ms;
  if (g_clock.ms_per_count == 0.0) ClockStart(false);
  return static_cast<double>(SDL_GetPerformanceCounter() - g_clock.start_count) *
         g_clock.ms_per_count;
}

uint64_t SystemTickCount() { return SDL_GetTicks64(); }

void ClockAdvance(double ms) {
  if (g_clock.virtual_clock) g_clock.virtual_ms += ms;
}
