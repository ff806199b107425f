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
    look(x < 270 ? -1.f : x >= 371 ? 1.f : 0.f, y < 190 ? -1.f : y >= 291 ? 1.f : 0.f, dtMs);
}

void ViewCamera::look(float x, float y, double dtMs) {
    const double r = 360 * dtMs / 4000;
    azimuth = std::fmod(azimuth + r * x, 360.0);
    if (azimuth < 0) azimuth += 360;
    elevation = std::clamp(elevation + r * y, -90.0, 90.0);
    updateEye();
}

}  // namespace pigeonrun
