// The sound generator: the recipe language, the synthesis (pitch, loops,
// loudness, repeatability), the Ogg Vorbis encoding, and the shipped
// recipes (every sound the game plays exists and parses).
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sound_recipe.h"
#include "sound_synth.h"
#include "tool_files.h"
#include "vorbis_file.h"

namespace {

using soundgen::ParseRecipe;

soundgen::Recipe Parse(const std::string& text, const soundgen::IncludeReader& include = nullptr) {
  std::vector<std::string> errors;
  auto recipe = ParseRecipe(text, "test", include, &errors);
  EXPECT_TRUE(recipe.has_value()) << (errors.empty() ? "" : errors.front());
  return recipe ? *recipe : soundgen::Recipe{};
}

std::vector<std::string> Errors(const std::string& text) {
  std::vector<std::string> errors;
  EXPECT_FALSE(ParseRecipe(text, "r.txt", nullptr, &errors).has_value());
  return errors;
}

// --- Recipes ---------------------------------------------------------------------

TEST(SoundRecipe, SequencesPlaceNotesChordsAndRestsInBeats) {
  const auto r = Parse(
      "tempo 120\n"
      "instrument piano\n"
      "seq piano at=2 gate=0.5 transpose=12 vel=0.5 : a4/1 c4+e4/2@0.5 -/1 a4\n");
  ASSERT_EQ(r.events.size(), 4u);
  EXPECT_DOUBLE_EQ(r.events[0].start, 1.0);  // beat 2 at 120 a minute
  EXPECT_DOUBLE_EQ(r.events[0].duration, 0.25);
  EXPECT_NEAR(r.events[0].frequency, 880.0, 1e-9);
  EXPECT_DOUBLE_EQ(r.events[0].velocity, 0.5);
  EXPECT_DOUBLE_EQ(r.events[1].start, 1.5);
  EXPECT_DOUBLE_EQ(r.events[2].start, 1.5);
  EXPECT_NEAR(r.events[1].frequency, 2 * 261.6255653, 1e-6);
  EXPECT_NEAR(r.events[2].frequency, 2 * 329.6275569, 1e-6);
  EXPECT_DOUBLE_EQ(r.events[1].velocity, 0.25);
  EXPECT_DOUBLE_EQ(r.events[1].duration, 0.5);
  // The rest takes a beat; the last note keeps the rest's length.
  EXPECT_DOUBLE_EQ(r.events[3].start, 3.0);
  EXPECT_DOUBLE_EQ(r.events[3].duration, 0.25);
}

TEST(SoundRecipe, ReadsNoteNamesSharpsFlatsAndFrequencies) {
  const auto r = Parse(
      "instrument i\n"
      "note i pitch=a#4\nnote i pitch=bb4\nnote i pitch=c-1\nnote i pitch=123.5 to=e2\n");
  ASSERT_EQ(r.events.size(), 4u);
  EXPECT_NEAR(r.events[0].frequency, 466.1637615, 1e-6);
  EXPECT_DOUBLE_EQ(r.events[0].frequency, r.events[1].frequency);
  EXPECT_NEAR(r.events[2].frequency, 8.1757989, 1e-6);
  EXPECT_DOUBLE_EQ(r.events[3].frequency, 123.5);
  EXPECT_NEAR(r.events[3].target, 82.4068892, 1e-6);
  for (const char* bad : {"h4", "c10", "c", "4c", "c#", "0.5"}) {
    EXPECT_FALSE(Errors(std::string("instrument i\nnote i pitch=") + bad + "\n").empty()) << bad;
  }
}

TEST(SoundRecipe, NamesTheFileAndLineOfEveryMistake) {
  const auto errors = Errors(
      "instrument a wave=sine\n"
      "frobnicate 3\n"
      "instrument b wave=kazoo\n"
      "instrument c gain=11\n"
      "instrument d volume=1\n"
      "note nobody at=0\n"
      "seq a at=0\n"
      "instrument a\n"
      "scatter a from=1 until=0 count=3\n"
      "reverb room=2\n"
      "loop sometimes\n");
  ASSERT_EQ(errors.size(), 10u);
  for (std::size_t i = 0; i < errors.size(); ++i) {
    EXPECT_EQ(errors[i].rfind("r.txt:" + std::to_string(i + 2) + ": ", 0), 0u) << errors[i];
  }
  EXPECT_NE(errors[1].find("kazoo"), std::string::npos);
  EXPECT_NE(errors[2].find("gain must lie between 0 and 10"), std::string::npos);
  EXPECT_NE(errors[4].find("nobody"), std::string::npos);
  EXPECT_NE(errors[6].find("twice"), std::string::npos);
}

TEST(SoundRecipe, RefusesLoopsWithoutLengthAndRequestsBeyondTheLimits) {
  EXPECT_FALSE(Errors("loop fold\n").empty());
  EXPECT_FALSE(Errors("length 10\nloop crossfade 6\n").empty());
  EXPECT_FALSE(Errors("length 301\n").empty());
  EXPECT_FALSE(Errors("instrument i\nscatter i until=1 count=50001\n").empty());
  EXPECT_FALSE(Errors("instrument i\nseq i repeat=1000 : c4/1000\n").empty());
  EXPECT_FALSE(Errors("channels 3\n").empty());
}

TEST(SoundRecipe, CommentsFollowABlankSharpsStayNotesAndBackslashJoinsLines) {
  const auto r = Parse(
      "# a comment\n"
      "instrument i wave=saw # the saw\n"
      "seq i : c#4/1 \\\n"
      "        d#4/1   # still the same line\n");
  ASSERT_EQ(r.events.size(), 2u);
  EXPECT_NEAR(r.events[0].frequency, 277.182631, 1e-5);
  EXPECT_NEAR(r.events[1].frequency, 311.126984, 1e-5);
  const auto errors = Errors("instrument i\nseq i : c4/1 \\\n   q9\nfoo 1\n");
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].rfind("r.txt:2: ", 0), 0u);
  EXPECT_EQ(errors[1].rfind("r.txt:4: ", 0), 0u);
}

