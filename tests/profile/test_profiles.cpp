// Creating, choosing and deleting players against real files in a temporary
// home: the player list in "data.ini", the sections of each player and the
// player folders with their level and scene copies.
#include "profile/profiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>  // chdir: the game runs inside its root

#include <filesystem>
#include <string>
#include <vector>

#include "engine/ini.h"
#include "engine/log.h"
#include "engine/save_file.h"
#include "profile/player_folder.h"
#include "support/temp_files.h"

namespace {

namespace fs = std::filesystem;

class Profiles : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeTempFolder("profiles_test");
    ASSERT_FALSE(root_.empty());
    fs::create_directories(root_ / "home");
    fs::create_directories(root_ / "game");
    ResetProfiles();
    IniClear();
    IniResetRefusedPaths();
    ASSERT_TRUE(PrepareSaveFolder((root_ / "home").string() + "/", "save"));
    CurrentProfiles().game_root = (root_ / "game").string() + "/";
  }
  void TearDown() override {
    ResetProfiles();
    IniClear();
    IniResetRefusedPaths();
    fs::remove_all(root_);
  }

  fs::path ProfileFolder() const { return root_ / "home" / "Quillmoor" / "save"; }
  fs::path DataIni() const { return ProfileFolder() / "data.ini"; }

  static std::vector<std::string> Players() {
    const TF_list& list = CurrentProfiles().players;
    return {list.begin(), list.end()};
  }
  void CreateAll(std::initializer_list<const char*> names) {
    for (const char* name : names)
      ASSERT_EQ(CreatePlayer(name).outcome, CreatePlayerOutcome::Created) << name;
  }
  // What a fresh start of the game reads back from the disk.
  void Restart() {
    ResetProfiles();
    IniClear();
    ASSERT_TRUE(PrepareSaveFolder((root_ / "home").string() + "/", "save"));
    CurrentProfiles().game_root = (root_ / "game").string() + "/";
  }

  fs::path root_;
};

TEST_F(Profiles, NameDifferingOnlyInLetterCaseFindsTheExistingEntry) {
  CreateAll({"Anna", "Bob"});
  const std::string saved = ReadTextFile(DataIni());

  const CreatePlayerResult result = CreatePlayer("bOB");
  EXPECT_EQ(result.outcome, CreatePlayerOutcome::Exists);
  EXPECT_EQ(result.index, 1u);
  EXPECT_EQ(Players(), (std::vector<std::string>{"Anna", "Bob"}));
  EXPECT_EQ(CurrentProfiles().current_player, "Bob");
  EXPECT_EQ(ReadTextFile(DataIni()), saved);
  EXPECT_FALSE(fs::exists(ProfileFolder() / "bOB"));
}

TEST_F(Profiles, NinthPlayerIsRefusedAndTheListStaysAsItWas) {
  CreateAll({"p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8"});
  const std::string saved = ReadTextFile(DataIni());

  EXPECT_EQ(CreatePlayer("p9").outcome, CreatePlayerOutcome::Full);
  EXPECT_EQ(Players().size(), MAX_PLAYERS);
  EXPECT_EQ(CurrentProfiles().current_player, "p8");
  EXPECT_EQ(ReadTextFile(DataIni()), saved);
  EXPECT_FALSE(fs::exists(ProfileFolder() / "p9"));
}

TEST_F(Profiles, CreatedPlayerIsCurrentWithDefaultsAndSurvivesARestart) {
  CreateAll({"Anna"});
  CurrentProfiles().options.music_volume = 10;
  CreateAll({"Bob"});
  EXPECT_EQ(CurrentProfiles().options.music_volume, 75);

  Restart();
  LoadPlayerList();
  LoadProfile();
  EXPECT_EQ(Players(), (std::vector<std::string>{"Anna", "Bob"}));
  EXPECT_EQ(CurrentProfiles().current_player, "Bob");
  EXPECT_EQ(CurrentProfiles().options.music_volume, 75);
  EXPECT_TRUE(CurrentProfiles().options.fullscreen);
}

