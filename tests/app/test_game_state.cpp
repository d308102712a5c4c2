// One reset for the whole game: two different games run one after another in
// this process must each play exactly as they do in a process of their own.
#include "app/game_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/json.h"
#include "app/program.h"
#include "support/temp_files.h"

namespace {

namespace fs = std::filesystem;

// A new player who plays into the story's opening, and a second start that
// names a player, opens the options and turns the music down.
const char* const kGames[] = {
    "tick 601\ntype Fern\ntick 2\nclick 442 552\ntick 2\nclick 512 536\ntick 150\ndump game.json\n",
    "tick 350\ntype Gil\ntick 2\nclick 442 552\ntick 5\nclick 256 664\ntick 3\n"
    "press 380 385\nmove 300 385\ntick 4\nrelease 300 385\ntick 2\ndump game.json\n",
};

std::string PlayGame(const fs::path& work, int game, bool in_this_process) {
  const fs::path folder = work / ("game" + std::to_string(game));
  fs::remove_all(folder);
  WriteTextFile(folder / "play.qms", kGames[game]);
  const std::string exe = std::string(QUILLMOOR_TEST_GAME_DIR) + "/quillmoor";
  const std::string home = (folder / "home").string();
  const std::string script = (folder / "play.qms").string();
  if (in_this_process) {
    std::vector<std::string> words = {exe, "--headless", "--seed", "7", "--root",
                                      QUILLMOOR_TEST_GAME_DIR, "--home", home, "--script", script};
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    const fs::path was = fs::current_path();
    const int status = RunProgram(static_cast<int>(argv.size()), argv.data());
    fs::current_path(was);
    EXPECT_EQ(status, 0);
  } else {
    const std::string command = "'" + exe + "' --headless --seed 7 --home '" + home +
                                "' --script '" + script + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
  // What plays is the sound threads' business, timed by the machine's load,
  // not the game's state: those two fields are left out of the comparison.
  std::optional<JsonValue> dump = ParseJson(ReadTextFile(folder / "game.json"));
  if (!dump) return "";
  dump->Set("music", JsonValue());
  dump->Set("ambience", JsonValue());
  return dump->Serialize();
}

}  // namespace

TEST(GameState, TwoGamesInOneProcessPlayAsEachDoesInAProcessOfItsOwn) {
  const fs::path work = MakeTempFolder("game_state");
  ASSERT_FALSE(work.empty());
  const std::string alone[] = {PlayGame(work, 0, false), PlayGame(work, 1, false)};
  ASSERT_NE(alone[0], "");
  ASSERT_NE(alone[0], alone[1]);
  EXPECT_EQ(PlayGame(work, 0, true), alone[0]);
  EXPECT_EQ(PlayGame(work, 1, true), alone[1]) << "something of the first game was carried over";
  ResetGameState();
  fs::remove_all(work);
}
