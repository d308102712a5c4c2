// A player's progress in "data.ini" (diary, level, tasks, hints, inventory)
// and the start-up check that starts a player over whose level or scene
// copies are damaged, against real files in a temporary home.
#include "world/progress.h"

#include <gtest/gtest.h>


#include <filesystem>
#include <string>
#include <vector>

#include "engine/ini.h"
#include "profile/profiles.h"
#include "support/temp_files.h"
#include "world/world.h"

namespace {

namespace fs = std::filesystem;

class Progress : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeTempFolder("progress_test");
    ASSERT_FALSE(root_.empty());
    fs::create_directories(root_ / "home");
    ResetWorld();
    IniClear();
    IniResetRefusedPaths();
    Restart();
  }
  void TearDown() override {
    ResetProfiles();
    ResetWorld();
    IniClear();
    IniResetRefusedPaths();
    fs::remove_all(root_);
  }

  // A new run of the game: nothing in memory but what the disk holds.
  void Restart() {
    ResetProfiles();
    ResetWorld();
    IniClear();
    ASSERT_TRUE(PrepareSaveFolder((root_ / "home").string() + "/", "save"));
    CurrentProfiles().game_root = (root_ / "game").string() + "/";
  }
  void RestartAndLoad() {
    Restart();
    LoadPlayerList();
    LoadProfile();
  }

  fs::path PlayerFolder(const char* name) const { return root_ / "home/Quillmoor/save" / name; }
  fs::path DataIni() const { return root_ / "home/Quillmoor/save/data.ini"; }

  // The keys of a section of the saved file, in file order.
  std::vector<std::string> SavedKeys(const std::string& section) {
    IniClear();
    EXPECT_TRUE(IniLoad(DataIni().string()));
    for (const TIniSection& s : IniDocument().sections)
      if (s.name == section) {
        std::vector<std::string> keys;
        for (const TIniKey& k : s.keys) keys.push_back(k.name);
        return keys;
      }
    return {};
  }
  static void GiveInventory(int n) {
    world.inventory.clear();
    for (int i = 0; i < n; ++i) {
      world.inventory.append(SceneObject());
      world.inventory[i].name = "thing" + std::to_string(i);
      world.inventory[i].x = 412.5f + float(i);
      world.inventory[i].y = 700.0f;
      world.inventory[i].kind = i == 0 ? "select" : "normal";
    }
  }

  fs::path root_;
};

TEST_F(Progress, NewPlayerStartsAFreshGameAndWritesItAfterTheOptions) {
  ASSERT_EQ(CreatePlayer("Anna").outcome, CreatePlayerOutcome::Created);
  EXPECT_EQ(SavedKeys("Anna"),
            (std::vector<std::string>{"opt_mvolume", "opt_svolume", "opt_evolume",
                                      "opt_fullscreen", "opt_ccursor", "opt_tut", "opt_inum",
                                      "diary_max", "diary_page", "diary_page1", "lev_current",
                                      "tasks_count", "hint_press", "hint_pos"}));
  EXPECT_EQ(IniReadString("Anna", "diary_page1"), "default");
  EXPECT_EQ(IniReadString("Anna", "lev_current"), "intro");
  EXPECT_EQ(IniReadString("Anna", "hint_press"), "FALSE");
  EXPECT_EQ(SavedKeys("Anna_inv"), (std::vector<std::string>{"count"}));

  // A second player starts afresh whatever the first one carried.
  world.tasks.append("task_a", "main");
  GiveInventory(2);
  CurrentProfiles().current_level = "hotel";
  ASSERT_EQ(CreatePlayer("Bob").outcome, CreatePlayerOutcome::Created);
  EXPECT_EQ(world.tasks.count(), 0);
  EXPECT_EQ(world.inventory.size(), 0u);
  EXPECT_EQ(CurrentProfiles().current_level, "intro");
  ASSERT_EQ(world.diary.pages.size(), 1u);
  EXPECT_EQ(world.diary.page, 1);
}

