#include "particles.h"

namespace birdhop {

namespace {
constexpr double kLifetime = 10.0;  // seconds of flight; the cubes then rest
}

ParticleBurst::ParticleBurst(Vec3d centre, int count, Random& random) {
    cubes.resize(std::size_t(count > 0 ? count : 0));
    for (Cube& c : cubes) {
        c.body.position = centre;
        Vec3d v;
        v.x = (random.next() % 120 * 2 - 120) / 60.0;
        v.y = (random.next() % 120 * 2 - 120) / 60.0 + 4;
        v.z = (random.next() % 120 * 2 - 120) / 60.0;
        c.body.move.set(v, {0, -5, 0}, kLifetime);
        for (double& h : c.half) h = (random.next() % 3 * 2 - 2.4) / 60.0 + 0.05;
    }
}

void ParticleBurst::moveTo(Vec3d p) {
    for (Cube& c : cubes) c.body.position = p;
}

void ParticleBurst::update(double dt) {
    if (!active) return;
    for (Cube& c : cubes) c.body.update(dt);
}

void FireworkSet::update(const Body& bird, double dt, Random& random) {
    for (int i = 0; i < 3; ++i) {
        if (bird.emitter[i] == 1) {
            bursts[i] = std::make_unique<ParticleBurst>(
                Vec3d{bird.position.x + kOffsets[i], bird.position.y + 4, bird.position.z}, kCubes, random);
        } else if (bird.emitter[i] == 2 && bursts[i]) {
            bursts[i]->active = true;
        }
    }
    for (auto& b : bursts)
        if (b) b->update(dt);
}

}  // namespace birdhop
