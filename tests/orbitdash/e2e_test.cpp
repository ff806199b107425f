// The real program under Xvfb: title, start, menu, a fall on the HUD, quit,
// closing the window, SIGTERM; started with no display, and beside broken
// or missing files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include "hoptest/e2e.h"

using hoptest::Color;
using hoptest::GameSession;
using hoptest::Image;
using hoptest::Rect;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

const char* const kTitle = "Taller-3D";

int white(const Image& img, Rect r) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h && y < img.height(); ++y)
        for (int x = r.x; x < r.x + r.w && x < img.width(); ++x) {
            const Color c = img.pixel(x, y);
            n += c.r > 200 && c.g > 200 && c.b > 200;
        }
    return n;
}

// Screen bands of the 640 x 480 overlay (origin bottom-left) in image rows.
const Rect kPressR{200, 480 - 330 - 15, 240, 15};      // "Press R to start" on the title
const Rect kHudLabels{0, 480 - 455 - 15, 640, 15};     // PUNTOS VIDAS TIEMPO NIVEL
const Rect kLives{160, 480 - 440 - 15, 40, 15};        // the value under VIDAS
const Rect kMenuTitle{110, 480 - 360 - 30, 420, 30};   // MENU PRINCIPAL

bool bright(const Image& img, Rect r, int atLeast) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h && y < img.height(); ++y)
        for (int x = r.x; x < r.x + r.w && x < img.width(); ++x) {
            const Color c = img.pixel(x, y);
            n += c.g > 180 && c.b > 200;  // white or the labels' light blue
        }
    return n >= atLeast;
}

bool until(GameSession& s, const std::function<bool(const Image&)>& pred) {
    return hoptest::waitUntil([&] { return pred(s.screenshot()); }, 60s, 100ms);
}

// A still screen stops drawing: the frame count stays put between two
// looks half a second apart (a game drawing at 60 Hz never lets it).
bool stopsDrawing(GameSession& s) {
    long last = -2;
    return s.frames() >= 0 && hoptest::waitUntil(
                                  [&] {
                                      const long now = s.frames();
                                      const bool same = now == last;
                                      last = now;
                                      return same;
                                  },
                                  hoptest::patience(), 500ms);
}

// The stage folder copied, to break one file of the copy.
struct StageCopy {
    fs::path dir;
    StageCopy() {
        dir = fs::temp_directory_path() / ("orbitdash_e2e_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::copy(fs::path(ORBITDASH_BIN).parent_path(), dir, fs::copy_options::recursive);
    }
    ~StageCopy() { fs::remove_all(dir); }
};

}  // namespace

