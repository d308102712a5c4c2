// The particle engine: the 4096 limit, how long a particle lives and how it
// shows on screen, the in-place removal of the dead, copies of emitters, the
// ranges of the named effects, and the world record's memory.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <vector>

#include "engine/random.h"
#include "fx/particles.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "support/screen_fixture.h"
#include "support/temp_files.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

// Emitters are large; tests keep them on the heap.
std::unique_ptr<TParticleSystem> NewEmitter() { return std::make_unique<TParticleSystem>(); }

// One plain particle: no motion, no spin, white, additive.
void EmitPlain(TParticleSystem& ps, float x, float decay, float size = 1.0f, float growth = 0.0f,
               bool fadeMode = false) {
  Emit(ps, "p_test", fadeMode, x, 100.0f, 0.0f, 0.0f, size, decay, 0.0f, growth, 0xFFFFFF,
       BLEND_ADD);
}

// Steps the emitter one tick on an empty draw list; the commands it recorded.
std::size_t Tick(TParticleSystem& ps) {
  DrawList.clear();
  UpdateAndDraw(ps);
  return DrawList.count();
}

// The x positions of the emitter's particles, in slot order.
std::vector<float> Positions(const TParticleSystem& ps) {
  std::vector<float> xs;
  for (int i = 0; i < ps.count; ++i) xs.push_back(ps.p[static_cast<std::size_t>(i)].x);
  return xs;
}

TParticleD Sentinel() {
  TParticleD d;
  std::memset(&d, 0x5A, sizeof d);
  return d;
}

bool SameBytes(const TParticleD& a, const TParticleD& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

class Particles : public ::testing::Test {
 protected:
  void SetUp() override { DrawList.clear(); }
  void TearDown() override { DrawList.clear(); }
};

}  // namespace

TEST_F(Particles, EmitStoresTheValuesWithAFreshLife) {
  auto ps = NewEmitter();
  Emit(*ps, "p_star", true, 1, 2, 3, 4, 5, 6, 7, 8, 0x123456, BLEND_MULTIPLY);
  ASSERT_EQ(ps->count, 1);
  const TParticleD& q = ps->p[0];
  EXPECT_EQ(ParticleImageName(q.image), "p_star");
  EXPECT_TRUE(q.fadeMode);
  EXPECT_FLOAT_EQ(q.x, 1);
  EXPECT_FLOAT_EQ(q.y, 2);
  EXPECT_FLOAT_EQ(q.vx, 3);
  EXPECT_FLOAT_EQ(q.vy, 4);
  EXPECT_FLOAT_EQ(q.size, 5);
  EXPECT_FLOAT_EQ(q.decay, 6);
  EXPECT_FLOAT_EQ(q.spin, 7);
  EXPECT_FLOAT_EQ(q.growth, 8);
  EXPECT_EQ(q.colour, 0x123456u);
  EXPECT_EQ(q.blend, BLEND_MULTIPLY);
  EXPECT_FLOAT_EQ(q.angle, 0);
  EXPECT_FLOAT_EQ(q.life, 255);
  EXPECT_FLOAT_EQ(q.gravity, 0);
  EXPECT_FALSE(q.dead);
}

TEST_F(Particles, AFullEmitterIgnoresEmissionsUntilSomeDie) {
  auto ps = NewEmitter();
  for (int i = 0; i < MAX_PARTICLES; ++i)
    EmitPlain(*ps, static_cast<float>(i), i == 0 ? 300.0f : 0.0f);
  ASSERT_EQ(ps->count, MAX_PARTICLES);
  ps->p[MAX_PARTICLES] = Sentinel();

  EmitPlain(*ps, -1.0f, 0.0f);
  EXPECT_EQ(ps->count, MAX_PARTICLES);
  EXPECT_TRUE(SameBytes(ps->p[MAX_PARTICLES], Sentinel())) << "the spare slot was written";
  EXPECT_FLOAT_EQ(ps->p[MAX_PARTICLES - 1].x, MAX_PARTICLES - 1);

  // The first one dies; everything after it, the spare slot too, moves down.
  EXPECT_EQ(Tick(*ps), static_cast<std::size_t>(MAX_PARTICLES - 1));
  ASSERT_EQ(ps->count, MAX_PARTICLES - 1);
  EXPECT_FLOAT_EQ(ps->p[0].x, 1);
  EXPECT_FLOAT_EQ(ps->p[MAX_PARTICLES - 2].x, MAX_PARTICLES - 1);
  EXPECT_TRUE(SameBytes(ps->p[MAX_PARTICLES - 1], Sentinel()));

  EmitPlain(*ps, -1.0f, 0.0f);
  EXPECT_EQ(ps->count, MAX_PARTICLES);
  EXPECT_FLOAT_EQ(ps->p[MAX_PARTICLES - 1].x, -1);
  EmitPlain(*ps, -2.0f, 0.0f);
  EXPECT_EQ(ps->count, MAX_PARTICLES);
  EXPECT_FLOAT_EQ(ps->p[MAX_PARTICLES - 1].x, -1);
}