TEST_F(Profiles, DoubledAndTrailingSeparatorsGiveNoEmptyNames) {
  WriteTextFile(DataIni(), "[ players ]\r\nopt_plist = Anna//Bob/\r\nopt_player = Bob\r\n");
  LoadPlayerList();
  EXPECT_EQ(Players(), (std::vector<std::string>{"Anna", "Bob"}));
  EXPECT_EQ(CurrentProfiles().current_player, "Bob");

  // Written back without the stray separators.
  ASSERT_TRUE(SavePlayerList());
  IniClear();
  ASSERT_TRUE(IniLoad(DataIni().string()));
  EXPECT_EQ(IniReadString("players", "opt_plist"), "Anna/Bob");
}

TEST_F(Profiles, ANewPlayerStartsWithoutOldQuestStepsAndDeletingLeavesNoCopyOfThem) {
  WriteTextFile(DataIni(),
                "[ players ]\r\nopt_plist = Anna\r\nopt_player = Anna\r\n\r\n[ Bob_data ]\r\n"
                "zoomin_q_lamp_handle = TRUE\r\n\r\n[ Anna_data ]\r\na = 1\r\n\r\n"
                "[ Anna_data ]\r\nb = 2\r\n");
  LoadPlayerList();
  ASSERT_TRUE(IniIsSection("Bob_data"));
  ASSERT_EQ(CreatePlayer("Bob").outcome, CreatePlayerOutcome::Created);
  EXPECT_FALSE(IniIsSection("Bob_data"));
  ASSERT_TRUE(DeletePlayer("Anna"));
  EXPECT_FALSE(IniIsSection("Anna_data")) << "neither copy of a hand-edited file stays";
}

TEST_F(Profiles, DeletingTheCurrentPlayerMakesTheFirstRemainingCurrent) {
  CreateAll({"Anna", "Bob", "Cleo"});
  ASSERT_EQ(CurrentProfiles().current_player, "Cleo");
  ASSERT_TRUE(DeletePlayer("Cleo"));
  EXPECT_EQ(Players(), (std::vector<std::string>{"Anna", "Bob"}));
  EXPECT_EQ(CurrentProfiles().current_player, "Anna");
  EXPECT_FALSE(fs::exists(ProfileFolder() / "Cleo"));
  EXPECT_TRUE(fs::exists(ProfileFolder() / "Bob"));

  Restart();
  LoadPlayerList();
  EXPECT_EQ(Players(), (std::vector<std::string>{"Anna", "Bob"}));
  EXPECT_EQ(CurrentProfiles().current_player, "Anna");
}

TEST_F(Profiles, AfterDeletingTheCurrentPlayerTheNextSaveKeepsTheNewPlayersOwnOptions) {
  CreateAll({"Anna", "Cleo"});
  ASSERT_TRUE(ChoosePlayer("Anna"));
  CurrentProfiles().options.music_volume = 30;
  ASSERT_TRUE(SaveProfile());
  ASSERT_TRUE(ChoosePlayer("Cleo"));
  CurrentProfiles().options.music_volume = 90;
  ASSERT_TRUE(SaveProfile());

  ASSERT_TRUE(DeletePlayer("Cleo"));
  EXPECT_EQ(CurrentProfiles().options.music_volume, 30);
  ASSERT_TRUE(SaveProfile());
  EXPECT_EQ(IniReadInt("Anna", "opt_mvolume"), 30);
}

TEST_F(Profiles, DeletingTheLastPlayerLeavesAnEmptyPlayersSection) {
  CreateAll({"Anna"});
  ASSERT_TRUE(DeletePlayer("Anna"));
  EXPECT_TRUE(Players().empty());
  EXPECT_TRUE(CurrentProfiles().current_player.empty());

  IniClear();
  ASSERT_TRUE(IniLoad(DataIni().string()));
  EXPECT_TRUE(IniIsKey("players", "opt_plist"));
  EXPECT_EQ(IniReadString("players", "opt_plist"), "");
  EXPECT_EQ(IniReadString("players", "opt_player"), "");
  EXPECT_FALSE(IniIsSection("Anna"));
  EXPECT_FALSE(fs::exists(ProfileFolder() / "Anna"));
}

