// The close-up window "wnd_zoomin" and the tools of its handlers: the appear
// animation, closing by a click beside it, the picture, the handler of the
// open quest with its steps, overlays, regions and particles, the frame, and
// the clean-up of a finished quest. Reads and changes the world record; the
// steps live in the quest section (story/quest.h).
#include "story/closeup.h"

#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/random.h"
#include "engine/render.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "story/quest.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

constexpr float kZoomStep = 0.05f;  // the close-up grows to full size in 20 frames
constexpr uint32_t kFrameLight = 0x9F9C8C;
constexpr uint32_t kFrameDark = 0x25241F;
constexpr float kCornerScale = 0.5f;
constexpr float kCornerReach = 8.0f;  // how far the brass corners stand out of the frame
constexpr float kPanelTop = 640.0f;

// The open close-up's own state beyond the world record's frame.
struct CloseUpWindow {
  View view;
  bool just_opened = false;
  TParticleSystem particles;
  std::vector<CloseUpRect> regions;
  std::vector<CloseUpRect> overlays;
};

CloseUpWindow g_window;

const CloseUpHandler* FindHandler(std::string_view quest) {
  for (const auto& part :
       {HotelAlleyCloseUps(), VillageCloseUps(), CastleCloseUps(), TowerCloseUps()}) {
    for (const CloseUpHandler& handler : part)
      if (quest == handler.quest) return &handler;
  }
  return nullptr;
}

std::string StepKey(std::string_view quest, std::string_view step) {
  return CloseUpKeyPrefix(quest) + std::string(step);
}

bool MouseInside(float x, float y, float w, float h) {
  const float mx = MouseX();
  const float my = MouseY();
  return x < mx && mx < x + w && y < my && my < y + h;
}

// A drift of -1 or +1 times `speed`, so that bursts spread both ways.
float Drift(float speed) { return Random(2) == 0 ? speed : -speed; }

float Between(float lo, float hi) { return lo + RandomFloat() * (hi - lo); }

// The frame's first tick after opening: the camera starts at nothing and the
// last close-up's particles are forgotten.
void StartOpening(const OpenedFrame& frame) {
  g_window.view = View{};
  g_window.view.zoom_x = 0.0f;
  g_window.view.zoom_y = 0.0f;
  g_window.view.centre_x = frame.x + frame.w / 2.0f;
  g_window.view.centre_y = frame.y + frame.h / 2.0f;
  g_window.particles.count = 0;
  g_window.just_opened = true;
}

float Grow(float zoom) {
  zoom += kZoomStep;
  return zoom > 1.0f - kZoomStep ? 1.0f : zoom;
}

void DrawFrame(const OpenedFrame& f) { DrawCloseUpFrame(f.x, f.y, f.w, f.h); }

struct FrameRect {
  float x, y, w, h;
};

void DrawFrameAround(const FrameRect f) {
  DrawList.rect(255, kFrameDark, f.x - 2.0f, f.y - 2.0f, f.w + 4.0f, f.h + 4.0f, BLEND_NORMAL);
  DrawList.rect(255, kFrameLight, f.x - 1.0f, f.y - 1.0f, f.w + 2.0f, f.h + 2.0f, BLEND_NORMAL);
  DrawList.rect(255, kFrameLight, f.x, f.y, f.w, f.h, BLEND_NORMAL);
  // One brass corner, turned and mirrored into the other three.
  const Texture* corner = images.get("corner");
  const float cw = static_cast<float>(TextureWidth(corner)) * kCornerScale;
  const float ch = static_cast<float>(TextureHeight(corner)) * kCornerScale;
  struct Corner {
    float x, y, angle;
    uint32_t effects;
  };
  const float left = f.x - kCornerReach + cw / 2.0f;
  const float top = f.y - kCornerReach + ch / 2.0f;
  const float right = f.x + f.w + kCornerReach - cw / 2.0f;
  const float bottom = f.y + f.h + kCornerReach - ch / 2.0f;
  for (const Corner c : {Corner{left, top, 0.0f, 0}, Corner{right, top, 0.0f, FX_MIRROR_X},
                         Corner{right, bottom, 180.0f, 0}, Corner{left, bottom, 180.0f, FX_MIRROR_X}})
    DrawList.scaled_image("corner", 255, c.x, c.y, c.angle, kCornerScale, kCornerScale, 0xFFFFFF,
                          BLEND_NORMAL, c.effects);
}

