// The game's drawing in an offscreen 1000 x 480 context, run from the stage
// folder with the generated files. GLUT cannot start without an X display,
// so a recording glyph renderer stands in: it notes each text with the
// window position and colour GL gave its raster position.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <cstdlib>
#include <memory>
#include <random>

#include "app.h"
#include "assets.h"
#include "game.h"
#include "hoptest/broken.h"
#include "hoptest/events.h"
#include "hoptest/gl.h"
#include "overlay.h"
#include "render.h"

using namespace duckrun;
using hoptest::Color;
using hoptest::Rect;
namespace fs = std::filesystem;

namespace {

struct Written {
    std::string text;
    float x, y;  // window pixels, y down
    bool valid;
    float colour[4];
};
std::vector<Written> written;

void recordGlyphs(const std::string& text) {
    GLfloat pos[4], colour[4];
    GLint valid = 0;
    glGetFloatv(GL_CURRENT_RASTER_POSITION, pos);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, colour);
    glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    written.push_back({text, pos[0], float(Game::kHeight) - pos[1], valid != 0, {colour[0], colour[1], colour[2], colour[3]}});
}

const Written* find(const std::string& text) {
    for (const Written& w : written)
        if (w.text == text) return &w;
    return nullptr;
}

constexpr std::int64_t kFrame = 1000000000 / 60;

class DuckGL : public hoptest::GLTest {
protected:
    DuckGL() {
        width = Game::kWidth;
        height = Game::kHeight;
    }
    void SetUp() override {
        // Best scores go to a folder of this test's own: one test's run
        // must not show on another's blackboard.
        char folder[] = "/tmp/duckrun-gl-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        records = folder;
        setenv("HOPGAMES_DATA_DIR", folder, 1);
        GLTest::SetUp();
        setupGL();
        setGlyphRenderer(recordGlyphs);
        written.clear();
    }
    void TearDown() override {
        setGlyphRenderer(nullptr);
        GLTest::TearDown();
        std::error_code ec;
        fs::remove_all(records, ec);
    }
    fs::path records;
    // One frame of the real loop; the texts it wrote are in `written`.
    void frame(Game& g, std::vector<SDL_Event> events = {}, Arrows held = {}) {
        written.clear();
        now += kFrame;
        g.step(now, events, held);
        glFinish();
    }
    void tap(Game& g, SDL_Keycode k) { frame(g, {hoptest::keyEvent(k, true), hoptest::keyEvent(k, false)}); }
    int count(Rect r, bool (*pred)(Color)) {
        const hoptest::Image img = readFramebuffer();
        int n = 0;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) n += pred(img.pixel(x, y));
        return n;
    }
    std::int64_t now = 0;
};

bool isYellow(Color c) { return c.r > 150 && c.g > 110 && c.b < 90 && c.r > c.b + 90; }
bool isBrown(Color c) { return c.r > 80 && c.r > c.g + 25 && c.g > c.b + 10 && c.r < 200; }
bool isSkyBlue(Color c) { return c.b > 150 && c.b > c.r + 40; }
bool isNightSky(Color c) { return c.b < 110 && c.r < 60 && c.g < 70; }
bool isDark(Color c) { return c.r + c.g + c.b < 260; }
bool isGreen(Color c) { return c.g > 80 && c.g > c.r + 30 && c.g > c.b + 30; }
bool isWhite(Color c) { return c.r > 200 && c.g > 200 && c.b > 200; }

void expectAt(const std::string& text, float x, float y) {
    const Written* w = find(text);
    ASSERT_NE(w, nullptr) << "'" << text << "' not written";
    EXPECT_NEAR(w->x, x, 0.6f) << text;
    EXPECT_NEAR(w->y, y, 0.6f) << text;
    EXPECT_TRUE(w->valid) << text;
    EXPECT_FLOAT_EQ(w->colour[0] + w->colour[1] + w->colour[2] + w->colour[3], 4.f) << text << " is not white";
}

}  // namespace

