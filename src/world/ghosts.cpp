// Ghost photographs: a ghost caught by the camera flies to the diary button
// and becomes a page of the diary; ghosts waiting to be caught circle their
// place.
#include <algorithm>
#include <cmath>
#include <string>

#include "engine/log.h"
#include "fx/particles.h"
#include "res/sounds.h"
#include "ui/gui.h"
#include "world/scene_steps.h"
#include "world/world.h"

namespace {

constexpr float kGhostOrbitStep = 0.05f;
constexpr float kGhostSpeed = 4.0f;
constexpr float kGhostArrival = 5.0f;

// Where a photographed ghost flies: just right of and below the diary button.
void DiaryTarget(float& x, float& y) {
  x = 38.0f;
  y = 653.0f;
  if (const ielement* button = gui_get("btn_diary")) {
    x = gui_at(button->parent).x + button->x;
    y = gui_at(button->parent).y + button->y;
  }
  x += 50.0f;
  y += 24.0f;
}

// A ghost photograph arrives in the diary. The coloured symbols share one
// page, which collects the colours as they come.
void EnterDiary(const std::string& name) {
  DiaryState& diary = world.diary;
  int page = -1;
  if (name.rfind("csymbol", 0) == 0) {
    for (std::size_t i = 0; i < diary.pages.size(); ++i)
      if (diary.pages[i].find("csymbol") != std::string::npos) {
        page = static_cast<int>(i);
        break;
      }
  }
  if (page >= 0) {
    const std::size_t first = name.find('_');
    const std::string colour =
        first == std::string::npos ? std::string()
                                   : name.substr(first + 1, name.find('_', first + 1) - first - 1);
    diary.pages[static_cast<std::size_t>(page)] += "_" + colour;
  } else if (!diary.pages.append(name)) {
    LogLine("DIARY: full, page \"" + name + "\" left out", true);
    return;
  } else {
    page = static_cast<int>(diary.pages.size()) - 1;
  }
  diary.previous_page = diary.page;
  diary.page = page + 1;
  diary.news = true;
  sounds.play("get_diary");
}

}  // namespace

// Moves a ghost photograph one step towards the diary; true once it is in.
bool GhostFlight(SceneObject& o) {
  float tx = 0.0f, ty = 0.0f;
  DiaryTarget(tx, ty);
  const float dx = tx - o.x;
  const float dy = ty - o.y;
  const float distance = std::sqrt(dx * dx + dy * dy);
  if (distance > 0.0f) {
    const float step = std::min(kGhostSpeed, distance);
    o.x += dx / distance * step;
    o.y += dy / distance * step;
  }
  if (std::hypot(tx - o.x, ty - o.y) > kGhostArrival) return false;
  EnterDiary(o.name);
  return true;
}

// Ghosts that can be photographed circle their place while nothing covers
// the level.
void GhostsToCatch() {
  if (gui_modal != -1) return;
  for (SceneObject& o : world.objects) {
    if (o.kind != "ghost_catch") continue;
    o.orbit += kGhostOrbitStep;
    EmitGhost(o.particles, o.x, o.y, o.orbit);
    UpdateAndDraw(o.particles);
  }
}
