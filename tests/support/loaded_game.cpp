// The loaded-game fixture.
#include "support/loaded_game.h"

#include <unistd.h>

#include "app/frame.h"
#include "app/game_state.h"
#include "app/shell.h"
#include "engine/engine.h"
#include "profile/profiles.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

void (*g_scenario)() = nullptr;

void ScenarioLoop() {
  g_scenario();
  StopEngine();
}

}  // namespace

void LoadedGame::SetUp() {
  old_dir = fs::current_path();
  fs::current_path(QUILLMOOR_TEST_GAME_DIR);
  const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  home = fs::temp_directory_path() / ("quillmoor_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(home);
  fs::create_directories(home);
  ResetGameState();
  EngineSettings settings;
  settings.headless = true;
  EngineConfigure(settings);
  ASSERT_TRUE(PrepareSaveFolder(home.string() + "/", "Moorhouse"));
  Shell().window_title = "Quillmoor";
  ASSERT_TRUE(game_strings.load("data/text/strings.cfg"));
}

void LoadedGame::TearDown() {
  ResetGameState();
  fs::current_path(old_dir);
  fs::remove_all(home);
}

void LoadedGame::Run(int desktop_w, int desktop_h, bool fullscreen, void (*scenario)()) {
  EngineSettings settings = EngineConfiguration();
  settings.desktop_width = desktop_w;
  settings.desktop_height = desktop_h;
  EngineConfigure(settings);
  RegisterCallback(CB_LOAD, LoadCallback);
  RegisterCallback(CB_ACTIVATE, ActivateCallback);
  RegisterCallback(CB_LOOP, ScenarioLoop);
  AddTimer(FrameTick, 10);
  EnableOption(OPT_PAUSE_INACTIVE);
  EnableOption(OPT_FIT_LOGICAL);
  DisableOption(OPT_WRITE_LOG);
  if (fullscreen)
    SetScreenOptions(static_cast<uint16_t>(desktop_w), static_cast<uint16_t>(desktop_h), 0, true,
                     true);
  else
    SetScreenOptions(1024, 768, 0, false, true);
  g_scenario = scenario;
  EngineStart(0, 0);
}

void GameSteps(int n) {
  for (int i = 0; i < n && EngineRunning(); ++i) EngineStep();
}

void ClickAt(float x, float y) {
  EngineSetCursorLogical(x, y);
  InputEvent down;
  down.type = InputEvent::Type::ButtonDown;
  down.code = 0;
  EngineHandleInput(down);
  GameSteps(1);
  InputEvent up;
  up.type = InputEvent::Type::ButtonUp;
  up.code = 0;
  EngineHandleInput(up);
}
