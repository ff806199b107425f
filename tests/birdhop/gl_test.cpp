// The game's real frames in an offscreen context, run from its stage folder
// (stage/birdhop/game) with the generated files. Set BIRDHOP_SHOTS to a
// folder to keep the frames the tests look at.
#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>

#include "draw.h"
#include "hoptest/broken.h"
#include "hoptest/events.h"
#include "hoptest/gl.h"
#include "loop.h"
#include "texture.h"

using namespace birdhop;
using hoptest::Color;
using hoptest::Image;
using hoptest::Rect;

namespace {

bool isGreen(Color c) { return c.g > 200 && c.r < 60 && c.b < 60; }
bool isRed(Color c) { return c.r > 180 && c.g < 60 && c.b < 60; }
bool isBright(Color c) { return c.r > 230 && c.g > 230 && c.b > 230; }

int count(const Image& img, Rect r, bool (*pred)(Color)) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) n += pred(img.pixel(x, y));
    return n;
}

const Rect kScore{500, 0, 140, 48};   // "0/30", right / top
const Rect kLevel{220, 0, 200, 48};   // "Nivel 1", centre / top
const Rect kHelp{0, 455, 640, 25};    // the help line

class BirdhopGL : public hoptest::GLTest {
protected:
    BirdhopGL() {
        width = kWidth;
        height = kHeight;
    }
    void SetUp() override {
        GLTest::SetUp();
        setupGL();
    }
    // One frame as the program runs it: world and scene, the events, the HUD.
    void frame(BirdLoop& loop, std::initializer_list<SDL_Event> events = {}, double ms = 1000.0 / 60,
               int mx = kWidth / 2, int my = kHeight / 2) {
        loop.begin(ms, mx, my);
        for (const SDL_Event& e : events) loop.handleEvent(e);
        loop.drawHud();
    }
    void shot(const std::string& name) {
        if (const char* dir = std::getenv("BIRDHOP_SHOTS")) savePNG(std::string(dir) + "/" + name + ".png");
    }
    std::ostringstream out;
};

// A world point in window pixels (y down) through a frame's camera; w > 0
// when the point lies ahead of the eye.
struct OnScreen {
    double x, y, w;
};
OnScreen project(const double* m, const Vec3d& p) {
    double c[4];
    for (int r = 0; r < 4; ++r) c[r] = m[r] * p.x + m[4 + r] * p.y + m[8 + r] * p.z + m[12 + r];
    return {(c[0] / c[3] + 1) / 2 * kWidth, (1 - c[1] / c[3]) / 2 * kHeight, c[3]};
}

SDL_Event windowEvent(SDL_WindowEventID id) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = Uint8(id);
    return e;
}

void clearRows(BirdGame& g) {
    for (std::size_t i = 0; i < g.rows.size(); ++i)
        g.rows[i] = std::make_unique<Forest>(int(i), g.assets.tree, true, g.assets.grassTexture, 0, g.random);
}

}  // namespace

