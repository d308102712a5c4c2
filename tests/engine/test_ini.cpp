// The INI document: its text format, the operations on the global document,
// and loading and saving the profile file.
#include "engine/ini.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/name_hash.h"
#include "support/temp_files.h"

namespace {

namespace fs = std::filesystem;

TIniDoc Parsed(std::string_view bytes) {
  TIniDoc doc;
  IniParse(doc, bytes);
  return doc;
}

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class Ini : public ::testing::Test {
 protected:
  void SetUp() override {
    IniClear();
    IniResetRefusedPaths();
    folder_ = MakeTempFolder("ini_test");
    ASSERT_FALSE(folder_.empty());
  }
  // Loads text into the document the way the game does, through a file.
  void LoadText(std::string_view text) {
    const fs::path path = folder_ / "loaded.ini";
    std::ofstream(path, std::ios::binary) << text;
    ASSERT_TRUE(IniLoad(path.string()));
  }
  void TearDown() override {
    IniClear();
    IniResetRefusedPaths();
    fs::remove_all(folder_);
  }
  fs::path folder_;
};

}  // namespace

TEST_F(Ini, KeysAfterASecondHeaderOfTheSameNameAreHiddenFromReads) {
  LoadText("[a]\nx=1\n[b]\n[a]\nx=2\ny=3\n");
  ASSERT_EQ(IniDocument().sections.size(), 3u);
  EXPECT_EQ(IniDocument().sections[2].keys.size(), 2u);
  EXPECT_EQ(IniReadInt("a", "x"), 1);
  EXPECT_FALSE(IniIsKey("a", "y"));
}

TEST(IniFormat, LineRulesForCommentsHeadersAndKeys) {
  const TIniDoc doc = Parsed(
      "lost = before any section\n"
      "[  main ]\r\n"
      "\r\n"
      "; a comment\n"
      " ;not = a comment\n"
      "  [boxed]\n"
      "spaced  =  value with = and ; and [x]  \n"
      "tight=\tvalue\t\n"
      "no equals sign here  \n"
      "last=line");
  ASSERT_EQ(doc.sections.size(), 1u);
  const TIniSection& main = doc.sections[0];
  EXPECT_EQ(main.name, "main");
  EXPECT_EQ(main.hash, name_hash("main"));
  ASSERT_EQ(main.keys.size(), 6u);
  EXPECT_EQ(main.keys[0].name, ";not");
  EXPECT_EQ(main.keys[1].name, "");
  EXPECT_EQ(main.keys[1].value, "[boxed]");
  EXPECT_EQ(main.keys[2].name, "spaced");
  EXPECT_EQ(main.keys[2].value, "value with = and ; and [x]");
  EXPECT_EQ(main.keys[3].name, "tight");
  EXPECT_EQ(main.keys[3].value, "\tvalue\t");
  EXPECT_EQ(main.keys[4].name, "");
  EXPECT_EQ(main.keys[4].value, "no equals sign here");
  EXPECT_EQ(main.keys[5].value, "line");
}

TEST(IniFormat, HeadersSurviveAByteOrderMarkAndStrayBlanksOrTabs) {
  const TIniDoc doc = Parsed("\xEF\xBB\xBF[ players ]\r\na=1\r\n[\tAnn \t] \t\r\nb=2\r\n[x]y\r\n");
  ASSERT_EQ(doc.sections.size(), 2u);
  EXPECT_EQ(doc.sections[0].name, "players");
  EXPECT_EQ(doc.sections[1].name, "Ann");
  // Text after the closing bracket still makes a key line.
  ASSERT_EQ(doc.sections[1].keys.size(), 2u);
  EXPECT_EQ(doc.sections[1].keys[1].value, "[x]y");
}

TEST(IniFormat, OnlyTheCrBeforeLfBelongsToTheLineEnd) {
  const TIniDoc doc = Parsed("[s]\r\na=1\r\r\nb=2\r");
  ASSERT_EQ(doc.sections[0].keys.size(), 2u);
  EXPECT_EQ(doc.sections[0].keys[0].value, "1\r");
  EXPECT_EQ(doc.sections[0].keys[1].value, "2\r");
}

TEST(IniFormat, WritesBlankedBracketsCrLfAndOneEmptyLineBetweenSections) {
  const TIniDoc doc = Parsed("[one]\na=1\nb = two words\n[two]\n[three]\nc=\n");
  const std::string text = IniSerialize(doc);
  EXPECT_EQ(text,
            "[ one ]\r\na = 1\r\nb = two words\r\n\r\n"
            "[ two ]\r\n\r\n"
            "[ three ]\r\nc = \r\n");
  const TIniDoc again = Parsed(text);
  ASSERT_EQ(again.sections.size(), 3u);
  EXPECT_EQ(again.sections[0].keys[1].value, "two words");
  EXPECT_EQ(again.sections[2].keys[0].name, "c");
  EXPECT_EQ(IniSerialize(again), text);
  EXPECT_EQ(IniSerialize(TIniDoc{}), "");
}

TEST_F(Ini, ReadsConvertNumbersAndTruthStrictly) {
  LoadText("[n]\nlow=-2147483648\nhigh=2147483647\nover=2147483648\n"
           "letters=12ab\nplus=+5\nempty=\nzeros=007\n"
           "[b]\nt1=true\nt2=True\nt3=1\nf1=yes\nf2=0\nf3=TRUE1\n");
  EXPECT_EQ(IniReadInt("n", "low"), INT32_MIN);
  EXPECT_EQ(IniReadInt("n", "high"), INT32_MAX);
  EXPECT_EQ(IniReadInt("n", "zeros"), 7);
  for (const char* zero : {"over", "letters", "plus", "empty", "absent"}) {
    EXPECT_EQ(IniReadInt("n", zero), 0) << zero;
  }
  for (const char* yes : {"t1", "t2", "t3"}) EXPECT_TRUE(IniReadBool("b", yes)) << yes;
  for (const char* no : {"f1", "f2", "f3", "absent"}) EXPECT_FALSE(IniReadBool("b", no)) << no;
  EXPECT_EQ(IniReadString("absent", "x"), "");
}

