// The one reset of the whole game: every global of every layer back to how
// the program starts, so one process can run one game after another (the
// program's start and every test that boots the game).
#pragma once

// Shuts the engine down if it runs, forgets every resource, window, player,
// level and script, restarts the random sequence, and hands the world's
// progress and the story's hooks to the layers below again.
void ResetGameState();