TEST_F(BirdhopGL, EveryGeneratedFileLoadsAndTheModelsHaveTheirShapes) {
    const BirdModel bird = loadTexturedModel(paths::kBirdObj, paths::kBirdTexture);
    const BirdModel car = loadTexturedModel(paths::kCarObj, paths::kCarTexture);
    std::ostringstream printed;
    BirdModel tree = loadTreeModel(paths::kTreeObj, paths::kTreeTexture, printed);
    // The bird is longer (beak to tail) than wide; the car much longer than
    // wide and low; both not too many triangles for immediate mode.
    EXPECT_NEAR(bird.bounds.maxZ - bird.bounds.minZ, 1, 1e-9);
    EXPECT_LT(bird.bounds.maxX - bird.bounds.minX, 0.9);
    EXPECT_GT(bird.bounds.maxY, 0.8);
    EXPECT_NEAR(car.bounds.maxZ - car.bounds.minZ, 1, 1e-9);
    EXPECT_LT((car.bounds.maxX - car.bounds.minX) * 4, 2.0) << "a car fits in its 2-unit row";
    EXPECT_LT(car.bounds.maxY * 4, 2.0);
    for (const BirdModel* m : {&bird, &car}) {
        EXPECT_GT(m->vertexCount, 100u);
        EXPECT_LT(m->vertexCount, 6000u);
        EXPECT_NE(m->texture, 0u);
    }
    // The tree: about 2 across (it blocks the place it stands on, not its
    // neighbours 2 units away), its bounds printed in order.
    EXPECT_EQ(printed.str(), "1\n-1\n0.95\n-0.95\n");
    EXPECT_EQ(tree.vertexCount, BirdModel::kNoArrays);
    EXPECT_NE(tree.displayList, 0u);
    EXPECT_LT(tree.bounds.maxX, 1.01);
    const unsigned road = loadRoadTexture(paths::kRoadDir);
    GLint w = 0;
    glBindTexture(GL_TEXTURE_2D, road);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 9, GL_TEXTURE_WIDTH, &w);
    EXPECT_EQ(w, 1) << "ten levels down to one pixel";
    const ImageData font = readImageFile(TextRenderer::kFontPath, 32);
    EXPECT_EQ(font.width % 16, 0);
    EXPECT_EQ(font.width, font.height);
    const ImageData sky = readImageFile(paths::kSkybox, 24);
    EXPECT_EQ(sky.width * 3, sky.height * 4) << "a 4 x 3 cross";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BirdhopGL, FirstFrameShowsTheWorldAndTheHudUnderEveryRenderSwitch) {
    BirdLoop loop(nullptr, 3, out);
    EXPECT_EQ(out.str(), "1\n-1\n0.95\n-0.95\n");
    frame(loop);
    frame(loop);
    shot("first");
    Image img = readFramebuffer();
    const int score = count(img, kScore, isGreen), level = count(img, kLevel, isGreen);
    const int help = count(img, kHelp, isGreen);
    EXPECT_GT(score, 300) << "0/30";
    EXPECT_GT(level, 400) << "Nivel 1";
    EXPECT_GT(help, 300) << "the help line";
    // The bird stands in the middle of the lower half: blue, not grass.
    int blue = 0;
    for (int y = 300; y < 420; ++y)
        for (int x = 260; x < 380; ++x) {
            const Color c = img.pixel(x, y);
            blue += c.b > c.g + 30 && c.b > c.r + 60;
        }
    EXPECT_GT(blue, 400) << "the bird";

    // Wireframe, textures off, smooth, each light colour off: the scene
    // changes, the HUD reads the same.
    BirdGame& g = loop.game();
    const Image before = img;
    const auto check = [&](const char* what) {
        frame(loop);
        const Image now = readFramebuffer();
        shot(what);
        EXPECT_GT(now.countDiff(before, {0, 60, 640, 380}, 40), 500) << what << ": the scene changes";
        EXPECT_NEAR(count(now, kScore, isGreen), score, score / 10) << what;
        EXPECT_NEAR(count(now, kLevel, isGreen), level, level / 10) << what;
        EXPECT_NEAR(count(now, kHelp, isGreen), help, help / 6) << what;
    };
    g.flags.wireframe = true;
    check("wireframe");
    g.flags.wireframe = false;
    g.flags.textures = false;
    check("no_textures");
    g.flags.textures = true;
    g.flags.red = g.flags.green = false;
    g.flags.smooth = true;
    g.lightDirection = {0, -1, 0};
    check("blue_light");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The frame is drawn in an order that saves the renderer work: rows'
// ground, the ground under them, bodies grouped by model and only those in
// view, the sky last. Drawn as before (the sky first as a backdrop, the
// ground, then row by row its ground and each body with its own state), the
// picture is the same.
TEST_F(BirdhopGL, ReorderedFrameDrawsTheSamePictureAsRowByRow) {
    BirdLoop loop(nullptr, 31, out);
    BirdGame& g = loop.game();
    frame(loop);
    // Twelve seconds of traffic, the bird spared, then a few rows on.
    g.alive = false;
    for (int i = 0; i < 720; ++i) g.update(1000.0 / 60);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(g.hop(Key::Up));
        while (g.bird.move.running()) g.update(16);
    }
    const auto check = [&](const std::string& what) {
        loop.begin(0, kWidth / 2, kHeight / 2);
        const Image reordered = readFramebuffer();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glPolygonMode(GL_FRONT_AND_BACK, g.flags.wireframe ? GL_LINE : GL_FILL);
        glShadeModel(g.flags.smooth ? GL_SMOOTH : GL_FLAT);
        const float normal[3] = {1, 1, 1}, red[3] = {1, 0.35f, 0.3f};
        loop.camera.apply(g.bird.position, 0, 0, g.dead ? red : normal);
        setLights(g.flags, g.lightDirection);
        drawGround(g.bird.position.z, loop.grassTexture(), g.flags.textures);
        for (int i = g.firstActiveRow(); i <= g.lastActiveRow(); ++i)
            if (const Street* s = g.row(i)) s->draw(g.flags.textures);
        drawBody(g.bird, g.flags.textures);
        if (g.deathBurst->active) drawBurst(*g.deathBurst);
        const Image rowByRow = readFramebuffer();
        shot("reordered_" + what);
        EXPECT_GT(loop.bodiesDrawn(), 5) << what;
        // Filled, every pixel is the same. In wireframe the line a road and
        // a grass row share is drawn twice at one depth, and which colour it
        // keeps follows the order.
        EXPECT_LT(reordered.countDiff(rowByRow, {}, 0), g.flags.wireframe ? 1500 : 20) << what;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << what;
    };
    for (int mode = 0; mode < 3; ++mode) {
        loop.camera.mode = mode;
        check("mode " + std::to_string(mode));
    }
    loop.camera.mode = 0;
    loop.camera.yaw = 140;
    loop.camera.pitch = 40;
    check("turned");
    g.flags.wireframe = true;
    check("wireframe");
    g.flags.wireframe = false;
    g.flags.textures = false;
    check("untextured");
    g.flags.textures = true;
    g.flags.smooth = true;
    g.dead = true;
    g.deathBurst->active = true;
    g.deathBurst->moveTo(g.bird.position);
    for (int i = 0; i < 20; ++i) g.deathBurst->update(0.02);
    check("squashed");
}

