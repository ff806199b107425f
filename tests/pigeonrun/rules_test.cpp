// The pigeon game's rules without a window: hops, turns, cars, scrolling,
// the coin and the speed factor.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "world.h"

using namespace pigeonrun;

namespace {

// A fixed sequence of values standing for rand().
struct Sequence {
    std::vector<int> values;
    std::size_t next = 0;
    int operator()() { return values[next++ % values.size()]; }
};

World playing(std::vector<int> randoms = {0}) {
    World w{Sequence{std::move(randoms)}};
    w.reset();
    w.status.state = StatePlaying;
    // Keep the coin out of the way unless a test places it.
    w.coin.position = {100, 0, 100};
    return w;
}

// Passes until the hop ends; returns how many.
int land(World& w, double dt = kPassMs) {
    int passes = 0;
    while (w.pigeon.hopping && passes < 10000) {
        w.stepHop(dt);
        ++passes;
    }
    return passes;
}

}  // namespace

TEST(PigeonrunRules, ForwardHopAtSixtyPassesLastsAQuarterSecondAndCarriesTheWorld) {
    World w = playing();
    w.hopFixed(FacingForward);
    EXPECT_EQ(w.status.score, 1);
    const float car1 = w.car1.position.x, car2 = w.car2.position.x;
    const int passes = land(w);
    const double seconds = passes / 60.0;
    EXPECT_GT(seconds, 0.23);
    EXPECT_LT(seconds, 0.26);
    EXPECT_GT(-w.worldOffsetZ, 5.2);
    EXPECT_LT(-w.worldOffsetZ, 6.1);
    EXPECT_DOUBLE_EQ(w.worldOffsetX, 0);
    // The cars' lanes come nearer with the world: car 1 ahead, car 2 behind.
    EXPECT_NEAR(w.car1.position.x, car1 + w.worldOffsetZ, 1e-4);
    EXPECT_NEAR(w.car2.position.x, car2 - w.worldOffsetZ, 1e-4);
    EXPECT_EQ(w.hopTime, 0);
    EXPECT_EQ(w.hopHeight, 0);

    // Sideways and back move the other ways and do not score.
    for (auto [facing, dx, dz] : {std::tuple{FacingLeft, 1, 0}, std::tuple{FacingRight, -1, 0},
                                  std::tuple{FacingBack, 0, 1}}) {
        World s = playing();
        s.hopFixed(facing);
        land(s);
        EXPECT_EQ(s.status.score, 0);
        EXPECT_EQ(s.worldOffsetX > 5, dx > 0);
        EXPECT_EQ(s.worldOffsetX < -5, dx < 0);
        EXPECT_EQ(s.worldOffsetZ > 5, dz > 0);
    }
    // Three releases of Up score 3, also when the later ones come mid-hop.
    World t = playing();
    t.hopFixed(FacingForward);
    t.stepHop(kPassMs);
    t.hopFixed(FacingForward);
    land(t);
    t.hopFixed(FacingForward);
    land(t);
    EXPECT_EQ(t.status.score, 3);
}

TEST(PigeonrunRules, TurnAnglesForEveryPairOfFacings) {
    const double expected[4][4] = {
        {0, -90, 180, 90},  // from forward to forward, left, back, right
        {90, 0, -90, 180},
        {-180, 90, 0, -90},
        {-90, -180, 90, 0},
    };
    for (int from = 0; from < 4; ++from)
        for (int to = 0; to < 4; ++to) {
            World w = playing();
            w.hopFixed(from);
            const double before = w.pigeon.angle;
            w.hopFixed(to);
            EXPECT_EQ(w.pigeon.angle - before, expected[from][to]) << from << " -> " << to;
            EXPECT_EQ(w.pigeon.facing, to);
            // Whatever the path, the angle points where the pigeon faces.
            const double kFacingAngle[4] = {0, -90, 180, 90};
            EXPECT_EQ(std::fmod(w.pigeon.angle - kFacingAngle[to] + 720, 360), 0);
        }
}

