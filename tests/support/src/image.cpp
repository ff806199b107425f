#include "hoptest/image.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace hoptest {

bool operator==(Color x, Color y) { return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a; }

std::ostream& operator<<(std::ostream& os, Color c) {
  return os << "rgba(" << int(c.r) << ',' << int(c.g) << ',' << int(c.b) << ',' << int(c.a) << ')';
}

bool near(Color x, Color y, int tolerance) {
  return std::abs(x.r - y.r) <= tolerance && std::abs(x.g - y.g) <= tolerance &&
         std::abs(x.b - y.b) <= tolerance;
}

Image::Image(int width, int height, int channels) : w_(width), h_(height), c_(channels) {
  if (width < 0 || height < 0 || (channels != 3 && channels != 4))
    throw std::invalid_argument("hoptest::Image: bad size or channel count");
  px_.assign(size_t(width) * size_t(height) * size_t(channels), 0);
}

Color Image::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) throw std::out_of_range("hoptest::Image::pixel");
  const uint8_t* p = &px_[(size_t(y) * w_ + x) * c_];
  return Color{p[0], p[1], p[2], c_ == 4 ? p[3] : uint8_t(255)};
}

void Image::setPixel(int x, int y, Color c) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) throw std::out_of_range("hoptest::Image::setPixel");
  uint8_t* p = &px_[(size_t(y) * w_ + x) * c_];
  p[0] = c.r, p[1] = c.g, p[2] = c.b;
  if (c_ == 4) p[3] = c.a;
}

Rect Image::clip(Rect r) const {
  int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  int x1 = r.w < 0 ? w_ : std::min(w_, r.x + r.w);
  int y1 = r.h < 0 ? h_ : std::min(h_, r.y + r.h);
  return Rect{x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

void Image::fill(Color c, Rect region) {
  Rect r = clip(region);
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x) setPixel(x, y, c);
}

Image Image::crop(Rect region) const {
  Rect r = clip(region);
  Image out(r.w, r.h, c_);
  for (int y = 0; y < r.h; ++y)
    std::copy_n(&px_[(size_t(r.y + y) * w_ + r.x) * c_], size_t(r.w) * c_,
                &out.px_[size_t(y) * r.w * c_]);
  return out;
}

int Image::countNear(Color c, int tolerance, Rect region) const {
  Rect r = clip(region);
  int n = 0;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x) n += near(pixel(x, y), c, tolerance);
  return n;
}

int Image::countDiff(const Image& other, Rect region, int tolerance) const {
  Rect r = clip(region);
  int n = 0;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x)
      n += x >= other.w_ || y >= other.h_ || !near(pixel(x, y), other.pixel(x, y), tolerance);
  return n;
}

bool Image::savePPM(const std::string& path) const {
  std::ofstream f(path, std::ios::binary);
  f << "P6\n" << w_ << ' ' << h_ << "\n255\n";
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      Color c = pixel(x, y);
      f.put(char(c.r)).put(char(c.g)).put(char(c.b));
    }
  return bool(f);
}

// PNG with "stored" (uncompressed) deflate blocks: big files, but no zlib.
namespace {
uint32_t crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
  crc = ~crc;
  while (n--) {
    crc ^= *p++;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(uint8_t(x >> s));
}
void chunk(std::ofstream& f, const char* type, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> c;
  put32(c, uint32_t(body.size()));
  c.insert(c.end(), type, type + 4);
  c.insert(c.end(), body.begin(), body.end());
  put32(c, crc32(c.data() + 4, c.size() - 4));
  f.write(reinterpret_cast<const char*>(c.data()), std::streamsize(c.size()));
}
}  // namespace