TEST_F(Progress, TasksDiaryAndHintsSurviveARestart) {
  ASSERT_EQ(CreatePlayer("Anna").outcome, CreatePlayerOutcome::Created);
  world.tasks.append("task_key", "done");
  world.tasks.append("task_boat", "main");
  world.tasks.append("task_clock", "main");
  for (const char* page : {"p_hotel", "p_boat", "p_clock"}) world.diary.pages.append(page);
  world.diary.page = 2;
  CurrentProfiles().current_level = "crossroad";
  world.hintRecharging = true;
  world.hintCharge = 41.5f;
  ASSERT_TRUE(SaveProfile());

  EXPECT_EQ(IniReadInt("Anna", "tasks_count"), 3);
  EXPECT_EQ(IniReadString("Anna", "tasks_name2"), "task_clock");
  EXPECT_EQ(IniReadString("Anna", "tasks_res0"), "done");
  EXPECT_EQ(IniReadInt("Anna", "diary_max"), 4);
  EXPECT_EQ(IniReadInt("Anna", "diary_page"), 2);
  EXPECT_EQ(IniReadString("Anna", "diary_page4"), "p_clock");
  EXPECT_EQ(IniReadInt("Anna", "hint_pos"), 42);

  RestartAndLoad();
  ASSERT_EQ(world.tasks.count(), 3);
  EXPECT_EQ(world.tasks[0].key, "task_key");
  EXPECT_EQ(world.tasks[0].value, "done");
  EXPECT_EQ(world.tasks[2].key, "task_clock");
  EXPECT_EQ(world.tasks[2].value, "main");
  ASSERT_EQ(world.diary.pages.size(), 4u);
  EXPECT_EQ(world.diary.pages[0], "default");
  EXPECT_EQ(world.diary.pages[3], "p_clock");
  EXPECT_EQ(world.diary.page, 2);
  EXPECT_EQ(CurrentProfiles().current_level, "crossroad");
  EXPECT_TRUE(world.hintRecharging);
  EXPECT_FLOAT_EQ(world.hintCharge, 42.0f);
}

TEST_F(Progress, InventoryIsRewrittenWholeWithRoundedPositions) {
  ASSERT_EQ(CreatePlayer("Anna").outcome, CreatePlayerOutcome::Created);
  GiveInventory(5);
  ASSERT_TRUE(SaveProfile());
  EXPECT_EQ(IniReadInt("Anna_inv", "x_0"), 412);  // 412.5: halves go to the even neighbour
  EXPECT_EQ(IniReadInt("Anna_inv", "x_1"), 414);  // 413.5
  EXPECT_TRUE(IniIsKey("Anna_inv", "name_4"));

  world.inventory.remove_at(4);
  world.inventory.remove_at(3);
  ASSERT_TRUE(SaveProfile());
  EXPECT_EQ(SavedKeys("Anna_inv"),
            (std::vector<std::string>{"count", "name_0", "x_0", "y_0", "state_0", "name_1", "x_1",
                                      "y_1", "state_1", "name_2", "x_2", "y_2", "state_2"}));

  RestartAndLoad();
  ASSERT_EQ(world.inventory.size(), 3u);
  EXPECT_EQ(world.inventory[0].name, "thing0");
  EXPECT_FLOAT_EQ(world.inventory[0].x, 412.0f);
  EXPECT_FLOAT_EQ(world.inventory[0].y, 700.0f);
  EXPECT_EQ(world.inventory[0].kind, "select");
  EXPECT_EQ(world.inventory[2].kind, "normal");
}

TEST_F(Progress, ProfileWithoutProgressKeysStartsEmpty) {
  WriteTextFile(DataIni(),
        "[ players ]\r\nopt_plist = Anna\r\nopt_player = Anna\r\n\r\n"
        "[ Anna ]\r\nopt_mvolume = 30\r\nopt_fullscreen = TRUE\r\n");
  world.tasks.append("stale", "main");
  GiveInventory(2);
  LoadPlayerList();
  LoadProfile();
  EXPECT_EQ(CurrentProfiles().options.music_volume, 30);
  EXPECT_EQ(world.diary.pages.size(), 0u);
  EXPECT_EQ(world.diary.page, 1);
  EXPECT_EQ(CurrentProfiles().current_level, "");
  EXPECT_EQ(world.tasks.count(), 0);
  EXPECT_EQ(world.inventory.size(), 0u);
  EXPECT_FALSE(world.hintRecharging);
  EXPECT_FLOAT_EQ(world.hintCharge, 0.0f);
}