TEST_F(BirdhopGL, SkippedBackFacesChangeOnlyAFewSilhouettePixelsAndNoWireframeLine) {
    BirdLoop loop(nullptr, 31, out);
    BirdGame& g = loop.game();
    frame(loop);
    g.alive = false;
    for (int i = 0; i < 600; ++i) g.update(1000.0 / 60);  // cars on every road
    const auto both = [&](const std::string& what) {
        loop.begin(0, kWidth / 2, kHeight / 2);
        const Image culled = readFramebuffer();
        shot("culled_" + what);
        cullModelBackFaces = false;
        loop.begin(0, kWidth / 2, kHeight / 2);
        cullModelBackFaces = true;
        EXPECT_GT(loop.bodiesDrawn(), 5) << what;
        return culled.countDiff(readFramebuffer(), {}, 0);
    };
    for (int mode = 0; mode < 3; ++mode) {
        loop.camera.mode = mode;
        // Under half a percent of the window: a pixel here and there on the
        // trees', cars' and bird's outlines.
        EXPECT_LT(both("mode " + std::to_string(mode)), kWidth * kHeight / 200) << mode;
    }
    g.flags.wireframe = true;
    EXPECT_EQ(both("wireframe"), 0);
    g.flags.wireframe = false;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BirdhopGL, PausedPanelClicksChangeTheSpeedAndTheLights) {
    BirdLoop loop(nullptr, 5, out);
    BirdGame& g = loop.game();
    frame(loop);
    frame(loop, {hoptest::keyEvent(SDLK_p, true), hoptest::keyEvent(SDLK_p, false)});
    ASSERT_TRUE(g.paused);
    // The x2 cell at grid (4, 3): window pixel (320 + 256, 240 - 144).
    frame(loop, {hoptest::clickEvent(576, 96)}, 16, 576, 96);
    EXPECT_EQ(g.flags.speed, 2);
    frame(loop, {}, 16, 10, 470);  // the mouse away from every cell
    Image img = readFramebuffer();
    shot("panel");
    EXPECT_GT(count(img, {546 + 4, 72 + 4, 56, 40}, isBright), 150) << "the chosen speed is drawn bright";
    EXPECT_LT(count(img, {418 + 4, 72 + 4, 56, 40}, isBright), 40) << "x1 is no longer chosen";
    // A click where the pointer arrives within the frame counts there, not
    // where the frame began: the x0.5 cell at (320, 96).
    frame(loop, {hoptest::motionEvent(0, 0, 320, 96), hoptest::clickEvent(320, 96)}, 16, 10, 470);
    EXPECT_EQ(g.flags.speed, 0.5);
    frame(loop, {hoptest::clickEvent(576, 96)}, 16, 576, 96);
    // Exactly 32 pixels right of the x1 cell's centre (448): no click.
    frame(loop, {hoptest::clickEvent(480, 96)}, 16, 480, 96);
    EXPECT_EQ(g.flags.speed, 2);
    // The red toggle at grid (0, 2), twice; the wireframe "SI" at (0, -1).
    frame(loop, {hoptest::clickEvent(320, 144)}, 16, 320, 144);
    EXPECT_FALSE(g.flags.red);
    frame(loop, {hoptest::clickEvent(320, 144)}, 16, 320, 144);
    EXPECT_TRUE(g.flags.red);
    frame(loop, {hoptest::clickEvent(320, 288)}, 16, 320, 288);
    EXPECT_TRUE(g.flags.wireframe);
    // Paused: the world and the clock stand still.
    const double ms = g.playMs;
    frame(loop, {}, 500);
    EXPECT_EQ(g.playMs, ms);
    frame(loop, {hoptest::keyEvent(SDLK_p, true), hoptest::keyEvent(SDLK_p, false)});
    EXPECT_FALSE(g.paused);
    frame(loop, {}, 100);
    EXPECT_GT(g.playMs, ms);
}

