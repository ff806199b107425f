// The field's rules without a window: generation, crossing vehicles and
// their spawners, the ghost line, collisions, coins, trees, scoring, the
// corridor in both views, speed and long frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "juego.h"
#include "playfield.h"
#include "test_support.h"

using namespace coopdash;

namespace {

const Object* rowAt(const Playfield& f, double z) {
    for (const auto& r : f.rows)
        if (r->position.z == z) return r.get();
    return nullptr;
}

// A field whose every random draw is `value`.
struct Field {
    explicit Field(coopdash::RandomSource r) : field(std::move(r)) {
        field.listener = &counter;
        field.generate();
    }
    cdtest::Counter counter;
    Playfield field;
};

}  // namespace

TEST(CoopdashRules, GenerationKeepsTheStartClearAndChoosesRowKinds) {
    Field f(cdtest::seeded(11));
    Playfield& p = f.field;
    for (int z = -1; z <= 9; ++z) {
        const Object* row = rowAt(p, z);
        ASSERT_NE(row, nullptr) << z;
        EXPECT_EQ(row->kind, KindPasto) << z;
    }
    for (const auto& o : p.objects) EXPECT_LT(o->position.z, -1) << "a tree or coin on the start rows";
    for (int z = -20; z <= -2; ++z) EXPECT_NE(rowAt(p, z), nullptr) << z;
    EXPECT_EQ(rowAt(p, -21), nullptr);
    EXPECT_EQ(p.nextRow, -21);
    EXPECT_EQ(p.rows.size(), 30u);
    EXPECT_DOUBLE_EQ(p.chaseZ, 4);
    EXPECT_EQ(p.score, 0);
    EXPECT_FALSE(p.dead);

    // r even or a multiple of 3: road; else a multiple of 5: rails; else grass.
    const struct {
        int r, kind;
    } cases[] = {{2, KindCalle}, {9, KindCalle}, {25, KindVia}, {35, KindVia}, {7, KindPasto}, {49, KindPasto}};
    for (const auto& c : cases) {
        Field one(cdtest::script({}, c.r));
        EXPECT_EQ(rowAt(one.field, -2)->kind, c.kind) << c.r;
    }
}

TEST(CoopdashRules, GrassRowsDrawTreesAndCoinsColumnByColumn) {
    // Row -2 by draw 7 (grass), then per column: 4 (even: tree) for c = -12,
    // 3 then 20 (odd, then a multiple of 10 with |c| < 5: coin) for c = -11
    // (too far out: nothing), 3 then 20 for c = 0 .. (coins), rest odd.
    std::deque<int> draws = {7};
    for (int c = -12; c <= 12; ++c) {
        if (c == -12 || c == 3) {
            draws.push_back(4);
        } else {
            draws.push_back(3);
            draws.push_back(c == -11 || c == 0 || c == 4 || c == 5 ? 20 : 21);
        }
    }
    Field f(cdtest::script(draws, 1));
    const Playfield& p = f.field;
    ASSERT_EQ(rowAt(p, -2)->kind, KindPasto);
    std::vector<double> trees, coins;
    for (const auto& o : p.objects) {
        if (o->position.z != -2) continue;
        (o->kind == KindArbol ? trees : coins).push_back(o->position.x);
    }
    EXPECT_EQ(trees, (std::vector<double>{-12, 3}));
    EXPECT_EQ(coins, (std::vector<double>{0, 4}));  // -11 and 5 lie outside |c| < 5
}

