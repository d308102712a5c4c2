// Object-list files: the text format of levels and hidden-object scenes, and
// the changes made to a player's copy of a level that is not loaded, against
// real files in a temporary profile folder.
#include "world/object_list.h"

#include <gtest/gtest.h>


#include <cmath>
#include <filesystem>
#include <string>

#include "engine/ini.h"
#include "profile/profiles.h"
#include "support/temp_files.h"
#include "world/world.h"

namespace {

namespace fs = std::filesystem;

BlockTable Parse(std::string_view bytes) {
  BlockTable blocks;
  ParseObjectList(bytes, blocks, "test");
  return blocks;
}

BlockTable Blocks(std::initializer_list<ObjectBlock> list) {
  BlockTable blocks;
  for (const ObjectBlock& b : list) blocks.append(b);
  return blocks;
}

std::string ManyBlocks(int declared, int present) {
  std::string text = std::to_string(declared) + "\n";
  for (int i = 0; i < present; ++i) text += "o" + std::to_string(i) + "\n1\n2\nstatic\n";
  return text;
}

TEST(ObjectListFormat, EmptyLevelReadsAndWritesAsOneLine) {
  EXPECT_EQ(Parse("0\r\n").size(), 0u);
  EXPECT_EQ(Parse("0").size(), 0u);
  EXPECT_EQ(FormatObjectList(Parse("0\n")), "0\r\n");
}

TEST(ObjectListFormat, PositionsAreReadAsRealsAndWrittenRoundedHalfToEven) {
  const BlockTable blocks = Parse(
      "4\r\na\r\n100.5\r\n101.5\r\nitem\r\n"
      "b\r\n412.5\r\n-0.5\r\nstatic\r\n"
      "c\r\n-1.5\r\n-2.5\r\nzoomin\r\n"
      "d\r\n2.4999\r\n-7.51\r\narea\r\n");
  ASSERT_EQ(blocks.size(), 4u);
  EXPECT_FLOAT_EQ(blocks[0].x, 100.5f);
  EXPECT_FLOAT_EQ(blocks[0].y, 101.5f);
  EXPECT_EQ(FormatObjectList(blocks),
            "4\r\na\r\n100\r\n102\r\nitem\r\n"
            "b\r\n412\r\n0\r\nstatic\r\n"
            "c\r\n-2\r\n-2\r\nzoomin\r\n"
            "d\r\n2\r\n-8\r\narea\r\n");
  // A position that is no number is saved as 0, so the file stays readable.
  const BlockTable odd = Blocks({{"e", std::nanf(""), -INFINITY, "item"}});
  EXPECT_EQ(FormatObjectList(odd), "1\r\ne\r\n0\r\n0\r\nitem\r\n");
}

TEST(ObjectListFormat, LinesEndInLfOrCrLfAndTextIsTakenWhole) {
  // Mixed line ends; blanks around names and kinds stay; a CR inside a line
  // stays; after a number the rest of its line is skipped.
  const BlockTable blocks = Parse(
      "2 objects\n  lev_door \r\n  12.25 px\n+3e1\r\n cstatic\n"
      "a\rb\n-4\n.5\r\nkind\r");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].name, "  lev_door ");
  EXPECT_FLOAT_EQ(blocks[0].x, 12.25f);
  EXPECT_FLOAT_EQ(blocks[0].y, 30.0f);
  EXPECT_EQ(blocks[0].kind, " cstatic");
  EXPECT_EQ(blocks[1].name, "a\rb");
  EXPECT_FLOAT_EQ(blocks[1].y, 0.5f);
  EXPECT_EQ(blocks[1].kind, "kind");

  // What was written reads back as the same blocks, and writes the same text.
  const std::string text = FormatObjectList(blocks);
  EXPECT_EQ(FormatObjectList(Parse(text)), text);
  const BlockTable odd = Blocks({{"ends in CR\r", 1, 2, ""}, {"", -3, 4, "\r"}});
  const BlockTable back = Parse(FormatObjectList(odd));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].name, "ends in CR\r");
  EXPECT_EQ(back[0].kind, "");
  EXPECT_EQ(back[1].name, "");
  EXPECT_EQ(back[1].kind, "\r");
}

