// The Debian package end to end: made with cpack from this build, its
// contents, desktop entries and AppStream files checked and the package
// installed into a scratch root (check_package.sh); every launcher started
// from a folder that is not its game's, under Xvfb: the window appears and the
// game's quit key ends it with status 0; the installed front window starts a
// game through that game's launcher and comes back when it ends; then
// removal leaves nothing behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hoptest/e2e.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Row {
  std::string game, id, title, quit;
};

std::vector<Row> packagedGames() {
  std::ifstream in(HOP_BUILD_DIR "/package/games.tsv");
  std::vector<Row> rows;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Row r;
    if (std::getline(fields, r.game, '\t') && std::getline(fields, r.id, '\t') &&
        std::getline(fields, r.title, '\t') && std::getline(fields, r.quit, '\t'))
      rows.push_back(r);
  }
  return rows;
}

TEST(PackageE2E, InstallsValidEntriesEveryLauncherStartsItsGameFromAnywhereAndRemovesCleanly) {
  const fs::path scratch = fs::path(HOP_BUILD_DIR) / "package-check";
  const std::string command = std::string(HOP_CHECK_SCRIPT) + " '" HOP_BUILD_DIR "' '" + scratch.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  const std::vector<Row> games = packagedGames();
  ASSERT_FALSE(games.empty());
  // Somewhere the games' relative paths lead nowhere.
  const fs::path elsewhere = scratch / "elsewhere";
  fs::create_directories(elsewhere);
  for (const Row& g : games) {
    SCOPED_TRACE(g.game);
    const fs::path launcher = scratch / "root/usr/games" / g.game;
    hoptest::GameSession game(hoptest::Launch{launcher.string(), {}, elsewhere.string()});
    ASSERT_NE(game.waitForWindow(g.title, 60s).id, 0u) << game.stderrText();
    ASSERT_TRUE(game.key(g.quit));
    const auto status = game.waitExit(60s);
    ASSERT_TRUE(status.has_value()) << "still running after " << g.quit;
    EXPECT_EQ(*status, 0) << game.stderrText();
  }
  // The front window finds the games through their launchers: Enter starts
  // the first tile's game, which ends with its quit key, and the window is back.
  const auto first = std::find_if(games.begin(), games.end(), [](const Row& g) { return g.game != "hopgames"; });
  ASSERT_NE(first, games.end());
  {
    const fs::path launcher = scratch / "root/usr/games/hopgames";
    hoptest::GameSession front(hoptest::Launch{launcher.string(), {}, elsewhere.string()});
    ASSERT_NE(front.waitForWindow("Hop Games", 60s).id, 0u) << front.stderrText();
    ASSERT_TRUE(front.key("Return"));
    ASSERT_NE(front.waitForWindow(first->title, 60s).id, 0u) << front.stderrText();
    ASSERT_TRUE(front.key(first->quit));
    ASSERT_TRUE(front.waitForOutput("hopgames: " + first->game + " ended\n")) << front.stderrText();
    ASSERT_NE(front.waitForWindow("Hop Games", 60s).id, 0u);
    ASSERT_TRUE(front.key("Escape"));
    EXPECT_EQ(front.waitExit(60s), 0);
  }
  fs::remove_all(elsewhere);
  const std::string remove = std::string(HOP_CHECK_SCRIPT) + " --remove '" + scratch.string() + "'";
  EXPECT_EQ(std::system(remove.c_str()), 0) << remove;
  fs::remove_all(scratch);
}

}  // namespace
