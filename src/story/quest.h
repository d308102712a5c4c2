// The quest state and the few operations every quest uses beyond what the
// world already offers (items: world/inventory.h; level objects and the
// message: world/scene.h; other levels' copies: world/object_list.h).
//
// A quest under way keeps its steps as keys of the player's "<player>_data"
// section of the profile document: "zoomin_" + quest + "_" + step for a
// close-up, "puzzle_" + puzzle + "_" + word for a puzzle. A key that is absent
// or unreadable reads as false or 0; a finished quest leaves no key behind.
#pragma once

#include <string>
#include <string_view>

// "<player>_data" for the current player.
std::string QuestSection();

// The quest section's keys, read and written as booleans ("TRUE"/"FALSE")
// or decimal integers.
bool QuestFlag(std::string_view key);
int QuestNumber(std::string_view key);
void SetQuestFlag(std::string_view key, bool value);
void SetQuestNumber(std::string_view key, int value);

// Deletes every key of the quest section that begins with `prefix`, and
// returns how many. Stops as soon as a pass deletes nothing, so a document
// with two sections of one name cannot hold it in a loop. Callers pass a
// prefix that ends with the step separator ("zoomin_q_hand_"), so that one
// quest's clean-up never reaches a quest whose name merely begins the same.
int DeleteKeysWithPrefix(std::string_view prefix);
// The step keys' prefix of a close-up or a puzzle: "zoomin_q_lamp_",
// "puzzle_q_clock_".
std::string CloseUpKeyPrefix(std::string_view quest);
std::string PuzzleKeyPrefix(std::string_view puzzle);

// The task list. OpenTask adds the task as "main" when it is not listed yet
// and then asks the task panel to open; CloseTask turns a "main" task into
// "done". Both raise the list's changed flag when they change it.
void OpenTask(std::string_view task);
void CloseTask(std::string_view task);

// Puts an object into a level that is not loaded unless an object of that
// name is there already; aimed at the loaded level it changes the loaded
// list instead. A damaged copy is logged and left as it was.
void EnsureInLevel(std::string_view level, std::string_view name, std::string_view kind, float x,
                   float y);

// A document collected: its name becomes the diary's last page and the page
// shown, the diary opens over the level ("get_diary") and the photograph is
// taken ("camera").
void CollectDocument(std::string_view name);
