// Discrete movement: one square per hop, a third of a second long, on a
// parabola half a unit high, landing on whole coordinates. From a fractional
// position (after free movement) a hop goes one square on from the square
// the chicken is drawn on (its nearest column, rowAt's row), and only to a
// square inside the field.
#pragma once

namespace roosterway {

class GameWorld;

enum HopDirection { HopNone = 0, HopUp = 1, HopDown = 2, HopLeft = 3, HopRight = 4 };

class HopController {
public:
    // The column offsets the chicken may reach: round(columns * 4 / 25).
    static constexpr int kMaxOffset = 6;

    explicit HopController(const GameWorld& world) : world_(&world) {}
    void setWorld(const GameWorld& world) { world_ = &world; }

    // One frame: advances a hop in progress (input is ignored meanwhile) or
    // starts one toward `direction` when the target square is free. x and z
    // are the chicken's position (x from the centre column, row r at z = -r).
    void step(int direction, float& x, float& z, float& height, float dtSeconds);
    // Drops a hop in progress, e.g. when the chicken is put back at the start.
    void cancel();

    // True when a hop from (x, z) by (dx, dz) would be refused: its target
    // square (round(x) + dx, row rowAt(z) - dz) lies behind the start row,
    // beyond the column offsets +-kMaxOffset, or holds an obstacle.
    bool blocked(float x, float z, int dx, int dz) const;

    float hopsPerSecond = 3.0f;
    bool hopping = false;
    float elapsed = 0;
    int dx = 0, dz = 0;
    float facing = 180;

private:
    void advance(float& x, float& z, float& height, float dt);

    const GameWorld* world_;
    float startX_ = 0, startZ_ = 0;
    float targetX_ = 0, targetZ_ = 0;
};

}  // namespace roosterway
