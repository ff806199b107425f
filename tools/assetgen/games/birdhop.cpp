// birdhop: a bird hopping over endless rows of grass and road.
//
// Frames the game draws in (it reads everything from resources/):
// - the bird and the slot car are written z up; the game turns them y up
//   ((x, y, z) becomes (x, z, -y)), centres them in x and z, stands them on
//   y = 0 and scales their largest extent to 1. The bird looks along +z once
//   turned; the car is drawn four times larger and turned 90 degrees to
//   drive along x, so its nose is at -z once turned.
// - the tree stays in its own units, y up: about 2 units across (a row is 2
//   deep), 4 tall. The game ignores its texture coordinates: corner k of a
//   face samples (k/10, 0.1 + k/100), or (k/10, 0.9 - k/100) for the last 20
//   faces of the file, which are the trunk's.
// - the road: s runs across the row, t along it (eleven repeats over the 42
//   units), ten images 512 .. 1 pixels of the same picture.
// - the skybox: a 4 x 3 cross (+x, +z, -x, -z across the middle, the top
//   above +z, the bottom below it), coloured by direction so faces meet.
// - the GUI strip and the font: see guiStrip() and fontImage().
#include <algorithm>
#include <cmath>
#include <sstream>
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

namespace {

namespace fs = std::filesystem;
constexpr float kPi = 3.14159265f;

// ---- pictures --------------------------------------------------------------

// Area-averaged resampling of `src` into the rectangle (x, y, w, h) of `dst`,
// with premultiplied alpha so transparent pixels do not darken the edges.
void resampleInto(const Image& src, Image& dst, int x, int y, int w, int h) {
  const float sx = float(src.width()) / float(w), sy = float(src.height()) / float(h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const int x0 = int(float(i) * sx), x1 = std::max(x0 + 1, int(float(i + 1) * sx));
      const int y0 = int(float(j) * sy), y1 = std::max(y0 + 1, int(float(j + 1) * sy));
      float r = 0, g = 0, b = 0, a = 0, n = 0;
      for (int v = y0; v < y1 && v < src.height(); ++v)
        for (int u = x0; u < x1 && u < src.width(); ++u) {
          const Rgba c = src.at(u, v);
          const float al = c.a / 255.f;
          r += c.r * al, g += c.g * al, b += c.b * al, a += al, n += 1;
        }
      if (!dst.contains(x + i, y + j) || n == 0) continue;
      const Rgba out = a > 0 ? rgb(int(r / a + 0.5f), int(g / a + 0.5f), int(b / a + 0.5f), int(a / n * 255 + 0.5f))
                             : rgb(0, 0, 0, 0);
      dst.at(x + i, y + j) = out;
    }
}

Image downscale(const Image& src, int size) {
  Image out(size, size);
  resampleInto(src, out, 0, 0, size, size);
  return out;
}

// Asphalt with a solid white line near each edge (s) and white dashes down
// the middle, repeating along t (the picture's height).
Image roadPicture() {
  constexpr int n = 512;
  Image img(n, n, rgb(70, 72, 78));
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const float f = 0.88f + 0.18f * tileFbm(float(x) / n, float(y) / n, 16, 3, 401u) +
                      0.08f * (hashUnit(x, y, 409u) - 0.5f);
      img.at(x, y) = shade(img.at(x, y), f);
    }
  const Rgba line = rgb(236, 236, 226), kerb = rgb(150, 150, 146);
  fillRect(img, 0, 0, 14, n, kerb);
  fillRect(img, n - 14, 0, 14, n, kerb);
  fillRect(img, 26, 0, 16, n, line);
  fillRect(img, n - 42, 0, 16, n, line);
  fillRect(img, n / 2 - 8, 64, 16, 192, rgb(244, 206, 60));
  fillRect(img, n / 2 - 8, 320, 16, 128, rgb(244, 206, 60));
  return img;
}

