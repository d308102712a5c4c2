// The world record: everything about where the player is and what they carry
// — the current level and its objects, the inventory, the hidden-object
// scene, the diary, tasks, popup, hints, the open puzzle and close-up, the
// view and the document overlay. One instance lives for the whole run; the
// scene runtime, the inventory, the hidden-object mode, the story and the
// puzzles read and change its fields directly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/render.h"
#include "fx/particles.h"
#include "res/fixed_list.h"
#include "res/strings.h"

inline constexpr std::size_t MAX_OBJECTS = 129;

// One placed thing: a level object, an inventory entry or a hidden item.
struct SceneObject {
  SceneObject() noexcept {}  // leaves the particle slots untouched
  float x = 0.0f, y = 0.0f;  // centre of its image
  std::string name;          // image name and identifier
  std::string kind;          // object kind; for inventory entries the entry state
  float angle = 0.0f;        // degrees (flight spin)
  float aux = 0.0f;          // hidden items: pulse phase
  int32_t state = 0;
  TParticleSystem particles;
  int32_t mark = 0;          // glints are held back while non-zero
  float timer = 0.0f;        // glint/star timer; hover counter in the strip
  float orbit = 0.0f;        // radians, ghost wisps
  bool glint = false;
  // Hidden items in flight to their label.
  float flight_distance = 0.0f;
  float label_x = 0.0f, label_y = 0.0f;
};

using ObjectList = FixedList<SceneObject, MAX_OBJECTS>;

// Appends a fresh object (every run-time field cleared, no particles) and
// returns it; nullptr when the list is full.
SceneObject* AppendSceneObject(ObjectList& list, std::string_view name, std::string_view kind,
                               float x, float y);

// The diary's pages, in the order collected (page n is pages[n - 1]).
struct DiaryState {
  TF_list pages;
  int page = 1;
  int previous_page = 1;
  float page_fade = 255.0f;
  bool news = false;
};

// The one-line message across the top of the screen.
struct PopupState {
  bool active = false;
  std::string key;
  std::string text;
  int opacity = 0;          // 0..200
  float shown = 0.0f;       // characters typed out so far
  double start_ms = 0.0;
  double now_ms = 0.0;
};

// The task list panel that slides up at the right.
struct TaskPanelState {
  float opening = 0.0f;
  int direction = 0;        // 1 opening, -1 closing
  bool toggle_request = false;
  bool open_request = false;
  int sparkle = 0;          // ticks since the diary button's last star
};

// A puzzle or a close-up opened from a level object.
struct OpenedFrame {
  bool active = false;
  int index = -1;
  std::string name;
  float x = 0.0f, y = 0.0f, w = 0.0f, h = 0.0f;
};

struct HiddenObjectState {
  bool penalty = false;
  float penalty_dark = 0.0f;     // 0..200
  float penalty_ticks = 0.0f;
  float penalty_direction = 1.0f;
  TParticleSystem fog;           // the penalty's fog at the mouse
  int misses = 0;
  float miss_timer = 0.0f;
  int miss_x = 0, miss_y = 0;
  bool script_busy = false;
  int script_blocked = -1;
  int entrance = -1;
};

struct DocumentState {
  std::string text;
  int page = 0;
  bool done = false;
  float phase = 1.5707963f;
};

// The game's cursor: the arrow, the hand (something to take, a button, the
// strip), the action cursor over a hotspot, and the four walks through exits.
// The numbers are what the state dump shows.
enum class Cursor : int {
  Arrow = 0,
  Hand = 1,
  Action = 2,
  WalkLeft = 3,
  WalkRight = 4,
  WalkAhead = 5,
  WalkBack = 6,
};

// The developer's level editor: the picture a placing click puts down and
// the kind it gets.
struct EditorState {
  std::string brush;             // a loaded picture whose name begins with "q"
  int brush_index = -1;          // its place among the loaded pictures; kept while the game runs
  bool brush_ready = false;      // the brush has taken its first step
  std::string brush_kind;        // "" until a number key chooses one
};

struct WorldState {
  WorldState() noexcept {}

  bool editMode = false;
  EditorState editor;
  std::string hoverName;         // the exit under the mouse this frame
  ObjectList objects;            // the current level
  ObjectList inventory;          // in order of pick-up
  ObjectList sceneObjects;       // the hidden-object scene
  int inventoryScroll = 0;       // first entry shown in the strip
  bool inventoryArmed = false;   // a click with a held item may be a wrong use
  std::string levelName;         // empty while no level is loaded
  int levelFade = 0;             // 0..255 after walking to a level

  tlocfile tasks;                // task key -> "main", "done" or another word
  TaskPanelState taskPanel;
  PopupState popup;
  DiaryState diary;

  OpenedFrame puzzle;
  OpenedFrame zoomin;
  std::string sceneEntry;        // the hidden-object entrance clicked last
  std::string rewardSubject;     // the item the reward popup shows
  HiddenObjectState ho;
  bool ho_busy = false;          // the hidden-object frame is mid-transition

  bool hintRecharging = false;
  float hintCharge = 0.0f;       // 0..80
  TParticleSystem hintRing;      // the scene hint's ring of sparks
  TParticleSystem hintSparks;    // the sparks over the button when the hint is ready again
  std::string hintTarget;        // what the ring is on: a thing to find or an obstacle; "" none
  int questHintEntry = -1;       // the inventory entry the quest-hint window explains, or -1
  TParticleSystem questHintBurst;

  bool interactive = true;
  int allowedA = -1, allowedB = -1;
  View view;
  bool documentMode = false;
  DocumentState document;
  bool scriptFlag = false;       // set by the area scripts, cleared by the tutorial

  Cursor cursor = Cursor::Arrow;        // cursor kind of this tick (see DrawCursor)
  Cursor cursor_drawn = Cursor::Arrow;  // the kind DrawCursor drew last
  float cursor_phase = 0.0f;     // pulse of the action and walk cursors
  float marker_phase = 0.0f;     // pulse of the marker drawn with the system cursor
};

// The one world record. It lives in memory that stays untouched (and costs
// nothing) until particles are emitted into it.
extern WorldState& world;
// Starts the record over, as at program start.
void ResetWorld();

// Opacity (0..255) of the black cover over everything; a change of screen
// sets it to 255 and each frame tick lowers it by 5.
extern int fade_level;

// Whether the left button was clicked since the previous frame tick, read
// before anything in the tick takes the click.
extern bool tick_click;

// "intro", "flight", "outro" and "credits": the story's screens, played as
// levels but without the game panel, its strip or screen sparkles.
bool IsStoryScreen(std::string_view level);

// Records the game cursor for this tick (or, with the system arrow, the
// marker of an active cursor) and resets the kind to 0.
void DrawCursor();
