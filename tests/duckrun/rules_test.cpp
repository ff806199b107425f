// The rules without a window: the Game is stepped with synthetic events,
// arrows held and invented clock times (nanoseconds).
#include <gtest/gtest.h>

#include <cmath>

#include "camera.h"
#include "game.h"
#include "hoptest/events.h"
#include "world.h"

using namespace duckrun;

namespace {

constexpr std::int64_t kSecond = 1000000000;
constexpr std::int64_t kFrame = kSecond / 60 + 1;  // rounded up: 60 frames make a whole second

struct Driver {
    Game game{false, 0};
    std::int64_t now = 0;

    void frame(Arrows held = {}, std::vector<SDL_Event> events = {}, std::int64_t dt = kFrame) {
        now += dt;
        game.step(now, events, held);
    }
    // Taps a key as the program sees it: press and release in one frame.
    void tap(SDL_Keycode k) { frame({}, {hoptest::keyEvent(k, true), hoptest::keyEvent(k, false)}); }
    // Holds arrows for `seconds` of frames; the first frame only records them.
    void hold(Arrows held, double seconds) {
        frame(held);
        for (int i = 0; i < int(std::lround(seconds * 60)); ++i) frame(held);
    }
    void clearBlocks() {
        for (Block& b : game.blocks) {
            b.x = 1000;
            b.speed = 0;
        }
    }
    void play() {
        tap(SDLK_p);
        ASSERT_EQ(game.state.screen, ScreenPlaying);
    }
};

Arrows arrows(bool up, bool down, bool left, bool right) {
    Arrows a;
    a.up = up, a.down = down, a.left = left, a.right = right;
    return a;
}

}  // namespace

TEST(DuckRules, FieldBoundsBlockOnlyTheDirectionThatLeavesIt) {
    Field field;
    DuckCamera cam;
    cam.freeLook = false;
    cam.target = {24.5f, 3, 0};
    cam.held = arrows(true, false, false, true);  // up and right
    for (int i = 0; i < 60; ++i) cam.update(field, false, 1.0f / 60);
    EXPECT_LT(cam.target.x, 25.0f);
    EXPECT_GT(cam.target.x, 24.4f);
    EXPECT_LT(cam.target.z, -10.0f) << "the blocked right arrow stopped the up arrow";

    // The far corner: neither axis may leave, down-left still works after.
    cam.target = {-24.8f, 3, -69.8f};
    cam.held = arrows(true, false, true, false);
    for (int i = 0; i < 30; ++i) cam.update(field, false, 1.0f / 60);
    EXPECT_GT(cam.target.x, -25.0f);
    EXPECT_GT(cam.target.z, -70.0f);
    cam.held = arrows(false, true, false, true);
    cam.update(field, false, 0.1f);
    EXPECT_GT(cam.target.x, -24.8f);
    EXPECT_GT(cam.target.z, -69.8f);
    // The border itself is outside (strict bounds).
    EXPECT_FALSE(field.inside(25, 0));
    EXPECT_FALSE(field.inside(0, -70));
}

TEST(DuckRules, DiagonalStepsAreRootTwoSlowerPerAxis) {
    Field field;
    DuckCamera one, two;
    one.freeLook = two.freeLook = false;
    one.held = arrows(true, false, false, false);
    two.held = arrows(true, false, true, false);
    const Vec3 a = one.target, b = two.target;
    one.update(field, false, 0.5f);
    two.update(field, false, 0.5f);
    EXPECT_NEAR(a.z - one.target.z, 7.5f, 1e-4);
    EXPECT_NEAR(one.target.x, a.x, 1e-5);
    EXPECT_NEAR(b.z - two.target.z, 7.5f / std::sqrt(2.0f), 1e-4);
    EXPECT_NEAR(b.x - two.target.x, 7.5f / std::sqrt(2.0f), 1e-4);
    // The eye moves with the duck.
    EXPECT_NEAR(length(two.eye - two.target), length(Vec3{11, 10, 13}), 1e-4);
}

