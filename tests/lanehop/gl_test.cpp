// Drawing in an offscreen GL context, run from the stage folder with the
// generated files: render switches, the 2D bracket, textures, models, the
// world and its HUD.
#include <FTGL/ftgl.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app.h"
#include "camera.h"
#include "car.h"
#include "drawing.h"
#include "fontmanager.h"
#include "glwindow.h"
#include "renderer.h"
#include "hoptest/gl.h"
#include "mainloop.h"
#include "model.h"
#include "player.h"
#include "texturemanager.h"
#include "world.h"
#include "hoptest/broken.h"
#include "hoptest/events.h"
#include "hoptest/localpad.h"

using namespace lanehop;
using hoptest::Rect;
using hop::MainLoop;

namespace {

class LanehopGL : public hoptest::GLTest {
protected:
    LanehopGL() {
        width = 1280;
        height = 720;
    }
    void SetUp() override {
        GLTest::SetUp();
        ml = MainLoop::getInstance();
        ml->setPause(true);
        ml->setTexture(true);
        ml->setShowFPS(false);
        ml->attach(gl().window(), gl().context(), width, height);
        // The loop is one object for the whole program: start every test
        // from the game's own switches.
        ml->setLighting(true);
        ml->setCullFace(true);
        ml->setWireframe(false);
        ml->setSmooth(true);
        ml->setBlend(true);
        ml->setFog(false);
        ml->setGameSpeedMult(1);
    }
    void TearDown() override {
        ml->shutdown();
        GLTest::TearDown();
    }
    World* makeWorld() {
        auto* w = new World();
        ml->setScene(w);
        return w;
    }
    // The loop's own frame for the world (update, draw, events), without the
    // swap so that the picture can be read.
    void frame(World* w, float delta) {
        ASSERT_EQ(ml->getScene(), w);
        ml->frame(delta, false);
        glFinish();
    }
    // Saves the framebuffer when LANEHOP_SHOTS names a folder (for looking at).
    void shot(const std::string& name) {
        if (const char* dir = std::getenv("LANEHOP_SHOTS")) {
            std::filesystem::create_directories(dir);
            savePNG(std::string(dir) + "/" + name + ".png");
        }
    }
    MainLoop* ml = nullptr;
};

TEST_F(LanehopGL, RenderSwitchesSetTheirGLState) {
    auto enabled = [](GLenum cap) { return glIsEnabled(cap) == GL_TRUE; };
    ml->setCullFace(false);
    EXPECT_FALSE(enabled(GL_CULL_FACE));
    ml->toggleCullFace();
    EXPECT_TRUE(enabled(GL_CULL_FACE));
    ml->toggleFog();
    EXPECT_TRUE(enabled(GL_FOG));
    ml->toggleFog();
    EXPECT_FALSE(enabled(GL_FOG));
    ml->setLighting(true);
    ml->toggleLighting();
    EXPECT_FALSE(enabled(GL_LIGHTING));
    ml->toggleLighting();
    EXPECT_TRUE(enabled(GL_LIGHTING));
    ml->setMultisampling(false);
    EXPECT_FALSE(enabled(GL_MULTISAMPLE));
    ml->setMultisampling(true);
    EXPECT_TRUE(enabled(GL_MULTISAMPLE));
    ml->setBlend(true);
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_TRUE(enabled(GL_BLEND));
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    ml->toggleBlend();
    EXPECT_FALSE(enabled(GL_BLEND));
    ml->setBlend(true);
    GLint mode[2] = {0, 0};
    ml->toggleWireframe();
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_LINE);
    ml->toggleWireframe();
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    GLint shade = 0;
    ml->toggleSmooth();
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(shade, GL_FLAT);
    ml->toggleSmooth();
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(shade, GL_SMOOTH);
    ml->toggleTexture();
    EXPECT_FALSE(ml->getTexture());
    ml->toggleTexture();
    ml->toggleShowFPS();
    EXPECT_TRUE(ml->getShowFPS());
    ml->toggleShowFPS();

    // The viewport takes the size the window really has (the offscreen
    // driver keeps its size in full screen), never an assumed desktop size.
    GLint vp[4];
    ml->setFullscreen(true);
    glGetIntegerv(GL_VIEWPORT, vp);
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(gl().window(), &dw, &dh);
    EXPECT_EQ(vp[2], dw);
    EXPECT_EQ(vp[3], dh);
    ml->setFullscreen(false);
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], width);
    EXPECT_EQ(vp[3], height);
    ml->setWindowSize(300, 0);  // minimised
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[3], 1);
    EXPECT_EQ(ml->getWindowSizeHeight(), 0);
    ml->setWindowSize(width, height);
}

TEST_F(LanehopGL, TwoDBracketRestoresLightingAndMatrices) {
    ml->setLighting(true);
    GLfloat proj[16], after[16];
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 3, -2, 2, -1, 1);
    glGetFloatv(GL_PROJECTION_MATRIX, proj);
    glMatrixMode(GL_MODELVIEW);
    hop::switchTo2DProjection();
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    ml->toggleLighting();  // a toggle inside the overlay does not leak out
    hop::switchTo3DProjection();
    EXPECT_TRUE(ml->getLighting());
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(after[i], proj[i]);
    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);

    ml->setLighting(false);
    hop::switchTo2DProjection();
    hop::switchTo3DProjection();
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

TEST_F(LanehopGL, RectanglesAndCuboidsFaceTheViewer) {
    ml->setLighting(false);
    ml->setCullFace(true);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    hop::switchTo2DProjection();
    hop::glColorColor(hop::Color(1, 0, 0, 1));
    hop::drawRectangle(0, 0, 0.5f, 0.5f);  // bottom-left quarter
    hop::switchTo3DProjection();
    glFinish();
    EXPECT_EQ(readPixel(width / 4, height * 3 / 4), (hoptest::Color{255, 0, 0}));
    EXPECT_EQ(readPixel(width * 3 / 4, height / 4), (hoptest::Color{0, 0, 0}));

    // Lit from the viewer's side: the front face of a box is bright.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 2, 0, 1, -5, 5);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    ml->setLighting(true);
    glEnable(GL_LIGHT0);
    const GLfloat towardViewer[4] = {0, 0, 1, 0}, white[4] = {1, 1, 1, 1}, none[4] = {0, 0, 0, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, towardViewer);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, none);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glColor3f(0, 1, 0);
    hop::drawCuboid(hop::Vector3(0, 0, 0), hop::Vector3(1, 1, 1));
    // A reversed box is seen from inside: its near wall is culled, so a red
    // square within it shows, lit on its far inner wall's side.
    hop::drawCuboidReversed(hop::Vector3(1, 0, 0), hop::Vector3(1, 1, 1));
    glColor3f(1, 0, 0);
    hop::drawCuboid(hop::Vector3(1.25f, 0.25f, 0.5f), hop::Vector3(0.5f, 0.5f, 0));
    hop::drawCuboid(hop::Vector3(0.25f, 0.25f, 0.5f), hop::Vector3(0.5f, 0.5f, 0));
    glFinish();
    EXPECT_GT(readPixel(width / 4, height / 2).g, 240) << "front face lit along +Z, in front of the red square";
    EXPECT_GT(readPixel(width * 3 / 4, height / 2).r, 240) << "the reversed box hides nothing";
    EXPECT_GT(readPixel(width * 3 / 4 + width / 5, height / 2).g, 240) << "its far inner wall faces the viewer";
    // Facing away from the light, a reversed box's faces are dark.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const GLfloat away[4] = {0, 0, -1, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, away);
    glColor3f(0, 1, 0);
    hop::drawCuboidReversed(hop::Vector3(0, 0, 0), hop::Vector3(2, 1, 1));
    glFinish();
    EXPECT_LT(readPixel(width / 2, height / 2).g, 10);
}

