// The scene runtime in the real game, headless: which object takes a click,
// the cursors of exits, walking to another level, the ghost photographs'
// way into the diary, loading and saving a level, the document overlay and
// the developer's keys. Objects are named after permanent pictures so that
// they have a size without level art.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/frame.h"
#include "app/screens.h"
#include "app/shell.h"
#include "engine/engine.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/strings.h"
#include "support/closeup_walk.h"
#include "support/loaded_game.h"
#include "support/temp_files.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/object_list.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

class Scene : public LoadedGame {};

void ShowLevel(const char* level) {
  ShowWindow("wnd_splash", false);
  ShowWindow("wnd_game", true);
  world.levelName = level;
  EngineSetCursorLogical(500, 100);
  GameSteps(1);
}

// A player whose copies of the levels the test writes itself.
void WriteLevelCopy(const std::string& level, std::initializer_list<ObjectBlock> objects) {
  BlockTable blocks;
  for (const ObjectBlock& block : objects) blocks.append(block);
  const std::filesystem::path path = LevelCopyPath(level);
  std::filesystem::create_directories(path.parent_path());
  WriteObjectListFile(path.string(), blocks);
}

void CreateTester() {
  CreatePlayer("tester");
  ASSERT_EQ(CurrentProfiles().current_player, "tester");
}

// Index in the draw list of the first image drawn with that picture, or -1.
int FirstDrawOf(std::string_view picture) {
  const Texture* texture = images.get(picture);
  for (std::size_t i = 0; i < DrawList.count(); ++i)
    if (DrawList[i].kind == DRAW_SCALED_IMAGE && DrawList[i].texture == texture)
      return static_cast<int>(i);
  return -1;
}

}  // namespace

TEST_F(Scene, OfTwoOverlappingItemsTheEarlierTakesTheClickAndTheLaterIsDrawnOnTop) {
  Run(1280, 1024, false, [] {
    ShowLevel("test");
    AddSceneObject("gbutton_cir", "item", 400, 300);
    AddSceneObject("gbutton_small", "item", 400, 300);
    EngineSetCursorLogical(400, 300);
    GameSteps(1);
    EXPECT_EQ(world.cursor_drawn, Cursor::Hand);
    const int first = FirstDrawOf("gbutton_cir");
    const int second = FirstDrawOf("gbutton_small");
    ASSERT_GE(first, 0);
    EXPECT_GT(second, first);
    ClickAt(400, 300);
    ASSERT_EQ(world.objects.size(), 1u);
    EXPECT_EQ(world.objects[0].name, "gbutton_small");
    ASSERT_EQ(world.inventory.size(), 1u);
    EXPECT_EQ(world.inventory[0].name, "utton_cir");
  });
}

TEST_F(Scene, HoldingAnItemHoversNoLabelAndPicksNothingUp) {
  Run(1280, 1024, false, [] {
    ShowLevel("test");
    GiveItem("ginv", "select", 0, 0);
    AddSceneObject("gbutton_cir", "item", 400, 300);
    EngineSetCursorLogical(400, 300);
    GameSteps(1);
    for (std::size_t i = 0; i < DrawList.count(); ++i)
      EXPECT_FALSE(DrawList[i].kind == DRAW_TEXT && DrawList[i].x == 390.0f &&
                   DrawList[i].y == 290.0f)
          << "a label at the mouse";
    ClickAt(400, 300);
    EXPECT_EQ(FindSceneObject("gbutton_cir"), 0);
    EXPECT_EQ(world.inventory.size(), 1u);
    EXPECT_TRUE(world.popup.active) << "the click was a wrong use instead";
  });
}

