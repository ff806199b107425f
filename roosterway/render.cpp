#include "render.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "models.h"
#include "world.h"

namespace roosterway {

namespace {

struct LightSetting {
    bool on;
    GLfloat position[4];
    GLfloat diffuse[4];
};

// Per light mode: GL_LIGHT0, then GL_LIGHT1.
const LightSetting kLights[4][2] = {
    {{true, {0, 1, 0, 0}, {1, 1, 1, 1}}, {true, {5, 10, 10, 1}, {1, 1, 1, 1}}},
    {{false, {}, {}}, {true, {5, 10, 10, 1}, {1, 0.75f, 0.5f, 1}}},
    {{true, {0, 1, 0, 0}, {0.05f, 0.05f, 1, 1}}, {true, {5, 100, 10, 1}, {0.05f, 0.05f, 1, 1}}},
    {{true, {0, 1, 0, 0}, {1, 1, 1, 1}}, {false, {}, {}}},
};

constexpr float kGroundLift = 0.3f;  // obstacles and cars stand on the rows' top
// A sphere round any tree, boulder or car, centred half a unit over its base.
constexpr float kModelRadius = 1.6f;
constexpr float kModelCentreY = kGroundLift + 0.5f;
// A car hits what lies within a column either side of x - 17 (the whole half
// of the 35 columns), while the field is laid from -17.5: the car model,
// centred on its origin, is drawn half a column on from x so that it covers
// the squares it hits.
constexpr float kCarShift = 0.5f;

// The view volume under the current matrices (the camera applied).
Frustum currentFrustum() {
    float projection[16], modelview[16], clip[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    multiply(projection, modelview, clip);
    return frustumFrom(clip);
}

}  // namespace

DrawShortcuts drawShortcuts;

void setupGL(int width, int height) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glClearColor(0, 0, 0, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, double(width) / double(height), 0.1, 100);
    glEnable(GL_DEPTH_TEST);
    // The rows are stretched and the chicken squashed: keep normals unit length.
    glEnable(GL_NORMALIZE);
    // Every model is a closed surface wound counter-clockwise: skip the
    // inside faces, half of what the software rasteriser would shade.
    glEnable(GL_CULL_FACE);
    glMatrixMode(GL_MODELVIEW);
}

void setupLights(int lightMode) {
    if (lightMode < 0 || lightMode > 3) lightMode = 0;
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    for (int i = 0; i < 2; ++i) {
        const LightSetting& l = kLights[lightMode][i];
        if (!l.on) continue;
        const GLenum light = i == 0 ? GL_LIGHT0 : GL_LIGHT1;
        glEnable(light);
        glLightfv(light, GL_POSITION, l.position);
        glLightfv(light, GL_DIFFUSE, l.diffuse);
    }
}

void applyCamera(const CameraPose& p) {
    gluLookAt(p.eye[0], p.eye[1], p.eye[2], p.centre[0], p.centre[1], p.centre[2], 0, 1, 0);
}

namespace {

void drawRows(const GameWorld& world, GLenum mode) {
    const bool topsOnly = drawShortcuts.rowTopsOnly && mode == GL_FILL;
    const std::size_t last = world.rowList.size() - 1;
    glPushMatrix();
    glRotatef(180, 0, 1, 0);
    glScalef(float(world.columns) / 25.f, 1, 1);
    for (std::size_t r = 0; r <= last; ++r) {
        const std::string& key = world.rowList[r].modelKey;
        if (topsOnly && r != 0 && r != last) drawModelTop(*world.models, key);
        else drawModel(*world.models, key, mode);
        glTranslatef(0, 0, 1);
    }
    glPopMatrix();
}

// Trees, boulders and cars, those wholly outside the view skipped: behind
// the camera, or far to the side, they are most of the field.
void drawModels(const GameWorld& world, const Frustum& view, GLenum mode) {
    const ModelLibrary& models = *world.models;
    const float half = float(world.columns) / 2.f;
    glPushMatrix();
    glTranslatef(-half, kGroundLift, 0);
    for (const ObstacleRecord& o : world.obstacleList) {
        if (!view.sphereVisible(float(o.column) - half + 0.5f, kModelCentreY, -float(o.row), kModelRadius)) continue;
        glPushMatrix();
        glTranslatef(float(o.column), 0, -float(o.row));
        glRotatef(90, 0, 1, 0);
        drawModel(models, o.modelKey, mode);
        glPopMatrix();
    }
    for (const CarRecord& car : world.carList) {
        if (!view.sphereVisible(car.x + kCarShift - half, kModelCentreY, -car.row, kModelRadius)) continue;
        glPushMatrix();
        glTranslatef(car.x + kCarShift, 0, -car.row);
        glRotatef(car.speed > 0 ? 90.f : -90.f, 0, 1, 0);
        drawModel(models, car.modelKey, mode);
        glPopMatrix();
    }
    glPopMatrix();
}

void drawChicken(const GameWorld& world, const ChickenPose& c, GLenum mode) {
    glPushMatrix();
    glTranslatef(c.x, c.height + 0.5f, c.z + kRowOffset);
    glRotatef(c.facing, 0, 1, 0);
    glScalef(1, c.scaleY, 1);
    drawModel(*world.models, "chicken", mode);
    glPopMatrix();
}

}  // namespace

void drawScene(const GameWorld& world, const ChickenPose& chicken, bool wireframe) {
    const GLenum mode = wireframe ? GL_LINE : GL_FILL;
    setupLights(world.lightMode);
    if (!world.models) return;
    const Frustum view = currentFrustum();
    const bool blended = glIsEnabled(GL_BLEND);
    if (drawShortcuts.opaqueScene) glDisable(GL_BLEND);

    if (drawShortcuts.modelsBeforeRows && !wireframe) {
        drawModels(world, view, mode);
        drawChicken(world, chicken, mode);
        glDepthFunc(GL_LEQUAL);
        drawRows(world, mode);
        glDepthFunc(GL_LESS);
    } else {
        drawRows(world, mode);
        drawModels(world, view, mode);
        drawChicken(world, chicken, mode);
    }

    if (blended) glEnable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

}  // namespace roosterway
