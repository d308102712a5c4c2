// Renders a sound recipe (sound_recipe.h) into samples: oscillators and
// noise through envelopes and filters, then echo and reverb over the whole
// mix, then the loop seam, fades and the loudness. Pure arithmetic with the
// recipe's own random numbers, so one recipe always gives the same samples.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "sound_recipe.h"

namespace soundgen {

struct Audio {
  int rate = 44100;
  int channels = 2;
  std::vector<float> samples;  // interleaved when stereo
  std::size_t Frames() const { return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0; }
};

namespace detail {

inline constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Smooth random motion in -1..1: random knots `rate` times a second,
// joined by smoothstep curves. Wind gusts and wandering filters use it.
class Wander {
 public:
  Wander(double rate, double seconds, uint64_t seed) : rate_(rate) {
    if (rate <= 0.0) return;
    Random random(seed);
    const std::size_t knots = static_cast<std::size_t>(seconds * rate) + 3;
    knots_.resize(knots);
    for (double& k : knots_) k = random.Between(-1.0, 1.0);
  }
  double At(double t) const {
    if (knots_.empty()) return 0.0;
    const double x = std::max(0.0, t * rate_);
    std::size_t i = static_cast<std::size_t>(x);
    if (i + 1 >= knots_.size()) i = knots_.size() - 2;
    double f = std::min(1.0, x - static_cast<double>(i));
    f = f * f * (3.0 - 2.0 * f);
    return knots_[i] + (knots_[i + 1] - knots_[i]) * f;
  }

