#include "camara.h"

#include <cmath>

#include "mundo.h"

namespace henrun {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kDistance = 15;
constexpr double kLowest = 0.2;
}  // namespace

// 15 from the hen across the ground and 15 sin(elevation) above it; at the
// start elevation that is (hen x, hen y + 5, hen z + 15).
void Camara::placeFollowEye(const Gallina& hen) {
  centre = {hen.x, hen.y, hen.z};
  eye = {hen.x + kDistance * std::sin(orbitAngle), hen.y + kDistance * std::sin(orbitElevation),
         hen.z + kDistance * std::cos(orbitAngle)};
}

void Camara::updateCamera(const Gallina& hen) {
  if (cameraMode == Overview) {
    eye.z = hen.z + 5;
    centre.z = hen.z - 7;
    return;
  }
  placeFollowEye(hen);
}

void Camara::toggleCamera(const Gallina& hen) {
  orbitAngle = 0;
  orbitElevation = kStartElevation;
  if (cameraMode == Overview) {
    cameraMode = Follow;
    placeFollowEye(hen);
  } else {
    cameraMode = Overview;
    eye = {7, 10, hen.z + 5};
    centre = {0, 0, hen.z - 7};
    up = {0, 1, 0};
  }
}

void Camara::orbit(const Gallina& hen, int dx, int dy) {
  if (cameraMode != Follow) return;
  // Seen from behind (+z), the eye going toward -x turns the view right.
  if (dx > 2) orbitAngle -= 0.1;
  if (dx < -2) orbitAngle += 0.1;
  if (orbitAngle >= kTwoPi) orbitAngle = 0;
  if (orbitAngle < 0) orbitAngle += kTwoPi;
  if (dy > 2) orbitElevation += 0.1;
  if (dy < -2) orbitElevation -= 0.1;
  if (orbitElevation < kLowest) orbitElevation = kLowest;
  if (orbitElevation > kHalfPi) orbitElevation = kHalfPi;
  placeFollowEye(hen);
}

}  // namespace henrun
