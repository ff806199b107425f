// Board, penguin, seal and log rules, and the loop's key table, without a
// window or the game's files.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "app.h"
#include "camara.h"
#include "hud.h"
#include "enemigo.h"
#include "juego.h"
#include "jugador.h"
#include "tablero.h"
#include "hoptest/events.h"
#include "hopcommon/records.h"

using namespace boardhop;

namespace {

struct Board : ::testing::Test {
    Level1 board{false};
    Jugador player{board, false};

    void SetUp() override { board.place(0, 0, 0); }

    // One hop in grid mode, as a key press followed by one frame.
    void hop(SDL_Keycode sym) {
        player.handleEvent(hoptest::keyEvent(sym));
        player.handleEvent(hoptest::keyEvent(sym, false));
        player.update(16);
    }
    void putAt(int c, int r) {
        player.column = c;
        player.row = r;
        player.snapToCell();
    }
};

}  // namespace

TEST_F(Board, Level1Layout) {
    EXPECT_EQ(board.columns, 9);
    EXPECT_EQ(board.rows, 15);
    for (int r : {3, 7})
        for (int c = 0; c < 9; ++c)
            EXPECT_EQ(board.stepResult(c, r), (c == 3 || c == 4 || c == 8) ? Free : Blocked) << c << "," << r;
    for (int r : {5, 11})
        for (int c = 0; c < 9; ++c) EXPECT_EQ(board.stepResult(c, r), c == 4 ? Free : Death) << c << "," << r;
    EXPECT_EQ(board.stepResult(-1, 0), Blocked);
    EXPECT_EQ(board.stepResult(9, 0), Blocked);
    EXPECT_EQ(board.stepResult(0, 15), Blocked);
    const Vec2 c = board.centre();
    EXPECT_NEAR(c.x, 4.04f, 1e-5);
    EXPECT_NEAR(c.y, 7.07f, 1e-5);
    const Bounds b = board.bounds();
    EXPECT_FLOAT_EQ(b.left, -0.5f);
    EXPECT_NEAR(b.right, 8.58f, 1e-5);
    EXPECT_NEAR(b.top, 14.64f, 1e-5);
    // Tiles sit on the 1.01 pitch after place().
    EXPECT_NEAR(board.tileAt(8, 14)->x, 8.08f, 1e-5);
    EXPECT_NEAR(board.tileAt(8, 14)->y, 14.14f, 1e-5);
}

TEST_F(Board, HopsStopAtTheBordersAndScoreNothing) {
    hop(SDLK_LEFT);
    hop(SDLK_DOWN);
    EXPECT_EQ(player.column, 0);
    EXPECT_EQ(player.row, 0);
    EXPECT_EQ(player.score, 0);

    putAt(8, 0);
    hop(SDLK_RIGHT);
    EXPECT_EQ(player.column, 8);

    putAt(4, 14);
    hop(SDLK_UP);
    EXPECT_EQ(player.row, 14);
    EXPECT_EQ(player.score, 0);
    EXPECT_FALSE(player.dead);
}

TEST_F(Board, TreesBlockAndWaterKills) {
    putAt(0, 2);
    hop(SDLK_UP);
    EXPECT_EQ(player.row, 2) << "a palm blocks the hop";
    EXPECT_EQ(player.score, 0);
    putAt(3, 2);
    hop(SDLK_UP);
    EXPECT_EQ(player.row, 3);
    EXPECT_EQ(player.score, 1);

    putAt(4, 4);
    hop(SDLK_UP);
    EXPECT_FALSE(player.dead) << "column 4 of a water row is dry";
    EXPECT_EQ(player.row, 5);

    player.score = 7;
    putAt(0, 4);
    hop(SDLK_UP);
    EXPECT_TRUE(player.dead);
    EXPECT_EQ(player.column, 0);
    EXPECT_EQ(player.row, 0);
    EXPECT_EQ(player.score, 7) << "dying keeps the score";
    EXPECT_EQ(player.highScore, 7);
}