TEST_F(DuckGL, StartScreenShowsTheKeysOnTheBlackboard) {
    Game g(true, now);
    frame(g);
    const float left = 500 - 1000.f / 3, top = 240 - 480 / 2.5f;
    expectAt("FLECHAS:  Mover el pato", left + 55, top + 75);
    expectAt("I:  Interpolado / Facetado", left + 55, top + 75 + 6 * 30);
    const float right = left + 1000.f / 3 - 27.5f;
    expectAt("1:  Velocidad LENTA", right + 55, top + 75);
    expectAt("L:  Modo atardecer (ON/OFF)", right + 55, top + 75 + 5 * 30);
    expectAt("PRESIONE P PARA EMPEZAR A JUGAR!", right - 1000.f / 7, top + 480 / 1.6f);
    EXPECT_EQ(written.size(), 13u);
    // The wooden frame round the board, the sky above it.
    EXPECT_GT(count({170, 50, 660, 10}, isBrown), 3000);
    EXPECT_GT(count({0, 0, 1000, 30}, isSkyBlue), 20000);
}

TEST_F(DuckGL, PlayingShowsTheDuckBlocksAndHud) {
    Game g(true, now);
    tap(g, SDLK_p);
    frame(g);
    expectAt("Score: 0", 45, 60);
    expectAt("Tiempo: 00 : 00", 45, 100);
    // The HUD's backing box darkens the sky behind it.
    EXPECT_GT(count({30, 30, 10, 10}, isDark), 90);
    // The duck, yellow, below the middle of the window.
    EXPECT_GT(count({350, 200, 300, 280}, isYellow), 800);
    // The first block crosses the view: white.
    EXPECT_GT(count({0, 0, 1000, 480}, isWhite), 300);
    // Walking forward changes the score on the HUD.
    for (int i = 0; i < 40; ++i) frame(g, {}, Arrows{true, false, false, false});
    const Written* score = nullptr;
    for (const Written& w : written)
        if (w.text.rfind("Score: ", 0) == 0) score = &w;
    ASSERT_NE(score, nullptr);
    EXPECT_NE(score->text, "Score: 0");
}

TEST_F(DuckGL, TheSkyAfterTheSceneAndTheFieldOutOfViewSkippedLeaveEveryPixelAsItWas) {
    Game g(true, now);
    // The same moment drawn twice: the sky behind the scene and the field's
    // blocks out of view skipped, then the sky first and every block drawn.
    const auto same = [&](const std::string& what) {
        g.step(now, {}, {});
        const hoptest::Image behind = readFramebuffer();
        skyBehindScene = skipFieldBlocksOutOfView = false;
        g.step(now, {}, {});
        skyBehindScene = skipFieldBlocksOutOfView = true;
        EXPECT_EQ(behind.countDiff(readFramebuffer()), 0) << what;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << what;
    };
    same("start screen");
    tap(g, SDLK_p);
    frame(g);
    EXPECT_GT(count({0, 0, 1000, 480}, isWhite), 300) << "the first block in view";
    for (const char* view : {"follow", "free look"}) {
        const std::string v = view;
        same(v + " day");
        tap(g, SDLK_l);
        same(v + " sunset");
        tap(g, SDLK_n);
        same(v + " night and sunset");
        tap(g, SDLK_l);
        tap(g, SDLK_w);
        same(v + " night wireframe");
        tap(g, SDLK_w);
        tap(g, SDLK_n);
        tap(g, SDLK_t);
        same(v + " untextured");
        tap(g, SDLK_t);
        tap(g, SDLK_v);
    }
}