TEST_F(Particles, DecayOfThreeQuartersIsDrawnFor340Ticks) {
  for (const bool fadeMode : {false, true}) {
    auto ps = NewEmitter();
    EmitPlain(*ps, 0.0f, 0.75f, 2.0f, 0.0f, fadeMode);
    int drawn = 0;
    int tick = 0;
    while (ps->count > 0 && tick < 1000) {
      ++tick;
      const std::size_t commands = Tick(*ps);
      if (commands == 0) continue;
      ASSERT_EQ(commands, 1u);
      ++drawn;
      EXPECT_EQ(drawn, tick) << "drawn again after a gap";
      const tfunction& c = DrawList[0];
      const float life = 255.0f - 0.75f * static_cast<float>(tick);
      EXPECT_EQ(c.kind, DRAW_SCALED_IMAGE);
      EXPECT_EQ(c.blend, BLEND_ADD);
      EXPECT_EQ(c.effects, 0u);
      if (fadeMode) {
        EXPECT_FLOAT_EQ(c.scale_x, 2.0f);
        EXPECT_EQ(c.alpha, static_cast<uint8_t>(std::lround(life))) << tick;
      } else {
        EXPECT_EQ(c.alpha, 255);
        EXPECT_FLOAT_EQ(c.scale_x, life * 2.0f / 255.0f) << tick;
        EXPECT_FLOAT_EQ(c.scale_y, c.scale_x);
      }
    }
    EXPECT_EQ(drawn, 340) << "fadeMode " << fadeMode;
    EXPECT_EQ(tick, 341) << "removed in the tick it died";
  }
}

TEST_F(Particles, MovementSpinAndGravityAdvanceOncePerTick) {
  auto ps = NewEmitter();
  Emit(*ps, "p_test", false, 10, 20, 1, -2, 1, 1, 3, 0, 0xFFFFFF, BLEND_ADD);
  ps->p[0].gravity = 0.5f;
  Tick(*ps);
  Tick(*ps);
  const TParticleD& q = ps->p[0];
  EXPECT_FLOAT_EQ(q.x, 12);
  EXPECT_FLOAT_EQ(q.y, 20 - 2 - 1.5f);  // moves first, then gravity pulls
  EXPECT_FLOAT_EQ(q.vy, -1);
  EXPECT_FLOAT_EQ(q.angle, 6);
  EXPECT_FLOAT_EQ(DrawList[0].angle, 6);
  EXPECT_FLOAT_EQ(DrawList[0].x, 12);
  EXPECT_FLOAT_EQ(DrawList[0].y, 16.5f);
}

TEST_F(Particles, AdjacentDeadParticlesLeaveOneTickApart) {
  auto ps = NewEmitter();
  // Alive, three dying at once, alive.
  EmitPlain(*ps, 0, 0);
  EmitPlain(*ps, 1, 300);
  EmitPlain(*ps, 2, 300);
  EmitPlain(*ps, 3, 300);
  EmitPlain(*ps, 4, 0);

  EXPECT_EQ(Tick(*ps), 2u);
  EXPECT_FLOAT_EQ(DrawList[0].x, 0);
  EXPECT_FLOAT_EQ(DrawList[1].x, 4);
  // The first is gone at once; the second slid into its slot and waits; the
  // third, next in the walk, goes too.
  EXPECT_EQ(Positions(*ps), (std::vector<float>{0, 2, 4}));
  EXPECT_TRUE(ps->p[1].dead);

  EXPECT_EQ(Tick(*ps), 2u) << "the waiting dead one is not drawn";
  EXPECT_FLOAT_EQ(DrawList[1].x, 4);
  EXPECT_EQ(Positions(*ps), (std::vector<float>{0, 4}));
}

