// orbitdash: an astronaut jumping along a course in space.
//
// Frames the game draws in (y up, the course runs along +z):
// - the astronaut is drawn at its feet, turned about y by its heading: it
//   faces +z, feet at y = 0, about 1 unit tall;
// - a ship is drawn in a half-scale frame (glScale 0.5) at its lane, nose
//   along +x (turned 180 degrees for ships flying towards -x), centred on
//   its origin: 3.2 long, 2.4 wide, about 1.1 tall in model units;
// - a floor panel is drawn turned 90 degrees about y, scaled 0.15 and
//   lowered 0.43: once there it spans x -5..5, z -3.4..4.5 about the floor's
//   centre line and its top lies at height 0, where the astronaut stands;
// - the oxygen bottle is drawn scaled 0.15 about its centre: 0.6 tall.
// Textures: the asteroids', the font atlas (16 x 16 cells, character k in
// column k mod 16 and row k / 16 from the top), the star field, the title
// picture, the goal banner, the platforms' pad, the ships' deck plate (its
// hazard stripes on the top and bottom edges mark the lanes' borders), the
// decoration cubes and the sun.
#include <array>
#include <cmath>
#include <string>

#include "draw.h"
#include "files.h"
#include "fonts.h"
#include "games.h"
#include "obj.h"
#include "pattern.h"
#include "text.h"
#include "voxel.h"

