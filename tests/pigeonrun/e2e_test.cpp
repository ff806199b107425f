// The real program under Xvfb: title, play, score, a still pause, view,
// quit, close, no display, files that cannot be read, the best score kept
// across runs, and a game controller.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "hoptest/e2e.h"
#include "hoptest/pad.h"

using hoptest::GameSession;
using hoptest::Image;
using hoptest::Rect;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

const char* const kTitle = "grafitec obligatorio 1 - Plonky Path";
const Rect kLogo{70, 212, 500, 56};
const Rect kUnits{597, 9, 33, 33};
const Rect kPause{256, 176, 128, 128};
const Rect kRecord{150, 318, 340, 48};
const Rect kGameOver{70, 210, 500, 58};

int yellowTitle(const Image& img) { return img.countNear({255, 214, 64}, 40, kLogo); }
int white(const Image& img, Rect r) { return img.countNear({255, 255, 255}, 20, r); }

int red(const Image& img, Rect r) { return img.countNear({255, 90, 70}, 40, r); }

std::string gameDir() { return fs::path(PIGEONRUN_BIN).parent_path().string(); }

// Time the game's main thread has spent running or ready to run, in ns: a
// loop that never sleeps counts all of it, however loaded the machine.
long long busyNs(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/schedstat");
    long long run = 0, wait = 0;
    in >> run >> wait;
    return run + wait;
}

// Waits for a stretch of `quiet` in which no frame is shown and the game's
// loop sleeps most of the time; false when that never comes before
// patience() runs out.
bool waitForStill(GameSession& game, std::chrono::milliseconds quiet = 1s) {
    const auto end = std::chrono::steady_clock::now() + hoptest::patience();
    while (std::chrono::steady_clock::now() < end && game.running()) {
        const long from = game.frames();
        const long long busy = busyNs(game.pid());
        const auto start = std::chrono::steady_clock::now();
        if (from < 0) return false;
        if (game.waitWithin(0, quiet, [&] { return game.frames() != from; })) continue;
        const double span = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
        if (double(busyNs(game.pid()) - busy) < 0.5 * span) return true;
    }
    return false;
}

// Where the pigeon's head is in the free view from its start: the mean x of
// what is not grass in the band under the first road, where the head and
// neck stand (lower down the near tail swings the other way).
double pigeonX(const Image& img) {
    double sum = 0;
    int n = 0;
    for (int y = 150; y < 220; ++y)
        for (int x = 0; x < img.width(); ++x) {
            const hoptest::Color c = img.pixel(x, y);
            if (c.g > c.r + 15 && c.g > c.b + 15) continue;
            sum += x, ++n;
        }
    return n ? sum / n : -1;
}