TEST_F(BirdhopGL, ASquashTurnsTheSkyRedAndALevelUpDancesWithFireworks) {
    BirdLoop loop(nullptr, 11, out);
    BirdGame& g = loop.game();
    frame(loop);
    const Image calm = readFramebuffer();
    // A car right on the bird, on the row ahead.
    auto road = std::make_unique<AutoGenerator>(1, true, 5, 10, 5, g.assets.car, g.assets.roadTexture, g.random);
    road->spawnTimer = 1000;
    auto car = std::make_unique<Body>();
    car->model = g.assets.car;
    car->scale = {4, 4, 4};
    car->rotation.y = 90;
    car->position = {0, 0, 1.2};
    road->objects.push_back(std::move(car));
    g.rows[1] = std::move(road);
    frame(loop);
    ASSERT_TRUE(g.dead);
    for (int i = 0; i < 10; ++i) frame(loop);
    Image img = readFramebuffer();
    shot("squashed");
    int reddish = 0;
    for (int y = 50; y < 80; ++y)
        for (int x = 0; x < 640; ++x) {
            const Color c = img.pixel(x, y), d = calm.pixel(x, y);
            reddish += c.r > c.b + 60 && d.b > d.r + 20;
        }
    EXPECT_GT(reddish, 5000) << "the sky turns red";
    // Space: back to the start, the same rows.
    const Street* row5 = g.row(5);
    frame(loop, {hoptest::keyEvent(SDLK_SPACE)});
    EXPECT_NE(out.str().find("\x1b[2J\x1b[HTu score es: 0\n"), std::string::npos);
    EXPECT_FALSE(g.dead);
    EXPECT_EQ(g.row(5), row5);

    // The level's last row reached: level 2, the dance, then the fireworks.
    clearRows(g);
    g.score = g.target - 1;
    g.p = g.target - 1;
    for (int i = 0; i < 30; ++i) g.update(16);  // the rows ahead of the last one
    clearRows(g);
    ASSERT_TRUE(g.hop(Key::Up));
    frame(loop);
    EXPECT_EQ(g.level(), 2);
    EXPECT_GT(g.bird.danceStep, 0);
    frame(loop);
    img = readFramebuffer();
    EXPECT_GT(count(img, kScore, isGreen), 300) << "0/35";
    // The dance's eight seconds by the rules alone, the launch drawn.
    int frames = 0;
    while (g.bird.danceStep != 0 && frames++ < 2000) g.update(1000.0 / 60);
    ASSERT_EQ(g.bird.danceStep, 0);
    int most = 0;
    for (int i = 0; i < 48; ++i) {
        frame(loop);
        if (i % 4 != 3) continue;
        const int red = count(readFramebuffer(), {0, 0, 640, 400}, isRed);
        if (red > most) {
            most = red;
            shot("fireworks");
        }
    }
    EXPECT_GT(most, 100) << "the fireworks' red cubes";
}

