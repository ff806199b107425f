// The front window drawn offscreen from its staged files (the working
// folder is its stage folder): the tiles, the chosen tile's controls and
// best score, a failed game's message, and every file it reads broken.
#include <gtest/gtest.h>
#include <SDL2/SDL_image.h>
#include <SDL2/SDL_ttf.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "app.h"
#include "hoptest/broken.h"
#include "hoptest/events.h"
#include "hoptest/gl.h"

namespace {

namespace fs = std::filesystem;
using namespace hopgames;
using hoptest::Color;
using hoptest::Rect;

// The palette's highlight, the badge's gold, the key names' gold, the message's frame.
const Color kHighlight{255, 191, 31}, kGold{255, 214, 89}, kAlarm{230, 61, 51};

Rect rect(const Box& b) { return {int(b.x), int(b.y), int(b.w), int(b.h)}; }

fs::path scratch(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("hopgames_gl_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

struct FrontGL : hoptest::GLTest {
  FrontGL() { width = kWidth, height = kHeight; }
  void SetUp() override {
    GLTest::SetUp();
    ASSERT_EQ(TTF_Init(), 0);
    IMG_Init(IMG_INIT_PNG);
  }
  void TearDown() override {
    IMG_Quit();
    TTF_Quit();
    GLTest::TearDown();
  }
  // Rows of `colour` pixels, counted as separate bands, in `r`.
  int bands(Color colour, Rect r) {
    const hoptest::Image img = readFramebuffer();
    int n = 0;
    bool in = false;
    for (int y = r.y; y < r.y + r.h; ++y) {
      const bool hit = img.countNear(colour, 40, {r.x, y, r.w, 1}) > 0;
      n += hit && !in;
      in = hit;
    }
    return n;
  }
};

TEST_F(FrontGL, TilesNamesTheChosenTilesControlsAndBestScoreAreDrawn) {
  const fs::path data = scratch("data"), none = scratch("nogames");
  fs::create_directories(data / "marsdash");
  std::ofstream(data / "marsdash/records.txt") << "hopgames-records 1\nbest 4321\nend 1\n";
  setenv("HOPGAMES_DATA_DIR", data.c_str(), 1);
  std::ostringstream log;
  std::vector<Tile> tiles = loadTiles(none.string(), log);
  unsetenv("HOPGAMES_DATA_DIR");
  fs::remove_all(data);
  fs::remove_all(none);
  ASSERT_EQ(tiles.size(), 10u);
  ASSERT_EQ(tiles[2].info.program, "marsdash");
  EXPECT_EQ(tiles[2].best, 4321);
  EXPECT_EQ(log.str(), "");
  Front front(tiles);
  Renderer renderer(front.tiles(), log);
  const Layout l(kWidth, kHeight, 10);
  renderer.draw(front, l, kWidth, kHeight);
  EXPECT_EQ(log.str(), "") << "every staged file was read";

  // Ten names in dark ink on the cards, each its own; the highlight on the first tile only.
  const hoptest::Image shot = readFramebuffer();
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(i);
    const Rect name = rect(l.name(i));
    EXPECT_GT(name.w * name.h - shot.countNear({250, 250, 245}, 40, name), 60) << "its name in ink on the card";
    for (int j = 0; j < i; ++j) EXPECT_GT(shot.crop(rect(l.name(i))).countDiff(shot.crop(rect(l.name(j))), {}, 60), 100);
    const Box& t = l.tiles[std::size_t(i)];
    EXPECT_EQ(shot.countNear(kHighlight, 30, {int(t.x) - 3, int(t.y) + 20, 3, int(t.h) - 40}) > int(t.h), i == 0);
    // The badge of the best score sits on marsdash's picture alone.
    const Box p = l.picture(i);
    EXPECT_EQ(shot.countNear(kGold, 20, {int(p.right()) - 90, int(p.y), 90, 30}) > 200, i == 2);
  }

  // The panel lists the chosen game's controls: boardhop has eleven, eight
  // in the first column; coopdash twelve, eight and four.
  const Box& panel = l.panel;
  const Rect column1{int(panel.x) + 10, int(panel.y) + 40, 160, int(panel.h) - 40};
  const Rect column2{int(panel.x + panel.w / 2) + 10, int(panel.y) + 40, 160, int(panel.h) - 40};
  EXPECT_EQ(bands(kGold, column1), 8);
  EXPECT_EQ(bands(kGold, column2), 3);
  front.select(3);
  renderer.draw(front, l, kWidth, kHeight);
  EXPECT_EQ(bands(kGold, column1), 8);
  EXPECT_EQ(bands(kGold, column2), 4);
  const Box& m = l.message;
  EXPECT_EQ(countNear(kAlarm, 20, {int(m.x) - 4, int(m.y) - 4, int(m.w) + 8, 4}), 0) << "no message";
}

TEST_F(FrontGL, AGameThatFailsLeavesItsNameAndLastLinesAndOneThatEndsWellItsNewBest) {
  const fs::path games = scratch("games"), data = scratch("scores");
  setenv("HOPGAMES_DATA_DIR", data.c_str(), 1);
  auto game = [&](const std::string& name, const std::string& body) {
    fs::create_directories(games / name);
    std::ofstream(games / name / name) << "#!/bin/sh\n" << body;
    fs::permissions(games / name / name, fs::perms::owner_all);
  };
  game("boardhop", "echo playing\necho 'Modelos3D/penguin/penguin.obj: file missing' >&2\nexit 1\n");
  game("marsdash",
       "mkdir -p \"$HOPGAMES_DATA_DIR/marsdash\"\n"
       "printf 'hopgames-records 1\\nbest 77\\nend 1\\n' > \"$HOPGAMES_DATA_DIR/marsdash/records.txt\"\n");
  std::ostringstream log;
  Options options;
  options.games = games.string();
  App app(gl().window(), options, log);
  ASSERT_TRUE(app.front().tiles()[0].start.found());
  EXPECT_FALSE(app.front().tiles()[1].start.found());

  app.play(2);
  EXPECT_FALSE(app.front().message());
  EXPECT_EQ(app.front().tiles()[2].best, 77) << "read again after the game";

  app.play(0);
  ASSERT_TRUE(app.front().message());
  EXPECT_EQ(app.front().message()->title, "Board Hop ended with status 1");
  EXPECT_EQ(app.front().message()->lines, std::deque<std::string>{"Modelos3D/penguin/penguin.obj: file missing"});
  EXPECT_NE(log.str().find("hopgames: boardhop ended with status 1"), std::string::npos);
  Renderer renderer(app.front().tiles(), log);
  const Layout l(kWidth, kHeight, 10);
  renderer.draw(app.front(), l, kWidth, kHeight);
  const Box& m = l.message;
  EXPECT_GT(countNear(kAlarm, 20, {int(m.x) - 4, int(m.y) - 4, int(m.w) + 8, 4}), int(m.w));
  EXPECT_GT(countNear({255, 224, 212}, 40, {int(m.x), int(m.y) + 60, int(m.w), 40}), 100) << "its line";

  // F11 fills the screen, and again gives the window its own size back.
  app.handle(hoptest::keyEvent(SDLK_F11));
  EXPECT_TRUE(SDL_GetWindowFlags(gl().window()) & SDL_WINDOW_FULLSCREEN);
  app.handle(hoptest::keyEvent(SDLK_F11));
  EXPECT_FALSE(SDL_GetWindowFlags(gl().window()) & SDL_WINDOW_FULLSCREEN);
  int w = 0, h = 0;
  SDL_GetWindowSize(gl().window(), &w, &h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(kWidth, kHeight));

  // A game that is not there says so, and how to build it.
  app.play(1);
  ASSERT_TRUE(app.front().message());
  EXPECT_EQ(app.front().message()->title, "Lane Hop is not here");
  EXPECT_EQ(app.front().message()->lines.back(), "./play lanehop builds it.");
  unsetenv("HOPGAMES_DATA_DIR");
  fs::remove_all(games);
  fs::remove_all(data);
}

TEST_F(FrontGL, EveryFileItReadsBrokenIsNamedAndOnlyTheTableAndFontsStopIt) {
  const fs::path stage = fs::current_path(), dir = scratch("broken");
  std::vector<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(stage))
    if (e.is_regular_file() && e.path().filename() != "hopgames")
      names.push_back(fs::relative(e.path(), stage).string());
  std::vector<const char*> files;
  for (const std::string& n : names) files.push_back(n.c_str());
  std::mt19937 random(7);
  const std::vector<std::pair<const char*, bool>> cases = {
      {"games.txt", true},     {"fonts/title.ttf", true},      {"fonts/text.ttf", true},
      {"fonts/bold.ttf", true}, {"pictures/duckrun.png", false}, {"hero.png", false},
      {"controls/henrun.txt", false}};
  for (const auto& [file, needed] : cases)
    for (hoptest::Break how : {hoptest::Deleted, hoptest::Empty, hoptest::Half, hoptest::Garbage, hoptest::Folder,
                               hoptest::Pipe}) {
      SCOPED_TRACE(std::string(file) + " broken " + std::to_string(int(how)));
      hoptest::stageBroken(stage, dir, files, file, how, random);
      ASSERT_EQ(chdir(dir.c_str()), 0);
      std::ostringstream log;
      std::string error;
      try {
        Options options;
        options.games = dir.string();
        App app(gl().window(), options, log);
        app.draw();
      } catch (const FileError& e) {
        error = e.what();
      }
      ASSERT_EQ(chdir(stage.c_str()), 0);
      const bool named = error.rfind(file, 0) == 0 || log.str().find(file) != std::string::npos;
      // Half a file may still be whole of its kind: a font whose tables lie
      // in its first half, a table cut at the end of a line (the staged one
      // is). Then it is used; the readers' tests hold a cut within a line.
      if (how == hoptest::Half && error.empty() && log.str().empty()) continue;
      EXPECT_TRUE(named) << "error: " << error << "\nlog: " << log.str();
      EXPECT_EQ(!error.empty(), needed) << error;
    }
  fs::remove_all(dir);
}

}  // namespace
