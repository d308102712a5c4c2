// The hidden-object scene: a picture full of things in place of the level,
// the list of the twelve to find on the panel, finding by click, the flight
// of a found thing to its label, misses and their penalty, and the way back
// to the level, finished or not.
//
// A scene's objects are taken in groups of twelve by their place in the
// scene file: 0..11 and 12..23. The hunt played is the group holding the
// key of the entrance clicked ("h_" + the entrance's name without "q_").
#pragma once

#include <string>

// The scene's frame, run by the frame tick while "wnd_ho" shows.
void HiddenObjectFrame();

// Every thing of the group starting at `first` marked as found and landed.
void FinishGroup(int first);
// All twelve of the group have landed.
bool GroupFinished(int first);
// The group still has a thing to find.
bool GroupHasTargets(int first);

// The hunt of the current entrance: the first index of its group (0 or 12),
// and the name of the thing that is its reward's picture.
int HuntGroupStart();
std::string HuntKeyName();

// Back to the level from the scene: with `finished` the hunt's reward goes
// into the inventory and its entrance leaves the level; otherwise the scene
// is saved as it stands, to be resumed.
void LeaveHiddenObjectScene(bool finished);
