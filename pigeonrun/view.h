// The camera's record and its arithmetic, without GL: the free view orbits
// the point (0, 1, 0) at `distance`, turned by azimuth and elevation.
#pragma once

#include <array>

namespace pigeonrun {

struct ViewCamera {
    static constexpr float kMinDistance = 2, kMaxDistance = 20;

    bool fixedView = true;
    float distance = 5;
    std::array<float, 3> eye{0, 0, 0};
    std::array<float, 3> angles{-35, 45, -35};  // the fixed view's turns about X, Y, Z
    double azimuth = 180, elevation = 45;       // degrees

    // Back to the start: fixed view, distance 5, azimuth 180, elevation 45.
    void reset();
    // eye = (sin az, sin el, cos az) * distance.
    void updateEye();
    // Mouse wheel: y < 0 (towards the user) moves out by 0.03 * dtMs, y > 0
    // moves in; the distance stays within 2..20.
    void zoom(int wheelY, double dtMs);
    // One pass of dragging with the cursor at (x, y) in window pixels: the
    // left and right bands turn the azimuth, the top and bottom bands the
    // elevation, at 90 degrees per second; the middle band turns nothing.
    void drag(int x, int y, double dtMs);
    // One pass of a controller's right stick, each axis in [-1, 1] (x to the
    // right, y down): turns as dragging with the cursor that far out does,
    // up to 90 degrees per second at full tilt.
    void look(float x, float y, double dtMs);
};

}  // namespace pigeonrun