Rgba skyColour(float x, float y, float z) {
  const float len = std::sqrt(x * x + y * y + z * z);
  x /= len, y /= len, z /= len;
  const float elevation = std::asin(std::clamp(y, -1.f, 1.f));
  if (y < 0) {  // below the horizon: a hazy green-grey far ground
    return mix(rgb(196, 220, 236), rgb(96, 128, 88), std::min(1.f, -y * 6));
  }
  const Rgba horizon = rgb(206, 230, 246), zenith = rgb(56, 124, 214);
  Rgba c = mix(horizon, zenith, std::pow(y, 0.6f));
  // Soft clouds low in the sky, none overhead (the azimuth pinches there).
  const float u = std::atan2(x, z) / (2 * kPi) + 0.5f;
  const float v = elevation / (kPi / 2);
  const float density = tileFbm(u * 1.f, v * 0.5f, 12, 4, 503u);
  const float fade = std::clamp((0.7f - v) / 0.5f, 0.f, 1.f) * std::clamp(v / 0.05f, 0.f, 1.f);
  const float cover = std::clamp((density - 0.5f) * 4.f, 0.f, 1.f) * fade;
  return mix(c, rgb(250, 250, 252), cover * 0.85f);
}

// The cross: for each pixel its face and place on the face, as the game's
// skyDirection() lays them out; the unused cells repeat the nearest face.
Image skyboxPicture() {
  constexpr int w = 1024, h = 768;
  Image img(w, h);
  for (int py = 0; py < h; ++py)
    for (int px = 0; px < w; ++px) {
      float s = (float(px) + 0.5f) / w;
      const float t = 1 - (float(py) + 0.5f) / h;  // t = 0 at the picture's bottom
      const int row = std::min(2, int(t * 3));
      if (row != 1) s = std::clamp(s, 0.25f + 0.5f / w, 0.5f - 0.5f / w);
      const int col = std::min(3, int(s * 4));
      const float a = (s * 4 - float(col)) * 2 - 1, b = (t * 3 - float(row)) * 2 - 1;
      float x, y, z;
      if (row == 2) x = -a, y = 1, z = -b;        // top
      else if (row == 0) x = -a, y = -1, z = b;   // bottom
      else if (col == 0) x = 1, y = b, z = a;     // +x
      else if (col == 1) x = -a, y = b, z = 1;    // +z
      else if (col == 2) x = -1, y = b, z = -a;   // -x
      else x = a, y = b, z = -1;                  // -z
      img.at(px, py) = skyColour(x, y, z);
    }
  return img;
}

// The palm texture the tree samples at s 0 .. 0.3: leaves in the lower half
// (t 0.1 .. 0.13), bark in the upper half (t 0.87 .. 0.9).
Image palmPicture() {
  constexpr int n = 256;
  Image img(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const bool bark = y < n / 2;  // the top rows are t near 1
      const float f = 0.92f + 0.16f * hashUnit(x / 4, y / 4, bark ? 601u : 607u);
      const Rgba base = bark ? ((y / 10) % 2 ? rgb(122, 80, 46) : rgb(104, 66, 38))
                             : mix(rgb(58, 158, 60), rgb(92, 188, 70), float(x) / n);
      img.at(x, y) = shade(base, f);
    }
  return img;
}

// ---- models ----------------------------------------------------------------

ObjOptions zUp(const char* comment, Transform t) {
  ObjOptions o;
  o.comment = comment;
  o.objectPerPart = true;
  o.sideNormalLift = 0.4f;
  o.shade = {0.9f, 0.86f, 1.f, 0.6f, 0.95f, 0.82f};
  o.transform = t.rotate(0, 1);  // y up becomes z up; the game turns it back
  return o;
}

// Built y up with the beak toward +z: blue with a lighter belly, orange beak
// and legs, black eyes, darker wings and tail, a little crest.
Mesh bird() {
  const Rgba blue = rgb(48, 120, 222), light = rgb(170, 206, 246), dark = rgb(30, 76, 160);
  const Rgba orange = rgb(250, 150, 30), black = rgb(16, 16, 20), white = rgb(248, 248, 248);
  VoxelModel m(0.1f);
  for (int x : {3, 6}) {
    m.fill(x, 0, 4, x, 1, 4, orange);
    m.fill(x, 0, 5, x, 0, 6, orange);
  }
  for (int y = 2; y <= 6; ++y)
    for (int x = 1; x <= 8; ++x)
      for (int z = 1; z <= 8; ++z) {
        const bool corner = (x == 1 || x == 8) && (z == 1 || z == 8) && (y == 2 || y == 6);
        if (corner) continue;
        m.set(x, y, z, (z >= 6 && y <= 5) || y == 2 ? light : blue);
      }
  m.fill(2, 7, 5, 7, 10, 9, blue);   // head
  m.fill(3, 7, 9, 6, 8, 9, light);   // cheeks and throat
  m.fill(4, 8, 10, 5, 9, 11, orange);  // beak
  m.fill(4, 8, 12, 5, 8, 12, orange);
  for (int x : {2, 7}) {
    m.set(x, 9, 8, black);
    m.set(x, 10, 8, white);
  }
  m.fill(4, 11, 6, 5, 11, 8, dark);  // crest
  m.fill(4, 12, 6, 5, 12, 6, dark);
  m.fill(0, 3, 2, 0, 6, 7, dark);    // wings
  m.fill(9, 3, 2, 9, 6, 7, dark);
  m.fill(3, 5, 0, 6, 7, 0, dark);    // tail, rising behind
  m.fill(3, 7, -1, 6, 8, -1, dark);
  return {{"bird", m.mesh()}};
}

