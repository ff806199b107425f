// The rules without a window: motions, rows, cars, hops, collisions, score,
// levels, restart, the dance words, the dance, and players crossing.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "fixtures.h"

using namespace birdhop;
using birdhop_test::Game;
using birdhop_test::Models;

namespace {

// Every row from `from` on replaced by forests without inner trees, so the
// bird can walk without cars or trees in the way.
void clearRows(BirdGame& g, int from = 0) {
    for (std::size_t i = std::size_t(from); i < g.rows.size(); ++i)
        g.rows[i] = std::make_unique<Forest>(int(i), g.assets.tree, true, 0, 0, g.random);
}

int countInner(const Street& s) { return int(s.objects.size()) - 6; }

}  // namespace

TEST(BirdhopMotion, StopsExactlyAtItsDurationAndANewMotionReplacesTheOld) {
    Body b;
    b.move.set({4, 1.5, 0}, {0, -6, 0}, 0.5);
    b.update(0.3);
    b.update(0.3);  // 0.1 past the end: only 0.2 of it applies
    EXPECT_DOUBLE_EQ(b.move.elapsed, 0.5);
    EXPECT_NEAR(b.position.x, 2.0, 1e-12);
    EXPECT_NEAR(b.position.y, 0.0, 1e-12);
    const Vec3d stopped = b.position;
    b.update(1.0);
    EXPECT_EQ(b.position.x, stopped.x);
    EXPECT_FALSE(b.move.running());

    b.move.set({1, 0, 0}, {}, 2);
    b.update(0.5);
    b.move.set({0, 0, -1}, {}, 1);  // the unfinished motion is dropped
    b.update(1);
    EXPECT_NEAR(b.position.x, 2.5, 1e-12);
    EXPECT_NEAR(b.position.z, -1.0, 1e-12);
}

TEST(BirdhopRows, TheFirstThreeRowsHoldOnlyBorderTreesAndTheFirst25AreBuilt) {
    for (std::uint32_t seed : {1u, 2u, 3u, 99u}) {
        Game t(seed);
        ASSERT_EQ(t.game.rowCount(), 25u);
        for (int i = 0; i < 3; ++i) {
            const Street* s = t.game.row(i);
            ASSERT_TRUE(s->isForest());
            std::multiset<double> xs;
            for (const auto& tree : s->objects) {
                xs.insert(tree->position.x);
                EXPECT_EQ(tree->position.z, 2.0 * i);
            }
            EXPECT_EQ(xs, (std::multiset<double>{-14, -12, -10, 10, 12, 14}));
        }
        for (int i = 3; i < 25; ++i) {
            const auto* road = dynamic_cast<const AutoGenerator*>(t.game.row(i));
            if (!road) continue;
            EXPECT_EQ(road->towardMinusX, i % 2 == 0);
            EXPECT_EQ(road->origin.x, road->towardMinusX ? 21 : -21);
            EXPECT_EQ(road->origin.z, 2.0 * i);
            EXPECT_TRUE(road->objects.empty());
        }
    }
}

TEST(BirdhopRows, TreesArePlacedWithOddsThreeInTwentyOneOnBothKindsOfRow) {
    Models m;
    Random r(5);
    int even = 0, odd = 0;
    std::set<double> evenPlaces, oddPlaces;
    constexpr int kRows = 4000;
    for (int i = 0; i < kRows; ++i) {
        Forest a(4, &m.tree, true, 0, 4, r), b(5, &m.tree, false, 0, 4, r);
        even += countInner(a);
        odd += countInner(b);
        EXPECT_LE(countInner(a), 4);
        EXPECT_LE(countInner(b), 4);
        for (std::size_t k = 6; k < a.objects.size(); ++k) evenPlaces.insert(a.objects[k]->position.x);
        for (std::size_t k = 6; k < b.objects.size(); ++k) oddPlaces.insert(b.objects[k]->position.x);
        Forest none(6, &m.tree, true, 0, 0, r);
        EXPECT_EQ(countInner(none), 0);
    }
    // 21 places at 3/21 each, capped at 4: 2.73 trees a row on average.
    EXPECT_NEAR(double(even) / kRows, 2.73, 0.08);
    EXPECT_NEAR(double(odd) / kRows, 2.73, 0.08);
    EXPECT_EQ(*evenPlaces.begin(), -18);
    EXPECT_EQ(*evenPlaces.rbegin(), 22);
    EXPECT_EQ(*oddPlaces.begin(), -20);
    EXPECT_EQ(*oddPlaces.rbegin(), 20);
}

