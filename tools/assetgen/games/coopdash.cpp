// coopdash: a chicken walking endless rows of grass, roads and rails, chased
// by a ghost. Everything goes under the stage folder the game's "../" paths
// reach: objetos/ (models with MTL files, the road texture, the menu atlas),
// fuentes/ (the font) and sound/ (three synthesised WAV files).
//
// Frames the game draws in (y up, one row = one unit, forward = -z):
// - every object is drawn at its position turned by its heading about y;
//   at heading 0 the chicken and the ghost look along -z, cars and trains
//   run toward -x (the game turns a car by 180 degrees to run toward +x);
// - models stand on y = 0, the rows' top surface; rows span x -16..16 and
//   z -0.5..0.5 round their row's z;
// - colours come from the MTL materials (Ka = Kd so faces turned from the
//   light still show their colour); only the road is textured.
#include <array>
#include <initializer_list>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

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

constexpr float kRowHalfWidth = 16.f;

// ---- OBJ + MTL ------------------------------------------------------------

std::string mtlFor(const Palette& palette, const std::string& shinyName = "") {
  std::string out;
  for (int i = 0; i < palette.size(); ++i) {
    const Rgba c = palette.colour(i);
    const std::string rgbText =
        formatNumber(c.r / 255.0) + ' ' + formatNumber(c.g / 255.0) + ' ' + formatNumber(c.b / 255.0);
    out += "newmtl c" + std::to_string(i) + '\n';
    out += "Ka " + rgbText + '\n';
    out += "Kd " + rgbText + '\n';
    out += shinyName.empty() ? "Ks 0 0 0\nNs 1\n" : "Ks 0.6 0.6 0.5\nNs 40\n";
    out += "d 1\nillum 2\n\n";
  }
  return out;
}

void writeColouredModel(const Mesh& mesh, const fs::path& dir, const std::string& name, const char* comment,
                        Transform t = Transform(), float lift = 0.35f, bool shiny = false) {
  ObjOptions o;
  o.comment = comment;
  o.groupPerPart = true;
  o.mtlLib = name + ".mtl";
  o.sideNormalLift = lift;
  o.shade = {0.94f, 0.88f, 1.f, 0.6f, 0.97f, 0.85f};
  o.transform = t;
  Palette palette(128, 8);
  writeFile(dir / (name + ".obj"), objText(mesh, palette, o));
  writeFile(dir / (name + ".mtl"), mtlFor(palette, shiny ? "shiny" : ""));
}

// ---- chicken ----------------------------------------------------------------

// 8 cells wide, 10 deep, 15 tall at 0.06 (about 0.48 x 0.6 x 0.9), beak +z
// before the turn the writer applies.
Mesh chicken() {
  constexpr float v = 0.06f;
  const Rgba white = rgb(250, 250, 246), wing = rgb(226, 226, 218), red = rgb(226, 40, 40);
  const Rgba orange = rgb(250, 150, 30), black = rgb(20, 20, 24), tail = rgb(236, 236, 228);
  VoxelModel m(v, Vec3{-4 * v, 0.f, -5 * v});
  for (int lx : {2, 5}) {
    m.fill(lx, 1, 4, lx, 2, 4, orange);
    m.fill(lx, 0, 4, lx, 0, 6, orange);
  }
  for (int y = 3; y <= 8; ++y)
    for (int x = 1; x <= 6; ++x)
      for (int z = 1; z <= 7; ++z) {
        const bool corner = (x == 1 || x == 6) && (z == 1 || z == 7) && (y == 3 || y == 8);
        if (!corner) m.set(x, y, z, white);
      }
  m.fill(2, 8, 0, 5, 10, 1, tail);
  m.fill(3, 11, 0, 4, 11, 0, tail);
  m.fill(0, 4, 2, 0, 7, 6, wing);
  m.fill(7, 4, 2, 7, 7, 6, wing);
  m.fill(2, 9, 4, 5, 12, 8, white);
  m.fill(3, 13, 4, 4, 13, 7, red);
  m.fill(3, 14, 5, 4, 14, 6, red);
  m.fill(3, 10, 9, 4, 11, 9, orange);
  m.fill(3, 8, 8, 4, 9, 9, red);
  m.erase(3, 9, 9);
  m.erase(4, 9, 9);
  m.set(3, 8, 9, red);
  m.set(4, 8, 9, red);
  m.set(2, 11, 7, black);
  m.set(5, 11, 7, black);
  return {{"pollo", m.mesh()}};
}