// A slot racing car built nose +z: a long low blue body, white racing
// stripe, dark cockpit, big black wheels, the guide blade under the nose.
Mesh slotCar() {
  const Rgba blue = rgb(30, 90, 220), blueDark = rgb(20, 60, 160), stripe = rgb(246, 246, 246);
  const Rgba glass = rgb(34, 44, 60), tyre = rgb(22, 22, 24), hub = rgb(180, 180, 186), lamp = rgb(255, 236, 150);
  const Rgba tail = rgb(220, 30, 30);
  VoxelModel m(0.1f, Vec3{-0.4f, 0, -1.f});
  m.fill(0, 1, 1, 7, 2, 19, blueDark);   // floor pan
  m.fill(0, 3, 1, 7, 3, 18, blue);       // body
  m.fill(1, 3, 19, 6, 3, 19, blue);      // rounded nose
  m.fill(1, 4, 5, 6, 4, 14, blue);       // shoulders
  m.fill(2, 5, 6, 5, 6, 11, glass);      // cockpit
  m.fill(2, 5, 5, 5, 5, 5, blue);
  m.fill(0, 4, 1, 7, 5, 2, blueDark);    // rear wing posts and wing
  m.fill(0, 6, 0, 7, 6, 2, blue);
  for (int z = 1; z <= 19; ++z)  // racing stripe over the top
    for (int x = 3; x <= 4; ++x)
      for (int y = 6; y >= 3; --y)
        if (m.has(x, y, z)) {
          m.setFace(x, y, z, PosY, stripe);
          break;
        }
  for (int x = 3; x <= 4; ++x) m.setFace(x, 6, 0, PosY, stripe);
  m.setFace(1, 3, 19, PosZ, lamp);
  m.setFace(6, 3, 19, PosZ, lamp);
  m.setFace(0, 3, 1, NegZ, tail);
  m.setFace(7, 3, 1, NegZ, tail);
  for (float z0 : {0.2f, 1.4f})
    for (float side : {-1.f, 1.f}) {
      const float x0 = side < 0 ? -0.48f : 0.35f, x1 = x0 + 0.13f;
      m.addBox({x0, 0.f, z0 - 1.f}, {x1, 0.36f, z0 - 1.f + 0.36f}, tyre);
      const float h0 = side < 0 ? -0.49f : 0.48f;
      m.addBox({h0, 0.1f, z0 - 1.f + 0.1f}, {h0 + 0.01f, 0.26f, z0 - 1.f + 0.26f}, hub);
    }
  m.addBox({-0.03f, 0.f, 0.7f}, {0.03f, 0.1f, 0.95f}, rgb(200, 200, 40));  // guide blade
  return {{"slot_car", m.mesh()}};
}

