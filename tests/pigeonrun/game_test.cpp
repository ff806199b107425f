// The loop object without assets: states and keys, console lines, pausing,
// pacing of world passes, the camera's zoom and drag, HUD digit places.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "game.h"
#include "hopcommon/records.h"
#include "hoptest/events.h"
#include "hud.h"

using namespace pigeonrun;
using hoptest::keyEvent;

namespace {

struct Fixture {
    std::ostringstream console;
    Game game{false, [] { return 7; }, &console};

    void tap(SDL_Keycode k) {
        game.handleEvent(keyEvent(k, true));
        game.handleEvent(keyEvent(k, false));
    }
    void passes(int n) {
        for (int i = 0; i < n; ++i) game.pass();
    }
    std::string lines() {
        std::string s = console.str();
        console.str("");
        return s;
    }
};

}  // namespace

TEST(PigeonrunGame, EnterStartsAndRestartsPTogglesPauseAndPauseFreezesEverything) {
    Fixture f;
    Game& g = f.game;
    EXPECT_EQ(g.world.status.state, StateTitle);
    f.tap(SDLK_p);
    EXPECT_EQ(g.world.status.state, StateTitle) << "p does nothing on the title";
    f.tap(SDLK_UP);
    EXPECT_EQ(f.lines(), "") << "no arrows on the title";
    // Keys act on release.
    g.handleEvent(keyEvent(SDLK_RETURN, true));
    EXPECT_EQ(g.world.status.state, StateTitle);
    g.handleEvent(keyEvent(SDLK_RETURN, false));
    EXPECT_EQ(g.world.status.state, StatePlaying);
    EXPECT_TRUE(g.resetPending);
    f.passes(1);
    EXPECT_FALSE(g.resetPending);

    f.tap(SDLK_UP);
    EXPECT_EQ(f.lines(), "FLECHITA ARRIBA\n");
    EXPECT_EQ(g.world.status.score, 1);
    f.passes(5);
    EXPECT_TRUE(g.world.pigeon.hopping);

    // Paused mid-hop: no hop, car, coin, turn or score moves, whatever the time.
    f.tap(SDLK_p);
    ASSERT_EQ(g.world.status.state, StatePaused);
    const World before = g.world;
    f.tap(SDLK_UP);
    f.tap(SDLK_LEFT);
    g.advance(5000);
    f.passes(600);
    EXPECT_EQ(g.world.worldOffsetZ, before.worldOffsetZ);
    EXPECT_EQ(g.world.hopTime, before.hopTime);
    EXPECT_EQ(g.world.car1.position.z, before.car1.position.z);
    EXPECT_EQ(g.world.carTimer2, before.carTimer2);
    EXPECT_EQ(g.world.status.score, 1);
    EXPECT_EQ(g.world.status.state, StatePaused);
    EXPECT_EQ(f.lines(), "");

    // p again: the hop goes on from where it was.
    f.tap(SDLK_p);
    EXPECT_EQ(g.world.status.state, StatePlaying);
    f.passes(1);
    EXPECT_LT(g.world.worldOffsetZ, before.worldOffsetZ);

    // Game over, then Enter: a new game with score and coins at 0.
    g.world.status.state = StateGameOver;
    g.world.status.coins = 3;
    f.tap(SDLK_p);
    EXPECT_EQ(g.world.status.state, StateGameOver);
    f.tap(SDLK_KP_ENTER);
    EXPECT_EQ(g.world.status.state, StatePlaying);
    f.passes(1);
    EXPECT_EQ(g.world.status.score, 0);
    EXPECT_EQ(g.world.status.coins, 0);
    // Enter while playing does nothing.
    f.tap(SDLK_RETURN);
    EXPECT_FALSE(g.resetPending);
}

