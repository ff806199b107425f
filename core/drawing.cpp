#include "drawing.h"

#include <GL/gl.h>

#include <algorithm>

#include "mainloop.h"

namespace hop {

bool fastDrawing = true;

void glTranslateVector3(const Vector3& v) { glTranslatef(v.x, v.y, v.z); }

void glRotateVector3(const Vector3& v) {
    glRotatef(v.x, 1, 0, 0);
    glRotatef(v.y, 0, 1, 0);
    glRotatef(v.z, 0, 0, 1);
}

void glScaleVector3(const Vector3& v) { glScalef(v.x, v.y, v.z); }

void glColorColor(const Color& c) { glColor4f(c.r, c.g, c.b, c.a); }

Color defaultColor(const Color& cTexDisabled, const Color& cTexEnabled, bool textureOn) {
    return textureOn ? cTexEnabled : cTexDisabled * 0.75f;
}

void setDefaultColor(const Color& cTexDisabled, const Color& cTexEnabled) {
    glColorColor(defaultColor(cTexDisabled, cTexEnabled, MainLoop::getInstance()->getTexture()));
}

CuboidFaces cuboidFaces(const Vector3& w) {
    CuboidFaces f;
    if (w.x != 0 && w.y != 0) {
        f.front = true;
        f.back = w.z != 0;
    }
    if (w.x != 0 && w.z != 0) {
        f.top = true;
        f.bottom = w.y != 0;
    }
    if (w.y != 0 && w.z != 0) {
        f.right = true;
        f.left = w.x != 0;
    }
    return f;
}

namespace {

float sign(float v) { return v < 0 ? -1.f : 1.f; }

// One face inside an open glBegin(GL_QUADS): `axis` 0/1/2 is the normal's
// axis, `at` the plane, `n` the outward normal sign. Corners run
// counter-clockwise seen from where the normal points; texture t grows with
// +Y on the side faces so images stand upright; s and t run 0..1 (+ shift).
void emitFace(int axis, float at, float n, const float lo[3], const float hi[3], float shiftS, float shiftT) {
    int a = 0, b = 0;  // in-plane axes: a along s, b along t
    if (axis == 0) { a = 2; b = 1; }
    if (axis == 1) { a = 0; b = 2; }
    if (axis == 2) { a = 0; b = 1; }
    float a0 = lo[a], a1 = hi[a];
    const float b0 = lo[b], b1 = hi[b];
    // (a x b) points along +axis for axis 2 and along -axis for 0 and 1;
    // flip the s direction where that winding is the wrong way round.
    const float handed = axis == 2 ? 1.f : -1.f;
    if (handed * n < 0) std::swap(a0, a1);
    float normal[3] = {0, 0, 0};
    normal[axis] = n;
    glNormal3fv(normal);
    const float s[4] = {0, 1, 1, 0}, t[4] = {0, 0, 1, 1};
    const float as[4] = {a0, a1, a1, a0}, bs[4] = {b0, b0, b1, b1};
    for (int i = 0; i < 4; ++i) {
        float p[3];
        p[axis] = at;
        p[a] = as[i];
        p[b] = bs[i];
        glTexCoord2f(s[i] + shiftS, t[i] + shiftT);
        glVertex3fv(p);
    }
}

struct Box {
    CuboidFaces f;
    float p0[3], p1[3], lo[3], hi[3];
    float sx, sy, sz;
};

Box box(Vector3 o, Vector3 w, Vector3 shrink, float outward) {
    Box b;
    o += w * shrink / 2.f;
    w = w - w * shrink;
    b.f = cuboidFaces(w);
    const float p0[3] = {o.x, o.y, o.z}, p1[3] = {o.x + w.x, o.y + w.y, o.z + w.z};
    for (int i = 0; i < 3; ++i) {
        b.p0[i] = p0[i];
        b.p1[i] = p1[i];
        b.lo[i] = std::min(p0[i], p1[i]);
        b.hi[i] = std::max(p0[i], p1[i]);
    }
    b.sx = sign(w.x) * outward;
    b.sy = sign(w.y) * outward;
    b.sz = sign(w.z) * outward;
    return b;
}

// Faces in the order back, front, top, bottom, left, right; `each` runs
// before each face with its index (to bind that face's texture).
template <typename F>
void faces(const Box& b, Vector3 shift, F&& each) {
    // Faces at the far corner (origin + width) point along the signs of width.
    if (b.f.back && each(0)) emitFace(2, b.p0[2], -b.sz, b.lo, b.hi, 0, 0);
    if (b.f.front && each(1)) emitFace(2, b.p1[2], b.sz, b.lo, b.hi, 0, 0);
    if (b.f.top && each(2)) emitFace(1, b.p1[1], b.sy, b.lo, b.hi, shift.x, shift.y);
    if (b.f.bottom && each(3)) emitFace(1, b.p0[1], -b.sy, b.lo, b.hi, 0, 0);
    if (b.f.left && each(4)) emitFace(0, b.p0[0], -b.sx, b.lo, b.hi, 0, 0);
    if (b.f.right && each(5)) emitFace(0, b.p1[0], b.sx, b.lo, b.hi, 0, 0);
}

void cuboid(Vector3 o, Vector3 w, Vector3 shrink, const unsigned int* texture, bool multi, Vector3 shift,
            float outward) {
    const bool textured = texture && MainLoop::getInstance()->getTexture();
    const Box b = box(o, w, shrink, outward);
    if (textured) glEnable(GL_TEXTURE_2D);
    if (textured && multi) {
        // A texture per face: one primitive per face, bound between them.
        bool open = false;
        faces(b, shift, [&](int i) {
            if (open) glEnd();
            glBindTexture(GL_TEXTURE_2D, texture[i]);
            glBegin(GL_QUADS);
            open = true;
            return true;
        });
        if (open) glEnd();
    }
    if (textured && !multi) glBindTexture(GL_TEXTURE_2D, texture[0]);
    if (!(textured && multi)) {
        glBegin(GL_QUADS);
        faces(b, shift, [](int) { return true; });
        glEnd();
    }
    if (textured) glDisable(GL_TEXTURE_2D);
}

}  // namespace

void emitCuboid(Vector3 origin, Vector3 width, bool reversed) {
    faces(box(origin, width, Vector3(), reversed ? -1.f : 1.f), Vector3(), [](int) { return true; });
}

void emitCuboidFaces(Vector3 origin, Vector3 width, const CuboidFaces& which, bool reversed) {
    const bool wanted[6] = {which.back, which.front, which.top, which.bottom, which.left, which.right};
    faces(box(origin, width, Vector3(), reversed ? -1.f : 1.f), Vector3(), [&](int i) { return wanted[i]; });
}

void drawCuboid(Vector3 origin, Vector3 width, Vector3 shrink, const unsigned int* texture, bool multiTexture,
                Vector3 coordShift) {
    cuboid(origin, width, shrink, texture, multiTexture, coordShift, 1.f);
}

void drawCuboidReversed(Vector3 origin, Vector3 width, Vector3 shrink, const unsigned int* texture,
                        bool multiTexture, Vector3 coordShift) {
    cuboid(origin, width, shrink, texture, multiTexture, coordShift, -1.f);
}

void drawRectangle(float x, float y, float widthX, float widthY, const unsigned int* texture) {
    MainLoop* ml = MainLoop::getInstance();
    const float w = float(ml->getWindowSizeWidth()), h = float(ml->getWindowSizeHeight());
    drawCuboid(Vector3(x * w, y * h, 0), Vector3(widthX * w, widthY * h, 0), Vector3(), texture);
}

}  // namespace hop
