// The inventory strip and the scene message.
#include "world/inventory.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/engine.h"
#include "engine/font.h"
#include "engine/log.h"
#include "engine/random.h"
#include "engine/utf8.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/scene.h"

namespace {

// The words an entry's state is saved as; the strip reads and writes them
// through this enum only.
enum class EntryState { New, Normal, Held, Returning, Other };

EntryState StateOf(const SceneObject& entry) {
  if (entry.kind == "new") return EntryState::New;
  if (entry.kind == "normal") return EntryState::Normal;
  if (entry.kind == "select") return EntryState::Held;
  if (entry.kind == "release") return EntryState::Returning;
  return EntryState::Other;
}

void SetState(SceneObject& entry, EntryState state) {
  switch (state) {
    case EntryState::New:
      entry.kind = "new";
      return;
    case EntryState::Normal:
      entry.kind = "normal";
      return;
    case EntryState::Held:
      entry.kind = "select";
      return;
    case EntryState::Returning:
      entry.kind = "release";
      return;
    case EntryState::Other:
      return;
  }
}

bool IsFlying(const SceneObject& entry) {
  const EntryState state = StateOf(entry);
  return state == EntryState::New || state == EntryState::Returning;
}

constexpr int kSlots = 8;
constexpr float kSlot = 60.0f;
constexpr float kStripWidth = kSlots * kSlot;
constexpr float kArrowWidth = 46.0f;
constexpr float kFlightStep = 5.0f;
constexpr float kFlightSpin = 10.0f;
constexpr float kLabelDelay = 50.0f;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kCentred = TEXT_CENTRE | TEXT_VCENTRE;
constexpr uint32_t kPopupColour = 0xFFDD77;
constexpr int kPopupFullOpacity = 200;
constexpr int kPopupFadeStep = 5;
constexpr float kPopupTypeStep = 2.0f;
constexpr float kPopupLeft = 128.0f;
constexpr float kPopupTop = 5.0f;
constexpr float kPopupWidth = 768.0f;


void DrawLabel(const SceneObject& entry, float sx, float top) {
  const std::string label = game_strings.get("inv_" + entry.name);
  DrawList.text("ui_font", label, sx + 1.0f, top + 1.0f, kCentred, -1, 0.8f, 255, kBlack);
  DrawList.text("ui_font", label, sx, top, kCentred, -1, 0.8f, 255, kWhite);
}

// The entry's picture resting in its slot: half size over a dark shadow.
void DrawInSlot(const SceneObject& entry, float sx, float sy) {
  DrawList.scaled_image(entry.name, 255, sx + 2.0f, sy + 5.0f, 0.0f, 0.5f, 0.5f, kBlack);
  DrawList.scaled_image(entry.name, 255, sx, sy, 0.0f, 0.5f, 0.5f, kWhite);
}

// One tick of an entry's flight to its slot: it spins towards the slot side,
// moves 5 px and trails sparks; it lands once closer than a step.
void Fly(SceneObject& entry, float sx, float sy) {
  entry.angle += entry.x > sx ? -kFlightSpin : kFlightSpin;
  const float dx = sx - entry.x;
  const float dy = sy - entry.y;
  const float distance = std::sqrt(dx * dx + dy * dy);
  if (distance < kFlightStep) {
    entry.x = sx;
    entry.y = sy;
    entry.angle = 0.0f;
    SetState(entry, EntryState::Normal);
    sounds.play("landing");
    return;
  }
  entry.x += dx / distance * kFlightStep;
  entry.y += dy / distance * kFlightStep;
  EmitSparkTrail(entry.particles, entry.x, entry.y);
  DrawList.scaled_image(entry.name, 255, entry.x, entry.y, entry.angle, 1.0f, 1.0f);
}

// Where the strip lies this tick and what covers it.
struct Strip {
  float left = 0.0f;
  float top = 0.0f;
  bool covered = false;   // a window is over the level: the strip only shows itself
  bool mouse_in = false;  // the mouse is over the eight slots
};

Strip StripAt(float left, float top) {
  Strip strip;
  strip.left = left;
  strip.top = top;
  strip.covered = LevelCovered();
  strip.mouse_in = mouse_in_rect(left, top, kStripWidth, kSlot);
  return strip;
}

float SlotX(const Strip& strip, std::size_t i) {
  return strip.left + kSlot / 2 +
         kSlot * static_cast<float>(static_cast<int>(i) - world.inventoryScroll);
}

bool SlotShown(std::size_t i) {
  const int v = static_cast<int>(i) - world.inventoryScroll;
  return v >= 0 && v < kSlots;
}

float SlotY(const Strip& strip) { return strip.top + kSlot / 2; }

float LeftArrowX(const Strip& strip) { return strip.left - kArrowWidth; }
float RightArrowX(const Strip& strip) { return strip.left + kStripWidth; }

void DrawStripFrame(const Strip& strip) {
  DrawList.image("garr", 255, LeftArrowX(strip), strip.top);
  DrawList.image("garr", 255, RightArrowX(strip), strip.top, kWhite, BLEND_NORMAL, FX_MIRROR_X);
  for (int v = 0; v < kSlots; ++v)
    DrawList.scaled_image("ginv", 255, strip.left + kSlot / 2 + kSlot * static_cast<float>(v),
                          SlotY(strip), 0.0f, 1.0f, 1.0f);
}

void PutBackOnRightClick() {
  if (HeldItemIndex() < 0 || !MouseClick(kMouseRight)) return;
  ReleaseHeldItem();
  sounds.play("cancel");
}

// With more than eight entries, the arrows turn the strip one slot a click.
void ScrollByArrows(const Strip& strip) {
  const int count = static_cast<int>(world.inventory.size());
  if (strip.covered || count <= kSlots) return;
  struct Arrow {
    float x;
    uint32_t effects;
    int step;
  };
  for (const Arrow arrow :
       {Arrow{LeftArrowX(strip), 0, -1}, Arrow{RightArrowX(strip), FX_MIRROR_X, 1}}) {
    if (!mouse_in_rect(arrow.x, strip.top, kArrowWidth, kSlot)) continue;
    DrawList.image("garr", 255, arrow.x, strip.top, kWhite, BLEND_ADD, arrow.effects);
    if (MouseClick(kMouseLeft)) {
      sounds.play("ui_click");
      world.inventoryScroll = std::clamp(world.inventoryScroll + arrow.step, 0, count - kSlots);
      // The arrow took the click: a held entry is not used on anything.
      ClearMouseState();
    }
  }
}

// An entry on its way in turns the strip to the end, where it will land.
void ShowNewestEntries() {
  const ObjectList& inventory = world.inventory;
  const int count = static_cast<int>(inventory.size());
  const bool any_new = std::any_of(inventory.begin(), inventory.end(), [](const SceneObject& e) {
    return StateOf(e) == EntryState::New;
  });
  if (any_new && count > kSlots) world.inventoryScroll = count - kSlots;
}

// Flights land; resting entries show their name after the hover time and are
// picked up by a click.
void RestingEntries(const Strip& strip) {
  const bool popup_up = WindowVisible("wnd_popup");
  for (std::size_t i = 0; i < world.inventory.size(); ++i) {
    SceneObject& entry = world.inventory[i];
    const float sx = SlotX(strip, i);
    UpdateAndDraw(entry.particles);
    if (!popup_up && IsFlying(entry)) Fly(entry, sx, SlotY(strip));
    if (StateOf(entry) != EntryState::Normal) continue;
    if (!strip.covered && strip.mouse_in &&
        mouse_in_rect(sx - kSlot / 2, strip.top, kSlot, kSlot)) {
      entry.timer = std::min(entry.timer + 1.0f, kLabelDelay);
      world.cursor = Cursor::Hand;
      if (InventoryLabelShown(entry)) DrawLabel(entry, sx, strip.top);
      if (MouseClick(kMouseLeft) && HeldItemIndex() < 0) {
        sounds.play("select");
        SetState(entry, EntryState::Held);
        ClearMouseState();
      }
    } else {
      entry.timer = 0.0f;
    }
    if (SlotShown(i)) DrawInSlot(entry, sx, SlotY(strip));
  }
}

// The held entry follows the mouse: a click in the strip puts it back, a
// click the scene did not take is a wrong use. A window over the level sends
// held and returning entries straight home.
void HeldAndReturningEntries(const Strip& strip) {
  for (std::size_t i = 0; i < world.inventory.size(); ++i) {
    SceneObject& entry = world.inventory[i];
    const EntryState state = StateOf(entry);
    if (state != EntryState::Held && state != EntryState::Returning) continue;
    world.cursor = Cursor::Hand;
    if (strip.covered) {
      SetState(entry, EntryState::Normal);
      continue;
    }
    if (state != EntryState::Held) continue;
    if (MouseClick(kMouseLeft)) {
      if (!strip.mouse_in) {
        if (world.inventoryArmed) {
          // Nothing in the scene took the click: the item does not fit there.
          sounds.play("wrong");
          ShowSceneMessage("wrong" + std::to_string(1 + Random(5)));
          ReleaseHeldItem();
        }
      } else {
        SetState(entry, EntryState::Normal);
        sounds.play("cancel");
        ClearMouseState();
      }
    }
    if (SlotShown(i)) DrawInSlot(entry, SlotX(strip, i), SlotY(strip));
    if (StateOf(entry) == EntryState::Held)
      DrawList.scaled_image(entry.name, 255, MouseX(), MouseY(), 0.0f, 1.0f, 1.0f);
  }
}

}  // namespace

