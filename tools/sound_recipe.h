// Sound recipes: the small text language in content/audio/ from which the
// sound generator synthesises every effect, music track and ambience loop.
// Parsing only: the recipe becomes plain data (instruments and timed
// events), which sound_synth.h renders. No audio library here, so the
// reader is cheap to test and to fuzz.
//
// One statement a line; '#' starts a comment; a line ending in '\' goes on
// on the next line. docs/content.md describes every statement and key.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace soundgen {

enum class Wave { Sine, Triangle, Saw, Square, Noise, Pink, Brown };
enum class FilterKind { None, Lowpass, Highpass, Bandpass };
enum class LoopMode { None, Fold, Crossfade };

struct Instrument {
  std::string name;
  Wave wave = Wave::Sine;
  double gain = 1.0;
  // Envelope: attack, decay and release in seconds, sustain level 0..1.
  double attack = 0.005;
  double decay = 0.2;
  double sustain = 1.0;
  double release = 0.05;
  // Several detuned copies of the voice, spread across the stereo field.
  int unison = 1;
  double detune = 0.0;  // cents between the lowest and the highest copy
  double spread = 0.6;  // stereo width of the copies, 0..1
  double pan = 0.0;
  // Pitch: a glide towards the note's target pitch, and vibrato.
  double glide = 0.0;  // seconds; 0 glides over the whole note
  double vibrato = 0.0;
  double vibrato_depth = 0.0;  // cents
  // Frequency modulation of a sine carrier (bells, metal, electric piano).
  double fm = 0.0;  // modulator / carrier frequency ratio; 0 = off
  double fm_index = 0.0;
  double fm_decay = 0.0;  // seconds for the index to fall away; 0 = steady
  // Filter, with its cutoff tracking the note, sweeping, wandering at
  // random and swinging with a sine.
  FilterKind filter = FilterKind::None;
  double cutoff = 1000.0;
  double q = 0.707;
  double track = 0.0;  // > 0: cutoff = track x note frequency
  double sweep = 0.0;  // cutoff reached at the end of the sweep; 0 = none
  double sweep_time = 0.0;  // 0 = the note's length
  double wander = 0.0;  // random cutoff moves per second
  double wander_depth = 0.0;  // octaves
  double lfo = 0.0;
  double lfo_depth = 0.0;  // octaves
  // Loudness: random swells (gusts), tremolo and soft saturation.
  double swell = 0.0;
  double swell_depth = 0.0;
  double tremolo = 0.0;
  double tremolo_depth = 0.0;
  double drive = 0.0;
  double noise = 0.0;  // white noise mixed into a tone (breath)
};

struct Event {
  int instrument = 0;
  double start = 0.0;     // seconds
  double duration = 0.1;  // seconds the note is held
  double frequency = 440.0;
  double target = 0.0;  // glide target in Hz; 0 = none
  double velocity = 1.0;
  std::optional<double> pan;  // overrides the instrument's
  uint32_t seed = 0;
};

struct Reverb {
  bool on = false;
  double room = 0.6;
  double damp = 0.4;
  double mix = 0.25;
  double width = 1.0;
};

struct Echo {
  bool on = false;
  double time = 0.3;
  double feedback = 0.3;
  double mix = 0.2;
};

struct Recipe {
  int rate = 44100;
  int channels = 2;
  double quality = 0.3;
  uint32_t seed = 1;
  double tempo = 120.0;
  double length = 0.0;  // 0: as long as the sound lasts
  LoopMode loop = LoopMode::None;
  double crossfade = 0.0;
  double peak = 0.0;  // > 0: the loudest sample is scaled to this
  double fade_in = 0.0;
  double fade_out = 0.0;
  Reverb reverb;
  Echo echo;
  std::vector<Instrument> instruments;
  std::vector<Event> events;
};

// Limits that keep a mistyped recipe from asking for hours of audio.
inline constexpr double kMaxSeconds = 300.0;
inline constexpr std::size_t kMaxEvents = 50000;
inline constexpr std::size_t kMaxInstruments = 256;
inline constexpr int kMaxIncludeDepth = 4;

// Gives the text of an included file by the name written in the recipe.
using IncludeReader = std::function<bool(const std::string& name, std::string* text)>;