TEST(CoopdashRules, RoadAndRailIntervalsAndDirections) {
    Playfield p(cdtest::script({}, 1));
    Calle east(p, -3, 12345);  // odd: cars run from -12 to +12
    EXPECT_DOUBLE_EQ(east.spawnInterval, 4345);
    EXPECT_DOUBLE_EQ(east.carCrossTime, 20345);
    EXPECT_DOUBLE_EQ(east.start.x, -12);
    EXPECT_DOUBLE_EQ(east.end.x, 12);
    Calle west(p, -3, 40000);
    EXPECT_DOUBLE_EQ(west.spawnInterval, 2000);
    EXPECT_DOUBLE_EQ(west.carCrossTime, 8000);
    EXPECT_DOUBLE_EQ(west.start.x, 12);
    Via rails(p, -4, 45678);
    EXPECT_DOUBLE_EQ(rails.spawnInterval, 15678);
    EXPECT_DOUBLE_EQ(rails.start.x, 15);
    EXPECT_DOUBLE_EQ(rails.end.x, -15);

    // The first vehicle leaves on the first update, the next one interval later.
    east.update(1);
    ASSERT_EQ(p.objects.size(), 1u);
    const auto* car = dynamic_cast<const Auto*>(p.objects[0].get());
    ASSERT_NE(car, nullptr);
    EXPECT_DOUBLE_EQ(car->heading, 180) << "a car running toward +x is turned round";
    EXPECT_DOUBLE_EQ(car->crossTime, 20345);
    east.update(4345);
    EXPECT_EQ(p.objects.size(), 1u);
    east.update(1);
    EXPECT_EQ(p.objects.size(), 2u);
    west.update(1);
    EXPECT_DOUBLE_EQ(p.objects.back()->heading, 0);
    rails.update(1);
    const auto* train = dynamic_cast<const Tren*>(p.objects.back().get());
    ASSERT_NE(train, nullptr);
    EXPECT_DOUBLE_EQ(train->crossTime, 2000);
}

TEST(CoopdashRules, CrossingObjectsMoveThenAreRemoved) {
    Auto car({12, 0, -3}, {-12, 0, -3}, 8000);
    car.update(4000);
    EXPECT_NEAR(car.position.x, 0, 1e-9);
    car.update(5000);  // past the end: it stops there
    EXPECT_NEAR(car.position.x, -12, 1e-9);
    EXPECT_FALSE(car.removed);
    car.update(16);
    EXPECT_TRUE(car.removed);
    car.update(16);
    EXPECT_NEAR(car.position.x, -12, 1e-9);

    // The field takes removed objects out.
    Field f(cdtest::script({}, 7));
    Playfield& p = f.field;
    p.objects.clear();
    p.addObject(std::make_unique<Tren>(Vec3{15, 0, -5}, Vec3{-15, 0, -5}));
    p.update(1000, 1000);
    ASSERT_EQ(p.objects.size(), 1u);
    EXPECT_NEAR(p.objects[0]->position.x, 0, 1e-9) << "15 units a second";
    p.update(1000, 1000);
    p.update(16, 16);
    p.update(16, 16);
    EXPECT_TRUE(p.objects.empty());
}

TEST(CoopdashRules, GhostLineAdvancesNeverLagsAndCatches) {
    Field f(cdtest::script({}, 7));
    Playfield& p = f.field;
    for (int i = 0; i < 100; ++i) p.update(10, 10);
    EXPECT_NEAR(p.chaseZ, 3.5, 1e-9) << "half a unit a second";
    EXPECT_DOUBLE_EQ(p.ghost.position.z, p.chaseZ);

    // Running far ahead pulls the line along: never more than 5 behind.
    p.player.position.z = -12;
    p.update(10, 10);
    EXPECT_DOUBLE_EQ(p.chaseZ, -7);
    EXPECT_FALSE(p.dead);

    // Standing still, the line reaches and passes the chicken: a new field.
    const int deaths = f.counter.deaths;
    for (int i = 0; i < 1100 && f.counter.deaths == deaths; ++i) p.update(10, 10);
    EXPECT_EQ(f.counter.deaths, deaths + 1);
    EXPECT_DOUBLE_EQ(p.player.position.z, 0);
    EXPECT_DOUBLE_EQ(p.player.heading, 0);
    EXPECT_EQ(p.score, 0);
    EXPECT_DOUBLE_EQ(p.chaseZ, 4);
    EXPECT_DOUBLE_EQ(p.playTime, 0);
}

