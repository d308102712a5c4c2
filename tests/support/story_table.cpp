// Reading the story's table.
#include "support/story_table.h"

#include <fstream>
#include <map>
#include <sstream>

namespace {

const std::map<std::string, StepKind, std::less<>> kKinds{
    {"chapter", StepKind::Chapter}, {"start", StepKind::Start},     {"answer", StepKind::Answer},
    {"walk", StepKind::Walk},       {"take", StepKind::Take},       {"click", StepKind::Click},
    {"wrong", StepKind::Wrong},     {"closeup", StepKind::CloseUp}, {"hunt", StepKind::Hunt},
    {"puzzle", StepKind::Puzzle},   {"ghost", StepKind::Ghost},     {"outro", StepKind::Outro},
};

// How many words after the kind each step takes before its lists: the
// least and the most.
struct Arity {
  std::size_t least, most;
};

Arity ArityOf(StepKind kind) {
  switch (kind) {
    case StepKind::Start:
    case StepKind::Ghost:
    case StepKind::Outro:
      return {0, 0};
    case StepKind::Answer:
    case StepKind::Take:
    case StepKind::Hunt:
      return {1, 1};
    case StepKind::Click:
      return {1, 2};
    case StepKind::Wrong:
      return {2, 2};
    default:
      return {1, 99};
  }
}

}  // namespace

StoryTable ReadStoryTable(const std::filesystem::path& file) {
  StoryTable table;
  std::ifstream in(file);
  if (!in) {
    table.error = "cannot read " + file.string();
    return table;
  }
  std::string level;
  int number = 0;
  for (std::string text; std::getline(in, text);) {
    ++number;
    if (const auto hash = text.find('#'); hash != std::string::npos) text.erase(hash);
    std::istringstream words(text);
    std::string word;
    if (!(words >> word)) continue;
    const auto fail = [&](const std::string& why) {
      table.error = "line " + std::to_string(number) + ": " + why;
      return table;
    };
    const auto kind = kKinds.find(word);
    if (kind == kKinds.end()) return fail("unknown step \"" + word + "\"");
    StoryStep step;
    step.line = number;
    step.kind = kind->second;
    if (step.kind == StepKind::Chapter) {
      std::getline(words >> std::ws, step.object);
      if (step.object.empty()) return fail("a chapter needs a title");
      step.level = level;
      table.steps.push_back(std::move(step));
      continue;
    }
    std::vector<std::string> args;
    std::vector<std::string>* list = &args;
    while (words >> word) {
      if (word == "->") {
        list = &step.gives;
      } else if (word == "+") {
        list = &step.adds;
      } else if (word == "-") {
        list = &step.removes;
      } else if (word == "solve" && step.kind == StepKind::Puzzle && list == &args) {
        step.solve = true;
      } else if (word.starts_with('@') && step.kind == StepKind::CloseUp && list == &args) {
        const std::string digits = word.substr(1);
        if (digits.empty() || digits.size() > 3 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
          return fail("a region is written @ and its number");
        step.regions.push_back(std::stoi(digits));
      } else {
        list->push_back(word);
      }
    }
    const Arity arity = ArityOf(step.kind);
    if (args.size() < arity.least || args.size() > arity.most)
      return fail("\"" + std::string(kind->first) + "\" takes " + std::to_string(arity.least) +
                  (arity.least == arity.most ? "" : " or more") + " words before its lists");
    switch (step.kind) {
      case StepKind::Start:
        level = "hotel";
        break;
      case StepKind::Walk:
        step.route = args;
        level = args.back();
        break;
      case StepKind::Answer:
        if (args[0] != "yes" && args[0] != "no") return fail("an answer is yes or no");
        step.object = args[0];
        break;
      default:
        if (!args.empty()) {
          step.object = args[0];
          step.uses.assign(args.begin() + 1, args.end());
        }
    }
    if (step.kind != StepKind::Start && level.empty()) return fail("the story has not started");
    step.level = level;
    table.steps.push_back(std::move(step));
  }
  return table;
}