void GiveItem(std::string_view name, std::string_view state, float x, float y) {
  sounds.play("whoosh");
  if (AppendSceneObject(world.inventory, name, state, x, y) == nullptr) {
    LogLine("INVENTORY: full, \"" + std::string(name) + "\" left out", true);
  }
}

void TakeHeldItem(int index) {
  if (index < 0 || index >= static_cast<int>(world.inventory.size())) return;
  world.inventory[static_cast<std::size_t>(index)].mark = 0;
  world.inventory.remove_at(static_cast<std::size_t>(index));
  const int count = static_cast<int>(world.inventory.size());
  world.inventoryScroll = count > kSlots ? std::min(world.inventoryScroll, count - kSlots) : 0;
}

int HeldItemIndex() {
  for (std::size_t i = 0; i < world.inventory.size(); ++i)
    if (StateOf(world.inventory[i]) == EntryState::Held) return static_cast<int>(i);
  return -1;
}

void ReleaseHeldItem() {
  const int held = HeldItemIndex();
  if (held < 0) return;
  SceneObject& entry = world.inventory[static_cast<std::size_t>(held)];
  entry.x = MouseX();
  entry.y = MouseY();
  SetState(entry, EntryState::Returning);
}

bool InventoryLabelShown(const SceneObject& entry) {
  return StateOf(entry) == EntryState::Normal && entry.timer >= kLabelDelay;
}

