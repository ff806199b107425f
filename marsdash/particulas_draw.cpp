// Drawing of particle bursts and the meteor.
#include <GL/gl.h>

#include <algorithm>

#include "meteorito.h"
#include "modelo.h"
#include "particulas.h"

namespace marsdash {

namespace {

constexpr float kMedio = 0.5f;  // half-size of a particle cube

void cubo(float x, float y, float z) {
    const float a = x - kMedio, b = x + kMedio, c = y - kMedio, d = y + kMedio, e = z - kMedio, f = z + kMedio;
    glNormal3f(0, 1, 0);
    glVertex3f(a, d, e), glVertex3f(a, d, f), glVertex3f(b, d, f), glVertex3f(b, d, e);
    glNormal3f(0, -1, 0);
    glVertex3f(a, c, e), glVertex3f(b, c, e), glVertex3f(b, c, f), glVertex3f(a, c, f);
    glNormal3f(0, 0, 1);
    glVertex3f(a, c, f), glVertex3f(b, c, f), glVertex3f(b, d, f), glVertex3f(a, d, f);
    glNormal3f(0, 0, -1);
    glVertex3f(a, c, e), glVertex3f(a, d, e), glVertex3f(b, d, e), glVertex3f(b, c, e);
    glNormal3f(1, 0, 0);
    glVertex3f(b, c, e), glVertex3f(b, d, e), glVertex3f(b, d, f), glVertex3f(b, c, f);
    glNormal3f(-1, 0, 0);
    glVertex3f(a, c, e), glVertex3f(a, c, f), glVertex3f(a, d, f), glVertex3f(a, d, e);
}

}  // namespace

void Rafaga::draw() const {
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);  // translucent cubes do not hide each other
    glBegin(GL_QUADS);
    for (const Particula& p : particulas_) {
        if (p.life <= 0) continue;
        glColor4f(p.r, p.g, p.b, std::min(p.life, 1.0f));
        cubo(p.x, p.y, p.z);
    }
    glEnd();
    glPopAttrib();
}

void Meteorito::draw(const Modelo* modelo) const {
    if (cayendo_ && modelo) {
        glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
        glDisable(GL_TEXTURE_2D);
        glColor3f(0.42f, 0.3f, 0.24f);
        glPushMatrix();
        glTranslatef(x, y, z);
        glRotatef(y * 8, 1, 0.3f, 0);  // tumbles as it falls
        modelo->draw();
        glPopMatrix();
        // A glowing trail above the rock.
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glBegin(GL_QUADS);
        for (int i = 1; i <= 8; ++i) {
            const float t = float(i) / 8;
            glColor4f(0.99f, 0.45f * (1 - t) + 0.18f, 0.1f, 0.7f * (1 - t));
            cubo(x, y + 3.0f * float(i), z);
        }
        glEnd();
        glPopAttrib();
    }
    if (polvo_) polvo_->draw();
    if (fuego_) fuego_->draw();  // the flames show through the dust
}

}  // namespace marsdash
