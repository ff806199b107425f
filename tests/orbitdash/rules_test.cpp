// The rules without a window: sinking and falling, lives and points, the
// jump, ships, floors, belts and bottles, the state machine and the menu.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "app.h"
#include "course.h"
#include "game.h"
#include "support.h"
#include "text.h"

using namespace orbitdash;
using orbitdash_test::FixedRandom;
using orbitdash_test::press;
using orbitdash_test::ticks;

namespace {

// A game on an empty course (no level file), playing, standing at the start.
struct Empty {
    FixedRandom random;
    std::ostringstream log;
    Game g{random, log, "/nonexistent/nivel"};
    Empty() {
        press(g, SDLK_r);
        ticks(g, 2);
    }
};

// Frames until the jump in progress ends.
int jumpFrames(Game& g) {
    int n = 0;
    while (g.astronaut.jumping && n < 1000) {
        g.tick();
        ++n;
    }
    return n;
}

}  // namespace

TEST(Rules, SinkingFallingLivesAndPoints) {
    Empty e;
    Game& g = e.g;
    EXPECT_TRUE(g.astronaut.standing);
    EXPECT_FLOAT_EQ(g.astronaut.pos.y, 0.0f) << "the platform holds it up";

    // Over empty space it sinks 0.08 a frame and falls below -2.0: back at
    // the start, a life less, points back to the level's start.
    g.points = 700;
    g.levelStartPoints = 200;
    g.astronaut.pos = {0, 0, -10};
    g.tick();
    EXPECT_NEAR(g.astronaut.pos.y, -0.08f, 1e-5f);
    EXPECT_FALSE(g.astronaut.standing);
    int frames = 1;
    while (g.lives == 3 && frames < 100) {
        g.tick();
        ++frames;
    }
    EXPECT_TRUE(frames == 25 || frames == 26) << frames << ": -0.08 a frame from 0 passes -2.0 after 25 frames";
    EXPECT_EQ(g.lives, 2);
    EXPECT_EQ(g.points, 200);
    EXPECT_FLOAT_EQ(g.astronaut.pos.z, 0.0f);
    EXPECT_EQ(g.state(), kPlaying);

    // A sunk astronaut is not caught by a platform again.
    g.astronaut.pos = {0, -0.25f, 0};
    g.tick();
    EXPECT_FALSE(g.astronaut.standing);

    // At Fast it sinks twice as fast.
    g.settings.speed = kFast;
    g.astronaut.pos = {0, 0, -10};
    g.tick();
    EXPECT_NEAR(g.astronaut.pos.y, -0.16f, 1e-5f);
}

