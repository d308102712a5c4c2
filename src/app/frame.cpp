// The frame tick and the callbacks the engine calls every pass.
#include "app/frame.h"

#include <cmath>
#include <exception>

#include "app/cutscenes.h"
#include "app/menu.h"
#include "app/options.h"
#include "app/screens.h"
#include "app/screenshot.h"
#include "app/shell.h"
#include "engine/engine.h"
#include "engine/log.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/startup_load.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/hidden_object.h"
#include "world/inventory.h"
#include "world/scene.h"
#include "world/task_panel.h"
#include "world/object_list.h"
#include "world/world.h"

TParticleSystem screen_particles;

namespace {

constexpr int kFadeStep = 5;
// Of the 10 ms between frames.
constexpr double kStartupLoadBudgetMs = 3.0;
bool g_focus_regained = false;

// The panel takes its turn over a level, unless a window covers the level
// or the tutorial's first question is waiting for an answer.
bool PanelShown() {
  if (IsStoryScreen(world.levelName) || !WindowVisible("wnd_game") || world.documentMode)
    return false;
  return !LevelCovered() && !GuideHoldsLevel();
}

void PanelStep() {
  if (!PanelShown()) return;
  // The diary button keeps working over close-ups and puzzles.
  const int modal = gui_modal;
  gui_modal = -1;
  if (WindowVisible("wnd_puzzle") || WindowVisible("wnd_zoomin"))
    if (ielement* diary = gui_get("btn_diary")) diary->update();
  gui_modal = modal;
  InventoryStrip(kStripLeft, kStripTop);
  PopupFrame();
}

// The windows and their controls in list order. The level lies under every
// window after the game window, so its frame runs at the game window's turn:
// after the splash, the menu and the dialogs, before the game window's panel
// buttons and the windows over the level. The hidden-object scene likewise
// runs at the turn of its window.
void WindowPass() {
  // The level's and the hidden-object scene's frames, each at its window's turn.
  struct WorldFrame {
    const char* window;
    void (*frame)();
  };
  static constexpr WorldFrame kWorldFrames[] = {{"wnd_game", LevelFrame},
                                                {"wnd_ho", HiddenObjectFrame}};
  gui_begin_pass();
  std::size_t done = 0;
  for (const WorldFrame& step : kWorldFrames) {
    const auto turn = static_cast<std::size_t>(gui_find(step.window));
    if (turn < done) continue;
    gui_update_range(done, turn);
    if (WindowVisible(step.window)) step.frame();
    done = turn;
  }
  gui_update_range(done, gui_count());
  gui_end_pass();
}

// Everything of the tick that can fail: a failure saves the game and ends it.
void GuardedTick() {
  tick_click = MouseClick(kMouseLeft);
  DrawList.clear();
  scene_blocked = WindowVisible("wnd_pause");
  PanelSparkle(screen_particles);
  WindowPass();
  // Whatever view a window set, what follows is drawn on the plain screen.
  DrawList.camera(nullptr);
  PanelStep();
  if (WindowVisible("wnd_ho")) PopupFrame();
  if (!IsStoryScreen(world.levelName) && !world.documentMode)
    UpdateAndDraw(screen_particles);
  else
    screen_particles.count = 0;
  fade_level -= kFadeStep;
  if (fade_level <= 0) fade_level = 0;
  if (fade_level > 0)
    DrawList.filled_rect(static_cast<uint8_t>(fade_level), 0x000000, 0.0f, 0.0f, 1024.0f, 768.0f,
                         BLEND_NORMAL);
  DrawCursor();
  ScreenshotKey();
  ClearMouseState();
  ClearKeyState();
}

// Wide desktops in full screen: ornate fields fill the bars left and right.
void DrawSideFields() {
  if (!(WindowVisible("wnd_game") || WindowVisible("wnd_ho"))) return;
  if (!CurrentProfiles().options.fullscreen) return;
  const int ox = EngineQuery(Q_OFFSET_X);
  const int vw = EngineQuery(Q_VIEWPORT_WIDTH);
  if (ox == 0) return;
  const double desktop_w = EngineQuery(Q_DESKTOP_WIDTH);
  const double desktop_h = EngineQuery(Q_DESKTOP_HEIGHT);
  if (desktop_w <= 0 || desktop_h <= 0) return;
  const double r = desktop_w / desktop_h;
  const auto k = static_cast<float>(768.0 * r / desktop_w);
  SetLogicalResolution(static_cast<uint16_t>(std::lround(768.0 * r)), 768);
  const Texture* field = images.get("gfield");
  const float field_w = k * static_cast<float>(ox);
  DrawSprite(field, 0.0f, 0.0f, field_w, 768.0f, 0.0f, 255, FX_BLEND);
  DrawSprite(field, field_w + static_cast<float>(vw), 0.0f, field_w, 768.0f, 0.0f, 255,
             FX_BLEND | FX_MIRROR_X);
  SetLogicalResolution(kLogicalWidth, kLogicalHeight);
}

}  // namespace