TEST(CoopdashRules, CoinsScoreFiveOnceTreesBlockAndNeverKillCarsKill) {
    Field f(cdtest::script({}, 7));
    Playfield& p = f.field;
    p.objects.clear();
    p.addObject(std::make_unique<Moneda>(0, 0, 0));
    p.update(1, 0);
    EXPECT_EQ(p.score, 5);
    EXPECT_TRUE(p.objects.empty());
    p.update(1, 0);
    EXPECT_EQ(p.score, 5);

    // A tree just ahead: walking up is refused, standing against it is safe.
    p.addObject(std::make_unique<Arbol>(0, 0, -0.5));
    Arrows up;
    up.up = true;
    const double z0 = p.player.position.z;
    for (int i = 0; i < 30; ++i) {
        p.moveChicken(16, up, ViewTop);
        p.update(16, 16);
    }
    EXPECT_GT(p.player.position.z, -0.5 + 0.07 + 0.23 - 0.06) << "walked into the tree";
    EXPECT_LE(p.player.position.z, z0);
    EXPECT_EQ(f.counter.deaths, 0);
    EXPECT_FALSE(p.dead);

    // Also sideways in first person.
    p.objects.clear();
    p.player.position = {0, 0, 0};
    p.addObject(std::make_unique<Arbol>(0.5, 0, 0));
    Arrows right;
    right.right = true;
    for (int i = 0; i < 30; ++i) p.moveChicken(16, right, ViewFirstPerson);
    EXPECT_LT(p.player.position.x, 0.5 - 0.07 - 0.16 + 0.06);

    // A car on the chicken ends the run at once.
    p.objects.clear();
    p.addObject(std::make_unique<Auto>(Vec3{p.player.position.x, 0, 0}, Vec3{-12, 0, 0}, 100000));
    p.update(1, 1);
    EXPECT_EQ(f.counter.deaths, 1);
}

TEST(CoopdashRules, ScoresEachRowOnceWalkingBackScoresNothing) {
    Field f(cdtest::script({}, 7));
    Playfield& p = f.field;
    p.objects.clear();  // no trees in the way
    p.player.position.z = -0.5;
    p.update(1, 1);
    EXPECT_EQ(p.score, 1);
    p.player.position.z = -2.2;
    p.update(1, 1);
    EXPECT_EQ(p.score, 3);
    for (double z : {-1.0, 0.5, -1.5, -2.1}) {
        p.player.position.z = z;
        p.update(1, 1);
    }
    EXPECT_EQ(p.score, 3);
    p.player.position.z = -3.01;
    p.update(1, 1);
    EXPECT_EQ(p.score, 4);
}

TEST(CoopdashRules, CorridorHoldsInBothViews) {
    Field f(cdtest::script({}, 7));
    Playfield& p = f.field;
    p.objects.clear();
    Arrows right, left;
    right.right = true;
    left.left = true;
    for (int i = 0; i < 400; ++i) p.moveChicken(16, right, ViewTop);
    EXPECT_LE(p.player.position.x, 4);
    EXPECT_GT(p.player.position.x, 3.9);
    EXPECT_DOUBLE_EQ(p.player.heading, 270);
    for (int i = 0; i < 400; ++i) p.moveChicken(16, left, ViewTop);
    EXPECT_GE(p.player.position.x, -4);
    EXPECT_LT(p.player.position.x, -3.9);
    EXPECT_DOUBLE_EQ(p.player.heading, 90);

    // First person, turned to face -x: walking on stops short of |x| = 4.
    p.player.position = {};
    p.player.heading = 90;
    Arrows up;
    up.up = true;
    for (int i = 0; i < 400; ++i) p.moveChicken(16, up, ViewFirstPerson);
    EXPECT_GT(p.player.position.x, -4);
    EXPECT_LT(p.player.position.x, -3.9);
    EXPECT_NEAR(p.player.position.z, 0, 1e-9);
    // Strafing right from heading 0 goes toward +x, never reaching 4.
    p.player.position = {};
    p.player.heading = 0;
    for (int i = 0; i < 400; ++i) p.moveChicken(16, right, ViewFirstPerson);
    EXPECT_LT(p.player.position.x, 4);
    EXPECT_GT(p.player.position.x, 3.9);
}

