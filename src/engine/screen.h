// The platform side of the engine frame: the SDL window and renderer, the
// desktop, platform events, message boxes and screenshots, and the mapping of
// the logical screen onto the window. Only the engine includes this header.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct SDL_Renderer;

// --- Logical mapping ------------------------------------------------------------

struct LogicalMapping {
  int logical_width = 0;
  int logical_height = 0;
  double scale_x = 1.0;
  double scale_y = 1.0;
  int offset_x = 0;  // screen pixels
  int offset_y = 0;
  int viewport_width = 0;  // logical units the whole client area spans
  int viewport_height = 0;
};

// Fits a logical screen of w x h into a client area of W x H keeping its
// aspect, with bars where allowed. A client area with no size keeps the
// previous mapping, as a minimised window reports 0 x 0 on some desktops.
LogicalMapping ComputeLogicalMapping(int client_w, int client_h, int logical_w, int logical_h,
                                     bool bars_x, bool bars_y, const LogicalMapping& previous);

// The mapping in force now (kept by the engine frame).
const LogicalMapping& EngineCurrentMapping();

// --- Desktop and window -----------------------------------------------------------

struct DesktopMode {
  int width = 0;
  int height = 0;
  int refresh = 0;
  bool true_colour = true;  // 32 bits a pixel (or 24 bits in 4 bytes)
};

struct WindowRequest {
  int width = 1024;   // client area
  int height = 768;
  bool fullscreen = false;
  bool vsync = true;
  bool centre = true;
  int desktop_width = 0;
  int desktop_height = 0;
  std::string caption;
};

// Starts the video subsystem; headless runs use the dummy drivers.
bool PlatformInit(bool headless);
void PlatformQuit();
bool PlatformDesktop(DesktopMode* mode);
// Distinct desktop resolutions, largest first.
std::vector<std::pair<int, int>> PlatformResolutions();
// Which renderer a window gets. Where OpenGL would only run on the
// processor, the software renderer with the engine's span blitter draws the
// same picture faster and without the rasteriser's compiler in memory.
enum class RendererChoice {
  Software,
  Accelerated,          // asked for by name: kept even over a software OpenGL
  AcceleratedUnlessCpu  // the accelerated one, unless its OpenGL runs on the processor
};
// `forced` is QUILLMOOR_RENDERER ("software" or "accelerated"; anything else
// lets the game choose), `libgl_software` is LIBGL_ALWAYS_SOFTWARE, and
// `graphics_device` whether the machine has a graphics device node.
RendererChoice ChooseRenderer(const char* forced, const char* libgl_software,
                              bool graphics_device);
bool PlatformCreateWindow(const WindowRequest& request);
// Applies a changed request to the open window (style, caption, position, size).
void PlatformUpdateWindow(const WindowRequest& request);
void PlatformDestroyWindow();
bool PlatformHasRenderer();
SDL_Renderer* PlatformRenderer();
void PlatformSetVsync(bool vsync);
void PlatformClientSize(int* width, int* height);
void PlatformSetCaption(const std::string& caption);
// Whether the arrow shows over the client area.
void PlatformShowCursor(bool show);
// Cursor position relative to the client area, in pixels.
void PlatformCursor(int* x, int* y);
// The button's state as the platform knows it now (swapped buttons honoured).
bool PlatformButtonHeld(int button);
// Whether the platform composes typed text (input methods, dead keys).
void PlatformTextInput(bool on);
// Handles every pending platform event by calling the engine's handlers.
void PlatformPumpEvents();
void PlatformBeginFrame(bool clear);
void PlatformPresent();
bool PlatformSaveScreenshot(const std::string& path);
// Sleeps the calling thread (a paused window session only).
void PlatformSleep(unsigned ms);
// A message box, or a line on standard error in a headless run.
void PlatformMessageBox(bool error, std::string_view text);
// Why the game cannot start, before any window exists: always on standard
// error, and in a message box of its own unless the run is headless, so a
// player who started the game from a desktop menu sees it too.
void PlatformStartFailure(std::string_view text);
// Reports go to standard error instead of message boxes.
void PlatformSetHeadless(bool headless);
// The game's key code for an SDL scan code, 0 for keys the game has no code for.
int PlatformKeyCode(int sdl_scancode);