TEST_F(Board, ScoreCountsForwardHopsNotTheBestRow) {
    hop(SDLK_UP);
    hop(SDLK_DOWN);
    hop(SDLK_UP);
    EXPECT_EQ(player.row, 1);
    EXPECT_EQ(player.score, 2);
    hop(SDLK_RIGHT);
    EXPECT_EQ(player.score, 2);
    // One press gives one hop: further frames do not move.
    player.update(16);
    player.update(16);
    EXPECT_EQ(player.column, 1);
}

TEST_F(Board, SealTileKillsGridAndFreePenguins) {
    Enemigo seal(Enemigo::kStartX, 4.04f, 2500, board, false);
    seal.update(0);  // marks column 8 of row 4
    ASSERT_TRUE(board.tileAt(8, 4)->danger);
    putAt(8, 3);
    hop(SDLK_UP);
    EXPECT_TRUE(player.dead);

    Jugador standing(board, false);
    standing.column = 8;
    standing.row = 4;
    standing.snapToCell();
    standing.update(16);  // the seal arrives where it stands
    EXPECT_TRUE(standing.dead);

    Jugador walker(board, false);
    walker.enterFreeMode();
    walker.column = 8;
    walker.row = 3;
    walker.snapToCell();
    walker.handleEvent(hoptest::keyEvent(SDLK_UP));
    for (int i = 0; i < 40 && !walker.dead; ++i) walker.update(10);
    EXPECT_TRUE(walker.dead) << "free movement into the seal's tile";
}

TEST_F(Board, SealSlidesClearsItsTrailAndWraps) {
    Enemigo seal(Enemigo::kStartX, 4.04f, 2500, board, false);
    seal.update(1000);
    EXPECT_NEAR(seal.x, 8.08f - 3.232f, 1e-4) << "3.232 units a second at 2500 ms";
    int marked = 0;
    for (int c = 0; c < 9; ++c) marked += board.tileAt(c, 4)->danger;
    EXPECT_EQ(marked, 1);
    EXPECT_TRUE(board.tileAt(seal.columnAt(seal.x), 4)->danger);
    seal.update(2000);  // past column 0
    EXPECT_LE(seal.x, 0);
    EXPECT_TRUE(board.tileAt(0, 4)->danger);
    seal.update(16);
    EXPECT_FLOAT_EQ(seal.x, 8.08f);
    EXPECT_FALSE(board.tileAt(0, 4)->danger);
    EXPECT_EQ(seal.columnAt(-3), 0);
    EXPECT_EQ(seal.columnAt(30), 8);

    Tronco log(Enemigo::kStartX, 6.06f, 2500, false);
    log.update(3000);
    EXPECT_LE(log.x, 0);
    log.update(16);
    EXPECT_FLOAT_EQ(log.x, 8.08f);
    for (int c = 0; c < 9; ++c) EXPECT_FALSE(board.tileAt(c, 6)->danger) << "the log marks nothing";
}

TEST_F(Board, KeypadSpeedLimits) {
    Enemigo seal(Enemigo::kStartX, 4.04f, 2500, board, false);
    seal.speedUp();
    EXPECT_FLOAT_EQ(seal.crossTime, 2500);
    seal.crossTime = 2600;
    seal.speedUp();
    EXPECT_FLOAT_EQ(seal.crossTime, 2560);
    seal.speedUp();
    EXPECT_FLOAT_EQ(seal.crossTime, 2520);
    seal.speedUp();
    EXPECT_FLOAT_EQ(seal.crossTime, 2480);
    seal.speedUp();
    EXPECT_FLOAT_EQ(seal.crossTime, 2480);
    seal.slowDown();
    EXPECT_FLOAT_EQ(seal.crossTime, 2580);
}

