// The puzzle window "wnd_puzzle": the growing-in, closing by a click beside
// the puzzle, the picture, the skip charge and its bar, the routine of the
// open puzzle with its keys, the completion sparks, and the reward and
// clean-up of a solved puzzle.
#include "puzzles/puzzle.h"

#include <cmath>
#include <string>

#include "engine/engine.h"
#include "engine/random.h"
#include "fx/particles.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "story/closeup.h"
#include "story/quest.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

constexpr float kZoomStep = 0.05f;     // the window grows to full size in 20 frames
constexpr float kSkipFull = 120.0f;    // two minutes of 10 ms frames at 0.01 a frame
constexpr float kSkipStep = 0.01f;
constexpr int kSparkFrames = 500;      // the completion sparks before the reward
constexpr int kReadySparks = 25;       // the burst at the skip button once it can be used
constexpr float kPanelTop = 640.0f;
constexpr uint32_t kSkipWaiting = 0x888888;
constexpr int kKeyS = 0x1F;
constexpr uint32_t kGround = 0x1A1612;            // the developer's shortcut that solves the puzzle

// The open puzzle's state beyond the world record's frame.
struct PuzzleWindow {
  View view;
  bool just_opened = false;
  bool first_opening = false;
  bool locked = false;           // this frame's routine held the charge at 0
  float skip = 0.0f;             // 0..120
  bool charging = true;
  bool solved = false;           // raised by the skip button and the shortcut
  int counter = 0;               // completion frames shown, 0 while unsolved
  TParticleSystem particles;     // the completion sparks, over the puzzle
  TParticleSystem ready_sparks;  // the burst at the skip button, on the screen
};

PuzzleWindow g_window;

std::string Key(std::string_view name, std::string_view word) {
  return PuzzleKeyPrefix(name) + std::string(word);
}

bool MouseInside(float x, float y, float w, float h) {
  const float mx = MouseX();
  const float my = MouseY();
  return x < mx && mx < x + w && y < my && my < y + h;
}

// The mouse over a visible button of the window: clicks there are the button's.
bool OverButton() {
  for (const char* name : {"btn_skip", "btn_help"}) {
    const ielement* b = gui_get(name);
    if (b != nullptr && b->visible && MouseInside(b->x, b->y, b->w, b->h)) return true;
  }
  return false;
}

void SetButton(const char* name, bool visible) {
  if (ielement* b = gui_get(name)) b->visible = visible;
}

const PuzzleRoutine* FindRoutine(std::string_view name) {
  for (const PuzzleRoutine& r : PuzzleRoutines())
    if (name == r.name) return &r;
  return nullptr;
}

// Banker's rounding of the charge's hundredths, as the key keeps it.
int SavedCharge(float charge) { return static_cast<int>(std::nearbyint(charge * 100.0f)); }

void EmitReadySparks(const ielement& button) {
  for (int i = 0; i < kReadySparks; ++i) {
    const float vx = static_cast<float>(Random(10) - 5) / 20.0f;
    const float vy = static_cast<float>(Random(10) - 5) / 20.0f;
    const auto green = static_cast<uint32_t>(255 - Random(128));
    const auto blue = static_cast<uint32_t>(128 - Random(128));
    Emit(g_window.ready_sparks, "p_spark", true, button.x + RandomFloat() * button.w,
         button.y + RandomFloat() * button.h, vx, vy, 0.6f, 2.0f, 0.0f, 0.0f,
         0xFF0000 | green << 8 | blue, BLEND_ADD);
  }
}

void EmitCompletionSpark(const OpenedFrame& f) {
  const float px = f.x + static_cast<float>(Random(static_cast<int>(f.w)));
  const float py = f.y + static_cast<float>(Random(static_cast<int>(f.h)));
  const float vx = static_cast<float>(Random(10) - 5) / 20.0f;
  const float vy = static_cast<float>(Random(10) - 5) / 20.0f;
  const float size = static_cast<float>(Random(10)) / 10.0f + 0.1f;
  const float spin = static_cast<float>(Random(10)) / 10.0f + 1.0f;
  const auto green = static_cast<uint32_t>(170 - Random(50));
  const auto blue = static_cast<uint32_t>(68 - Random(50));
  Emit(g_window.particles, "p_spark", true, px, py, vx, vy, size, 1.5f, spin, 0.01f,
       0xDD0000 | green << 8 | blue, BLEND_ADD);
}

// The skip charge of this frame and the buttons that show it.
void ChargeSkip() {
  const bool shown = g_window.skip != 0.0f;
  SetButton("btn_skip", shown);
  SetButton("btn_help", shown);
  g_window.charging = g_window.skip < kSkipFull;
  if (ielement* skip = gui_get("btn_skip")) {
    skip->disabled = g_window.charging;
    skip->graphic_color = g_window.charging ? kSkipWaiting : 0xFFFFFF;
  }
  if (!g_window.charging) return;
  g_window.skip += kSkipStep;
  if (g_window.skip < kSkipFull) return;
  const ielement* skip = gui_get("btn_skip");
  if (skip != nullptr && skip->visible) EmitReadySparks(*skip);
  g_window.skip = kSkipFull;
  g_window.charging = false;
}

