#include "camera.h"

#include <algorithm>
#include <cmath>

namespace orbitdash {

namespace {
constexpr float kHeights[5] = {0.15f, 0.45f, 0.7f, 1.0f, 1.35f};
}

void Camera::applyPresets() {
    pitch = kHeights[height];
    yaw = float(quarter) * kPi / 2;
}

void Camera::closer() { distance = std::max(kMinDistance, distance - kDistanceStep); }
void Camera::farther() { distance = std::min(kMaxDistance, distance + kDistanceStep); }

void Camera::cycleHeight() {
    height = (height + 1) % 5;
    pitch = kHeights[height];
}

void Camera::cycleQuarter() {
    quarter = (quarter + 1) % 4;
    yaw = float(quarter) * kPi / 2;
}

void Camera::turn(int dx, int dy) {
    // Mouse right turns the view right: the eye swings towards +x.
    yaw = std::fmod(yaw - float(dx) * kMouseStep, 2 * kPi);
    pitch = std::clamp(pitch + float(dy) * kMouseStep, kMinPitch, kMaxPitch);
}

void Camera::back(float& x, float& z) const {
    // yaw 0: behind the astronaut (on its -z side), looking along +z.
    x = -std::sin(yaw);
    z = -std::cos(yaw);
}

Vec3 Camera::eye(Vec3 t) const {
    const float p = view == 0 ? pitch : 1.3f;
    const float d = view == 0 ? distance : distance * 2;
    float bx, bz;
    back(bx, bz);
    return {t.x + d * std::cos(p) * bx, t.y + d * std::sin(p), t.z + d * std::cos(p) * bz};
}

void Camera::direction(int quarters, float& x, float& z) const {
    float bx, bz;
    back(bx, bz);
    const float a = float(quarters) * kPi / 2;
    x = bx * std::cos(a) + bz * std::sin(a);
    z = -bx * std::sin(a) + bz * std::cos(a);
}

}  // namespace orbitdash