TEST_F(Profiles, DeletedPlayerTakesItsSectionsAndANewOneOfTheSameNameStartsClean) {
  CreateAll({"Anna", "Bob"});
  IniWriteString("Anna_data", "door_open", "TRUE");
  IniWriteInt("Anna_inv", "count", 2);
  IniWriteString("Bob_data", "door_open", "TRUE");
  ASSERT_TRUE(SaveProfile());

  // Every equal entry goes, even one a hand edit doubled.
  CurrentProfiles().players.append("Anna");
  ASSERT_TRUE(DeletePlayer("Anna"));
  EXPECT_EQ(Players(), (std::vector<std::string>{"Bob"}));

  Restart();
  LoadPlayerList();
  LoadProfile();
  EXPECT_FALSE(IniIsSection("Anna"));
  EXPECT_FALSE(IniIsSection("Anna_data"));
  EXPECT_FALSE(IniIsSection("Anna_inv"));
  EXPECT_EQ(IniReadString("Bob_data", "door_open"), "TRUE");

  CreateAll({"Anna"});
  EXPECT_FALSE(IniIsKey("Anna_data", "door_open"));
  EXPECT_EQ(IniReadInt("Anna", "opt_mvolume"), 75);
}

TEST_F(Profiles, DeletingWritesTheLogLine) {
  CreateAll({"Anna"});
  const fs::path log = root_ / "log.txt";
  ASSERT_TRUE(LogOpen(log.string(), 0.0));
  DeletePlayer("Anna");
  LogClose();
  EXPECT_NE(ReadTextFile(log).find("DELETED: " + ProfileFolder().string() + "/Anna\r\n"),
            std::string::npos)
      << ReadTextFile(log);
}

TEST_F(Profiles, SaveWithoutACurrentPlayerKeepsEveryProfileAndRemovesOnlyAnEmptiedFile) {
  CreateAll({"Anna", "Bob"});
  ASSERT_TRUE(fs::exists(DataIni()));
  // Players exist but none is chosen: every profile stays, the list is written.
  CurrentProfiles().current_player.clear();
  EXPECT_TRUE(SaveProfile());
  ASSERT_TRUE(fs::exists(DataIni()));
  const std::string text = ReadTextFile(DataIni());
  EXPECT_NE(text.find("[ Anna ]"), std::string::npos) << text;
  EXPECT_NE(text.find("Anna/Bob"), std::string::npos) << text;

  // A list that reads empty (a damaged header) takes nothing with it.
  CurrentProfiles().players.clear();
  EXPECT_TRUE(SaveProfile());
  EXPECT_EQ(ReadTextFile(DataIni()), text);

  // Only deleting the last player, with nothing else left, removes the file.
  CurrentProfiles().players.append("Bob");
  ASSERT_TRUE(DeletePlayer("Bob"));
  EXPECT_TRUE(SaveProfile());
  EXPECT_TRUE(fs::exists(DataIni()));
  IniDelete("Anna", "");
  IniDelete("Anna_inv", "");
  EXPECT_TRUE(SaveProfile());
  EXPECT_FALSE(fs::exists(DataIni()));
  // Nothing to remove is no failure either.
  EXPECT_TRUE(SaveProfile());
}

