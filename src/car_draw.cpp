// The car: a red body and cabin with a black outline, dark windows, black
// wheels and a translucent shadow.
#include <GL/gl.h>

#include "car.h"
#include "drawing.h"
#include "mainloop.h"

namespace lanehop {

void Car::draw() {
    glPushMatrix();
    glScalef(1, bobScale(position.x), 1);
    const auto& body = hitBoxes[0];
    const bool wire = ml->getWireframe();
    ml->setWireframe(true);
    glLineWidth(2.5f);
    glColor3f(0, 0, 0);
    hop::drawCuboid(body.first, body.second);
    ml->setWireframe(wire);
    glColor3f(0.65f, 0, 0);
    hop::drawCuboid(hitBoxes[0].first, hitBoxes[0].second);
    hop::drawCuboid(hitBoxes[1].first, hitBoxes[1].second);
    // Dark windows standing a hair proud of the cabin's sides.
    glColor3f(0.12f, 0.16f, 0.22f);
    const Vector3 cabin = hitBoxes[1].first, size = hitBoxes[1].second;
    hop::drawCuboid(cabin + Vector3(0.08f, 0.06f, -0.01f), Vector3(size.x - 0.16f, size.y - 0.14f, size.z + 0.02f));
    hop::drawCuboid(cabin + Vector3(-0.01f, 0.06f, 0.08f), Vector3(size.x + 0.02f, size.y - 0.14f, size.z - 0.16f));
    glColor3f(0.05f, 0.05f, 0.05f);
    for (std::size_t i = 2; i < hitBoxes.size(); ++i) hop::drawCuboid(hitBoxes[i].first, hitBoxes[i].second);
    glPopMatrix();
}

void Car::drawBlend() {
    glPushMatrix();
    hop::glTranslateVector3(position);
    hop::glColorColor(hop::Color(0, 0, 0, 0.5f));
    const auto& body = hitBoxes[0];
    hop::drawCuboid(Vector3(body.first.x, 0.01f, body.first.z), Vector3(body.second.x, 0, body.second.z));
    glPopMatrix();
}

}  // namespace lanehop
