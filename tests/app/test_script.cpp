// Reading automation scripts and judging their expect lines.
#include "app/script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/keys.h"

namespace {

using Kind = ScriptCommand::Kind;
using Op = Expectation::Op;

// The one command of a script that must be well formed.
ScriptCommand ParseOne(std::string_view text) {
  ScriptParseResult r = ParseScript(text);
  EXPECT_TRUE(r.ok) << text << " -> " << r.error;
  EXPECT_EQ(r.commands.size(), 1u) << text;
  return r.ok && r.commands.size() == 1 ? r.commands[0] : ScriptCommand{};
}

// The error of a script that must be malformed.
std::string ErrorOf(std::string_view text) {
  const ScriptParseResult r = ParseScript(text);
  EXPECT_FALSE(r.ok) << text;
  EXPECT_TRUE(r.commands.empty()) << text;
  return r.error;
}

TEST(Script, ReadsEveryCommand) {
  const ScriptParseResult r = ParseScript(
      "tick 250\n"
      "move 512 384.5\n"
      "click -3 1e2\n"
      "rclick 0 0\n"
      "press 10.25 20\n"
      "release 30 40\n"
      "key alt+enter\n"
      "hold Shift\n"
      "unhold shift\n"
      "type Hello world\n"
      "focus lost\n"
      "focus gained\n"
      "screenshot shots/menu.png\n"
      "dump out/state.json\n"
      "expect tick == 250\n"
      "quit\n");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.error_line, 0);
  const std::vector<Kind> kinds = {Kind::Tick,   Kind::Move,   Kind::Click, Kind::RClick,
                                   Kind::Press,  Kind::Release, Kind::Key,  Kind::Hold,
                                   Kind::Unhold, Kind::Type,   Kind::Focus, Kind::Focus,
                                   Kind::Screenshot, Kind::Dump, Kind::Expect, Kind::Quit};
  ASSERT_EQ(r.commands.size(), kinds.size());
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    EXPECT_EQ(r.commands[i].kind, kinds[i]) << i;
    EXPECT_EQ(r.commands[i].line, static_cast<int>(i) + 1);
  }
  const auto& c = r.commands;
  EXPECT_EQ(c[0].count, 250);
  EXPECT_EQ(c[1].x, 512.0f);
  EXPECT_EQ(c[1].y, 384.5f);
  EXPECT_EQ(c[2].x, -3.0f);
  EXPECT_EQ(c[2].y, 100.0f);
  EXPECT_EQ(c[4].x, 10.25f);
  EXPECT_EQ(c[6].keys, (std::vector<int>{key::kAlt, key::kEnter}));
  EXPECT_EQ(c[7].keys, std::vector<int>{key::kShiftLeft});
  EXPECT_EQ(c[8].keys, std::vector<int>{key::kShiftLeft});
  EXPECT_EQ(c[9].text, "Hello world");
  EXPECT_FALSE(c[10].gained);
  EXPECT_TRUE(c[11].gained);
  EXPECT_EQ(c[12].text, "shots/menu.png");
  EXPECT_EQ(c[13].text, "out/state.json");
  EXPECT_EQ(c[14].expect.path, "tick");
  EXPECT_EQ(c[14].expect.op, Op::Equal);
  EXPECT_EQ(c[14].expect.value, JsonValue(250));
}

TEST(Script, SkipsCommentsAndBlanksButCountsTheirLines) {
  const ScriptParseResult r = ParseScript(
      "\xEF\xBB\xBF# a title comment\r\n"
      "\r\n"
      "  \t tick 5   # wait a little\r\n"
      "\t\n"
      "quit#done");
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.commands.size(), 2u);
  EXPECT_EQ(r.commands[0].line, 3);
  EXPECT_EQ(r.commands[0].source, "tick 5   # wait a little");
  EXPECT_EQ(r.commands[0].count, 5);
  EXPECT_EQ(r.commands[1].line, 5);
  EXPECT_EQ(r.commands[1].kind, Kind::Quit);

  EXPECT_TRUE(ParseScript("").ok);
  EXPECT_TRUE(ParseScript("\n\n# nothing\n").ok);
}

