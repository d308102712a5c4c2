// Splash, pause window, saving and the return to the menu.
#include "app/screens.h"

#include "app/frame.h"
#include "app/menu.h"
#include "engine/engine.h"
#include "engine/log.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "res/startup_load.h"
#include "res/strings.h"
#include "app/shell.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/world.h"

SplashState splash;

namespace {

constexpr int kSecondLogo = 300;
constexpr int kSplashEnd = 600;
constexpr int kFadeStep = 4;

}  // namespace

void ResetSplash() { splash = SplashState{}; }

void SplashProcedure() {
  if (WindowVisible("wnd_msg")) return;
  if (splash.counter >= 0 && splash.counter < kSecondLogo) {
    if (MouseClick(kMouseLeft)) {
      splash.counter = kSecondLogo;
      ClearMouseState();
    }
    DrawList.image("pub", 255, 0.0f, 0.0f);
    DrawList.filled_rect(static_cast<uint8_t>(255 - splash.fade_a), 0x000000, 0.0f, 0.0f, 1024.0f,
                         768.0f, BLEND_NORMAL);
    splash.fade_a = std::min(splash.fade_a + kFadeStep, 255);
  }
  if (splash.counter >= kSecondLogo) {
    DrawList.image("dev", 255, 0.0f, 0.0f);
    DrawList.image("pub", static_cast<uint8_t>(255 - splash.fade_b), 0.0f, 0.0f);
    splash.fade_b = std::min(splash.fade_b + kFadeStep, 255);
    if (MouseClick(kMouseLeft)) {
      splash.counter = kSplashEnd;
      ClearMouseState();
    }
  }
  splash.counter += 1;
  if (splash.counter > kSplashEnd) {
    // The menu never shows half loaded.
    FinishStartupLoad();
    ShowWindow("wnd_splash", false);
    ShowWindow("wnd_menu", true);
    if (!Shell().sound_available) ShowSceneMessage("no_sound");
  }
}

void PauseProcedure() {
  const ielement* pause = gui_get("wnd_pause");
  if (pause == nullptr) return;
  DrawList.text("ui_font", game_strings.get("paused"), pause->x + pause->w / 2.0f,
                pause->y + pause->h / 2.0f, 0x22, -1, 1.0f, 255, 0xBEB37E);
  if (MouseClick(kMouseLeft)) {
    ShowWindow("wnd_pause", false);
    ClearMouseState();
  }
}

bool SaveGame() {
  bool saved = true;
  // A copy that cannot be written is logged and the rest is still saved, so
  // quitting never loses more than that one copy.
  try {
    if (WindowVisible("wnd_ho") && !world.levelName.empty()) WriteSceneObjects(false);
  } catch (const ObjectListError& error) {
    LogLine(std::string("SAVE: the hidden-object scene was not saved: ") + error.what(), true);
    saved = false;
  }
  if (WindowVisible("wnd_game") && !SaveLevel(false)) saved = false;
  return SaveProfile() && saved;
}

void ReturnToMenu() {
  if (world.ho_busy) return;
  if (sounds.is_playing("energy")) sounds.stop("energy");
  ambience.stop_all();
  const bool saved = SaveGame();
  for (const char* name : {"wnd_instr", "wnd_pause", "wnd_game", "wnd_ho"}) ShowWindow(name, false);
  ShowWindow("wnd_menu", true);
  for (const char* name : {"wnd_zoomin", "wnd_puzzle", "wnd_popup", "wnd_qhint", "wnd_diary",
                           "wnd_msg", "wnd_help"})
    ShowWindow(name, false);
  if (!saved) ShowMessageBox("save_failed");
  fade_level = 255;
}