TEST(PigeonrunRules, FreeViewScoresOnlyWithinFortyFiveDegreesOfForward) {
    struct Case {
        double heading;
        bool scores;
    };
    for (Case c : {Case{0, true}, {45, true}, {45.9, true}, {46, false}, {90, false}, {180, false},
                   {314.5, false}, {315, true}, {-30, true}, {-45.5, true}, {-46, false}, {-330, true},
                   {-300, false}, {405, true}, {720 + 90, false}}) {
        World w = playing();
        w.fixedView = false;
        w.heading = c.heading;
        w.turning = 1;
        EXPECT_EQ(w.hopFree(), c.scores) << c.heading;
        EXPECT_EQ(w.status.score, c.scores ? 1 : 0) << c.heading;
        EXPECT_EQ(w.turning, 0);
    }
    // A free hop goes one unit per pass along the heading, however long the pass.
    World w = playing();
    w.fixedView = false;
    w.heading = 90;
    w.hopFree();
    const int passes = land(w);
    EXPECT_NEAR(w.worldOffsetX, -(passes - 1), 1e-6);
    EXPECT_NEAR(w.worldOffsetZ, 0, 1e-6);
}

TEST(PigeonrunRules, CarsSweepFortyPassesThenJumpBackAndHitOnlyInTheirLane) {
    World w = playing();
    std::vector<float> drawn;
    for (int i = 0; i < 41; ++i) {
        w.stepCars(kPassMs);
        drawn.push_back(w.car1.drawZ);
    }
    for (int i = 1; i < 40; ++i) EXPECT_GT(drawn[std::size_t(i)], drawn[std::size_t(i - 1)]) << i;
    // 40 passes of 0.5 on the timer plus dt / 100 each.
    EXPECT_NEAR(drawn[39], -20 + 19.5 + 40 * kPassMs / 100, 1e-3);
    EXPECT_FLOAT_EQ(drawn[40], -20) << "the 41st pass jumps back to the start";
    EXPECT_EQ(w.carTimer1, 0);
    EXPECT_FLOAT_EQ(w.car1.position.z, -20);

    // Bounds: lane within 2.5 across, centre within 7.5 along the road.
    Car c = w.car1;
    for (auto [x, z, hit] : {std::tuple{0.f, 0.f, true}, {2.5f, 7.5f, true}, {-2.5f, -7.5f, true},
                             {2.6f, 0.f, false}, {-2.6f, 0.f, false}, {0.f, 7.6f, false}, {0.f, -7.6f, false}}) {
        c.position.x = x;
        c.drawZ = z;
        EXPECT_EQ(w.carHits(c), hit) << x << ", " << z;
    }

    // Standing still in no lane, a whole minute of traffic passes harmlessly;
    // two hops forward put the pigeon in car 1's lane and the next sweep ends the game.
    World safe = playing();
    for (int i = 0; i < 3600; ++i) safe.step(kPassMs);
    EXPECT_EQ(safe.status.state, StatePlaying);
    World run = playing();
    for (int hop = 0; hop < 2; ++hop) {
        run.hopFixed(FacingForward);
        while (run.pigeon.hopping && run.status.state == StatePlaying) run.step(kPassMs);
    }
    for (int i = 0; i < 120 && run.status.state == StatePlaying; ++i) run.step(kPassMs);
    EXPECT_EQ(run.status.state, StateGameOver);
}

