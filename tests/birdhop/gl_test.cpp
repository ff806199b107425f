// The game's real frames in an offscreen context, run from its stage folder
// (stage/birdhop/game) with the generated files. Set BIRDHOP_SHOTS to a
// folder to keep the frames the tests look at.
#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "draw.h"
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
