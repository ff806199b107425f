// The two cameras as numbers: an orthographic overview that slides along with
// the hen, and a perspective follow camera that the right mouse button orbits.
#pragma once

namespace henrun {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

class Gallina;

class Camara {
 public:
  enum Modo { Follow = 1, Overview = 2 };
  // The follow camera's height above the hen at the start: 5 up at distance 15.
  static constexpr double kStartElevation = 0.3398369094541219;  // asin(1/3)

  Vec3 eye{7, 10, -35}, centre{0, 0, -47}, up{0, 1, 0};
  // Follow camera about the hen: orbitAngle turns it round (0 behind the
  // hen, toward +z), orbitElevation lifts it (radians, 0.2 .. pi/2).
  double orbitAngle = 0;
  double orbitElevation = kStartElevation;
  int cameraMode = Overview;
  double far = 120, near = 0.1, fovy = 45;
  double aspect = 1;

  // After each step the hen walked.
  void updateCamera(const Gallina& hen);
  void toggleCamera(const Gallina& hen);
  // Right button held in follow mode: the mouse's move since the last frame
  // (pixels, y down) turns the view the way the mouse moved, 0.1 rad for
  // each axis that moved more than 2 pixels: right turns the view right
  // (the camera circles to its left round the hen), down tilts it down
  // (the camera rises).
  void orbit(const Gallina& hen, int dx, int dy);

 private:
  void placeFollowEye(const Gallina& hen);
};

}  // namespace henrun
