// The engine frame: start-up order, the main loop pass, focus and pause,
// screen options and the logical mapping, timers, input queries, shutdown.
#include "engine/engine.h"

#include <malloc.h>  // one allocation arena for every thread

#include <cmath>

#include "engine/archive.h"
#include "engine/audio.h"
#include "engine/clock.h"
#include "engine/font.h"
#include "engine/log.h"
#include "engine/render.h"
#include "engine/screen.h"
#include "engine/theora.h"
#include "engine/video.h"

namespace {

constexpr double kHeadlessPassMs = 10.0;

struct Callbacks {
  void (*initialise)() = nullptr;
  void (*loop)() = nullptr;
  void (*load)() = nullptr;
  void (*draw)() = nullptr;
  void (*update)(double) = nullptr;
  void (*exit)() = nullptr;
  void (*activate)(bool) = nullptr;
  bool (*close_query)() = nullptr;
};

struct FrameStats {
  int frames = 0;      // in the current second
  int fps = 0;         // of the last second
  int64_t fps_sum = 0;
  int seconds = 0;
};

struct EngineState {
  EngineSettings settings;
  uint32_t options = kDefaultEngineOptions;
  Callbacks callbacks;
  TimerList timers;
  Timer* fps_timer = nullptr;
  InputState input;

  uint8_t antialias_samples = 0;
  uint8_t stencil_bits = 0;
  bool initialised = false;
  bool running = false;
  bool paused = false;
  bool focused = true;
  bool minimised = false;
  bool system_cursor = false;
  std::string caption;

  WindowRequest window;  // wanted size, full screen, vsync
  int refresh = 0;
  DesktopMode desktop;
  std::vector<std::pair<int, int>> resolutions;
  LogicalMapping mapping;

  double last_update_ms = 0.0;
  uint64_t passes = 0;
  FrameStats stats;

