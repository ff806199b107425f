#include "view.h"

#include <algorithm>
#include <cmath>

namespace pigeonrun {

namespace {
constexpr double kPi = 3.14159265358979323846;
double radians(double d) { return d * kPi / 180; }
}  // namespace

void ViewCamera::reset() {
    *this = ViewCamera{};
    updateEye();
}

void ViewCamera::updateEye() {
    eye = {float(std::sin(radians(azimuth)) * distance), float(std::sin(radians(elevation)) * distance),
           float(std::cos(radians(azimuth)) * distance)};
}

void ViewCamera::zoom(int wheelY, double dtMs) {
    const float step = float(0.03 * dtMs);
    if (wheelY < 0) distance = std::min(distance + step, kMaxDistance);
    if (wheelY > 0) distance = std::max(distance - step, kMinDistance);
    updateEye();
}

void ViewCamera::drag(int x, int y, double dtMs) {
    const double r = 360 * dtMs / 4000;
    if (x < 270) azimuth -= r;
    if (x >= 371) azimuth += r;
    azimuth = std::fmod(azimuth, 360.0);
    if (azimuth < 0) azimuth += 360;
    if (y >= 291) elevation = std::min(elevation + r, 90.0);
    if (y < 190) elevation = std::max(elevation - r, -90.0);
    updateEye();
}

}  // namespace pigeonrun