TEST_F(Scene, ExitsShowTheWalkCursorOfTheirScreenRegionOnlyOverVisiblePixels) {
  Run(1280, 1024, false, [] {
    ShowLevel("test");
    ASSERT_EQ(image_alpha_at("p_star", 1, 1), 0) << "the picture needs a clear corner";
    ASSERT_GT(image_alpha_at("p_star", 32, 32), 0);
    struct Case {
      float x, y;
      Cursor cursor;
    };
    for (const Case c : {Case{100, 300, Cursor::WalkLeft}, Case{900, 300, Cursor::WalkRight},
                         Case{500, 300, Cursor::WalkAhead}, Case{500, 560, Cursor::WalkBack},
                         Case{500, 660, Cursor::Arrow}}) {
      world.objects.clear();
      AddSceneObject("p_star", "area", c.x, c.y);
      EngineSetCursorLogical(c.x, c.y);
      GameSteps(1);
      EXPECT_EQ(world.cursor_drawn, c.cursor) << c.x << ", " << c.y;
      EXPECT_EQ(world.hoverName, "p_star");
      EngineSetCursorLogical(c.x - 31, c.y - 31);
      GameSteps(1);
      EXPECT_EQ(world.hoverName, "") << "the transparent corner is not the exit";
    }
    world.objects.clear();
    AddSceneObject("q_hroom", "area", 100, 300);
    AddSceneObject("p_star", "area", 100, 300);
    EngineSetCursorLogical(100, 300);
    GameSteps(1);
    EXPECT_EQ(world.cursor_drawn, Cursor::WalkLeft) << "an exit without a picture is never hit";
  });
}

TEST_F(Scene, WalkingThroughAnExitSavesThisLevelAndLoadsTheNext) {
  Run(1280, 1024, false, [] {
    CreateTester();
    WriteLevelCopy("star", {{"gbutton_cir", 300, 200, "item"}, {"p_glint", 100, 100, "zoomin"}});
    ShowLevel("test");
    AddSceneObject("ginv", "inactive", 50, 50);
    AddSceneObject("p_star", "area", 500, 700);
    ClickAt(500, 700);
    EXPECT_EQ(world.levelName, "star") << "an exit on the panel's height still leads away";
    ASSERT_EQ(world.objects.size(), 2u);
    EXPECT_TRUE(world.objects[0].glint);
    EXPECT_LE(world.objects[0].timer, 0.0f);
    EXPECT_GT(world.levelFade, 200);
    BlockTable saved;
    ReadObjectListFile(LevelCopyPath("test"), saved);
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[1].name, "p_star");
    GameSteps(64);
    EXPECT_EQ(world.levelFade, 0);

    // An exit to a level without a copy leaves the player where they were.
    ASSERT_GT(image_alpha_at("p_glint", 32, 32), 0);
    world.objects.clear();
    AddSceneObject("p_glint", "area", 500, 300);  // leads to "lint"
    ClickAt(500, 300);
    EXPECT_EQ(world.levelName, "star");
    ASSERT_EQ(world.objects.size(), 1u);
    EXPECT_EQ(world.objects[0].name, "p_glint");
    EXPECT_TRUE(EngineRunning());
  });
}

TEST_F(Scene, OnlyAllowedObjectsReactWhileTheTutorialHoldsTheLevel) {
  Run(1280, 1024, false, [] {
    ShowLevel("test");
    LoadLevelPictures("hotel");
    AddSceneObject("q_handle", "zoomin", 400, 300);
    // The tutorial's window stands over the level without taking the input.
    ielement* instructions = gui_get("wnd_instr");
    ASSERT_NE(instructions, nullptr);
    instructions->modal = false;
    instructions->visible = true;
    CurrentProfiles().options.tutorial_step = 2;
    ClickAt(400, 300);
    EXPECT_FALSE(world.interactive);
    EXPECT_FALSE(WindowVisible("wnd_zoomin"));
    CurrentProfiles().options.tutorial_step = 3;
    GameSteps(1);
    EXPECT_TRUE(world.interactive);
    ClickAt(400, 300);
    EXPECT_TRUE(WindowVisible("wnd_zoomin"));
    EXPECT_EQ(world.zoomin.name, "q_handle");
    EXPECT_EQ(world.zoomin.index, 0);
  });
}