TEST_F(Board, FreeMovementBoundsTreesAndWater) {
    player.enterFreeMode();
    player.handleEvent(hoptest::keyEvent(SDLK_LEFT));
    for (int i = 0; i < 50; ++i) player.update(20);
    EXPECT_GE(player.x, -0.5f);
    EXPECT_LT(player.x, -0.4f) << "walks up to the border, no further";
    player.handleEvent(hoptest::keyEvent(SDLK_LEFT, false));
    player.handleEvent(hoptest::keyEvent(SDLK_DOWN));
    for (int i = 0; i < 50; ++i) player.update(20);
    EXPECT_GE(player.y, -0.5f);
    EXPECT_EQ(player.mode, Jugador::FreeMove) << "arrows do not leave free mode";

    // Walking up column 0 stops at the palm of row 3.
    Jugador walker(board, false);
    walker.enterFreeMode();
    walker.handleEvent(hoptest::keyEvent(SDLK_UP));
    for (int i = 0; i < 300; ++i) walker.update(10);
    EXPECT_FALSE(walker.dead);
    EXPECT_LT(walker.y, 3.03f - 0.25f + 0.05f);
    EXPECT_GT(walker.y, 3.03f - 0.25f - 0.05f);
    EXPECT_EQ(walker.row, 3) << "past the middle line, inside row 3";
    EXPECT_EQ(walker.score, 3) << "a point for each row entered";

    // Up column 1 from row 4 into the water of row 5.
    Jugador swimmer(board, false);
    swimmer.enterFreeMode();
    swimmer.column = 1;
    swimmer.row = 4;
    swimmer.snapToCell();
    swimmer.handleEvent(hoptest::keyEvent(SDLK_UP));
    for (int i = 0; i < 100 && !swimmer.dead; ++i) swimmer.update(10);
    EXPECT_TRUE(swimmer.dead);
    EXPECT_EQ(swimmer.row, 0);
}

TEST_F(Board, GridModeAfterFreeModeSnapsToTheCell) {
    player.enterFreeMode();
    player.handleEvent(hoptest::keyEvent(SDLK_RIGHT));
    for (int i = 0; i < 40; ++i) player.update(10);  // 1.6 units: one cell and a bit
    EXPECT_EQ(player.column, 2);
    EXPECT_NE(player.offsetX, 0.0f);
    player.enterGridMode();
    EXPECT_EQ(player.mode, Jugador::Idle);
    EXPECT_FLOAT_EQ(player.offsetX, 0);
    EXPECT_NEAR(player.x, 2.02f, 1e-5);
    // and free movement resumes from the cell, not from a stale position
    player.handleEvent(hoptest::keyEvent(SDLK_RIGHT, false));
    hop(SDLK_UP);
    player.enterFreeMode();
    player.handleEvent(hoptest::keyEvent(SDLK_UP));
    player.update(10);
    EXPECT_NEAR(player.y, 1.01f + 0.04f, 1e-4);
}

TEST(Loop, HighScoreSurvivesNewRuns) {
    Juego game(false);
    game.update(0);
    for (int i = 0; i < 3; ++i) {
        game.handleEvent(hoptest::keyEvent(SDLK_RIGHT));
        game.update(1);
    }
    game.handleEvent(hoptest::keyEvent(SDLK_UP));
    game.update(2);
    game.handleEvent(hoptest::keyEvent(SDLK_UP));
    game.update(3);
    ASSERT_EQ(game.player->score, 2);
    game.handleEvent(hoptest::keyEvent(SDLK_LEFT));
    game.update(4);
    game.handleEvent(hoptest::keyEvent(SDLK_UP));  // row 3 column 2: a palm
    game.update(5);
    EXPECT_EQ(game.player->row, 2);
    game.handleEvent(hoptest::keyEvent(SDLK_LEFT));
    game.update(6);
    game.handleEvent(hoptest::keyEvent(SDLK_LEFT));
    game.update(7);
    game.handleEvent(hoptest::keyEvent(SDLK_UP));
    game.update(8);  // (0, 3): palm
    game.player->column = 0;
    game.player->row = 4;
    game.handleEvent(hoptest::keyEvent(SDLK_UP));
    game.update(9);  // water
    ASSERT_TRUE(game.player->dead);
    EXPECT_EQ(game.player->highScore, 2);

    // Frozen while dead.
    const float sealX = game.seal->x;
    game.update(500);
    EXPECT_FLOAT_EQ(game.seal->x, sealX);

    game.handleEvent(hoptest::keyEvent(SDLK_SPACE));
    EXPECT_FALSE(game.player->dead);
    EXPECT_EQ(game.player->score, 0);
    EXPECT_EQ(game.player->highScore, 2);
    EXPECT_FLOAT_EQ(game.seal->x, 8.08f);
    EXPECT_EQ(game.camera->mode, 0);
}