TEST(Script, ErrorsNameTheLineAndKeepNoCommands) {
  const ScriptParseResult r = ParseScript("tick 1\n# note\n\nclik 10 10\ntick 2\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error_line, 4);
  EXPECT_EQ(r.error, "line 4: unknown command \"clik\"");
  EXPECT_TRUE(r.commands.empty());
  // Commands are lower case; a long or odd command word is shown shortened and escaped.
  EXPECT_EQ(ErrorOf("Tick 1"), "line 1: unknown command \"Tick\"");
  EXPECT_EQ(ErrorOf(std::string(50, 'x') + "\x01"),
            "line 1: unknown command \"" + std::string(40, 'x') + "...\"");
  EXPECT_EQ(ErrorOf("\x01"), "line 1: unknown command \"\\u0001\"");
}

TEST(Script, TickCountsAreWholeNumbersWithinTheLimit) {
  EXPECT_EQ(ParseOne("tick 0").count, 0);
  EXPECT_EQ(ParseOne("tick 10000000").count, kScriptMaxTicks);
  EXPECT_EQ(ParseOne("tick 007").count, 7);
  for (const char* bad : {"tick", "tick 10000001", "tick -1", "tick +1", "tick 1.5", "tick 1e3",
                          "tick 99999999999999999999999", "tick 5 6", "tick x", "tick 0x10"})
    EXPECT_NE(ErrorOf(bad).find("tick needs one whole number from 0 to 10000000"), std::string::npos) << bad;
}

TEST(Script, CoordinatesMustBeFiniteNumbers) {
  const ScriptCommand c = ParseOne("click .5 -0.25e1");
  EXPECT_EQ(c.x, 0.5f);
  EXPECT_EQ(c.y, -2.5f);
  for (const char* bad : {"move 1 nan", "move inf 1", "move 1 -infinity", "move 1e39 0", "move 12abc 1",
                          "move 0x10 1", "move 1,5 2", "move +1 2", "move 1", "move 1 2 3", "click",
                          "press 1 2e", "release 1 \"2\""})
    EXPECT_FALSE(ParseScript(bad).ok) << bad;
  EXPECT_EQ(ErrorOf("rclick 3 nan"), "line 1: rclick: \"nan\" is not a coordinate (a finite number)");
}

TEST(Script, KeysAndChordsNameModifiersFirst) {
  EXPECT_EQ(ParseOne("key F4").keys, std::vector<int>{key::kF4});
  EXPECT_EQ(ParseOne("key ctrl+shift+S").keys,
            (std::vector<int>{key::kCtrl, key::kShiftLeft, 0x1F}));
  EXPECT_EQ(ParseOne("key Alt+f4").keys, (std::vector<int>{key::kAlt, key::kF4}));
  EXPECT_EQ(ParseOne("key ctrl+alt").keys, (std::vector<int>{key::kCtrl, key::kAlt}));
  EXPECT_EQ(ParseOne("hold space # keep it down").keys, std::vector<int>{key::kSpace});

  EXPECT_EQ(ErrorOf("key enterr"), "line 1: key: unknown key \"enterr\"");
  EXPECT_EQ(ErrorOf("key s+ctrl"),
            "line 1: key: only Shift, Ctrl, Alt and Windows may come before the last key of \"s+ctrl\"");
  EXPECT_EQ(ErrorOf("key ctrl+ctrl+s"), "line 1: key: \"ctrl+ctrl+s\" names a key twice");
  EXPECT_EQ(ErrorOf("hold ctrl+s"), "line 1: hold takes one key, not a chord");
  for (const char* bad : {"key", "key ctrl+", "key +s", "key ctrl++s", "key ctrl + s", "key a b",
                          "unhold", "unhold a b", "key #enter"})
    EXPECT_FALSE(ParseScript(bad).ok) << bad;
}

TEST(Script, TypedTextIsTheRestOfTheLineOrAQuotedString) {
  EXPECT_EQ(ParseOne("type Ann Smith   # the player").text, "Ann Smith");
  EXPECT_EQ(ParseOne("type  two blanks").text, " two blanks");
  EXPECT_EQ(ParseOne("type\tcaf\xC3\xA9").text, "caf\xC3\xA9");
  EXPECT_EQ(ParseOne("type say \"hi\"").text, "say \"hi\"");
  EXPECT_EQ(ParseOne(R"(type " #1 \"x\" \\ ")").text, R"( #1 "x" \ )");
  EXPECT_EQ(ParseOne(R"(type "a"   # comment after quotes)").text, "a");

  EXPECT_EQ(ErrorOf("type"), "line 1: type needs text");
  EXPECT_EQ(ErrorOf("type # nothing"), "line 1: type needs text");
  EXPECT_EQ(ErrorOf("type \"\""), "line 1: type needs text");
  EXPECT_EQ(ErrorOf("type \"abc"), "line 1: type: the quoted text has no closing quote");
  EXPECT_EQ(ErrorOf("type \"abc\\\""), "line 1: type: the quoted text has no closing quote");
  EXPECT_EQ(ErrorOf("type \"a\" b"), "line 1: type: nothing but a comment may follow the quoted text");
  EXPECT_EQ(ErrorOf(R"(type "a\n")"), R"(line 1: type: only \" and \\ may follow a backslash in quoted text)");
  EXPECT_FALSE(ParseScript("type a\x01" "b").ok);
}

TEST(Script, FocusAndFilePaths) {
  EXPECT_EQ(ErrorOf("focus away"), "line 1: focus needs \"lost\" or \"gained\"");
  EXPECT_FALSE(ParseScript("focus").ok);
  EXPECT_FALSE(ParseScript("focus lost gained").ok);
  EXPECT_EQ(ErrorOf("wheel left"), "line 1: wheel needs \"up\" or \"down\"");

  EXPECT_EQ(ParseOne("screenshot my shots/Menu 1.PNG # the menu").text, "my shots/Menu 1.PNG");
  EXPECT_EQ(ParseOne("dump ../state.json").text, "../state.json");
  EXPECT_EQ(ParseOne("dump /tmp/a.json").text, "/tmp/a.json");
  EXPECT_EQ(ErrorOf("screenshot shot.jpg"),
            "line 1: screenshot needs a file name ending in .png, not \"shot.jpg\"");
  for (const char* bad : {"screenshot", "screenshot .png", "dump state.json.txt", "dump a.json x",
                          "dump state.png", "screenshot a#.png", "dump a\x7F.json"})
    EXPECT_FALSE(ParseScript(bad).ok) << bad;
}

TEST(Script, ExpectReadsPathOperatorAndValue) {
  struct Case {
    const char* line;
    const char* path;
    Op op;
    JsonValue value;
  };
  const Case cases[] = {
      {"expect tick == 100", "tick", Op::Equal, 100},
      {"expect desktop.0 != 800", "desktop.0", Op::NotEqual, 800},
      {"expect tick < 1e3", "tick", Op::Less, 1000},
      {"expect tick <= -1.5", "tick", Op::LessEqual, -1.5},
      {"expect tick > 0", "tick", Op::Greater, 0},
      {"expect tick >= 0", "tick", Op::GreaterEqual, 0},
      {"expect caption == \"Quill # moor\"  # a comment", "caption", Op::Equal, "Quill # moor"},
      {"expect caption == \"say \\\"#\\\"\"", "caption", Op::Equal, "say \"#\""},
      {"expect visible contains wnd_splash", "visible", Op::Contains, "wnd_splash"},
      {"expect visible !contains wnd_menu#comment", "visible", Op::NotContains, "wnd_menu"},
      {"expect fullscreen == false", "fullscreen", Op::Equal, false},
      {"expect player == null", "player", Op::Equal, JsonValue()},
      {"expect player == true", "player", Op::Equal, true},
      {"expect player == True", "player", Op::Equal, "True"},
      {"expect player exists", "player", Op::Exists, JsonValue()},
      {"expect world.objects.3.name missing", "world.objects.3.name", Op::Missing, JsonValue()},
      {"expect visible.length\t==\t1", "visible.length", Op::Equal, 1},
  };
  for (const Case& c : cases) {
    const ScriptCommand cmd = ParseOne(c.line);
    EXPECT_EQ(cmd.kind, Kind::Expect);
    EXPECT_EQ(cmd.expect.path, c.path) << c.line;
    EXPECT_EQ(cmd.expect.op, c.op) << c.line;
    EXPECT_EQ(cmd.expect.value, c.value) << c.line;
  }
  EXPECT_EQ(ParseOne("expect desktop == [1024, 768]").expect.value.Serialize(0), "[1024,768]");
  EXPECT_EQ(ParseOne("expect o == {\"a\": [1, {\"b\": \"#\"}]}").expect.value.Serialize(0),
            R"({"a":[1,{"b":"#"}]})");
}

TEST(Script, MalformedExpectLinesAreRefused) {
  EXPECT_EQ(ErrorOf("expect tick==100"),
            "line 1: expect: \"tick==100\" is not a path (names and indexes joined with dots; blanks "
            "around the operator)");
  EXPECT_EQ(ErrorOf("expect tick = 100"),
            "line 1: expect: unknown operator \"=\" (==, !=, <, <=, >, >=, contains, !contains, exists, "
            "missing)");
  EXPECT_EQ(ErrorOf("expect tick =="), "line 1: expect: == needs a value");
  EXPECT_EQ(ErrorOf("expect tick == # none"), "line 1: expect: == needs a value");
  EXPECT_EQ(ErrorOf("expect tick exists 1"), "line 1: expect: exists takes no value");
  EXPECT_EQ(ErrorOf("expect caption < abc"), "line 1: expect: < compares numbers, not \"abc\"");
  EXPECT_EQ(ErrorOf("expect tick == 1OO"),
            "line 1: expect: \"1OO\" is not a value (a number, \"text\", true, false, null, [..], {..})");
  for (const char* bad : {"expect", "expect tick", "expect .tick exists", "expect a..b exists",
                          "expect tick. exists", "expect ti\"ck exists", "expect tick == Ann Smith",
                          "expect tick == \"open", "expect tick == [1,", "expect tick == +1",
                          "expect tick == -x", "expect tick >= \"5\"", "expect tick == 'x'"})
    EXPECT_FALSE(ParseScript(bad).ok) << bad;
}

TEST(Script, HostileInputIsBounded) {
  EXPECT_TRUE(ParseScript("type " + std::string(kScriptMaxLineBytes - 5, 'a')).ok);
  EXPECT_EQ(ErrorOf("tick 1\ntype " + std::string(kScriptMaxLineBytes - 4, 'a') + "\r\n"),
            "line 2: the line is longer than 4096 bytes");
  EXPECT_EQ(ErrorOf("tick 1\ntype caf\xE9\n"), "line 2: the line is not UTF-8 text");

  std::string many;
  for (std::size_t i = 0; i < kScriptMaxLines; ++i) many += "#\n";
  EXPECT_TRUE(ParseScript(many).ok);
  EXPECT_EQ(ErrorOf(many + "quit"), "line 1000001: the script has more than 1000000 lines");
  EXPECT_EQ(ParseScript(many + "quit").error_line, 1000001);
}

// --- Expectations against a dump ----------------------------------------------

JsonValue SampleDump() {
  return *ParseJson(R"({"tick": 100, "caption": "Quillmoor", "engine_options": 39393,
    "fullscreen": false, "desktop": [1024, 768], "visible": ["wnd_splash"], "player": "",
    "players": [], "strings_count": 57, "name": "Zo\u00eb",
    "world": {"objects": [{"name": "key"}, {"name": "lamp", "pos": [1.5, 2]}], "length": "odd"}})");
}

bool Check(std::string_view line, std::string* why = nullptr) {
  const ScriptCommand cmd = ParseOne(line);
  return CheckExpectation(SampleDump(), cmd.expect, why);
}

TEST(Script, ExpectationsHoldOrFailAsWritten) {
  for (const char* holds :
       {"expect tick == 100", "expect tick == 100.0", "expect tick != 99", "expect tick != \"100\"",
        "expect tick < 101", "expect tick <= 100", "expect tick > 99.5", "expect tick >= 100",
        "expect caption == Quillmoor", "expect caption contains moor", "expect caption contains \"\"",
        "expect caption !contains Moor", "expect fullscreen == false", "expect desktop == [1024, 768]",
        "expect desktop.1 == 768", "expect visible contains wnd_splash", "expect visible !contains wnd_menu",
        "expect players == []", "expect player == \"\"", "expect player exists", "expect nothing missing",
        "expect desktop.2 missing", "expect world.objects.1.pos contains 1.5",
        "expect world.objects contains {\"name\": \"key\"}", "expect world.objects.1 == {\"pos\": [1.5, 2], \"name\": \"lamp\"}",
        "expect desktop.length == 2", "expect players.length == 0", "expect caption.length == 9",
        "expect name.length == 3", "expect world.objects.1.name.length == 4", "expect world.length == odd"})
    EXPECT_TRUE(Check(holds)) << holds;

  for (const char* fails :
       {"expect tick == 99", "expect tick != 100", "expect tick < 100", "expect tick > 100",
        "expect tick == \"100\"", "expect caption < 5", "expect caption contains Moor",
        "expect caption !contains moor", "expect caption contains 5", "expect caption !contains 5",
        "expect tick contains 1", "expect tick !contains 1", "expect world contains objects",
        "expect desktop == [768, 1024]", "expect visible contains wnd", "expect player == null",
        "expect nothing == 1", "expect nothing != 1", "expect nothing !contains 1", "expect nothing exists",
        "expect tick missing", "expect tick.length == 3", "expect world.objects.length == 3",
        "expect world.length == 2", "expect fullscreen == 0"})
    EXPECT_FALSE(Check(fails)) << fails;
}

TEST(Script, FailedExpectationsSayWhatWasFound) {
  std::string why;
  EXPECT_FALSE(Check("expect tick == 99", &why));
  EXPECT_EQ(why, "tick is 100, expected == 99");
  EXPECT_FALSE(Check("expect visible contains wnd_menu", &why));
  EXPECT_EQ(why, "visible is [\"wnd_splash\"], expected contains \"wnd_menu\"");
  EXPECT_FALSE(Check("expect world.objects.5.name == lamp", &why));
  EXPECT_EQ(why, "world.objects.5.name is missing, expected == \"lamp\"");
  EXPECT_FALSE(Check("expect desktop.length > 2", &why));
  EXPECT_EQ(why, "desktop.length is 2, expected > 2");
  EXPECT_FALSE(Check("expect player missing", &why));
  EXPECT_EQ(why, "player is \"\", expected to be missing");
  EXPECT_FALSE(Check("expect score exists", &why));
  EXPECT_EQ(why, "score is missing, expected to exist");

  // A long value is cut so the message stays one readable line.
  JsonValue big = JsonValue::MakeObject();
  JsonValue& numbers = big.Set("numbers", JsonValue::MakeArray());
  for (int i = 0; i < 1000; ++i) numbers.Append(i);
  EXPECT_FALSE(CheckExpectation(big, ParseOne("expect numbers == 1").expect, &why));
  EXPECT_EQ(why.substr(0, 22), "numbers is [0,1,2,3,4,");
  EXPECT_LT(why.size(), 200u);
  EXPECT_EQ(why.substr(why.size() - 18), "..., expected == 1");

  why = "untouched";
  EXPECT_TRUE(Check("expect tick == 100", &why));
  EXPECT_EQ(why, "untouched");
  EXPECT_FALSE(Check("expect tick == 1"));  // no reason asked for
}

}  // namespace
