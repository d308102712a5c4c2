// Can the story still be finished? Follows the story's table over the content
// without playing: each level's shipped objects, the objects the story may
// add, the hidden-object scenes and the inventory items. From a new profile
// (nothing held, the hotel) every step must find what it needs — the exit it
// walks through, the object it clicks, the items it holds — where the earlier
// steps left it, and must give only items the game has and add only objects
// the content places; the story must end in the outro with nothing left in
// hand. A content change that breaks the chain is named at its first broken
// link: "line N (LEVEL OBJECT): what is wrong"; an object the story never
// plays is named too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/story_table.h"
#include "world/object_list.h"

namespace fs = std::filesystem;

namespace {

const std::string kContent = QUILLMOOR_TEST_CONTENT_DIR "/";

// One object of a level: its name and kind.
struct Thing {
  std::string name, kind;
};
using Things = std::vector<Thing>;

// What the content holds, as far as the story's chain is concerned.
struct ContentModel {
  std::map<std::string, Things> levels;   // as shipped
  std::map<std::string, Things> addable;  // what the story may add to each level
  std::map<std::string, Things> scenes;   // each level's hidden-object scene
  std::set<std::string> items;            // the inventory items of the game
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::map<std::string, Things> ReadLists(const fs::path& folder) {
  std::map<std::string, Things> lists;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".cfg") continue;
    BlockTable blocks;
    ParseObjectList(ReadAll(entry.path()), blocks, entry.path().string());
    Things& things = lists[entry.path().stem().string()];
    for (const ObjectBlock& b : blocks) things.push_back({b.name, b.kind});
  }
  return lists;
}

// Lines of a content table with the '#' comments and blank lines left out.
std::vector<std::vector<std::string>> ReadRows(const fs::path& file) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(ReadAll(file));
  for (std::string line; std::getline(in, line);) {
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::vector<std::string> row;
    for (std::string w; words >> w;) row.push_back(w);
    if (!row.empty()) rows.push_back(std::move(row));
  }
  return rows;
}

ContentModel ReadContent() {
  ContentModel model;
  model.levels = ReadLists(kContent + "levels");
  model.scenes = ReadLists(kContent + "scenes");
  // level name x y kind image added-by
  for (const auto& row : ReadRows(kContent + "added_objects.txt"))
    if (row.size() >= 5) model.addable[row[0]].push_back({row[1], row[4]});
  for (const auto& row : ReadRows(kContent + "items.txt")) model.items.insert(row[0]);
  return model;
}

std::string ShortName(const std::string& name) { return name.size() > 2 ? name.substr(2) : ""; }

const Thing* Find(const Things& things, const std::string& name) {
  const auto it =
      std::find_if(things.begin(), things.end(), [&](const Thing& t) { return t.name == name; });
  return it == things.end() ? nullptr : &*it;
}

