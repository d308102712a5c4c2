// The program around the game, as main runs it: the command line, the game
// folder and the per-user folder, the whole game state reset, then the run.
#pragma once

// Returns the process status. May run again in the same process: each run
// starts from the reset game state.
int RunProgram(int argc, char** argv);
