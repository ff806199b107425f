// The three views (orbit the bird, overview of the start, first person),
// mouse look, wheel zoom and the skybox drawn round the eye.
#pragma once

#include "body.h"

namespace birdhop {

struct CameraPose {
    Vec3d eye, target, up;
};

// Texture rectangle and corner directions of one face of the sky cube. The
// 4 x 3 cross: +x, +z, -x, -z across the middle row, the top above +z and
// the bottom below it.
struct SkyFace {
    double s0, s1, t0, t1;
};
constexpr int kSkyFaces = 6;  // +z, -z, +x, -x, +y, -y
extern const SkyFace kSkyFaceRects[kSkyFaces];
// The direction from the cube's centre through face `face` at (a, b), both
// -1 .. 1 (a left to right, b bottom to top as the face is seen from inside).
Vec3d skyDirection(int face, double a, double b);

// True unless the box lies wholly outside one plane of the view volume of
// `clip` (projection x model-view, column-major as GL returns it).
bool boxVisible(const double clip[16], const Vec3d& lo, const Vec3d& hi);

class BirdCamera {
public:
    static constexpr double kMinOrbit = 3, kMaxOrbit = 50, kOrbitStep = 0.5;
    static constexpr double kMinOverview = 30, kMaxOverview = 200, kOverviewStep = 10;

    // Eye, target and up for the current mode around the bird's position.
    CameraPose pose(const Vec3d& bird) const;
    // Mouse look: pitch (clamped to 0 .. 90) and yaw by the mouse's offset.
    void turn(double dx, double dy);
    // Wheel up (> 0) brings the orbit or the overview closer; mode 2 ignores it.
    void zoom(int wheelY);
    void nextMode() { mode = (mode + 1) % 3; }

    // GL: gluLookAt for the current mode; the eye is kept for drawSky().
    void look(const Vec3d& bird);
    // GL: the skybox round the last eye, tinted by r, g, b. `behindWorld`:
    // drawn after the world, only where nothing else was (depth test at the
    // far end), so the sky's texture is not fetched under the ground; else
    // drawn first, as a backdrop everything covers. The same picture.
    void drawSky(const float tint[3], bool behindWorld);
    // look(), the sky as a backdrop, then turn.
    void apply(const Vec3d& bird, double dx, double dy, const float tint[3]);
    void buildSkybox(unsigned texture);
    void releaseSkybox();

    // The view starts behind the bird, a little above it, so that the
    // arrows hop the way they point on the screen.
    double pitch = 15, yaw = 180;
    double orbitDistance = 7.0, overviewDistance = 10.0;
    double yawPerPixel = 0.5, pitchPerPixel = 0.5;
    int mode = 0;
    unsigned skyTexture = 0, skyList = 0;

private:
    Vec3d eye_;
};

}  // namespace birdhop