TEST_F(Ini, WritersAppendNewSectionsAndKeysAtTheEnd) {
  EXPECT_FALSE(IniWriteString("opt", "music", "80"));
  EXPECT_FALSE(IniWriteBool("opt", "full", true));
  EXPECT_FALSE(IniWriteInt("later", "score", -15));
  EXPECT_TRUE(IniWriteInt("opt", "music", 0));
  EXPECT_TRUE(IniAdd("opt", "music"));
  EXPECT_EQ(IniSerialize(IniDocument()),
            "[ opt ]\r\nmusic = 0\r\nfull = TRUE\r\n\r\n[ later ]\r\nscore = -15\r\n");
}

TEST_F(Ini, DeleteRemovesAKeyOrAWholeSection) {
  LoadText("[a]\nx=1\ny=2\nz=3\n[b]\nk=v\n[c]\n");
  IniDelete("a", "y");
  IniDelete("a", "missing");
  IniDelete("missing", "");
  EXPECT_EQ(IniSerialize(IniDocument()),
            "[ a ]\r\nx = 1\r\nz = 3\r\n\r\n[ b ]\r\nk = v\r\n\r\n[ c ]\r\n");
  IniDelete("b", "");
  EXPECT_FALSE(IniIsSection("b"));
  ASSERT_EQ(IniDocument().sections.size(), 2u);
  EXPECT_EQ(IniDocument().sections[1].name, "c");
}

TEST_F(Ini, NamesWithTheSameHashStayDistinct) {
  ASSERT_EQ(name_hash("step10078"), name_hash("step90000"));
  IniWriteString("step10078", "step10078", "a");
  IniWriteString("step10078", "step90000", "b");
  EXPECT_FALSE(IniIsSection("step90000"));
  EXPECT_EQ(IniReadString("step10078", "step10078"), "a");
  EXPECT_EQ(IniReadString("step10078", "step90000"), "b");
  EXPECT_FALSE(IniWriteString("step90000", "x", "c"));
  EXPECT_EQ(IniDocument().sections.size(), 2u);
}

TEST_F(Ini, WritersRefuseLineBreaksAndChangeNothing) {
  IniWriteString("s", "k", "old");
  EXPECT_FALSE(IniWriteString("s", "k", "two\nlines"));
  EXPECT_FALSE(IniWriteString("s", "k\r", "x"));
  EXPECT_FALSE(IniWriteInt("new\n", "k", 1));
  EXPECT_FALSE(IniAdd("s", "a\nb"));
  EXPECT_EQ(IniSerialize(IniDocument()), "[ s ]\r\nk = old\r\n");
}

TEST_F(Ini, SaveAndLoadGiveBackTheDocument) {
  const fs::path path = folder_ / "data.ini";
  IniWriteString("_data", "level", "lodge");
  IniWriteInt("_data", "hints", 3);
  ASSERT_TRUE(IniSave(path.string()));
  EXPECT_EQ(FileText(path), "[ _data ]\r\nlevel = lodge\r\nhints = 3\r\n");
  IniClear();
  EXPECT_EQ(IniLoadFile(path.string()), IniLoadResult::Loaded);
  EXPECT_EQ(IniDocument().file_name, path.string());
  EXPECT_EQ(IniReadString("_data", "level"), "lodge");
  EXPECT_EQ(IniReadInt("_data", "hints"), 3);

  IniClear();
  ASSERT_TRUE(IniSave(path.string()));
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::file_size(path), 0u);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(Ini, MissingFileGivesAnEmptyDocumentThatMaySaveThere) {
  IniWriteString("stale", "k", "v");
  const fs::path path = folder_ / "data.ini";
  EXPECT_EQ(IniLoadFile(path.string()), IniLoadResult::Missing);
  EXPECT_TRUE(IniDocument().sections.empty());
  EXPECT_FALSE(IniLoad(path.string()));
  EXPECT_TRUE(IniSave(path.string()));
}

TEST_F(Ini, UnreadableFileIsNeverWrittenOverDuringTheRun) {
  const fs::path path = folder_ / "data.ini";
  fs::create_directory(path);
  IniWriteString("stale", "k", "v");
  EXPECT_EQ(IniLoadFile(path.string()), IniLoadResult::Unreadable);
  EXPECT_TRUE(IniDocument().sections.empty());
  // Even once the obstacle is gone, the path stays refused.
  fs::remove(path);
  EXPECT_FALSE(IniSave(path.string()));
  EXPECT_FALSE(IniSave(path.string()));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(IniSave((folder_ / "other.ini").string()));
  IniResetRefusedPaths();
  EXPECT_TRUE(IniSave(path.string()));
}

TEST_F(Ini, FailedSaveReturnsFalseAndKeepsTheOldFile) {
  const fs::path blocker = folder_ / "not_a_folder";
  std::ofstream(blocker) << "x";
  IniWriteString("s", "k", "v");
  EXPECT_FALSE(IniSave((blocker / "data.ini").string()));
  EXPECT_EQ(FileText(blocker), "x");
}