namespace assetgen {

void generateOrbitdash(const std::filesystem::path& outdir);

namespace {

namespace fs = std::filesystem;

ObjOptions modelOptions(const char* comment, float lift, Transform t = Transform()) {
  ObjOptions o;
  o.comment = comment;
  o.sideNormalLift = lift;
  o.shade = {0.9f, 0.86f, 1.f, 0.62f, 0.95f, 0.82f};
  o.transform = t;
  // Triangles with position/texture/normal corners: the game's strict reader.
  o.quads = false;
  o.corners = Corners::PosTexNormal;
  return o;
}

// ---- models ------------------------------------------------------------------

// White suit, gold visor, a grey backpack with a red light; 18 voxels of
// 0.058 (about 1.04 tall), facing +z, feet at y = 0.
Mesh astronaut() {
  constexpr float v = 0.058f;
  const Rgba suit = rgb(246, 246, 242), seam = rgb(200, 204, 212), grey = rgb(118, 122, 134);
  const Rgba dark = rgb(58, 60, 72), visor = rgb(250, 170, 36), glint = rgb(255, 232, 150);
  const Rgba red = rgb(226, 52, 44), blue = rgb(44, 110, 226), pack = rgb(170, 176, 188);
  VoxelModel m(v, Vec3{-0.5f * v, 0.f, -0.5f * v});
  for (int side : {-1, 1}) {  // boots and legs
    const int x0 = side < 0 ? -3 : 1, x1 = side < 0 ? -1 : 3;
    m.fill(x0, 0, -1, x1, 1, 2, grey);
    m.fill(x0, 2, -1, x1, 5, 1, suit);
    m.fill(x0, 4, 1, x1, 4, 1, seam);
  }
  m.fill(-3, 6, -2, 3, 10, 2, suit);  // torso with belt and chest panel
  m.fill(-3, 6, -2, 3, 6, 2, seam);
  m.set(-1, 8, 2, red);
  m.set(0, 8, 2, blue);
  m.set(1, 8, 2, grey);
  for (int x : {-5, -4, 4, 5}) {  // arms and gloves
    m.fill(x, 6, -1, x, 9, 1, suit);
    m.fill(x, 5, -1, x, 5, 1, grey);
  }
  m.fill(-3, 6, -4, 3, 11, -3, pack);  // backpack
  m.fill(-2, 10, -5, 2, 10, -5, dark);
  m.set(-2, 8, -5, red);
  m.set(2, 8, -5, blue);
  m.fill(-3, 11, -3, 3, 15, 3, suit);  // helmet, corners rounded
  for (int x : {-3, 3})
    for (int z : {-3, 3}) {
      m.erase(x, 15, z);
      m.erase(x, 11, z);
    }
  m.fill(-2, 12, 3, 2, 14, 3, visor);
  m.set(-1, 14, 3, glint);
  m.set(-2, 13, 3, glint);
  m.fill(-1, 16, -1, 1, 16, 1, seam);
  m.set(2, 16, -2, grey);  // antenna
  m.set(2, 17, -2, red);
  return {{"astronaut", m.mesh()}};
}

// A small fighter, nose +x: grey hull, red swept wings, blue canopy, two
// glowing engines at the tail. Voxels of 0.2: 16 long, 12 wide, 5 tall.
Mesh ship() {
  constexpr float v = 0.2f;
  const Rgba hull = rgb(206, 210, 220), belly = rgb(120, 128, 146), canopy = rgb(60, 176, 236);
  const Rgba wing = rgb(226, 66, 56), engine = rgb(74, 78, 92), glow = rgb(255, 176, 40), stripe = rgb(250, 212, 60);
  VoxelModel m(v, Vec3{0.f, -2.5f * v, -0.f});
  for (int x = -8; x <= 7; ++x) {  // fuselage narrowing to the nose
    const int half = x >= 5 ? 1 : 2;
    const int top = x >= 6 ? 2 : 3;
    m.fill(x, 0, -half, x, top, half - 1, hull);
    m.fill(x, 0, -half, x, 0, half - 1, belly);
  }
  m.fill(1, 4, -1, 4, 4, 0, canopy);   // canopy behind the nose
  m.fill(-6, 4, -1, -1, 4, 0, stripe); // stripe along the back
  for (int x = -7; x <= 0; ++x) {      // swept wings out to +-6
    const int reach = x <= -4 ? 4 : x <= -2 ? 3 : 1;
    m.fill(x, 1, -2 - reach, x, 1, -3, wing);
    m.fill(x, 1, 2, x, 1, 1 + reach, wing);
  }
  m.fill(-8, 4, -1, -6, 5, 0, wing);   // tail fin
  for (int z : {-3, 2}) {              // engines with glowing exhausts
    m.fill(-8, 1, z, -5, 2, z, engine);
    m.setFace(-8, 1, z, NegX, glow);
    m.setFace(-8, 2, z, NegX, glow);
  }
  return {{"ship", m.mesh()}};
}

// A sci-fi deck panel, built where the game shows it (x -5..5, z -3.4..4.6
// about the centre line, top at 0.43 before the game lowers it): steel
// plates between dark grooves, cyan light strips along the sides, yellow
// corner marks. Voxels of 0.5, two layers thick.
Mesh panel() {
  const Rgba plate = rgb(150, 158, 172), plateDark = rgb(124, 132, 148), groove = rgb(60, 64, 78);
  const Rgba light = rgb(90, 230, 250), mark = rgb(250, 200, 40), under = rgb(70, 74, 88);
  VoxelModel m(0.5f, Vec3{-5.f, -0.57f, -3.4f});
  for (int x = 0; x < 20; ++x)
    for (int z = 0; z < 16; ++z) {
      m.set(x, 0, z, under);
      Rgba c = ((x / 5 + z / 4) % 2) ? plate : plateDark;
      if (x % 5 == 0 || z % 4 == 0) c = groove;
      if (x == 0 || x == 19) c = light;
      if ((x <= 1 || x >= 18) && (z <= 1 || z >= 14)) c = mark;
      m.set(x, 1, z, c);
    }
  return {{"panel", m.mesh()}};
}

// A green oxygen tank with a white band, a grey valve and a red handle;
// centred on the origin, 4 tall in model units (0.6 once scaled 0.15).
Mesh oxygen() {
  constexpr float v = 0.25f;
  const Rgba tank = rgb(60, 200, 110), tankDark = rgb(36, 150, 80), band = rgb(246, 246, 240);
  const Rgba letter = rgb(30, 90, 200), valve = rgb(150, 156, 168), handle = rgb(230, 50, 44);
  VoxelModel m(v, Vec3{0.f, -2.f, 0.f});
  for (int y = 0; y <= 12; ++y)
    for (int x = -4; x <= 3; ++x)
      for (int z = -4; z <= 3; ++z) {
        const bool corner = (x == -4 || x == 3) && (z == -4 || z == 3);
        if (corner) continue;
        if ((y == 0 || y == 12) && (x == -4 || x == 3 || z == -4 || z == 3)) continue;  // rounded ends
        m.set(x, y, z, y >= 5 && y <= 7 ? band : (x + z) % 3 == 0 ? tankDark : tank);
      }
  for (int y : {5, 6, 7}) m.setFace(-1, y, 3, PosZ, letter);  // an "O2" hint on the band
  m.setFace(1, 6, 3, PosZ, letter);
  m.fill(-1, 13, -1, 0, 14, 0, valve);
  m.fill(-2, 15, 0, 1, 15, 0, handle);
  return {{"oxygen", m.mesh()}};
}

// ---- textures ---------------------------------------------------------------

Image rockTexture() {
  constexpr int kSize = 128;
  Image img(kSize, kSize);
  const Rgba light = rgb(150, 132, 118), dark = rgb(88, 76, 70);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float n = tileFbm(float(x) / kSize, float(y) / kSize, 6, 4, 201u);
      img.at(x, y) = shade(mix(dark, light, n), 0.92f + 0.16f * hashUnit(x, y, 203u));
    }
  // Craters: a dark floor with a lit rim.
  const float craters[][3] = {{30, 40, 12}, {90, 30, 8}, {70, 95, 15}, {20, 100, 6}, {110, 80, 7}};
  for (const auto& c : craters) {
    fillDisc(img, c[0] + 1, c[1] + 1, c[2] + 2, rgb(182, 166, 150, 160), 2.f);
    fillDisc(img, c[0], c[1], c[2], rgb(72, 62, 58, 200), 2.f);
  }
  return img;
}

// Character k in column k % 16, row k / 16 from the top; white with a dark
// outline so it reads on any background.
Image fontAtlas() {
  constexpr int kCell = 32, kSize = 16 * kCell, kBaseline = 25;
  Image img(kSize, kSize, rgb(0, 0, 0, 0));
  constexpr float kStretch = 1.4f;  // monospace glyphs are narrow for a square cell
  const Font font(fontFile("orbitdash", "atlas"));
  TextStyle style;
  style.pixelSize = 27;
  style.outline = 2;
  style.outlineColour = rgb(10, 12, 30);
  for (int k = 33; k < 127; ++k) {
    const std::string s(1, char(k));
    const TextBox box = font.measure(s, style.pixelSize);
    Image glyph(kCell, kCell, rgb(0, 0, 0, 0));
    font.draw(glyph, s, (kCell - box.width) / 2, kBaseline - box.baseline, style);
    // Widen about the cell's centre, blending neighbouring source columns.
    for (int y = 0; y < kCell; ++y)
      for (int x = 0; x < kCell; ++x) {
        const float src = (float(x) + 0.5f - kCell / 2.f) / kStretch + kCell / 2.f - 0.5f;
        const int x0 = int(std::floor(src));
        const float t = src - float(x0);
        const Rgba a = glyph.contains(x0, y) ? glyph.at(x0, y) : rgb(0, 0, 0, 0);
        const Rgba b = glyph.contains(x0 + 1, y) ? glyph.at(x0 + 1, y) : rgb(0, 0, 0, 0);
        img.at((k % 16) * kCell + x, (k / 16) * kCell + y) = mix(a, b, t);
      }
  }
  return img;
}

void stars(Image& img, int count, std::uint32_t seed) {
  for (int i = 0; i < count; ++i) {
    const int x = int(hash2(i, 1, seed) % std::uint32_t(img.width()));
    const int y = int(hash2(i, 2, seed) % std::uint32_t(img.height()));
    const float b = hashUnit(i, 3, seed);
    const Rgba c = b > 0.9f ? rgb(255, 236, 200) : b > 0.8f ? rgb(190, 210, 255) : rgb(235, 235, 245);
    if (b > 0.93f) fillDisc(img, float(x) + 0.5f, float(y) + 0.5f, 1.6f, c, 1.2f);
    else img.blend(x, y, c, 0.35f + 0.65f * b);
  }
}

// Deep blue-black with a violet nebula and stars; wraps in both directions.
Image spaceTexture() {
  constexpr int kSize = 512;
  Image img(kSize, kSize);
  const Rgba deep = rgb(6, 8, 22), nebula = rgb(70, 36, 110), teal = rgb(20, 70, 100);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float u = float(x) / kSize, v = float(y) / kSize;
      const float n = tileFbm(u, v, 4, 5, 301u), m = tileFbm(u, v, 3, 4, 307u);
      Rgba c = mix(deep, nebula, std::fmax(0.f, n - 0.45f) * 1.6f);
      c = mix(c, teal, std::fmax(0.f, m - 0.55f) * 1.4f);
      img.at(x, y) = c;
    }
  stars(img, 900, 311u);
  return img;
}