TEST_F(BirdhopGL, EachCameraModeShowsItsOwnViewAndTheWheelZooms) {
    BirdLoop loop(nullptr, 13, out);
    frame(loop);
    Image views[3];
    for (int m = 0; m < 3; ++m) {
        frame(loop);
        views[m] = readFramebuffer();
        shot("mode" + std::to_string(m));
        frame(loop, {hoptest::keyEvent(SDLK_v)});
    }
    EXPECT_EQ(loop.camera.mode, 0);
    EXPECT_GT(views[0].countDiff(views[1], {0, 60, 640, 380}, 40), 5000);

    EXPECT_GT(views[0].countDiff(views[2], {0, 60, 640, 380}, 40), 5000);
    // Rows 10 .. 49 move round a bird on row 30; the ones behind the
    // camera are not drawn.
    BirdGame& g = loop.game();
    g.p = 30;
    g.bird.position.z = 60;
    for (int i = 0; i < 35; ++i) frame(loop);
    ASSERT_GE(g.rowCount(), 50u);
    EXPECT_GT(loop.rowsDrawn(), 18);
    EXPECT_LT(loop.rowsDrawn(), 30);
    g.p = 0;
    g.bird.position.z = 0;
    frame(loop, {hoptest::wheelEvent(-1), hoptest::wheelEvent(-1)});
    EXPECT_EQ(loop.camera.orbitDistance, 8);
    // Mouse look: the pointer right of centre turns the view.
    frame(loop, {}, 16, 340, 240);
    EXPECT_EQ(loop.camera.yaw, 180 - 10);
    // A held V (key repeats) changes the view once; a held arrow keeps hopping.
    frame(loop, {hoptest::keyEvent(SDLK_v, true, true)});
    EXPECT_EQ(loop.camera.mode, 0);
    frame(loop, {hoptest::keyEvent(SDLK_UP, true, true)});
    EXPECT_EQ(loop.game().p, 1);
}