 private:
  double rate_;
  std::vector<double> knots_;
};

// Topology-preserving state-variable filter: stays stable while its cutoff
// moves every few samples.
struct Filter {
  double ic1 = 0.0;
  double ic2 = 0.0;
  double a1 = 0.0;
  double a2 = 0.0;
  double a3 = 0.0;
  double k = 1.0;
  void Tune(double cutoff, double q, double rate) {
    const double fc = std::clamp(cutoff, 10.0, rate * 0.49);
    const double g = std::tan(std::numbers::pi * fc / rate);
    k = 1.0 / q;
    a1 = 1.0 / (1.0 + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
  }
  double Run(double x, FilterKind kind) {
    const double v3 = x - ic2;
    const double v1 = a1 * ic1 + a2 * v3;
    const double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0 * v1 - ic1;
    ic2 = 2.0 * v2 - ic2;
    switch (kind) {
      case FilterKind::Lowpass: return v2;
      case FilterKind::Highpass: return x - k * v1 - v2;
      case FilterKind::Bandpass: return k * v1;  // unity gain at the centre
      case FilterKind::None: break;
    }
    return x;
  }
};

// Removes the steps of a saw or square at its jumps (less aliasing).
inline double PolyBlep(double phase, double dt) {
  if (phase < dt) {
    const double t = phase / dt;
    return t + t - t * t - 1.0;
  }
  if (phase > 1.0 - dt) {
    const double t = (phase - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

struct NoiseSource {
  uint32_t state;
  double b0 = 0.0, b1 = 0.0, b2 = 0.0, brown = 0.0;
  explicit NoiseSource(uint32_t seed) : state(seed != 0 ? seed : 0x12345678U) {}
  double White() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<double>(state) * (2.0 / 4294967295.0) - 1.0;
  }
  double Pink() {
    const double w = White();
    b0 = 0.99765 * b0 + w * 0.0990460;
    b1 = 0.96300 * b1 + w * 0.2965164;
    b2 = 0.57000 * b2 + w * 1.0526913;
    return (b0 + b1 + b2 + w * 0.1848) * 0.25;
  }
  double Brown() {
    brown = (brown + 0.02 * White()) / 1.02;
    return brown * 3.5;
  }
};

// The envelope's level t seconds after the note starts, held for `gate`.
inline double EnvelopeAt(const Instrument& ins, double t, double gate) {
  auto held = [&ins](double u) {
    if (u < ins.attack) return u / ins.attack;
    if (ins.decay <= 0.0) return ins.sustain;
    return ins.sustain + (1.0 - ins.sustain) * std::exp(-5.0 * (u - ins.attack) / ins.decay);
  };
  if (t < gate) return held(t);
  const double release = std::max(ins.release, 0.002);
  const double x = (t - gate) / release;
  if (x >= 1.0) return 0.0;
  return held(gate) * std::exp(-4.0 * x) * (1.0 - x);
}

inline void RenderEvent(const Instrument& ins, const Event& e, int rate, std::vector<float>& left,
                        std::vector<float>& right) {
  const double sr = static_cast<double>(rate);
  const double gate = std::max(e.duration, 0.0);
  const double span = gate + std::max(ins.release, 0.002);
  const std::size_t first = static_cast<std::size_t>(std::llround(e.start * sr));
  if (first >= left.size()) return;
  const std::size_t frames = std::min(static_cast<std::size_t>(std::ceil(span * sr)), left.size() - first);
  const bool noisy = ins.wave == Wave::Noise || ins.wave == Wave::Pink || ins.wave == Wave::Brown;
  const double glide_time = ins.glide > 0.0 ? ins.glide : std::max(gate, 0.001);
  const double base_pan = e.pan ? *e.pan : ins.pan;
  const int voices = std::max(1, ins.unison);
  const double gain = ins.gain * e.velocity / std::sqrt(static_cast<double>(voices));
  Random random(e.seed);
  const Wander cutoff_wander(ins.wander, span, random.Next());
  const Wander swell(ins.swell, span, random.Next());
  const double lfo_phase = random.Unit();

  for (int v = 0; v < voices; ++v) {
    const double position = voices > 1 ? static_cast<double>(v) / (voices - 1) : 0.5;
    const double cents = voices > 1 ? ins.detune * (position - 0.5) : 0.0;
    const double pan = std::clamp(base_pan + (voices > 1 ? ins.spread * (2.0 * position - 1.0) : 0.0), -1.0, 1.0);
    const double angle = (pan + 1.0) * std::numbers::pi / 4.0;
    const double gl = std::cos(angle) * gain;
    const double gr = std::sin(angle) * gain;
    const double detune = std::pow(2.0, cents / 1200.0);
    // Copies start at random phases so they do not sound as one; a single
    // voice starts at zero for a clean attack.
    double phase = voices > 1 ? random.Unit() : 0.0;
    double mod_phase = 0.0;
    NoiseSource noise(static_cast<uint32_t>(random.Next()));
    Filter filter;
    double freq = e.frequency;
    for (std::size_t i = 0; i < frames; ++i) {
      const double t = static_cast<double>(i) / sr;
      if (i % 16 == 0) {
        freq = e.frequency;
        if (e.target > 0.0) freq *= std::pow(e.target / e.frequency, std::min(t / glide_time, 1.0));
        if (ins.filter != FilterKind::None) {
          double cutoff = ins.track > 0.0 ? ins.track * freq : ins.cutoff;
          if (ins.sweep > 0.0) {
            const double sweep_time = ins.sweep_time > 0.0 ? ins.sweep_time : std::max(gate, 0.001);
            cutoff *= std::pow(ins.sweep / cutoff, std::min(t / sweep_time, 1.0));
          }
          if (ins.wander_depth > 0.0) cutoff *= std::exp2(ins.wander_depth * cutoff_wander.At(t));
          if (ins.lfo_depth > 0.0) cutoff *= std::exp2(ins.lfo_depth * std::sin(kTwoPi * (ins.lfo * t + lfo_phase)));
          filter.Tune(cutoff, ins.q, sr);
        }
      }
      double f = freq * detune;
      if (ins.vibrato > 0.0 && ins.vibrato_depth > 0.0) {
        f *= std::exp2(ins.vibrato_depth / 1200.0 * std::sin(kTwoPi * ins.vibrato * t));
      }
      const double dt = std::min(f / sr, 0.5);
      double x = 0.0;
      switch (ins.wave) {
        case Wave::Sine:
          if (ins.fm > 0.0) {
            const double index = ins.fm_index * (ins.fm_decay > 0.0 ? std::exp(-t / ins.fm_decay) : 1.0);
            x = std::sin(kTwoPi * phase + index * std::sin(kTwoPi * mod_phase));
            mod_phase += dt * ins.fm;
            mod_phase -= std::floor(mod_phase);
          } else {
            x = std::sin(kTwoPi * phase);
          }
          break;
        case Wave::Triangle: x = 4.0 * std::abs(phase - 0.5) - 1.0; break;
        case Wave::Saw: x = 2.0 * phase - 1.0 - PolyBlep(phase, dt); break;
        case Wave::Square: {
          x = phase < 0.5 ? 1.0 : -1.0;
          double half = phase + 0.5;
          half -= std::floor(half);
          x += PolyBlep(phase, dt) - PolyBlep(half, dt);
          break;
        }
        case Wave::Noise: x = noise.White(); break;
        case Wave::Pink: x = noise.Pink(); break;
        case Wave::Brown: x = noise.Brown(); break;
      }
      if (!noisy) {
        phase += dt;
        phase -= std::floor(phase);
      }
      if (ins.noise > 0.0) x += ins.noise * noise.White();
      if (ins.drive > 0.0) x = std::tanh(ins.drive * x) / std::tanh(ins.drive);
      if (ins.filter != FilterKind::None) x = filter.Run(x, ins.filter);
      double amp = EnvelopeAt(ins, t, gate);
      if (ins.tremolo > 0.0) amp *= 1.0 - ins.tremolo_depth * (0.5 - 0.5 * std::cos(kTwoPi * ins.tremolo * t));
      if (ins.swell_depth > 0.0) amp *= 1.0 - ins.swell_depth * (0.5 + 0.5 * swell.At(t));
      const double y = x * amp;
      left[first + i] += static_cast<float>(y * gl);
      right[first + i] += static_cast<float>(y * gr);
    }
  }
}

inline void ApplyEcho(const Echo& echo, int rate, std::vector<float>& left, std::vector<float>& right) {
  const std::size_t delay = std::max<std::size_t>(1, static_cast<std::size_t>(echo.time * rate));
  std::vector<float> line_l(delay, 0.0f);
  std::vector<float> line_r(delay, 0.0f);
  float soft_l = 0.0f;
  float soft_r = 0.0f;
  const float fb = static_cast<float>(echo.feedback);
  const float mix = static_cast<float>(echo.mix);
  std::size_t at = 0;
  for (std::size_t i = 0; i < left.size(); ++i) {
    const float out_l = line_l[at];
    const float out_r = line_r[at];
    // Each repeat is a little darker, and crosses to the other side.
    soft_l += 0.5f * (out_l - soft_l);
    soft_r += 0.5f * (out_r - soft_r);
    line_l[at] = left[i] + fb * soft_r;
    line_r[at] = right[i] + fb * soft_l;
    left[i] += mix * out_l;
    right[i] += mix * out_r;
    at = at + 1 == delay ? 0 : at + 1;
  }
}

// A room: eight damped comb filters and four all-passes per side.
inline void ApplyReverb(const Reverb& reverb, int rate, std::vector<float>& left, std::vector<float>& right) {
  static constexpr int kCombs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  static constexpr int kAllpasses[4] = {556, 441, 341, 225};
  constexpr int kStereoSpread = 23;
  const double scale = rate / 44100.0;
  struct Comb {
    std::vector<float> buffer;
    std::size_t at = 0;
    float store = 0.0f;
  };
  struct Allpass {
    std::vector<float> buffer;
    std::size_t at = 0;
  };
  Comb combs[2][8];
  Allpass passes[2][4];
  for (int side = 0; side < 2; ++side) {
    for (int c = 0; c < 8; ++c) {
      combs[side][c].buffer.assign(static_cast<std::size_t>((kCombs[c] + side * kStereoSpread) * scale), 0.0f);
    }
    for (int a = 0; a < 4; ++a) {
      passes[side][a].buffer.assign(static_cast<std::size_t>((kAllpasses[a] + side * kStereoSpread) * scale), 0.0f);
    }
  }
  const float feedback = static_cast<float>(reverb.room * 0.28 + 0.7);
  const float damp1 = static_cast<float>(reverb.damp * 0.4);
  const float damp2 = 1.0f - damp1;
  const float wet = static_cast<float>(reverb.mix * 3.0);
  const float wet1 = wet * static_cast<float>(reverb.width / 2.0 + 0.5);
  const float wet2 = wet * static_cast<float>((1.0 - reverb.width) / 2.0);
  for (std::size_t i = 0; i < left.size(); ++i) {
    const float input = (left[i] + right[i]) * 0.015f;
    float out[2] = {0.0f, 0.0f};
    for (int side = 0; side < 2; ++side) {
      for (Comb& comb : combs[side]) {
        const float y = comb.buffer[comb.at];
        comb.store = y * damp2 + comb.store * damp1;
        comb.buffer[comb.at] = input + comb.store * feedback;
        comb.at = comb.at + 1 == comb.buffer.size() ? 0 : comb.at + 1;
        out[side] += y;
      }
      for (Allpass& pass : passes[side]) {
        const float buffered = pass.buffer[pass.at];
        const float y = buffered - out[side];
        pass.buffer[pass.at] = out[side] + buffered * 0.5f;
        pass.at = pass.at + 1 == pass.buffer.size() ? 0 : pass.at + 1;
        out[side] = y;
      }
    }
    left[i] += out[0] * wet1 + out[1] * wet2;
    right[i] += out[1] * wet1 + out[0] * wet2;
  }
}

// How long echo and reverb ring on after the last note.
inline double EffectTail(const Recipe& r) {
  double tail = 0.0;
  if (r.reverb.on && r.reverb.mix > 0.0) tail = std::max(tail, 0.5 + 5.0 * r.reverb.room);
  if (r.echo.on && r.echo.mix > 0.0 && r.echo.feedback > 0.0) {
    tail = std::max(tail, std::min(10.0, r.echo.time * std::ceil(std::log(0.001) / std::log(r.echo.feedback))));
  } else if (r.echo.on) {
    tail = std::max(tail, r.echo.time);
  }
  return tail;
}

}  // namespace detail

// The recipe's samples, ready for encoding: never louder than full scale.
inline Audio Render(const Recipe& recipe) {
  const double sr = static_cast<double>(recipe.rate);
  double end = 0.0;
  for (const Event& e : recipe.events) {
    const Instrument& ins = recipe.instruments[static_cast<std::size_t>(e.instrument)];
    end = std::max(end, e.start + e.duration + std::max(ins.release, 0.002));
  }
  const double tail = detail::EffectTail(recipe);
  double total = 0.0;
  switch (recipe.loop) {
    case LoopMode::None: total = recipe.length > 0.0 ? recipe.length : end + tail; break;
    case LoopMode::Fold: total = std::max(recipe.length, end + tail); break;
    case LoopMode::Crossfade: total = recipe.length + recipe.crossfade; break;
  }
  total = std::min(total, kMaxSeconds * 2.0);
  const std::size_t frames = std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(total * sr)));
  std::vector<float> left(frames, 0.0f);
  std::vector<float> right(frames, 0.0f);
  for (const Event& e : recipe.events) {
    detail::RenderEvent(recipe.instruments[static_cast<std::size_t>(e.instrument)], e, recipe.rate, left, right);
  }
  if (recipe.echo.on) detail::ApplyEcho(recipe.echo, recipe.rate, left, right);
  if (recipe.reverb.on) detail::ApplyReverb(recipe.reverb, recipe.rate, left, right);

