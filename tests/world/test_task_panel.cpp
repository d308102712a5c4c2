// The task list panel's sliding: its height from the tasks, the pace up and
// down, and which requests and clicks move it.
#include <gtest/gtest.h>

#include "world/task_panel.h"
#include "world/world.h"

namespace {

// Ticks until the panel stands still at `target`, or -1 after too many.
int TicksTo(TaskPanelState& panel, float height, float target) {
  for (int ticks = 1; ticks < 1000; ++ticks) {
    SlideTaskPanel(panel, height, false, true, false);
    if (panel.opening == target) return ticks;
  }
  return -1;
}

}  // namespace

TEST(TaskPanel, ThreeTasksRiseToTwoHundredAndTenInFortyTwoTicksAndDropInTwentyOne) {
  tlocfile tasks;
  for (const char* key : {"task_house", "task_tree", "task_snakes"}) tasks.add_new(key, "main");
  const float height = TaskPanelHeight(tasks);
  EXPECT_FLOAT_EQ(height, 210.0f);

  TaskPanelState panel;
  panel.toggle_request = true;
  EXPECT_EQ(TicksTo(panel, height, height), 42);
  SlideTaskPanel(panel, height, false, true, false);
  EXPECT_FLOAT_EQ(panel.opening, height) << "it stays open without a click";
  // Any click drops a fully open panel, wherever it lands.
  SlideTaskPanel(panel, height, true, true, false);
  EXPECT_EQ(panel.direction, -1);
  EXPECT_EQ(TicksTo(panel, height, 0.0f) + 1, 21);
}

TEST(TaskPanel, RequestsWhileItMovesOrAWindowHoldsTheGame) {
  TaskPanelState panel;
  panel.opening = 100.0f;
  panel.direction = 1;
  panel.toggle_request = true;
  SlideTaskPanel(panel, 210.0f, true, true, false);
  EXPECT_FALSE(panel.toggle_request) << "a toggle while moving is spent";
  EXPECT_EQ(panel.direction, 1) << "neither the toggle nor a click turns a moving panel";
  EXPECT_FLOAT_EQ(panel.opening, 105.0f);

  // A task added under a window opens the panel once the window goes,
  // except on the guide's first step.
  TaskPanelState held;
  held.open_request = true;
  SlideTaskPanel(held, 170.0f, false, false, false);
  EXPECT_TRUE(held.open_request);
  EXPECT_FLOAT_EQ(held.opening, 0.0f);
  SlideTaskPanel(held, 170.0f, false, false, true);
  EXPECT_FALSE(held.open_request);
  EXPECT_FLOAT_EQ(held.opening, 5.0f);

  // A task added to an open panel lets it rise to the new height.
  TaskPanelState open;
  open.opening = 170.0f;
  open.direction = 1;
  open.open_request = true;
  EXPECT_EQ(TicksTo(open, 190.0f, 190.0f), 4);
}