// The high score starts from the saved best; a death saves the high score
// when it beats the file's (a worse run leaves it), and quitting mid-run
// counts the score so far.
TEST(Loop, TheHighScoreStartsFromTheSavedBestAndIsKept) {
    const std::string dir = testing::TempDir() + "boardhop_best";
    ASSERT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
    setenv("HOPGAMES_DATA_DIR", dir.c_str(), 1);
    hop::Records("boardhop").record("best", 3);
    hop::Records records("boardhop");
    Juego game(false);
    game.useRecords(&records);
    EXPECT_EQ(game.player->highScore, 3);
    game.update(0);
    game.player->score = 2;
    game.player->die();
    game.update(1);
    EXPECT_EQ(game.player->highScore, 3);
    game.newRun();
    game.player->score = 5;
    game.player->die();
    game.update(2);
    EXPECT_EQ(game.player->highScore, 5);
    EXPECT_EQ(hop::Records("boardhop").best("best"), 5) << "saved at the death";
    game.newRun();
    game.update(3);
    game.player->score = 9;
    game.saveBest(true);
    EXPECT_EQ(hop::Records("boardhop").best("best"), 9) << "the run under way at quitting";
    unsetenv("HOPGAMES_DATA_DIR");
}

TEST(Loop, KeysWhileDeadPausedOrInHelp) {
    Juego game(false);
    // p and h toggle and cross over
    game.handleEvent(hoptest::keyEvent(SDLK_p));
    EXPECT_EQ(game.gameState, Juego::Paused);
    game.handleEvent(hoptest::keyEvent(SDLK_h));
    EXPECT_EQ(game.gameState, Juego::Playing);
    game.handleEvent(hoptest::keyEvent(SDLK_h));
    EXPECT_EQ(game.gameState, Juego::Help);
    game.handleEvent(hoptest::keyEvent(SDLK_p));
    EXPECT_EQ(game.gameState, Juego::Playing);

    // arrows and v do nothing while paused; the world stands still
    game.handleEvent(hoptest::keyEvent(SDLK_p));
    game.handleEvent(hoptest::keyEvent(SDLK_UP));
    game.handleEvent(hoptest::keyEvent(SDLK_v));
    game.update(1000);
    EXPECT_EQ(game.player->row, 0);
    EXPECT_EQ(game.camera->mode, 0);
    EXPECT_FLOAT_EQ(game.seal->x, 8.08f);
    game.handleEvent(hoptest::keyEvent(SDLK_p));

    // space while alive is no new run
    Jugador* before = game.player.get();
    game.handleEvent(hoptest::keyEvent(SDLK_SPACE));
    EXPECT_EQ(game.player.get(), before);

    game.player->die();
    game.handleEvent(hoptest::keyEvent(SDLK_p));
    EXPECT_EQ(game.gameState, Juego::Paused);
    game.handleEvent(hoptest::keyEvent(SDLK_SPACE));
    EXPECT_FALSE(game.player->dead) << "space starts a run in any state";
    EXPECT_EQ(game.gameState, Juego::Paused) << "and leaves the state alone";

    // toggles and light keys work in any state
    game.handleEvent(hoptest::keyEvent(SDLK_t));
    game.handleEvent(hoptest::keyEvent(SDLK_f));
    EXPECT_TRUE(game.wireframe);
    EXPECT_TRUE(game.flatShading);
    game.handleEvent(hoptest::keyEvent(SDLK_1));
    game.handleEvent(hoptest::keyEvent(SDLK_6));
    game.handleEvent(hoptest::keyEvent(SDLK_7));
    EXPECT_FLOAT_EQ(game.luzPosicion3[0], 1.5f);
    EXPECT_FLOAT_EQ(game.luzPosicion3[2], 0.5f);
    EXPECT_NEAR(game.colorLuz[0], 0.9f, 1e-6);
    game.handleEvent(hoptest::keyEvent(SDLK_k));
    EXPECT_FALSE(game.player->texturesOn);
    EXPECT_FALSE(game.board->tileAt(0, 0)->texturesOn);
    EXPECT_FALSE(game.seal->texturesOn);
    game.handleEvent(hoptest::keyEvent(SDLK_KP_MINUS));
    EXPECT_FLOAT_EQ(game.seal->crossTime, 2600);
    game.handleEvent(hoptest::keyEvent(SDLK_q));
    EXPECT_TRUE(game.quit);

    Juego closing(false);
    SDL_Event quitEvent{};
    quitEvent.type = SDL_QUIT;
    closing.handleEvent(quitEvent);
    EXPECT_TRUE(closing.quit);
}

