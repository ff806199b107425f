// marsdash: an astronaut crossing Martian ground. The game draws every model
// with its own scale (world units: a cell is 8), so each model is built in
// world units as it should appear and then divided by that scale:
//   astronaut  x 0.4 (uniform), faces +z, feet at y 0
//   ship       x (5, 12, 10), nose towards -z, body over z -2..18 in world
//              units (the ship's x is its nose; it kills over 20 units behind)
//   crystal    x (1.2, 2.4, 1.2), base at y 0
//   diamond    x (1.5, 3, 1.5), drawn 2 above the ground, centre at y 0
//   meteor     x 1
//   nave1/2    x (3, 5, 3)
// The ship and the crystal go out with "usemtl" groups, one per colour; the
// game gives each ship group its own random colour.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "draw.h"
#include "files.h"
#include "fonts.h"
#include "games.h"
#include "heroes.h"
#include "obj.h"
#include "pattern.h"
#include "voxel.h"

namespace assetgen {

void generateMarsdash(const std::filesystem::path& outdir);

namespace {

namespace fs = std::filesystem;

// Divides every corner by a per-axis scale: the inverse of the game's glScale.
Mesh scaled(Mesh mesh, float sx, float sy, float sz) {
  for (MeshPart& part : mesh)
    for (Quad& q : part.quads)
      for (Vec3& p : q.corners) {
        p.x /= sx;
        p.y /= sy;
        p.z /= sz;
      }
  return mesh;
}

ObjOptions options(const char* comment, float lift, bool shaded) {
  ObjOptions o;
  o.comment = comment;
  o.quads = true;
  o.sideNormalLift = lift;
  if (shaded) o.shade = {0.9f, 0.86f, 1.f, 0.6f, 0.95f, 0.82f};
  return o;
}

// White suit, gold visor, grey boots, gloves and backpack; 16 voxels of 1.25
// model units (20, so a full cell of 8 world units once scaled 0.4), facing +z.
Mesh astronaut() {
  const Rgba suit = rgb(246, 246, 242), seam = rgb(208, 210, 214), grey = rgb(120, 124, 134);
  const Rgba dark = rgb(64, 66, 76), visor = rgb(250, 176, 40), visorGlint = rgb(255, 232, 150);
  const Rgba red = rgb(222, 52, 44), blue = rgb(44, 110, 220), pack = rgb(176, 180, 190);
  VoxelModel m(1.25f);
  // Boots and legs.
  for (int side : {-1, 1}) {
    const int x0 = side < 0 ? -3 : 1, x1 = side < 0 ? -1 : 3;
    m.fill(x0, 0, -1, x1, 1, 2, grey);
    m.fill(x0, 2, -1, x1, 5, 1, suit);
    m.fill(x0, 4, 1, x1, 4, 1, seam);  // knee pads
  }
  // Torso with a belt and a chest panel.
  m.fill(-3, 6, -2, 3, 10, 2, suit);
  m.fill(-3, 6, -2, 3, 6, 2, seam);
  m.set(-1, 8, 2, red);
  m.set(0, 8, 2, blue);
  m.set(1, 8, 2, grey);
  m.fill(-1, 9, 2, 1, 9, 2, seam);
  // Arms and gloves.
  for (int x : {-5, -4, 4, 5}) {
    m.fill(x, 6, -1, x, 9, 1, suit);
    m.fill(x, 5, -1, x, 5, 1, grey);
  }
  // Backpack.
  m.fill(-3, 6, -4, 3, 11, -3, pack);
  m.fill(-2, 10, -5, 2, 10, -5, dark);
  m.set(-2, 8, -5, red);
  // Helmet: rounded block, gold visor on the front.
  m.fill(-3, 11, -3, 3, 15, 3, suit);
  for (int x : {-3, 3})
    for (int z : {-3, 3}) {
      m.erase(x, 15, z);
      m.erase(x, 11, z);
    }
  m.fill(-2, 12, 3, 2, 14, 3, visor);
  m.set(-1, 14, 3, visorGlint);
  m.set(-2, 13, 3, visorGlint);
  m.fill(-1, 16, -1, 1, 16, 1, seam);  // crown
  m.set(2, 16, -2, grey);              // antenna
  m.set(2, 17, -2, red);
  return {{"astronaut", m.mesh()}};
}

// A sleek ship in world units: nose at z -2, tail at 18, 7 wide, 3.5 tall
// (the game flies it 1.5 above its street).
Mesh ship() {
  const Rgba hull = rgb(200, 204, 214), hullDark = rgb(120, 128, 146), canopy = rgb(60, 170, 230);
  const Rgba wing = rgb(220, 70, 60), engine = rgb(80, 84, 96), glow = rgb(255, 170, 40), stripe = rgb(250, 210, 60);
  VoxelModel m(1.f, Vec3{0.f, 0.f, 0.f});
  // Fuselage, 4 wide, narrowing to the nose (cells z -2..17).
  for (int z = -2; z <= 17; ++z) {
    const int half = z < 1 ? 1 : 2;
    const int top = z < 0 ? 1 : 2;
    m.fill(-half, 0, z, half - 1, top, z, hull);
    m.fill(-half, 0, z, half - 1, 0, z, hullDark);
  }
  // Stripe along the back and the canopy behind the nose.
  m.fill(-1, 3, 6, 0, 3, 14, stripe);
  m.fill(-1, 3, 1, 0, 3, 4, canopy);
  // Swept wings out to the row's edges (x -4..4 in all).
  for (int z = 7; z <= 15; ++z) {
    const int reach = z < 10 ? 1 : 2;
    m.fill(-2 - reach, 1, z, -3, 1, z, wing);
    m.fill(2, 1, z, 1 + reach, 1, z, wing);
  }
  // Tail fin.
  m.fill(-1, 3, 15, 0, 4, 17, wing);
  // Two engines with glowing exhausts.
  for (int x : {-3, 2}) {
    m.fill(x, 0, 14, x, 1, 17, engine);
    m.set(x, 0, 17, glow);
    m.setFace(x, 1, 17, PosZ, glow);
  }
  return scaled({{"ship", m.mesh()}}, 5.f, 12.f, 10.f);
}

// A cluster of pointed crystal pillars, about 5 wide and 7 tall in world units.
Mesh crystal() {
  const Rgba a = rgb(236, 120, 196), b = rgb(200, 70, 160), c = rgb(250, 180, 226), base = rgb(150, 90, 70);
  VoxelModel m(0.5f);
  m.fill(-4, 0, -3, 3, 0, 3, base);
  struct Pillar {
    int x, z, height;
    Rgba colour;
  };
  const Pillar pillars[] = {{-1, -1, 13, a}, {2, 0, 9, b}, {-3, 1, 7, c}, {0, 2, 6, b}, {-2, -3, 5, c}};
  for (const Pillar& p : pillars) {
    m.fill(p.x - 1, 1, p.z - 1, p.x, p.height, p.z, p.colour);
    m.set(p.x - 1, p.height + 1, p.z - 1, p.colour);  // the point
    m.set(p.x - 1, p.height + 2, p.z - 1, c);
  }
  return scaled({{"crystal", m.mesh()}}, 1.2f, 2.4f, 1.2f);
}

// A cut gem: flat top, pointed below, about 3 wide and 5 tall in world units.
Mesh diamond() {
  const Rgba gem = rgb(255, 255, 255);
  VoxelModel m(0.5f);
  // Half-widths per layer from the bottom point up to the crown.
  const int half[] = {0, 0, 1, 1, 2, 2, 2, 2, 1};
  for (int y = 0; y < 9; ++y)
    for (int x = -half[y] - 1; x <= half[y]; ++x)
      for (int z = -half[y] - 1; z <= half[y]; ++z) {
        if (std::abs(2 * x + 1) + std::abs(2 * z + 1) > 2 * half[y] + 3) continue;  // octagonal outline
        m.set(x, y, z, gem);
      }
  Mesh mesh{{"diamond", m.mesh()}};
  for (Quad& q : mesh[0].quads)
    for (Vec3& p : q.corners) p.y -= 1.5f;
  return scaled(mesh, 1.5f, 3.f, 1.5f);
}

// A lumpy rock about 6 across, centred on the origin.
Mesh meteor() {
  const Rgba rock = rgb(110, 84, 70), dark = rgb(70, 52, 44), hot = rgb(240, 110, 40);
  VoxelModel m(0.75f, Vec3{-0.375f, -0.375f, -0.375f});
  for (int x = -4; x <= 4; ++x)
    for (int y = -4; y <= 4; ++y)
      for (int z = -4; z <= 4; ++z) {
        const float r = std::sqrt(float(x * x + y * y + z * z));
        const float bump = 3.3f + 1.1f * hashUnit(x * 9 + z, y, 51u);
        if (r > bump) continue;
        const float h = hashUnit(x + 20 * y, z, 53u);
        m.set(x, y, z, y < -1 && h > 0.6f ? hot : h > 0.75f ? dark : rock);
      }
  return {{"meteor", m.mesh()}};
}

// The rescue rocket standing on its fins, ~30 tall in world units.
Mesh rescueShip() {
  const Rgba white = rgb(244, 244, 240), red = rgb(222, 50, 40), window = rgb(70, 170, 230), grey = rgb(140, 146, 160);
  const Rgba flame = rgb(255, 180, 60);
  VoxelModel m(2.f);
  for (int y = 1; y <= 12; ++y) {
    const int r = y >= 11 ? (y == 12 ? 1 : 2) : y >= 10 ? 3 : 4;
    for (int x = -r; x < r; ++x)
      for (int z = -r; z < r; ++z) {
        if (r > 1 && (x == -r || x == r - 1) && (z == -r || z == r - 1)) continue;  // round the corners
        const Rgba c = (y == 3 || y == 8) ? red : y >= 11 ? red : white;
        m.set(x, y, z, c);
      }
  }
  m.fill(-1, 13, -1, 0, 14, 0, red);
  // Portholes on all four sides.
  for (int k = -1; k <= 0; ++k) {
    m.setFace(k, 6, 3, PosZ, window);
    m.setFace(k, 6, -4, NegZ, window);
    m.setFace(3, 6, k, PosX, window);
    m.setFace(-4, 6, k, NegX, window);
  }
  // Fins down to the ground and the nozzle.
  m.fill(-5, 0, -1, -5, 4, 0, red);
  m.fill(4, 0, -1, 4, 4, 0, red);
  m.fill(-1, 0, -5, 0, 4, -5, red);
  m.fill(-1, 0, 4, 0, 4, 4, red);
  m.fill(-2, 0, -2, 1, 0, 1, grey);
  m.setFace(-1, 0, -1, NegY, flame);
  return scaled({{"rescue", m.mesh()}}, 3.f, 5.f, 3.f);
}

// The crashed ship: a rocket lying on its side with its red nose dug into a
// scorched crater, portholes along the side the camera sees (-z), a snapped
// fin on the ground and smoke curling from the engine; ~40 long in world units.
Mesh crashedShip() {
  const Rgba hull = rgb(214, 218, 226), band = rgb(200, 52, 40), scorch = rgb(96, 88, 86), grey = rgb(110, 114, 126);
  const Rgba window = rgb(64, 160, 226), ember = rgb(255, 140, 40), crater = rgb(92, 48, 24);
  const Rgba smokeA = rgb(150, 146, 144), smokeB = rgb(110, 106, 106);
  VoxelModel m(2.f);
  for (int x = -10; x <= 8; ++x) {
    const int r = x <= -10 ? 1 : x <= -8 ? 2 : 3;
    const int sink = x <= -8 ? 1 : 0;  // the nose dug in
    for (int y = -r; y < r; ++y)
      for (int z = -r; z < r; ++z) {
        if (r > 1 && (y == -r || y == r - 1) && (z == -r || z == r - 1)) continue;  // round it
        const bool burnt = hashUnit(x, y * 7 + z, 61u) > 0.93f;
        const Rgba c = x <= -8 || x == 2 || x == 3 ? band : burnt ? scorch : hull;
        m.set(x, y + 3 - sink, z, c);
      }
  }
  for (int x : {-5, -2, 1, 5}) {
    m.setFace(x, 3, -3, NegZ, window);
    m.setFace(x, 3, 2, PosZ, window);
  }
  // Engine bell at the tail, still glowing.
  m.fill(9, 2, -2, 9, 4, 1, grey);
  m.setFace(9, 3, -1, PosX, ember);
  m.setFace(9, 3, 0, PosX, ember);
  // Fins: one up, one along the ground, one snapped off beside the hull.
  m.fill(6, 6, -1, 8, 7, 0, band);
  m.fill(6, 0, 3, 8, 0, 4, band);
  m.fill(3, 0, -8, 5, 0, -7, band);
  // Crater under the nose and smoke above the engine.
  m.addBox({-26.f, -1.4f, -10.f}, {-10.f, 0.4f, 10.f}, crater);
  m.addBox({-12.f, -1.4f, -8.f}, {4.f, 0.3f, 8.f}, crater);
  const float puffs[][4] = {{20.f, 12.f, 0.f, 2.5f}, {22.f, 17.f, 1.f, 3.f}, {25.f, 23.f, -1.f, 3.5f},
                            {29.f, 29.f, 0.f, 4.f}};
  for (int i = 0; i < 4; ++i) {
    const auto& p = puffs[i];
    m.addBox({p[0] - p[3], p[1] - p[3], p[2] - p[3]}, {p[0] + p[3], p[1] + p[3], p[2] + p[3]}, i % 2 ? smokeA : smokeB);
  }
  return scaled({{"crashed", m.mesh()}}, 3.f, 5.f, 3.f);
}

// The HUD icon: a pink gem, flat on top and pointed below, filling the
// polygon the game maps onto it.
Image diamondIcon() {
  constexpr int kSize = 128;
  Image img(kSize, kSize, rgb(0, 0, 0));
  const float s = float(kSize);
  // Corners in image pixels (top-left origin) from the game's texture coordinates.
  const float tip[2] = {0.5f * s, (1 - 0.0361f) * s}, right[2] = {0.9423f * s, (1 - 0.6659f) * s};
  const float topR[2] = {0.7981f * s, (1 - 0.9183f) * s}, topL[2] = {0.2067f * s, (1 - 0.9183f) * s};
  const float left[2] = {0.0601f * s, (1 - 0.6659f) * s};
  const Rgba light = rgb(255, 160, 196), mid = rgb(236, 66, 110), deep = rgb(170, 30, 76), shine = rgb(255, 236, 244);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float px = float(x) + 0.5f, py = float(y) + 0.5f;
      Rgba c;
      if (py < right[1]) {
        // Crown: three facets across.
        const float t = (px - left[0]) / (right[0] - left[0]);
        c = t < 0.33f ? light : t < 0.66f ? mid : deep;
        if (py < topL[1] + 6) c = mix(c, shine, 0.5f);
      } else {
        // Pavilion: facets converging on the tip.
        const float t = (px - tip[0]) / std::fmax(1.f, (right[0] - tip[0]) * (tip[1] - py) / (tip[1] - right[1]));
        c = t < -0.45f ? mid : t < 0.2f ? light : deep;
      }
      img.at(x, y) = shade(c, 0.94f + 0.08f * hashUnit(x, y, 71u));
    }
  // Facet lines and a sparkle.
  const Rgba edge = rgb(255, 220, 232);
  drawLine(img, left[0], left[1], right[0], right[1], 2.f, edge);
  drawLine(img, left[0], left[1], tip[0], tip[1], 1.5f, edge);
  drawLine(img, right[0], right[1], tip[0], tip[1], 1.5f, edge);
  drawLine(img, topL[0] + 14, topL[1], left[0] + 30, left[1], 1.5f, edge);
  drawLine(img, topR[0] - 14, topR[1], right[0] - 30, right[1], 1.5f, edge);
  fillDisc(img, topL[0] + 18, topL[1] + 14, 5.f, shine, 2.f);
  return img;
}

}  // namespace