bool Image::savePNG(const std::string& path) const {
  std::ofstream f(path, std::ios::binary);
  f.write("\x89PNG\r\n\x1a\n", 8);
  std::vector<uint8_t> ihdr;
  put32(ihdr, uint32_t(w_));
  put32(ihdr, uint32_t(h_));
  ihdr.insert(ihdr.end(), {8, uint8_t(c_ == 4 ? 6 : 2), 0, 0, 0});
  chunk(f, "IHDR", ihdr);

  std::vector<uint8_t> raw;  // each row: filter byte 0, then the pixels
  for (int y = 0; y < h_; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), px_.begin() + size_t(y) * w_ * c_, px_.begin() + size_t(y + 1) * w_ * c_);
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(65535, raw.size() - pos);
    z.push_back(pos + n == raw.size());
    z.insert(z.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
    z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t v : raw) a = (a + v) % 65521, b = (b + a) % 65521;
  put32(z, (b << 16) | a);
  chunk(f, "IDAT", z);
  chunk(f, "IEND", {});
  return bool(f);
}

// XWD: a header of 25 big-endian 32-bit fields (then the window name up to
// header_size), ncolors 12-byte colour entries, then the pixels in the
// server's byte order, each row padded to bytes_per_line.
namespace {
enum XwdField {
  kHeaderSize, kVersion, kFormat, kDepth, kWidth, kHeight, kXOffset, kByteOrder,
  kBitmapUnit, kBitOrder, kBitmapPad, kBitsPerPixel, kBytesPerLine, kVisualClass,
  kRedMask, kGreenMask, kBlueMask, kBitsPerRgb, kColormapEntries, kNColors, kFieldCount = 25
};

uint8_t channel(uint32_t pixel, uint32_t mask) {
  if (!mask) return 0;
  int shift = __builtin_ctz(mask);
  uint64_t max = mask >> shift;
  return uint8_t(((pixel & mask) >> shift) * uint64_t(255) / max);
}
}  // namespace

Image parseXWD(const std::vector<uint8_t>& bytes) {
  auto fail = [](const std::string& why) { return std::runtime_error("XWD: " + why); };
  if (bytes.size() < kFieldCount * 4) throw fail("file shorter than its header");
  uint32_t h[kFieldCount];
  for (int i = 0; i < kFieldCount; ++i) {
    const uint8_t* p = &bytes[size_t(i) * 4];
    h[i] = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
  }
  if (h[kHeaderSize] < kFieldCount * 4) throw fail("header size too small");
  if (h[kFormat] != 2) throw fail("not a ZPixmap");
  uint32_t bpp = h[kBitsPerPixel], w = h[kWidth], ht = h[kHeight], bpl = h[kBytesPerLine];
  if (bpp != 16 && bpp != 24 && bpp != 32) throw fail("unsupported bits per pixel " + std::to_string(bpp));
  if (w == 0 || ht == 0 || w > 32768 || ht > 32768) throw fail("bad size");
  if (uint64_t(bpl) < uint64_t(w) * (bpp / 8)) throw fail("bytes_per_line shorter than a row");
  if (!h[kRedMask] || !h[kGreenMask] || !h[kBlueMask]) throw fail("missing colour masks");
  uint64_t offset = uint64_t(h[kHeaderSize]) + uint64_t(h[kNColors]) * 12;
  if (offset + uint64_t(bpl) * ht > bytes.size()) throw fail("truncated pixel data");

  const bool msbFirst = h[kByteOrder] != 0;
  const unsigned step = bpp / 8;
  Image img{int(w), int(ht)};
  for (uint32_t y = 0; y < ht; ++y) {
    const uint8_t* row = &bytes[offset + uint64_t(y) * bpl];
    for (uint32_t x = 0; x < w; ++x) {
      const uint8_t* p = row + size_t(x) * step;
      uint32_t v = 0;
      for (unsigned i = 0; i < step; ++i)
        v |= uint32_t(p[msbFirst ? i : step - 1 - i]) << (8 * (step - 1 - i));
      img.setPixel(int(x), int(y),
                   Color{channel(v, h[kRedMask]), channel(v, h[kGreenMask]), channel(v, h[kBlueMask])});
    }
  }
  return img;
}

Image readXWD(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw std::runtime_error("XWD: cannot open " + path);
  return parseXWD(std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {}));
}

}  // namespace hoptest
