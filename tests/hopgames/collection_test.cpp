// One list of the games: cmake/games.txt. Everything else that names the
// games is made from it or is held to it here: the build's lists, ./play,
// the Debian package's table, the tools' profiles, the gallery's script,
// each game's controls and picture, and the front window's staged copy.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "profiles.h"
#include "table.h"

namespace {

namespace fs = std::filesystem;
using namespace hopgames;

const fs::path kSource = HOP_SOURCE_DIR;

std::string slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

std::string run(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
    EXPECT_EQ(pclose(p), 0) << command;
  }
  return out;
}

TEST(Collection, EveryListOfTheGamesIsTheTableOfCmakeGamesTxt) {
  std::istringstream in(slurp(kSource / "cmake/games.txt"));
  std::vector<GameInfo> table;
  std::string error;
  ASSERT_TRUE(readTable(in, table, error)) << error;
  std::vector<std::string> all, here;
  for (const GameInfo& g : table) {
    all.push_back(g.program);
    if (fs::exists(kSource / g.folder / "CMakeLists.txt")) here.push_back(g.program);
  }

  // The build: every game of the table, built where its folder is here.
  EXPECT_EQ(words(HOP_TABLE_GAMES), all);
  EXPECT_EQ(words(HOP_BUILT_GAMES), here);

  // ./play lists the same games with the same line about each.
  std::vector<std::string> listed;
  std::istringstream lines(run("'" + (kSource / "play").string() + "' --list"));
  for (std::string line; std::getline(lines, line);) {
    const std::string name = line.substr(0, line.find('\t'));
    listed.push_back(name);
    for (const GameInfo& g : table)
      if (g.program == name) {
        EXPECT_EQ(line.substr(line.find('\t') + 1).substr(1), g.about.substr(1)) << name;
      }
  }
  EXPECT_EQ(listed, here);

  // The package: each built game with its window title and quit key, and the front window.
  if (fs::exists(HOP_PACKAGE_TSV)) {
    std::map<std::string, std::pair<std::string, std::string>> packaged;
    std::istringstream rows(slurp(HOP_PACKAGE_TSV));
    std::vector<std::string> order;
    for (std::string row; std::getline(rows, row);) {
      std::istringstream f(row);
      std::string game, id, title, quit;
      std::getline(f, game, '\t'), std::getline(f, id, '\t'), std::getline(f, title, '\t'), std::getline(f, quit);
      packaged[game] = {title, quit};
      order.push_back(game);
    }
    std::vector<std::string> expected = here;
    expected.push_back("hopgames");
    EXPECT_EQ(order, expected);
    for (const GameInfo& g : table) {
      if (packaged.count(g.program)) {
        EXPECT_EQ(packaged[g.program], std::make_pair(g.window, g.quit)) << g.program;
      }
    }
  }

  // The tools that play the real games know each by its window title.
  std::set<std::string> profiled;
  for (const hoptest::Profile& p : hoptest::profiles()) {
    profiled.insert(p.game);
    const GameInfo* g = nullptr;
    for (const GameInfo& t : table)
      if (t.program == p.game) g = &t;
    if (std::string(p.game) == "hopgames") {
      EXPECT_STREQ(p.title, "Hop Games");
      continue;
    }
    ASSERT_NE(g, nullptr) << p.game << " has a profile but is not in the table";
    EXPECT_EQ(p.title, g->window) << p.game;
  }
  const std::string gallery = slurp(kSource / "scripts/gallery");
  for (const GameInfo& g : table) {
    SCOPED_TRACE(g.program);
    EXPECT_EQ(profiled.count(g.program), 1u) << "no profile in tests/support/profiles.h";
    EXPECT_NE(gallery.find("\n  [" + g.program + "]="), std::string::npos) << "no steps in scripts/gallery";
    // Its controls (the manual page's and the front window's) and its picture.
    std::istringstream controls(slurp(kSource / "docs/controls" / (g.program + ".txt")));
    std::vector<Control> c;
    EXPECT_TRUE(readControls(controls, c, error)) << error;
    EXPECT_FALSE(c.empty()) << "docs/controls/" << g.program << ".txt";
    EXPECT_TRUE(fs::is_regular_file(kSource / "docs/gallery" / (g.program + ".png")));
    EXPECT_TRUE(fs::is_regular_file(fs::path(HOPGAMES_STAGE) / "pictures" / (g.program + ".png")));
  }
  EXPECT_TRUE(fs::is_regular_file(kSource / "docs/gallery/hopgames.png"));
  EXPECT_NE(gallery.find("\n  [hopgames]="), std::string::npos);
  EXPECT_EQ(slurp(fs::path(HOPGAMES_STAGE) / "games.txt"), slurp(kSource / "cmake/games.txt"));
}

}  // namespace
