// The real front window under Xvfb, starting the real games of the build's
// stage: chosen with the keys, the mouse and a controller, each game seen by
// its window title and the front window back when it ends; a game made to
// fail; a new size; SIGTERM and closing the window; no display.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "front.h"
#include "hoptest/broken.h"
#include "hoptest/e2e.h"
#include "hoptest/pad.h"

namespace {

namespace fs = std::filesystem;
using hopgames::Box;
using hopgames::Layout;
using hoptest::Color;
using hoptest::GameSession;
using hoptest::Image;
using hoptest::Launch;
using hoptest::Rect;

const char* const kTitle = "Hop Games";
const char* const kBoardhop = "Grafitec 2021 - boardhop";
const char* const kMarsdash = "marsdash";
const Color kHighlight{255, 191, 31}, kAlarm{230, 61, 51}, kCard{250, 250, 245}, kGrass{92, 176, 61};
const Layout kLayout(1280, 720, 10);

Rect rect(const Box& b) { return {int(b.x), int(b.y), int(b.w), int(b.h)}; }

// The tile with the highlight down its left edge; -1 for none.
int chosen(const Image& img) {
  for (int i = 0; i < 10; ++i) {
    const Box& t = kLayout.tiles[std::size_t(i)];
    if (img.countNear(kHighlight, 30, {int(t.x) - 3, int(t.y) + 20, 3, int(t.h) - 40}) > int(t.h)) return i;
  }
  return -1;
}

bool showsMessage(const Image& img) {
  const Box& m = kLayout.message;
  return img.countNear(kAlarm, 20, {int(m.x) - 4, int(m.y) - 4, int(m.w) + 8, 4}) > int(m.w);
}

// True while a window of exactly this title is mapped.
bool visible(GameSession& s, const std::string& title) {
  return s.tool({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"}).status == 0;
}

fs::path scratch(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("hopgames_e2e_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// Runs the game now chosen to its window, quits it with `quit`, and waits
// for the front window to come back.
void playAndQuit(GameSession& s, const std::string& game, const std::string& title, const std::string& quit,
                 int times) {
  ASSERT_NE(s.waitForWindow(title).id, 0u) << s.stderrText();
  EXPECT_FALSE(visible(s, kTitle)) << "the front window hides while " << game << " runs";
  ASSERT_TRUE(s.key(quit));
  ASSERT_TRUE(s.waitForOutput("hopgames: " + game + " ended\n", hoptest::patience(), times)) << s.stdoutText();
  ASSERT_NE(s.waitForWindow(kTitle).id, 0u);
}

TEST(HopgamesE2E, StartsTheChosenGameFromKeysClicksAndAControllerAndComesBackEachTime) {
  const fs::path data = scratch("data");
  fs::create_directories(data / "marsdash");
  const std::string records = "hopgames-records 1\nbest 4321\nend 1\n";
  std::ofstream(data / "marsdash/records.txt") << records;
  GameSession s;
  hoptest::Pad pad(s);
  s.start(pad.launch(Launch{HOPGAMES_BIN, {}, "", {"HOPGAMES_DATA_DIR=" + data.string()}}));
  const auto w = s.waitForWindow(kTitle);
  ASSERT_NE(w.id, 0u) << s.stderrText();
  EXPECT_EQ(w.width, 1280);
  EXPECT_EQ(w.height, 720);

  // Ten tiles, each with its name in ink on its card, no two alike; the
  // first chosen; marsdash's best score on its picture.
  ASSERT_TRUE(s.waitForScreen([](const Image& img) { return chosen(img) == 0; })) << "the first tile is chosen";
  const Image first = s.lastScreenshot();
  for (int i = 0; i < 10; ++i) {
    const Rect name = rect(kLayout.name(i));
    EXPECT_GT(name.w * name.h - first.countNear(kCard, 40, name), 60) << "tile " << i << " has no name";
    for (int j = 0; j < i; ++j)
      EXPECT_GT(first.crop(name).countDiff(first.crop(rect(kLayout.name(j))), {}, 60), 100) << i << " and " << j;
  }
  const Box mars = kLayout.picture(2);
  EXPECT_GT(first.countNear({255, 214, 89}, 20, {int(mars.right()) - 90, int(mars.y), 90, 30}), 200) << "BEST 4321";

  // The keys: two to the right, Enter starts marsdash; q ends it and the front window is back.
  ASSERT_TRUE(s.key("Right"));
  ASSERT_TRUE(s.key("Right"));
  ASSERT_TRUE(s.waitForScreen([](const Image& img) { return chosen(img) == 2; }));
  ASSERT_TRUE(s.key("Return"));
  playAndQuit(s, "marsdash", kMarsdash, "q", 1);
  ASSERT_TRUE(s.waitForScreen([](const Image& img) { return chosen(img) == 2; })) << "the choice stays";

  // The mouse: a click on the first tile starts boardhop; moving over a tile chooses it.
  const Box& t0 = kLayout.tiles[0];
  ASSERT_TRUE(s.click(int(t0.x + t0.w / 2), int(t0.y + t0.h / 2)));
  playAndQuit(s, "boardhop", kBoardhop, "q", 1);
  const Box& t4 = kLayout.tiles[4];
  ASSERT_TRUE(s.mouseMove(int(t4.x + t4.w / 2), int(t4.y + t4.h / 2)));
  ASSERT_TRUE(s.mouseMove(int(t4.x + t4.w / 2) + 5, int(t4.y + t4.h / 2)));
  ASSERT_TRUE(s.waitForScreen([](const Image& img) { return chosen(img) == 4; }));

  // A controller: the d-pad moves left twice to marsdash, A starts it.
  ASSERT_TRUE(pad.plug());
  for (int to : {3, 2}) {
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true));
    ASSERT_TRUE(s.waitForScreen([to](const Image& img) { return chosen(img) == to; })) << to;
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false));
  }
  ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_A, true));
  ASSERT_NE(s.waitForWindow(kMarsdash).id, 0u);
  ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_A, false));
  playAndQuit(s, "marsdash", kMarsdash, "q", 2);

  ASSERT_TRUE(s.key("Escape"));
  EXPECT_EQ(s.waitExit(), 0);
  std::ifstream in(data / "marsdash/records.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), records) << "read, never written";
  fs::remove_all(data);
}