// ---- sedan ------------------------------------------------------------------

// 18 cells long (z), 8 wide, 7 tall at 0.1, front +z before the turn.
Mesh sedan() {
  constexpr float v = 0.1f;
  const Rgba body = rgb(226, 52, 52), bodyDark = rgb(170, 34, 38), cabin = rgb(246, 236, 228);
  const Rgba glass = rgb(40, 52, 70), tyre = rgb(24, 24, 26), hub = rgb(170, 170, 176);
  const Rgba lamp = rgb(255, 244, 180), tail = rgb(255, 90, 40), grille = rgb(60, 60, 66);
  VoxelModel m(v, Vec3{-4 * v, 0, -9 * v});
  m.fill(0, 1, 0, 7, 3, 17, body);
  m.fill(0, 1, 0, 7, 1, 17, bodyDark);
  m.fill(1, 4, 4, 6, 5, 12, cabin);
  m.fill(1, 6, 5, 6, 6, 11, cabin);
  for (int z = 5; z <= 11; ++z)
    for (int y = 4; y <= 5; ++y) {
      m.setFace(1, y, z, NegX, glass);
      m.setFace(6, y, z, PosX, glass);
    }
  for (int x = 1; x <= 6; ++x)
    for (int y = 4; y <= 5; ++y) {
      m.setFace(x, y, 12, PosZ, glass);
      m.setFace(x, y, 4, NegZ, glass);
    }
  m.setFace(0, 2, 17, PosZ, lamp);
  m.setFace(7, 2, 17, PosZ, lamp);
  for (int x = 2; x <= 5; ++x) m.setFace(x, 2, 17, PosZ, grille);
  m.setFace(0, 2, 0, NegZ, tail);
  m.setFace(7, 2, 0, NegZ, tail);
  for (int z0 : {2, 12})
    for (float side : {-1.f, 1.f}) {
      const float x0 = side < 0 ? -0.45f : 0.33f, x1 = side < 0 ? -0.33f : 0.45f;
      m.addBox({x0, 0.f, float(z0) * v - 0.9f}, {x1, 0.26f, float(z0 + 4) * v - 0.9f}, tyre);
      const float hx0 = side < 0 ? -0.46f : 0.44f, hx1 = side < 0 ? -0.44f : 0.46f;
      m.addBox({hx0, 0.08f, float(z0 + 1) * v - 0.88f}, {hx1, 0.18f, float(z0 + 3) * v - 0.92f}, hub);
    }
  return {{"sedan", m.mesh()}};
}

// ---- tree -------------------------------------------------------------------

// A 2 x 2 trunk exactly as thick as what stops the chicken (the game's tree
// box is 0.07 either side of the trunk), bare up to above the chicken's head
// (0.9), and three stacked green blocks over it, about 1.9 tall: the chicken
// stops at the trunk and may pass under the crown, as drawn.
Mesh tree() {
  constexpr float v = 0.07f;
  const Rgba trunk = rgb(128, 84, 48), trunkDark = rgb(104, 66, 38);
  const Rgba leaf = rgb(64, 160, 60), leafLight = rgb(96, 190, 76), leafDark = rgb(44, 126, 48);
  VoxelModel m(v, Vec3{-4 * v, 0, -4 * v});
  for (int y = 0; y <= 13; ++y) m.fill(3, y, 3, 4, y, 4, y % 3 == 2 ? trunkDark : trunk);
  const int tiers[3][3] = {{4, 14, 18}, {3, 19, 22}, {2, 23, 26}};
  for (const auto& t : tiers) {
    const int lo = 4 - t[0], hi = 3 + t[0];
    for (int y = t[1]; y <= t[2]; ++y)
      for (int x = lo; x <= hi; ++x)
        for (int z = lo; z <= hi; ++z) {
          const std::uint32_t h = hash2(x * 16 + z, y, 97u) % 9u;
          m.set(x, y, z, y == t[2] ? leafLight : h == 0 ? leafDark : h == 1 ? leafLight : leaf);
        }
  }
  return {{"arbol", m.mesh()}};
}