  bool cursor_injected = false;  // headless: the script places the cursor
  int cursor_px = 0;
  int cursor_py = 0;
  bool pointer_held = false;     // a button went down since the mouse state was cleared
};

EngineState g_engine;

double Now() { return ClockNow(); }

void OnFpsTimer() {
  g_engine.stats.fps = g_engine.stats.frames;
  g_engine.stats.fps_sum += g_engine.stats.fps;
  g_engine.stats.frames = 0;
  g_engine.stats.seconds += 1;
}

void DefaultInitialise() {
  PlatformBeginFrame(true);
  if (g_engine.callbacks.load != nullptr) g_engine.callbacks.load();
  PlatformPresent();
  g_engine.last_update_ms = Now();
  ResetTimers();
  g_engine.fps_timer = AddTimer(OnFpsTimer, 1000);
}

void DefaultLoop() {
  while (g_engine.running) EngineStep();
}

void RecomputeMapping() {
  if (!(g_engine.options & OPT_FIT_LOGICAL)) return;
  int w = 0;
  int h = 0;
  PlatformClientSize(&w, &h);
  g_engine.mapping =
      ComputeLogicalMapping(w, h, g_engine.mapping.logical_width, g_engine.mapping.logical_height,
                            g_engine.options & OPT_FIT_BARS_X, g_engine.options & OPT_FIT_BARS_Y,
                            g_engine.mapping);
}

// The pointer the game sees this frame, from window pixels.
void SetPointer(int px, int py) {
  const LogicalMapping& m = g_engine.mapping;
  const auto x = static_cast<float>(std::lround((px - m.offset_x) / m.scale_x));
  const auto y = static_cast<float>(std::lround((py - m.offset_y) / m.scale_y));
  g_engine.input.mouse_x = x;
  g_engine.input.mouse_y = y;
  g_engine.input.mouse_centre_dx = x - static_cast<float>(m.logical_width) / 2.0f;
  g_engine.input.mouse_centre_dy = y - static_cast<float>(m.logical_height) / 2.0f;
}

void ReadCursor() {
  int px = g_engine.cursor_px;
  int py = g_engine.cursor_py;
  if (!g_engine.cursor_injected) PlatformCursor(&px, &py);
  SetPointer(px, py);
}

// Mouse motion in the order it came: once a button went down in this frame,
// the game sees the pointer where it was pressed, so a quick move after the
// click cannot carry it onto something else; the new place shows next frame.
void MovePointer(int px, int py) {
  g_engine.cursor_px = px;
  g_engine.cursor_py = py;
  if (!g_engine.pointer_held) SetPointer(px, py);
}

void RunUpdate() {
  const double t = Now();
  if (g_engine.callbacks.update != nullptr) {
    const int fps = g_engine.stats.fps;
    // A refresh of 0 keeps the desktop's own.
    const int refresh = g_engine.refresh != 0 ? g_engine.refresh : g_engine.desktop.refresh;
    if ((g_engine.options & OPT_FIXED_STEP) && g_engine.window.vsync && fps > 0 &&
        fps == refresh)
      g_engine.callbacks.update(1000.0 / fps);
    else
      g_engine.callbacks.update(t - g_engine.last_update_ms);
  }
  g_engine.last_update_ms = t;
}

void Shutdown() {
  if (g_engine.stats.seconds > 0) {
    const double average =
        static_cast<double>(g_engine.stats.fps_sum) / g_engine.stats.seconds;
    LogLine("Average FPS: " + std::to_string(std::lround(average)), true);
  }
  if (g_engine.callbacks.exit != nullptr) g_engine.callbacks.exit();
  if (g_engine.timers.size() > 0) {
    LogLine("Timers to free: " + std::to_string(g_engine.timers.size()), true);
    g_engine.timers.clear();
    g_engine.fps_timer = nullptr;
  }
  if (FontCount() > 0) {
    LogLine("Fonts to free: " + std::to_string(FontCount()), true);
    FreeAllFonts();
  }
  // A movie's picture is one of the textures: movies are freed with them
  // and counted in their own line after the sounds.
  const std::size_t open_videos = VideoCount();
  DeleteAllVideos();
  if (TextureCount() > 0) {
    LogLine("Textures to free: " + std::to_string(TextureCount()), true);
    DeleteAllTextures();
  }
  StopSoundSystem();
  if (open_videos > 0) LogLine("Videos to free: " + std::to_string(open_videos), true);
  PlatformQuit();
  g_engine.initialised = false;
  g_engine.running = false;
  LogClose();
}

// The desktop is known before the window opens, so the game can choose its
// screen mode; a headless run may pretend a desktop of another size.
bool ReadDesktop() {
  EngineState& e = g_engine;
  if (!PlatformInit(e.settings.headless) || !PlatformDesktop(&e.desktop)) return false;
  if (e.settings.headless && e.settings.desktop_width > 0 && e.settings.desktop_height > 0) {
    e.desktop.width = e.settings.desktop_width;
    e.desktop.height = e.settings.desktop_height;
  }
  return true;
}

void RefusedCallback(int code) {
  LogLine("Callback " + std::to_string(code) + " refused: wrong form for its slot", true);
}

}  // namespace

// --- Options ---------------------------------------------------------------------------

void EnableOption(uint32_t bits) {
  if (bits & OPT_FIT_LOGICAL) bits |= OPT_FIT_BARS_X | OPT_FIT_BARS_Y;
  g_engine.options |= bits;
  if (bits & OPT_FIT_LOGICAL) RecomputeMapping();
}

void DisableOption(uint32_t bits) {
  g_engine.options &= ~bits;
  if (bits & OPT_FIT_LOGICAL) {
    LogicalMapping& m = g_engine.mapping;
    m.scale_x = m.scale_y = 1.0;
    m.offset_x = m.offset_y = 0;
  } else if (bits & (OPT_FIT_BARS_X | OPT_FIT_BARS_Y)) {
    RecomputeMapping();
  }
}

uint32_t EngineOptions() { return g_engine.options; }

// --- Callbacks ----------------------------------------------------------------------------

void RegisterCallback(int code, void (*proc)()) {
  switch (code) {
    case CB_INITIALISE:
      g_engine.callbacks.initialise = proc;
      return;
    case CB_LOOP:
      g_engine.callbacks.loop = proc;
      return;
    case CB_LOAD:
      g_engine.callbacks.load = proc;
      return;
    case CB_DRAW:
      g_engine.callbacks.draw = proc;
      return;
    case CB_EXIT:
      g_engine.callbacks.exit = proc;
      return;
    default:
      RefusedCallback(code);
  }
}

