// Fitting and solving every puzzle by clicks. Each solver reads its board
// from the puzzle's keys, as a player reads the screen, searches the
// shortest way to the win from there where the board is kept, and plays it
// with the positions its routine takes clicks at. Boards a routine does not
// keep (the case's wheels, the ropes, the lock's letters, the telescope, the
// spyglass knob) start the same way on every opening, so they are played
// from that start.
#include "support/puzzle_solve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <numbers>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/utf8.h"
#include "puzzles/casket.h"
#include "puzzles/cpanel.h"
#include "puzzles/liquid.h"
#include "puzzles/mball.h"
#include "puzzles/skull.h"
#include "puzzles/statuettes.h"
#include "res/strings.h"
#include "story/quest.h"
#include "support/closeup_walk.h"
#include "support/input.h"
#include "support/puzzle_walk.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/scene.h"

namespace {

// Frames of the completion sparks before the reward, with some to spare.
constexpr int kRewardWait = 560;

// Frames the current solve has run, for LastSolveTicks.
struct SolveClock {
  int ticks = 0;
};
SolveClock g_clock;

void Steps(int n) {
  GameSteps(n);
  g_clock.ticks += n;
}

// A click at an offset in the puzzle and the frame that sees its release.
void Tap(float dx, float dy) {
  ClickAt(kPuzzleX + dx, kPuzzleY + dy);
  g_clock.ticks += 1;
  Steps(1);
}

// A drag through offsets in the puzzle, a frame at each point.
void Drag(const std::vector<std::array<float, 2>>& points) {
  if (points.empty()) return;
  PressAt(kPuzzleX + points.front()[0], kPuzzleY + points.front()[1]);
  Steps(1);
  for (std::size_t i = 1; i < points.size(); ++i) {
    MoveMouse(kPuzzleX + points[i][0], kPuzzleY + points[i][1]);
    Steps(1);
  }
  ReleaseAt(kPuzzleX + points.back()[0], kPuzzleY + points.back()[1]);
  Steps(1);
}

int Key(std::string_view name, std::string_view word) {
  return QuestNumber(PuzzleKeyPrefix(name) + std::string(word));
}
bool KeyFlag(std::string_view name, std::string_view word) {
  return QuestFlag(PuzzleKeyPrefix(name) + std::string(word));
}
bool Sparking(std::string_view name) { return Key(name, "t_post") > 0; }

// Frames until `done` holds, at most `limit`; true when it held.
bool StepUntil(const std::function<bool()>& done, int limit) {
  for (int n = 0; n < limit; ++n) {
    if (done()) return true;
    Steps(1);
  }
  return done();
}

// Breadth-first over boards known by a number: the moves of a shortest way
// from `start` to a won board. `next` gives the board a move leads to, or
// nothing when the move does nothing there.
using Next = std::function<std::optional<std::int64_t>(std::int64_t, int)>;
std::optional<std::vector<int>> ShortestWay(std::int64_t start, int moves, const Next& next,
                                            const std::function<bool(std::int64_t)>& won) {
  std::unordered_map<std::int64_t, std::pair<std::int64_t, int>> came_from{{start, {start, -1}}};
  std::deque<std::int64_t> open{start};
  while (!open.empty()) {
    const std::int64_t b = open.front();
    open.pop_front();
    if (won(b)) {
      std::vector<int> way;
      for (std::int64_t at = b; came_from.at(at).second >= 0; at = came_from.at(at).first)
        way.push_back(came_from.at(at).second);
      std::reverse(way.begin(), way.end());
      return way;
    }
    for (int m = 0; m < moves; ++m) {
      const std::optional<std::int64_t> to = next(b, m);
      if (to && came_from.emplace(*to, std::pair{b, m}).second) open.push_back(*to);
    }
  }
  return std::nullopt;
}

// Boards of 25 cells are too many to search from one side: this search goes
// from the board forwards and from the won board backwards (`undo` gives the
// board a move came from), a layer at a time on the smaller side, until the
// two meet. The moves of a shortest way; none when there is none or no need.
template <class Move, class Undo>
std::vector<int> MeetingWay(std::uint32_t start, std::uint32_t goal, int moves, Move move, Undo undo) {
  // board -> the move that reached it from the start, or goes on from it to the goal
  std::unordered_map<std::uint32_t, int> ahead{{start, -1}}, behind{{goal, -1}};
  std::vector<std::uint32_t> front{start}, back{goal};
  std::int64_t meet = start == goal ? std::int64_t{start} : -1;
  for (int depth = 0; meet < 0 && depth < 24 && !front.empty() && !back.empty(); ++depth) {
    const bool forward = front.size() <= back.size();
    std::vector<std::uint32_t> next;
    for (const std::uint32_t b : forward ? front : back) {
      for (int m = 0; m < moves && meet < 0; ++m) {
        const std::uint32_t to = forward ? move(b, m) : undo(b, m);
        if (!(forward ? ahead : behind).emplace(to, m).second) continue;
        next.push_back(to);
        if ((forward ? behind : ahead).contains(to)) meet = to;
      }
      if (meet >= 0) break;
    }
    (forward ? front : back) = std::move(next);
  }
  std::vector<int> way;
  if (meet < 0) return way;
  for (auto at = static_cast<std::uint32_t>(meet); ahead.at(at) >= 0; at = undo(at, way.back()))
    way.push_back(ahead.at(at));
  std::reverse(way.begin(), way.end());
  for (auto at = static_cast<std::uint32_t>(meet); behind.at(at) >= 0; at = move(at, way.back()))
    way.push_back(behind.at(at));
  return way;
}

// --- The case: six wheels, scrambled the same way on every opening --------------------------

bool SolveCase() {
  constexpr std::array<int, 6> kScrambled{8, 3, 1, 4, 5, 9};
  constexpr std::array<int, 6> kCombination{6, 2, 4, 1, 9, 5};  // the hotel's numbers
  for (int i = 0; i < 6; ++i)
    for (int n = (kCombination[i] - kScrambled[i] + 9) % 9; n > 0; --n)
      Tap(180.0f + 65.0f * static_cast<float>(i) + 30.0f, 320.0f);
  return Sparking("q_case");
}

// --- The clocks: geared hands dragged a step at a time ---------------------------------------

// A step of the row's dial turns the column's dial by this many steps.
constexpr int kClockGearing[3][3] = {{0, -1, 1}, {1, 0, -1}, {1, 0, 0}};

bool SolveClocks() {
  const auto read = [](int dial) {
    return ((Key("q_clocks", "c" + std::to_string(dial + 1)) / 15) % 24 + 24) % 24;
  };
  const std::int64_t start = read(0) * 576 + read(1) * 24 + read(2);
  const Next next = [](std::int64_t b, int m) -> std::optional<std::int64_t> {
    std::array<int, 3> a{static_cast<int>(b / 576), static_cast<int>(b / 24 % 24),
                         static_cast<int>(b % 24)};
    const int dial = m / 2;
    const int dir = m % 2 == 0 ? 1 : -1;
    for (int k = 0; k < 3; ++k) a[k] = (a[k] + dir * (k == dial ? 1 : kClockGearing[dial][k]) + 24) % 24;
    return a[0] * 576 + a[1] * 24 + a[2];
  };
  const auto way = ShortestWay(start, 6, next, [](std::int64_t b) { return b == 0; });
  if (!way) return false;
  // Steps of one hand the same way make one drag.
  for (std::size_t i = 0; i < way->size();) {
    std::size_t j = i;
    while (j < way->size() && (*way)[j] == (*way)[i]) ++j;
    const int steps = static_cast<int>(j - i);
    DragClockHand((*way)[i] / 2, (*way)[i] % 2 == 0 ? steps : -steps);
    i = j;
  }
  return Sparking("q_clocks");
}

// --- The name lock: every opening turns the wheels to the first letter ------------------------

bool SolveCode() {
  std::vector<std::string> letters;
  const std::string alphabet = game_strings.get("lodge_q_alphabet");
  for (std::size_t pos = 0; pos < alphabet.size();) {
    const std::size_t next = Utf8Decode(alphabet, pos).next;
    letters.push_back(alphabet.substr(pos, next - pos));
    pos = next;
  }
  const std::string name = game_strings.get("lodge_q_name");
  const int count = static_cast<int>(letters.size());
  std::size_t pos = 0;
  for (int wheel = 0; wheel < 7 && pos < name.size(); ++wheel) {
    const std::size_t next = Utf8Decode(name, pos).next;
    const std::string letter = name.substr(pos, next - pos);
    pos = next;
    int k = 0;
    while (k < count && letters[static_cast<std::size_t>(k)] != letter) ++k;
    if (k == count) return false;
    const bool up = k <= count - k;
    for (int n = up ? k : count - k; n > 0; --n)
      Tap(165.0f + 60.0f * static_cast<float>(wheel) + 26.0f, up ? 275.0f : 185.0f);
  }
  Tap(375.0f, 440.0f);  // the enter button
  return Sparking("q_code");
}

// --- The boat: eight greens gathered round the centre ----------------------------------------

// Where each button sends the piece of each cell (cells as a * 5 + b).
std::array<std::array<int, 25>, 10> BoatMoves() {
  std::array<std::array<int, 25>, 10> to{};
  for (int m = 0; m < 10; ++m)
    for (int c = 0; c < 25; ++c) to[m][c] = c;
  for (int m = 0; m < 8; ++m) {
    const int line = (m / 2) % 2 == 0 ? 1 : 3;  // columns 1, 3, then rows 1, 3
    const int step = m % 2 == 0 ? -1 : 1;       // up or left first
    for (int i = 0; i < 5; ++i) {
      if (m < 4) to[m][line * 5 + i] = line * 5 + (i + step + 5) % 5;
      else to[m][i * 5 + line] = (i + step + 5) % 5 * 5 + line;
    }
  }
  const std::array<int, 8> inner{6, 11, 16, 17, 18, 13, 8, 7};
  const std::array<int, 16> outer{0, 1, 2, 3, 4, 9, 14, 19, 24, 23, 22, 21, 20, 15, 10, 5};
  for (std::size_t i = 0; i < inner.size(); ++i) to[8][inner[i]] = inner[(i + 1) % inner.size()];
  for (std::size_t i = 0; i < outer.size(); ++i) to[9][outer[i]] = outer[(i + 1) % outer.size()];
  return to;
}

bool SolveBoat() {
  constexpr int kGreen = 0x44FF00;
  std::uint32_t start = 0;
  for (int a = 0; a < 5; ++a)
    for (int b = 0; b < 5; ++b)
      if (Key("q_boat", "field_" + std::to_string(a) + "_" + std::to_string(b)) == kGreen)
        start |= 1u << (a * 5 + b);
  const auto to = BoatMoves();
  const auto move = [&](std::uint32_t greens, int m) {
    std::uint32_t out = 0;
    for (int c = 0; c < 25; ++c) out |= (greens >> c & 1) << to[m][c];
    return out;
  };
  const auto undo = [&](std::uint32_t greens, int m) {
    std::uint32_t out = 0;
    for (int c = 0; c < 25; ++c) out |= (greens >> to[m][c] & 1) << c;
    return out;
  };
  std::uint32_t goal = 0;
  for (int c : {6, 11, 16, 17, 18, 13, 8, 7}) goal |= 1u << c;
  const std::vector<int> way = MeetingWay(start, goal, 10, move, undo);
  if (way.empty() && start != goal) return false;
  constexpr float kCentres[10][2] = {{231, 47},  {231, 445}, {373, 47},  {373, 445}, {103, 174},
                                     {501, 174}, {103, 315}, {501, 315}, {630, 265}, {630, 346}};
  for (int m : way) Tap(kCentres[m][0], kCentres[m][1]);
  return Sparking("q_boat");
}

// --- The telescope: steered from the sky's corner to the moon --------------------------------

bool SolveMoon() {
  // The control's middle and the way from the sky's corner to the moon's.
  constexpr float kCx = 537.0f, kCy = 213.0f, kMoonX = 600.0f, kMoonY = 755.0f;
  const float d = std::hypot(kMoonX, kMoonY);
  const float x = kPuzzleX + kCx + 100.0f * kMoonX / d;
  const float y = kPuzzleY + kCy + 100.0f * kMoonY / d;
  PressAt(x, y);
  const bool found = StepUntil([] { return Sparking("q_moon"); }, 1400);
  ReleaseAt(x, y);
  Steps(1);
  return found;
}

// --- The control panel: wire tiles turned until the current runs -----------------------------

bool SolveControlPanel() {
  const Next next = [](std::int64_t b, int m) -> std::optional<std::int64_t> {
    ControlPanel p = ControlPanel::FromCode(static_cast<int>(b));
    p.Turn(m);
    return p.Code();
  };
  const auto way = ShortestWay(Key("q_cpanel", "bulb"), ControlPanel::kTiles, next, [](std::int64_t b) {
    return ControlPanel::FromCode(static_cast<int>(b)).Running();
  });
  if (!way) return false;
  for (int tile : *way)
    Tap(190.0f + 110.0f * static_cast<float>(tile % 3) + 55.0f,
        85.0f + 110.0f * static_cast<float>(tile / 3) + 55.0f);
  return Sparking("q_cpanel");
}

// --- The bell ropes: every opening finds them up ---------------------------------------------

bool SolveRopes() {
  for (int rope : {2, 0, 3, 1}) {
    Tap(150.0f + 120.0f * static_cast<float>(rope) + 50.0f, 275.0f);
    Steps(63);  // down, and back up before the next pull is taken
  }
  return Sparking("q_ropes");
}

// --- The flasks: poured into two halves ------------------------------------------------------

bool SolveFlasks() {
  const auto code = [](const Flasks& f) { return f.measures[0] * 10 + f.measures[1]; };
  const auto board = [](std::int64_t c) { return Flasks::FromSaved(static_cast<int>(c / 10), static_cast<int>(c % 10)); };
  const Next next = [&](std::int64_t b, int m) -> std::optional<std::int64_t> {
    Flasks f = board(b);
    if (!f.CanPour(m / 3, m % 3)) return std::nullopt;
    f.Pour(m / 3, m % 3);
    return code(f);
  };
  const Flasks now = Flasks::FromSaved(Key("q_liquid", "big"), Key("q_liquid", "mid"));
  const auto way = ShortestWay(code(now), 9, next, [&](std::int64_t b) { return board(b).Won(); });
  if (!way) return false;
  constexpr float kFlaskX[3] = {195.0f, 380.0f, 555.0f};
  for (int m : *way) {
    Tap(kFlaskX[m / 3], 340.0f);  // lifted
    Tap(kFlaskX[m % 3], 340.0f);  // poured into
  }
  return Sparking("q_liquid");
}

// --- The skull mould: the bench worked to a good cast ----------------------------------------

bool SolveSkull() {
  using M = SkullMould;
  const std::function<bool(M&)> moves[] = {
      &M::Burner, [](M& m) { return m.Jar(1); }, [](M& m) { return m.Jar(2); },
      &M::Crucible, &M::Ladle, &M::Mould, &M::Clamp, &M::Quench, &M::Tray};
  constexpr float kSpots[9][2] = {{170, 400}, {100, 90}, {190, 90}, {170, 270}, {335, 140},
                                  {490, 260}, {620, 270}, {685, 105}, {495, 425}};
  const auto code = [](const M& m) {
    int c = m.dipper | m.alloy << 2 | m.final << 4, bit = 6;
    for (const bool b : {m.spoon, m.sform, m.fire, m.mix1, m.mix2, m.form, m.done})
      c |= (b ? 1 : 0) << bit++;
    return c;
  };
  const auto board = [](std::int64_t c) {
    M m;
    m.dipper = static_cast<int>(c & 3);
    m.alloy = static_cast<int>(c >> 2 & 3);
    m.final = static_cast<int>(c >> 4 & 3);
    bool* bits[] = {&m.spoon, &m.sform, &m.fire, &m.mix1, &m.mix2, &m.form, &m.done};
    for (int i = 0; i < 7; ++i) *bits[i] = (c >> (6 + i) & 1) != 0;
    return m;
  };
  M now;
  for (const auto& [word, flag] : {std::pair{"spoon", &now.spoon}, {"sform", &now.sform}, {"fire", &now.fire},
                                   {"mix1", &now.mix1}, {"mix2", &now.mix2}, {"form", &now.form},
                                   {"done", &now.done}})
    *flag = KeyFlag("q_skull", word);
  now.dipper = Key("q_skull", "dipper");
  now.alloy = Key("q_skull", "alloy");
  now.final = Key("q_skull", "final");
  const Next next = [&](std::int64_t b, int m) -> std::optional<std::int64_t> {
    M mould = board(b);
    if (!moves[m](mould)) return std::nullopt;
    return code(mould);
  };
  const auto way = ShortestWay(code(now), 9, next, [&](std::int64_t b) { return board(b).Won(); });
  if (!way) return false;
  for (int m : *way) Tap(kSpots[m][0], kSpots[m][1]);
  return Sparking("q_skull");
}

// --- The bug tracks: every bug driven to its track's end -------------------------------------

bool SolveBugs() {
  constexpr std::array<int, 4> kLength{10, 6, 7, 9};
  // What each button does: (track, places) for its own bug, then those it drags back.
  constexpr int kDrives[4][3][2] = {{{0, 3}, {1, -3}, {2, -1}},
                                    {{1, 1}, {0, -1}, {3, -4}},
                                    {{2, 4}, {0, -3}, {0, 0}},
                                    {{3, 5}, {2, -2}, {0, 0}}};
  const auto place = [](std::int64_t b, int i) { return static_cast<int>(b >> (4 * i) & 15); };
  std::int64_t start = 0;
  for (int i = 0; i < 4; ++i) start |= std::int64_t{Key("q_bugs", "bpos" + std::to_string(i))} << (4 * i);
  const Next next = [&](std::int64_t b, int m) -> std::optional<std::int64_t> {
    for (const auto& [track, by] : kDrives[m]) {
      if (by == 0) continue;
      const int len = kLength[static_cast<std::size_t>(track)];
      int p = place(b, track) + by;
      p = p > len ? p - len : p < 1 ? len - std::abs(p) : p;
      b = (b & ~(std::int64_t{15} << (4 * track))) | std::int64_t{p} << (4 * track);
    }
    return b;
  };
  const auto way = ShortestWay(start, 4, next, [&](std::int64_t b) {
    for (int i = 0; i < 4; ++i)
      if (place(b, i) != kLength[static_cast<std::size_t>(i)]) return false;
    return true;
  });
  if (!way) return false;
  for (int button : *way) Tap(655.0f, 115.0f + 90.0f * static_cast<float>(button));
  return Sparking("q_bugs");
}

// --- The picture: every card turned picture-up -----------------------------------------------

// The cards a click turns: a card picture-up turns its side neighbours, one
// showing its back its corner neighbours, and itself either way.
std::uint32_t PictureTurn(std::uint32_t backs, int c, int r) {
  const bool back = (backs >> (c * 5 + r) & 1) != 0;
  std::uint32_t mask = 1u << (c * 5 + r);
  const int sides[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
  const int corners[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
  for (const auto& [dc, dr] : back ? corners : sides)
    if (c + dc >= 0 && c + dc < 5 && r + dr >= 0 && r + dr < 5) mask |= 1u << ((c + dc) * 5 + r + dr);
  return backs ^ mask;
}

std::uint32_t Click(std::uint32_t backs, int card) { return PictureTurn(backs, card / 5, card % 5); }
// The board a click on `card` came from: the card was the other way up, which
// chose the cards it turned.
std::uint32_t Unclick(std::uint32_t backs, int card) {
  return Click(backs ^ (1u << card), card) ^ (1u << card);
}

bool SolvePicture() {
  std::uint32_t start = 0;
  for (int c = 0; c < 5; ++c)
    for (int r = 0; r < 5; ++r)
      if (Key("q_picture", "field" + std::to_string(c) + "_" + std::to_string(r)) != 0)
        start |= 1u << (c * 5 + r);
  const std::vector<int> way = MeetingWay(start, 0u, 25, Click, Unclick);
  if (way.empty() && start != 0) return false;
  for (int card : way) {
    Tap(38.0f + 134.0f * static_cast<float>(card / 5) + 67.0f, 30.0f + 88.0f * static_cast<float>(card % 5) + 44.0f);
    Steps(26);  // the cards finish turning before the next click is taken
  }
  return StepUntil([] { return Sparking("q_picture"); }, 5);
}

// --- The spyglass: the switches kept, the knob back at rest on every opening -----------------

bool SolveSpyglass() {
  constexpr float kSwitches[3][2] = {{653, 132}, {670, 218}, {666, 305}};
  constexpr bool kWanted[3] = {true, false, true};  // red in, blue shutter open, green in
  for (int i = 0; i < 3; ++i)
    if (KeyFlag("q_spyglass", "s" + std::to_string(i + 1)) != kWanted[i]) Tap(kSwitches[i][0], kSwitches[i][1]);
  SlideSpyglassKnob(0, 80);  // to its mark
  return Sparking("q_spyglass");
}

// --- The stone buttons: all sixteen lit ------------------------------------------------------

bool SolveCube() {
  std::int64_t start = 0;
  for (int a = 0; a < 4; ++a)
    for (int b = 0; b < 4; ++b)
      if (Key("q_cube", "bb_" + std::to_string(a) + "_" + std::to_string(b)) != 0)
        start |= std::int64_t{1} << (a * 4 + b);
  const Next next = [](std::int64_t lit, int m) -> std::optional<std::int64_t> {
    const int a = m / 4, b = m % 4;
    lit ^= std::int64_t{1} << m;
    if (a > 0) lit ^= std::int64_t{1} << (m - 4);
    if (a < 3) lit ^= std::int64_t{1} << (m + 4);
    if (b > 0) lit ^= std::int64_t{1} << (m - 1);
    if (b < 3) lit ^= std::int64_t{1} << (m + 1);
    return lit;
  };
  const auto way = ShortestWay(start, 16, next, [](std::int64_t lit) { return lit == 0xFFFF; });
  if (!way) return false;
  for (int m : *way)
    Tap(180.0f + 100.0f * static_cast<float>(m / 4) + 42.0f, 50.0f + 100.0f * static_cast<float>(m % 4) + 42.0f);
  return Sparking("q_cube");
}

// --- The statuettes: each under its sign -----------------------------------------------------

bool SolveStatuettes() {
  // The mask wakes and lights the signs before any statuette moves.
  int anim = -1;
  StepUntil([&] {
    const int now = Key("q_statuettes", "anim");
    const bool awake = now > 0 && now == anim;
    anim = now;
    return awake;
  }, 400);
  const auto niche = [](int i) { Tap(95.0f + 140.0f * static_cast<float>(i), 350.0f); };
  if (const int lifted = Key("q_statuettes", "znak"); lifted > 0) niche(lifted - 1);  // put down
  const Next next = [](std::int64_t b, int a) -> std::optional<std::int64_t> {
    StatuetteRow row = StatuetteRow::FromSaved(static_cast<int>(b));
    row.Swap(a, a + 1);
    return row.Saved();
  };
  const auto way = ShortestWay(Key("q_statuettes", "field"), StatuetteRow::kNiches - 1, next,
                               [](std::int64_t b) { return StatuetteRow::FromSaved(static_cast<int>(b)).Won(); });
  if (!way) return false;
  for (int a : *way) {
    niche(a);
    niche(a + 1);
  }
  return Sparking("q_statuettes");
}

// --- The casket: the seal's three marks turned to the top ------------------------------------

bool SolveCasket() {
  const Next next = [](std::int64_t b, int m) -> std::optional<std::int64_t> {
    CasketSeal s = CasketSeal::FromCode(static_cast<int>(b));
    s.Turn(m / 2, m % 2 == 0 ? 1 : -1);
    return s.Code();
  };
  const auto way = ShortestWay(Key("q_casket", "ring"), 2 * CasketSeal::kRings, next,
                               [](std::int64_t b) { return CasketSeal::FromCode(static_cast<int>(b)).Open(); });
  if (!way) return false;
  constexpr float kRadius[CasketSeal::kRings] = {130.0f, 85.0f, 38.0f};
  for (int m : *way) Tap(375.0f + (m % 2 == 0 ? 1.0f : -1.0f) * kRadius[m / 2], 250.0f);
  return Sparking("q_casket");
}

// --- The ball maze: the note's code on the wheels, then the ball rolled home -----------------

bool SolveBallMaze() {
  constexpr int kNoteCode = 371;  // written on the note
  const int divisors[3] = {100, 10, 1};
  for (int i = 0; i < 3; ++i) {
    const int have = Key("q_mball", "c") / divisors[i] % 10;
    for (int n = (kNoteCode / divisors[i] % 10 - have + 10) % 10; n > 0; --n)
      Tap(540.0f + 65.0f * static_cast<float>(i), 300.0f);
  }
  const auto rolling = [] { return Key("q_mball", "anim") != 0; };
  StepUntil([&] { return !rolling(); }, 100);
  const Next next = [](std::int64_t b, int m) -> std::optional<std::int64_t> {
    BallMaze maze{static_cast<int>(b / 10), static_cast<int>(b % 10)};
    if (maze.InHole()) return std::nullopt;
    maze.Roll(m + 1);
    return maze.x * 10 + maze.y;
  };
  const std::int64_t start = Key("q_mball", "bx") * 10 + Key("q_mball", "by");
  const auto way = ShortestWay(start, 4, next, [](std::int64_t b) {
    return BallMaze{static_cast<int>(b / 10), static_cast<int>(b % 10)}.InHole();
  });
  if (!way) return false;
  constexpr float kLevers[4][2] = {{238, 44}, {238, 452}, {34, 248}, {442, 248}};
  for (int m : *way) {
    Tap(kLevers[m][0], kLevers[m][1]);
    StepUntil([&] { return !rolling() || Sparking("q_mball"); }, 120);
  }
  return StepUntil([] { return Sparking("q_mball"); }, 5);
}

// --- The terminal: a program for each round left ---------------------------------------------

bool SolveTerminal() {
  enum { L, R, D, U };
  constexpr float kKeys[4][2] = {{620, 175}, {697, 175}, {620, 250}, {697, 250}};
  const std::vector<std::vector<int>> programs{{L, D, R, U, L, D, R, U},
                                               {R, D, L, U, R, D, R, U, L},
                                               {R, D, L, U, R, D, L, U, L}};
  for (int round = Key("q_terminal", "rnd"); round >= 0 && round < 3; round = Key("q_terminal", "rnd")) {
    Tap(657.0f, 330.0f);  // a clear screen for the program
    for (int k : programs[static_cast<std::size_t>(round)]) Tap(kKeys[k][0], kKeys[k][1]);
    Tap(657.0f, 410.0f);  // run
    // Fifty frames a cell the light slides and one more for each command; the
    // next round is set up once this one is won.
    if (!StepUntil([&] { return Key("q_terminal", "rnd") != round; }, 3000)) return false;
  }
  return Sparking("q_terminal");
}

struct Solver {
  std::string_view name;
  bool (*solve)();
  // The pieces it asks for before it can be played, and where each is taken.
  std::vector<std::pair<std::string_view, std::array<float, 2>>> pieces;
};

const std::vector<Solver> kSolvers{
    {"q_case", SolveCase, {}},
    {"q_clocks", SolveClocks, {{"chand1", {375, 470}}, {"chand2", {375, 470}}, {"chand3", {375, 470}}}},
    {"q_code", SolveCode, {{"arrow_buttons", {20, 20}}}},
    {"q_boat", SolveBoat, {}},
    {"q_moon", SolveMoon, {{"lens", {530, 215}}, {"moon_cube", {60, 420}}}},
    {"q_cpanel", SolveControlPanel, {{"light_bulb", {40, 40}}}},
    {"q_ropes", SolveRopes, {{"star_amulet", {40, 40}}, {"spiral_amulet", {40, 40}},
                             {"heart_amulet", {40, 40}}, {"silver_skull_amulet", {40, 40}}}},
    {"q_liquid", SolveFlasks, {{"big_screw", {375, 250}}}},
    {"q_skull", SolveSkull, {{"skull_form", {30, 470}}, {"dipper", {30, 470}}, {"silver_spoon", {30, 470}}}},
    {"q_bugs", SolveBugs, {{"metal_bug", {300, 250}}}},
    {"q_picture", SolvePicture, {{"first_piece_of_picture", {20, 20}}, {"second_piece_of_picture", {20, 20}}}},
    {"q_spyglass", SolveSpyglass, {{"knob", {300, 250}}}},
    {"q_cube", SolveCube, {{"stone_button", {20, 20}}, {"stone_button2", {20, 20}}}},
    {"q_statuettes", SolveStatuettes, {{"left_face_half", {375, 120}}, {"right_face_half", {375, 120}},
                                       {"missing_statuette", {375, 120}}}},
    {"q_casket", SolveCasket, {{"missing_ring", {375, 250}}}},
    {"q_mball", SolveBallMaze, {{"note_with_code", {300, 250}}, {"metal_ball", {300, 250}}}},
    {"q_terminal", SolveTerminal, {{"triangular_amulet", {300, 250}}}},
};

const Solver* SolverOf(std::string_view name) {
  for (const Solver& s : kSolvers)
    if (s.name == name) return &s;
  return nullptr;
}

}  // namespace

void DragClockHand(int dial, int steps) {
  const float cx = dial == 0 ? 200.0f : dial == 1 ? 550.0f : 375.0f;
  const float cy = dial == 2 ? 330.0f : 180.0f;
  const auto point = [&](int degrees) {
    const float rad = static_cast<float>(degrees + 5) * std::numbers::pi_v<float> / 180.0f;
    return std::array<float, 2>{cx + 60.0f * std::cos(rad), cy - 60.0f * std::sin(rad)};
  };
  int angle = ((Key("q_clocks", "c" + std::to_string(dial + 1)) % 360) + 360) % 360;
  std::vector<std::array<float, 2>> way{point(angle)};
  for (int n = 0; n < std::abs(steps); ++n) {
    angle += steps > 0 ? 15 : -15;
    way.push_back(point(angle));
  }
  Drag(way);
}

void SlideSpyglassKnob(int from, int to) {
  std::vector<std::array<float, 2>> way;
  const int dir = to > from ? 1 : -1;
  for (int k = from;; k += dir) {
    const float t = static_cast<float>(k - 40) * std::numbers::pi_v<float> / 180.0f;
    way.push_back({348.0f + 252.0f * std::cos(t), 72.0f + 4.5f * static_cast<float>(k)});
    if (k == to) break;
  }
  Drag(way);
}

bool FitPuzzlePiece(std::string_view name, std::string_view item) {
  const Solver* solver = SolverOf(name);
  if (solver == nullptr || !WindowVisible("wnd_puzzle") || FindInventoryEntry(item) < 0) return false;
  for (const auto& [piece, at] : solver->pieces) {
    if (piece != item) continue;
    HoldItem(item);
    ClickAt(kPuzzleX + at[0], kPuzzleY + at[1]);
    GameSteps(1);
    break;
  }
  if (FindInventoryEntry(item) < 0) return true;
  PutBackHeldItem();
  return false;
}

bool SolveOpenPuzzle(std::string_view name) {
  g_clock = SolveClock{};
  const Solver* solver = SolverOf(name);
  if (solver == nullptr || !WindowVisible("wnd_puzzle")) return false;
  // Reopened during its sparks, the puzzle is won already.
  const bool won = Sparking(name) || solver->solve();
  if (!won) return false;
  StepUntil([] { return !WindowVisible("wnd_puzzle"); }, kRewardWait);
  return !WindowVisible("wnd_puzzle") && PuzzleKeysLeft(name) == 0;
}

int LastSolveTicks() { return g_clock.ticks; }

std::vector<std::string> PuzzlePieces(std::string_view name) {
  std::vector<std::string> pieces;
  if (const Solver* solver = SolverOf(name))
    for (const auto& piece : solver->pieces) pieces.emplace_back(piece.first);
  return pieces;
}
