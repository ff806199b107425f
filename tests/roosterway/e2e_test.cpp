// The real program under Xvfb: the menu, play, hops, pause, views and quit.
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

const char* const kTitle = "OpenGL";
const Rect kJugar{523, 307, 266, 51};
const Rect kHud{40, 25, 300, 80};
const Rect kChicken{540, 400, 200, 300};
const Rect kBottomLeft{0, 600, 300, 120};
const Rect kTitleLine{540, 30, 300, 40};  // OPCIONES / CONTROLES atop their screens
const Rect kRecord{40, 10, 240, 40};      // RECORD on the menu

int countWhite(const Image& img, Rect r) { return img.countNear({255, 255, 255}, 40, r); }
int countBlack(const Image& img, Rect r) { return img.countNear({0, 0, 0}, 8, r); }

// A hop lasts a third of a second of game time: one that changed nothing is
// over after this many frames (a loaded machine) and this long (a fast one).
constexpr int kHopFrames = 40;
constexpr std::chrono::milliseconds kHopTime = 1s;

bool showsJugar(const Image& img) { return countWhite(img, kJugar) > 1500; }
bool showsField(const Image& img) { return countBlack(img, kBottomLeft) < 1000; }

}  // namespace

TEST(RoosterwayE2E, MenuPlayHopPauseViewsAndQuit) {
    GameSession game({ROOSTERWAY_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_EQ(w.width, 1280);
    EXPECT_EQ(w.height, 720);
    EXPECT_TRUE(game.waitForOutput("Generando mundo..."));

    // The menu shows JUGAR.
    ASSERT_TRUE(game.waitForScreen(showsJugar)) << "no JUGAR";

    // Clicking it starts play: the field replaces the black menu.
    ASSERT_TRUE(game.click(600, 330));
    EXPECT_TRUE(game.waitForOutput("{600, 330},"));
    ASSERT_TRUE(game.waitForScreen(showsField)) << "no field";
    ASSERT_TRUE(game.waitFrames());

    // The menu, the views and a first hop come while the chicken stands on
    // the start row, where no car drives: however slow the frames, nothing
    // runs it over before the checks are done.

    // p: back to the menu; p again: play on.
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(game.waitForScreen(showsJugar)) << "no menu";
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(game.waitForScreen(showsField)) << "no field";

    // v: view 1 looks along the field from the right, past its left edge.
    ASSERT_TRUE(game.key("v"));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return countBlack(img, kBottomLeft) > 15000; })) << "view 1";
    // View 2 orbits the chicken at the mouse heading, which any stray pointer
    // motion turns: check only that the picture leaves view 1's.
    const Image view1 = game.lastScreenshot();
    ASSERT_TRUE(game.key("v"));
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return img.countDiff(view1, {}, 40) > 50000; })) << "view 2";
    // v: view 0 again, where arrows hop.
    ASSERT_TRUE(game.key("v"));
    ASSERT_TRUE(game.waitFrames());

    // An arrow turns or moves the chicken: press crouches, release hops.
    const Image before = game.screenshot();
    ASSERT_TRUE(game.hold("Left", 200ms));
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return img.countDiff(before, kChicken, 40) > 2000; }))
        << "the chicken did not change";
    // Up until the score moves (a tree may block a square; try a few), then
    // quit at once.
    const Image hud0 = game.screenshot();
    bool scored = false;
    for (const char* k : {"Up", "Right", "Up", "Right", "Up", "Left", "Left", "Left", "Up"}) {
        ASSERT_TRUE(game.hold(k, 80ms));
        if (game.waitForScreenWithin(kHopFrames, kHopTime,
                                     [&](const Image& img) { return img.countDiff(hud0, kHud, 60) > 30; })) {
            scored = true;
            break;
        }
    }
    EXPECT_TRUE(scored) << "the HUD never changed";

    ASSERT_TRUE(game.key("Escape"));
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

