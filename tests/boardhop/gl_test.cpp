// The game's drawing and its readers, in an offscreen GL context, run from
// the game's stage folder with the generated files.
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <SDL2/SDL_ttf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <vector>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "app.h"
#include "camara.h"
#include "enemigo.h"
#include "hoptest/gl.h"
#include "hoptest/localpad.h"
#include "hopcommon/pads.h"
#include "hud.h"
#include "juego.h"
#include "jugador.h"
#include "mesh.h"
#include "tablero.h"
#include "tiletextures.h"
#include "hoptest/broken.h"
#include "hoptest/events.h"

using namespace boardhop;
using hoptest::Color;
using hoptest::Rect;

namespace {

class BoardhopGL : public hoptest::GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        ASSERT_EQ(TTF_Init(), 0);
        IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);
    }
    void TearDown() override {
        releaseTileTextures();
        closeFonts();
        TTF_Quit();
        IMG_Quit();
        GLTest::TearDown();
    }
    // Events reach the game through SDL's queue, as in play: its frame
    // handles every pending one.
    static void push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1); }
    // The brightest green of the score text in the top-left corner.
    int brightestGreen() {
        const hoptest::Image img = readFramebuffer();
        int best = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 120; ++x) {
                const Color c = img.pixel(x, y);
                if (c.g > c.r + 50 && c.g > c.b + 50) best = std::max(best, int(c.g));
            }
        return best;
    }
    // Pixels of a colour family in a region.
    int countWhere(Rect r, bool (*pred)(Color)) {
        const hoptest::Image img = readFramebuffer();
        int n = 0;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) n += pred(img.pixel(x, y));
        return n;
    }
};

bool isGreen(Color c) { return c.g > 150 && c.r < 80 && c.b < 80; }
bool isBlue(Color c) { return c.b > 150 && c.r < 80 && c.g < 80; }
bool isBlack(Color c) { return c.r < 10 && c.g < 10 && c.b < 10; }
bool isWhite(Color c) { return c.r > 180 && c.g > 180 && c.b > 180; }
bool isSand(Color c) { return c.r > 170 && c.g > 150 && c.b > 90 && c.r > c.b + 30; }
bool isWater(Color c) { return c.b > 150 && c.b > c.r + 60; }

}  // namespace

