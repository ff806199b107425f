// The field's rules without a window: generation, crossing vehicles and
// their spawners, the ghost line, collisions, coins, trees, scoring, the
// corridor in both views, speed and long frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>

#include "app.h"
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

TEST(CoopdashStart, ADriverThatShowsNothingMeansNoDisplayUnlessAskedFor) {
    EXPECT_TRUE(headlessDriverUnasked("offscreen", nullptr));
    EXPECT_TRUE(headlessDriverUnasked("dummy", ""));
    EXPECT_TRUE(headlessDriverUnasked("dummy", "x11,wayland"));
    EXPECT_TRUE(headlessDriverUnasked("offscreen", "offscreenx"));
    EXPECT_FALSE(headlessDriverUnasked("offscreen", "offscreen"));
    EXPECT_FALSE(headlessDriverUnasked("offscreen", "x11,OffScreen"));
    EXPECT_FALSE(headlessDriverUnasked("dummy", "DUMMY"));
    EXPECT_FALSE(headlessDriverUnasked("x11", nullptr));
    EXPECT_FALSE(headlessDriverUnasked("wayland", "dummy"));
    EXPECT_FALSE(headlessDriverUnasked(nullptr, nullptr));
}

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

    // Standing still, the line reaches and passes the chicken: the death
    // shows with the field standing still, then a new field.
    const int deaths = f.counter.deaths;
    for (int i = 0; i < 1100 && f.counter.deaths == deaths; ++i) p.update(10, 10);
    ASSERT_EQ(f.counter.deaths, deaths + 1);
    EXPECT_TRUE(p.dead);
    EXPECT_EQ(p.deathCause, Cause::Ghost);
    const double chase = p.chaseZ, time = p.playTime;
    const int score = p.score;
    Arrows up;
    up.up = true;
    for (double shown = 10; shown < Playfield::kDeathPause; shown += 10) {
        p.moveChicken(10, up, ViewTop);
        p.update(10, 10);
        ASSERT_TRUE(p.dead) << shown << " ms: the death did not show long enough";
    }
    EXPECT_DOUBLE_EQ(p.player.position.z, -12) << "moved while its death showed";
    EXPECT_DOUBLE_EQ(p.chaseZ, chase);
    EXPECT_DOUBLE_EQ(p.playTime, time);
    EXPECT_EQ(p.score, score);
    EXPECT_EQ(f.counter.deaths, deaths + 1);
    p.update(10, 10);
    EXPECT_FALSE(p.dead);
    EXPECT_EQ(p.deathCause, Cause::None);
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

    // A car or a train on the chicken ends the run at once, and says which.
    p.objects.clear();
    p.addObject(std::make_unique<Auto>(Vec3{p.player.position.x, 0, 0}, Vec3{-12, 0, 0}, 100000));
    p.update(1, 1);
    EXPECT_EQ(f.counter.deaths, 1);
    EXPECT_EQ(p.deathCause, Cause::Car);
    p.update(1, Playfield::kDeathPause);
    EXPECT_FALSE(p.dead);
    p.objects.clear();
    p.addObject(std::make_unique<Tren>(Vec3{p.player.position.x + 1, 0, 0}, Vec3{-15, 0, 0}));
    p.update(1, 1);
    EXPECT_EQ(f.counter.deaths, 2);
    EXPECT_EQ(p.deathCause, Cause::Train);
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
    // A death at speed zero still gives way to a new field: it shows for
    // real time.
    p.chaseZ = p.player.position.z - 0.01;
    game.update(16);
    ASSERT_TRUE(p.dead);
    for (int i = 0; i < 200 && p.dead; ++i) game.update(16);
    EXPECT_FALSE(p.dead);
}

namespace {

// A thing on the field that notes every step the world gives it.
struct StepProbe : Object {
    StepProbe(std::vector<double>& steps, double z) : Object(KindArbol, "probe", {11, 0, z}), steps_(steps) {}
    void update(double dt) override { steps_.push_back(dt); }
    std::vector<double>& steps_;
};

}  // namespace

