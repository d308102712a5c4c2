// The walkthrough: the story's table played from a new profile to the credits
// by clicks alone, in the loaded game, as a player who knows the way would.
// After every step what the table says it gives, adds and removes is checked
// against the game. Every click and tick is written down as an automation
// script, with the chapter checks as `expect` lines, so that the game itself
// plays the story again from its command line (the "walkthrough.play" test).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/engine.h"
#include "engine/random.h"
#include "profile/profiles.h"
#include "res/images.h"
#include "story/closeup.h"
#include "support/closeup_walk.h"
#include "support/hunt_walk.h"
#include "support/input.h"
#include "support/loaded_game.h"
#include "support/puzzle_solve.h"
#include "support/puzzle_walk.h"
#include "support/story_table.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/scene.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

// Where things are on the screen, as a player sees them.
constexpr float kPanelTop = 640.0f;
constexpr float kEntranceBox = 100.0f;
constexpr float kProbeStep = 3.0f;
// Ticks a step may take to show its outcome (a sequence, a fall, a flight),
// and the passes of a close-up.
constexpr int kOutcomeTicks = 3000;
constexpr int kCalmRounds = 240;
constexpr int kCloseUpPasses = 12;
constexpr int kCloseUpRounds = 4;

struct WalkState {
  const StoryTable* table = nullptr;
  std::string failure;  // the first step that went wrong, with why
  int steps_done = 0;
};

WalkState g_walk;

fs::path TablePath() {
  if (const char* path = std::getenv("QUILLMOOR_STORY_TABLE")) return path;
  return fs::path(QUILLMOOR_TEST_SOURCE_DIR) / "walkthrough" / "story.txt";
}

fs::path ScriptPath() {
  return fs::path(QUILLMOOR_TEST_OUTPUT_DIR) / "walkthrough" / "walkthrough.qms";
}

// The guide waits for a click on a level object (the lamp, the scarecrow's
// scene) and holds every other click meanwhile.
bool GuideWaitsForObject() {
  const int step = CurrentProfiles().options.tutorial_step;
  return WindowVisible("wnd_instr") && (step == 2 || step == 4);
}

// Whether a click at the mouse reaches `o` by the level's rules, which try
// the objects in their order.
bool TakesClick(const SceneObject& o, int index, bool holding) {
  const bool allowed_a = index == world.allowedA;
  const bool allowed = allowed_a || index == world.allowedB;
  const bool interactive = world.interactive;
  if (o.kind == "item") return !holding && MouseOverObject(o);
  if (o.kind == "static" || o.kind == "cstatic" || o.kind == "zoomin")
    return (interactive || allowed_a) && MouseOverObject(o);
  if (o.kind == "ghost" || o.kind == "puzzle") return interactive && MouseOverObject(o);
  if (o.kind == "hobject")
    return interactive && mouse_in_rect(o.x - kEntranceBox / 2, o.y - kEntranceBox / 2,
                                        kEntranceBox, kEntranceBox);
  if (o.kind == "area") {
    if (!(interactive || allowed) || !MouseOverObject(o)) return false;
    const Texture* t = images.get(o.name);
    const auto w = static_cast<float>(TextureWidth(t)), h = static_cast<float>(TextureHeight(t));
    return image_alpha_at(o.name, MouseX() - (o.x - w / 2), MouseY() - (o.y - h / 2)) > 0;
  }
  return false;
}

