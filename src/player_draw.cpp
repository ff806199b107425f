// The chicken model of boxes, its blood stain and its shadow.
#include <GL/gl.h>

#include <cmath>

#include "camera.h"
#include "drawing.h"
#include "mainloop.h"
#include "player.h"
#include "world.h"

namespace lanehop {

using hop::Color;
using hop::drawCuboid;

namespace {
void box(const Color& c, const Vector3& origin, const Vector3& size) {
    hop::glColorColor(c);
    drawCuboid(origin, size);
}
}  // namespace

void Player::drawChicken() {
    const Color white(1, 1, 1), wing(0.88f, 0.88f, 0.9f), red(0.917f, 0.223f, 0.223f), orange(1, 0.635f, 0.16f),
        black(0.05f, 0.05f, 0.05f);
    const float x = dX.x, y = dY.y, z = dZ.z;
    // Faces -Z. The origin is lifted 2.2 dY above the feet by the caller:
    // short legs, a plump body around the origin, the head over its front.
    const float feet = -2.2f * y, belly = -1.2f * y;
    for (float side : {-1.f, 1.f}) {
        box(orange, Vector3(side * 0.25f * x - 0.1f * x, feet, -0.05f * z), Vector3(0.2f * x, belly - feet, 0.1f * z));
        box(orange, Vector3(side * 0.25f * x - 0.15f * x, feet, -0.35f * z), Vector3(0.3f * x, 0.1f * y, 0.4f * z));
        box(wing, Vector3(side > 0 ? 0.6f * x : -0.7f * x, belly + 0.4f * y, -0.3f * z), Vector3(0.1f * x, 1.0f * y, 0.7f * z));
        box(black, Vector3(side > 0 ? 0.45f * x : -0.5f * x, 1.6f * y, -0.45f * z), Vector3(0.05f * x, 0.2f * y, 0.1f * z));
    }
    box(white, Vector3(-0.6f * x, belly, -0.5f * z), Vector3(1.2f * x, 1.9f * y, z));
    box(white, Vector3(-0.4f * x, belly + 1.1f * y, 0.5f * z), Vector3(0.8f * x, 0.8f * y, 0.2f * z));  // tail
    box(white, Vector3(-0.45f * x, 0.7f * y, -0.5f * z), Vector3(0.9f * x, 1.3f * y, 0.45f * z));       // head
    box(red, Vector3(-0.15f * x, 2.0f * y, -0.45f * z), Vector3(0.3f * x, 0.35f * y, 0.35f * z));        // comb
    box(orange, Vector3(-0.2f * x, 1.3f * y, -0.75f * z), Vector3(0.4f * x, 0.25f * y, 0.25f * z));      // beak
    box(red, Vector3(-0.12f * x, 0.85f * y, -0.6f * z), Vector3(0.24f * x, 0.45f * y, 0.12f * z));       // wattle
}

void Player::draw() {
    World* w = world;
    const bool lit = ml->getLighting();
    if (w->getCurrentLight() == World::kLanternLight) ml->setLighting(false);
    glPushMatrix();
    hop::glTranslateVector3(liftVector());
    glRotatef(facingDegrees(), 0, 1, 0);
    if (playerState == FLAT) {
        glPushMatrix();
        glTranslatef(0, -liftVector().y + 0.005f, 0);
        glRotatef(30, 0, 1, 0);
        hop::glScaleVector3(bloodScale);
        box(Color(0.36f, 0, 0.023f), Vector3(-0.25f, 0, -0.25f), Vector3(0.5f, 0.1f, 0.5f));
        glPopMatrix();
        hop::glScaleVector3(flatScale);
    }
    drawChicken();
    glPopMatrix();
    ml->setLighting(lit);
    coupleCamera();
}

void Player::drawBlend() {
    if (playerState == FLAT) return;
    const float s = 1 / std::sqrt(std::max(0.f, position.y) + 1);
    const float ground = floorY > -50 ? floorY : position.y;
    glPushMatrix();
    glTranslatef(position.x, ground + 0.01f, position.z);
    glRotatef(facingDegrees(), 0, 1, 0);
    glScalef(s, 1, s);
    hop::glColorColor(Color(0, 0, 0, 0.5f));
    drawCuboid(Vector3(-0.6f * dX.x, 0, -0.6f * dZ.z), Vector3(1.2f * dX.x, 0, 1.2f * dZ.z));
    glPopMatrix();
}

}  // namespace lanehop