  std::size_t length = frames;
  if (recipe.loop != LoopMode::None) {
    length = std::max<std::size_t>(1, static_cast<std::size_t>(std::llround(recipe.length * sr)));
    length = std::min(length, frames);
  }
  if (recipe.loop == LoopMode::Fold) {
    // What rings on past the end is laid over the start, so the end runs
    // into the start without a seam.
    for (std::size_t i = length; i < frames; ++i) {
      left[i % length] += left[i];
      right[i % length] += right[i];
    }
  } else if (recipe.loop == LoopMode::Crossfade) {
    const std::size_t fade = std::min(frames - length, length);
    for (std::size_t i = 0; i < fade; ++i) {
      const double w = (static_cast<double>(i) + 0.5) / static_cast<double>(fade) * std::numbers::pi / 2.0;
      const float in = static_cast<float>(std::sin(w));
      const float out = static_cast<float>(std::cos(w));
      left[i] = left[i] * in + left[length + i] * out;
      right[i] = right[i] * in + right[length + i] * out;
    }
  } else if (recipe.length <= 0.0) {
    // Trim what the tail estimate left at the end once it has fallen 56 dB
    // below the loudest sample, keeping 10 ms.
    float loudest = 0.0f;
    for (std::size_t i = 0; i < frames; ++i) loudest = std::max({loudest, std::abs(left[i]), std::abs(right[i])});
    const float quiet = std::max(1e-5f, loudest * 0.0015f);
    std::size_t last = 0;
    for (std::size_t i = 0; i < frames; ++i) {
      if (std::abs(left[i]) > quiet || std::abs(right[i]) > quiet) last = i;
    }
    length = std::min(frames, last + 1 + static_cast<std::size_t>(0.01 * sr));
  }
  left.resize(length);
  right.resize(length);

