// The real program under Xvfb: title, play, score, pause, view, quit, close,
// no display, and files that cannot be read.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "hoptest/e2e.h"

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

int yellowTitle(const Image& img) { return img.countNear({255, 214, 64}, 40, kLogo); }
int white(const Image& img, Rect r) { return img.countNear({255, 255, 255}, 20, r); }

std::string gameDir() { return fs::path(PIGEONRUN_BIN).parent_path().string(); }

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

    // p: the pause icon; p again: play on.
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return white(game.screenshot(), kPause) > 1500; }, 30s)) << "pause icon";
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