TEST(PigeonrunGame, KeysPrintTheirLinesAndFlipTheirSwitches) {
    Fixture f;
    Game& g = f.game;
    f.tap(SDLK_RETURN);
    f.passes(1);
    f.lines();
    f.tap(SDLK_r);
    EXPECT_EQ(g.world.speedFactor, 0.25f);
    f.tap(SDLK_r);
    EXPECT_EQ(g.world.speedFactor, 1.0f);
    f.tap(SDLK_s);
    f.tap(SDLK_t);
    f.tap(SDLK_w);
    EXPECT_FALSE(g.smooth);
    EXPECT_FALSE(g.textures);
    EXPECT_TRUE(g.wireframe);
    EXPECT_EQ(f.lines(), "CAMBIO DE VELOCIDAD\nCAMBIO DE VELOCIDAD\nFACETADO/INTERPOLADO\nTEXTURA ON/OFF\nWIREFRAME ON/OFF\n");

    f.tap(SDLK_LEFT);
    f.tap(SDLK_DOWN);
    f.tap(SDLK_RIGHT);
    EXPECT_EQ(f.lines(), "FLECHITA IZQUIERDA\nFLECHITA ABAJO\nFLECHITA DERECHA\n");

    // Free view: held arrows turn (said once, however long held), releases hop.
    f.tap(SDLK_v);
    EXPECT_FALSE(g.camera.fixedView);
    EXPECT_TRUE(g.projectionDirty);
    g.handleEvent(keyEvent(SDLK_RIGHT, true));
    g.handleEvent(keyEvent(SDLK_RIGHT, true, true));
    EXPECT_EQ(g.world.turning, 1);
    f.passes(60);
    EXPECT_NEAR(g.world.heading, 72, 1e-6);
    g.handleEvent(keyEvent(SDLK_RIGHT, false));
    EXPECT_EQ(g.world.turning, 0);
    g.handleEvent(keyEvent(SDLK_LEFT, true));
    EXPECT_EQ(g.world.turning, -1);
    g.handleEvent(keyEvent(SDLK_UP, false));
    EXPECT_EQ(f.lines(), "CAMBIO MODO DE VISTA\nROTAR HORARIO\nSALTA\nROTAR ANTIHORARIO\nSALTA\n");

    // Mouse: drag only in the free view, zoom with the wheel.
    g.handleEvent(hoptest::clickEvent(10, 10, true));
    EXPECT_TRUE(g.dragging);
    g.handleEvent(hoptest::clickEvent(10, 10, false));
    EXPECT_FALSE(g.dragging);
    g.handleEvent(hoptest::wheelEvent(-1));
    EXPECT_GT(g.camera.distance, 5);
    EXPECT_EQ(f.lines(), "PUEDO MOVER LA CAMARA MANTENIENDO EL CLICK\nDEJO DE MOVER CAMARA\nZOOM CAMARA\n");
    f.tap(SDLK_v);
    g.handleEvent(hoptest::clickEvent(10, 10, true));
    g.handleEvent(hoptest::wheelEvent(-1));
    EXPECT_FALSE(g.dragging) << "no drag in the fixed view";
    f.tap(SDLK_KP_PLUS);
    EXPECT_GT(g.lightAngle, 65);
    g.handleEvent(keyEvent(SDLK_KP_MINUS, true));
    g.handleEvent(keyEvent(SDLK_KP_MINUS, true, true));
    EXPECT_LT(g.lightAngle, 65);
    EXPECT_EQ(f.lines(),
              "CAMBIO MODO DE VISTA\nGIRANDO LUCES SENTIDO HORARIO\nGIRANDO LUCES SENTIDO ANTIHORARIO\n"
              "GIRANDO LUCES SENTIDO ANTIHORARIO\n");

    // q and the window's close both quit; only q says so.
    f.tap(SDLK_q);
    EXPECT_TRUE(g.quit);
    EXPECT_EQ(f.lines(), "SALIR\n");
    Fixture h;
    SDL_Event close{};
    close.type = SDL_QUIT;
    h.game.handleEvent(close);
    EXPECT_TRUE(h.game.quit);
    EXPECT_EQ(h.lines(), "");
}

TEST(PigeonrunGame, WorldPassesFollowTimeAtSixtyASecondAndAStallIsBounded) {
    // Through the game's own frame, on a clock of the test's.
    Fixture f;
    Game& g = f.game;
    double now = 0;
    auto frameAfter = [&](double ms) {
        now += ms;
        g.frame(now);
        return g.passesLastFrame;
    };
    frameAfter(0);
    EXPECT_EQ(frameAfter(1000), 0) << "no world on the title";
    f.tap(SDLK_RETURN);
    // A frame paced at 16 ms still runs a pass every frame.
    int total = 0;
    for (int i = 0; i < 60; ++i) total += frameAfter(16);
    EXPECT_GE(total, 57);
    EXPECT_LE(total, 60);
    // A 2 s stall runs at most half a second of passes, one 1/60 s each,
    // and the cars' timers count no more passes than that.
    const float timer = g.world.carTimer1;
    EXPECT_EQ(frameAfter(2000), Game::kMaxPassesPerFrame);
    EXPECT_FLOAT_EQ(std::fmod(timer + Game::kMaxPassesPerFrame * World::kCarTimerStep, 20.5f),
                    std::fmod(g.world.carTimer1, 20.5f));
    EXPECT_LE(frameAfter(16), 1);
    // A fast loop (vsync at 144 Hz) still runs 60 passes a second.
    total = 0;
    for (int i = 0; i < 144; ++i) total += frameAfter(1000.0 / 144);
    EXPECT_NEAR(total, 60, 2);

    // A long frame with the pigeon in car 1's lane: the passes still meet
    // the car on its way; it does not jump over the pigeon.
    for (int stall : {500, 2000}) {
        Fixture s;
        s.tap(SDLK_RETURN);
        s.game.frame(0);
        s.game.world.car1.position.x = 0;
        s.game.frame(stall);
        EXPECT_EQ(s.game.world.status.state, StateGameOver) << stall << " ms";
    }
}

