// The real program under Xvfb: start screen, play, walking, pause, night,
// quit, SIGTERM, window close, no display, a missing model and a folder
// where a picture should be.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "hoptest/e2e.h"

using hoptest::Color;
using hoptest::GameSession;
using hoptest::Image;
using hoptest::Rect;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

const char* const kTitle = "Plonky Duck 3D";
const Rect kPrompt{320, 330, 360, 24};    // "PRESIONE P PARA ..." on the blackboard
const Rect kHudBox{28, 28, 12, 8};        // the HUD's dark backing, clear of its text
const Rect kScore{40, 42, 200, 22};       // "Score: n"
const Rect kSkyTop{0, 0, 1000, 20};

int countWhite(const Image& img, Rect r) { return img.countNear({255, 255, 255}, 50, r); }
bool hudShown(const Image& img) {
    int dark = 0;
    for (int y = kHudBox.y; y < kHudBox.y + kHudBox.h; ++y)
        for (int x = kHudBox.x; x < kHudBox.x + kHudBox.w; ++x) {
            const Color c = img.pixel(x, y);
            dark += c.r + c.g + c.b < 300;
        }
    return dark == kHudBox.w * kHudBox.h;
}
int countNightSky(const Image& img) {
    int n = 0;
    for (int y = kSkyTop.y; y < kSkyTop.y + kSkyTop.h; ++y)
        for (int x = 0; x < img.width(); ++x) {
            const Color c = img.pixel(x, y);
            n += c.r < 50 && c.g < 60 && c.b < 90;
        }
    return n;
}

}  // namespace

TEST(DuckrunE2E, StartPlayWalkPauseNightAndQuit) {
    GameSession game({DUCKRUN_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_EQ(w.width, 1000);
    EXPECT_EQ(w.height, 480);

    // "PRESIONE P PARA EMPEZAR A JUGAR!"
    ASSERT_TRUE(hoptest::waitUntil([&] { return countWhite(game.screenshot(), kPrompt) > 150; }, 30s))
        << "no prompt on the start screen";
    const Image start = game.screenshot().crop(kPrompt);
    EXPECT_FALSE(hudShown(game.screenshot()));

    // P: play, with the HUD.
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return hudShown(game.screenshot()); }, 20s)) << "no HUD";
    std::this_thread::sleep_for(300ms);
    const Image before = game.screenshot();

    // Up held: the duck walks and the score on the HUD changes. Short holds,
    // each followed by a wait for the HUD, so that a slow machine does not
    // walk the duck on into the first block (17 units ahead).
    bool scored = false;
    for (int attempt = 0; attempt < 3 && !scored; ++attempt) {
        ASSERT_TRUE(game.hold("Up", 120ms));
        scored = hoptest::waitUntil([&] { return game.screenshot().countDiff(before, kScore, 60) > 15; }, 15s, 100ms);
    }
    EXPECT_TRUE(scored) << "the score did not change";

    // P: the pause screen offers to go back to the game.
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hoptest::waitUntil(
        [&] {
            const Image now = game.screenshot();
            return countWhite(now, kPrompt) > 150 && now.crop(kPrompt).countDiff(start, {}, 80) > 100;
        },
        20s))
        << "no \"PRESIONE P PARA VOLVER AL JUEGO!\"";
    EXPECT_FALSE(hudShown(game.screenshot()));

    // Back to play; N: night falls on the sky.
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return hudShown(game.screenshot()); }, 20s));
    EXPECT_LT(countNightSky(game.screenshot()), 2000);
    ASSERT_TRUE(game.key("n"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return countNightSky(game.screenshot()) > 15000; }, 20s)) << "no night sky";

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(20s), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(DuckrunE2E, SigtermAndClosingTheWindowEachEndWithStatusZero) {
    for (const bool close : {false, true}) {
        GameSession game({DUCKRUN_BIN});
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(hoptest::waitUntil([&] { return countWhite(game.screenshot(), kPrompt) > 150; }, 30s));
        if (close) ASSERT_TRUE(game.closeWindow());
        else game.terminate();
        EXPECT_EQ(game.waitExit(), 0) << (close ? "window closed" : "SIGTERM");
    }
}

TEST(DuckrunE2E, WithoutADisplayItSaysSoAndEndsWithStatusOne) {
    GameSession game(hoptest::Launch(DUCKRUN_BIN, {}, {}, {"DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY"}));
    EXPECT_EQ(game.waitExit(), 1);
    // The line ends what the program says (the display libraries SDL
    // tries may complain before it).
    const std::string line =
        "No hay pantalla disponible (controlador de video \"offscreen\"): inicie el juego desde una sesión gráfica\n";
    const std::string err = game.stderrText();
    EXPECT_TRUE(err.size() >= line.size() && err.compare(err.size() - line.size(), line.size(), line) == 0) << err;
}

TEST(DuckrunE2E, AMissingModelOrAFolderForAnImageEndsWithStatusOneNamingIt) {
    // A copy of the game's folder without its model, then with a folder
    // where the grass picture should be.
    const fs::path stage = fs::path(DUCKRUN_BIN).parent_path();
    const fs::path copy = fs::temp_directory_path() / ("duckrun_e2e_" + std::to_string(getpid()));
    fs::remove_all(copy);
    fs::copy(stage, copy, fs::copy_options::recursive);
    fs::remove(copy / "assets" / "models" / "Duck.obj");
    {
        GameSession game({(copy / "duckrun").string(), {}, copy.string()});
        EXPECT_EQ(game.waitExit(60s), 1);
        EXPECT_NE(game.stderrText().find("./assets/models/Duck.obj"), std::string::npos) << game.stderrText();
    }
    fs::remove_all(copy);
    fs::copy(stage, copy, fs::copy_options::recursive);
    fs::remove(copy / "assets" / "textures" / "grass.png");
    fs::create_directory(copy / "assets" / "textures" / "grass.png");
    {
        GameSession game({(copy / "duckrun").string(), {}, copy.string()});
        EXPECT_EQ(game.waitExit(60s), 1);
        EXPECT_NE(game.stderrText().find("No se pudo abrir la imagen ./assets/textures/grass.png: es una carpeta"),
                  std::string::npos)
            << game.stderrText();
    }
    fs::remove_all(copy);
}
