// The real program under Xvfb: window, hops, help, pause, death, new run, quit.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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

void settle() { std::this_thread::sleep_for(250ms); }

}  // namespace

TEST(BoardhopE2E, PlaysThroughARun) {
    GameSession game({BOARDHOP_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_EQ(w.width, 800);
    EXPECT_EQ(w.height, 600);
    settle();

    // A hop forward changes the score on screen.
    const Image start = game.screenshot();
    ASSERT_TRUE(game.hold("Up", 80ms));
    EXPECT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countDiff(start, kScoreBox, 30) > 20; }, 5s))
        << "the score line did not change";

    // h: help lines in white on the left; h again: back to play.
    ASSERT_TRUE(game.key("h"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countNear({255, 255, 255}, 70, {0, 280, 240, 220}) > 300; }, 5s));
    ASSERT_TRUE(game.key("h"));
    settle();

    // p: the pause picture covers the window, margins included.
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countNear({0, 0, 0}, 10, kLeftMargin) == 0; }, 5s));
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countNear({0, 0, 0}, 10, kLeftMargin) > 70000; }, 5s));

    // From (0, 1): up to row 2, right to column 3, then up through the
    // seal's row into the water of row 5. Either ends the run.
    for (const char* k : {"Up", "Right", "Right", "Right", "Up", "Up", "Up"}) {
        ASSERT_TRUE(game.hold(k, 60ms));
        std::this_thread::sleep_for(120ms);
    }
    EXPECT_TRUE(hoptest::waitUntil([&] { return countBlue(game.screenshot(), kMessageBand) > 200; }, 5s))
        << "no game-over message";
    EXPECT_GT(countBlue(game.screenshot(), {300, 560, 200, 40}), 30) << "Press space";

    // Space: a new run, the message goes.
    ASSERT_TRUE(game.key("space"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return countBlue(game.screenshot(), kMessageBand) == 0; }, 5s));

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(10s), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(BoardhopE2E, WindowCloseAndTerminationQuitCleanly) {
    GameSession game({BOARDHOP_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    settle();
    game.terminate();
    EXPECT_EQ(game.waitExit(10s), 0);
}

TEST(BoardhopE2E, AMissingModelEndsWithItsMessage) {
    // Started outside its folder, the game finds none of its files.
    GameSession game({BOARDHOP_BIN, {}, "/"});
    EXPECT_EQ(game.waitExit(20s), 1);
    EXPECT_NE(game.stderrText().find("ERROR::OBJLOADER::Could not open file."), std::string::npos)
        << game.stderrText();
}

#ifdef HOP_FRAME_COUNTER
// The pacing checks: frames counted by a preloaded wrapper of the swap.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// Frames shown so far, as the preloaded counter last wrote them; -1 before
// its first write.
long framesShown(const std::string& path) {
    std::ifstream in(path);
    long n = -1;
    in >> n;
    return in ? n : -1;
}

// The game with the frame counter preloaded.
hoptest::Launch countingFrames(const std::string& program, const std::string& counter) {
    std::remove(counter.c_str());
    std::string asan = "verify_asan_link_order=0";  // the counter loads ahead of the sanitizer
    if (const char* given = std::getenv("ASAN_OPTIONS")) asan = std::string(given) + ":" + asan;
    return hoptest::Launch(program, {}, {},
                           {std::string("LD_PRELOAD=") + HOP_FRAME_COUNTER, "HOP_FRAME_COUNT_FILE=" + counter,
                            "ASAN_OPTIONS=" + asan});
}

// Frames a second over the next 240 frames the game shows. A loaded machine
// shows them slowly, which only lowers the rate; 90 s is the outer limit.
double frameRate(const std::string& counter) {
    if (!hoptest::waitUntil([&] { return framesShown(counter) >= 0; }, 90s)) return -1;
    const long f0 = framesShown(counter);
    const auto t0 = std::chrono::steady_clock::now();
    hoptest::waitUntil([&] { return framesShown(counter) >= f0 + 240; }, 90s);
    const long f1 = framesShown(counter);
    const std::chrono::duration<double> span = std::chrono::steady_clock::now() - t0;
    return double(f1 - f0) / span.count();
}

}  // namespace

TEST(BoardhopE2E, EveryScreenIsPaced) {
    const std::string counter = ::testing::TempDir() + "boardhop_frames";
    GameSession game(countingFrames(BOARDHOP_BIN, counter));
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    // Playing, paused, help: about 60 frames a second, not as many as the
    // machine can draw.
    for (const std::string keys : {"", "p", "ph"}) {
        for (char k : keys) ASSERT_TRUE(game.key(std::string(1, k)));
        const double rate = frameRate(counter);
        EXPECT_GT(rate, 0) << "no frames counted";
        EXPECT_LT(rate, 80) << "after '" << keys << "'";
    }
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(10s), 0);
}
#endif
