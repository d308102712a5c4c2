// The engine frame run headless in this process: start-up order, pause while
// inactive, close requests, screen options and the exit callback.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "support/input.h"

namespace {

std::vector<std::string> g_events;
int g_ticks = 0;
void (*g_scenario)() = nullptr;

void OnLoad() { g_events.push_back("load"); }
void OnExit() { g_events.push_back("exit"); }
void OnActivate(bool focused) { g_events.push_back(focused ? "gained" : "lost"); }
void OnTick() { ++g_ticks; }
void Loop() {
  g_events.push_back("loop");
  g_scenario();
}

class Engine : public ::testing::Test {
 protected:
  void SetUp() override {
    EngineReset();
    EngineSettings settings;
    settings.headless = true;
    settings.desktop_width = 1920;
    settings.desktop_height = 1080;
    EngineConfigure(settings);
    DisableOption(OPT_WRITE_LOG);
    g_events.clear();
    g_ticks = 0;
    RegisterCallback(CB_LOAD, OnLoad);
    RegisterCallback(CB_EXIT, OnExit);
    RegisterCallback(CB_ACTIVATE, OnActivate);
    RegisterCallback(CB_LOOP, Loop);
  }
  void TearDown() override { EngineReset(); }
};

}  // namespace

TEST_F(Engine, StartLoadsRunsTheLoopAndCallsExitOnce) {
  g_scenario = [] {
    EXPECT_TRUE(EngineRunning());
    StopEngine();
  };
  EXPECT_TRUE(EngineStart(0, 0));
  EXPECT_EQ(g_events, (std::vector<std::string>{"load", "loop", "exit"}));
  EXPECT_FALSE(EngineRunning());
}

TEST_F(Engine, TimersRunOncePerTenMillisecondsOfTheVirtualClock) {
  AddTimer(OnTick, 10);
  g_scenario = [] {
    GameSteps(100);
    EXPECT_EQ(g_ticks, 100);
    EXPECT_DOUBLE_EQ(GetTicks(), 1000.0);
    StopEngine();
  };
  EngineStart(0, 0);
}

TEST_F(Engine, LosingFocusPausesTimersAndRegainingItReplaysNothing) {
  EnableOption(OPT_PAUSE_INACTIVE);
  AddTimer(OnTick, 10);
  g_scenario = [] {
    GameSteps(10);
    EngineSetFocus(false);
    EXPECT_TRUE(EnginePaused());
    GameSteps(50);
    EXPECT_EQ(g_ticks, 10);
    EngineSetFocus(true);
    EXPECT_FALSE(EnginePaused());
    GameSteps(10);
    EXPECT_EQ(g_ticks, 20) << "the paused half second must not be replayed";
    StopEngine();
  };
  EngineStart(0, 0);
  EXPECT_EQ(g_events, (std::vector<std::string>{"load", "loop", "lost", "gained", "exit"}));
}

TEST_F(Engine, WithoutPauseInactiveTheGameRunsOnWhileUnfocused) {
  AddTimer(OnTick, 10);
  g_scenario = [] {
    EngineSetFocus(false);
    GameSteps(10);
    EXPECT_EQ(g_ticks, 10);
    StopEngine();
  };
  EngineStart(0, 0);
}

TEST_F(Engine, FocusMessagesAreIgnoredWhileMinimised) {
  EnableOption(OPT_PAUSE_INACTIVE);
  g_scenario = [] {
    EngineSetMinimised(true);
    EngineSetFocus(true);
    EXPECT_TRUE(EnginePaused());
    EngineSetMinimised(false);
    EXPECT_FALSE(EnginePaused());
    StopEngine();
  };
  EngineStart(0, 0);
  EXPECT_EQ(g_events, (std::vector<std::string>{"load", "loop", "lost", "gained", "exit"}));
}

TEST_F(Engine, RegainingFocusClearsHeldKeysAndClicks) {
  g_scenario = [] {
    SendButtonDown();
    SendKeyDown(0x1E);
    EngineSetFocus(false);
    EngineSetFocus(true);
    EXPECT_FALSE(MouseClick(0));
    EXPECT_FALSE(MouseDown(0));
    EXPECT_FALSE(KeyDown(0x1E));
    EXPECT_FALSE(KeyPress(0x1E));
    StopEngine();
  };
  EngineStart(0, 0);
}

