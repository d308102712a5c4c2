// The window, renderer, desktop and events over SDL2. The only module of the
// engine frame that includes SDL's video and event headers.
#include "engine/screen.h"

#include <SDL.h>        // window, renderer, events, message boxes

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "engine/engine.h"
#include "engine/keys.h"
#include "engine/log.h"
#include "engine/png_write.h"
#include "engine/utf8.h"

// --- Logical mapping ------------------------------------------------------------

LogicalMapping ComputeLogicalMapping(int client_w, int client_h, int logical_w, int logical_h,
                                     bool bars_x, bool bars_y, const LogicalMapping& previous) {
  if (client_w <= 0 || client_h <= 0 || logical_w <= 0 || logical_h <= 0) return previous;
  LogicalMapping m;
  m.logical_width = logical_w;
  m.logical_height = logical_h;
  const double W = client_w;
  const double H = client_h;
  double sx = W / logical_w;
  double sy = H / logical_h;
  if (sx >= sy) {
    m.offset_x = static_cast<int>(std::lround((W - logical_w * sy) / 2.0));
    m.offset_y = 0;
    sx = sy;
  } else {
    m.offset_x = 0;
    m.offset_y = static_cast<int>(std::lround((H - logical_h * sx) / 2.0));
    sy = sx;
  }
  if (!bars_y) {
    sy = H / logical_h;
    m.offset_y = 0;
  }
  if (!bars_x) {
    sx = W / logical_w;
    m.offset_x = 0;
  }
  m.scale_x = sx;
  m.scale_y = sy;
  m.viewport_width = static_cast<int>(std::lround(W / sx));
  m.viewport_height = static_cast<int>(std::lround(H / sy));
  return m;
}

// --- Keys -------------------------------------------------------------------------

