// Feeds arbitrary bytes to the game as its profile file "data.ini" and reads
// the player list and the current player's options from it, as a start does.
// Whatever the file holds, every player is a name that may become a folder,
// there are at most eight, the volumes stay in range, and saving the list and
// reading it back gives the same players.
#include <stdlib.h>  // mkdtemp
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ini.h"
#include "engine/save_file.h"
#include "profile/profiles.h"

namespace {

const std::string& Home() {
  static const std::string home = [] {
    char name[] = "/tmp/fuzz_player_list_XXXXXX";
    if (::mkdtemp(name) == nullptr) abort();
    return std::string(name) + "/";
  }();
  return home;
}

bool InRange(int volume) { return volume >= 0 && volume <= 100; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetProfiles();
  IniResetRefusedPaths();
  if (!PrepareSaveFolder(Home(), "save")) abort();
  if (!SaveFileAtomically(ProfileFilePath(),
                          std::string_view(reinterpret_cast<const char*>(data), size), nullptr))
    abort();

  LoadPlayerList();
  LoadProfile();
  const Profiles& profiles = CurrentProfiles();
  if (profiles.players.size() > MAX_PLAYERS) abort();
  for (const std::string& name : profiles.players)
    if (!IsSafePlayerName(name)) abort();
  if (!profiles.current_player.empty() && !IsSafePlayerName(profiles.current_player)) abort();
  const PlayerOptions& o = profiles.options;
  if (!InRange(o.music_volume) || !InRange(o.effects_volume) || !InRange(o.environment_volume))
    abort();

  const std::vector<std::string> before(profiles.players.begin(), profiles.players.end());
  const std::string current = profiles.current_player;
  if (!SavePlayerList()) abort();
  LoadPlayerList();
  const std::vector<std::string> after(profiles.players.begin(), profiles.players.end());
  if (after != before || profiles.current_player != current) abort();
  return 0;
}