TEST_F(LanehopGL, TexturesLoadOncePerPath) {
    auto* tm = hop::TextureManager::getInstance();
    const int reads = tm->filesRead();
    const unsigned a = tm->loadTexture("../resources/textures/grass.jpg", GL_CLAMP_TO_EDGE);
    const unsigned b = tm->loadTexture("../resources/textures/grass.jpg", GL_CLAMP_TO_EDGE);
    EXPECT_NE(a, 0u);
    EXPECT_EQ(a, b);
    EXPECT_EQ(tm->filesRead(), reads + 1);
    EXPECT_TRUE(glIsTexture(a));
    EXPECT_THROW(tm->loadTexture("../resources/textures/none.jpg", GL_CLAMP_TO_EDGE), hop::TextureError);
    void* data = nullptr;
    int w = 0, h = 0;
    hop::loadImage("./resources/textures/water.png", data, w, h);
    EXPECT_EQ(w, 256);
    EXPECT_EQ(h, 256);
    EXPECT_NE(data, nullptr);
}

// Every generated file through the reader the game uses for it.
TEST_F(LanehopGL, EveryGeneratedFileLoads) {
    namespace fs = std::filesystem;
    auto* tm = hop::TextureManager::getInstance();
    int textures = 0;
    for (const auto& e : fs::recursive_directory_iterator("resources/textures")) {
        if (!e.is_regular_file()) continue;
        EXPECT_NE(tm->loadTexture("." + e.path().string(), GL_CLAMP_TO_EDGE), 0u) << e.path();
        ++textures;
    }
    EXPECT_EQ(textures, 9 + 2 + 12);
    for (const char* m : {"../resources/models/tree/Tree_1.obj", "../resources/models/tree/Tree_5_73.obj"}) {
        hop::Model model(m, 0, hop::Vector3(), hop::Vector3(1, 1, 1));
        EXPECT_GT(model.getFaceCount(), 20) << m;
        EXPECT_LT(model.getFaceCount(), 3000) << m;
        EXPECT_TRUE(glIsList(model.getDisplayList()));
    }
    EXPECT_THROW(hop::Model("../resources/models/none.obj", 0, hop::Vector3(), hop::Vector3(1, 1, 1)), hop::ModelError);
    auto* fm = hop::FontManager::getInstance();
    fm->loadFont("cartoon", 72);
    fm->loadFont("ocraext", 24);
    EXPECT_TRUE(fm->hasFont("cartoon", 72));
    EXPECT_TRUE(fm->hasFont("ocraext", 24));
}

// The tree as the game places it stands in the middle of its tile, green
// on top and as tall as the crown layer the chicken stands on.
TEST_F(LanehopGL, TreeModelFitsItsTile) {
    auto* tm = hop::TextureManager::getInstance();
    const unsigned tex = tm->loadTexture("../resources/textures/models/TEXTURE_V1.png", GL_CLAMP_TO_EDGE);
    hop::Model tree("../resources/models/tree/Tree_1.obj", int(tex), hop::Vector3(1.5f, 0.1f, 1.5f),
                    hop::Vector3(0.32f, 1, 0.32f));
    ml->setLighting(false);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Side view of one tile: x 0..1 across, y 0..2.5 up.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-0.25, 1.25, 0, 2.7, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    tree.draw(true);
    glFinish();
    shot("tree1");
    auto at = [&](float x, float y) {
        return readPixel(int((x + 0.25f) / 1.5f * float(width)), int((1 - y / 2.7f) * float(height)));
    };
    const hoptest::Color trunk = at(0.5f, 0.6f), crown = at(0.5f, 1.9f);
    EXPECT_GT(trunk.r, trunk.b + 30) << "a brown trunk in the middle";
    EXPECT_GT(crown.g, crown.r + 40) << "a green crown";
    EXPECT_EQ(at(0.5f, 2.6f), (hoptest::Color{0, 0, 0})) << "not taller than the crown layer";
    EXPECT_EQ(at(-0.1f, 1.5f), (hoptest::Color{0, 0, 0})) << "within its tile";
    EXPECT_EQ(at(1.1f, 1.5f), (hoptest::Color{0, 0, 0}));
}

TEST_F(LanehopGL, WorldDrawsEveryLevelAndLight) {
    World* w = makeWorld();
    ml->setPause(false);
    for (int level = 1; level <= 6; ++level) {
        for (int i = 0; i < 40; ++i) frame(w, 1.f / 60);
        shot("level" + std::to_string(level));
        // The fade is over: sky at the top, ground in the middle.
        const hoptest::Image img = readFramebuffer();
        EXPECT_LT(img.countNear({0, 0, 0}, 10, Rect{0, height / 4, width, height / 2}), width * height / 4)
            << "level " << level;
        const hoptest::Color sky = readPixel(width / 2, 3);
        EXPECT_GT(sky.b, sky.r) << "level " << level;
        const hoptest::Color ground = readPixel(width / 4, height * 3 / 5);
        if (level == 3)
            EXPECT_GT(ground.r, ground.b + 20) << "sand";
        else
            EXPECT_GT(ground.g, ground.b + 20) << "grass, level " << level;
        if (level < 6) w->nextLevel();
    }
    for (SDL_Keycode k : {SDLK_2, SDLK_3, SDLK_4, SDLK_5}) {
        w->inputBase(hoptest::keyEvent(k), 1.f / 60);
        frame(w, 1.f / 60);
        shot(std::string("light") + char(k));
    }
}

TEST_F(LanehopGL, PausedHudShowsPanelAndPages) {
    World* w = makeWorld();
    frame(w, 0);
    shot("paused");
    // The level has not started: black, with the panel's white lines and the
    // orange page hint on it.
    const Rect panel{int(0.27f * float(width)), int(0.03f * float(height)), int(0.46f * float(width)),
                     int(0.5f * float(height))};
    const int lines = countNear({255, 255, 255}, 30, panel);
    EXPECT_GT(lines, 500);
    const Rect pausa{int(0.44f * float(width)), int(0.9f * float(height)), int(0.14f * float(width)),
                     int(0.1f * float(height))};
    EXPECT_GT(countNear({255, 255, 255}, 30, pausa), 100);
    const hoptest::Image page0 = readFramebuffer();
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    w->inputBase(click, 0);
    frame(w, 0);
    EXPECT_GT(readFramebuffer().countDiff(page0, panel, 30), 300);
    ml->setPause(false);
    for (int i = 0; i < 40; ++i) frame(w, 1.f / 60);
    EXPECT_LT(countNear({255, 255, 255}, 30, pausa), 20) << "no Pausa while playing";
}