  // A sound that is cut short gets a short fade so it does not click.
  double fade_out = recipe.fade_out;
  if (recipe.loop == LoopMode::None && recipe.length > 0.0) fade_out = std::max(fade_out, 0.01);
  const std::size_t in_frames = std::min(length, static_cast<std::size_t>(recipe.fade_in * sr));
  const std::size_t out_frames = std::min(length, static_cast<std::size_t>(fade_out * sr));
  for (std::size_t i = 0; i < in_frames; ++i) {
    const float g = static_cast<float>(static_cast<double>(i) / static_cast<double>(in_frames));
    left[i] *= g;
    right[i] *= g;
  }
  for (std::size_t i = 0; i < out_frames; ++i) {
    const float g = static_cast<float>(static_cast<double>(i) / static_cast<double>(out_frames));
    left[length - 1 - i] *= g;
    right[length - 1 - i] *= g;
  }

  Audio audio;
  audio.rate = recipe.rate;
  audio.channels = recipe.channels;
  audio.samples.resize(length * static_cast<std::size_t>(recipe.channels));
  for (std::size_t i = 0; i < length; ++i) {
    if (recipe.channels == 1) {
      audio.samples[i] = (left[i] + right[i]) * 0.70710678f;
    } else {
      audio.samples[2 * i] = left[i];
      audio.samples[2 * i + 1] = right[i];
    }
  }
  float loudest = 0.0f;
  for (float s : audio.samples) loudest = std::max(loudest, std::abs(s));
  float scale = 1.0f;
  if (recipe.peak > 0.0 && loudest > 0.0f) scale = static_cast<float>(recipe.peak) / loudest;
  for (float& s : audio.samples) s = std::clamp(s * scale, -1.0f, 1.0f);
  return audio;
}

}  // namespace soundgen