TEST_F(BirdhopGL, ThePointerIsWarpedAndReadOnlyWhileTheWindowHasFocus) {
    SDL_Window* window = gl().window();
    BirdLoop loop(window, 19, out);
    loop.handleEvent(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
    // The pointer over another window, then over this one off-centre.
    SDL_WarpMouseInWindow(window, 100, 90);
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    ASSERT_EQ(x, 100);
    const double yaw = loop.camera.yaw, pitch = loop.camera.pitch;
    for (int i = 0; i < 4; ++i) {
        loop.frame();
        SDL_GetMouseState(&x, &y);
        EXPECT_EQ(x, 100) << "warped without focus";
        EXPECT_EQ(y, 90);
    }
    EXPECT_EQ(loop.camera.yaw, yaw) << "another window's pointer turned the view";
    EXPECT_EQ(loop.camera.pitch, pitch);
    // Focus back: the pointer is pulled to the centre, and only offsets
    // from there turn the head.
    SDL_Event gained = windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    SDL_PushEvent(&gained);
    for (int i = 0; i < 4; ++i) loop.frame();
    SDL_GetMouseState(&x, &y);
    EXPECT_EQ(x, kWidth / 2);
    EXPECT_EQ(y, kHeight / 2);
    EXPECT_EQ(loop.camera.yaw, yaw) << "the way back from the other window is not a turn";
    SDL_WarpMouseInWindow(window, kWidth / 2 + 20, kHeight / 2);
    loop.frame();
    loop.frame();
    EXPECT_EQ(loop.camera.yaw, yaw - 10);
}

TEST_F(BirdhopGL, ArrowsHopTowardTheirSideOfTheScreenInEveryView) {
    BirdLoop loop(nullptr, 17, out);
    BirdGame& g = loop.game();
    frame(loop);
    clearRows(g);
    g.p = 2;
    g.bird.position = {0, 0, 4};
    struct Moved {
        double dx[4], dy[4];
    };
    const Key keys[4] = {Key::Left, Key::Right, Key::Up, Key::Down};
    const Key back[4] = {Key::Right, Key::Left, Key::Down, Key::Up};
    // Each arrow's hop seen through the camera of the frame before it, where
    // the view looks: at the place 6 units round the bird that shows
    // nearest the middle of the window (the bird itself is under the eye
    // in first person).
    const auto hops = [&] {
        frame(loop, {}, 0);
        double m[16];
        std::copy(loop.clip(), loop.clip() + 16, m);
        Vec3d seen;
        double best = 1e9;
        for (int i = 0; i < 72; ++i) {
            const double a = i * 5 * 3.14159265358979 / 180;
            const Vec3d p{g.bird.position.x + 6 * std::cos(a), 0, g.bird.position.z + 6 * std::sin(a)};
            const OnScreen s = project(m, p);
            const double off = std::abs(s.x - kWidth / 2) + std::abs(s.y - kHeight / 2);
            if (s.w > 0.1 && off < best) best = off, seen = p;
        }
        Moved moved{};
        for (int k = 0; k < 4; ++k) {
            const Vec3d from = g.bird.position;
            EXPECT_TRUE(g.hop(keys[k]));
            while (g.bird.move.running()) g.update(16);
            const Vec3d to{seen.x + g.bird.position.x - from.x, 0, seen.z + g.bird.position.z - from.z};
            const OnScreen a = project(m, seen), b = project(m, to);
            moved.dx[k] = b.x - a.x;
            moved.dy[k] = b.y - a.y;
            EXPECT_TRUE(g.hop(back[k]));
            while (g.bird.move.running()) g.update(16);
        }
        return moved;
    };
    // The starting view, then V through the overview and the first person,
    // then each after the mouse has turned it 40 degrees and tilted it.
    for (int turned = 0; turned < 2; ++turned)
        for (int mode = 0; mode < 3; ++mode) {
            const Moved m = hops();
            const std::string view = "mode " + std::to_string(mode) + (turned ? ", turned" : "");
            EXPECT_LT(m.dx[0], -10) << view << ": Left";
            EXPECT_GT(m.dx[1], 10) << view << ": Right";
            frame(loop, {hoptest::keyEvent(SDLK_v)}, 0);
            if (mode == 2 && !turned) {
                // 80 pixels right and 40 down of the centre: yaw -40, pitch +20.
                frame(loop, {}, 0, kWidth / 2 + 80, kHeight / 2 + 40);
                ASSERT_EQ(loop.camera.yaw, 140);
                ASSERT_EQ(loop.camera.pitch, 35);
            }
        }
    // Facing any way, the first person sees every hop go the way the orbit
    // view sees it go, left or right, up or down the screen.
    for (const double yaw : {130.0, 217.0, 305.0, 20.0}) {
        loop.camera.yaw = yaw;
        loop.camera.mode = 0;
        const Moved orbit = hops();
        loop.camera.mode = 2;
        const Moved first = hops();
        for (int k = 0; k < 4; ++k) {
            EXPECT_GT(orbit.dx[k] * first.dx[k], 0) << "yaw " << yaw << ", arrow " << k;
            if (k >= 2) {
                EXPECT_GT(orbit.dy[k] * first.dy[k], 0) << "yaw " << yaw << ", arrow " << k;
            }
        }
    }
}

namespace {

// The window rectangle a box covers through a camera, and the one the
// pixels that changed cover.
struct Area {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    void add(double x, double y) { x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y); }
};
Area boxArea(const double* m, const GroundBox& b, double height) {
    Area a;
    for (int i = 0; i < 8; ++i) {
        const OnScreen p = project(m, {i & 1 ? b.maxX : b.minX, i & 2 ? height : 0, i & 4 ? b.maxZ : b.minZ});
        a.add(p.x, p.y);
    }
    return a;
}
Area changedArea(const Image& a, const Image& b, int* count) {
    Area r;
    *count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const Color p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 30) r.add(x, y), ++*count;
        }
    return r;
}

}  // namespace

