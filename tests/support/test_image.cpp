// Image helpers and the XWD reader, on hand-built files.
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <stdexcept>

#include "hoptest/image.h"

using hoptest::Color;
using hoptest::Image;
using hoptest::Rect;

namespace {

struct Xwd {
  uint32_t width = 3, height = 2, bpp = 32, bytesPerLine = 12, byteOrder = 0;
  uint32_t red = 0xff0000, green = 0x00ff00, blue = 0x0000ff, format = 2;
  uint32_t ncolors = 0, nameLength = 0;
  // Raw pixel value at (x, y); the default is a gradient with every channel distinct.
  std::function<uint32_t(uint32_t, uint32_t)> value = [](uint32_t x, uint32_t y) {
    return (x * 40 + 10) << 16 | (y * 90 + 20) << 8 | (x * 20 + y * 100 + 5);
  };

  std::vector<uint8_t> bytes() const {
    std::vector<uint8_t> b;
    auto be32 = [&](uint32_t v) {
      for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
    };
    uint32_t fields[25] = {100 + nameLength, 7, format, 24, width, height, 0, byteOrder, 32, byteOrder, 32,
                           bpp, bytesPerLine, 4, red, green, blue, 8, 256, ncolors, width, height, 0, 0, 0};
    for (uint32_t f : fields) be32(f);
    b.insert(b.end(), nameLength, 'w');
    for (uint32_t i = 0; i < ncolors * 12; ++i) b.push_back(0xEE);  // colour entries: skipped
    for (uint32_t y = 0; y < height; ++y) {
      size_t rowStart = b.size();
      for (uint32_t x = 0; x < width; ++x) {
        uint32_t v = value(x, y);
        for (uint32_t i = 0; i < bpp / 8; ++i) {
          uint32_t shift = byteOrder ? 8 * (bpp / 8 - 1 - i) : 8 * i;
          b.push_back(uint8_t(v >> shift));
        }
      }
      while (b.size() < rowStart + bytesPerLine) b.push_back(0xAB);  // row padding
    }
    return b;
  }
};

void expectGradient(const Image& img, int w, int h) {
  ASSERT_EQ(img.width(), w);
  ASSERT_EQ(img.height(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      EXPECT_EQ(img.pixel(x, y), (Color{uint8_t(x * 40 + 10), uint8_t(y * 90 + 20), uint8_t(x * 20 + y * 100 + 5)}))
          << "at " << x << "," << y;
}

}  // namespace

TEST(Xwd, DecodesBothByteOrdersAt24And32BitsWithPaddingNameAndColormap) {
  for (uint32_t order : {0u, 1u}) {
    SCOPED_TRACE(order ? "MSBFirst" : "LSBFirst");
    Xwd x32;
    x32.byteOrder = order;
    x32.ncolors = 3;
    x32.nameLength = 9;
    expectGradient(hoptest::parseXWD(x32.bytes()), 3, 2);

    Xwd x24;  // 3 bytes a pixel and an odd row length: 9 bytes of pixels + 2 of padding
    x24.byteOrder = order;
    x24.bpp = 24;
    x24.bytesPerLine = 11;
    x24.height = 3;
    expectGradient(hoptest::parseXWD(x24.bytes()), 3, 3);
  }
}

TEST(Xwd, HonoursMasksOtherThanRgb888) {
  Xwd bgr;  // blue in the high byte, red in the low one
  bgr.red = 0x0000ff, bgr.blue = 0xff0000;
  bgr.value = [](uint32_t x, uint32_t) { return x == 0 ? 0x0000ffu : 0xff0000u; };
  Image img = hoptest::parseXWD(bgr.bytes());
  EXPECT_EQ(img.pixel(0, 0), (Color{255, 0, 0}));
  EXPECT_EQ(img.pixel(1, 1), (Color{0, 0, 255}));

  Xwd rgb565;  // 5-6-5 bits scale up to the full 0..255 range
  rgb565.bpp = 16, rgb565.bytesPerLine = 7, rgb565.byteOrder = 1;
  rgb565.red = 0xf800, rgb565.green = 0x07e0, rgb565.blue = 0x001f;
  rgb565.value = [](uint32_t x, uint32_t) { return x == 0 ? 0xf800u : x == 1 ? 0x07ffu : 0x8410u; };
  img = hoptest::parseXWD(rgb565.bytes());
  EXPECT_EQ(img.pixel(0, 1), (Color{255, 0, 0}));
  EXPECT_EQ(img.pixel(1, 0), (Color{0, 255, 255}));
  EXPECT_EQ(img.pixel(2, 0), (Color{131, 129, 131}));  // 16/31, 32/63, 16/31 of 255
}

TEST(Xwd, RejectsMalformedFiles) {
  auto rejects = [](const Xwd& x, size_t cut = 0) {
    auto b = x.bytes();
    b.resize(b.size() - cut);
    EXPECT_THROW(hoptest::parseXWD(b), std::runtime_error);
  };
  rejects(Xwd{}, 1);  // last pixel byte missing
  Xwd x;
  EXPECT_THROW(hoptest::parseXWD(std::vector<uint8_t>(99, 0)), std::runtime_error);  // short header
  x = Xwd{}, x.format = 1;  // XYPixmap
  rejects(x);
  x = Xwd{}, x.bpp = 8;
  rejects(x);
  x = Xwd{}, x.bytesPerLine = 11;  // shorter than 3 pixels of 4 bytes
  rejects(x);
  x = Xwd{}, x.green = 0;
  rejects(x);
  x = Xwd{}, x.width = 0;
  rejects(x);
  x = Xwd{}, x.ncolors = 1;  // colour entries the pixel count does not leave room for
  auto b = x.bytes();
  b.resize(b.size() - 12);
  EXPECT_THROW(hoptest::parseXWD(b), std::runtime_error);
  auto huge = Xwd{}.bytes();  // ncolors so large that the offset overflows 32 bits
  huge[19 * 4] = huge[19 * 4 + 1] = huge[19 * 4 + 2] = huge[19 * 4 + 3] = 0xff;
  EXPECT_THROW(hoptest::parseXWD(huge), std::runtime_error);
  EXPECT_THROW(hoptest::readXWD("/nonexistent/shot.xwd"), std::runtime_error);
}

TEST(Image, RegionsCountsAndComparisons) {
  Image a(10, 8);
  a.fill({255, 0, 0});
  a.fill({0, 0, 250}, Rect{2, 3, 4, 2});
  EXPECT_EQ(a.countNear({0, 0, 255}, 5), 8);
  EXPECT_EQ(a.countNear({0, 0, 255}, 4), 0);
  EXPECT_EQ(a.countNear({0, 0, 255}, 5, Rect{4, 0, -1, -1}), 4);  // to the edges
  EXPECT_EQ(a.countNear({255, 0, 0}, 0, Rect{-5, -5, 8, 8}), 9);  // clipped at the origin
  EXPECT_EQ(a.countNear({255, 0, 0}, 0, Rect{20, 20, 5, 5}), 0);

  Image b = a;
  EXPECT_EQ(a.countDiff(b), 0);
  b.setPixel(9, 7, {255, 3, 0});
  EXPECT_EQ(a.countDiff(b), 1);
  EXPECT_EQ(a.countDiff(b, {}, 3), 0);
  EXPECT_EQ(a.countDiff(b, Rect{0, 0, 9, 7}), 0);
  EXPECT_EQ(a.countDiff(Image(10, 7)), 80);  // the missing row counts as different

  Image c = a.crop(Rect{1, 2, 3, 3});
  ASSERT_EQ(c.width(), 3);
  ASSERT_EQ(c.height(), 3);
  EXPECT_EQ(c.pixel(0, 0), (Color{255, 0, 0}));
  EXPECT_EQ(c.pixel(1, 1), (Color{0, 0, 250}));
  EXPECT_THROW(c.pixel(3, 0), std::out_of_range);
  EXPECT_THROW(c.pixel(0, -1), std::out_of_range);
  EXPECT_THROW(Image(2, 2, 2), std::invalid_argument);
}

TEST(Image, PngAndPpmDumpsDecodeElsewhere) {
  // A PNG with several deflate blocks (rows > 64 KiB in total), read back by SDL_image.
  for (int channels : {3, 4}) {
    Image img(160, 150, channels);
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, {uint8_t(x), uint8_t(y), uint8_t(x ^ y), uint8_t(x + y)});
    const std::string png = "hoptest_image_test_" + std::to_string(channels) + ".png";
    const std::string ppm = "hoptest_image_test_" + std::to_string(channels) + ".ppm";
    ASSERT_TRUE(img.savePNG(png));
    ASSERT_TRUE(img.savePPM(ppm));
    for (const std::string& path : {png, ppm}) {
      SCOPED_TRACE(path);
      SDL_Surface* loaded = IMG_Load(path.c_str());
      ASSERT_NE(loaded, nullptr) << IMG_GetError();
      SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ABGR8888, 0);  // bytes R,G,B,A
      SDL_FreeSurface(loaded);
      ASSERT_NE(rgba, nullptr);
      EXPECT_EQ(rgba->w, 160);
      EXPECT_EQ(rgba->h, 150);
      int wrong = 0;
      const bool alpha = channels == 4 && path == png;
      for (int y = 0; y < rgba->h; ++y)
        for (int x = 0; x < rgba->w; ++x) {
          const uint8_t* p = static_cast<const uint8_t*>(rgba->pixels) + y * rgba->pitch + x * 4;
          Color want = img.pixel(x, y);
          wrong += p[0] != want.r || p[1] != want.g || p[2] != want.b || p[3] != (alpha ? want.a : 255);
        }
      EXPECT_EQ(wrong, 0);
      SDL_FreeSurface(rgba);
      std::remove(path.c_str());
    }
  }
  EXPECT_FALSE(Image(2, 2).savePNG("/nonexistent/dir/x.png"));
}