TEST(SoundRecipe, IncludedInstrumentsAndLikeCopiesCanBeVaried) {
  const std::map<std::string, std::string> files = {
      {"kit.inc", "instrument wind wave=pink bandpass=450 q=0.8 gain=0.9\n"},
      {"loop.inc", "include loop.inc\n"},
  };
  const soundgen::IncludeReader reader = [&files](const std::string& name, std::string* text) {
    const auto it = files.find(name);
    if (it == files.end()) return false;
    *text = it->second;
    return true;
  };
  const auto r = Parse("include kit.inc\ninstrument breeze like=wind gain=0.3\n", reader);
  ASSERT_EQ(r.instruments.size(), 2u);
  EXPECT_EQ(r.instruments[1].name, "breeze");
  EXPECT_EQ(r.instruments[1].wave, soundgen::Wave::Pink);
  EXPECT_EQ(r.instruments[1].filter, soundgen::FilterKind::Bandpass);
  EXPECT_DOUBLE_EQ(r.instruments[1].cutoff, 450.0);
  EXPECT_DOUBLE_EQ(r.instruments[1].gain, 0.3);

  std::vector<std::string> errors;
  EXPECT_FALSE(ParseRecipe("include loop.inc\n", "r", reader, &errors).has_value());
  EXPECT_NE(errors.front().find("nest"), std::string::npos);
  errors.clear();
  EXPECT_FALSE(ParseRecipe("include gone.inc\n", "r", reader, &errors).has_value());
  EXPECT_NE(errors.front().find("gone.inc"), std::string::npos);
}

