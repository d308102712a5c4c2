// The hunt walk of the tests: real clicks on the scene.
#include "support/hunt_walk.h"

#include "engine/engine.h"
#include "profile/profiles.h"
#include "res/images.h"
#include "support/input.h"
#include "ui/gui.h"
#include "world/hidden_object.h"
#include "world/world.h"

namespace {

// Half see-through or more: the front layer's haze and a picture's soft edge
// neither hide a thing nor make a safe place to click it.
constexpr int kSolid = 128;
// The scene's lower edge: below it lies the panel with the list.
constexpr float kSceneBottom = 630.0f;
constexpr int kEndWaitRounds = 100;

// The picture the scene draws for one of its objects, or "" for none.
std::string PictureOf(const SceneObject& o, const std::string& key) {
  if (o.kind == "item" || (o.kind == "key" && o.name == key)) return o.name;
  if (o.kind == "tool" || o.kind == "select") return o.name;
  if (o.kind == "obstacle") return "lev_" + o.name.substr(3);
  return "";
}

bool Solid(const std::string& picture, float cx, float cy, float x, float y) {
  const Texture* t = images.get(picture);
  const auto w = static_cast<float>(TextureWidth(t)), h = static_cast<float>(TextureHeight(t));
  return image_alpha_at(picture, x - (cx - w / 2), y - (cy - h / 2)) >= kSolid;
}

// The tool and the obstacle answer a click anywhere in their box.
bool InBox(const std::string& picture, float cx, float cy, float x, float y) {
  const Texture* t = images.get(picture);
  const auto w = static_cast<float>(TextureWidth(t)), h = static_cast<float>(TextureHeight(t));
  return x >= cx - w / 2 && x < cx + w / 2 && y >= cy - h / 2 && y < cy + h / 2;
}

// A point where the thing shows and nothing else the scene draws is solid, so
// the click can only mean it; false when there is none.
bool ClearPointOf(int index, float& x, float& y) {
  const SceneObject& target = world.sceneObjects[static_cast<std::size_t>(index)];
  const Texture* t = images.get(target.name);
  const auto w = static_cast<float>(TextureWidth(t)), h = static_cast<float>(TextureHeight(t));
  const std::string key = HuntKeyName();
  for (float py = target.y - h / 2 + 1; py < target.y + h / 2; py += 2) {
    for (float px = target.x - w / 2 + 1; px < target.x + w / 2; px += 2) {
      if (py >= kSceneBottom || !Solid(target.name, target.x, target.y, px, py)) continue;
      if (image_alpha_at("h_front", px, py) >= kSolid) continue;
      bool alone = true;
      for (std::size_t i = 0; i < world.sceneObjects.size() && alone; ++i) {
        const SceneObject& o = world.sceneObjects[i];
        const std::string picture = PictureOf(o, key);
        if (static_cast<int>(i) == index || picture.empty()) continue;
        const bool scripted = o.kind != "item" && o.kind != "key";
        if (scripted ? InBox(picture, o.x, o.y, px, py) : Solid(picture, o.x, o.y, px, py))
          alone = false;
      }
      if (alone) {
        x = px;
        y = py;
        return true;
      }
    }
  }
  return false;
}

int IndexOfKind(std::string_view kind) {
  for (std::size_t i = 0; i < world.sceneObjects.size(); ++i)
    if (world.sceneObjects[i].kind == kind) return static_cast<int>(i);
  return -1;
}

// The guide's panels over the scene wait for a click of their own.
void AnswerGuide() {
  for (int panel = 0; panel < 2; ++panel) {
    const int step = CurrentProfiles().options.tutorial_step;
    if (!WindowVisible("wnd_instr") || (step != 5 && step != 6)) return;
    ClickAt(512.0f, 484.0f);
    GameSteps(2);
  }
}

}  // namespace

std::string PlayOpenHunt() {
  if (!WindowVisible("wnd_ho")) return "the scene is not open";
  const int first = HuntGroupStart();
  AnswerGuide();
  if (first == 0 && IndexOfKind("obstacle") >= 0) {
    for (const char* kind : {"tool", "obstacle"}) {
      const SceneObject& o = world.sceneObjects[static_cast<std::size_t>(IndexOfKind(kind))];
      ClickAt(o.x, o.y);
      GameSteps(1);
      AnswerGuide();
    }
    if (IndexOfKind("obstacle") >= 0) return "the tool did not clear the obstacle";
  }
  for (int i = first; i < first + 12; ++i) {
    const SceneObject& o = world.sceneObjects[static_cast<std::size_t>(i)];
    float x = 0, y = 0;
    if (!ClearPointOf(i, x, y)) return o.name + " shows no point of its own";
    ClickAt(x, y);
    GameSteps(1);
    AnswerGuide();
    if (world.sceneObjects[static_cast<std::size_t>(i)].kind != "click")
      return o.name + " was not found at " + std::to_string(x) + "," + std::to_string(y);
  }
  for (int n = 0; n < kEndWaitRounds && WindowVisible("wnd_ho"); ++n) {
    GameSteps(20);
    AnswerGuide();
  }
  return WindowVisible("wnd_ho") ? "the hunt did not end" : "";
}