TEST(OrbitdashE2E, TitleStartMenuFallAndQuit) {
    GameSession game({ORBITDASH_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_EQ(w.width, 640);
    EXPECT_EQ(w.height, 480);
    EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kPressR) > 150; })) << "Press R to start";
    EXPECT_TRUE(stopsDrawing(game)) << "the title";

    // R (on release), on the still title, starts level 1: the HUD bar, the title text gone.
    ASSERT_TRUE(game.key("r"));
    EXPECT_TRUE(until(game, [](const Image& i) { return bright(i, kHudLabels, 150) && white(i, kPressR) < 60; }));

    // P opens the menu, P closes it.
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kMenuTitle) > 300; })) << "MENU PRINCIPAL";
    EXPECT_TRUE(stopsDrawing(game)) << "the menu over play";
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kMenuTitle) < 100; }));

    // Three jumps to the left leave the start platform: the fall costs a
    // life, and the value under VIDAS changes from 3 to 2.
    const Image before = game.screenshot();
    // Each jump lasts 25 world steps, and a frame runs at most 4: 40 frames
    // shown end it, however slowly they come.
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(game.key("a"));
        ASSERT_TRUE(game.waitFrames(40));
    }
    EXPECT_TRUE(until(game, [&](const Image& i) { return i.countDiff(before, kLives, 80) > 15; })) << "VIDAS 2";

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(60s), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(OrbitdashE2E, ClosingTheWindowEndsCleanly) {
    GameSession game({ORBITDASH_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(game.closeWindow());
    EXPECT_EQ(game.waitExit(), 0);
}

TEST(OrbitdashE2E, AMissingLevelFileStillStarts) {
    StageCopy stage;
    fs::remove(stage.dir / "niveles" / "nivel1.txt");
    GameSession game({ORBITDASH_BIN, {}, stage.dir.string()});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    EXPECT_TRUE(game.waitForOutput("./niveles/nivel1.txt", 60s));
    ASSERT_TRUE(game.key("r"));
    EXPECT_TRUE(until(game, [](const Image& i) { return bright(i, kHudLabels, 150); }));
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(60s), 0);
}

TEST(OrbitdashE2E, AMissingModelIsNamedAndEndsWithStatus1) {
    StageCopy stage;
    fs::remove(stage.dir / "Obj" / "nave.obj");
    GameSession game({ORBITDASH_BIN, {}, stage.dir.string()});
    EXPECT_EQ(game.waitExit(), 1);
    EXPECT_NE(game.stdoutText().find(
                  "Impossible to open the file ! Are you in the right path ? See Tutorial 1 for details"),
              std::string::npos)
        << "the loader's own words";
    EXPECT_NE(game.stderrText().find("./Obj/nave.obj: not found"), std::string::npos) << game.stderrText();
}

TEST(OrbitdashE2E, AFolderOrAPipeInAFilesPlaceIsNamedAndEndsWithStatus1) {
    // A folder where the title picture should be once ended the game with
    // SIGABRT; a named pipe nobody writes to would block it in open().
    {
        StageCopy stage;
        fs::remove(stage.dir / "assets" / "title.png");
        fs::create_directory(stage.dir / "assets" / "title.png");
        GameSession game({ORBITDASH_BIN, {}, stage.dir.string()});
        EXPECT_EQ(game.waitExit(), 1);
        EXPECT_NE(game.stderrText().find("./assets/title.png: is a folder, not a file"), std::string::npos)
            << game.stderrText();
    }
    {
        StageCopy stage;
        const fs::path model = stage.dir / "Obj" / "Astronaut.obj";
        fs::remove(model);
        ASSERT_EQ(::mkfifo(model.c_str(), 0600), 0);
        GameSession game({ORBITDASH_BIN, {}, stage.dir.string()});
        EXPECT_EQ(game.waitExit(), 1);
        EXPECT_NE(game.stderrText().find("./Obj/Astronaut.obj: is not a regular file"), std::string::npos)
            << game.stderrText();
    }
}

TEST(OrbitdashE2E, WithNoDisplayItSaysSoAndEndsWithStatus1) {
    GameSession game({ORBITDASH_BIN, {}, {}, {"DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY"}});
    EXPECT_EQ(game.waitExit(), 1);
    const std::string line =
        "No hay pantalla disponible (controlador de video \"offscreen\"): inicie el juego desde una sesi\u00f3n "
        "gr\u00e1fica\n";
    const std::string err = game.stderrText();
    const std::size_t at = err.find(line);
    EXPECT_NE(at, std::string::npos) << err;
    EXPECT_EQ(err.find(line, at + 1), std::string::npos) << "once";
    EXPECT_EQ(game.stdoutText(), "");
}

TEST(OrbitdashE2E, SigtermEndsCleanly) {
    GameSession game({ORBITDASH_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    ASSERT_TRUE(game.key("r"));
    EXPECT_TRUE(until(game, [](const Image& i) { return bright(i, kHudLabels, 150); }));
    game.terminate();
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(OrbitdashE2E, ABrokenFontAtlasEndsWithStatus1) {
    StageCopy stage;
    {
        // Cut in half.
        const fs::path atlas = stage.dir / "assets" / "miarf.png";
        fs::resize_file(atlas, fs::file_size(atlas) / 2);
    }
    GameSession game({ORBITDASH_BIN, {}, stage.dir.string()});
    EXPECT_EQ(game.waitExit(60s), 1);
    EXPECT_NE(game.stderrText().find("./assets/miarf.png"), std::string::npos) << game.stderrText();
}
