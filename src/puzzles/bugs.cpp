// The tiles of the hall: four tracks, each with a metal bug on it and a push
// button at its end. A button drives its own bug forward and drags one or two
// of the others back; a bug that runs off one end of its track comes back on
// at the other. All four bugs at the ends of their tracks open the tiles. The
// second track's bug is missing until the player fits one from the
// inventory, and the buttons stay dead until then. The bugs' places and the
// fitted bug are kept; the bugs are drawn crawling to their places.
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>

#include "puzzles/puzzle.h"
#include "res/sounds.h"
#include "world/inventory.h"

namespace {

constexpr int kTracks = 4;
constexpr std::array<int, kTracks> kLength{10, 6, 7, 9};
constexpr std::array<int, kTracks> kStart{2, 3, 4, 2};
constexpr int kMissingBug = 1;  // the track whose bug the player brings

// What one button does: its own bug forward, then the others dragged back.
struct Drive {
  int track;
  int by;
};
constexpr std::array<std::array<Drive, 3>, kTracks> kButtons{{
    {{{0, 3}, {1, -3}, {2, -1}}},
    {{{1, 1}, {0, -1}, {3, -4}}},
    {{{2, 4}, {0, -3}, {0, 0}}},
    {{{3, 5}, {2, -2}, {0, 0}}},
}};

constexpr float kTrackLeft = 80.0f;
constexpr float kTrackSpan = 514.0f;  // from the track's start to its last place
constexpr float kRowPitch = 90.0f;
constexpr float kButtonLeft = 620.0f;
constexpr float kButtonSize = 70.0f;
constexpr float kCrawl = 5.0f;  // pixels a frame

// The bugs as drawn in this opening: they crawl after their places.
struct BugTracks {
  std::array<float, kTracks> q{};
};

BugTracks g_bugs;

std::string PlaceWord(int i) { return "bpos" + std::to_string(i); }

float Row(int i) { return kRowPitch * static_cast<float>(i); }

// One bug moved along its track of places 1..length; no move is longer than
// a track, so one wrap is enough.
int MoveAlongTrack(int place, int by, int length) {
  const int p = place + by;
  if (p > length) return p - length;
  if (p < 1) return length - std::abs(p);
  return p;
}

}  // namespace

void BugsPuzzle(Puzzle& p) {
  if (p.JustOpened()) g_bugs = BugTracks{};
  if (p.FirstOpening()) {
    for (int i = 0; i < kTracks; ++i) p.SetNumber(PlaceWord(i), kStart[i]);
    p.SetFlag("bug", false);
  }
  std::array<int, kTracks> place{};
  for (int i = 0; i < kTracks; ++i)
    place[i] = p.Number(PlaceWord(i), 1, kLength[i], kStart[i]);
  bool fitted = p.Flag("bug");
  if (!fitted) {
    p.Lock();
    if (p.Clicked(10.0f, 10.0f, p.W() - 20.0f, p.H() - 20.0f)) {
      const std::string held = Puzzle::HeldItem();
      if (held.empty()) ShowSceneMessage("hall_q_bug");
      if (held == "metal_bug") {
        fitted = true;
        Puzzle::TakeHeld();
      }
    }
  }

  for (int i = 0; i < kTracks; ++i) {
    const float target = kTrackSpan / static_cast<float>(kLength[i]) * static_cast<float>(place[i]);
    float& q = g_bugs.q[i];
    q = std::fabs(target - q) <= kCrawl ? target : q + (target > q ? kCrawl : -kCrawl);
    p.Draw("p_line", kTrackLeft, 140.0f + Row(i));
    if (i != kMissingBug || fitted) p.DrawCentred("p_bug", kTrackLeft + q, 100.0f + Row(i), 0.0f);
    const float by = 80.0f + Row(i);
    const bool live = fitted && !p.Done();
    const bool pressed = live && p.Held(kButtonLeft, by, kButtonSize, kButtonSize);
    p.Draw("p_button", kButtonLeft + (pressed ? 2.0f : 0.0f), by + (pressed ? 2.0f : 0.0f));
    if (!live || !p.Clicked(kButtonLeft, by, kButtonSize, kButtonSize)) continue;
    sounds.play("set");
    for (const Drive& d : kButtons[i])
      if (d.by != 0) place[d.track] = MoveAlongTrack(place[d.track], d.by, kLength[d.track]);
  }

  bool home = fitted;
  for (int i = 0; i < kTracks; ++i) home = home && place[i] == kLength[i];
  p.SetWon(home);
  for (int i = 0; i < kTracks; ++i) p.SetNumber(PlaceWord(i), place[i]);
  p.SetFlag("bug", fitted);
}
