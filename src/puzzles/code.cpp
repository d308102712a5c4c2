// The box in the lodge, closed by a lock of seven letter wheels. Its arrow
// buttons must be fitted first, and the name to spell is the one the "death"
// clue points to. The letters and the name are texts of the string file, so
// the lock follows the game's language: the wheels step through whole
// characters of the alphabet text, whatever their length in bytes. An empty
// alphabet leaves the lock blank and unsolvable, but it can still be skipped.
#include <array>
#include <string>
#include <vector>

#include "engine/utf8.h"
#include "puzzles/puzzle.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "world/inventory.h"
#include "world/scene.h"

namespace {

constexpr int kWheels = 7;
constexpr uint32_t kLetterColour = 0xBEB37E;
constexpr uint32_t kCaptionColour = 0x221100;

// The wheels are not kept: every opening turns them back to the first letter.
struct NameLock {
  std::array<int, kWheels> k{};  // 0-based letter of each wheel
};

NameLock g_lock;

// The alphabet text cut into its characters.
std::vector<std::string> Letters(std::string_view text) {
  std::vector<std::string> letters;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t next = Utf8Decode(text, pos).next;
    letters.emplace_back(text.substr(pos, next - pos));
    pos = next;
  }
  return letters;
}

float WheelX(int i) { return 191.0f + 60.0f * static_cast<float>(i); }

}  // namespace

void CodePuzzle(Puzzle& p) {
  if (p.JustOpened()) g_lock = NameLock{};
  if (p.FirstOpening()) p.SetFlag("fin", false);
  bool fin = p.Flag("fin");
  bool arrows = p.Flag("arr");
  const bool clue = DiaryIndexOf("death") >= 0;
  if (!clue || !arrows) p.Lock();
  const float bx = p.W() / 2.0f - 100.0f;
  const float by = p.H() - 90.0f;
  p.Draw("p_button", bx, by);
  DrawList.text("hand", game_strings.get("lodge_q_enter"), p.X() + bx + 100.0f, p.Y() + by + 30.0f,
                TEXT_CENTRE | TEXT_VCENTRE, -1, 1.0f, 255, kCaptionColour);
  const std::vector<std::string> letters = Letters(game_strings.get("lodge_q_alphabet"));
  const int count = static_cast<int>(letters.size());
  if (!arrows && !p.Done() && p.Clicked(0.0f, 0.0f, p.W(), p.H())) {
    const std::string held = Puzzle::HeldItem();
    if (held.empty()) ShowSceneMessage("lodge_q_arr");
    if (held == "arrow_buttons") {
      arrows = true;
      Puzzle::TakeHeld();
    }
  } else if (arrows && !clue && !p.Done() && p.Clicked(0.0f, 0.0f, p.W(), p.H())) {
    if (Puzzle::HeldItem().empty()) ShowSceneMessage("lodge_q_box");
  }
  const bool playable = arrows && clue && !p.Done() && count > 0;
  for (int i = 0; i < kWheels; ++i) {
    int& k = g_lock.k[static_cast<std::size_t>(i)];
    if (count > 0) k = (k % count + count) % count;
    p.DrawCentred(arrows ? "p_num" : "p_num2", WheelX(i), 232.0f, 0.0f);
    if (count > 0)
      DrawList.text("ui_font", letters[static_cast<std::size_t>(k)], p.X() + WheelX(i),
                    p.Y() + 232.0f, TEXT_CENTRE | TEXT_VCENTRE, -1, 1.0f, 255, kLetterColour);
    if (!playable || !Puzzle::HeldItem().empty()) continue;
    const float rx = 165.0f + 60.0f * static_cast<float>(i);
    if (p.Clicked(rx, 260.0f, 52.0f, 30.0f)) {
      k = (k + 1) % count;
      sounds.play("switch");
    } else if (p.Clicked(rx, 170.0f, 52.0f, 30.0f)) {
      k = (k + count - 1) % count;
      sounds.play("switch");
    }
  }
  if (playable && Puzzle::HeldItem().empty() && p.Clicked(bx, by, 200.0f, 60.0f)) {
    std::string word;
    for (int i = 0; i < kWheels; ++i) word += letters[static_cast<std::size_t>(g_lock.k[i])];
    if (word == game_strings.get("lodge_q_name")) {
      fin = true;
    } else {
      sounds.play("wrong");
      ShowSceneMessage("lodge_q_wrong");
    }
  }
  p.SetWon(fin);
  p.SetFlag("arr", arrows);
  p.SetFlag("fin", fin);
}