// The menu stands still: once drawn it shows no more frames (waits here
// follow a visible effect, not frames), yet a click acts at once.
TEST(RoosterwayE2E, StillMenuOptionsScreenByMouseAndSalir) {
    GameSession game({ROOSTERWAY_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(game.waitForOutput("Generando mundo..."));
    ASSERT_TRUE(game.waitForScreen(showsJugar)) << "no JUGAR";
    game.waitWithin(0, 1s, [] { return false; });  // the first picture's frames settle
    const long settled = game.frames();
    EXPECT_FALSE(game.waitWithin(0, 1500ms, [&] { return game.frames() > settled + 2; }))
        << "the still menu keeps drawing";
    ASSERT_TRUE(game.click(600, 400));  // OPCIONES
    EXPECT_TRUE(game.waitForOutput("{600, 400},"));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return countWhite(img, kTitleLine) > 300; }))
        << "no OPCIONES title";
    ASSERT_TRUE(game.click(20, 20));  // nowhere: still printed
    EXPECT_TRUE(game.waitForOutput("{20, 20},"));
    ASSERT_TRUE(game.click(600, 640));  // VOLVER
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return countWhite(img, kTitleLine) == 0; }))
        << "OPCIONES stays";
    EXPECT_TRUE(game.waitForScreen(showsJugar)) << "no JUGAR";
    ASSERT_TRUE(game.click(600, 550));  // SALIR
    EXPECT_EQ(game.waitExit(), 0);
}