namespace detail {

inline uint32_t Mix32(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

// The recipe's own random numbers: the same seed, the same scatter.
struct Random {
  uint64_t state;
  explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL) {}
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Between(double lo, double hi) { return lo + (hi - lo) * Unit(); }
};

inline bool ParseNumber(std::string_view text, double* value) {
  if (text.empty()) return false;
  if (text.front() == '+') text.remove_prefix(1);
  double v = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), v);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

// "a4" = 440 Hz; letter, optional '#' or 'b', octave -1..9.
inline bool ParseNoteName(std::string_view text, double* hz) {
  if (text.size() < 2) return false;
  static constexpr int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
  const char letter = static_cast<char>(text[0] | 0x20);
  if (letter < 'a' || letter > 'g') return false;
  int semitone = kSemitone[letter - 'a'];
  std::size_t i = 1;
  if (text[i] == '#') {
    ++semitone;
    ++i;
  } else if (text[i] == 'b' && i + 1 < text.size()) {
    --semitone;
    ++i;
  }
  int octave = 0;
  const auto result = std::from_chars(text.data() + i, text.data() + text.size(), octave);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || octave < -1 || octave > 9) {
    return false;
  }
  const int midi = 12 * (octave + 1) + semitone;
  *hz = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
  return true;
}

// A note name or a frequency in Hz.
inline bool ParsePitch(std::string_view text, double* hz) {
  if (!text.empty() && ((text[0] >= '0' && text[0] <= '9') || text[0] == '.')) {
    return ParseNumber(text, hz) && *hz >= 1.0 && *hz <= 22000.0;
  }
  return ParseNoteName(text, hz);
}

struct Range {
  double lo = 0.0;
  double hi = 0.0;
};

// "lo..hi" or a single value; `pitch` reads note names as well.
inline bool ParseRange(std::string_view text, Range* range, bool pitch) {
  const std::size_t dots = text.find("..");
  auto one = [pitch](std::string_view part, double* v) { return pitch ? ParsePitch(part, v) : ParseNumber(part, v); };
  if (dots == std::string_view::npos) {
    if (!one(text, &range->lo)) return false;
    range->hi = range->lo;
    return true;
  }
  return one(text.substr(0, dots), &range->lo) && one(text.substr(dots + 2), &range->hi);
}

inline std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

struct Field {
  std::string_view key;
  std::string_view value;
};

class Parser {
 public:
  Parser(Recipe& recipe, std::vector<std::string>& errors, const IncludeReader& include)
      : recipe_(recipe), errors_(errors), include_(include) {}

