#include "draw.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "camera.h"
#include "model.h"

namespace birdhop {

void surface(unsigned texture, bool textures, SurfaceColour c) {
    if (textures) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glColor3f(1, 1, 1);
    } else {
        glColor3f(c.r, c.g, c.b);
    }
}

void endSurface(bool textures) {
    if (textures) {
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }
    glColor3f(1, 1, 1);
}

namespace {

void place(const Body& b) {
    glTranslated(b.position.x, b.position.y, b.position.z);
    glRotated(b.rotation.x, 1, 0, 0);
    glRotated(b.rotation.z, 0, 0, 1);
    glRotated(std::fmod(b.rotation.y, 360.0), 0, 1, 0);
    glScaled(b.scale.x, b.scale.y, b.scale.z);
}

void beginModel(const BirdModel& m, bool textures) {
    if (textures) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, m.texture);
    }
    glEnable(GL_LIGHTING);
    // Scaled bodies (the cars, a squashed bird) keep unit normals for lighting.
    glEnable(GL_NORMALIZE);
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    if (cullModelBackFaces && polygonMode[0] == GL_FILL) glEnable(GL_CULL_FACE);
}

// A mirroring scale turns the faces' winding round.
void frontFaceFor(const Body& b) {
    const int negative = (b.scale.x < 0) + (b.scale.y < 0) + (b.scale.z < 0);
    glFrontFace(negative % 2 ? GL_CW : GL_CCW);
}

void emitModel(const BirdModel& m, bool textures) {
    if (m.vertexCount != BirdModel::kNoArrays && !m.displayList) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glVertexPointer(3, GL_DOUBLE, 0, m.positions.data());
        glNormalPointer(GL_DOUBLE, 0, m.normals.data());
        glTexCoordPointer(2, GL_DOUBLE, 0, m.texcoords.data());
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(m.vertexCount));
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    } else {
        // The tree's list binds its own texture: keep it plain when textures are off.
        if (!textures) glDisable(GL_TEXTURE_2D);
        glCallList(m.displayList);
    }
}

void endModel() {
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glDisable(GL_NORMALIZE);
    glDisable(GL_LIGHTING);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

}  // namespace

void drawBody(const Body& b, bool textures) {
    const BirdModel* m = b.model;
    if (!m) return;
    glPushMatrix();
    place(b);
    beginModel(*m, textures);
    frontFaceFor(b);
    emitModel(*m, textures);
    endModel();
    glPopMatrix();
}

void drawBodies(const std::vector<const Body*>& bodies, bool textures) {
    if (bodies.empty() || !bodies.front()->model) return;
    const BirdModel& m = *bodies.front()->model;
    beginModel(m, textures);
    for (const Body* b : bodies) {
        glPushMatrix();
        place(*b);
        frontFaceFor(*b);
        emitModel(m, textures);
        glPopMatrix();
    }
    endModel();
}

bool bodyInView(const double clip[16], const Body& b) {
    if (!b.model) return false;
    const ModelBounds& d = b.model->drawn;
    constexpr double kPi = 3.14159265358979323846;
    const auto turn = [&](double deg, double& u, double& v) {  // (u, v) turned by deg, counter-clockwise
        const double a = deg * kPi / 180, c = std::cos(a), s = std::sin(a), nu = c * u - s * v;
        v = s * u + c * v;
        u = nu;
    };
    Vec3d lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    for (int i = 0; i < 8; ++i) {
        // The same order as place(): scale, yaw about y, roll about z, then about x.
        double x = (i & 1 ? d.maxX : d.minX) * b.scale.x, y = (i & 2 ? d.maxY : d.minY) * b.scale.y,
               z = (i & 4 ? d.maxZ : d.minZ) * b.scale.z;
        turn(std::fmod(b.rotation.y, 360.0), z, x);
        turn(b.rotation.z, x, y);
        turn(b.rotation.x, y, z);
        x += b.position.x, y += b.position.y, z += b.position.z;
        lo = {std::min(lo.x, x), std::min(lo.y, y), std::min(lo.z, z)};
        hi = {std::max(hi.x, x), std::max(hi.y, y), std::max(hi.z, z)};
    }
    return boxVisible(clip, lo, hi);
}