TEST(ObjectListFormat, MalformedListsRaiseTheErrorAndKeepTheBlocksReadSoFar) {
  for (const char* bad : {
           "",                                       // no count
           "\r\n",                                   // empty count line
           "two\r\n",                                // count is not a number
           "2.0\r\n",                                // nor a fraction
           "-1\r\n",                                 // negative
           "99999999999\r\n",                        // absurd
           "3000000000\r\n",                         // beyond any list
           "1\r\n",                                  // block missing
           "1\r\ndoor\r\n",                          // x missing
           "1\r\ndoor\r\n10\r\n20\r\n",              // kind missing
           "1\r\ndoor\r\nten\r\n20\r\nitem\r\n",     // x not a number
           "1\r\ndoor\r\n\r\n20\r\nitem\r\n",        // x empty
           "1\r\ndoor\r\n10x\r\n20\r\nitem\r\n",     // junk glued to the number
           "1\r\ndoor\r\n10\r\nnan\r\nitem\r\n",     // not finite
           "1\r\ndoor\r\n10\r\ninf\r\nitem\r\n",
           "1\r\ndoor\r\n1e39\r\n20\r\nitem\r\n",    // beyond a float
       }) {
    BlockTable blocks;
    EXPECT_THROW(ParseObjectList(bad, blocks, "bad.cfg"), ObjectListError) << bad;
  }
  BlockTable blocks;
  try {
    ParseObjectList("3\nfirst\n1\n2\nitem\nsecond\n3\n4\nitem\nthird\n5\n", blocks, "cut.cfg");
    ADD_FAILURE() << "a cut list was read";
  } catch (const ObjectListError& error) {
    EXPECT_NE(std::string(error.what()).find("cut.cfg"), std::string::npos) << error.what();
  }
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[1].name, "second");
}

TEST(ObjectListFormat, MoreThanALevelHoldsKeepsTheFirstBlocks) {
  BlockTable blocks;
  EXPECT_EQ(ParseObjectList(ManyBlocks(131, 131), blocks, "big.cfg"), 131u);
  ASSERT_EQ(blocks.size(), MAX_OBJECTS);
  EXPECT_EQ(blocks[128].name, "o128");
  // The blocks past the capacity are still checked.
  EXPECT_THROW(ParseObjectList(ManyBlocks(131, 130), blocks, "big.cfg"), ObjectListError);
}

TEST(ObjectListFormat, LevelNamesThatCouldLeaveTheirFolderAreRefused) {
  EXPECT_TRUE(IsSafeLevelName("hotel"));
  EXPECT_TRUE(IsSafeLevelName("q_lab-2"));
  for (const char* name : {"", "..", "a/b", "../x", "Hotel", "two words", "a.cfg", "x\n"})
    EXPECT_FALSE(IsSafeLevelName(name)) << name;
}

class SavedLevels : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeTempFolder("object_list_test");
    ASSERT_FALSE(root_.empty());
    ResetProfiles();
    ResetWorld();
    IniClear();
    IniResetRefusedPaths();
    ASSERT_TRUE(PrepareSaveFolder(root_.string() + "/", "save"));
    CurrentProfiles().game_root = (root_ / "game").string() + "/";
    CurrentProfiles().players.append("Anna");
    CurrentProfiles().current_player = "Anna";
    fs::create_directories(Copies());
    fs::create_directories(root_ / "Quillmoor/save/Anna/scenes");
    fs::create_directories(root_ / "game/data/levels");
  }
  void TearDown() override {
    ResetProfiles();
    ResetWorld();
    IniClear();
    fs::remove_all(root_);
  }

  fs::path Copies() const { return root_ / "Quillmoor/save/Anna/levels"; }

  fs::path root_;
};

TEST_F(SavedLevels, FindCountsBlocksFromZero) {
  WriteTextFile(Copies() / "hotel.cfg", "3\nkey\n1\n2\nitem\nlamp\n3\n4\nstatic\nkey\n5\n6\nitem\n");
  EXPECT_EQ(FindInSavedLevel("hotel", "key"), 0);
  EXPECT_EQ(FindInSavedLevel("hotel", "lamp"), 1);
  EXPECT_EQ(FindInSavedLevel("hotel", "Key"), -1);
  EXPECT_THROW(FindInSavedLevel("garden", "key"), ObjectListError);
  EXPECT_THROW(FindInSavedLevel("../levels/hotel", "key"), ObjectListError);
}

TEST_F(SavedLevels, RemoveTakesOnlyTheFirstOfTwoEqualNamesAndRoundsTheRest) {
  WriteTextFile(Copies() / "hotel.cfg", "3\nkey\n1.5\n2\nitem\nlamp\n2.5\n4\nstatic\nkey\n5\n6.5\nitem\n");
  RemoveFromSavedLevel("hotel", "key");
  EXPECT_EQ(ReadTextFile(Copies() / "hotel.cfg"), "2\r\nlamp\r\n2\r\n4\r\nstatic\r\nkey\r\n5\r\n6\r\nitem\r\n");
  // No match: the same list, written anew.
  WriteTextFile(Copies() / "hotel.cfg", "1\nlamp\n7.5\n8\nstatic");
  RemoveFromSavedLevel("hotel", "chair");
  EXPECT_EQ(ReadTextFile(Copies() / "hotel.cfg"), "1\r\nlamp\r\n8\r\n8\r\nstatic\r\n");
}

