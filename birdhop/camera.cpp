#include "camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace birdhop {

namespace {
constexpr double kPi = 3.14159265358979323846;
double rad(double deg) { return deg * kPi / 180.0; }
constexpr double kSkyPlane = 56.7, kSkyHalf = 57.0;
constexpr double kEyeHeight = 2.0;
}  // namespace

const SkyFace kSkyFaceRects[kSkyFaces] = {
    {0.25, 0.5, 1.0 / 3, 2.0 / 3},  // +z
    {0.75, 1.0, 1.0 / 3, 2.0 / 3},  // -z
    {0.0, 0.25, 1.0 / 3, 2.0 / 3},  // +x
    {0.5, 0.75, 1.0 / 3, 2.0 / 3},  // -x
    {0.25, 0.5, 2.0 / 3, 1.0},      // +y
    {0.25, 0.5, 0.0, 1.0 / 3},      // -y
};

Vec3d skyDirection(int face, double a, double b) {
    switch (face) {
        case 0: return {-a, b, 1};
        case 1: return {a, b, -1};
        case 2: return {1, b, a};
        case 3: return {-1, b, -a};
        case 4: return {-a, 1, -b};
        default: return {-a, -1, b};
    }
}

bool boxVisible(const double m[16], const Vec3d& lo, const Vec3d& hi) {
    // Clip coordinates of the eight corners; a plane culls the box when every
    // corner lies beyond it (x < -w, x > w, and so on).
    double clip[8][4];
    for (int i = 0; i < 8; ++i) {
        const double x = i & 1 ? hi.x : lo.x, y = i & 2 ? hi.y : lo.y, z = i & 4 ? hi.z : lo.z;
        for (int r = 0; r < 4; ++r) clip[i][r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
    }
    for (int axis = 0; axis < 3; ++axis)
        for (int sign : {-1, 1}) {
            bool allOut = true;
            for (int i = 0; i < 8 && allOut; ++i) allOut = sign * clip[i][axis] > clip[i][3];
            if (allOut) return false;
        }
    return true;
}

CameraPose BirdCamera::pose(const Vec3d& bird) const {
    const double p = rad(pitch), w = rad(yaw);
    CameraPose c;
    if (mode == 0 || mode == 1) {
        const double d = mode == 0 ? orbitDistance : overviewDistance;
        const Vec3d centre = mode == 0 ? bird : Vec3d{};
        c.eye = {centre.x + std::sin(w) * std::cos(p) * d, std::sin(p) * d + kEyeHeight,
                 centre.z + std::cos(w) * std::cos(p) * d};
        c.target = {centre.x, kEyeHeight, centre.z};
        c.up = {-std::sin(w) * std::sin(p) * d, std::cos(p) * d, -std::cos(w) * std::sin(p) * d};
    } else {
        // First person looks the way the orbit view looks for the same yaw.
        const double a = rad(70 - pitch), h = w + kPi;
        c.eye = {bird.x, bird.y + kEyeHeight, bird.z};
        c.target = {bird.x + std::sin(h) * std::cos(a), bird.y + 1 + std::sin(a), bird.z + std::cos(h) * std::cos(a)};
        c.up = {-std::sin(h) * std::sin(a), std::cos(a), -std::cos(h) * std::sin(a)};
    }
    return c;
}

void BirdCamera::turn(double dx, double dy) {
    pitch = std::clamp(pitch + dy * pitchPerPixel, 0.0, 90.0);
    yaw += dx * yawPerPixel;
}

void BirdCamera::zoom(int wheelY) {
    if (wheelY > 0) {
        if (mode == 0 && orbitDistance > kMinOrbit) orbitDistance -= kOrbitStep;
        if (mode == 1 && overviewDistance > kMinOverview) overviewDistance -= kOverviewStep;
    } else if (wheelY < 0) {
        if (mode == 0 && orbitDistance < kMaxOrbit) orbitDistance += kOrbitStep;
        if (mode == 1 && overviewDistance < kMaxOverview) overviewDistance += kOverviewStep;
    }
}

void BirdCamera::look(const Vec3d& bird) {
    const CameraPose c = pose(bird);
    gluLookAt(c.eye.x, c.eye.y, c.eye.z, c.target.x, c.target.y, c.target.z, c.up.x, c.up.y, c.up.z);
    eye_ = c.eye;
}

void BirdCamera::drawSky(const float tint[3], bool behindWorld) {
    if (!skyList) return;
    // The sky neither hides nor is hidden by the world, however far the
    // ground reaches: drawn first, without the depth test; drawn last, at
    // the far end of the depth range where only untouched pixels pass.
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_VIEWPORT_BIT);
    glDepthMask(GL_FALSE);
    if (behindWorld) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthRange(1, 1);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glPushMatrix();
    glTranslated(eye_.x, eye_.y, eye_.z);
    glColor3f(tint[0], tint[1], tint[2]);
    glCallList(skyList);
    glColor3f(1, 1, 1);
    glPopMatrix();
    glPopAttrib();
}

void BirdCamera::apply(const Vec3d& bird, double dx, double dy, const float tint[3]) {
    look(bird);
    drawSky(tint, false);
    turn(dx, dy);
}

void BirdCamera::buildSkybox(unsigned texture) {
    skyTexture = texture;
    skyList = glGenLists(1);
    glNewList(skyList, GL_COMPILE);
    // The depth state is drawSky()'s, set round the list.
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    const double corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int f = 0; f < kSkyFaces; ++f) {
        const SkyFace& r = kSkyFaceRects[f];
        for (const auto& ab : corners) {
            const Vec3d d = skyDirection(f, ab[0], ab[1]);
            glTexCoord2d(r.s0 + (ab[0] + 1) / 2 * (r.s1 - r.s0), r.t0 + (ab[1] + 1) / 2 * (r.t1 - r.t0));
            // Each face lies just inside the cube's edges so neighbours overlap.
            const int axis = f / 2 == 0 ? 2 : f / 2 == 1 ? 0 : 1;  // x 0, y 1, z 2
            const double x = d.x * (axis == 0 ? kSkyPlane : kSkyHalf);
            const double y = d.y * (axis == 1 ? kSkyPlane : kSkyHalf);
            const double z = d.z * (axis == 2 ? kSkyPlane : kSkyHalf);
            glVertex3d(x, y, z);
        }
    }
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopAttrib();
    glEndList();
}

void BirdCamera::releaseSkybox() {
    if (skyList) glDeleteLists(skyList, 1);
    if (skyTexture) glDeleteTextures(1, &skyTexture);
    skyList = skyTexture = 0;
}

}  // namespace birdhop