TEST_F(Progress, AHandEditedHintChargeIsKeptOnlyWithinARunningRecharge) {
  const auto load = [this](const char* hint) {
    WriteTextFile(DataIni(), std::string("[ players ]\r\nopt_plist = Anna\r\nopt_player = Anna\r\n"
                                         "\r\n[ Anna ]\r\n") + hint);
    RestartAndLoad();
  };
  load("hint_press = TRUE\r\nhint_pos = -7\r\n");
  EXPECT_TRUE(world.hintRecharging);
  EXPECT_FLOAT_EQ(world.hintCharge, 0.0f);
  // A charge with no recharge running would never run down.
  load("hint_press = FALSE\r\nhint_pos = 30\r\n");
  EXPECT_FALSE(world.hintRecharging);
  EXPECT_FLOAT_EQ(world.hintCharge, 0.0f);
}

TEST_F(Progress, HandEditedCountsStayWithinTheLists) {
  WriteTextFile(DataIni(),
        "[ players ]\r\nopt_plist = Anna\r\nopt_player = Anna\r\n\r\n"
        "[ Anna ]\r\ndiary_max = 2000000000\r\ndiary_page = 99\r\ntasks_count = 5000\r\n"
        "hint_press = TRUE\r\nhint_pos = 900\r\nlev_current = ../../elsewhere\r\n\r\n"
        "[ Anna_inv ]\r\ncount = 1000000\r\nname_0 = key\r\nx_0 = 5\r\n");
  LoadPlayerList();
  LoadProfile();
  EXPECT_EQ(world.diary.pages.size(), TF_list::capacity);
  EXPECT_EQ(world.diary.page, 99);
  EXPECT_EQ(world.tasks.count(), int(LOC_CAPACITY));
  // Only the entry that was written: a count past it brings no blank ones.
  ASSERT_EQ(world.inventory.size(), 1u);
  EXPECT_EQ(world.inventory[0].name, "key");
  EXPECT_FLOAT_EQ(world.hintCharge, 80.0f);
  EXPECT_EQ(CurrentProfiles().current_level, "");

  WriteTextFile(DataIni(),
        "[ players ]\r\nopt_plist = Anna\r\nopt_player = Anna\r\n\r\n"
        "[ Anna ]\r\ndiary_max = -4\r\ntasks_count = -1\r\n\r\n[ Anna_inv ]\r\ncount = -9\r\n");
  LoadProfile();
  EXPECT_EQ(world.diary.pages.size(), 0u);
  EXPECT_EQ(world.tasks.count(), 0);
  EXPECT_EQ(world.inventory.size(), 0u);
}

TEST_F(Progress, PlayerNotCreatedGetsThePreviousGameBack) {
  ASSERT_EQ(CreatePlayer("Anna").outcome, CreatePlayerOutcome::Created);
  world.tasks.append("task_key", "main");
  GiveInventory(1);
  ASSERT_TRUE(SaveProfile());
  // A folder where "data.ini" belongs: the next save cannot replace it.
  fs::remove(DataIni());
  fs::create_directories(DataIni());
  EXPECT_EQ(CreatePlayer("Bob").outcome, CreatePlayerOutcome::NotSaved);
  EXPECT_EQ(CurrentProfiles().current_player, "Anna");
  EXPECT_EQ(world.tasks.count(), 1);
  EXPECT_EQ(world.inventory.size(), 1u);
  EXPECT_FALSE(IniIsSection("Bob_inv"));
}

