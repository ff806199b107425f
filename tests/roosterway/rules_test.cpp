// The field's generation, hops, free movement, cars, collisions, lives, win
// and the playing keys, without a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <set>
#include <string>

#include "game.h"
#include "hop.h"
#include "hopcommon/records.h"
#include "test_support.h"
#include "world.h"

using namespace roosterway;
using rwtest::constant;
using rwtest::key;
using rwtest::seeded;

namespace {

bool contains(const char* const (&table)[6], const std::string& key) {
    return std::find_if(std::begin(table), std::end(table), [&](const char* k) { return key == k; }) !=
           std::end(table);
}

// A game whose field is all road without cars or obstacles (every draw 99):
// tests add what they need.
struct EmptyField : ::testing::Test {
    EmptyField() { game.screen.mainState = StatePlaying; }
    Juego game{false, constant(99)};
    GameWorld& world() { return *game.world; }
    void addObstacle(int column, int row) {
        ObstacleRecord o;
        o.modelKey = "tree1";
        o.column = column;
        o.row = row;
        world().obstacleList.push_back(o);
    }
    void addCar(float x, float row, float speed = 0) {
        CarRecord c;
        c.modelKey = "taxi";
        c.x = x;
        c.row = row;
        c.speed = speed;
        world().carList.push_back(c);
    }
    // Runs frames of `ms` until no hop is in progress (at most `limit`).
    int finishHop(int ms = 10, int limit = 200) {
        int frames = 0;
        while (game.hop.hopping && frames < limit) {
            game.updatePlaying(ms, false, false);
            ++frames;
        }
        return frames;
    }
    void tap(SDL_Keycode k) {
        game.handleEvent(key(k, true));
        game.handleEvent(key(k, false));
    }
    // Back to a fresh empty field, playing, at the start.
    void restart() {
        testing::internal::CaptureStdout();
        game.newWorld();
        testing::internal::GetCapturedStdout();
        game.x = game.z = game.height = 0;
        game.lives = Juego::kStartLives;
        game.view = 0;
        game.armed = true;
        game.hitLastFrame = false;
        game.hop.cancel();
        game.screen = ScreenState{};
        game.screen.mainState = StatePlaying;
    }
};

}  // namespace

TEST(Generation, SeededFieldsFollowTheRules) {
    for (unsigned seed : {1u, 7u, 42u, 1234u, 99991u}) {
        SCOPED_TRACE(seed);
        testing::internal::CaptureStdout();
        GameWorld world(false, seeded(seed));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Generando mundo...\n");

        ASSERT_EQ(world.rowList.size(), 51u);
        EXPECT_EQ(world.columns, 35);
        for (int r : {0, 50}) {
            EXPECT_EQ(world.rowList[r].kind, "Pasto");
            EXPECT_EQ(world.rowList[r].modelKey, "grass_light");
        }
        for (std::size_t r = 1; r < world.rowList.size(); ++r) {
            const RowRecord& row = world.rowList[r];
            if (row.kind == "Calle") {
                const bool afterRoad = world.rowList[r - 1].kind == "Calle";
                EXPECT_EQ(row.modelKey, afterRoad ? "road_stripes" : "road_blank") << r;
            } else {
                EXPECT_EQ(row.kind, "Pasto");
                EXPECT_TRUE(row.modelKey == "grass_light" || row.modelKey == "grass_dark") << row.modelKey;
            }
        }
        for (const ObstacleRecord& o : world.obstacleList) {
            EXPECT_EQ(o.kind, "ArbolRoca");
            EXPECT_TRUE(contains(kObstacleKeys, o.modelKey)) << o.modelKey;
            EXPECT_GE(o.column, 0);
            EXPECT_LT(o.column, 35);
            ASSERT_GT(o.row, 0);
            ASSERT_LT(o.row, 50);
            EXPECT_EQ(world.rowList[std::size_t(o.row)].kind, "Pasto");
        }
        std::set<float> rowSpeeds[51];
        for (std::size_t i = 0; i < world.carList.size(); ++i) {
            const CarRecord& c = world.carList[i];
            EXPECT_EQ(c.kind, "Auto");
            EXPECT_TRUE(contains(kCarKeys, c.modelKey)) << c.modelKey;
            ASSERT_GT(c.row, 0.f);
            ASSERT_LT(c.row, 50.f);
            EXPECT_EQ(world.rowList[std::size_t(c.row)].kind, "Calle");
            EXPECT_TRUE(std::count(std::begin(kCarSpeeds), std::end(kCarSpeeds), c.speed) == 1) << c.speed;
            rowSpeeds[int(c.row)].insert(c.speed);
            if (i > 0 && world.carList[i - 1].row == c.row) {
                EXPECT_GE(c.x - world.carList[i - 1].x, 3.f) << "cars on row " << c.row << " start too close";
            }
        }
        for (const auto& speeds : rowSpeeds) EXPECT_LE(speeds.size(), 1u) << "one speed per row";
        // Twenty percent of the grass squares, roughly.
        EXPECT_GT(world.obstacleList.size(), 0u);
    }
}

