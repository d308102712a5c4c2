// Finding, adding and removing the objects of the level, the inventory and
// the hidden-object scene by name, kind or prefix.
#include "world/scene.h"

#include <string>

#include "engine/log.h"
#include "res/sounds.h"
#include "world/world.h"

void AddSceneObject(std::string_view name, std::string_view kind, float x, float y) {
  const int ghost = FindSceneObjectByKind("ghost_catch");
  if (ghost >= 0 && world.objects[static_cast<std::size_t>(ghost)].name == name) {
    // The same ghost is already on its way to the diary.
    sounds.stop("camera");
    return;
  }
  SceneObject* o = AppendSceneObject(world.objects, name, kind, x, y);
  if (o == nullptr) {
    LogLine("SCENE: the level is full, \"" + std::string(name) + "\" left out", true);
    return;
  }
  o->glint = o->kind == "item";
}

void RemoveSceneObject(int index) {
  if (index < 0) return;
  world.objects.remove_at(static_cast<std::size_t>(index));
}

void RemoveObjectUnderMouse() {
  for (std::size_t i = 0; i < world.objects.size(); ++i)
    if (MouseOverObject(world.objects[i])) {
      world.objects.remove_at(i);
      return;
    }
}

namespace {

template <typename Match>
int FindIn(const ObjectList& list, Match match) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (match(list[i])) return static_cast<int>(i);
  return -1;
}

}  // namespace

int FindSceneObject(std::string_view name) {
  return FindIn(world.objects, [&](const SceneObject& o) { return o.name == name; });
}

int FindSceneObjectByKind(std::string_view kind) {
  return FindIn(world.objects, [&](const SceneObject& o) { return o.kind == kind; });
}

int FindSceneObjectByPrefix(std::string_view prefix) {
  return FindIn(world.objects, [&](const SceneObject& o) { return o.name.starts_with(prefix); });
}

int FindHiddenObject(std::string_view name) {
  return FindIn(world.sceneObjects, [&](const SceneObject& o) { return o.name == name; });
}

int FindInventoryEntry(std::string_view name) {
  return FindIn(world.inventory, [&](const SceneObject& o) { return o.name == name; });
}

std::string_view ShortName(std::string_view name) {
  return name.size() < 2 ? std::string_view() : name.substr(2);
}

int DiaryIndexOf(std::string_view name) {
  const TF_list& pages = world.diary.pages;
  for (std::size_t i = 0; i < pages.size(); ++i)
    if (pages[i] == name) return static_cast<int>(i);
  return -1;
}

