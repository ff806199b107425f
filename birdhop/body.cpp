#include "body.h"

#include "model.h"

namespace birdhop {

void Motion::set(Vec3d v, Vec3d a, double seconds) {
    velocity = v;
    acceleration = a;
    elapsed = 0;
    duration = seconds;
}

void Motion::apply(Vec3d& value, double dt) {
    // A frame cut into equal steps sums to a hair under the duration: such a
    // remainder ends the motion rather than leaving it running.
    constexpr double kSnap = 1e-9;
    double step = dt;
    if (elapsed + dt > duration - kSnap) step = duration - elapsed;
    if (step <= 0) return;
    const double half = step * step / 2;
    value.x += velocity.x * step + acceleration.x * half;
    value.y += velocity.y * step + acceleration.y * half;
    value.z += velocity.z * step + acceleration.z * half;
    velocity.x += acceleration.x * step;
    velocity.y += acceleration.y * step;
    velocity.z += acceleration.z * step;
    elapsed = step == duration - elapsed ? duration : elapsed + step;
}

bool overlaps(const GroundBox& a, const GroundBox& b) {
    return a.maxX > b.minX && b.maxX > a.minX && a.maxZ > b.minZ && b.maxZ > a.minZ;
}

void Body::update(double dt) {
    if (danceStep != 0) runDanceStep(*this);
    move.apply(position, dt);
    turn.apply(rotation, dt);
    grow.apply(scale, dt);
}

void Body::clearMotions() {
    move.clear();
    turn.clear();
    grow.clear();
}

GroundBox groundBox(const ModelBounds& m, const Body& b) {
    const double x0 = m.minX * b.scale.x, x1 = m.maxX * b.scale.x;
    const double z0 = m.minZ * b.scale.z, z1 = m.maxZ * b.scale.z;
    const double yaw = b.rotation.y;
    GroundBox box;
    if (yaw == 90) {  // (x, z) becomes (z, -x)
        box = {z0, z1, -x1, -x0};
    } else if (yaw == -90 || yaw == 270) {  // (x, z) becomes (-z, x)
        box = {-z1, -z0, x0, x1};
    } else {
        box = {x0, x1, z0, z1};
    }
    box.minX += b.position.x;
    box.maxX += b.position.x;
    box.minZ += b.position.z;
    box.maxZ += b.position.z;
    return box;
}

GroundBox Body::groundBox() const {
    if (!model) return {position.x, position.x, position.z, position.z};
    return birdhop::groundBox(model->bounds, *this);
}

}  // namespace birdhop