// ---- train ------------------------------------------------------------------

// 71 cells long (x) at 0.1: a locomotive at -x and two carriages; 6 deep, 9 tall.
Mesh train() {
  constexpr float v = 0.1f;
  const Rgba loco = rgb(230, 180, 30), locoDark = rgb(180, 130, 20), red = rgb(210, 50, 40);
  const Rgba car = rgb(60, 120, 210), carLight = rgb(230, 236, 244), roof = rgb(120, 126, 136);
  const Rgba glass = rgb(40, 52, 70), wheel = rgb(28, 28, 30), lamp = rgb(255, 250, 200);
  VoxelModel m(v, Vec3{-35.5f * v, 0, -3 * v});
  // Locomotive: cells x 0..22.
  m.fill(0, 1, 0, 22, 5, 5, loco);
  m.fill(0, 1, 0, 22, 1, 5, locoDark);
  m.fill(0, 2, 0, 1, 3, 5, red);  // buffer beam
  m.fill(12, 6, 0, 22, 8, 5, loco);  // cab
  m.fill(12, 9, 0, 22, 9, 5, red);
  m.fill(4, 6, 2, 5, 7, 3, rgb(60, 60, 64));  // chimney
  for (int x = 14; x <= 20; ++x) {
    m.setFace(x, 7, 0, NegZ, glass);
    m.setFace(x, 7, 5, PosZ, glass);
  }
  for (int z = 1; z <= 4; ++z) m.setFace(12, 7, z, NegX, glass);
  m.setFace(0, 4, 1, NegX, lamp);
  m.setFace(0, 4, 4, NegX, lamp);
  // Carriages: 24..46 and 48..70, joined by couplings.
  for (int x0 : {24, 48}) {
    m.fill(x0, 1, 0, x0 + 22, 7, 5, car);
    m.fill(x0, 1, 0, x0 + 22, 2, 5, carLight);
    m.fill(x0, 8, 0, x0 + 22, 8, 5, roof);
    for (int x = x0 + 2; x <= x0 + 20; ++x)
      if ((x - x0) % 4 != 1) {
        m.setFace(x, 5, 0, NegZ, glass);
        m.setFace(x, 6, 0, NegZ, glass);
        m.setFace(x, 5, 5, PosZ, glass);
        m.setFace(x, 6, 5, PosZ, glass);
      }
    m.fill(x0 - 1, 2, 2, x0 - 1, 2, 3, rgb(60, 60, 64));
  }
  // Wheels under everything.
  for (int x = 2; x < 71; x += 5)
    if (x % 24 != 23) {
      m.fill(x, 0, 0, x + 2, 0, 0, wheel);
      m.fill(x, 0, 5, x + 2, 0, 5, wheel);
    }
  return {{"tren", m.mesh()}};
}

// ---- coin and ghost ------------------------------------------------------------

