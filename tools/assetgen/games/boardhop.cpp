// boardhop: a penguin crossing an icy beach. Models are built in the usual OBJ
// frame (y up, facing +z, origin at the centre of the footprint on the ground)
// because the game turns them with rotate(-90) about x into its z-down world;
// world = translate + s * (mx, mz, -my).
#include <algorithm>
#include <cmath>

#include "draw.h"
#include "files.h"
#include "fonts.h"
#include "games.h"
#include "heroes.h"
#include "obj.h"
#include "pattern.h"
#include "text.h"
#include "voxel.h"

namespace assetgen {

namespace {

namespace fs = std::filesystem;

constexpr int kTileSize = 128;
constexpr int kScreenW = 800, kScreenH = 600;

// The game lights the penguin and the palm from straight above and mostly looks
// down on them, so side normals lean up (45 degrees) and the faces carry a
// little baked shading per direction: +x, -x, +y, -y, +z, -z.
ObjOptions modelOptions(const char* comment, float lift) {
  ObjOptions o;
  o.comment = comment;
  o.objectPerPart = true;
  o.sideNormalLift = lift;
  o.shade = {0.88f, 0.84f, 1.f, 0.6f, 0.94f, 0.8f};
  return o;
}

// ~1.75 tall, 1.25 wide with flippers, beak pointing +z; voxel 0.125 so the
// body is 8 cells wide and 14 tall. Scaled 0.5 by the game.
Mesh penguin() {
  const Rgba ink = rgb(40, 46, 64), white = rgb(246, 248, 252), orange = rgb(252, 150, 36);
  const Rgba beakTip = rgb(232, 112, 24), eye = rgb(12, 12, 18);
  VoxelModel m(0.125f);
  // Feet reach past the belly so they show from above.
  m.fill(-3, 0, -2, -2, 0, 4, orange);
  m.fill(1, 0, -2, 2, 0, 4, orange);
  // Body: an upright egg, black with a white front two cells thick.
  for (int y = 1; y <= 9; ++y) {
    const bool wide = y >= 2 && y <= 7;
    const int lo = wide ? -4 : -3, hi = wide ? 3 : 2;
    for (int x = lo; x <= hi; ++x)
      for (int z = lo; z <= hi; ++z) {
        if (wide && (x == lo || x == hi) && (z == lo || z == hi)) continue;  // rounded corners
        const bool belly = z >= hi - 1 && x >= -3 && x <= 2 && y <= 8;
        m.set(x, y, z, belly ? white : ink);
      }
  }
  // Head with a white face patch that wraps onto the crown's front edge, so it
  // reads from above as well as from behind.
  m.fill(-3, 10, -3, 2, 13, 2, ink);
  for (int x : {-3, 2})
    for (int z : {-3, 2}) m.erase(x, 13, z);
  m.fill(-2, 10, 2, 1, 12, 2, white);
  m.fill(-2, 13, 2, 1, 13, 2, white);
  m.set(-2, 12, 2, eye);
  m.set(1, 12, 2, eye);
  // Beak: a two-step wedge.
  m.fill(-1, 10, 3, 0, 11, 3, orange);
  m.fill(-1, 10, 4, 0, 10, 4, beakTip);
  // Flipper wings, narrower towards their tips.
  for (int x : {-5, 4}) {
    m.fill(x, 4, -2, x, 7, 1, ink);
    m.fill(x, 2, -1, x, 3, 0, ink);
  }
  m.fill(-1, 1, -5, 0, 2, -5, ink);  // tail
  return {{"penguin", m.mesh()}};
}

// Lying seal, nose +z: 8 long, 3 tall, 3 wide plus flippers (voxel 0.5).
// The game scales it 0.12 and turns the nose to world -x.
Mesh seal() {
  const Rgba body = rgb(120, 142, 166), belly = rgb(196, 210, 222), dark = rgb(70, 84, 106);
  const Rgba muzzle = rgb(170, 186, 200), eye = rgb(16, 20, 30), nose = rgb(28, 28, 34), whisker = rgb(44, 48, 58);
  VoxelModel m(0.5f);
  // Profile along z: half-width and height per slice, tail (z = -7) to chest (z = 5).
  struct Slice {
    int z0, z1, x0, x1, top;
  };
  const Slice slices[] = {{-7, -7, -1, 0, 0}, {-6, -5, -2, 1, 1}, {-4, -2, -3, 2, 2}, {-1, 5, -3, 2, 3}};
  for (const Slice& s : slices)
    for (int z = s.z0; z <= s.z1; ++z)
      for (int x = s.x0; x <= s.x1; ++x)
        for (int y = 0; y <= s.top; ++y) {
          if (y == s.top && s.top >= 2 && (x == s.x0 || x == s.x1)) continue;  // round the back
          m.set(x, y, z, y == 0 ? belly : body);
        }
  // A few darker spots on the back.
  const int spots[][3] = {{-2, 3, 1}, {1, 3, -1}, {0, 3, 0}, {-1, 2, -3}};
  for (const auto& s : spots) m.set(s[0], s[1], s[2], dark);
  // Raised head, then the muzzle.
  m.fill(-2, 2, 3, 1, 5, 6, body);
  for (int x : {-2, 1})
    for (int z : {3, 6}) m.erase(x, 5, z);
  m.fill(-1, 2, 7, 0, 3, 7, muzzle);
  m.fill(-1, 2, 6, 0, 2, 6, muzzle);
  m.set(-2, 4, 6, eye);
  m.set(1, 4, 6, eye);
  // Tail flukes spread sideways.
  m.fill(-2, 0, -8, -3, 0, -8, dark);
  m.fill(1, 0, -8, 2, 0, -8, dark);
  m.fill(-2, 0, -7, 1, 0, -7, dark);
  // Off-grid details: nose, fore flippers, whiskers as thin slabs.
  m.addBox({-0.3f, 1.5f, 4.f}, {0.3f, 1.95f, 4.15f}, nose);
  for (float side : {-1.f, 1.f}) {
    const float in = 1.5f * side, out = 1.95f * side;
    m.addBox({std::fmin(in, out), 0.f, 0.4f}, {std::fmax(in, out), 0.3f, 1.6f}, dark);
    for (int k = 0; k < 2; ++k) {
      const float y = 1.3f + 0.25f * float(k), reach = 0.5f + 0.7f - 0.15f * float(k);
      const float a = 0.5f * side, b = reach * side;
      m.addBox({std::fmin(a, b), y, 3.7f - 0.15f * float(k)}, {std::fmax(a, b), y + 0.07f, 3.76f - 0.15f * float(k)},
               whisker);
    }
  }
  return {{"seal", m.mesh()}};
}

// Log lying along x, 2.25 long, 9 cells round. The game draws it half a unit
// below the tiles (z down) with scale 0.4, so its underside sits at y = 1.25
// to rest on the board.
Mesh woodbranch() {
  constexpr float v = 0.125f;
  constexpr int kLength = 18, kRound = 9;
  const Rgba bark = rgb(126, 84, 46), streak = rgb(94, 60, 32), leaf = rgb(96, 176, 64), twig = rgb(104, 70, 40);
  const Rgba rings[] = {rgb(206, 160, 100), rgb(238, 204, 146), rgb(214, 170, 110), rgb(160, 110, 62)};
  VoxelModel m(v, Vec3{-0.5f * kLength * v, 1.25f, -0.5f * kRound * v});
  const int c = kRound / 2;
  for (int y = 0; y < kRound; ++y)
    for (int z = 0; z < kRound; ++z) {
      const int r2 = (y - c) * (y - c) + (z - c) * (z - c);
      if (r2 * 4 > 81) continue;  // inside radius 4.5
      for (int x = 0; x < kLength; ++x)
        m.set(x, y, z, hash2(y * 16 + z, x / 3, 7u) % 5u == 0 ? streak : bark);
      // Cut ends: light rings around a darker core, bark-coloured rim.
      const float r = std::sqrt(float(r2));
      const Rgba end = r < 1.2f ? rings[0] : r < 2.4f ? rings[1] : r < 3.5f ? rings[2] : rings[3];
      m.setFace(0, y, z, NegX, end);
      m.setFace(kLength - 1, y, z, PosX, end);
    }
  m.set(12, kRound, c, twig);
  m.set(13, kRound, c, leaf);
  m.set(13, kRound, c + 1, leaf);
  return {{"woodbranch", m.mesh()}};
}

// Palm on its tile: segmented trunk leaning a little, crown at ~1.6, six
// drooping fronds reaching 0.5 from the centre, three coconuts.
Mesh palm() {
  constexpr float v = 0.1f;
  const Rgba trunkA = rgb(150, 102, 58), trunkB = rgb(112, 74, 42);
  const Rgba leafA = rgb(70, 170, 62), leafB = rgb(46, 132, 50), crown = rgb(54, 140, 52);
  const Rgba nut = rgb(96, 60, 30), nutTop = rgb(128, 86, 44);
  VoxelModel m(v);
  m.fill(-3, 0, -2, 0, 0, 1, trunkB);  // flared foot
  for (int y = 1; y <= 15; ++y) {
    const int lean = y >= 8 ? 1 : 0;
    m.fill(-2 + lean, y, -1, -1 + lean, y, 0, (y / 2) % 2 ? trunkA : trunkB);
  }
  m.fill(-2, 16, -2, 1, 16, 1, crown);
  m.fill(-1, 17, -1, 0, 17, 0, leafA);
  // Fronds start on the crown and droop towards the tip; leaflets alternate
  // two greens so the segments read from above.
  constexpr int kFronds = 6;
  for (int f = 0; f < kFronds; ++f) {
    const float a = 6.2831853f * (float(f) + 0.25f) / float(kFronds);
    const float dx = std::cos(a), dz = std::sin(a);
    for (int step = 0; step <= 9; ++step) {
      const float t = 1.2f + 0.42f * float(step);
      const int x = int(std::floor(t * dx)), z = int(std::floor(t * dz));
      static const int kDroop[] = {0, 0, 0, 1, 1, 2, 2, 3, 4, 5};
      const int y = 17 - kDroop[step];
      const Rgba c = step % 2 ? leafA : leafB;
      m.set(x, y, z, c);
      if (step >= 2 && step <= 6) {  // wider in the middle
        m.set(int(std::floor(t * dx - 0.8f * dz)), y, int(std::floor(t * dz + 0.8f * dx)), c);
        m.set(int(std::floor(t * dx + 0.8f * dz)), y, int(std::floor(t * dz - 0.8f * dx)), c);
      }
    }
  }
  const float nuts[][3] = {{0.15f, 1.44f, 0.f}, {-0.04f, 1.42f, 0.16f}, {-0.12f, 1.46f, -0.16f}};
  for (const auto& p : nuts)
    m.addBox({p[0] - 0.065f, p[1] - 0.065f, p[2] - 0.065f}, {p[0] + 0.065f, p[1] + 0.065f, p[2] + 0.065f},
             {nut, nut, nutTop, nut, nut, nut});
  return {{"palm", m.mesh()}};
}

Image sand() {
  Image img = sandTexture(kTileSize, rgb(240, 226, 172), 11u);
  darkenEdge(img, 3, 0.9f);
  return img;
}

// Grass on top, with an uneven rim of earth round the edge so the tile under
// a palm reads as a raised patch of ground.
Image grassEarth() {
  Image img = grassTexture(kTileSize, rgb(106, 186, 74), rgb(66, 138, 50), 23u);
  const Rgba earth = rgb(150, 104, 62), earthDark = rgb(116, 78, 44);
  for (int y = 0; y < kTileSize; ++y)
    for (int x = 0; x < kTileSize; ++x) {
      const int d = std::min({x, y, kTileSize - 1 - x, kTileSize - 1 - y});
      const float edge = 3.f + 2.5f * tileNoise(float(x) / kTileSize, float(y) / kTileSize, 8, 29u);
      if (float(d) < edge) {
        const Rgba e = hashUnit(x, y, 31u) > 0.8f ? earthDark : earth;
        img.at(x, y) = shade(e, 0.96f + 0.08f * hashUnit(x, y, 37u));
      } else if (float(d) < edge + 1.f) {
        img.at(x, y) = shade(img.at(x, y), 0.8f);  // grass lip shadow
      }
    }
  darkenEdge(img, 2, 0.85f);
  return img;
}

// Six-armed flake with a pair of barbs on each arm.
void snowflake(Image& img, float cx, float cy, float r, Rgba c) {
  const float t = std::fmax(1.5f, r * 0.14f);
  for (int arm = 0; arm < 6; ++arm) {
    const float a = 1.0471976f * float(arm) + 0.26f;
    const float ex = cx + r * std::cos(a), ey = cy + r * std::sin(a);
    drawLine(img, cx, cy, ex, ey, t, c);
    const float bx = cx + 0.6f * r * std::cos(a), by = cy + 0.6f * r * std::sin(a);
    for (float side : {-0.7f, 0.7f})
      drawLine(img, bx, by, bx + 0.32f * r * std::cos(a + side), by + 0.32f * r * std::sin(a + side), t * 0.8f, c);
  }
}

Image pauseScreen() {
  Image img(kScreenW, kScreenH);
  verticalGradient(img, rgb(214, 240, 252), rgb(120, 182, 232));
  // Drifting snow: soft dots and a few flakes, scattered by hash.
  for (int i = 0; i < 90; ++i) {
    const float x = hashUnit(i, 0, 41u) * kScreenW, y = hashUnit(i, 1, 41u) * kScreenH;
    fillDisc(img, x, y, 2.f + 4.f * hashUnit(i, 2, 41u), rgb(255, 255, 255, 150), 3.f);
  }
  for (int i = 0; i < 16; ++i) {
    const float x = hashUnit(i, 0, 43u) * kScreenW, y = hashUnit(i, 1, 43u) * kScreenH;
    snowflake(img, x, y, 12.f + 16.f * hashUnit(i, 2, 43u), rgb(255, 255, 255, 170));
  }
  // Snowbanks along the bottom.
  for (int i = 0; i < 7; ++i)
    fillDisc(img, -40.f + 140.f * float(i), 650.f + 30.f * hashUnit(i, 0, 47u), 110.f + 30.f * hashUnit(i, 1, 47u),
             rgb(244, 250, 255), 2.f);
  // Frosted panel with a soft shadow.
  fillRoundedRect(img, 170, 118, 460, 370, 40, rgb(30, 70, 130, 60), 14.f);
  fillRoundedRect(img, 170, 104, 460, 370, 40, rgb(255, 255, 255, 150));
  // Pause icon: two rounded bars.
  const Rgba bar = rgb(42, 96, 168), barShadow = rgb(20, 50, 100, 90);
  for (float x : {342.f, 424.f}) {
    fillRoundedRect(img, x + 3, 140 + 5, 34, 92, 14, barShadow, 2.f);
    fillRoundedRect(img, x, 140, 34, 92, 14, bar);
  }
  const Font title(fontFile("boardhop", "title"));
  TextStyle big;
  big.pixelSize = 112;
  big.colour = rgb(255, 255, 255);
  big.outline = 6;
  big.outlineColour = rgb(38, 88, 156);
  big.shadowY = 7;
  big.shadowX = 2;
  big.shadowColour = rgb(16, 44, 92, 120);
  title.drawCentred(img, "PAUSA", kScreenW / 2, 312, big);
  TextStyle hint;
  hint.pixelSize = 36;
  hint.colour = rgb(34, 80, 146);
  hint.shadowY = 2;
  hint.shadowColour = rgb(255, 255, 255, 200);
  title.drawCentred(img, "p: continuar", kScreenW / 2, 424, hint);
  return img;
}

}  // namespace

void generateBoardhop(const fs::path& out) {
  const fs::path models = out / "Modelos3D";
  writeModel(penguin(), models / "penguin" / "penguin.obj", models / "penguin" / "penguin.png",
             modelOptions("boardhop penguin, y up, beak +z", 1.f));
  writeModel(seal(), models / "seal" / "Seal.obj", models / "seal" / "seal128.png",
             modelOptions("boardhop seal, y up, nose +z", 0.6f), 128, 16);
  writeModel(woodbranch(), models / "woodbranch" / "woodbranch.obj", models / "woodbranch" / "woodbranch.png",
             modelOptions("boardhop log, y up, along x, underside at y 1.25", 0.6f));
  writeModel(palm(), models / "palm" / "TREP.obj", models / "palm" / "palm.png",
             modelOptions("boardhop palm, y up", 1.f));
  savePng(waterTexture(kTileSize, rgb(52, 146, 218), rgb(176, 228, 250), 5u), out / "agua_linda.png",
          PixelFormat::Rgb24);
  savePng(sand(), out / "tierra.png", PixelFormat::Rgb24);
  savePng(grassEarth(), out / "tierra_pasto.png", PixelFormat::Rgb24);
  savePng(pauseScreen(), out / "pausa2.PNG", PixelFormat::Rgb24);
  stageFonts("boardhop", out);
}

static const GameRegistration registration{"boardhop", generateBoardhop};
static const HeroRegistration hero{"penguin", penguin};

}  // namespace assetgen
