// The particle engine.
#include "fx/particles.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/random.h"
#include "res/draw_list.h"

namespace {

std::vector<std::string>& InternedNames() {
  static std::vector<std::string> names{""};
  return names;
}

}  // namespace

ParticleImage InternParticleImage(std::string_view name) {
  std::vector<std::string>& names = InternedNames();
  const auto it = std::find(names.begin(), names.end(), name);
  if (it != names.end()) return static_cast<ParticleImage>(it - names.begin());
  names.emplace_back(name);
  return static_cast<ParticleImage>(names.size() - 1);
}

std::string_view ParticleImageName(ParticleImage id) {
  const std::vector<std::string>& names = InternedNames();
  return id < names.size() ? std::string_view(names[id]) : std::string_view();
}

TParticleSystem::TParticleSystem(const TParticleSystem& other) noexcept : count(other.count) {
  std::memcpy(p.data(), other.p.data(), sizeof(TParticleD) * static_cast<std::size_t>(count));
}

TParticleSystem& TParticleSystem::operator=(const TParticleSystem& other) noexcept {
  if (this != &other) {
    count = other.count;
    std::memcpy(p.data(), other.p.data(), sizeof(TParticleD) * static_cast<std::size_t>(count));
  }
  return *this;
}

// --- Emitting and stepping -------------------------------------------------------------

