// RGBA colour of four floats in [0, 1].
#pragma once

namespace hop {

struct Color {
    float r = 0, g = 0, b = 0, a = 1;

    Color() = default;
    Color(float r_, float g_, float b_, float a_ = 1.f) : r(r_), g(g_), b(b_), a(a_) {}

    // Scales the colour, never its alpha.
    Color operator*(float f) const { return {r * f, g * f, b * f, a}; }
    bool operator==(const Color& c) const { return r == c.r && g == c.g && b == c.b && a == c.a; }
};

inline Color operator*(float f, const Color& c) { return c * f; }

}  // namespace hop