TEST(Rules, TheJumpCurveFramesAndDirections) {
    for (auto [speed, expected] : {std::pair{kNormal, 25}, {kFast, 13}, {kSlow, 50}}) {
        Empty e;
        Game& g = e.g;
        g.settings.speed = speed;
        ASSERT_TRUE(g.jump(2));
        EXPECT_FALSE(g.jump(2)) << "not while jumping";
        float peak = 0;
        int n = 0;
        while (g.astronaut.jumping && n < 1000) {
            g.tick();
            peak = std::max(peak, g.astronaut.pos.y);
            ++n;
        }
        EXPECT_EQ(n, expected) << "speed " << speed;
        EXPECT_NEAR(peak, 0.5f, 0.01f);
        EXPECT_NEAR(g.astronaut.pos.z, 2.0f, 1e-4f) << "two units ahead";
        EXPECT_NEAR(g.astronaut.pos.x, 0.0f, 1e-4f);
        EXPECT_NEAR(g.astronaut.pos.y, 0.0f, 1e-4f);
    }

    // The four directions from the default camera (behind, looking along +z):
    // W ahead, S back, D to the screen's right (-x), A to its left (+x).
    const struct {
        SDL_Keycode key;
        float x, z;
    } keys[] = {{SDLK_w, 0, 2}, {SDLK_UP, 0, 2}, {SDLK_s, 0, -2}, {SDLK_DOWN, 0, -2},
                {SDLK_d, -2, 0}, {SDLK_RIGHT, -2, 0}, {SDLK_a, 2, 0}, {SDLK_LEFT, 2, 0}};
    for (const auto& k : keys) {
        Empty e;
        e.g.key(k.key, true);
        jumpFrames(e.g);
        EXPECT_NEAR(e.g.astronaut.pos.x, k.x, 1e-4f) << SDL_GetKeyName(k.key);
        EXPECT_NEAR(e.g.astronaut.pos.z, k.z, 1e-4f) << SDL_GetKeyName(k.key);
    }
    // Space jumps ahead on release only.
    {
        Empty e;
        e.g.key(SDLK_SPACE, true);
        EXPECT_FALSE(e.g.astronaut.jumping);
        e.g.key(SDLK_SPACE, false);
        EXPECT_TRUE(e.g.astronaut.jumping);
    }
    // The directions turn with the camera: a quarter turn (X) makes W jump
    // along what was D.
    {
        Empty e;
        press(e.g, SDLK_x);
        e.g.key(SDLK_w, true);
        jumpFrames(e.g);
        EXPECT_NEAR(std::fabs(e.g.astronaut.pos.x), 2.0f, 1e-4f);
        EXPECT_NEAR(e.g.astronaut.pos.z, 0.0f, 1e-4f);
    }
    // No jump without standing (sinking over space) or outside play.
    {
        Empty e;
        e.g.astronaut.pos = {0, 0, -10};
        e.g.tick();
        EXPECT_FALSE(e.g.jump(2));
        Empty f;
        press(f.g, SDLK_p);
        EXPECT_FALSE(f.g.jump(2));
    }
}

TEST(Rules, FloorsCarryInsideTheirWindowOnly) {
    FixedRandom random;
    Suelo floor(2, false, random);
    floor.z = 10;  // centre line at 12.5: carries for z in (9.1, 17.0), x in (-10, 10)
    const float c = floor.centre();
    const struct {
        float x, y, z;
        bool carried;
    } cases[] = {
        {0, -0.1f, c, true},          {9.99f, 0, c, true},          {10.0f, 0, c, false},
        {-10.0f, 0, c, false},        {0, 0, c - 3.39f, true},      {0, 0, c - 3.4f, false},
        {0, 0, c + 4.49f, true},      {0, 0, c + 4.5f, false},      {0, -0.2f, c, true},
        {0, -0.21f, c, false},
    };
    for (const auto& k : cases) {
        Astronaut a;
        a.pos = {k.x, k.y, k.z};
        floor.touch(a, 0);
        EXPECT_EQ(a.standing, k.carried) << k.x << " " << k.y << " " << k.z;
        if (k.carried) {
            EXPECT_FLOAT_EQ(a.pos.y, 0.0f);
        }
    }
    Astronaut jumping;
    jumping.pos = {0, 0.3f, c};
    jumping.jumping = true;
    floor.touch(jumping, 0);
    EXPECT_FALSE(jumping.standing) << "not while a jump is in progress";
}