TEST(BirdhopRows, IntervalDrawsStayWithinTheirBoundsAndEqualBoundsDoNotDivideByZero) {
    Random r(11);
    for (int i = 0; i < 2000; ++i) {
        const double a = drawInterval(5, 10, r), b = drawInterval(10, 5, r), c = drawInterval(4, 0, r);
        EXPECT_GE(a, 5);
        EXPECT_LT(a, 10);
        EXPECT_GE(b, 10);
        EXPECT_LT(b, 15);
        EXPECT_GE(c, 4);
        EXPECT_LT(c, 8);
    }
    EXPECT_EQ(drawInterval(3, 3, r), 3);
}

TEST(BirdhopRoads, FirstCarAfterFiveToTenSecondsThenGapsAsTheLevelSays) {
    Models m;
    Random r(3);
    // The gap from the road's interval bounds: initial 5..10, before the first
    // level up 10..15 (high 5, low 10), after it 4..8 (high 0, low 4).
    struct Case {
        double low, high, gapMin, gapMax;
    };
    for (const Case c : {Case{5, 10, 5, 10}, Case{10, 5, 10, 15}, Case{4, 0, 4, 8}}) {
        for (int trial = 0; trial < 20; ++trial) {
            AutoGenerator road(3, trial % 2 == 0, c.low, c.high, 5, &m.car, 0, r);
            double t = 0, first = -1, second = -1;
            const double dt = 1.0 / 60;
            while (second < 0 && t < 40) {
                const std::size_t before = road.objects.size();
                road.update(dt);
                if (road.objects.size() > before) {
                    if (first < 0) first = t;
                    else second = t;
                }
                t += dt;
            }
            EXPECT_GE(first, 5 - dt);
            EXPECT_LE(first, 10 + dt);
            EXPECT_GE(second - first, c.gapMin - 2 * dt);
            EXPECT_LE(second - first, c.gapMax + 2 * dt);
        }
    }
}

TEST(BirdhopRoads, CarsEnterAtOneEndAndLeaveBeyondTheOtherEachMovingOnceAFrame) {
    Models m;
    Random r(9);
    AutoGenerator road(4, true, 5, 10, 5, &m.car, 0, r);
    road.spawnTimer = 0;
    road.update(0);
    ASSERT_EQ(road.objects.size(), 1u);
    const Body& car = *road.objects[0];
    EXPECT_EQ(car.position.x, 21);
    EXPECT_EQ(car.position.z, 8);
    EXPECT_EQ(car.rotation.y, 90);
    EXPECT_EQ(car.scale.x, 4);
    EXPECT_LT(car.move.velocity.x, 0);

    // Three cars: the first is about to leave. All three move in the frame
    // that removes the first.
    road.objects.clear();
    for (double x : {-41.9, -10.0, 0.0}) {
        auto b = std::make_unique<Body>();
        b->position.x = x;
        b->model = &m.car;
        b->move.set({-5, 0, 0}, {}, 30);
        road.objects.push_back(std::move(b));
    }
    road.spawnTimer = 100;
    road.update(0.1);
    ASSERT_EQ(road.objects.size(), 2u);
    EXPECT_NEAR(road.objects[0]->position.x, -10.5, 1e-9);
    EXPECT_NEAR(road.objects[1]->position.x, -0.5, 1e-9);

    AutoGenerator east(5, false, 5, 10, 5, &m.car, 0, r);
    east.spawnTimer = 0;
    east.update(0);
    EXPECT_EQ(east.objects[0]->position.x, -21);
    EXPECT_EQ(east.objects[0]->rotation.y, -90);
    for (int i = 0; i < 60 * 13; ++i) east.update(1.0 / 60);  // 65 units on: 21 past the far end
    for (const auto& c : east.objects) EXPECT_LE(c->position.x, 42);
}