TEST(Loop, MovementModeSurvivesANewRunButNotAPendingHop) {
    Juego game(false);
    game.handleEvent(hoptest::keyEvent(SDLK_c));
    game.player->die();
    game.handleEvent(hoptest::keyEvent(SDLK_SPACE));
    EXPECT_EQ(game.player->mode, Jugador::FreeMove);
    game.handleEvent(hoptest::keyEvent(SDLK_d));
    EXPECT_EQ(game.player->mode, Jugador::Idle);

    // Killed by the seal in the middle of a hop: the new penguin does not hop.
    game.player->column = 8;
    game.player->row = 3;
    game.player->snapToCell();
    game.seal->update(0);
    game.handleEvent(hoptest::keyEvent(SDLK_UP));
    game.update(game.previousTicks + 1);
    ASSERT_TRUE(game.player->dead);
    game.handleEvent(hoptest::keyEvent(SDLK_SPACE));
    game.update(game.previousTicks + 1);
    EXPECT_EQ(game.player->row, 0);
}

TEST(Loop, FirstFrameSeesTheTimeSinceStart) {
    Juego game(false);
    game.update(400);
    EXPECT_NEAR(game.seal->x, 8.08f - 400 * 8.08f / 2500, 1e-4);
    game.update(400);
    EXPECT_NEAR(game.seal->x, 8.08f - 400 * 8.08f / 2500, 1e-4) << "no time, no motion";
}

TEST(Camera, BoxesModesMouseAndWheel) {
    Level1 board(false);
    board.place(0, 0, 0);
    Jugador player(board, false);
    Camara cam(player, board, 4.0f / 3.0f);
    // Mode 0: the whole board, widened to the window's 4:3.
    EXPECT_NEAR(cam.right - cam.left, 20.19f, 0.01f);
    EXPECT_NEAR(cam.top - cam.bottom, 15.14f, 0.01f);
    EXPECT_NEAR(cam.nearPlane, 10.093f, 0.01f);
    EXPECT_NEAR(cam.farPlane, -10.093f, 0.01f);
    EXPECT_NEAR(cam.centreX, 4.04f, 1e-5);
    EXPECT_NEAR(cam.centreY, 7.07f, 1e-5);

    player.column = 2;
    player.row = 6;
    const float expect[][2] = {{4.04f, 7.07f}, {4.04f, 6.06f}, {2.02f, 6.06f}, {4.04f, 11.11f}, {2.02f, 6.06f}};
    const float widths[] = {20.19f, 9.08f, 5.3867f, 12.12f};
    for (int mode = 0; mode < 6; ++mode) {
        while (cam.mode != mode) cam.nextMode();
        cam.update(16);
        const int e = mode < 4 ? mode : 4;
        EXPECT_NEAR(cam.centreX, expect[e][0], 1e-4) << "mode " << mode;
        EXPECT_NEAR(cam.centreY, expect[e][1], 1e-4) << "mode " << mode;
        if (mode < 4) {
            EXPECT_NEAR(cam.right - cam.left, widths[mode], 0.01f) << "mode " << mode;
            EXPECT_NEAR((cam.right - cam.left) / (cam.top - cam.bottom), 4.0f / 3.0f, 1e-4);
            EXPECT_FLOAT_EQ(cam.centreZ, 0);
        } else {
            EXPECT_NEAR(cam.centreZ, 1.52412f, 1e-6);
        }
    }

    // v cycles six modes, resetting the view at every step.
    Camara c2(player, board, 4.0f / 3.0f);
    SDL_Event v = hoptest::keyEvent(SDLK_v);
    const float yaws[] = {0, 0, 30, 0, 0, 0};
    const float pitches[] = {0, 0, 0, 90, 120, 0};
    for (int i = 0; i < 6; ++i) {
        c2.zoom = 3;
        c2.handleEvent(v);
        EXPECT_EQ(c2.mode, (i + 1) % 6);
        EXPECT_FLOAT_EQ(c2.yaw, yaws[i]);
        EXPECT_FLOAT_EQ(c2.pitch, pitches[i]);
        EXPECT_FLOAT_EQ(c2.zoom, 0);
    }

    // Modes 0..3 turn only while the left button is held; 4 and 5 always.
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.xrel = 10;
    motion.motion.yrel = -20;
    c2.handleEvent(motion);
    EXPECT_FLOAT_EQ(c2.yaw, 0);
    SDL_Event press{};
    press.type = SDL_MOUSEBUTTONDOWN;
    press.button.button = SDL_BUTTON_LEFT;
    c2.handleEvent(press);
    c2.handleEvent(motion);
    EXPECT_FLOAT_EQ(c2.yaw, 3);
    EXPECT_FLOAT_EQ(c2.pitch, -6);
    press.type = SDL_MOUSEBUTTONUP;
    c2.handleEvent(press);
    c2.handleEvent(motion);
    EXPECT_FLOAT_EQ(c2.yaw, 3);
    while (c2.mode != 4) c2.nextMode();
    c2.handleEvent(motion);
    EXPECT_FLOAT_EQ(c2.yaw, 3);
    EXPECT_FLOAT_EQ(c2.pitch, 84);

    // The wheel: 0.1 a notch, turned round when the device reports flipped.
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 3;
    c2.handleEvent(wheel);
    EXPECT_NEAR(c2.zoom, 0.3f, 1e-6) << "mode 4 backs away 3 x 0.1 x 3 units";
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    c2.handleEvent(wheel);
    EXPECT_NEAR(c2.zoom, 0.0f, 1e-6);
    wheel.wheel.y = 0;
    wheel.wheel.x = 4;
    c2.handleEvent(wheel);
    EXPECT_NEAR(c2.zoom, 0.0f, 1e-6);
}