// A gold disc 8 cells across at 0.04, standing (face along z), centre 0.45 up.
Mesh coin() {
  constexpr float v = 0.04f;
  const Rgba gold = rgb(252, 204, 40), rim = rgb(220, 160, 20), mark = rgb(255, 236, 140);
  VoxelModel m(v, Vec3{-4 * v, 0.45f - 4 * v, -1 * v});
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const float dx = float(x) - 3.5f, dy = float(y) - 3.5f;
      const float r = std::sqrt(dx * dx + dy * dy);
      if (r > 4.1f) continue;
      const Rgba c = r > 3.0f ? rim : gold;
      m.set(x, y, 0, c);
      m.set(x, y, 1, c);
    }
  // A raised star mark on both faces.
  for (int y = 2; y <= 5; ++y) {
    m.setFace(3, y, 0, NegZ, mark);
    m.setFace(4, y, 0, NegZ, mark);
    m.setFace(3, y, 1, PosZ, mark);
    m.setFace(4, y, 1, PosZ, mark);
  }
  for (int x : {2, 5}) {
    m.setFace(x, 4, 0, NegZ, mark);
    m.setFace(x, 4, 1, PosZ, mark);
  }
  return {{"moneda", m.mesh()}};
}

// A floating sheet ghost, 12 wide, 14 tall, 8 deep at 0.06, face toward -z.
Mesh ghost() {
  constexpr float v = 0.06f;
  const Rgba sheet = rgb(236, 232, 255), shadow = rgb(200, 190, 240), eye = rgb(30, 24, 60), mouth = rgb(90, 60, 150);
  VoxelModel m(v, Vec3{-6 * v, 0.12f, -4 * v});
  for (int y = 0; y < 14; ++y)
    for (int x = 0; x < 12; ++x)
      for (int z = 0; z < 8; ++z) {
        const float dx = float(x) - 5.5f, dz = float(z) - 3.5f;
        // A dome on top, straight sides below, a wavy hem.
        if (y >= 8) {
          const float r = 6.2f - float(y - 8) * 0.75f;
          if (dx * dx / (r * r) + dz * dz / (r * r * 0.5f) > 1.f) continue;
        } else if (std::fabs(dz) > 3.6f) {
          continue;
        }
        if (y == 0 && (x / 2) % 2 == 1) continue;
        m.set(x, y, z, y < 3 ? shadow : sheet);
      }
  // Eyes right through the head: the ghost looks at the chicken ahead of it
  // and, from the top-down camera behind it, back at the player too.
  for (int x : {3, 4, 7, 8})
    for (int y : {9, 10})
      for (int z = 0; z < 8; ++z)
        if (m.has(x, y, z)) m.set(x, y, z, eye);
  for (int x = 4; x <= 7; ++x) m.setFace(x, 6, 0, NegZ, mouth);
  // Little arms.
  m.fill(-1, 5, 3, -1, 7, 4, sheet);
  m.fill(12, 5, 3, 12, 7, 4, sheet);
  return {{"fantasma", m.mesh()}};
}

// ---- rows -------------------------------------------------------------------

// Only the faces of a box that can be seen: rows lie side by side, so their
// backs, bottoms and the sides of thin details never show.
void addFaces(std::vector<Quad>& out, Vec3 lo, Vec3 hi, Rgba side, Rgba top, std::initializer_list<int> faces) {
  const std::array<Rgba, kFaceCount> colours{side, side, top, side, side, side};
  const std::vector<Quad> all = boxQuads(lo, hi, colours);
  for (const Quad& q : all)
    for (int f : faces)
      if (q.face == f) out.push_back(q);
}

// Grass: a tile per unit of width in three close greens, its front edge,
// and a few tufts and flowers.
Mesh grass() {
  const Rgba greens[3] = {rgb(120, 196, 84), rgb(110, 186, 76), rgb(128, 204, 90)};
  const Rgba side = rgb(112, 84, 52), tuft = rgb(96, 172, 66), flower = rgb(250, 240, 120);
  std::vector<Quad> q;
  for (int i = -16; i < 16; ++i) {
    const Rgba top = greens[hash2(i, 0, 31u) % 3u];
    addFaces(q, {float(i), -0.25f, -0.5f}, {float(i + 1), 0.f, 0.5f}, side, top, {PosY, PosZ});
  }
  addFaces(q, {-16.f, -0.25f, -0.5f}, {16.f, 0.f, 0.5f}, side, side, {PosX, NegX});
  for (int k = 0; k < 18; ++k) {
    const float x = -15.6f + 31.2f * hashUnit(k, 1, 37u), z = -0.42f + 0.84f * hashUnit(k, 2, 37u);
    const bool isFlower = hash2(k, 3, 37u) % 4u == 0;
    const Rgba c = isFlower ? flower : tuft;
    addFaces(q, {x, 0.f, z}, {x + 0.08f, isFlower ? 0.1f : 0.07f, z + 0.08f}, c, c, {PosY, PosX, NegX, PosZ, NegZ});
  }
  return {{"pasto", q}};
}