void RegisterCallback(int code, void (*proc)(double)) {
  if (code == CB_UPDATE)
    g_engine.callbacks.update = proc;
  else
    RefusedCallback(code);
}

void RegisterCallback(int code, void (*proc)(bool)) {
  if (code == CB_ACTIVATE)
    g_engine.callbacks.activate = proc;
  else
    RefusedCallback(code);
}

void RegisterCallback(int code, bool (*proc)()) {
  if (code == CB_CLOSE_QUERY)
    g_engine.callbacks.close_query = proc;
  else
    RefusedCallback(code);
}

// --- Start, run, stop -------------------------------------------------------------------

void PrepareProcess() {
  ReadLocalZoneOnce();
#ifdef __GLIBC__
  // Pictures are decoded on workers and freed on the main thread, and the
  // other way round. With an arena per thread, memory one thread gave back
  // was handed to the system and the next picture faulted its pages in
  // afresh (736 faults for the splash's 3 MB, its decode 13 ms instead of
  // 4 on a machine where a fault is dear); one arena reuses it, and holds
  // less at the peak.
  mallopt(M_ARENA_MAX, 1);
#endif
}

void EngineConfigure(const EngineSettings& settings) {
  g_engine.settings = settings;
  PlatformSetHeadless(settings.headless);
}

const EngineSettings& EngineConfiguration() { return g_engine.settings; }

bool EngineStart(uint8_t antialias_samples, uint8_t stencil_bits) {
  EngineState& e = g_engine;
  e.antialias_samples = antialias_samples;
  e.stencil_bits = stencil_bits;
  const bool headless = e.settings.headless;
  ClockStart(headless);
  e.cursor_injected = headless;

  if (e.options & OPT_WRITE_LOG) LogOpen(e.settings.log_path, Now());

  if (!ReadDesktop()) {
    ReportError("Cannot read the desktop mode.");
    LogClose();
    return false;
  }
  if (!e.desktop.true_colour) {
    ReportError("Desktop doesn't support 32-bit color mode.");
    PlatformQuit();
    LogClose();
    return false;
  }
  LogLine("Current mode: " + std::to_string(e.desktop.width) + " x " +
              std::to_string(e.desktop.height),
          true);
  e.resolutions = PlatformResolutions();

  e.initialised = true;
  if (e.window.height >= e.desktop.height) e.window.fullscreen = true;
  e.window.desktop_width = e.desktop.width;
  e.window.desktop_height = e.desktop.height;
  e.window.centre = (e.options & OPT_CENTRE_WINDOW) != 0;
  e.window.caption = e.caption;
  if (!PlatformCreateWindow(e.window)) {
    e.initialised = false;
    PlatformQuit();
    LogClose();
    return false;
  }
  RecomputeMapping();

  LogLine("Ogg: Initialized", true);
  if (TheoraDecoderReady()) LogLine("Theora: Initialized", true);

  PlatformShowCursor(e.system_cursor);
  PlatformSetCaption(e.caption);
  e.running = true;

  if (e.callbacks.initialise != nullptr)
    e.callbacks.initialise();
  else
    DefaultInitialise();
  if (e.callbacks.loop != nullptr)
    e.callbacks.loop();
  else
    DefaultLoop();
  Shutdown();
  return true;
}

void StopEngine() { g_engine.running = false; }

void EngineStep() {
  EngineState& e = g_engine;
  if (e.settings.headless) ClockAdvance(kHeadlessPassMs);
  ++e.passes;

  // A press no frame has seen yet keeps the pointer where it was made.
  if (!e.pointer_held) ReadCursor();
  PlatformPumpEvents();
  StreamStep(e.focused);

  if (e.paused) {
    ResetTimers();
    e.last_update_ms = Now();
    if (!e.settings.headless) PlatformSleep(10);
    return;
  }
  if (!PlatformHasRenderer()) return;
  e.timers.run_pass(Now);
  RunUpdate();
  // A headless run draws only when a screenshot is asked for.
  if (!e.settings.headless) EngineDrawFrame();
  if (!e.paused) ++e.stats.frames;
}

bool EngineRunning() { return g_engine.running; }
bool EnginePaused() { return g_engine.paused; }
bool EngineFocused() { return g_engine.focused; }