TEST(RoosterwayE2E, WindowCloseQuitsCleanly) {
    GameSession game({ROOSTERWAY_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(game.waitForScreen(showsJugar));
    ASSERT_TRUE(game.closeWindow());
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(RoosterwayE2E, TerminationQuitsCleanly) {
    GameSession game({ROOSTERWAY_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(game.waitForScreen(showsJugar));
    game.terminate();
    EXPECT_EQ(game.waitExit(), 0);
}

TEST(RoosterwayE2E, WithoutADisplayItSaysSoAndEndsWithStatusOne) {
    GameSession game(hoptest::Launch(ROOSTERWAY_BIN, {}, {}, {"DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY"}));
    EXPECT_EQ(game.waitExit(), 1);
    // SDL's probing may print its own lines first (libwayland's about
    // XDG_RUNTIME_DIR); the game's is one line, the last.
    const std::string line =
        "No hay pantalla disponible (controlador de video \"offscreen\"): inicie el juego desde una sesión gráfica\n";
    const std::string err = game.stderrText();
    ASSERT_GE(err.size(), line.size()) << err;
    EXPECT_EQ(err.substr(err.size() - line.size()), line) << err;
    EXPECT_EQ(err.find("No hay pantalla"), err.size() - line.size()) << err;
    EXPECT_EQ(game.stdoutText(), "") << "nothing loaded";
}

// A texture path that is a folder ends the game with status 1 and a message
// that names it (it said only what the C++ library said, without a path).
TEST(RoosterwayE2E, AFolderForATextureIsNamedWithStatusOne) {
    const std::string dir = ::testing::TempDir() + "roosterway_folder";
    const std::string copy = "rm -rf '" + dir + "' && mkdir -p '" + dir + "' && cp -r \"$(dirname '" ROOSTERWAY_BIN
                             "')/.\" '" + dir + "/' && rm '" + dir + "/environment/boulder1.png' && mkdir '" + dir +
                             "/environment/boulder1.png'";
    ASSERT_EQ(std::system(copy.c_str()), 0);
    GameSession game(hoptest::Launch(dir + "/roosterway", {}, dir));
    EXPECT_EQ(game.waitExit(), 1);
    EXPECT_NE(game.stderrText().find("environment/boulder1.png"), std::string::npos) << game.stderrText();
}

TEST(RoosterwayE2E, AMissingModelEndsWithItsMessageAndStatusOne) {
    // Started outside its folder, the game finds none of its files.
    GameSession game({ROOSTERWAY_BIN, {}, "/"});
    EXPECT_EQ(game.waitExit(), 1);
    EXPECT_NE(game.stdoutText().find("chicken.obj\n"), std::string::npos) << game.stdoutText();
    EXPECT_NE(game.stderrText().find("El modelo no existe."), std::string::npos) << game.stderrText();
}

namespace {

// The font is read at start-up: deleted, empty, cut in half or garbage, the
// game names the file and ends with status 1 (it said only "FT_New_Face
// failed" before).
TEST(RoosterwayE2E, ABrokenFontIsNamedWithStatusOne) {
    const std::string dir = ::testing::TempDir() + "roosterway_badfont";
    const std::string f = "'" + dir + "/fonts/font_retro.ttf'";
    const std::string breakings[] = {
        "rm -f " + f,
        ": > " + f,
        "head -c $(( $(stat -c %s " + f + ") / 2 )) " + f + " > " + f + ".cut && mv " + f + ".cut " + f,
        "head -c $(stat -c %s " + f + ") /dev/urandom > " + f + ".rnd && mv " + f + ".rnd " + f,
    };
    for (const std::string& how : breakings) {
        const std::string copy = "rm -rf '" + dir + "' && mkdir -p '" + dir + "' && cp -r \"$(dirname '" ROOSTERWAY_BIN
                                 "')/.\" '" + dir + "/'";
        ASSERT_EQ(std::system(copy.c_str()), 0);
        ASSERT_EQ(std::system(how.c_str()), 0) << how;
        GameSession game(hoptest::Launch(dir + "/roosterway", {}, dir));
        const auto status = game.waitExit(60s);
        ASSERT_TRUE(status.has_value()) << how;
        EXPECT_EQ(*status, 1) << how;
        EXPECT_NE(game.stderrText().find("fuente fonts/font_retro.ttf"), std::string::npos)
            << how << ": " << game.stderrText();
    }
}

}  // namespace

// A controller plays it: A starts, the d-pad hops left and right, Start pauses to the menu and resumes,
// unplugging with the stick held pauses and lets the direction go, plugged
// again the d-pad hops forward (the HUD counts it), and the d-pad and A walk
// the menu to SALIR.
TEST(RoosterwayE2E, AControllerPlaysPausesAndQuits) {
    GameSession game;
    hoptest::Pad pad(game);
    game.start(pad.launch({ROOSTERWAY_BIN}));
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(game.waitForScreen(showsJugar)) << "no JUGAR";
    ASSERT_TRUE(pad.plug());
    EXPECT_TRUE(game.waitForOutput("Mando conectado: "));
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_A));
    ASSERT_TRUE(game.waitForScreen(showsField)) << "A did not start play";
    ASSERT_TRUE(game.waitFrames(kHopFrames));

    // Side hops: the d-pad held and let go. Where they go on screen is
    // checked with the arrow keys in RoosterwayGL.ArrowsAndMouseGoTheWayTheScreenShows
    // and the pad reaches the game as those keys; here the shift of the
    // field could not be measured reliably under load (the rows look alike
    // along their length and passing cars dominate), so the hops are made
    // and play goes on.
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_DPAD_LEFT));
    ASSERT_TRUE(game.waitFrames(kHopFrames));
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_DPAD_RIGHT));
    ASSERT_TRUE(game.waitFrames(kHopFrames));

    // Start: the menu; Start again: play on.
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_START));
    ASSERT_TRUE(game.waitForScreen(showsJugar)) << "Start did not pause";
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));
    ASSERT_TRUE(game.waitForScreen(showsField)) << "Start did not resume";
    ASSERT_TRUE(game.waitFrames(kHopFrames));

    // On the start row, where no car drives: the stick held left crouches
    // the chicken; pulled out, the game pauses and the direction is let go.
    // Resumed by the keyboard, the chicken is crouched no more: it stands
    // (SDL centres the stick just before it reports the removal; the game
    // pauses before that release can hop).
    const Image standing = game.screenshot();
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768));
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return img.countDiff(standing, kChicken, 40) > 1000; }))
        << "no crouch";
    const Image crouched = game.lastScreenshot();
    ASSERT_TRUE(pad.unplug());
    EXPECT_TRUE(game.waitForOutput("Mando desconectado: "));
    ASSERT_TRUE(game.waitForScreen(showsJugar)) << "unplugging did not pause";
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) {
        return showsField(img) && img.countDiff(crouched, kChicken, 40) > 1000;
    })) << "still crouched: the stick was not let go";
    ASSERT_TRUE(game.waitFrames(kHopFrames));
    ASSERT_TRUE(pad.plug());

    // Forward until the HUD changes (a tree may block a square).
    const Image hud0 = game.screenshot();
    bool scored = false;
    for (auto b : {SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_DPAD_UP,
                   SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_UP}) {
        ASSERT_TRUE(pad.hold(b));
        if (game.waitForScreenWithin(kHopFrames, kHopTime,
                                     [&](const Image& img) { return img.countDiff(hud0, kHud, 60) > 30; })) {
            scored = true;
            break;
        }
    }
    EXPECT_TRUE(scored) << "the HUD never changed";

    // Start, then up twice (the cursor shows on JUGAR, then wraps to
    // SALIR), A.
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_START));
    ASSERT_TRUE(game.waitForScreen(showsJugar));
    for (auto b : {SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_UP}) {
        ASSERT_TRUE(pad.button(b, true));
        ASSERT_TRUE(pad.button(b, false));
    }
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_A, true));  // the game ends before A comes up
    EXPECT_EQ(game.waitExit(), 0);
}

