// Drawing in an offscreen 1200 x 720 context from the game's folder: the
// model library over every generated file, both views, and the HUD and menus
// readable under every render switch and light.
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL_ttf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include "app.h"
#include "escena.h"
#include "hoptest/events.h"
#include "hoptest/gl.h"
#include "hoptest/localpad.h"
#include "juego.h"
#include "modelos.h"
#include "test_support.h"
#include "texto.h"

using namespace coopdash;
using hoptest::Color;
using hoptest::Image;
using hoptest::Rect;

namespace {

bool whiteish(Color c) { return c.r > 190 && c.g > 190 && c.b > 190; }
bool violet(Color c) { return c.b > c.r + 30 && c.b > c.g + 30 && c.r < 110; }
bool sky(Color c) { return c.b > 200 && c.g > 180 && c.r < 150; }
bool green(Color c) { return c.g > c.r + 30 && c.g > c.b + 30; }
bool fogGrey(Color c) { return std::abs(c.r - 178) <= 2 && std::abs(c.g - 178) <= 2 && std::abs(c.b - 178) <= 2; }

int count(const Image& img, Rect r, bool (*pred)(Color)) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) n += pred(img.pixel(x, y));
    return n;
}

class CoopdashGL : public hoptest::GLTest {
protected:
    CoopdashGL() {
        width = kLayoutWidth;
        height = kLayoutHeight;
    }
    void SetUp() override {
        GLTest::SetUp();
        ASSERT_EQ(TTF_Init(), 0);
        coopdash::setupGL();
        testing::internal::CaptureStdout();
        text = std::make_unique<Texto>();
        models = std::make_unique<ModelLibrary>();
        testing::internal::GetCapturedStdout();
        atlas = loadTexture(kAtlasPath, true);
        // Grass only, without trees: nothing hides the chicken or the sky.
        field = std::make_unique<Playfield>(cdtest::script({}, 7));
        field->displayLists = models->lists;
        field->roadTexture = models->roadTexture;
        field->generate();
        game = std::make_unique<Juego>(*field, Recursos{text.get(), nullptr, atlas}, gl().window());
        game->start();
    }
    void TearDown() override {
        game.reset();
        field.reset();
        models.reset();
        text.reset();
        glDeleteTextures(1, &atlas);
        TTF_Quit();
        GLTest::TearDown();
    }
    Image frame() {
        game->draw();
        return readFramebuffer();
    }
    // A frame of `busy` set up as the game sets one up (viewport, projection,
    // camera, light, filled or wire), drawn by `drawing`, read back.
    Image fieldFrame(const Playfield& busy, int view, bool wire, int light, const std::function<void()>& drawing) {
        glViewport(0, 0, kLayoutWidth, kLayoutHeight);
        setProjection(view, kLayoutWidth, kLayoutHeight);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        placeCamera(view, busy.player);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        applyLight(light);
        glPolygonMode(GL_FRONT_AND_BACK, wire ? GL_LINE : GL_FILL);
        drawing();
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);
        return readFramebuffer();
    }

    std::unique_ptr<Texto> text;
    std::unique_ptr<ModelLibrary> models;
    unsigned atlas = 0;
    std::unique_ptr<Playfield> field;
    std::unique_ptr<Juego> game;
};

struct Point {
    double x, y;
};

// Where a world point lands in a w x h window (pixels, y from the top) under
// the game's own projection and camera for `view`, the camera placed at
// `eye`.
Point project(int view, const Pollo& eye, const Vec3& p, int w = kLayoutWidth, int h = kLayoutHeight) {
    setProjection(view, w, h);
    glLoadIdentity();
    placeCamera(view, eye);
    GLdouble mv[16], pr[16];
    const GLint vp[4] = {0, 0, w, h};
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    double x = 0, y = 0, z = 0;
    gluProject(p.x, p.y, p.z, mv, pr, vp, &x, &y, &z);
    return {x, h - y};
}