// Every line of both panel pages is readable in the 1600-pixel window: the
// label fits its column and the value fits the panel, each at no less than
// 80% of the panel's font size.
TEST_F(LanehopGL, PanelLinesFitTheirColumns) {
    World* w = makeWorld();
    FTFont* font = hop::FontManager::getInstance()->getFont("cartoon", 40);
    for (int page = 0; page < 2; ++page)
        for (const std::string& line : w->getSettings().pages[page]) {
            const float label = font->Advance(settingLabel(line).c_str()) / 1600.f;
            const float value = font->Advance(settingValue(line).c_str()) / 1600.f;
            EXPECT_LE(label * 0.8f, 0.29f) << line;
            EXPECT_LE(value * 0.8f, 0.16f) << line << " (" << value << ")";
        }
}

// Looking down into the river of level 2 the eye meets its bed at the
// riverbed's depth, not the board's base under the grass.
TEST_F(LanehopGL, RiverbedLiesAtTheBottomOfTheRiver) {
    World* w = makeWorld();
    w->nextLevel();
    // Paused: the chicken stays over the river and the camera looks down on it.
    w->getPlayer()->setPosition(Vector3(2.5f, 0, -6.f));
    frame(w, 0);
    hop::Camera* c = w->getCamera();
    c->setPosition(c->getCenter() + Vector3(0, 6, 0.3f), false, false);
    frame(w, 0);
    shot("riverbed");
    GLdouble model[16], proj[16];
    GLint view[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, view);
    // Columns 1 to 3 of rows 6 and 7 are open water.
    for (const Vector3 bed : {Vector3(1.5f, -3, -5.5f), Vector3(3.6f, -3, -6.6f)}) {
        GLdouble wx = 0, wy = 0, wz = 0;
        ASSERT_TRUE(gluProject(bed.x, bed.y, bed.z, model, proj, view, &wx, &wy, &wz));
        GLfloat depth = 1;
        glReadPixels(GLint(wx), GLint(wy), 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        GLdouble x = 0, y = 0, z = 0;
        ASSERT_TRUE(gluUnProject(GLdouble(GLint(wx)) + 0.5, GLdouble(GLint(wy)) + 0.5, depth, model, proj, view, &x, &y,
                                 &z));
        EXPECT_NEAR(y, -3, 0.1) << "at " << bed.x << ", " << bed.z;
    }
}

// Seen from under the board's edge, the river of level 6 (rows 4 and 5) is
// a closed trough: the eye meets the back of its near wall, not its inside.
TEST_F(LanehopGL, RiversAreClosedFromOutside) {
    World* w = makeWorld();
    for (int i = 0; i < 5; ++i) w->nextLevel();
    ASSERT_EQ(w->getCurrentLevel(), 6);
    // Paused: the camera sits on the chicken's point, here in front of the
    // board and below its base, looking along -Z.
    w->getPlayer()->setPosition(Vector3(7.5f, -2.33f, 10));
    frame(w, 0);
    hop::Camera* c = w->getCamera();
    c->setPosition(c->getCenter() + Vector3(0, 0, 2), false, false);
    frame(w, 0);
    GLdouble model[16], proj[16];
    GLint view[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, view);
    const Vector3 wall(5.5f, -2, -3);  // column 5 of row 4 is a lily pad over water
    GLdouble wx = 0, wy = 0, wz = 0;
    ASSERT_TRUE(gluProject(wall.x, wall.y, wall.z, model, proj, view, &wx, &wy, &wz));
    GLfloat depth = 1;
    glReadPixels(GLint(wx), GLint(wy), 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    GLdouble x = 0, y = 0, z = 0;
    ASSERT_TRUE(gluUnProject(GLdouble(GLint(wx)) + 0.5, GLdouble(GLint(wy)) + 0.5, depth, model, proj, view, &x, &y, &z));
    EXPECT_NEAR(z, -3, 0.05);
}

// The river of level 2 seen from its bank: blue water, green pads.
TEST_F(LanehopGL, RiverLooksLikeWater) {
    World* w = makeWorld();
    w->nextLevel();
    ml->setPause(false);
    w->getPlayer()->setPosition(Vector3(7.5f, 0, -4.5f));  // row 5, before the river of rows 6 and 7
    for (int i = 0; i < 40; ++i) frame(w, 1.f / 60);
    shot("river");
    const hoptest::Image img = readFramebuffer();
    int blue = 0;
    for (int y = height / 4; y < height * 3 / 4; y += 2)
        for (int x = 0; x < width; x += 2) {
            const hoptest::Color c = img.pixel(x, y);
            blue += c.b > 90 && c.b > c.r + 40;
        }
    EXPECT_GT(blue, 2000);
}

// Every view keeps the chicken in the middle of the picture: third person,
// first person, the overhead orthographic view and the orthographic toggle.
TEST_F(LanehopGL, ViewsKeepTheChickenInSight) {
    World* w = makeWorld();
    ml->setPause(false);
    auto chickenNearCentre = [&] {
        // The lantern leaves everything dark but the unlit white chicken.
        const Rect middle{width / 2 - width / 8, height / 2 - height / 4, width / 4, height / 2};
        return countNear({255, 255, 255}, 12, middle);
    };
    w->inputBase(hoptest::keyEvent(SDLK_4), 1.f / 60);
    for (int i = 0; i < 40; ++i) frame(w, 1.f / 60);
    shot("view_third");
    EXPECT_GT(chickenNearCentre(), 100) << "third person";
    w->inputBase(hoptest::keyEvent(SDLK_v), 1.f / 60);
    w->inputBase(hoptest::keyEvent(SDLK_v), 1.f / 60);
    EXPECT_EQ(w->getCamera()->getMode(), hop::Camera::ORTHOGONAL);
    for (int i = 0; i < 5; ++i) frame(w, 1.f / 60);
    shot("view_overhead");
    EXPECT_GT(chickenNearCentre(), 30) << "overhead";
    w->inputBase(hoptest::keyEvent(SDLK_v), 1.f / 60);
    w->inputBase(hoptest::keyEvent(SDLK_o), 1.f / 60);
    EXPECT_EQ(w->getCamera()->getMode(), hop::Camera::ORTHOGONAL);
    for (int i = 0; i < 5; ++i) frame(w, 1.f / 60);
    shot("view_ortho");
    EXPECT_GT(chickenNearCentre(), 30) << "orthographic third person";
}

TEST_F(LanehopGL, SunsetSkyWithoutTextures) {
    World* w = makeWorld();
    ml->setPause(false);
    ml->setTexture(false);
    w->inputBase(hoptest::keyEvent(SDLK_2), 1.f / 60);
    for (int i = 0; i < 40; ++i) frame(w, 1.f / 60);
    shot("sunset_untextured");
    // The top of the view is open sky: 0.75 x (0.933, 0.639, 0.372).
    const hoptest::Color sky = readPixel(width / 2, 5);
    EXPECT_NEAR(sky.r, 178, 6);
    EXPECT_NEAR(sky.g, 122, 6);
    EXPECT_NEAR(sky.b, 71, 6);
    ml->setTexture(true);
}

// The sunset sky's six faces are read the first time it is shown, once.
TEST_F(LanehopGL, SunsetSkyLoadsWhenFirstShown) {
    auto* tm = hop::TextureManager::getInstance();
    World* w = makeWorld();
    ml->setPause(false);
    for (int i = 0; i < 40; ++i) frame(w, 1.f / 60);
    const int dayReads = tm->filesRead();
    const hoptest::Color day = readPixel(width / 2, 5);
    for (unsigned id : w->getSkyboxes()[1].textures) EXPECT_EQ(id, 0u);

    w->inputBase(hoptest::keyEvent(SDLK_2), 1.f / 60);
    frame(w, 1.f / 60);
    EXPECT_EQ(tm->filesRead(), dayReads + 6);
    for (unsigned id : w->getSkyboxes()[1].textures) EXPECT_TRUE(glIsTexture(id));
    const hoptest::Color sunset = readPixel(width / 2, 5);
    EXPECT_GT(std::abs(sunset.r - day.r) + std::abs(sunset.b - day.b), 60) << "the sunset sky is drawn";

    for (SDL_Keycode k : {SDLK_1, SDLK_2, SDLK_3, SDLK_2}) {
        w->inputBase(hoptest::keyEvent(k), 1.f / 60);
        frame(w, 1.f / 60);
    }
    EXPECT_EQ(tm->filesRead(), dayReads + 6);
}

TEST_F(LanehopGL, LanternLightFollowsTheChicken) {
    World* w = makeWorld();
    ml->setPause(false);
    w->inputBase(hoptest::keyEvent(SDLK_4), 1.f / 60);
    frame(w, 1.f / 60);
    GLfloat linear = 0, ambient[4];
    glGetLightfv(GL_LIGHT0, GL_LINEAR_ATTENUATION, &linear);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(linear, 0.25f);
    EXPECT_FLOAT_EQ(ambient[0], 0);
    w->inputBase(hoptest::keyEvent(SDLK_1), 1.f / 60);
    frame(w, 1.f / 60);
    glGetLightfv(GL_LIGHT0, GL_LINEAR_ATTENUATION, &linear);
    EXPECT_FLOAT_EQ(linear, 0);
    // Lighting is restored after the unlit chicken.
    EXPECT_TRUE(ml->getLighting());
}

}  // namespace

namespace {

// Near-white text pixels in the paused panel.
int panelText(const hoptest::OffscreenGL& gl, int width, int height) {
    const Rect panel{int(0.27f * float(width)), int(0.03f * float(height)), int(0.46f * float(width)),
                     int(0.84f * float(height))};
    return gl.countNear({255, 255, 255}, 30, panel);
}

}  // namespace

// Render switches and lights act on the scene; the HUD's text keeps its
// filled, blended letters under every one of them.
TEST_F(LanehopGL, HudTextReadableUnderEverySwitchAndLight) {
    World* w = makeWorld();
    frame(w, 0);
    const int plain = panelText(gl(), width, height);
    ASSERT_GT(plain, 500);
    const auto press = [&](SDL_Keycode k) { ml->handleEvent(hoptest::keyEvent(k), 0); };
    for (SDL_Keycode k : {SDLK_f, SDLK_t, SDLK_l, SDLK_k, SDLK_b, SDLK_c, SDLK_i, SDLK_m}) {
        press(k);
        frame(w, 0);
        const int n = panelText(gl(), width, height);
        EXPECT_GT(n, plain * 7 / 10) << "key " << char(k);
        EXPECT_LT(n, plain * 14 / 10) << "key " << char(k);
        shot(std::string("hud_") + char(k));
        press(k);
    }
    // Everything at once, and under each light.
    for (SDL_Keycode k : {SDLK_f, SDLK_t, SDLK_l, SDLK_k, SDLK_b}) press(k);
    for (SDL_Keycode k : {SDLK_1, SDLK_2, SDLK_3, SDLK_4, SDLK_5}) {
        press(k);
        frame(w, 0);
        const int n = panelText(gl(), width, height);
        EXPECT_GT(n, plain * 7 / 10) << "all switches, light " << char(k);
        EXPECT_LT(n, plain * 14 / 10) << "all switches, light " << char(k);
    }
    for (SDL_Keycode k : {SDLK_f, SDLK_t, SDLK_l, SDLK_k, SDLK_b}) press(k);
    // The switches themselves still reach the scene.
    press(SDLK_f);
    frame(w, 0);
    GLint mode[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_LINE);
    press(SDLK_f);
}

// The game starts paused: the scene shows under the panel, not a black
// screen; the fade-in plays once the game runs.
TEST_F(LanehopGL, PausedStartShowsTheSceneUnderThePanel) {
    World* w = makeWorld();
    frame(w, 0);
    shot("paused_start");
    const Rect left{0, height / 8, width / 5, height * 3 / 4}, right{width * 4 / 5, height / 8, width / 5, height * 3 / 4};
    EXPECT_LT(countNear({0, 0, 0}, 12, left), width * height / 50) << "black left of the panel";
    EXPECT_LT(countNear({0, 0, 0}, 12, right), width * height / 50) << "black right of the panel";
    const hoptest::Color sky = readPixel(width / 2, 3);
    EXPECT_GT(sky.b, 100);
    ml->setPause(false);
    frame(w, 1.f / 60);
    EXPECT_GT(countNear({0, 0, 0}, 40, left), width * height / 40) << "fading in from black";
}

// After full screen and back the viewport is the window's drawable size,
// also when a resize event from the full-screen switch comes in late.
TEST_F(LanehopGL, ViewportFollowsTheWindowAfterFullScreen) {
    World* w = makeWorld();
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(gl().window(), &dw, &dh);
    const auto viewport = [] {
        GLint vp[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, vp);
        return std::pair{int(vp[2]), int(vp[3])};
    };
    ml->handleEvent(hoptest::keyEvent(SDLK_g), 0);
    frame(w, 0);
    EXPECT_EQ(viewport(), std::pair(dw, dh));
    ml->handleEvent(hoptest::keyEvent(SDLK_g), 0);
    EXPECT_FALSE(ml->getFullscreen());
    SDL_Event stale{};
    stale.type = SDL_WINDOWEVENT;
    stale.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    stale.window.windowID = SDL_GetWindowID(gl().window());
    stale.window.data1 = 1920;
    stale.window.data2 = 1080;
    ASSERT_EQ(SDL_PushEvent(&stale), 1);
    frame(w, 0);
    EXPECT_EQ(viewport(), std::pair(dw, dh));
    EXPECT_EQ(ml->getWindowSizeWidth(), dw);
    frame(w, 0);
    EXPECT_EQ(viewport(), std::pair(dw, dh));
}

// Panel lines read from a file with bytes that are not UTF-8 draw without
// reaching the font library's decoder broken (it crashed on a single FF).
TEST_F(LanehopGL, SettingsThatAreNotUtf8DrawSafely) {
    World* w = makeWorld();
    const std::string path = ::testing::TempDir() + "lanehop_fuzzed_settings.txt";
    const std::string lines[] = {"Pausa:\xFF", "\xFE:P", "a\xF8\x88\x80\x80\x80:b", "\xF4\x90\x80\x80:x",
                                 "Salir:Q\xE2\x82", "\xC3"};
    {
        std::ofstream out(path, std::ios::binary);
        for (const std::string& l : lines) out << l << "\n";
    }
    testing::internal::CaptureStderr();
    w->loadSettings("x" + path);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(w->getSettings().pages[0].size(), std::size(lines));
    frame(w, 0);
    EXPECT_GT(panelText(gl(), width, height), 300);
    // The renderer itself is guarded too: text from anywhere.
    hop::switchTo2DProjection();
    for (const std::string& l : lines) hop::renderText(l, 0.1f, 0.5f, hop::Color(1, 1, 1, 1), "cartoon", 40, 0.3f);
    hop::switchTo3DProjection();
    std::remove(path.c_str());
}


// Model faces sharing primitives give the same picture, pixel for pixel, as
// a primitive per face: every level, then every light and view, with
// textures off and fog on, on the busiest level.
TEST_F(LanehopGL, BatchedModelFacesKeepThePicture) {
    World* w = makeWorld();
    ml->setPause(false);
    for (int i = 0; i < 40; ++i) frame(w, 1.f / 60);  // past the fade
    auto both = [&](const std::string& what) {
        hop::Model::batchFaces = false;
        w->releaseResources();
        w->loadResources();
        frame(w, 0);
        const hoptest::Image before = readFramebuffer();
        hop::Model::batchFaces = true;
        w->releaseResources();
        w->loadResources();
        frame(w, 0);
        const hoptest::Image after = readFramebuffer();
        EXPECT_EQ(after.countDiff(before), 0) << what;
    };
    for (int level = 1; level <= 6; ++level) {
        if (level > 1) {
            w->nextLevel();
            for (int i = 0; i < 40; ++i) frame(w, 1.f / 60);
        }
        both("level" + std::to_string(level));
        if (level != 4) continue;
        for (SDL_Keycode k : {SDLK_2, SDLK_3, SDLK_4, SDLK_5, SDLK_1, SDLK_v, SDLK_v, SDLK_t, SDLK_k}) {
            w->inputBase(hoptest::keyEvent(k), 0);
            for (int i = 0; i < 20; ++i) frame(w, 0);  // the chicken settles after a key
            both(std::string("level 4, key ") + char(k));
        }
        for (SDL_Keycode k : {SDLK_v, SDLK_t, SDLK_k}) w->inputBase(hoptest::keyEvent(k), 0);
    }
}

// The game's own window on this software renderer: asked for 16 samples, it
// ends without a multisample buffer, says so once, and is shown. The key
// still toggles GL_MULTISAMPLE on it.
TEST_F(LanehopGL, SoftwareRendererWindowHasNoMultisampleBuffer) {
    testing::internal::CaptureStdout();
    const hop::GLWindow made = hop::openGLWindow("lanehop window", 320, 180);
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_NE(made.window, nullptr) << SDL_GetError();
    ASSERT_NE(made.context, nullptr);
    EXPECT_TRUE(hop::isSoftwareRenderer(made.renderer)) << made.renderer;
    EXPECT_EQ(made.samples, 0);
    GLint buffers = -1, samples = -1;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &buffers);
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(buffers, 0);
    EXPECT_EQ(samples, 0);
    EXPECT_EQ(out, "Renderizador por software (" + made.renderer + "): ventana sin multimuestreo\n");
    EXPECT_TRUE(SDL_GetWindowFlags(made.window) & SDL_WINDOW_SHOWN);
    ml->setMultisampling(false);
    EXPECT_FALSE(glIsEnabled(GL_MULTISAMPLE));
    ml->toggleMultisampling();
    EXPECT_TRUE(glIsEnabled(GL_MULTISAMPLE));
    SDL_GL_DeleteContext(made.context);
    SDL_DestroyWindow(made.window);
    gl().makeCurrent();
}

