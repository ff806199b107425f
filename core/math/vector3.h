// Three floats: positions, velocities, scales and directions of the engine.
#pragma once

namespace hop {

struct Vector3 {
    float x = 0, y = 0, z = 0;

    Vector3() = default;
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vector3 operator+(const Vector3& v) const { return {x + v.x, y + v.y, z + v.z}; }
    Vector3 operator-(const Vector3& v) const { return {x - v.x, y - v.y, z - v.z}; }
    Vector3& operator+=(const Vector3& v) { x += v.x; y += v.y; z += v.z; return *this; }
    Vector3& operator-=(const Vector3& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
    Vector3 operator*(float f) const { return {x * f, y * f, z * f}; }
    Vector3 operator/(float f) const { return {x / f, y / f, z / f}; }
    // Componentwise product (scales applied to sizes).
    Vector3 operator*(const Vector3& v) const { return {x * v.x, y * v.y, z * v.z}; }
    Vector3 operator-() const { return {-x, -y, -z}; }
    bool operator==(const Vector3& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const Vector3& v) const { return !(*this == v); }

    float dot(const Vector3& v) const { return x * v.x + y * v.y + z * v.z; }
    Vector3 cross(const Vector3& v) const { return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x}; }
    float length() const;
    float length_squared() const { return dot(*this); }
    // The zero vector stays zero instead of turning into NaNs.
    Vector3 normalize() const;
    float distance_to(const Vector3& v) const { return (*this - v).length(); }
    // Radians; 0 when either vector is zero.
    float angle_to(const Vector3& v) const;
    // Rotation about the unit axis k by `angle` radians (Rodrigues).
    Vector3 rotate(const Vector3& k, float angle) const;
    // Mirror image about the axis v.
    Vector3 symmetric(const Vector3& v) const;
};

inline Vector3 operator*(float f, const Vector3& v) { return v * f; }

}  // namespace hop