// The best score is the furthest row of a run: saved when the run ends
// (here by Escape), shown as RECORD on the menu of the next start; a worse
// run leaves it; a garbage file is named, set aside, and the game plays on.
TEST(RoosterwayE2E, TheBestScoreOutlivesTheProgram) {
    const std::string data = ::testing::TempDir() + "roosterway_records";
    const std::string file = data + "/roosterway/records.txt";
    ASSERT_EQ(std::system(("rm -rf '" + data + "'").c_str()), 0);
    const hoptest::Launch launch(ROOSTERWAY_BIN, {}, {}, {"HOPGAMES_DATA_DIR=" + data});
    const auto readFile = [&] {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const auto showsRecord = [](const Image& img) { return countWhite(img, kRecord) > 100; };
    const auto playUntilScored = [&](GameSession& game) {
        ASSERT_TRUE(game.click(600, 330));  // JUGAR
        ASSERT_TRUE(game.waitForScreen(showsField));
        ASSERT_TRUE(game.waitFrames());
        const Image hud0 = game.screenshot();
        bool scored = false;
        for (const char* k : {"Up", "Right", "Up", "Left", "Left", "Up"}) {
            ASSERT_TRUE(game.hold(k, 80ms));
            if (game.waitForScreenWithin(kHopFrames, kHopTime,
                                         [&](const Image& img) { return img.countDiff(hud0, kHud, 60) > 30; })) {
                scored = true;
                break;
            }
        }
        ASSERT_TRUE(scored) << "the HUD never changed";
        ASSERT_TRUE(game.key("Escape"));
        EXPECT_EQ(game.waitExit(), 0);
    };
    {
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(game.waitForScreen(showsJugar));
        EXPECT_FALSE(showsRecord(game.lastScreenshot())) << "a record before any run";
        playUntilScored(game);
    }
    const std::string first = readFile();
    EXPECT_NE(first.find("\nbest "), std::string::npos) << first;
    {
        // Shown at the next start; a better one written in the file meanwhile
        // (as another copy of the game would) is not replaced by a worse run.
        std::ofstream(file) << "hopgames-records 1\nbest 45\nend 1\n";
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return showsJugar(img) && showsRecord(img); }))
            << "no RECORD";
        playUntilScored(game);
        EXPECT_EQ(readFile(), "hopgames-records 1\nbest 45\nend 1\n");
    }
    {
        std::ofstream(file) << "\x01garbage\n";
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(game.waitForScreen(showsJugar));
        EXPECT_NE(game.stderrText().find(file), std::string::npos) << game.stderrText();
        EXPECT_EQ(std::system(("ls '" + file + "'.bad-* > /dev/null").c_str()), 0) << "not set aside";
        EXPECT_FALSE(showsRecord(game.lastScreenshot()));
        playUntilScored(game);
    }
}