TEST(PigeonrunGame, APointIsAHopMadeAndKeysLetGoWhilePausedOrUnfocusedAreLetGo) {
    Fixture f;
    Game& g = f.game;
    f.tap(SDLK_RETURN);
    f.passes(1);
    g.world.car1.position.x = g.world.car2.position.x = 1000;  // no traffic
    auto land = [&] {
        for (int i = 0; i < 100 && g.world.pigeon.hopping; ++i) f.passes(1);
    };
    // Six quick Ups in one hop: one hop, one point, in either view.
    for (int i = 0; i < 6; ++i) {
        f.tap(SDLK_UP);
        f.passes(2);
    }
    EXPECT_EQ(g.world.status.score, 1);
    land();
    f.tap(SDLK_v);
    for (int i = 0; i < 6; ++i) {
        f.tap(SDLK_UP);
        f.passes(2);
    }
    EXPECT_EQ(g.world.status.score, 2);
    land();

    // Right held, the game paused, Right let go, play resumed: no more turning.
    g.handleEvent(keyEvent(SDLK_RIGHT, true));
    f.passes(10);
    f.tap(SDLK_p);
    g.handleEvent(keyEvent(SDLK_RIGHT, false));
    f.tap(SDLK_p);
    double heading = g.world.heading;
    f.passes(60);
    EXPECT_EQ(g.world.heading, heading);
    EXPECT_FALSE(g.world.pigeon.hopping) << "a key let go while paused does not hop";
    EXPECT_EQ(g.world.status.score, 2);

    // Left held and the mouse dragging when the window loses the focus:
    // both let go.
    g.handleEvent(keyEvent(SDLK_LEFT, true));
    g.handleEvent(hoptest::clickEvent(10, 10, true));
    f.passes(10);
    SDL_Event lost{};
    lost.type = SDL_WINDOWEVENT;
    lost.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    f.lines();
    g.handleEvent(lost);
    EXPECT_FALSE(g.dragging);
    EXPECT_EQ(f.lines(), "DEJO DE MOVER CAMARA\n");
    heading = g.world.heading;
    const double azimuth = g.camera.azimuth;
    f.passes(60);
    EXPECT_EQ(g.world.heading, heading);
    EXPECT_EQ(g.camera.azimuth, azimuth);
}

TEST(PigeonrunGame, ViewChangeMidHopFinishesTheHopAsItBegan) {
    Fixture f;
    Game& g = f.game;
    f.tap(SDLK_RETURN);
    f.passes(1);
    f.tap(SDLK_RIGHT);  // fixed view: a hop to the right
    f.passes(3);
    f.tap(SDLK_v);
    while (g.world.pigeon.hopping) g.pass();
    EXPECT_NEAR(g.world.worldOffsetZ, 0, 1e-9);
    EXPECT_LT(g.world.worldOffsetX, -5);
    EXPECT_GT(g.world.worldOffsetX, -6.5);
}

