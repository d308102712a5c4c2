// The JSON value of state dumps and expect lines.
#include "app/json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

JsonValue SampleDump() {
  JsonValue dump = JsonValue::MakeObject();
  dump.Set("tick", 100);
  dump.Set("caption", "Quillmoor");
  dump.Set("fullscreen", false);
  JsonValue& desktop = dump.Set("desktop", JsonValue::MakeArray());
  desktop.Append(1024);
  desktop.Append(768);
  dump.Set("visible", JsonValue::MakeArray()).Append("wnd_splash");
  dump.Set("player", nullptr);
  return dump;
}

TEST(Json, WritesDumpCompactAndIndentedWithKeysInOrder) {
  const JsonValue dump = SampleDump();
  EXPECT_EQ(dump.Serialize(0),
            R"({"tick":100,"caption":"Quillmoor","fullscreen":false,"desktop":[1024,768],)"
            R"("visible":["wnd_splash"],"player":null})");
  EXPECT_EQ(dump.Serialize(),
            "{\n"
            "  \"tick\": 100,\n"
            "  \"caption\": \"Quillmoor\",\n"
            "  \"fullscreen\": false,\n"
            "  \"desktop\": [\n"
            "    1024,\n"
            "    768\n"
            "  ],\n"
            "  \"visible\": [\n"
            "    \"wnd_splash\"\n"
            "  ],\n"
            "  \"player\": null\n"
            "}");
  EXPECT_EQ(JsonValue::MakeArray().Serialize(), "[]");
  EXPECT_EQ(JsonValue::MakeObject().Serialize(), "{}");
}

TEST(Json, SettingAnExistingKeyKeepsItsPlace) {
  JsonValue o = JsonValue::MakeObject();
  o.Set("a", 1);
  o.Set("b", 2);
  o.Set("a", 3);
  EXPECT_EQ(o.Serialize(0), R"({"a":3,"b":2})");
}

TEST(Json, BuildingOnAScalarTurnsItIntoAContainer) {
  JsonValue v = 5;
  v.Append("x");
  EXPECT_EQ(v.Serialize(0), R"(["x"])");
  v.Set("k", true);
  EXPECT_EQ(v.Serialize(0), R"({"k":true})");
  EXPECT_TRUE(v.AsArray().empty());
}

TEST(Json, WritesWholeNumbersWithoutFractionAndOthersExactly) {
  EXPECT_EQ(JsonValue(0).Serialize(), "0");
  EXPECT_EQ(JsonValue(-0.0).Serialize(), "0");
  EXPECT_EQ(JsonValue(-42).Serialize(), "-42");
  EXPECT_EQ(JsonValue(39393u).Serialize(), "39393");
  EXPECT_EQ(JsonValue(9007199254740991.0).Serialize(), "9007199254740991");
  EXPECT_EQ(JsonValue(0.1).Serialize(), "0.1");
  EXPECT_EQ(JsonValue(384.5f).Serialize(), "384.5");
  EXPECT_EQ(JsonValue(1e300).Serialize(), "1e+300");
  EXPECT_EQ(JsonValue(std::nan("")).Serialize(), "null");
  EXPECT_EQ(JsonValue(std::numeric_limits<double>::infinity()).Serialize(), "null");
  EXPECT_EQ(JsonValue(-std::numeric_limits<double>::infinity()).Serialize(), "null");

  for (const double x : {0.1, 1.0 / 3.0, -2.5e-300, 9007199254740992.0, 1.7976931348623157e308,
                         4.9e-324, 123456789.125}) {
    const std::optional<JsonValue> back = ParseJson(JsonValue(x).Serialize());
    ASSERT_TRUE(back) << x;
    EXPECT_EQ(back->AsNumber(), x);
  }
}

TEST(Json, EscapesWhatJsonRequiresAndKeepsUtf8) {
  EXPECT_EQ(JsonValue("say \"hi\" \\ bye").Serialize(), R"("say \"hi\" \\ bye")");
  EXPECT_EQ(JsonValue(std::string("a\nb\tc\rd\be\ff\x01g\x1f", 14)).Serialize(),
            R"("a\nb\tc\rd\be\ff\u0001g\u001f")");
  EXPECT_EQ(JsonValue(std::string("nul\0end", 7)).Serialize(), R"("nul\u0000end")");
  EXPECT_EQ(JsonValue("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xA9 / \x7F").Serialize(),
            "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xA9 / \x7F\"");
  // A stray byte, a cut sequence and an encoded surrogate each become U+FFFD.
  EXPECT_EQ(JsonValue("a\xFF" "b\xE2\x82" "c\xED\xA0\x80").Serialize(),
            "\"a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD" "c\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");
  JsonValue keyed;
  keyed.Set("q\"\n", 1);
  EXPECT_EQ(keyed.Serialize(0), R"({"q\"\n":1})");
}

TEST(Json, FindFollowsDottedPaths) {
  JsonValue dump = SampleDump();
  JsonValue& objects = dump.Set("world", JsonValue::MakeObject()).Set("objects", JsonValue::MakeArray());
  for (int i = 0; i < 12; ++i) objects.Append(JsonValue::MakeObject()).Set("name", "obj" + std::to_string(i));

  EXPECT_EQ(dump.Find(""), &dump);
  ASSERT_TRUE(dump.Find("tick"));
  EXPECT_EQ(dump.Find("tick")->AsNumber(), 100);
  EXPECT_EQ(dump.Find("desktop.1")->AsNumber(), 768);
  EXPECT_EQ(dump.Find("world.objects.11.name")->AsString(), "obj11");
  EXPECT_TRUE(dump.Find("player")->IsNull());

  for (const char* nowhere : {"nothing", "desktop.2", "desktop.-1", "desktop.x", "desktop.1x",
                              "desktop.99999999999999999999", "tick.0", "caption.length",
                              "world..objects", "world.objects.", ".tick", "world.objects.3.name.x"})
    EXPECT_EQ(dump.Find(nowhere), nullptr) << nowhere;
}