TEST(BirdhopHops, TwoUnitsInHalfASecondPeakingAtThreeSixteenthsAndEveryRefusal) {
    Game t;
    BirdGame& g = t.game;
    clearRows(g);
    ASSERT_TRUE(g.hop(Key::Up));
    EXPECT_EQ(g.p, 1);
    EXPECT_EQ(g.bird.rotation.y, 0);
    EXPECT_FALSE(g.hop(Key::Left)) << "mid-hop: no queueing";
    g.update(250);
    EXPECT_NEAR(g.bird.position.y, 0.1875, 1e-9);
    EXPECT_NEAR(g.bird.position.z, 1.0, 1e-9);
    g.update(250);
    EXPECT_NEAR(g.bird.position.z, 2.0, 1e-9);
    EXPECT_NEAR(g.bird.position.y, 0.0, 1e-9);
    EXPECT_FALSE(g.bird.move.running());

    // Left four times reaches x = 8; a fifth is refused at the edge.
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(g.hop(Key::Left)) << i;
        EXPECT_EQ(g.bird.rotation.y, 90);
        t.land();
    }
    EXPECT_NEAR(g.bird.position.x, 8, 1e-9);
    EXPECT_FALSE(g.hop(Key::Left));
    for (int i = 0; i < 8; ++i) { ASSERT_TRUE(g.hop(Key::Right)); t.land(); }
    EXPECT_NEAR(g.bird.position.x, -8, 1e-9);
    EXPECT_EQ(g.bird.rotation.y, 270);
    EXPECT_FALSE(g.hop(Key::Right));
    for (int i = 0; i < 4; ++i) { ASSERT_TRUE(g.hop(Key::Left)); t.land(); }

    // Behind row 0.
    ASSERT_TRUE(g.hop(Key::Down));
    EXPECT_EQ(g.bird.rotation.y, 180);
    t.land();
    EXPECT_EQ(g.p, 0);
    EXPECT_FALSE(g.hop(Key::Down));

    // Into a tree: the row ahead holds one right in front.
    auto& ahead = g.rows[1];
    auto tree = std::make_unique<Body>();
    tree->position = {0, 0, 2};
    tree->model = &t.models.tree;
    ahead->objects.push_back(std::move(tree));
    EXPECT_FALSE(g.hop(Key::Up));
    EXPECT_EQ(g.p, 0);

    // While dancing, and while squashed.
    g.bird.danceStep = 3;
    EXPECT_FALSE(g.hop(Key::Left));
    g.bird.danceStep = 0;
    g.dead = true;
    EXPECT_FALSE(g.hop(Key::Left));
    g.dead = false;
    EXPECT_TRUE(g.hop(Key::Left));
}

TEST(BirdhopCollision, GroundBoxesTurnAQuarterOnlyAtExactlyNinetyAndOverlapStrictly) {
    Models m;
    Body car;
    car.model = &m.car;
    car.scale = {4, 4, 4};
    car.position = {10, 0, 6};
    const auto expectBox = [](const GroundBox& b, double x0, double x1, double z0, double z1) {
        EXPECT_NEAR(b.minX, x0, 1e-12);
        EXPECT_NEAR(b.maxX, x1, 1e-12);
        EXPECT_NEAR(b.minZ, z0, 1e-12);
        EXPECT_NEAR(b.maxZ, z1, 1e-12);
    };
    car.rotation.y = 0;
    expectBox(car.groundBox(), 9.2, 10.8, 4, 8);
    car.rotation.y = 90;
    expectBox(car.groundBox(), 8, 12, 5.2, 6.8);
    car.rotation.y = -90;
    expectBox(car.groundBox(), 8, 12, 5.2, 6.8);
    car.rotation.y = 270;
    expectBox(car.groundBox(), 8, 12, 5.2, 6.8);
    car.rotation.y = 89.9;
    expectBox(car.groundBox(), 9.2, 10.8, 4, 8);

    // An asymmetric model shows which way each quarter turns.
    BirdModel odd;
    odd.bounds = {0, 1, 0, 1, 0, 2};
    Body b;
    b.model = &odd;
    b.rotation.y = 90;  // (x, z) -> (z, -x)
    expectBox(b.groundBox(), 0, 2, -1, 0);
    b.rotation.y = 270;  // (x, z) -> (-z, x)
    expectBox(b.groundBox(), -2, 0, 0, 1);

    EXPECT_FALSE(overlaps({0, 1, 0, 1}, {1, 2, 0, 1})) << "touching is not overlapping";
    EXPECT_TRUE(overlaps({0, 1, 0, 1}, {0.999, 2, 0.5, 3}));
    EXPECT_FALSE(overlaps({0, 1, 0, 1}, {0.5, 0.7, 1, 2}));
}

