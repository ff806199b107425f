// The real program under Xvfb: window, hops, help, pause, death, new run, quit.
#include <gtest/gtest.h>

#include <chrono>

#include "hoptest/e2e.h"

using hoptest::Color;
using hoptest::GameSession;
using hoptest::Image;
using hoptest::Rect;
using namespace std::chrono_literals;

namespace {

const char* const kTitle = "Grafitec 2021 - boardhop";
const Rect kScoreBox{0, 0, 160, 32};
const Rect kLeftMargin{0, 100, 200, 400};
const Rect kMessageBand{100, 150, 600, 200};

int countBlue(const Image& img, Rect r) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const Color c = img.pixel(x, y);
            n += c.b > 150 && c.r < 80 && c.g < 80;
        }
    return n;
}

int helpLines(const Image& img) { return img.countNear({255, 255, 255}, 70, {0, 280, 240, 220}); }

}  // namespace

TEST(BoardhopE2E, PlaysThroughARun) {
    GameSession game({BOARDHOP_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_EQ(w.width, 800);
    EXPECT_EQ(w.height, 600);
    ASSERT_TRUE(game.waitFrames());

    // A hop forward changes the score on screen.
    const Image start = game.screenshot();
    ASSERT_TRUE(game.hold("Up", 80ms));
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return img.countDiff(start, kScoreBox, 30) > 20; }))
        << "the score line did not change";

    // h: help lines in white on the left; h again: back to play.
    ASSERT_TRUE(game.key("h"));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return helpLines(img) > 300; })) << "no help";
    ASSERT_TRUE(game.key("h"));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return helpLines(img) < 50; })) << "help stays";

    // p: the pause picture covers the window, margins included.
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return img.countNear({0, 0, 0}, 10, kLeftMargin) == 0; }));
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return img.countNear({0, 0, 0}, 10, kLeftMargin) > 70000; }));

    // From (0, 1): up to row 2, right to column 3, then up through the
    // seal's row into the water of row 5. Either ends the run. The game
    // takes the keys in order, however many frames that needs.
    for (const char* k : {"Up", "Right", "Right", "Right", "Up", "Up", "Up"}) ASSERT_TRUE(game.key(k));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return countBlue(img, kMessageBand) > 200; }))
        << "no game-over message";
    EXPECT_GT(countBlue(game.screenshot(), {300, 560, 200, 40}), 30) << "Press space";

    // Space: a new run, the message goes.
    ASSERT_TRUE(game.key("space"));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return countBlue(img, kMessageBand) == 0; }));

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(BoardhopE2E, WindowCloseQuitsCleanly) {
    GameSession game({BOARDHOP_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(game.waitFrames());
    ASSERT_TRUE(game.closeWindow());
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(BoardhopE2E, TerminationQuitsCleanly) {
    GameSession game({BOARDHOP_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(game.waitFrames());
    game.terminate();
    EXPECT_EQ(game.waitExit(), 0);
}

TEST(BoardhopE2E, AMissingModelEndsWithItsMessage) {
    // Started outside its folder, the game finds none of its files.
    GameSession game({BOARDHOP_BIN, {}, "/"});
    EXPECT_EQ(game.waitExit(), 1);
    EXPECT_NE(game.stderrText().find("ERROR::OBJLOADER::Could not open file."), std::string::npos)
        << game.stderrText();
}

TEST(BoardhopE2E, WithoutADisplayItSaysSoAndEndsWithStatusOne) {
    GameSession game(hoptest::Launch(BOARDHOP_BIN, {}, {}, {"DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY"}));
    EXPECT_EQ(game.waitExit(), 1);
    // SDL's probing may print its own lines first (libwayland's about
    // XDG_RUNTIME_DIR); the game's is one line, the last.
    const std::string line =
        "No hay pantalla disponible (controlador de video \"offscreen\"): inicie el juego desde una sesión gráfica\n";
    const std::string err = game.stderrText();
    ASSERT_GE(err.size(), line.size()) << err;
    EXPECT_EQ(err.substr(err.size() - line.size()), line) << err;
    EXPECT_EQ(err.find("No hay pantalla"), err.size() - line.size()) << err;
}

// A model path that is a folder ends the game with status 1 and its path
// (it ended with an uncaught exception before); a texture path that is a
// named pipe is refused without opening it, and the game plays on.
TEST(BoardhopE2E, AFolderOrAPipeInPlaceOfAFileIsNamed) {
    const std::string dir = ::testing::TempDir() + "boardhop_notfiles";
    const std::string copy = "rm -rf '" + dir + "' && mkdir -p '" + dir + "' && cp -r \"$(dirname '" BOARDHOP_BIN
                             "')/.\" '" + dir + "/'";
    ASSERT_EQ(std::system((copy + " && rm '" + dir + "/Modelos3D/seal/Seal.obj' && mkdir '" + dir +
                           "/Modelos3D/seal/Seal.obj'").c_str()), 0);
    {
        GameSession game(hoptest::Launch(dir + "/boardhop", {}, dir));
        EXPECT_EQ(game.waitExit(), 1);
        EXPECT_NE(game.stderrText().find("Modelos3D/seal/Seal.obj"), std::string::npos) << game.stderrText();
    }
    ASSERT_EQ(std::system((copy + " && rm '" + dir + "/Modelos3D/seal/seal128.png' && mkfifo '" + dir +
                           "/Modelos3D/seal/seal128.png'").c_str()), 0);
    GameSession game(hoptest::Launch(dir + "/boardhop", {}, dir));
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    EXPECT_TRUE(game.waitForOutput("Modelos3D/seal/seal128.png"));
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
}

// The pacing checks: frames counted by the harness.

TEST(BoardhopE2E, EveryScreenIsPaced) {
    GameSession game({BOARDHOP_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    // Playing, paused, help: about 60 frames a second, not as many as the
    // machine can draw.
    for (const std::string keys : {"", "p", "ph"}) {
        for (char k : keys) ASSERT_TRUE(game.key(std::string(1, k)));
        const double rate = game.frameRate();
        EXPECT_GT(rate, 0) << "no frames counted";
        EXPECT_LT(rate, 80) << "after '" << keys << "'";
    }
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
}