// Rails: a ballast bed, sleepers every half unit, two steel rails along x.
Mesh rails() {
  const Rgba ballast = rgb(132, 122, 112), ballastTop = rgb(150, 140, 128), sleeper = rgb(120, 80, 50);
  const Rgba steel = rgb(190, 196, 206), steelSide = rgb(120, 126, 136);
  std::vector<Quad> q;
  addFaces(q, {-kRowHalfWidth, -0.25f, -0.5f}, {kRowHalfWidth, 0.f, 0.5f}, ballast, ballastTop,
           {PosY, PosZ, PosX, NegX});
  for (int i = -32; i < 32; ++i) {
    const float x = float(i) * 0.5f + 0.14f;
    addFaces(q, {x, 0.f, -0.38f}, {x + 0.2f, 0.04f, 0.38f}, sleeper, sleeper, {PosY, PosZ, NegZ});
  }
  for (float z : {-0.24f, 0.2f})
    addFaces(q, {-kRowHalfWidth, 0.04f, z}, {kRowHalfWidth, 0.1f, z + 0.05f}, steelSide, steel, {PosY, PosZ, NegZ});
  return {{"via", q}};
}

// The road slab by hand: its top is textured with calle.png, one repeat per
// unit of width; v runs 0 at z = -0.5 to 1 at z = 0.5.
std::string roadObj() {
  std::ostringstream out;
  out << "# coopdash road row: x -16..16, z -0.5..0.5, top at y 0, textured top\n";
  out << "mtllib calle.mtl\n";
  const float w = kRowHalfWidth, d = 0.5f, bottom = -0.25f;
  const auto v = [&](float x, float y, float z) {
    out << "v " << formatNumber(x) << ' ' << formatNumber(y) << ' ' << formatNumber(z) << '\n';
  };
  v(-w, 0, -d);
  v(w, 0, -d);
  v(w, 0, d);
  v(-w, 0, d);
  v(-w, bottom, -d);
  v(w, bottom, -d);
  v(w, bottom, d);
  v(-w, bottom, d);
  out << "vt 0 0\nvt 32 0\nvt 32 1\nvt 0 1\n";
  out << "vn 0 1 0\nvn 0 0 -1\nvn 0 0 1\nvn -1 0 0\nvn 1 0 0\n";
  out << "g calle\nusemtl asfalto\n";
  out << "f 4/4/1 3/3/1 2/2/1 1/1/1\n";
  out << "usemtl bordillo\n";
  out << "f 1/1/2 2/1/2 6/1/2 5/1/2\n";
  out << "f 3/1/3 4/1/3 8/1/3 7/1/3\n";
  out << "f 1/1/4 5/1/4 8/1/4 4/1/4\n";
  out << "f 2/1/5 3/1/5 7/1/5 6/1/5\n";
  return out.str();
}

// Without the texture the road is a plain mid grey; the texture, lighter
// than asphalt, comes out as asphalt under it.
std::string roadMtl() {
  return "newmtl asfalto\nKa 0.6 0.6 0.62\nKd 0.6 0.6 0.62\nKs 0 0 0\nNs 1\nd 1\nillum 1\nmap_Kd calle.png\n\n"
         "newmtl bordillo\nKa 0.45 0.45 0.48\nKd 0.45 0.45 0.48\nKs 0 0 0\nNs 1\nd 1\nillum 1\n";
}

