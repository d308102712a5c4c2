// The profiles dialog in the real game, loaded from the generated data in a
// headless engine with a temporary home: typing a name and confirming it,
// a name already taken, a full list, choosing, and deleting with the
// confirmation.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/frame.h"
#include "app/menu.h"
#include "app/profile_dialog.h"
#include "app/screens.h"
#include "app/shell.h"
#include "engine/engine.h"
#include "engine/ini.h"
#include "engine/input.h"
#include "profile/profiles.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "support/loaded_game.h"
#include "ui/gui.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

class ProfileDialog : public LoadedGame {};

void OverTheMenu() {
  ShowWindow("wnd_splash", false);
  ShowWindow("wnd_menu", true);
}

// Types the name into the open dialog and lets the edit take it.
void TypeName(const std::string& name) {
  SendText(name);
  // The edit takes the text on the first tick, the buttons follow on the next.
  GameSteps(2);
}

void Press(const char* button) { gui_get(button)->on_click(); }

const ielement& List() { return *gui_get("list_1"); }

std::string Selected() {
  const ielement& list = List();
  return list.items[static_cast<std::size_t>(list.selected)];
}

}  // namespace

TEST_F(ProfileDialog, EmptyListWelcomesAndOnlyATypedNameEnablesOk) {
  Run(1280, 1024, true, [] {
    OverTheMenu();
    OpenProfiles();
    GameSteps(1);
    EXPECT_TRUE(WindowVisible("wnd_prof"));
    EXPECT_TRUE(gui_get("btn_8")->disabled);
    EXPECT_TRUE(gui_get("btn_9")->disabled);
    EXPECT_EQ(gui_get("memo_wc")->text, game_strings.get("welcome"));
    // Only letters and digits reach the name.
    TypeName("Ada 9!");
    EXPECT_EQ(gui_get("edit_1")->text, "Ada9");
    EXPECT_FALSE(gui_get("btn_8")->disabled);
    EXPECT_TRUE(gui_get("btn_9")->disabled);
  });
}

TEST_F(ProfileDialog, OkCreatesTheTypedPlayerSavesAndCloses) {
  Run(1280, 1024, true, [] {
    OverTheMenu();
    OpenProfiles();
    TypeName("Ada");
    ShowWindow("wnd_opt", true);
    Press("btn_8");
    const Profiles& pr = CurrentProfiles();
    EXPECT_EQ(pr.current_player, "Ada");
    ASSERT_EQ(pr.players.size(), 1u);
    EXPECT_EQ(Selected(), "Ada");
    EXPECT_EQ(gui_get("edit_1")->text, "");
    EXPECT_FALSE(WindowVisible("wnd_prof"));
    EXPECT_FALSE(WindowVisible("wnd_opt"));
    EXPECT_FALSE(WindowVisible("wnd_msg"));
    EXPECT_TRUE(fs::is_directory(pr.profile_folder + "Ada"));
    EXPECT_EQ(sounds.volume, pr.options.effects_volume);
    // The dialog opens again with the new player listed and nothing typed.
    OpenProfiles();
    GameSteps(1);
    EXPECT_FALSE(gui_get("btn_9")->disabled);
    EXPECT_EQ(gui_get("memo_wc")->text, "");
    EXPECT_EQ(gui_get("edit_1")->text, "");
  });
}

TEST_F(ProfileDialog, ATakenNameInAnyCaseSelectsItAndAFullListRefusesTheNinth) {
  Run(1280, 1024, true, [] {
    OverTheMenu();
    for (const char* name : {"Ada", "Bram", "Cora", "Dane", "Esme", "Finn", "Gus", "Hale"}) {
      OpenProfiles();
      TypeName(name);
      Press("btn_8");
    }
    ASSERT_EQ(CurrentProfiles().players.size(), MAX_PLAYERS);
    EXPECT_EQ(CurrentProfiles().current_player, "Hale");

    OpenProfiles();
    TypeName("bRAM");
    Press("btn_8");
    EXPECT_EQ(CurrentProfiles().current_player, "Bram");
    EXPECT_EQ(Selected(), "Bram");
    EXPECT_FALSE(WindowVisible("wnd_prof"));
    EXPECT_TRUE(WindowVisible("wnd_msg"));
    EXPECT_EQ(gui_get("memo_m")->text, game_strings.get("player_exists"));
    EXPECT_EQ(gui_get("edit_1")->text, "");
    EXPECT_EQ(CurrentProfiles().players.size(), MAX_PLAYERS);
    ShowWindow("wnd_msg", false);

    OpenProfiles();
    TypeName("Ivo");
    Press("btn_8");
    EXPECT_TRUE(WindowVisible("wnd_msg"));
    EXPECT_EQ(gui_get("memo_m")->text, game_strings.get("max_prof"));
    EXPECT_EQ(gui_get("edit_1")->text, "");
    EXPECT_EQ(CurrentProfiles().players.size(), MAX_PLAYERS);
    EXPECT_EQ(CurrentProfiles().current_player, "Bram") << "the selection stays current";
    EXPECT_FALSE(fs::exists(CurrentProfiles().profile_folder + "Ivo"));
  });
}

