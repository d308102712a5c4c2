// Program entry, the load callback and the exit callback.
#include "app/automation.h"
#include "app/cutscenes.h"
#include "app/frame.h"
#include "app/menu.h"
#include "app/screens.h"
#include "app/shell.h"
#include "app/windows.h"

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "engine/archive.h"
#include "engine/audio.h"
#include "engine/clock.h"
#include "engine/engine.h"
#include "engine/log.h"
#include "engine/render.h"
#include "engine/random.h"
#include "profile/profiles.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/startup_load.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/progress.h"

namespace {

constexpr const char* kStringsPath = "data/text/strings.cfg";

ShellState g_shell;

// The screen mode the game starts in: the player's full-screen option, which
// a desktop of exactly the game's size forces on, unless this run asked for
// a window or full screen on its command line.
void ChooseScreenMode(const CommandLine& options) {
  PlayerOptions& player = CurrentProfiles().options;
  const int desktop_w = EngineQuery(Q_DESKTOP_WIDTH);
  const int desktop_h = EngineQuery(Q_DESKTOP_HEIGHT);
  if (desktop_w == kLogicalWidth && desktop_h == kLogicalHeight) player.fullscreen = true;
  if (options.windowed) g_shell.run_fullscreen = false;
  if (options.fullscreen) g_shell.run_fullscreen = true;
  if (g_shell.run_fullscreen.value_or(player.fullscreen))
    SetScreenOptions(static_cast<uint16_t>(desktop_w), static_cast<uint16_t>(desktop_h), 0, true,
                     true);
  else
    SetScreenOptions(kLogicalWidth, kLogicalHeight, 0, false, true);
}

}  // namespace

ShellState& Shell() { return g_shell; }

StartupLoadPlan StartupPlan() {
  StartupLoadPlan plan;
  plan.archive = kImageArchive;
  plan.password = kImageArchiveKey;
  plan.first_picture = "images/splash/pub.png";
  plan.image_folders = {"images/splash/", "images/common/", "images/particles/",
                        "images/items/",  "images/diary/",  "images/hint/"};
  plan.font_folder = "data/fonts/";
  plan.effect_folder = "data/audio/effects/";
  plan.before_effects = [] {
    if (!g_shell.sound_pending) return;
    g_shell.sound_pending = false;
    g_shell.sound_available = StartSound();
  };
  return plan;
}

void ResetShell() { g_shell = ShellState{}; }

int ProgramEntry(const CommandLine& options) {
  ShellState& shell = g_shell;
  shell.headless = options.headless;
  shell.load_behind_splash = !options.headless && options.script.empty();

  RandomSeed(options.seed ? *options.seed : static_cast<uint32_t>(SystemTickCount()));
  shell.load_complete = false;

  if (!game_strings.load(kStringsPath)) {
    ReportStartFailure("cannot read the game's texts " + EngineQueryText(Q_PROGRAM_DIR) +
                       kStringsPath + "; reinstalling the game restores them");
    return kExitInputOutputError;
  }
  // Without it every save would go to a folder named after the lookup's
  // "NULL" stand-in, where the next install could not find it.
  if (!game_strings.contains("save_folder")) {
    ReportStartFailure(std::string("the game's texts ") + kStringsPath +
                       " lack the \"save_folder\" setting; reinstalling the game mends it");
    return kExitInputOutputError;
  }
  shell.save_folder = game_strings.get("save_folder");
  shell.window_title = game_strings.get("window_title");
  // The pictures are read while the players are read and the window opens,
  // in the layout renderers keep textures in; another layout only costs a
  // second read.
  BeginStartupLoad(StartupPlan(), UsualTexturePixelFormat());

  if (!PrepareSaveFolder(EngineQueryText(Q_USER_DIR), shell.save_folder)) {
    StopStartupLoad();
    return 1;
  }
  // Without the word in the texts nobody is the developer: the lookup's
  // "NULL" stand-in must not make a player of that name one.
  CurrentProfiles().developer_word =
      game_strings.contains("cheat") ? game_strings.get("cheat") : std::string();
  CurrentProfiles().content_folder = options.content;
  EngineSettings settings = EngineConfiguration();
  settings.log_path = CurrentProfiles().profile_folder + "log.txt";
  EngineConfigure(settings);
  LoadPlayerList();
  LoadProfile();

  if (!options.script.empty() && !AutomationLoad(options.script)) {
    StopStartupLoad();
    return kExitMalformedScript;
  }

  AddTimer(FrameTick, 10);
  AddTimer(MusicSelector, 100);
  AddTimer(ResolutionGuard, 1000);

  RegisterCallback(CB_EXIT, ExitCallback);
  RegisterCallback(CB_LOAD, LoadCallback);
  RegisterCallback(CB_DRAW, DrawCallback);
  RegisterCallback(CB_ACTIVATE, ActivateCallback);
  RegisterCallback(CB_UPDATE, UpdateCallback);
  if (!options.script.empty()) RegisterCallback(CB_LOOP, AutomationLoop);

  EnableOption(OPT_PAUSE_INACTIVE);
  EnableOption(OPT_FIT_LOGICAL);
  // The log is for the developers: off unless asked for.
  if (!options.log) DisableOption(OPT_WRITE_LOG);

  SetCaption(shell.window_title);
  ChooseScreenMode(options);

  const bool started = EngineStart(0, 0);
  StopStartupLoad();
  // The engine freed every texture, font and sound at its shutdown.
  images.forget();
  fonts.forget();
  sounds.forget();
  music.forget();
  ambience.forget();
  if (!started) {
    std::fprintf(stderr, "quillmoor: the screen could not be opened\n");
    return 1;
  }
  return shell.exit_status;
}

