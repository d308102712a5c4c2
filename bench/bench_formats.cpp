// Reading and writing the game's text formats at the sizes the game meets:
// a profile document of several players, a full string table and a full
// level.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/engine.h"
#include "engine/ini.h"
#include "engine/timers.h"
#include "res/strings.h"
#include "world/object_list.h"

namespace {

// Eight players, each with options, progress and quest keys: about 800 keys.
std::string ProfileText() {
  std::string text = "[ players ]\r\nopt_plist = P0/P1/P2/P3/P4/P5/P6/P7\r\nopt_player = P0\r\n";
  for (int p = 0; p < 8; ++p) {
    for (const char* suffix : {"", "_inv", "_data"}) {
      text += "\r\n[ P" + std::to_string(p) + suffix + " ]\r\n";
      for (int k = 0; k < 33; ++k)
        text += "key_" + std::to_string(k) + " = value " + std::to_string(k * p) + "\r\n";
    }
  }
  return text;
}

std::string StringsText() {
  std::string text;
  for (int i = 0; i < 1000; ++i)
    text += "text_" + std::to_string(i) + "    \"A line of the game's text, number " +
            std::to_string(i) + ".\"\r\n";
  return text;
}

void BM_IniParseProfile(benchmark::State& state) {
  const std::string text = ProfileText();
  TIniDoc doc;
  for (auto _ : state) {
    IniParse(doc, text);
    benchmark::DoNotOptimize(doc.sections.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_IniParseProfile);

void BM_IniSerializeProfile(benchmark::State& state) {
  TIniDoc doc;
  IniParse(doc, ProfileText());
  for (auto _ : state) benchmark::DoNotOptimize(IniSerialize(doc));
}
BENCHMARK(BM_IniSerializeProfile);

void BM_IniReadLastKeyOfLastPlayer(benchmark::State& state) {
  IniClear();
  for (int p = 0; p < 8; ++p)
    for (int k = 0; k < 33; ++k)
      IniWriteString("P" + std::to_string(p) + "_data", "key_" + std::to_string(k), "v");
  for (auto _ : state) benchmark::DoNotOptimize(IniReadString("P7_data", "key_32"));
}
BENCHMARK(BM_IniReadLastKeyOfLastPlayer);

void BM_StringTableParse(benchmark::State& state) {
  const std::string text = StringsText();
  tlocfile table;
  for (auto _ : state) {
    table.parse(text);
    benchmark::DoNotOptimize(table.count());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_StringTableParse);

void BM_StringTableGetLastKey(benchmark::State& state) {
  tlocfile table;
  table.parse(StringsText());
  for (auto _ : state) benchmark::DoNotOptimize(table.get("text_999"));
}
BENCHMARK(BM_StringTableGetLastKey);

// A level as full as a level can be: 129 objects.
std::string FullLevelText() {
  std::string text = "129\r\n";
  for (int i = 0; i < 129; ++i)
    text += "q_object_" + std::to_string(i) + "\r\n" + std::to_string(100 + i) + ".5\r\n" +
            std::to_string(300 - i) + "\r\nstatic\r\n";
  return text;
}

void BM_ObjectListParseFullLevel(benchmark::State& state) {
  const std::string text = FullLevelText();
  BlockTable blocks;
  for (auto _ : state) {
    blocks.clear();
    ParseObjectList(text, blocks, "bench");
    benchmark::DoNotOptimize(blocks.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ObjectListParseFullLevel);

void BM_ObjectListFormatFullLevel(benchmark::State& state) {
  BlockTable blocks;
  ParseObjectList(FullLevelText(), blocks, "bench");
  for (auto _ : state) benchmark::DoNotOptimize(FormatObjectList(blocks));
}
BENCHMARK(BM_ObjectListFormatFullLevel);

double g_now = 0.0;
double BenchNow() { return g_now; }
void Nothing() {}

// One second of the game's three timers, replayed in one pass after a stall.
void BM_TimerPassAfterOneSecondStall(benchmark::State& state) {
  for (auto _ : state) {
    TimerList timers;
    g_now = 0.0;
    timers.add(Nothing, 10, g_now);
    timers.add(Nothing, 100, g_now);
    timers.add(Nothing, 1000, g_now);
    g_now = 1000.0;
    timers.run_pass(BenchNow);
  }
}
BENCHMARK(BM_TimerPassAfterOneSecondStall);

}  // namespace

// As the game does before anything else.
int main(int argc, char** argv) {
  PrepareProcess();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