TEST(SoundRecipe, ScatterIsRepeatableStaysInItsRangesAndIgnoresNotesAboveIt) {
  const std::string scatter = "scatter i from=2 until=6 rate=10 pitch=c5..c6 dur=0.1..0.2 vel=0.5..1 pan=-1..0\n";
  const auto a = Parse("instrument i\n" + scatter);
  const auto b = Parse("instrument i\nnote i at=0\n" + scatter);
  ASSERT_EQ(a.events.size(), 40u);
  ASSERT_EQ(b.events.size(), 41u);
  for (std::size_t k = 0; k < a.events.size(); ++k) {
    const auto& e = a.events[k];
    EXPECT_EQ(e.start, b.events[k + 1].start);
    EXPECT_EQ(e.frequency, b.events[k + 1].frequency);
    EXPECT_GE(e.start, 2.0);
    EXPECT_LE(e.start, 6.0);
    EXPECT_GE(e.frequency, 523.25);
    EXPECT_LE(e.frequency, 1046.51);
    EXPECT_GE(e.duration, 0.1);
    EXPECT_LE(e.duration, 0.2);
    ASSERT_TRUE(e.pan.has_value());
    EXPECT_LE(*e.pan, 0.0);
  }
  EXPECT_NE(a.events[0].start, a.events[1].start);
}

// --- Synthesis --------------------------------------------------------------------------

TEST(SoundSynth, ASineNoteSoundsAtItsPitchAndTheLoudestSampleMeetsThePeak) {
  const auto r = Parse("channels 1\npeak 0.5\ninstrument i attack=0.01 sustain=1 release=0.01\nnote i dur=1 pitch=a4\n");
  const auto audio = soundgen::Render(r);
  ASSERT_EQ(audio.channels, 1);
  float loudest = 0.0f;
  for (float s : audio.samples) loudest = std::max(loudest, std::abs(s));
  EXPECT_NEAR(loudest, 0.5f, 1e-6f);
  int rises = 0;
  for (std::size_t i = 4410; i < 4410 + 44100 / 2; ++i) {
    rises += audio.samples[i - 1] < 0.0f && audio.samples[i] >= 0.0f ? 1 : 0;
  }
  EXPECT_NEAR(rises, 220, 1);  // half a second of 440 Hz
}

TEST(SoundSynth, RenderingTheSameRecipeTwiceGivesTheSameSamples) {
  const std::string text =
      "peak 0.8\nreverb room=0.7 mix=0.3\necho time=0.1 feedback=0.4 mix=0.2\n"
      "instrument wind wave=pink unison=2 bandpass=500 wander=2 wander_depth=1 swell=3 swell_depth=0.5\n"
      "instrument bell wave=sine fm=3.5 fm_index=2 fm_decay=0.2 unison=3 detune=10\n"
      "note wind dur=1\nscatter bell until=1 count=5 pitch=c5..c6 dur=0.1\n";
  const auto first = soundgen::Render(Parse(text));
  const auto second = soundgen::Render(Parse(text));
  ASSERT_EQ(first.samples.size(), second.samples.size());
  EXPECT_EQ(std::memcmp(first.samples.data(), second.samples.data(), first.samples.size() * sizeof(float)), 0);
}

TEST(SoundSynth, EnvelopeRisesHoldsAndEndsAtSilence) {
  soundgen::Instrument ins;
  ins.attack = 0.1;
  ins.decay = 0.2;
  ins.sustain = 0.5;
  ins.release = 0.3;
  EXPECT_DOUBLE_EQ(soundgen::detail::EnvelopeAt(ins, 0.0, 1.0), 0.0);
  EXPECT_DOUBLE_EQ(soundgen::detail::EnvelopeAt(ins, 0.05, 1.0), 0.5);
  EXPECT_NEAR(soundgen::detail::EnvelopeAt(ins, 0.1, 1.0), 1.0, 1e-12);
  EXPECT_NEAR(soundgen::detail::EnvelopeAt(ins, 0.9, 1.0), 0.5, 1e-3);
  EXPECT_LT(soundgen::detail::EnvelopeAt(ins, 1.1, 1.0), 0.5);
  EXPECT_DOUBLE_EQ(soundgen::detail::EnvelopeAt(ins, 1.31, 1.0), 0.0);
  // Let go during the attack: the release starts from where it got to.
  EXPECT_NEAR(soundgen::detail::EnvelopeAt(ins, 0.05 + 1e-9, 0.05), 0.5, 1e-6);
}

