// The real program under Xvfb: title, start, hops, pause, restart, quit.
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

void settle() { std::this_thread::sleep_for(300ms); }

}  // namespace

TEST(MarsdashE2E, TitleStartHopsPauseAndQuit) {
    GameSession game({MARSDASH_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_EQ(w.width, 640);
    EXPECT_EQ(w.height, 480);
    settle();

    // The title texts, over a still world.
    EXPECT_TRUE(hoptest::waitUntil([&] { return white(game.screenshot(), textBand(50, 300, 420)) > 400; }, 5s))
        << "CRUZA MARTE PARA VOLVER A CASA";
    const Image title = game.screenshot();
    EXPECT_GT(white(title, textBand(120, 250, 160)), 150) << "I PARA INICIAR";
    EXPECT_GT(white(title, textBand(120, 100, 150)), 150) << "Q PARA SALIR";

    // 1: a 10-row map, still on the title; the progress line says so.
    const Image before = game.screenshot();
    ASSERT_TRUE(game.key("1"));
    EXPECT_TRUE(hoptest::waitUntil(
        [&] { return game.screenshot().countDiff(before, textBand(20, 440, 110), 60) > 20; }, 5s))
        << "1 DE 100 became 1 DE 10";
    EXPECT_GT(white(game.screenshot(), textBand(50, 300, 420)), 400) << "the title stays";

    // I: play; the title goes.
    ASSERT_TRUE(game.key("i"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return white(game.screenshot(), textBand(50, 300, 420)) < 40; }, 5s));

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
            std::this_thread::sleep_for(450ms);
            if (game.screenshot().countDiff(start, progress, 60) > 20) {
                moved = true;
                break;
            }
        }
        if (!moved) {
            ASSERT_TRUE(game.key("r"));
            settle();
        }
    }
    EXPECT_TRUE(moved) << "no hop forward reached row 2";

    // P: the pause texts (unless the astronaut has just been hit: then P is
    // refused, so start over first).
    ASSERT_TRUE(game.key("r"));
    settle();
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return white(game.screenshot(), textBand(200, 420, 200)) > 250; }, 5s))
        << "JUEGO PAUSADO";
    EXPECT_GT(white(game.screenshot(), textBand(100, 20, 250)), 200) << "1 2 3 4 LARGO MAPA";
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return white(game.screenshot(), textBand(200, 420, 200)) < 20; }, 5s));

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(10s), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(MarsdashE2E, WindowCloseEndsCleanly) {
    GameSession game({MARSDASH_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    settle();
    game.terminate();
    EXPECT_EQ(game.waitExit(10s), 0);
}

TEST(MarsdashE2E, WithoutItsFilesItStillRuns) {
    // Started outside its folder: no font ("ROMPIO"), no models; it plays on.
    GameSession game({MARSDASH_BIN, {}, "/"});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    EXPECT_TRUE(game.waitForOutput("ROMPIO"));
    ASSERT_TRUE(game.key("i"));
    ASSERT_TRUE(game.hold("Up", 60ms));
    settle();
    EXPECT_TRUE(game.running());
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(10s), 0);
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

TEST(MarsdashE2E, EveryScreenIsPaced) {
    const std::string counter = ::testing::TempDir() + "marsdash_frames";
    GameSession game(countingFrames(MARSDASH_BIN, counter));
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    // Title, playing, paused: about 60 frames a second.
    for (const std::string keys : {"", "i", "p"}) {
        for (char k : keys) ASSERT_TRUE(game.key(std::string(1, k)));
        const double rate = frameRate(counter);
        EXPECT_GT(rate, 0) << "no frames counted";
        EXPECT_LT(rate, 80) << "after '" << keys << "'";
    }
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(10s), 0);
}
#endif
