// The options window and the player's screen options.
#include "app/options.h"

#include <cmath>
#include <memory>
#include <string_view>

#include "app/menu.h"
#include "app/screens.h"
#include "app/shell.h"
#include "engine/engine.h"
#include "engine/keys.h"
#include "engine/log.h"
#include "profile/profiles.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/controls.h"
#include "ui/gui.h"

namespace {

// The option labels share the dialogs' parchment gold.
constexpr uint32_t kLabelColour = 0xBEB37E;
constexpr uint16_t kWindowedWidth = 1024;
constexpr uint16_t kWindowedHeight = 768;

void AddLabel(const char* name, float x, float y, const char* caption) {
  auto text = std::make_unique<itext>(name, x, y, 0.0f, 0.0f, game_strings.get(caption), true);
  text->text_color = kLabelColour;
  gui_add(std::move(text));
}

void AddBar(const char* name, float y, UiProc release) {
  auto bar = std::make_unique<ibar>(name, 128.0f, y, 256.0f, 32.0f, "", true);
  bar->graphic = "gbar";
  bar->graphic2 = "gpos";
  bar->on_click = release;
  gui_add(std::move(bar));
}

void AddCheck(const char* name, float y, const char* caption, UiProc click) {
  auto check = std::make_unique<icheck>(name, 256.0f, y, 0.0f, 0.0f, game_strings.get(caption),
                                        true);
  check->graphic = "gbox";
  check->graphic3 = "gcheck";
  check->text_color = kLabelColour;
  check->on_click = click;
  gui_add(std::move(check));
}

// The effects and ambience sliders let the player hear the level they chose.
void EffectsBarReleased() { sounds.play("accept"); }
void AmbienceBarReleased() { ambience.play("accept", false); }

// A slider's knob place as a volume of 0..100.
int BarVolume(const char* name, int fallback) {
  const ielement* bar = gui_get(name);
  if (bar == nullptr || bar->w <= 0.0f) return fallback;
  const long volume = std::lround(bar->value / (bar->w / 100.0f));
  if (volume < 0) return 0;
  if (volume > 100) return 100;
  return static_cast<int>(volume);
}

void SetBar(const char* name, int volume) {
  if (ielement* bar = gui_get(name)) bar->value = static_cast<float>(volume) * bar->w / 100.0f;
}

void SetCheck(const char* name, bool checked) {
  if (ielement* check = gui_get(name)) check->checked = checked;
}

bool Checked(const char* name, bool fallback) {
  const ielement* check = gui_get(name);
  return check != nullptr ? check->checked : fallback;
}

bool DesktopTooSmall() {
  return EngineQuery(Q_DESKTOP_WIDTH) <= kWindowedWidth ||
         EngineQuery(Q_DESKTOP_HEIGHT) <= kWindowedHeight;
}

}  // namespace

void BuildOptionsControls(const char* window) {
  const std::string_view name = window != nullptr ? window : "";
  if (name != "wnd_opt") return;
  if (ielement* options_window = gui_get("wnd_opt")) options_window->on_update = OptionsProcedure;
  AddLabel("text_1", 256.0f, 100.0f, "music_volume");
  AddLabel("text_2", 256.0f, 160.0f, "effects_volume");
  AddLabel("text_3", 256.0f, 220.0f, "env_volume");
  AddBar("bar_1", 110.0f, nullptr);
  AddBar("bar_2", 170.0f, EffectsBarReleased);
  AddBar("bar_3", 230.0f, AmbienceBarReleased);
  AddCheck("check_1", 280.0f, "full_screen", FullScreenBoxClicked);
  AddCheck("check_2", 330.0f, "custom_cursor", nullptr);
  auto ok = std::make_unique<ibutton>("btn_6", 160.0f, 400.0f, 192.0f, 48.0f,
                                      game_strings.get("ok"), true);
  ok->graphic = "gbutton";
  ok->on_click = OptionsOkClicked;
  gui_add(std::move(ok));
}

void OpenOptions() {
  SetBar("bar_1", music.volume);
  SetBar("bar_2", sounds.volume);
  SetBar("bar_3", ambience.volume);
  const PlayerOptions& options = CurrentProfiles().options;
  SetCheck("check_1", options.fullscreen);
  SetCheck("check_2", options.custom_cursor);
  ShowWindow("wnd_opt", true);
  ShowWindow("wnd_pause", false);
}

void OptionsProcedure() {
  music.volume = BarVolume("bar_1", music.volume);
  sounds.volume = BarVolume("bar_2", sounds.volume);
  ambience.volume = BarVolume("bar_3", ambience.volume);
  music.apply_volume();
  sounds.apply_volume();
  ambience.apply_volume();
}

void FullScreenBoxClicked() {
  if (!DesktopTooSmall()) return;
  SetCheck("check_1", true);
  ShowMessageBox("resolution");
}

void OptionsOkClicked() {
  PlayerOptions& options = CurrentProfiles().options;
  options.music_volume = BarVolume("bar_1", options.music_volume);
  options.effects_volume = BarVolume("bar_2", options.effects_volume);
  options.environment_volume = BarVolume("bar_3", options.environment_volume);
  const bool fullscreen_before = options.fullscreen;
  options.fullscreen = Checked("check_1", options.fullscreen);
  if (options.fullscreen != fullscreen_before) Shell().run_fullscreen.reset();
  options.custom_cursor = Checked("check_2", options.custom_cursor);
  SaveProfileOrTell();
  ApplyScreenOptions();
  ShowWindow("wnd_prof", false);
  ShowWindow("wnd_opt", false);
}

void ApplyScreenOptions() {
  const PlayerOptions& options = CurrentProfiles().options;
  const bool fullscreen = Shell().run_fullscreen.value_or(options.fullscreen);
  if (EngineFullscreen() != fullscreen) {
    if (fullscreen) {
      SetScreenOptions(static_cast<uint16_t>(EngineQuery(Q_DESKTOP_WIDTH)),
                       static_cast<uint16_t>(EngineQuery(Q_DESKTOP_HEIGHT)), 0, true, true);
    } else {
      SetScreenOptions(kWindowedWidth, kWindowedHeight, 0, false, true);
    }
  }
  // The game draws its own pointer when the custom cursor is chosen.
  ShowSystemCursor(!options.custom_cursor);
}

void FullScreenKeyToggle() {
  if (!KeyDown(key::kAnyAlt) || !KeyPress(key::kEnter)) return;
  PlayerOptions& options = CurrentProfiles().options;
  // The key turns what the player sees, which a command line may have chosen.
  const bool wanted = !EngineFullscreen();
  SetCheck("check_1", wanted);
  FullScreenBoxClicked();
  options.fullscreen = Checked("check_1", wanted);
  // The player's own key press overrides the command line's choice.
  Shell().run_fullscreen.reset();
  SaveProfileOrTell();
  ApplyScreenOptions();
}