TEST(SoundSynth, AFoldedLoopCarriesTheEndsTailOverItsStart) {
  const auto r = Parse(
      "channels 1\nlength 1\nloop fold\n"
      "instrument i attack=0.001 decay=0.3 sustain=0 release=0.5\nnote i at=0.9 dur=0.3 pitch=a4\n");
  const auto audio = soundgen::Render(r);
  ASSERT_EQ(audio.Frames(), 44100u);
  float start = 0.0f;
  for (std::size_t i = 0; i < 4410; ++i) start = std::max(start, std::abs(audio.samples[i]));
  EXPECT_GT(start, 0.05f);
}

TEST(SoundSynth, ACrossfadedLoopJoinsEndToStartWithoutAJump) {
  const auto r = Parse(
      "length 4\nloop crossfade 1\n"
      "instrument rumble wave=brown unison=2 lowpass=150 attack=0.5 sustain=1 release=0.5\n"
      "note rumble dur=6\n");
  const auto audio = soundgen::Render(r);
  ASSERT_EQ(audio.Frames(), 4u * 44100u);
  for (int c = 0; c < 2; ++c) {
    float biggest_step = 0.0f;
    for (std::size_t i = 1; i < audio.Frames(); ++i) {
      biggest_step = std::max(biggest_step, std::abs(audio.samples[2 * i + c] - audio.samples[2 * (i - 1) + c]));
    }
    const float seam = std::abs(audio.samples[static_cast<std::size_t>(c)] - audio.samples[2 * (audio.Frames() - 1) + c]);
    EXPECT_LE(seam, biggest_step) << "channel " << c;
    EXPECT_GT(biggest_step, 0.0f);
  }
}

TEST(SoundSynth, AnOpenEndedSoundStopsSoonAfterItsTailFades) {
  const auto r = Parse(
      "channels 1\nreverb room=0.5 mix=0.3\n"
      "instrument i attack=0.001 decay=0.1 sustain=0 release=0.05\nnote i dur=0.1 pitch=a5\n");
  const auto audio = soundgen::Render(r);
  EXPECT_GT(audio.Frames(), 44100u * 3 / 10);  // the reverb rings on past the note
  EXPECT_LT(audio.Frames(), 44100u * 5 / 2);   // but not for the whole estimate of 3 s
}

// --- Ogg Vorbis -------------------------------------------------------------------------

struct Memory {
  const std::string* bytes;
  std::size_t at = 0;
};

std::size_t MemoryRead(void* out, std::size_t size, std::size_t count, void* source) {
  auto* m = static_cast<Memory*>(source);
  const std::size_t n = std::min(size * count, m->bytes->size() - m->at);
  std::memcpy(out, m->bytes->data() + m->at, n);
  m->at += n;
  return size == 0 ? 0 : n / size;
}

TEST(VorbisFile, EncodesRepeatablyWithTheNamesSerialAndDecodesToTheSameLength) {
  const auto audio = soundgen::Render(Parse(
      "length 1.5\ninstrument i wave=saw lowpass=2000 unison=2 detune=10\nnote i dur=1.2 pitch=c4\n"));
  const std::string first = soundgen::EncodeVorbis(audio, 0.3, "ui_click");
  const std::string second = soundgen::EncodeVorbis(audio, 0.3, "ui_click");
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first, second);
  EXPECT_NE(first, soundgen::EncodeVorbis(audio, 0.3, "ui_over"));
  ASSERT_EQ(first.substr(0, 4), "OggS");
  uint32_t serial = 0;
  for (int i = 3; i >= 0; --i) serial = (serial << 8) | static_cast<uint8_t>(first[14 + static_cast<std::size_t>(i)]);
  EXPECT_EQ(serial, soundgen::StreamSerial("ui_click"));

  Memory memory{&first};
  OggVorbis_File file;
  const ov_callbacks callbacks{MemoryRead, nullptr, nullptr, nullptr};
  ASSERT_EQ(ov_open_callbacks(&memory, &file, nullptr, 0, callbacks), 0);
  const vorbis_info* info = ov_info(&file, -1);
  EXPECT_EQ(info->channels, 2);
  EXPECT_EQ(info->rate, 44100);
  long frames = 0;
  float** pcm = nullptr;
  int section = 0;
  for (long n; (n = ov_read_float(&file, &pcm, 4096, &section)) > 0;) frames += n;
  EXPECT_EQ(static_cast<std::size_t>(frames), audio.Frames());
  ov_clear(&file);
}