TEST(PigeonrunView, ZoomStaysBetweenTwoAndTwentyAndTheMiddleBandTurnsNothing) {
    ViewCamera c;
    c.reset();
    EXPECT_FLOAT_EQ(c.eye[2], -5);  // behind the pigeon, which looks along +z
    for (int i = 0; i < 100; ++i) c.zoom(+1, 100);
    EXPECT_FLOAT_EQ(c.distance, 2);
    c.zoom(-1, 10);
    EXPECT_FLOAT_EQ(c.distance, 2.3f);
    for (int i = 0; i < 100; ++i) c.zoom(-1, 100);
    EXPECT_FLOAT_EQ(c.distance, 20);
    c.zoom(0, 100);
    EXPECT_FLOAT_EQ(c.distance, 20);

    // Dragging: the middle band (x 270..370, y 190..290) turns nothing.
    for (auto [x, y] : {std::pair{270, 190}, {370, 290}, {320, 240}, {300, 200}}) {
        ViewCamera m;
        m.reset();
        m.drag(x, y, 1000);
        EXPECT_EQ(m.azimuth, 180) << x << "," << y;
        EXPECT_EQ(m.elevation, 45) << x << "," << y;
    }
    // Outside it: 90 degrees a second, azimuth wrapping, elevation held to +-90.
    ViewCamera d;
    d.reset();
    d.drag(269, 240, 1000);
    EXPECT_DOUBLE_EQ(d.azimuth, 90);
    d.drag(371, 240, 1000);
    d.drag(371, 240, 1000);
    d.drag(371, 240, 1000);
    EXPECT_DOUBLE_EQ(d.azimuth, 0);
    d.drag(320, 291, 1000);
    EXPECT_DOUBLE_EQ(d.elevation, 90);
    d.drag(320, 189, 4000);
    EXPECT_DOUBLE_EQ(d.elevation, -90);

    // A controller's right stick turns the view as the cursor in the band
    // it leans toward does, in proportion to the lean.
    for (auto [x, y, lx, ly] : {std::tuple{371, 240, 1.f, 0.f}, {269, 240, -1.f, 0.f}, {320, 291, 0.f, 1.f},
                               {320, 189, 0.f, -1.f}, {371, 291, 1.f, 1.f}}) {
        ViewCamera byMouse, byStick, half;
        byMouse.reset(), byStick.reset(), half.reset();
        byMouse.drag(x, y, 300);
        byStick.look(lx, ly, 300);
        half.look(lx / 2, ly / 2, 600);
        EXPECT_DOUBLE_EQ(byStick.azimuth, byMouse.azimuth) << x << "," << y;
        EXPECT_DOUBLE_EQ(byStick.elevation, byMouse.elevation) << x << "," << y;
        EXPECT_NEAR(half.azimuth, byMouse.azimuth, 1e-9);
    }
}

TEST(PigeonrunGame, AStillScreenIsDrawnOnlyAfterAChangeAndItsKeysActAtOnce) {
    Fixture f;
    Game& g = f.game;
    double now = 0;
    auto draws = [&](int frames) {
        int n = 0;
        for (int i = 0; i < frames; ++i) n += g.frame(now += kPassMs) ? 1 : 0;
        return n;
    };
    // Drawn for a moment after a change, then left alone.
    auto settles = [&] {
        const int shown = draws(120);
        return shown > 0 && shown <= Game::kSettleFrames && !g.wantsDraw() && draws(60) == 0;
    };
    EXPECT_TRUE(settles()) << "the title";
    g.handleEvent(hoptest::motionEvent(5, 5, 100, 100));
    EXPECT_EQ(draws(10), 0) << "the cursor changes nothing shown";
    // Keys act on release, however long after the press.
    g.handleEvent(keyEvent(SDLK_t, true));
    EXPECT_TRUE(settles()) << "a key pressed on the title";
    g.handleEvent(keyEvent(SDLK_t, false));
    EXPECT_TRUE(settles()) << "and let go";
    SDL_Event exposed{};
    exposed.type = SDL_WINDOWEVENT;
    exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
    g.handleEvent(exposed);
    EXPECT_TRUE(settles()) << "the window shown again";

    // Play draws every frame; the pause, like the title, settles.
    f.tap(SDLK_RETURN);
    EXPECT_EQ(draws(120), 120);
    f.tap(SDLK_p);
    EXPECT_TRUE(settles()) << "the pause";
    // A key on it acts at once, and the next frame shows it.
    f.tap(SDLK_p);
    EXPECT_EQ(g.world.status.state, StatePlaying);
    EXPECT_EQ(draws(60), 60);

    // Paused in the free view, the camera turned by the stick or the mouse
    // is drawn every frame while it turns.
    f.tap(SDLK_v);
    f.tap(SDLK_p);
    EXPECT_TRUE(settles());
    g.lookX = 1;
    const double azimuth = g.camera.azimuth;
    EXPECT_EQ(draws(60), 60);
    EXPECT_NEAR(g.camera.azimuth, std::fmod(azimuth + 90, 360), 2);
    g.lookX = 0;
    EXPECT_EQ(draws(60), 0) << "the last frame drawn shows where it stopped";
    g.handleEvent(hoptest::clickEvent(600, 240, true));
    EXPECT_EQ(draws(60), 60);
    g.handleEvent(hoptest::clickEvent(600, 240, false));
    EXPECT_TRUE(settles());

    // Game over is a still screen too.
    f.tap(SDLK_p);
    g.world.car1.position.x = 0;  // the pigeon in car 1's lane
    for (int i = 0; i < 100 && g.world.status.state == StatePlaying; ++i) draws(1);
    ASSERT_EQ(g.world.status.state, StateGameOver);
    EXPECT_TRUE(settles()) << "game over";
}