TEST_F(DuckGL, TextStaysWhiteUnderEveryRenderSwitch) {
    Game g(true, now);
    tap(g, SDLK_p);
    for (SDL_Keycode k : {SDLK_t, SDLK_w, SDLK_i, SDLK_l, SDLK_n, SDLK_3}) {
        tap(g, k);
        frame(g);
        expectAt("Score: 0", 45, 60);
        EXPECT_GT(count({30, 30, 10, 10}, isDark), 90) << "after key " << k;
        if (k == SDLK_t) {
            // Textures off: a plain green field, and the (white-lit) duck on it.
            EXPECT_GT(count({0, 400, 1000, 80}, isGreen), 60000);
        }
    }
    // Wireframe draws the duck untextured: white lines, no yellow.
    EXPECT_LT(count({350, 200, 300, 280}, isYellow), 20);
    for (int i = 0; i < 62; ++i) frame(g);  // a second of play
    tap(g, SDLK_p);
    frame(g);
    expectAt("PRESIONE P PARA VOLVER AL JUEGO!", 500 - 27.5f - 1000.f / 7, 48 + 300);
}

TEST_F(DuckGL, NightSkyLoadsOnceHoweverOftenItIsSwitched) {
    Game g(true, now);
    tap(g, SDLK_p);
    frame(g);
    EXPECT_GT(count({0, 0, 1000, 40}, isSkyBlue), 30000);
    const std::size_t textures = g.skyTextureCount();
    EXPECT_EQ(textures, 12u);
    tap(g, SDLK_n);
    frame(g);
    EXPECT_TRUE(g.night);
    EXPECT_GT(count({0, 0, 1000, 40}, isNightSky), 30000);
    for (int i = 0; i < 99; ++i) tap(g, SDLK_n);
    EXPECT_FALSE(g.night);
    EXPECT_EQ(g.skyTextureCount(), textures);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DuckGL, EndScreensShowResultScoreTimeAndRestart) {
    Game g(true, now);
    tap(g, SDLK_p);
    for (int i = 0; i < 62; ++i) frame(g);
    g.blocks[0].x = g.camera.target.x + 1, g.blocks[0].z = g.camera.target.z + 1;
    frame(g);
    ASSERT_EQ(g.state.screen, ScreenGameOver);
    frame(g);
    expectAt("GAME OVER", 440, 140);
    expectAt("Score: 0", 455, 215);
    expectAt("Tiempo: 00 : 01", 430, 245);
    expectAt("PRESIONE R PARA REINICIAR", 375, 340);
    EXPECT_GT(count({170, 50, 660, 10}, isBrown), 3000);

    g.state.screen = ScreenWon;
    g.state.best = -121;
    frame(g);
    expectAt("YOU WON!", 440, 140);
    expectAt("Score: 121", 455, 215);
    tap(g, SDLK_r);
    frame(g);
    expectAt("Score: 0", 45, 60);
}

// The blackboards are still: drawn once, then again only after an event or
// a screen reached without one (a run lost). A run's score is kept, shown on
// the end board and, in the next program, on the start board; Return starts
// and restarts as a controller's A does.
TEST_F(DuckGL, BlackboardsAreStillUntilAnEventAndShowTheKeptRecord) {
    {
        Game g(true, now);
        EXPECT_FALSE(g.still()) << "the first frame is drawn";
        frame(g);
        EXPECT_TRUE(g.still());
        frame(g, {hoptest::motionEvent(3, 0)});
        EXPECT_FALSE(g.still()) << "what an event changed is drawn";
        frame(g);
        EXPECT_TRUE(g.still());
        EXPECT_EQ(find("RECORD: 0"), nullptr);
        tap(g, SDLK_RETURN);
        ASSERT_EQ(g.state.screen, ScreenPlaying);
        frame(g);
        EXPECT_FALSE(g.still()) << "play moves";
        g.state.best = -30;
        g.blocks[0].x = g.camera.target.x + 1, g.blocks[0].z = g.camera.target.z + 1;
        frame(g);
        ASSERT_EQ(g.state.screen, ScreenGameOver);
        EXPECT_FALSE(g.still()) << "the end board is yet to be drawn";
        frame(g);
        expectAt("Record: 30", 430, 275);
        EXPECT_TRUE(g.still());
        tap(g, SDLK_RETURN);
        EXPECT_EQ(g.state.screen, ScreenPlaying);
        g.state.best = -12;  // a worse run, ended by quitting
        g.saveBest();
    }
    Game g(true, now);
    frame(g);
    EXPECT_EQ(g.state.record, 30);
    expectAt("RECORD: 30", 424.6f, 378);
    std::ifstream in(records / "duckrun" / "records.txt");
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(file.find("\nbest 30\n"), std::string::npos) << file;
    EXPECT_EQ(file.find("time"), std::string::npos) << "no run was won";
}