TEST(CoopdashRules, RowsComeTwentyAheadAndGoTenBehindOverALongRun) {
    Field f(cdtest::seeded(5));
    Playfield& p = f.field;
    std::size_t most = 0;
    // Carry the chicken forward row by row, as if it never met anything.
    for (int i = 0; i < 1000 * 20; ++i) {
        p.player.position.z -= 0.05;
        p.player.position.x = 0.5;
        // Keep clear of whatever stands on the way.
        p.objects.erase(std::remove_if(p.objects.begin(), p.objects.end(),
                                       [&](const auto& o) { return std::fabs(o->position.z - p.player.position.z) < 2; }),
                        p.objects.end());
        p.update(16, 16);
        ASSERT_EQ(f.counter.deaths, 0) << i;
        EXPECT_LE(p.player.position.z - p.nextRow, 21);
        most = std::max(most, p.rows.size() + p.objects.size());
    }
    EXPECT_LT(p.nextRow, -1000);
    for (const auto& r : p.rows) EXPECT_LT(r->position.z, p.chaseZ + 10);
    EXPECT_LT(most, 2000u) << "rows and objects pile up";
    EXPECT_LE(p.rows.size(), 38u);
}

TEST(CoopdashRules, SpeedScalesTheWorldButNotTheClocks) {
    // Through the loop's own update, as the program runs it.
    cdtest::Counter counter;
    Playfield p(cdtest::script({}, 7));
    p.generate();
    Juego game(p);
    p.listener = &counter;
    game.setPaused(false);
    game.options.speed = 2.0;
    p.objects.clear();
    p.addObject(std::make_unique<Tren>(Vec3{15, 0, -30}, Vec3{-15, 0, -30}));
    for (int i = 0; i < 50; ++i) game.update(10);  // half a real second
    EXPECT_NEAR(p.objects[0]->position.x, 0, 1e-6) << "at speed 2 the train crosses in one real second";
    EXPECT_NEAR(p.chaseZ, 4 - 0.5, 1e-9) << "the ghost line moves twice as fast too";
    EXPECT_NEAR(p.playTime, 500, 1e-6);
    // The music comes round every 30 real seconds whatever the speed.
    p.objects.clear();
    // The chicken keeps ahead of the ghost line, which runs at a unit a second.
    const auto run = [&](int frames) {
        for (int i = 0; i < frames; ++i) {
            p.player.position.z -= 0.02;
            game.update(10);
        }
    };
    run(2900);
    EXPECT_EQ(counter.music, 0);
    run(100);
    EXPECT_EQ(counter.music, 1);
    EXPECT_EQ(counter.deaths, 0);

    // At speed zero nothing moves and the clocks still run, with no NaN.
    game.options.speed = 0;
    const double chase = p.chaseZ, time = p.playTime;
    Arrows up;
    up.up = true;
    game.arrows = up;
    const double z = p.player.position.z;
    game.update(1000);
    EXPECT_DOUBLE_EQ(p.chaseZ, chase);
    EXPECT_DOUBLE_EQ(p.player.position.z, z);
    EXPECT_NEAR(p.playTime, time + 1000, 1e-6);
    EXPECT_TRUE(std::isfinite(p.musicTime));
}

TEST(CoopdashRules, ALongFrameIsSteppedSoNothingPassesThroughTheChicken) {
    for (double frame : {500.0, 2000.0}) {
        cdtest::Counter counter;
        Playfield p(cdtest::script({}, 7));
        p.generate();
        Juego game(p);
        p.listener = &counter;
        game.setPaused(false);
        p.objects.clear();
        // A train starting 7 units to the right runs across the chicken
        // well within the frame, and off the other side.
        p.addObject(std::make_unique<Tren>(Vec3{7.5, 0, 0}, Vec3{-22.5, 0, 0}));
        game.update(frame);
        EXPECT_EQ(counter.deaths, 1) << frame << " ms: the train went through the chicken";
    }
    // A long frame with an arrow held does not carry the chicken through a tree.
    Playfield p(cdtest::script({}, 7));
    p.generate();
    Juego game(p);
    game.setPaused(false);
    p.objects.clear();
    p.addObject(std::make_unique<Arbol>(0, 0, -1));
    game.arrows.up = true;
    game.update(2000);
    EXPECT_GT(p.player.position.z, -1 + 0.07 + 0.23 - 0.06);
}
