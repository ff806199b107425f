#include "object.h"

#include <GL/gl.h>

#include "drawing.h"

namespace hop {

void Object::drawBase() {
    glPushMatrix();
    glTranslateVector3(position);
    glRotateVector3(rotation);
    glScaleVector3(scale);
    draw();
    glPopMatrix();
}

}  // namespace hop