TEST_F(Particles, RunsOfDeadParticlesKeepTheSurvivorsInTheirOrder) {
  auto ps = NewEmitter();
  // Slots 0 1 3 4 5 8 9 die this tick: every one that slides into a freed
  // slot waits, whether it is dead or alive.
  for (int i = 0; i < 10; ++i) {
    const bool dies = i == 0 || i == 1 || (i >= 3 && i <= 5) || i >= 8;
    EmitPlain(*ps, static_cast<float>(i), dies ? 300.0f : 0.0f);
  }
  EXPECT_EQ(Tick(*ps), 3u);
  EXPECT_EQ(Positions(*ps), (std::vector<float>{1, 2, 4, 6, 7, 9}));
  EXPECT_EQ(Tick(*ps), 3u);
  EXPECT_EQ(Positions(*ps), (std::vector<float>{2, 6, 7}));

  // A full emitter dying at once keeps every second one for a tick.
  ps->count = 0;
  for (int i = 0; i < MAX_PARTICLES; ++i) EmitPlain(*ps, static_cast<float>(i), 300.0f);
  EXPECT_EQ(Tick(*ps), 0u);
  ASSERT_EQ(ps->count, MAX_PARTICLES / 2);
  for (int i = 0; i < ps->count; ++i)
    ASSERT_FLOAT_EQ(ps->p[static_cast<std::size_t>(i)].x, static_cast<float>(2 * i + 1));
}

TEST_F(Particles, CopiesTakeOnlyTheLiveParticles) {
  auto source = NewEmitter();
  for (int i = 0; i < 3; ++i) EmitPlain(*source, static_cast<float>(i), 1);
  source->p[3] = Sentinel();

  // A copy built over marked memory writes the live slots and the count only.
  auto* raw = static_cast<unsigned char*>(::operator new(sizeof(TParticleSystem)));
  std::memset(raw, 0xC3, sizeof(TParticleSystem));
  auto* copy = new (raw) TParticleSystem(*source);
  EXPECT_EQ(copy->count, 3);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(SameBytes(copy->p[i], source->p[i])) << i;
  for (std::size_t i = 3; i <= MAX_PARTICLES; i += 1023)
    EXPECT_EQ(reinterpret_cast<unsigned char*>(&copy->p[i])[0], 0xC3) << i;

  // Assignment over a fuller emitter leaves its old tail alone, beyond the count.
  auto target = NewEmitter();
  for (int i = 0; i < 10; ++i) EmitPlain(*target, 100.0f + static_cast<float>(i), 1);
  *target = *source;
  EXPECT_EQ(Positions(*target), (std::vector<float>{0, 1, 2}));
  EXPECT_FLOAT_EQ(target->p[3].x, 103) << "a dead slot was copied";

  // The copy runs on its own.
  EXPECT_EQ(Tick(*copy), 3u);
  EXPECT_FLOAT_EQ(source->p[0].life, 255);
  copy->~TParticleSystem();
  ::operator delete(raw);
}

