// The shell's per-frame work: the 10 ms frame tick, the two slower timers,
// and the draw, update and activate callbacks.
#pragma once

void FrameTick();
void MusicSelector();
void ResolutionGuard();
void DrawCallback();
void UpdateCallback(double elapsed_ms);
void ActivateCallback(bool focused);