TEST(CoopdashRules, ALongFrameIsSteppedSoNothingPassesThroughTheChicken) {
    // Through the program's own frame: every step within the bound, none
    // lost, a stall cut to kMaxFrame.
    for (double speed : {1.0, 1.8})
        for (double frame : {100.0, 2000.0, 60000.0}) {
            Playfield p(cdtest::script({}, 7));
            p.generate();
            Juego game(p);
            game.setPaused(false);
            game.options.speed = speed;
            p.objects.clear();
            p.player.position.z = -50;  // the ghost line 5 behind: it cannot catch up in the frame
            std::vector<double> steps;
            p.addObject(std::make_unique<StepProbe>(steps, -50));
            game.frame(frame);
            ASSERT_FALSE(steps.empty());
            double total = 0;
            for (double dt : steps) {
                EXPECT_LE(dt, Juego::kMaxStep + 1e-9) << frame << " ms at x" << speed;
                total += dt;
            }
            EXPECT_NEAR(total, std::min(frame, Juego::kMaxFrame) * speed, 1e-6) << frame << " ms at x" << speed;
        }

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
        game.frame(frame);
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
    game.frame(2000);
    EXPECT_GT(p.player.position.z, -1 + 0.07 + 0.23 - 0.06);
}

namespace {

bool danger(const Object* row) { return row && (row->kind == KindCalle || row->kind == KindVia); }

// Where the vehicles of a road or a rail will be: the ones on the row and
// the ones its spawner will send within `horizon` game milliseconds, each
// where its crossing puts it.
struct Mover {
    double from, to, crossTime, elapsed, half;  // elapsed < 0: not sent yet
};

std::vector<Mover> traffic(const Playfield& f, int z, double horizon) {
    std::vector<Mover> out;
    for (const auto& o : f.objects) {
        if ((o->kind != KindAuto && o->kind != KindTren) || o->position.z != z) continue;
        const auto& c = static_cast<const Cruce&>(*o);
        out.push_back({c.start.x, c.end.x, c.crossTime, c.elapsed, c.halfExtent.x});
    }
    const Object* row = rowAt(f, z);
    if (const auto* road = dynamic_cast<const Calle*>(row)) {
        for (double t = road->countdown; t <= horizon; t += road->spawnInterval)
            out.push_back({road->start.x, road->end.x, road->carCrossTime, -t, 0.5});
    } else if (const auto* rails = dynamic_cast<const Via*>(row)) {
        for (double t = rails->countdown; t <= horizon; t += rails->spawnInterval)
            out.push_back({rails->start.x, rails->end.x, Tren::kCrossTime, -t, 3.55});
    }
    return out;
}

// Whether one of `movers` comes within reach of a chicken at x = `px`, `tau`
// game milliseconds from now, with a margin for the frame a spawn or a step
// may be off by.
bool vehicleAt(const std::vector<Mover>& movers, double px, double tau) {
    for (const Mover& m : movers) {
        const double e = m.elapsed + tau;
        if (e < 0 || e > m.crossTime + 50) continue;
        const double x = m.from + (m.to - m.from) * std::min(1.0, e / m.crossTime);
        const double margin = m.crossTime <= Tren::kCrossTime ? 0.8 : 0.35;
        if (std::fabs(x - px) <= m.half + 0.16 + margin) return true;
    }
    return false;
}

// A player who looks before crossing. From the front edge of a grass row
// (clear of the road ahead, and of its own row's trees when it steps
// sideways), on a lane between the tree columns, it plans its way over the
// roads and rails to the next grass row frame by frame from what it sees:
// where each vehicle is, when each spawner sends the next, and the ghost
// line behind. It may wait on a road between cars or step to another lane.
// It knows nothing the game does not show: rows not made yet are unknown.
class Watchful {
public:
    static constexpr double kFrame = 1000.0 / 60.0;
    static constexpr double kStep = Playfield::kWalkSpeed * kFrame / 1000.0;  // 0.05 a frame

    explicit Watchful(Juego& game) : game_(game), f_(game.field) {}

