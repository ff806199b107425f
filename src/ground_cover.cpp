#include "ground_cover.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace lanehop {

namespace {

using Vec4 = std::array<double, 4>;
using Vec3 = std::array<double, 3>;

Vec4 transform(const double m[16], const Vec4& v) {
    Vec4 r{};
    for (int i = 0; i < 4; ++i) r[i] = m[i] * v[0] + m[4 + i] * v[1] + m[8 + i] * v[2] + m[12 + i] * v[3];
    return r;
}

// Gauss-Jordan with partial pivoting; false for a singular matrix.
bool invert(const double m[16], double out[16]) {
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = m[c * 4 + r];
            a[r][c + 4] = r == c ? 1 : 0;
        }
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
        if (std::fabs(a[pivot][c]) < 1e-12) return false;
        if (pivot != c) std::swap(a[pivot], a[c]);
        const double s = 1 / a[c][c];
        for (double& x : a[c]) x *= s;
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            const double f = a[r][c];
            for (int k = 0; k < 8; ++k) a[r][k] -= f * a[c][k];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[c * 4 + r] = a[r][c + 4];
    return true;
}

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Vec3 minus(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

double value(const Plane& p, const Vec3& v) { return p[0] * v[0] + p[1] * v[1] + p[2] * v[2] + p[3]; }

// Keeps the part of a homogeneous polygon where dot(plane, v) >= 0.
std::vector<Vec4> clip(const std::vector<Vec4>& poly, const Vec4& plane) {
    std::vector<Vec4> out;
    auto dist = [&](const Vec4& v) { return plane[0] * v[0] + plane[1] * v[1] + plane[2] * v[2] + plane[3] * v[3]; };
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const Vec4 &a = poly[i], &b = poly[(i + 1) % poly.size()];
        const double da = dist(a), db = dist(b);
        if (da >= 0) out.push_back(a);
        if ((da >= 0) != (db >= 0)) {
            const double t = da / (da - db);
            Vec4 v;
            for (int k = 0; k < 4; ++k) v[k] = a[k] + t * (b[k] - a[k]);
            out.push_back(v);
        }
    }
    return out;
}

}  // namespace

std::vector<std::vector<Plane>> GroundCover::regions() const {
    std::vector<std::vector<Plane>> out;
    for (std::size_t i = 0; i < inner.size(); ++i) {
        std::vector<Plane> r{{-inner[i][0], -inner[i][1], -inner[i][2], -inner[i][3]}};
        r.insert(r.end(), outer.begin(), outer.begin() + long(i));
        out.push_back(std::move(r));
    }
    return out;
}

bool keeps(const std::vector<Plane>& planes, const std::array<double, 3>& p) {
    for (const Plane& q : planes)
        if (value(q, p) < 0) return false;
    return true;
}

GroundCover groundCover(const double modelview[16], const double projection[16], const int viewport[4], double x0,
                        double z0, double x1, double z1, double inset) {
    GroundCover cover;
    double inverse[16];
    if (viewport[2] <= 0 || viewport[3] <= 0 || !invert(projection, inverse)) return cover;
    // The rectangle in clip space, cut to the depth range drawn.
    std::vector<Vec4> poly;
    for (auto [x, z] : {std::pair{x0, z0}, {x1, z0}, {x1, z1}, {x0, z1}})
        poly.push_back(transform(projection, transform(modelview, {x, 0, z, 1})));
    poly = clip(poly, {0, 0, 1, 1});   // near: z >= -w
    poly = clip(poly, {0, 0, -1, 1});  // far: z <= w
    if (poly.size() < 3) return cover;
    std::vector<std::pair<double, double>> win;
    for (const Vec4& v : poly) {
        if (!(v[3] > 1e-12)) return cover;
        win.push_back({viewport[0] + (v[0] / v[3] + 1) / 2 * viewport[2], viewport[1] + (v[1] / v[3] + 1) / 2 * viewport[3]});
    }
    double area = 0;
    for (std::size_t i = 0; i < win.size(); ++i) {
        const auto [ax, ay] = win[i];
        const auto [bx, by] = win[(i + 1) % win.size()];
        area += ax * by - bx * ay;
    }
    if (!(std::fabs(area) / 2 > 1)) return cover;  // edge-on, or not finite
    if (area < 0) std::reverse(win.begin(), win.end());

    // A window point at normalised depth zn, back in eye space.
    auto eye = [&](double wx, double wy, double zn) {
        const Vec4 ndc{(wx - viewport[0]) / viewport[2] * 2 - 1, (wy - viewport[1]) / viewport[3] * 2 - 1, zn, 1};
        const Vec4 e = transform(inverse, ndc);
        return Vec3{e[0] / e[3], e[1] / e[3], e[2] / e[3]};
    };
    // The plane through the window line from (px, py) along (dx, dy), keeping
    // the side (nx, ny) points to.
    auto plane = [&](double px, double py, double dx, double dy, double nx, double ny, Plane& out) {
        const Vec3 a = eye(px, py, 0), b = eye(px + dx, py + dy, 0), c = eye(px, py, 0.5);
        const Vec3 n = cross(minus(b, a), minus(c, a));
        const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (!(len > 1e-300) || !std::isfinite(len)) return false;
        out = {n[0] / len, n[1] / len, n[2] / len, -(n[0] * a[0] + n[1] * a[1] + n[2] * a[2]) / len};
        if (value(out, eye(px + 10 * nx, py + 10 * ny, 0.25)) < 0)
            for (double& k : out) k = -k;
        return std::isfinite(out[3]);
    };
    for (std::size_t i = 0; i < win.size(); ++i) {
        const auto [ax, ay] = win[i];
        const auto [bx, by] = win[(i + 1) % win.size()];
        const double dx = bx - ax, dy = by - ay, len = std::hypot(dx, dy);
        if (!(len > 1e-6)) continue;
        const double nx = -dy / len, ny = dx / len;  // inwards (counter-clockwise polygon)
        Plane in, out;
        if (!plane(ax + nx * inset, ay + ny * inset, dx, dy, nx, ny, in) ||
            !plane(ax + nx * (inset - 1), ay + ny * (inset - 1), dx, dy, nx, ny, out))
            return {};
        cover.inner.push_back(in);
        cover.outer.push_back(out);
    }
    if (cover.inner.size() < 3) return {};
    double bx0 = 1e300, by0 = 1e300, bx1 = -1e300, by1 = -1e300;
    for (auto [x, y] : win) {
        bx0 = std::min(bx0, x);
        by0 = std::min(by0, y);
        bx1 = std::max(bx1, x);
        by1 = std::max(by1, y);
    }
    auto clamp = [](double v, int lo, int hi) { return int(std::max(double(lo), std::min(double(hi), v))); };
    const int vx1 = viewport[0] + viewport[2], vy1 = viewport[1] + viewport[3];
    cover.x0 = clamp(std::floor(bx0), viewport[0], vx1);
    cover.y0 = clamp(std::floor(by0), viewport[1], vy1);
    cover.x1 = clamp(std::ceil(bx1) + 1, viewport[0], vx1);
    cover.y1 = clamp(std::ceil(by1) + 1, viewport[1], vy1);
    return cover;
}

}  // namespace lanehop