void generateMarsdash(const fs::path& out) {
  const fs::path models = out / "modelos";
  writeModel(astronaut(), models / "astronaut1.obj", models / "astronaut1.png",
             options("marsdash astronaut, y up, facing +z, drawn at 0.4", 0.5f, true));
  // Colour groups: shading per face would split them, so none is baked in.
  ObjOptions grouped = options("marsdash ship, nose -z, drawn at (5, 12, 10)", 0.4f, false);
  grouped.mtlLib = "ship1.mtl";
  writeModel(ship(), models / "ship1.obj", models / "ship1.png", grouped);
  grouped.comment = "marsdash crystal, drawn at (1.2, 2.4, 1.2)";
  grouped.mtlLib = "cristal1.mtl";
  writeModel(crystal(), models / "cristal1.obj", models / "cristal1.png", grouped);
  writeModel(diamond(), models / "Diamante.obj", models / "diamante_paleta.png",
             options("marsdash diamond, drawn at (1.5, 3, 1.5)", 0.6f, false));
  writeModel(meteor(), models / "meteorito.obj", models / "meteorito.png",
             options("marsdash meteor", 0.3f, false));
  writeModel(rescueShip(), models / "nave1.obj", models / "nave1.png",
             options("marsdash rescue ship, drawn at (3, 5, 3)", 0.5f, true));
  writeModel(crashedShip(), models / "nave2.obj", models / "nave2.png",
             options("marsdash crashed ship, drawn at (3, 5, 3)", 0.5f, true));
  savePng(diamondIcon(), models / "diamante.png", PixelFormat::Rgb24);
  stageFonts("marsdash", out);
}

static const GameRegistration registration{"marsdash", generateMarsdash};
static const HeroRegistration hero{"mars-astronaut", astronaut};

}  // namespace assetgen