namespace {

// SDL scan codes to the game's set-1 codes; one table for the whole game.
constexpr std::array<std::pair<SDL_Scancode, int>, 102> kKeyTable{{
    {SDL_SCANCODE_ESCAPE, 0x01},  {SDL_SCANCODE_1, 0x02},         {SDL_SCANCODE_2, 0x03},
    {SDL_SCANCODE_3, 0x04},       {SDL_SCANCODE_4, 0x05},         {SDL_SCANCODE_5, 0x06},
    {SDL_SCANCODE_6, 0x07},       {SDL_SCANCODE_7, 0x08},         {SDL_SCANCODE_8, 0x09},
    {SDL_SCANCODE_9, 0x0A},       {SDL_SCANCODE_0, 0x0B},         {SDL_SCANCODE_MINUS, 0x0C},
    {SDL_SCANCODE_EQUALS, 0x0D},  {SDL_SCANCODE_BACKSPACE, 0x0E}, {SDL_SCANCODE_TAB, 0x0F},
    {SDL_SCANCODE_Q, 0x10},       {SDL_SCANCODE_W, 0x11},         {SDL_SCANCODE_E, 0x12},
    {SDL_SCANCODE_R, 0x13},       {SDL_SCANCODE_T, 0x14},         {SDL_SCANCODE_Y, 0x15},
    {SDL_SCANCODE_U, 0x16},       {SDL_SCANCODE_I, 0x17},         {SDL_SCANCODE_O, 0x18},
    {SDL_SCANCODE_P, 0x19},       {SDL_SCANCODE_LEFTBRACKET, 0x1A}, {SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    {SDL_SCANCODE_RETURN, 0x1C},  {SDL_SCANCODE_KP_ENTER, 0x1C},  {SDL_SCANCODE_LCTRL, 0x1D},
    {SDL_SCANCODE_RCTRL, 0x1D},   {SDL_SCANCODE_A, 0x1E},         {SDL_SCANCODE_S, 0x1F},
    {SDL_SCANCODE_D, 0x20},       {SDL_SCANCODE_F, 0x21},         {SDL_SCANCODE_G, 0x22},
    {SDL_SCANCODE_H, 0x23},       {SDL_SCANCODE_J, 0x24},         {SDL_SCANCODE_K, 0x25},
    {SDL_SCANCODE_L, 0x26},       {SDL_SCANCODE_SEMICOLON, 0x27}, {SDL_SCANCODE_APOSTROPHE, 0x28},
    {SDL_SCANCODE_GRAVE, 0x29},   {SDL_SCANCODE_LSHIFT, 0x2A},    {SDL_SCANCODE_BACKSLASH, 0x2B},
    {SDL_SCANCODE_Z, 0x2C},       {SDL_SCANCODE_X, 0x2D},         {SDL_SCANCODE_C, 0x2E},
    {SDL_SCANCODE_V, 0x2F},       {SDL_SCANCODE_B, 0x30},         {SDL_SCANCODE_N, 0x31},
    {SDL_SCANCODE_M, 0x32},       {SDL_SCANCODE_COMMA, 0x33},     {SDL_SCANCODE_PERIOD, 0x34},
    {SDL_SCANCODE_SLASH, 0x35},   {SDL_SCANCODE_KP_DIVIDE, 0x35}, {SDL_SCANCODE_RSHIFT, 0x36},
    {SDL_SCANCODE_KP_MULTIPLY, 0x37}, {SDL_SCANCODE_LALT, 0x38},  {SDL_SCANCODE_RALT, 0x38},
    {SDL_SCANCODE_SPACE, 0x39},   {SDL_SCANCODE_CAPSLOCK, 0x3A},  {SDL_SCANCODE_F1, 0x3B},
    {SDL_SCANCODE_F2, 0x3C},      {SDL_SCANCODE_F3, 0x3D},        {SDL_SCANCODE_F4, 0x3E},
    {SDL_SCANCODE_F5, 0x3F},      {SDL_SCANCODE_F6, 0x40},        {SDL_SCANCODE_F7, 0x41},
    {SDL_SCANCODE_F8, 0x42},      {SDL_SCANCODE_F9, 0x43},        {SDL_SCANCODE_F10, 0x44},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45}, {SDL_SCANCODE_SCROLLLOCK, 0x46}, {SDL_SCANCODE_KP_7, 0x47},
    {SDL_SCANCODE_KP_8, 0x48},    {SDL_SCANCODE_KP_9, 0x49},      {SDL_SCANCODE_KP_MINUS, 0x4A},
    {SDL_SCANCODE_KP_4, 0x4B},    {SDL_SCANCODE_KP_5, 0x4C},      {SDL_SCANCODE_KP_6, 0x4D},
    {SDL_SCANCODE_KP_PLUS, 0x4E}, {SDL_SCANCODE_KP_1, 0x4F},      {SDL_SCANCODE_KP_2, 0x50},
    {SDL_SCANCODE_KP_3, 0x51},    {SDL_SCANCODE_KP_0, 0x52},      {SDL_SCANCODE_KP_PERIOD, 0x53},
    {SDL_SCANCODE_F11, 0x57},     {SDL_SCANCODE_F12, 0x58},       {SDL_SCANCODE_LGUI, 0x5B},
    {SDL_SCANCODE_RGUI, 0x5C},    {SDL_SCANCODE_HOME, 0xC7},      {SDL_SCANCODE_UP, 0xC8},
    {SDL_SCANCODE_PAGEUP, 0xC9},  {SDL_SCANCODE_LEFT, 0xCB},      {SDL_SCANCODE_RIGHT, 0xCD},
    {SDL_SCANCODE_END, 0xCF},     {SDL_SCANCODE_DOWN, 0xD0},      {SDL_SCANCODE_PAGEDOWN, 0xD1},
    {SDL_SCANCODE_INSERT, 0xD2},  {SDL_SCANCODE_DELETE, 0xD3},    {SDL_SCANCODE_APPLICATION, 0x5D},
}};

struct PlatformState {
  bool headless = false;
  bool video_started = false;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  bool cursor_shown = false;
  bool vsync = true;
};

PlatformState g_platform;

int MouseButtonIndex(Uint8 sdl_button) {
  switch (sdl_button) {
    case SDL_BUTTON_LEFT:
      return 0;
    case SDL_BUTTON_MIDDLE:
      return 1;
    case SDL_BUTTON_RIGHT:
      return 2;
    default:
      return -1;  // extra buttons are not the game's
  }
}

void HandleWindowEvent(const SDL_WindowEvent& w) {
  switch (w.event) {
    case SDL_WINDOWEVENT_CLOSE:
      EngineRequestClose();
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      EngineSetFocus(true);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      EngineSetFocus(false);
      break;
    case SDL_WINDOWEVENT_HIDDEN:
      EngineSetFocus(false);
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      EngineSetMinimised(true);
      break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
      EngineSetMinimised(false);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      SetLogicalResolution(static_cast<uint16_t>(EngineQuery(Q_VIEWPORT_WIDTH)),
                           static_cast<uint16_t>(EngineQuery(Q_VIEWPORT_HEIGHT)));
      break;
    case SDL_WINDOWEVENT_MOVED:
      if (EngineOptions() & OPT_PAUSE_INACTIVE) ResetTimers();
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      if (EngineRunning()) EngineDrawFrame();
      break;
    default:
      break;
  }
}

void HandleKey(const SDL_KeyboardEvent& k, bool down) {
  const int code = PlatformKeyCode(k.keysym.scancode);
  if (code == 0) return;
  if (down && code == key::kF4 && (k.keysym.mod & KMOD_ALT)) {
    EngineRequestClose();
    return;
  }
  InputEvent e;
  e.type = down ? InputEvent::Type::KeyDown : InputEvent::Type::KeyUp;
  e.code = code;
  e.system = (k.keysym.mod & KMOD_ALT) != 0;
  EngineHandleInput(e);
  // The platform sends no text for these keys; the text input edits with them.
  if (down && (code == key::kBackspace || code == key::kTab || code == key::kEnter)) {
    InputEvent c;
    c.type = InputEvent::Type::Char;
    c.codepoint = code == key::kBackspace ? 8u : code == key::kTab ? 9u : 13u;
    EngineHandleInput(c);
  }
}

void HandleText(const char* utf8) {
  const std::string_view text(utf8);
  for (std::size_t pos = 0; pos < text.size();) {
    const Utf8Step step = Utf8Decode(text, pos);
    pos = step.next;
    InputEvent c;
    c.type = InputEvent::Type::Char;
    c.codepoint = step.codepoint;
    EngineHandleInput(c);
  }
}

void HandleEvent(const SDL_Event& ev) {
  switch (ev.type) {
    case SDL_QUIT:
      EngineRequestClose();
      break;
    case SDL_WINDOWEVENT:
      HandleWindowEvent(ev.window);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      HandleKey(ev.key, ev.type == SDL_KEYDOWN);
      break;
    case SDL_TEXTINPUT:
      HandleText(ev.text.text);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const int button = MouseButtonIndex(ev.button.button);
      if (button < 0) break;
      InputEvent e;
      e.type = ev.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Type::ButtonDown
                                              : InputEvent::Type::ButtonUp;
      e.code = button;
      e.double_click = ev.button.clicks == 2;
      EngineHandleInput(e);
      break;
    }
    case SDL_MOUSEMOTION: {
      InputEvent e;
      e.type = InputEvent::Type::MouseMove;
      e.x = ev.motion.x;
      e.y = ev.motion.y;
      EngineHandleInput(e);
      break;
    }
    case SDL_MOUSEWHEEL: {
      InputEvent e;
      e.type = InputEvent::Type::Wheel;
      e.wheel = ev.wheel.y > 0 ? 1 : ev.wheel.y < 0 ? -1 : 0;
      if (e.wheel != 0) EngineHandleInput(e);
      break;
    }
    case SDL_DISPLAYEVENT:
      // The desktop size is read again whenever it is asked for.
      break;
    default:
      break;
  }
}