// --- The shipped recipes -------------------------------------------------------------------

std::set<std::string> RecipesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(QUILLMOOR_CONTENT_DIR) + "/audio/" + folder)) {
    if (entry.path().extension() == ".txt") names.insert(entry.path().stem().string());
  }
  return names;
}

TEST(ShippedSounds, EverySoundTheGameAsksForHasARecipe) {
  const std::set<std::string> effects = RecipesIn("effects");
  // The effects the menus, the frame, the scenes, the quests and the
  // puzzles play by name.
  for (const char* name :
       {"ui_click", "ui_over", "ui_window", "ui_window_close", "accept", "lt1", "energy", "page", "zoomed",
        "whoosh", "popup", "cancel", "select", "landing", "wrong", "get_diary", "camera", "footsteps", "hint",
        "ho_end", "item0", "item1", "item2", "get", "miss", "penalty", "gas", "set", "metal", "magic", "stone",
        "unlock", "gears", "switch", "puzzle_complete", "pc_good", "fail", "heartbeat", "ghost", "shade", "hit",
        "glass", "cut", "cool", "pour", "match", "hiss", "cat", "trap", "blob", "zipper", "tape", "snake", "screw",
        "saw", "salt", "rock", "pliers", "nomnom", "melody", "magnet", "jaws", "engine", "dyn", "coin", "amber"}) {
    EXPECT_TRUE(effects.count(name)) << "effect " << name;
  }
  const std::set<std::string> music = RecipesIn("music");
  EXPECT_EQ(music, (std::set<std::string>{"mainmenu", "bgm"}));
  const std::set<std::string> ambience = RecipesIn("enviroment");
  for (const char* level :
       {"hotel", "alley", "bridge", "crossroad", "gates", "cemetery", "lodge", "crypt", "passage", "basement",
        "library", "stairs", "laboratory", "hall", "kitchen", "yard", "hallway", "terrace", "cabinet", "forge",
        "attic", "backyard", "stonehenge", "hroom", "flight", "outro", "accept"}) {
    EXPECT_TRUE(ambience.count(level)) << "ambience " << level;
  }
}

TEST(ShippedSounds, EveryRecipeReadsWithoutMistakesAndLoopsHaveTheirLength) {
  for (const char* folder : {"effects", "music", "enviroment"}) {
    const std::string dir = std::string(QUILLMOOR_CONTENT_DIR) + "/audio/" + folder;
    for (const std::string& name : RecipesIn(folder)) {
      std::string text;
      ASSERT_TRUE(toolfiles::ReadFile(dir + "/" + name + ".txt", &text));
      const soundgen::IncludeReader reader = [&dir](const std::string& file, std::string* bytes) {
        return toolfiles::ReadFile(dir + "/" + file, bytes);
      };
      std::vector<std::string> errors;
      const auto recipe = ParseRecipe(text, name, reader, &errors);
      ASSERT_TRUE(recipe.has_value()) << errors.front();
      EXPECT_FALSE(recipe->events.empty()) << name;
      const bool level_loop = std::string(folder) == "enviroment" && name != "outro" && name != "accept";
      if (level_loop || name == "mainmenu") {
        EXPECT_NE(recipe->loop, soundgen::LoopMode::None) << name;
      }
      if (level_loop) {
        EXPECT_NEAR(recipe->length, 20.0, 5.0) << name;
      }
    }
  }
}

}  // namespace