void EngineDrawFrame() {
  PlatformBeginFrame(g_engine.options & OPT_CLEAR_SCREEN);
  if (g_engine.callbacks.draw != nullptr) g_engine.callbacks.draw();
  PlatformPresent();
}

bool EngineSaveScreenshot(const std::string& path) { return PlatformSaveScreenshot(path); }

void EngineHandleInput(const InputEvent& event) {
  if (event.type == InputEvent::Type::MouseMove) {
    MovePointer(event.x, event.y);
    return;
  }
  InputApply(g_engine.input, event);
  if (event.type == InputEvent::Type::ButtonDown) g_engine.pointer_held = true;
}

void EngineSetFocus(bool focused) {
  EngineState& e = g_engine;
  if (e.minimised) return;
  if (focused && !e.focused) {
    e.paused = false;
    e.focused = true;
    if (e.running && e.callbacks.activate != nullptr) e.callbacks.activate(true);
    InputReleaseAll(e.input);
    ClearKeyState();
    ClearMouseState();
  } else if (!focused && e.focused) {
    if (e.options & OPT_PAUSE_INACTIVE) e.paused = true;
    e.focused = false;
    if (e.running && e.callbacks.activate != nullptr) e.callbacks.activate(false);
  }
  e.focused = focused;
}

void EngineSetMinimised(bool minimised) {
  if (minimised) {
    EngineSetFocus(false);
    g_engine.minimised = true;
  } else {
    g_engine.minimised = false;
    EngineSetFocus(true);
  }
}

void EngineRequestClose() {
  const bool allowed =
      g_engine.callbacks.close_query == nullptr || g_engine.callbacks.close_query();
  if (allowed) g_engine.running = false;
}

void EngineSetCursorPixels(int x, int y) {
  // From now on the cursor is where it was put, not where the platform says.
  g_engine.cursor_injected = true;
  MovePointer(x, y);
}

void EngineSetCursorLogical(float x, float y) {
  const LogicalMapping& m = g_engine.mapping;
  EngineSetCursorPixels(static_cast<int>(std::lround(static_cast<double>(x) * m.scale_x + m.offset_x)),
                        static_cast<int>(std::lround(static_cast<double>(y) * m.scale_y + m.offset_y)));
}

void EngineReset() {
  StopSoundSystem();
  // Fonts own their pages, so they go first; nothing may outlive its renderer.
  FreeAllFonts();
  DeleteAllVideos();
  DeleteAllTextures();
  PlatformQuit();
  LogClose();
  g_engine = EngineState{};
}

const LogicalMapping& EngineCurrentMapping() { return g_engine.mapping; }

// --- Queries and screen -------------------------------------------------------------------

int EngineQuery(int code) {
  const EngineState& e = g_engine;
  if (code == Q_DESKTOP_WIDTH || code == Q_DESKTOP_HEIGHT) ReadDesktop();
  switch (code) {
    case Q_DESKTOP_WIDTH:
      return e.desktop.width;
    case Q_DESKTOP_HEIGHT:
      return e.desktop.height;
    case Q_VIEWPORT_WIDTH:
      return e.mapping.logical_width;
    case Q_VIEWPORT_HEIGHT:
      return e.mapping.logical_height;
    case Q_OFFSET_X:
      return e.mapping.offset_x;
    case Q_OFFSET_Y:
      return e.mapping.offset_y;
    default:
      return 0;
  }
}

std::string EngineQueryText(int code) {
  if (code == Q_PROGRAM_DIR) return g_engine.settings.program_dir;
  if (code == Q_USER_DIR) return g_engine.settings.user_dir;
  return {};
}

void SetScreenOptions(uint16_t width, uint16_t height, uint16_t refresh, bool fullscreen,
                      bool vsync) {
  EngineState& e = g_engine;
  e.window.width = width;
  e.window.height = height;
  e.refresh = refresh;
  e.window.fullscreen = fullscreen;
  e.window.vsync = vsync;
  if (e.initialised && e.desktop.height > 0 && height >= e.desktop.height)
    e.window.fullscreen = true;
  if (!e.initialised) return;
  PlatformSetVsync(vsync);
  LogLine("Screen options changed to: " + std::to_string(width) + " x " +
              std::to_string(height) + (e.window.fullscreen ? " fullscreen" : " windowed"),
          true);
  if (e.running) {
    e.window.caption = e.caption;
    e.window.centre = (e.options & OPT_CENTRE_WINDOW) != 0;
    PlatformUpdateWindow(e.window);
    RecomputeMapping();
  }
}

