// The real program under Xvfb: window, hops, help, pause, death, new run, quit.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "hoptest/e2e.h"
#include "hoptest/pad.h"

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

// Playing runs at about 60 frames a second, not as many as the machine can
// draw; the pause picture and the help, where the world stands, stop drawing
// once shown, yet a key on them acts at once.
TEST(BoardhopE2E, PlayIsPacedAndStillScreensStopDrawing) {
    GameSession game({BOARDHOP_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    const double rate = game.frameRate();
    EXPECT_GT(rate, 0) << "no frames counted";
    EXPECT_LT(rate, 80);
    const auto staysStill = [&](const char* name) {
        game.waitWithin(0, 1s, [] { return false; });  // the change's frames settle
        const long settled = game.frames();
        EXPECT_FALSE(game.waitWithin(0, 1500ms, [&] { return game.frames() > settled + 2; }))
            << name << " keeps drawing";
    };
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(game.waitForScreen([](const Image& img) { return img.countNear({0, 0, 0}, 10, kLeftMargin) == 0; }));
    staysStill("the pause");
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(game.waitForScreen([](const Image& img) { return img.countNear({0, 0, 0}, 10, kLeftMargin) > 70000; }))
        << "p did not resume";
    ASSERT_TRUE(game.key("h"));
    ASSERT_TRUE(game.waitForScreen([](const Image& img) { return helpLines(img) > 300; })) << "no help";
    staysStill("the help");
    ASSERT_TRUE(game.key("h"));
    ASSERT_TRUE(game.waitForScreen([](const Image& img) { return helpLines(img) < 50; })) << "help stays";
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
}

namespace {

const Rect kHighScoreBox{560, 0, 240, 32};
bool paused(const Image& img) { return img.countNear({0, 0, 0}, 10, kLeftMargin) == 0; }
bool playing(const Image& img) { return img.countNear({0, 0, 0}, 10, kLeftMargin) > 70000; }

}  // namespace

// A controller plays it: the d-pad hops (forward scores; left and right move
// the penguin on screen), Back shows the help and hides it, Start pauses and
// resumes, unplugging with the stick held pauses, and plugged again the game
// plays on; A starts a new run after a death.
TEST(BoardhopE2E, AControllerPlaysPausesAndResumes) {
    GameSession game;
    hoptest::Pad pad(game);
    game.start(pad.launch({BOARDHOP_BIN}));
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(game.waitFrames());
    ASSERT_TRUE(pad.plug());
    EXPECT_TRUE(game.waitForOutput("Mando conectado: "));

    Image before = game.screenshot();
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_DPAD_UP));
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return img.countDiff(before, kScoreBox, 30) > 20; }))
        << "the score line did not change";
    for (auto b : {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_DPAD_LEFT}) {
        ASSERT_TRUE(game.waitFrames(20));
        before = game.screenshot();
        ASSERT_TRUE(pad.hold(b));
        EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return img.countDiff(before, {}, 30) > 500; }))
            << "the penguin did not move";
    }

    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_BACK));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return helpLines(img) > 300; })) << "no help";
    // The help stands still: presses there come with button(), not hold().
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_BACK, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_BACK, false));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return helpLines(img) < 50; })) << "help stays";

    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_START));
    EXPECT_TRUE(game.waitForScreen(paused)) << "Start did not pause";
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));
    EXPECT_TRUE(game.waitForScreen(playing)) << "Start did not resume";

    // Free movement (c), the stick held up, then pulled out: paused; resumed,
    // the penguin stands (nothing stays held): the score stays.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_DPAD_RIGHT));  // column 3: open ahead
    ASSERT_TRUE(game.key("c"));
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -32768));
    ASSERT_TRUE(pad.unplug());
    EXPECT_TRUE(game.waitForOutput("Mando desconectado: "));
    EXPECT_TRUE(game.waitForScreen(paused)) << "unplugging did not pause";
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(game.waitForScreen(playing));
    const Image resumed = game.screenshot();
    EXPECT_FALSE(game.waitForScreenWithin(60, 1s, [&](const Image& img) {
        return img.countDiff(resumed, kScoreBox, 30) > 20;
    })) << "the penguin walks on: the stick stayed held";

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
}

// The high score on screen starts from the saved best: a run that beats it
// is kept for the next start, a worse one leaves it, and a garbage file is
// named, set aside, and the game plays on.
TEST(BoardhopE2E, TheHighScoreOutlivesTheProgram) {
    const std::string data = ::testing::TempDir() + "boardhop_records";
    const std::string file = data + "/boardhop/records.txt";
    ASSERT_EQ(std::system(("rm -rf '" + data + "'").c_str()), 0);
    const hoptest::Launch launch(BOARDHOP_BIN, {}, {}, {"HOPGAMES_DATA_DIR=" + data});
    const auto readFile = [&] {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    // Forward, right, forward into the seal or the water (as PlaysThroughARun).
    const auto dieInARun = [&](GameSession& game) {
        for (const char* k : {"Up", "Up", "Right", "Right", "Right", "Up", "Up", "Up"}) ASSERT_TRUE(game.key(k));
        ASSERT_TRUE(game.waitForScreen([](const Image& img) { return countBlue(img, kMessageBand) > 200; }));
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
    };
    Image fresh;
    {
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(game.waitFrames());
        fresh = game.screenshot();
        dieInARun(game);
    }
    EXPECT_NE(readFile().find("\nbest "), std::string::npos) << readFile();
    {
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(game.waitFrames());
        EXPECT_GT(game.screenshot().countDiff(fresh, kHighScoreBox, 30), 20) << "the saved high score is not shown";
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
    }
    {
        std::ofstream(file) << "hopgames-records 1\nbest 345\nend 1\n";
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        dieInARun(game);
        EXPECT_EQ(readFile(), "hopgames-records 1\nbest 345\nend 1\n") << "a worse run replaced it";
    }
    {
        std::ofstream(file) << "best 12 garbage\n";
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(game.waitFrames());
        EXPECT_NE(game.stderrText().find(file), std::string::npos) << game.stderrText();
        EXPECT_EQ(std::system(("ls '" + file + "'.bad-* > /dev/null").c_str()), 0) << "not set aside";
        dieInARun(game);
    }
}