// Asphalt with a little grain, white dashes along the edge at v = 0 (the
// bottom rows of the image, where the row meets the one ahead).
Image roadTexture() {
  constexpr int n = 128;
  Image img(n, n, rgb(132, 134, 144));
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const float noise = tileFbm(float(x) / n, float(y) / n, 8, 3, 131u);
      const float f = 0.88f + 0.18f * noise + 0.06f * (hashUnit(x, y, 137u) - 0.5f);
      img.at(x, y) = shade(img.at(x, y), f);
    }
  dashes(img, n - 9, 6, 64, 128, 32, rgb(244, 244, 236));
  return img;
}

// ---- the menu atlas -------------------------------------------------------------

// 512 x 512: the button in the bottom-left strip (u 0..0.468, v 0..0.167 with
// v = 0 at the bottom of the picture), the window panel above it (v 0.167..1).
Image atlas() {
  constexpr int n = 512;
  Image img(n, n, rgb(0, 0, 0, 0));
  // Window panel: rows 0..426.
  fillRoundedRect(img, 4, 4, 504, 418, 30, rgb(250, 236, 180, 255));
  fillRoundedRect(img, 12, 12, 488, 402, 24, rgb(52, 40, 92, 236));
  for (int y = 12; y < 414; ++y)
    for (int x = 12; x < 500; ++x) {
      Rgba& p = img.at(x, y);
      if (p.a < 200) continue;
      const float f = 1.1f - 0.25f * float(y) / 414.f + 0.04f * (hashUnit(x / 4, y / 4, 7u) - 0.5f);
      p = shade(p, f);
    }
  // A chicken emblem at the top centre.
  const int cx = 256, top = 10, s = 4;
  const auto block = [&](int bx, int by, int bw, int bh, Rgba c) { fillRect(img, cx + bx * s, top + by * s, bw * s, bh * s, c); };
  block(-4, 3, 8, 6, rgb(250, 250, 246));   // body
  block(-2, 0, 4, 4, rgb(250, 250, 246));   // head
  block(-1, -1, 2, 1, rgb(226, 40, 40));    // comb
  block(2, 1, 2, 1, rgb(250, 150, 30));     // beak
  block(2, 2, 1, 1, rgb(226, 40, 40));      // wattle
  block(0, 1, 1, 1, rgb(20, 20, 24));       // eye
  block(-5, 3, 1, 3, rgb(236, 236, 228));   // tail
  block(-1, 9, 1, 1, rgb(250, 150, 30));    // legs
  block(1, 9, 1, 1, rgb(250, 150, 30));
  // Button: x 0..239, rows 427..511 (an empty line of pixels round it).
  const float bx = 3, by = 430, bw = 234, bh = 79;
  fillRoundedRect(img, bx, by, bw, bh, 22, rgb(24, 40, 96));
  fillRoundedRect(img, bx + 5, by + 5, bw - 10, bh - 10, 17, rgb(70, 130, 220));
  for (int y = int(by) + 5; y < int(by + bh) - 5; ++y)
    for (int x = int(bx) + 5; x < int(bx + bw) - 5; ++x) {
      Rgba& p = img.at(x, y);
      if (p.a < 250) continue;
      const float t = (float(y) - by) / bh;
      p = shade(p, 1.22f - 0.4f * t);
    }
  fillRoundedRect(img, bx + 14, by + 9, bw - 28, 12, 6, rgb(255, 255, 255, 70));
  return img;
}

// ---- sound --------------------------------------------------------------------

constexpr int kRate = 22050;

std::string wavBytes(const std::vector<float>& samples) {
  const auto u32 = [](std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xff);
  };
  const auto u16 = [](std::string& s, std::uint16_t v) {
    s += char(v & 0xff);
    s += char(v >> 8);
  };
  std::string out = "RIFF";
  const std::uint32_t data = std::uint32_t(samples.size() * 2);
  u32(out, 36 + data);
  out += "WAVEfmt ";
  u32(out, 16);
  u16(out, 1);  // PCM
  u16(out, 1);  // mono
  u32(out, kRate);
  u32(out, kRate * 2);
  u16(out, 2);
  u16(out, 16);
  out += "data";
  u32(out, data);
  for (float s : samples) {
    const float c = s > 1.f ? 1.f : s < -1.f ? -1.f : s;
    u16(out, std::uint16_t(std::int16_t(std::lround(c * 32767.f))));
  }
  return out;
}