TEST(Hud, RecordMessageChoice) {
    using boardhop::chooseDeathMessage;
    EXPECT_EQ(chooseDeathMessage(false, 3, 5, 5), DeathMessage::GameOver);
    EXPECT_EQ(chooseDeathMessage(false, 5, 5, 5), DeathMessage::GameOver) << "equalling is no record";
    EXPECT_EQ(chooseDeathMessage(false, 6, 5, 6), DeathMessage::NewHighScore);
    // Later frames of the same screen see -1 but keep the record message.
    EXPECT_EQ(chooseDeathMessage(true, -1, 6, 6), DeathMessage::NewHighScore);
    EXPECT_EQ(chooseDeathMessage(false, -1, 6, 6), DeathMessage::GameOver);
    // The fatal hop scored the point that beats the record (onto the seal's
    // tile from the row below): the last playing frame only equalled it.
    EXPECT_EQ(chooseDeathMessage(false, 3, 3, 4), DeathMessage::NewHighScore);
    EXPECT_EQ(chooseDeathMessage(false, 3, 3, 3), DeathMessage::GameOver);
}

TEST(LongFrames, NothingPassesThroughWaterOrTheSeal) {
    for (std::uint32_t frameMs : {500u, 2000u}) {
        // Free mode, walking up from row 10 across the water of row 11: one
        // long frame must not step over it.
        Juego game(false);
        game.update(0);
        game.handleEvent(hoptest::keyEvent(SDLK_c));
        game.player->column = 0;
        game.player->row = 10;
        game.player->snapToCell();
        game.handleEvent(hoptest::keyEvent(SDLK_UP));
        game.update(frameMs);
        EXPECT_TRUE(game.player->dead) << frameMs << " ms: walked over the water to row " << game.player->row;

        // A penguin standing in the seal's row: the seal slides through its
        // tile within the frame.
        Juego still(false);
        still.update(0);
        still.player->column = 7;
        still.player->row = 4;
        still.player->snapToCell();
        still.update(frameMs);
        EXPECT_TRUE(still.player->dead) << frameMs << " ms: the seal slid through the penguin";
    }

    // Frames at the display's rate give the same outcome as the long ones.
    Juego game(false);
    game.update(0);
    game.handleEvent(hoptest::keyEvent(SDLK_c));
    game.player->column = 0;
    game.player->row = 10;
    game.player->snapToCell();
    game.handleEvent(hoptest::keyEvent(SDLK_UP));
    for (std::uint32_t t = 16; t <= 2000 && !game.player->dead; t += 16) game.update(t);
    EXPECT_TRUE(game.player->dead);

    // A stall of many minutes neither hangs nor skips the rules.
    Juego stalled(false);
    stalled.update(0);
    stalled.update(40u * 60u * 1000u);
    EXPECT_GT(stalled.seal->x, 0.0f);
    EXPECT_LE(stalled.seal->x, Enemigo::kStartX);
}

