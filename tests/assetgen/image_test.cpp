#include <gtest/gtest.h>

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "draw.h"
#include "image.h"
#include "pattern.h"
#include "temp_dir.h"

using namespace assetgen;

namespace {

int bitsPerPixel(const std::filesystem::path& file) {
  FIBITMAP* b = FreeImage_Load(FreeImage_GetFileType(file.string().c_str(), 0), file.string().c_str(), 0);
  if (!b) return -1;
  const int bpp = int(FreeImage_GetBPP(b));
  FreeImage_Unload(b);
  return bpp;
}

int channelDistance(Rgba a, Rgba b) {
  return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// The mean colour step from the last column (or row) to the first, divided by
// the largest mean step between any two neighbouring columns inside the tile:
// at most about 1 where the pattern continues across the seam.
double seamRatio(const Image& img, bool acrossColumns) {
  const int n = acrossColumns ? img.width() : img.height(), m = acrossColumns ? img.height() : img.width();
  auto px = [&](int i, int j) { return acrossColumns ? img.at(i, j) : img.at(j, i); };
  auto step = [&](int a, int b) {
    double sum = 0;
    for (int j = 0; j < m; ++j) sum += channelDistance(px(a, j), px(b, j));
    return sum / m;
  };
  double worstInside = 0;
  for (int i = 0; i + 1 < n; ++i) worstInside = std::max(worstInside, step(i, i + 1));
  return step(n - 1, 0) / worstInside;
}

}  // namespace

TEST(Image, PngKeepsPixelsAndTopRow) {
  TempDir dir("png");
  Image img(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) img.at(x, y) = rgb(x * 50, y * 100, 255 - x * 40, 100 + 50 * y);
  img.at(0, 0) = rgb(255, 0, 0);  // top-left red, bottom-left blue
  img.at(0, 2) = rgb(0, 0, 255);

  const auto rgba = dir.path() / "sub" / "rgba.png";  // the folder is created on the way
  savePng(img, rgba, PixelFormat::Rgba32);
  EXPECT_EQ(bitsPerPixel(rgba), 32);
  {
    // Read back through FreeImage alone, whose scanline height-1 is the
    // file's top row: it must hold our top-left red pixel.
    FIBITMAP* b = FreeImage_Load(FIF_PNG, rgba.string().c_str(), 0);
    ASSERT_NE(b, nullptr);
    const BYTE* top = FreeImage_GetScanLine(b, 2);
    EXPECT_EQ(top[FI_RGBA_RED], 255);
    EXPECT_EQ(top[FI_RGBA_BLUE], 0);
    EXPECT_EQ(FreeImage_GetScanLine(b, 0)[FI_RGBA_BLUE], 255);
    FreeImage_Unload(b);
  }
  const Image back = loadImage(rgba);
  ASSERT_EQ(back.width(), 5);
  ASSERT_EQ(back.height(), 3);
  EXPECT_EQ(back.pixels(), img.pixels());

  const auto rgb24 = dir.path() / "rgb.png";
  savePng(img, rgb24, PixelFormat::Rgb24);
  EXPECT_EQ(bitsPerPixel(rgb24), 24);
  const Image opaque = loadImage(rgb24);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const Rgba a = img.at(x, y), b = opaque.at(x, y);
      EXPECT_EQ(rgb(a.r, a.g, a.b), b) << x << "," << y;
    }

  // JPEG is lossy: compare a big two-colour picture block-wise, which also
  // shows its top row stays on top.
  Image halves(32, 32, rgb(240, 240, 240));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) halves.at(x, y) = rgb(20, 30, 200);
  const auto jpg = dir.path() / "halves.jpg";
  saveJpg(halves, jpg, 95);
  const Image j = loadImage(jpg);
  EXPECT_LT(channelDistance(j.at(16, 4), rgb(20, 30, 200)), 30);
  EXPECT_LT(channelDistance(j.at(16, 28), rgb(240, 240, 240)), 30);
}

TEST(Image, WritingIntoAFileInsteadOfAFolderFails) {
  TempDir dir("badpath");
  std::ofstream(dir.path() / "plain").put('x');
  const Image img(4, 4);
  EXPECT_THROW(savePng(img, dir.path() / "plain" / "x.png", PixelFormat::Rgb24), std::runtime_error);
  EXPECT_THROW(loadImage(dir.path() / "missing.png"), std::runtime_error);
  EXPECT_THROW(Image(0, 4), std::invalid_argument);
}