Uint32 WindowFlags(const WindowRequest& request) {
  Uint32 flags = SDL_WINDOW_SHOWN;
  if (request.fullscreen && !g_platform.headless) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  return flags;
}

// A headless window pretends the desktop: full screen is simply a window of
// the desktop's size.
void ClientSizeFor(const WindowRequest& request, int* w, int* h) {
  if (request.fullscreen) {
    *w = request.desktop_width;
    *h = request.desktop_height;
  } else {
    *w = request.width;
    *h = request.height;
  }
}

void PlaceWindow(const WindowRequest& request) {
  if (request.fullscreen || !request.centre || request.desktop_width <= 0) return;
  SDL_SetWindowPosition(g_platform.window, (request.desktop_width - request.width) / 2,
                        (request.desktop_height - request.height) / 2);
}

}  // namespace

int PlatformKeyCode(int sdl_scancode) {
  for (const auto& [scancode, code] : kKeyTable)
    if (scancode == sdl_scancode) return code < key::kCount ? code : 0;
  return 0;
}

// --- Platform operations -------------------------------------------------------------

void PlatformSetHeadless(bool headless) { g_platform.headless = headless; }

bool PlatformInit(bool headless) {
  g_platform.headless = headless;
  if (g_platform.video_started) return true;
  if (headless) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  }
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    LogLine(std::string("Cannot start video: ") + SDL_GetError(), true);
    return false;
  }
  g_platform.video_started = true;
  // Typed text is composed only while an edit field asks for it.
  if (!headless) SDL_StopTextInput();
  return true;
}

