// The terminal in the hidden room, the last lock of the story: the player
// keys in a short program of arrows that steers a light across a 5 x 5
// grid. Each arrow slides the light until the border, a dead cell or its own
// trail stops it, and every cell it leaves stays lit behind it. A program
// wins its round when only the cell under the light is left dark; three
// rounds open the way home. The terminal wakes only when the triangular
// amulet is set in as its key. The round and the key are kept; a program is
// not, so a reopened terminal starts its round afresh.
#include <array>
#include <string>

#include "puzzles/puzzle.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "world/inventory.h"

namespace {

constexpr int kSide = 5;
constexpr int kRounds = 3;  // round kRounds means the terminal is solved
constexpr int kProgramSize = 14;
constexpr int kSlotsPerColumn = 7;
constexpr int kStepFrames = 50;  // one step of a running program
constexpr int kBlinkFrames = 25;

enum Command { kNone = 0, kLeft = 1, kRight = 2, kDown = 3, kUp = 4 };
constexpr std::array<const char*, 5> kCommandPicture{"", "p_left", "p_right", "p_down", "p_up"};

struct Cell {
  int a, b;
};
struct Round {
  std::array<Cell, 3> blocked;
  int blocked_count;
  Cell start;
};
constexpr std::array<Round, kRounds> kRoundBoards{{
    {{{{2, 2}, {0, 0}, {0, 0}}}, 1, {4, 0}},
    {{{{2, 2}, {2, 0}, {0, 0}}}, 2, {3, 0}},
    {{{{0, 0}, {1, 0}, {1, 3}}}, 3, {2, 0}},
}};

constexpr float kGridLeft = 100.0f;
constexpr float kGridTop = 100.0f;
constexpr float kCellPitch = 56.0f;

// A key of the terminal's keyboard.
struct Key {
  float x, y, w, h;
  Command command;  // kNone: the clear or run key
};
constexpr Key kArrowKeys[] = {{590, 145, 60, 60, kLeft},
                              {667, 145, 60, 60, kRight},
                              {590, 220, 60, 60, kDown},
                              {667, 220, 60, 60, kUp}};
constexpr Key kClearKey{590, 300, 135, 60, kNone};
constexpr Key kRunKey{590, 380, 135, 60, kNone};

// The screen of this opening: the grid, the light and the program keyed in.
struct Terminal {
  std::array<std::array<int, kSide>, kSide> crossed{};  // [a][b], 1 when lit
  Cell cursor{};
  std::array<int, kProgramSize> program{};
  int length = 0;
  int pc = 0;
  bool running = false;
  int ticks = 0;
};

Terminal g_term;

// A round's board; there is none past the last round, where the board of
// the won round simply stays.
void SetUpRound(int round) {
  if (round < 0 || round >= kRounds) return;
  const Round& r = kRoundBoards[static_cast<std::size_t>(round)];
  g_term.program = {};
  g_term.length = 0;
  g_term.pc = 0;
  g_term.crossed = {};
  for (int i = 0; i < r.blocked_count; ++i) {
    const Cell c = r.blocked[static_cast<std::size_t>(i)];
    g_term.crossed[static_cast<std::size_t>(c.a)][static_cast<std::size_t>(c.b)] = 1;
  }
  g_term.cursor = r.start;
}

int FreeCells() {
  int free = 0;
  for (const auto& column : g_term.crossed)
    for (int c : column) free += c == 0 ? 1 : 0;
  return free;
}

// One step of the running program; `round` moves on when a finished program
// leaves a single dark cell.
void StepProgram(int& round) {
  if (g_term.pc >= g_term.length) {
    g_term.running = false;
    g_term.pc = 0;
    if (FreeCells() == 1) {
      ++round;
      sounds.play("pc_good");
      SetUpRound(round);
    } else {
      SetUpRound(round);
      sounds.play("fail");
    }
    return;
  }
  Cell next = g_term.cursor;
  switch (g_term.program[static_cast<std::size_t>(g_term.pc)]) {
    case kLeft: --next.a; break;
    case kRight: ++next.a; break;
    case kDown: ++next.b; break;
    case kUp: --next.b; break;
    default: break;
  }
  const bool inside = next.a >= 0 && next.a < kSide && next.b >= 0 && next.b < kSide &&
                      (next.a != g_term.cursor.a || next.b != g_term.cursor.b);
  if (inside && g_term.crossed[static_cast<std::size_t>(next.a)][static_cast<std::size_t>(next.b)] == 0) {
    sounds.play("set");
    g_term.crossed[static_cast<std::size_t>(g_term.cursor.a)][static_cast<std::size_t>(g_term.cursor.b)] = 1;
    g_term.cursor = next;
  } else {
    ++g_term.pc;
  }
}

float SlotX(int i) { return i < kSlotsPerColumn ? 410.0f : 460.0f; }
float SlotY(int i) { return 100.0f + 40.0f * static_cast<float>(i % kSlotsPerColumn); }

bool Pressed(Puzzle& p, const Key& k) { return p.Clicked(k.x, k.y, k.w, k.h); }

}  // namespace

