// Red cubes flung from a point: the squash burst and the three fireworks.
#pragma once

#include <memory>
#include <vector>

#include "body.h"
#include "random.h"

namespace birdhop {

struct Cube {
    Body body;
    double half[3] = {0, 0, 0};  // half-sizes along x, y, z
};

struct ParticleBurst {
    // `count` cubes at `centre`, each with its own random velocity and size;
    // the burst starts inactive.
    ParticleBurst(Vec3d centre, int count, Random& random);
    void moveTo(Vec3d p);
    // Advances the cubes only while active.
    void update(double dt);

    std::vector<Cube> cubes;
    bool active = false;
};

// The bird's three fireworks at x offsets -4, 0 and +4, driven by the
// bird's emitter commands.
struct FireworkSet {
    static constexpr int kCubes = 40;
    static constexpr double kOffsets[3] = {-4, 0, 4};

    void update(const Body& bird, double dt, Random& random);
    std::unique_ptr<ParticleBurst> bursts[3];
};

}  // namespace birdhop