TEST(Generation, SameSeedSameFieldAndDrawOrder) {
    testing::internal::CaptureStdout();
    GameWorld a(false, seeded(5)), b(false, seeded(5));
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(a.carList.size(), b.carList.size());
    ASSERT_EQ(a.obstacleList.size(), b.obstacleList.size());
    for (std::size_t i = 0; i < a.rowList.size(); ++i) EXPECT_EQ(a.rowList[i].modelKey, b.rowList[i].modelKey);

    // Every draw 0: grass (0 is not above 49), light (second draw 0), a
    // tree1 on every square of rows 1..49.
    testing::internal::CaptureStdout();
    GameWorld grass(false, constant(0));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(grass.obstacleList.size(), 49u * 35u);
    EXPECT_TRUE(grass.carList.empty());
    for (const RowRecord& row : grass.rowList) EXPECT_EQ(row.modelKey, "grass_light");
    EXPECT_EQ(grass.obstacleList.front().modelKey, "tree1");

    // Draws scripted per row: road (99), speed index 0 (-6), then for every
    // column a car chance of 0 and model index 3 (purple_car). Cars land on
    // columns 0, 3, 6, ...: the two after each car are refused, though their
    // model draw is still taken.
    std::deque<int> script;
    for (int r = 1; r < 50; ++r) {
        script.push_back(99);
        script.push_back(0);
        for (int c = 0; c < 35; ++c) {
            script.push_back(0);
            script.push_back(3);
        }
    }
    testing::internal::CaptureStdout();
    GameWorld roads(false, [&] {
        if (script.empty()) return 12345;  // draws beyond the script fail the counts below
        const int v = script.front();
        script.pop_front();
        return v;
    });
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(script.empty());
    EXPECT_EQ(roads.rowList[1].modelKey, "road_blank");
    EXPECT_EQ(roads.rowList[2].modelKey, "road_stripes");
    EXPECT_EQ(roads.rowList[49].modelKey, "road_stripes");
    ASSERT_EQ(roads.carList.size(), 49u * 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(roads.carList[std::size_t(i)].x, float(3 * i));
        EXPECT_EQ(roads.carList[std::size_t(i)].row, 1.f);
        EXPECT_EQ(roads.carList[std::size_t(i)].speed, -6.f);
        EXPECT_EQ(roads.carList[std::size_t(i)].modelKey, "purple_car");
    }
}

TEST(Cars, MoveByTheirSpeedAndWrapRoundTheField) {
    testing::internal::CaptureStdout();
    GameWorld world(false, constant(99));
    testing::internal::GetCapturedStdout();
    world.carList = {CarRecord{"Auto", "taxi", 10, 3, 4}, CarRecord{"Auto", "taxi", 34.9f, 3, 6},
                     CarRecord{"Auto", "taxi", 0.1f, 3, -6}};
    world.moveCars(500);
    EXPECT_FLOAT_EQ(world.carList[0].x, 12);
    EXPECT_NEAR(world.carList[1].x, 2.9f, 1e-4);   // left on the right, back on the left
    EXPECT_NEAR(world.carList[2].x, 32.1f, 1e-4);  // and the other way
    // A long stall still leaves every car on the field.
    world.moveCars(60000);
    for (const CarRecord& c : world.carList) {
        EXPECT_GE(c.x, 0.f);
        EXPECT_LE(c.x, 35.f);
    }
}

