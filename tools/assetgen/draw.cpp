#include "draw.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

// Fills every pixel of the box whose centre lies inside the signed-distance
// shape `sdf` (negative inside), ramping the edge over `softness` pixels.
template <class Sdf>
void fillSdf(Image& img, float x0, float y0, float x1, float y1, float softness, Rgba c, Sdf sdf) {
  const float pad = softness + 1.f;
  const int ix0 = std::max(0, int(std::floor(x0 - pad))), iy0 = std::max(0, int(std::floor(y0 - pad)));
  const int ix1 = std::min(img.width() - 1, int(std::ceil(x1 + pad)));
  const int iy1 = std::min(img.height() - 1, int(std::ceil(y1 + pad)));
  const float soft = std::max(softness, 1e-3f);
  for (int y = iy0; y <= iy1; ++y)
    for (int x = ix0; x <= ix1; ++x) {
      const float d = sdf(float(x) + 0.5f, float(y) + 0.5f);
      const float cover = std::clamp(0.5f - d / soft, 0.f, 1.f);
      if (cover > 0.f) img.blend(x, y, c, cover);
    }
}

}  // namespace

void fillRect(Image& img, int x, int y, int w, int h, Rgba c) {
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = std::min(img.width(), x + w), y1 = std::min(img.height(), y + h);
  for (int yy = y0; yy < y1; ++yy)
    for (int xx = x0; xx < x1; ++xx) img.blend(xx, yy, c);
}

void strokeRect(Image& img, int x, int y, int w, int h, int t, Rgba c) {
  fillRect(img, x, y, w, t, c);
  fillRect(img, x, y + h - t, w, t, c);
  fillRect(img, x, y + t, t, h - 2 * t, c);
  fillRect(img, x + w - t, y + t, t, h - 2 * t, c);
}

void verticalGradient(Image& img, Rgba top, Rgba bottom) {
  const float span = float(std::max(1, img.height() - 1));
  for (int y = 0; y < img.height(); ++y) {
    const Rgba c = mix(top, bottom, float(y) / span);
    for (int x = 0; x < img.width(); ++x) img.at(x, y) = c;
  }
}

void horizontalGradient(Image& img, Rgba left, Rgba right) {
  const float span = float(std::max(1, img.width() - 1));
  for (int x = 0; x < img.width(); ++x) {
    const Rgba c = mix(left, right, float(x) / span);
    for (int y = 0; y < img.height(); ++y) img.at(x, y) = c;
  }
}

void fillDisc(Image& img, float cx, float cy, float r, Rgba c, float softness) {
  fillSdf(img, cx - r, cy - r, cx + r, cy + r, softness, c,
          [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; });
}

void strokeCircle(Image& img, float cx, float cy, float r, float t, Rgba c) {
  const float outer = r + t * 0.5f;
  fillSdf(img, cx - outer, cy - outer, cx + outer, cy + outer, 1.f, c,
          [=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - r) - t * 0.5f; });
}

void fillRoundedRect(Image& img, float x, float y, float w, float h, float radius, Rgba c, float softness) {
  const float r = std::min({radius, w * 0.5f, h * 0.5f});
  const float cx = x + w * 0.5f, cy = y + h * 0.5f, hx = w * 0.5f - r, hy = h * 0.5f - r;
  fillSdf(img, x, y, x + w, y + h, softness, c, [=](float px, float py) {
    const float qx = std::fabs(px - cx) - hx, qy = std::fabs(py - cy) - hy;
    return std::hypot(std::max(qx, 0.f), std::max(qy, 0.f)) + std::min(std::max(qx, qy), 0.f) - r;
  });
}

void drawLine(Image& img, float x0, float y0, float x1, float y1, float t, Rgba c) {
  const float dx = x1 - x0, dy = y1 - y0, len2 = std::max(dx * dx + dy * dy, 1e-6f), half = t * 0.5f;
  fillSdf(img, std::min(x0, x1) - half, std::min(y0, y1) - half, std::max(x0, x1) + half,
          std::max(y0, y1) + half, 1.f, c, [=](float px, float py) {
            const float k = std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.f, 1.f);
            return std::hypot(px - x0 - k * dx, py - y0 - k * dy) - half;
          });
}

}  // namespace assetgen