// Each file the game reads, broken in turn in a copy of the stage folder:
// the game refuses to start with a message naming it. A folder and a named
// pipe in the place of every file; the other kinds in turn, all of them
// for the model and one image of each format.
TEST_F(DuckGL, EveryBrokenFileIsNamed) {
    const fs::path stage = fs::current_path();
    const fs::path copy = fs::temp_directory_path() / ("duckrun_files_" + std::to_string(getpid()));
    std::vector<std::string> files = {paths::kDuckModel, paths::kDuckTexture, paths::kGrass, paths::kBlackboard};
    for (const auto* set : {&paths::kDaySky, &paths::kNightSky}) files.insert(files.end(), set->begin(), set->end());
    ASSERT_EQ(files.size(), 16u);
    std::vector<const char*> list;
    for (const std::string& f : files) list.push_back(f.c_str() + 2);  // without "./"
    std::mt19937 random(5);
    int turn = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const bool all = files[i] == paths::kDuckModel || files[i] == paths::kDuckTexture || files[i] == paths::kGrass;
        std::vector<hoptest::Break> kinds = {hoptest::Folder, hoptest::Pipe};
        for (int k = 0; k < 4; ++k)
            if (all || k == turn % 4) kinds.push_back(hoptest::Break(k));
        ++turn;
        for (const hoptest::Break how : kinds) {
            hoptest::stageBroken(stage, copy, list, list[i], how, random);
            fs::current_path(copy);
            try {
                Game g(true, 0);
                ADD_FAILURE() << files[i] << " broken (" << how << "): the game started";
            } catch (const AssetError& e) {
                EXPECT_NE(std::string(e.what()).find(files[i]), std::string::npos) << how << ": " << e.what();
            }
            fs::current_path(stage);
        }
    }
    fs::remove_all(copy);
}

namespace {

// Projection x view of the camera as the game sets it up, column-major.
struct Camera {
    double clip[16], view[16];
};
Camera cameraOf(const DuckCamera& c) {
    Camera m;
    double projection[16];
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    applyCamera(c);
    glGetDoublev(GL_MODELVIEW_MATRIX, m.view);
    glPopMatrix();
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    for (int col = 0; col < 4; ++col)
        for (int r = 0; r < 4; ++r) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += projection[k * 4 + r] * m.view[col * 4 + k];
            m.clip[col * 4 + r] = sum;
        }
    return m;
}

// A world point in window pixels (y down); w > 0 ahead of the eye.
struct OnScreen {
    double x, y, w;
};
OnScreen project(const Camera& m, Vec3 p) {
    double c[4];
    for (int r = 0; r < 4; ++r) c[r] = m.clip[r] * p.x + m.clip[4 + r] * p.y + m.clip[8 + r] * p.z + m.clip[12 + r];
    return {(c[0] / c[3] + 1) / 2 * Game::kWidth, (1 - c[1] / c[3]) / 2 * Game::kHeight, c[3]};
}

void blocksAway(Game& g) {
    for (Block& b : g.blocks) b.x = 1000, b.speed = 0;
}

}  // namespace