TEST_F(EmptyField, AHopStartsOnReleaseLastsAThirdOfASecondAndLandsOnWholeSquares) {
    game.handleEvent(key(SDLK_UP, true));
    EXPECT_TRUE(game.crouching);
    game.updatePlaying(10, true, false);
    EXPECT_FALSE(game.hop.hopping) << "a press alone does not hop";
    EXPECT_FLOAT_EQ(game.scaleY, 0.6f) << "crouched while the key is down";
    game.handleEvent(key(SDLK_UP, true, true));  // repeats change nothing
    game.handleEvent(key(SDLK_UP, false));
    EXPECT_FALSE(game.crouching);
    game.updatePlaying(10, false, false);
    EXPECT_TRUE(game.hop.hopping);
    EXPECT_LT(game.z, 0.f);
    EXPECT_GT(game.height, 0.f);

    float highest = 0;
    int frames = 1;
    while (game.hop.hopping && frames < 100) {
        game.updatePlaying(10, false, false);
        highest = std::max(highest, game.height);
        ++frames;
    }
    // 34 steps of 10 ms: the first whose total exceeds 1/3 s ends the hop.
    EXPECT_EQ(frames, 34);
    EXPECT_EQ(game.z, -1.f);
    EXPECT_EQ(game.x, 0.f);
    EXPECT_EQ(game.height, 0.f);
    EXPECT_NEAR(highest, 0.5f, 0.01f);
    EXPECT_EQ(game.hop.facing, 180.f);
    EXPECT_EQ(game.score(), 1);

    // Each direction sets its facing and lands a square away.
    const struct {
        SDL_Keycode key;
        float dx, dz, facing;
    } moves[] = {{SDLK_RIGHT, 1, 0, 90}, {SDLK_LEFT, -1, 0, 270}, {SDLK_DOWN, 0, 1, 0}};
    for (const auto& m : moves) {
        const float x0 = game.x, z0 = game.z;
        tap(m.key);
        game.updatePlaying(10, false, false);
        finishHop();
        EXPECT_EQ(game.x, x0 + m.dx);
        EXPECT_EQ(game.z, z0 + m.dz);
        EXPECT_EQ(game.hop.facing, m.facing);
    }
}

TEST_F(EmptyField, HopsAreRefusedTowardObstaclesBehindTheStartAndPastTheSides) {
    HopController& hop = game.hop;
    float x = 0, z = 0, h = 0;
    hop.step(HopDown, x, z, h, 0.01f);
    EXPECT_FALSE(hop.hopping) << "no square behind row 0";
    EXPECT_EQ(hop.facing, 0.f) << "the chicken still turns";

    addObstacle(17, 1);  // the square in front of the start
    hop.step(HopUp, x, z, h, 0.01f);
    EXPECT_FALSE(hop.hopping);
    EXPECT_EQ(z, 0.f);
    addObstacle(16, 0);
    hop.step(HopLeft, x, z, h, 0.01f);
    EXPECT_FALSE(hop.hopping);
    hop.step(HopRight, x, z, h, 0.01f);
    EXPECT_TRUE(hop.hopping) << "column 18 is free";

    x = 6, z = -3;
    hop.cancel();
    hop.step(HopRight, x, z, h, 0.01f);
    EXPECT_FALSE(hop.hopping) << "offset 7 is off the field";
    x = -6;
    hop.step(HopLeft, x, z, h, 0.01f);
    EXPECT_FALSE(hop.hopping);
    hop.step(HopRight, x, z, h, 0.01f);
    EXPECT_TRUE(hop.hopping);

    // Input is ignored during a hop; a long frame lands on the square, not past it.
    hop.step(HopUp, x, z, h, 0.5f);
    EXPECT_EQ(hop.dx, 1);
    hop.step(HopNone, x, z, h, 0.5f);
    EXPECT_FALSE(hop.hopping);
    EXPECT_EQ(x, -5.f);
    EXPECT_EQ(z, -3.f);
}

TEST_F(EmptyField, SlowModeHalvesTheTimeStep) {
    game.previousTicks = 1000;
    EXPECT_EQ(game.frameStep(1033), 33);
    game.options.slow = true;
    EXPECT_EQ(game.frameStep(1066), 16);
    EXPECT_EQ(game.frameStep(1067), 0);
    EXPECT_EQ(game.previousTicks, 1067u);
}