// The point nearest the object's middle where a click reaches it and no
// object before it: the player clicks what they see. The pointer is only
// placed to ask, no frame runs in between.
bool ClickPointOf(std::string_view name, float& x, float& y) {
  const int index = FindSceneObject(name);
  if (index < 0) return false;
  const SceneObject& target = world.objects[static_cast<std::size_t>(index)];
  const Texture* t = images.get(target.name);
  auto w = static_cast<float>(TextureWidth(t)), h = static_cast<float>(TextureHeight(t));
  if (target.kind == "hobject") w = h = kEntranceBox;
  const bool holding = HeldItemIndex() >= 0;
  std::vector<std::pair<float, float>> points;
  for (float dy = -h / 2 + 1; dy < h / 2; dy += kProbeStep)
    for (float dx = -w / 2 + 1; dx < w / 2; dx += kProbeStep) points.emplace_back(dx, dy);
  std::stable_sort(points.begin(), points.end(), [](const auto& a, const auto& b) {
    return a.first * a.first + a.second * a.second < b.first * b.first + b.second * b.second;
  });
  const float mouse_x = MouseX(), mouse_y = MouseY();
  bool found = false;
  for (const auto& [dx, dy] : points) {
    const float px = std::round(target.x + dx), py = std::round(target.y + dy);
    if (px < 0 || px >= 1024 || py < 0 || py >= kPanelTop) continue;
    EngineSetCursorLogical(px, py);
    if (GuideWaitsForObject()) {
      found = target.kind == "hobject" ? TakesClick(target, index, false) : MouseOverObject(target);
      x = px;
      y = py;
      if (found) break;
      continue;
    }
    for (std::size_t i = 0; i < world.objects.size(); ++i) {
      if (!TakesClick(world.objects[i], static_cast<int>(i), holding)) continue;
      if (static_cast<int>(i) == index) {
        x = px;
        y = py;
        found = true;
      }
      break;
    }
    if (found) break;
  }
  EngineSetCursorLogical(mouse_x, mouse_y);
  return found;
}

bool Settled() {
  for (const SceneObject& e : world.inventory)
    if (e.kind != "normal") return false;
  for (const SceneObject& o : world.objects)
    if (o.kind == "ghost_catch") return false;
  if (fade_level != 0 || world.levelFade != 0) return false;
  // A level that lets only some objects answer (the dark cellar) is at rest.
  const bool answers = world.interactive || world.allowedA >= 0 || world.allowedB >= 0;
  return GuideWaitsForObject() || (gui_modal == -1 && answers);
}

// One click on a window that waits for it: the guide's panels that want any
// click, the reward's window, the diary. False when none waits.
bool DismissWindow() {
  const int guide = CurrentProfiles().options.tutorial_step;
  if (WindowVisible("wnd_instr") && guide == 1) {
    ClickAt(512.0f, 300.0f);
  } else if (WindowVisible("wnd_instr") && guide == 7 && WindowVisible("wnd_popup")) {
    ClickAt(547.0f, 624.0f);
  } else if (WindowVisible("wnd_popup")) {
    ClickAt(512.0f, 384.0f);
  } else if (WindowVisible("wnd_diary")) {
    ClickAt(60.0f, 650.0f);
  } else {
    return false;
  }
  return true;
}

// Lets the game come to rest: waiting windows are clicked away, fades and
// flights end. A level that stays busy (a ghost waiting to be clicked) is
// left to the next step.
void Calm() {
  for (int round = 0; round < kCalmRounds; ++round) {
    if (!DismissWindow() && Settled()) return;
    GameSteps(5);
  }
}

int Count(std::string_view item) {
  return static_cast<int>(std::count_if(world.inventory.begin(), world.inventory.end(),
                                        [&](const SceneObject& e) { return e.name == item; }));
}

std::string LocalName(const std::string& entry, std::string_view level, bool& here) {
  const auto colon = entry.find(':');
  here = colon == std::string::npos || entry.substr(0, colon) == level;
  return colon == std::string::npos ? entry : entry.substr(colon + 1);
}

// What the step still owes: "" once its gives, adds and removes are seen.
std::string Owed(const StoryStep& step) {
  for (const std::string& item : step.gives) {
    const int index = FindInventoryEntry(item);
    if (index < 0) return "no " + item + " in the inventory";
    if (world.inventory[static_cast<std::size_t>(index)].kind != "normal")
      return item + " has not landed";
  }
  for (const std::string& entry : step.adds) {
    bool here = false;
    const std::string name = LocalName(entry, world.levelName, here);
    if (here && FindSceneObject(name) < 0) return name + " was not added";
  }
  for (const std::string& entry : step.removes) {
    bool here = false;
    const std::string name = LocalName(entry, world.levelName, here);
    if (here && FindSceneObject(name) >= 0) return name + " is still there";
  }
  return "";
}