// A pixel-art astronaut for the title, `s` pixels per voxel, feet at (x, y).
void titleHero(Image& img, int x, int y, int s) {
  const Rgba suit = rgb(246, 246, 242), grey = rgb(118, 122, 134), visor = rgb(250, 170, 36);
  const Rgba glint = rgb(255, 236, 160), pack = rgb(170, 176, 188), red = rgb(226, 52, 44), outline = rgb(10, 12, 30);
  auto box = [&](int x0, int y0, int w, int h, Rgba c) { fillRect(img, x + x0 * s, y - (y0 + h) * s, w * s, h * s, c); };
  // Outline first, one voxel wider all round.
  box(-6, -1, 13, 19, rgb(0, 0, 0, 0));
  for (auto [x0, y0, w, h] : {std::array<int, 4>{-4, -1, 9, 8}, {-6, 5, 13, 6}, {-5, 10, 11, 8}})
    box(x0, y0, w, h, outline);
  box(-3, 0, 3, 2, grey);  // boots and legs
  box(1, 0, 3, 2, grey);
  box(-3, 2, 3, 4, suit);
  box(1, 2, 3, 4, suit);
  box(-4, 6, 9, 5, suit);  // torso, arms, gloves
  box(-5, 6, 1, 4, suit);
  box(5, 6, 1, 4, suit);
  box(-5, 5, 1, 1, grey);
  box(5, 5, 1, 1, grey);
  box(-1, 8, 1, 1, red);
  box(1, 8, 1, 1, rgb(44, 110, 226));
  box(-4, 11, 9, 6, suit);  // helmet and visor
  box(-3, 12, 7, 3, visor);
  box(-2, 14, 2, 1, glint);
  box(4, 7, 1, 4, pack);
}

