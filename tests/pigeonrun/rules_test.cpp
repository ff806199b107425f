// The pigeon game's rules without a window: hops, turns, cars, scrolling,
// the coin and the speed factor.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
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

TEST(PigeonrunRules, HopsLastAQuarterSecondLandOnTheGridAndScoreOncePerForwardHop) {
    World w = playing();
    EXPECT_TRUE(w.hopFixed(FacingForward));
    EXPECT_EQ(w.status.score, 1);
    const float car1 = w.car1.position.x, car2 = w.car2.position.x;
    const int passes = land(w);
    const double seconds = passes / 60.0;
    EXPECT_GT(seconds, 0.23);
    EXPECT_LT(seconds, 0.26);
    EXPECT_DOUBLE_EQ(w.worldOffsetZ, -World::kHopGrid);
    EXPECT_DOUBLE_EQ(w.worldOffsetX, 0);
    // The cars' lanes come nearer with the world: car 1 ahead, car 2 behind.
    EXPECT_NEAR(w.car1.position.x, car1 + w.worldOffsetZ, 1e-4);
    EXPECT_NEAR(w.car2.position.x, car2 - w.worldOffsetZ, 1e-4);
    EXPECT_EQ(w.hopTime, 0);
    EXPECT_EQ(w.hopHeight, 0);

    // Sideways and back move the other ways and do not score.
    for (auto [facing, dx, dz] : {std::tuple{FacingLeft, 6, 0}, std::tuple{FacingRight, -6, 0},
                                  std::tuple{FacingBack, 0, 6}}) {
        World s = playing();
        s.hopFixed(facing);
        land(s);
        EXPECT_EQ(s.status.score, 0);
        EXPECT_DOUBLE_EQ(s.worldOffsetX, dx) << facing;
        EXPECT_DOUBLE_EQ(s.worldOffsetZ, dz) << facing;
    }
    // A point is a hop made: keys during a hop neither score, turn nor bend
    // it. Six quick Ups make one hop and one point; three hops make three.
    World t = playing();
    t.hopFixed(FacingForward);
    for (int i = 0; i < 5; ++i) {
        t.stepHop(kPassMs);
        EXPECT_FALSE(t.hopFixed(i % 2 ? FacingForward : FacingLeft));
    }
    land(t);
    EXPECT_EQ(t.status.score, 1);
    EXPECT_EQ(t.pigeon.facing, FacingForward);
    EXPECT_DOUBLE_EQ(t.worldOffsetX, 0);
    t.hopFixed(FacingForward);
    land(t);
    t.hopFixed(FacingForward);
    land(t);
    EXPECT_EQ(t.status.score, 3);
    EXPECT_DOUBLE_EQ(t.worldOffsetZ, -3 * World::kHopGrid);

    // Off the grid (after a free-view hop), the next hop lands on it again,
    // on the row nearest a whole hop ahead; slowed down, it lands there too.
    for (float speed : {1.0f, 0.25f})
        for (double from : {-2.9, 2.9, 0.4}) {
            World g = playing();
            g.speedFactor = speed;
            g.worldOffsetZ = from;
            g.hopFixed(FacingForward);
            land(g, kPassMs * speed);
            EXPECT_DOUBLE_EQ(g.worldOffsetZ, std::round((from - 6) / 6) * 6) << from << " at " << speed;
        }
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
            land(w);
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
    // A free hop goes one unit per pass along the pigeon's nose, however
    // long the pass: heading 90 is a quarter turn clockwise from above, to
    // -x. The cars keep their place along their roads meanwhile (car 1
    // drives along -x, car 2 along +x), and a release during the hop only
    // stops the turning.
    World w = playing();
    w.fixedView = false;
    w.heading = 90;
    const float road1 = -w.car1.position.z - float(w.worldOffsetX), road2 = w.car2.position.z - float(w.worldOffsetX);
    w.hopFree();
    w.stepHop(kPassMs);
    w.turning = 1;
    EXPECT_FALSE(w.hopFree());
    EXPECT_EQ(w.turning, 0);
    const int passes = land(w) + 1;
    EXPECT_NEAR(w.worldOffsetX, passes - 1, 1e-6);
    EXPECT_NEAR(w.worldOffsetZ, 0, 1e-6);
    EXPECT_NEAR(-w.car1.position.z - w.worldOffsetX, road1, 1e-4);
    EXPECT_NEAR(w.car2.position.z - w.worldOffsetX, road2, 1e-4);
    EXPECT_EQ(w.status.score, 0);
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

    // The hit box is the model's footprint, wherever the model lies in its
    // frame: the pigeon's feet (the frame's origin) inside it, edges included.
    Car c = w.car1;
    c.model.positions = {{-1, 0, -2}, {3, 2, 5}, {0, 1, 0}};
    c.fitBox();
    EXPECT_FLOAT_EQ(c.width, 4);
    EXPECT_FLOAT_EQ(c.depth, 7);
    for (auto [x, z, hit] : {std::tuple{0.f, 0.f, true}, {1.f, 2.f, true}, {-3.f, -5.f, true},
                             {1.1f, 0.f, false}, {-3.1f, 0.f, false}, {0.f, 2.1f, false}, {0.f, -5.1f, false}}) {
        c.position.x = x;
        c.drawZ = z;
        EXPECT_EQ(w.carHits(c), hit) << x << ", " << z;
    }

    // Standing still in no lane, a whole minute of traffic passes
    // harmlessly; in car 1's lane the next sweep ends the game.
    World safe = playing();
    for (int i = 0; i < 3600; ++i) safe.step(kPassMs);
    EXPECT_EQ(safe.status.state, StatePlaying);
    World run = playing();
    run.car1.position.x = 0;
    for (int i = 0; i < 41 && run.status.state == StatePlaying; ++i) run.step(kPassMs);
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

namespace {

// The pigeon inside a car's lane: where that car, sweeping by, hits it.
bool inLane(const World& w) {
    for (const Car* c : {&w.car1, &w.car2})
        if (c->position.x + c->minX <= 0 && 0 <= c->position.x + c->maxX) return true;
    return false;
}

// Roads wholly behind the pigeon: the lanes repeat every 36 units (the
// ground's block) from where they lie at the start.
int roadsBehind(const World& w) {
    const World start;
    const double walked = -w.worldOffsetZ;
    int n = 0;
    for (double lane : {double(start.car1.start.x), 36.0 - start.car2.start.x})
        for (double at = lane; at + start.car1.maxX < walked; at += 36) ++n;
    return n;
}

void hop(World& w) {
    if (w.fixedView)
        w.hopFixed(FacingForward);
    else
        w.hopFree();
}

// A hop, and while it lands in a lane the next one straight away; false
// when a car ends the game on the way.
bool dash(World& w) {
    do {
        hop(w);
        while (w.pigeon.hopping && w.status.state == StatePlaying) w.step(kPassMs);
        if (inLane(w)) w.step(kPassMs);  // the frame that reads the next key
    } while (inLane(w) && w.status.state == StatePlaying);
    return w.status.state == StatePlaying;
}

// What a player watching the traffic can judge: this plan (stand `wait`
// passes, holding the turn key for the last `turn` of them in the free
// view, then dash) gets across alive.
bool survives(World w, int wait, int turn) {
    for (int i = 0; i < wait; ++i) {
        w.turning = i >= wait - turn ? 1 : 0;
        w.step(kPassMs);
    }
    return w.status.state == StatePlaying && dash(w);
}

bool hopTouchesALane(World w) {
    hop(w);
    while (w.pigeon.hopping) {
        w.stepHop(kPassMs);
        w.scrollGround();
        if (inLane(w)) return true;
    }
    return false;
}

struct Crossing {
    int roads = 0;
    bool died = false;
};

// A player who waits on the grass for a gap in the traffic, then goes; it
// also goes a few passes late (up to `slack`, drawn from `seed`), as a
// person does. Where no forward hop ever gets through (the free view's hop
// would land in a lane), it turns a little and hops from there.
Crossing crossWatching(bool fixedView, unsigned seed, int slack, int goal) {
    std::mt19937 late(seed);
    World w = playing();
    w.fixedView = fixedView;
    for (unsigned i = 0; i < seed * 7; ++i) w.step(kPassMs);
    auto allLate = [&](int wait, int turn) {
        for (int d = 0; d <= slack; ++d)
            if (!survives(w, wait + d, turn + d)) return false;
        return true;
    };
    int waited = 0;
    for (int passes = 0; passes < 20000 && w.status.state == StatePlaying && roadsBehind(w) < goal; ++passes) {
        EXPECT_FALSE(inLane(w)) << "it waits on the grass";
        const bool risky = hopTouchesALane(w);
        int turn = -1;
        if (!risky || allLate(0, 0)) {
            turn = 0;
        } else if (!fixedView && waited > 45) {
            for (int n = 1; n < 150 && turn < 0; ++n)
                if (allLate(n, n)) turn = n;
        }
        if (turn < 0) {
            w.step(kPassMs);
            ++waited;
            continue;
        }
        const int wait = turn + (risky ? int(late() % unsigned(slack + 1)) : 0);
        for (int i = 0; i < wait; ++i) {
            w.turning = turn ? 1 : 0;  // a turn key held until the hop
            w.step(kPassMs);
        }
        dash(w);
        waited = 0;
    }
    return Crossing{roadsBehind(w), w.status.state != StatePlaying};
}

// A player who hops again as soon as it lands, whatever comes.
Crossing crossBlindly(bool fixedView, unsigned seed) {
    World w = playing();
    w.fixedView = fixedView;
    for (unsigned i = 0; i < seed * 7; ++i) w.step(kPassMs);
    for (int passes = 0; passes < 20000 && w.status.state == StatePlaying; ++passes) {
        if (!w.pigeon.hopping) hop(w);
        w.step(kPassMs);
    }
    return Crossing{roadsBehind(w), w.status.state != StatePlaying};
}

}  // namespace

TEST(PigeonrunRules, APlayerWhoWaitsForGapsCrossesRoadAfterRoadAndABlindOneDies) {
    for (bool fixedView : {true, false})
        for (unsigned seed = 1; seed <= 6; ++seed) {
            const char* view = fixedView ? "fixed view" : "free view";
            const Crossing watching = crossWatching(fixedView, seed, fixedView ? 8 : 4, 12);
            EXPECT_FALSE(watching.died) << view << ", seed " << seed << ", after " << watching.roads << " roads";
            EXPECT_GE(watching.roads, 12) << view << ", seed " << seed;
            const Crossing blind = crossBlindly(fixedView, seed);
            EXPECT_TRUE(blind.died) << view << ", seed " << seed;
            EXPECT_LT(blind.roads, 10) << view << ", seed " << seed;
        }
}