// The tree as OBJ text: three stacked canopy blocks, then a trunk of five
// segments whose 20 side faces come last. Quads, corners counter-clockwise
// seen from outside.
std::string treeObj() {
  std::ostringstream out;
  out << "# birdhop low-poly tree, y up, own units; its last 20 faces are the trunk\n";
  int vertices = 0, normals = 0;
  std::string faces;
  const auto box = [&](float x0, float y0, float z0, float x1, float y1, float z1, bool caps) {
    const float c[8][3] = {{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0},
                           {x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}};
    for (const auto& p : c)
      out << "v " << formatNumber(p[0]) << ' ' << formatNumber(p[1]) << ' ' << formatNumber(p[2]) << '\n';
    struct F {
      int a, b, c, d;
      float nx, ny, nz;
      bool cap;
    };
    const F fs[6] = {{4, 5, 6, 7, 0, 0, 1, false},  {1, 0, 3, 2, 0, 0, -1, false}, {5, 1, 2, 6, 1, 0, 0, false},
                     {0, 4, 7, 3, -1, 0, 0, false}, {7, 6, 2, 3, 0, 1, 0, true},   {0, 1, 5, 4, 0, -1, 0, true}};
    for (const F& f : fs) {
      if (f.cap && !caps) continue;
      out << "vn " << formatNumber(f.nx) << ' ' << formatNumber(f.ny) << ' ' << formatNumber(f.nz) << '\n';
      ++normals;
      std::string line = "f";
      for (int k : {f.a, f.b, f.c, f.d})
        line += ' ' + std::to_string(vertices + k + 1) + "/1/" + std::to_string(normals);
      faces += line + '\n';
    }
    vertices += 8;
  };
  out << "vt 0 0\n";
  box(-1.0f, 1.5f, -0.95f, 1.0f, 2.5f, 0.95f, true);
  box(-0.75f, 2.5f, -0.7f, 0.65f, 3.3f, 0.7f, true);
  box(-0.45f, 3.3f, -0.4f, 0.35f, 3.9f, 0.4f, true);
  box(-0.1f, 3.9f, -0.1f, 0.1f, 4.1f, 0.1f, true);
  for (int i = 0; i < 5; ++i) {  // the trunk, 4 sides per segment
    const float w = i % 2 ? 0.2f : 0.23f;
    box(-w, float(i) * 0.32f, -w, w, float(i + 1) * 0.32f, w, false);
  }
  out << faces;
  return out.str();
}

void writeZUpModel(const Mesh& mesh, const fs::path& obj, const fs::path& jpg, const ObjOptions& options) {
  // Swatches of 16 pixels: JPEG's 8 x 8 blocks and halved colour planes
  // never mix two colours at a swatch's centre.
  Palette palette(128, 16);
  writeFile(obj, objText(mesh, palette, options));
  saveJpg(palette.image(), jpg, 95);
}

// ---- text pictures -----------------------------------------------------------

// A picture `w` x `h` (the size it is shown at, times four) with a dark
// rounded backing and the text centred, white with a black outline.
Image cellPicture(const Font& font, const std::string& text, int w, int h, Rgba backing, Rgba ink) {
  Image img(w, h, rgb(0, 0, 0, 0));
  fillRoundedRect(img, 3, 3, float(w - 6), float(h - 6), 14, backing);
  strokeRect(img, 3, 3, w - 6, h - 6, 3, rgb(255, 255, 255, 160));
  int px = int(h * 0.55f);
  while (px > 8 && font.measure(text, px).width > w - 36) --px;
  TextStyle style;
  style.pixelSize = px;
  style.colour = ink;
  style.outline = 4;
  font.drawCentred(img, text, w / 2, h / 2, style);
  return img;
}

// Places a picture in the texture rectangle s0..s1, t0..t1 (t up) of `strip`,
// a pixel inside its edges so nearest sampling never reaches a neighbour.
void placeCell(Image& strip, const Image& cell, double s0, double s1, double t0, double t1) {
  const int W = strip.width(), H = strip.height();
  const int x0 = int(std::ceil(s0 * W)) + 1, x1 = int(std::floor(s1 * W)) - 1;
  const int y0 = int(std::ceil((1 - t1) * H)) + 1, y1 = int(std::floor((1 - t0) * H)) - 1;
  resampleInto(cell, strip, x0, y0, x1 - x0, y1 - y0);
}