TEST(Rules, ShipsHitWithinStrictBoundsAndMove) {
    GroupSpaceShip group(3, 3);
    group.z = 20;  // lanes centred at 22.5, 27.5, 32.5
    group.ships[0].x = 10;  // half-scale: the astronaut at x = 5 is on it
    const struct {
        float x, z;
        bool hit;
    } cases[] = {
        {5, 22.5f, true},   {5.49f, 22.5f, true},  {5.5f, 22.5f, false}, {4.5f, 22.5f, false},
        {5, 23.74f, true},  {5, 23.75f, false},    {5, 21.26f, true},    {5, 21.25f, false},
    };
    for (const auto& k : cases) {
        Astronaut a;
        a.pos = {k.x, 0, k.z};
        EXPECT_EQ(group.touch(a, 0).hit, k.hit) << k.x << " " << k.z;
    }
    // Between lanes the deck carries.
    Astronaut a;
    a.pos = {0, 0, 25};
    EXPECT_FALSE(group.touch(a, 0).hit);
    EXPECT_TRUE(a.standing);

    // Steps per frame at Normal: 0.2, 0.7, 1.0 (half scale), each in its
    // lane's direction, wrapping at +-80.
    Settings s;
    s.state = kPlaying;
    GroupSpaceShip moving(3, 3);
    moving.advance(s);
    EXPECT_NEAR(moving.ships[0].x, -79.8f, 1e-4f);
    EXPECT_FLOAT_EQ(moving.ships[1].x, 80.0f) << "towards -x from -80: wrapped";
    EXPECT_NEAR(moving.ships[2].x, -79.0f, 1e-4f);
    moving.ships[0].x = 79.9f;
    moving.advance(s);
    EXPECT_FLOAT_EQ(moving.ships[0].x, -80.0f);

    // A hit in play costs a life like a fall.
    Empty e;
    auto ships = std::make_unique<GroupSpaceShip>(1, 1);
    ships->z = -10;  // lane at z = -7.5
    ships->ships[0].x = 0;
    e.g.course.items.push_back(std::move(ships));
    e.g.astronaut.pos = {0, 0, -7.5f};
    e.g.tick();
    EXPECT_EQ(e.g.lives, 2);
    EXPECT_FLOAT_EQ(e.g.astronaut.pos.z, 0.0f);
}

TEST(Rules, BeltsCarryRidersAndBottlesPayOnce) {
    Empty e;
    Game& g = e.g;
    g.goal.pos.z = 1000;  // out of the way
    FixedRandom always(3, 0);  // every asteroid has a bottle
    auto belt = std::make_unique<AsteroidBelt>(4, 1000000, always);  // all but still
    belt->z = 0;  // row 0 at z = 2.7
    AsteroidBelt* b = belt.get();
    g.course.items.push_back(std::move(belt));
    // One asteroid of row 0 right ahead of the astronaut (x = 0, z = 2.7),
    // the others far off: a jump ahead comes down on it.
    Asteroid& target = b->asteroids[6];
    ASSERT_FLOAT_EQ(target.z, 0.0f);
    ASSERT_FLOAT_EQ(target.x, 0.0f);
    for (Asteroid& other : b->asteroids)
        if (&other != &target) other.x += 500;
    g.astronaut.pos = {0, 0, 0.9f};
    g.tick();
    ASSERT_TRUE(g.jump(2));
    jumpFrames(g);
    EXPECT_EQ(g.astronaut.rideAsteroid, 6);
    EXPECT_TRUE(g.astronaut.standing);
    EXPECT_FLOAT_EQ(g.astronaut.pos.y, AsteroidBelt::kStandHeight);
    EXPECT_EQ(g.points, 100);
    EXPECT_FALSE(target.rider.has_value()) << "the bottle is taken";

    // Riding: the belt carries it along x, one period step a frame
    // (speed * 10 * 100 / T).
    b->period = 10000;
    const float x0 = g.astronaut.pos.x;
    ticks(g, 10);
    EXPECT_NEAR(g.astronaut.pos.x - x0, 10 * 0.1f, 1e-3f);
    EXPECT_EQ(g.points, 100) << "once";

    // The scroll returns to 0 once past 100.
    Settings s;
    s.state = kPlaying;
    b->offset = 99.95f;
    b->advance(s);
    EXPECT_FLOAT_EQ(b->offset, 0.0f);

    // A jump off the asteroid onto nothing ends the ride and falls.
    g.astronaut.pos.x = 1000;
    b->offset = 1000;  // keep the rock under it
    g.tick();
    ASSERT_TRUE(g.jump(1));
    jumpFrames(g);
    EXPECT_EQ(g.astronaut.rideItem, -1);
    ticks(g, 40);
    EXPECT_EQ(g.lives, 2);
    EXPECT_EQ(g.points, 0) << "back to the level's start";
}

