#include "pattern.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

constexpr float kTwoPi = 6.28318530718f;

// 32-bit finaliser with low bias (Wellons' "lowbias32").
std::uint32_t mix32(std::uint32_t h) {
  h ^= h >> 16;
  h *= 0x7feb352du;
  h ^= h >> 15;
  h *= 0x846ca68bu;
  h ^= h >> 16;
  return h;
}

float smooth(float t) { return t * t * (3.f - 2.f * t); }
int wrap(int i, int n) { return ((i % n) + n) % n; }
float fract(float x) { return x - std::floor(x); }

// Tile-relative coordinate of a pixel: pixel `size` lands on u = 1, which the
// tiling noises treat as u = 0, so the last column continues into the first.
float unit(int p, int size) { return float(p) / float(size); }

}  // namespace

std::uint32_t hash2(int x, int y, std::uint32_t seed) {
  std::uint32_t h = mix32(seed + 0x9e3779b9u);
  h = mix32(h ^ std::uint32_t(x));
  return mix32(h ^ (std::uint32_t(y) * 0x85ebca6bu));
}

float hashUnit(int x, int y, std::uint32_t seed) { return float(hash2(x, y, seed) >> 8) / 16777216.f; }

float tileNoise(float u, float v, int cells, std::uint32_t seed) {
  const float x = u * float(cells), y = v * float(cells);
  const int ix = int(std::floor(x)), iy = int(std::floor(y));
  const float fx = smooth(x - float(ix)), fy = smooth(y - float(iy));
  auto at = [&](int i, int j) { return hashUnit(wrap(i, cells), wrap(j, cells), seed); };
  const float top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * fx;
  const float bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * fx;
  return top + (bottom - top) * fy;
}

float tileFbm(float u, float v, int cells, int octaves, std::uint32_t seed) {
  float sum = 0.f, weight = 0.f, amp = 1.f;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * tileNoise(u, v, cells << o, seed + std::uint32_t(o) * 101u);
    weight += amp;
    amp *= 0.5f;
  }
  return sum / weight;
}

void stripes(Image& img, int period, int thickness, int offset, bool vertical, Rgba c) {
  const int extent = vertical ? img.width() : img.height();
  for (int p = 0; p < extent; ++p) {
    if (wrap(p - offset, period) >= thickness) continue;
    const int other = vertical ? img.height() : img.width();
    for (int q = 0; q < other; ++q) vertical ? img.blend(p, q, c) : img.blend(q, p, c);
  }
}

void dashes(Image& img, int y, int thickness, int dash, int period, int offset, Rgba c) {
  for (int yy = y; yy < y + thickness; ++yy)
    for (int x = 0; x < img.width(); ++x)
      if (wrap(x - offset, period) < dash) img.blend(x, yy, c);
}

void darkenEdge(Image& img, int width, float factor) {
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const int d = std::min({x, y, img.width() - 1 - x, img.height() - 1 - y});
      if (d >= width) continue;
      const float t = 1.f - float(d) / float(width);  // 1 at the border
      img.at(x, y) = shade(img.at(x, y), 1.f - (1.f - factor) * t);
    }
}

Image sandTexture(int size, Rgba base, std::uint32_t seed) {
  Image img(size, size, base);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float patch = tileFbm(unit(x, size), unit(y, size), 4, 3, seed);
      float f = 0.95f + 0.09f * patch + 0.03f * (hashUnit(x, y, seed + 1) - 0.5f);
      const float grain = hashUnit(x, y, seed + 2);
      if (grain > 0.975f) f *= 0.88f;        // darker grain
      else if (grain < 0.02f) f *= 1.06f;    // sparkle
      img.at(x, y) = shade(base, f);
    }
  return img;
}

Image grassTexture(int size, Rgba base, Rgba blade, std::uint32_t seed) {
  Image img(size, size, base);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float patch = tileFbm(unit(x, size), unit(y, size), 4, 3, seed);
      const float f = 0.93f + 0.12f * patch + 0.03f * (hashUnit(x, y, seed + 1) - 0.5f);
      img.at(x, y) = shade(base, f);
    }
  // Short blades, three or four pixels tall with a lean; drawn with wrapping so
  // a blade cut by one edge continues on the other.
  const int count = size * size / 48;
  for (int i = 0; i < count; ++i) {
    const int bx = int(hash2(i, 0, seed + 3) % std::uint32_t(size));
    const int by = int(hash2(i, 1, seed + 3) % std::uint32_t(size));
    const int len = 3 + int(hash2(i, 2, seed + 3) % 2u);
    const int lean = int(hash2(i, 3, seed + 3) % 3u) - 1;
    const Rgba c = hash2(i, 4, seed + 3) % 4u == 0 ? shade(base, 1.12f) : blade;
    for (int k = 0; k < len; ++k) {
      const int px = wrap(bx + (k == len - 1 ? lean : 0), size), py = wrap(by - k, size);
      img.at(px, py) = mix(img.at(px, py), c, 0.85f);
    }
  }
  return img;
}

Image waterTexture(int size, Rgba deep, Rgba ripple, std::uint32_t seed) {
  constexpr int kRippleRows = 5;  // whole bands per tile keeps the v direction seamless
  Image img(size, size, deep);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float u = unit(x, size), v = unit(y, size);
      const float body = tileFbm(u, v, 3, 3, seed);
      Rgba c = mix(shade(deep, 0.94f), shade(deep, 1.07f), body);
      // Crescent-shaped highlights: thin bands bent by noise and by a whole
      // number of sine periods across the tile, broken into dashes by a mask.
      const float warp = 0.9f * tileFbm(u, v, 4, 2, seed + 7) + 0.12f * std::sin(kTwoPi * 2.f * u);
      const float f = fract(float(kRippleRows) * v + warp);
      const float band = std::clamp(1.f - std::fabs(f - 0.5f) / 0.09f, 0.f, 1.f);
      const float mask = std::clamp((tileNoise(u, v, 8, seed + 11) - 0.42f) * 5.f, 0.f, 1.f);
      c = mix(c, ripple, 0.75f * band * mask);
      img.at(x, y) = c;
    }
  return img;
}

Image snowTexture(int size, Rgba base, std::uint32_t seed) {
  Image img(size, size, base);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float drift = tileFbm(unit(x, size), unit(y, size), 4, 3, seed);
      float f = 0.93f + 0.08f * drift;
      if (hashUnit(x, y, seed + 5) > 0.985f) f = 1.08f;  // glints
      img.at(x, y) = shade(base, f);
    }
  return img;
}

}  // namespace assetgen