TEST(BirdhopCollision, OnlyRoadsNextToTheBirdHitAndAHitSquashes) {
    Game t;
    BirdGame& g = t.game;
    clearRows(g);
    const auto carAt = [&](int row, double x) {
        auto road = std::make_unique<AutoGenerator>(row, true, 5, 10, 5, &t.models.car, 0, g.random);
        road->spawnTimer = 1000;
        auto car = std::make_unique<Body>();
        car->model = &t.models.car;
        car->scale = {4, 4, 4};
        car->rotation.y = 90;
        car->position = {x, 0, 2.0 * row};
        road->objects.push_back(std::move(car));
        g.rows[std::size_t(row)] = std::move(road);
    };
    // p = 5. A car on the bird's own x two rows away does not hit.
    g.p = 5;
    g.bird.position = {0, 0, 10};
    carAt(3, 0);
    carAt(7, 0);
    g.rows[3]->objects[0]->position.z = 10;  // overlapping, but not a neighbour row
    g.rows[7]->objects[0]->position.z = 10;
    g.update(16);
    EXPECT_TRUE(g.alive);
    // A forest never hurts, even with a body on the bird.
    auto tree = std::make_unique<Body>();
    tree->model = &t.models.tree;
    tree->position = {0, 0, 10};
    g.rows[5]->objects.push_back(std::move(tree));
    g.update(16);
    EXPECT_TRUE(g.alive);
    // A car on the row behind overlapping the bird's box does.
    carAt(4, 0);
    g.rows[4]->objects[0]->position.z = 9.0;
    g.update(16);
    EXPECT_FALSE(g.alive);
    EXPECT_TRUE(g.dead);
    EXPECT_TRUE(g.hitThisFrame);
    EXPECT_TRUE(g.deathBurst->active);
    EXPECT_EQ(g.deathBurst->cubes.size(), 25u);
    g.update(200);
    EXPECT_NEAR(g.bird.scale.x, 2.40625, 1e-9);
    EXPECT_NEAR(g.bird.scale.y, 0.25, 1e-9);
    EXPECT_NEAR(g.bird.scale.z, 1.9375, 1e-9);
    EXPECT_FALSE(g.hitThisFrame);
    EXPECT_FALSE(g.hop(Key::Up));
    // Cars go on driving.
    const double x = g.rows[4]->objects[0]->position.x;
    auto* road = dynamic_cast<AutoGenerator*>(g.rows[4].get());
    road->objects[0]->move.set({-5, 0, 0}, {}, 30);
    g.update(100);
    EXPECT_LT(g.rows[4]->objects[0]->position.x, x);
}

TEST(BirdhopCollision, ALongFrameIsCutIntoStepsSoACarCannotJumpTheBird) {
    Game t;
    BirdGame& g = t.game;
    clearRows(g);
    auto road = std::make_unique<AutoGenerator>(1, true, 5, 10, 30, &t.models.car, 0, g.random);
    road->spawnTimer = 1000;
    auto car = std::make_unique<Body>();
    car->model = &t.models.car;
    car->scale = {4, 4, 4};
    car->rotation.y = 90;
    car->position = {6, 0, 2};
    car->move.set({-30, 0, 0}, {}, 30);
    road->objects.push_back(std::move(car));
    g.rows[1] = std::move(road);
    g.p = 1;
    g.bird.position = {0, 0, 2};
    g.update(500);  // 15 units in one frame: from x = 6 to x = -9, through the bird
    EXPECT_TRUE(g.dead);
}