TEST(DuckRules, ScoreStartsAtZeroAndReads121WhenWon) {
    Driver d;
    d.game.camera.freeLook = false;
    d.clearBlocks();
    d.play();
    d.frame();
    EXPECT_EQ(d.game.state.score(), 0);
    EXPECT_FLOAT_EQ(d.game.camera.target.z, 60);
    // Walking back does not score.
    d.hold(arrows(false, true, false, false), 0.3);
    EXPECT_EQ(d.game.state.score(), 0);
    int lastScore = 0;
    for (int i = 0; i < 60 * 20 && d.game.state.screen == ScreenPlaying; ++i) {
        d.frame(arrows(true, false, false, false));
        EXPECT_GE(d.game.state.score(), lastScore);
        lastScore = d.game.state.score();
    }
    EXPECT_EQ(d.game.state.screen, ScreenWon);
    EXPECT_EQ(d.game.state.score(), 121);
    EXPECT_LT(d.game.camera.target.z, -61.0f + 0.5f);
}

TEST(DuckRules, TouchAndWinLineInOneFrameWins) {
    Driver d;
    d.game.camera.freeLook = false;
    d.clearBlocks();
    d.play();
    d.game.camera.target.z = -60.9f;             // one step short of the line
    d.frame(arrows(true, false, false, false));  // arrows recorded
    ASSERT_EQ(d.game.state.screen, ScreenPlaying);
    Block& b = d.game.blocks[9];
    b.x = d.game.camera.target.x + 1, b.z = -60, b.speed = 0;  // centre just ahead of the duck
    d.frame(arrows(true, false, false, false));
    EXPECT_TRUE(touches(b, d.game.camera.target.x, d.game.camera.target.z));
    EXPECT_EQ(d.game.state.screen, ScreenWon);

    // The same touch short of the line ends the run.
    Driver e;
    e.clearBlocks();
    e.play();
    e.game.blocks[0].x = 1, e.game.blocks[0].z = 61;
    e.frame();
    EXPECT_EQ(e.game.state.screen, ScreenGameOver);
}

TEST(DuckRules, SpeedModesScaleDuckAndBlocksButNotTheClock) {
    for (int mode : {SpeedSlow, SpeedNormal, SpeedFast}) {
        Driver d;
        d.game.camera.freeLook = false;
        d.play();
        d.tap(mode == SpeedSlow ? SDLK_1 : mode == SpeedFast ? SDLK_3 : SDLK_2);
        ASSERT_EQ(d.game.state.speedMode, mode);
        for (Block& b : d.game.blocks) b.z = 1000;  // out of the way, still sliding
        Block& slow = d.game.blocks[1];              // 18 units a second
        slow.x = -20;
        const float x0 = slow.x, z0 = d.game.camera.target.z;
        const int s0 = d.game.state.seconds;
        d.frame(arrows(true, false, false, false));  // arrows recorded
        d.hold(arrows(true, false, false, false), 1.0);
        const float f = speedFactor(mode);
        EXPECT_NEAR(z0 - d.game.camera.target.z, 15 * f * (61.0 / 60), 0.05) << "mode " << mode;
        EXPECT_NEAR(slow.x - x0, 0.03f * 600 * f * (62.0 / 60), 0.05) << "mode " << mode;
        EXPECT_EQ(d.game.state.seconds - s0, 1) << "mode " << mode;
    }
}

TEST(DuckRules, RestartPutsTheDuckBackAndLeavesTheBlocks) {
    Driver d;
    d.game.camera.freeLook = false;
    d.play();
    d.hold(arrows(true, false, false, false), 0.2);
    d.game.blocks[0].x = d.game.camera.target.x + 1;
    d.game.blocks[0].z = d.game.camera.target.z + 1;
    d.frame();
    ASSERT_EQ(d.game.state.screen, ScreenGameOver);
    const Blocks before = d.game.blocks;
    d.frame({}, {}, 5 * kSecond);  // a long look at the end screen
    d.tap(SDLK_p);                 // nothing on the end screen
    EXPECT_EQ(d.game.state.screen, ScreenGameOver);
    d.tap(SDLK_r);
    EXPECT_EQ(d.game.state.screen, ScreenPlaying);
    EXPECT_EQ(d.game.state.score(), 0);
    EXPECT_EQ(d.game.state.seconds, 0);
    EXPECT_FLOAT_EQ(d.game.camera.target.z, 60);
    EXPECT_FLOAT_EQ(d.game.camera.eye.z, 70);
    for (int i = 0; i < kBlockCount; ++i) EXPECT_FLOAT_EQ(d.game.blocks[i].x, before[i].x) << i;
    // The blocks go on from there at their own pace: the first frame back
    // does not carry the time spent on the end screen.
    const float x = d.game.blocks[3].x;
    d.frame();
    EXPECT_NEAR(d.game.blocks[3].x, x, 0.045f * 600 / 60 + 1e-3);
}