namespace {

void emitCube(const Cube& c) {
    const Vec3d& p = c.body.position;
    const double x0 = p.x - c.half[0], x1 = p.x + c.half[0];
    const double y0 = p.y - c.half[1], y1 = p.y + c.half[1];
    const double z0 = p.z - c.half[2], z1 = p.z + c.half[2];
    glVertex3d(x0, y0, z1), glVertex3d(x1, y0, z1), glVertex3d(x1, y1, z1), glVertex3d(x0, y1, z1);
    glVertex3d(x1, y0, z0), glVertex3d(x0, y0, z0), glVertex3d(x0, y1, z0), glVertex3d(x1, y1, z0);
    glVertex3d(x0, y0, z0), glVertex3d(x0, y0, z1), glVertex3d(x0, y1, z1), glVertex3d(x0, y1, z0);
    glVertex3d(x1, y0, z1), glVertex3d(x1, y0, z0), glVertex3d(x1, y1, z0), glVertex3d(x1, y1, z1);
    glVertex3d(x0, y1, z1), glVertex3d(x1, y1, z1), glVertex3d(x1, y1, z0), glVertex3d(x0, y1, z0);
    glVertex3d(x0, y0, z0), glVertex3d(x1, y0, z0), glVertex3d(x1, y0, z1), glVertex3d(x0, y0, z1);
}

}  // namespace

void drawCube(const Cube& c) {
    glColor3f(1, 0, 0);
    glBegin(GL_QUADS);
    emitCube(c);
    glEnd();
    glColor3f(1, 1, 1);
}

void drawBurst(const ParticleBurst& burst) {
    glColor3f(1, 0, 0);
    glBegin(GL_QUADS);
    for (const Cube& c : burst.cubes) emitCube(c);
    glEnd();
    glColor3f(1, 1, 1);
}

void drawGround(double birdZ, unsigned grassTexture, bool textures) {
    const double far = birdZ + 100;
    surface(grassTexture, textures, kGrassColour);
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0), glVertex3d(-9, -0.1, -2);
    glTexCoord2d(1, 0), glVertex3d(9, -0.1, -2);
    glTexCoord2d(1, 5 * far / 100), glVertex3d(9, -0.1, far);
    glTexCoord2d(0, 5 * far / 100), glVertex3d(-9, -0.1, far);
    glEnd();
    endSurface(textures);
    glColor3f(0.5f, 0.5f, 0.5f);
    glBegin(GL_QUADS);
    glVertex3d(-100, -0.2, -far), glVertex3d(100, -0.2, -far), glVertex3d(100, -0.2, far), glVertex3d(-100, -0.2, far);
    glEnd();
    glColor3f(1, 1, 1);
}

void setLights(const RenderFlags& f, const Vec3d& d) {
    const GLfloat black1[] = {0, 0, 0, 1}, black0[] = {0, 0, 0, 0}, white[] = {1, 1, 1, 1};
    const GLfloat colour[] = {f.red ? 1.f : 0.f, f.green ? 1.f : 0.f, f.blue ? 1.f : 0.f, 1};
    const GLfloat dir[] = {GLfloat(d.x), GLfloat(d.y), GLfloat(d.z), 0};
    const GLfloat back[] = {GLfloat(-d.x), GLfloat(-d.y), GLfloat(-d.z), 0};
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black1);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, colour);
    glLightfv(GL_LIGHT0, GL_POSITION, dir);
    glEnable(GL_LIGHT1);
    glLightfv(GL_LIGHT1, GL_AMBIENT, black0);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, colour);
    glLightfv(GL_LIGHT1, GL_POSITION, back);
    glEnable(GL_LIGHT2);
    glLightfv(GL_LIGHT2, GL_AMBIENT, black1);
    glLightfv(GL_LIGHT2, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT2, GL_POSITION, dir);
}

}  // namespace birdhop
