#include "draw.h"

#include <GL/gl.h>

#include <cmath>

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

void drawBody(const Body& b, bool textures) {
    const BirdModel* m = b.model;
    if (!m) return;
    glPushMatrix();
    glTranslated(b.position.x, b.position.y, b.position.z);
    glRotated(b.rotation.x, 1, 0, 0);
    glRotated(b.rotation.z, 0, 0, 1);
    glRotated(std::fmod(b.rotation.y, 360.0), 0, 1, 0);
    glScaled(b.scale.x, b.scale.y, b.scale.z);
    if (textures) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, m->texture);
    }
    glEnable(GL_LIGHTING);
    // Scaled bodies (the cars, a squashed bird) keep unit normals for lighting.
    glEnable(GL_NORMALIZE);
    if (m->vertexCount != BirdModel::kNoArrays) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glVertexPointer(3, GL_DOUBLE, 0, m->positions.data());
        glNormalPointer(GL_DOUBLE, 0, m->normals.data());
        glTexCoordPointer(2, GL_DOUBLE, 0, m->texcoords.data());
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(m->vertexCount));
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    } else {
        // The tree's list binds its own texture: keep it plain when textures are off.
        if (!textures) glDisable(GL_TEXTURE_2D);
        glCallList(m->displayList);
    }
    glDisable(GL_NORMALIZE);
    glDisable(GL_LIGHTING);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

void drawCube(const Cube& c) {
    const Vec3d& p = c.body.position;
    const double x0 = p.x - c.half[0], x1 = p.x + c.half[0];
    const double y0 = p.y - c.half[1], y1 = p.y + c.half[1];
    const double z0 = p.z - c.half[2], z1 = p.z + c.half[2];
    glColor3f(1, 0, 0);
    glBegin(GL_QUADS);
    glVertex3d(x0, y0, z1), glVertex3d(x1, y0, z1), glVertex3d(x1, y1, z1), glVertex3d(x0, y1, z1);
    glVertex3d(x1, y0, z0), glVertex3d(x0, y0, z0), glVertex3d(x0, y1, z0), glVertex3d(x1, y1, z0);
    glVertex3d(x0, y0, z0), glVertex3d(x0, y0, z1), glVertex3d(x0, y1, z1), glVertex3d(x0, y1, z0);
    glVertex3d(x1, y0, z1), glVertex3d(x1, y0, z0), glVertex3d(x1, y1, z0), glVertex3d(x1, y1, z1);
    glVertex3d(x0, y1, z1), glVertex3d(x1, y1, z1), glVertex3d(x1, y1, z0), glVertex3d(x0, y1, z0);
    glVertex3d(x0, y0, z0), glVertex3d(x1, y0, z0), glVertex3d(x1, y0, z1), glVertex3d(x0, y0, z1);
    glEnd();
    glColor3f(1, 1, 1);
}

void drawBurst(const ParticleBurst& burst) {
    for (const Cube& c : burst.cubes) drawCube(c);
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
