// The task list panel and the diary button's sparkle.
#include "world/task_panel.h"

#include <algorithm>
#include <string>

#include "engine/engine.h"
#include "engine/font.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "ui/gui.h"
#include "world/world.h"

namespace {

constexpr float kFrameHeight = 150.0f;
constexpr float kLineHeight = 20.0f;
constexpr float kOpenStep = 5.0f;   // it rises slowly and drops twice as fast
constexpr float kCloseStep = 10.0f;
constexpr float kLeft = 624.0f;
constexpr float kWidth = 380.0f;
constexpr float kTextLeft = 644.0f;
constexpr float kDoneIndent = 5.0f;
constexpr float kFirstLine = 30.0f;
constexpr float kTickLeft = 959.0f;
constexpr uint32_t kOpenTask = 0xBEB37E;
constexpr uint32_t kOtherTask = 0x888888;
constexpr uint32_t kBackground = 0x14110C;
constexpr uint32_t kBorder = 0x8A7A52;
constexpr int kSparkleTicks = 5;
// The stars rise from just inside the diary button's left edge.
constexpr float kSparkleInset = 20.0f;

float Towards(float value, float target, float step) {
  if (value < target) return std::min(value + step, target);
  return std::max(value - step, target);
}

void DrawTask(const tloc& task, float y) {
  const bool done = task.value == "done";
  const float x = done ? kTextLeft + kDoneIndent : kTextLeft;
  const uint32_t colour = task.value == "main" ? kOpenTask : kOtherTask;
  const std::string text = game_strings.get(task.key);
  DrawList.text("ui_font", text, x, y, TEXT_LEFT | TEXT_VCENTRE, -1, 1.0f, 255, colour);
  if (!done) return;
  const Font* font = fonts.get("ui_font");
  const float width = font != nullptr ? TextWidth(font, text) : 0.0f;
  DrawList.filled_rect(255, colour, x, y, width + kDoneIndent, 1.0f, BLEND_NORMAL);
  DrawList.image("task_ok", 255, kTickLeft, y - 5.0f);
}

void DrawPanel(float height, float opening) {
  const float top = 768.0f - opening;
  DrawList.filled_rect(230, kBackground, kLeft, top, kWidth, height, BLEND_NORMAL);
  DrawList.rect(255, kBorder, kLeft - 2.0f, top - 1.0f, kWidth + 3.0f, height + 1.0f,
                BLEND_NORMAL);
  DrawList.image("corner", 255, 606.0f, top - 18.0f);
  DrawList.image("corner", 255, 922.0f, top - 18.0f, 0xFFFFFF, BLEND_NORMAL, FX_MIRROR_X);
  const tlocfile& tasks = world.tasks;
  for (int i = 0; i < tasks.count(); ++i)
    DrawTask(tasks[i], top + kFirstLine + kLineHeight * static_cast<float>(i));
}

}  // namespace

float TaskPanelHeight(const tlocfile& tasks) {
  return kFrameHeight + kLineHeight * static_cast<float>(tasks.count());
}

void SlideTaskPanel(TaskPanelState& panel, float height, bool clicked, bool input_free,
                    bool guide_first_step) {
  // A toggle while the panel moves is spent without effect: it always runs
  // all the way open or shut.
  if (panel.toggle_request) {
    panel.toggle_request = false;
    if (panel.opening == 0.0f) panel.direction = 1;
    if (panel.opening == height) panel.direction = -1;
  }
  if (clicked && panel.opening == height) panel.direction = -1;
  // A task added while a window holds the game shows once the window goes.
  if (panel.open_request && (input_free || guide_first_step)) {
    panel.direction = 1;
    panel.open_request = false;
  }
  if (panel.direction == 1) panel.opening = Towards(panel.opening, height, kOpenStep);
  if (panel.direction == -1) panel.opening = Towards(panel.opening, 0.0f, kCloseStep);
}

void TasksFrame() {
  TaskPanelState& panel = world.taskPanel;
  const float height = TaskPanelHeight(world.tasks);
  SlideTaskPanel(panel, height, tick_click, gui_modal == -1,
                 CurrentProfiles().options.tutorial_step == 1);
  if (panel.opening > 0.0f) DrawPanel(height, panel.opening);
}

void PanelSparkle(TParticleSystem& particles) {
  if (WindowVisible("wnd_menu")) return;
  const int step = CurrentProfiles().options.tutorial_step;
  // The guide's panels take the input, but the way back to the menu stays.
  if (WindowVisible("wnd_instr") && step != 0 && step != 3) gui_focus_name = "btn_pause";
  TaskPanelState& panel = world.taskPanel;
  if (world.editMode || gui_modal != -1 || !world.diary.news) return;
  if (++panel.sparkle <= kSparkleTicks) return;
  panel.sparkle = 0;
  const ielement* button = gui_get("btn_diary");
  if (button == nullptr) return;
  const ielement& window = gui_at(button->parent);
  EmitStar(particles, window.x + button->x + kSparkleInset, window.y + button->y);
}
