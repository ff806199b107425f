#include "hop.h"

#include <cmath>

#include "world.h"

namespace roosterway {

namespace {
constexpr float kHopHeight = 0.5f;

float fracAbs(float v) {
    float whole;
    return std::fabs(std::modf(v, &whole));
}
}  // namespace

void HopController::step(int direction, float& x, float& z, float& height, float dtSeconds) {
    if (hopping) {
        advance(x, z, height, dtSeconds);
        if (elapsed > 1.f / hopsPerSecond) {
            elapsed = 0;
            hopping = false;
            x = std::round(x);
            z = std::round(z);
            height = std::round(height);
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
    advance(x, z, height, dtSeconds);
    hopping = true;
}

void HopController::cancel() {
    hopping = false;
    elapsed = 0;
}

bool HopController::blocked(float x, float z, int stepX, int stepZ) const {
    const float tz = z + float(stepZ), tx = x + float(stepX);
    if (int(tz) > 0) return true;  // nothing behind the start row
    const int offset = int(tx);
    if (offset < -kMaxOffset || offset > kMaxOffset) return true;
    const int row = int(std::lround(-tz));
    const int column = world_->columns / 2 + int(std::lround(tx));
    return world_->obstacleAt(column, row);
}

void HopController::advance(float& x, float& z, float& height, float dt) {
    z += dt * float(dz) * hopsPerSecond;
    x += dt * float(dx) * hopsPerSecond;
    // A long frame (a stall while models reload) must not carry the chicken
    // past the square it hops to, over whatever stands beyond it.
    if (std::fabs(z - startZ_) > 1.f) z = startZ_ + float(dz);
    if (std::fabs(x - startX_) > 1.f) x = startX_ + float(dx);
    float p = 0;
    if (dz == -1) p = 1.f - fracAbs(z);
    else if (dz == 1) p = fracAbs(z);
    else if (dx == -1) p = fracAbs(x);
    else if (dx == 1) p = 1.f - fracAbs(x);
    height = kHopHeight - 2.f * (p - 0.5f) * (p - 0.5f);
    elapsed += dt;
}

}  // namespace roosterway
