// Builds the state dump from the engine, the shell and the profiles.
#include "app/dump.h"

#include "app/shell.h"
#include "engine/engine.h"
#include "profile/profiles.h"
#include "res/strings.h"

namespace {

JsonValue Pair(double a, double b) {
  JsonValue pair = JsonValue::MakeArray();
  pair.Append(a);
  pair.Append(b);
  return pair;
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
  dump.Set("mouse", Pair(MouseX(), MouseY()));
  dump.Set("visible", JsonValue::MakeArray());
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
  dump.Set("options", std::move(options));

  dump.Set("strings_count", game_strings.count());
  dump.Set("timers", TimerCount());
  return dump;
}
