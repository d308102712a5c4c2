// The string table: its file format, lookups and the fixed capacity.
#include "res/strings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_files.h"

namespace {

tlocfile Parsed(std::string_view bytes) {
  tlocfile table;
  table.parse(bytes);
  return table;
}

}  // namespace

TEST(Strings, KeyBeforeTheQuotedValueLosesItsBlanksAndTheRemarkIsIgnored) {
  const tlocfile table = Parsed("   save_folder   \"x\"  the folder name\r\nyes \"Yes\"\r\n");
  ASSERT_EQ(table.count(), 2);
  EXPECT_EQ(table[0].key, "save_folder");
  EXPECT_EQ(table.get("save_folder"), "x");
  EXPECT_EQ(table.get("yes"), "Yes");
}

TEST(Strings, EqualsSignAndTabStayPartOfTheKey) {
  const tlocfile table = Parsed("window_title = \"Quillmoor\"\n\tno \"No\"\n");
  EXPECT_EQ(table[0].key, "window_title=");
  EXPECT_EQ(table.get("window_title"), "NULL");
  EXPECT_EQ(table.get("\tno"), "No");
}

TEST(Strings, LaterDuplicateWinsLookupsButBothStay) {
  tlocfile table = Parsed("ok \"first\"\nok \"second\"\n");
  ASSERT_EQ(table.count(), 2);
  EXPECT_EQ(table.get("ok"), "second");
  EXPECT_EQ(table.index_of("ok"), 1);
  EXPECT_EQ(table[0].value, "first");
  table.set("ok", "third");
  EXPECT_EQ(table[0].value, "first");
  EXPECT_EQ(table[1].value, "third");
}

TEST(Strings, ValueIsVerbatimAndMayRunOverLines) {
  const tlocfile table = Parsed("intro \" two\r\nlines \"\nnext \"n\"");
  EXPECT_EQ(table.get("intro"), " two\r\nlines ");
  EXPECT_EQ(table.get("next"), "n");
  EXPECT_EQ(table.count(), 2);
}

TEST(Strings, EndOfFileEndsEntriesOnlyAtTheStartOfAnEntry) {
  EXPECT_EQ(Parsed("a \"1\"\n").count(), 1);
  EXPECT_EQ(Parsed("a \"1\"").count(), 1);
  // Blank lines after the last entry make one entry with an empty key.
  const tlocfile blank_tail = Parsed("a \"1\"\r\n\r\n\r\n");
  ASSERT_EQ(blank_tail.count(), 2);
  EXPECT_EQ(blank_tail[1].key, "");
  EXPECT_EQ(blank_tail[1].value, "");
  // An unclosed value takes the rest of the file.
  const tlocfile unclosed = Parsed("a \"1\"\nb \"rest\nof file\n");
  ASSERT_EQ(unclosed.count(), 2);
  EXPECT_EQ(unclosed.get("b"), "rest\nof file\n");
  // Text after the last quote becomes a key with an empty value.
  const tlocfile trailing = Parsed("a \"1\"\nstray");
  ASSERT_EQ(trailing.count(), 2);
  EXPECT_EQ(trailing.get("stray"), "");
}

TEST(Strings, LineWithoutQuoteJoinsTheNextKey) {
  const tlocfile table = Parsed("remark line\nhint \"Hint\"\n");
  ASSERT_EQ(table.count(), 1);
  EXPECT_EQ(table[0].key, "remarklinehint");
  EXPECT_EQ(table.get("hint"), "NULL");
}

TEST(Strings, ByteOrderMarkStaysInTheFirstKey) {
  const tlocfile table = Parsed("\xEF\xBB\xBFplay \"Play\"\nexit \"Exit\"\n");
  EXPECT_EQ(table.get("play"), "NULL");
  EXPECT_EQ(table.get("\xEF\xBB\xBFplay"), "Play");
  EXPECT_EQ(table.get("exit"), "Exit");
}

TEST(Strings, TableKeepsTheFirstEntriesUpToItsCapacity) {
  std::string file;
  for (std::size_t i = 0; i < LOC_CAPACITY + 5; ++i) {
    file += "k" + std::to_string(i) + " \"v" + std::to_string(i) + "\"\n";
  }
  tlocfile table;
  table.parse(file);
  ASSERT_EQ(table.count(), static_cast<int>(LOC_CAPACITY));
  EXPECT_EQ(table.get("k1024"), "v1024");
  EXPECT_FALSE(table.contains("k1025"));
  EXPECT_FALSE(table.append("more", "x"));
  EXPECT_FALSE(table.add_new("more", "x"));
  table.parse("a \"1\"\n");
  EXPECT_EQ(table.count(), 1);
}

TEST(Strings, AddNewAndSetLeaveOtherKeysAlone) {
  tlocfile table;
  EXPECT_TRUE(table.add_new("cr", "Credits"));
  EXPECT_FALSE(table.add_new("cr", "Again"));
  table.set("absent", "x");
  EXPECT_EQ(table.count(), 1);
  EXPECT_EQ(table.get("cr"), "Credits");
  EXPECT_EQ(table.index_of("absent"), -1);
  EXPECT_EQ(table.at(1).key, "");
  EXPECT_EQ(table.at(-1).value, "");
  table.clear();
  EXPECT_EQ(table.count(), 0);
}

TEST(Strings, LoadReadsTheFileAndFailsSoftWhenItIsMissing) {
  const std::filesystem::path folder = MakeTempFolder("strings_test");
  ASSERT_FALSE(folder.empty());
  const auto path = folder / "strings.cfg";
  std::ofstream(path, std::ios::binary) << "window_title \"Quillmoor\"\n";
  tlocfile table;
  EXPECT_TRUE(table.load(path.string()));
  EXPECT_EQ(table.get("window_title"), "Quillmoor");
  std::filesystem::remove(path);
  EXPECT_FALSE(table.load(path.string()));
  EXPECT_EQ(table.count(), 0);
  EXPECT_FALSE(table.load(folder.string()));
  std::filesystem::remove_all(folder);
}