TEST(Rules, TheMenuFreezesTheItemsAndItsKeysWork) {
    Empty e;
    Game& g = e.g;
    FixedRandom random;
    g.course.add(std::make_unique<AsteroidBelt>(4, 1000, random));
    g.course.add(std::make_unique<GroupSpaceShip>(2, 1));
    auto* belt = static_cast<AsteroidBelt*>(g.course.items[0].get());
    auto* ships = static_cast<GroupSpaceShip*>(g.course.items[1].get());
    Oxigeno bottle(1, 2);

    g.setClock(1000);
    press(g, SDLK_p);
    EXPECT_EQ(g.state(), kMenu);
    const float offset = belt->offset, shipX = ships->ships[0].x;
    ticks(g, 30);
    Settings frozen = g.settings;
    bottle.advance(frozen);
    EXPECT_FLOAT_EQ(belt->offset, offset);
    EXPECT_FLOAT_EQ(ships->ships[0].x, shipX);
    EXPECT_FLOAT_EQ(bottle.angle, 0.0f);

    // Arrows and W/S move the cursor round the four items.
    EXPECT_EQ(g.menuCursor, 0);
    press(g, SDLK_UP);
    EXPECT_EQ(g.menuCursor, 3) << "wraps from the first to the last";
    press(g, SDLK_s);
    EXPECT_EQ(g.menuCursor, 0);
    press(g, SDLK_DOWN);
    press(g, SDLK_DOWN);
    press(g, SDLK_DOWN);
    press(g, SDLK_DOWN);
    EXPECT_EQ(g.menuCursor, 0) << "wraps from the last to the first";

    // The speed item: A/Left down to Slow, D/Right up to Fast, no further.
    press(g, SDLK_a);
    EXPECT_EQ(g.settings.speed, kSlow);
    press(g, SDLK_LEFT);
    EXPECT_EQ(g.settings.speed, kSlow);
    press(g, SDLK_d);
    press(g, SDLK_RIGHT);
    EXPECT_EQ(g.settings.speed, kFast);
    press(g, SDLK_d);
    EXPECT_EQ(g.settings.speed, kFast);
    EXPECT_FALSE(g.astronaut.jumping) << "menu keys do not jump";
    // The other three toggle.
    press(g, SDLK_s);
    press(g, SDLK_d);
    EXPECT_FALSE(g.settings.textures);
    press(g, SDLK_s);
    press(g, SDLK_a);
    EXPECT_TRUE(g.settings.wireframe);
    press(g, SDLK_s);
    press(g, SDLK_RIGHT);
    EXPECT_FALSE(g.settings.flat);
    // T, Y, U work in the menu and out of it.
    press(g, SDLK_t);
    EXPECT_TRUE(g.settings.textures);

    // Resuming: the speed takes effect, the menu's time is not counted.
    g.setClock(9000);
    press(g, SDLK_p);
    EXPECT_EQ(g.state(), kPlaying);
    g.setClock(9500);
    EXPECT_EQ(g.elapsedMs, 1500u) << "1000 ms before the menu (from 0) and 500 after";
    g.tick();
    EXPECT_NEAR(ships->ships[0].x, shipX + 2 * 10 * 0.02f, 1e-4f) << "Fast";
}