    // Sets the arrows for the coming frame.
    void decide() {
        Arrows& a = game_.arrows;
        a = Arrows();
        if (plan_.empty()) {
            if (retry_ > 0) {
                --retry_;
                return;
            }
            makePlan();
            if (plan_.empty()) {
                retry_ = 11;  // nothing safe yet: look again shortly
                return;
            }
        }
        switch (plan_.front()) {
            case 'u': a.up = true; break;
            case 'l': a.left = true; break;
            case 'r': a.right = true; break;
            default: break;
        }
        plan_.pop_front();
    }

private:
    struct Node {
        int pos, lane, t;
        double lag;  // ghost line minus chicken z
        int parent;
        char move;
        int frames;
    };

    void makePlan() {
        const Vec3& p = f_.player.position;
        // The row it stands on (the middle of a road, or the front edge of a
        // grass row), the roads and rails ahead, and what lies beyond them:
        // a grass row, or nothing yet (rows appear 20 ahead), in which case
        // it plans to the last road and stops there a while.
        const int here = int(std::lround(p.z));
        int beyond = here - 1;
        while (danger(rowAt(f_, beyond))) --beyond;
        const bool seen = rowAt(f_, beyond) != nullptr;
        const int rows = here - beyond;  // rows `here` .. beyond + 1, by index here - z
        if (!seen && beyond == here - 1) return;
        std::vector<char> busy(std::size_t(rows) * 8 * kHorizon), hot(static_cast<std::size_t>(rows));
        const auto occupied = [&](int r, int lane, int t) {
            return busy[(std::size_t(r) * 8 + std::size_t(lane)) * kHorizon + std::size_t(t)] != 0;
        };
        for (int r = 0; r < rows; ++r) {
            hot[std::size_t(r)] = danger(rowAt(f_, here - r));
            if (!hot[std::size_t(r)]) continue;
            const std::vector<Mover> movers = traffic(f_, here - r, kHorizon * kFrame + 1000);
            for (int lane = 0; lane < 8; ++lane)
                for (int t = 0; t < kHorizon; ++t)
                    busy[(std::size_t(r) * 8 + std::size_t(lane)) * kHorizon + std::size_t(t)] =
                        vehicleAt(movers, lane - 3.5, t * kFrame);
        }
        std::vector<double> stop{p.z};
        for (int z = here - 1; z > beyond; --z) stop.push_back(z);
        if (seen) stop.push_back(beyond - 0.35);
        // Safe at z on lanes a and b at frame t: no vehicle of a row it
        // overlaps, the ghost line not on it.
        const auto safe = [&](double z, int a, int b, int t, double lag) {
            if (lag < 0.15 || t >= kHorizon) return false;
            const int near = int(std::lround(z));
            for (int row = near + 1; row >= near - 1; --row) {
                const int r = here - row;
                if (r < 0 || r >= rows || !hot[std::size_t(r)]) continue;
                if (std::fabs(z - row) <= 0.23 + 0.3 + 0.07 && (occupied(r, a, t) || occupied(r, b, t))) return false;
            }
            return true;
        };
        std::vector<Node> nodes;
        std::vector<std::vector<int>> at(kHorizon);
        std::vector<double> best(stop.size() * 8 * kHorizon, -1e9);
        const auto add = [&](Node n) {
            if (n.t >= kHorizon) return;
            double& b = best[(std::size_t(n.pos) * 8 + std::size_t(n.lane)) * kHorizon + std::size_t(n.t)];
            if (n.lag <= b + 0.01) return;
            b = n.lag;
            nodes.push_back(n);
            at[std::size_t(n.t)].push_back(int(nodes.size()) - 1);
        };
        add({0, int(std::lround(p.x + 3.5)), 0, f_.chaseZ - p.z, -1, 0, 0});
        // A move from node k to (pos, lane): `frames` frames walking dz a
        // frame forward (a step sideways is checked on both lanes), then
        // still to the next multiple of three frames.
        const auto tryMove = [&](int k, char move, int frames, int pos, int lane, double dz) {
            const Node n = nodes[std::size_t(k)];
            double z = stop[std::size_t(n.pos)], lag = n.lag;
            const int total = (frames + 2) / 3 * 3;
            for (int i = 1; i <= total; ++i) {
                lag -= Playfield::kChaseRate * kFrame;
                if (!safe(z, n.lane, lane, n.t + i, lag)) return;
                if (i <= frames) {
                    z -= dz;
                    lag = std::min(Playfield::kMaxLag, lag + dz);
                }
                if (!safe(z, n.lane, lane, n.t + i, lag)) return;
            }
            add({pos, lane, n.t + total, lag, k, move, frames});
        };
        // Arrived: on grass, or on the last road seen with a second to spare.
        const auto arrived = [&](const Node& n) {
            if (n.pos != int(stop.size()) - 1) return false;
            if (seen) return true;
            double lag = n.lag;
            for (int i = 1; i <= 60; ++i) {
                lag -= Playfield::kChaseRate * kFrame;
                if (!safe(stop.back(), n.lane, n.lane, n.t + i, lag)) return false;
            }
            return true;
        };
        for (int t = 0; t < kHorizon; t += 3)
            for (std::size_t i = 0; i < at[std::size_t(t)].size(); ++i) {
                const int k = at[std::size_t(t)][i];
                const Node n = nodes[std::size_t(k)];
                if (arrived(n)) {
                    for (int q = k; nodes[std::size_t(q)].parent >= 0; q = nodes[std::size_t(q)].parent) {
                        const Node& m = nodes[std::size_t(q)];
                        plan_.insert(plan_.begin(), std::size_t((m.frames + 2) / 3 * 3 - m.frames), 'w');
                        plan_.insert(plan_.begin(), std::size_t(m.frames), m.move);
                    }
                    return;
                }
                if (n.pos + 1 < int(stop.size())) {
                    const int walk = int(std::lround((stop[std::size_t(n.pos)] - stop[std::size_t(n.pos + 1)]) / kStep));
                    tryMove(k, 'u', walk, n.pos + 1, n.lane, kStep);
                }
                tryMove(k, 'w', 3, n.pos, n.lane, 0);
                if (n.lane > 0) tryMove(k, 'l', 20, n.pos, n.lane - 1, 0);
                if (n.lane < 7) tryMove(k, 'r', 20, n.pos, n.lane + 1, 0);
            }
    }

