// The close-up: a framed picture of one quest object over the level, where
// the player uses items on its parts or takes things out of it. This file is
// the window ("wnd_zoomin") and the tools every close-up's handler uses; the
// handlers themselves live in the closeups_*.cpp files, one file per part of
// the world.
//
// A handler runs once a frame while its close-up is open. It reads its steps
// from the quest keys, draws the overlays of the steps reached, offers its
// click regions and acts on a click by the item-use rule:
//   - nothing held: the region's message says what is missing;
//   - the wanted item held: the item is taken and the step advances;
//   - another item held: nothing happens, the item stays at the mouse.
// Offsets and regions are in pixels from the close-up's top-left corner.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "fx/particles.h"

// What a handler sees and does in one frame of its open close-up.
class CloseUp {
 public:
  CloseUp(std::string_view quest, float x, float y, float w, float h);

  std::string_view Quest() const { return quest_; }
  float X() const { return x_; }
  float Y() const { return y_; }
  float W() const { return w_; }
  float H() const { return h_; }

  // True in the first frame after the close-up opened, and only then; the
  // handlers whose animation restarts with every opening ask it.
  bool JustOpened();

  // The quest's steps ("zoomin_" + quest + "_" + step). Setting writes the
  // key at once, so the step survives closing, leaving and quitting.
  bool Flag(std::string_view step) const;
  int Number(std::string_view step) const;
  void SetFlag(std::string_view step, bool value);
  void SetNumber(std::string_view step, int value);

  // An overlay ("z_" + word) drawn at its offset, optionally tinted.
  void Draw(std::string_view image, float dx, float dy, uint32_t tint = 0xFFFFFF,
            uint8_t opacity = 255);

  // A click region active in this frame. True while the mouse is inside it
  // (the hand cursor shows); Clicked also needs this frame's left click.
  bool Over(float dx, float dy, float w, float h);
  bool Clicked(float dx, float dy, float w, float h);
  // The whole close-up as one region.
  bool ClickedAnywhere() { return Clicked(0, 0, w_, h_); }

  // The item-use rule on a region that was clicked: with nothing held the
  // message `missing` shows and Empty is returned; with `item` held it is
  // taken and Taken is returned (the caller plays the sound and advances the
  // step); with another item held nothing happens and Other is returned.
  enum class Use { Empty, Taken, Other };
  Use UseItem(std::string_view item, std::string_view missing);
  // Whether the cursor is empty (no inventory entry held).
  static bool HandEmpty();

  // An item handed out: it flies from the quest object into the strip.
  void Give(std::string_view item);
  // A level object of the current level added or removed (by name, when it
  // is there; a missing one is skipped).
  static void Add(std::string_view name, std::string_view kind, float x, float y);
  static void Remove(std::string_view name);

  // Particles over the close-up, at offsets from its corner; they are drawn
  // above the close-up and its overlays. The drift's sign is random.
  void EmitStars(float dx, float dy, int count, float spread_w, float spread_h);
  void EmitLeaves(float dx, float dy, int count);
  void EmitFog(float dx, float dy, int count);
  void EmitEffect(std::string_view image, float dx, float dy, int count);  // "p_boom", "p_fire" ...

  // The quest is done: its object leaves the level (looked up by name), its
  // keys are deleted and the close-up closes with "ui_window_close".
  void Finish();
  bool Finished() const { return finished_; }

 private:
  std::string quest_;
  float x_, y_, w_, h_;
  bool finished_ = false;
};

// A close-up's handler, by quest name.
struct CloseUpHandler {
  const char* quest;
  void (*frame)(CloseUp& z);
};

// The handlers of each part of the world (closeups_*.cpp).
std::span<const CloseUpHandler> HotelAlleyCloseUps();
std::span<const CloseUpHandler> VillageCloseUps();
std::span<const CloseUpHandler> CastleCloseUps();
std::span<const CloseUpHandler> TowerCloseUps();

// Runs the handler of the open close-up for this frame (none for a name
// without one: the close-up then only shows and closes).
void ZoomInDispatch();

// The per-tick procedure of "wnd_zoomin": the appear animation, closing by a
// click outside the close-up and the panel, the picture, the handler, the
// particles and the frame.
void CloseUpProcedure();
// The close-up's frame and its four brass corners round the rectangle; the
// puzzle window wears the same.
void DrawCloseUpFrame(float x, float y, float w, float h);
// Forgets the close-up's particles and animation (a new game, a new run).
void ResetCloseUps();

// What the open close-up offered in its last frame, for the state dump and
// the checks: its click regions and the overlays it drew, in screen pixels.
struct CloseUpRect {
  std::string name;  // overlay image; "" for a region
  float x, y, w, h;
};
std::span<const CloseUpRect> CloseUpRegions();
std::span<const CloseUpRect> CloseUpOverlays();