TEST_F(BoardhopGL, EveryGeneratedFileReadsWithTheGameReaders) {
    for (const char* obj : {"Modelos3D/penguin/penguin.obj", "Modelos3D/seal/Seal.obj",
                            "Modelos3D/woodbranch/woodbranch.obj", "Modelos3D/palm/TREP.obj"}) {
        const auto vertices = loadObj(std::string(obj));
        EXPECT_GT(vertices.size(), 100u) << obj;
        EXPECT_EQ(vertices.size() % 3, 0u) << obj;
    }
    for (const char* png : {"Modelos3D/penguin/penguin.png", "Modelos3D/seal/seal128.png",
                            "Modelos3D/woodbranch/woodbranch.png", "Modelos3D/palm/palm.png", "pausa2.PNG"}) {
        ImageTexture tex(png);
        EXPECT_TRUE(tex.valid()) << png;
        EXPECT_NE(tex.id(), 0u) << png;
    }
    ImageTexture pause("pausa2.PNG");
    EXPECT_EQ(pause.width, 800);
    EXPECT_EQ(pause.height, 600);
    for (TileImage t : {TileImage::Agua, TileImage::Tierra, TileImage::Pasto}) {
        SDL_Surface* s = IMG_Load(tileImagePath(t));
        ASSERT_NE(s, nullptr) << tileImagePath(t);
        SDL_FreeSurface(s);
        EXPECT_NE(tileTexture(t), 0u) << tileImagePath(t);
    }
    for (auto [font, size] : {std::pair{"Quicksand-Regular.otf", 23}, {"Quicksand-Regular.otf", 40},
                              {"arial.ttf", 20}, {"arial.ttf", 30}})
        EXPECT_NE(hudFont(font, size), nullptr) << font << " " << size;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BoardhopGL, BoardScoreAndScreens) {
    Juego game;
    game.frame(16);
    // Mode 0 shows the board in the middle, black margins beside it.
    EXPECT_GT(countWhere({0, 100, 200, 400}, isBlack), 200 * 400 * 95 / 100);
    EXPECT_GT(countWhere({250, 0, 300, 600}, isSand), 300 * 600 / 3);
    // Row 5 is water but for column 4: a band across the board 5.5 rows up.
    const int waterY = int(600 - (5 * 1.01f + 0.5f) * 600 / 15.14f);
    EXPECT_GT(countWhere({230, waterY - 5, 140, 10}, isWater), 140 * 10 * 8 / 10);
    EXPECT_EQ(countWhere({385, waterY - 5, 30, 10}, isWater), 0) << "the dry column";
    // The score line is green, top left and top right.
    EXPECT_GT(countWhere({0, 0, 120, 30}, isGreen), 50);
    EXPECT_GT(countWhere({600, 0, 200, 30}, isGreen), 50);
    EXPECT_GT(countWhere({700, 570, 100, 30}, isGreen), 30) << "h: help";

    // Pause: the picture covers the whole window.
    push(hoptest::keyEvent(SDLK_p));
    game.frame(32);
    EXPECT_EQ(countWhere({0, 100, 200, 400}, isBlack), 0);
    EXPECT_EQ(countWhere({0, 0, 120, 30}, isGreen), 0);
    // Help: white lines on the left.
    push(hoptest::keyEvent(SDLK_h));
    push(hoptest::keyEvent(SDLK_h));
    game.frame(48);
    EXPECT_GT(countWhere({0, 280, 240, 220}, isWhite), 300);
    EXPECT_EQ(countWhere({0, 0, 120, 30}, isGreen), 0);
    push(hoptest::keyEvent(SDLK_h));

    // Death with a score above the record: the message sits 100 px higher,
    // in blue (the HUD's text is uploaded in its real channel order).
    game.player->score = 3;
    game.frame(64);
    game.player->die();
    game.frame(80);
    EXPECT_TRUE(game.hud->newRecordShown);
    EXPECT_GT(countWhere({150, 170, 500, 60}, isBlue), 200) << "New highscore: 3";
    EXPECT_LT(countWhere({150, 270, 500, 60}, isBlue), 20);
    EXPECT_GT(countWhere({300, 570, 200, 30}, isBlue), 30) << "Press space";
    game.frame(96);
    EXPECT_GT(countWhere({150, 170, 500, 60}, isBlue), 200) << "kept for the whole screen";

    // A run that does not beat it ends in "Game Over", centred.
    push(hoptest::keyEvent(SDLK_SPACE));
    game.frame(112);
    EXPECT_EQ(countWhere({150, 170, 500, 60}, isBlue), 0);
    game.player->score = 1;
    game.frame(128);
    game.player->die();
    game.frame(144);
    EXPECT_FALSE(game.hud->newRecordShown);
    EXPECT_GT(countWhere({150, 270, 500, 60}, isBlue), 200) << "Game Over";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BoardhopGL, ARecordScoredByTheFatalHopShowsTheRecordMessage) {
    Juego game;
    game.player->highScore = 3;
    game.frame(16);
    // Score 3 in row 3, equal to the record; the seal sits just ahead.
    game.player->column = 3;
    game.player->row = 3;
    game.player->score = 3;
    game.player->snapToCell();
    game.board->tileAt(3, 4)->danger = true;
    game.frame(32);
    // The hop onto its tile scores a fourth point and ends the run.
    push(hoptest::keyEvent(SDLK_UP));
    game.frame(48);
    game.board->tileAt(3, 4)->danger = false;
    ASSERT_TRUE(game.player->dead);
    ASSERT_EQ(game.player->highScore, 4);
    EXPECT_TRUE(game.hud->newRecordShown);
    EXPECT_GT(countWhere({150, 170, 500, 60}, isBlue), 200) << "New highscore: 4";
    EXPECT_LT(countWhere({150, 270, 500, 60}, isBlue), 20) << "not Game Over";
    game.frame(64);
    EXPECT_GT(countWhere({150, 170, 500, 60}, isBlue), 200) << "kept for the whole screen";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BoardhopGL, EveryViewAndSwitchDraws) {
    Juego game;
    // Mid-board: the eye view looks back over the rows already crossed.
    game.player->row = 7;
    game.player->column = 4;
    game.player->snapToCell();
    game.frame(16);
    for (int mode = 0; mode < Camara::kModes; ++mode) {
        for (SDL_Keycode k : {SDLK_t, SDLK_f, SDLK_k}) {
            push(hoptest::keyEvent(k));
            game.frame(16 + mode);
            EXPECT_LT(countWhere({0, 40, 800, 520}, isBlack), 800 * 520) << "mode " << mode;
        }
        push(hoptest::keyEvent(SDLK_v));
    }
    // Wireframe off again: the board is filled in view 0.
    game.frame(200);
    EXPECT_EQ(game.camera->mode, 0);
    EXPECT_FALSE(game.wireframe);
    EXPECT_GT(countWhere({250, 0, 300, 600}, isSand), 300 * 600 / 3);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BoardhopGL, MissingImagesDrawUntextured) {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const std::filesystem::path here(cwd);
    const auto empty = std::filesystem::temp_directory_path() / "boardhop-no-images";
    std::filesystem::create_directories(empty / "Modelos3D/penguin");
    std::filesystem::copy_file(here / "Modelos3D/penguin/penguin.obj", empty / "Modelos3D/penguin/penguin.obj",
                               std::filesystem::copy_options::overwrite_existing);
    ASSERT_EQ(chdir(empty.c_str()), 0);

    releaseTileTextures();
    EXPECT_EQ(tileTexture(TileImage::Tierra), 0u);
    Level1 board(false);
    board.place(0, 0, 0);
    Jugador player(board);  // its image is missing, its mesh is not
    EXPECT_FALSE(player.model->texture.valid());
    HUD hud(800, 600);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Camara cam(player, board, 4.0f / 3.0f);
    cam.draw();
    board.draw();
    player.draw();
    hud.update(0);  // pause picture missing: a plain quad
    hud.drawScore(0, 0);  // fonts missing: nothing, no crash

    ASSERT_EQ(chdir(cwd), 0);
    std::filesystem::remove_all(empty);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(BoardhopFiles, AMissingModelStopsWithItsMessage) {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(std::filesystem::temp_directory_path().c_str()), 0);
    Level1 board(false);
    try {
        Jugador player(board);
        ADD_FAILURE() << "no error";
    } catch (const ObjError& e) {
        EXPECT_STREQ(e.what(), "ERROR::OBJLOADER::Could not open file. Modelos3D/penguin/penguin.obj");
    }
    ASSERT_EQ(chdir(cwd), 0);
}

