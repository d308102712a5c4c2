// The level editor inside the game, for the people who lay out the levels:
// with the developer's profile, F1 turns edit mode on over the level; every
// object then shows its name, kind and place, a brush of the level's "q"
// pictures puts new objects down, and the three small editor windows load a
// level, save it into the designer's content folder (the source the build
// makes the shipped levels from) and add inventory entries.
// Depends on the world record, the scene runtime, the object-list files, the
// image registry and the UI toolkit's windows.
#pragma once

// Runs after the level frame in the game window for the developer's
// profile; does nothing unless edit mode is on.
void EditorFrame();

// Steps the brush through the loaded pictures whose names begin with "q"
// (+1 next, -1 previous), wrapping at both ends. Without any such picture
// the brush stays as it was after one full turn.
void StepBrush(int step);

// The OK buttons of "wnd_eload", "wnd_esave" and "wnd_eadd". A level name
// typed into the load or save window becomes a file name, so anything but
// lower-case letters, digits, '_' and '-' is refused with a message before
// any path is built.
// - load: enters the named level from the designer's content folder, or from
//   the shipped file when the content folder has none; a level that has
//   neither leaves the current level loaded, with a message.
// - save: writes the level's objects into the content folder's level file of
//   that name (atomically) and enters it from there; without a content
//   folder nothing is written and a message says where to start the game.
// - add: gives the inventory an entry of the typed picture, or shows the
//   "not_found" message when the level's pictures have none of that name.
void EditorLoadAction();
void EditorSaveAction();
void EditorAddAction();