TEST(BirdhopScore, CountsTheFurthestRowAndALevelUpResetsAndSpeedsUp) {
    Game t;
    BirdGame& g = t.game;
    clearRows(g);
    { ASSERT_TRUE(g.hop(Key::Up)); t.land(); }
    { ASSERT_TRUE(g.hop(Key::Up)); t.land(); }
    { ASSERT_TRUE(g.hop(Key::Down)); t.land(); }
    { ASSERT_TRUE(g.hop(Key::Up)); t.land(); }
    EXPECT_EQ(g.score, 2);
    EXPECT_EQ(g.p, 2);

    // Space keeps the rows, target and road parameters.
    const Street* row5 = g.row(5);
    g.restart();
    EXPECT_EQ(t.out.str(), "\x1b[2J\x1b[HTu score es: 2\n");
    EXPECT_EQ(g.row(5), row5);
    EXPECT_EQ(g.score, 0);
    EXPECT_EQ(g.p, 0);
    EXPECT_EQ(g.bird.position.z, 0);
    EXPECT_EQ(g.target, 30);

    // The last row of the level: the hop that reaches it ends the level.
    g.score = 29;
    g.p = 29;
    for (int i = 0; i < 10; ++i) g.update(16);  // rows up to 34
    clearRows(g);
    g.bird.position = {2, 0, 58};
    ASSERT_TRUE(g.hop(Key::Up));
    g.update(16);
    EXPECT_EQ(g.target, 35);
    EXPECT_EQ(g.level(), 2);
    EXPECT_EQ(g.score, 0);
    EXPECT_EQ(g.p, 0);
    EXPECT_EQ(g.bird.position.x, 0);
    EXPECT_EQ(g.bird.position.z, 0);
    EXPECT_FALSE(g.bird.move.running()) << "the hop in flight is cancelled";
    EXPECT_EQ(g.bird.danceStep, 1);
    EXPECT_EQ(g.nextSpeed, 7.5);
    EXPECT_EQ(g.nextLow, 4);
    EXPECT_EQ(g.nextHigh, 0);
    EXPECT_EQ(g.rowCount(), 0u);
    // The next frames rebuild: three border-only forests at once, then one row a frame.
    g.update(16);
    ASSERT_EQ(g.rowCount(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(g.row(i)->objects.size(), 6u);
    g.update(16);
    EXPECT_EQ(g.rowCount(), 4u);
    for (int i = 0; i < 40; ++i) g.update(16);
    EXPECT_EQ(g.rowCount(), 25u);
    for (int i = 3; i < 25; ++i)
        if (const auto* road = dynamic_cast<const AutoGenerator*>(g.row(i))) {
            EXPECT_EQ(road->carSpeed, 7.5);
            EXPECT_EQ(road->intervalLow, 4);
            EXPECT_EQ(road->intervalHigh, 0);
        }
}

TEST(BirdhopScore, RoadsAddedBeforeTheFirstLevelUpTakeTheNextParameters) {
    Game t;
    BirdGame& g = t.game;
    g.p = 10;
    for (int i = 0; i < 12; ++i) g.update(0);
    EXPECT_EQ(g.rowCount(), 35u);
    int roads = 0;
    for (int i = 25; i < 35; ++i)
        if (const auto* road = dynamic_cast<const AutoGenerator*>(g.row(i))) {
            ++roads;
            EXPECT_EQ(road->intervalHigh, 5);
            EXPECT_EQ(road->intervalLow, 10);
            EXPECT_GE(road->spawnTimer, 5) << "first timer drawn from the defaults";
            EXPECT_LT(road->spawnTimer, 10);
        }
    EXPECT_GT(roads, 0);
}

TEST(BirdhopWords, TreeCartAndCuakEachFireOnceAndCuakStartsTheDance) {
    Game t;
    BirdGame& g = t.game;
    const auto type = [&](const char* word) {
        for (const char* c = word; *c; ++c) {
            const Key k = *c == 't' ? Key::T : *c == 'r' ? Key::R : *c == 'e' ? Key::E : *c == 'c' ? Key::C
                        : *c == 'a' ? Key::A : *c == 'u' ? Key::U : *c == 'k' ? Key::K : Key::Other;
            g.keyDown(k);  // the words count releases only
            g.keyUp(k);
        }
    };
    type("tree");
    g.checkDanceWords();
    g.checkDanceWords();
    type("cart");
    g.checkDanceWords();
    type("trecuk");  // broken words do nothing
    g.checkDanceWords();
    EXPECT_EQ(t.out.str(), "Baila tree\nBaila cart\n");
    EXPECT_EQ(g.bird.danceStep, 0);
    type("cuak");
    g.checkDanceWords();
    EXPECT_EQ(t.out.str(), "Baila tree\nBaila cart\nBaila cuak\n");
    EXPECT_EQ(g.bird.danceStep, 1);
    EXPECT_EQ(g.treeCode + g.cartCode + g.birdCode, 0);
}

TEST(BirdhopDance, NineteenStepsReturnTheBirdToItsPlaceAndEndWithTheLaunch) {
    Game t;
    BirdGame& g = t.game;
    Body& b = g.bird;
    b.danceStep = 1;
    std::vector<int> steps;
    bool prepared = false;
    int frames = 0;
    while (b.danceStep != 0 && frames < 10000) {
        if (steps.empty() || steps.back() != b.danceStep) steps.push_back(b.danceStep);
        g.update(1000.0 / 60);
        if (b.emitter[0] == 1) prepared = true;
        ++frames;
    }
    ASSERT_EQ(b.danceStep, 0);
    std::vector<int> all;
    for (int i = 1; i <= 19; ++i) all.push_back(i);
    EXPECT_EQ(steps, all);
    EXPECT_TRUE(prepared);
    for (int e : b.emitter) EXPECT_EQ(e, 2);
    for (const auto& f : g.fireworks.bursts) {
        ASSERT_TRUE(f);
        EXPECT_TRUE(f->active);
        EXPECT_EQ(f->cubes.size(), 40u);
    }
    // About eight seconds of dancing; hops are refused until it ends.
    EXPECT_GT(frames, 60 * 6);
    t.land();
    EXPECT_NEAR(b.position.x, 0, 1e-6);
    EXPECT_NEAR(b.position.y, 0, 1e-6);
    EXPECT_NEAR(b.scale.x, 1, 1e-6);
    EXPECT_NEAR(b.scale.y, 1, 1e-6);
    EXPECT_TRUE(g.hop(Key::Up));
}

TEST(BirdhopDance, TheBirdEndsFacingTheWayItStartedAtAnyFrameRate) {
    // Facing ahead after a level up, or left or right when "cuak" is typed
    // after a sideways hop; frames of a 144 Hz screen, 60 Hz, and a slow 20 Hz.
    for (const double yaw : {0.0, 90.0, 270.0})
        for (const double ms : {1000.0 / 144, 1000.0 / 60, 50.0}) {
            Game t;
            Body& b = t.game.bird;
            b.rotation = {0, yaw, 0};
            b.danceStep = 1;
            for (int i = 0; i < 10000 && b.danceStep != 0; ++i) t.game.update(ms);
            t.land(ms);
            for (int i = 0; i < 60; ++i) t.game.update(ms);  // nothing turns on after the end
            EXPECT_EQ(b.rotation.y, yaw) << "from " << yaw << " at " << ms << " ms a frame";
            EXPECT_EQ(b.rotation.x, 0);
            EXPECT_EQ(std::fmod(b.rotation.z, 360.0), 0) << "the rolls are whole turns";
        }
}

TEST(BirdhopSpeed, DoubleSpeedHalvesTheHopButNotThePlayClockAndPauseStopsBoth) {
    Game t;
    BirdGame& g = t.game;
    clearRows(g);
    g.flags.speed = 2;
    ASSERT_TRUE(g.hop(Key::Up));
    g.update(250);
    EXPECT_FALSE(g.bird.move.running());
    EXPECT_NEAR(g.bird.position.z, 2, 1e-9);
    EXPECT_DOUBLE_EQ(g.playMs, 250);
    g.paused = true;
    EXPECT_FALSE(g.hop(Key::Up)) << "no hop is taken while paused";
    g.update(400);
    EXPECT_DOUBLE_EQ(g.playMs, 250);
    EXPECT_EQ(g.p, 1);
    g.paused = false;
    ASSERT_TRUE(g.hop(Key::Up));
    g.flags.speed = 0.5;
    g.update(500);
    EXPECT_TRUE(g.bird.move.running());
    g.update(500);
    EXPECT_NEAR(g.bird.position.z, 4, 1e-9);
}

TEST(BirdhopKeys, DChangesTheLightWithinRangeAndOtherKeysAreIgnored) {
    Game t;
    BirdGame& g = t.game;
    for (int i = 0; i < 50; ++i) {
        g.keyDown(Key::D);
        for (double v : {g.lightDirection.x, g.lightDirection.y, g.lightDirection.z}) {
            EXPECT_GE(v, -1);
            EXPECT_LT(v, 1);
        }
    }
    const int p = g.p;
    g.keyDown(Key::Other);
    g.keyUp(Key::Other);
    g.keyUp(Key::Up);  // arrows act on press only
    EXPECT_EQ(g.p, p);
    EXPECT_FALSE(g.bird.move.running());
}

namespace {

constexpr double kFrameMs = 1000.0 / 60;

// What a watchful player foresees: the bird at its column hops straight
// across the roads `first` .. `last` (toward +z when `dir` is 1, -z when -1)
// and onto the grass beyond, one hop right after another: does a car touch
// it on the way? Each road's cars are copies moved by the game's own
// motion; the car a road's timer announces enters at the road's end, and a
// car after that one, which no one can see yet, must not be able to reach
// the bird's column before the bird has left that road.
bool crossingIsClear(const BirdGame& g, int first, int last, int dir) {
    constexpr double kStep = 1.0 / 120, kMargin = 0.6;
    const int hops = std::abs(last - first) + 2;
    const double seconds = 0.5 * hops + 0.25, x = g.bird.position.x;
    struct Lane {
        const AutoGenerator* road;
        std::vector<Body> cars;
        bool announced;
    };
    std::vector<Lane> lanes;
    for (int r = first, i = 0; r != last + dir; r += dir, ++i) {
        const auto* road = dynamic_cast<const AutoGenerator*>(g.row(r));
        if (!road) return false;
        const double unseenArrives = road->spawnTimer + road->intervalLow + (21 - std::fabs(x) - 3) / road->carSpeed;
        if (unseenArrives < 0.5 * (i + 1) + 0.6) return false;
        Lane lane{road, {}, false};
        for (const auto& c : road->objects) lane.cars.push_back(*c);
        lanes.push_back(std::move(lane));
    }
    Body bird = g.bird;
    bird.rotation = {0, 0, 0};
    const double z0 = bird.position.z;
    for (double t = 0; t <= seconds; t += kStep) {
        bird.position.z = z0 + dir * std::min(4 * t, 2.0 * hops);
        GroundBox box = bird.groundBox();
        box.minX -= kMargin, box.maxX += kMargin;
        for (Lane& lane : lanes) {
            if (!lane.announced && t >= lane.road->spawnTimer) {
                Body car;
                car.position = lane.road->origin;
                car.rotation.y = lane.road->towardMinusX ? 90 : -90;
                car.scale = {4, 4, 4};
                car.model = lane.road->carModel;
                car.move.set({lane.road->towardMinusX ? -lane.road->carSpeed : lane.road->carSpeed, 0, 0}, {}, 30);
                lane.cars.push_back(car);
                lane.announced = true;
            }
            for (Body& c : lane.cars) {
                c.update(kStep);
                if (overlaps(c.groundBox(), box)) return false;
            }
        }
    }
    return true;
}

// The player's map: the places of the grass rows it can reach by hopping
// sideways on grass, between neighbouring grass rows, and straight across
// a run of roads from grass to grass. The first hop of a shortest way to
// the furthest reachable grass row; Key::Other when the bird is there.
struct Step {
    Key key = Key::Other;
    int roadsFrom = 0, roadsTo = 0;  // the roads that hop starts across, if any
};
Step nextStep(const BirdGame& g) {
    const int lo = std::max(0, g.p - 10), hi = int(g.rowCount()) - 1, cols = 9;
    const auto col = [](double x) { return int(std::lround(x / 2)) + 4; };
    const auto clearPlace = [&](int r, int c) {
        const Street* s = g.row(r);
        return s && s->isForest() && !s->blocksPoint(2.0 * (c - 4), kRowDepth * r);
    };
    const auto grassAfter = [&](int r, int dir) {
        for (int q = r + dir; q >= lo && q <= hi; q += dir)
            if (g.row(q)->isForest()) return q;
        return -1;
    };
    const int start = g.p * cols + col(g.bird.position.x);
    std::vector<int> from(std::size_t((hi + 1) * cols), -2);
    std::vector<int> queue{start};
    from[std::size_t(start)] = -1;
    int best = start;
    for (std::size_t i = 0; i < queue.size(); ++i) {
        const int n = queue[i], r = n / cols, c = n % cols;
        if (r > best / cols) best = n;
        std::vector<int> next;
        for (int dc : {-1, 1})
            if (c + dc >= 0 && c + dc < cols && clearPlace(r, c + dc)) next.push_back(n + dc);
        for (int dir : {1, -1}) {
            const int q = grassAfter(r, dir);
            if (q >= 0 && clearPlace(q, c)) next.push_back(q * cols + c);
        }
        for (int m : next)
            if (from[std::size_t(m)] == -2) from[std::size_t(m)] = n, queue.push_back(m);
    }
    if (best == start) return {};
    int n = best;
    while (from[std::size_t(n)] != start) n = from[std::size_t(n)];
    const int r = n / cols, c = n % cols, here = col(g.bird.position.x);
    if (r == g.p) return {c > here ? Key::Left : Key::Right};  // Left hops toward +x
    const int dir = r > g.p ? 1 : -1;
    return {dir > 0 ? Key::Up : Key::Down, g.p + dir, r - dir};
}

// Rows crossed (the levels completed and the score of the one under way)
// by a player that follows its map, after the traffic has run for half a
// minute; -1 when a car squashed it. A watchful player waits on the grass
// until the roads ahead are clear; a blind one just goes.
int crossRows(std::uint32_t seed, bool watchful, int goal) {
    Game t(seed);
    BirdGame& g = t.game;
    for (int i = 0; i < 60 * 30; ++i) g.update(kFrameMs);
    int done = 0;
    Key crossing = Key::Up;  // the way of the run of roads under way
    for (int frame = 0; frame < 60 * 60 * 10; ++frame) {
        if (g.dead) return -1;
        done = g.score;
        for (int l = 0; l < g.levelUps; ++l) done += BirdGame::kStartTarget + 5 * l;
        if (done >= goal) break;
        if (!g.bird.move.running() && g.bird.danceStep == 0 && g.row(g.p)) {
            if (!g.row(g.p)->isForest()) {
                g.hop(crossing);  // on a road: keep going
            } else {
                const Step s = nextStep(g);
                const int dir = s.key == Key::Up ? 1 : -1;
                const bool vertical = s.key == Key::Up || s.key == Key::Down;
                const bool roads = vertical && s.roadsTo * dir >= s.roadsFrom * dir;
                if (vertical) crossing = s.key;
                // A waiting player looks again every tenth of a second.
                if (s.key != Key::Other &&
                    (!roads || !watchful || (frame % 6 == 0 && crossingIsClear(g, s.roadsFrom, s.roadsTo, dir))))
                    g.hop(s.key);
            }
        }
        g.update(kFrameMs);
    }
    return done;
}

}  // namespace

TEST(BirdhopCrossing, AWatchfulPlayerCrossesTwoLevelsAndABlindOneIsSquashed) {
    // Two levels: 30 rows, then 35 on faster, busier roads.
    constexpr int kGoal = 65;
    int blindDeaths = 0;
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        EXPECT_EQ(crossRows(seed, true, kGoal), kGoal) << "seed " << seed;
        blindDeaths += crossRows(seed, false, kGoal) < 0;
    }
    EXPECT_GE(blindDeaths, 11) << "a bird that never looks crosses the traffic";
}