  void ParseText(std::string_view text, const std::string& file, int depth) {
    int line_number = 0;
    std::string joined;
    int joined_from = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(pos, end - pos);
      pos = end + 1;
      ++line_number;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      // '#' starts a comment at the start of a line or after a blank, so
      // that sharps ("c#4") stay notes.
      for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
          line = line.substr(0, i);
          break;
        }
      }
      while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
      if (joined.empty()) joined_from = line_number;
      if (!line.empty() && line.back() == '\\') {
        line.remove_suffix(1);
        joined.append(line);
        joined.push_back(' ');
        continue;
      }
      joined.append(line);
      where_ = file + ":" + std::to_string(joined_from);
      Statement(joined, depth);
      joined.clear();
      if (failed_hard_) return;
    }
    if (!joined.empty()) {
      where_ = file + ":" + std::to_string(joined_from);
      Statement(joined, depth);
    }
  }

 private:
  void Error(const std::string& message) { errors_.push_back(where_ + ": " + message); }

  void Statement(std::string_view line, int depth) {
    std::string_view notes;
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos) {
      notes = line.substr(colon + 1);
      line = line.substr(0, colon);
    }
    const std::vector<std::string_view> words = Words(line);
    if (words.empty()) {
      if (!Words(notes).empty()) Error("notes without a \"seq\" statement");
      return;
    }
    const std::string_view verb = words[0];
    if (verb != "seq" && colon != std::string_view::npos) {
      Error("only \"seq\" takes notes after ':'");
      return;
    }
    if (verb == "include") return Include(words, depth);
    if (verb == "instrument") return DefineInstrument(words);
    if (verb == "note") return Note(words);
    if (verb == "seq") return Sequence(words, notes);
    if (verb == "scatter") return Scatter(words);
    if (verb == "reverb" || verb == "echo" || verb == "fade") return Effect(words);
    if (verb == "loop") return Loop(words);
    if (words.size() != 2) {
      Error("\"" + std::string(verb) + "\" is not a statement (or needs one value)");
      return;
    }
    double v = 0.0;
    if (!ParseNumber(words[1], &v)) {
      Error("\"" + std::string(words[1]) + "\" is not a number");
      return;
    }
    if (verb == "length") {
      if (Check(v, 0.0, kMaxSeconds, "length")) recipe_.length = v;
    } else if (verb == "channels") {
      if (v == 1.0 || v == 2.0) {
        recipe_.channels = static_cast<int>(v);
      } else {
        Error("channels must be 1 or 2");
      }
    } else if (verb == "rate") {
      if (v == 22050.0 || v == 44100.0 || v == 48000.0) {
        recipe_.rate = static_cast<int>(v);
      } else {
        Error("rate must be 22050, 44100 or 48000");
      }
    } else if (verb == "quality") {
      if (Check(v, -0.1, 1.0, "quality")) recipe_.quality = v;
    } else if (verb == "seed") {
      if (Check(v, 0.0, 4294967295.0, "seed")) recipe_.seed = static_cast<uint32_t>(v);
    } else if (verb == "tempo") {
      if (Check(v, 10.0, 400.0, "tempo")) recipe_.tempo = v;
    } else if (verb == "peak") {
      if (Check(v, 0.01, 1.0, "peak")) recipe_.peak = v;
    } else {
      Error("\"" + std::string(verb) + "\" is not a statement");
    }
  }

  bool Check(double v, double lo, double hi, std::string_view what) {
    if (v >= lo && v <= hi) return true;
    Error(std::string(what) + " must lie between " + Short(lo) + " and " + Short(hi));
    return false;
  }

  static std::string Short(double v) {
    std::string s = std::to_string(v);
    while (s.size() > 1 && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
  }

  // key=value words after the first `skip` words.
  bool Fields(const std::vector<std::string_view>& words, std::size_t skip, std::vector<Field>* fields) {
    for (std::size_t i = skip; i < words.size(); ++i) {
      const std::size_t eq = words[i].find('=');
      if (eq == std::string_view::npos || eq == 0 || eq + 1 == words[i].size()) {
        Error("expected key=value, found \"" + std::string(words[i]) + "\"");
        return false;
      }
      fields->push_back(Field{words[i].substr(0, eq), words[i].substr(eq + 1)});
    }
    return true;
  }

  bool Number(const Field& f, double lo, double hi, double* out) {
    double v = 0.0;
    if (!ParseNumber(f.value, &v)) {
      Error(std::string(f.key) + ": \"" + std::string(f.value) + "\" is not a number");
      return false;
    }
    if (!Check(v, lo, hi, f.key)) return false;
    *out = v;
    return true;
  }

  bool Pitch(const Field& f, double* out) {
    if (ParsePitch(f.value, out)) return true;
    Error(std::string(f.key) + ": \"" + std::string(f.value) + "\" is neither a note (a4, c#3, eb5) nor a frequency");
    return false;
  }

  bool RangeOf(const Field& f, double lo, double hi, bool pitch, Range* out) {
    if (!ParseRange(f.value, out, pitch)) {
      Error(std::string(f.key) + ": \"" + std::string(f.value) + "\" is not a value or a range lo..hi");
      return false;
    }
    if (pitch) return true;
    return Check(out->lo, lo, hi, f.key) && Check(out->hi, lo, hi, f.key);
  }

  int FindInstrument(std::string_view name) {
    for (std::size_t i = 0; i < recipe_.instruments.size(); ++i) {
      if (recipe_.instruments[i].name == name) return static_cast<int>(i);
    }
    return -1;
  }

  void Include(const std::vector<std::string_view>& words, int depth) {
    if (words.size() != 2) return Error("include needs one file name");
    if (depth >= kMaxIncludeDepth) return Error("includes nest too deeply");
    const std::string name(words[1]);
    std::string text;
    if (!include_ || !include_(name, &text)) return Error("cannot read the included file \"" + name + "\"");
    const std::string where = where_;
    ParseText(text, name, depth + 1);
    where_ = where;
  }

  void DefineInstrument(const std::vector<std::string_view>& words) {
    if (words.size() < 2 || words[1].find('=') != std::string_view::npos) {
      return Error("instrument needs a name");
    }
    if (FindInstrument(words[1]) >= 0) return Error("instrument \"" + std::string(words[1]) + "\" is defined twice");
    if (recipe_.instruments.size() >= kMaxInstruments) return Error("too many instruments");
    std::vector<Field> fields;
    if (!Fields(words, 2, &fields)) return;
    Instrument ins;
    for (const Field& f : fields) {
      if (f.key == "like") {
        const int base = FindInstrument(f.value);
        if (base < 0) return Error("like: no instrument \"" + std::string(f.value) + "\" above");
        ins = recipe_.instruments[static_cast<std::size_t>(base)];
      }
    }
    ins.name = std::string(words[1]);
    for (const Field& f : fields) {
      if (!InstrumentKey(f, ins)) return;
    }
    recipe_.instruments.push_back(ins);
  }

  bool InstrumentKey(const Field& f, Instrument& ins) {
    const std::string_view k = f.key;
    double v = 0.0;
    if (k == "like") return true;
    if (k == "wave") {
      static constexpr std::pair<std::string_view, Wave> kWaves[] = {
          {"sine", Wave::Sine},   {"triangle", Wave::Triangle}, {"saw", Wave::Saw},    {"square", Wave::Square},
          {"noise", Wave::Noise}, {"pink", Wave::Pink},         {"brown", Wave::Brown}};
      for (const auto& [name, wave] : kWaves) {
        if (f.value == name) {
          ins.wave = wave;
          return true;
        }
      }
      Error("wave: \"" + std::string(f.value) + "\" is not sine, triangle, saw, square, noise, pink or brown");
      return false;
    }
    if (k == "lowpass" || k == "highpass" || k == "bandpass") {
      if (!Number(f, 10.0, 22000.0, &v)) return false;
      ins.filter = k == "lowpass" ? FilterKind::Lowpass : k == "highpass" ? FilterKind::Highpass : FilterKind::Bandpass;
      ins.cutoff = v;
      return true;
    }
    if (k == "unison") {
      if (!Number(f, 1.0, 8.0, &v)) return false;
      ins.unison = static_cast<int>(v);
      return true;
    }
    struct Key {
      std::string_view name;
      double Instrument::*field;
      double lo;
      double hi;
    };
    static const Key kKeys[] = {
        {"gain", &Instrument::gain, 0.0, 10.0},
        {"attack", &Instrument::attack, 0.0, 60.0},
        {"decay", &Instrument::decay, 0.0, 60.0},
        {"sustain", &Instrument::sustain, 0.0, 1.0},
        {"release", &Instrument::release, 0.0, 60.0},
        {"detune", &Instrument::detune, 0.0, 1200.0},
        {"spread", &Instrument::spread, 0.0, 1.0},
        {"pan", &Instrument::pan, -1.0, 1.0},
        {"glide", &Instrument::glide, 0.0, 60.0},
        {"vibrato", &Instrument::vibrato, 0.0, 50.0},
        {"vibrato_depth", &Instrument::vibrato_depth, 0.0, 1200.0},
        {"fm", &Instrument::fm, 0.0, 32.0},
        {"fm_index", &Instrument::fm_index, 0.0, 50.0},
        {"fm_decay", &Instrument::fm_decay, 0.0, 60.0},
        {"q", &Instrument::q, 0.1, 50.0},
        {"track", &Instrument::track, 0.0, 64.0},
        {"sweep", &Instrument::sweep, 10.0, 22000.0},
        {"sweep_time", &Instrument::sweep_time, 0.0, 60.0},
        {"wander", &Instrument::wander, 0.0, 50.0},
        {"wander_depth", &Instrument::wander_depth, 0.0, 8.0},
        {"lfo", &Instrument::lfo, 0.0, 50.0},
        {"lfo_depth", &Instrument::lfo_depth, 0.0, 8.0},
        {"swell", &Instrument::swell, 0.0, 50.0},
        {"swell_depth", &Instrument::swell_depth, 0.0, 1.0},
        {"tremolo", &Instrument::tremolo, 0.0, 100.0},
        {"tremolo_depth", &Instrument::tremolo_depth, 0.0, 1.0},
        {"drive", &Instrument::drive, 0.0, 50.0},
        {"noise", &Instrument::noise, 0.0, 4.0},
    };
    for (const Key& key : kKeys) {
      if (k == key.name) {
        if (!Number(f, key.lo, key.hi, &v)) return false;
        ins.*key.field = v;
        return true;
      }
    }
    Error("instrument key \"" + std::string(k) + "\" is unknown");
    return false;
  }

  int InstrumentOf(const std::vector<std::string_view>& words) {
    if (words.size() < 2 || words[1].find('=') != std::string_view::npos) {
      Error("\"" + std::string(words[0]) + "\" needs an instrument name");
      return -1;
    }
    const int index = FindInstrument(words[1]);
    if (index < 0) Error("no instrument \"" + std::string(words[1]) + "\" above this line");
    return index;
  }

  bool Add(Event e) {
    if (recipe_.events.size() >= kMaxEvents) {
      Error("too many notes");
      failed_hard_ = true;
      return false;
    }
    e.seed = Mix32(recipe_.seed * 0x9E3779B9U + static_cast<uint32_t>(recipe_.events.size()) * 0x85EBCA6BU + 1U);
    recipe_.events.push_back(e);
    return true;
  }

  void Note(const std::vector<std::string_view>& words) {
    const int instrument = InstrumentOf(words);
    if (instrument < 0) return;
    std::vector<Field> fields;
    if (!Fields(words, 2, &fields)) return;
    Event e;
    e.instrument = instrument;
    for (const Field& f : fields) {
      double v = 0.0;
      bool ok = true;
      if (f.key == "at") {
        ok = Number(f, 0.0, kMaxSeconds, &e.start);
      } else if (f.key == "dur") {
        ok = Number(f, 0.0, kMaxSeconds, &e.duration);
      } else if (f.key == "pitch") {
        ok = Pitch(f, &e.frequency);
      } else if (f.key == "to") {
        ok = Pitch(f, &e.target);
      } else if (f.key == "vel") {
        ok = Number(f, 0.0, 4.0, &e.velocity);
      } else if (f.key == "pan") {
        ok = Number(f, -1.0, 1.0, &v);
        e.pan = v;
      } else {
        Error("note key \"" + std::string(f.key) + "\" is unknown");
        ok = false;
      }
      if (!ok) return;
    }
    Add(e);
  }

  // Notes in beats: "c4/2" (two beats), "c3+e3+g3/4" (a chord), "-/1" (a
  // rest), "c4" (the previous length), "c4/1@0.6" (a quieter note).
  void Sequence(const std::vector<std::string_view>& words, std::string_view notes) {
    const int instrument = InstrumentOf(words);
    if (instrument < 0) return;
    std::vector<Field> fields;
    if (!Fields(words, 2, &fields)) return;
    double at = 0.0;
    double vel = 1.0;
    double gate = 0.95;
    double transpose = 0.0;
    double repeat = 1.0;
    std::optional<double> pan;
    for (const Field& f : fields) {
      double v = 0.0;
      bool ok = true;
      if (f.key == "at") {
        ok = Number(f, 0.0, 100000.0, &at);
      } else if (f.key == "vel") {
        ok = Number(f, 0.0, 4.0, &vel);
      } else if (f.key == "gate") {
        ok = Number(f, 0.01, 16.0, &gate);
      } else if (f.key == "transpose") {
        ok = Number(f, -48.0, 48.0, &transpose);
      } else if (f.key == "repeat") {
        ok = Number(f, 1.0, 1000.0, &repeat);
      } else if (f.key == "pan") {
        ok = Number(f, -1.0, 1.0, &v);
        pan = v;
      } else {
        Error("seq key \"" + std::string(f.key) + "\" is unknown");
        ok = false;
      }
      if (!ok) return;
    }
    const double beat = 60.0 / recipe_.tempo;
    const double shift = std::pow(2.0, transpose / 12.0);
    const std::vector<std::string_view> tokens = Words(notes);
    if (tokens.empty()) return Error("seq has no notes after ':'");
    double t = at;
    for (int r = 0; r < static_cast<int>(repeat); ++r) {
      double length = 1.0;
      for (std::string_view token : tokens) {
        double note_vel = 1.0;
        const std::size_t at_sign = token.find('@');
        if (at_sign != std::string_view::npos) {
          if (!ParseNumber(token.substr(at_sign + 1), &note_vel) || note_vel < 0.0 || note_vel > 4.0) {
            return Error("\"" + std::string(token) + "\": the loudness after '@' must be 0..4");
          }
          token = token.substr(0, at_sign);
        }
        const std::size_t slash = token.find('/');
        if (slash != std::string_view::npos) {
          if (!ParseNumber(token.substr(slash + 1), &length) || length <= 0.0 || length > 1000.0) {
            return Error("\"" + std::string(token) + "\": the length after '/' must be beats above 0");
          }
          token = token.substr(0, slash);
        }
        if (t * beat > kMaxSeconds) return Error("the sequence runs past " + Short(kMaxSeconds) + " seconds");
        if (token != "-") {
          std::size_t from = 0;
          while (from <= token.size()) {
            std::size_t plus = token.find('+', from);
            if (plus == std::string_view::npos) plus = token.size();
            double hz = 0.0;
            if (!ParsePitch(token.substr(from, plus - from), &hz)) {
              return Error("\"" + std::string(token) + "\" is not a note, a chord (c3+e3+g3) or a rest (-)");
            }
            Event e;
            e.instrument = instrument;
            e.start = t * beat;
            e.duration = length * beat * gate;
            e.frequency = hz * shift;
            e.velocity = vel * note_vel;
            e.pan = pan;
            if (!Add(e)) return;
            from = plus + 1;
          }
        }
        t += length;
      }
    }
  }

  void Scatter(const std::vector<std::string_view>& words) {
    const int instrument = InstrumentOf(words);
    if (instrument < 0) return;
    std::vector<Field> fields;
    if (!Fields(words, 2, &fields)) return;
    double from = 0.0;
    double until = -1.0;
    double count = -1.0;
    double rate = -1.0;
    Range pitch{440.0, 440.0};
    Range bend{1.0, 1.0};
    Range dur{0.1, 0.1};
    Range vel{1.0, 1.0};
    std::optional<Range> pan;
    double seed = 0.0;
    for (const Field& f : fields) {
      bool ok = true;
      if (f.key == "from") {
        ok = Number(f, 0.0, kMaxSeconds, &from);
      } else if (f.key == "until") {
        ok = Number(f, 0.0, kMaxSeconds, &until);
      } else if (f.key == "count") {
        ok = Number(f, 0.0, static_cast<double>(kMaxEvents), &count);
      } else if (f.key == "rate") {
        ok = Number(f, 0.0, 2000.0, &rate);
      } else if (f.key == "pitch") {
        ok = RangeOf(f, 0.0, 0.0, true, &pitch);
      } else if (f.key == "bend") {
        ok = RangeOf(f, 0.01, 100.0, false, &bend);
      } else if (f.key == "dur") {
        ok = RangeOf(f, 0.0, kMaxSeconds, false, &dur);
      } else if (f.key == "vel") {
        ok = RangeOf(f, 0.0, 4.0, false, &vel);
      } else if (f.key == "pan") {
        Range p;
        ok = RangeOf(f, -1.0, 1.0, false, &p);
        pan = p;
      } else if (f.key == "seed") {
        ok = Number(f, 0.0, 4294967295.0, &seed);
      } else {
        Error("scatter key \"" + std::string(f.key) + "\" is unknown");
        ok = false;
      }
      if (!ok) return;
    }
    if (until < from) return Error("scatter needs until= after from=");
    if ((count < 0.0) == (rate < 0.0)) return Error("scatter needs either count= or rate=");
    const double span = until - from;
    const std::size_t n = static_cast<std::size_t>(count >= 0.0 ? count : std::floor(rate * span + 0.5));
    if (n > kMaxEvents) return Error("scatter asks for too many notes");
    // Each scatter has its own stream of numbers, so adding a note above it
    // does not reshuffle it.
    Random random(Mix32(recipe_.seed + 0x51ED27U * ++scatter_count_) ^ (static_cast<uint64_t>(seed) << 32));
    for (std::size_t i = 0; i < n; ++i) {
      Event e;
      e.instrument = instrument;
      e.start = from + span * random.Unit();
      // Pitches spread evenly over octaves, not over hertz.
      e.frequency = pitch.lo * std::pow(pitch.hi / pitch.lo, random.Unit());
      const double b = bend.lo * std::pow(bend.hi / bend.lo, random.Unit());
      e.target = b == 1.0 ? 0.0 : std::min(22000.0, e.frequency * b);
      e.duration = random.Between(dur.lo, dur.hi);
      e.velocity = random.Between(vel.lo, vel.hi);
      if (pan) e.pan = random.Between(pan->lo, pan->hi);
      if (!Add(e)) return;
    }
  }

  void Effect(const std::vector<std::string_view>& words) {
    std::vector<Field> fields;
    if (!Fields(words, 1, &fields)) return;
    const std::string_view verb = words[0];
    for (const Field& f : fields) {
      bool ok = true;
      bool known = true;
      if (verb == "reverb") {
        recipe_.reverb.on = true;
        if (f.key == "room") ok = Number(f, 0.0, 1.0, &recipe_.reverb.room);
        else if (f.key == "damp") ok = Number(f, 0.0, 1.0, &recipe_.reverb.damp);
        else if (f.key == "mix") ok = Number(f, 0.0, 1.0, &recipe_.reverb.mix);
        else if (f.key == "width") ok = Number(f, 0.0, 1.0, &recipe_.reverb.width);
        else known = false;
      } else if (verb == "echo") {
        recipe_.echo.on = true;
        if (f.key == "time") ok = Number(f, 0.01, 4.0, &recipe_.echo.time);
        else if (f.key == "feedback") ok = Number(f, 0.0, 0.95, &recipe_.echo.feedback);
        else if (f.key == "mix") ok = Number(f, 0.0, 1.0, &recipe_.echo.mix);
        else known = false;
      } else {
        if (f.key == "in") ok = Number(f, 0.0, kMaxSeconds, &recipe_.fade_in);
        else if (f.key == "out") ok = Number(f, 0.0, kMaxSeconds, &recipe_.fade_out);
        else known = false;
      }
      if (!known) {
        Error(std::string(verb) + " key \"" + std::string(f.key) + "\" is unknown");
        return;
      }
      if (!ok) return;
    }
    if (verb == "reverb") recipe_.reverb.on = true;
    if (verb == "echo") recipe_.echo.on = true;
  }

  void Loop(const std::vector<std::string_view>& words) {
    if (words.size() == 2 && words[1] == "fold") {
      recipe_.loop = LoopMode::Fold;
      return;
    }
    double v = 0.0;
    if (words.size() == 3 && words[1] == "crossfade" && ParseNumber(words[2], &v) && v > 0.0 && v <= 60.0) {
      recipe_.loop = LoopMode::Crossfade;
      recipe_.crossfade = v;
      return;
    }
    Error("loop is \"loop fold\" or \"loop crossfade SECONDS\" (up to 60)");
  }

  Recipe& recipe_;
  std::vector<std::string>& errors_;
  const IncludeReader& include_;
  std::string where_;
  bool failed_hard_ = false;
  uint32_t scatter_count_ = 0;
};

}  // namespace detail

// Reads a recipe. `file` names it in messages ("name:line: why"). Returns
// the recipe when there was no error; otherwise nothing, with every error
// found in `errors`.
inline std::optional<Recipe> ParseRecipe(std::string_view text, const std::string& file,
                                         const IncludeReader& include, std::vector<std::string>* errors) {
  Recipe recipe;
  std::vector<std::string> found;
  detail::Parser parser(recipe, found, include);
  parser.ParseText(text, file, 0);
  if (recipe.length > 0.0 && recipe.loop == LoopMode::Crossfade && recipe.crossfade > recipe.length / 2) {
    found.push_back(file + ": the crossfade must be at most half the length");
  }
  if (recipe.loop != LoopMode::None && recipe.length <= 0.0) {
    found.push_back(file + ": a loop needs a length");
  }
  if (errors != nullptr) errors->insert(errors->end(), found.begin(), found.end());
  if (!found.empty()) return std::nullopt;
  return recipe;
}

}  // namespace soundgen
