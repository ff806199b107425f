// The real program under Xvfb: title, start, hops, pause, restart, quit.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "hoptest/e2e.h"
#include "hoptest/pad.h"

using hoptest::Color;
using hoptest::GameSession;
using hoptest::Image;
using hoptest::Rect;
using namespace std::chrono_literals;

namespace {

const char* const kTitle = "marsdash";

// A HUD text drawn with its baseline y pixels above the bottom.
Rect textBand(int x, int y, int w) { return {x, 480 - y - 17, w, 20}; }

int white(const Image& img, Rect r) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const Color c = img.pixel(x, y);
            n += c.r > 200 && c.g > 200 && c.b > 200;
        }
    return n;
}

// A hop lasts 0.3 s of game time: one that changed nothing is over after
// this many frames (a loaded machine) and this long (a fast one).
constexpr int kHopFrames = 40;
constexpr std::chrono::milliseconds kHopTime = 1s;

// The title is a still screen, drawn only when something changes: wait for
// its first line rather than for frames.
bool titleShown(GameSession& game) {
    return game.waitForScreen([](const Image& img) { return white(img, textBand(50, 300, 420)) > 400; });
}

}  // namespace

TEST(MarsdashE2E, TitleStartHopsPauseAndQuit) {
    GameSession game({MARSDASH_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_EQ(w.width, 640);
    EXPECT_EQ(w.height, 480);

    // The title texts, over a still world.
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return white(img, textBand(50, 300, 420)) > 400; }))
        << "CRUZA MARTE PARA VOLVER A CASA";
    const Image title = game.screenshot();
    EXPECT_GT(white(title, textBand(120, 250, 160)), 150) << "I PARA INICIAR";
    EXPECT_GT(white(title, textBand(120, 100, 150)), 150) << "Q PARA SALIR";

    // 1: a 10-row map, still on the title; the progress line says so.
    const Image before = game.screenshot();
    ASSERT_TRUE(game.key("1"));
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return img.countDiff(before, textBand(20, 440, 110), 60) > 20; }))
        << "1 DE 100 became 1 DE 10";
    EXPECT_GT(white(game.screenshot(), textBand(50, 300, 420)), 400) << "the title stays";

    // I: play; the title goes. On a slow machine the meteor may already have
    // come, whose message takes the title's first lines: look at its
    // "R PARA REINICIAR" line, which no other screen has there.
    ASSERT_TRUE(game.key("i"));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return white(img, textBand(120, 150, 200)) < 40; }))
        << "the title stays";

    // Arrows hop: the progress line changes once a hop forward lands. A
    // crystal or a ship may be in the way: side-step and try again, and
    // start over after a crash.
    const Rect progress = textBand(20, 440, 110);
    const Image start = game.screenshot();
    bool moved = false;
    const char* const tries[] = {"Up", "Left", "Up", "Right", "Right", "Up", "Left", "Up", "Right", "Up"};
    for (int round = 0; round < 3 && !moved; ++round) {
        for (const char* k : tries) {
            ASSERT_TRUE(game.hold(k, 60ms));
            if (game.waitForScreenWithin(kHopFrames, kHopTime,
                                         [&](const Image& img) { return img.countDiff(start, progress, 60) > 20; })) {
                moved = true;
                break;
            }
        }
        if (!moved) {
            ASSERT_TRUE(game.key("r"));
            ASSERT_TRUE(game.waitFrames());
        }
    }
    EXPECT_TRUE(moved) << "no hop forward reached row 2";

    // P: the pause texts. P is refused once the astronaut has been hit, so
    // start over first; the restart has no sure sign on screen, the frames
    // after the key show it was read. A slow machine may let the meteor come
    // before P is read: then start over again.
    const auto paused = [](const Image& img) { return white(img, textBand(200, 420, 200)) > 250; };
    bool pausedNow = false;
    for (int round = 0; round < 3 && !pausedNow; ++round) {
        ASSERT_TRUE(game.key("r"));
        ASSERT_TRUE(game.waitFrames());
        ASSERT_TRUE(game.key("p"));
        pausedNow = game.waitForScreenWithin(kHopFrames, kHopTime, paused);
    }
    EXPECT_TRUE(pausedNow) << "JUEGO PAUSADO";
    EXPECT_GT(white(game.lastScreenshot(), textBand(100, 20, 250)), 200) << "1 2 3 4 LARGO MAPA";
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return white(img, textBand(200, 420, 200)) < 20; }))
        << "still paused";

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(MarsdashE2E, WindowCloseEndsCleanly) {
    GameSession game({MARSDASH_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(titleShown(game));
    ASSERT_TRUE(game.closeWindow());
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(MarsdashE2E, TerminationEndsCleanly) {
    GameSession game({MARSDASH_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(titleShown(game));
    game.terminate();
    EXPECT_EQ(game.waitExit(), 0);
}

TEST(MarsdashE2E, WithoutItsFilesItStillRuns) {
    // Started outside its folder: no font ("ROMPIO"), no models; it plays on.
    GameSession game({MARSDASH_BIN, {}, "/"});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    EXPECT_TRUE(game.waitForOutput("ROMPIO"));
    ASSERT_TRUE(game.key("i"));
    ASSERT_TRUE(game.hold("Up", 60ms));
    EXPECT_TRUE(game.waitFrames(10)) << "it stopped drawing";
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
}

// The pacing checks: frames counted by the harness. The title and the pause
// are still: drawn when something changes (a loaded machine only draws
// fewer frames), and a key on them acts at once. Play is paced at about 60
// frames a second.
TEST(MarsdashE2E, StillScreensWaitPlayIsPaced) {
    GameSession game({MARSDASH_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    ASSERT_TRUE(titleShown(game));
    EXPECT_FALSE(game.waitFrames(3, 3s)) << "the title is drawn again and again";
    ASSERT_TRUE(game.key("i"));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return white(img, textBand(120, 150, 200)) < 40; }))
        << "the title stays";
    const double rate = game.frameRate();
    EXPECT_GT(rate, 0) << "no frames counted";
    EXPECT_LT(rate, 80);
    // P is refused once the meteor came: start over until the pause shows.
    const auto paused = [](const Image& img) { return white(img, textBand(200, 420, 200)) > 250; };
    bool pausedNow = false;
    for (int round = 0; round < 3 && !pausedNow; ++round) {
        ASSERT_TRUE(game.key("r"));
        ASSERT_TRUE(game.waitFrames());
        ASSERT_TRUE(game.key("p"));
        pausedNow = game.waitForScreenWithin(kHopFrames, kHopTime, paused);
    }
    ASSERT_TRUE(pausedNow) << "JUEGO PAUSADO";
    EXPECT_FALSE(game.waitFrames(3, 3s)) << "the pause is drawn again and again";
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return !paused(img); })) << "still paused";
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
}


// Without any display SDL would fall back to a driver that shows nothing:
// the game says so in one line and stops. (A runtime folder as a desktop
// session has one: without it the Wayland library complains on its own.)
TEST(MarsdashE2E, NoDisplayIsSaidInOneLine) {
    GameSession game(hoptest::Launch(MARSDASH_BIN, {}, {},
                                     {"DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR=" + ::testing::TempDir()}));
    const auto status = game.waitExit();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    EXPECT_EQ(game.stderrText(),
              "No hay pantalla disponible (controlador de video \"offscreen\"): inicie el juego desde una sesión "
              "gráfica\n");
}

// Xvfb has no window manager: full screen is never granted. The game sees
// it, stays in its 640 x 480 window and draws the title as before (it drew
// for the desktop's size, zoomed and cut, and stayed so after F11 again).
TEST(MarsdashE2E, FullScreenRefusedStaysWindowed) {
    GameSession game({MARSDASH_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    ASSERT_TRUE(titleShown(game)) << "CRUZA MARTE PARA VOLVER A CASA";
    // The title screen is still: its texts and the world under them.
    const Image before = game.screenshot();
    const Rect all{0, 0, 640, 480};
    const auto same = [&](const Image& img) { return img.countDiff(before, all, 40) < 640 * 480 / 100; };
    ASSERT_TRUE(same(game.screenshot())) << "the title screen moves";
    for (int press = 1; press <= 2; ++press) {
        ASSERT_TRUE(game.key("F11"));
        EXPECT_TRUE(game.waitForOutput("Pantalla completa no disponible: el juego sigue en una ventana",
                                       hoptest::patience(), press));
        EXPECT_TRUE(game.waitForScreen(same)) << "F11 " << press << ": zoomed or cut";
    }
    const auto info = game.tool({"xwininfo", "-id", std::to_string(w.id)});
    EXPECT_NE(info.out.find("Width: 640"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Height: 480"), std::string::npos) << info.out;
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

// A folder or a named pipe in a file's place: named, and the game plays on
// without it (a pipe used to block it before the window showed).
TEST(MarsdashE2E, FolderOrPipeInAFilesPlaceIsNamed) {
    const std::string dir = ::testing::TempDir() + "marsdash_notafile";
    for (const char* make : {"mkdir", "mkfifo"})
        for (const char* file : {"modelos/ship1.obj", "modelos/font.ttf"}) {
            const std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "' && cp -r \"$(dirname '" MARSDASH_BIN
                                    "')/.\" '" + dir + "/' && rm '" + dir + "/" + file + "' && " + make + " '" + dir +
                                    "/" + file + "'";
            ASSERT_EQ(std::system(cmd.c_str()), 0);
            GameSession game(hoptest::Launch(dir + "/marsdash", {}, dir));
            ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << make << " " << file << ": " << game.stderrText();
            const std::string why = std::string(make) == "mkdir" ? ": is a folder" : ": is not a regular file";
            EXPECT_TRUE(game.waitForOutput(file + why)) << make << " " << file << ": " << game.stderrText();
            ASSERT_TRUE(game.key("q"));
            EXPECT_EQ(game.waitExit(), 0) << make << " " << file;
        }
}

namespace {

// Hops forward with `hop` until the progress line changes (a crystal or a
// ship may be in the way: side-step and try again).
bool hopForward(GameSession& game, const std::function<bool(const char*)>& hop) {
    const Rect progress = textBand(20, 440, 110);
    const Image start = game.screenshot();
    for (const char* k : {"Up", "Left", "Up", "Right", "Right", "Up", "Left", "Up", "Right", "Up"}) {
        if (!hop(k)) return false;
        if (game.waitForScreenWithin(kHopFrames, kHopTime,
                                     [&](const Image& img) { return img.countDiff(start, progress, 60) > 20; }))
            return true;
    }
    return false;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

// A virtual controller plays: A starts, the d-pad and the stick hop (each
// direction a hop when let go), Start pauses and resumes, B starts over,
// and the controller pulled out mid-hold pauses the run with nothing held.
TEST(MarsdashE2E, AControllerPlays) {
    GameSession game;
    hoptest::Pad pad(game);
    game.start(pad.launch({MARSDASH_BIN}));
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    ASSERT_TRUE(titleShown(game));
    ASSERT_TRUE(pad.plug());
    EXPECT_TRUE(game.waitForOutput("Mando conectado: "));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_A, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_A, false));
    EXPECT_TRUE(game.waitForScreen([](const Image& img) { return white(img, textBand(120, 150, 200)) < 40; }))
        << "the title stays";
    const auto dpad = [](const char* k) {
        const std::string s = k;
        return s == "Up" ? SDL_CONTROLLER_BUTTON_DPAD_UP : s == "Left" ? SDL_CONTROLLER_BUTTON_DPAD_LEFT
                                                                       : SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
    };
    bool moved = false;
    for (int round = 0; round < 3 && !moved; ++round) {
        moved = hopForward(game, [&](const char* k) { return pad.hold(dpad(k)); });
        if (!moved) {
            ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_B));  // starts over
            ASSERT_TRUE(game.waitFrames());
        }
    }
    EXPECT_TRUE(moved) << "no hop forward on the d-pad";

    const auto paused = [](const Image& img) { return white(img, textBand(200, 420, 200)) > 250; };
    bool pausedNow = false;
    for (int round = 0; round < 3 && !pausedNow; ++round) {
        ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_B));
        ASSERT_TRUE(game.waitFrames());
        ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
        pausedNow = game.waitForScreenWithin(kHopFrames, kHopTime, paused);
        ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));
    }
    ASSERT_TRUE(pausedNow) << "Start: JUEGO PAUSADO";
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return !paused(img); })) << "Start again: still paused";
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));

    // The stick leant left and held: pulled out, the run pauses.
    bool unplugPaused = false;
    for (int round = 0; round < 3 && !unplugPaused; ++round) {
        ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_B));
        ASSERT_TRUE(game.waitFrames());
        ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768));
        ASSERT_TRUE(game.waitFrames(3));
        ASSERT_TRUE(pad.unplug());
        unplugPaused = game.waitForScreenWithin(kHopFrames, kHopTime, paused);
        // SDL centres the stick just before it reports the removal: the run
        // pauses before that release, which does not hop; nothing stays held.
        if (!unplugPaused) {
            ASSERT_TRUE(pad.plug());  // the meteor came first: again
        }
    }
    EXPECT_TRUE(unplugPaused) << "unplugged mid-hold: no pause";
    EXPECT_TRUE(game.waitForOutput("Mando desconectado: "));
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
}