namespace {

// The effect images, known from the start so that the effects never add a
// name while the game runs.
const ParticleImage kGlint = InternParticleImage("p_glint");
const ParticleImage kStar = InternParticleImage("p_star");
const ParticleImage kGhost = InternParticleImage("p_ghost");
const ParticleImage kSpark = InternParticleImage("p_spark");
const ParticleImage kFog = InternParticleImage("p_fog");

void Append(TParticleSystem& ps, ParticleImage image, bool fadeMode, float x, float y, float vx,
            float vy, float size, float decay, float spin, float growth, uint32_t colour,
            int blend) {
  if (ps.count < 0 || ps.count >= MAX_PARTICLES) return;
  TParticleD& q = ps.p[static_cast<std::size_t>(ps.count)];
  q.image = image;
  q.x = x;
  q.y = y;
  q.angle = 0.0f;
  q.size = size;
  q.life = 255.0f;
  q.vx = vx;
  q.vy = vy;
  q.colour = colour;
  q.blend = blend;
  q.decay = decay;
  q.dead = false;
  q.growth = growth;
  q.spin = spin;
  q.fadeMode = fadeMode;
  q.gravity = 0.0f;
  ++ps.count;
}

uint32_t Rgb(int r, int g, int b) {
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

float RandomSpin() { return Random(2) == 0 ? 2.0f : -2.0f; }

// A whole number in lo..hi-1 as a float.
float RandomBetween(int lo, int hi) { return static_cast<float>(lo + Random(hi - lo)); }

uint32_t GoldenSpark() { return Rgb(221, 170 - Random(50), 68 - Random(50)); }

// A golden spark up to `reach` pixels off (x, y), drifting at a random
// speed of up to half a pixel a tick divided by `slowness`.
void ScatteredSpark(TParticleSystem& ps, float x, float y, int reach, float slowness, float size,
                    float decay, float growth) {
  const float px = x + RandomBetween(-reach, reach);
  const float py = y + RandomBetween(-reach, reach);
  const float vx = RandomBetween(-5, 5) / slowness;
  const float vy = RandomBetween(-5, 5) / slowness;
  Append(ps, kSpark, false, px, py, vx, vy, size, decay, 0.0f, growth, GoldenSpark(), BLEND_ADD);
}

}  // namespace

void Emit(TParticleSystem& ps, std::string_view image, bool fadeMode, float x, float y, float vx,
          float vy, float size, float decay, float spin, float growth, uint32_t colour,
          int blend) {
  if (ps.count >= MAX_PARTICLES) return;  // a full emitter does not even learn the name
  Append(ps, InternParticleImage(image), fadeMode, x, y, vx, vy, size, decay, spin, growth,
         colour, blend);
}

void UpdateAndDraw(TParticleSystem& ps) {
  const int count = std::clamp(ps.count, 0, MAX_PARTICLES);
  for (int i = 0; i < count; ++i) {
    TParticleD& q = ps.p[static_cast<std::size_t>(i)];
    q.life -= q.decay;
    q.angle += q.spin;
    if (q.life < 0.0f) q.dead = true;
    q.x += q.vx;
    q.y += q.vy;
    q.vy += q.gravity;
    q.size += q.growth;
    if (!(q.size > 0.0f)) q.size = 0.0f;
    if (q.dead) continue;
    // A living particle is always recorded, even when it shows nothing (scale
    // or opacity 0): its command marks the ticks it is alive.
    const std::string_view name = ParticleImageName(q.image);
    if (q.fadeMode) {
      const float opacity = std::min(q.life, 255.0f);
      DrawList.scaled_image(name, static_cast<uint8_t>(std::lround(opacity)), q.x, q.y, q.angle,
                            q.size, q.size, q.colour, q.blend, 0);
    } else {
      const float scale = q.life * q.size / 255.0f;
      DrawList.scaled_image(name, 255, q.x, q.y, q.angle, scale, scale, q.colour, q.blend, 0);
    }
  }

  // The dead leave in place, in one pass that keeps the order of the living.
  // As when each dead particle closed its gap at once, the particle that
  // slides into a freed slot is not looked at again this tick: a dead one
  // right behind a dead one waits for the next call.
  int kept = 0;
  bool slid = false;
  for (int i = 0; i < count; ++i) {
    const TParticleD& q = ps.p[static_cast<std::size_t>(i)];
    if (q.dead && !slid) {
      slid = true;
      continue;
    }
    slid = false;
    if (kept != i) ps.p[static_cast<std::size_t>(kept)] = q;
    ++kept;
  }
  // The spare slot after the last particle follows them down.
  if (kept < count) ps.p[static_cast<std::size_t>(kept)] = ps.p[static_cast<std::size_t>(count)];
  ps.count = kept;
}

// --- The effects -----------------------------------------------------------------------

void EmitGlint(TParticleSystem& ps, float x, float y) {
  const float spin = RandomSpin();
  const int r = 255 - Random(32);
  const int g = 255 - Random(32);
  const int b = 255 - Random(32);
  Append(ps, kGlint, false, x, y, 0.0f, 0.0f, 0.0f, 0.75f, spin, 0.01f, Rgb(r, g, b), BLEND_ADD);
}

void EmitStar(TParticleSystem& ps, float x, float y) {
  const float s = 0.2f + RandomBetween(0, 10) / 20.0f;
  const float px = x - 50.0f + RandomBetween(0, 100);
  const float py = y - 10.0f + RandomBetween(0, 75);
  const float spin = RandomSpin();
  const int r = 128 + Random(32);
  const int g = 64 + Random(64);
  const int b = Random(32);
  Append(ps, kStar, false, px, py, 0.0f, -0.05f - s, 0.0f, 1.0f + 4.0f * s, spin, 0.05f * s,
         Rgb(r, g, b), BLEND_ADD);
}

void EmitGhost(TParticleSystem& ps, float x, float y, float orbit) {
  const float s = 1.5f + RandomBetween(0, 10) / 5.0f;
  const float dx = 20.0f * std::cos(orbit);
  const float dy = 20.0f * std::sin(orbit);
  // The two wisps sit opposite each other on the circle and drift apart.
  for (const float side : {1.0f, -1.0f}) {
    const float a = RandomBetween(0, 360);  // a whole number of radians
    const float vx = RandomBetween(0, 5) * std::cos(a) / 10.0f;
    const float vy = RandomBetween(0, 5) * std::sin(a) / 10.0f;
    const float spin = RandomSpin();
    const int r = 128 - Random(128);
    const int b = 128 - Random(64);
    Append(ps, kGhost, false, x + side * dx, y + side * dy, vx, vy, 0.0f, s + 2.0f, spin,
           0.02f * s, Rgb(r, 128, b), BLEND_ADD);
  }
}

void EmitSparkTrail(TParticleSystem& ps, float x, float y) {
  ScatteredSpark(ps, x, y, 10, 10.0f, 0.5f + RandomBetween(0, 10) / 20.0f, 2.5f, -0.01f);
}

void EmitSparkFound(TParticleSystem& ps, float x, float y) {
  ScatteredSpark(ps, x, y, 50, 10.0f, 0.5f + RandomBetween(0, 10) / 10.0f, 2.5f, -0.005f);
}

void EmitSparkHint(TParticleSystem& ps, float x, float y) {
  const float size = 0.1f + RandomBetween(0, 10) / 10.0f;
  ScatteredSpark(ps, x, y, 5, 40.0f, size, 1.0f + RandomBetween(0, 10) / 10.0f, 0.01f);
}

void EmitSparkRecharge(TParticleSystem& ps, float x, float y, float w, float h) {
  // The hint ring's sparks, scattered over the button instead of round a point.
  for (int i = 0; i < 26; ++i)
    EmitSparkHint(ps, x + RandomFloat() * w, y + RandomFloat() * h);
}

void EmitFog(TParticleSystem& ps, float x, float y) {
  // Slow, large puffs that swell while they fade: the hint ring's drift with
  // the found sparks' size and a long life.
  const float vx = RandomBetween(-5, 5) / 40.0f;
  const float vy = RandomBetween(-5, 5) / 40.0f;
  const float size = 0.5f + RandomBetween(0, 10) / 10.0f;
  const float decay = 1.0f + RandomBetween(0, 10) / 10.0f;
  const int grey = Random(128);
  Append(ps, kFog, false, x, y, vx, vy, size, decay, 0.0f, 0.01f, Rgb(grey, grey, grey),
         BLEND_ADD);
}