TEST_F(EmptyField, FreeMovementFollowsTheHeadingAndStopsAtBoundsAndObstacles) {
    tap(SDLK_v);
    tap(SDLK_v);
    ASSERT_EQ(game.view, 2);
    // Arrows neither crouch nor hop in view 2.
    game.handleEvent(key(SDLK_UP, true));
    EXPECT_FALSE(game.crouching);
    game.handleEvent(key(SDLK_UP, false));
    EXPECT_EQ(game.hopDirection, HopNone);

    game.updatePlaying(100, false, true);  // back from the start: refused
    EXPECT_EQ(game.z, 0.f);
    game.updatePlaying(100, true, false);  // yaw 270: straight ahead
    EXPECT_NEAR(game.z, -0.3f, 1e-5);
    EXPECT_NEAR(game.x, 0.f, 1e-5);
    EXPECT_EQ(game.hop.facing, 180.f);

    // An obstacle on (17, 2) blocks within 0.45 of (0, -2.25).
    addObstacle(17, 2);
    for (int i = 0; i < 20; ++i) game.updatePlaying(100, true, false);
    EXPECT_GT(game.z, -1.8f - 1e-4);
    EXPECT_LT(game.z, -1.5f + 1e-4);

    // Mouse to the right turns the heading to the right (yaw falls).
    game.handleEvent(rwtest::motion(900, 0));
    EXPECT_FLOAT_EQ(game.yaw, 180.f);
    for (int i = 0; i < 60; ++i) game.updatePlaying(100, true, false);
    EXPECT_LE(game.x, 6.3f);
    EXPECT_GT(game.x, 6.0f);
    EXPECT_EQ(game.hop.facing, 90.f);
    // Yaw wraps into 0..360.
    game.handleEvent(rwtest::motion(2000, 0));
    EXPECT_FLOAT_EQ(game.yaw, 340.f);
    game.handleEvent(rwtest::motion(-300, 0));
    EXPECT_FLOAT_EQ(game.yaw, 10.f);
    // Vertical motion raises the view-2 camera, clamped to 1.
    game.handleEvent(rwtest::motion(0, 25));
    game.updatePlaying(0, false, false);
    EXPECT_FLOAT_EQ(game.pitch, 0.5f);
    game.handleEvent(rwtest::motion(0, 500));
    game.updatePlaying(0, false, false);
    EXPECT_FLOAT_EQ(game.pitch, 1.f);
}

TEST_F(EmptyField, ACarCostsOneLifePerContactAndTheLastLifeLosesTheGame) {
    // The chicken on row 1, column 17 (x 0).
    game.z = -1;
    addCar(16.5f, 1);  // round(17) - 17 = 0: covers offsets -1 and 0
    game.updatePlaying(16, false, false);
    EXPECT_TRUE(game.hitThisFrame);
    EXPECT_EQ(game.lives, 2);
    EXPECT_FLOAT_EQ(game.scaleY, 0.3f) << "flattened";
    for (int i = 0; i < 10; ++i) game.updatePlaying(16, false, false);
    EXPECT_EQ(game.lives, 2) << "one life per contact, not per frame";

    // Movement waits while the car stands on the chicken.
    tap(SDLK_LEFT);
    game.updatePlaying(16, false, false);
    EXPECT_FALSE(game.hop.hopping);

    world().carList[0].x = 5;
    game.updatePlaying(16, false, false);
    EXPECT_FALSE(game.hitThisFrame);
    EXPECT_TRUE(game.armed);
    world().carList[0].x = 17.4f;  // round(17.9) = 18: offsets 0 and 1
    game.updatePlaying(16, false, false);
    EXPECT_EQ(game.lives, 1);
    world().carList[0].x = 18.5f;  // offsets 1 and 2: clear
    game.updatePlaying(16, false, false);
    EXPECT_FALSE(game.hitThisFrame);
    world().carList[0].x = 16.5f;
    game.updatePlaying(16, false, false);
    EXPECT_EQ(game.screen.mainState, StateLost);
    EXPECT_EQ(game.lives, 3);
    EXPECT_TRUE(game.armed);
    EXPECT_EQ(game.x, 0.f);
    EXPECT_EQ(game.z, 0.f);
    EXPECT_EQ(game.yaw, 270.f);
    EXPECT_EQ(game.hop.facing, 180.f);
    EXPECT_FALSE(game.hop.hopping);

}