TEST(PigeonrunRules, GroundScrollsAroundThePigeonWithRoadsAndCarsInTheirRows) {
    auto check = [](const World& w, const char* where) {
        // Every tile's first corner (offset added) keeps inside the bounds
        // the rules move it back from, and each road keeps on its tile.
        for (int i = 0; i < 9; ++i) {
            const auto& c = w.ground.tiles[std::size_t(i)].corners[0];
            const double x = c[0] + w.worldOffsetX, z = c[2] + w.worldOffsetZ;
            EXPECT_GE(z, -12 - 1) << where << " tile " << i;
            EXPECT_LE(z, 30 + 1) << where << " tile " << i;
            EXPECT_GE(x, -30 - 1) << where << " tile " << i;
            EXPECT_LE(x, 12 + 1) << where << " tile " << i;
        }
        for (int r = 0; r < 6; ++r) {
            const auto& road = w.ground.roads[std::size_t(r)].corners[0];
            const auto& tile = w.ground.tiles[std::size_t(Ground::roadTile(r))].corners[0];
            EXPECT_EQ(road[0], tile[0]) << where << " road " << r;
            EXPECT_LE(road[2], tile[2]) << where << " road " << r;
            EXPECT_GE(road[2], tile[2] - 12) << where << " road " << r;
        }
        // Car 1 drives on the roads of tiles 0-2 (z 6.5..12.5 of the tile's
        // 6..18), car 2 on those of tiles 6-8 (z -18..-12 of -18..-6).
        const double lane1 = w.ground.tiles[0].corners[0][2] - 18 + 9.5 + w.worldOffsetZ;
        const double lane2 = w.ground.tiles[6].corners[0][2] + 6 - 15 + w.worldOffsetZ;
        EXPECT_NEAR(w.car1.position.x, lane1, 1e-3) << where;
        EXPECT_NEAR(-w.car2.position.x, lane2, 1e-3) << where;
    };
    // The pigeon is always on some tile: the 3 x 3 block covers the origin.
    auto covered = [](const World& w) {
        for (const GroundQuad& t : w.ground.tiles) {
            const double x0 = t.corners[0][0] + w.worldOffsetX, z1 = t.corners[0][2] + w.worldOffsetZ;
            if (x0 <= 0 && 0 <= x0 + 12 && z1 - 12 <= 0 && 0 <= z1) return true;
        }
        return false;
    };
    for (int facing : {FacingForward, FacingLeft, FacingBack, FacingRight}) {
        World w = playing();
        for (int hop = 0; hop < 20; ++hop) {
            w.hopFixed(facing);
            while (w.pigeon.hopping) {
                w.stepHop(kPassMs);
                w.scrollGround();
                EXPECT_TRUE(covered(w)) << facing;
            }
            check(w, facing == FacingForward ? "forward" : facing == FacingBack ? "back" : "sideways");
        }
        EXPECT_GT(std::fabs(w.worldOffsetX) + std::fabs(w.worldOffsetZ), 100) << "went far";
    }
}

TEST(PigeonrunRules, CoinIsTakenWithinReachAndReplacedBeyondTwentyOneAndAHalf) {
    // rand() values: the pickup places at x = r % 36 - 18, z = 2 + r % 16.
    World w = playing({40, 21});
    w.coin.position = {0.7f, 0, -0.7f};
    w.stepCoin();
    EXPECT_EQ(w.status.coins, 1);
    EXPECT_FLOAT_EQ(w.coin.position.x, 40 % 36 - 18);
    EXPECT_FLOAT_EQ(w.coin.position.z, 2 + 21 % 16);

    // Just out of reach: nothing.
    w.coin.position = {0.8f, 0, 0};
    w.stepCoin();
    EXPECT_EQ(w.status.coins, 1);
    EXPECT_FLOAT_EQ(w.coin.position.x, 0.8f);

    // Far away on either axis (offset included): back within 18 of the pigeon.
    for (auto [x, z] : {std::pair{21.4f, 0.f}, {0.f, -21.4f}, {21.6f, 0.f}, {0.f, -21.6f}, {-30.f, 40.f}}) {
        World f = playing({5, 30});
        f.worldOffsetX = 100;
        f.worldOffsetZ = -50;
        f.coin.position = {x - 100, 0, z + 50};
        f.stepCoin();
        const bool far = std::fabs(x) > 21.5f || std::fabs(z) > 21.5f;
        const double nx = f.coin.position.x + f.worldOffsetX, nz = f.coin.position.z + f.worldOffsetZ;
        if (far) {
            EXPECT_FLOAT_EQ(nx, 5 - 18);
            EXPECT_FLOAT_EQ(nz, 30 - 18);
        } else {
            EXPECT_NEAR(nx, x, 1e-4);
            EXPECT_NEAR(nz, z, 1e-4);
        }
        EXPECT_EQ(f.status.coins, 0);
    }

    // Hopping straight onto a coin takes it during the hop.
    World h = playing({0});
    h.coin.position = {0, 0, 3};
    h.hopFixed(FacingForward);
    for (int i = 0; i < 20; ++i) h.step(kPassMs);
    EXPECT_EQ(h.status.coins, 1);
}