TEST_F(BirdhopGL, CarsTreesAndTheBirdAreDrawnOverTheirHitBoxes) {
    BirdLoop loop(nullptr, 23, out);
    BirdGame& g = loop.game();
    frame(loop);
    clearRows(g);
    const auto road = [&](int row) {
        auto r = std::make_unique<AutoGenerator>(row, true, 5, 10, 5, g.assets.car, g.assets.roadTexture, g.random);
        r->spawnTimer = 1000;
        g.rows[std::size_t(row)] = std::move(r);
    };
    road(4);
    road(6);
    const auto body = [&](const BirdModel* model, Vec3d at, double yaw, double scale) {
        auto b = std::make_unique<Body>();
        b->model = model;
        b->position = at;
        b->rotation.y = yaw;
        b->scale = {scale, scale, scale};
        return b;
    };
    struct Case {
        const char* what;
        int row;
        std::unique_ptr<Body> thing;
        double widerRight;  // the tree's second copy sits 0.3 to the right
    };
    Case cases[] = {
        {"car toward -x", 4, body(g.assets.car, {3, 0, 8}, 90, 4), 0},
        {"car toward +x", 6, body(g.assets.car, {-4, 0, 12}, -90, 4), 0},
        {"tree", 3, body(g.assets.tree, {-4, 0, 6}, 0, 1), 0.3},
    };
    for (Case& c : cases) {
        frame(loop, {}, 0);
        const Image without = readFramebuffer();
        double m[16];
        std::copy(loop.clip(), loop.clip() + 16, m);
        GroundBox box = c.thing->groundBox();
        box.maxX += c.widerRight;
        const double height = c.thing->model->bounds.maxY * c.thing->scale.y;
        g.rows[std::size_t(c.row)]->objects.push_back(std::move(c.thing));
        frame(loop, {}, 0);
        shot(c.what);
        int n = 0;
        const Area drawn = changedArea(without, readFramebuffer(), &n), hit = boxArea(m, box, height);
        EXPECT_GT(n, 200) << c.what;
        EXPECT_GE(drawn.x0, hit.x0 - 3) << c.what;
        EXPECT_LE(drawn.x1, hit.x1 + 3) << c.what;
        EXPECT_GE(drawn.y0, hit.y0 - 3) << c.what;
        EXPECT_LE(drawn.y1, hit.y1 + 3) << c.what;
        EXPECT_GT(drawn.x1 - drawn.x0, (hit.x1 - hit.x0) * 0.6) << c.what;
        EXPECT_GT(drawn.y1 - drawn.y0, (hit.y1 - hit.y0) * 0.6) << c.what;
    }
    // The bird, facing ahead, left and right, seen from the overview.
    loop.camera.mode = 1;
    g.bird.position = {2, 0, 4};
    for (const double yaw : {0.0, 90.0, 270.0}) {
        g.bird.rotation.y = yaw;
        g.bird.model = nullptr;
        frame(loop, {}, 0);
        const Image without = readFramebuffer();
        g.bird.model = g.assets.bird;
        frame(loop, {}, 0);
        int n = 0;
        const Area drawn = changedArea(without, readFramebuffer(), &n);
        const Area hit = boxArea(loop.clip(), g.bird.groundBox(), g.assets.bird->bounds.maxY);
        EXPECT_GT(n, 100) << "bird at yaw " << yaw;
        EXPECT_GE(drawn.x0, hit.x0 - 3) << yaw;
        EXPECT_LE(drawn.x1, hit.x1 + 3) << yaw;
        EXPECT_GE(drawn.y0, hit.y0 - 3) << yaw;
        EXPECT_LE(drawn.y1, hit.y1 + 3) << yaw;
        EXPECT_GT(drawn.x1 - drawn.x0, (hit.x1 - hit.x0) * 0.6) << yaw;
        EXPECT_GT(drawn.y1 - drawn.y0, (hit.y1 - hit.y0) * 0.6) << yaw;
    }
}

