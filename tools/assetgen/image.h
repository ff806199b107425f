// RGBA8 images in memory and their PNG/JPG files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace assetgen {

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;

  bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
  bool operator!=(const Rgba& o) const { return !(*this == o); }
  // Ordering only so colours can key a std::map; it means nothing visually.
  bool operator<(const Rgba& o) const { return key() < o.key(); }
  std::uint32_t key() const {
    return (std::uint32_t(r) << 24) | (std::uint32_t(g) << 16) | (std::uint32_t(b) << 8) | a;
  }
};

constexpr Rgba rgb(int r, int g, int b, int a = 255) {
  return Rgba{std::uint8_t(r), std::uint8_t(g), std::uint8_t(b), std::uint8_t(a)};
}
// Straight interpolation of all four channels, t in [0, 1].
Rgba mix(Rgba a, Rgba b, float t);
// Multiplies r, g, b by f (clamped to 0..255); alpha is kept.
Rgba shade(Rgba c, float f);
Rgba withAlpha(Rgba c, int a);

class Image {
 public:
  Image() = default;
  Image(int width, int height, Rgba fill = Rgba{});

  int width() const { return w_; }
  int height() const { return h_; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
  // Row 0 is the top row, as the picture is seen.
  Rgba& at(int x, int y) { return px_[std::size_t(y) * std::size_t(w_) + std::size_t(x)]; }
  const Rgba& at(int x, int y) const { return px_[std::size_t(y) * std::size_t(w_) + std::size_t(x)]; }
  // Coordinates taken modulo the size, for patterns that must tile.
  Rgba wrapped(int x, int y) const;
  void fill(Rgba c);
  // Source-over compositing of c whose alpha is further scaled by coverage (0..1).
  // Every anti-aliased primitive ends here; points outside are ignored.
  void blend(int x, int y, Rgba c, float coverage = 1.f);
  const std::vector<Rgba>& pixels() const { return px_; }

 private:
  int w_ = 0, h_ = 0;
  std::vector<Rgba> px_;
};

enum class PixelFormat { Rgb24, Rgba32 };

// Both throw std::runtime_error naming the path when FreeImage cannot write it.
// The parent folder is created first.
void savePng(const Image& img, const std::filesystem::path& path, PixelFormat format);
void saveJpg(const Image& img, const std::filesystem::path& path, int quality = 90);
// Reads any file FreeImage understands; 24-bit files come back with alpha 255.
Image loadImage(const std::filesystem::path& path);

}  // namespace assetgen
