// A player's progress: the diary, the current level, the task list, the hint
// charge and the inventory as kept in "data.ini" next to the options, and
// the start-up check of the player's level and scene copies.
// Depends on the INI document, the world record and the object-list reader.
#pragma once

#include <string>

// Hands the three progress steps below to the profiles (at program start).
void RegisterProgress();

// --- In memory ----------------------------------------------------------------

// A new game: one diary page "default" shown as page 1, the level "intro",
// no tasks, an empty inventory, no hint recharge and charge 0. Writes nothing.
void FreshProgress();

// --- In the profile document ----------------------------------------------------

// Writes the progress keys into the player's section (after the options) and
// rewrites the player's "_inv" section as a whole.
void WriteProgress(const std::string& player);
// Reads them back; absent keys read as 0, "" or false, so a profile without
// progress keys has an empty diary, no level, no tasks and no inventory.
// Counts beyond what the lists hold are cut to their capacity with a log line.
void ReadProgress(const std::string& player);

// --- Damaged profiles -------------------------------------------------------------

// Deletes the current player's three sections from the document and starts a
// new game in memory; the options in memory stay and are written by the next
// SaveProfile.
void ResetProgress();
// Fresh copies of the shipped lists in the player folder, a new game, and the
// profile saved, so the document and the copies agree again. Showing the
// "crash" message is the caller's part.
void RecoverDamagedProfile();
// Run once the game has loaded (the image archive closed): the current
// player's folder must hold a readable copy of every "data/levels/*.cfg" and
// "data/scenes/*.cfg". At the first missing or unreadable one the profile is
// recovered. True when all was in order or there is no current player; false
// after a recovery, when the caller shows the "crash" message.
bool VerifyPlayerFiles();