// The keys the frame keeps for every puzzle, and the routine's board between.
void RunRoutine(const OpenedFrame& f) {
  const std::string& name = f.name;
  if (g_window.just_opened) {
    g_window.first_opening = !QuestFlag(Key(name, "started"));
    if (g_window.first_opening) SetQuestFlag(Key(name, "started"), true);
    g_window.skip = std::fmin(std::fmax(static_cast<float>(QuestNumber(Key(name, "skip"))) / 100.0f,
                                        0.0f),
                              kSkipFull);
  }
  const int counter = QuestNumber(Key(name, "t_post"));
  g_window.counter = counter < 0 || counter > kSparkFrames ? 0 : counter;
  g_window.locked = false;
  Puzzle p(name, f.x, f.y, f.w, f.h);
  if (const PuzzleRoutine* routine = FindRoutine(name); routine && routine->frame)
    routine->frame(p);
  if (g_window.locked) g_window.skip = 0.0f;
  if (p.Won() || g_window.counter > 0) {
    if (g_window.counter == 0) sounds.play("puzzle_complete");
    if (g_window.counter < kSparkFrames) EmitCompletionSpark(f);
    ++g_window.counter;
    if (g_window.counter >= kSparkFrames) g_window.solved = true;
  }
  UpdateAndDraw(g_window.particles);
  SetQuestNumber(Key(name, "t_post"), g_window.counter);
  SetQuestNumber(Key(name, "skip"), SavedCharge(g_window.skip));
}

void ClosePuzzle() {
  ShowWindow("wnd_puzzle", false);
  sounds.play("ui_window_close");
  ClearMouseState();
}

}  // namespace

// --- What a routine sees ----------------------------------------------------------------------

Puzzle::Puzzle(std::string_view name, float x, float y, float w, float h)
    : name_(name), x_(x), y_(y), w_(w), h_(h) {}

bool Puzzle::JustOpened() const { return g_window.just_opened; }
bool Puzzle::FirstOpening() const { return g_window.just_opened && g_window.first_opening; }

bool Puzzle::Flag(std::string_view word) const { return QuestFlag(Key(name_, word)); }

int Puzzle::Number(std::string_view word, int lo, int hi, int fallback) const {
  const int value = QuestNumber(Key(name_, word));
  return value < lo || value > hi ? fallback : value;
}

void Puzzle::SetFlag(std::string_view word, bool value) { SetQuestFlag(Key(name_, word), value); }

void Puzzle::SetNumber(std::string_view word, int value) {
  SetQuestNumber(Key(name_, word), value);
}

void Puzzle::Lock() { g_window.locked = true; }

bool Puzzle::Done() const { return g_window.counter > 0; }
int Puzzle::Counter() const { return g_window.counter; }

void Puzzle::Draw(std::string_view image, float dx, float dy, uint32_t tint, uint8_t opacity) {
  DrawList.image(image, opacity, x_ + dx, y_ + dy, tint);
}

void Puzzle::DrawCentred(std::string_view image, float cx, float cy, float angle, uint32_t tint,
                         uint8_t opacity) {
  DrawList.scaled_image(image, opacity, x_ + cx, y_ + cy, angle, 1.0f, 1.0f, tint);
}

bool Puzzle::Over(float dx, float dy, float w, float h) {
  if (!mouse_in_rect(x_ + dx, y_ + dy, w, h)) return false;
  world.cursor = Cursor::Hand;
  return true;
}

bool Puzzle::Clicked(float dx, float dy, float w, float h) {
  if (!Over(dx, dy, w, h) || !MouseClick(kMouseLeft)) return false;
  ClearMouseState();
  return true;
}

bool Puzzle::Held(float dx, float dy, float w, float h) {
  return mouse_in_rect(x_ + dx, y_ + dy, w, h) && MouseDown(kMouseLeft);
}

float Puzzle::MouseDX() const { return MouseX() - x_; }
float Puzzle::MouseDY() const { return MouseY() - y_; }

std::string Puzzle::HeldItem() {
  const int held = HeldItemIndex();
  return held < 0 ? std::string() : world.inventory[static_cast<std::size_t>(held)].name;
}

void Puzzle::TakeHeld() {
  const int held = HeldItemIndex();
  if (held < 0) return;
  TakeHeldItem(held);
  sounds.play("set");
}

// --- The window ---------------------------------------------------------------------------

std::span<const PuzzleRoutine> PuzzleRoutines() {
  static constexpr PuzzleRoutine kRoutines[] = {
      {"q_case", CasePuzzle},           {"q_boat", BoatPuzzle},     {"q_clocks", ClocksPuzzle},
      {"q_code", CodePuzzle},           {"q_moon", MoonPuzzle},     {"q_cpanel", ControlPanelPuzzle},
      {"q_ropes", RopesPuzzle},         {"q_skull", SkullPuzzle},   {"q_cube", CubePuzzle},
      {"q_spyglass", SpyglassPuzzle},   {"q_casket", CasketPuzzle}, {"q_terminal", TerminalPuzzle},
      {"q_liquid", LiquidPuzzle},       {"q_bugs", BugsPuzzle},     {"q_picture", PicturePuzzle},
      {"q_statuettes", StatuettesPuzzle}, {"q_mball", MballPuzzle},
  };
  return kRoutines;
}

