// The control panel in the basement: a dead switchboard whose bulb is
// missing. Once the bulb is screwed in, the player turns the nine wire tiles
// (a click turns one a quarter) until the current runs from the feed cable
// through every tile, with no loose end, to the bulb, which lights and starts
// the machine. The one key "bulb" keeps it all: 0 until the bulb is in, then
// the board's code, so the tiles stay as they were left.
#include "puzzles/cpanel.h"

#include <string>

#include "puzzles/puzzle.h"
#include "res/sounds.h"
#include "world/inventory.h"

// --- The panel's rules ------------------------------------------------------------------------

namespace {

// The wires as they are found, unturned: a straight one runs north-south, a
// bent one north-east, a three-way one north, east and south.
constexpr std::array<ControlPanel::Shape, ControlPanel::kTiles> kShapes{
    ControlPanel::kBend, ControlPanel::kTee,      ControlPanel::kBend,
    ControlPanel::kTee,  ControlPanel::kStraight, ControlPanel::kTee,
    ControlPanel::kBend, ControlPanel::kTee,      ControlPanel::kBend};

int TurnedOnce(int ends) {
  return ((ends << 1) | (ends >> 3)) &
         (ControlPanel::kNorth | ControlPanel::kEast | ControlPanel::kSouth | ControlPanel::kWest);
}

int Opposite(int end) { return TurnedOnce(TurnedOnce(end)); }

// The tile beyond one end of a tile, or -1 past the frame.
int Beyond(int tile, int end) {
  const int row = tile / ControlPanel::kSide;
  const int col = tile % ControlPanel::kSide;
  int r = row, c = col;
  if (end == ControlPanel::kNorth) --r;
  if (end == ControlPanel::kSouth) ++r;
  if (end == ControlPanel::kEast) ++c;
  if (end == ControlPanel::kWest) --c;
  if (r < 0 || r >= ControlPanel::kSide || c < 0 || c >= ControlPanel::kSide) return -1;
  return r * ControlPanel::kSide + c;
}

constexpr int kFeedTile = ControlPanel::kFeedRow * ControlPanel::kSide;
constexpr int kOutletTile = kFeedTile + ControlPanel::kSide - 1;

}  // namespace

ControlPanel::Shape ControlPanel::ShapeOf(int tile) {
  return kShapes[static_cast<std::size_t>(tile)];
}

int ControlPanel::Ends(int tile) const {
  const Shape shape = ShapeOf(tile);
  int ends = shape == kStraight ? kNorth | kSouth
             : shape == kBend   ? kNorth | kEast
                                : kNorth | kEast | kSouth;
  for (int q = 0; q < turn[static_cast<std::size_t>(tile)]; ++q) ends = TurnedOnce(ends);
  return ends;
}

void ControlPanel::Turn(int tile) {
  if (tile < 0 || tile >= kTiles) return;
  int& t = turn[static_cast<std::size_t>(tile)];
  t = (t + 1) % 4;
}

std::array<bool, ControlPanel::kTiles> ControlPanel::Powered() const {
  std::array<bool, kTiles> lit{};
  if ((Ends(kFeedTile) & kWest) == 0) return lit;
  std::array<int, kTiles> queue{};
  int head = 0, tail = 0;
  lit[kFeedTile] = true;
  queue[tail++] = kFeedTile;
  while (head < tail) {
    const int tile = queue[static_cast<std::size_t>(head++)];
    for (const int end : {kNorth, kEast, kSouth, kWest}) {
      if ((Ends(tile) & end) == 0) continue;
      const int next = Beyond(tile, end);
      if (next < 0 || lit[static_cast<std::size_t>(next)]) continue;
      if ((Ends(next) & Opposite(end)) == 0) continue;
      lit[static_cast<std::size_t>(next)] = true;
      queue[static_cast<std::size_t>(tail++)] = next;
    }
  }
  return lit;
}

