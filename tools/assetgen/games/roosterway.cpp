// roosterway: a chicken crossing a 51-row field of grass and roads.
//
// Frames the game draws in (all models y up, built with voxels):
// - the chicken is drawn at (x, height + 0.5, z + 0.25) and turned by its
//   facing, so it looks along +z, is centred on x = z = 0 and its feet sit at
//   y = -0.2 (the rows' top at 0.3);
// - trees and boulders are drawn at (column - 17.5, 0.3, -row) turned 90
//   degrees about y (model +z becomes world +x), so their footprint is centred
//   on model (0, 0.5) to stand on the square the chicken hops to;
// - cars are turned +-90 degrees by the sign of their speed, so they point
//   along +z, centred on the origin (either turn must leave them in place);
// - rows are drawn turned 180 degrees and stretched 35/25 in x, one unit
//   apart: the row model spans x -12.5..12.5, z -0.5..0.5, y 0..0.3. Its edge
//   at z = -0.5 meets the previous row, where the striped road has its dashes.
#include <array>
#include <cmath>
#include <initializer_list>
#include <sstream>

#include "draw.h"
#include "files.h"
#include "fonts.h"
#include "games.h"
#include "heroes.h"
#include "obj.h"
#include "pattern.h"
#include "voxel.h"

namespace assetgen {

namespace {

namespace fs = std::filesystem;

constexpr int kRowTexture = 128;

ObjOptions modelOptions(const char* comment, float lift, Transform t = Transform()) {
  ObjOptions o;
  o.comment = comment;
  o.objectPerPart = true;
  o.sideNormalLift = lift;
  o.shade = {0.9f, 0.86f, 1.f, 0.6f, 0.95f, 0.82f};
  o.transform = t;
  return o;
}

// ---- chicken ---------------------------------------------------------------

// 8 cells wide, 10 deep, 13 tall at 0.06: about 0.5 x 0.6 x 0.78 units.
Mesh chicken() {
  constexpr float v = 0.06f;
  const Rgba white = rgb(250, 250, 246), wing = rgb(226, 226, 218), red = rgb(226, 40, 40);
  const Rgba orange = rgb(250, 150, 30), black = rgb(20, 20, 24), tail = rgb(236, 236, 228);
  VoxelModel m(v, Vec3{-4 * v, -0.2f, -5 * v});
  // Legs and feet (toes point forward, +z).
  for (int lx : {2, 5}) {
    m.fill(lx, 1, 4, lx, 2, 4, orange);
    m.fill(lx, 0, 4, lx, 0, 6, orange);
  }
  // Body: a rounded box, the back (low z) a little higher for the tail.
  for (int y = 3; y <= 8; ++y)
    for (int x = 1; x <= 6; ++x)
      for (int z = 1; z <= 7; ++z) {
        const bool corner = (x == 1 || x == 6) && (z == 1 || z == 7) && (y == 3 || y == 8);
        if (!corner) m.set(x, y, z, white);
      }
  m.fill(2, 8, 0, 5, 10, 1, tail);  // tail feathers up at the back
  m.fill(3, 11, 0, 4, 11, 0, tail);
  // Wings on the flanks.
  m.fill(0, 4, 2, 0, 7, 6, wing);
  m.fill(7, 4, 2, 7, 7, 6, wing);
  // Head over the front of the body.
  m.fill(2, 9, 4, 5, 12, 8, white);
  m.fill(3, 13, 4, 4, 13, 7, red);  // comb
  m.fill(3, 14, 5, 4, 14, 6, red);
  m.fill(3, 10, 9, 4, 11, 9, orange);  // beak
  m.fill(3, 8, 8, 4, 9, 9, red);      // wattle
  m.erase(3, 9, 9);
  m.erase(4, 9, 9);
  m.set(3, 8, 9, red);
  m.set(4, 8, 9, red);
  // Eyes on both sides of the head, also seen from the front.
  m.set(2, 11, 7, black);
  m.set(5, 11, 7, black);
  return {{"chicken", m.mesh()}};
}

// ---- boulders and trees ----------------------------------------------------

// A rounded lump of rock: cells inside a squashed half ellipsoid round
// (cx, cz), a few darker and lighter stones mixed in.
void lump(VoxelModel& m, float cx, float cz, float radius, float height, Rgba stone, Rgba light, Rgba dark,
          std::uint32_t seed) {
  for (int y = 0; float(y) < height; ++y)
    for (int x = int(cx - radius) - 1; float(x) <= cx + radius; ++x)
      for (int z = int(cz - radius) - 1; float(z) <= cz + radius; ++z) {
        const float dx = float(x) + 0.5f - cx, dz = float(z) + 0.5f - cz, dy = float(y) + 0.5f;
        if ((dx * dx + dz * dz) / (radius * radius) + dy * dy / (height * height) > 1.f) continue;
        const std::uint32_t h = hash2(x * 16 + z, y, seed) % 7u;
        m.set(x, y, z, h == 0 ? dark : h == 1 ? light : stone);
      }
}

Mesh boulder1() {
  constexpr float v = 0.08f;
  VoxelModel m(v, Vec3{-4.5f * v, 0, -4.5f * v});
  lump(m, 4.5f, 4.5f, 4.6f, 6.2f, rgb(150, 150, 156), rgb(184, 184, 190), rgb(112, 112, 120), 71u);
  const Rgba moss = rgb(96, 150, 70);
  m.set(3, 6, 4, moss);
  m.set(4, 6, 4, moss);
  m.set(4, 6, 5, moss);
  return {{"boulder1", m.mesh()}};
}

// A broad flat rock with a smaller one beside it.
Mesh boulder2() {
  constexpr float v = 0.08f;
  const Rgba stone = rgb(146, 136, 126), light = rgb(180, 172, 160), dark = rgb(108, 100, 94);
  VoxelModel m(v, Vec3{-4.5f * v, 0, -4.5f * v});
  lump(m, 3.8f, 5.f, 3.8f, 4.6f, stone, light, dark, 73u);
  lump(m, 6.6f, 2.4f, 2.3f, 3.2f, stone, light, dark, 79u);
  return {{"boulder2", m.mesh()}};
}

struct TreeStyle {
  Rgba trunk, trunkDark, leaf, leafLight, leafDark;
};

// Trunk 2 x 2 cells; canopy blocks from the widest at the bottom up.
Mesh tree(const char* name, const TreeStyle& s, int trunkTop, std::initializer_list<std::array<int, 3>> tiers) {
  constexpr float v = 0.1f;
  VoxelModel m(v, Vec3{-4 * v, 0, -4 * v});
  for (int y = 0; y <= trunkTop; ++y) m.fill(3, y, 3, 4, y, 4, y % 3 == 2 ? s.trunkDark : s.trunk);
  for (const auto& t : tiers) {  // {half width, bottom, top}
    const int lo = 4 - t[0], hi = 3 + t[0];
    for (int y = t[1]; y <= t[2]; ++y)
      for (int x = lo; x <= hi; ++x)
        for (int z = lo; z <= hi; ++z) {
          const std::uint32_t h = hash2(x * 16 + z, y, 97u) % 9u;
          const Rgba c = y == t[2] ? s.leafLight : h == 0 ? s.leafDark : h == 1 ? s.leafLight : s.leaf;
          m.set(x, y, z, c);
        }
  }
  return {{name, m.mesh()}};
}

// ---- vehicles --------------------------------------------------------------

struct CarStyle {
  Rgba body, bodyDark, cabin;
  bool police = false, taxi = false;
};

// 18 cells long (z), 8 wide, 8 tall at 0.1, centred on the origin, front at +z.
Mesh car(const char* name, const CarStyle& s) {
  constexpr float v = 0.1f;
  const Rgba glass = rgb(40, 52, 70), tyre = rgb(24, 24, 26), hub = rgb(170, 170, 176);
  const Rgba lamp = rgb(255, 244, 180), tail = rgb(220, 30, 30), grille = rgb(60, 60, 66);
  VoxelModel m(v, Vec3{-4 * v, 0, -9 * v});
  m.fill(0, 1, 0, 7, 3, 17, s.body);       // lower body
  m.fill(0, 1, 0, 7, 1, 17, s.bodyDark);   // sill
  m.fill(1, 4, 4, 6, 6, 12, s.cabin);      // cabin
  m.fill(1, 4, 12, 6, 5, 12, glass);       // windscreen
  m.fill(1, 4, 4, 6, 5, 4, glass);         // rear window
  for (int x : {1, 6}) m.fill(x, 4, 6, x, 5, 10, glass);  // side windows (set below on the faces)
  m.fill(2, 5, 5, 5, 6, 11, s.cabin);
  m.fill(1, 6, 4, 6, 6, 12, s.cabin);  // roof
  // Side windows: recolour the cabin's outer faces.
  for (int z = 5; z <= 11; ++z)
    for (int y = 4; y <= 5; ++y) {
      m.setFace(1, y, z, NegX, glass);
      m.setFace(6, y, z, PosX, glass);
    }
  // Lamps, grille, tail lights.
  m.setFace(0, 2, 17, PosZ, lamp);
  m.setFace(7, 2, 17, PosZ, lamp);
  for (int x = 2; x <= 5; ++x) m.setFace(x, 2, 17, PosZ, grille);
  m.setFace(0, 2, 0, NegZ, tail);
  m.setFace(7, 2, 0, NegZ, tail);
  // Wheels stick out a little at the sides.
  for (int z0 : {2, 12})
    for (float side : {-1.f, 1.f}) {
      const float x0 = side < 0 ? -0.45f : 0.33f, x1 = side < 0 ? -0.33f : 0.45f;
      m.addBox({x0, 0.f, float(z0) * v - 0.9f}, {x1, 0.26f, float(z0 + 4) * v - 0.9f}, tyre);
      const float hx0 = side < 0 ? -0.46f : 0.44f, hx1 = side < 0 ? -0.44f : 0.46f;
      m.addBox({hx0, 0.08f, float(z0 + 1) * v - 0.9f + 0.02f}, {hx1, 0.18f, float(z0 + 3) * v - 0.9f - 0.02f}, hub);
    }
  if (s.police) {
    // White doors, a light bar of red and blue.
    for (int z = 6; z <= 11; ++z)
      for (int y = 2; y <= 3; ++y) {
        m.setFace(0, y, z, NegX, rgb(244, 244, 244));
        m.setFace(7, y, z, PosX, rgb(244, 244, 244));
      }
    m.fill(2, 7, 8, 3, 7, 8, rgb(230, 30, 30));
    m.fill(4, 7, 8, 5, 7, 8, rgb(30, 80, 240));
  }
  if (s.taxi) {
    // Roof sign and a checker band.
    m.fill(2, 7, 7, 5, 7, 9, rgb(250, 250, 240));
    for (int z = 0; z <= 17; ++z) {
      const Rgba c = z % 2 ? rgb(24, 24, 24) : rgb(250, 250, 240);
      m.setFace(0, 3, z, NegX, c);
      m.setFace(7, 3, z, PosX, c);
    }
  }
  return {{name, m.mesh()}};
}

// 26 cells long: a cab in front and a tall cargo box.
Mesh truck() {
  constexpr float v = 0.1f;
  const Rgba cab = rgb(40, 90, 200), cabDark = rgb(28, 62, 150), box = rgb(220, 224, 230), glass = rgb(40, 52, 70);
  const Rgba tyre = rgb(24, 24, 26);
  VoxelModel m(v, Vec3{-4 * v, 0, -13 * v});
  m.fill(0, 1, 0, 7, 2, 25, cabDark);   // chassis
  m.fill(0, 3, 19, 7, 8, 25, cab);      // cab
  m.fill(1, 6, 25, 6, 7, 25, glass);    // windscreen
  m.fill(0, 3, 0, 7, 10, 17, box);      // cargo box
  m.fill(0, 10, 0, 7, 10, 17, rgb(196, 200, 208));
  for (int z = 2; z <= 15; ++z) {
    m.setFace(0, 6, z, NegX, cab);
    m.setFace(7, 6, z, PosX, cab);
  }
  for (int z0 : {2, 8, 19})
    for (float side : {-1.f, 1.f}) {
      const float x0 = side < 0 ? -0.45f : 0.33f, x1 = side < 0 ? -0.33f : 0.45f;
      m.addBox({x0, 0.f, float(z0) * v - 1.3f}, {x1, 0.28f, float(z0 + 4) * v - 1.3f}, tyre);
    }
  return {{"blue_truck", m.mesh()}};
}

// ---- rows ------------------------------------------------------------------

// The row slab as OBJ text: top (u 0..35 across, one texture repeat per
// world unit once the game stretches it; v 0 at z = -0.5), front and back
// edges, the two ends. No bottom: it is never seen.
std::string rowObj(const char* comment) {
  constexpr float kHalfWidth = 12.5f, kHalfDepth = 0.5f, kTop = 0.3f, kRepeats = 35.f;
  std::ostringstream out;
  out << "# " << comment << "\n";
  const auto v = [&](float x, float y, float z) {
    out << "v " << formatNumber(x) << ' ' << formatNumber(y) << ' ' << formatNumber(z) << '\n';
  };
  // Top corners 1..4, bottom corners 5..8.
  v(-kHalfWidth, kTop, -kHalfDepth);
  v(kHalfWidth, kTop, -kHalfDepth);
  v(kHalfWidth, kTop, kHalfDepth);
  v(-kHalfWidth, kTop, kHalfDepth);
  v(-kHalfWidth, 0, -kHalfDepth);
  v(kHalfWidth, 0, -kHalfDepth);
  v(kHalfWidth, 0, kHalfDepth);
  v(-kHalfWidth, 0, kHalfDepth);
  out << "vt 0 0\nvt " << formatNumber(kRepeats) << " 0\nvt " << formatNumber(kRepeats) << " 1\nvt 0 1\n";
  out << "vt 0 0.3\nvt " << formatNumber(kRepeats) << " 0.3\nvt 1 0\nvt 1 0.3\n";
  out << "vn 0 1 0\nvn 0 0 -1\nvn 0 0 1\nvn -1 0 0\nvn 1 0 0\n";
  out << "o row\n";
  // Counter-clockwise seen from outside.
  out << "f 4/4/1 3/3/1 2/2/1\nf 4/4/1 2/2/1 1/1/1\n";            // top
  out << "f 1/1/2 2/2/2 6/6/2\nf 1/1/2 6/6/2 5/5/2\n";            // z = -0.5
  out << "f 3/3/3 4/4/3 8/5/3\nf 3/3/3 8/5/3 7/6/3\n";            // z = +0.5
  out << "f 1/1/4 5/5/4 8/8/4\nf 1/1/4 8/8/4 4/7/4\n";            // x = -12.5
  out << "f 2/1/5 3/7/5 7/8/5\nf 2/1/5 7/8/5 6/5/5\n";            // x = +12.5
  return out.str();
}

Image grass(Rgba base, Rgba blade, std::uint32_t seed) { return grassTexture(kRowTexture, base, blade, seed); }

// Asphalt with a little grain; `stripes` adds white dashes along the edge at
// v = 0, the bottom rows of the image.
Image road(bool stripes) {
  Image img(kRowTexture, kRowTexture, rgb(78, 80, 88));
  for (int y = 0; y < kRowTexture; ++y)
    for (int x = 0; x < kRowTexture; ++x) {
      const float n = tileFbm(float(x) / kRowTexture, float(y) / kRowTexture, 8, 3, 131u);
      const float f = 0.9f + 0.16f * n + 0.06f * (hashUnit(x, y, 137u) - 0.5f);
      img.at(x, y) = shade(img.at(x, y), f);
    }
  if (stripes) dashes(img, kRowTexture - 10, 6, 64, 128, 32, rgb(244, 244, 236));
  return img;
}

}  // namespace

void generateRoosterway(const fs::path& out) {
  const Transform onSquare = Transform().translate({0, 0, 0.5f});
  writeModel(chicken(), out / "chicken.obj", out / "chicken.png",
             modelOptions("roosterway chicken, y up, beak +z, feet at y -0.2", 0.5f));

  const fs::path env = out / "environment";
  writeModel(boulder1(), env / "boulder1.obj", env / "boulder1.png",
             modelOptions("roosterway boulder, y up, centred on (0, 0.5)", 0.5f, onSquare));
  writeModel(boulder2(), env / "boulder2.obj", env / "boulder2.png",
             modelOptions("roosterway boulder, y up, centred on (0, 0.5)", 0.5f, onSquare));

  const TreeStyle oak{rgb(128, 84, 48), rgb(104, 66, 38), rgb(64, 160, 60), rgb(96, 190, 76), rgb(44, 126, 48)};
  const TreeStyle pine{rgb(118, 76, 44), rgb(94, 60, 34), rgb(40, 128, 74), rgb(62, 154, 92), rgb(28, 100, 58)};
  const TreeStyle birch{rgb(226, 222, 210), rgb(60, 58, 56), rgb(130, 196, 70), rgb(166, 220, 96), rgb(100, 164, 52)};
  const TreeStyle autumn{rgb(124, 82, 46), rgb(100, 64, 36), rgb(226, 150, 40), rgb(246, 190, 70), rgb(196, 104, 30)};
  const fs::path trees = env / "trees";
  const char* treeComment = "roosterway tree, y up, centred on (0, 0.5)";
  writeModel(tree("tree1", oak, 3, {{{4, 4, 8}}}), trees / "tree1.obj", trees / "tree1.png",
             modelOptions(treeComment, 0.5f, onSquare));
  writeModel(tree("tree2", pine, 2, {{{4, 3, 5}}, {{3, 6, 8}}, {{2, 9, 11}}, {{1, 12, 13}}}), trees / "tree2.obj",
             trees / "tree2.png", modelOptions(treeComment, 0.5f, onSquare));
  writeModel(tree("tree3", birch, 6, {{{3, 6, 10}}, {{2, 11, 12}}}), trees / "tree3.obj", trees / "tree3.png",
             modelOptions(treeComment, 0.5f, onSquare));
  writeModel(tree("tree4", autumn, 2, {{{3, 3, 5}}, {{4, 6, 8}}, {{2, 9, 10}}}), trees / "tree4.obj",
             trees / "tree4.png", modelOptions(treeComment, 0.5f, onSquare));

  const fs::path vehicles = out / "vehicles";
  const char* carComment = "roosterway car, y up, front +z, centred";
  struct Named {
    const char* name;
    CarStyle style;
  };
  const Named cars[] = {
      {"blue_car", {rgb(40, 100, 220), rgb(28, 70, 160), rgb(80, 140, 240)}},
      {"green_car", {rgb(60, 170, 70), rgb(40, 124, 50), rgb(110, 200, 110)}},
      {"orange_car", {rgb(246, 130, 30), rgb(190, 92, 20), rgb(252, 176, 90)}},
      {"police_car", {rgb(30, 34, 44), rgb(16, 18, 24), rgb(236, 236, 240), true, false}},
      {"purple_car", {rgb(140, 60, 190), rgb(100, 40, 140), rgb(180, 110, 220)}},
      {"taxi", {rgb(250, 204, 30), rgb(200, 160, 20), rgb(252, 224, 100), false, true}},
  };
  for (const Named& c : cars)
    writeModel(car(c.name, c.style), vehicles / (std::string(c.name) + ".obj"),
               vehicles / (std::string(c.name) + ".png"), modelOptions(carComment, 0.5f));
  writeModel(truck(), vehicles / "blue_truck.obj", vehicles / "blue_truck.png",
             modelOptions("roosterway truck, y up, front +z, centred", 0.5f));

  writeFile(env / "grass" / "grass.obj", rowObj("roosterway grass row: x -12.5..12.5, z -0.5..0.5, top at 0.3"));
  savePng(grass(rgb(132, 204, 82), rgb(104, 176, 64), 211u), env / "grass" / "grass_light.png", PixelFormat::Rgb24);
  savePng(grass(rgb(108, 180, 66), rgb(84, 152, 52), 223u), env / "grass" / "grass_dark.png", PixelFormat::Rgb24);
  writeFile(env / "road" / "road.obj", rowObj("roosterway road row: x -12.5..12.5, z -0.5..0.5, top at 0.3"));
  savePng(road(false), env / "road" / "road_blank.png", PixelFormat::Rgb24);
  savePng(road(true), env / "road" / "road_stripes.png", PixelFormat::Rgb24);

  stageFonts("roosterway", out);
}

static const GameRegistration registration{"roosterway", generateRoosterway};
static const HeroRegistration hero{"chicken", chicken};

}  // namespace assetgen
