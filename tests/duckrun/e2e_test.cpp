// The real program under Xvfb: start screen, play, walking, pause, night,
// quit, window close, and a missing model.
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

TEST(DuckrunE2E, WindowCloseQuitsCleanly) {
    GameSession game({DUCKRUN_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(hoptest::waitUntil([&] { return countWhite(game.screenshot(), kPrompt) > 150; }, 30s));
    game.terminate();
    EXPECT_EQ(game.waitExit(20s), 0);
}

TEST(DuckrunE2E, AMissingModelEndsWithStatusOneNamingIt) {
    // A copy of the game's folder without its model.
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
}