TEST_F(ProfileDialog, OkWithoutANameChoosesTheSelectedPlayer) {
  Run(1280, 1024, true, [] {
    OverTheMenu();
    for (const char* name : {"Ada", "Bram"}) {
      OpenProfiles();
      TypeName(name);
      Press("btn_8");
    }
    OpenProfiles();
    EXPECT_EQ(Selected(), "Bram") << "the current player is selected on opening";
    gui_get("list_1")->selected = 0;
    Press("btn_8");
    EXPECT_EQ(CurrentProfiles().current_player, "Ada");
    EXPECT_FALSE(WindowVisible("wnd_prof"));
  });
}

TEST_F(ProfileDialog, DeleteAsksFirstAndTheSelectionBecomesCurrent) {
  Run(1280, 1024, true, [] {
    OverTheMenu();
    for (const char* name : {"Ada", "Bram", "Cora"}) {
      OpenProfiles();
      TypeName(name);
      Press("btn_8");
    }
    const std::string folder = CurrentProfiles().profile_folder;
    OpenProfiles();
    Press("btn_9");
    EXPECT_TRUE(WindowVisible("wnd_dconf"));
    EXPECT_EQ(gui_get("memo_dc")->text, game_strings.get("delete_conf"));
    GameSteps(1);
    EXPECT_TRUE(gui_get("edit_1")->disabled) << "no typing under the confirmation";
    Press("btn_dcancel");
    EXPECT_FALSE(WindowVisible("wnd_dconf"));
    EXPECT_EQ(List().items.size(), 3u);

    // Cora is current and selected: deleting her makes the selection current.
    Press("btn_9");
    Press("btn_dok");
    EXPECT_FALSE(WindowVisible("wnd_dconf"));
    EXPECT_TRUE(WindowVisible("wnd_prof"));
    EXPECT_FALSE(fs::exists(folder + "Cora"));
    ASSERT_EQ(List().items.size(), 2u);
    EXPECT_EQ(Selected(), CurrentProfiles().current_player);
    EXPECT_EQ(CurrentProfiles().players.size(), 2u);

    for (int i = 0; i < 2; ++i) {
      Press("btn_9");
      Press("btn_dok");
    }
    GameSteps(1);
    EXPECT_TRUE(List().items.empty());
    EXPECT_EQ(CurrentProfiles().current_player, "");
    EXPECT_TRUE(gui_get("btn_9")->disabled);
    EXPECT_TRUE(gui_get("btn_8")->disabled);
    EXPECT_EQ(gui_get("memo_wc")->text, game_strings.get("welcome"));
    // Nothing left to delete: a stray confirmation changes nothing.
    Press("btn_dok");
    EXPECT_TRUE(List().items.empty());
  });
}

TEST_F(ProfileDialog, OnlyItsOwnWindowsGetControlsAndTheSignpostOpensIt) {
  const std::size_t before = gui_count();
  BuildProfileControls("wnd_opt");
  BuildProfileControls(nullptr);
  EXPECT_EQ(gui_count(), before);
  // Without the dialog built, opening it is refused with a log line.
  OpenProfiles();
  EXPECT_FALSE(WindowVisible("wnd_prof"));

  Run(1280, 1024, true, [] {
    OverTheMenu();
    const int prof = gui_find("wnd_prof");
    for (const char* name : {"btn_8", "btn_9", "edit_1", "list_1", "memo_wc"})
      EXPECT_EQ(gui_get(name)->parent, prof) << name;
    const int dconf = gui_find("wnd_dconf");
    for (const char* name : {"memo_dc", "btn_dok", "btn_dcancel"})
      EXPECT_EQ(gui_get(name)->parent, dconf) << name;
    GameSteps(1);
    EngineSetCursorLogical(520, 700);
    SendButtonDown();
    GameSteps(1);
    EXPECT_TRUE(WindowVisible("wnd_prof"));
    EXPECT_TRUE(gui_get("btn_8")->disabled);
  });
}
