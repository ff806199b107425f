// Drawing of the toolkit's frames: textured quads from the atlas in the
// screens' bottom-up pixel projection, and their texts.
#include <GL/gl.h>

#include "texto.h"
#include "toolkit.h"

namespace coopdash {

namespace {

void atlasQuad(const Frame& f) {
    const double x0 = f.centreX - f.halfWidth, x1 = f.centreX + f.halfWidth;
    const double y0 = f.centreY - f.halfHeight, y1 = f.centreY + f.halfHeight;
    const double corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    glBindTexture(GL_TEXTURE_2D, f.atlas);
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2d(f.atlasRegion[std::size_t(i)][0], f.atlasRegion[std::size_t(i)][1]);
        glVertex2d(corners[i][0], corners[i][1]);
    }
    glEnd();
}

}  // namespace

void Frame::draw(Texto*) const {
    if (visible) atlasQuad(*this);
}

void Button::draw(Texto* text) const {
    if (!visible) return;
    glColor3f(colour[0], colour[1], colour[2]);
    atlasQuad(*this);
    glColor3f(1, 1, 1);
    if (text) {
        static const unsigned char white[3] = {255, 255, 255};
        text->draw(this->text, centreX, screenHeight - centreY - 2, 20, white, Align::Centre);
    }
}

void Label::draw(Texto* text) const {
    if (!visible) return;
    if (framed) {
        glColor3f(0.75f, 0.8f, 0.95f);
        atlasQuad(*this);
        glColor3f(1, 1, 1);
    }
    if (text) text->draw(this->text, centreX, screenHeight - centreY, fontSize, textColour.data(), Align::Centre);
}

void Window::draw(Texto* text) const {
    if (!visible) return;
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_POLYGON_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    atlasQuad(*this);
    for (const auto& f : frames) {
        glEnable(GL_TEXTURE_2D);
        f->draw(text);
    }
    glDisable(GL_TEXTURE_2D);
    const auto order = navigable();
    if (highlight >= 0 && highlight < int(order.size())) {
        // The highlighted button: a thick yellow ring just outside it.
        const Button& b = *order[std::size_t(highlight)];
        const double x0 = b.centreX - b.halfWidth - 6, x1 = b.centreX + b.halfWidth + 6;
        const double y0 = b.centreY - b.halfHeight - 6, y1 = b.centreY + b.halfHeight + 6;
        glColor3f(1.f, 0.85f, 0.1f);
        glRectd(x0, y0, x1, y0 + 4);
        glRectd(x0, y1 - 4, x1, y1);
        glRectd(x0, y0, x0 + 4, y1);
        glRectd(x1 - 4, y0, x1, y1);
    }
    glPopAttrib();
}

void ScreenSet::drawCurrent(Texto* text) const { current->draw(text); }

}  // namespace coopdash