TEST(HopgamesE2E, AGameThatFailsLeavesItsErrorLinesInTheFrontWindow) {
  // A scratch copy of boardhop's folder, its penguin model missing.
  const fs::path source = fs::path(HOP_STAGE_DIR) / "boardhop", games = scratch("games");
  std::vector<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(source))
    if (e.is_regular_file()) names.push_back(fs::relative(e.path(), source).string());
  std::vector<const char*> files;
  for (const std::string& n : names) files.push_back(n.c_str());
  std::mt19937 random(1);
  hoptest::stageBroken(source, games / "boardhop", files, "Modelos3D/penguin/penguin.obj", hoptest::Deleted, random);

  GameSession s({HOPGAMES_BIN, {"--games", games.string()}});
  ASSERT_NE(s.waitForWindow(kTitle).id, 0u) << s.stderrText();
  ASSERT_TRUE(s.key("Return"));
  ASSERT_TRUE(s.waitForOutput("hopgames: boardhop ended with status 1")) << s.stderrText();
  EXPECT_NE(s.stderrText().find("penguin.obj"), std::string::npos) << "the game's own lines reach the console";
  ASSERT_NE(s.waitForWindow(kTitle).id, 0u);
  ASSERT_TRUE(s.waitForScreen(showsMessage)) << "no message in the window";
  // Its lines in the message's text colour, below the title.
  const Box& m = kLayout.message;
  EXPECT_GT(s.lastScreenshot().countNear({255, 224, 212}, 40, {int(m.x), int(m.y) + 60, int(m.w), 60}), 100);
  // A key puts it away; then Escape quits.
  ASSERT_TRUE(s.key("space"));
  ASSERT_TRUE(s.waitForScreen([](const Image& img) { return !showsMessage(img); }));
  ASSERT_TRUE(s.key("Escape"));
  EXPECT_EQ(s.waitExit(), 0);
  fs::remove_all(games);
}

TEST(HopgamesE2E, ResizedItDrawsTheWholeNewSizeAndClosingTheWindowEndsWithZero) {
  GameSession s({HOPGAMES_BIN});
  const auto w = s.waitForWindow(kTitle);
  ASSERT_NE(w.id, 0u) << s.stderrText();
  ASSERT_EQ(s.tool({"xdotool", "windowsize", std::to_string(w.id), "1000", "700"}).status, 0);
  // The ground reaches the new bottom corners and the first tile lies where
  // the layout of the new size puts it.
  const Layout small(1000, 700, 10);
  const Box& t0 = small.tiles[0];
  ASSERT_TRUE(s.waitForScreen([&](const Image& img) {
    return img.width() == 1000 && img.height() == 700 && img.countNear(kGrass, 40, {0, 680, 20, 20}) > 300 &&
           img.countNear(kGrass, 40, {980, 680, 20, 20}) > 300 &&
           img.countNear(kCard, 20, {int(t0.x) + 10, int(t0.bottom()) - 12, int(t0.w) - 20, 6}) > int(t0.w);
  })) << "not drawn at 1000 x 700";
  ASSERT_TRUE(s.closeWindow());
  EXPECT_EQ(s.waitExit(), 0);
  EXPECT_EQ(s.stderrText(), "");
}

TEST(HopgamesE2E, SigtermWhileAGameRunsEndsTheGameAndThenTheFrontWindowWithZero) {
  GameSession s({HOPGAMES_BIN});
  ASSERT_NE(s.waitForWindow(kTitle).id, 0u) << s.stderrText();
  for (const char* k : {"Right", "Right", "Return"}) ASSERT_TRUE(s.key(k));
  ASSERT_NE(s.waitForWindow(kMarsdash).id, 0u);
  s.terminate();
  EXPECT_EQ(s.waitExit(), 0);
  EXPECT_NE(s.stdoutText().find("hopgames: marsdash ended\n"), std::string::npos) << "marsdash was asked to end";
  EXPECT_FALSE(visible(s, kMarsdash));
}

TEST(HopgamesE2E, WithoutADisplayItSaysSoInOneLineAndEndsWithOne) {
  // A session's runtime folder, as a text console has one: without it the
  // Wayland library has its own line to say.
  const fs::path runtime = scratch("runtime");
  fs::permissions(runtime, fs::perms::owner_all);
  GameSession s({HOPGAMES_BIN, {}, "", {"DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY",
                                        "XDG_RUNTIME_DIR=" + runtime.string()}});
  EXPECT_EQ(s.waitExit(), 1);
  fs::remove_all(runtime);
  const std::string err = s.stderrText();
  EXPECT_TRUE(err == "No hay pantalla disponible (controlador de video \"offscreen\"): inicie el juego desde una "
                     "sesión gráfica\n" ||
              err == "No hay pantalla disponible (controlador de video \"dummy\"): inicie el juego desde una "
                     "sesión gráfica\n")
      << err;
}

}  // namespace