void TerminalPuzzle(Puzzle& p) {
  if (p.JustOpened()) {
    g_term = Terminal{};
    if (p.FirstOpening()) {
      p.SetNumber("rnd", 0);
      p.SetFlag("key", false);
    }
    const int saved = p.Number("rnd", 0, kRounds, 0);
    SetUpRound(saved);
    // Reopened while the sparks of the won terminal still run: the whole
    // grid lit, the light gone out.
    if (saved == kRounds) {
      for (auto& column : g_term.crossed) column.fill(1);
      g_term.cursor = {-1, -1};
    }
  }
  int round = p.Number("rnd", 0, kRounds, 0);
  bool key = p.Flag("key");
  if (!key) {
    p.Lock();
    if (p.Clicked(10.0f, 10.0f, p.W() - 20.0f, p.H() - 20.0f)) {
      const std::string held = Puzzle::HeldItem();
      if (held.empty()) ShowSceneMessage("hroom_q_key");
      if (held == "triangular_button") ShowSceneMessage("hroom_q_button");
      if (held == "triangular_amulet") {
        key = true;
        Puzzle::TakeHeld();
      }
    }
  }

  const bool live = key && !p.Done() && round < kRounds;
  if (live && !g_term.running) {
    for (const Key& k : kArrowKeys) {
      if (!Pressed(p, k)) continue;
      if (g_term.length == kProgramSize) continue;
      sounds.play("switch");
      g_term.program[static_cast<std::size_t>(g_term.length++)] = k.command;
    }
    if (Pressed(p, kRunKey)) {
      sounds.play("switch");
      g_term.running = true;
    }
  }
  if (live && Pressed(p, kClearKey)) {
    sounds.play("switch");
    SetUpRound(round);
  }

  ++g_term.ticks;
  if (g_term.running && g_term.ticks % kStepFrames == 0) StepProgram(round);

  // A key held down sinks into the keyboard's shadow.
  if (live) {
    auto shade = [&p](const Key& k) {
      if (p.Held(k.x, k.y, k.w, k.h))
        DrawList.filled_rect(70, 0x000000, p.X() + k.x + 3.0f, p.Y() + k.y + 3.0f, k.w - 6.0f,
                             k.h - 6.0f, BLEND_NORMAL);
    };
    for (const Key& k : kArrowKeys) shade(k);
    shade(kClearKey);
    shade(kRunKey);
  }

  // The screen is dark until the key wakes it.
  const uint32_t glow = key ? 0xFFFFFF : 0x404040;
  const bool blink_on = (g_term.ticks / kBlinkFrames) % 2 == 0;
  for (int i = 0; i < g_term.length; ++i)
    p.Draw(kCommandPicture[static_cast<std::size_t>(g_term.program[static_cast<std::size_t>(i)])],
           SlotX(i), SlotY(i), glow);
  if (live && blink_on && g_term.length < kProgramSize)
    p.Draw("p_caret", SlotX(g_term.length), SlotY(g_term.length));
  for (int a = 0; a < kSide; ++a)
    for (int b = 0; b < kSide; ++b)
      p.Draw(g_term.crossed[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] != 0 ? "p_sq1" : "p_sq",
             kGridLeft + kCellPitch * static_cast<float>(a), kGridTop + kCellPitch * static_cast<float>(b),
             glow);
  if (key && g_term.cursor.a >= 0 && (blink_on || g_term.running || round >= kRounds))
    p.Draw("p_cc", kGridLeft + kCellPitch * static_cast<float>(g_term.cursor.a),
           kGridTop + kCellPitch * static_cast<float>(g_term.cursor.b));
  if (key) p.Draw("p_tkey", 622.0f, 60.0f);

  p.SetWon(key && round >= kRounds);
  p.SetNumber("rnd", round);
  p.SetFlag("key", key);
}
