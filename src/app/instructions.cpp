// The guided tutorial.
#include "app/instructions.h"

#include <string_view>

#include "app/frame.h"
#include "app/menu.h"
#include "app/screens.h"
#include "engine/engine.h"
#include "engine/font.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/controls.h"
#include "ui/gui.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

constexpr int kNotDimmed = 0;
constexpr uint32_t kPanelText = 0xBEB37E;
constexpr uint32_t kContinueText = 0x7A9E75;
// The click that opens the scarecrow's scene may land this far from its
// centre, as on any entrance.
constexpr float kEntranceReach = 50.0f;

struct Panel {
  const char* skin;
  float cx, cy;  // the skin is centred here
  const char* text;
  float x, y, w, h;  // the text's box
};

// Steps 0 to 7; the panel of step n is kPanels[n].
constexpr Panel kPanels[TUTORIAL_DONE] = {
    {"gwnd_instr1", 512, 384, "instr1", 362, 254, 300, 200},
    {"gwnd_instr2", 260, 372, "instr0", 285, 352, 280, 220},
    {"gwnd_instr4", 150, 110, "instr2", 245, 85, 280, 225},
    {"gwnd_instr3", 722, 504, "instr3", 617, 409, 280, 225},
    {"gwnd_instr4", 572, 314, "instr4", 467, 179, 280, 225},
    {"gwnd_instr1", 512, 384, "instr5", 372, 254, 280, 220},
    {"gwnd_instr2", 510, 385, "instr6", 335, 255, 280, 220},
    {"gwnd_instr4", 517, 584, "instr7", 407, 444, 280, 210},
};

int& Step() { return CurrentProfiles().options.tutorial_step; }

ielement* Window() { return gui_get("wnd_instr"); }

void DrawPanel(const Panel& panel) {
  DrawList.scaled_image(panel.skin, 255, panel.cx, panel.cy, 0.0f, 1.0f, 1.0f);
  DrawList.text_rect("ui_font", game_strings.get(panel.text), panel.x, panel.y, panel.w, panel.h,
                     TEXT_CENTRE | TEXT_VCENTRE, -1, 1.0f, 255, kPanelText);
}

void DrawContinue(float x, float y) {
  DrawList.text("ui_font", game_strings.get("click_cont"), x, y, TEXT_CENTRE | TEXT_VCENTRE, -1,
                1.0f, 255, kContinueText);
}

// Answering the offer either way means it has been made: it is not made
// again, and the answer is kept.
void RememberOfferAnswered() {
  CurrentProfiles().options.tutorial_offered = true;
  SaveProfileOrTell();
}

void AcceptTutorial() {
  ShowWindow("btn_yes", false);
  ShowWindow("btn_no", false);
  if (ielement* window = Window()) window->dim = kNotDimmed;
  Step() = 1;
  RememberOfferAnswered();
}

void DeclineTutorial() {
  if (ielement* window = Window()) {
    window->visible = false;
    window->dim = kNotDimmed;
  }
  RememberOfferAnswered();
}

// A step that waits for a level object ends the guide when the level does
// not hold it: the modal window would otherwise wait for ever.
void EndGuide() {
  Step() = TUTORIAL_DONE;
  ShowWindow("wnd_instr", false);
}

void CloseStep(int next) {
  sounds.play("ui_window_close");
  Step() = next;
  if (ielement* window = Window()) window->modal = false;
  ClearMouseState();
}

void WaitForLamp() {
  const int lamp = FindSceneObject("q_lamp");
  if (lamp < 0) {
    EndGuide();
    return;
  }
  if (!MouseOverObject(world.objects[static_cast<std::size_t>(lamp)])) return;
  world.cursor = Cursor::Action;
  if (!MouseClick(kMouseLeft)) return;
  Step() = 3;
  ClearMouseState();
  OpenZoomIn(lamp, 512.0f, 384.0f - 40.0f);
}

void WaitForScarecrow() {
  const int head = FindSceneObject("q_scarecrow_head");
  if (head < 0) {
    EndGuide();
    return;
  }
  const SceneObject& object = world.objects[static_cast<std::size_t>(head)];
  if (!mouse_in_rect(object.x - kEntranceReach, object.y - kEntranceReach, 2.0f * kEntranceReach,
                     2.0f * kEntranceReach)) {
    return;
  }
  world.cursor = Cursor::Action;
  if (!MouseClick(kMouseLeft)) return;
  Step() = 5;
  ClearMouseState();
  EnterHiddenObjectScene(head);
}

}  // namespace

void InstructionsProcedure() {
  ielement* window = Window();
  if (window == nullptr) return;
  const int step = Step();
  const bool in_scene = WindowVisible("wnd_ho");
  const bool reward_shown =
      WindowVisible("wnd_popup") && FindInventoryEntry("scarecrow_head") >= 0;
  window->modal = step <= 4 || (step == 5 && in_scene);
  if (step < 3 || (step == 7 && FindInventoryEntry("scarecrow_head") >= 0)) {
    world.scriptFlag = false;
  }
  if (step < 0 || step >= TUTORIAL_DONE) {
    window->visible = false;
    return;
  }
  const Panel& panel = kPanels[step];
  switch (step) {
    case 0:  // the offer; the buttons answer it
      DrawPanel(panel);
      break;
    case 1:
      DrawPanel(panel);
      if (MouseClick(kMouseLeft)) {
        Step() = 2;
        ClearMouseState();
      }
      break;
    case 2:
      DrawPanel(panel);
      WaitForLamp();
      break;
    case 3:
      DrawPanel(panel);
      if (!WindowVisible("wnd_zoomin")) Step() = 4;
      break;
    case 4:
      DrawPanel(panel);
      WaitForScarecrow();
      break;
    case 5:
    case 6:
      if (!in_scene) break;
      DrawPanel(panel);
      if (step == 5) DrawContinue(512.0f, 484.0f);
      if (MouseClick(kMouseLeft)) CloseStep(step + 1);
      break;
    case 7:
      if (!reward_shown) break;
      DrawPanel(panel);
      DrawContinue(547.0f, 624.0f);
      if (MouseClick(kMouseLeft)) {
        CloseStep(TUTORIAL_DONE);
        window->visible = false;
      }
      break;
    default:
      break;
  }
}

void BuildInstructionsControls(const char* window) {
  if (std::string_view(window != nullptr ? window : "") != "wnd_instr") return;
  gui_add_button("btn_yes", 382.0f, 444.0f, 120.0f, 48.0f, game_strings.get("yes"),
                 "gbutton_small", AcceptTutorial);
  gui_add_button("btn_no", 522.0f, 444.0f, 120.0f, 48.0f, game_strings.get("no"),
                 "gbutton_small", DeclineTutorial);
}
