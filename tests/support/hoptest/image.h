// RGB(A) images for tests: pixel access, region counts and comparisons,
// debug dumps (PPM, PNG) and a reader for the XWD files that `xwd` writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace hoptest {

struct Color {
  uint8_t r = 0, g = 0, b = 0, a = 255;
};
bool operator==(Color x, Color y);
inline bool operator!=(Color x, Color y) { return !(x == y); }
std::ostream& operator<<(std::ostream& os, Color c);

// True when every one of r, g, b differs by at most `tolerance` (alpha ignored).
bool near(Color x, Color y, int tolerance);

// A rectangle in image coordinates (origin top-left). A negative width or
// height reaches to the right / bottom edge, so Rect{} is the whole image.
struct Rect {
  int x = 0, y = 0, w = -1, h = -1;
};

class Image {
 public:
  Image() = default;
  Image(int width, int height, int channels = 3);  // channels: 3 (RGB) or 4 (RGBA)

  int width() const { return w_; }
  int height() const { return h_; }
  int channels() const { return c_; }
  bool empty() const { return w_ == 0 || h_ == 0; }
  // Rows top to bottom, pixels tightly packed.
  uint8_t* data() { return px_.data(); }
  const uint8_t* data() const { return px_.data(); }

  // Throw std::out_of_range outside the image; alpha reads 255 for RGB.
  Color pixel(int x, int y) const;
  void setPixel(int x, int y, Color c);
  void fill(Color c, Rect region = {});

  Image crop(Rect region) const;
  // Pixels of `region` (clipped to this image) near `c`.
  int countNear(Color c, int tolerance = 8, Rect region = {}) const;
  // Pixels of `region` (clipped to this image) whose colour differs from
  // `other` by more than `tolerance`; pixels `other` lacks count as different.
  int countDiff(const Image& other, Rect region = {}, int tolerance = 0) const;

  // Debug dumps; false when the file cannot be written.
  bool savePPM(const std::string& path) const;
  bool savePNG(const std::string& path) const;

 private:
  Rect clip(Rect r) const;
  int w_ = 0, h_ = 0, c_ = 3;
  std::vector<uint8_t> px_;
};

// Decodes a ZPixmap XWD image (16, 24 or 32 bits per pixel, either byte
// order, any mask layout); throws std::runtime_error on anything else or on
// a truncated file.
Image parseXWD(const std::vector<uint8_t>& bytes);
Image readXWD(const std::string& path);

}  // namespace hoptest