void PuzzleDispatch() {
  const OpenedFrame& f = world.puzzle;
  ChargeSkip();
  bool solved = g_window.solved;
  g_window.solved = false;
  RunRoutine(f);
  solved = solved || g_window.solved;
  g_window.solved = false;
  if (IsDeveloperProfile() && KeyDown(kKeyS)) solved = true;
  if (!solved) return;
  const std::string name = f.name;
  DeleteKeysWithPrefix(PuzzleKeyPrefix(name));
  // The object is looked up by name now: a reward may have changed the list.
  float ox = f.x + f.w / 2.0f;
  float oy = f.y + f.h / 2.0f;
  if (const int index = FindSceneObject(name); index >= 0) {
    ox = world.objects[static_cast<std::size_t>(index)].x;
    oy = world.objects[static_cast<std::size_t>(index)].y;
  }
  const bool remove = HandOutReward(name, ox, oy);
  if (remove) {
    if (const int index = FindSceneObject(name); index >= 0) RemoveSceneObject(index);
  }
  g_window.counter = 0;
  g_window.particles.count = 0;
  if (WindowVisible("wnd_puzzle")) ClosePuzzle();
}

void SkipPuzzle() {
  if (g_window.charging) return;
  g_window.skip = 0.0f;
  g_window.charging = true;
  sounds.play("hint");
  g_window.solved = true;
  ClearMouseState();
}

void PuzzleProcedure() {
  OpenedFrame& f = world.puzzle;
  if (f.active) {
    f.active = false;
    g_window.view = View{};
    g_window.view.zoom_x = 0.0f;
    g_window.view.zoom_y = 0.0f;
    g_window.view.centre_x = f.x + f.w / 2.0f;
    g_window.view.centre_y = f.y + f.h / 2.0f;
    g_window.particles.count = 0;
    g_window.solved = false;
    // The buttons stay hidden until the puzzle has read its own saved charge.
    g_window.skip = 0.0f;
    g_window.counter = 0;
    g_window.just_opened = true;
  }
  const bool was_blocked = scene_blocked;
  if (WindowVisible("wnd_diary") || WindowVisible("wnd_help")) scene_blocked = true;
  const bool inside = MouseInside(f.x, f.y, f.w, f.h);
  const bool on_button = OverButton();
  if (!scene_blocked && !inside && !on_button &&
      !MouseInside(0.0f, kPanelTop, 1024.0f, 768.0f - kPanelTop)) {
    world.cursor = Cursor::Hand;
    if (MouseClick(kMouseLeft)) {
      // Closed beside the puzzle: its keys stay, so the next opening resumes.
      ClosePuzzle();
      scene_blocked = was_blocked;
      g_window.just_opened = false;
      return;
    }
  }
  View& view = g_window.view;
  view.zoom_x = std::fmin(view.zoom_x + kZoomStep, 1.0f);
  view.zoom_y = std::fmin(view.zoom_y + kZoomStep, 1.0f);
  DrawList.camera(&view);
  // A dark ground under the picture, so a puzzle whose picture is missing
  // still reads as a framed panel over the level.
  DrawList.filled_rect(255, kGround, f.x, f.y, f.w, f.h, BLEND_NORMAL);
  DrawList.image("p_" + f.name, 255, f.x, f.y);
  PuzzleDispatch();
  DrawCloseUpFrame(f.x, f.y, f.w, f.h);
  DrawList.camera(nullptr);
  UpdateAndDraw(g_window.ready_sparks);
  // A click on the puzzle that no move took does nothing, and is no wrong
  // use of the held item either.
  if (!scene_blocked && inside && !on_button && MouseClick(kMouseLeft)) ClearMouseState();
  scene_blocked = was_blocked;
  g_window.just_opened = false;
}

void ResetPuzzles() {
  g_window.view = View{};
  g_window.just_opened = false;
  g_window.first_opening = false;
  g_window.locked = false;
  g_window.skip = 0.0f;
  g_window.charging = true;
  g_window.solved = false;
  g_window.counter = 0;
  g_window.particles.count = 0;
  g_window.ready_sparks.count = 0;
}

float PuzzleSkipCharge() { return g_window.skip; }

void DrawSkipBar() {
  const ielement* skip = gui_get("btn_skip");
  if (skip == nullptr || !skip->visible || !WindowVisible("wnd_puzzle")) return;
  DrawList.image("skip_bar2", 255, skip->x + 5.0f, skip->y + 6.0f);
  DrawList.image("skip_bar", 255, skip->x + 5.0f + g_window.skip, skip->y + 6.0f);
}