// The side (-1 left, 1 right) the pigeon's head first goes on screen, well
// past `ahead`, as it turns from facing ahead (at quarter speed, so that a
// screenshot sees the turn in small steps).
int headGoes(GameSession& game, double ahead) {
    double x = ahead;
    hoptest::waitUntil([&] { return std::abs((x = pigeonX(game.screenshot())) - ahead) > 10; }, 30s);
    return x < ahead - 10 ? -1 : x > ahead + 10 ? 1 : 0;
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(PigeonrunE2E, TitlePlayScorePauseViewAndQuit) {
    GameSession game({PIGEONRUN_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_EQ(w.width, 640);
    EXPECT_EQ(w.height, 480);
    ASSERT_TRUE(hoptest::waitUntil([&] { return yellowTitle(game.screenshot()) > 1500; }, 30s)) << "no title";

    // Enter starts play: the title goes, the score 0 shows.
    ASSERT_TRUE(game.key("Return"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return yellowTitle(game.screenshot()) < 50; }, 30s));
    ASSERT_TRUE(hoptest::waitUntil([&] { return white(game.screenshot(), kUnits) > 60; }, 30s));
    const int zero = white(game.screenshot(), kUnits);

    // Up: the line, and the score reads 1 (a thinner glyph than the 0).
    ASSERT_TRUE(game.key("Up"));
    EXPECT_TRUE(game.waitForOutput("FLECHITA ARRIBA\n", 30s));
    EXPECT_TRUE(hoptest::waitUntil(
        [&] {
            const int n = white(game.screenshot(), kUnits);
            return n > 20 && n < zero * 3 / 4;
        },
        30s))
        << "score 1";

    // p: the pause icon, drawn and then left alone; p again plays on at once.
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return white(game.screenshot(), kPause) > 1500; }, 30s)) << "pause icon";
    EXPECT_TRUE(waitForStill(game)) << "the pause is drawn over and over";
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return white(game.screenshot(), kPause) < 1500; }, 30s));

    // v: the free view, with sky above the horizon.
    ASSERT_TRUE(game.key("v"));
    EXPECT_TRUE(game.waitForOutput("CAMBIO MODO DE VISTA", 30s));

    ASSERT_TRUE(game.key("q"));
    EXPECT_TRUE(game.waitForOutput("SALIR\n", 30s));
    EXPECT_EQ(game.waitExit(30s), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(PigeonrunE2E, TerminationWhilePlayingEndsCleanly) {
    // SDL turns SIGTERM into the same quit event as the window's close.
    GameSession game({PIGEONRUN_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(hoptest::waitUntil([&] { return yellowTitle(game.screenshot()) > 1500; }, 30s));
    ASSERT_TRUE(game.key("Return"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return yellowTitle(game.screenshot()) < 50; }, 30s));
    game.terminate();
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stdoutText(), "") << "no SALIR without q";
}

TEST(PigeonrunE2E, ClosingTheWindowEndsWithStatusZero) {
    GameSession game({PIGEONRUN_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(game.closeWindow());
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stdoutText(), "");
    EXPECT_EQ(game.stderrText(), "");
}

TEST(PigeonrunE2E, WithoutADisplayItSaysSoAndEndsWithStatusOne) {
    GameSession game({PIGEONRUN_BIN, {}, {}, {"DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY"}});
    EXPECT_EQ(game.waitExit(), 1);
    // The game's one line ends the output; a display library probed on the
    // way (libwayland without XDG_RUNTIME_DIR) may have spoken before it.
    const std::string err = game.stderrText();
    const std::size_t from = err.rfind('\n', err.size() >= 2 ? err.size() - 2 : 0);
    const std::string last = err.substr(from == std::string::npos ? 0 : from + 1);
    const std::string start = "No hay pantalla disponible (controlador de video \"";
    const std::string end = "\"): inicie el juego desde una sesión gráfica\n";
    EXPECT_EQ(last.substr(0, start.size()), start) << err;
    ASSERT_GT(last.size(), start.size() + end.size()) << err;
    EXPECT_EQ(last.substr(last.size() - end.size()), end) << err;
    EXPECT_EQ(err.find("No hay pantalla"), err.rfind("No hay pantalla")) << "said once";
    EXPECT_EQ(game.stdoutText(), "");
}

TEST(PigeonrunE2E, AMissingModelOrAFolderForAnImageEndsTheProgramNamingIt) {
    const fs::path stage = fs::path(gameDir()).parent_path();
    const fs::path copy = fs::temp_directory_path() / ("pigeonrun_e2e_" + std::to_string(getpid()));
    for (const char* file : {"paloma.obj", "Logo.png"}) {
        fs::remove_all(copy);
        fs::create_directories(copy / "juego");
        fs::copy(stage / "Objetos", copy / "Objetos");
        fs::remove(copy / "Objetos" / file);
        if (std::string(file) == "Logo.png") fs::create_directory(copy / "Objetos" / file);
        GameSession game({PIGEONRUN_BIN, {}, (copy / "juego").string()});
        EXPECT_EQ(game.waitExit(), 1) << file;
        EXPECT_EQ(game.stderrText().rfind(std::string("../Objetos/") + file + ": ", 0), 0u) << game.stderrText();
    }
    fs::remove_all(copy);
}

TEST(PigeonrunE2E, TheBestScoreOutlivesTheProgramAWorseRunKeepsItAndABadFileIsSetAside) {
    const fs::path data = fs::temp_directory_path() / ("pigeonrun_best_" + std::to_string(getpid()));
    fs::remove_all(data);
    const fs::path file = data / "pigeonrun" / "records.txt";
    const hoptest::Launch launch(PIGEONRUN_BIN, {}, {}, {"HOPGAMES_DATA_DIR=" + data.string()});
    // A run from the title: `hops` forward hops, then q. Returns stderr.
    auto run = [&](int hops, bool bestShown) {
        GameSession game(launch);
        EXPECT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
        EXPECT_TRUE(hoptest::waitUntil([&] { return yellowTitle(game.screenshot()) > 1500; }, 30s));
        EXPECT_EQ(white(game.screenshot(), kRecord) > 500, bestShown) << "the best on the title";
        EXPECT_TRUE(game.key("Return"));
        EXPECT_TRUE(hoptest::waitUntil([&] { return white(game.screenshot(), kUnits) > 60; }, 30s)) << "playing";
        for (int i = 0; i < hops; ++i) {
            EXPECT_TRUE(game.key("Up"));
            EXPECT_TRUE(game.waitForOutput("FLECHITA ARRIBA\n", hoptest::patience(), i + 1));
        }
        EXPECT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
        return game.stderrText();
    };
    EXPECT_EQ(run(1, false), "");
    EXPECT_NE(readAll(file).find("\nbest 1\n"), std::string::npos) << readAll(file);
    // The next run shows it; scoring less keeps it.
    EXPECT_EQ(run(0, true), "");
    EXPECT_NE(readAll(file).find("\nbest 1\n"), std::string::npos) << readAll(file);

    // Garbage in the file: one line naming it, the file set aside, play on.
    { std::ofstream(file) << "garbage\n"; }
    const std::string err = run(0, false);
    EXPECT_NE(err.find(file.string()), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    int aside = 0;
    for (const auto& entry : fs::directory_iterator(file.parent_path()))
        if (entry.path().filename().string().rfind("records.txt.bad", 0) == 0) {
            ++aside;
            EXPECT_EQ(readAll(entry.path()), "garbage\n");
        }
    EXPECT_EQ(aside, 1);
    fs::remove_all(data);
}

TEST(PigeonrunE2E, AControllerPlaysFromTheTitleToGameOverAndAgainAndLetsGoWhenPulledOut) {
    GameSession game;
    hoptest::Pad pad(game);
    game.start(pad.launch({PIGEONRUN_BIN}));
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    ASSERT_TRUE(hoptest::waitUntil([&] { return yellowTitle(game.screenshot()) > 1500; }, 30s));
    ASSERT_TRUE(pad.plug());
    EXPECT_TRUE(game.waitForOutput("Mando conectado: "));

    // A starts; Start pauses and plays on.
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_A));
    ASSERT_TRUE(hoptest::waitUntil([&] { return white(game.screenshot(), kUnits) > 60; }, 30s)) << "playing";
    const int zero = white(game.screenshot(), kUnits);
    for (bool paused : {true, false}) {
        ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
        ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));
        EXPECT_TRUE(hoptest::waitUntil([&] { return (white(game.screenshot(), kPause) > 1500) == paused; }, 30s))
            << (paused ? "paused" : "playing on");
        if (paused) {
            EXPECT_TRUE(waitForStill(game)) << "the pause with a controller plugged";
        }
    }

    // A shoulder: the free view; the stick held left turns the pigeon's head
    // to the screen's left, and pulled out mid-turn the game pauses and the
    // turn stops.
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_LEFTSHOULDER));
    EXPECT_TRUE(game.waitForOutput("CAMBIO MODO DE VISTA"));
    ASSERT_TRUE(game.key("r"));
    EXPECT_TRUE(game.waitForOutput("CAMBIO DE VELOCIDAD"));
    const double ahead = pigeonX(game.screenshot());
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768));
    EXPECT_TRUE(game.waitForOutput("ROTAR ANTIHORARIO\n"));
    EXPECT_EQ(headGoes(game, ahead), -1) << "the stick's left turns the head to the screen's left";
    ASSERT_TRUE(pad.unplug());
    EXPECT_TRUE(game.waitForOutput("Mando desconectado: "));
    EXPECT_TRUE(hoptest::waitUntil([&] { return white(game.screenshot(), kPause) > 1500; }, 30s)) << "paused";
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return white(game.screenshot(), kPause) < 1500; }, 30s));
    const Rect pigeon{200, 170, 240, 190};  // below the road ahead
    const Image before = game.screenshot().crop(pigeon);
    ASSERT_TRUE(game.waitFrames(60));
    const Image after = game.screenshot().crop(pigeon);
    int moved = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) {
            const hoptest::Color p = before.pixel(x, y), q = after.pixel(x, y);
            moved += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 30;
        }
    EXPECT_LT(moved, 200) << "the pigeon still turns";
    EXPECT_EQ(game.stdoutText().find("SALTA"), std::string::npos) << "letting go hopped";
    ASSERT_TRUE(game.key("r"));
    EXPECT_TRUE(game.waitForOutput("CAMBIO DE VELOCIDAD", hoptest::patience(), 2));

    // Plugged in again mid-game: a shoulder back to the fixed view, the
    // d-pad hops forward and scores, left and right (the stick) hop aside.
    ASSERT_TRUE(pad.plug());
    EXPECT_TRUE(game.waitForOutput("Mando conectado: ", hoptest::patience(), 2));
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER));
    EXPECT_TRUE(game.waitForOutput("CAMBIO MODO DE VISTA", hoptest::patience(), 2));
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_DPAD_UP));
    EXPECT_TRUE(game.waitForOutput("FLECHITA ARRIBA\n"));
    EXPECT_TRUE(hoptest::waitUntil(
        [&] {
            const int n = white(game.screenshot(), kUnits);
            return n > 20 && n < zero * 3 / 4;
        },
        30s))
        << "score 1";
    ASSERT_TRUE(game.waitFrames(30));  // landed
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_DPAD_LEFT));
    EXPECT_TRUE(game.waitForOutput("FLECHITA IZQUIERDA\n"));
    ASSERT_TRUE(game.waitFrames(30));
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 32767));
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0));
    EXPECT_TRUE(game.waitForOutput("FLECHITA DERECHA\n"));

    // Hopping on blindly ends the game; A plays again.
    bool over = false;
    for (int i = 0; i < 400 && !over; ++i) {
        ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_DPAD_UP));
        over = red(game.screenshot(), kGameOver) > 1000;
    }
    ASSERT_TRUE(over) << "a blind pigeon outlived 400 hops";
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_A));
    EXPECT_TRUE(hoptest::waitUntil([&] { return red(game.screenshot(), kGameOver) < 100; }, 30s));
    EXPECT_TRUE(hoptest::waitUntil([&] { return white(game.screenshot(), kUnits) > 60; }, 30s)) << "score 0";

    // Started again, the pigeon faces ahead: in the free view the stick held
    // right turns its head to the screen's right.
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_LEFTSHOULDER));
    EXPECT_TRUE(game.waitForOutput("CAMBIO MODO DE VISTA", hoptest::patience(), 3));
    ASSERT_TRUE(game.key("r"));
    EXPECT_TRUE(game.waitForOutput("CAMBIO DE VELOCIDAD", hoptest::patience(), 3));
    const double again = pigeonX(game.screenshot());
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 32767));
    EXPECT_TRUE(game.waitForOutput("ROTAR HORARIO\n"));
    EXPECT_EQ(headGoes(game, again), 1) << "the stick's right turns the head to the screen's right";

    ASSERT_TRUE(game.closeWindow());
    EXPECT_EQ(game.waitExit(), 0);
}