void FrameTick() {
  FullScreenKeyToggle();
  if (g_focus_regained) ClearMouseState();
  g_focus_regained = false;
  try {
    GuardedTick();
  } catch (const ObjectListError& error) {
    // A level or scene file that cannot be read or written never ends the
    // game: the player stays where they are and is told once.
    LogLine(std::string("Frame tick: a level file failed: ") + error.what(), true);
    if (!WindowVisible("wnd_msg")) ShowMessageBox("save_failed");
  } catch (const std::exception& error) {
    LogLine(std::string("Frame tick failed: ") + error.what(), true);
    SaveGame();
    StopEngine();
  }
  // Behind the splash the rest of the start-up load comes in a little each
  // frame after the first, so that it never holds a frame up; nothing but
  // the splash is ever shown half loaded.
  if (StartupLoadPending()) {
    if (!WindowVisible("wnd_splash"))
      FinishStartupLoad();
    else if (splash.counter > 1)
      ContinueStartupLoad(kStartupLoadBudgetMs);
  }
}

void MusicSelector() {
  const bool game = WindowVisible("wnd_game");
  const std::string& level = world.levelName;
  if (WindowVisible("wnd_menu") || WindowVisible("wnd_splash") || (game && level == "credits")) {
    if (!music.is_playing("mainmenu")) {
      music.stop_all();
      music.play("mainmenu", true);
    }
  }
  if ((game || WindowVisible("wnd_ho")) && level != "credits" && level != "outro") {
    if (!music.is_playing("bgm")) {
      music.stop_all();
      music.play("bgm", false);
    }
  }
}

void ResolutionGuard() {
  PlayerOptions& options = CurrentProfiles().options;
  if (!EngineRunning() || options.fullscreen) return;
  if (EngineQuery(Q_DESKTOP_WIDTH) > kLogicalWidth && EngineQuery(Q_DESKTOP_HEIGHT) > kLogicalHeight)
    return;
  // A desktop no larger than the game's picture cannot hold the window.
  ShowMessageBox("resolution");
  options.fullscreen = true;
  if (ielement* check = gui_get("check_1")) check->checked = true;
  SetScreenOptions(kLogicalWidth, kLogicalHeight, 0, true, true);
}

void DrawCallback() {
  BeginBatch();
  DrawList.replay(-1);
  EndBatch();
  DrawSideFields();
}

void UpdateCallback(double elapsed_ms) {
  // Only the outro movie runs here.
  OutroUpdate(elapsed_ms);
}

void ActivateCallback(bool focused) {
  ShellState& shell = Shell();
  if (!shell.load_complete) return;
  if (!focused) {
    SetCaption(shell.window_title + " " + game_strings.get("paused"));
    LogLine("FOCUS LOST", true);
    const std::string& level = world.levelName;
    const bool over_level = WindowVisible("wnd_game") && !IsStoryScreen(level);
    if ((over_level || WindowVisible("wnd_ho")) && !WindowVisible("wnd_opt") && EngineRunning()) {
      // The engine stops drawing while paused: the paused picture is drawn
      // and shown now and stays on screen.
      ShowWindow("wnd_pause", true);
      DrawList.clear();
      WindowPass();
      EngineDrawFrame();
    }
  } else {
    ShowWindow("wnd_pause", false);
    ClearMouseState();
    g_focus_regained = true;
    SetCaption(shell.window_title);
    LogLine("FOCUS NE LOST", true);
  }
}

void ResetFrame() {
  tick_click = false;
  g_focus_regained = false;
  screen_particles.count = 0;
}
