// Drawing the two kinds of row.
#include <GL/gl.h>

#include <cmath>

#include "draw.h"
#include "street.h"

namespace birdhop {

void AutoGenerator::emitSurface() const {
    const double x0 = origin.x, z = origin.z, y = origin.y;
    const double L = towardMinusX ? -length : length;
    const double T = std::ceil(L * 0.25);  // 11, or -10 toward -x
    glTexCoord2d(0, 0), glVertex3d(x0, y, z - 1);
    glTexCoord2d(0, T), glVertex3d(x0 + L, y, z - 1);
    glTexCoord2d(1, T), glVertex3d(x0 + L, y, z + 1);
    glTexCoord2d(1, 0), glVertex3d(x0, y, z + 1);
}

void AutoGenerator::draw(bool textures) const {
    glPushMatrix();
    surface(roadTexture, textures, kRoadColour);
    glBegin(GL_QUADS);
    emitSurface();
    glEnd();
    endSurface(textures);
    for (const auto& car : objects) drawBody(*car, textures);
    glPopMatrix();
}

void Forest::emitSurface() const {
    const double z = origin.z;
    glTexCoord2d(3, (z - 1) / 15), glVertex3d(21, 0, z - 1);
    glTexCoord2d(0, (z - 1) / 15), glVertex3d(-21, 0, z - 1);
    glTexCoord2d(0, (z + 1) / 15), glVertex3d(-21, 0, z + 1);
    glTexCoord2d(3, (z + 1) / 15), glVertex3d(21, 0, z + 1);
}

void Forest::draw(bool textures) const {
    surface(grassTexture, textures, kGrassColour);
    glBegin(GL_QUADS);
    emitSurface();
    glEnd();
    endSurface(textures);
    for (const auto& tree : objects) drawBody(*tree, textures);
}

}  // namespace birdhop