void LoadCallback() {
  const PlayerOptions& options = CurrentProfiles().options;
  SetLogicalResolution(kLogicalWidth, kLogicalHeight);
  if (!options.custom_cursor) ShowSystemCursor(true);
  g_shell.sound_pending = g_shell.load_behind_splash;
  if (!g_shell.sound_pending) g_shell.sound_available = StartSound();

  // The splash shows at once: its first picture is taken here from the
  // worker begun with the program, the rest while it plays (see FrameTick),
  // all of it before the menu.
  images.clear();
  fonts.clear();
  sounds.clear();
  if (!StartupLoadBegun()) BeginStartupLoad(StartupPlan(), TexturePixelFormat());
  TakeFirstStartupPicture();
  LogLine("Start-up: the splash's first picture is loaded", true);
  if (!g_shell.load_behind_splash) FinishStartupLoad();
  sounds.volume = options.effects_volume;
  music.load_dir("data/audio/music/");
  music.volume = options.music_volume;
  music.mute_at_zero = true;
  ambience.load_dir("data/audio/enviroment/");
  ambience.volume = options.environment_volume;

  ResetMenu();
  cutscenes = CutsceneState{};
  BuildWindows();
  // Damaged level or scene copies start the player's game over, with word
  // why; a player list that reads empty over players' saves is a damaged
  // file, not a new computer: say so rather than greet a stranger. A message
  // at start is drawn with everything loaded.
  const bool files_damaged = !VerifyPlayerFiles();
  const bool list_damaged = CurrentProfiles().player_list_damaged;
  if (files_damaged || list_damaged) FinishStartupLoad();
  if (files_damaged) ShowMessageBox("crash");
  if (list_damaged) ShowMessageBox("players_damaged");
  g_shell.load_complete = true;
}

void ExitCallback() {
  // Leaving the credits puts the player back where the credits began.
  RestoreLevelAfterCredits();
  SaveGame();
  const std::string link = game_strings.get("survey_link");
  if (!IsOpenableLink(link)) return;
  if (g_shell.headless) {
    LogLine("Survey link not opened in a headless run: " + link, true);
    return;
  }
  OpenLink(link);
}

bool IsOpenableLink(std::string_view link) {
  return link.starts_with("http://") || link.starts_with("https://");
}

void OpenLink(const std::string& link) {
  // The link goes to xdg-open as one argument, never through a shell. The
  // middle process exits at once so the opener is not left as our child.
  const pid_t child = ::fork();
  if (child < 0) {
    LogLine("Cannot open the survey link: fork failed", true);
    return;
  }
  if (child == 0) {
    if (::fork() == 0) {
      ::execlp("xdg-open", "xdg-open", link.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  LogLine("Survey link opened: " + link, true);
}