class PlayerFiles : public Progress {
 protected:
  void SetUp() override {
    Progress::SetUp();
    WriteTextFile(root_ / "game/data/levels/hotel.cfg", "1\r\nlev_door\r\n10\r\n20\r\narea\r\n");
    WriteTextFile(root_ / "game/data/levels/intro.cfg", "0\r\n");
    WriteTextFile(root_ / "game/data/scenes/hotel.cfg", "1\r\nh_cup\r\n1\r\n2\r\nitem\r\n");
    ASSERT_EQ(CreatePlayer("Anna").outcome, CreatePlayerOutcome::Created);
    CurrentProfiles().options.music_volume = 20;
    CurrentProfiles().current_level = "hotel";
    world.tasks.append("task_key", "main");
    GiveInventory(2);
    IniWriteString("Anna_data", "zoomin_q_box_1", "TRUE");
    ASSERT_TRUE(SaveProfile());
  }

  // After a recovery: a new game in memory and on disk, the options kept.
  void ExpectStartedOver() {
    EXPECT_EQ(CurrentProfiles().current_level, "intro");
    EXPECT_EQ(world.tasks.count(), 0);
    EXPECT_EQ(world.inventory.size(), 0u);
    ASSERT_EQ(world.diary.pages.size(), 1u);
    EXPECT_EQ(world.diary.pages[0], "default");
    EXPECT_EQ(CurrentProfiles().options.music_volume, 20);
    EXPECT_EQ(ReadTextFile(PlayerFolder("Anna") / "levels/hotel.cfg"),
              ReadTextFile(root_ / "game/data/levels/hotel.cfg"));
    RestartAndLoad();
    EXPECT_EQ(CurrentProfiles().current_level, "intro");
    EXPECT_EQ(world.inventory.size(), 0u);
    EXPECT_EQ(CurrentProfiles().options.music_volume, 20);
    EXPECT_FALSE(IniIsSection("Anna_data"));
  }
};

TEST_F(PlayerFiles, IntactCopiesChangeNothing) {
  const std::string saved = ReadTextFile(DataIni());
  RestartAndLoad();
  EXPECT_TRUE(VerifyPlayerFiles());
  EXPECT_EQ(CurrentProfiles().current_level, "hotel");
  EXPECT_EQ(world.inventory.size(), 2u);
  EXPECT_EQ(ReadTextFile(DataIni()), saved);
}

TEST_F(PlayerFiles, MissingLevelCopyStartsThePlayerOver) {
  fs::remove(PlayerFolder("Anna") / "levels/hotel.cfg");
  RestartAndLoad();
  EXPECT_FALSE(VerifyPlayerFiles());
  EXPECT_TRUE(fs::exists(PlayerFolder("Anna") / "levels/hotel.cfg"));
  ExpectStartedOver();
}

TEST_F(PlayerFiles, UnreadableSceneCopyStartsThePlayerOver) {
  WriteTextFile(PlayerFolder("Anna") / "scenes/hotel.cfg", "1\r\nh_cup\r\none\r\n2\r\nitem\r\n");
  RestartAndLoad();
  EXPECT_FALSE(VerifyPlayerFiles());
  EXPECT_EQ(ReadTextFile(PlayerFolder("Anna") / "scenes/hotel.cfg"),
            ReadTextFile(root_ / "game/data/scenes/hotel.cfg"));
  ExpectStartedOver();
}

TEST_F(PlayerFiles, MissingPlayerFolderStartsThePlayerOver) {
  fs::remove_all(PlayerFolder("Anna"));
  RestartAndLoad();
  EXPECT_FALSE(VerifyPlayerFiles());
  EXPECT_TRUE(fs::exists(PlayerFolder("Anna") / "scenes/hotel.cfg"));
  ExpectStartedOver();
}

TEST_F(PlayerFiles, NoCurrentPlayerIsNotChecked) {
  fs::remove_all(PlayerFolder("Anna"));
  Restart();
  EXPECT_TRUE(VerifyPlayerFiles());
  EXPECT_FALSE(fs::exists(PlayerFolder("Anna")));
}

}  // namespace
