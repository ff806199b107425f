// Everything the game draws: the two views, the lights, the scene and the
// overlay of each state.
#include <GL/gl.h>
#include <GL/glu.h>

#include "assets.h"
#include "game.h"
#include "hud.h"

namespace pigeonrun {

namespace {

constexpr float kSky[4] = {0.3f, 0.5f, 1.0f, 1.0f};
constexpr double kFixedReach = 2;
constexpr float kFogStart = 20, kFogEnd = 40;
// The world repeats every 36 units (three tiles) both ways: the block is
// drawn again on every side of itself, so the roads run on out of sight
// and no view shows the sky past the last tile.
constexpr double kBlock = 36;

struct Rect {
    float x0, x1, y0, y1;
};
// Overlay places, x from -640 (left) to 0, y from -480 (bottom) to 0.
constexpr Rect kLogo{-570, -70, -268.5f, -211.5f};
constexpr Rect kPressEnter{-445, -195, -305.5f, -288.5f};
constexpr Rect kPause{-384, -256, -304, -176};
constexpr Rect kGameOver{-570, -70, -268.5f, -210.5f};
constexpr Rect kCoinIcon{-42, -10, -79, -47};
constexpr float kScoreUnitsX = -43, kScoreY0 = -42, kScoreY1 = -9;
constexpr float kCoinsUnitsX = -80, kCoinsY0 = -79, kCoinsY1 = -46;
// The best score's line, under "press Enter" on the title and game over.
constexpr float kRecordY0 = -363;

void quad(unsigned tex, const Rect& r) {
    glBindTexture(GL_TEXTURE_2D, tex);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2f(r.x0, r.y0);
    glTexCoord2f(1, 0), glVertex2f(r.x1, r.y0);
    glTexCoord2f(1, 1), glVertex2f(r.x1, r.y1);
    glTexCoord2f(0, 1), glVertex2f(r.x0, r.y1);
    glEnd();
}

void digits(const Assets& a, int value, float unitsX, float y0, float y1) {
    for (const DigitQuad& d : digitQuads(value, unitsX, y0, y1))
        quad(a.digits[std::size_t(d.digit)], Rect{d.x0, d.x1, d.y0, d.y1});
}

// "RÉCORD" and the best score: white block letters over a shadow in the
// colour of the images' own outlines, then the digit images.
void recordLine(const Assets& a, long long best) {
    const RecordLine line = pigeonrun::recordLine(best, kRecordY0);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    for (float shadow : {2.f, 0.f}) {
        if (shadow > 0)
            glColor3ub(40, 30, 60);
        else
            glColor3f(1, 1, 1);
        for (const BlockCell& c : line.word) {
            glVertex2f(c.x0 + shadow, c.y0 - shadow);
            glVertex2f(c.x1 + shadow, c.y0 - shadow);
            glVertex2f(c.x1 + shadow, c.y1 - shadow);
            glVertex2f(c.x0 + shadow, c.y1 - shadow);
        }
    }
    glEnd();
    glEnable(GL_TEXTURE_2D);
    for (const DigitQuad& d : line.digits) quad(a.digits[std::size_t(d.digit)], Rect{d.x0, d.x1, d.y0, d.y1});
}

void groundQuad(const GroundQuad& q) {
    static const float kUv[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    glNormal3f(0, 1, 0);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2fv(kUv[i]);
        glVertex3dv(q.corners[std::size_t(i)].data());
    }
}

void orbitLight(GLenum light, double angle, const float diffuse[4], GLUquadric* sphere) {
    static const float kAt[4] = {0, 0, 0, 1};
    glPushMatrix();
    glRotated(angle, 1, 0, 1);
    glTranslated(0, 20, 0);
    gluSphere(sphere, 0.1, 10, 10);
    glEnable(light);
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightfv(light, GL_POSITION, kAt);
    glPopMatrix();
}

}  // namespace

void Game::setProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (camera.fixedView) {
        // Twice the reach of the original box: a car just starting its sweep
        // along the lane next to the pigeon is already in sight.
        const double k = kFixedReach;
        glOrtho(-6.5 * k, 6.5 * k, -5 * k, 5 * k, 10 * k, -10 * k);
        glRotated(camera.angles[1], 0, 1, 0);
        glRotated(camera.angles[0], 1, 0, 0);
        glRotated(camera.angles[2], 0, 0, 1);
        // Fog belongs to the free view: it would grey the far tiles of this one.
        glDisable(GL_FOG);
    } else {
        gluPerspective(45, 1.3333334, 0.1, 100);
        camera.updateEye();
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogfv(GL_FOG_COLOR, kSky);
        glFogf(GL_FOG_DENSITY, 0.01f);
        // Far enough that a car beside the pigeon is never hidden, even from
        // the farthest eye: a car is seen from the start of its sweep.
        glFogf(GL_FOG_START, camera.distance + kFogStart);
        glFogf(GL_FOG_END, camera.distance + kFogEnd);
        glHint(GL_FOG_HINT, GL_NICEST);
        glEnable(GL_FOG);
    }
    glMatrixMode(GL_MODELVIEW);
    projectionDirty = false;
}