TEST_F(BoardhopGL, TextStaysReadableUnderEveryRenderSwitch) {
    Juego game;
    game.frame(16);
    const int score = countWhere({0, 0, 120, 30}, isGreen), record = countWhere({600, 0, 200, 30}, isGreen);
    const int green = brightestGreen();
    ASSERT_GT(score, 50);
    // Wireframe, flat shading, textures off, and the light moved and turned
    // to a colour below black, in every view (view 5 leaves the light on).
    for (SDL_Keycode k : {SDLK_t, SDLK_f, SDLK_k}) push(hoptest::keyEvent(k));
    for (int i = 0; i < 15; ++i)
        for (SDL_Keycode k : {SDLK_7, SDLK_8, SDLK_9, SDLK_4, SDLK_2, SDLK_3}) push(hoptest::keyEvent(k));
    for (int mode = 0; mode < Camara::kModes; ++mode) {
        game.frame(32 + mode);
        EXPECT_GE(countWhere({0, 0, 120, 30}, isGreen), score * 9 / 10) << "score, view " << mode;
        EXPECT_GE(brightestGreen(), green - 10) << "view " << mode;
        EXPECT_GE(countWhere({600, 0, 200, 30}, isGreen), record * 9 / 10) << "high score, view " << mode;
        push(hoptest::keyEvent(SDLK_h));
        game.frame(32 + mode);
        EXPECT_GT(countWhere({0, 280, 240, 220}, isWhite), 300) << "help, view " << mode;
        push(hoptest::keyEvent(SDLK_h));
        push(hoptest::keyEvent(SDLK_v));
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BoardhopGL, EveryPendingEventIsHandledInTheFrame) {
    Juego game;
    game.frame(16);
    // A flood of mouse motion ahead of a key: the key acts in this frame.
    for (int i = 0; i < 3000; ++i) push(hoptest::motionEvent(1, 1));
    push(hoptest::keyEvent(SDLK_p));
    game.frame(32);
    EXPECT_EQ(game.gameState, Juego::Paused);
    SDL_Event left;
    EXPECT_EQ(SDL_PeepEvents(&left, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 0) << "the queue is empty";
    push(hoptest::keyEvent(SDLK_p));
    game.frame(48);
    ASSERT_EQ(game.gameState, Juego::Playing);
    // Three hops pressed within one frame are three hops, one a frame.
    for (int i = 0; i < 3; ++i) {
        push(hoptest::keyEvent(SDLK_RIGHT));
        push(hoptest::keyEvent(SDLK_RIGHT, false));
    }
    push(hoptest::keyEvent(SDLK_k));
    game.frame(64);
    EXPECT_EQ(game.player->column, 1);
    game.frame(80);
    game.frame(96);
    EXPECT_EQ(game.player->column, 3);
    game.frame(112);
    EXPECT_EQ(game.player->column, 3);
    EXPECT_FALSE(game.player->texturesOn) << "the key behind the hops";
}

TEST_F(BoardhopGL, PaddedImageRowsUploadStraight) {
    // RGB, 5 pixels wide: 15 bytes of pixels in each 16-byte row.
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 5, 3, 24, SDL_PIXELFORMAT_RGB24);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->pitch, 16);
    const Uint8 rows[3][3] = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}};
    for (int y = 0; y < 3; ++y) {
        auto* row = static_cast<Uint8*>(s->pixels) + y * s->pitch;
        for (int x = 0; x < 5; ++x) std::copy(rows[y], rows[y] + 3, row + 3 * x);
        row[15] = 99;  // padding
    }
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    ASSERT_TRUE(uploadSurface(s));
    std::vector<Uint8> back(5 * 3 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back.data());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            for (int c = 0; c < 3; ++c) EXPECT_EQ(back[std::size_t((y * 5 + x) * 3 + c)], rows[y][c]) << x << "," << y;
    glDeleteTextures(1, &id);
    SDL_FreeSurface(s);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BoardhopGL, EveryBrokenFileIsNamed) {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const std::filesystem::path here(cwd);
    const auto dir = std::filesystem::temp_directory_path() / "boardhop-broken";
    const char* const files[] = {"Modelos3D/penguin/penguin.obj",    "Modelos3D/penguin/penguin.png",
                                 "Modelos3D/seal/Seal.obj",          "Modelos3D/seal/seal128.png",
                                 "Modelos3D/woodbranch/woodbranch.obj", "Modelos3D/woodbranch/woodbranch.png",
                                 "Modelos3D/palm/TREP.obj",          "Modelos3D/palm/palm.png",
                                 "agua_linda.png",                   "tierra.png",
                                 "tierra_pasto.png",                 "pausa2.PNG",
                                 "Quicksand-Regular.otf",            "arial.ttf"};
    using hoptest::Break;
    using hoptest::Deleted, hoptest::Empty, hoptest::Half, hoptest::Garbage, hoptest::Folder, hoptest::Pipe;
    std::mt19937 random(8);
    for (const char* file : files)
        for (Break how : {Deleted, Empty, Half, Garbage, Folder, Pipe}) {
            hoptest::stageBroken(here, dir, {std::begin(files), std::end(files)}, file, how, random);

            ASSERT_EQ(chdir(dir.c_str()), 0);
            releaseTileTextures();
            closeFonts();
            testing::internal::CaptureStderr();
            std::string thrown;
            try {
                Juego game;
                game.frame(16);
                push(hoptest::keyEvent(SDLK_h));
                game.frame(32);
                push(hoptest::keyEvent(SDLK_p));
                game.frame(48);
                game.player->die();
                game.frame(64);
            } catch (const ObjError& e) {
                thrown = e.what();
            }
            const std::string said = testing::internal::GetCapturedStderr() + thrown;
            ASSERT_EQ(chdir(cwd), 0);
            // A model cut at a line end is a smaller model: nothing to say.
            const bool mayBeWhole = how == Half && std::string(file).find(".obj") != std::string::npos;
            if (!mayBeWhole || !said.empty()) {
                EXPECT_NE(said.find(file), std::string::npos) << file << " broken " << int(how) << ": " << said;
            }
            glGetError();
        }
    releaseTileTextures();
    closeFonts();
    std::filesystem::remove_all(dir);
}