bool ControlPanel::Running() const {
  for (int tile = 0; tile < kTiles; ++tile) {
    for (const int end : {kNorth, kEast, kSouth, kWest}) {
      if ((Ends(tile) & end) == 0) continue;
      const int next = Beyond(tile, end);
      if (next >= 0) {
        if ((Ends(next) & Opposite(end)) == 0) return false;
      } else if (!(tile == kFeedTile && end == kWest) && !(tile == kOutletTile && end == kEast)) {
        return false;  // a live end against the frame would spark
      }
    }
  }
  const std::array<bool, kTiles> lit = Powered();
  for (const bool l : lit)
    if (!l) return false;
  return (Ends(kOutletTile) & kEast) != 0;
}

int ControlPanel::Code() const {
  int code = 0;
  for (int tile = kTiles - 1; tile >= 0; --tile)
    code = code * 4 + turn[static_cast<std::size_t>(tile)];
  return 1 + code;
}

ControlPanel ControlPanel::FromCode(int code) {
  ControlPanel panel;
  if (code < 1 || code > kLastCode) return panel;
  int v = code - 1;
  for (int& t : panel.turn) {
    t = v % 4;
    v /= 4;
  }
  return panel;
}

// --- The panel on the screen ------------------------------------------------------------------

namespace {

constexpr float kTile = 110.0f;
constexpr float kLeft = 190.0f;
constexpr float kTop = 85.0f;
constexpr float kBulbX = 640.0f;
constexpr float kBulbY = kTop + kTile * (ControlPanel::kFeedRow + 0.5f);
constexpr const char* kWirePictures[] = {"p_wire_i", "p_wire_l", "p_wire_t"};
constexpr const char* kLitWirePictures[] = {"p_wire_i_lit", "p_wire_l_lit", "p_wire_t_lit"};

float TileX(int tile) { return kLeft + kTile * static_cast<float>(tile % ControlPanel::kSide); }
float TileY(int tile) { return kTop + kTile * static_cast<float>(tile / ControlPanel::kSide); }

}  // namespace

void ControlPanelPuzzle(Puzzle& p) {
  if (p.FirstOpening()) p.SetNumber("bulb", 0);
  const int code = p.Number("bulb", 0, ControlPanel::kLastCode, ControlPanel{}.Code());
  const bool bulb_in = code != 0;
  ControlPanel panel = ControlPanel::FromCode(code);

  if (!bulb_in) {
    p.Lock();
    if (p.Clicked(10.0f, 10.0f, p.W() - 20.0f, p.H() - 20.0f)) {
      const std::string held = Puzzle::HeldItem();
      if (held.empty()) ShowSceneMessage("basement_q_supply");
      if (held == "light_bulb") {
        Puzzle::TakeHeld();
        sounds.play("screw");
        p.SetNumber("bulb", panel.Code());
      }
    }
  } else if (!p.Done() && Puzzle::HeldItem().empty()) {
    for (int tile = 0; tile < ControlPanel::kTiles; ++tile) {
      if (!p.Clicked(TileX(tile), TileY(tile), kTile, kTile)) continue;
      panel.Turn(tile);
      sounds.play("switch");
    }
  }

  const bool running = bulb_in && panel.Running();
  const std::array<bool, ControlPanel::kTiles> lit =
      bulb_in ? panel.Powered() : std::array<bool, ControlPanel::kTiles>{};
  for (int tile = 0; tile < ControlPanel::kTiles; ++tile) {
    const auto shape = static_cast<std::size_t>(ControlPanel::ShapeOf(tile));
    const float angle = 90.0f * static_cast<float>(panel.turn[static_cast<std::size_t>(tile)]);
    p.DrawCentred(
        lit[static_cast<std::size_t>(tile)] ? kLitWirePictures[shape] : kWirePictures[shape],
        TileX(tile) + kTile / 2.0f, TileY(tile) + kTile / 2.0f, angle);
  }
  p.DrawCentred(bulb_in ? "p_feed_live" : "p_feed", kLeft - 40.0f, kBulbY, 0.0f);
  p.DrawCentred("p_outlet", kLeft + 3.0f * kTile + 40.0f, kBulbY, 0.0f);
  const char* lamp = running ? "p_bulb_lit" : "p_bulb";
  p.DrawCentred(bulb_in ? lamp : "p_socket", kBulbX + 40.0f, kBulbY, 0.0f);

  p.SetWon(running);
  if (bulb_in) p.SetNumber("bulb", panel.Code());
}
