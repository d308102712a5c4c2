// Builds the state dump from the engine, the shell and the profiles.
#include "app/dump.h"

#include "app/dump_world.h"
#include "app/frame.h"
#include "app/screens.h"
#include "app/shell.h"
#include "engine/engine.h"
#include "profile/profiles.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/world.h"

namespace {

JsonValue Pair(double a, double b) {
  JsonValue pair = JsonValue::MakeArray();
  pair.Append(a);
  pair.Append(b);
  return pair;
}

JsonValue PlayingTracks(const tmusic& tracks) {
  JsonValue names = JsonValue::MakeArray();
  for (std::size_t i = 0; i < tracks.count(); ++i)
    if (tracks.is_playing(tracks[i].name)) names.Append(tracks[i].name);
  return names;
}

// Every control of every visible window, by name.
JsonValue VisibleControls() {
  JsonValue controls = JsonValue::MakeObject();
  for (std::size_t i = 0; i < gui_count(); ++i) {
    const ielement& e = gui_at(static_cast<int>(i));
    if (!e.is_child || !gui_at(e.parent).visible) continue;
    JsonValue control = JsonValue::MakeObject();
    control.Set("name", e.name);
    control.Set("visible", e.visible);
    control.Set("disabled", e.disabled);
    control.Set("text", e.text);
    control.Set("checked", e.checked);
    control.Set("value", static_cast<double>(e.value));
    control.Set("selected", e.selected);
    controls.Set(e.name, std::move(control));
  }
  return controls;
}

}  // namespace

JsonValue BuildStateDump() {
  JsonValue dump = JsonValue::MakeObject();
  dump.Set("tick", EnginePassCount());
  dump.Set("time_ms", GetTicks());
  dump.Set("caption", EngineCaption());
  dump.Set("engine_options", EngineOptions());
  dump.Set("fullscreen", EngineFullscreen());
  dump.Set("desktop", Pair(EngineQuery(Q_DESKTOP_WIDTH), EngineQuery(Q_DESKTOP_HEIGHT)));
  dump.Set("client", Pair(EngineClientWidth(), EngineClientHeight()));
  dump.Set("offset", Pair(EngineQuery(Q_OFFSET_X), EngineQuery(Q_OFFSET_Y)));
  dump.Set("focused", EngineFocused());
  dump.Set("paused", EnginePaused());
  dump.Set("mouse", Pair(static_cast<double>(MouseX()), static_cast<double>(MouseY())));
  JsonValue visible = JsonValue::MakeArray();
  for (std::size_t i = 0; i < gui_count(); ++i) {
    const ielement& e = gui_at(static_cast<int>(i));
    if (!e.is_child && e.visible) visible.Append(e.name);
  }
  dump.Set("visible", std::move(visible));
  dump.Set("fade", fade_level);
  JsonValue splash_state = JsonValue::MakeObject();
  splash_state.Set("counter", splash.counter);
  splash_state.Set("fade_a", splash.fade_a);
  splash_state.Set("fade_b", splash.fade_b);
  dump.Set("splash", std::move(splash_state));
  JsonValue volumes = JsonValue::MakeObject();
  volumes.Set("music", music.volume);
  volumes.Set("effects", sounds.volume);
  volumes.Set("ambience", ambience.volume);
  dump.Set("volumes", std::move(volumes));
  dump.Set("music", PlayingTracks(music));
  dump.Set("ambience", PlayingTracks(ambience));
  dump.Set("cursor", static_cast<int>(world.cursor_drawn));
  dump.Set("sound", Shell().sound_available);
  dump.Set("images", images.count());
  dump.Set("fonts", fonts.count());
  dump.Set("effects", sounds.count());
  dump.Set("loaded", Shell().load_complete);

  const Profiles& profiles = CurrentProfiles();
  dump.Set("player", profiles.current_player);
  JsonValue players = JsonValue::MakeArray();
  for (const std::string& name : profiles.players) players.Append(name);
  dump.Set("players", std::move(players));
  const PlayerOptions& o = profiles.options;
  JsonValue options = JsonValue::MakeObject();
  options.Set("music_volume", o.music_volume);
  options.Set("effects_volume", o.effects_volume);
  options.Set("environment_volume", o.environment_volume);
  options.Set("fullscreen", o.fullscreen);
  options.Set("custom_cursor", o.custom_cursor);
  options.Set("tutorial_offered", o.tutorial_offered);
  options.Set("tutorial_step", o.tutorial_step);
  dump.Set("options", std::move(options));
  dump.Set("message", WindowVisible("wnd_msg") && gui_get("memo_m") != nullptr
                          ? JsonValue(gui_get("memo_m")->text)
                          : JsonValue());
  dump.Set("controls", VisibleControls());

  DumpWorld(dump);
  dump.Set("strings_count", game_strings.count());
  dump.Set("timers", TimerCount());
  return dump;
}
