// The kinematic record that moves everything in the game: the bird, the cars,
// the trees and the particle cubes. Position, rotation and scale each follow
// one timed motion of constant acceleration that stops exactly at its
// duration.
#pragma once

namespace birdhop {

struct Vec3d {
    double x = 0, y = 0, z = 0;
};

struct Motion {
    Vec3d velocity, acceleration;
    double elapsed = 0, duration = 0;  // seconds

    bool running() const { return elapsed < duration; }
    // Replaces whatever motion was under way.
    void set(Vec3d v, Vec3d a, double seconds);
    void clear() { *this = Motion(); }
    // Advances `value` by dt, but never past the motion's end.
    void apply(Vec3d& value, double dt);
};

// The horizontal extent of a model, in its own units.
struct ModelBounds {
    double minX = 0, maxX = 0, minY = 0, maxY = 0, minZ = 0, maxZ = 0;
};

// A box on the ground plane, world units.
struct GroundBox {
    double minX = 0, maxX = 0, minZ = 0, maxZ = 0;
};

// Strict: boxes that only touch do not overlap.
bool overlaps(const GroundBox& a, const GroundBox& b);

struct BirdModel;

struct Body {
    Vec3d position;
    Vec3d rotation;  // degrees about X, about Y (yaw), about Z
    Vec3d scale{1, 1, 1};
    Motion move, turn, grow;  // position, rotation, scale
    const BirdModel* model = nullptr;
    int danceStep = 0;        // 0, or the step 1..19 of the dance under way
    Vec3d danceFrom;          // the rotation the dance began with, and ends with
    int emitter[3] = {0, 0, 0};  // firework commands: 0 none, 1 prepare, 2 launch

    // One dance step (while dancing), then the three motions.
    void update(double dt);
    void clearMotions();
    // The model's horizontal bounds scaled and placed at the body; turned a
    // quarter when the yaw is exactly 90, -90 or 270. Empty at the body's
    // position without a model.
    GroundBox groundBox() const;
};

GroundBox groundBox(const ModelBounds& bounds, const Body& body);

// The dance: runs the body's current step (waiting while its hop is under
// way) and moves it on to the next; the last step ends the dance.
void runDanceStep(Body& bird);
constexpr int kDanceSteps = 19;

}  // namespace birdhop