std::string AwaitOutcome(const StoryStep& step) {
  std::string owed = Owed(step);
  for (int t = 0; t < kOutcomeTicks && !owed.empty(); t += 5) {
    GameSteps(5);
    // A reward's window waits for its click before the reward lands.
    DismissWindow();
    owed = Owed(step);
  }
  return owed;
}

std::string ClickObject(std::string_view name) {
  float x = 0.0f, y = 0.0f;
  if (!ClickPointOf(name, x, y)) {
    return FindSceneObject(name) < 0 ? std::string(name) + " is not in the level"
                                     : std::string(name) + " cannot be clicked anywhere";
  }
  ClickAt(x, y);
  GameSteps(1);
  return "";
}

std::string Hold(std::string_view item) {
  if (FindInventoryEntry(item) < 0) return "no " + std::string(item) + " to hold";
  HoldItem(item);
  const int held = HeldItemIndex();
  if (held < 0 || world.inventory[static_cast<std::size_t>(held)].name != item)
    return std::string(item) + " could not be picked up from the strip";
  return "";
}

// --- Steps ----------------------------------------------------------------------------------

std::string Start() {
  for (int t = 0; t < 2000 && !WindowVisible("wnd_prof"); t += 10) GameSteps(10);
  if (!WindowVisible("wnd_prof")) return "the profiles window did not open";
  SendText("Walker");
  GameSteps(2);
  ClickAt(442.0f, 552.0f);  // OK
  GameSteps(2);
  if (CurrentProfiles().current_player != "Walker") return "no player was made";
  ClickAt(512.0f, 536.0f);  // Play
  GameSteps(100);
  for (int page = 0; page < 10 && world.levelName == "intro"; ++page) {
    ClickAt(500.0f, 400.0f);
    GameSteps(40);
  }
  GameSteps(60);
  if (world.levelName != "hotel") return "the intro led to \"" + world.levelName + "\"";
  if (!WindowVisible("wnd_diary")) return "the diary did not open over the hotel";
  ClickAt(60.0f, 650.0f);
  GameSteps(5);
  return "";
}

std::string Answer(const StoryStep& step) {
  for (int t = 0; t < 600 && !WindowVisible("wnd_instr"); t += 5) GameSteps(5);
  if (!WindowVisible("wnd_instr")) return "no question is asked";
  ClickAt(step.object == "yes" ? 442.0f : 582.0f, 468.0f);
  GameSteps(2);
  return "";
}

std::string Walk(const StoryStep& step) {
  for (const std::string& level : step.route) {
    if (const std::string trouble = ClickObject("q_" + level); !trouble.empty())
      return "from " + world.levelName + ": " + trouble;
    for (int t = 0; t < 400 && world.levelName != level; t += 5) GameSteps(5);
    if (world.levelName != level) return "the exit did not lead to " + level;
    Calm();
    RecordScriptLine("expect level == \"" + level + "\"");
  }
  return "";
}

std::string UseOrClick(const StoryStep& step) {
  if (!step.uses.empty())
    if (std::string trouble = Hold(step.uses.front()); !trouble.empty()) return trouble;
  const int had = step.uses.empty() ? 0 : Count(step.uses.front());
  if (std::string trouble = ClickObject(step.object); !trouble.empty()) return trouble;
  GameSteps(5);
  if (step.kind == StepKind::Wrong) {
    // A close-up opens to the item: it is tried there and refused.
    if (WindowVisible("wnd_zoomin") && !CloseUpRegions().empty()) {
      GameSteps(1);
      const CloseUpRect r = CloseUpRegions().front();
      ClickAt(r.x + r.w / 2, r.y + r.h / 2);
      GameSteps(5);
    }
    if (Count(step.uses.front()) != had) return step.uses.front() + " was taken";
    PutBackHeldItem();
    GameSteps(5);
    if (WindowVisible("wnd_zoomin")) {
      ClickAt(30.0f, 400.0f);  // beside it
      GameSteps(20);
    }
  } else if (!step.uses.empty() && HeldItemIndex() >= 0) {
    return step.uses.front() + " was not taken";
  }
  return "";
}