TEST_F(EmptyField, FreeMovementHitsUseTheCarsBox) {
    game.view = 2;
    game.z = -3.25f;
    addCar(17.f, 3);  // cx 0, cz -3.25
    game.x = 0.99f;
    game.updatePlaying(0, false, false);
    EXPECT_TRUE(game.hitThisFrame);
    game.x = 1.0f;
    game.updatePlaying(0, false, false);
    EXPECT_FALSE(game.hitThisFrame);
    game.x = 0;
    game.z = -3.74f;
    game.updatePlaying(0, false, false);
    EXPECT_TRUE(game.hitThisFrame);
    game.z = -3.76f;
    game.updatePlaying(0, false, false);
    EXPECT_FALSE(game.hitThisFrame);

    // Losing the last life during a hop begun before the switch to view 2
    // puts the chicken back at the start without the rest of the hop.
    game.lives = 1;
    game.view = 0;
    game.x = 0;
    game.z = -3;
    tap(SDLK_RIGHT);
    game.updatePlaying(10, false, false);
    ASSERT_TRUE(game.hop.hopping);
    tap(SDLK_v);
    tap(SDLK_v);
    ASSERT_EQ(game.view, 2);
    game.updatePlaying(10, false, false);
    EXPECT_EQ(game.screen.mainState, StateLost);
    EXPECT_FALSE(game.hop.hopping);
    EXPECT_EQ(game.hop.facing, 180.f);
}

TEST_F(EmptyField, RowFiftyWinsAndOneMoreHopReturnsToTheMenuWithAFreshField) {
    game.z = -49;
    tap(SDLK_UP);
    game.updatePlaying(10, false, false);
    finishHop();
    EXPECT_EQ(game.score(), 50);
    EXPECT_EQ(game.screen.mainState, StatePlaying);
    tap(SDLK_UP);
    game.updatePlaying(10, false, false);
    finishHop();
    EXPECT_EQ(game.screen.mainState, StateMenu);
    EXPECT_EQ(game.screen.subScreen, ScreenMain);
    EXPECT_TRUE(game.screen.newGameRequested);
    EXPECT_EQ(game.z, 0.f);
    EXPECT_EQ(game.lives, 3);

    addObstacle(3, 3);  // marks the old field
    testing::internal::CaptureStdout();
    game.newWorld();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Generando mundo...\n");
    EXPECT_TRUE(game.world->obstacleList.empty());
    EXPECT_EQ(game.world->rowList.size(), 51u);

    // Free movement cannot skip past the end on a long frame either.
    game.screen = ScreenState{};
    game.screen.mainState = StatePlaying;
    game.view = 2;
    game.z = -50.5f;
    game.updatePlaying(2000, true, false);
    EXPECT_EQ(game.screen.mainState, StateMenu);
}

// The furthest row of a run, not where it ends, is kept as the best when the
// run is lost, paused or won (never past the last row's 50); a worse run
// leaves it.
TEST_F(EmptyField, TheFurthestRowOfARunIsKeptAsTheBest) {
    const std::string dir = testing::TempDir() + "roosterway_best";
    ASSERT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
    setenv("HOPGAMES_DATA_DIR", dir.c_str(), 1);
    hop::Records records("roosterway");
    game.records = &records;
    game.z = -6;
    game.updatePlaying(0, false, false);
    tap(SDLK_DOWN);
    game.updatePlaying(10, false, false);
    finishHop();
    ASSERT_EQ(game.score(), 5);
    game.lives = 1;
    addCar(16.5f, 5);
    game.updatePlaying(16, false, false);
    ASSERT_EQ(game.screen.mainState, StateLost);
    EXPECT_EQ(hop::Records("roosterway").best("best"), 6) << "saved when lost";

    restart();
    game.z = -3;
    game.updatePlaying(0, false, false);
    tap(SDLK_p);
    EXPECT_EQ(game.screen.mainState, StateMenu);
    EXPECT_EQ(records.best("best"), 6) << "a worse run";

    restart();
    game.z = -40;
    game.updatePlaying(0, false, false);
    tap(SDLK_p);
    EXPECT_EQ(hop::Records("roosterway").best("best"), 40) << "saved at a pause";

    restart();
    game.z = -50;
    tap(SDLK_UP);
    game.updatePlaying(10, false, false);
    finishHop();
    ASSERT_EQ(game.screen.mainState, StateMenu);
    EXPECT_EQ(hop::Records("roosterway").best("best"), 50) << "won";
    unsetenv("HOPGAMES_DATA_DIR");
}

