// The loaded-game fixture.
#include "support/loaded_game.h"

#include "app/frame.h"
#include "app/game_state.h"
#include "app/shell.h"
#include "engine/engine.h"
#include "profile/profiles.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "support/temp_files.h"
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
  home = MakeTempFolder("quillmoor_" + name);
  ASSERT_FALSE(home.empty());
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

void LoadedGame::RunAsTheGame(void (*scenario)()) {
  RegisterCallback(CB_LOAD, LoadCallback);
  AddTimer(FrameTick, 10);
  AddTimer(MusicSelector, 100);
  AddTimer(ResolutionGuard, 1000);
  RegisterCallback(CB_DRAW, DrawCallback);
  RegisterCallback(CB_ACTIVATE, ActivateCallback);
  RegisterCallback(CB_UPDATE, UpdateCallback);
  RegisterCallback(CB_LOOP, ScenarioLoop);
  EnableOption(OPT_PAUSE_INACTIVE);
  EnableOption(OPT_FIT_LOGICAL);
  DisableOption(OPT_WRITE_LOG);
  SetScreenOptions(1024, 768, 0, false, true);
  g_scenario = scenario;
  EngineStart(0, 0);
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
