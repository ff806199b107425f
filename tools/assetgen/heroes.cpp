#include "heroes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace assetgen {

namespace {

std::vector<Hero>& table() {
  static std::vector<Hero> registered;
  return registered;
}

struct Projected {
  float x, y, depth;
};

// Turned by the yaw about y, then tilted by the pitch about x; depth grows
// toward the viewer.
struct View {
  float cy = std::cos(-0.6f), sy = std::sin(-0.6f);
  float cp = std::cos(0.5f), sp = std::sin(0.5f);
  Vec3 turn(Vec3 p) const {
    const float x = p.x * cy + p.z * sy, z = -p.x * sy + p.z * cy;
    return {x, p.y * cp - z * sp, p.y * sp + z * cp};
  }
};

// Light per face: the top brightest, the sides facing the viewer a little darker.
float faceLight(int face) {
  switch (face) {
    case PosY: return 1.f;
    case PosZ: return 0.88f;
    case PosX: case NegX: return 0.74f;
    case NegZ: return 0.7f;
    default: return 0.6f;
  }
}

}  // namespace

HeroRegistration::HeroRegistration(const char* name, Mesh (*build)()) {
  auto& t = table();
  auto at = std::find_if(t.begin(), t.end(), [&](const Hero& h) { return std::string(name) < h.name; });
  t.insert(at, Hero{name, build});
}

const std::vector<Hero>& heroes() { return table(); }

const Hero* findHero(const std::string& name) {
  for (const Hero& h : heroes())
    if (name == h.name) return &h;
  return nullptr;
}

Image renderIcon(const Mesh& mesh, int size) {
  if (size < 8) throw std::runtime_error("icon size below 8 pixels");
  const View view;
  std::vector<std::pair<std::array<Vec3, 4>, Rgba>> faces;
  float x0 = std::numeric_limits<float>::max(), y0 = x0, x1 = -x0, y1 = -x0;
  for (const MeshPart& part : mesh)
    for (const Quad& q : part.quads) {
      if (q.colour.a == 0) continue;
      const Vec3 n = view.turn(faceNormal(q.face));
      if (n.z <= 1e-4f) continue;  // faces away from the viewer
      std::array<Vec3, 4> c;
      for (int i = 0; i < 4; ++i) {
        c[i] = view.turn(q.corners[i]);
        x0 = std::min(x0, c[i].x), x1 = std::max(x1, c[i].x);
        y0 = std::min(y0, c[i].y), y1 = std::max(y1, c[i].y);
      }
      faces.push_back({c, shade(q.colour, faceLight(q.face))});
    }
  if (faces.empty()) throw std::runtime_error("the hero has no visible face");

  constexpr int kSamples = 4;
  const int big = size * kSamples;
  const float margin = big * 0.06f;
  const float scale = (big - 2 * margin) / std::max(x1 - x0, y1 - y0);
  const float ox = big / 2.f - scale * (x0 + x1) / 2.f, oy = big / 2.f + scale * (y0 + y1) / 2.f;
  std::vector<float> depth(std::size_t(big) * big, -std::numeric_limits<float>::max());
  std::vector<Rgba> colour(depth.size(), Rgba{0, 0, 0, 0});

  auto triangle = [&](const Projected& a, const Projected& b, const Projected& c, Rgba col) {
    const float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if (std::fabs(area) < 1e-6f) return;
    const int bx0 = std::max(0, int(std::floor(std::min({a.x, b.x, c.x}))));
    const int bx1 = std::min(big - 1, int(std::ceil(std::max({a.x, b.x, c.x}))));
    const int by0 = std::max(0, int(std::floor(std::min({a.y, b.y, c.y}))));
    const int by1 = std::min(big - 1, int(std::ceil(std::max({a.y, b.y, c.y}))));
    for (int y = by0; y <= by1; ++y)
      for (int x = bx0; x <= bx1; ++x) {
        const float px = x + 0.5f, py = y + 0.5f;
        const float w0 = ((b.x - px) * (c.y - py) - (b.y - py) * (c.x - px)) / area;
        const float w1 = ((c.x - px) * (a.y - py) - (c.y - py) * (a.x - px)) / area;
        const float w2 = 1.f - w0 - w1;
        if (w0 < 0 || w1 < 0 || w2 < 0) continue;
        const float d = w0 * a.depth + w1 * b.depth + w2 * c.depth;
        const std::size_t i = std::size_t(y) * big + x;
        if (d > depth[i]) depth[i] = d, colour[i] = col;
      }
  };
  for (const auto& [corners, col] : faces) {
    std::array<Projected, 4> p;
    for (int i = 0; i < 4; ++i)
      p[i] = {ox + corners[i].x * scale, oy - corners[i].y * scale, corners[i].z};
    triangle(p[0], p[1], p[2], col);
    triangle(p[0], p[2], p[3], col);
  }

  // A dark rim one supersample wide around the silhouette keeps the hero
  // readable on light and dark panels alike.
  std::vector<Rgba> rimmed = colour;
  for (int y = 0; y < big; ++y)
    for (int x = 0; x < big; ++x) {
      const std::size_t i = std::size_t(y) * big + x;
      if (colour[i].a != 0) continue;
      bool edge = false;
      for (int d = -kSamples; d <= kSamples && !edge; ++d)
        for (int e = -kSamples; e <= kSamples && !edge; ++e) {
          const int u = x + d, v = y + e;
          edge = u >= 0 && v >= 0 && u < big && v < big && colour[std::size_t(v) * big + u].a != 0;
        }
      if (edge) rimmed[i] = rgb(24, 26, 34);
    }

  Image out(size, size, Rgba{0, 0, 0, 0});
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float r = 0, g = 0, b = 0, a = 0;
      for (int j = 0; j < kSamples; ++j)
        for (int i = 0; i < kSamples; ++i) {
          const Rgba& c = rimmed[std::size_t(y * kSamples + j) * big + (x * kSamples + i)];
          const float w = c.a / 255.f;
          r += c.r * w, g += c.g * w, b += c.b * w, a += w;
        }
      if (a > 0) out.at(x, y) = rgb(int(r / a + 0.5f), int(g / a + 0.5f), int(b / a + 0.5f),
                                    int(255.f * a / (kSamples * kSamples) + 0.5f));
    }
  return out;
}

void writeIcons(const Mesh& mesh, const std::filesystem::path& dir, const std::string& icon) {
  for (int n : {48, 128, 256}) {
    const std::string folder = std::to_string(n) + "x" + std::to_string(n);
    savePng(renderIcon(mesh, n), dir / folder / "apps" / (icon + ".png"), PixelFormat::Rgba32);
  }
}

}  // namespace assetgen
