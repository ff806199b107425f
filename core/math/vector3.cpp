#include "math/vector3.h"

#include <algorithm>
#include <cmath>

namespace hop {

float Vector3::length() const { return std::sqrt(length_squared()); }

Vector3 Vector3::normalize() const {
    const float l = length();
    if (l == 0.f) return {};
    return *this / l;
}

float Vector3::angle_to(const Vector3& v) const {
    const float l = length() * v.length();
    if (l == 0.f) return 0.f;
    // Rounding can push the cosine a hair past 1; acos would give NaN.
    return std::acos(std::clamp(dot(v) / l, -1.f, 1.f));
}

Vector3 Vector3::rotate(const Vector3& k, float a) const {
    const float c = std::cos(a), s = std::sin(a);
    return *this * c + k.cross(*this) * s + k * (k.dot(*this) * (1.f - c));
}

Vector3 Vector3::symmetric(const Vector3& v) const {
    const Vector3 n = v.normalize();
    return n * (2.f * dot(n)) - *this;
}

}  // namespace hop
