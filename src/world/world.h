// The world record: what the player is in now. The fields here are those the
// screens and the frame tick read; the scene runtime adds the rest.
#pragma once

#include <string>
#include <string_view>

struct WorldState {
  std::string levelName;       // the current level; cutscenes are levels too
  bool documentMode = false;   // a document is shown over the level
  int cursor = 0;              // cursor kind of this tick (see DrawCursor)
  int cursor_drawn = 0;        // the kind DrawCursor drew last
  float cursor_phase = 0.0f;   // pulse of the action and walk cursors
  float marker_phase = 0.0f;   // pulse of the marker drawn with the system cursor
  bool ho_busy = false;        // the hidden-object frame is mid-transition
};

extern WorldState world;
void ResetWorld();

// "intro", "flight", "outro" and "credits" are the story's cutscene levels.
bool IsCutsceneLevel(std::string_view level);

// Records the game cursor for this tick (or, with the system arrow, the
// marker of an active cursor) and resets the kind to 0.
void DrawCursor();