TEST_F(Profiles, ChoosingAPlayerLoadsItsOptionsAndSavesItAsCurrent) {
  CreateAll({"Anna", "Bob"});
  IniWriteInt("Anna", "opt_mvolume", 30);
  IniWriteBool("Anna", "opt_fullscreen", false);
  ASSERT_TRUE(SaveProfile());

  ASSERT_TRUE(ChoosePlayer("Anna"));
  EXPECT_EQ(CurrentProfiles().options.music_volume, 30);
  EXPECT_FALSE(CurrentProfiles().options.fullscreen);
  Restart();
  LoadPlayerList();
  EXPECT_EQ(CurrentProfiles().current_player, "Anna");

  EXPECT_FALSE(ChoosePlayer("Zed"));
  EXPECT_EQ(CurrentProfiles().current_player, "Anna");
}

TEST_F(Profiles, PlayerFolderHoldsFreshCopiesOfTheShippedLists) {
  const fs::path game = root_ / "game";
  WriteTextFile(game / "data/levels/intro.cfg", "1\r\ndoor\r\n10\r\n20\r\nitem\r\n");
  WriteTextFile(game / "data/levels/notes.txt", "not an object list");
  WriteTextFile(game / "data/scenes/hall.cfg", "0\r\n");
  CreateAll({"Anna"});
  const fs::path folder = ProfileFolder() / "Anna";
  EXPECT_EQ(ReadTextFile(folder / "levels/intro.cfg"), ReadTextFile(game / "data/levels/intro.cfg"));
  EXPECT_EQ(ReadTextFile(folder / "scenes/hall.cfg"), "0\r\n");
  EXPECT_FALSE(fs::exists(folder / "levels/notes.txt"));

  // A second fill replaces what the player changed.
  WriteTextFile(folder / "levels/intro.cfg", "changed");
  ASSERT_TRUE(CreatePlayerFolder("Anna"));
  EXPECT_EQ(ReadTextFile(folder / "levels/intro.cfg"), ReadTextFile(game / "data/levels/intro.cfg"));
}

TEST_F(Profiles, MissingShippedFoldersLeaveEmptySubfolders) {
  CreateAll({"Anna"});
  const fs::path folder = ProfileFolder() / "Anna";
  EXPECT_TRUE(fs::is_directory(folder / "levels"));
  EXPECT_TRUE(fs::is_directory(folder / "scenes"));
  EXPECT_TRUE(fs::is_empty(folder / "levels"));
}

TEST_F(Profiles, PlayerFolderThatCannotBeMadeIsReported) {
  WriteTextFile(ProfileFolder() / "Anna", "a file where the folder belongs");
  EXPECT_EQ(CreatePlayer("Anna").outcome, CreatePlayerOutcome::FolderIncomplete);
  // The profile itself was saved; the start-up check repairs the folder.
  EXPECT_EQ(Players(), (std::vector<std::string>{"Anna"}));
}

TEST_F(Profiles, FailedSaveIsReportedAndThePlayerIsNotCreated) {
  // A folder where "data.ini" belongs can be neither read nor replaced.
  fs::create_directories(DataIni());
  LoadPlayerList();
  const CreatePlayerResult result = CreatePlayer("Anna");
  EXPECT_EQ(result.outcome, CreatePlayerOutcome::NotSaved);
  EXPECT_TRUE(Players().empty());
  EXPECT_TRUE(CurrentProfiles().current_player.empty());
  EXPECT_FALSE(IniIsSection("Anna"));
  EXPECT_FALSE(fs::exists(ProfileFolder() / "Anna"));
  EXPECT_TRUE(fs::is_directory(DataIni()));
}

TEST_F(Profiles, NamesThatAreNotLettersAndDigitsAreNeverUsed) {
  CreateAll({"Anna"});
  const std::string saved = ReadTextFile(DataIni());
  WriteTextFile(root_ / "home" / "Quillmoor" / "keep.txt", "outside the profile folder");
  for (const char* name : {"", "..", ".", "a/b", "../save", "two words", "Anna ", "An\r\nna"}) {
    EXPECT_EQ(CreatePlayer(name).outcome, CreatePlayerOutcome::Invalid) << name;
    EXPECT_FALSE(DeletePlayer(name)) << name;
    EXPECT_FALSE(ChoosePlayer(name)) << name;
    EXPECT_FALSE(CreatePlayerFolder(name)) << name;
  }
  EXPECT_EQ(Players(), (std::vector<std::string>{"Anna"}));
  EXPECT_EQ(CurrentProfiles().current_player, "Anna");
  EXPECT_EQ(ReadTextFile(DataIni()), saved);
  EXPECT_TRUE(fs::exists(root_ / "home" / "Quillmoor" / "keep.txt"));
  EXPECT_TRUE(fs::is_directory(ProfileFolder() / "Anna" / "levels"));
  EXPECT_FALSE(fs::exists(root_ / "home" / "Quillmoor" / "save" / "a"));
}