Image titlePicture() {
  constexpr int kW = 640, kH = 480;
  Image img(kW, kH);
  verticalGradient(img, rgb(8, 8, 30), rgb(40, 20, 70));
  stars(img, 500, 401u);
  // A ringed planet low on the left, asteroids drifting across.
  fillDisc(img, 110, 400, 120, rgb(220, 120, 60), 2.f);
  fillDisc(img, 80, 370, 90, rgb(240, 150, 80, 200), 3.f);
  strokeCircle(img, 110, 400, 165, 6, rgb(250, 210, 150, 170));
  for (auto [cx, cy, r] : {std::array<float, 3>{470, 300, 26}, {560, 250, 16}, {400, 390, 20}, {600, 420, 30}}) {
    fillDisc(img, cx, cy, r, rgb(120, 104, 96), 1.5f);
    fillDisc(img, cx - r * 0.3f, cy - r * 0.3f, r * 0.35f, rgb(90, 78, 72), 1.5f);
  }
  // The floating floor the hero stands on.
  fillRect(img, 250, 420, 200, 18, rgb(150, 158, 172));
  fillRect(img, 250, 420, 200, 4, rgb(90, 230, 250));
  fillRect(img, 250, 438, 200, 8, rgb(70, 74, 88));
  titleHero(img, 350, 420, 12);
  // The name, big, with an outline and a drop shadow; the game writes
  // "Press R to start" 150 pixels below the top.
  const Font font(fontFile("orbitdash", "title"));
  TextStyle style;
  style.pixelSize = 92;
  style.colour = rgb(255, 214, 60);
  style.outline = 5;
  style.outlineColour = rgb(90, 30, 10);
  style.shadowX = 6;
  style.shadowY = 6;
  font.drawCentred(img, "ORBIT DASH", kW / 2, 72, style);
  return img;
}