std::string CloseUpStep(const StoryStep& step) {
  if (std::string trouble = ClickObject(step.object); !trouble.empty()) return trouble;
  GameSteps(2);
  if (!WindowVisible("wnd_zoomin")) return "the close-up did not open";
  // A lock the player sets as the diary tells: its regions in turn.
  for (const int n : step.regions) {
    GameSteps(1);
    const auto regions = CloseUpRegions();
    if (n >= static_cast<int>(regions.size()))
      return "the close-up offers no region " + std::to_string(n);
    const CloseUpRect& r = regions[static_cast<std::size_t>(n)];
    ClickAt(r.x + r.w / 2, r.y + r.h / 2);
    GameSteps(2);
  }
  std::vector<std::string> items = step.uses;
  // A close-up that keeps the player waiting (a tune, a rising amulet) is
  // walked on while it owes what the table says it gives.
  for (int round = 0; round < kCloseUpRounds; ++round) {
    items = WalkOpenCloseUp(step.object, items, kCloseUpPasses).items_left;
    if (!WindowVisible("wnd_zoomin") || (items.empty() && Owed(step).empty())) break;
  }
  if (!items.empty()) return items.front() + " was not taken";
  if (WindowVisible("wnd_zoomin")) {
    ClickAt(30.0f, 400.0f);  // beside it
    GameSteps(20);
  }
  return WindowVisible("wnd_zoomin") ? "the close-up did not close" : "";
}

std::string HuntStep(const StoryStep& step) {
  if (std::string trouble = ClickObject(step.object); !trouble.empty()) return trouble;
  for (int t = 0; t < 300 && !WindowVisible("wnd_ho"); t += 5) GameSteps(5);
  GameSteps(60);
  return PlayOpenHunt();
}

std::string PuzzleStep(const StoryStep& step) {
  if (std::string trouble = ClickObject(step.object); !trouble.empty()) return trouble;
  GameSteps(5);
  if (!WindowVisible("wnd_puzzle")) return "the puzzle did not open";
  for (const std::string& piece : step.uses)
    if (!FitPuzzlePiece(step.object, piece)) return piece + " found no place";
  if (step.solve) {
    if (!SolveOpenPuzzle(step.object)) return "the puzzle was not won";
  } else {
    ClosePuzzleBeside();
    GameSteps(5);
  }
  return "";
}

std::string Outro() {
  // The story is over: nothing is left to carry and every task is done.
  if (!world.inventory.empty()) return world.inventory[0].name + " is still carried";
  for (int i = 0; i < world.tasks.count(); ++i)
    if (world.tasks[i].value != "done") return world.tasks[i].key + " is not done";
  RecordScriptLine("expect inventory.length == 0");
  for (int t = 0; t < 3000 && world.levelName != "outro"; t += 10) GameSteps(10);
  if (world.levelName != "outro") return "the outro did not begin";
  RecordScriptLine("expect level == \"outro\"");
  // The movie plays to its end and the credits follow.
  for (int t = 0; t < 9000 && world.levelName != "credits"; t += 50) GameSteps(50);
  if (world.levelName != "credits") return "the credits did not follow the movie";
  RecordScriptLine("expect level == \"credits\"");
  GameSteps(1500);
  ClickAt(512.0f, 384.0f);
  for (int t = 0; t < 600 && !WindowVisible("wnd_menu"); t += 10) GameSteps(10);
  if (!WindowVisible("wnd_menu")) return "the credits did not lead back to the menu";
  RecordScriptLine("expect visible contains wnd_menu");
  return "";
}