// The world point 3 units out along the middle of the view of a camera at
// `eye`: what the player looks at.
Vec3 lookedAt(int view, const Pollo& eye) {
    setProjection(view, kLayoutWidth, kLayoutHeight);
    glLoadIdentity();
    placeCamera(view, eye);
    GLdouble mv[16], pr[16];
    const GLint vp[4] = {0, 0, kLayoutWidth, kLayoutHeight};
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    double n[3], f[3];
    gluUnProject(kLayoutWidth / 2.0, kLayoutHeight / 2.0, 0, mv, pr, vp, &n[0], &n[1], &n[2]);
    gluUnProject(kLayoutWidth / 2.0, kLayoutHeight / 2.0, 1, mv, pr, vp, &f[0], &f[1], &f[2]);
    const double len = std::sqrt((f[0] - n[0]) * (f[0] - n[0]) + (f[1] - n[1]) * (f[1] - n[1]) + (f[2] - n[2]) * (f[2] - n[2]));
    return {n[0] + (f[0] - n[0]) * 3 / len, n[1] + (f[1] - n[1]) * 3 / len, n[2] + (f[2] - n[2]) * 3 / len};
}

const Rect kWhole{0, 0, 1200, 720};
const Rect kCentre{540, 280, 120, 160};
const Rect kHudText{0, 0, 240, 34};
const Rect kPanel{420, 140, 360, 440};
const Rect kFirstButton{525, 235, 150, 50};  // "Reanudar" on the pause menu

}  // namespace