TEST_F(Scene, PuzzlesAndCloseUpsOpenInTheirFramesAboveTheMiddle) {
  Run(1280, 1024, false, [] {
    ShowLevel("test");
    AddSceneObject("gbutton_cir", "puzzle", 400, 300);
    AddSceneObject("ginv", "zoomin", 700, 300);
    ClickAt(400, 300);
    ASSERT_TRUE(WindowVisible("wnd_puzzle"));
    EXPECT_EQ(world.puzzle.name, "gbutton_cir");
    EXPECT_FLOAT_EQ(world.puzzle.x, 137.0f);
    EXPECT_FLOAT_EQ(world.puzzle.y, 94.0f);
    EXPECT_FLOAT_EQ(world.puzzle.w, 750.0f);
    EXPECT_FLOAT_EQ(world.puzzle.h, 500.0f);
    ShowWindow("wnd_puzzle", false);
    OpenZoomIn(1, 512, 344);
    EXPECT_FALSE(WindowVisible("wnd_zoomin")) << "a close-up without its picture stays shut";
  });
}

TEST_F(Scene, GhostPhotographsFlyIntoTheDiaryAndColouredSymbolsShareOnePage) {
  Run(1280, 1024, false, [] {
    ShowLevel("test");
    world.diary.pages.append("default");
    world.diary.pages.append("csymbol_red");
    const ielement* diary_button = gui_get("btn_diary");
    const float tx = (diary_button ? gui_at(diary_button->parent).x + diary_button->x : 38) + 50;
    const float ty = (diary_button ? gui_at(diary_button->parent).y + diary_button->y : 653) + 24;
    AddSceneObject("csymbol_blue", "ghost_catch", tx + 8, ty);
    AddSceneObject("csymbol_blue", "ghost_catch", 0, 0);
    EXPECT_EQ(world.objects.size(), 1u) << "the same ghost is not photographed twice";
    AddSceneObject("hector", "ghost_catch", tx + 300, ty);
    GameSteps(1);
    ASSERT_EQ(world.diary.pages.size(), 2u);
    EXPECT_EQ(world.diary.pages[1], "csymbol_red_blue");
    EXPECT_EQ(world.diary.page, 2);
    EXPECT_TRUE(world.diary.news);
    ASSERT_EQ(world.objects.size(), 1u);
    EXPECT_EQ(world.objects[0].name, "hector");
    GameSteps(80);
    EXPECT_EQ(world.objects.size(), 0u);
    ASSERT_EQ(world.diary.pages.size(), 3u);
    EXPECT_EQ(world.diary.pages[2], "hector");
    EXPECT_EQ(world.diary.page, 3);
    EXPECT_EQ(DiaryIndexOf("hector"), 2);
    EXPECT_EQ(DiaryIndexOf("csymbol"), -1);
  });
}

TEST_F(Scene, EnteringTheHotelFirstOffersTheTutorialAndOpensTheFirstTask) {
  Run(1280, 1024, false, [] {
    CreateTester();
    WriteLevelCopy("hotel", {{"q_axe", 300, 200, "item"},
                             {"q_news", 10, 10, "static"},
                             {"q_picture", 10, 10, "static"},
                             {"q_case", 10, 10, "puzzle"}});
    world.view.zoom_x = 2.0f;
    world.documentMode = true;
    world.popup.active = true;
    world.levelName = "hotel";
    LoadLevel(false);
    EXPECT_EQ(world.tasks.get("task_house"), "main");
    EXPECT_TRUE(WindowVisible("wnd_instr"));
    EXPECT_FALSE(world.documentMode);
    EXPECT_FALSE(world.popup.active);
    EXPECT_FLOAT_EQ(world.view.zoom_x, 1.0f);
    ASSERT_EQ(world.objects.size(), 4u);
    EXPECT_TRUE(world.objects[0].glint);
    EXPECT_TRUE(world.objects[1].glint) << "the newspaper glints";
    EXPECT_FALSE(world.objects[2].glint);
    EXPECT_TRUE(world.objects[3].glint);
    LoadLevel(false);
    EXPECT_EQ(world.tasks.count(), 1) << "the task is opened once";

    ShowWindow("wnd_instr", false);
    CurrentProfiles().options.tutorial_offered = true;
    LoadLevel(false);
    EXPECT_FALSE(WindowVisible("wnd_instr"));
    CurrentProfiles().options.tutorial_step = 4;
    LoadLevel(false);
    EXPECT_TRUE(WindowVisible("wnd_instr")) << "a tutorial under way goes on";
  });
}

