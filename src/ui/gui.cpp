// Elements, windows and the UI pass.
#include "ui/gui.h"

#include <vector>

#include "engine/engine.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/controls.h"

int gui_modal = -1;
bool gui_hover = false;
std::string gui_focus_name;
bool scene_blocked = false;

namespace {

struct Gui {
  std::vector<std::unique_ptr<ielement>> elements;
  int current_parent = 0;
};

Gui g_gui;

constexpr float kScreenWidth = 1024.0f;
constexpr float kScreenHeight = 768.0f;

}  // namespace

ielement::ielement(std::string name_, float x_, float y_, float w_, float h_, std::string text_,
                   bool visible_)
    : name(std::move(name_)),
      parent(g_gui.current_parent),
      visible(visible_),
      x(x_),
      y(y_),
      w(w_),
      h(h_),
      text(std::move(text_)) {}

void ielement::update() {
  if (on_update != nullptr) on_update();
}

iwindow::iwindow(std::string name_, float x_, float y_, float w_, float h_, std::string text_,
                 bool visible_)
    : ielement(std::move(name_), x_, y_, w_, h_, std::move(text_), visible_) {
  is_child = false;
}

void iwindow::update() {
  if (!visible) {
    hover = true;  // the opening sound is due when it shows
    return;
  }
  if (dim > 0)
    DrawList.filled_rect(static_cast<uint8_t>(dim > 255 ? 255 : dim), 0x000000, 0.0f, 0.0f,
                         kScreenWidth, kScreenHeight, BLEND_NORMAL);
  if (on_update != nullptr) on_update();
  if (hover) {
    // The click that opened the window must not act inside it.
    ClearMouseState();
    hover = false;
    sounds.play(sound_open);
  }
  if (!graphic.empty()) DrawList.corner_image(graphic, 255, x, y, x + w, y + h);
  if (!text.empty()) {
    const Font* f = fonts.get(font);
    const float line = f != nullptr ? static_cast<float>(f->max_height) : 0.0f;
    DrawList.text(font, text, x + w / 2.0f, y + line + 8.0f, 0x22, -1, text_scale, 255,
                  text_color);
  }
}

int gui_add(std::unique_ptr<ielement> element) {
  g_gui.elements.push_back(std::move(element));
  return static_cast<int>(g_gui.elements.size()) - 1;
}

std::size_t gui_count() { return g_gui.elements.size(); }

ielement& gui_at(int index) { return *g_gui.elements[static_cast<std::size_t>(index)]; }

int gui_find(std::string_view name) {
  for (std::size_t i = g_gui.elements.size(); i-- > 0;)
    if (g_gui.elements[i]->name == name) return static_cast<int>(i);
  return 0;
}

ielement* gui_get(std::string_view name) {
  for (std::size_t i = g_gui.elements.size(); i-- > 0;)
    if (g_gui.elements[i]->name == name) return g_gui.elements[i].get();
  return nullptr;
}

void gui_set_parent() { g_gui.current_parent = static_cast<int>(g_gui.elements.size()) - 1; }

void gui_begin_pass() {
  gui_hover = false;
  gui_modal = -1;
  for (std::size_t i = g_gui.elements.size(); i-- > 0;) {
    const ielement& e = *g_gui.elements[i];
    if (e.modal && e.visible) {
      gui_modal = static_cast<int>(i);
      break;
    }
  }
}

void gui_update_range(std::size_t first, std::size_t last) {
  // Updating may show or hide windows; the list itself never changes here.
  for (std::size_t i = first; i < last && i < g_gui.elements.size(); ++i) {
    ielement& e = *g_gui.elements[i];
    if (!e.is_child || gui_at(e.parent).visible) e.update();
  }
}

void gui_end_pass() { gui_focus_name.clear(); }

void gui_update() {
  gui_begin_pass();
  gui_update_range(0, g_gui.elements.size());
  gui_end_pass();
}

void gui_reset() {
  gui_controls_reset();
  g_gui = Gui{};
  gui_modal = -1;
  gui_hover = false;
  gui_focus_name.clear();
  scene_blocked = false;
}

bool mouse_in_rect(float x, float y, float w, float h) {
  if (scene_blocked) return false;
  const float mx = MouseX();
  const float my = MouseY();
  return x < mx && mx < x + w && y < my && my < y + h;
}

bool gui_takes_input(const ielement& control, bool is_button) {
  if (control.disabled) return false;
  if (gui_modal == -1 || control.parent == gui_modal) return true;
  return is_button && control.name == gui_focus_name;
}

bool WindowVisible(const char* name) {
  const ielement* e = gui_get(name);
  return e != nullptr && e->visible;
}

void ShowWindow(const char* name, bool visible) {
  if (ielement* e = gui_get(name)) e->visible = visible;
}

void ShowMessageBox(std::string_view key) {
  if (ielement* memo = gui_get("memo_m")) memo->text = game_strings.get(key);
  ShowWindow("wnd_msg", true);
}
