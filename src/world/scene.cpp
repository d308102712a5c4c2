// The scene runtime: the level frame, interaction with its objects, walking
// through exits, openings of close-ups, puzzles and scenes, and the game panel.
#include "world/scene.h"

#include <algorithm>
#include <string>

#include "engine/engine.h"
#include "engine/log.h"
#include "engine/random.h"
#include "profile/profiles.h"
#include "world/progress.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/editor.h"
#include "world/hints.h"
#include "world/inventory.h"
#include "world/object_list.h"
#include "world/scene_steps.h"
#include "world/task_panel.h"

namespace {

StoryHooks g_story;
void (*g_story_screen)() = nullptr;

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kCentred = TEXT_CENTRE | TEXT_VCENTRE;
constexpr float kPanelTop = 640.0f;
constexpr float kEntranceBox = 100.0f;
constexpr float kPuzzleWidth = 750.0f;
constexpr float kPuzzleHeight = 500.0f;
constexpr float kFrameRaise = 40.0f;  // close-ups and puzzles sit a little above the middle
constexpr int kLevelFadeStep = 4;

bool Clicked() { return MouseClick(kMouseLeft); }

// Objects that sparkle now and then to show they matter.
bool ShowsGlints(const SceneObject& o) {
  return o.kind == "item" || o.kind == "zoomin" || o.kind == "puzzle" ||
         (o.kind == "static" && (o.name == "q_heap" || o.name == "q_news"));
}

bool IsDrawnKind(const std::string& kind) {
  return kind == "item" || kind == "static" || kind == "cstatic" || kind == "puzzle" ||
         kind == "zoomin" || kind == "inactive";
}

void ImageSize(std::string_view name, float& w, float& h) {
  const Texture* texture = images.get(name);
  w = static_cast<float>(TextureWidth(texture));
  h = static_cast<float>(TextureHeight(texture));
}

bool MouseInEntranceBox(const SceneObject& o) {
  return mouse_in_rect(o.x - kEntranceBox / 2, o.y - kEntranceBox / 2, kEntranceBox, kEntranceBox);
}

// Exits are painted shapes: only their visible pixels lead anywhere.
bool MouseOverExit(const SceneObject& o) {
  if (!MouseOverObject(o)) return false;
  float w = 0.0f, h = 0.0f;
  ImageSize(o.name, w, h);
  return image_alpha_at(o.name, MouseX() - (o.x - w / 2), MouseY() - (o.y - h / 2)) > 0;
}

// Which way the walk cursor points follows where the exit lies on screen;
// exits on the panel's height show none.
Cursor WalkCursor(const SceneObject& o) {
  if (o.name == "q_hroom") return Cursor::WalkBack;
  if (o.y < 0.0f || o.y >= kPanelTop) return Cursor::Arrow;
  if (o.x >= 0.0f && o.x < 256.0f) return Cursor::WalkLeft;
  if (o.x >= 768.0f && o.x < 1024.0f) return Cursor::WalkRight;
  if (o.x >= 256.0f && o.x < 768.0f) return o.y < 480.0f ? Cursor::WalkAhead : Cursor::WalkBack;
  return Cursor::Arrow;
}

void SetCursor(Cursor kind) {
  if (kind != Cursor::Arrow) world.cursor = kind;
}


void OpenPuzzle(int index) {
  const SceneObject& o = world.objects[static_cast<std::size_t>(index)];
  OpenedFrame& puzzle = world.puzzle;
  puzzle.active = true;
  puzzle.index = index;
  puzzle.name = o.name;
  puzzle.w = kPuzzleWidth;
  puzzle.h = kPuzzleHeight;
  puzzle.x = 512.0f - kPuzzleWidth / 2;
  puzzle.y = 384.0f - kPuzzleHeight / 2 - kFrameRaise;
  // The puzzle window starts its own run when it sees the new puzzle.
  ShowWindow("wnd_puzzle", true);
  ClearMouseState();
}

// Leaves through an exit to the level it names; where the level cannot be
// entered the player stays (the level change says why).
void WalkThroughExit(int index) {
  const std::string to(ShortName(world.objects[static_cast<std::size_t>(index)].name));
  if (!ChangeLevel(to, LeaveLevel::Save)) {
    ClearMouseState();
    return;
  }
  world.levelFade = 255;
  DrawList.clear();
  DrawList.filled_rect(255, kBlack, 0.0f, 0.0f, 1024.0f, 768.0f, BLEND_NORMAL);
  sounds.play("footsteps");
  ClearMouseState();
}

void DrawItemLabel(const SceneObject& o) {
  const std::string label = game_strings.get("inv_" + std::string(ShortName(o.name)));
  DrawList.text("ui_font", label, MouseX() - 9.0f, MouseY() - 9.0f, TEXT_LEFT | TEXT_TOP, -1, 0.8f,
                255, kBlack);
  DrawList.text("ui_font", label, MouseX() - 10.0f, MouseY() - 10.0f, TEXT_LEFT | TEXT_TOP, -1,
                0.8f, 255, kWhite);
}

// Step 12 of the frame: what the mouse is over and what a click there does.
void Interaction() {
  const bool interactive = world.interactive;
  for (std::size_t i = 0; i < world.objects.size(); ++i) {
    SceneObject& o = world.objects[i];
    const int index = static_cast<int>(i);
    const bool allowed_a = index == world.allowedA;
    const bool allowed = allowed_a || index == world.allowedB;
    const std::string& kind = o.kind;
    if (kind == "item") {
      if (!MouseOverObject(o) || HeldItemIndex() >= 0) continue;
      SetCursor(Cursor::Hand);
      DrawItemLabel(o);
      if (!Clicked()) continue;
      GiveItem(ShortName(o.name), "new", o.x, o.y);
      RemoveSceneObject(index);
      ClearMouseState();
      return;
    }
    if (((kind == "static" || kind == "cstatic") && (interactive || allowed_a)) ||
        (kind == "ghost" && interactive)) {
      if (!MouseOverObject(o)) continue;
      SetCursor(kind == "cstatic" ? Cursor::Hand : Cursor::Action);
      if (!Clicked()) continue;
      // The quest takes the click: a fitting held item is used, any other
      // stays at the mouse.
      if (g_story.quest != nullptr) g_story.quest(index);
      return;
    }
    if (kind == "ghost_catch") {
      if (GhostFlight(o)) {
        RemoveSceneObject(index);
        --i;
      }
      continue;
    }
    if (kind == "puzzle" && interactive) {
      if (!MouseOverObject(o)) continue;
      SetCursor(Cursor::Action);
      if (!Clicked()) continue;
      OpenPuzzle(index);
      return;
    }
    if (kind == "zoomin" && (interactive || allowed_a)) {
      if (!MouseOverObject(o)) continue;
      SetCursor(Cursor::Action);
      if (!Clicked()) continue;
      OpenZoomIn(index, 512.0f, 384.0f - kFrameRaise);
      return;
    }
    if (kind == "hobject" && interactive) {
      if (!MouseInEntranceBox(o)) continue;
      SetCursor(Cursor::Action);
      if (!Clicked()) continue;
      EnterHiddenObjectScene(index);
      return;
    }
    if (kind == "area" && (interactive || allowed)) {
      if (!MouseOverExit(o)) continue;
      world.hoverName = o.name;
      SetCursor(WalkCursor(o));
      if (!Clicked()) continue;
      WalkThroughExit(index);
      return;
    }
  }
}

// The hint button's tint and the recharge; the button draws the meter over
// its face.
void HintMeterStep() { HintRecharge("btn_qhint"); }

void ShowPanelButtons(bool visible) {
  for (const char* name : {"btn_pause", "btn_qhint", "btn_diary", "btn_tasks"})
    ShowWindow(name, visible);
}

void Panel() {
  if (IsStoryScreen(world.levelName) || world.documentMode) {
    ShowPanelButtons(false);
    if (world.documentMode) DocumentOverlay();
  } else {
    ShowPanelButtons(true);
    DrawList.camera(nullptr);
    TasksFrame();
    DrawList.image("gpanel", 255, 0.0f, kPanelTop);
    DrawList.text("ui_font", game_strings.get("inventory"), 512.0f, 678.0f, kCentred, -1, 0.8f,
                  255, 0x7A9E75);
    // The main loop draws the strip over everything else; under a window
    // it is drawn here, with the level.
    if (LevelCovered() || GuideHoldsLevel()) InventoryStrip(kStripLeft, kStripTop);
  }
  if (!world.documentMode) {
    world.document.page = 0;
    world.document.done = false;
  }
}

// --- The steps of the level frame -------------------------------------------------------

// A playing level is seen straight on; the document and scripted scenes keep
// the view they set.
void ResetViewWhenPlaying() {
  if (!world.documentMode && world.interactive) {
    world.view.x = 0.0f;
    world.view.y = 0.0f;
    world.view.angle = 0.0f;
    world.view.zoom_x = 1.0f;
    world.view.zoom_y = 1.0f;
  }
  DrawList.camera(&world.view);
}

// F1 switches the editor, H recharges the hint: the developer's profile only.
void DeveloperKeys() {
  if (!IsDeveloperProfile()) return;
  if (KeyPress(key::kF1)) world.editMode = !world.editMode;
  HintDeveloperKey();
}

void DrawLevel() {
  DrawList.image("lev_bg", 255, 0.0f, 0.0f);
  for (const SceneObject& o : world.objects)
    if (IsDrawnKind(o.kind)) DrawList.scaled_image(o.name, 255, o.x, o.y, 0.0f, 1.0f, 1.0f);
}

// Things that matter glint now and then; while a script holds the level only
// the object it allows does.
void Glints() {
  for (std::size_t i = 0; i < world.objects.size(); ++i) {
    SceneObject& o = world.objects[i];
    if (!ShowsGlints(o)) continue;
    if (!world.interactive && static_cast<int>(i) != world.allowedA) continue;
    o.timer += 1.0f;
    if (o.timer > static_cast<float>(500 + Random(500))) {
      o.timer = -static_cast<float>(Random(500));
      if (o.glint && o.mark == 0) EmitGlint(o.particles, o.x, o.y);
    }
    UpdateAndDraw(o.particles);
  }
}

// Stars rise from every hidden-object entrance.
void HiddenObjectSparkles() {
  if (!world.interactive) return;
  for (SceneObject& o : world.objects) {
    if (o.kind != "hobject") continue;
    o.timer += 1.0f;
    if (o.timer > 5.0f) {
      o.timer = 0.0f;
      EmitStar(o.particles, o.x, o.y);
    }
    UpdateAndDraw(o.particles);
  }
}

// The level's script may hold the level, allowing one or two objects; the
// guide holds it while it waits for its first steps.
void RunLevelScript() {
  world.allowedA = -1;
  world.allowedB = -1;
  world.interactive = true;
  if (g_story.area_script != nullptr) g_story.area_script();
  if (g_story_screen != nullptr && IsStoryScreen(world.levelName)) g_story_screen();
  const PlayerOptions& options = CurrentProfiles().options;
  if (WindowVisible("wnd_instr") &&
      (options.tutorial_step < 3 ||
       (options.tutorial_step == 7 && FindInventoryEntry("scarecrow_head") >= 0)))
    world.interactive = false;
}

void LevelFadeIn() {
  if (world.levelFade <= 0) return;
  DrawList.filled_rect(static_cast<uint8_t>(world.levelFade), kBlack, 0.0f, 0.0f, 1024.0f,
                       768.0f, BLEND_NORMAL);
  world.levelFade = std::max(world.levelFade - kLevelFadeStep, 0);
}

}  // namespace