// Pixels of `a` whose whole 3 x 3 neighbourhood differs from `b` by more
// than `tolerance`: an area that changed, not an edge that moved.
int areaDiffs(const hoptest::Image& a, const hoptest::Image& b, int tolerance) {
    const int w = a.width(), h = a.height();
    std::vector<char> d(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) d[std::size_t(y * w + x)] = !hoptest::near(a.pixel(x, y), b.pixel(x, y), tolerance);
    int n = 0;
    for (int y = 1; y + 1 < h; ++y)
        for (int x = 1; x + 1 < w; ++x) {
            bool all = true;
            for (int dy = -1; dy <= 1 && all; ++dy)
                for (int dx = -1; dx <= 1 && all; ++dx) all = d[std::size_t((y + dy) * w + x + dx)];
            n += all;
        }
    return n;
}

// The drawing shortcuts (opaque passes unblended, hidden faces left out,
// what the board's ground hides clipped away) keep the picture: every
// level, in every view under every light, and level 4 under each render
// switch, drawn with and without them. Clipping draws the same surfaces
// from other vertices, so a colour may move by a level or two and an edge
// where two surfaces meet at one depth may fall to the other one; no area
// may change.
TEST_F(LanehopGL, FastDrawingKeepsThePicture) {
    World* w = makeWorld();
    ml->setPause(false);
    for (int i = 0; i < 40; ++i) frame(w, 1.f / 60);  // past the fade
    auto both = [&](const std::string& what) {
        hop::fastDrawing = false;
        frame(w, 0);
        const hoptest::Image before = readFramebuffer();
        hop::fastDrawing = true;
        frame(w, 0);
        const hoptest::Image after = readFramebuffer();
        const int edges = after.countDiff(before, {}, 3), areas = areaDiffs(after, before, 3);
        EXPECT_LE(edges, after.width() * after.height() / 10000) << what;
        EXPECT_EQ(areas, 0) << what;
        if (std::getenv("LANEHOP_SHOTS")) {
            std::printf("%s: %d edge pixels, %d area pixels\n", what.c_str(), edges, areas);
            before.savePNG(std::string(std::getenv("LANEHOP_SHOTS")) + "/before " + what + ".png");
            after.savePNG(std::string(std::getenv("LANEHOP_SHOTS")) + "/after " + what + ".png");
        }
    };
    // The chicken settles after a view key; a light key moves nothing.
    auto press = [&](SDL_Keycode k, int settle = 20) {
        w->inputBase(hoptest::keyEvent(k), 1.f / 60);
        for (int i = 0; i < settle; ++i) frame(w, 0);
    };
    const struct {
        const char* name;
        std::vector<SDL_Keycode> enter, leave;
    } views[] = {{"default", {}, {}},
                 {"first person", {SDLK_v}, {SDLK_v, SDLK_v}},
                 {"overhead", {SDLK_v, SDLK_v}, {SDLK_v}},
                 {"orthographic", {SDLK_o}, {SDLK_o}}};
    for (int level = 1; level <= 6; ++level) {
        if (level > 1) {
            w->nextLevel();
            for (int i = 0; i < 40; ++i) frame(w, 1.f / 60);
        }
        for (const auto& view : views) {
            for (SDL_Keycode k : view.enter) press(k);
            for (char light = '1'; light <= '5'; ++light) {
                press(SDL_Keycode(light), 1);
                both("level " + std::to_string(level) + ", " + view.name + ", light " + light);
            }
            for (SDL_Keycode k : view.leave) press(k);
        }
        press(SDLK_1);
        if (level != 4) continue;
        for (SDL_Keycode k : {SDLK_t, SDLK_b, SDLK_k, SDLK_l, SDLK_c, SDLK_f, SDLK_i}) {
            press(k);
            both(std::string("level 4, switch ") + char(k));
            press(k);
        }
    }
}