TEST_F(EmptyField, PlayingKeys) {
    game.screen.mainState = StatePlaying;
    tap(SDLK_v);
    EXPECT_EQ(game.view, 1);
    tap(SDLK_v);
    tap(SDLK_v);
    EXPECT_EQ(game.view, 0);
    tap(SDLK_w);
    EXPECT_TRUE(game.options.wireframe);
    tap(SDLK_w);
    EXPECT_FALSE(game.options.wireframe);

    game.handleEvent(key(SDLK_UP, true));
    tap(SDLK_p);
    EXPECT_EQ(game.screen.mainState, StateMenu);
    EXPECT_FALSE(game.crouching);
    tap(SDLK_p);  // p in the menu resumes
    EXPECT_EQ(game.screen.mainState, StatePlaying);

    game.handleEvent(key(SDLK_ESCAPE, true));
    EXPECT_TRUE(game.screen.quitRequested);
    game.screen.quitRequested = false;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    game.handleEvent(quit);
    EXPECT_TRUE(game.screen.quitRequested);
}

// One long frame (a stall, a loaded machine) plays as many short steps: a
// car cannot jump over the chicken, nor the chicken walk through a tree.
TEST_F(EmptyField, LongFramesNeitherSkipCarsNorCrossObstacles) {
    for (int ms : {700, 2000}) {
        restart();
        game.z = -1;
        // The chicken's square is covered while the car's x lies in [16, 18):
        // a single step of `ms` would carry the car from 19 past it.
        addCar(19, 1, -6);
        game.update(ms, false, false);
        EXPECT_EQ(game.lives, 2) << ms << " ms";
        EXPECT_FLOAT_EQ(game.scaleY, 1.f) << "the car has passed";
    }
    for (int ms : {700, 2000}) {
        restart();
        game.view = 2;
        addObstacle(17, 2);  // blocks within 0.45 of (0, -2.25)
        game.update(ms, true, false);
        EXPECT_GT(game.z, -1.8f - 1e-4f) << ms << " ms";
        EXPECT_LT(game.z, -1.5f) << ms << " ms";
    }
    // A hop in a long frame lands on its square and no further.
    restart();
    tap(SDLK_UP);
    game.update(2000, false, false);
    EXPECT_FALSE(game.hop.hopping);
    EXPECT_EQ(game.z, -1.f);
    EXPECT_EQ(game.height, 0.f);
    // Leaving the playing state ends the frame's steps.
    game.z = -1;
    game.lives = 1;
    addCar(19, 1, -6);
    game.update(2000, false, false);
    EXPECT_EQ(game.screen.mainState, StateLost);
    EXPECT_EQ(game.z, 0.f) << "back at the start, not moved on after the loss";
}

// Changing view never corrupts a hop: it ends where it was going, on the
// ground, and a switch back does not snap the chicken anywhere.
TEST_F(EmptyField, AViewSwitchDuringAHopLetsItLand) {
    game.z = -5;
    tap(SDLK_UP);
    game.update(16, false, false);
    ASSERT_TRUE(game.hop.hopping);
    tap(SDLK_v);
    tap(SDLK_v);
    ASSERT_EQ(game.view, 2);
    for (int i = 0; i < 30; ++i) game.update(16, true, false);  // Up held: free movement after landing
    EXPECT_FALSE(game.hop.hopping);
    EXPECT_EQ(game.height, 0.f) << "not frozen in the air";
    EXPECT_LT(game.z, -6.f) << "landed on row 6, then walked on";
    const float walkedTo = game.z;
    tap(SDLK_v);
    ASSERT_EQ(game.view, 0);
    game.update(16, false, false);
    EXPECT_EQ(game.z, walkedTo) << "no snap back to the hop's target";
    EXPECT_EQ(game.score(), 6);

    // View 0 -> 1 mid-hop: the hop simply goes on.
    game.z = -2;
    tap(SDLK_UP);
    game.update(16, false, false);
    tap(SDLK_v);
    finishHop(16);
    EXPECT_EQ(game.z, -3.f);
    EXPECT_EQ(game.height, 0.f);
}