void PlatformQuit() {
  PlatformDestroyWindow();
  if (g_platform.video_started) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  g_platform.video_started = false;
}

bool PlatformDesktop(DesktopMode* mode) {
  SDL_DisplayMode dm;
  if (SDL_GetDesktopDisplayMode(0, &dm) != 0) return false;
  mode->width = dm.w;
  mode->height = dm.h;
  mode->refresh = dm.refresh_rate;
  mode->true_colour = SDL_BYTESPERPIXEL(dm.format) == 4 || SDL_BITSPERPIXEL(dm.format) >= 24;
  return true;
}

std::vector<std::pair<int, int>> PlatformResolutions() {
  std::vector<std::pair<int, int>> sizes;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode dm;
    if (SDL_GetDisplayMode(0, i, &dm) != 0) continue;
    const std::pair<int, int> size{dm.w, dm.h};
    if (std::find(sizes.begin(), sizes.end(), size) == sizes.end()) sizes.push_back(size);
  }
  return sizes;
}

// --- Choosing the renderer ------------------------------------------------------------

namespace {

// Read the way the OpenGL library itself reads it.
bool EnvironmentSaysYes(const char* value) {
  if (value == nullptr) return false;
  for (const char* yes : {"1", "true", "yes", "y"})
    if (SDL_strcasecmp(value, yes) == 0) return true;
  return false;
}

// A device node OpenGL could draw on: a render or card node, the
// proprietary driver's node, or the node a Windows host lends its graphics
// card through.
bool HasGraphicsDevice() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("renderD") || name.starts_with("card")) return true;
  }
  for (const char* node : {"/dev/nvidia0", "/dev/dxg"})
    if (std::filesystem::exists(node, error)) return true;
  return false;
}

// Whether the renderer's OpenGL names a rasteriser that runs on the processor.
bool OpenGlOnProcessor(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0)
    return false;
  using GetString = const unsigned char* (*)(unsigned int);
  const auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  if (get_string == nullptr) return false;
  constexpr unsigned int kGlRenderer = 0x1F01;
  const auto* name = reinterpret_cast<const char*>(get_string(kGlRenderer));
  if (name == nullptr) return false;
  for (const char* cpu : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast", "SWR"})
    if (std::strstr(name, cpu) != nullptr) return true;
  return false;
}

SDL_Renderer* CreateSoftwareRenderer(SDL_Window* window, Uint32 flags) {
  // Chosen by name, as in a headless run: asked for by its flags alone, SDL
  // would refuse it for the vsync it lacks. And without OpenGL behind the
  // window's pixels, which SDL would otherwise open to decide how to show them.
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, flags | SDL_RENDERER_SOFTWARE);
  // SDL notes the vsync asked for at creation but paces a software renderer
  // to the display only once it is set again; unpaced, the window would be
  // drawn hundreds of times a second for nothing.
  if (renderer != nullptr && (flags & SDL_RENDERER_PRESENTVSYNC) != 0)
    SDL_RenderSetVSync(renderer, 1);
  return renderer;
}

}  // namespace

