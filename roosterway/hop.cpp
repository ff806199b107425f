#include "hop.h"

#include <algorithm>
#include <cmath>

#include "world.h"

namespace roosterway {

namespace {
constexpr float kHopHeight = 0.5f;
}  // namespace

void HopController::step(int direction, float& x, float& z, float& height, float dtSeconds) {
    if (hopping) {
        advance(x, z, height, dtSeconds);
        if (elapsed > 1.f / hopsPerSecond) {
            elapsed = 0;
            hopping = false;
            x = targetX_;
            z = targetZ_;
            height = 0;
        }
        return;
    }
    switch (direction) {
        case HopUp: dx = 0, dz = -1, facing = 180; break;
        case HopDown: dx = 0, dz = 1, facing = 0; break;
        case HopLeft: dx = -1, dz = 0, facing = 270; break;
        case HopRight: dx = 1, dz = 0, facing = 90; break;
        default: return;
    }
    if (blocked(x, z, dx, dz)) return;
    startX_ = x;
    startZ_ = z;
    targetX_ = std::round(x) + float(dx);
    targetZ_ = -float(rowAt(z) - dz);
    advance(x, z, height, dtSeconds);
    hopping = true;
}

void HopController::cancel() {
    hopping = false;
    elapsed = 0;
}

bool HopController::blocked(float x, float z, int stepX, int stepZ) const {
    const int row = rowAt(z) - stepZ;
    const float tx = std::round(x) + float(stepX);
    if (row < 0) return true;  // nothing behind the start row
    if (tx < float(-kMaxOffset) || tx > float(kMaxOffset)) return true;
    const int column = world_->columns / 2 + int(tx);
    return world_->obstacleAt(column, row);
}

void HopController::advance(float& x, float& z, float& height, float dt) {
    elapsed += dt;
    // Progress from the hop's own clock: a long frame (a stall while models
    // reload) ends on the target square, never past it.
    const float p = std::min(1.f, elapsed * hopsPerSecond);
    x = startX_ + (targetX_ - startX_) * p;
    z = startZ_ + (targetZ_ - startZ_) * p;
    height = kHopHeight - 2.f * (p - 0.5f) * (p - 0.5f);
}

}  // namespace roosterway