TEST(Rules, TheStateMachineWithRInEveryState) {
    FixedRandom random;
    std::ostringstream log;
    Game g(random, log, "/nonexistent/nivel");
    EXPECT_EQ(g.state(), kTitle);
    g.setClock(5000);
    press(g, SDLK_r);
    EXPECT_EQ(g.state(), kPlaying) << "title: R plays level 1";
    EXPECT_EQ(g.settings.level, 1);
    EXPECT_EQ(g.startMs, 5000u);

    // Playing: R returns the points, restarts the clock, back at the start.
    g.levelStartPoints = 100;
    g.points = 400;
    g.astronaut.pos = {3, 0, 1};
    g.setClock(8000);
    press(g, SDLK_r);
    EXPECT_EQ(g.points, 100);
    EXPECT_EQ(g.startMs, 8000u);
    EXPECT_FLOAT_EQ(g.astronaut.pos.x, 0.0f);

    // Menu: R leaves it and plays.
    press(g, SDLK_p);
    press(g, SDLK_r);
    EXPECT_EQ(g.state(), kPlaying);

    // Three falls: GAME OVER, level 1 and 0 points at once; R plays with
    // three lives again (not with the spent ones).
    g.settings.level = 2;
    for (int fall = 0; fall < 3; ++fall) {
        g.astronaut.pos = {0, 0, -10};
        ticks(g, 30);
    }
    EXPECT_EQ(g.state(), kGameOver);
    EXPECT_EQ(g.settings.level, 1);
    EXPECT_EQ(g.points, 0);
    ticks(g, 5);
    EXPECT_EQ(g.state(), kGameOver) << "no more lives lost on the end screen";
    press(g, SDLK_r);
    EXPECT_EQ(g.state(), kPlaying);
    EXPECT_EQ(g.lives, 3);
    g.astronaut.pos = {0, 0, -10};
    ticks(g, 30);
    EXPECT_EQ(g.state(), kPlaying) << "one fall of a new game is not the end";
    EXPECT_EQ(g.lives, 2);

    // Reaching the goal: NIVEL COMPLETADO on levels 1 and 2, R goes on to
    // the next level keeping lives and points; FIN DEL JUEGO after 3, R
    // plays level 1 from 0 points with three lives.
    auto reachGoal = [&] {
        ticks(g, 2);
        g.astronaut.pos = g.goal.pos;
        g.astronaut.pos.z -= 2;
        g.tick();
        ASSERT_TRUE(g.jump(2));
        ticks(g, 30);
    };
    g.points = 300;
    reachGoal();
    EXPECT_EQ(g.state(), kLevelDone);
    press(g, SDLK_r);
    EXPECT_EQ(g.settings.level, 2);
    EXPECT_EQ(g.state(), kPlaying);
    EXPECT_EQ(g.points, 300);
    EXPECT_EQ(g.levelStartPoints, 300);
    EXPECT_EQ(g.lives, 2);
    reachGoal();
    press(g, SDLK_r);
    reachGoal();
    EXPECT_EQ(g.settings.level, 3);
    EXPECT_EQ(g.state(), kAllDone);
    press(g, SDLK_r);
    EXPECT_EQ(g.state(), kPlaying);
    EXPECT_EQ(g.settings.level, 1);
    EXPECT_EQ(g.points, 0);
    EXPECT_EQ(g.lives, 3);

    // P on the title opens the menu and returns to the title.
    Game t(random, log, "/nonexistent/nivel");
    press(t, SDLK_p);
    EXPECT_EQ(t.state(), kMenu);
    press(t, SDLK_p);
    EXPECT_EQ(t.state(), kTitle);
    // Q quits from any state; the camera keys stay within their ranges.
    for (int i = 0; i < 50; ++i) press(t, SDLK_m);
    EXPECT_FLOAT_EQ(t.camera.distance, Camera::kMaxDistance);
    for (int i = 0; i < 50; ++i) press(t, SDLK_n);
    EXPECT_FLOAT_EQ(t.camera.distance, Camera::kMinDistance);
    for (int i = 0; i < 5; ++i) press(t, SDLK_z);
    EXPECT_EQ(t.camera.height, 3);
    for (int i = 0; i < 4; ++i) press(t, SDLK_x);
    EXPECT_EQ(t.camera.quarter, 0);
    press(t, SDLK_q);
    EXPECT_TRUE(t.quit);
}