void CloseBeside() {
  ShowWindow("wnd_zoomin", false);
  sounds.play("ui_window_close");
  ClearMouseState();
}

}  // namespace

// --- What a handler sees --------------------------------------------------------------------

CloseUp::CloseUp(std::string_view quest, float x, float y, float w, float h)
    : quest_(quest), x_(x), y_(y), w_(w), h_(h) {}

bool CloseUp::JustOpened() { return g_window.just_opened; }

bool CloseUp::Flag(std::string_view step) const { return QuestFlag(StepKey(quest_, step)); }

int CloseUp::Number(std::string_view step) const { return QuestNumber(StepKey(quest_, step)); }

void CloseUp::SetFlag(std::string_view step, bool value) {
  SetQuestFlag(StepKey(quest_, step), value);
}

void CloseUp::SetNumber(std::string_view step, int value) {
  SetQuestNumber(StepKey(quest_, step), value);
}

void CloseUp::Draw(std::string_view image, float dx, float dy, uint32_t tint, uint8_t opacity) {
  const Texture* texture = images.get(image);
  DrawList.image(image, opacity, x_ + dx, y_ + dy, tint);
  g_window.overlays.push_back({std::string(image), x_ + dx, y_ + dy,
                               static_cast<float>(TextureWidth(texture)),
                               static_cast<float>(TextureHeight(texture))});
}

bool CloseUp::Over(float dx, float dy, float w, float h) {
  g_window.regions.push_back({std::string(), x_ + dx, y_ + dy, w, h});
  if (!mouse_in_rect(x_ + dx, y_ + dy, w, h)) return false;
  world.cursor = Cursor::Hand;
  return true;
}

bool CloseUp::Clicked(float dx, float dy, float w, float h) {
  if (!Over(dx, dy, w, h) || !MouseClick(kMouseLeft)) return false;
  // The region takes the click whatever comes of it: a wrong item held over
  // a close-up is no wrong use of the level.
  ClearMouseState();
  return true;
}

CloseUp::Use CloseUp::UseItem(std::string_view item, std::string_view missing) {
  const int held = HeldItemIndex();
  if (held < 0) {
    ShowSceneMessage(missing);
    return Use::Empty;
  }
  if (world.inventory[static_cast<std::size_t>(held)].name != item) return Use::Other;
  TakeHeldItem(held);
  return Use::Taken;
}

bool CloseUp::HandEmpty() { return HeldItemIndex() < 0; }

void CloseUp::Give(std::string_view item) {
  // The item flies from the quest object; a close-up opened without one (the
  // guide, a test) lets it fly from its own middle.
  const int index = FindSceneObject(quest_);
  if (index >= 0) {
    const SceneObject& o = world.objects[static_cast<std::size_t>(index)];
    GiveItem(item, "new", o.x, o.y);
  } else {
    GiveItem(item, "new", x_ + w_ / 2.0f, y_ + h_ / 2.0f);
  }
}

void CloseUp::Add(std::string_view name, std::string_view kind, float x, float y) {
  AddSceneObject(name, kind, x, y);
}

void CloseUp::Remove(std::string_view name) {
  // The open quest's own object leaves once, when it finishes.
  if (WindowVisible("wnd_zoomin") && name == world.zoomin.name) return;
  const int index = FindSceneObject(name);
  if (index >= 0) RemoveSceneObject(index);
}

void CloseUp::EmitStars(float dx, float dy, int count, float spread_w, float spread_h) {
  for (int i = 0; i < count; ++i) {
    const float size = Between(0.3f, 0.9f);
    Emit(g_window.particles, "p_star", false, x_ + dx + RandomFloat() * spread_w,
         y_ + dy + RandomFloat() * spread_h, Drift(Between(0.2f, 1.2f)), -Between(0.3f, 1.5f),
         size, Between(1.5f, 3.5f), Drift(2.0f), 0.01f, 0xFFD070, BLEND_ADD);
  }
}