TEST_F(Engine, APressActsWhereThePointerWasPressedEvenIfItMovedOnInTheSameFrame) {
  static std::vector<float> clicks_at;
  clicks_at.clear();
  AddTimer([] { if (MouseClick(0)) clicks_at.push_back(MouseX()); ClearMouseState(); }, 10);
  g_scenario = [] {
    const auto event = [](InputEvent::Type type, int x) {
      InputEvent e;
      e.type = type;
      e.x = x;
      e.y = 100;
      EngineHandleInput(e);
    };
    // Move, press, move on, release: all before the frame sees any of it.
    event(InputEvent::Type::MouseMove, 300);
    event(InputEvent::Type::ButtonDown, 0);
    event(InputEvent::Type::MouseMove, 700);
    event(InputEvent::Type::ButtonUp, 0);
    GameSteps(1);
    EXPECT_FLOAT_EQ(MouseX(), 300.0f);
    // The next frame sees where the pointer went.
    GameSteps(1);
    EXPECT_FLOAT_EQ(MouseX(), 700.0f);
    StopEngine();
  };
  EngineStart(0, 0);
  EXPECT_EQ(clicks_at, std::vector<float>{300.0f});
}

TEST_F(Engine, ACloseRequestEndsTheLoopUnlessTheCloseQueryRefuses) {
  static bool allow = false;
  RegisterCallback(CB_CLOSE_QUERY, [] { return allow; });
  g_scenario = [] {
    EngineRequestClose();
    EXPECT_TRUE(EngineRunning());
    allow = true;
    EngineRequestClose();
    EXPECT_FALSE(EngineRunning());
  };
  EngineStart(0, 0);
  EXPECT_EQ(g_events.back(), "exit");
}

TEST_F(Engine, AWindowAsTallAsTheDesktopOpensFullScreen) {
  SetScreenOptions(1024, 1080, 0, false, true);
  g_scenario = [] {
    EXPECT_TRUE(EngineFullscreen());
    EXPECT_EQ(EngineClientWidth(), 1920);
    StopEngine();
  };
  EngineStart(0, 0);
}

TEST_F(Engine, TheLogicalScreenFollowsTheWindowAndItsBars) {
  EnableOption(OPT_FIT_LOGICAL);
  EXPECT_EQ(EngineOptions() & (OPT_FIT_BARS_X | OPT_FIT_BARS_Y), OPT_FIT_BARS_X | OPT_FIT_BARS_Y);
  SetScreenOptions(1920, 1080, 0, true, true);
  RegisterCallback(CB_LOAD, [] { SetLogicalResolution(1024, 768); });
  g_scenario = [] {
    EXPECT_EQ(EngineQuery(Q_OFFSET_X), 240);
    EXPECT_EQ(EngineQuery(Q_OFFSET_Y), 0);
    EXPECT_EQ(EngineQuery(Q_VIEWPORT_WIDTH), 1024);
    EngineSetCursorLogical(512.0f, 384.0f);
    GameSteps(1);
    EXPECT_FLOAT_EQ(MouseX(), 512.0f);
    EXPECT_FLOAT_EQ(MouseY(), 384.0f);
    // Going to a window: the mapping follows the new client area.
    SetScreenOptions(1024, 768, 0, false, true);
    EXPECT_EQ(EngineQuery(Q_OFFSET_X), 0);
    DisableOption(OPT_FIT_LOGICAL);
    StopEngine();
  };
  EngineStart(0, 0);
}

TEST_F(Engine, QueriesAnswerTheFoldersAndTheDesktop) {
  EngineSettings settings = EngineConfiguration();
  settings.program_dir = "/games/quillmoor/";
  settings.user_dir = "/home/player/.local/share/";
  EngineConfigure(settings);
  EXPECT_EQ(EngineQueryText(Q_PROGRAM_DIR), "/games/quillmoor/");
  EXPECT_EQ(EngineQueryText(Q_USER_DIR), "/home/player/.local/share/");
  EXPECT_EQ(EngineQuery(Q_DESKTOP_WIDTH), 1920);
  EXPECT_EQ(EngineQuery(Q_DESKTOP_HEIGHT), 1080);
  EXPECT_EQ(EngineQuery(12345), 0);
}