Image bannerTexture() {
  constexpr int kW = 128, kH = 64, kSquare = 8;
  Image img(kW, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      img.at(x, y) = ((x / kSquare + y / kSquare) % 2) ? rgb(20, 20, 24) : rgb(246, 246, 240);
  fillRect(img, 20, 16, 88, 32, rgb(230, 40, 40));
  const Font font(fontFile("orbitdash", "title"));
  TextStyle style;
  style.pixelSize = 26;
  style.outline = 2;
  font.drawCentred(img, "META", kW / 2, kH / 2, style);
  return img;
}

Image padTexture() {
  constexpr int kSize = 128;
  Image img(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x)
      img.at(x, y) = shade(rgb(84, 90, 104), 0.9f + 0.15f * hashUnit(x / 2, y / 2, 501u));
  strokeCircle(img, 64, 64, 42, 8, rgb(250, 200, 40));
  fillRect(img, 44, 40, 10, 48, rgb(240, 240, 236));  // an "H" for the landing pad
  fillRect(img, 74, 40, 10, 48, rgb(240, 240, 236));
  fillRect(img, 44, 59, 40, 10, rgb(240, 240, 236));
  strokeRect(img, 0, 0, kSize, kSize, 5, rgb(90, 230, 250));
  return img;
}

// Brushed steel with rivets; yellow and black hazard stripes along the top
// and bottom edges (the lane borders on the ships' deck).
Image metalTexture() {
  constexpr int kSize = 128;
  Image img(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x)
      img.at(x, y) = shade(rgb(150, 156, 168), 0.88f + 0.18f * tileNoise(float(x) / kSize, float(y) / 8, 8, 601u));
  for (int y : {0, kSize - 14})
    for (int yy = y; yy < y + 14; ++yy)
      for (int x = 0; x < kSize; ++x) img.at(x, yy) = ((x + yy) / 10) % 2 ? rgb(24, 24, 28) : rgb(250, 200, 30);
  for (int x = 12; x < kSize; x += 32)
    for (int y : {24, 64, 104}) fillDisc(img, float(x), float(y), 3.f, rgb(96, 100, 112), 1.5f);
  return img;
}

Image crateTexture() {
  constexpr int kSize = 64;
  Image img(kSize, kSize, rgb(236, 130, 40));
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) img.at(x, y) = shade(img.at(x, y), 0.9f + 0.15f * hashUnit(x, y, 701u));
  strokeRect(img, 0, 0, kSize, kSize, 7, rgb(60, 64, 80));
  drawLine(img, 8, 8, 56, 56, 5, rgb(60, 64, 80));
  fillDisc(img, 32, 32, 8, rgb(90, 230, 250), 1.5f);
  return img;
}

Image sunTexture() {
  constexpr int kSize = 128;
  Image img(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float n = tileFbm(float(x) / kSize, float(y) / kSize, 8, 4, 801u);
      img.at(x, y) = mix(rgb(255, 150, 30), rgb(255, 240, 140), n);
    }
  return img;
}

}  // namespace

void generateOrbitdash(const fs::path& out) {
  const fs::path assets = out / "assets", obj = out / "Obj";
  saveJpg(rockTexture(), assets / "aste2.jpg");
  savePng(fontAtlas(), assets / "miarf.png", PixelFormat::Rgba32);
  saveJpg(spaceTexture(), assets / "space3b.jpg");
  savePng(titlePicture(), assets / "title.png", PixelFormat::Rgb24);
  savePng(bannerTexture(), assets / "flying.png", PixelFormat::Rgb24);
  savePng(padTexture(), assets / "platform2.png", PixelFormat::Rgb24);
  savePng(metalTexture(), assets / "metal.png", PixelFormat::Rgb24);
  saveJpg(crateTexture(), assets / "cubeTex.jpg");
  saveJpg(sunTexture(), assets / "sol3.jpg");

  writeModel(astronaut(), obj / "Astronaut.obj", obj / "Astronaut_BaseColor.png",
             modelOptions("orbitdash astronaut, y up, facing +z, feet at 0", 0.5f));
  writeModel(ship(), obj / "nave.obj", obj / "space_ship_test_color.png",
             modelOptions("orbitdash ship, nose +x, drawn at half scale", 0.4f));
  writeModel(panel(), obj / "uploads_files_959467_Sci-fi_panel.obj", obj / "panel" / "platform.png",
             modelOptions("orbitdash floor panel, drawn turned 90 degrees about y, scaled 0.15, lowered 0.43", 0.2f,
                          Transform().rotate(1, -1).scale(1.f / 0.15f)));
  // The bottle's palette is a JPEG: wide swatches keep its colours clean.
  Palette palette(128, 16);
  const ObjOptions bottle = modelOptions("orbitdash oxygen bottle, centred, drawn scaled 0.15", 0.4f);
  writeFile(obj / "oxigeno2.obj", objText(oxygen(), palette, bottle));
  saveJpg(palette.image(), obj / "oxigeno3.jpg", 95);
}

static const GameRegistration registration{"orbitdash", generateOrbitdash};

}  // namespace assetgen