// After free movement the chicken stands between squares: hops go one
// square on from the square it is drawn on (at z + 0.25), inside the field,
// and cars of the row it is drawn on hit it.
TEST_F(EmptyField, FromBetweenSquaresHopsLandOnWholeSquaresAndCarsHit) {
    const struct {
        float x, z;
        SDL_Keycode key;
        bool hops;
        float toX, toZ;
    } cases[] = {
        {0.f, -0.12f, SDLK_DOWN, false, 0, 0},    // on row 0: behind the start
        {0.f, -0.6f, SDLK_DOWN, false, 0, 0},     // drawn at -0.35, still row 0
        {5.9f, -2.f, SDLK_RIGHT, false, 0, 0},    // rounds to offset 7: off the field
        {-5.6f, -2.f, SDLK_LEFT, false, 0, 0},    // -7
        {5.4f, -2.f, SDLK_RIGHT, true, 6, -2},    // the last column
        {0.f, -0.8f, SDLK_DOWN, true, 0, 0},      // drawn on row 1: back to the start row
        {2.4f, -3.3f, SDLK_UP, true, 2, -4},      // whole on both axes
        {-1.45f, -7.4f, SDLK_LEFT, true, -2, -7},
        {0.f, -2.7f, SDLK_UP, true, 0, -3},       // drawn on row 2: the next is row 3, not 4
        {0.f, -2.7f, SDLK_DOWN, true, 0, -1},
    };
    for (const auto& c : cases) {
        game.hop.cancel();
        game.x = c.x;
        game.z = c.z;
        tap(c.key);
        game.update(16, false, false);
        EXPECT_EQ(game.hop.hopping, c.hops) << c.x << ", " << c.z;
        finishHop(16);
        if (c.hops) {
            EXPECT_EQ(game.x, c.toX) << c.x << ", " << c.z;
            EXPECT_EQ(game.z, c.toZ) << c.x << ", " << c.z;
        } else {
            EXPECT_EQ(game.x, c.x);
            EXPECT_EQ(game.z, c.z);
        }
        EXPECT_EQ(game.height, 0.f);
    }
    // A car covering offsets -1 and 0 of a row hits a chicken left on that
    // row as drawn in every view, and misses one drawn on the next: the
    // views agree on the row, the score names it.
    const struct {
        float z;
        int row;
    } places[] = {{-1.1f, 1}, {-2.6f, 2}, {-2.74f, 2}, {-2.8f, 3}, {-0.7f, 0}, {-0.76f, 1}};
    for (const auto& p : places)
        for (int view : {0, 1, 2}) {
            for (int carRow : {p.row, p.row + 1}) {
                restart();
                game.view = view;
                game.x = 0.2f;
                game.z = p.z;
                addCar(17.f, float(carRow));
                game.update(0, false, false);
                EXPECT_EQ(game.hitThisFrame, carRow == p.row)
                    << "view " << view << ", z " << p.z << ", car on row " << carRow;
                EXPECT_EQ(game.score(), p.row) << "z " << p.z;
            }
        }
}

namespace {

// A scripted player on the hop grid. It follows the shortest way round the
// trees to the last row; a careful one hops only where no car will be when
// it lands, waits while its own square stays clear, and jumps aside (a
// chicken in mid-hop is on no square) when a car comes.
class Crosser {
public:
    Crosser(Juego& game, bool careful) : game_(game), careful_(careful) { mapDistances(); }

    // Plays 16 ms frames until the last row is reached, the game is lost or
    // `frames` have passed; returns the best row reached.
    int play(int frames) {
        int best = 0;
        for (int i = 0; i < frames && game_.screen.mainState == StatePlaying; ++i) {
            if (!game_.hop.hopping) decide();
            game_.update(16, false, false);
            best = std::max(best, game_.score());
            if (best == GameWorld::kLastRow) break;
        }
        return best;
    }

private:
    static constexpr int kSide = HopController::kMaxOffset;
    struct Move {
        SDL_Keycode key;
        int dc, dr;
    };
    static constexpr Move kMoves[4] = {{SDLK_UP, 0, 1}, {SDLK_LEFT, -1, 0}, {SDLK_RIGHT, 1, 0}, {SDLK_DOWN, 0, -1}};