TEST_F(Scene, SavingTheGameWritesTheLevelShownToThePlayersCopy) {
  Run(1280, 1024, false, [] {
    CreateTester();
    WriteLevelCopy("star", {});
    ShowLevel("star");
    AddSceneObject("gbutton_cir", "item", 120, 130);
    SaveGame();
    BlockTable saved;
    ReadObjectListFile(LevelCopyPath("star"), saved);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].name, "gbutton_cir");
    EXPECT_EQ(saved[0].x, 120.0f);

    ReturnToMenu();
    EXPECT_TRUE(WindowVisible("wnd_menu"));
    EXPECT_FALSE(WindowVisible("wnd_game"));
  });
}

TEST_F(Scene, ADocumentTurnsItsPagesByClicksAndIsDoneOnTheLast) {
  Run(1280, 1024, false, [] {
    ShowLevel("test");
    world.documentMode = true;
    world.document.text = "first\nsecond";
    world.view.zoom_x = 2.0f;
    world.view.zoom_y = 2.0f;
    GameSteps(1);
    EXPECT_FALSE(WindowVisible("btn_pause")) << "the panel gives way to the document";
    ClickAt(500, 300);
    EXPECT_EQ(world.document.page, 1);
    EXPECT_FALSE(world.document.done);
    ClickAt(500, 300);
    EXPECT_EQ(world.document.page, 1);
    EXPECT_TRUE(world.document.done);
    world.documentMode = false;
    GameSteps(1);
    EXPECT_EQ(world.document.page, 0);
    EXPECT_FALSE(world.document.done);
    EXPECT_FLOAT_EQ(world.view.zoom_x, 1.0f);
  });
}

TEST_F(Scene, TheDevelopersKeysWorkOnlyForTheDevelopersProfile) {
  Run(1280, 1024, false, [] {
    ShowLevel("test");
    TapKey(key::kF1);
    EXPECT_FALSE(world.editMode) << "no developer word, no developer";
    CurrentProfiles().developer_word = game_strings.get("cheat");
    CurrentProfiles().current_player = "tester";
    TapKey(key::kF1);
    EXPECT_FALSE(world.editMode);
    CurrentProfiles().current_player = CurrentProfiles().developer_word;
    TapKey(key::kF1);
    EXPECT_TRUE(world.editMode);
    world.hintRecharging = true;
    world.hintCharge = 40.0f;
    TapKey(0x23);  // H: the recharge ends within the frame, with its sparks
    EXPECT_FALSE(world.hintRecharging);
    EXPECT_EQ(world.hintCharge, 0.0f);
    EXPECT_EQ(world.hintSparks.count, 26);
    TapKey(key::kF1);
    EXPECT_FALSE(world.editMode);
  });
}

namespace {

std::string MessageShown() {
  const ielement* memo = gui_get("memo_m");
  return WindowVisible("wnd_msg") && memo != nullptr ? memo->text : std::string();
}

std::string ShippedBytes(const char* level) {
  return ReadTextFile(std::filesystem::path(ShippedLevelPath(level)));
}

// On the bridge of a new game, with the stick picked up.
void OnTheBridgeWithTheStick() {
  CreateTester();
  ShowWindow("wnd_splash", false);
  ShowWindow("wnd_game", true);
  ASSERT_TRUE(ChangeLevel("bridge", LeaveLevel::AlreadySaved));
  ClickAt(380, 595);
  ASSERT_EQ(FindInventoryEntry("wooden_stick"), 0);
  GameSteps(150);
}

}  // namespace

