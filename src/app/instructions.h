// The guided tutorial: the offer on the first visit to the hotel and the
// eight steps that walk a new player through the panel, a close-up and a
// hidden-object scene. The step is the player's option "opt_inum".
#pragma once

inline constexpr int TUTORIAL_DONE = 8;

// The per-tick procedure of "wnd_instr".
void InstructionsProcedure();
// Creates the controls of "wnd_instr" after its window; any other window
// name is left alone.
void BuildInstructionsControls(const char* window);
