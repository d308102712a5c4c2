// The shell's per-frame work: the 10 ms frame tick, the two slower timers,
// and the draw, update and activate callbacks.
#pragma once

#include "fx/particles.h"

// Screen-wide sparkles (the diary button's), stepped once a tick over a level.
extern TParticleSystem screen_particles;

void FrameTick();
void MusicSelector();
void ResolutionGuard();
void DrawCallback();
void UpdateCallback(double elapsed_ms);
void ActivateCallback(bool focused);
// Forgets the frame state (tests boot the game more than once).
void ResetFrame();