TEST(Json, FindTakesDigitKeysOfObjectsAsNames) {
  JsonValue o = JsonValue::MakeObject();
  o.Set("0", "zero");
  ASSERT_TRUE(o.Find("0"));
  EXPECT_EQ(o.Find("0")->AsString(), "zero");
}

TEST(Json, EqualityIsDeepAndIgnoresMemberOrder) {
  EXPECT_EQ(JsonValue(1), JsonValue(1.0));
  EXPECT_NE(JsonValue(1), JsonValue("1"));
  EXPECT_NE(JsonValue(0), JsonValue(false));
  EXPECT_NE(JsonValue(), JsonValue(false));
  EXPECT_EQ(*ParseJson(R"({"a":1,"b":[1,2]})"), *ParseJson(R"({"b":[1,2],"a":1})"));
  EXPECT_NE(*ParseJson(R"({"a":1,"b":[1,2]})"), *ParseJson(R"({"a":1,"b":[2,1]})"));
  EXPECT_NE(*ParseJson(R"({"a":1})"), *ParseJson(R"({"a":1,"b":2})"));
  EXPECT_NE(*ParseJson(R"({"a":1,"b":2})"), *ParseJson(R"({"a":1})"));
  EXPECT_NE(*ParseJson("[]"), *ParseJson("{}"));
}

TEST(Json, ReadsEveryKindOfValue) {
  const std::optional<JsonValue> v =
      ParseJson(" \t\r\n{\"n\": -12.5e1, \"z\": 0, \"s\": \"a\\\"\\\\\\/\\b\\f\\n\\r\\t\\u00e9\\ud83c\\udfa9\","
                " \"l\": [true, false, null, [], {}]} \n");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->Find("n")->AsNumber(), -125.0);
  EXPECT_EQ(v->Find("s")->AsString(), "a\"\\/\b\f\n\r\t\xC3\xA9\xF0\x9F\x8E\xA9");
  EXPECT_EQ(v->Find("l")->Serialize(0), "[true,false,null,[],{}]");
  EXPECT_EQ(ParseJson("\"\\u0000\"")->AsString(), std::string(1, '\0'));
  EXPECT_EQ(ParseJson("1E+2")->AsNumber(), 100.0);
  EXPECT_EQ(ParseJson("-0")->AsNumber(), 0.0);
}

TEST(Json, RefusesAnythingButOneStrictValue) {
  for (const char* bad :
       {"", " ", "nul", "True", "NaN", "Infinity", "-", "+1", ".5", "1.", "01", "-01", "1e", "1e+",
        "0x10", "1e999", "-1e999", "'x'", "\"abc", "\"a\tb\"", "\"\\x\"", "\"\\u12\"", "\"\\u12g4\"",
        "\"\\ud83c\"", "\"\\udfa9\"", "\"\\ud83c\\u0041\"", "\"\xFF\"", "\"\xC0\xAF\"", "[1,]", "[,1]",
        "[1 2]", "[", "]", "{\"a\"}", "{\"a\":}", "{a:1}", "{\"a\":1,}", "{\"a\":1,\"a\":2}",
        "1 2", "[] x", "null,", "{} {}", "\xEF\xBB\xBF{}"})
    EXPECT_FALSE(ParseJson(bad)) << bad;
}

TEST(Json, NestingIsLimitedSoNoInputCanExhaustTheStack) {
  const auto nested = [](int depth, char open, const char* inner, char close) {
    return std::string(static_cast<std::size_t>(depth), open) + inner + std::string(static_cast<std::size_t>(depth), close);
  };
  EXPECT_TRUE(ParseJson(nested(kJsonMaxDepth, '[', "1", ']')));
  EXPECT_FALSE(ParseJson(nested(kJsonMaxDepth + 1, '[', "1", ']')));
  EXPECT_FALSE(ParseJson(nested(100000, '[', "", ']')));
  std::string objects;
  for (int i = 0; i < kJsonMaxDepth; ++i) objects += "{\"k\":";
  EXPECT_TRUE(ParseJson(objects + "0" + std::string(kJsonMaxDepth, '}')));
  EXPECT_FALSE(ParseJson("[" + objects + "0" + std::string(kJsonMaxDepth, '}') + "]"));
}

TEST(Json, WrittenTextReadsBackEqual) {
  JsonValue dump = SampleDump();
  dump.Set("odd", "tab\there \"quoted\" \xE2\x82\xAC \x01");
  dump.Set("nested", *ParseJson(R"({"a":[{"b":[[],{}]}],"c":-0.25})"));
  for (const int indent : {0, 2, 4}) {
    const std::optional<JsonValue> back = ParseJson(dump.Serialize(indent));
    ASSERT_TRUE(back) << indent;
    EXPECT_EQ(*back, dump);
  }
}

TEST(Json, Utf8CheckRefusesMalformedSequences) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain \xC3\xA9 \xEF\xBF\xBF \xF4\x8F\xBF\xBF"));
  for (const char* bad : {"\x80", "\xC3", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF0\x80\x80\x80",
                          "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xE2\x82", "\xE2\x28\xA1"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

}  // namespace