RendererChoice ChooseRenderer(const char* forced, const char* libgl_software,
                              bool graphics_device) {
  if (forced != nullptr && SDL_strcasecmp(forced, "software") == 0)
    return RendererChoice::Software;
  if (forced != nullptr && SDL_strcasecmp(forced, "accelerated") == 0)
    return RendererChoice::Accelerated;
  if (EnvironmentSaysYes(libgl_software) || !graphics_device) return RendererChoice::Software;
  return RendererChoice::AcceleratedUnlessCpu;
}

bool PlatformCreateWindow(const WindowRequest& request) {
  int w = 0;
  int h = 0;
  ClientSizeFor(request, &w, &h);
  g_platform.window = SDL_CreateWindow(request.caption.c_str(), SDL_WINDOWPOS_UNDEFINED,
                                       SDL_WINDOWPOS_UNDEFINED, w, h, WindowFlags(request));
  if (g_platform.window == nullptr) {
    ReportError(std::string("Cannot create window: ") + SDL_GetError());
    return false;
  }
  PlaceWindow(request);
  SDL_RaiseWindow(g_platform.window);
  Uint32 renderer_flags = SDL_RENDERER_TARGETTEXTURE;
  if (request.vsync && !g_platform.headless) renderer_flags |= SDL_RENDERER_PRESENTVSYNC;
  const RendererChoice choice =
      g_platform.headless ? RendererChoice::Software
                          : ChooseRenderer(std::getenv("QUILLMOOR_RENDERER"),
                                           std::getenv("LIBGL_ALWAYS_SOFTWARE"),
                                           HasGraphicsDevice());
  if (choice == RendererChoice::Software) {
    g_platform.renderer = CreateSoftwareRenderer(g_platform.window, renderer_flags);
  } else {
    g_platform.renderer = SDL_CreateRenderer(g_platform.window, -1, renderer_flags);
    if (g_platform.renderer != nullptr && choice == RendererChoice::AcceleratedUnlessCpu &&
        OpenGlOnProcessor(g_platform.renderer)) {
      SDL_DestroyRenderer(g_platform.renderer);
      g_platform.renderer = nullptr;
    }
    if (g_platform.renderer == nullptr) {
      // No accelerated renderer, or one that would only draw on the
      // processor: the software one draws the same picture.
      g_platform.renderer = CreateSoftwareRenderer(g_platform.window, renderer_flags);
    }
  }
  if (g_platform.renderer == nullptr) {
    ReportError(std::string("Cannot create renderer: ") + SDL_GetError());
    SDL_DestroyWindow(g_platform.window);
    g_platform.window = nullptr;
    return false;
  }
  SDL_SetRenderDrawBlendMode(g_platform.renderer, SDL_BLENDMODE_BLEND);
  g_platform.vsync = request.vsync;
  return true;
}

