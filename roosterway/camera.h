// Where the three camera views put the eye, as plain numbers (the GL call
// that applies them lives with the drawing).
#pragma once

namespace roosterway {

struct CameraPose {
    float eye[3];
    float centre[3];
};

constexpr int kViews = 3;

// View 0 follows close behind, view 1 looks down from the right, view 2
// circles the chicken with the mouse heading `yawDegrees`, raised by `pitch`.
CameraPose cameraPose(int view, float x, float z, float yawDegrees, float pitch);

}  // namespace roosterway

namespace roosterway {

// The six planes of a view volume, taken from a combined projection x
// model-view matrix (column-major, as GL keeps it), for skipping models that
// cannot show on screen.
struct Frustum {
    float planes[6][4];  // a x + b y + c z + d >= 0 inside, (a, b, c) unit length
    bool sphereVisible(float x, float y, float z, float radius) const;
};
Frustum frustumFrom(const float clip[16]);
// Column-major product a x b.
void multiply(const float a[16], const float b[16], float out[16]);

}  // namespace roosterway