// Glyph textures sized to the glyphs drawn rather than to the whole face
// draw the same text: the paused panel's two pages, the bar, the frame-rate
// text and the closing banner, with fonts loaded each way.
TEST_F(LanehopGL, PagedGlyphTexturesKeepTheText) {
    World* w = makeWorld();
    ml->setShowFPS(true);
    for (int i = 0; i < 5; ++i) w->nextLevel();  // level 6: the banner
    for (int i = 0; i < 20; ++i) frame(w, 0);     // the chicken settles
    auto draw = [&](bool paged) {
        hop::fastDrawing = paged;
        auto* fonts = hop::FontManager::getInstance();
        fonts->clear();
        fonts->loadFont("ocraext", 24);
        for (unsigned size : {72u, 128u, 40u}) fonts->loadFont("cartoon", size);
        std::vector<hoptest::Image> shots;
        for (int page = 0; page < 2; ++page) {
            frame(w, 0);
            shots.push_back(readFramebuffer());
            w->inputBase(hoptest::clickEvent(10, 10), 0);  // the panel's next page
        }
        hop::fastDrawing = true;
        return shots;
    };
    const std::vector<hoptest::Image> before = draw(false), after = draw(true);
    for (std::size_t i = 0; i < before.size(); ++i) {
        // Glyph edges may differ by 2 levels in 255: the narrower texture
        // gives the filter finer texture coordinates. The scene behind is
        // drawn with its own shortcuts (FastDrawingKeepsThePicture): a level
        // more, and a few edge pixels where the board meets the window's
        // border. A glyph drawn otherwise changes an area.
        EXPECT_LE(after[i].countDiff(before[i], {}, 3), 16) << "page " << i;
        EXPECT_EQ(areaDiffs(after[i], before[i], 2), 0) << "page " << i;
        if (const char* dir = std::getenv("LANEHOP_SHOTS")) {
            before[i].savePNG(std::string(dir) + "/text before " + std::to_string(i) + ".png");
            after[i].savePNG(std::string(dir) + "/text after " + std::to_string(i) + ".png");
        }
    }
    EXPECT_GT(countNear(hoptest::Color{255, 255, 255}, 8), 2000) << "text is drawn";
}

