#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <locale>
#include <sstream>

#include "obj.h"
#include "obj_reader.h"

using namespace assetgen;

namespace {

const Rgba kRed = rgb(220, 40, 40), kBlue = rgb(40, 60, 220);

Mesh twoColourBar() {
  VoxelModel m(0.25f);
  m.fill(0, 0, 0, 1, 0, 0, kRed);
  m.set(2, 0, 0, kBlue);
  return {{"bar", m.mesh()}};
}

void expectNear3(Vec3 v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-6f);
  EXPECT_NEAR(v.y, y, 1e-6f);
  EXPECT_NEAR(v.z, z, 1e-6f);
}

// Decimal comma for iostreams, whatever locales the system has installed.
struct CommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

}  // namespace

TEST(Obj, NumbersArePlainCLocaleDecimals) {
  EXPECT_EQ(formatNumber(0.5), "0.5");
  EXPECT_EQ(formatNumber(1.0), "1");
  EXPECT_EQ(formatNumber(-2.25), "-2.25");
  EXPECT_EQ(formatNumber(-0.0), "0");
  EXPECT_EQ(formatNumber(-1e-9), "0");
  EXPECT_EQ(formatNumber(1234.567891), "1234.56789");
  EXPECT_EQ(formatNumber(100.0), "100");
}

TEST(Obj, QuarterTurnTransforms) {
  // The boardhop world: rotate -90 degrees about x maps (x, y, z) to (x, z, -y).
  expectNear3(Transform().rotate(0, -1).point({1, 2, 3}), 1, 3, -2);
  expectNear3(Transform().rotate(1, 1).point({0, 0, 1}), 1, 0, 0);
  expectNear3(Transform().rotate(2, 1).point({1, 0, 0}), 0, 1, 0);
  expectNear3(Transform().rotate(1, 4).point({1, 2, 3}), 1, 2, 3);
  expectNear3(Transform().rotate(1, -3).point({0, 0, 1}), 1, 0, 0);  // -3 turns == +1
  // Steps apply in call order.
  expectNear3(Transform().translate({1, 0, 0}).scale(2).point({1, 1, 1}), 4, 2, 2);
  expectNear3(Transform().scale(2).translate({1, 0, 0}).point({1, 1, 1}), 3, 2, 2);
  expectNear3(Transform().translate({0, 1, 0}).rotate(0, 1).point({0, 0, 0}), 0, 0, 1);
  expectNear3(Transform().scale(3).rotate(2, 1).direction({1, 0, 0}), 0, 1, 0);
  EXPECT_THROW(Transform().scale(-1), std::invalid_argument);
  EXPECT_THROW(Transform().rotate(3, 1), std::invalid_argument);
}

TEST(Obj, PaletteSwatchCentresSampleTheirOwnColour) {
  Palette p(64, 8);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(p.index(rgb(i * 4, 255 - i * 4, i % 7 * 30)), i);
  EXPECT_EQ(p.index(rgb(4, 251, 30)), 1);  // known colour: same index
  EXPECT_THROW(p.index(rgb(1, 2, 3)), std::runtime_error);
  const Image img = p.image();
  for (int i = 0; i < p.size(); ++i) {
    const auto uv = p.uv(i);
    // Texel under the UV (v = 0 at the bottom), and the whole 3x3 texel
    // neighbourhood a linear filter could touch, are the swatch's colour.
    const float px = uv[0] * 64.f, py = (1.f - uv[1]) * 64.f;
    EXPECT_FLOAT_EQ(px - std::floor(px / 8) * 8, 4.f) << i;
    EXPECT_FLOAT_EQ(py - std::floor(py / 8) * 8, 4.f) << i;
    for (int dy = -2; dy <= 1; ++dy)
      for (int dx = -2; dx <= 1; ++dx) EXPECT_EQ(img.at(int(px) + dx, int(py) + dy), p.colour(i)) << i;
  }
  EXPECT_THROW(Palette(64, 12), std::invalid_argument);
}

TEST(Obj, RoundTripTrianglesWithTextureAndNormals) {
  const Mesh mesh = twoColourBar();
  Palette palette(64, 8);
  ObjOptions o;
  o.comment = "test bar";
  o.objectPerPart = true;
  const std::string text = objText(mesh, palette, o);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.rfind("# test bar\n", 0), 0u);
  const ObjData d = parseObjText(text);
  // The red pair merges into one 2x1x1 box; each colour shows 5 quads: 20 triangles.
  EXPECT_EQ(d.faces.size(), 20u);
  EXPECT_EQ(d.v.size(), 12u);  // 4 corners on each of the planes x = 0, 0.5, 0.75, shared
  EXPECT_EQ(d.vt.size(), 2u);
  EXPECT_EQ(d.vn.size(), 6u);
  EXPECT_EQ(palette.size(), 2);
  const Image img = palette.image();
  for (const auto& f : d.faces) {
    ASSERT_EQ(f.size(), 3u);
    for (const ObjCorner& c : f) {
      EXPECT_GT(c.t, 0);
      EXPECT_GT(c.n, 0);
    }
    // All corners of a face share one swatch centre and one normal.
    EXPECT_EQ(f[0].t, f[1].t);
    EXPECT_EQ(f[0].t, f[2].t);
    EXPECT_EQ(f[0].n, f[2].n);
    const auto& uv = d.vt[std::size_t(f[0].t - 1)];
    const Rgba c = img.at(int(uv[0] * 64), int((1 - uv[1]) * 64));
    EXPECT_TRUE(c == kRed || c == kBlue);
  }
  for (const auto& n : d.vn) EXPECT_NEAR(std::hypot(n[0], n[1], n[2]), 1.0, 1e-4);
  int objects = 0;
  for (const auto& k : d.keywords) {
    EXPECT_TRUE(k == "#" || k == "o" || k == "v" || k == "vt" || k == "vn" || k == "f") << k;
    objects += k == "o";
  }
  EXPECT_EQ(objects, 1);
}