TEST(DuckRules, ClockStopsInPauseAndContinues) {
    Driver d;
    d.frame({}, {}, 7 * kSecond);  // the start screen does not count
    d.play();
    d.game.camera.target.x = -24;  // away from every block
    d.clearBlocks();
    for (int i = 0; i < 3 * 60 + 1; ++i) d.frame();
    EXPECT_EQ(d.game.state.seconds, 3);
    d.tap(SDLK_p);
    ASSERT_EQ(d.game.state.screen, ScreenStart);
    for (int i = 0; i < 10; ++i) d.frame({}, {}, kSecond);
    EXPECT_EQ(d.game.state.seconds, 3);
    d.tap(SDLK_p);
    for (int i = 0; i < 2 * 60 + 2; ++i) d.frame();
    EXPECT_EQ(d.game.state.seconds, 5);
}

TEST(DuckRules, NothingMovesWhilePaused) {
    Driver d;
    d.play();
    d.hold(arrows(true, false, false, true), 0.1);
    // P released with the arrows still held.
    d.frame(arrows(true, false, false, true), {hoptest::keyEvent(SDLK_p, false)});
    ASSERT_EQ(d.game.state.screen, ScreenStart);
    const Vec3 at = d.game.camera.target;
    const float yaw = d.game.camera.yaw;
    const Blocks blocks = d.game.blocks;
    d.frame({}, {hoptest::motionEvent(300, 200)});
    for (int i = 0; i < 120; ++i) d.frame(arrows(true, false, false, true));
    EXPECT_FLOAT_EQ(d.game.camera.target.x, at.x);
    EXPECT_FLOAT_EQ(d.game.camera.target.z, at.z);
    for (int i = 0; i < kBlockCount; ++i) EXPECT_FLOAT_EQ(d.game.blocks[i].x, blocks[i].x);
    // Mouse motion made while paused does not turn the view on return.
    d.frame({}, {hoptest::motionEvent(300, 200), hoptest::keyEvent(SDLK_p, false)});
    ASSERT_EQ(d.game.state.screen, ScreenPlaying);
    d.frame();
    EXPECT_FLOAT_EQ(d.game.camera.yaw, yaw);
}

TEST(DuckRules, BlocksBounceAtPlusMinus25) {
    Block b;
    b.speed = 0.09f;
    float lo = 0, hi = 0;
    int turns = 0;
    for (int i = 0; i < 60 * 5; ++i) {
        const float before = b.speed;
        b.update(1.0f / 60);
        if (b.speed != before) ++turns;
        lo = std::min(lo, b.x), hi = std::max(hi, b.x);
    }
    EXPECT_GE(turns, 4);
    EXPECT_GE(hi, 25.0f);
    EXPECT_LE(hi, 25.0f + 0.09f * 600 / 60);
    EXPECT_LE(lo, -25.0f);
    EXPECT_GE(lo, -25.0f - 0.09f * 600 / 60);
}

TEST(DuckRules, ALongFrameDoesNotCarryABlockThroughTheDuck) {
    Driver d;
    d.play();
    d.clearBlocks();
    // The fastest block 12 units to the duck's left, heading for it.
    Block& b = d.game.blocks[9];
    b.speed = 0.09f, b.x = -12 + 1, b.z = 60 + 1;
    d.frame({}, {}, kSecond / 2);
    EXPECT_EQ(d.game.state.screen, ScreenGameOver);
    // A two-second stall moves the world at most a quarter second.
    Driver e;
    e.play();
    e.clearBlocks();
    e.game.blocks[1].speed = 0.03f, e.game.blocks[1].x = -20;
    e.frame({}, {}, 2 * kSecond);
    EXPECT_NEAR(e.game.blocks[1].x, -20 + 18 * Game::kMaxFrameSeconds, 1e-3);
}