TEST_F(BirdhopGL, ALongFrameMovesTheWorldInThirtiethsOfASecondAndAStallCountsAsHalfASecond) {
    BirdLoop loop(nullptr, 29, out);
    BirdGame& g = loop.game();
    frame(loop);
    clearRows(g);
    auto road = std::make_unique<AutoGenerator>(1, true, 5, 10, 5, g.assets.car, g.assets.roadTexture, g.random);
    road->spawnTimer = 1000;
    AutoGenerator& lane = *road;
    g.rows[1] = std::move(road);
    g.p = 1;
    g.bird.position = {0, 0, 2};
    // Car and bird overlap while their centres are closer than S. The car
    // covers 1.5 S a thirtieth of a second: every such step lands one
    // position inside (-S, S), while steps of a twentieth of a second from
    // where it starts would all miss, and one step of the whole frame too.
    const double S = 4 * g.assets.car->bounds.maxZ + g.assets.bird->bounds.maxX;
    auto car = std::make_unique<Body>();
    car->model = g.assets.car;
    car->scale = {4, 4, 4};
    car->rotation.y = 90;
    car->position = {5.625 * S, 0, 2};
    car->move.set({-45 * S, 0, 0}, {}, 30);
    lane.objects.push_back(std::move(car));
    frame(loop, {}, 500);
    EXPECT_TRUE(g.dead) << "the car went through the bird";

    // A stall of three seconds moves the world half a second.
    frame(loop, {hoptest::keyEvent(SDLK_SPACE)}, 0);
    ASSERT_FALSE(g.dead);
    lane.objects.clear();
    auto slow = std::make_unique<Body>();
    slow->model = g.assets.car;
    slow->scale = {4, 4, 4};
    slow->rotation.y = 90;
    slow->position = {20, 0, 2};
    slow->move.set({-1, 0, 0}, {}, 30);
    lane.objects.push_back(std::move(slow));
    const double played = g.playMs;
    frame(loop, {}, 3000);
    EXPECT_NEAR(lane.objects[0]->position.x, 19.5, 1e-9);
    EXPECT_DOUBLE_EQ(g.playMs - played, 500);
}

// Every file the game reads, broken in turn in a copy of its folders: the
// game refuses to start with a message that names the file. Folders and
// named pipes for every file; the other kinds in turn, all of them for one
// model and one picture of each format.
TEST_F(BirdhopGL, EveryBrokenFileIsNamedAndNoneBlocks) {
    namespace fs = std::filesystem;
    const fs::path game = fs::current_path(), stage = game.parent_path();
    std::vector<std::string> names = {paths::kGrass, paths::kBirdObj, paths::kBirdTexture, paths::kCarObj,
                                      paths::kCarTexture, paths::kTreeObj, paths::kTreeTexture, paths::kSkybox,
                                      paths::kGui, TextRenderer::kFontPath};
    for (int k = 0; k < kRoadLevels; ++k) names.push_back(std::string(paths::kRoadDir) + "/" + std::to_string(512 >> k) + ".jpg");
    std::vector<std::string> files;  // relative to the stage folder
    for (const std::string& n : names) files.push_back(n.substr(3));
    std::vector<const char*> list;
    for (const std::string& f : files) list.push_back(f.c_str());
    const fs::path dir = fs::temp_directory_path() / ("birdhop_broken_" + std::to_string(getpid()));
    std::mt19937 random(7);
    int turn = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const bool all = names[i] == paths::kBirdObj || names[i] == paths::kGrass || names[i] == paths::kGui;
        std::vector<hoptest::Break> kinds = {hoptest::Folder, hoptest::Pipe};
        for (int k = 0; k < 4; ++k)
            if (all || k == turn % 4) kinds.push_back(hoptest::Break(k));
        ++turn;
        for (const hoptest::Break how : kinds) {
            hoptest::stageBroken(stage, dir, list, list[i], how, random);
            fs::create_directories(dir / "game");
            fs::current_path(dir / "game");
            try {
                BirdLoop loop(nullptr, 1, out);
                // Half a model may still be a whole one: its cut fell between lines.
                if (!(how == hoptest::Half && names[i].find(".obj") != std::string::npos))
                    ADD_FAILURE() << names[i] << " broken (" << how << "): the game started";
            } catch (const AssetError& e) {
                EXPECT_EQ(std::string(e.what()).rfind(names[i] + ": ", 0), 0u) << how << ": " << e.what();
            }
            fs::current_path(game);
        }
    }
    fs::remove_all(dir);
}
