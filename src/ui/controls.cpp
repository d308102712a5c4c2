// The seven controls of the UI toolkit. Depends on the element list (gui),
// the draw list, the image, font and sound registries and the engine's
// mouse and typed-text input.
#include "ui/controls.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <string_view>

#include "engine/engine.h"
#include "engine/font.h"
#include "engine/utf8.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"

namespace {

constexpr uint32_t kCentred = TEXT_CENTRE | TEXT_VCENTRE;   // 0x22
constexpr uint32_t kLeftMiddle = TEXT_LEFT | TEXT_VCENTRE;  // 0x21
constexpr uint32_t kCentreTop = TEXT_CENTRE;                // 0x02
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr std::string_view kNameCharacters =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

struct Controls {
  float caret_clock = 0.0f;
  // Scratch texts, kept so that a tick's edit allocates nothing once sized.
  std::string shown;
  std::string filtered;
};

Controls g_controls;

float AbsX(const ielement& e) { return gui_at(e.parent).x + e.x; }
float AbsY(const ielement& e) { return gui_at(e.parent).y + e.y; }

float Round(float v) { return std::round(v); }

uint8_t Opacity(float v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

int ImageWidth(const std::string& name) { return TextureWidth(images.get(name)); }
int ImageHeight(const std::string& name) { return TextureHeight(images.get(name)); }

float UnscaledWidth(const std::string& font, std::string_view text) {
  const Font* f = fonts.get(font);
  return f != nullptr ? TextWidth(f, text) : 0.0f;
}

bool NameCharacter(char c) { return kNameCharacters.find(c) != std::string_view::npos; }

}  // namespace

float gui_caret_clock() { return g_controls.caret_clock; }

void gui_controls_reset() { g_controls = Controls{}; }

ibutton& gui_add_button(const char* name, float x, float y, float w, float h,
                        std::string caption, const char* skin, UiProc click) {
  auto button = std::make_unique<ibutton>(name, x, y, w, h, std::move(caption), true);
  button->graphic = skin;
  button->on_click = click;
  ibutton& added = *button;
  gui_add(std::move(button));
  return added;
}

void ibutton::update() {
  if (!visible) return;
  if (on_update != nullptr) on_update();
  const float cx = AbsX(*this) + w / 2.0f;
  const float cy = AbsY(*this) + h / 2.0f;
  if (!hide_graphic && !graphic.empty())
    DrawList.scaled_image(graphic, 255, cx, cy, 0.0f, 1, 1, graphic_color);
  if (on_face != nullptr) on_face();
  DrawList.text(font, text, cx, cy + static_cast<float>(caption_dy), kCentred, -1, text_scale, 255,
                text_color);
  glow = std::max(glow - 10.0f, 0.0f);
  if (gui_takes_input(*this, true)) {
    if (mouse_in_rect(AbsX(*this), AbsY(*this), w, h)) {
      gui_hover = true;
      if (!hover) sounds.play(sound_over);
      hover = true;
      glow = std::min(glow + 20.0f, 255.0f);
      // The face flashes even on a button that shows only its caption.
      if (!graphic.empty())
        DrawList.scaled_image(graphic, 128, cx, cy, 0.0f, 1, 1, kWhite, BLEND_ADD);
      if (MouseClick(kMouseLeft)) {
        sounds.play(sound_click);
        if (on_click != nullptr) on_click();
      }
    } else {
      hover = false;
    }
  }
  if (glow > 0.0f && graphic.empty()) {
    const uint8_t halo = Opacity(glow / 8.0f);
    DrawList.text(font, text, cx - 2.0f, cy, kCentred, -1, text_scale, halo, kWhite);
    DrawList.text(font, text, cx + 2.0f, cy, kCentred, -1, text_scale, halo, kWhite);
    DrawList.text(font, text, cx, cy - 2.0f, kCentred, -1, text_scale, halo, kWhite);
    DrawList.text(font, text, cx, cy + 2.0f, kCentred, -1, text_scale, halo, kWhite);
    DrawList.text(font, text, cx, cy, kCentred, -1, text_scale, Opacity(glow), kWhite);
  }
}

void itext::update() {
  if (!visible) return;
  if (on_update != nullptr) on_update();
  DrawList.text(font, text, AbsX(*this), Round(AbsY(*this) + h / 2.0f), kCentred, -1, text_scale,
                255, text_color);
}

void imemo::update() {
  if (!visible) return;
  if (on_update != nullptr) on_update();
  DrawList.text_rect(font, text, AbsX(*this), AbsY(*this), w, h, kCentred, -1, text_scale, 255,
                     text_color);
}

void ibar::update() {
  if (!visible) return;
  if (on_update != nullptr) on_update();
  const float ax = AbsX(*this);
  const float ay = AbsY(*this);
  const float kw = static_cast<float>(ImageWidth(graphic2));
  if (gui_takes_input(*this, false)) {
    if (mouse_in_rect(ax, ay, w, h)) {
      if (MouseClick(kMouseLeft)) hover = true;
      if (on_click != nullptr && MouseUp(kMouseLeft) && hover) on_click();
      if (MouseDown(kMouseLeft) && hover) {
        // Within half a knob of an end counts as the end itself.
        value = MouseX() - ax;
        if (value > w - kw / 2.0f) value = w;
        if (value < kw / 2.0f) value = 0.0f;
      }
    } else {
      hover = false;
    }
  }
  float m = value;
  if (m < kw / 2.0f) m = kw / 2.0f;
  if (m > w - kw / 2.0f) m = w - kw / 2.0f;
  if (!graphic.empty()) {
    DrawList.corner_image(graphic, 255, ax, ay, ax + w, ay + h);
    DrawList.corner_image(graphic, 255, ax, ay, ax + w, ay + h);
    DrawList.image(graphic2, 255, Round(ax + m - kw / 2.0f), ay);
  }
}

void icheck::update() {
  if (!visible) return;
  if (on_update != nullptr) on_update();
  const float ax = AbsX(*this);
  const float ay = AbsY(*this);
  const float mw = static_cast<float>(ImageWidth(graphic3));
  const float mh = static_cast<float>(ImageHeight(graphic3));
  w = UnscaledWidth(font, text) + mw;
  h = mh;
  const float left = Round(ax - w / 2.0f);
  if (gui_takes_input(*this, false) && mouse_in_rect(ax - w / 2.0f, ay, w, h) &&
      MouseClick(kMouseLeft)) {
    sounds.play(sound_click);
    checked = !checked;
    if (on_click != nullptr) on_click();
  }
  if (!graphic.empty()) DrawList.image(graphic, 255, left, ay);
  if (!graphic3.empty() && checked) DrawList.image(graphic3, 255, left, ay);
  DrawList.text(font, text, Round(ax + mw - w / 2.0f), Round(ay + h / 2.0f), kLeftMiddle, -1,
                text_scale, 255, text_color);
}

void ilist::update() {
  if (!visible) return;
  if (on_update != nullptr) on_update();
  const int count = static_cast<int>(items.size());
  if (selected > count - 1) selected = count - 1;
  const float ax = AbsX(*this);
  const float ay = AbsY(*this);
  const Font* f = fonts.get(font);
  const float lh = f != nullptr ? static_cast<float>(f->max_height) : 0.0f;
  const bool takes_input = gui_takes_input(*this, false);
  for (int i = 0; i < count; ++i) {
    const float row_y = ay + static_cast<float>(i) * lh;
    if (i == selected) DrawList.filled_rect(64, kWhite, ax, row_y, w, lh, BLEND_ADD);
    if (takes_input && mouse_in_rect(ax, row_y, w, lh)) {
      DrawList.filled_rect(32, kWhite, ax, row_y, w, lh, BLEND_ADD);
      if (MouseClick(kMouseLeft)) {
        selected = i;
        sounds.play(sound_click);
      }
    }
    DrawList.text(font, items[static_cast<std::size_t>(i)], Round(ax + w / 2.0f), Round(row_y),
                  kCentreTop, -1, text_scale, 255, text_color);
  }
}

void iedit::update() {
  if (!visible) return;
  if (on_update != nullptr) on_update();
  if (gui_takes_input(*this, false)) {
    const std::string& typed = GetTextInput();
    if (filter && !std::all_of(typed.begin(), typed.end(), NameCharacter)) {
      g_controls.filtered.clear();
      std::copy_if(typed.begin(), typed.end(), std::back_inserter(g_controls.filtered),
                   NameCharacter);
      BeginTextInput(g_controls.filtered, -1);
    }
    if (UnscaledWidth(font, GetTextInput()) > w - h) {
      // Only the character that overflowed goes; the rest stays as typed.
      g_controls.filtered = GetTextInput();
      Utf8RemoveLast(g_controls.filtered);
      BeginTextInput(g_controls.filtered, -1);
    }
    text = GetTextInput();
    g_controls.caret_clock += 0.05f;
  }
  if (disabled) {
    EndTextInput();
  } else if (!EngineInput().text_active || EngineInput().text_max_length != -1) {
    // Already on without a limit, restarting would change nothing.
    BeginTextInput(GetTextInput(), -1);
  }
  const float ax = AbsX(*this);
  const float ay = AbsY(*this);
  if (!graphic.empty()) DrawList.corner_image(graphic, 255, ax, ay, ax + w, ay + h);
  g_controls.shown = text;
  if (std::lround(g_controls.caret_clock) % 2 == 0) g_controls.shown += '|';
  DrawList.text(font, g_controls.shown, ax + h / 2.0f, ay + h / 2.0f, kLeftMiddle, -1, text_scale,
                255, text_color);
}