void SetLogicalResolution(uint16_t width, uint16_t height) {
  LogicalMapping& m = g_engine.mapping;
  m.logical_width = width;
  m.logical_height = height;
  if (g_engine.options & OPT_FIT_LOGICAL) {
    RecomputeMapping();
  } else {
    m.scale_x = m.scale_y = 1.0;
    m.offset_x = m.offset_y = 0;
    m.viewport_width = width;
    m.viewport_height = height;
  }
}

void SetCaption(std::string_view utf8) {
  g_engine.caption = std::string(utf8);
  PlatformSetCaption(g_engine.caption);
}

const std::string& EngineCaption() { return g_engine.caption; }

void ShowSystemCursor(bool show) {
  g_engine.system_cursor = show;
  if (g_engine.running) PlatformShowCursor(show);
}

bool EngineFullscreen() { return g_engine.window.fullscreen; }

int EngineClientWidth() {
  int w = 0;
  int h = 0;
  PlatformClientSize(&w, &h);
  return w;
}

int EngineClientHeight() {
  int w = 0;
  int h = 0;
  PlatformClientSize(&w, &h);
  return h;
}

// --- Timers and clock --------------------------------------------------------------------

Timer* AddTimer(TimerProc proc, uint32_t interval_ms) {
  return g_engine.timers.add(proc, interval_ms, Now());
}

Timer* AddTimer(TimerSenderProc proc, uint32_t interval_ms, void* user_data) {
  return g_engine.timers.add(proc, interval_ms, user_data, Now());
}

void DeleteTimer(Timer* timer) { g_engine.timers.remove(timer); }
std::size_t TimerCount() { return g_engine.timers.size(); }
double GetTicks() { return Now(); }

void ResetTimers() {
  const double now = Now();
  g_engine.last_update_ms = now;
  g_engine.timers.reset(now);
}

uint64_t EnginePassCount() { return g_engine.passes; }

// --- Input queries ------------------------------------------------------------------------

namespace {
bool ValidButton(int b) { return b >= 0 && b < kMouseButtons; }
bool ValidKey(int k) { return k >= 0 && k < key::kCount; }
}  // namespace

float MouseX() { return g_engine.input.mouse_x; }
float MouseY() { return g_engine.input.mouse_y; }

bool MouseDown(int button) {
  if (!ValidButton(button)) return false;
  if (g_engine.cursor_injected) return g_engine.input.button_down[static_cast<std::size_t>(button)];
  return PlatformButtonHeld(button);
}

bool MouseUp(int b) { return ValidButton(b) && g_engine.input.button_up[static_cast<std::size_t>(b)]; }
bool MouseClick(int b) {
  return ValidButton(b) && g_engine.input.button_clicked[static_cast<std::size_t>(b)];
}
bool MouseDoubleClick(int b) {
  return ValidButton(b) && g_engine.input.button_double[static_cast<std::size_t>(b)];
}
bool MouseWheel(int direction) {
  return direction > 0 ? g_engine.input.wheel_up : direction < 0 && g_engine.input.wheel_down;
}
void ClearMouseState() {
  InputClearMouse(g_engine.input);
  // The press has been seen where it was made; the pointer may follow now.
  g_engine.pointer_held = false;
}

bool KeyDown(int k) { return ValidKey(k) && g_engine.input.key_down[static_cast<std::size_t>(k)]; }
bool KeyUp(int k) { return ValidKey(k) && g_engine.input.key_up[static_cast<std::size_t>(k)]; }
bool KeyPress(int k) {
  return ValidKey(k) && g_engine.input.key_pressed[static_cast<std::size_t>(k)];
}
void ClearKeyState() { InputClearKeys(g_engine.input); }

void BeginTextInput(std::string_view initial, int max_length) {
  PlatformTextInput(true);
  g_engine.input.text_active = true;
  g_engine.input.text_max_length = max_length;
  g_engine.input.text = std::string(initial);
}

const std::string& GetTextInput() { return g_engine.input.text; }
void EndTextInput() {
  PlatformTextInput(false);
  g_engine.input.text_active = false;
}
const InputState& EngineInput() { return g_engine.input; }
