#include "world.h"

#include <cmath>
#include <cstdio>

namespace duckrun {

float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float length(Vec3 a) { return std::sqrt(dot(a, a)); }
Vec3 normalised(Vec3 a) {
    const float l = length(a);
    return l > 0 ? a * (1.0f / l) : a;
}

float speedFactor(int speedMode) {
    switch (speedMode) {
        case SpeedSlow: return 0.5f;
        case SpeedFast: return 2.0f;
        default: return 1.0f;
    }
}

void Block::update(float dt) {
    x += speed * dt * 600.0f;
    if (speed > 0 && x >= range / 2) speed = -speed;
    else if (speed < 0 && x <= -range / 2) speed = -speed;
}

Blocks initialBlocks() {
    struct Row {
        float z, top, speed;
    };
    static const Row rows[kBlockCount] = {{40, 2.0f, 0.057f}, {30, 3.0f, 0.03f},   {20, 2.0f, 0.042f},
                                          {10, 3.9f, 0.045f}, {0, 3.0f, 0.06f},    {-10, 2.0f, 0.036f},
                                          {-20, 3.9f, 0.027f}, {-30, 2.0f, 0.045f}, {-40, 3.9f, 0.06f},
                                          {-50, 3.0f, 0.09f}};
    Blocks blocks;
    for (int i = 0; i < kBlockCount; ++i) {
        blocks[std::size_t(i)].z = rows[i].z;
        blocks[std::size_t(i)].top = rows[i].top;
        blocks[std::size_t(i)].speed = rows[i].speed;
    }
    return blocks;
}

bool touches(const Block& block, float duckX, float duckZ) {
    const float dx = duckX - block.centreX(), dz = duckZ - block.centreZ();
    const float reach = kDuckRadius + block.size / 2;
    return dx * dx + dz * dz <= reach * reach;
}

int progressAt(float z) { return int(z) - 60; }

void checkRun(GameState& state, const Blocks& blocks, float duckX, float duckZ) {
    for (const Block& b : blocks)
        if (touches(b, duckX, duckZ)) state.screen = ScreenGameOver;
    const int v = progressAt(duckZ);
    if (v < state.best) state.best = v;
    if (state.best < kWinBest) state.screen = ScreenWon;
}

bool wantedFacing(const Arrows& held, float& degrees) {
    if (!held.any()) return false;
    // Later entries override earlier ones, as the table is read top to bottom.
    if (held.up) degrees = 180;
    if (held.down) degrees = 0;
    if (held.left) degrees = -90;
    if (held.right) degrees = 90;
    if (held.up && held.left) degrees = -135;
    if (held.up && held.right) degrees = 135;
    if (held.down && held.left) degrees = -45;
    if (held.down && held.right) degrees = 45;
    return true;
}

std::string timeText(int seconds) {
    if (seconds < 0) seconds = 0;
    const int m = seconds / 60, s = seconds % 60;
    char buf[32];
    const char* format = s < 10 ? (seconds < 600 ? "0%d : 0%d" : "%d : 0%d") : (seconds < 600 ? "0%d : %d" : "%d : %d");
    std::snprintf(buf, sizeof buf, format, m, s);
    return buf;
}

}  // namespace duckrun