TEST_F(Profiles, NothingIsWrittenOrRemovedBeforeTheProfileFolderIsKnown) {
  // Without a profile folder the player paths would point into the game root.
  const fs::path game = root_ / "game";
  WriteTextFile(game / "data/levels/intro.cfg", "0");
  const fs::path was = fs::current_path();
  ASSERT_EQ(::chdir(game.c_str()), 0);
  ResetProfiles();
  EXPECT_FALSE(DeletePlayer("data"));
  EXPECT_EQ(CreatePlayer("Anna").outcome, CreatePlayerOutcome::NotSaved);
  EXPECT_FALSE(CreatePlayerFolder("Anna"));
  CurrentProfiles().current_player = "Anna";
  EXPECT_FALSE(SaveProfile());
  EXPECT_FALSE(SavePlayerList());
  const bool data_kept = fs::exists(game / "data/levels/intro.cfg");
  const bool nothing_new = !fs::exists(game / "data.ini") && !fs::exists(game / "Anna");
  ASSERT_EQ(::chdir(was.c_str()), 0);
  EXPECT_TRUE(data_kept);
  EXPECT_TRUE(nothing_new);
}

TEST_F(Profiles, SaveFolderNameFromTheTextsStaysOneFolderBelowOurs) {
  for (const char* good : {"Moorhouse", "My Saves", "save_1.2-b", "...x"})
    EXPECT_TRUE(IsSafeFolderName(good)) << good;
  for (const char* bad : {"", ".", "..", "../up", "a/b", "tab\there", "caf\xc3\xa9"})
    EXPECT_FALSE(IsSafeFolderName(bad)) << bad;

  ResetProfiles();
  EXPECT_FALSE(PrepareSaveFolder((root_ / "home").string() + "/", ".."));
  EXPECT_TRUE(CurrentProfiles().profile_folder.empty());
  // A file where a folder belongs is not a profile folder either.
  WriteTextFile(root_ / "home2" / "Quillmoor", "");
  EXPECT_FALSE(PrepareSaveFolder((root_ / "home2").string() + "/", "save"));
  EXPECT_TRUE(CurrentProfiles().profile_folder.empty());
}

TEST_F(Profiles, FolderTreeRemovalTakesLinksButNeverWhatTheyPointAt) {
  const fs::path outside = root_ / "outside";
  WriteTextFile(outside / "treasure.txt", "keep me");
  const fs::path tree = ProfileFolder() / "Anna";
  WriteTextFile(tree / "levels" / "intro.cfg", "0");
  WriteTextFile(tree / "deep" / "er" / "still.cfg", "0");
  fs::create_directory_symlink(outside, tree / "levels" / "link_to_folder");
  fs::create_symlink(outside / "treasure.txt", tree / "link_to_file");
  fs::create_symlink(root_ / "nowhere", tree / "dangling");

  DeleteFolderTree(tree.string());
  EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
  EXPECT_EQ(ReadTextFile(outside / "treasure.txt"), "keep me");

  // A link standing in for the whole folder goes as a link.
  fs::create_directory_symlink(outside, tree);
  DeleteFolderTree(tree.string());
  EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
  EXPECT_EQ(ReadTextFile(outside / "treasure.txt"), "keep me");

  // Nothing there is no failure.
  DeleteFolderTree((root_ / "missing").string());
}

}  // namespace
