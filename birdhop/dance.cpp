// The bird's dance after a level up (or the word "cuak"): nineteen steps, one
// per world step, each waiting for the hop before it to land.
#include <cmath>

#include "body.h"

namespace birdhop {

namespace {

void setEmitters(Body& b, int command) {
    for (int& e : b.emitter) e = command;
}

void hop(Body& b) { b.move.set({0, 10, 0}, {0, -40, 0}, 0.5); }
void still(Body& b, double seconds) { b.move.set({}, {}, seconds); }
// A rotation or scale part of a step is skipped while that channel still runs.
void turn(Body& b, Vec3d v, Vec3d a, double seconds) {
    if (!b.turn.running()) b.turn.set(v, a, seconds);
}
void grow(Body& b, Vec3d v, Vec3d a, double seconds) {
    if (!b.grow.running()) b.grow.set(v, a, seconds);
}

}  // namespace

void runDanceStep(Body& b) {
    if (b.danceStep == 0 || b.move.running()) return;
    switch (b.danceStep) {
        case 1:
            b.danceFrom = b.rotation;
            hop(b);
            setEmitters(b, 1);
            break;
        case 2:
            setEmitters(b, 0);
            still(b, 0.1);
            break;
        case 3: hop(b); break;
        case 4: case 6: case 8: case 10: case 12: case 15: still(b, 0.1); break;
        case 5:
            hop(b);
            turn(b, {0, 180, 0}, {}, 0.5);
            break;
        case 7:
            b.move.set({8, 20, 0}, {0, -80, 0}, 0.5);
            turn(b, {0, 0, -720}, {}, 0.5);
            break;
        case 9:
            hop(b);
            turn(b, {0, -360, 0}, {0, -40, 0}, 0.5);
            break;
        case 11:
            b.move.set({-8, 15, 0}, {0, -30, 0}, 1.0);
            turn(b, {0, 0, -720}, {}, 1.0);
            break;
        case 13:
            b.move.set({4, 0, 0}, {}, 2.0);
            grow(b, {3, -1, 2}, {-3, 1, -2}, 2.0);
            turn(b, {}, {0, 6660, 0}, 1.0);
            break;
        case 14:
            if (b.turn.running()) return;  // this step waits for the spin-up to end
            b.turn.set({0, 6660, 0}, {0, -6660, 0}, 1.0);
            break;
        case 16:
            b.move.set({-4, 0, 0}, {}, 1.0);
            b.rotation.y = 90;
            break;
        case 17: still(b, 0.2); break;
        case 18: {
            // The spin of step 14 runs on past step 16's "yaw 90", by an
            // amount that depends on the frame rate: this last turn, the same
            // way round, ends where the dance began rather than a fixed -95°.
            hop(b);
            const double left = std::fmod(std::fmod(b.rotation.y - b.danceFrom.y, 360.0) + 360.0, 360.0);
            b.turn.set({0, -left / 0.5, 0}, {}, 0.5);
            break;
        }
        default:  // 19: the last pause, and the fireworks go up
            // Facing exactly as before the dance (the rolls were whole turns).
            b.turn.clear();
            b.rotation = b.danceFrom;
            still(b, 0.2);
            setEmitters(b, 2);
            b.danceStep = 0;
            return;
    }
    ++b.danceStep;
}

}  // namespace birdhop