TEST(Obj, FaceFormsMaterialsAndTransform) {
  const Mesh mesh = twoColourBar();
  {
    Palette p;
    ObjOptions o;
    o.quads = true;
    o.corners = Corners::PosNormal;
    const ObjData d = parseObjText(objText(mesh, p, o));
    EXPECT_EQ(d.faces.size(), 10u);
    EXPECT_TRUE(d.vt.empty());
    for (const auto& f : d.faces) {
      ASSERT_EQ(f.size(), 4u);
      EXPECT_EQ(f[0].t, 0);
      EXPECT_GT(f[0].n, 0);
    }
  }
  {
    Palette p;
    ObjOptions o;
    o.corners = Corners::PosTex;
    o.groupPerPart = true;
    o.mtlLib = "bar.mtl";
    const std::string text = objText(mesh, p, o);
    const ObjData d = parseObjText(text);
    EXPECT_TRUE(d.vn.empty());
    EXPECT_EQ(d.keywords.front(), "mtllib");
    EXPECT_EQ(d.faces.size(), 20u);
    int blue = 0;
    for (std::size_t i = 0; i < d.faces.size(); ++i) {
      EXPECT_EQ(d.faces[i][0].n, 0);
      const std::string& m = d.faceMaterial[i];
      ASSERT_FALSE(m.empty());
      const Rgba c = p.colour(std::stoi(m.substr(1)));
      EXPECT_TRUE(c == kBlue || c == kRed);
      blue += c == kBlue;
    }
    EXPECT_EQ(blue, 10);
    const std::string mtl = mtlText(p, "bar.png");
    EXPECT_NE(mtl.find("newmtl c0\n"), std::string::npos);
    EXPECT_NE(mtl.find("Kd 0.86275 0.15686 0.15686\nKs"), std::string::npos);
    EXPECT_NE(mtl.find("Kd 0.15686 0.23529 0.86275\nKs"), std::string::npos);
    EXPECT_NE(mtl.find("map_Kd bar.png\n"), std::string::npos);
  }
  {
    // Turned -90 degrees about x, scaled and moved: the top face now faces -z.
    Palette p;
    ObjOptions o;
    o.transform.rotate(0, -1).scale(2).translate({10, 0, 0});
    o.shade = {1, 1, 0.5f, 1, 1, 1};
    o.sideNormalLift = 1.f;
    const ObjData d = parseObjText(objText(mesh, p, o));
    double minX = 1e9, maxX = -1e9, minZ = 1e9;
    for (const auto& v : d.v) {
      minX = std::min(minX, v[0]);
      maxX = std::max(maxX, v[0]);
      minZ = std::min(minZ, v[2]);
    }
    EXPECT_DOUBLE_EQ(minX, 10.0);
    EXPECT_DOUBLE_EQ(maxX, 11.5);
    EXPECT_DOUBLE_EQ(minZ, -0.5);
    bool down = false, liftedSide = false;
    for (const auto& n : d.vn) {
      down = down || (n[2] < -0.999 && std::fabs(n[0]) < 1e-6);
      // A +x side lifted towards model +y, which is now -z.
      liftedSide = liftedSide || (std::fabs(n[0] - std::sqrt(0.5)) < 1e-4 && std::fabs(n[2] + std::sqrt(0.5)) < 1e-4);
    }
    EXPECT_TRUE(down);
    EXPECT_TRUE(liftedSide);
    EXPECT_EQ(p.size(), 4);  // red and blue, each also at half brightness on top
  }
}

TEST(Obj, OutputIgnoresTheStreamLocale) {
  const Mesh mesh = twoColourBar();
  ObjOptions o;
  o.transform.scale(1.1f);
  Palette reference;
  const std::string expected = objText(mesh, reference, o);
  ASSERT_NE(expected.find('.'), std::string::npos);

  const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
  Palette p1;
  const std::string withStreams = objText(mesh, p1, o);
  std::locale::global(previous);
  EXPECT_EQ(withStreams, expected);
}

TEST(Obj, OutputIgnoresTheCLibraryLocale) {
  const Mesh mesh = twoColourBar();
  ObjOptions o;
  o.transform.scale(1.1f);
  Palette reference;
  const std::string expected = objText(mesh, reference, o);

  const std::string oldC = std::setlocale(LC_ALL, nullptr);
  const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
  if (!german) german = std::setlocale(LC_ALL, "de_DE.utf8");
  if (!german) GTEST_SKIP() << "no de_DE locale installed; C-library locale check skipped";
  Palette p2;
  const std::string withC = objText(mesh, p2, o);
  std::setlocale(LC_ALL, oldC.c_str());
  EXPECT_EQ(withC, expected);
}
