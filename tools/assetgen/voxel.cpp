#include "voxel.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace assetgen {

namespace {

float& coord(Vec3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// A rectangle on the plane axis = level, spanning [u0, u1] x [v0, v1] on the
// two other axes taken in cyclic order (u = axis+1, v = axis+2), so that
// u x v points along +axis and the corner order below is counter-clockwise
// seen from the +axis side. Negative faces reverse it.
Quad planeQuad(int face, float level, float u0, float v0, float u1, float v1, Rgba c) {
  const int axis = face / 2, ua = (axis + 1) % 3, va = (axis + 2) % 3;
  const float uv[4][2] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
  Quad q;
  q.face = face;
  q.colour = c;
  for (int i = 0; i < 4; ++i) {
    const int src = face % 2 == 0 ? i : 3 - i;
    Vec3 p;
    coord(p, axis) = level;
    coord(p, ua) = uv[src][0];
    coord(p, va) = uv[src][1];
    q.corners[std::size_t(i)] = p;
  }
  return q;
}

}  // namespace

Vec3 faceNormal(int face) {
  Vec3 n;
  coord(n, face / 2) = face % 2 == 0 ? 1.f : -1.f;
  return n;
}

VoxelModel::VoxelModel(float voxelSize, Vec3 origin) : size_(voxelSize), origin_(origin) {
  if (!(voxelSize > 0.f)) throw std::invalid_argument("voxel size must be positive");
}

void VoxelModel::set(int x, int y, int z, Rgba c) {
  std::array<Rgba, kFaceCount> faces;
  faces.fill(c);
  cells_[Key{x, y, z}] = faces;
}

void VoxelModel::setFace(int x, int y, int z, int face, Rgba c) {
  auto it = cells_.find(Key{x, y, z});
  if (it != cells_.end()) it->second[std::size_t(face)] = c;
}

void VoxelModel::fill(int x0, int y0, int z0, int x1, int y1, int z1, Rgba c) {
  for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x)
    for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
      for (int z = std::min(z0, z1); z <= std::max(z0, z1); ++z) set(x, y, z, c);
}

void VoxelModel::erase(int x, int y, int z) { cells_.erase(Key{x, y, z}); }

bool VoxelModel::has(int x, int y, int z) const { return cells_.count(Key{x, y, z}) != 0; }

void VoxelModel::addBox(Vec3 lo, Vec3 hi, Rgba c) {
  std::array<Rgba, kFaceCount> faces;
  faces.fill(c);
  addBox(lo, hi, faces);
}

void VoxelModel::addBox(Vec3 lo, Vec3 hi, const std::array<Rgba, kFaceCount>& faces) {
  boxes_.push_back(Box{lo, hi, faces});
}

std::vector<Quad> VoxelModel::mesh() const {
  std::vector<Quad> out;
  if (!cells_.empty()) {
    Key lo = cells_.begin()->first, hi = lo;
    for (const auto& [k, faces] : cells_)
      for (int a = 0; a < 3; ++a) {
        lo[std::size_t(a)] = std::min(lo[std::size_t(a)], k[std::size_t(a)]);
        hi[std::size_t(a)] = std::max(hi[std::size_t(a)], k[std::size_t(a)]);
      }
    const float base[3] = {origin_.x, origin_.y, origin_.z};
    for (int face = 0; face < kFaceCount; ++face) {
      const int axis = face / 2, ua = (axis + 1) % 3, va = (axis + 2) % 3;
      const int step = face % 2 == 0 ? 1 : -1;
      const int nu = hi[std::size_t(ua)] - lo[std::size_t(ua)] + 1;
      const int nv = hi[std::size_t(va)] - lo[std::size_t(va)] + 1;
      std::vector<std::optional<Rgba>> mask(std::size_t(nu) * std::size_t(nv));
      for (int s = lo[std::size_t(axis)]; s <= hi[std::size_t(axis)]; ++s) {
        // Mask of the exposed faces on this slice, then greedy rectangles.
        for (int j = 0; j < nv; ++j)
          for (int i = 0; i < nu; ++i) {
            Key k{}, n{};
            k[std::size_t(axis)] = s;
            k[std::size_t(ua)] = lo[std::size_t(ua)] + i;
            k[std::size_t(va)] = lo[std::size_t(va)] + j;
            n = k;
            n[std::size_t(axis)] += step;
            auto it = cells_.find(k);
            auto& m = mask[std::size_t(j) * std::size_t(nu) + std::size_t(i)];
            m.reset();
            if (it != cells_.end() && !cells_.count(n)) m = it->second[std::size_t(face)];
          }
        for (int j = 0; j < nv; ++j)
          for (int i = 0; i < nu;) {
            auto& m = mask[std::size_t(j) * std::size_t(nu) + std::size_t(i)];
            if (!m) {
              ++i;
              continue;
            }
            const Rgba c = *m;
            auto same = [&](int ii, int jj) {
              const auto& o = mask[std::size_t(jj) * std::size_t(nu) + std::size_t(ii)];
              return o && *o == c;
            };
            int w = 1;
            while (i + w < nu && same(i + w, j)) ++w;
            int h = 1;
            while (j + h < nv) {
              bool rowMatches = true;
              for (int ii = i; ii < i + w && rowMatches; ++ii) rowMatches = same(ii, j + h);
              if (!rowMatches) break;
              ++h;
            }
            for (int jj = j; jj < j + h; ++jj)
              for (int ii = i; ii < i + w; ++ii) mask[std::size_t(jj) * std::size_t(nu) + std::size_t(ii)].reset();
            const float level = base[axis] + size_ * float(s + (step > 0 ? 1 : 0));
            const float u0 = base[ua] + size_ * float(lo[std::size_t(ua)] + i);
            const float v0 = base[va] + size_ * float(lo[std::size_t(va)] + j);
            out.push_back(planeQuad(face, level, u0, v0, u0 + size_ * float(w), v0 + size_ * float(h), c));
            i += w;
          }
      }
    }
  }
  for (const Box& b : boxes_) {
    const auto quads = boxQuads(b.lo, b.hi, b.faces);
    out.insert(out.end(), quads.begin(), quads.end());
  }
  return out;
}

std::vector<Quad> boxQuads(Vec3 lo, Vec3 hi, const std::array<Rgba, kFaceCount>& faces) {
  std::vector<Quad> out;
  const float l[3] = {lo.x, lo.y, lo.z}, h[3] = {hi.x, hi.y, hi.z};
  for (int face = 0; face < kFaceCount; ++face) {
    const int axis = face / 2, ua = (axis + 1) % 3, va = (axis + 2) % 3;
    out.push_back(planeQuad(face, face % 2 == 0 ? h[axis] : l[axis], l[ua], l[va], h[ua], h[va],
                            faces[std::size_t(face)]));
  }
  return out;
}

}  // namespace assetgen