TEST_F(DuckGL, ArrowsAndTheMouseGoTowardTheirSideOfTheScreen) {
    Game g(true, now);
    blocksAway(g);
    tap(g, SDLK_p);
    frame(g);
    Arrows left, right;
    left.left = true, right.right = true;
    // The starting view; turned by the mouse either way; the fixed view of
    // V; and free look again after it.
    const std::vector<int> turns = {0, 300, -700, 1300, 0, 0};
    for (std::size_t v = 0; v < turns.size(); ++v) {
        if (turns[v]) frame(g, {hoptest::motionEvent(turns[v], 0)});
        if (v == 4 || v == 5) tap(g, SDLK_v);
        frame(g);
        const std::string view = "view " + std::to_string(v);
        // Right, then Left, each seen through the camera before it moved.
        for (const Arrows& held : {right, left}) {
            const Camera before = cameraOf(g.camera);
            const Vec3 from = g.camera.target;
            frame(g, {}, held);
            for (int i = 0; i < 6; ++i) frame(g, {}, held);
            frame(g);
            const double dx = project(before, g.camera.target).x - project(before, from).x;
            EXPECT_GT(held.right ? dx : -dx, 5) << view << (held.right ? ": Right" : ": Left");
        }
        if (!g.camera.freeLook) continue;
        // The mouse right, left, up, down: where the view then looks, seen
        // through the view before.
        const struct {
            int dx, dy;
        } moves[] = {{150, 0}, {-150, 0}, {0, -60}, {0, 60}};
        for (const auto& m : moves) {
            const Camera before = cameraOf(g.camera);
            frame(g, {hoptest::motionEvent(m.dx, m.dy)});
            frame(g);
            const Vec3 ahead = g.camera.eye + g.camera.viewDir * 100;
            const OnScreen s = project(before, ahead);
            ASSERT_GT(s.w, 0);
            // Window pixels: x grows to the right, y downward, like the mouse's.
            const double sx = s.x - Game::kWidth / 2, sy = s.y - Game::kHeight / 2;
            EXPECT_GT(m.dx * sx + m.dy * sy, 5 * std::abs(m.dx + m.dy)) << view << ": mouse " << m.dx << ", " << m.dy;
        }
    }
}

TEST_F(DuckGL, BlocksAreDrawnOverTheBoxesTheyCollideWith) {
    Game g(true, now);
    blocksAway(g);
    tap(g, SDLK_p);
    frame(g);
    const Blocks start = initialBlocks();
    // A frame without time: nothing moves between the two pictures.
    const auto still = [&] {
        g.step(now, {}, Arrows{});
        glFinish();
        return readFramebuffer();
    };
    const hoptest::Image without = still();
    const Camera cam = cameraOf(g.camera);
    for (int i = 0; i < kBlockCount; ++i) {
        Block& b = g.blocks[std::size_t(i)];
        b.x = (i % 2 ? 7.f : -7.f) + b.size / 2;  // clear of the duck in the middle
        const hoptest::Image with = still();
        // The box the collision uses: a block's centre and half its size.
        const float h = b.size / 2, cx = b.centreX(), cz = b.centreZ();
        double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
        for (int k = 0; k < 8; ++k) {
            const OnScreen s = project(cam, {k & 1 ? cx + h : cx - h, k & 2 ? b.top : b.top - b.size, k & 4 ? cz + h : cz - h});
            x0 = std::min(x0, s.x), x1 = std::max(x1, s.x), y0 = std::min(y0, s.y), y1 = std::max(y1, s.y);
        }
        int n = 0;
        double dx0 = 1e9, dx1 = -1e9, dy0 = 1e9, dy1 = -1e9;
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x) {
                const Color p = with.pixel(x, y), q = without.pixel(x, y);
                if (std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 40)
                    ++n, dx0 = std::min(dx0, double(x)), dx1 = std::max(dx1, double(x)), dy0 = std::min(dy0, double(y)),
                         dy1 = std::max(dy1, double(y));
            }
        const std::string what = "block " + std::to_string(i);
        EXPECT_GT(n, 20) << what;
        EXPECT_GE(dx0, x0 - 2) << what;
        EXPECT_LE(dx1, x1 + 2) << what;
        EXPECT_GE(dy0, y0 - 2) << what;
        EXPECT_LE(dy1, y1 + 2) << what;
        EXPECT_GT(dx1 - dx0 + 1, (x1 - x0) * 0.7) << what;
        EXPECT_GT(dy1 - dy0 + 1, (y1 - y0) * 0.7) << what;
        b.x = 1000;
        EXPECT_EQ(b.z, start[std::size_t(i)].z);
    }
}