namespace {

// Where a board point shows through the matrices the last frame was drawn
// with: window pixels (origin bottom-left) and the depth in front of the
// eye (positive in front).
struct Projector {
    GLdouble model[16], projection[16];
    GLint viewport[4];
    Projector() {
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
    }
    std::array<double, 3> operator()(double x, double y, double z) const {
        GLdouble wx = 0, wy = 0, wz = 0;
        gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
        const double ahead = -(model[2] * x + model[6] * y + model[10] * z + model[14]);
        return {wx, wy, ahead};
    }
};

// The penguin's place on the board, as the rules and the drawing share it.
std::array<float, 2> penguinAt(const Jugador& p) {
    const Vec2 cell = p.board.cellToWorld(p.column, p.row);
    return {cell.x + p.offsetX, cell.y + p.offsetY};
}

}  // namespace

// The arrows move the penguin toward the screen's side they name, in grid
// hops and in free movement, from every camera view as it starts: Left and
// Right to the screen's left and right; Up and Down up and down the screen
// in the views from above, toward and away from the camera in the two that
// look back along the board from ahead of the penguin. The mouse turns
// every view it turns the way it moves: what stands above the board goes
// the other way on the screen.
TEST_F(BoardhopGL, ArrowsAndMouseGoTheWayTheScreenShows) {
    Juego game;
    std::uint32_t now = 16;
    game.frame(now);
    const struct {
        SDL_Keycode key;
        int right, up;
    } moves[] = {{SDLK_LEFT, -1, 0}, {SDLK_RIGHT, 1, 0}, {SDLK_UP, 0, 1}, {SDLK_DOWN, 0, -1}};
    for (int mode = 0; mode < Camara::kModes; ++mode) {
        for (const bool free : {false, true}) {
            push(hoptest::keyEvent(free ? SDLK_c : SDLK_d));
            for (const auto& m : moves) {
                // Column 4 of row 9: sand all round, far from the seal.
                game.player->column = 4, game.player->row = 9;
                game.player->snapToCell();
                game.frame(now += 16);
                const Projector seen;  // the view the key is pressed in
                const auto [x0, y0] = penguinAt(*game.player);
                const auto before = seen(x0, y0, 0);
                push(hoptest::keyEvent(m.key));
                for (int i = 0; i < (free ? 12 : 1); ++i) game.frame(now += 16);
                push(hoptest::keyEvent(m.key, false));
                game.frame(now += 16);
                ASSERT_FALSE(game.player->dead);
                const auto [x1, y1] = penguinAt(*game.player);
                const auto after = seen(x1, y1, 0);
                const std::string what = "view " + std::to_string(mode) + (free ? ", free, " : ", grid, ") +
                                         SDL_GetKeyName(m.key);
                if (m.right) {
                    EXPECT_GT((after[0] - before[0]) * m.right, 5) << what;
                    EXPECT_LT(std::fabs(after[1] - before[1]), std::fabs(after[0] - before[0])) << what;
                } else if (game.camera->perspective()) {
                    EXPECT_LT((after[2] - before[2]) * m.up, -0.1) << what << ": nearer the camera going up";
                } else {
                    EXPECT_GT((after[1] - before[1]) * m.up, 5) << what;
                }
            }
        }
        // The mouse: dragged in the views from above, moved in the others.
        for (const int turn : {1, -1}) {
            game.frame(now += 16);
            const Projector before;
            const auto [x, y] = penguinAt(*game.player);
            // High over the board two rows behind the penguin: in view in
            // every mode, above the point the perspective views turn about.
            const double ahead0 = before(x, y - 2.02, -3)[0];
            const bool drag = !game.camera->perspective();
            if (drag) push(hoptest::clickEvent(400, 300));
            push(hoptest::motionEvent(20 * turn, 0));
            if (drag) push(hoptest::clickEvent(400, 300, false));
            game.frame(now += 16);
            const Projector after;
            EXPECT_LT((after(x, y - 2.02, -3)[0] - ahead0) * turn, -5)
                << "view " << mode << ", mouse " << (turn > 0 ? "right" : "left");
        }
        push(hoptest::keyEvent(SDLK_v));
        game.frame(now += 16);
        ASSERT_EQ(game.camera->mode, (mode + 1) % Camara::kModes);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A controller's d-pad and left stick (leant past its dead zone) move the
// penguin toward the screen's left and right from the starting view, in
// grid hops and in free movement, through the game's own frame and pads.
TEST_F(BoardhopGL, AControllerGoesTowardTheScreensLeftAndRight) {
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    Juego game;
    hop::Pads pads(padTable());
    game.pads = &pads;
    std::uint32_t now = 16;
    game.frame(now);
    hoptest::LocalPad pad;
    for (int i = 0; i < 3; ++i) game.frame(now += 16);
    ASSERT_EQ(pads.count(), 1);
    ASSERT_EQ(game.camera->mode, 0);
    const auto ways = hoptest::sideways(pad);
    for (const bool free : {false, true}) {
        push(hoptest::keyEvent(free ? SDLK_c : SDLK_d));
        for (const auto& w : ways) {
            game.player->column = 4, game.player->row = 9;  // sand all round
            game.player->snapToCell();
            game.frame(now += 16);
            const Projector seen;
            const auto [x0, y0] = penguinAt(*game.player);
            const auto before = seen(x0, y0, 0);
            w.lean(true);
            for (int i = 0; i < (free ? 12 : 2); ++i) game.frame(now += 16);
            w.lean(false);
            game.frame(now += 16);
            ASSERT_FALSE(game.player->dead);
            const auto [x1, y1] = penguinAt(*game.player);
            const auto after = seen(x1, y1, 0);
            const std::string what = std::string(w.what) + (free ? ", free" : ", grid");
            EXPECT_GT((after[0] - before[0]) * w.right, 5) << what;
            EXPECT_LT(std::fabs(after[1] - before[1]), std::fabs(after[0] - before[0])) << what;
        }
    }
}

namespace {

// What `change` adds to or takes from the board view (mode 0), as board
// coordinates: its pixel count and the middle of its pixels.
struct Footprint {
    int pixels = 0;
    float x = 0, y = 0;
};

template <class Change, class Undo>
Footprint footprint(Juego& game, const hoptest::OffscreenGL& gl, Change change, Undo undo) {
    game.draw(0);
    const hoptest::Image plain = gl.readFramebuffer();
    change();
    game.draw(0);
    const hoptest::Image with = gl.readFramebuffer();
    undo();
    Footprint f;
    double sx = 0, sy = 0;
    for (int py = 0; py < with.height(); ++py)
        for (int px = 0; px < with.width(); ++px)
            if (!hoptest::near(with.pixel(px, py), plain.pixel(px, py), 6)) ++f.pixels, sx += px + 0.5, sy += py + 0.5;
    if (!f.pixels) return f;
    // Mode 0 frames the whole board, 20.19 x 15.14 units, round its centre.
    const Camara& cam = *game.camera;
    const float unit = float(with.width()) / (cam.right - cam.left);
    f.x = cam.centreX + (float(sx / f.pixels) - float(with.width()) / 2) / unit;
    f.y = cam.centreY - (float(sy / f.pixels) - float(with.height()) / 2) / unit;
    return f;
}

}  // namespace

// Everything is drawn where the rules have it: the seal over the tile it
// makes deadly, each palm over the tile it blocks, the penguin where it
// collides (on its cell, and between cells in free movement), and water,
// textured or not, exactly on the tiles that drown.
TEST_F(BoardhopGL, EverythingIsDrawnWhereItCollides) {
    Juego game;
    game.frame(16);
    ASSERT_EQ(game.camera->mode, 0);
    Enemigo& seal = *game.seal;
    for (int c = 1; c < 8; ++c) {
        for (int k = 0; k < 9; ++k) game.board->tileAt(k, 4)->danger = false;
        // The seal a little past the middle of column c: the tile it marks by
        // the rules...
        seal.x = 1.01f * float(c) + 0.2f;
        seal.update(0);
        int marked = -1;
        for (int k = 0; k < 9; ++k)
            if (game.board->tileAt(k, 4)->danger) marked = k;
        ASSERT_GE(marked, 0);
        const float sx = seal.x;
        // ... and where it is drawn.
        const Footprint f = footprint(game, gl(), [&] { seal.x = 100; }, [&] { seal.x = sx; });
        ASSERT_GT(f.pixels, 100) << c;
        EXPECT_NEAR(f.x, 1.01f * float(marked), 0.5f) << "seal over column " << marked;
        EXPECT_NEAR(f.y, 4.04f, 0.3f) << "seal over column " << marked;
    }
    for (int k = 0; k < 9; ++k) game.board->tileAt(k, 4)->danger = false;
    // The palms, one tile at a time: the middle of the drawn palm is over
    // the tile that blocks.
    for (const int row : {3, 7})
        for (int c = 0; c < 9; ++c) {
            if (game.board->stepResult(c, row) != Blocked) continue;
            auto& palm = static_cast<Arbol*>(game.board->tileAt(c, row))->palm;
            std::unique_ptr<MeshModel> kept;
            const Footprint p = footprint(
                game, gl(), [&] { kept = std::move(palm); }, [&] { palm = std::move(kept); });
            ASSERT_GT(p.pixels, 100) << c << "," << row;
            EXPECT_NEAR(p.x, 1.01f * float(c), 0.25f) << "palm at " << c << "," << row;
            EXPECT_NEAR(p.y, 1.01f * float(row), 0.25f) << "palm at " << c << "," << row;
        }
    // The penguin, on cells and between them in free movement: drawn round
    // the point the board's collide() tests.
    Jugador& penguin = *game.player;
    const struct {
        int column, row;
        float dx, dy;
    } places[] = {{1, 2, 0, 0}, {6, 9, 0, 0}, {2, 8, 0.4f, -0.3f}, {7, 12, -0.45f, 0.2f}};
    for (const auto& p : places) {
        penguin.column = p.column, penguin.row = p.row;
        penguin.snapToCell();
        penguin.offsetX = p.dx, penguin.offsetY = p.dy;
        penguin.x += p.dx, penguin.y += p.dy;
        const float kx = penguin.offsetX;
        const Footprint f =
            footprint(game, gl(), [&] { penguin.offsetX = 100; }, [&] { penguin.offsetX = kx; });
        ASSERT_GT(f.pixels, 100);
        EXPECT_NEAR(f.x, penguin.x, 0.2f) << p.column << "," << p.row;
        EXPECT_NEAR(f.y, penguin.y, 0.3f) << p.column << "," << p.row;
    }
    penguin.column = 0, penguin.row = 0;
    penguin.snapToCell();
    // Water shows on the tiles that drown, and only there, textured or not.
    for (const bool textures : {true, false}) {
        if (!textures) push(hoptest::keyEvent(SDLK_k));
        game.frame(32);
        const Projector seen;
        const hoptest::Image img = readFramebuffer();
        for (int row = 0; row < 15; ++row)
            for (int c = 0; c < 9; ++c) {
                if (game.board->stepResult(c, row) == Blocked) continue;  // palms over the tile
                if (row == 4 || row == 6) continue;                      // the seal and the log pass
                const auto w = seen(1.01 * c, 1.01 * row, 0);
                const Color px = img.pixel(int(w[0]), img.height() - 1 - int(w[1]));
                EXPECT_EQ(isWater(px), game.board->stepResult(c, row) == Death)
                    << c << "," << row << (textures ? "" : ", textures off") << ": " << px;
            }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// With textures off the board is plain (lit white), but the penguin, the
// seal and the log keep the colours of their faces: drawn untextured, each
// shows about the colours it shows textured, not the board's white.
TEST_F(BoardhopGL, TexturesOffKeepsThePenguinSealAndLogInTheirColours) {
    Juego game;
    game.frame(16);
    game.player->column = 2, game.player->row = 2;
    game.player->snapToCell();
    game.seal->x = 3.03f;
    game.log->x = 6.06f;
    struct Entity {
        const char* name;
        std::function<void()> hide, show;
    };
    const float penguinX = game.player->offsetX, sealX = game.seal->x, logX = game.log->x;
    const Entity entities[] = {
        {"penguin", [&] { game.player->offsetX = 100; }, [&] { game.player->offsetX = penguinX; }},
        {"seal", [&] { game.seal->x = 100; }, [&] { game.seal->x = sealX; }},
        {"log", [&] { game.log->x = 100; }, [&] { game.log->x = logX; }},
    };
    // The mean colour of an entity's pixels.
    const auto meanColour = [&](const Entity& e) {
        game.draw(0);
        const hoptest::Image with = readFramebuffer();
        e.hide();
        game.draw(0);
        const hoptest::Image without = readFramebuffer();
        e.show();
        double sum[3] = {0, 0, 0};
        int n = 0;
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x) {
                const Color c = with.pixel(x, y);
                if (hoptest::near(c, without.pixel(x, y), 6)) continue;
                sum[0] += c.r, sum[1] += c.g, sum[2] += c.b, ++n;
            }
        EXPECT_GT(n, 100) << e.name;
        return std::array<double, 3>{sum[0] / n, sum[1] / n, sum[2] / n};
    };
    std::vector<std::array<double, 3>> textured;
    for (const Entity& e : entities) textured.push_back(meanColour(e));
    push(hoptest::keyEvent(SDLK_k));
    game.frame(16);
    ASSERT_FALSE(game.player->texturesOn);
    for (std::size_t i = 0; i < std::size(entities); ++i) {
        const auto plain = meanColour(entities[i]);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(plain[std::size_t(k)], textured[i][std::size_t(k)], 40)
                << entities[i].name << ", channel " << k;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A long frame (a stall, a loaded machine) goes through the game's own
// frame in short steps: free movement cannot step over the water of row 11,
// nor the seal slide past a penguin standing in its row.
TEST_F(BoardhopGL, ALongFrameIsPlayedInShortSteps) {
    for (const std::uint32_t ms : {500u, 2000u}) {
        Juego walker;
        walker.frame(16);
        push(hoptest::keyEvent(SDLK_c));
        walker.frame(32);
        walker.player->column = 0, walker.player->row = 10;
        walker.player->snapToCell();
        push(hoptest::keyEvent(SDLK_UP));
        walker.frame(48 + ms);
        EXPECT_TRUE(walker.player->dead) << ms << " ms: walked to row " << walker.player->row;

        Juego still;
        still.frame(16);
        still.player->column = 7, still.player->row = 4;
        still.player->snapToCell();
        still.frame(16 + ms);
        EXPECT_TRUE(still.player->dead) << ms << " ms: the seal slid through the penguin";
    }
}