    static constexpr int kHorizon = 60 * 10;  // frames looked ahead, a multiple of 3

    Juego& game_;
    Playfield& f_;
    std::deque<char> plan_;  // one move a frame: up, left, right, wait
    int retry_ = 0;
};

}  // namespace

TEST(CoopdashRules, AWatchfulPlayerCrossesManyRowsABlindOneDies) {
    constexpr double kFrame = 1000.0 / 60.0;
    constexpr int kRows = 60;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        cdtest::Counter counter;
        Playfield p(cdtest::seeded(seed));
        p.generate();
        Juego game(p);
        p.listener = &counter;
        game.setPaused(false);
        p.player.position.x = 0.5;  // on a lane between the tree columns
        Watchful player(game);
        for (int frame = 0; frame < 60 * 600 && p.bestZ > -kRows && counter.deaths == 0; ++frame) {
            player.decide();
            game.frame(kFrame);
        }
        EXPECT_EQ(counter.deaths, 0) << "killed at z " << p.player.position.z << " by cause "
                                     << int(p.deathCause);
        EXPECT_LE(p.bestZ, -kRows);

        // Running on without looking, between the trees: traffic gets it.
        cdtest::Counter blindCounter;
        Playfield q(cdtest::seeded(seed));
        q.generate();
        Juego blind(q);
        q.listener = &blindCounter;
        blind.setPaused(false);
        q.player.position.x = 0.5;
        blind.arrows.up = true;
        for (int frame = 0; frame < 60 * 60 && blindCounter.deaths == 0; ++frame) blind.frame(kFrame);
        EXPECT_EQ(blindCounter.deaths, 1);
        EXPECT_TRUE(q.deathCause == Cause::Car || q.deathCause == Cause::Train) << int(q.deathCause);
    }
}
