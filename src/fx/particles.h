// The particle engine: every sparkle, glint, star, trail and wisp of the game.
// Each scene object embeds its own emitter by value; particles are plain
// records that fly in straight lines (with optional gravity), spin, grow or
// shrink and die when their life runs out, drawn as sprites through the
// frame's draw list.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <type_traits>

inline constexpr int MAX_PARTICLES = 4096;

// Particle images are interned: a particle carries a small id instead of a
// string, so particle records can be copied as plain bytes.
using ParticleImage = uint32_t;
ParticleImage InternParticleImage(std::string_view name);
std::string_view ParticleImageName(ParticleImage id);

struct TParticleD {
  ParticleImage image;
  float x, y;
  float angle;
  float size;      // never below 0
  float life;      // 255 at birth; dead below 0
  float vx, vy;    // pixels per tick
  uint32_t colour;
  int32_t blend;   // the sprite's blend mode (0 normal, 1 additive, ...)
  float decay;     // life lost per tick
  bool dead;
  float growth;    // size change per tick
  float spin;      // degrees per tick
  bool fadeMode;   // true: fade out at full size; false: shrink at full opacity
  float gravity;   // vy change per tick
};
static_assert(std::is_trivially_copyable_v<TParticleD>);

// One emitter: room for 4096 live particles plus a spare slot for the
// in-place removal. Constructing one writes only the count, and copying one
// copies only its live particles, so the large world record costs memory only
// where particles live.
struct TParticleSystem {
  TParticleSystem() noexcept {}  // the slots stay untouched on purpose
  TParticleSystem(const TParticleSystem& other) noexcept;
  TParticleSystem& operator=(const TParticleSystem& other) noexcept;

  std::array<TParticleD, MAX_PARTICLES + 1> p;
  int32_t count = 0;
};

// Appends one particle (angle 0, life 255, gravity 0, alive); nothing when the
// emitter already holds 4096.
void Emit(TParticleSystem& ps, std::string_view image, bool fadeMode, float x, float y, float vx,
          float vy, float size, float decay, float spin, float growth, uint32_t colour,
          int blend);
// Advances every particle one tick, records the living ones in the draw list,
// then removes the dead ones in place (a dead particle that slides into a
// freed slot goes on the next call).
void UpdateAndDraw(TParticleSystem& ps);

// The named effects.
void EmitGlint(TParticleSystem& ps, float x, float y);                // "p_glint"
// One "p_star" somewhere in x-50..x+49, y-10..y+64, rising.
void EmitStar(TParticleSystem& ps, float x, float y);
// Two "p_ghost" wisps, 20 px from (x, y) at the orbit angle and opposite it.
void EmitGhost(TParticleSystem& ps, float x, float y, float orbit);
void EmitSparkTrail(TParticleSystem& ps, float x, float y);           // flying inventory entry
void EmitSparkFound(TParticleSystem& ps, float x, float y);           // found hidden thing
void EmitSparkHint(TParticleSystem& ps, float x, float y);            // hint ring
// The 26 sparks of a finished hint recharge, over the rectangle (x, y, w, h).
void EmitSparkRecharge(TParticleSystem& ps, float x, float y, float w, float h);
void EmitFog(TParticleSystem& ps, float x, float y);                  // "p_fog" penalty