// Only a driver that shows nothing, and only when nobody asked for it by
// name, means there is no display.
TEST(Display, ADriverThatShowsNothingCountsOnlyWhenNotAskedFor) {
    EXPECT_TRUE(driverWithoutDisplay("offscreen", nullptr));
    EXPECT_TRUE(driverWithoutDisplay("dummy", ""));
    EXPECT_TRUE(driverWithoutDisplay("offscreen", "x11,wayland"));
    EXPECT_FALSE(driverWithoutDisplay("x11", nullptr));
    EXPECT_FALSE(driverWithoutDisplay(nullptr, nullptr));
    EXPECT_FALSE(driverWithoutDisplay("offscreen", "x11,OffScreen"));
    EXPECT_FALSE(driverWithoutDisplay("dummy", "DUMMY"));
}

namespace {

// A scripted player, in grid hops up the dry column 4 (through the palms'
// gap and the water's dry tile), a hop every `paceMs`. A careful one steps
// into the seal's row only when the seal will not reach its tile for a
// while, and leaves it on the next frame; a blind one keeps its pace.
struct Crosser {
    Juego game{false};
    std::uint32_t now = 0;

    void hop(SDL_Keycode key) {
        game.handleEvent(hoptest::keyEvent(key));
        game.handleEvent(hoptest::keyEvent(key, false));
    }
    // The seal's column `ms` from now, as it slides and starts again.
    int sealColumnIn(float ms) const {
        float x = game.seal->x - ms * 8.08f / game.seal->crossTime;
        if (x <= 0) x += 8.08f;
        return game.seal->columnAt(x);
    }
    bool sealClear(int column) const {
        for (float ms = 0; ms <= 400; ms += 16)
            if (std::abs(sealColumnIn(ms) - column) <= 1) return false;
        return true;
    }
    // Plays 16 ms frames from a start `phaseMs` into the seal's run; returns
    // the best row reached before the end, a death or `limitMs`.
    int cross(std::uint32_t phaseMs, bool careful, std::uint32_t paceMs, std::uint32_t limitMs = 60000) {
        game.update(now);
        game.update(now += phaseMs);
        for (int i = 0; i < 4; ++i) {  // to column 4 along the start row
            hop(SDLK_RIGHT);
            game.update(now += paceMs);
        }
        int best = 0;
        std::uint32_t nextHop = now;
        while (now < limitMs && !game.player->dead && game.player->row < 14) {
            game.update(now += 16);
            if (game.player->dead) break;
            best = std::max(best, game.player->row);
            const bool beforeSeal = game.player->row == 3, inSealRow = game.player->row == 4;
            if (careful && beforeSeal && !sealClear(4)) continue;  // wait for the seal to pass
            if (now < nextHop && !(careful && inSealRow)) continue;
            hop(SDLK_UP);
            nextHop = now + paceMs;
        }
        if (!game.player->dead) best = std::max(best, game.player->row);
        return best;
    }
};

}  // namespace

// From any moment of the seal's run, a player who waits for it to pass
// crosses the whole board; one who walks on at a steady pace without
// looking is caught by it from a good share of those moments.
TEST(Crossing, ACarefulPlayerCrossesAndABlindOneIsCaught) {
    int blindCaught = 0, phases = 0;
    for (std::uint32_t phase = 0; phase < 2500; phase += 50, ++phases) {
        Crosser careful;
        EXPECT_EQ(careful.cross(phase, true, 250), 14) << "from " << phase << " ms";
        EXPECT_FALSE(careful.game.player->dead) << "from " << phase << " ms";
        Crosser blind;
        blind.cross(phase, false, 250);
        blindCaught += blind.game.player->dead;
    }
    EXPECT_GE(blindCaught, phases / 6) << blindCaught << " of " << phases;
}