    // Hops to the last row from each square, trees in the way (-1: none).
    void mapDistances() {
        const GameWorld& w = *game_.world;
        dist_.assign(GameWorld::kRows, std::vector<int>(2 * kSide + 1, -1));
        std::deque<std::pair<int, int>> queue;
        for (int c = -kSide; c <= kSide; ++c) {
            dist_[GameWorld::kLastRow][std::size_t(c + kSide)] = 0;
            queue.push_back({c, GameWorld::kLastRow});
        }
        while (!queue.empty()) {
            const auto [c, r] = queue.front();
            queue.pop_front();
            for (const Move& m : kMoves) {
                const int nc = c + m.dc, nr = r + m.dr;
                if (nr < 0 || nr >= GameWorld::kRows || nc < -kSide || nc > kSide) continue;
                int& d = dist_[std::size_t(nr)][std::size_t(nc + kSide)];
                if (d >= 0 || w.obstacleAt(nc + w.columns / 2, nr)) continue;
                d = dist_[std::size_t(r)][std::size_t(c + kSide)] + 1;
                queue.push_back({nc, nr});
            }
        }
    }
    int distance(int c, int r) const {
        if (r < 0 || r >= GameWorld::kRows || c < -kSide || c > kSide) return -1;
        return dist_[std::size_t(r)][std::size_t(c + kSide)];
    }
    // No car on square (c, r) at any time from `from` to `to` seconds ahead.
    bool clear(int c, int r, float from, float to) const {
        const GameWorld& w = *game_.world;
        for (const CarRecord& car : w.carList) {
            if (int(car.row) != r) continue;
            for (float t = from; t <= to; t += 0.008f) {
                float x = std::fmod(car.x + car.speed * t, float(w.columns));
                if (x < 0) x += float(w.columns);
                const int k = int(std::round(x + 0.5f)) - w.columns / 2;
                if (k == c || k - 1 == c) return false;
            }
        }
        return true;
    }
    void hop(SDL_Keycode sym) {
        game_.handleEvent(key(sym, true));
        game_.handleEvent(key(sym, false));
    }
    void decide() {
        const int c = int(std::round(game_.x)), r = rowAt(game_.z), here = distance(c, r);
        const Move* best = nullptr;
        for (const Move& m : kMoves) {
            const int d = distance(c + m.dc, r + m.dr);
            if (d >= 0 && d < here && (!best || d < distance(c + best->dc, r + best->dr))) best = &m;
        }
        if (r == GameWorld::kLastRow) return;
        if (!careful_) {
            if (best) hop(best->key);
            return;
        }
        // A hop lands about 0.34 s after it starts.
        if (best && clear(c + best->dc, r + best->dr, 0.3f, 0.6f)) return hop(best->key);
        if (clear(c, r, 0, 0.1f)) return;  // wait for a gap
        for (const Move& m : kMoves)
            if (distance(c + m.dc, r + m.dr) >= 0 && clear(c + m.dc, r + m.dr, 0.3f, 0.45f)) return hop(m.key);
    }

    Juego& game_;
    bool careful_;
    std::vector<std::vector<int>> dist_;
};

}  // namespace

// Over many fields, a player who waits for a gap crosses every road to the
// last row without a scratch; one who hops on blindly is run over on every
// field, and on most loses all three lives before the end.
TEST(Crossing, ACarefulPlayerCrossesAndABlindOneIsRunOver) {
    int crossed = 0, blindHit = 0, blindLost = 0;
    constexpr int kFields = 12;
    for (unsigned seed = 1; seed <= kFields; ++seed) {
        for (bool careful : {true, false}) {
            testing::internal::CaptureStdout();
            Juego game(false, seeded(seed));
            testing::internal::GetCapturedStdout();
            game.screen.mainState = StatePlaying;
            Crosser player(game, careful);
            const int best = player.play(20000);
            if (careful) {
                EXPECT_EQ(best, GameWorld::kLastRow) << "field " << seed;
                EXPECT_EQ(game.lives, Juego::kStartLives) << "field " << seed;
                crossed += best == GameWorld::kLastRow;
            } else {
                blindHit += game.lives < Juego::kStartLives || game.screen.mainState == StateLost;
                blindLost += game.screen.mainState == StateLost;
            }
        }
    }
    EXPECT_EQ(crossed, kFields);
    EXPECT_EQ(blindHit, kFields);
    EXPECT_GE(blindLost, kFields / 2);
}