TEST(Rules, EveryWayIntoANewGameHasThreeLives) {
    // From GAME OVER and FIN DEL JUEGO, R straight away or from a menu opened
    // there (P, or P twice and back) starts with three lives; the next fall
    // is not the end, and no counter goes below zero meanwhile.
    auto gameOver = [](Game& g) {
        for (int fall = 0; fall < 5 && g.state() != kGameOver; ++fall) {
            g.astronaut.pos = {0, 0, -10};
            ticks(g, 30);
        }
    };
    auto allDone = [](Game& g) {
        g.lives = 1;
        g.settings.level = Game::kLevels;
        g.settings.state = kAllDone;
    };
    const std::vector<std::vector<SDL_Keycode>> routes = {{}, {SDLK_p}, {SDLK_p, SDLK_p, SDLK_p}};
    for (auto end : {+gameOver, +allDone})
        for (const auto& route : routes) {
            Empty e;
            Game& g = e.g;
            end(g);
            ticks(g, 40);
            EXPECT_GE(g.lives, 0);
            for (SDL_Keycode k : route) press(g, k);
            press(g, SDLK_r);
            EXPECT_EQ(g.state(), kPlaying) << route.size();
            EXPECT_EQ(g.lives, 3) << route.size() << " keys before R";
            EXPECT_EQ(g.settings.level, 1);
            EXPECT_EQ(g.points, 0);
            ticks(g, 2);
            g.astronaut.pos = {0, 0, -10};
            ticks(g, 30);
            EXPECT_EQ(g.state(), kPlaying);
            EXPECT_EQ(g.lives, 2);
        }
    // A menu opened on NIVEL COMPLETADO: R goes on to the next level with
    // the lives left.
    Empty e;
    e.g.lives = 2;
    e.g.settings.state = kLevelDone;
    press(e.g, SDLK_p);
    press(e.g, SDLK_r);
    EXPECT_EQ(e.g.settings.level, 2);
    EXPECT_EQ(e.g.lives, 2);
    EXPECT_EQ(e.g.state(), kPlaying);
}

TEST(Rules, NoScreenWhenSdlFellBackOnADriverNobodyAskedFor) {
    const struct {
        const char *driver, *asked;
        bool none;
    } cases[] = {
        {"offscreen", nullptr, true},      {"dummy", nullptr, true},         {"offscreen", "", true},
        {"offscreen", "x11", true},        {"dummy", "x11,wayland", true},   {"offscreen", "offscreen", false},
        {"offscreen", "OffScreen", false}, {"dummy", "x11,DUMMY", false},   {"dummy", "dummy,x11", false},
        {"offscreen", "offscreenx", true}, {"x11", nullptr, false},          {"wayland", "dummy", false},
        {"DUMMY", "x11", true},
    };
    for (const auto& k : cases)
        EXPECT_EQ(noScreen(k.driver, k.asked), k.none) << k.driver << " asked " << (k.asked ? k.asked : "(unset)");
}

TEST(Text, GlyphCellsAndUnmappedCharacters) {
    const struct {
        char c;
        int column, row;
    } cells[] = {{' ', 0, 13}, {'0', 0, 12}, {'A', 1, 11}, {'P', 0, 10}, {'a', 1, 9}, {'z', 10, 8}, {'9', 9, 12}};
    for (const auto& k : cells) {
        GlyphCell g;
        ASSERT_TRUE(glyphCell(k.c, g)) << k.c;
        EXPECT_EQ(g.column, k.column) << k.c;
        EXPECT_EQ(g.row, k.row) << k.c;
    }
    // Outside the map: refused here, drawn as a blank (never an error).
    for (char c : {'-', ':', '!', '\n', '\0', char(200)}) {
        GlyphCell g;
        EXPECT_FALSE(glyphCell(c, g)) << int(c);
    }
    EXPECT_FLOAT_EQ(centredX(320, 16, 15), 200.0f) << "\"Press R to start\" on the title";
}