void Game::setLights() {
    static const float kAmbient[4] = {1, 1, 1, 0}, kNone[4] = {0, 0, 0, 0};
    static const float kSun[4] = {1, 0.9f, 0.5f, 0}, kMoon[4] = {0.2f, 0.2f, 1, 0};
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, kAmbient);
    // Light 0 only brightens: its position has no direction to shine from.
    glLightfv(GL_LIGHT0, GL_DIFFUSE, kNone);
    glLightfv(GL_LIGHT0, GL_SPECULAR, kNone);
    glLightfv(GL_LIGHT0, GL_POSITION, kNone);
    GLUquadric* sphere = gluNewQuadric();
    orbitLight(GL_LIGHT1, lightAngle, kSun, sphere);
    orbitLight(GL_LIGHT2, lightAngle + 180, kMoon, sphere);
    gluDeleteQuadric(sphere);
    glEnable(GL_LIGHTING);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
}

void Game::draw() {
    glViewport(0, 0, drawableWidth, drawableHeight);
    glClearColor(kSky[0], kSky[1], kSky[2], kSky[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    const int state = world.status.state;
    if (state == StatePlaying || state == StatePaused) drawScene();
    drawOverlay();
}

void Game::drawScene() {
    const Assets& a = *assets_;
    if (projectionDirty) setProjection();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (!camera.fixedView)
        gluLookAt(camera.eye[0], camera.eye[1], camera.eye[2], 0, 1, 0, 0, 1, 0);
    glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
    glShadeModel(smooth ? GL_SMOOTH : GL_FLAT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);  // the models are drawn scaled
    setLights();

    // The pigeon, at the origin: in the fixed view turned to its facing while
    // a hop lasts (not while paused); in the free view turned by its
    // heading, clockwise from above as the heading grows.
    const Pigeon& p = world.pigeon;
    glPushMatrix();
    if (camera.fixedView && p.hopping && world.status.state == StatePlaying) glRotated(p.angle, 0, 1, 0);
    glTranslated(0, world.hopHeight, 0);
    glScaled(0.4, 0.4, 0.4);
    if (!camera.fixedView) glRotated(-world.heading, 0, 1, 0);
    glCallList(a.pigeonList);
    glPopMatrix();

    // The cars, each in its own frame.
    for (auto [car, turn] : {std::pair{&world.car1, -90.0}, std::pair{&world.car2, 90.0}}) {
        glPushMatrix();
        glRotated(turn, 0, 1, 0);
        glTranslated(car->position.x, car->position.y, car->drawZ);
        glCallList(a.carList);
        glPopMatrix();
    }

    // Ground and coin move with the world.
    glPushMatrix();
    glTranslated(world.worldOffsetX, 0, world.worldOffsetZ);
    glColor3f(1, 1, 1);
    if (textures) glEnable(GL_TEXTURE_2D);
    for (int copy = 0; copy < 9; ++copy) {
        glPushMatrix();
        glTranslated((copy % 3 - 1) * kBlock, 0, (copy / 3 - 1) * kBlock);
        glBindTexture(GL_TEXTURE_2D, a.grass);
        glBegin(GL_QUADS);
        for (const GroundQuad& q : world.ground.tiles) groundQuad(q);
        glEnd();
        glBindTexture(GL_TEXTURE_2D, a.road);
        glBegin(GL_QUADS);
        for (const GroundQuad& q : world.ground.roads) groundQuad(q);
        glEnd();
        glPopMatrix();
    }
    glDisable(GL_TEXTURE_2D);

    glColor3f(1, 1, 0);
    glTranslated(world.coin.position.x, world.coin.position.y, world.coin.position.z);
    glScaled(0.05, 0.05, 0.05);
    glCallList(a.coinList);
    glPopMatrix();
}

void Game::drawOverlay() {
    const Assets& a = *assets_;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(-640, 0, -480, 0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // The overlay reads the same under every switch: textures, wireframe,
    // shading and fog act on the scene only.
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    const std::optional<long long> shownBest = best();
    switch (world.status.state) {
        case StateTitle:
            quad(a.logo, kLogo);
            quad(a.pressEnter, kPressEnter);
            if (shownBest) recordLine(a, *shownBest);
            break;
        case StatePlaying:
            digits(a, world.status.score, kScoreUnitsX, kScoreY0, kScoreY1);
            glColor3f(1, 1, 0);
            digits(a, world.status.coins, kCoinsUnitsX, kCoinsY0, kCoinsY1);
            glColor3f(1, 1, 1);
            quad(a.coinIcon, kCoinIcon);
            break;
        case StatePaused: quad(a.pause, kPause); break;
        case StateGameOver:
            quad(a.gameOver, kGameOver);
            quad(a.pressEnter, kPressEnter);
            if (shownBest) recordLine(a, *shownBest);
            break;
        default: break;
    }
    glPopAttrib();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

}  // namespace pigeonrun
