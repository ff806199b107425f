// The rules without a window: the Game is stepped with synthetic events,
// arrows held and invented clock times (nanoseconds).
#include <gtest/gtest.h>

#include <cmath>
#include <random>

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
    // The fastest block, its centre 8 units to the duck's left and heading
    // for it: a half-second stall (cut to a quarter) carries it 13.5 units,
    // past the duck in one step.
    Driver d;
    d.play();
    d.clearBlocks();
    Block& b = d.game.blocks[9];
    b.speed = 0.09f, b.x = -8 + 1, b.z = 60 + 1;
    d.frame({}, {}, kSecond / 2);
    EXPECT_EQ(d.game.state.screen, ScreenGameOver);
    // The step's bound itself: a block covering 3.5 units a 120th of a
    // second always has a step inside the 4-unit reach round the duck;
    // steps of a 60th of a second from where it starts would all miss.
    Driver f;
    f.play();
    f.clearBlocks();
    Block& fast = f.game.blocks[9];
    fast.speed = 0.7f, fast.x = -9.5f + 1, fast.z = 60 + 1;
    f.frame({}, {}, kSecond / 30);
    EXPECT_EQ(f.game.state.screen, ScreenGameOver);
    // A two-second stall moves the world at most a quarter second.
    Driver e;
    e.play();
    e.clearBlocks();
    e.game.blocks[1].speed = 0.03f, e.game.blocks[1].x = -20;
    e.frame({}, {}, 2 * kSecond);
    EXPECT_NEAR(e.game.blocks[1].x, -20 + 18 * Game::kMaxFrameSeconds, 1e-3);
}

TEST(DuckRules, CameraPitchStaysWithinItsLimitsAboveTheGroundAndOutOfTheDuck) {
    Field field;
    DuckCamera cam;
    const float start = cam.pitch;
    EXPECT_LT(start, 0);  // looking down at the duck
    for (int i = 0; i < 200; ++i) cam.pitchBy(40);  // mouse down
    EXPECT_GE(cam.pitch, -DuckCamera::kPitchLimit);
    EXPECT_LT(cam.pitch, -80);
    EXPECT_NEAR(length(cam.eye - cam.target), cam.distance, 1e-3);
    // Mouse up: the view tilts up until the eye rests just above the grass,
    // as far from the duck as ever, and comes back down.
    float lowest = cam.eye.y;
    for (int i = 0; i < 400; ++i) {
        cam.pitchBy(-40);
        lowest = std::min(lowest, cam.eye.y);
        EXPECT_NEAR(length(cam.eye - cam.target), cam.distance, 1e-3);
    }
    EXPECT_GT(cam.pitch, 5) << "the view looks up at the duck";
    EXPECT_NEAR(lowest, DuckCamera::kMinEyeHeight, 1e-3) << "the eye never goes under the ground";
    EXPECT_GT(std::hypot(cam.eye.x - cam.target.x, cam.eye.z - cam.target.z), 10) << "nor into the duck";
    EXPECT_NEAR(cam.lookFrom().y, cam.eye.y, 1e-3) << "the height clamp has nothing left to do";
    for (int i = 0; i < 10; ++i) cam.pitchBy(40);
    EXPECT_GT(cam.eye.y, 2 * DuckCamera::kMinEyeHeight);
}

TEST(DuckRules, TheMouseTurnsTheViewTheWayItMovesAndTheDuckFacesWithIt) {
    // At the start and after turns either way, the mouse moved right turns
    // the view right (its new forward leans toward the old right), left the
    // other way; the yaw follows the forward.
    DuckCamera turn;
    for (const float d : {100.f, 400.f, -900.f, 250.f, -60.f}) {
        const Vec3 forward = turn.flatForward, right = turn.right;
        const float yaw0 = turn.yaw;
        turn.yawBy(d);
        EXPECT_GT(dot(turn.flatForward, right) * d, 0) << d;
        EXPECT_LT(dot(turn.flatForward, forward), 1);
        EXPECT_NEAR(turn.yaw - yaw0, -d * 6 * 0.0005 * 57.29578, 1e-3);
        const float r = turn.yaw * 3.14159265f / 180;
        EXPECT_NEAR(turn.flatForward.x, -std::sin(r), 1e-4);
        EXPECT_NEAR(turn.flatForward.z, -std::cos(r), 1e-4);
    }
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

namespace {

constexpr float kReach = kDuckRadius + 1;  // duck radius + a block's half-size
constexpr float kWalk = 15;                // units a second

// True when walking on from z (and already walking this frame when
// `walking`) carries the duck past the band round `block` without the block
// coming within reach, foreseen with the game's own block motion.
bool passIsClear(Block block, float duckX, float z, bool walking) {
    constexpr float kStep = 1.0f / 120, kMargin = 0.4f;
    for (int i = 0; i < 240; ++i) {
        if (walking || i >= 2) z -= kWalk * kStep;  // a new choice of arrows acts from the next frame
        block.update(kStep);
        if (std::hypot(duckX - block.centreX(), z - block.centreZ()) <= kReach + kMargin) return false;
        if (z < block.centreZ() - kReach - kMargin) return true;
    }
    return false;
}

// The screen a run ends on: a player who walks ahead, and who, when
// watchful, stops short of each block's band until the block's next pass
// leaves it room.
int run(std::uint32_t seed, bool watchful) {
    std::mt19937 random(seed);
    Driver d;
    d.game.camera.freeLook = false;
    for (Block& b : d.game.blocks) {
        b.x = std::uniform_real_distribution<float>(-24, 24)(random);
        if (random() % 2) b.speed = -b.speed;
    }
    d.play();
    const float x = std::uniform_real_distribution<float>(-20, 20)(random);
    d.game.camera.target.x = x;
    bool walking = false;
    for (int i = 0; i < 60 * 120 && d.game.state.screen == ScreenPlaying; ++i) {
        const float z = d.game.camera.target.z;
        bool go = true;
        if (watchful) {
            // The nearest band not yet passed, if the duck is about to enter it.
            const Block* next = nullptr;
            for (const Block& b : d.game.blocks)
                if (b.centreZ() - kReach < z && (!next || b.centreZ() > next->centreZ())) next = &b;
            const bool inside = next && z - next->centreZ() <= kReach + 0.5f;
            const bool near = next && z - next->centreZ() <= kReach + 1.5f;
            if (near && !inside) go = passIsClear(*next, x, z, walking);
        }
        Arrows held;
        held.up = go;
        d.frame(held);
        walking = go;
    }
    return d.game.state.screen;
}

}  // namespace

TEST(DuckRules, AWatchfulPlayerCrossesPastEveryPhaseOfTheBlocksAndABlindOneIsHit) {
    int blindHit = 0;
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        EXPECT_EQ(run(seed, true), ScreenWon) << "seed " << seed;
        blindHit += run(seed, false) == ScreenGameOver;
    }
    EXPECT_GE(blindHit, 15) << "a duck that never looks walks through the blocks";
}
