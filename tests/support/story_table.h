// The story's table (tests/walkthrough/story.txt): every step from a new
// profile to the credits, in the order a player takes them, with what each
// step uses, gives, adds and removes. The walkthrough plays it by clicks; the
// completability check follows it over the content without playing.
//
// One step a line; `#` starts a comment. A line is
//
//   KIND ARGUMENTS... [-> GIVES...] [+ ADDS...] [- REMOVES...]
//
//   chapter TITLE...           a check point: the walkthrough checks the
//                              level, the inventory and the tasks here
//   start                      a new profile, Play, the intro, the hotel
//   answer yes|no              the question the game asks now
//   walk LEVEL...              through the exits, one level after another
//   take OBJECT                picks the object up (its item is GIVES)
//   click OBJECT [ITEM]        a click with an empty cursor, or holding ITEM
//                              (used up unless it is also among GIVES)
//   wrong OBJECT ITEM          holding ITEM, which the object refuses
//   closeup OBJECT [@N...] [ITEM...]
//                              opens it, clicks its N-th regions in turn (a
//                              lock set as the diary tells) and plays it
//                              with the items
//   hunt OBJECT                plays the hidden-object scene from the entrance
//   puzzle OBJECT [ITEM...] [solve]
//                              fits the items; with `solve` plays to the win,
//                              otherwise leaves it
//   ghost                      clicks the apparition of the level away
//   outro                      the movie, the credits and back to the menu
//
// ADDS and REMOVES name objects of the current level, or of another as
// LEVEL:OBJECT; an exit is the object named "q_" and its level.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

enum class StepKind { Chapter, Start, Answer, Walk, Take, Click, Wrong, CloseUp, Hunt, Puzzle, Ghost, Outro };

struct StoryStep {
  int line = 0;                     // in the table file, for messages
  StepKind kind = StepKind::Chapter;
  std::string level;                // where the step happens (after a walk: where it ends)
  std::string object;               // the object clicked; the answer; the chapter's title
  std::vector<std::string> route;   // walk: the levels entered, in order
  std::vector<std::string> uses;    // items held, in order
  std::vector<int> regions;         // close-up: regions clicked first, by their order
  std::vector<std::string> gives;
  std::vector<std::string> adds;
  std::vector<std::string> removes;
  bool solve = false;               // puzzle: played to the win
};

struct StoryTable {
  std::vector<StoryStep> steps;
  std::string error;                // "line N: ..." when the table cannot be read
};

StoryTable ReadStoryTable(const std::filesystem::path& file);
