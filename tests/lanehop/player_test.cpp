// The chicken's physics on small hand-made grids.
#include <gtest/gtest.h>

#include <cmath>

#include "camera.h"
#include "lanehop_fixture.h"

using namespace lanehop;
using hoptest::keyEvent;
using lanehop_test::WorldTest;

namespace {

constexpr float kDt = 1.f / 60;

Vector3 centre(int row, int col) { return Vector3(float(col) + 0.5f, 0, 0.5f - float(row)); }

class PlayerTest : public WorldTest {
protected:
    void place(const Vector3& p) { player()->setPosition(p); }
};

TEST(Containment, HalfOpenBoxes) {
    EXPECT_TRUE(between(0, 0, 1));
    EXPECT_FALSE(between(0, 1, 1));
    EXPECT_FALSE(between(0, -0.01f, 1));
    EXPECT_TRUE(inside(Vector3(0, 0, 0), Vector3(0, 0, 0), Vector3(1, 1, 1)));
    EXPECT_FALSE(inside(Vector3(0.5f, 1, 0.5f), Vector3(0, 0, 0), Vector3(1, 1, 1)));
    EXPECT_TRUE(inside(Vector3(-0.5f, 0.2f, 0), Vector3(-1, 0, -1), Vector3(1, 1, 2)));
}

TEST_F(PlayerTest, WalkingHopsAndDiagonalSpeed) {
    boot({"0000000000", "0000000000", "0000000000", "0000000000", "0000000000", "0000000000"});
    const Vector3 start = player()->getPosition();
    hold(SDL_SCANCODE_UP);
    world->tickBase(kDt);
    const Vector3 straight = player()->getPosition() - start;
    EXPECT_NEAR(straight.z, -5 * kDt, 1e-4f) << "forward is -Z";
    EXPECT_NEAR(straight.x, 0, 1e-5f);
    EXPECT_GT(player()->velocity.y, 1.5f) << "each step on the ground starts a hop";
    world->tickBase(kDt);
    EXPECT_LT(player()->getScale().y, 0.8f) << "squashed at take-off";

    boot({"0000000000", "0000000000", "0000000000", "0000000000", "0000000000", "0000000000"});
    hold(SDL_SCANCODE_UP);
    hold(SDL_SCANCODE_D);
    const Vector3 s2 = player()->getPosition();
    world->tickBase(kDt);
    const Vector3 diagonal = player()->getPosition() - s2;
    EXPECT_NEAR(std::hypot(diagonal.x, diagonal.z), 5 * kDt, 1e-4f) << "normalised: same speed";
    EXPECT_GT(diagonal.x, 0);
    EXPECT_LT(diagonal.z, 0);

    // Opposite keys cancel: no movement and no hop.
    boot({"0000000000", "0000000000", "0000000000", "0000000000"});
    std::memset(keys, 0, sizeof keys);
    hold(SDL_SCANCODE_LEFT);
    hold(SDL_SCANCODE_RIGHT);
    const Vector3 s3 = player()->getPosition();
    run(0.5f);
    EXPECT_EQ(player()->getPosition(), s3);
    EXPECT_FLOAT_EQ(player()->velocity.y, 0);
}

TEST_F(PlayerTest, OrthographicViewMovesAlongTheAxes) {
    boot({"000000", "000000", "000000", "000000"});
    world->getCamera()->setMode(hop::Camera::ORTHOGONAL);
    hold(SDL_SCANCODE_A);
    const Vector3 s = player()->getPosition();
    world->tickBase(kDt);
    EXPECT_NEAR(player()->getPosition().x - s.x, -5 * kDt, 1e-5f);
}

TEST_F(PlayerTest, RaisedTilesAreWalls) {
    // A hedge row right ahead of the start (row 1 -> row 2).
    boot({"000000", "000000", "666666", "000000"});
    place(centre(1, 3));
    hold(SDL_SCANCODE_UP);
    run(1.5f);
    EXPECT_GT(player()->getPosition().z, -1.0f) << "never enters row 2";
    EXPECT_EQ(player()->getState(), ALIVE);
    EXPECT_LT(player()->getPosition().y, 1);
}

TEST_F(PlayerTest, TreeTrunksBlockAndCrownsCarry) {
    boot({"000000", "000000", "00t000", "000000"});
    place(centre(1, 2));
    hold(SDL_SCANCODE_UP);
    run(1.0f);
    // Row 2 spans z -2..-1; the trunk covers the middle 0.3 of the tile.
    EXPECT_GT(player()->getPosition().z, -1.35f - 0.01f) << "stopped at the trunk";
    EXPECT_LT(player()->getPosition().z, -1.3f) << "but inside the tree's tile";
    std::memset(keys, 0, sizeof keys);
    // Dropped onto the crown it stays on top.
    place(centre(2, 2) + Vector3(0.3f, 3, 0));
    run(1.0f);
    EXPECT_FLOAT_EQ(player()->getPosition().y, 2.4f);
    EXPECT_FLOAT_EQ(player()->getFloorY(), 2.4f);
}

TEST_F(PlayerTest, BouncePadLaunchesAtFiveUnitsPerSecond) {
    boot({"000000", "000000", "005000", "000000"});
    place(centre(2, 2) + Vector3(0, 0.3f, 0));
    float best = 0, peak = 0;
    for (int i = 0; i < 60; ++i) {
        world->tickBase(kDt);
        best = std::max(best, player()->velocity.y);
        peak = std::max(peak, player()->getPosition().y);
    }
    EXPECT_FLOAT_EQ(best, 5);
    EXPECT_NEAR(peak, 0.1f + 25 / (2 * 9.8f), 0.05f);
    EXPECT_EQ(player()->getState(), ALIVE);
}

TEST_F(PlayerTest, RidesCarRoofsAndIsFlattenedFromTheSide) {
    boot({"000000000", "000000000", "222222222", "000000000"});
    removeTraffic();
    auto* car = new Car(Vector3(3, 0, -1.5f), Vector3(2, 0, 0), -2, 100);
    world->loadObject(car);
    place(Vector3(2.45f, 0.55f, -1.5f));  // over the boot, behind the cabin
    run(0.5f);
    EXPECT_EQ(player()->getState(), ALIVE);
    EXPECT_FLOAT_EQ(player()->getPosition().y, 0.5f);
    const float dx = player()->getPosition().x - car->getPosition().x;
    run(1.0f);
    EXPECT_NEAR(player()->getPosition().x - car->getPosition().x, dx, 0.05f) << "carried along";
    EXPECT_EQ(player()->getState(), ALIVE);

    boot({"000000000", "000000000", "222222222", "000000000"});
    removeTraffic();
    world->loadObject(new Car(Vector3(1, 0, -1.5f), Vector3(2, 0, 0), -2, 100));
    place(Vector3(2.2f, 0, -1.5f));  // the car drives into the chicken
    run(0.5f);
    EXPECT_EQ(player()->getState(), FLAT);
    EXPECT_FLOAT_EQ(player()->getPosition().y, 0);
    EXPECT_GT(player()->getFlatScale().x, 2);
    EXPECT_LT(player()->getFlatScale().y, 0.4f);
    EXPECT_GT(player()->getBloodScale().x, 0.2f);
    EXPECT_TRUE(player()->isDead());
    // Flat: the keyboard is ignored.
    const Vector3 flat = player()->getPosition();
    hold(SDL_SCANCODE_UP);
    run(0.3f);
    EXPECT_EQ(player()->getPosition().z, flat.z);
}

TEST_F(PlayerTest, FallsOffTheGridAndSinksInWater) {
    boot({"000", "000", "000"});
    hold(SDL_SCANCODE_RIGHT);
    run(1.0f);
    EXPECT_EQ(player()->getState(), FALLING);
    EXPECT_LT(player()->getPosition().y, -1) << "off the grid the floor is -100";
    EXPECT_FLOAT_EQ(player()->getAcceleration().y, -9.8f);

    boot({"00000", "00000", "33333", "00000"});
    std::memset(keys, 0, sizeof keys);
    place(centre(2, 2) + Vector3(0, 0.5f, 0));
    run(0.4f);
    EXPECT_EQ(player()->getState(), FALLING);
    // In water the two accelerations alternate tick by tick.
    const float a1 = player()->getAcceleration().y;
    world->tickBase(kDt);
    const float a2 = player()->getAcceleration().y;
    EXPECT_NE(a1, a2);
    EXPECT_TRUE((a1 == -1 && a2 == -9.8f) || (a1 == -9.8f && a2 == -1));
    EXPECT_FLOAT_EQ(player()->getMovementSpeed(), 1);
    EXPECT_GT(player()->getPosition().y, -3);
}

TEST_F(PlayerTest, LilyPadsCarry) {
    boot({"00000", "00000", "34343", "00000"});
    place(centre(2, 1) + Vector3(0, 0.3f, 0));
    run(1);
    EXPECT_EQ(player()->getState(), ALIVE);
    EXPECT_FLOAT_EQ(player()->getPosition().y, 0);
    place(centre(2, 1) + Vector3(0.3f, 0.3f, 0));  // the pad covers the middle half only
    run(1);
    EXPECT_EQ(player()->getState(), FALLING);
}

TEST_F(PlayerTest, FlyModeJumpsInMidAir) {
    boot({"00000", "00000", "00000"});
    hold(SDL_SCANCODE_SPACE);
    world->tickBase(kDt);
    EXPECT_FLOAT_EQ(player()->velocity.y, 2);
    run(0.1f);
    EXPECT_LT(player()->velocity.y, 2) << "no second jump in mid-air";
    world->inputBase(keyEvent(SDLK_BACKSLASH), kDt);
    EXPECT_TRUE(player()->getFlyMode());
    run(0.5f);
    EXPECT_GT(player()->getPosition().y, 0.5f) << "fly mode keeps jumping";
    world->inputBase(keyEvent(SDLK_BACKSLASH), kDt);
    EXPECT_FALSE(player()->getFlyMode());

    // No jump while paused.
    boot({"00000", "00000", "00000"});
    ml->setPause(true);
    player()->tick(kDt);
    EXPECT_LE(player()->velocity.y, 0);
    ml->setPause(false);
}

TEST_F(PlayerTest, WinningHopsInPlace) {
    boot({"00000", "00000", "bwbwb", "00000"});
    place(centre(2, 2));
    hold(SDL_SCANCODE_UP);
    run(0.1f);
    EXPECT_EQ(player()->getState(), WINNING);
    const Vector3 p = player()->getPosition();
    run(2);
    EXPECT_FLOAT_EQ(player()->getPosition().x, p.x);
    EXPECT_FLOAT_EQ(player()->getPosition().z, p.z);
    EXPECT_GE(player()->getVictoryJumps(), 4);
}

// A walking hop spans two tiles: held forward from anywhere in the row
// before it, the chicken must stop on a one-row goal at the board's end,
// not hop over it and fall off.
TEST_F(PlayerTest, HoldingForwardStopsOnAOneRowGoal) {
    for (float into = 0.f; into < 1.f; into += 0.125f) {
        boot({"00000", "00000", "00000", "bwbwb"});
        place(centre(2, 2) + Vector3(0, 0, 0.5f - into));
        hold(SDL_SCANCODE_UP);
        for (int i = 0; i < 120 && player()->getState() == ALIVE; ++i) world->tickBase(kDt);
        run(1);
        EXPECT_EQ(player()->getState(), WINNING) << into << " into the row before";
        EXPECT_GT(player()->getPosition().z, -3.f) << into << ": past the goal";
        EXPECT_FLOAT_EQ(player()->getFloorY(), 0) << into << ": not over the goal";
        std::memset(keys, 0, sizeof keys);
    }
}

TEST_F(PlayerTest, FacingFollowsMovement) {
    boot({"00000", "00000", "00000"});
    EXPECT_NEAR(player()->facingDegrees(), std::atan2(-1.f, -1.f) * 57.2958f, 1e-3f);
    hold(SDL_SCANCODE_UP);
    world->tickBase(kDt);
    EXPECT_NEAR(player()->facingDegrees(), 0, 1e-3f);
    std::memset(keys, 0, sizeof keys);
    hold(SDL_SCANCODE_RIGHT);
    world->tickBase(kDt);
    EXPECT_NEAR(player()->facingDegrees(), -90, 1e-3f);
    std::memset(keys, 0, sizeof keys);
    world->tickBase(kDt);
    EXPECT_NEAR(player()->facingDegrees(), -90, 1e-3f) << "standing still keeps the last facing";
}

TEST_F(PlayerTest, DeadChickenReleasesTheCamera) {
    hop::Camera* c = world->getCamera();
    c->setMouseMode(hop::Camera::FIRST_PERSON);
    player()->coupleCamera();
    EXPECT_EQ(c->getFollowing(), player());
    EXPECT_EQ(c->getFollowOffset(), player()->liftVector());
    player()->setPosition(Vector3(-3, 0, 0));
    run(0.2f);
    ASSERT_TRUE(player()->isDead());
    player()->coupleCamera();
    EXPECT_EQ(c->getFollowing(), nullptr);
    EXPECT_EQ(c->getMouseMode(), hop::Camera::THIRD_PERSON);
    EXPECT_NEAR((c->getCenter() - player()->getPosition()).length(), 0, 1e-4f);
    EXPECT_NEAR((c->getPosition() - player()->getPosition() - Vector3(2, 2, 2)).length(), 0, 1e-4f);
}

// A long frame (a stall, a loaded machine) is played as short steps by the
// loop's own update: the chicken does not pass through hedge rows, and a car
// that crosses it in that frame still flattens it.
TEST_F(PlayerTest, LongFramesNeitherCrossHedgesNorMissCars) {
    for (float frame : {0.7f, 2.f}) {
        boot({"000000", "000000", "666666", "000000", "666666", "000000"});
        removeTraffic();
        place(centre(1, 3));
        hold(SDL_SCANCODE_UP);
        for (int i = 0; i < 3; ++i) ml->update(frame);
        EXPECT_GT(player()->getPosition().z, -1.0f) << frame << " s: never enters row 2";
        EXPECT_EQ(player()->getState(), ALIVE) << frame << " s";
        std::memset(keys, 0, sizeof keys);

        boot({"000000000000000", "000000000000000", "222222222222222", "000000000000000"});
        removeTraffic();
        // In one step of `frame` the car would jump from x 1 past the chicken at 4.5.
        world->loadObject(new Car(Vector3(1, 0, -1.5f), Vector3(7, 0, 0), -2, 100));
        place(centre(2, 4));
        ml->update(frame);
        EXPECT_EQ(player()->getState(), FLAT) << frame << " s";
    }
    // A normal frame is one step, as it always was.
    boot({"000000", "000000", "000000"});
    removeTraffic();
    hold(SDL_SCANCODE_UP);
    const Vector3 start = player()->getPosition();
    ml->update(kDt);
    EXPECT_NEAR(player()->getPosition().z - start.z, -5 * kDt, 1e-5f);
    EXPECT_FLOAT_EQ(player()->velocity.y, 2) << "a hop just begun, not yet slowed by a second step";
}

}  // namespace
