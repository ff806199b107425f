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

  Vec3 eye{7, 10, -35}, centre{0, 0, -47}, up{0, 1, 0};
  double orbitAngle = 0;        // about the hen, in the ground plane
  double orbitElevation = 0.3398369;  // above it (asin 1/3: 5 up at distance 15)
  int cameraMode = Overview;
  double far = 120, near = 0.1, fovy = 45;
  double aspect = 1;

  // After each step the hen walked.
  void updateCamera(const Gallina& hen);
  void toggleCamera(const Gallina& hen);
  // Right button held in follow mode: the mouse's move since the last frame
  // turns the camera by 0.1 rad for each axis that moved more than 2 pixels.
  void orbit(const Gallina& hen, int dx, int dy);
};

}  // namespace henrun