namespace {

// Watches a named pipe for a reader: opening its write end without blocking
// succeeds only while something has it open for reading. The open wakes that
// reader (it reads nothing), so a faulty game cannot hang the test.
class PipeWatch {
public:
    explicit PipeWatch(std::string path) : path_(std::move(path)), thread_([this] { watch(); }) {}
    ~PipeWatch() {
        stop_ = true;
        thread_.join();
    }
    bool opened() const { return opened_; }

private:
    void watch() {
        while (!stop_) {
            const int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                opened_ = true;
                close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    std::string path_;
    std::atomic<bool> stop_{false}, opened_{false};
    std::thread thread_;
};

// A small window for tests of many frames or loads, not of the picture's detail.
class LanehopSmall : public LanehopGL {
protected:
    LanehopSmall() {
        width = 640;
        height = 360;
    }
};

// Every file the game reads with a folder or a named pipe in its place:
// the game names it and stops (the settings panel says why it is empty and
// the game goes on). A pipe is never opened: it would block the game.
TEST_F(LanehopSmall, EveryFileAsFolderOrPipeIsNamed) {
    namespace fs = std::filesystem;
    std::vector<std::string> owned = {"resources/fonts/ocraext.ttf", "resources/fonts/cartoon.ttf",
                                      "resources/settings.txt", "resources/models/tree/Tree_1.obj",
                                      "resources/models/tree/Tree_5_73.obj"};
    for (int n = 1; n <= 6; ++n) owned.push_back("level/level" + std::to_string(n) + ".txt");
    for (const char* t : {"wood.jpg", "grass.jpg", "rock.jpg", "sand.jpg", "leaves.jpg", "street.jpg", "bump.jpg",
                          "lotus.jpg", "water.png", "models/TEXTURE_V1.png", "models/Tree_5_normal.png"})
        owned.push_back(std::string("resources/textures/") + t);
    for (const char* sky : {"skybox/", "skyboxSunset/"})
        for (const char* face : {"back", "front", "top", "bottom", "left", "right"})
            owned.push_back(std::string("resources/textures/") + sky + face + ".jpg");
    std::vector<const char*> files;
    for (const std::string& f : owned) files.push_back(f.c_str());

    const fs::path here = fs::current_path();
    const fs::path dir = fs::temp_directory_path() / "lanehop-broken";
    std::mt19937 random(3);
    for (const char* file : files)
        for (hoptest::Break how : {hoptest::Folder, hoptest::Pipe}) {
            ml->shutdown();  // the scene, fonts and textures: every file is read again
            hoptest::stageBroken(here, dir, files, file, how, random);
            fs::current_path(dir);
            std::optional<PipeWatch> watch;
            if (how == hoptest::Pipe) watch.emplace((dir / file).string());
            testing::internal::CaptureStderr();
            testing::internal::CaptureStdout();
            std::string said;
            try {
                ml->attach(gl().window(), gl().context(), width, height);  // the frame-rate font
                World* w = makeWorld();
                w->inputBase(hoptest::keyEvent(SDLK_2), 0);  // the sunset sky is read when shown
                frame(w, 0);
                for (int n = 2; n <= 6; ++n) w->nextLevel();
            } catch (const std::exception& e) {
                said = e.what();
            }
            said += testing::internal::GetCapturedStderr();
            testing::internal::GetCapturedStdout();
            fs::current_path(here);
            const std::string name = std::string(file) + (how == hoptest::Folder ? " a folder" : " a pipe");
            EXPECT_NE(said.find("./" + std::string(file) + ": "), std::string::npos) << name << ": " << said;
            if (watch) {
                EXPECT_FALSE(watch->opened()) << name << ": opened";
            }
            watch.reset();
            glGetError();
        }
    fs::remove_all(dir);
}

}  // namespace

namespace {

// The camera's matrices as the last frame left them (the view of the scene).
struct View {
    GLdouble model[16], projection[16];
    GLint viewport[4];
    static View current() {
        View v;
        glGetDoublev(GL_MODELVIEW_MATRIX, v.model);
        glGetDoublev(GL_PROJECTION_MATRIX, v.projection);
        glGetIntegerv(GL_VIEWPORT, v.viewport);
        return v;
    }
    // Window pixels, origin top-left like readPixel.
    std::pair<float, float> project(const Vector3& p) const {
        GLdouble x = 0, y = 0, z = 0;
        gluProject(p.x, p.y, p.z, model, projection, viewport, &x, &y, &z);
        return {float(x), float(viewport[3]) - float(y)};
    }
};

void removeTraffic(World* w) {
    std::vector<hop::Object*> traffic;
    for (hop::Object* o : w->getObjects())
        if (o->getId() == "CarSpawn" || o->getId() == "car") traffic.push_back(o);
    for (hop::Object* o : traffic) w->freeObject(o);
}

Grid grid(std::initializer_list<const char*> rows) {
    Grid g;
    for (const char* r : rows) g.emplace_back(r, r + std::strlen(r));
    return g;
}

int distance(hoptest::Color a, hoptest::Color b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b); }

// Left and Right move the chicken toward the screen's left and right as the
// player sees it (projected through the frame's own matrices), from the
// starting view, after the mouse turned it, and in every view the v and o
// keys give; moving the mouse right turns the view right.
TEST_F(LanehopSmall, LeftAndRightAreTheScreensLeftAndRight) {
    World* w = makeWorld();
    ml->setPause(false);
    // Open ground all round: the walks go every way as the views turn.
    const char* open = "000000000000000";
    w->setTiles(grid({open, open, open, open, open, open, open, open, open, open, open, open, open, open, open}));
    w->bootupLevel();
    w->getPlayer()->setPosition(Vector3(7.5f, 0, -7.5f));
    Uint8 keys[SDL_NUM_SCANCODES] = {};
    w->getPlayer()->setKeyboard(keys);
    for (int i = 0; i < 40; ++i) frame(w, 1.f / 60);
    hop::Camera* cam = w->getCamera();
    // How far on screen the chicken's walk with `key` held goes, seen from
    // the view before it (the camera follows it afterwards).
    const auto walk = [&](SDL_Scancode key) {
        frame(w, 0);
        const View v = View::current();
        const Vector3 from = w->getPlayer()->getPosition(), at = cam->getCenter();
        keys[key] = 1;
        for (int i = 0; i < 6; ++i) frame(w, 1.f / 60);
        keys[key] = 0;
        Vector3 moved = w->getPlayer()->getPosition() - from;
        moved.y = 0;
        return v.project(at + moved).first - v.project(at).first;
    };
    const auto expectSides = [&](const std::string& view) {
        EXPECT_GT(walk(SDL_SCANCODE_RIGHT), 10) << view << ": Right";
        EXPECT_LT(walk(SDL_SCANCODE_LEFT), -10) << view << ": Left";
        EXPECT_GT(walk(SDL_SCANCODE_D), 10) << view << ": D";
        EXPECT_LT(walk(SDL_SCANCODE_A), -10) << view << ": A";
    };
    // The mouse moved right: what was straight ahead is now left of the middle.
    const auto turnRight = [&](const std::string& view) {
        Vector3 ahead = cam->getViewVector();
        ahead.y = 0;
        const Vector3 target = cam->getCenter() + ahead.normalize() * 3;
        w->inputBase(hoptest::motionEvent(300, 0), 1.f / 60);
        frame(w, 0);
        EXPECT_LT(View::current().project(target).first, float(width) / 2 - 10) << view << ": the mouse turned left";
    };
    expectSides("third person");
    turnRight("third person");
    expectSides("third person, turned");
    turnRight("third person, turned");
    turnRight("third person, turned");
    expectSides("third person, turned past a right angle");
    w->inputBase(hoptest::keyEvent(SDLK_v), 1.f / 60);
    ASSERT_EQ(cam->getMouseMode(), hop::Camera::FIRST_PERSON);
    expectSides("first person");
    turnRight("first person");
    expectSides("first person, turned");
    w->inputBase(hoptest::keyEvent(SDLK_v), 1.f / 60);
    ASSERT_EQ(cam->getMode(), hop::Camera::ORTHOGONAL);
    expectSides("overhead");
    w->inputBase(hoptest::keyEvent(SDLK_v), 1.f / 60);
    w->inputBase(hoptest::keyEvent(SDLK_o), 1.f / 60);
    ASSERT_EQ(cam->getMode(), hop::Camera::ORTHOGONAL);
    ASSERT_EQ(cam->getMouseMode(), hop::Camera::THIRD_PERSON);
    expectSides("orthographic");
    turnRight("orthographic");
    expectSides("orthographic, turned");
    EXPECT_EQ(w->getPlayer()->getState(), ALIVE);
}

// A controller through the loop's own pads: while paused its d-pad turns
// the panel to the page each hint points at ("< Controles", "Ajustes >");
// Start plays, and then the d-pad and the left stick (leant past its dead
// zone) walk the chicken toward the screen's left and right from the
// starting view.
TEST_F(LanehopSmall, AControllerTurnsThePanelAndWalksTowardTheScreensSides) {
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    ml->usePads(padTable());
    World* w = makeWorld();
    const char* open = "000000000000000";
    w->setTiles(grid({open, open, open, open, open, open, open, open, open, open, open, open, open, open, open}));
    w->bootupLevel();
    w->getPlayer()->setPosition(Vector3(7.5f, 0, -7.5f));
    w->getPlayer()->setKeyboard(nullptr);  // the loop's keys: the controller's too
    hoptest::LocalPad pad;
    for (int i = 0; i < 3; ++i) frame(w, 0);
    const auto tap = [&](SDL_GameControllerButton b) {
        pad.button(b, true);
        frame(w, 0);
        pad.button(b, false);
        frame(w, 0);
    };
    ASSERT_TRUE(ml->getPause());
    const Rect panel{int(0.27f * float(width)), int(0.03f * float(height)), int(0.46f * float(width)),
                     int(0.5f * float(height))};
    const hoptest::Image page0 = readFramebuffer();
    tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    EXPECT_EQ(w->getSettingsPage(), 1) << "d-pad right: Ajustes >";
    EXPECT_GT(readFramebuffer().countDiff(page0, panel, 30), 100) << "the other page is drawn";
    tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    EXPECT_EQ(w->getSettingsPage(), 1) << "no page past the last";
    tap(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    EXPECT_EQ(w->getSettingsPage(), 0) << "d-pad left: < Controles";
    EXPECT_LT(readFramebuffer().countDiff(page0, panel, 30), 20) << "the first page is drawn again";
    tap(SDL_CONTROLLER_BUTTON_START);
    ASSERT_FALSE(ml->getPause());
    for (int i = 0; i < 40; ++i) frame(w, 1.f / 60);
    tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    EXPECT_EQ(w->getSettingsPage(), 0) << "playing, the d-pad only walks";

    hop::Camera* cam = w->getCamera();
    // How far on screen the chicken's walk with `lean` held goes, seen from
    // the view before it.
    const auto walk = [&](const std::function<void(bool)>& lean) {
        frame(w, 0);
        const View v = View::current();
        const Vector3 from = w->getPlayer()->getPosition(), at = cam->getCenter();
        lean(true);
        for (int i = 0; i < 7; ++i) frame(w, 1.f / 60);
        lean(false);
        frame(w, 1.f / 60);
        Vector3 moved = w->getPlayer()->getPosition() - from;
        moved.y = 0;
        return v.project(at + moved).first - v.project(at).first;
    };
    const auto button = [&](SDL_GameControllerButton b) { return [&pad, b](bool down) { pad.button(b, down); }; };
    const auto stick = [&](int x) { return [&pad, x](bool down) { pad.axis(SDL_CONTROLLER_AXIS_LEFTX, down ? x : 0); }; };
    EXPECT_LT(walk(button(SDL_CONTROLLER_BUTTON_DPAD_LEFT)), -10) << "d-pad left";
    EXPECT_GT(walk(button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT)), 10) << "d-pad right";
    EXPECT_LT(walk(stick(-24000)), -10) << "stick left";
    EXPECT_GT(walk(stick(24000)), 10) << "stick right";
    EXPECT_EQ(w->getPlayer()->getState(), ALIVE);
}

// Each thing is drawn where it collides: at the projected centre of its
// hit box the picture shows it (the car red), and beside the box it does
// not; the chicken stands where its point is.
TEST_F(LanehopGL, ThingsAreDrawnWhereTheyCollide) {
    World* w = makeWorld();
    ml->setPause(false);
    const Grid with = grid({"000000000000000", "000000000000000", "222222222222222", "000000600T00000",
                            "333333333433333", "000000000000000", "bwbwbwbwbwbwbwb"});
    const Grid without = grid({"000000000000000", "000000000000000", "222222222222222", "000000000000000",
                               "333333333333333", "000000000000000", "bwbwbwbwbwbwbwb"});
    w->setTiles(with);
    w->bootupLevel();
    removeTraffic(w);
    Uint8 keys[SDL_NUM_SCANCODES] = {};
    w->getPlayer()->setKeyboard(keys);
    for (int i = 0; i < 40; ++i) frame(w, 1.f / 60);
    const Vector3 carAt(4.2f, 0, -1.5f);
    auto* car = new Car(carAt, Vector3(), -2, 100);
    w->loadObject(car);
    frame(w, 0);
    shot("collide_with");
    const View view = View::current();
    const hoptest::Image a = readFramebuffer();
    const auto boxes = car->getHitBoxes();
    w->freeObject(car);
    w->setTiles(without);
    // The chicken away, the camera left where it was.
    const Vector3 chickenAt = w->getPlayer()->getPosition();
    w->getCamera()->setFollowing(nullptr);
    w->getPlayer()->setPosition(Vector3(-50, 0, 0));
    frame(w, 0);
    shot("collide_without");
    const hoptest::Image b = readFramebuffer();
    const auto pixel = [&](const hoptest::Image& img, const Vector3& p) {
        const auto [x, y] = view.project(p);
        return img.pixel(int(x), int(y));
    };
    const auto shows = [&](const Vector3& p) { return distance(pixel(a, p), pixel(b, p)) > 60; };

    ASSERT_GE(boxes.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const Vector3 centre = carAt + boxes[i].first + boxes[i].second * 0.5f;
        EXPECT_TRUE(shows(centre)) << "car box " << i;
    }
    const hoptest::Color body = pixel(a, carAt + boxes[0].first + boxes[0].second * 0.5f);
    EXPECT_GT(body.r, body.g + 50) << "the body is red";
    for (float side : {-1.f, 1.f})
        EXPECT_FALSE(shows(carAt + Vector3(side * (boxes[0].second.x / 2 + 0.3f), 0.25f, 0))) << "beside the car " << side;
    // The hedge's block, the tree's trunk layer and the lily pad, each over
    // its tile's middle; a tile on is bare ground.
    EXPECT_TRUE(shows(Vector3(6.5f, 0.5f, -2.5f))) << "hedge";
    EXPECT_FALSE(shows(Vector3(7.5f, 0.f, -2.5f))) << "beside the hedge";
    for (float y : {0.3f, 1.1f}) EXPECT_TRUE(shows(Vector3(9.5f, y, -2.5f))) << "tree trunk at " << y;
    EXPECT_TRUE(shows(Vector3(9.5f, 0.f, -3.5f))) << "lily pad";
    EXPECT_FALSE(shows(Vector3(10.5f, 0.f, -3.5f))) << "beside the lily pad";
    // The chicken over its point (its body is drawn lifted), not beside it.
    EXPECT_TRUE(shows(chickenAt + Vector3(0, 0.3f, 0))) << "the chicken";
    for (float side : {-1.f, 1.f}) EXPECT_FALSE(shows(chickenAt + Vector3(side * 0.2f, 0.3f, 0))) << "beside the chicken";
}

// Counts the steps the world ticks in, and the longest.
struct StepProbe : hop::Object {
    void reset() { steps = 0, longest = total = 0; }
    void tick(float delta) override {
        ++steps;
        longest = std::max(longest, delta);
        total += delta;
    }
    int steps = 0;
    float longest = 0, total = 0;
};

// Through the game's own frame (update, draw, events), a long frame is
// played as steps of at most MainLoop::kMaxStep: the chicken does not pass
// a hedge row and a car that crosses it in that frame still flattens it.
TEST_F(LanehopGL, LongFramesAreSteppedThroughTheRealFrame) {
    World* w = makeWorld();
    ml->setPause(false);
    w->setTiles(grid({"000000000000000", "000000000000000", "666666666666666", "222222222222222",
                      "000000000000000", "bwbwbwbwbwbwbwb"}));
    w->bootupLevel();
    removeTraffic(w);
    auto* probe = new StepProbe;
    w->loadObject(probe);
    Uint8 keys[SDL_NUM_SCANCODES] = {};
    w->getPlayer()->setKeyboard(keys);
    frame(w, 1.f / 60);
    EXPECT_EQ(probe->steps, 1) << "a frame at the display's rate is one step";
    keys[SDL_SCANCODE_UP] = 1;
    for (float f : {0.7f, 2.f}) {
        probe->reset();
        frame(w, f);
        EXPECT_LE(probe->longest, MainLoop::kMaxStep * 1.0001f) << f << " s";
        EXPECT_NEAR(probe->total, f, 1e-3f) << f << " s";
        EXPECT_GT(w->getPlayer()->getPosition().z, -1.f) << f << " s: through the hedge";
    }
    keys[SDL_SCANCODE_UP] = 0;
    // A car that one step of 0.7 s would carry from x 1 past the chicken.
    w->getPlayer()->setPosition(Vector3(4.5f, 0, -2.5f));
    w->loadObject(new Car(Vector3(1, 0, -2.5f), Vector3(7, 0, 0), -2, 100));
    frame(w, 0.7f);
    EXPECT_EQ(w->getPlayer()->getState(), FLAT);
}

}  // namespace