TEST(Image, BlendingAndShapes) {
  Image img(40, 40, rgb(0, 0, 0));
  img.blend(0, 0, rgb(200, 100, 50));
  EXPECT_EQ(img.at(0, 0), rgb(200, 100, 50));
  img.blend(1, 0, rgb(200, 100, 50, 0));
  EXPECT_EQ(img.at(1, 0), rgb(0, 0, 0));
  img.blend(2, 0, rgb(200, 100, 50), 0.5f);
  EXPECT_EQ(img.at(2, 0), rgb(100, 50, 25));
  img.blend(-1, 50, rgb(255, 255, 255));  // outside: ignored, no crash

  fillDisc(img, 20.f, 20.f, 8.f, rgb(255, 255, 255));
  EXPECT_EQ(img.at(20, 20), rgb(255, 255, 255));
  EXPECT_EQ(img.at(20, 10), rgb(0, 0, 0));
  EXPECT_EQ(img.at(26, 26), rgb(0, 0, 0));  // outside the radius on the diagonal

  Image r(40, 40, rgb(0, 0, 0));
  fillRoundedRect(r, 5, 5, 30, 30, 10, rgb(255, 255, 255));
  EXPECT_EQ(r.at(20, 5), rgb(255, 255, 255));
  EXPECT_EQ(r.at(5, 5), rgb(0, 0, 0));  // rounded-off corner
  fillRect(r, 38, 38, 10, 10, rgb(9, 9, 9));  // clipped
  EXPECT_EQ(r.at(39, 39), rgb(9, 9, 9));

  Image g(2, 11);
  verticalGradient(g, rgb(0, 0, 0), rgb(200, 100, 0));
  EXPECT_EQ(g.at(1, 0), rgb(0, 0, 0));
  EXPECT_EQ(g.at(1, 5), rgb(100, 50, 0));
  EXPECT_EQ(g.at(0, 10), rgb(200, 100, 0));
}

TEST(Pattern, NoiseIsDeterministicAndWraps) {
  EXPECT_EQ(hash2(3, 4, 5), hash2(3, 4, 5));
  EXPECT_NE(hash2(3, 4, 5), hash2(4, 3, 5));
  EXPECT_NE(hash2(3, 4, 5), hash2(3, 4, 6));
  for (float u : {0.f, 0.13f, 0.5f, 0.97f})
    for (float v : {0.f, 0.31f, 0.99f}) {
      const float n = tileNoise(u, v, 6, 9);
      EXPECT_GE(n, 0.f);
      EXPECT_LE(n, 1.f);
      EXPECT_NEAR(n, tileNoise(u + 1.f, v, 6, 9), 1e-5f);
      EXPECT_NEAR(n, tileNoise(u, v - 1.f, 6, 9), 1e-5f);
      EXPECT_NEAR(tileFbm(u, v, 3, 3, 2), tileFbm(u + 1.f, v + 1.f, 3, 3, 2), 1e-5f);
    }
}

TEST(Pattern, WaterTilesSeamlesslyAndTheSeamCheckCanTell) {
  const Image water = waterTexture(128, rgb(52, 146, 218), rgb(176, 228, 250), 5);
  EXPECT_LT(seamRatio(water, true), 1.05);
  EXPECT_LT(seamRatio(water, false), 1.05);
  // The ripples are there at all: a share of pixels well above the median.
  std::vector<int> green;
  for (const Rgba& p : water.pixels()) green.push_back(p.g);
  std::nth_element(green.begin(), green.begin() + long(green.size() / 2), green.end());
  const int median = green[green.size() / 2];
  int light = 0;
  for (const Rgba& p : water.pixels()) light += p.g > median + 25;
  EXPECT_GT(light, 128 * 128 / 50);

  const Image sand = sandTexture(64, rgb(240, 226, 172), 1);
  EXPECT_LT(seamRatio(sand, true), 1.05);
  // Control: a brightness ramp across the tile leaves a seam the check must see.
  Image ramp = sand;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) ramp.at(x, y) = shade(ramp.at(x, y), 1.f - 0.4f * float(x) / 63.f);
  EXPECT_GT(seamRatio(ramp, true), 2.0);
  // darkenEdge darkens the border only.
  Image framed = sand;
  darkenEdge(framed, 3, 0.7f);
  EXPECT_LT(framed.at(0, 30).r, sand.at(0, 30).r);
  EXPECT_EQ(framed.at(30, 30), sand.at(30, 30));

  for (const Image& t : {grassTexture(64, rgb(100, 180, 70), rgb(60, 130, 50), 3), snowTexture(64, rgb(240, 246, 255), 3)}) {
    EXPECT_LT(seamRatio(t, true), 1.05);
    EXPECT_LT(seamRatio(t, false), 1.05);
  }
}

TEST(Pattern, StripesAndDashesFollowTheirPeriod) {
  Image road(32, 8, rgb(60, 60, 60));
  dashes(road, 3, 2, 4, 8, 2, rgb(255, 255, 255));
  for (int x = 0; x < 32; ++x) {
    const bool on = ((x - 2) % 8 + 8) % 8 < 4;
    EXPECT_EQ(road.at(x, 3) == rgb(255, 255, 255), on) << x;
    EXPECT_EQ(road.at(x, 4), road.at(x, 3));
    EXPECT_EQ(road.at(x, 5), rgb(60, 60, 60));
  }
  Image s(8, 8, rgb(0, 0, 0));
  stripes(s, 4, 1, 1, true, rgb(255, 0, 0));
  EXPECT_EQ(s.at(1, 7), rgb(255, 0, 0));
  EXPECT_EQ(s.at(5, 0), rgb(255, 0, 0));
  EXPECT_EQ(s.at(2, 0), rgb(0, 0, 0));
}