// --- The frame ----------------------------------------------------------------------------

void RunSceneScript() {
  if (g_story.scene_script != nullptr) g_story.scene_script();
}

void LevelFrame() {
  SceneFrame();
  if (IsDeveloperProfile()) EditorFrame();
}

void SceneFrame() {
  ResetViewWhenPlaying();
  DeveloperKeys();
  if (world.levelName.empty()) return;
  DrawLevel();
  Glints();
  HiddenObjectSparkles();
  RunLevelScript();
  world.hoverName.clear();
  GhostsToCatch();
  LevelFadeIn();
  if (fade_level == 0 && world.levelFade == 0 && !world.editMode && gui_modal == -1)
    Interaction();
  Panel();
  HintMeterStep();
}

// --- Hit tests and openings ---------------------------------------------------------------

bool MouseOverObject(const SceneObject& object) {
  float w = 0.0f, h = 0.0f;
  ImageSize(object.name, w, h);
  if (w <= 0.0f || h <= 0.0f) return false;
  return mouse_in_rect(object.x - w / 2, object.y - h / 2, w, h);
}

void OpenZoomIn(int index, float cx, float cy) {
  if (index < 0 || index >= static_cast<int>(world.objects.size())) return;
  const SceneObject& o = world.objects[static_cast<std::size_t>(index)];
  float w = 0.0f, h = 0.0f;
  ImageSize("z_" + o.name, w, h);
  if (w <= 0.0f || h <= 0.0f) {
    // A close-up of nothing could never be closed by a click beside it.
    LogLine("SCENE: no close-up picture \"z_" + o.name + "\"; \"" + o.name + "\" stays shut",
            true);
    ClearMouseState();
    return;
  }
  OpenedFrame& zoomin = world.zoomin;
  // The open flag tells the close-up's first frame that it has just opened.
  zoomin.active = true;
  zoomin.index = index;
  zoomin.name = o.name;
  zoomin.w = w;
  zoomin.h = h;
  zoomin.x = cx - w / 2;
  zoomin.y = cy - h / 2;
  ShowWindow("wnd_zoomin", true);
  ClearMouseState();
}