TEST(PigeonrunGame, ARunsScoreIsKeptWhenItBeatsTheBestWhetherACarOrQuittingEndsIt) {
    const std::string dir = ::testing::TempDir() + "pigeonrun_records_" + std::to_string(getpid());
    std::filesystem::remove_all(dir);
    const char* given = std::getenv("HOPGAMES_DATA_DIR");
    const std::string saved = given ? given : "";
    setenv("HOPGAMES_DATA_DIR", dir.c_str(), 1);
    auto run = [&](int hops, bool byCar, bool quitByWindow = false) {
        Fixture f;
        Game& g = f.game;
        g.records = std::make_unique<hop::Records>("pigeonrun");
        const std::optional<long long> before = g.best();
        f.tap(SDLK_RETURN);
        f.passes(1);
        g.world.car1.position.x = g.world.car2.position.x = 1000;  // no traffic
        for (int i = 0; i < hops; ++i) {
            f.tap(SDLK_UP);
            while (g.world.pigeon.hopping) f.passes(1);
        }
        if (byCar) {
            g.world.car1.position.x = 0;  // the pigeon in car 1's lane
            for (int i = 0; i < 100 && g.world.status.state == StatePlaying; ++i) f.passes(1);
            EXPECT_EQ(g.world.status.state, StateGameOver);
        } else if (quitByWindow) {
            SDL_Event close{};
            close.type = SDL_QUIT;
            g.handleEvent(close);
        } else {
            f.tap(SDLK_p);  // quit while paused: the run still counts
            f.tap(SDLK_q);
        }
        return std::pair{before, g.best()};
    };
    EXPECT_EQ(run(3, true), (std::pair{std::optional<long long>{}, std::optional<long long>{3}}));
    EXPECT_EQ(run(2, false), (std::pair{std::optional<long long>{3}, std::optional<long long>{3}})) << "a worse run";
    EXPECT_EQ(run(5, false), (std::pair{std::optional<long long>{3}, std::optional<long long>{5}}));
    EXPECT_EQ(run(6, false, true), (std::pair{std::optional<long long>{5}, std::optional<long long>{6}}));
    if (given)
        setenv("HOPGAMES_DATA_DIR", saved.c_str(), 1);
    else
        unsetenv("HOPGAMES_DATA_DIR");
    std::filesystem::remove_all(dir);
}

TEST(PigeonrunHud, DigitsOfZeroAndOneHundredFiveAndMaterialColours) {
    const auto zero = digitQuads(0, -43, -42, -9);
    ASSERT_EQ(zero.size(), 1u);
    EXPECT_EQ(zero[0].digit, 0);
    EXPECT_EQ(zero[0].x0, -43);
    EXPECT_EQ(zero[0].x1, -10);
    const auto n = digitQuads(105, -43, -42, -9);
    ASSERT_EQ(n.size(), 3u);
    const int digits[3] = {5, 0, 1};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(n[std::size_t(i)].digit, digits[i]);
        EXPECT_EQ(n[std::size_t(i)].x0, -43 - 27 * i);
        EXPECT_EQ(n[std::size_t(i)].x1 - n[std::size_t(i)].x0, 33);
        EXPECT_EQ(n[std::size_t(i)].y0, -42);
    }

    std::array<double, 3> c{};
    EXPECT_TRUE(materialColour("grey_light", c));
    EXPECT_EQ(c, (std::array<double, 3>{0.8, 0.8, 0.8}));
    EXPECT_TRUE(materialColour("phong3SG.003", c));
    EXPECT_EQ(c, (std::array<double, 3>{1, 0.5, 0}));
    c = {0.1, 0.2, 0.3};
    EXPECT_FALSE(materialColour("phong7SG.003", c));
    EXPECT_FALSE(materialColour("Grey", c));
    EXPECT_EQ(c, (std::array<double, 3>{0.1, 0.2, 0.3})) << "unknown names leave the colour";
}
