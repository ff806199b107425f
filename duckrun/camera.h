// The camera that follows the duck: its target is the duck's position, its
// eye orbits it with the mouse (free look) or sits at a fixed offset behind
// and above. It also walks the duck: the arrows move the target, and the eye
// with it, across the field. No GL here: the draw code turns eye() and
// target into gluLookAt.
#pragma once

#include "world.h"

namespace duckrun {

class DuckCamera {
public:
    static constexpr Vec3 kStartEye{6, 5, 70};
    static constexpr Vec3 kStartTarget{0, 3, 60};
    static constexpr float kPitchLimit = 89.9f;  // degrees
    // The lowest the eye goes when the view tilts up: above the grass, and
    // (at the orbit's distance) well clear of the duck.
    static constexpr float kMinEyeHeight = 0.5f;

    DuckCamera() { init(kStartEye, kStartTarget); }

    // Places eye and target and derives the direction vectors, the distance
    // and the two angles from them.
    void init(Vec3 eye, Vec3 target);
    // One world step: re-places the eye for the view mode, walks the target
    // by the arrows held (each direction tried alone against the field's
    // bounds) and applies the mouse motion gathered since the last update.
    void update(const Field& field, bool paused, float dt);
    // Orbit the eye about the vertical through the target by d mouse units:
    // d > 0 (the mouse moved right) turns the view to the right.
    void yawBy(float d);
    // Tilt the eye about `right` through the target (d > 0, the mouse moved
    // down, looks down); refused past the limits, and stopped at
    // kMinEyeHeight when looking up.
    void pitchBy(float d);
    // The eye as gluLookAt gets it: never below 0.5 above the ground.
    Vec3 lookFrom() const;

    Vec3 eye, target;
    Vec3 viewDir, right, up, flatForward;
    float distance = 0;
    float pitch = 0;  // degrees; the view's elevation, negative looking down
    float yaw = 0;    // degrees; flatForward turned from -z counter-clockwise seen from above
    float mouseSensitivity = 6.0f;
    float moveSpeed = 15.0f;  // units per second
    bool freeLook = true;
    bool freeLookPlaced = false;
    float mouseDX = 0, mouseDY = 0;
    Arrows held;

private:
    void derive();
    bool tryMove(const Field& field, Vec3 offset);
};

}  // namespace duckrun
