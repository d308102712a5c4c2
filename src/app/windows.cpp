// The window table.
#include "app/windows.h"

#include <array>
#include <memory>
#include <string>

#include "app/diary.h"
#include "app/game_overlays.h"
#include "app/game_windows.h"
#include "app/help_pages.h"
#include "app/instructions.h"
#include "puzzles/puzzle.h"
#include "app/menu.h"
#include "app/options.h"
#include "app/profile_dialog.h"
#include "app/quest_hint.h"
#include "app/screens.h"
#include "res/strings.h"
#include "story/closeup.h"
#include "ui/gui.h"
#include "world/scene.h"

namespace {

struct WindowRow {
  const char* name;
  float x, y, w, h;
  bool visible;
  bool modal;  // modal windows also dim the screen behind them
  const char* skin;
  UiProc procedure;
  const char* caption = nullptr;  // key of the title drawn on the window
};

constexpr int kDim = 128;

// The per-tick procedures of the menu, dialogs, world and story windows are
// set by their own modules when those are built. The game window has none:
// the frame tick runs the level at the game window's turn (app/frame.cpp).
const std::array<WindowRow, 21> kWindows{{
    {"wnd_splash", 0, 0, 1024, 768, true, false, "", SplashProcedure},
    {"wnd_menu", 0, 0, 1024, 768, false, false, "", MenuProcedure},
    {"wnd_econf", 282, 224, 460, 320, false, true, "gwnd_conf", nullptr},
    {"wnd_tutorial", 256, 128, 512, 512, false, true, "", HelpPagesProcedure},
    {"wnd_prof", 256, 128, 512, 512, false, true, "gwnd_prof", nullptr},
    {"wnd_dconf", 282, 224, 460, 320, false, true, "gwnd_conf", nullptr},
    {"wnd_game", 0, 0, 1024, 768, false, false, "", nullptr},  // the tick's level step
    {"wnd_popup", 282, 224, 460, 320, false, true, "", RewardPopupProcedure},
    {"wnd_qhint", 282, 224, 460, 320, false, true, "", QuestHintProcedure},
    {"wnd_zoomin", 0, 0, 1024, 768, false, true, "", CloseUpProcedure},
    {"wnd_puzzle", 0, 0, 1024, 768, false, true, "", PuzzleProcedure},
    {"wnd_help", 282, 224, 460, 320, false, true, "", HelpProcedure},
    {"wnd_ho", 0, 0, 1024, 768, false, false, "", nullptr},
    {"wnd_instr", 0, 0, 1024, 768, false, true, "", InstructionsProcedure},
    {"wnd_diary", 0, 0, 1024, 768, false, true, "", DiaryProcedure},
    {"wnd_opt", 256, 128, 512, 512, false, true, "gwnd_opt", nullptr},
    {"wnd_pause", 384, 256, 256, 256, false, true, "", PauseProcedure},
    {"wnd_esave", 320, 256, 384, 256, false, true, "gwnd_conf", nullptr, "save"},
    {"wnd_eload", 320, 256, 384, 256, false, true, "gwnd_conf", nullptr, "load"},
    {"wnd_eadd", 320, 256, 384, 256, false, true, "gwnd_conf", nullptr, "add_item"},
    {"wnd_msg", 282, 224, 460, 320, false, true, "gwnd_conf", nullptr},
}};

}  // namespace

void BuildWindows() {
  for (const WindowRow& row : kWindows) {
    const std::string caption = row.caption != nullptr ? game_strings.get(row.caption) : "";
    auto window = std::make_unique<iwindow>(row.name, row.x, row.y, row.w, row.h, caption,
                                            row.visible);
    window->modal = row.modal;
    window->dim = row.modal ? kDim : 0;
    window->graphic = row.skin;
    window->on_update = row.procedure;
    gui_add(std::move(window));
    gui_set_parent();
    // This window's controls are created here, by the menus and dialogs.
    BuildMenuControls(row.name);
    BuildHelpPagesControls(row.name);
    BuildProfileControls(row.name);
    BuildGameControls(row.name);
    BuildInstructionsControls(row.name);
    BuildOptionsControls(row.name);
  }
}