// The options panel's cells. Toggles are shown 64 x 48 pixels, labels
// 128 x 48, so each is drawn at that shape (times four) and squeezed into its
// rectangle; the panel's quads stretch it back.
Image guiStrip() {
  const Font font(fontFile("birdhop", "labels"));
  Image strip(512, 512, rgb(0, 0, 0, 0));
  const Rgba back = rgb(20, 30, 50, 215), white = rgb(255, 255, 255);
  const auto toggle = [&](const char* text, Rgba bg, double s0, double s1, double t0, double t1) {
    placeCell(strip, cellPicture(font, text, 256, 192, bg, white), s0, s1, t0, t1);
  };
  const auto label = [&](const char* text, double t0, double t1) {
    placeCell(strip, cellPicture(font, text, 512, 192, back, rgb(255, 244, 200)), 0.5, 0.85, t0, t1);
  };
  toggle("x0.5", rgb(40, 90, 60, 230), 0.0, 0.1, 0.9, 1.0);
  toggle("x1", rgb(40, 90, 60, 230), 0.1, 0.2, 0.9, 1.0);
  toggle("x2", rgb(40, 90, 60, 230), 0.2, 0.3, 0.9, 1.0);
  toggle("SI", rgb(30, 120, 60, 230), 0.0, 0.1, 0.8, 0.9);
  toggle("NO", rgb(140, 40, 40, 230), 0.1, 0.2, 0.8, 0.9);
  toggle("R", rgb(200, 30, 30, 240), 0.2, 0.3, 0.8, 0.9);
  toggle("G", rgb(30, 160, 40, 240), 0.3, 0.4, 0.8, 0.9);
  toggle("B", rgb(40, 70, 220, 240), 0.4, 0.5, 0.8, 0.9);
  label("VELOCIDAD", 0.825, 0.875);
  label("COLOR LUZ", 0.725, 0.775);
  label("INTERPOLADO", 0.625, 0.675);
  label("TEXTURAS", 0.525, 0.575);
  label("ALAMBRE", 0.425, 0.475);
  label("P: SEGUIR", 0.325, 0.375);
  // The seventh label lies over the second on the panel: the same words.
  label("COLOR LUZ", 0.225, 0.275);
  return strip;
}

// 16 x 16 cells of 64 pixels, character c at column c % 16, row c / 16 from
// the top. A glyph is shown size x size in the HUD's units (4:3 in pixels)
// while the pen moves 0.4 x size, so its ink is centred at 0.3 of the cell's
// width and kept within 0.4 of it; white with a black outline, which the
// game tints.
Image fontImage() {
  const Font font(fontFile("birdhop", "glyphs"));
  constexpr int cell = 64, cw = 256, ch = 192;
  Image atlas(cell * 16, cell * 16, rgb(255, 255, 255, 0));
  TextStyle style;
  style.pixelSize = 150;
  style.outline = 12;
  style.colour = rgb(255, 255, 255);
  style.outlineColour = rgb(0, 0, 0);
  const int baseline = int(ch * 0.78f);
  for (int c = 33; c < 127; ++c) {
    const std::string s(1, char(c));
    const TextBox box = font.measure(s, style.pixelSize);
    Image glyph(cw, ch, rgb(255, 255, 255, 0));
    font.draw(glyph, s, int(cw * 0.3f) - box.width / 2, baseline - box.baseline, style);
    resampleInto(glyph, atlas, (c % 16) * cell, (c / 16) * cell, cell, cell);
  }
  return atlas;
}

}  // namespace

void generateBirdhop(const fs::path& out) {
  const fs::path res = out / "resources";
  saveJpg(grassTexture(256, rgb(98, 176, 66), rgb(74, 148, 50), 311u), res / "textura_pasto.jpg", 92);
  const Image road = roadPicture();
  for (int size = 512; size >= 1; size /= 2)
    saveJpg(size == 512 ? road : downscale(road, size), res / (std::to_string(size) + ".jpg"), 92);

  writeZUpModel(bird(), res / "12248_Bird_v1_L2.obj", res / "12248_Bird_v1_diff.jpg",
                zUp("birdhop bird, z up, beak toward -y (+z once turned y up)", Transform()));
  writeZUpModel(slotCar(), res / "10603_slot_car_blue_SG_v1_iterations-2.obj",
                res / "10603_slot_car_blue_SG_v1_diffuse.jpg",
                zUp("birdhop slot car, z up, nose toward +y (-z once turned y up)", Transform().rotate(1, 2)));
  writeFile(res / "lowpolytree.obj", treeObj());
  saveJpg(palmPicture(), res / "10446_Palm_Tree_v1_Diffuse.jpg", 92);

  saveJpg(skyboxPicture(), res / "skybox_texture.jpg", 92);
  savePng(guiStrip(), res / "GUI_texture.png", PixelFormat::Rgba32);
  savePng(fontImage(), res / "fuente_high.png", PixelFormat::Rgba32);
}

static const GameRegistration registration{"birdhop", generateBirdhop};

}  // namespace assetgen
