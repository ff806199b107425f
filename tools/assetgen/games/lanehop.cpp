// lanehop: terrain textures, two six-face sky boxes and two tree models.
// The terrain is drawn modulated by a grey of about 0.4 under the light, so
// the textures are painted bright. Tree models are y up; the game draws them
// as scale(translate(v)) inside a tile whose corner is the origin:
//   Tree_1:     world = (0.32 (x + 1.5), y + 0.1, 0.32 (z + 1.5))
//   Tree_5_73:  world = (0.4 (x + 1.25), y,       0.4 (z + 1.25))
// so their trunks stand at model x = z = 0.0625 and x = z = 0.
#include <algorithm>
#include <cmath>

#include "draw.h"
#include "fonts.h"
#include "games.h"
#include "obj.h"
#include "pattern.h"
#include "voxel.h"

namespace assetgen {

namespace {

namespace fs = std::filesystem;

constexpr int kTex = 256;
constexpr int kSky = 512;

Image noisy(Rgba base, float amount, int cells, std::uint32_t seed) {
  Image img(kTex, kTex, base);
  for (int y = 0; y < kTex; ++y)
    for (int x = 0; x < kTex; ++x) {
      const float u = float(x) / kTex, v = float(y) / kTex;
      const float n = tileFbm(u, v, cells, 4, seed) - 0.5f;
      const float grain = hashUnit(x, y, seed + 7) - 0.5f;
      img.at(x, y) = shade(base, 1.f + amount * n + 0.08f * grain);
    }
  return img;
}

Image wood() {
  Image img(kTex, kTex);
  const Rgba light = rgb(240, 196, 140), dark = rgb(196, 140, 90);
  for (int y = 0; y < kTex; ++y)
    for (int x = 0; x < kTex; ++x) {
      const float u = float(x) / kTex, v = float(y) / kTex;
      const float warp = tileFbm(u, v * 0.25f, 4, 3, 31u);
      const float grain = 0.5f + 0.5f * std::sin((u * 12.f + warp * 3.f) * 6.2831853f);
      img.at(x, y) = shade(mix(dark, light, grain), 0.95f + 0.1f * hashUnit(x, y, 3u));
    }
  return img;
}

Image leaves() {
  Image img(kTex, kTex);
  const Rgba dark = rgb(96, 190, 84), light = rgb(190, 248, 150);
  for (int y = 0; y < kTex; ++y)
    for (int x = 0; x < kTex; ++x) {
      const float n = tileFbm(float(x) / kTex, float(y) / kTex, 8, 4, 41u);
      img.at(x, y) = mix(dark, light, std::clamp((n - 0.3f) * 2.f, 0.f, 1.f));
    }
  // A few bright leaf tips.
  for (int k = 0; k < 90; ++k) {
    const float cx = hashUnit(k, 1, 43u) * kTex, cy = hashUnit(k, 2, 43u) * kTex;
    fillDisc(img, cx, cy, 2.f + 2.f * hashUnit(k, 3, 43u), rgb(225, 255, 190, 200));
  }
  return img;
}

Image street() {
  Image img = noisy(rgb(150, 150, 156), 0.25f, 16, 51u);
  // Worn kerb lines along both edges of the lane.
  for (int y : {0, kTex - 8}) fillRect(img, 0, y, kTex, 8, rgb(200, 200, 196));
  return img;
}

Image lotus() {
  Image img(kTex, kTex, rgb(40, 120, 170));
  const float c = kTex / 2.f;
  fillDisc(img, c, c, kTex * 0.46f, rgb(60, 170, 70));
  fillDisc(img, c, c, kTex * 0.38f, rgb(90, 200, 90));
  // The notch of a lily pad: a wedge of water from the centre to the rim.
  for (int y = 0; y < kTex; ++y)
    for (int x = 0; x < kTex; ++x) {
      const float dx = float(x) - c, dy = float(y) - c;
      if (dy > 0 && std::fabs(dx) < dy * 0.25f && dx * dx + dy * dy < kTex * kTex * 0.25f) img.at(x, y) = rgb(40, 120, 170);
    }
  for (int k = 0; k < 6; ++k) {
    const float a = float(k) * 1.047f;
    fillDisc(img, c + 22 * std::cos(a), c - 30 + 22 * std::sin(a), 16, rgb(250, 170, 200));
  }
  fillDisc(img, c, c - 30, 12, rgb(255, 226, 90));
  return img;
}

Image rock() {
  Image img = noisy(rgb(196, 190, 182), 0.5f, 6, 61u);
  for (int k = 0; k < 10; ++k) {
    const float x0 = hashUnit(k, 0, 63u) * kTex, y0 = hashUnit(k, 1, 63u) * kTex;
    drawLine(img, x0, y0, x0 + 40 * (hashUnit(k, 2, 63u) - 0.5f), y0 + 40 * (hashUnit(k, 3, 63u) - 0.5f), 1.5f,
             rgb(110, 104, 98, 180));
  }
  return img;
}

// A side face: zenith at the top edge, horizon at the bottom, and soft clouds
// kept clear of the left and right edges so neighbouring faces meet cleanly.
Image skySide(Rgba zenith, Rgba horizon, Rgba cloud, std::uint32_t seed) {
  Image img(kSky, kSky);
  for (int y = 0; y < kSky; ++y) {
    const float t = float(y) / float(kSky - 1);
    const Rgba c = mix(zenith, horizon, t * t);
    for (int x = 0; x < kSky; ++x) img.at(x, y) = c;
  }
  for (int k = 0; k < 7; ++k) {
    const float cx = 80 + hashUnit(k, 0, seed) * (kSky - 160), cy = kSky * (0.45f + 0.3f * hashUnit(k, 1, seed));
    for (int p = 0; p < 6; ++p) {
      const float r = 18 + 16 * hashUnit(k, p + 2, seed);
      fillDisc(img, cx + float(p - 3) * 14, cy + 8 * std::sin(float(p)), r, withAlpha(cloud, 110), 10.f);
    }
  }
  return img;
}

void skybox(const fs::path& dir, Rgba zenith, Rgba horizon, Rgba ground, Rgba cloud) {
  const char* sides[4] = {"back", "front", "left", "right"};
  for (int i = 0; i < 4; ++i)
    saveJpg(skySide(zenith, horizon, cloud, 100u + std::uint32_t(i)), dir / (std::string(sides[i]) + ".jpg"));
  saveJpg(Image(kSky, kSky, zenith), dir / "top.jpg");
  saveJpg(Image(kSky, kSky, ground), dir / "bottom.jpg");
}

ObjOptions treeOptions(const char* comment) {
  ObjOptions o;
  o.comment = comment;
  o.sideNormalLift = 0.6f;
  o.shade = {0.9f, 0.82f, 1.f, 0.6f, 0.94f, 0.78f};
  return o;
}

void box(MeshPart& part, Vec3 lo, Vec3 hi, Rgba c) {
  std::array<Rgba, kFaceCount> faces;
  faces.fill(c);
  for (const Quad& q : boxQuads(lo, hi, faces)) part.quads.push_back(q);
}

// A pine-like stack of three leafy blocks on a brown trunk; about 2.4 tall in
// the world, 0.9 wide at the bottom tier (the crown layer the chicken can stand on).
Mesh tree1() {
  const float cx = 0.0625f, s = 1.f / 0.32f;  // world x -> model x
  auto X = [&](float w) { return w * s; };
  MeshPart trunk{"trunk", {}}, crown{"crown", {}};
  box(trunk, {cx - X(0.1f), 0, cx - X(0.1f)}, {cx + X(0.1f), 1.35f, cx + X(0.1f)}, rgb(128, 84, 44));
  const Rgba greens[3] = {rgb(46, 140, 60), rgb(64, 166, 72), rgb(92, 192, 86)};
  const float tiers[3][3] = {{0.45f, 1.2f, 1.75f}, {0.34f, 1.75f, 2.12f}, {0.2f, 2.12f, 2.35f}};
  for (int i = 0; i < 3; ++i) {
    const float h = X(tiers[i][0]);
    box(crown, {cx - h, tiers[i][1], cx - h}, {cx + h, tiers[i][2], cx + h}, greens[i]);
  }
  // Lighter tufts on the bottom tier's sides.
  box(crown, {cx - X(0.2f), 1.3f, cx + X(0.44f)}, {cx + X(0.05f), 1.6f, cx + X(0.48f)}, greens[2]);
  box(crown, {cx + X(0.44f), 1.35f, cx - X(0.1f)}, {cx + X(0.48f), 1.65f, cx + X(0.15f)}, greens[2]);
  return {trunk, crown};
}

// A palm: a segmented, slightly stepped trunk and eight drooping fronds.
Mesh palm() {
  const float s = 1.f / 0.4f;
  auto X = [&](float w) { return w * s; };
  MeshPart trunk{"trunk", {}}, fronds{"fronds", {}};
  const Rgba bark[2] = {rgb(150, 104, 60), rgb(118, 80, 44)};
  float x = 0;
  for (int i = 0; i < 8; ++i) {
    const float y0 = 0.26f * float(i), y1 = y0 + 0.26f, h = X(0.07f - 0.004f * float(i));
    box(trunk, {x - h, y0, -h}, {x + h, y1, h}, bark[i % 2]);
    x += X(0.008f);
  }
  const float top = 2.08f;
  const Rgba leaf = rgb(70, 168, 64), leafTip = rgb(108, 196, 82);
  for (int d = 0; d < 8; ++d) {
    const float a = float(d) * 0.785398f;
    const float ca = std::cos(a), sa = std::sin(a);
    for (int k = 0; k < 4; ++k) {
      const float r = X(0.06f + 0.11f * float(k));
      const float cxk = x + ca * r, czk = sa * r, y = top + 0.12f - 0.09f * float(k * k) * 0.5f;
      const float h = X(0.07f);
      box(fronds, {cxk - h, y - 0.05f, czk - h}, {cxk + h, y + 0.03f, czk + h}, k == 3 ? leafTip : leaf);
    }
  }
  const float c = X(0.05f);
  for (int k = 0; k < 3; ++k) {
    const float a = float(k) * 2.094f;
    box(trunk, {x + std::cos(a) * c - c, top - 0.14f, std::sin(a) * c - c}, {x + std::cos(a) * c + c, top - 0.02f, std::sin(a) * c + c},
        rgb(96, 64, 30));
  }
  return {trunk, fronds};
}

}  // namespace

void generateLanehop(const fs::path& out) {
  const fs::path tex = out / "resources" / "textures";
  saveJpg(wood(), tex / "wood.jpg");
  saveJpg(grassTexture(kTex, rgb(118, 196, 78), rgb(78, 156, 56), 71u), tex / "grass.jpg");
  saveJpg(rock(), tex / "rock.jpg");
  saveJpg(sandTexture(kTex, rgb(250, 236, 186), 73u), tex / "sand.jpg");
  saveJpg(leaves(), tex / "leaves.jpg");
  saveJpg(street(), tex / "street.jpg");
  saveJpg(noisy(rgb(250, 246, 236), 0.15f, 8, 75u), tex / "bump.jpg");
  saveJpg(lotus(), tex / "lotus.jpg");
  savePng(waterTexture(kTex, rgb(150, 210, 245), rgb(235, 250, 255), 77u), tex / "water.png", PixelFormat::Rgb24);
  skybox(tex / "skybox", rgb(70, 140, 225), rgb(200, 228, 248), rgb(120, 150, 110), rgb(255, 255, 255));
  skybox(tex / "skyboxSunset", rgb(70, 50, 120), rgb(250, 150, 70), rgb(90, 60, 60), rgb(255, 200, 170));
  writeModel(tree1(), out / "resources" / "models" / "tree" / "Tree_1.obj", tex / "models" / "TEXTURE_V1.png",
             treeOptions("lanehop tree, y up, trunk at x = z = 0.0625"));
  writeModel(palm(), out / "resources" / "models" / "tree" / "Tree_5_73.obj", tex / "models" / "Tree_5_normal.png",
             treeOptions("lanehop palm, y up, trunk at the origin"));
  stageFonts("lanehop", out);
}

static const GameRegistration registration{"lanehop", generateLanehop};

}  // namespace assetgen
