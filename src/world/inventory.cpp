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

bool IsFlying(const SceneObject& entry) { return entry.kind == "new" || entry.kind == "release"; }

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
    entry.kind = "normal";
    sounds.play("landing");
    return;
  }
  entry.x += dx / distance * kFlightStep;
  entry.y += dy / distance * kFlightStep;
  EmitSparkTrail(entry.particles, entry.x, entry.y);
  DrawList.scaled_image(entry.name, 255, entry.x, entry.y, entry.angle, 1.0f, 1.0f);
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
    if (world.inventory[i].kind == "select") return static_cast<int>(i);
  return -1;
}

void ReleaseHeldItem() {
  const int held = HeldItemIndex();
  if (held < 0) return;
  SceneObject& entry = world.inventory[static_cast<std::size_t>(held)];
  entry.x = MouseX();
  entry.y = MouseY();
  entry.kind = "release";
}

bool InventoryLabelShown(const SceneObject& entry) {
  return entry.kind == "normal" && entry.timer >= kLabelDelay;
}

void InventoryStrip(float origin_x, float origin_y) {
  ObjectList& inventory = world.inventory;
  const float left_arrow_x = origin_x - kArrowWidth;
  const float right_arrow_x = origin_x + kStripWidth;
  DrawList.image("garr", 255, left_arrow_x, origin_y);
  DrawList.image("garr", 255, right_arrow_x, origin_y, kWhite, BLEND_NORMAL, FX_MIRROR_X);
  for (int v = 0; v < kSlots; ++v)
    DrawList.scaled_image("ginv", 255, origin_x + kSlot / 2 + kSlot * static_cast<float>(v),
                          origin_y + kSlot / 2, 0.0f, 1.0f, 1.0f);

  if (HeldItemIndex() >= 0 && MouseClick(kMouseRight)) {
    ReleaseHeldItem();
    sounds.play("cancel");
  }

  const bool covered = LevelCovered();
  const int count = static_cast<int>(inventory.size());
  if (!covered && count > kSlots) {
    struct Arrow {
      float x;
      uint32_t effects;
      int step;
    };
    for (const Arrow arrow : {Arrow{left_arrow_x, 0, -1}, Arrow{right_arrow_x, FX_MIRROR_X, 1}}) {
      if (!mouse_in_rect(arrow.x, origin_y, kArrowWidth, kSlot)) continue;
      DrawList.image("garr", 255, arrow.x, origin_y, kWhite, BLEND_ADD, arrow.effects);
      if (MouseClick(kMouseLeft)) {
        sounds.play("ui_click");
        world.inventoryScroll = std::clamp(world.inventoryScroll + arrow.step, 0, count - kSlots);
        // The arrow took the click: a held entry is not used on anything.
        ClearMouseState();
      }
    }
  }
  const bool any_new = std::any_of(inventory.begin(), inventory.end(),
                                   [](const SceneObject& e) { return e.kind == "new"; });
  if (any_new && count > kSlots) world.inventoryScroll = count - kSlots;

  const bool popup_up = WindowVisible("wnd_popup");
  const bool in_strip = mouse_in_rect(origin_x, origin_y, kStripWidth, kSlot);
  const float sy = origin_y + kSlot / 2;
  auto slot_x = [&](std::size_t i) {
    return origin_x + kSlot / 2 + kSlot * static_cast<float>(static_cast<int>(i) -
                                                             world.inventoryScroll);
  };
  auto slot_shown = [&](std::size_t i) {
    const int v = static_cast<int>(i) - world.inventoryScroll;
    return v >= 0 && v < kSlots;
  };

  for (std::size_t i = 0; i < inventory.size(); ++i) {
    SceneObject& entry = inventory[i];
    const float sx = slot_x(i);
    UpdateAndDraw(entry.particles);
    if (!popup_up && IsFlying(entry)) Fly(entry, sx, sy);
    if (entry.kind != "normal") continue;
    if (!covered && in_strip && mouse_in_rect(sx - kSlot / 2, origin_y, kSlot, kSlot)) {
      entry.timer = std::min(entry.timer + 1.0f, kLabelDelay);
      world.cursor = Cursor::Hand;
      if (InventoryLabelShown(entry)) DrawLabel(entry, sx, origin_y);
      if (MouseClick(kMouseLeft) && HeldItemIndex() < 0) {
        sounds.play("select");
        entry.kind = "select";
        ClearMouseState();
      }
    } else {
      entry.timer = 0.0f;
    }
    if (slot_shown(i)) DrawInSlot(entry, sx, sy);
  }

  for (std::size_t i = 0; i < inventory.size(); ++i) {
    SceneObject& entry = inventory[i];
    const bool held = entry.kind == "select";
    if (!held && entry.kind != "release") continue;
    world.cursor = Cursor::Hand;
    if (covered) {
      entry.kind = "normal";
      continue;
    }
    if (!held) continue;
    if (MouseClick(kMouseLeft)) {
      if (!in_strip) {
        if (world.inventoryArmed) {
          // Nothing in the scene took the click: the item does not fit there.
          sounds.play("wrong");
          ShowSceneMessage("wrong" + std::to_string(1 + Random(5)));
          ReleaseHeldItem();
        }
      } else {
        entry.kind = "normal";
        sounds.play("cancel");
        ClearMouseState();
      }
    }
    if (slot_shown(i)) DrawInSlot(entry, slot_x(i), sy);
    if (entry.kind == "select")
      DrawList.scaled_image(entry.name, 255, MouseX(), MouseY(), 0.0f, 1.0f, 1.0f);
  }
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
