#include "camara.h"

#include <cmath>

#include "mundo.h"

namespace henrun {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kDistance = 15;
}  // namespace

void Camara::updateCamera(const Gallina& hen) {
  if (cameraMode == Overview) {
    eye.z = hen.z + 5;
    centre.z = hen.z - 7;
    return;
  }
  centre = {hen.x, hen.y, hen.z};
  if (orbitAngle == 0)
    eye = {hen.x, hen.y + 5, hen.z + kDistance};
  else
    eye = {hen.x + kDistance * std::cos(orbitAngle), eye.y, hen.z + kDistance * std::sin(orbitAngle)};
}

void Camara::toggleCamera(const Gallina& hen) {
  if (cameraMode == Overview) {
    cameraMode = Follow;
    centre = {hen.x, hen.y, hen.z};
    eye = {hen.x, hen.y + 5, hen.z + kDistance};
  } else {
    cameraMode = Overview;
    eye = {7, 10, hen.z + 5};
    centre = {0, 0, hen.z - 7};
    up = {0, 1, 0};
  }
  orbitAngle = 0;
}

void Camara::orbit(const Gallina& hen, int dx, int dy) {
  if (cameraMode != Follow) return;
  if (dy > 2) orbitAngle += 0.1;
  if (dy < -2) orbitAngle -= 0.1;
  if (orbitAngle >= kTwoPi) orbitAngle = 0;
  if (orbitAngle < 0) orbitAngle = kTwoPi;
  if (dx > 2) orbitElevation += 0.1;
  if (dx < -2) orbitElevation -= 0.1;
  if (orbitElevation < 0.2) orbitElevation = 0.2;
  if (orbitElevation > kHalfPi) orbitElevation = kHalfPi;
  centre = {hen.x, hen.y, hen.z};
  eye = {hen.x + kDistance * std::cos(orbitAngle), kDistance * std::sin(orbitElevation),
         hen.z + kDistance * std::sin(orbitAngle)};
}

}  // namespace henrun