void PlatformUpdateWindow(const WindowRequest& request) {
  if (g_platform.window == nullptr) return;
  int w = 0;
  int h = 0;
  ClientSizeFor(request, &w, &h);
  if (!g_platform.headless) {
    SDL_SetWindowFullscreen(g_platform.window, request.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  }
  SDL_SetWindowTitle(g_platform.window, request.caption.c_str());
  if (!request.fullscreen || g_platform.headless) SDL_SetWindowSize(g_platform.window, w, h);
  PlaceWindow(request);
}

void PlatformDestroyWindow() {
  if (g_platform.renderer != nullptr) SDL_DestroyRenderer(g_platform.renderer);
  if (g_platform.window != nullptr) SDL_DestroyWindow(g_platform.window);
  g_platform.renderer = nullptr;
  g_platform.window = nullptr;
}

bool PlatformHasRenderer() { return g_platform.renderer != nullptr; }
SDL_Renderer* PlatformRenderer() { return g_platform.renderer; }

void PlatformSetVsync(bool vsync) {
  g_platform.vsync = vsync;
#if SDL_VERSION_ATLEAST(2, 0, 18)
  if (g_platform.renderer != nullptr && !g_platform.headless)
    SDL_RenderSetVSync(g_platform.renderer, vsync ? 1 : 0);
#endif
}

void PlatformClientSize(int* width, int* height) {
  *width = 0;
  *height = 0;
  if (g_platform.renderer != nullptr)
    SDL_GetRendererOutputSize(g_platform.renderer, width, height);
  else if (g_platform.window != nullptr)
    SDL_GetWindowSize(g_platform.window, width, height);
}

void PlatformSetCaption(const std::string& caption) {
  if (g_platform.window != nullptr) SDL_SetWindowTitle(g_platform.window, caption.c_str());
}

void PlatformShowCursor(bool show) {
  g_platform.cursor_shown = show;
  if (g_platform.video_started && !g_platform.headless) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void PlatformCursor(int* x, int* y) { SDL_GetMouseState(x, y); }

bool PlatformButtonHeld(int button) {
  const Uint32 state = SDL_GetMouseState(nullptr, nullptr);
  switch (button) {
    case 0:
      return (state & SDL_BUTTON_LMASK) != 0;
    case 1:
      return (state & SDL_BUTTON_MMASK) != 0;
    case 2:
      return (state & SDL_BUTTON_RMASK) != 0;
    default:
      return false;
  }
}

void PlatformTextInput(bool on) {
  if (!g_platform.video_started || g_platform.headless) return;
  if (on)
    SDL_StartTextInput();
  else
    SDL_StopTextInput();
}

void PlatformPumpEvents() {
  SDL_Event ev;
  while (SDL_PollEvent(&ev) != 0) {
    // A headless run takes its input from the script alone; only an
    // interrupt from the terminal still ends it.
    if (!g_platform.headless || ev.type == SDL_QUIT) HandleEvent(ev);
  }
}

void PlatformBeginFrame(bool clear) {
  if (g_platform.renderer == nullptr) return;
  SDL_RenderSetViewport(g_platform.renderer, nullptr);
  if (clear) {
    SDL_SetRenderDrawColor(g_platform.renderer, 0, 0, 0, 255);
    SDL_RenderClear(g_platform.renderer);
  }
}

void PlatformPresent() {
  if (g_platform.renderer != nullptr) SDL_RenderPresent(g_platform.renderer);
}

bool PlatformSaveScreenshot(const std::string& path) {
  if (g_platform.renderer == nullptr) return false;
  int w = 0;
  int h = 0;
  SDL_GetRendererOutputSize(g_platform.renderer, &w, &h);
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
  if (surface == nullptr) return false;
  std::string error;
  bool ok = SDL_RenderReadPixels(g_platform.renderer, nullptr, SDL_PIXELFORMAT_RGBA32,
                                 surface->pixels, surface->pitch) == 0;
  if (!ok) error = SDL_GetError();
  if (ok)
    ok = WritePngFile(path, static_cast<const uint8_t*>(surface->pixels), w, h, surface->pitch,
                      &error);
  if (!ok) LogLine("Cannot save screenshot \"" + path + "\": " + error, true);
  SDL_FreeSurface(surface);
  return ok;
}

void PlatformStartFailure(std::string_view text) {
  const std::string message(text);
  std::fprintf(stderr, "quillmoor: %s\n", message.c_str());
  if (g_platform.headless) return;
  // Allowed before SDL_Init; without a display it fails and stderr has it.
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Quillmoor cannot start", message.c_str(), nullptr);
}

void PlatformSleep(unsigned ms) { SDL_Delay(ms); }

void PlatformMessageBox(bool error, std::string_view text) {
  const std::string message(text);
  const char* caption = error ? "ERROR!" : "WARNING!";
  if (!g_platform.headless && g_platform.video_started &&
      SDL_ShowSimpleMessageBox(error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_WARNING, caption,
                               message.c_str(), g_platform.window) == 0)
    return;
  std::fprintf(stderr, "%s %s\n", caption, message.c_str());
}