float midiHz(int note) { return 440.f * std::pow(2.f, float(note - 69) / 12.f); }

enum class Wave { Sine, Triangle, Soft };  // Soft: a square with its edges rounded off

float osc(Wave w, float phase) {
  const float p = phase - std::floor(phase);
  switch (w) {
    case Wave::Sine: return std::sin(6.2831853f * p);
    case Wave::Triangle: return 4.f * std::fabs(p - 0.5f) - 1.f;
    case Wave::Soft: return std::tanh(3.f * std::sin(6.2831853f * p)) * 0.8f;
  }
  return 0.f;
}

// Adds a note into `buf` from sample `start`, wrapping round the end, so a
// loop's last notes ring on into its first beat with no seam.
void note(std::vector<float>& buf, double startSec, double lengthSec, int midi, float gain, Wave w,
          bool wrap = true, float slideTo = 0.f) {
  const std::size_t n = buf.size();
  const int start = int(startSec * kRate), len = int(lengthSec * kRate);
  const float attack = 0.008f * kRate, release = 0.06f * kRate;
  double phase = 0;
  for (int i = 0; i < len; ++i) {
    const float t = float(i) / float(len);
    float env = std::exp(-3.f * t);
    if (float(i) < attack) env *= float(i) / attack;
    if (float(len - i) < release) env *= float(len - i) / release;
    float hz = midiHz(midi);
    if (slideTo > 0.f) hz = hz + (slideTo - hz) * t;
    phase += hz / kRate;
    std::size_t at = std::size_t(start + i);
    if (at >= n) {
      if (!wrap) break;
      at %= n;
    }
    buf[at] += gain * env * osc(w, float(phase));
  }
}

void normalise(std::vector<float>& buf, float peak) {
  float m = 0;
  for (float s : buf) m = std::max(m, std::fabs(s));
  if (m > 0)
    for (float& s : buf) s *= peak / m;
}

// 16 bars at 128 beats a minute: exactly 30 seconds, I-V-vi-IV in C.
std::vector<float> music() {
  constexpr double beat = 60.0 / 128.0;
  std::vector<float> buf(std::size_t(30.0 * kRate), 0.f);
  const int roots[4] = {48, 43, 45, 41};  // C, G, A, F
  const int chords[4][3] = {{60, 64, 67}, {59, 62, 67}, {57, 60, 64}, {57, 60, 65}};
  const int melody[16] = {0, 2, 4, 2, 1, 2, 0, -1, 0, 1, 2, 4, 2, 1, 0, 1};
  for (int bar = 0; bar < 16; ++bar) {
    const int c = bar % 4;
    const double t0 = bar * 4 * beat;
    for (int b = 0; b < 4; ++b) {
      note(buf, t0 + b * beat, beat * 0.9, roots[c], 0.32f, Wave::Triangle);
      note(buf, t0 + b * beat + beat * 0.5, beat * 0.4, roots[c] + 12, 0.16f, Wave::Triangle);
      // A soft kick: a sine falling in pitch.
      if (b % 2 == 0) note(buf, t0 + b * beat, 0.12, 40, 0.28f, Wave::Sine, true, 40.f);
    }
    // Chord stabs on the off-beats.
    for (int b = 0; b < 4; ++b)
      for (int k = 0; k < 3; ++k) note(buf, t0 + b * beat + beat * 0.5, beat * 0.35, chords[c][k], 0.07f, Wave::Soft);
    // The tune: eighth notes from the chord, two bars out of four, an octave up.
    if (bar % 4 < 3) {
      for (int e = 0; e < 8; ++e) {
        const int step = melody[(bar * 8 + e) % 16];
        const int idx = ((step % 3) + 3) % 3;
        const int octave = step > 2 ? 12 : step < 0 ? -12 : 0;
        if ((e + bar) % 5 == 4) continue;  // a rest now and then
        note(buf, t0 + e * beat * 0.5, beat * 0.45, chords[c][idx] + 12 + octave, 0.17f, Wave::Triangle);
      }
    } else {
      note(buf, t0, beat * 3.5, chords[c][2] + 12, 0.15f, Wave::Triangle);
    }
  }
  normalise(buf, 0.7f);
  return buf;
}

