// The UI pass: modal windows, hidden parents, the opening of a window, the
// focus name, and finding elements by name.
#include <gtest/gtest.h>

#include <memory>

#include "engine/engine.h"
#include "res/draw_list.h"
#include "support/input.h"
#include "ui/gui.h"

namespace {

// A control that counts the passes it takes part in and whether it may
// take input then.
class Probe : public ielement {
 public:
  using ielement::ielement;
  void update() override {
    ++updates;
    took_input = gui_takes_input(*this, is_button);
  }
  int updates = 0;
  bool took_input = false;
  bool is_button = false;
};

class Gui : public ::testing::Test {
 protected:
  void SetUp() override {
    gui_reset();
    DrawList.clear();
  }
  void TearDown() override { gui_reset(); }

  int Window(const char* name, bool visible, bool modal = false) {
    auto w = std::make_unique<iwindow>(name, 100, 100, 200, 200, "", visible);
    w->modal = modal;
    const int index = gui_add(std::move(w));
    gui_set_parent();
    return index;
  }
  Probe& Control(const char* name) {
    auto p = std::make_unique<Probe>(name, 10, 10, 50, 20, "", true);
    Probe& ref = *p;
    gui_add(std::move(p));
    return ref;
  }
};

}  // namespace

TEST_F(Gui, OnlyTheLastVisibleModalWindowTakesInput) {
  Window("wnd_a", true, true);
  Probe& a = Control("btn_a");
  const int b_index = Window("wnd_b", true, true);
  Probe& b = Control("btn_b");
  Window("wnd_c", false, true);  // hidden: not a candidate
  gui_update();
  EXPECT_EQ(gui_modal, b_index);
  EXPECT_FALSE(a.took_input);
  EXPECT_TRUE(b.took_input);
}

TEST_F(Gui, ControlsOfAHiddenWindowAreNeitherUpdatedNorDrawn) {
  Window("wnd_shown", true);
  Probe& shown = Control("btn_shown");
  Window("wnd_hidden", false);
  Probe& hidden = Control("btn_hidden");
  gui_update();
  EXPECT_EQ(shown.updates, 1);
  EXPECT_EQ(hidden.updates, 0);
  EXPECT_TRUE(hidden.visible);
}

TEST_F(Gui, AWindowShownLaterSwallowsTheClickThatOpenedIt) {
  const int index = Window("wnd_dialog", false, true);
  gui_update();  // hidden: its opening is now pending
  EXPECT_TRUE(gui_at(index).hover);
  gui_at(index).visible = true;
  SendButtonDown();
  ASSERT_TRUE(MouseClick(0));
  gui_update();
  EXPECT_FALSE(MouseClick(0)) << "the opening click must not reach the window's controls";
  EXPECT_FALSE(gui_at(index).hover);
  // Once open, a click stays for the controls.
  SendButtonUp();
  SendButtonDown();
  gui_update();
  EXPECT_TRUE(MouseClick(0));
  ClearMouseState();
}

TEST_F(Gui, AModalWindowDimsTheScreenBeforeItsOwnDrawing) {
  const int index = Window("wnd_dialog", true, true);
  gui_at(index).dim = 128;
  gui_at(index).graphic = "gwnd_conf";
  gui_update();
  ASSERT_GE(DrawList.count(), 2u);
  EXPECT_EQ(DrawList[0].kind, DRAW_FILLED_RECT);
  EXPECT_EQ(DrawList[0].alpha, 128);
  EXPECT_FLOAT_EQ(DrawList[0].w, 1024.0f);
  EXPECT_EQ(DrawList[1].kind, DRAW_CORNER_IMAGE);
  EXPECT_FLOAT_EQ(DrawList[1].w, 300.0f);  // right edge x + w
}

TEST_F(Gui, TheFocusNameLetsOneButtonThroughAModalWindowForOnePass) {
  Window("wnd_game", true);
  Probe& diary = Control("btn_diary");
  diary.is_button = true;
  Window("wnd_puzzle", true, true);
  gui_focus_name = "btn_diary";
  gui_update();
  EXPECT_TRUE(diary.took_input);
  EXPECT_TRUE(gui_focus_name.empty());
  gui_update();
  EXPECT_FALSE(diary.took_input);
}

TEST_F(Gui, FindAnswersTheLastOfANameAndTheFirstElementForUnknownNames) {
  Window("wnd_splash", true);
  Window("wnd_menu", false);
  Control("btn_1");
  const int second = Window("wnd_menu", false);
  EXPECT_EQ(gui_find("wnd_menu"), second);
  EXPECT_EQ(gui_find("wnd_scroll"), 0);
  EXPECT_EQ(gui_get("wnd_scroll"), nullptr);
}

TEST_F(Gui, MouseHitTestsAreStrictAndFailWhileTheSceneIsBlocked) {
  EngineSetCursorLogical(100, 100);
  EngineStep();  // the pass reads the cursor
  EXPECT_FALSE(mouse_in_rect(100, 50, 50, 100));
  EXPECT_TRUE(mouse_in_rect(99, 99, 2, 2));
  scene_blocked = true;
  EXPECT_FALSE(mouse_in_rect(99, 99, 2, 2));
}
