// Fuzzes the automation script reader: any bytes must either read as a script
// or be refused with a line number, and every expect line must be judged
// against a sample dump without harm. Values written in a script must also
// read back equal after being written out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/json.h"
#include "app/script.h"

namespace {

JsonValue SampleDump() {
  JsonValue dump = JsonValue::MakeObject();
  dump.Set("tick", 100);
  dump.Set("caption", "Quillmoor");
  dump.Set("engine_options", 39393);
  dump.Set("fullscreen", false);
  JsonValue& desktop = dump.Set("desktop", JsonValue::MakeArray());
  desktop.Append(1024);
  desktop.Append(768);
  dump.Set("visible", JsonValue::MakeArray()).Append("wnd_splash");
  dump.Set("player", "");
  dump.Set("players", JsonValue::MakeArray());
  dump.Set("strings_count", 57);
  JsonValue& objects = dump.Set("world", JsonValue::MakeObject()).Set("objects", JsonValue::MakeArray());
  JsonValue& lamp = objects.Append(JsonValue::MakeObject());
  lamp.Set("name", "lamp");
  lamp.Set("pos", JsonValue::MakeArray()).Append(1.5);
  return dump;
}

void CheckRoundTrip(const JsonValue& v) {
  for (const int indent : {0, 2}) {
    const std::optional<JsonValue> back = ParseJson(v.Serialize(indent));
    if (!back || !(*back == v)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  if (const std::optional<JsonValue> direct = ParseJson(text)) CheckRoundTrip(*direct);

  const ScriptParseResult result = ParseScript(text);
  if (!result.ok) {
    if (result.error_line <= 0 || !result.commands.empty() || result.error.empty()) std::abort();
    return 0;
  }
  const JsonValue dump = SampleDump();
  for (const ScriptCommand& cmd : result.commands) {
    if (cmd.line <= 0 || cmd.source.empty()) std::abort();
    if (cmd.kind != ScriptCommand::Kind::Expect) continue;
    std::string why;
    if (!CheckExpectation(dump, cmd.expect, &why) && why.empty()) std::abort();
    CheckRoundTrip(cmd.expect.value);
  }
  return 0;
}
