#include "camera.h"

#include <cmath>

namespace roosterway {

CameraPose cameraPose(int view, float x, float z, float yawDegrees, float pitch) {
    switch (view) {
        case 0: return {{x, 3.0f, z + 2.25f}, {x, 2.3f, z + 1.25f}};
        case 1: return {{x + 2, 5.0f, z + 3.25f}, {x - 2, -3.0f, z - 3.25f}};
        default: {
            const float yaw = yawDegrees * 3.14159265358979f / 180.f;
            const float c = std::cos(yaw), s = std::sin(yaw);
            return {{x + 2 * c, 3 + pitch, z + 0.25f - 2 * s}, {x, 1.5f, z + 0.25f}};
        }
    }
}

}  // namespace roosterway

namespace roosterway {

bool Frustum::sphereVisible(float x, float y, float z, float radius) const {
    for (const auto& p : planes)
        if (p[0] * x + p[1] * y + p[2] * z + p[3] < -radius) return false;
    return true;
}

Frustum frustumFrom(const float m[16]) {
    // Row i of the matrix is (m[i], m[4 + i], m[8 + i], m[12 + i]); the planes
    // are row 3 plus or minus rows 0, 1 and 2.
    const auto row = [&](int i, int j) { return m[4 * j + i]; };
    Frustum f{};
    for (int k = 0; k < 3; ++k)
        for (int s = 0; s < 2; ++s) {
            float* p = f.planes[2 * k + s];
            const float sign = s == 0 ? 1.f : -1.f;
            for (int j = 0; j < 4; ++j) p[j] = row(3, j) + sign * row(k, j);
            const float len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
            if (len > 0)
                for (int j = 0; j < 4; ++j) p[j] /= len;
        }
    return f;
}

void multiply(const float a[16], const float b[16], float out[16]) {
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a[4 * k + r] * b[4 * c + k];
            out[4 * c + r] = sum;
        }
}

}  // namespace roosterway
