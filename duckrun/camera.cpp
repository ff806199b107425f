#include "camera.h"

#include <algorithm>
#include <cmath>

namespace duckrun {

namespace {
constexpr float kRadToDeg = 57.29577951308232f;
constexpr Vec3 kWorldUp{0, 1, 0};
constexpr Vec3 kFixedOffset{11, 10, 13};
constexpr float kMouseRadians = 0.0005f;  // per mouse unit and unit of sensitivity

// v turned by `a` radians about the unit axis k (right-hand rule).
Vec3 rotated(Vec3 v, Vec3 k, float a) {
    const float c = std::cos(a), s = std::sin(a);
    return v * c + cross(k, v) * s + k * (dot(k, v) * (1 - c));
}
}  // namespace

constexpr Vec3 DuckCamera::kStartEye;
constexpr Vec3 DuckCamera::kStartTarget;

void DuckCamera::init(Vec3 e, Vec3 t) {
    eye = e;
    target = t;
    distance = length(target - eye);
    derive();
    // Signed, unlike the angle between two unit vectors: a camera turned to
    // either side of straight behind still faces the duck the right way.
    yaw = std::atan2(-flatForward.x, -flatForward.z) * kRadToDeg;
}

void DuckCamera::derive() {
    viewDir = normalised(target - eye);
    right = normalised(cross(viewDir, kWorldUp));
    up = cross(right, viewDir);
    Vec3 flat{viewDir.x, 0, viewDir.z};
    // Looking straight down leaves no horizontal direction: keep the last one.
    if (length(flat) > 1e-6f) flatForward = normalised(flat);
    pitch = std::asin(std::clamp(viewDir.y, -1.0f, 1.0f)) * kRadToDeg;
}

bool DuckCamera::tryMove(const Field& field, Vec3 offset) {
    const Vec3 next = target + offset;
    if (!field.inside(next.x, next.z)) return false;
    target = next;
    eye = eye + offset;
    return true;
}

void DuckCamera::update(const Field& field, bool paused, float dt) {
    if (!freeLook) {
        eye = target + kFixedOffset;
        viewDir = normalised(target - eye);
        flatForward = {0, 0, -1};
        right = {1, 0, 0};
        up = cross(right, viewDir);
    } else if (!freeLookPlaced) {
        const Vec3 away = normalised(eye - target);
        init(target + away * (distance > 0 ? distance : length(kStartEye - kStartTarget)), target);
        freeLookPlaced = true;
    }

    float step = dt;
    if ((held.up || held.down) && (held.left || held.right)) step = dt / std::sqrt(2.0f);
    const float d = step * moveSpeed;
    if (held.up && tryMove(field, flatForward * d) && freeLook) derive();
    if (held.down && tryMove(field, flatForward * -d) && freeLook) derive();
    if (held.left) tryMove(field, right * -d);
    if (held.right) tryMove(field, right * d);

    if (freeLook && !paused && (mouseDX != 0 || mouseDY != 0)) {
        yawBy(mouseDX);
        pitchBy(mouseDY);
        mouseDX = mouseDY = 0;
    }
}

void DuckCamera::yawBy(float d) {
    // Turning the eye clockwise round the duck (seen from above) turns the
    // view to the right.
    const float a = d * mouseSensitivity * kMouseRadians;
    eye = target + rotated(eye - target, kWorldUp, -a);
    yaw -= a * kRadToDeg;
    derive();
}

void DuckCamera::pitchBy(float d) {
    const float a = d * mouseSensitivity * kMouseRadians;
    Vec3 turned = rotated(eye - target, right, -a);
    const float newPitch = std::asin(std::clamp(normalised(turned * -1.0f).y, -1.0f, 1.0f)) * kRadToDeg;
    // Past the limit only a turn back toward the range is taken; the eye
    // never crosses the vertical, where `right` would flip.
    const bool within = std::fabs(newPitch) <= kPitchLimit;
    const bool backward = std::fabs(newPitch) < std::fabs(pitch);
    const bool crossesOver = dot(Vec3{turned.x, 0, turned.z}, Vec3{eye.x - target.x, 0, eye.z - target.z}) < 0;
    if ((within || backward) && !crossesOver) {
        // Looking up lowers the eye: it stops on the lowest height allowed,
        // as far from the duck as before, rather than sink into the grass
        // (where the height clamp of lookFrom() would put it inside the duck).
        const float lowest = kMinEyeHeight - target.y;
        if (turned.y < lowest && turned.y < eye.y - target.y) {
            const float drop = std::min(lowest, eye.y - target.y);
            const Vec3 flat = normalised(Vec3{turned.x, 0, turned.z});
            const float along = std::sqrt(std::max(distance * distance - drop * drop, 0.0f));
            turned = flat * along + Vec3{0, drop, 0};
        }
        eye = target + normalised(turned) * distance;
    }
    derive();
}

Vec3 DuckCamera::lookFrom() const { return {eye.x, std::max(eye.y, 0.5f), eye.z}; }

}  // namespace duckrun