TEST(DuckRules, CameraPitchStaysWithinItsLimits) {
    Field field;
    DuckCamera cam;
    const float start = cam.pitch;
    EXPECT_LT(start, 0);  // looking down at the duck
    for (int i = 0; i < 200; ++i) cam.pitchBy(40);  // mouse down
    EXPECT_GE(cam.pitch, -DuckCamera::kPitchLimit);
    EXPECT_LT(cam.pitch, -80);
    EXPECT_NEAR(length(cam.eye - cam.target), cam.distance, 1e-3);
    for (int i = 0; i < 400; ++i) cam.pitchBy(-40);  // mouse up
    EXPECT_LE(cam.pitch, DuckCamera::kPitchLimit);
    EXPECT_GT(cam.pitch, 80);
    EXPECT_NEAR(length(cam.eye - cam.target), cam.distance, 1e-3);
    EXPECT_GE(cam.lookFrom().y, 0.5f) << "the eye never goes below the ground";
    // Yaw turns the eye round the duck and keeps its facing in step.
    DuckCamera turn;
    const float yaw0 = turn.yaw;
    turn.yawBy(100);
    EXPECT_NEAR(turn.yaw - yaw0, 100 * 6 * 0.0005 * 57.29578, 1e-3);
    const float expected = (turn.yaw) * 3.14159265f / 180;
    EXPECT_NEAR(turn.flatForward.x, -std::sin(expected), 1e-4);
    EXPECT_NEAR(turn.flatForward.z, -std::cos(expected), 1e-4);
}

TEST(DuckRules, KeyTable) {
    Driver d;
    d.tap(SDLK_t);  // playing keys do nothing on the start screen
    EXPECT_TRUE(d.game.state.texturesOn);
    d.tap(SDLK_v);  // V works everywhere
    EXPECT_FALSE(d.game.camera.freeLook);
    d.play();
    d.tap(SDLK_t), d.tap(SDLK_w), d.tap(SDLK_i), d.tap(SDLK_l), d.tap(SDLK_n), d.tap(SDLK_1);
    EXPECT_FALSE(d.game.state.texturesOn);
    EXPECT_TRUE(d.game.state.wireframe);
    EXPECT_FALSE(d.game.state.smooth);
    EXPECT_TRUE(d.game.sunset);
    EXPECT_TRUE(d.game.night);
    EXPECT_EQ(d.game.state.speedMode, SpeedSlow);
    // Keys act on release only.
    d.frame({}, {hoptest::keyEvent(SDLK_n, true)});
    EXPECT_TRUE(d.game.night);
    d.tap(SDLK_q);
    EXPECT_TRUE(d.game.quit);

    Driver e;
    e.frame({}, {hoptest::keyEvent(SDLK_ESCAPE, false)});
    EXPECT_TRUE(e.game.quit);
    Driver f;
    SDL_Event close{};
    close.type = SDL_QUIT;
    f.frame({}, {close});
    EXPECT_TRUE(f.game.quit);
}

TEST(DuckRules, FacingFollowsTheArrows) {
    const struct {
        Arrows held;
        float degrees;
    } cases[] = {{arrows(true, false, false, false), 180}, {arrows(false, true, false, false), 0},
                 {arrows(false, false, true, false), -90}, {arrows(false, false, false, true), 90},
                 {arrows(true, false, true, false), -135}, {arrows(true, false, false, true), 135},
                 {arrows(false, true, true, false), -45},  {arrows(false, true, false, true), 45}};
    for (const auto& c : cases) {
        float f = 999;
        EXPECT_TRUE(wantedFacing(c.held, f));
        EXPECT_EQ(f, c.degrees);
        // The duck faces where it walks: a model facing +z turned by f.
        Field field;
        DuckCamera cam;
        cam.freeLook = false;
        cam.held = c.held;
        const Vec3 from = cam.target;
        cam.update(field, false, 0.1f);
        const Vec3 dir = normalised(cam.target - from);
        const float r = f * 3.14159265f / 180;
        EXPECT_NEAR(dir.x, std::sin(r), 1e-4);
        EXPECT_NEAR(dir.z, std::cos(r), 1e-4);
    }
    float f = 0;
    EXPECT_FALSE(wantedFacing(Arrows{}, f));

    // Free look: the facing turns with the camera.
    Driver d;
    d.play();
    d.frame({}, {hoptest::motionEvent(250, 0)});
    d.hold(arrows(true, false, false, false), 0.2);
    const float r = d.game.facing * 3.14159265f / 180;
    EXPECT_NEAR(std::sin(r), d.game.camera.flatForward.x, 1e-3);
    EXPECT_NEAR(std::cos(r), d.game.camera.flatForward.z, 1e-3);
}

TEST(DuckRules, TimeText) {
    EXPECT_EQ(timeText(0), "00 : 00");
    EXPECT_EQ(timeText(9), "00 : 09");
    EXPECT_EQ(timeText(59), "00 : 59");
    EXPECT_EQ(timeText(599), "09 : 59");
    EXPECT_EQ(timeText(600), "10 : 00");
    EXPECT_EQ(timeText(3599), "59 : 59");
}