TEST_F(Scene, ALevelThatCannotBeSavedKeepsThePlayerThereAndLosesNothing) {
  Run(1280, 1024, false, [] {
    OnTheBridgeWithTheStick();
    const std::filesystem::path profile(ProfileFilePath());
    const std::string profile_before = ReadTextFile(profile);

    // data.ini cannot be replaced: the bridge's copy is not written either,
    // so the stick stays in the copy while the inventory on disk lacks it.
    std::filesystem::rename(profile, profile.string() + ".away");
    std::filesystem::create_directories(profile / "in_the_way");
    ClickAt(90, 470);
    EXPECT_EQ(world.levelName, "bridge");
    EXPECT_EQ(MessageShown(), game_strings.get("save_failed"));
    EXPECT_EQ(ReadTextFile(LevelCopyPath("bridge")), ShippedBytes("bridge"));
    EXPECT_TRUE(EngineRunning());
    ShowWindow("wnd_msg", false);
    std::filesystem::remove_all(profile);
    std::filesystem::rename(profile.string() + ".away", profile);
    EXPECT_EQ(ReadTextFile(profile), profile_before);

    // The bridge's copy cannot be replaced: the profile is saved (with the
    // stick), the copy stays as it was, the player stays and is told.
    const std::filesystem::path copy(LevelCopyPath("bridge"));
    std::filesystem::remove(copy);
    std::filesystem::create_directories(copy / "in_the_way");
    ClickAt(90, 470);
    EXPECT_EQ(world.levelName, "bridge");
    EXPECT_EQ(MessageShown(), game_strings.get("save_failed"));
    EXPECT_NE(ReadTextFile(profile).find("name_0 = wooden_stick"), std::string::npos);
    EXPECT_TRUE(EngineRunning());
    ShowWindow("wnd_msg", false);
    std::filesystem::remove_all(copy);

    // Saving works again: the walk goes on and the two files agree.
    ClickAt(90, 470);
    EXPECT_EQ(world.levelName, "alley");
    EXPECT_EQ(ReadTextFile(copy).find("q_wooden_stick"), std::string::npos);
    EXPECT_FALSE(WindowVisible("wnd_msg"));
  });
}

TEST_F(Scene, ADamagedOrMissingLevelIsNeverEnteredHalfReadNorSavedEmpty) {
  Run(1280, 1024, false, [] {
    OnTheBridgeWithTheStick();
    const std::filesystem::path alley(LevelCopyPath("alley"));

    // A copy cut short while the game runs: the saved game starts afresh
    // from the shipped files at the start of the story, with word why.
    WriteTextFile(alley, "7\r\nq_gr\r\n514\r\n");
    ClickAt(90, 470);
    EXPECT_EQ(world.levelName, "intro");
    EXPECT_EQ(MessageShown(), game_strings.get("crash"));
    EXPECT_EQ(ReadTextFile(alley), ShippedBytes("alley"));
    EXPECT_EQ(ReadTextFile(LevelCopyPath("bridge")), ShippedBytes("bridge"));
    EXPECT_EQ(world.inventory.size(), 0u);
    BlockTable intro;
    ReadObjectListFile(ShippedLevelPath("intro"), intro);
    EXPECT_EQ(world.objects.size(), intro.size());
    EXPECT_TRUE(EngineRunning());
    ShowWindow("wnd_msg", false);

    // A level the game does not have, from the menu: the start, one message,
    // and no file of that name.
    ReturnToMenu();
    ASSERT_TRUE(ChangeLevel("bridge", LeaveLevel::AlreadySaved));
    ReturnToMenu();
    EXPECT_TRUE(ChangeLevel("zzzz", LeaveLevel::AlreadySaved));
    EXPECT_EQ(world.levelName, "intro");
    EXPECT_EQ(MessageShown(), game_strings.get("level_missing"));
    EXPECT_FALSE(std::filesystem::exists(LevelCopyPath("zzzz")));
    // Walking there, the player stays in the level they are in.
    ShowWindow("wnd_msg", false);
    ASSERT_TRUE(ChangeLevel("bridge", LeaveLevel::Save));
    EXPECT_FALSE(ChangeLevel("zzzz", LeaveLevel::Save));
    EXPECT_EQ(world.levelName, "bridge");
    EXPECT_EQ(ReadTextFile(LevelCopyPath("bridge")), ShippedBytes("bridge"));
  });
}
