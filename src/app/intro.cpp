// The intro: the illustrated book that opens the story for a new player.
// Five pages, turned by a click: the castle on the moor in a storm, the eyes
// in its window, Gustav's machine with its floating spheres and rays, the
// book of the house with hands reaching for it, and last Gustav's letter.
// "Skip" leaves at once; either way the hotel is loaded and the diary opens
// on its first page.
#include <algorithm>
#include <cmath>
#include <string>

#include "app/cutscenes.h"
#include "app/diary.h"
#include "engine/engine.h"
#include "engine/font.h"
#include "engine/random.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

constexpr int kPages = 5;
constexpr int kLastPage = kPages - 1;
constexpr int kTurnAfter = 30;   // ticks a page shows before a click turns it
constexpr int kFadeTicks = 30;   // each page comes up out of black
constexpr int kHintsAfter = 100;
constexpr float kPi = 3.14159265f;
constexpr uint32_t kInk = 0x2A1A0A;

IntroState& intro() { return cutscenes.intro; }

// The storm: clouds drifting over the moor, and now and then lightning.
void StormPage(float t) {
  DrawList.image("lev_bg1", 255, 0.0f, 0.0f);
  DrawList.image("lev_castle", 255, 560.0f, 112.0f);
  const float drift = std::fmod(t * 0.4f, 1400.0f);
  DrawList.image("lev_cloud", 200, -700.0f + drift, 10.0f);
  DrawList.image("lev_cloud", 160, 300.0f + drift * 0.6f, 90.0f);
  if (intro().flash > 0) {
    DrawList.image("lev_ln", static_cast<uint8_t>(intro().flash * 25), 330.0f, 40.0f);
    DrawList.filled_rect(static_cast<uint8_t>(intro().flash * 6), 0xC8D8FF, 0.0f, 0.0f, 1024.0f,
                         768.0f, BLEND_ADD);
    --intro().flash;
  } else if (Random(240) == 0) {
    intro().flash = 10;
    sounds.play("lt1");
  }
}

// Closer: the castle fills the page, and eyes open in a dark window.
void EyesPage(float t) {
  DrawList.image("lev_bg1", 255, 0.0f, 0.0f, 0x707088);
  DrawList.scaled_image("lev_castle", 255, 512.0f, 330.0f, 0.0f, 1.9f, 1.9f);
  const float open = std::clamp((t - 40.0f) / 30.0f, 0.0f, 1.0f);
  const bool blink = std::fmod(t, 220.0f) > 205.0f;
  if (!blink)
    DrawList.scaled_image("lev_eyes", static_cast<uint8_t>(255 * open), 548.0f, 392.0f, 0.0f, 0.5f,
                          0.5f * open);
  if (intro().t % 6 == 0) EmitStar(intro().stars, 548.0f, 330.0f);
}

// The machine: spheres circling a core, beams sweeping out from it.
void MachinePage(float t) {
  DrawList.image("lev_bg2", 255, 0.0f, 0.0f);
  const float cx = 512.0f;
  const float cy = 300.0f;
  for (int i = 0; i < 3; ++i) {
    const float a = t * 0.6f + 120.0f * static_cast<float>(i);
    DrawList.scaled_image("lev_ray", 150, cx + 300.0f * std::cos(a * kPi / 180.0f),
                          cy + 300.0f * std::sin(a * kPi / 180.0f), a, 1.0f, 1.0f, 0xFFFFFF,
                          BLEND_ADD);
  }
  for (int i = 0; i < 4; ++i) {
    const float a = t * 0.02f + static_cast<float>(i) * kPi / 2.0f;
    DrawList.scaled_image("lev_ball", 255, cx + 170.0f * std::cos(a),
                          cy + 60.0f * std::sin(a) + 8.0f * std::sin(t * 0.05f + i), 0.0f, 1.0f,
                          1.0f);
  }
}

// The book of the house, and the hands of its ghosts rising to it.
void BookPage(float t) {
  DrawList.image("lev_bg2", 255, 0.0f, 0.0f, 0x605870);
  const float bob = 6.0f * std::sin(t * 0.04f);
  DrawList.image("lev_book", 255, 302.0f, 200.0f + bob);
  const float rise = std::min(t * 1.2f, 180.0f);
  DrawList.image("lev_hand", 200, 220.0f, 620.0f - rise, 0xFFFFFF, BLEND_ADD);
  DrawList.image("lev_hand", 200, 650.0f, 640.0f - rise * 0.9f, 0xFFFFFF, BLEND_ADD);
  if (intro().t % 5 == 0) EmitStar(intro().stars, 512.0f, 300.0f);
}

void LetterPage() {
  DrawList.image("lev_page3", 255, 0.0f, 0.0f);
  DrawList.text_rect("hand", game_strings.get("intro_page"), 242.0f, 120.0f, 540.0f, 460.0f,
                     TEXT_LEFT | TEXT_TOP, -1, 1.0f, 255, kInk);
}

// "Skip", right-aligned above the corner; true on a click over it.
bool SkipClicked() {
  const std::string word = game_strings.get("skip_intro");
  const float w = TextWidth(fonts.get("ui_font"), word);
  const float x = 994.0f - w - 15.0f;
  DrawList.text("ui_font", word, x, 713.0f, TEXT_LEFT | TEXT_TOP, -1, 1.0f, 255, 0xFFFFFF);
  if (!mouse_in_rect(x, 713.0f, w + 30.0f, 50.0f)) return false;
  world.cursor = Cursor::Hand;
  return MouseClick(kMouseLeft);
}

void LeaveIntro() {
  ClearMouseState();
  intro() = IntroState{};
  if (ChangeLevel("hotel", LeaveLevel::Save)) OpenDiary();
}

}  // namespace

void IntroFrame() {
  IntroState& s = intro();
  world.interactive = false;  // the pages are the only thing to click
  const auto t = static_cast<float>(s.t);
  switch (s.page) {
    case 0: StormPage(t); break;
    case 1: EyesPage(t); break;
    case 2: MachinePage(t); break;
    case 3: BookPage(t); break;
    default: LetterPage(); break;
  }
  UpdateAndDraw(s.stars);
  if (s.t < kFadeTicks)
    DrawList.filled_rect(static_cast<uint8_t>(255 - 255 * s.t / kFadeTicks), 0x000000, 0.0f,
                         0.0f, 1024.0f, 768.0f, BLEND_NORMAL);
  DrawList.image("g_bars", 255, 0.0f, 0.0f);
  if (s.page < kLastPage)
    DrawList.text("ui_font", game_strings.get("intro" + std::to_string(s.page + 1)), 512.0f, 668.0f,
                  TEXT_CENTRE | TEXT_VCENTRE, -1, 1.0f, 255, 0xFFFFFF);
  if (s.t > kHintsAfter || s.page == kLastPage)
    DrawList.text("ui_font", game_strings.get("click_cont"), 10.0f, 748.0f,
                  TEXT_LEFT | TEXT_TOP, -1, 0.8f, 255, 0xFFFFFF);
  ++s.t;
  if (!StoryScreenTakesClicks()) return;
  if (SkipClicked()) {
    sounds.play("ui_click");
    LeaveIntro();
    return;
  }
  if (!MouseClick(kMouseLeft)) return;
  ClearMouseState();
  if (s.t < kTurnAfter) return;
  if (s.page == kLastPage) {
    LeaveIntro();
    return;
  }
  sounds.play("page");
  ++s.page;
  s.t = 0;
  s.stars.count = 0;
}