TEST_F(Particles, EffectsStayWithinTheirRanges) {
  RandomSeed(1234);
  auto ps = NewEmitter();
  auto each = [&](auto emit, auto check) {
    ps->count = 0;
    for (int n = 0; n < 500; ++n) emit();
    for (int i = 0; i < ps->count; ++i) {
      const TParticleD& q = ps->p[static_cast<std::size_t>(i)];
      check(q, static_cast<int>(q.colour >> 16), static_cast<int>((q.colour >> 8) & 0xFF),
            static_cast<int>(q.colour & 0xFF));
      ASSERT_FALSE(HasFailure()) << ParticleImageName(q.image) << " particle " << i;
      EXPECT_EQ(q.blend, BLEND_ADD);
      EXPECT_FALSE(q.fadeMode);
      EXPECT_FLOAT_EQ(q.life, 255);
    }
  };
  auto in = [](float v, float lo, float hi) { return v >= lo - 1e-4f && v <= hi + 1e-4f; };

  each([&] { EmitGlint(*ps, 300, 200); },
       [&](const TParticleD& q, int r, int g, int b) {
         EXPECT_EQ(ParticleImageName(q.image), "p_glint");
         EXPECT_EQ(q.x, 300);
         EXPECT_EQ(q.vx, 0);
         EXPECT_EQ(q.size, 0);
         EXPECT_FLOAT_EQ(q.growth, 0.01f);
         EXPECT_FLOAT_EQ(q.decay, 0.75f);
         EXPECT_EQ(std::fabs(q.spin), 2);
         EXPECT_TRUE(r >= 224 && g >= 224 && b >= 224);
       });
  each([&] { EmitStar(*ps, 300, 200); },
       [&](const TParticleD& q, int r, int g, int b) {
         const float s = -0.05f - q.vy;
         EXPECT_TRUE(in(s, 0.2f, 0.65f)) << s;
         EXPECT_FLOAT_EQ(q.growth, 0.05f * s);
         EXPECT_FLOAT_EQ(q.decay, 1 + 4 * s);
         EXPECT_TRUE(in(q.x, 250, 349) && in(q.y, 190, 264));
         EXPECT_TRUE(r >= 128 && r <= 159 && g >= 64 && g <= 127 && b <= 31);
       });
  each([&] { EmitGhost(*ps, 300, 200, 0.0f); },
       [&](const TParticleD& q, int r, int g, int b) {
         EXPECT_TRUE(std::fabs(q.x - 300) == 20 && q.y == 200);
         EXPECT_LE(std::hypot(q.vx, q.vy), 0.4f + 1e-4f);
         EXPECT_TRUE(in(q.decay - 2, 1.5f, 3.3f));
         EXPECT_FLOAT_EQ(q.growth, 0.02f * (q.decay - 2));
         EXPECT_TRUE(r >= 1 && r <= 128 && g == 128 && b >= 65 && b <= 128);
       });
  auto golden = [&](int r, int g, int b) {
    EXPECT_TRUE(r == 221 && g >= 121 && g <= 170 && b >= 19 && b <= 68);
  };
  each([&] { EmitSparkTrail(*ps, 300, 200); },
       [&](const TParticleD& q, int r, int g, int b) {
         golden(r, g, b);
         EXPECT_TRUE(in(q.x, 290, 309) && in(q.vx, -0.5f, 0.4f) && in(q.size, 0.5f, 0.95f));
         EXPECT_FLOAT_EQ(q.decay, 2.5f);
         EXPECT_FLOAT_EQ(q.growth, -0.01f);
         EXPECT_EQ(q.spin, 0);
       });
  each([&] { EmitSparkFound(*ps, 300, 200); },
       [&](const TParticleD& q, int r, int g, int b) {
         golden(r, g, b);
         EXPECT_TRUE(in(q.y, 150, 249) && in(q.vy, -0.5f, 0.4f) && in(q.size, 0.5f, 1.4f));
         EXPECT_FLOAT_EQ(q.growth, -0.005f);
       });
  each([&] { EmitSparkHint(*ps, 300, 200); },
       [&](const TParticleD& q, int r, int g, int b) {
         golden(r, g, b);
         EXPECT_TRUE(in(q.x, 295, 304) && in(q.vx, -0.125f, 0.1f) && in(q.size, 0.1f, 1.0f));
         EXPECT_TRUE(in(q.decay, 1.0f, 1.9f));
       });
  each([&] { EmitFog(*ps, 300, 200); },
       [&](const TParticleD& q, int r, int g, int b) {
         EXPECT_EQ(ParticleImageName(q.image), "p_fog");
         EXPECT_TRUE(q.x == 300 && in(q.vx, -0.125f, 0.1f) && q.size > 0 && q.decay > 0);
         EXPECT_TRUE(r == g && g == b && r <= 127);
       });

  ps->count = 0;
  EmitSparkRecharge(*ps, 100, 600, 40, 30);
  EXPECT_EQ(ps->count, 26);
  for (int i = 0; i < ps->count; ++i)
    EXPECT_TRUE(in(ps->p[i].x, 95, 144) && in(ps->p[i].y, 595, 634)) << i;
}

// --- On a real headless screen ----------------------------------------------------------

namespace {

class ParticlesOnScreen : public HeadlessScreen {
 protected:
  void SetUp() override {
    HeadlessScreen::SetUp();
    folder = MakeTempFolder("quillmoor_particles");
    ASSERT_FALSE(folder.empty());
    // A 16 x 16 opaque white square.
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 16, 16, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, 255, 255, 255, 255));
    IMG_SavePNG(s, (folder / "p_test.png").c_str());
    SDL_FreeSurface(s);
    images.clear();
    images.load_dir(folder.string() + "/");
    DrawList.clear();
  }
  void TearDown() override {
    DrawList.clear();
    images.clear();
    fs::remove_all(folder);
    HeadlessScreen::TearDown();
  }
  void Show() {
    ClearScreen();
    DrawList.replay(-1);
  }

  fs::path folder;
};

}  // namespace

