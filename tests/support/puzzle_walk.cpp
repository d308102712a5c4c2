#include "support/puzzle_walk.h"

#include <string>

#include "engine/ini.h"
#include "story/quest.h"
#include "support/input.h"
#include "ui/gui.h"
#include "world/scene.h"
#include "world/world.h"

bool OpenPuzzleByClick(std::string_view name) {
  const int index = FindSceneObject(name);
  if (index < 0) return false;
  const SceneObject& o = world.objects[static_cast<std::size_t>(index)];
  ClickAt(o.x, o.y);
  GameSteps(1);
  return WindowVisible("wnd_puzzle") && world.puzzle.name == name;
}

void ClickInPuzzle(float dx, float dy) {
  ClickAt(kPuzzleX + dx, kPuzzleY + dy);
  GameSteps(1);
}

void ClosePuzzleBeside() {
  ClickAt(60.0f, 60.0f);
  GameSteps(1);
}

int PuzzleKeysLeft(std::string_view name) {
  int n = 0;
  const std::string prefix = PuzzleKeyPrefix(name);
  for (const TIniSection& s : IniDocument().sections)
    if (s.name == QuestSection())
      for (const TIniKey& k : s.keys) n += k.name.starts_with(prefix) ? 1 : 0;
  return n;
}

int CountObjects(std::string_view name) {
  int n = 0;
  for (const SceneObject& o : world.objects) n += o.name == name ? 1 : 0;
  return n;
}