TEST_F(CoopdashGL, LibraryCompilesEveryModelAndTheRoadTexture) {
    for (int k = 0; k < KindCount; ++k) {
        EXPECT_NE(models->lists[std::size_t(k)], 0u) << kModelFiles[std::size_t(k)];
        EXPECT_TRUE(glIsList(models->lists[std::size_t(k)])) << kModelFiles[std::size_t(k)];
        EXPECT_GE(models->triangles[std::size_t(k)], 10u) << kModelFiles[std::size_t(k)];
    }
    EXPECT_TRUE(glIsTexture(models->roadTexture));
    // Drawn smaller, the road samples a mip chain; drawn larger, it is
    // filtered, never blocky.
    glBindTexture(GL_TEXTURE_2D, models->roadTexture);
    GLint minFilter = 0, magFilter = 0, level1 = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_TRUE(minFilter == GL_LINEAR_MIPMAP_NEAREST || minFilter == GL_LINEAR_MIPMAP_LINEAR) << minFilter;
    EXPECT_EQ(magFilter, GL_LINEAR);
    EXPECT_GT(level1, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(CoopdashGL, StartScreenThenBothViews) {
    Image start = frame();
    EXPECT_GT(count(start, kPanel, violet), 60000) << "no window panel";
    EXPECT_GT(count(start, {450, 235, 300, 50}, whiteish), 300) << "no title";

    game->setPaused(false);
    Image top = frame();
    EXPECT_LT(count(top, kPanel, violet), 5000) << "the menu stayed";
    EXPECT_GT(count(top, kCentre, whiteish), 500) << "no chicken at the centre";
    EXPECT_GT(count(top, kWhole, green), 300000) << "no grass";

    game->view = ViewFirstPerson;
    Image eye = frame();
    EXPECT_GT(count(eye, {0, 0, 1200, 250}, sky), 100000) << "no sky ahead";
    EXPECT_LT(count(eye, kCentre, whiteish), 200) << "the chicken's own model in the eye's way";
    EXPECT_GT(eye.countDiff(top, kWhole, 30), 200000);
}

TEST_F(CoopdashGL, HudAndMenusReadTheSameUnderEveryRenderSwitchAndLight) {
    game->handleEvent(SDL_Event{});
    game->setPaused(true);  // the pause menu over the field
    const Image base = frame();
    const int hud = count(base, kHudText, whiteish), button = count(base, kFirstButton, whiteish);
    ASSERT_GT(hud, 150);
    ASSERT_GT(button, 150);
    const auto check = [&](const char* what) {
        const Image img = frame();
        EXPECT_NEAR(count(img, kHudText, whiteish), hud, hud / 5) << what;
        EXPECT_NEAR(count(img, kFirstButton, whiteish), button, button / 5) << what;
        EXPECT_GT(count(img, kPanel, violet), 60000) << what;
    };
    game->options.wireframe = true;
    check("wireframe");
    game->options.texturesOff = true;
    check("textures off");
    game->options.smooth = true;
    check("smooth");
    for (int p = 1; p < 10; ++p) {
        game->options.lightPreset = p;
        check(("light " + std::to_string(p)).c_str());
    }
    game->view = ViewFirstPerson;
    check("first person (fog)");
    // The scene itself did change under the switches.
    EXPECT_GT(frame().countDiff(base, {0, 600, 400, 120}, 30), 5000);
}

TEST_F(CoopdashGL, TextTexturesDoNotPileUpFrameAfterFrame) {
    game->setPaused(false);
    for (int i = 0; i < 100; ++i) {
        field->score = i;  // a new HUD text every frame
        game->draw();
    }
    EXPECT_LE(text->cachedTextures(), 16u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(CoopdashGL, TheTopDownViewShowsTheSameFieldAtEveryWindowSize) {
    // A full screen player saw 2.6 times the field of the window's.
    const Pollo eye;
    for (const Vec3& p : {Vec3{3, 0, -2}, Vec3{-5, 0.5, 1}, Vec3{0.5, 0, 3}}) {
        const Point base = project(ViewTop, eye, p);
        for (const auto& size : {std::pair<int, int>{1920, 1080}, {2560, 1600}, {800, 600}, {1200, 720}}) {
            const Point at = project(ViewTop, eye, p, size.first, size.second);
            EXPECT_NEAR(at.x / size.first, base.x / kLayoutWidth, 1e-6) << size.first << " x " << size.second;
            EXPECT_NEAR(at.y / size.second, base.y / kLayoutHeight, 1e-6) << size.first << " x " << size.second;
        }
    }
}

TEST_F(CoopdashGL, LeftRightAndTheMouseGoTowardTheirSideOfTheScreen) {
    game->setPaused(false);
    field->objects.clear();
    // One key held for a fifth of a second; the camera as it was before.
    const auto press = [&](SDL_Keycode key) {
        const Pollo before = field->player;
        game->handleEvent(hoptest::keyEvent(key, true));
        game->update(200);
        game->handleEvent(hoptest::keyEvent(key, false));
        return before;
    };
    // Top-down: the chicken moves across the screen, seen by the camera as
    // it stood.
    const auto topDown = [&](const char* when) {
        ASSERT_EQ(game->view, ViewTop);
        Pollo before = press(SDLK_RIGHT);
        EXPECT_GT(project(ViewTop, before, field->player.position).x, project(ViewTop, before, before.position).x + 20)
            << when;
        before = press(SDLK_LEFT);
        EXPECT_LT(project(ViewTop, before, field->player.position).x, project(ViewTop, before, before.position).x - 20)
            << when;
    };
    topDown("from the start");

    // First person, turned away from the axes: what was straight ahead
    // moves the other way on the screen as the view turns or steps.
    game->handleEvent(hoptest::keyEvent(SDLK_v, true));
    ASSERT_EQ(game->view, ViewFirstPerson);
    field->player.heading = 50;
    const auto ahead = [&](const Pollo& before) {
        return project(ViewFirstPerson, field->player, lookedAt(ViewFirstPerson, before)).x - kLayoutWidth / 2.0;
    };
    for (int dx : {25, -25}) {
        const Pollo before = field->player;
        game->handleEvent(hoptest::motionEvent(dx, 0));
        const double moved = ahead(before);
        if (dx > 0) EXPECT_LT(moved, -50) << "the mouse moved right, the view did not turn right";
        else EXPECT_GT(moved, 50) << "the mouse moved left, the view did not turn left";
    }
    EXPECT_LT(ahead(press(SDLK_RIGHT)), -50) << "Right did not step toward the screen's right";
    EXPECT_GT(ahead(press(SDLK_LEFT)), 50) << "Left did not step toward the screen's left";

    game->handleEvent(hoptest::keyEvent(SDLK_v, true));
    field->player.heading = 0;
    topDown("back from first person");
}

// A controller's d-pad and left stick (leant past its dead zone) walk the
// chicken toward the screen's left and right in the view play starts with,
// through the game's own frame and pads, as the arrows do.
TEST_F(CoopdashGL, AControllerWalksTowardTheScreensLeftAndRight) {
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    hop::Pads pads(padTable());
    game = std::make_unique<Juego>(*field, Recursos{text.get(), nullptr, atlas, nullptr, &pads}, gl().window());
    game->start();
    game->setPaused(false);
    field->objects.clear();
    ASSERT_EQ(game->view, ViewTop);
    hoptest::LocalPad pad;
    for (int i = 0; i < 3; ++i) game->frame(16);
    ASSERT_EQ(pads.count(), 1);
    const auto ways = hoptest::sideways(pad);
    for (const auto& w : ways) {
        const Pollo before = field->player;  // the camera as it stood
        w.lean(true);
        for (int i = 0; i < 13; ++i) game->frame(16);
        w.lean(false);
        game->frame(16);
        ASSERT_FALSE(field->paused) << w.what;
        const double moved =
            project(ViewTop, before, field->player.position).x - project(ViewTop, before, before.position).x;
        EXPECT_GT(moved * w.right, 20) << w.what;
    }
    game.reset();
}

TEST_F(CoopdashGL, EveryThingIsDrawnOverItsBox) {
    game->setPaused(false);
    field->rows.clear();  // nothing but the clear colour behind
    const auto background = [](Color c) { return std::abs(c.r - 127) + std::abs(c.g - 204) + std::abs(c.b - 229) < 30; };
    struct Case {
        const char* what;
        std::unique_ptr<Object> object;
        double middle;  // height of the model's middle
    };
    std::vector<Case> cases;
    cases.push_back({"car to -x", std::make_unique<Auto>(Vec3{1.5, 0, -2}, Vec3{-12, 0, -2}, 10000), 0.2});
    cases.push_back({"car to +x", std::make_unique<Auto>(Vec3{1.5, 0, -2}, Vec3{12, 0, -2}, 10000), 0.2});
    cases.push_back({"train", std::make_unique<Tren>(Vec3{1, 0, -2}, Vec3{-15, 0, -2}), 0.45});
    cases.push_back({"tree", std::make_unique<Arbol>(2, 0, -2), 0.5});
    cases.push_back({"coin", std::make_unique<Moneda>(2, 0, -2), 0.45});
    for (Case& c : cases) {
        field->objects.clear();
        const Object& o = *c.object;
        field->addObject(std::move(c.object));
        const Image img = frame();
        const Pollo& eye = field->player;
        // The box's middle, and its ends along the row, are covered...
        for (double fx : {0.0, -0.8, 0.8}) {
            const Point at = project(ViewTop, eye, {o.position.x + fx * o.halfExtent.x, c.middle, o.position.z});
            EXPECT_FALSE(background(img.pixel(int(at.x), int(at.y)))) << c.what << " not drawn at " << fx;
        }
        // ...and nothing lies beyond its far end, on the ground.
        const Point beyond = project(ViewTop, eye, {o.position.x - o.halfExtent.x - 0.4, 0, o.position.z});
        EXPECT_TRUE(background(img.pixel(int(beyond.x), int(beyond.y)))) << c.what << " drawn beyond its box";
    }
    // The chicken over its own box.
    field->objects.clear();
    const Image img = frame();
    const Point at = project(ViewTop, field->player, {0, 0.45, 0});
    EXPECT_FALSE(background(img.pixel(int(at.x), int(at.y))));
}

TEST_F(CoopdashGL, ADeathShowsForAMomentBeforeTheNewField) {
    game->setPaused(false);
    field->objects.clear();
    const Image alive = frame();
    const Rect band{300, 115, 600, 80};
    const auto yellow = [](Color c) { return c.r > 200 && c.g > 190 && c.b < 170; };
    const int before = count(alive, band, yellow);  // flowers in the grass
    // A car on the chicken.
    field->addObject(std::make_unique<Auto>(Vec3{0.3, 0, 0}, Vec3{-12, 0, 0}, 100000));
    game->update(16);
    ASSERT_TRUE(field->dead);
    const Image hit = frame();
    EXPECT_GT(count(hit, band, yellow), before + 400) << "no words say what happened";
    EXPECT_GT(hit.pixel(200, 600).r, alive.pixel(200, 600).r + 25) << "no red flash";
    EXPECT_LT(count(hit, kCentre, whiteish), count(alive, kCentre, whiteish) / 2) << "the chicken still stands";
    // Still showing later in the moment; gone once it has passed.
    game->update(Playfield::kDeathPause / 2);
    EXPECT_GT(count(frame(), band, yellow), before + 400);
    for (int i = 0; i < 60 && field->dead; ++i) game->update(16);
    EXPECT_FALSE(field->dead);
    EXPECT_LT(count(frame(), band, yellow), before + 50);
}

// What lies wholly past the fog's end is drawn as its bare shape in the
// fog's colour: the picture is the one the whole models give, on a busy
// field, at several headings, filled and in wire frame, in every light.
TEST_F(CoopdashGL, ThingsPastTheFogLookAsWhenDrawnWhole) {
    Playfield busy(cdtest::seeded(11));
    busy.displayLists = models->lists;
    busy.silhouetteLists = models->silhouettes;
    busy.roadTexture = models->roadTexture;
    busy.generate();
    for (int i = 0; i < 40; ++i) busy.update(50, 50);  // the vehicles under way
    const auto draw = [&](bool cut, double heading, bool wire, int light) {
        busy.modelBoxes = cut ? models->boxes : std::array<ModelBox, KindCount>{};
        busy.player.heading = heading;
        return fieldFrame(busy, ViewFirstPerson, wire, light, [&] { drawField(busy, ViewFirstPerson, false); });
    };
    for (double heading : {0.0, 25.0, -40.0, 90.0})
        for (bool wire : {false, true})
            for (int light : {0, 3, 8}) {
                SCOPED_TRACE(testing::Message() << "heading " << heading << (wire ? " wire" : "") << " light " << light);
                const Image whole = draw(false, heading, wire, light);
                const Image cut = draw(true, heading, wire, light);
                EXPECT_LE(cut.countDiff(whole, {}, 2), 20);
                // The far field is in the picture: the fog's grey.
                EXPECT_GT(count(whole, kWhole, fogGrey), wire ? 500 : 20000);
            }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Every model compiled as one batch (materials changing inside it) looks as
// it did with one glBegin a mesh, lit, textured and in wire frame.
TEST_F(CoopdashGL, OneBatchAModelLooksAsOneAMesh) {
    const auto perMesh = [](const std::vector<Mesh>& meshes) {
        const GLuint list = glGenLists(1);
        glNewList(list, GL_COMPILE);
        for (const Mesh& m : meshes) {
            const GLfloat ka[4] = {m.material.Ka[0], m.material.Ka[1], m.material.Ka[2], 1};
            const GLfloat kd[4] = {m.material.Kd[0], m.material.Kd[1], m.material.Kd[2], 1};
            const GLfloat ks[4] = {m.material.Ks[0], m.material.Ks[1], m.material.Ks[2], 1};
            glMaterialfv(GL_FRONT, GL_AMBIENT, ka);
            glMaterialfv(GL_FRONT, GL_DIFFUSE, kd);
            glMaterialfv(GL_FRONT, GL_SPECULAR, ks);
            glMaterialf(GL_FRONT, GL_SHININESS, std::clamp(m.material.Ns, 0.f, 128.f));
            glBegin(GL_TRIANGLES);
            for (unsigned i : m.indices) {
                if (i >= m.vertices.size()) continue;
                glTexCoord2fv(m.vertices[i].textureCoordinate);
                glNormal3fv(m.vertices[i].normal);
                glVertex3fv(m.vertices[i].position);
            }
            glEnd();
        }
        glEndList();
        return list;
    };
    testing::internal::CaptureStdout();
    for (int k = 0; k < KindCount; ++k) {
        SCOPED_TRACE(kModelFiles[std::size_t(k)]);
        const std::vector<Mesh> meshes = readModel(std::string(kModelDir) + kModelFiles[std::size_t(k)]);
        const unsigned lists[2] = {perMesh(meshes), compileModel(meshes)};
        Image shown[2];
        for (bool wire : {false, true}) {
            for (int i = 0; i < 2; ++i) {
                Object o(k, "", {0, 0, 0});
                o.displayList = lists[i];
                if (k == KindCalle) o.textureName = "calle.png", o.texture = models->roadTexture;
                o.heading = 30;
                glViewport(0, 0, kLayoutWidth, kLayoutHeight);
                glMatrixMode(GL_PROJECTION);
                glLoadIdentity();
                gluPerspective(60, double(kLayoutWidth) / kLayoutHeight, 0.1, 100);
                glMatrixMode(GL_MODELVIEW);
                glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                glLoadIdentity();
                gluLookAt(3, 3, 6, 0, 0.5, 0, 0, 1, 0);
                glEnable(GL_LIGHTING);
                glEnable(GL_LIGHT0);
                applyLight(1);
                glPolygonMode(GL_FRONT_AND_BACK, wire ? GL_LINE : GL_FILL);
                drawObject(o, false);
                glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
                glDisable(GL_LIGHTING);
                shown[i] = readFramebuffer();
            }
            EXPECT_LE(shown[1].countDiff(shown[0], {}, 2), 10) << (wire ? "wire frame" : "filled");
        }
        glDeleteLists(lists[0], 1);
        glDeleteLists(lists[1], 1);
    }
    testing::internal::GetCapturedStdout();
}

// The field drawn with faces turned away left out and the ground last looks
// as every face of every thing drawn in list order (ground first) does, but
// for a few pixels along edges, in both views, filled and in wire frame.
TEST_F(CoopdashGL, TheFieldLooksAsWhenEveryFaceIsDrawnGroundFirst) {
    Playfield busy(cdtest::seeded(11));
    busy.displayLists = models->lists;
    busy.roadTexture = models->roadTexture;
    busy.generate();
    for (int i = 0; i < 40; ++i) busy.update(50, 50);  // the vehicles under way
    ASSERT_GT(busy.objects.size(), 10u);
    const auto draw = [&](bool naive, int view, bool wire, int light) {
        return fieldFrame(busy, view, wire, light, [&] {
            if (naive) {
                for (const auto& r : busy.rows) drawObject(*r, false);
                for (const auto& o : busy.objects) drawObject(*o, false);
                if (view == ViewTop) drawObject(busy.player, false);
                drawObject(busy.ghost, false);
            } else {
                drawField(busy, view, false);
            }
            EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
        });
    };
    // The ghost line passes over the field without hiding it.
    busy.chaseZ = busy.player.position.z + 30;
    for (int view : {ViewTop, ViewFirstPerson})
        for (double heading : {0.0, 35.0})
            for (bool wire : {false, true})
                for (int light : {0, 8}) {
                    SCOPED_TRACE(testing::Message() << "view " << view << " heading " << heading
                                                    << (wire ? " wire" : "") << " light " << light);
                    busy.player.heading = heading;
                    const Image naive = draw(true, view, wire, light);
                    const Image shown = draw(false, view, wire, light);
                    EXPECT_LE(shown.countDiff(naive, {}, 2), 30);
                }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