TEST(PigeonrunRules, QuarterSpeedSlowsHopsCarsAndTurning) {
    World normal = playing(), slow = playing();
    slow.speedFactor = 0.25f;
    // Passes get a quarter of the time; the hop lasts four times as many
    // and the fixed-view step takes the factor once more: about as far.
    normal.hopFixed(FacingForward);
    slow.hopFixed(FacingForward);
    const int n = land(normal), s = land(slow, kPassMs * 0.25);
    EXPECT_NEAR(double(s) / n, 4, 0.3);
    EXPECT_NEAR(slow.worldOffsetZ / normal.worldOffsetZ, 1, 0.1);

    // The free-view hop still moves a unit per pass: four times as far.
    World freeNormal = playing(), freeSlow = playing();
    freeSlow.speedFactor = 0.25f;
    for (World* w : {&freeNormal, &freeSlow}) {
        w->fixedView = false;
        w->hopFree();
    }
    land(freeNormal);
    land(freeSlow, kPassMs * 0.25);
    EXPECT_NEAR(freeSlow.worldOffsetZ / freeNormal.worldOffsetZ, 4, 0.4);

    // Turning: 72 degrees a second at full speed; the factor applies to the
    // scaled pass once more.
    World turn = playing();
    turn.fixedView = false;
    turn.turning = 1;
    for (int i = 0; i < 60; ++i) turn.stepTurning(kPassMs);
    EXPECT_NEAR(turn.heading, 72, 1e-6);
    turn.heading = 0;
    turn.speedFactor = 0.25f;
    for (int i = 0; i < 60; ++i) turn.stepTurning(kPassMs * 0.25);
    EXPECT_NEAR(turn.heading, 72 / 16.0, 1e-6);

    // Cars: the timer still counts passes; the sweep's own step shrinks.
    World cars = playing();
    for (int i = 0; i < 40; ++i) cars.stepCars(kPassMs * 0.25);
    EXPECT_NEAR(cars.car1.position.z, -20 + 40 * kPassMs * 0.25 / 100, 1e-3);
}

TEST(PigeonrunRules, ResetStartsANewGameWithoutTheLastOnesHop) {
    World w = playing({3});
    w.hopFixed(FacingRight);
    w.step(kPassMs);
    w.status.coins = 4;
    w.heading = 100;
    w.stepCars(kPassMs);
    w.reset();
    EXPECT_FALSE(w.pigeon.hopping);
    EXPECT_EQ(w.hopTime, 0);
    EXPECT_EQ(w.pigeon.angle, 0);
    EXPECT_EQ(w.status.score + w.status.coins, 0);
    EXPECT_EQ(w.worldOffsetX, 0);
    EXPECT_FLOAT_EQ(w.car1.position.z, -20);
    EXPECT_FLOAT_EQ(w.car2.position.x, 15);
    EXPECT_EQ(w.heading, 0);
    const double x = w.worldOffsetX;
    w.step(kPassMs);
    EXPECT_EQ(w.worldOffsetX, x) << "no hop carried over";
}