// The best row is kept across runs and shown under the title; a worse run
// leaves it; a garbage file is set aside with one line and play goes on.
TEST(MarsdashE2E, BestRowSurvivesARestart) {
    const std::string data = ::testing::TempDir() + "marsdash_records";
    ASSERT_EQ(std::system(("rm -rf '" + data + "' && mkdir -p '" + data + "'").c_str()), 0);
    const std::string file = data + "/marsdash/records.txt";
    const hoptest::Launch launch(MARSDASH_BIN, {}, {}, {"HOPGAMES_DATA_DIR=" + data});
    // R PARA REINICIAR where the title has I PARA INICIAR, and nothing where
    // the title has Q PARA SALIR.
    const auto dead = [](const Image& img) {
        return white(img, textBand(120, 250, 200)) > 150 && white(img, textBand(120, 100, 200)) < 20;
    };
    const Rect record = textBand(120, 50, 250);
    std::string kept;
    {
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
        ASSERT_TRUE(titleShown(game));
        EXPECT_LT(white(game.screenshot(), record), 20) << "a record on a first start";
        ASSERT_TRUE(game.key("2"));  // 50 rows
        ASSERT_TRUE(game.key("i"));
        bool moved = false;
        for (int round = 0; round < 3 && !moved; ++round) {
            moved = hopForward(game, [&](const char* k) { return game.hold(k, 60ms); });
            if (!moved) {
                ASSERT_TRUE(game.key("r"));
            }
        }
        ASSERT_TRUE(moved);
        // Standing still, the meteor ends the run. The end's texts and its
        // RECORD line come in one frame, after the best is kept: a screen
        // with the one and not the other (another screen, or a picture
        // caught half-shown) is not the end yet.
        const auto ended = [&](const Image& img) { return dead(img) && white(img, textBand(120, 150, 250)) > 100; };
        EXPECT_TRUE(game.waitForScreen(ended, 60s)) << "no end of the run with its RECORD line";
        kept = slurp(file);  // kept when the run ends, before any quit
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
        EXPECT_EQ(slurp(file), kept);
        EXPECT_NE(kept.find("\nrows-50 "), std::string::npos) << kept;
        EXPECT_EQ(kept.find("\nbest 1\n"), std::string::npos) << "row 2 or more was reached: " << kept;
    }
    {
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
        ASSERT_TRUE(titleShown(game));
        ASSERT_TRUE(game.key("2"));
        EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return white(img, record) > 100; }))
            << "the kept record is not shown";
        ASSERT_TRUE(game.key("i"));
        ASSERT_TRUE(game.waitForScreen(dead, 60s)) << "no end of the run";  // at row 1
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
        EXPECT_EQ(slurp(file), kept) << "a worse run replaced the best";
    }
    {
        std::ofstream(file) << "hopgames-records 1\nbest 12x\n";
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
        EXPECT_TRUE(game.waitForOutput(file));
        ASSERT_TRUE(titleShown(game));
        ASSERT_TRUE(game.key("i"));
        EXPECT_TRUE(game.waitForScreen([](const Image& img) { return white(img, textBand(120, 150, 200)) < 40; }))
            << "no play after a garbage file";
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
        const auto aside = game.tool({"sh", "-c", "ls '" + data + "/marsdash'"});
        EXPECT_NE(aside.out.find("records.txt.bad-"), std::string::npos) << aside.out;
    }
}