void EnterHiddenObjectScene(int index) {
  if (index < 0 || index >= static_cast<int>(world.objects.size())) return;
  const std::string entrance = world.objects[static_cast<std::size_t>(index)].name;
  if (!SaveLevel(false)) {
    ShowMessageBox("save_failed");
    ClearMouseState();
    return;
  }
  try {
    ReadSceneObjects(false);
  } catch (const ObjectListError& error) {
    LogLine("SCENE: cannot open the hidden-object scene of \"" + world.levelName +
                "\": " + error.what(),
            true);
    // A damaged copy of a scene the game has starts the saved game afresh;
    // an entrance to a scene that does not exist leaves the level as it is.
    BlockTable shipped;
    try {
      ReadObjectListFile(ShippedScenePath(world.levelName), shipped);
    } catch (const ObjectListError&) {
      ClearMouseState();
      return;
    }
    RecoverAndEnterStart();
    ClearMouseState();
    return;
  }
  sounds.play("zoomed");
  HiddenObjectState& ho = world.ho;
  ho.penalty = false;
  ho.penalty_dark = 0.0f;
  ho.misses = 0;
  ho.miss_timer = 0.0f;
  ho.fog.count = 0;
  world.popup.active = false;
  world.popup.opacity = 0;
  fade_level = 255;
  ShowWindow("wnd_game", false);
  ShowWindow("wnd_ho", true);
  ClearMouseState();
  world.sceneEntry = entrance;
  world.ho.entrance = index;
}

void SetStoryHooks(const StoryHooks& hooks) { g_story = hooks; }
void SetStoryScreenFrame(void (*frame)()) { g_story_screen = frame; }

void ResetObjectForPlay(SceneObject& o) {
  o.state = 0;
  o.mark = 0;
  o.timer = 0.0f;
  o.angle = 0.0f;
  o.aux = 0.0f;
  o.orbit = 0.0f;
  o.particles.count = 0;
  o.glint = ShowsGlints(o);
  // Each glinting object starts at its own point of the cycle.
  if (o.glint) o.timer = -static_cast<float>(Random(500));
}

bool LevelCovered() {
  for (const char* name : {"wnd_pause", "wnd_diary", "wnd_popup", "wnd_help", "wnd_opt"})
    if (WindowVisible(name)) return true;
  return false;
}

bool GuideHoldsLevel() {
  return WindowVisible("wnd_instr") && CurrentProfiles().options.tutorial_step == 0;
}