std::vector<float> menuCue() {
  std::vector<float> buf(std::size_t(0.45 * kRate), 0.f);
  note(buf, 0.0, 0.18, 76, 0.5f, Wave::Triangle, false);
  note(buf, 0.09, 0.34, 83, 0.45f, Wave::Triangle, false);
  note(buf, 0.09, 0.34, 88, 0.2f, Wave::Sine, false);
  normalise(buf, 0.6f);
  return buf;
}

std::vector<float> hurtCue() {
  std::vector<float> buf(std::size_t(0.5 * kRate), 0.f);
  note(buf, 0.0, 0.45, 67, 0.5f, Wave::Soft, false, midiHz(43));
  note(buf, 0.0, 0.45, 55, 0.3f, Wave::Triangle, false, midiHz(36));
  normalise(buf, 0.65f);
  return buf;
}

// The chicken turned half round to look along +z, toward the icon's viewer.
Mesh chickenFacingViewer() {
  Mesh mesh = chicken();
  for (MeshPart& part : mesh)
    for (Quad& q : part.quads) {
      for (Vec3& p : q.corners) {
        p.x = -p.x;
        p.z = -p.z;
      }
      if (q.face == PosX || q.face == NegX) q.face = q.face == PosX ? NegX : PosX;
      if (q.face == PosZ || q.face == NegZ) q.face = q.face == PosZ ? NegZ : PosZ;
    }
  return mesh;
}

}  // namespace

void generateCoopdash(const fs::path& out) {
  const fs::path obj = out / "objetos";
  const Transform half = Transform().rotate(1, 2);  // +z to -z
  writeColouredModel(chicken(), obj, "pollo", "coopdash chicken: y up, feet at 0, beak -z", half);
  writeColouredModel(sedan(), obj, "sedan", "coopdash car: y up, front -x, about 1.1 x 0.5",
                     Transform().rotate(1, -1).scale(0.62f));
  writeColouredModel(tree(), obj, "tree_blocks", "coopdash tree: y up, trunk on the origin");
  writeColouredModel(train(), obj, "train", "coopdash train: y up, front -x, 7.1 long");
  writeColouredModel(coin(), obj, "moneda", "coopdash coin: standing, centre 0.45 up", Transform(), 0.35f, true);
  writeColouredModel(ghost(), obj, "fantasma", "coopdash ghost: floating, face -z");
  writeColouredModel(grass(), obj, "grass", "coopdash grass row: x -16..16, z -0.5..0.5, top at 0", Transform(), 0.f);
  writeColouredModel(rails(), obj, "via", "coopdash rails row: x -16..16, z -0.5..0.5, top at 0", Transform(), 0.f);
  writeFile(obj / "calle.obj", roadObj());
  writeFile(obj / "calle.mtl", roadMtl());
  savePng(roadTexture(), obj / "calle.png", PixelFormat::Rgb24);
  savePng(atlas(), obj / "ventana.png", PixelFormat::Rgba32);

  const fs::path sound = out / "sound";
  writeFile(sound / "mixkit-game-level-music-689.wav", wavBytes(music()));
  writeFile(sound / "menu1.wav", wavBytes(menuCue()));
  writeFile(sound / "hurt1.wav", wavBytes(hurtCue()));

  stageFonts("coopdash", out);
}

static const GameRegistration registration{"coopdash", generateCoopdash};
static const HeroRegistration hero{"coop-chicken", chickenFacingViewer};

}  // namespace assetgen