void InventoryStrip(float origin_x, float origin_y) {
  const Strip strip = StripAt(origin_x, origin_y);
  DrawStripFrame(strip);
  PutBackOnRightClick();
  ScrollByArrows(strip);
  ShowNewestEntries();
  RestingEntries(strip);
  HeldAndReturningEntries(strip);
  world.inventoryArmed = true;
}

void ShowSceneMessage(std::string_view key) {
  sounds.play("popup");
  PopupState& popup = world.popup;
  popup.active = true;
  popup.key.assign(key);
  popup.text = game_strings.get(key);
  popup.opacity = 0;
  popup.shown = 0.0f;
  popup.start_ms = GetTicks();
  popup.now_ms = popup.start_ms;
}

void PopupFrame() {
  PopupState& popup = world.popup;
  popup.now_ms = GetTicks();
  popup.opacity = popup.active ? std::min(popup.opacity + kPopupFadeStep, kPopupFullOpacity)
                               : std::max(popup.opacity - kPopupFadeStep, 0);
  if (popup.active && popup.now_ms - popup.start_ms > kPopupShownMs) popup.active = false;
  const auto length = static_cast<float>(Utf8Length(popup.text));
  popup.shown = std::min(popup.shown + kPopupTypeStep, length);
  if (popup.opacity <= 0) return;
  const Font* font = fonts.get("ui_font");
  const float text_height = TextHeight(font, kPopupWidth, popup.text);
  // The band darkens as far as the counter goes; the text reaches full opacity.
  DrawList.filled_rect(static_cast<uint8_t>(popup.opacity), kBlack, 0.0f, 0.0f, 1024.0f,
                       text_height + 10.0f, BLEND_NORMAL);
  DrawList.text_rect("ui_font", popup.text, kPopupLeft, kPopupTop, kPopupWidth, text_height,
                     TEXT_CENTRE | TEXT_TOP, static_cast<int>(popup.shown), 1.0f,
                     static_cast<uint8_t>(popup.opacity * 255 / kPopupFullOpacity),
                     kPopupColour);
}