TEST_F(ParticlesOnScreen, ASizeZeroParticleShowsNothingUntilItGrows) {
  ASSERT_NE(images.get("p_test"), nullptr);
  auto ps = NewEmitter();
  // Shrinking from nothing: the size stays at 0 and never goes below it.
  Emit(*ps, "p_test", false, 512, 384, 0, 0, 0.0f, 1.0f, 0, -0.25f, 0xFFFFFF, BLEND_ADD);
  for (int tick = 0; tick < 3; ++tick) {
    ASSERT_EQ(Tick(*ps), 1u) << "a living particle is recorded even when it shows nothing";
    EXPECT_EQ(DrawList[0].scale_x, 0.0f);
    Show();
    EXPECT_EQ(PixelAt(512, 384), 0x000000u) << tick;
  }
  EXPECT_EQ(ps->p[0].size, 0.0f);

  ps->p[0].growth = 0.5f;
  Tick(*ps);
  EXPECT_FLOAT_EQ(ps->p[0].size, 0.5f);
  Show();
  EXPECT_EQ(PixelAt(512, 384), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(512 + 6, 384), 0x000000u) << "drawn at about half of 16 px";
}

TEST_F(ParticlesOnScreen, FadingParticlesDimAndShrinkingOnesKeepTheirColour) {
  auto ps = NewEmitter();
  // Half-way through their lives: one fades at full size, one shrinks at full opacity.
  Emit(*ps, "p_test", true, 300, 300, 0, 0, 1.0f, 127.5f, 0, 0, 0xFFFFFF, BLEND_NORMAL);
  Emit(*ps, "p_test", false, 600, 300, 0, 0, 2.0f, 127.5f, 0, 0, 0xFF8000, BLEND_NORMAL);
  Tick(*ps);
  Show();
  const uint32_t faded = PixelAt(300, 300);
  EXPECT_NEAR(static_cast<int>(faded & 0xFF), 128, 2);
  EXPECT_EQ(PixelAt(300 + 6, 300 + 6), faded) << "full 16 px size";
  EXPECT_EQ(PixelAt(600, 300), 0xFF8000u);
  EXPECT_EQ(PixelAt(600 + 6, 300 + 6), 0xFF8000u);
  EXPECT_EQ(PixelAt(600 + 10, 300), 0x000000u) << "scale 2 x 127.5 / 255 = 1";
}

// --- The world record's memory ---------------------------------------------------------

namespace {

// Bytes of the world record the system holds in memory right now.
std::size_t ResidentWorldBytes() {
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<uintptr_t>(&world) & ~(page - 1);
  const auto end = reinterpret_cast<uintptr_t>(&world) + sizeof(WorldState);
  const std::size_t pages = (end - start + page - 1) / page;
  std::vector<unsigned char> in_core(pages);
  if (::mincore(reinterpret_cast<void*>(start), end - start, in_core.data()) != 0) return 0;
  std::size_t resident = 0;
  for (unsigned char c : in_core) resident += (c & 1) ? page : 0;
  return resident;
}

}  // namespace

TEST(WorldMemory, TheRecordStaysSmallUntilParticlesLiveInIt) {
  // Hundreds of emitters of 4097 slots: a record of about 100 MB, of which a
  // fresh start may touch only the small fields between the slot arrays.
  ASSERT_GT(sizeof(WorldState), 3 * MAX_OBJECTS * sizeof(TParticleSystem));
  const std::size_t small = sizeof(WorldState) / 20;

  ResetWorld();
  const std::size_t fresh = ResidentWorldBytes();
  ASSERT_GT(fresh, 0u) << "mincore failed";
  EXPECT_LT(fresh, small);

  // Filling one emitter costs about its own particles, not the record.
  for (int i = 0; i < 6; ++i) world.objects.append(SceneObject());
  TParticleSystem& one = world.objects[5].particles;
  for (int i = 0; i < MAX_PARTICLES; ++i) EmitGlint(one, 10, 10);
  const std::size_t full = MAX_PARTICLES * sizeof(TParticleD);
  EXPECT_GE(ResidentWorldBytes(), fresh + full * 9 / 10);
  EXPECT_LT(ResidentWorldBytes(), fresh + full + small);

  // Moving an object copies only its live particles.
  world.inventory.append(world.objects[5]);
  world.objects.remove_at(5);
  EXPECT_EQ(world.inventory[0].particles.count, MAX_PARTICLES);
  EXPECT_EQ(world.objects.size(), 5u);
  EXPECT_LT(ResidentWorldBytes(), fresh + 2 * full + small);

  ResetWorld();
  EXPECT_EQ(world.objects.size(), 0u);
  EXPECT_EQ(world.inventory.size(), 0u);
  EXPECT_LT(ResidentWorldBytes(), small);
}
