// A player walking through one close-up, for tests that run inside the
// loaded game (LoadedGame::Run): the level is entered, the close-up opened by
// a click on its object, and each needed item held in turn, picked up from
// the strip, while the regions the close-up offers are clicked, until it
// closes or the step limit is reached. Only real clicks drive it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct CloseUpWalk {
  bool opened = false;          // the click on the quest object opened the close-up
  bool open = false;            // still open at the end
  int steps = 0;                // passes over the regions taken
  std::vector<std::string> items_left;  // needed items the close-up never took
  std::vector<std::string> inventory;   // entry names at the end
  std::vector<std::string> objects;     // the level's object names at the end
  std::vector<std::string> keys_left;   // the quest's step keys still in the section
  std::vector<std::string> messages;    // scene messages shown on the way, in order
  // Regions or overlays seen outside the close-up's picture, and overlays
  // whose picture is missing (size 0), each once.
  std::vector<std::string> faults;
};

// Makes a player ("tester") unless there is one, with the guide answered, and
// enters `level` as the menu's Play does; the fades are waited out and a
// waiting ghost let go.
void EnterLevelForWalk(std::string_view level);
// A ghost waiting in the level (as at the crossroad on the first visit) is
// clicked away, as a player must before the level takes other clicks.
void LetApparitionGo();

// Puts the quest object into the current level unless it is there, at its
// place in content/added_objects.txt (of `kind`); false when it has none.
bool EnsureQuestObject(std::string_view quest, std::string_view kind = "zoomin");

// Opens the close-up by clicking its object in the current level.
bool OpenCloseUpByClick(std::string_view quest);

// The level's pictures (its close-ups among them) loaded as the level set,
// without entering the level.
void LoadLevelPictures(std::string_view level);

// Enters the level, puts the quest object there if needed, opens the
// close-up by a click and walks it with `items` given into the inventory and
// held in that order.
CloseUpWalk WalkCloseUp(std::string_view level, std::string_view quest,
                        const std::vector<std::string>& items, int step_limit = 40);

// Walks the close-up that is open now (items as above), without entering or
// opening anything; returns when it closes, or after `step_limit` passes.
CloseUpWalk WalkOpenCloseUp(std::string_view quest, const std::vector<std::string>& items,
                            int step_limit = 40);

// The inventory entry `item` (given when absent) picked up by a click on its
// slot in the strip.
void HoldItem(std::string_view item);
// A held entry put back by a click on its slot.
void PutBackHeldItem();