void CloseUp::EmitLeaves(float dx, float dy, int count) {
  for (int i = 0; i < count; ++i)
    Emit(g_window.particles, "p_lleaf", true, x_ + dx + Between(-20.0f, 20.0f),
         y_ + dy + Between(-10.0f, 10.0f), Drift(Between(0.3f, 1.5f)), Between(-1.0f, 0.5f),
         Between(0.5f, 1.0f), Between(1.5f, 3.0f), Drift(3.0f), 0.0f, 0xFFFFFF, BLEND_NORMAL);
}

void CloseUp::EmitFog(float dx, float dy, int count) {
  for (int i = 0; i < count; ++i) {
    const int grey = 96 + Random(96);
    Emit(g_window.particles, "p_fog", false, x_ + dx + Between(-30.0f, 30.0f),
         y_ + dy + Between(-20.0f, 20.0f), Drift(Between(0.1f, 0.6f)), -Between(0.0f, 0.4f),
         Between(0.5f, 1.5f), Between(1.0f, 2.0f), 0.0f, 0.01f,
         static_cast<uint32_t>(grey << 16 | grey << 8 | grey), BLEND_ADD);
  }
}

void CloseUp::EmitEffect(std::string_view image, float dx, float dy, int count) {
  for (int i = 0; i < count; ++i)
    Emit(g_window.particles, image, true, x_ + dx, y_ + dy, Drift(Between(0.2f, 2.5f)),
         Drift(Between(0.2f, 2.5f)), Between(0.5f, 1.2f), Between(2.0f, 5.0f), Drift(2.0f),
         0.01f, 0xFFFFFF, BLEND_ADD);
}

void CloseUp::Finish() { finished_ = true; }

// --- The window ---------------------------------------------------------------------------

void ZoomInDispatch() {
  const OpenedFrame& f = world.zoomin;
  const CloseUpHandler* handler = FindHandler(f.name);
  if (handler == nullptr) return;
  CloseUp z(f.name, f.x, f.y, f.w, f.h);
  handler->frame(z);
  if (!z.Finished()) return;
  // The quest's object is looked up now: the handler may have removed
  // others before it, and an index kept from the opening would be stale.
  const std::string quest = f.name;
  const int index = FindSceneObject(quest);
  if (index >= 0) RemoveSceneObject(index);
  // After the handler's last writes, so that no step of a finished quest stays.
  DeleteKeysWithPrefix(CloseUpKeyPrefix(quest));
  ShowWindow("wnd_zoomin", false);
  sounds.play("ui_window_close");
}

void CloseUpProcedure() {
  OpenedFrame& f = world.zoomin;
  g_window.regions.clear();
  g_window.overlays.clear();
  if (f.active) {
    f.active = false;
    StartOpening(f);
  }
  // The diary over the close-up takes every click of this frame.
  const bool was_blocked = scene_blocked;
  if (WindowVisible("wnd_diary")) scene_blocked = true;
  const bool inside = MouseInside(f.x, f.y, f.w, f.h);
  if (!scene_blocked && !inside && !MouseInside(0.0f, kPanelTop, 1024.0f, 768.0f - kPanelTop)) {
    world.cursor = Cursor::Hand;
    if (MouseClick(kMouseLeft)) {
      // Closed beside the picture: the steps stay, so opening it again resumes.
      CloseBeside();
      scene_blocked = was_blocked;
      g_window.just_opened = false;
      return;
    }
  }
  View& view = g_window.view;
  view.zoom_x = Grow(view.zoom_x);
  view.zoom_y = Grow(view.zoom_y);
  DrawList.camera(&view);
  DrawList.image("z_" + f.name, 255, f.x, f.y);
  ZoomInDispatch();
  UpdateAndDraw(g_window.particles);
  DrawFrame(f);
  DrawList.camera(nullptr);
  // A click on the picture that no region took does nothing, and is no wrong
  // use of the held item either.
  if (!scene_blocked && inside && MouseClick(kMouseLeft)) ClearMouseState();
  scene_blocked = was_blocked;
  g_window.just_opened = false;
}

void DrawCloseUpFrame(float x, float y, float w, float h) { DrawFrameAround({x, y, w, h}); }

void ResetCloseUps() {
  g_window.view = View{};
  g_window.just_opened = false;
  g_window.particles.count = 0;
  g_window.regions.clear();
  g_window.overlays.clear();
}

std::span<const CloseUpRect> CloseUpRegions() { return g_window.regions; }

std::span<const CloseUpRect> CloseUpOverlays() { return g_window.overlays; }