std::string Join(const std::multiset<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

// Follows the table from a new profile; returns the first broken link, or
// nothing when the story can be played to its end.
std::string FirstBrokenLink(const std::vector<StoryStep>& steps, const ContentModel& model) {
  std::map<std::string, Things> world = model.levels;  // each level as the story has left it
  std::multiset<std::string> held;
  std::string here;
  bool ended = false;
  const StoryStep* last = nullptr;  // the last step that did something
  for (const StoryStep& step : steps) {
    std::string object = step.object;
    const auto broken = [&](const std::string& what) {
      return "line " + std::to_string(step.line) + " (" + (here.empty() ? "menu" : here) + " " +
             (object.empty() ? "-" : object) + "): " + what;
    };
    if (step.kind == StepKind::Chapter) continue;
    if (ended) return broken("a step after the outro");
    if (step.kind != StepKind::Start && here.empty()) return broken("the story has not started");

    switch (step.kind) {
      case StepKind::Start:
        if (!here.empty()) return broken("a second start");
        here = "hotel";
        if (!world.count(here)) return broken("the game has no hotel");
        break;
      case StepKind::Walk:
        for (const std::string& next : step.route) {
          object = "q_" + next;
          const Thing* exit = Find(world[here], object);
          if (exit == nullptr || exit->kind != "area")
            return broken("no exit to " + next + " here");
          if (!world.count(next)) return broken("the game has no level " + next);
          here = next;
        }
        break;
      case StepKind::Ghost:
        object = "q_shade";
        if (!Find(world[here], object)) return broken("no apparition waits here");
        break;
      case StepKind::Outro:
        if (last == nullptr || last->kind != StepKind::Puzzle || !last->solve)
          return broken("the outro comes only after the last puzzle is solved");
        if (!held.empty()) return broken("the story ends holding " + Join(held));
        ended = true;
        break;
      case StepKind::Answer:
      case StepKind::Chapter:
        break;
      default: {
        const Thing* thing = Find(world[here], object);
        if (thing == nullptr) return broken("not in the level at this point");
        const auto is_only = [&](const std::string& item) {
          return step.gives.size() == 1 && step.gives[0] == item;
        };
        if (step.kind == StepKind::Take) {
          if (thing->kind != "item") return broken("a " + thing->kind + ", not an item to take");
          if (!is_only(ShortName(object))) return broken("taking it gives " + ShortName(object));
        } else if (step.kind == StepKind::Hunt) {
          if (thing->kind != "hobject")
            return broken("a " + thing->kind + ", not a hunt's entrance");
          const auto scene = model.scenes.find(here);
          const Thing* key =
              scene == model.scenes.end() ? nullptr : Find(scene->second, "h_" + ShortName(object));
          if (key == nullptr || key->kind != "key")
            return broken("the level's scene hides no key h_" + ShortName(object));
          if (!is_only(ShortName(object)))
            return broken("the hunt's reward is " + ShortName(object));
        } else if (step.kind == StepKind::Puzzle && thing->kind != "puzzle") {
          return broken("a " + thing->kind + ", not a puzzle");
        } else if (step.kind == StepKind::CloseUp && thing->kind != "zoomin") {
          return broken("a " + thing->kind + ", not a close-up");
        }
        for (const std::string& item : step.uses) {
          const auto it = held.find(item);
          if (it == held.end())
            return broken("needs " + item + ", which is not held at this point");
          if (step.kind != StepKind::Wrong) held.erase(it);
        }
        if (step.kind == StepKind::Take)
          world[here].erase(world[here].begin() + (thing - world[here].data()));
      }
    }

    for (const std::string& item : step.gives) {
      if (!model.items.count(item))
        return broken("gives " + item + ", which is no item of the game");
      held.insert(item);
    }
    // Another level's object is written LEVEL:OBJECT.
    const auto place = [&](const std::string& word) {
      const auto colon = word.find(':');
      return colon == std::string::npos ? std::pair{here, word}
                                        : std::pair{word.substr(0, colon), word.substr(colon + 1)};
    };
    for (const std::string& word : step.removes) {
      const auto [level, name] = place(word);
      Things& things = world[level];
      const Thing* gone = Find(things, name);
      if (gone == nullptr) return broken("removes " + word + ", which is not there at this point");
      things.erase(things.begin() + (gone - things.data()));
    }
    for (const std::string& word : step.adds) {
      const auto [level, name] = place(word);
      const auto known = model.addable.find(level);
      const Thing* described = known == model.addable.end() ? nullptr : Find(known->second, name);
      if (described == nullptr)
        described = model.levels.count(level) ? Find(model.levels.at(level), name) : nullptr;
      if (described == nullptr)
        return broken("adds " + word + ", which nothing in the content describes");
      if (Find(world[level], name)) return broken("adds " + word + ", which is there already");
      world[level].push_back(*described);
    }
    last = &step;
  }
  if (!ended) {
    const int line = steps.empty() ? 0 : steps.back().line;
    return "line " + std::to_string(line) + " (" + here + " -): the outro is never reached";
  }
  return "";
}

const StoryTable& ShippedStory() {
  static const StoryTable table =
      ReadStoryTable(QUILLMOOR_TEST_SOURCE_DIR "/walkthrough/story.txt");
  return table;
}

const ContentModel& ShippedContent() {
  static const ContentModel model = ReadContent();
  return model;
}

// The first step whose word list holds `word` (a given item, an add).
std::vector<StoryStep>::const_iterator StepWith(const std::vector<StoryStep>& steps,
                                                std::vector<std::string> StoryStep::*list,
                                                const std::string& word) {
  return std::find_if(steps.begin(), steps.end(), [&](const StoryStep& s) {
    return std::find((s.*list).begin(), (s.*list).end(), word) != (s.*list).end();
  });
}

TEST(Completable, TheShippedStoryCanBeFinishedAndPlaysEveryObject) {
  const StoryTable& table = ShippedStory();
  ASSERT_EQ(table.error, "");
  EXPECT_EQ(FirstBrokenLink(table.steps, ShippedContent()), "");

  // Everything a player can click, shipped or added, is played on the
  // story's way at least once: nothing in the content is left out of it.
  std::set<std::pair<std::string, std::string>> played;
  for (const StoryStep& s : table.steps)
    if (!s.object.empty() && s.kind != StepKind::Chapter && s.kind != StepKind::Answer)
      played.insert({s.level, s.object});
  const std::set<std::string> clickable{"item",   "static", "cstatic", "ghost",
                                        "zoomin", "puzzle", "hobject"};
  for (const auto* lists : {&ShippedContent().levels, &ShippedContent().addable})
    for (const auto& [level, things] : *lists)
      for (const Thing& t : things)
        EXPECT_TRUE(!clickable.count(t.kind) || played.count({level, t.name}))
            << level << " " << t.name << " is never played";
}

// Deliberate breakages are each named at the step they break.
TEST(Completable, NamesTheFirstBrokenLink) {
  const std::vector<StoryStep>& steps = ShippedStory().steps;
  ASSERT_FALSE(steps.empty());
  const auto line_of = [&](auto it) { return "line " + std::to_string(it->line) + " "; };

  {  // Nobody picks the axe up: the grindstone waits for it in vain.
    std::vector<StoryStep> broken = steps;
    broken.erase(broken.begin() + (StepWith(steps, &StoryStep::gives, "axe") - steps.begin()));
    const auto use = std::find_if(steps.begin(), steps.end(), [](const StoryStep& s) {
      return std::find(s.uses.begin(), s.uses.end(), "axe") != s.uses.end();
    });
    EXPECT_EQ(FirstBrokenLink(broken, ShippedContent()),
              line_of(use) + "(alley q_gr): needs axe, which is not held at this point");
  }
  {  // The crossroad has lost its way to the gates.
    ContentModel model = ShippedContent();
    Things& crossroad = model.levels.at("crossroad");
    crossroad.erase(std::remove_if(crossroad.begin(), crossroad.end(),
                                   [](const Thing& t) { return t.name == "q_gates"; }),
                    crossroad.end());
    const auto walk = std::find_if(steps.begin(), steps.end(), [](const StoryStep& s) {
      return std::find(s.route.begin(), s.route.end(), "gates") != s.route.end();
    });
    EXPECT_EQ(FirstBrokenLink(steps, model),
              line_of(walk) + "(crossroad q_gates): no exit to gates here");
  }
  {  // The cut tree's way on is placed nowhere in the content.
    ContentModel model = ShippedContent();
    Things& alley = model.addable.at("alley");
    alley.erase(std::remove_if(alley.begin(), alley.end(),
                               [](const Thing& t) { return t.name == "q_bridge"; }),
                alley.end());
    const auto cut = StepWith(steps, &StoryStep::adds, "q_bridge");
    EXPECT_EQ(
        FirstBrokenLink(steps, model),
        line_of(cut) + "(alley q_tree): adds q_bridge, which nothing in the content describes");
  }
  {  // The hotel's hunt hides something else; and a story cut short.
    ContentModel model = ShippedContent();
    for (Thing& t : model.scenes.at("hotel"))
      if (t.name == "h_scarecrow_head") t.name = "h_broom";
    const auto hunt = StepWith(steps, &StoryStep::gives, "scarecrow_head");
    EXPECT_EQ(FirstBrokenLink(steps, model),
              line_of(hunt) +
                  "(hotel q_scarecrow_head): the level's scene hides no key h_scarecrow_head");
    const std::vector<StoryStep> cut(steps.begin(), steps.end() - 2);
    EXPECT_NE(FirstBrokenLink(cut, ShippedContent()).find("the outro is never reached"),
              std::string::npos);
  }
}

}  // namespace