// The chapter's check, written into the script for the game to make again.
void Chapter(const StoryStep& step) {
  std::ostringstream lines;
  lines << "# " << step.object << "\n";
  if (!world.levelName.empty()) lines << "expect level == \"" << world.levelName << "\"\n";
  lines << "expect inventory.length == " << world.inventory.size() << "\n";
  for (std::size_t i = 0; i < world.inventory.size(); ++i)
    lines << "expect inventory." << i << ".name == \"" << world.inventory[i].name << "\"\n";
  for (int i = 0; i < world.tasks.count(); ++i)
    lines << "expect tasks." << world.tasks[i].key << " == \"" << world.tasks[i].value << "\"\n";
  std::string text = lines.str();
  text.pop_back();
  RecordScriptLine(text);
}

std::string Play(const StoryStep& step) {
  switch (step.kind) {
    case StepKind::Chapter:
      Chapter(step);
      return "";
    case StepKind::Start:
      return Start();
    case StepKind::Answer:
      return Answer(step);
    case StepKind::Walk:
      return Walk(step);
    case StepKind::Take:
      return ClickObject(step.object);
    case StepKind::Click:
    case StepKind::Wrong:
      return UseOrClick(step);
    case StepKind::CloseUp:
      return CloseUpStep(step);
    case StepKind::Hunt:
      return HuntStep(step);
    case StepKind::Puzzle:
      return PuzzleStep(step);
    case StepKind::Ghost:
      LetApparitionGo();
      return "";
    case StepKind::Outro:
      return Outro();
  }
  return "";
}

// What the player sees, for a failure's message.
std::string Situation() {
  std::string text = "; in " + world.levelName + ", showing";
  for (const char* window : {"wnd_zoomin", "wnd_puzzle", "wnd_ho", "wnd_popup", "wnd_diary",
                             "wnd_instr", "wnd_menu", "wnd_pause"})
    if (WindowVisible(window)) text += std::string(" ") + window;
  const int held = HeldItemIndex();
  if (held >= 0) text += ", holding " + world.inventory[static_cast<std::size_t>(held)].name;
  return text;
}

void PlayTheStory() {
  StartRecordingInput();
  for (const StoryStep& step : g_walk.table->steps) {
    if (step.kind != StepKind::Start && step.kind != StepKind::Chapter &&
        step.kind != StepKind::Walk && step.kind != StepKind::Outro &&
        world.levelName != step.level) {
      g_walk.failure = "line " + std::to_string(step.line) + ": the player is in " +
                       world.levelName + ", not " + step.level;
      break;
    }
    std::string trouble = Play(step);
    if (trouble.empty() && step.kind != StepKind::Chapter) trouble = AwaitOutcome(step);
    if (!trouble.empty()) {
      g_walk.failure = "line " + std::to_string(step.line) + " (" + step.level + " " +
                       step.object + "): " + trouble + Situation();
      break;
    }
    if (step.kind != StepKind::Chapter && step.kind != StepKind::Outro) Calm();
    // What came and went shows in the strip: the replay checks it step by step.
    if (!step.gives.empty() || !step.uses.empty())
      RecordScriptLine("expect inventory.length == " + std::to_string(world.inventory.size()));
    ++g_walk.steps_done;
  }
  const std::string script = StopRecordingInput();
  fs::create_directories(ScriptPath().parent_path());
  std::ofstream out(ScriptPath(), std::ios::binary);
  out << "# The story from a new profile to the credits, as the walkthrough test\n"
         "# played it by clicks. The test writes it anew each run.\n"
      << script << "quit\n";
}

class Walkthrough : public LoadedGame {};

TEST_F(Walkthrough, FromANewProfileToTheCredits) {
  const StoryTable table = ReadStoryTable(TablePath());
  ASSERT_EQ(table.error, "");
  g_walk = WalkState{};
  g_walk.table = &table;
  // The same numbers as the game's own run with --seed 1.
  RandomSeed(1);
  RunAsTheGame(PlayTheStory);
  EXPECT_EQ(g_walk.failure, "");
  EXPECT_EQ(g_walk.steps_done, static_cast<int>(table.steps.size()));
}

}  // namespace