TEST_F(SavedLevels, AddAppendsABlockAndRewritesTheWholeList) {
  WriteTextFile(Copies() / "hotel.cfg", "1\nlamp\n0.5\n1.5\nstatic\n");
  AddToSavedLevel("hotel", "i_key", 412.5f, -3.5f, "item");
  EXPECT_EQ(ReadTextFile(Copies() / "hotel.cfg"),
            "2\r\nlamp\r\n0\r\n2\r\nstatic\r\ni_key\r\n412\r\n-4\r\nitem\r\n");
  // A name with a line break would shift every later block: not written.
  EXPECT_THROW(AddToSavedLevel("hotel", "a\nb", 1, 2, "item"), ObjectListError);
  EXPECT_EQ(FindInSavedLevel("hotel", "i_key"), 1);
}

TEST_F(SavedLevels, FullOrOverfullCopiesAreNeverCutDown) {
  const std::string full = ManyBlocks(129, 129);
  WriteTextFile(Copies() / "full.cfg", full);
  AddToSavedLevel("full", "extra", 1, 2, "item");
  EXPECT_EQ(ReadTextFile(Copies() / "full.cfg"), full);

  const std::string overfull = ManyBlocks(131, 131);
  WriteTextFile(Copies() / "over.cfg", overfull);
  RemoveFromSavedLevel("over", "o0");
  AddToSavedLevel("over", "extra", 1, 2, "item");
  EXPECT_EQ(ReadTextFile(Copies() / "over.cfg"), overfull);
}

TEST_F(SavedLevels, LevelObjectsGoToTheCopyAndComeBackWithFreshRecords) {
  world.levelName = "hotel";
  WriteTextFile(root_ / "game/data/levels/hotel.cfg", "1\nshipped\n1\n2\nstatic\n");
  ReadLevelObjects(true);
  ASSERT_EQ(world.objects.size(), 1u);
  EXPECT_EQ(world.objects[0].name, "shipped");
  EXPECT_EQ(CurrentProfiles().current_level, "");  // the shipped file is not the player's

  world.objects[0].x = 100.5f;
  world.objects[0].state = 7;
  world.objects[0].glint = true;
  WriteLevelObjects(false);
  EXPECT_EQ(ReadTextFile(Copies() / "hotel.cfg"), "1\r\nshipped\r\n100\r\n2\r\nstatic\r\n");
  // The profile was saved with it.
  EXPECT_TRUE(fs::exists(root_ / "Quillmoor/save/data.ini"));

  ReadLevelObjects(false);
  ASSERT_EQ(world.objects.size(), 1u);
  EXPECT_FLOAT_EQ(world.objects[0].x, 100.0f);
  EXPECT_EQ(world.objects[0].state, 0);
  EXPECT_FALSE(world.objects[0].glint);
  EXPECT_EQ(CurrentProfiles().current_level, "hotel");
}

TEST_F(SavedLevels, DamagedCopyLeavesTheLevelInMemoryWhole) {
  world.levelName = "hotel";
  world.objects.append(SceneObject());
  world.objects[0].name = "lamp";
  WriteTextFile(Copies() / "hotel.cfg", "3\nfirst\n1\n2\nitem\nsecond\nx\n4\nitem\n");
  EXPECT_THROW(ReadLevelObjects(false), ObjectListError);
  ASSERT_EQ(world.objects.size(), 1u);
  EXPECT_EQ(world.objects[0].name, "lamp");
  EXPECT_EQ(CurrentProfiles().current_level, "");
}

TEST_F(SavedLevels, SceneObjectsUseTheScenesFolder) {
  world.levelName = "hotel";
  world.sceneObjects.append(SceneObject());
  world.sceneObjects[0].name = "h_cup";
  world.sceneObjects[0].x = 1.5f;
  world.sceneObjects[0].kind = "item";
  WriteSceneObjects(false);
  EXPECT_EQ(ReadTextFile(root_ / "Quillmoor/save/Anna/scenes/hotel.cfg"),
            "1\r\nh_cup\r\n2\r\n0\r\nitem\r\n");
  world.sceneObjects.clear();
  ReadSceneObjects(false);
  ASSERT_EQ(world.sceneObjects.size(), 1u);
  EXPECT_EQ(world.sceneObjects[0].name, "h_cup");
}

TEST_F(SavedLevels, UnsafeLevelNameTouchesNoFile) {
  world.levelName = "../Anna/levels/x";
  world.objects.append(SceneObject());
  EXPECT_THROW(WriteLevelObjects(false), ObjectListError);
  EXPECT_THROW(ReadLevelObjects(false), ObjectListError);
  EXPECT_EQ(world.objects.size(), 1u);
  EXPECT_TRUE(fs::is_empty(Copies()));
}

}  // namespace
