// The camera that orbits the astronaut, in plain numbers: its angles, its
// distance, the two placements V switches between and the Z and X presets.
// Jump directions are taken from it (the key table's directions are the
// player's view of the course).
#pragma once

#include "settings.h"

namespace orbitdash {

class Camera {
public:
    static constexpr float kMinDistance = 2.0f, kMaxDistance = 20.0f, kDistanceStep = 0.5f;
    static constexpr float kMinPitch = 0.05f, kMaxPitch = 1.45f;
    static constexpr float kMouseStep = 0.005f;  // radians per pixel of mouse motion
    static constexpr float kPi = 3.14159265f;

    // V: 0 orbits close behind the astronaut; 1 looks down from high above
    // it, twice as far.
    int view = 0;
    // Z: five heights of the orbit (0 low .. 4 nearly overhead).
    int height = 3;
    // X: four quarter turns round the astronaut (0 behind, 1 right side,
    // 2 in front, 3 left side).
    int quarter = 0;
    float yaw = 0;    // radians; 0 puts the camera on the astronaut's -z side
    float pitch = 0;  // radians above the horizontal
    float distance = 9.0f;

    Camera() { applyPresets(); }

    void closer();   // N
    void farther();  // M, never beyond kMaxDistance
    void switchView() { view = 1 - view; }
    void cycleHeight();   // Z
    void cycleQuarter();  // X
    void turn(int dx, int dy);  // relative mouse motion

    // Where the eye is for a target (the astronaut), after the view setting.
    Vec3 eye(Vec3 target) const;
    // B: the unit horizontal vector from the target back towards the camera.
    void back(float& x, float& z) const;
    // The jump direction for a quarter-turn count: 0 back, 1 (D) a quarter
    // turn, 2 ahead, 3 (A) three quarters; all about +y.
    void direction(int quarters, float& x, float& z) const;

private:
    void applyPresets();
};

}  // namespace orbitdash