TEST_F(DuckGL, LightsStayWhereTheyAreInTheWorldAsTheCameraTurns) {
    Game g(true, now);
    tap(g, SDLK_p);
    frame(g);
    // Where light `i` is in the world: GL keeps it in eye space, placed
    // through the view in force when it was set; undo this frame's view.
    const auto world = [&](int i) {
        GLfloat eye[4];
        glGetLightfv(GLenum(GL_LIGHT0 + i), GL_POSITION, eye);
        const Camera c = cameraOf(g.camera);
        const double* v = c.view;  // rotation R (column-major) and translation t
        const double d[3] = {eye[0] - v[12] * eye[3], eye[1] - v[13] * eye[3], eye[2] - v[14] * eye[3]};
        std::array<double, 4> w{};
        for (int k = 0; k < 3; ++k) w[std::size_t(k)] = v[k * 4] * d[0] + v[k * 4 + 1] * d[1] + v[k * 4 + 2] * d[2];
        w[3] = eye[3];
        return w;
    };
    const auto expectSame = [](const std::array<double, 4>& a, const std::array<double, 4>& b, const std::string& what) {
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(a[std::size_t(k)], b[std::size_t(k)], 1e-3) << what << " [" << k << "]";
    };
    for (const SDL_Keycode k : {SDLK_UNKNOWN, SDLK_l, SDLK_n}) {
        if (k != SDLK_UNKNOWN) tap(g, k);
        frame(g);
        const int lights = g.night ? 7 : 1;
        std::vector<std::array<double, 4>> first;
        for (int i = 0; i < lights; ++i) first.push_back(world(i));
        // The view turned and tilted: the lights have not moved.
        frame(g, {hoptest::motionEvent(700, 120)});
        frame(g);
        const std::string what = k == SDLK_UNKNOWN ? "day" : k == SDLK_l ? "sunset" : "night";
        for (int i = 0; i < lights; ++i) expectSame(world(i), first[std::size_t(i)], what + " light " + std::to_string(i));
        if (g.night)
            for (int i = 0; i < 6; ++i)
                expectSame(first[std::size_t(i)], {Game::kLamps[i].x, Game::kLamps[i].y, Game::kLamps[i].z, 1},
                           "lamp " + std::to_string(i));
        EXPECT_TRUE(g.night || first[0][1] > 0) << what << ": the sun shines from above";
    }
}

TEST_F(DuckGL, LookingUpKeepsTheEyeOutOfTheGrassAndTheDuck) {
    Game g(true, now);
    blocksAway(g);
    tap(g, SDLK_p);
    frame(g);
    for (int i = 0; i < 40; ++i) frame(g, {hoptest::motionEvent(0, -60)});
    frame(g);
    EXPECT_GE(g.camera.eye.y, DuckCamera::kMinEyeHeight - 1e-3);
    EXPECT_GT(g.camera.pitch, 5) << "the view looks up";
    // The duck, whole, below a band of sky: the screen is not one yellow wall.
    EXPECT_LT(count({0, 0, 1000, 480}, isYellow), 40000);
    EXPECT_GT(count({350, 250, 300, 230}, isYellow), 800);
    EXPECT_GT(count({0, 0, 1000, 60}, isSkyBlue), 30000);
}
