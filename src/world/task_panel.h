// The task list: the panel that slides up from the bottom right of the game
// panel listing the story's tasks, open ones bright, done ones grey, struck
// through and ticked; and the sparkle on the diary button while a new page
// waits to be read. The story adds and finishes tasks in world.tasks and
// asks the panel to open; the panel's buttons ask it to toggle.
#pragma once

#include "fx/particles.h"
#include "res/strings.h"

struct TaskPanelState;

// The panel's full height: a frame of 150 and a line of 20 for each task.
float TaskPanelHeight(const tlocfile& tasks);

// One tick of the panel's sliding, from its requests and this tick's click,
// without drawing: the level's and the scene's frames call it through
// TasksFrame; `input_free` says no window owns the input, `guide_first_step`
// that the guide waits on its first step (which lets an open request through
// a window).
void SlideTaskPanel(TaskPanelState& panel, float height, bool clicked, bool input_free,
                    bool guide_first_step);

// The panel's tick in a level or a hidden-object scene: it slides, then
// records its drawing (nothing while it is closed).
void TasksFrame();

// Once a tick before the windows run, outside the main menu: keeps the
// guide's menu button working over its panels, and while a diary page is new
// lets stars rise from the diary button into `particles`.
void PanelSparkle(TParticleSystem& particles);
