// pigeonrun: a pigeon hopping over grass and roads. The game runs from a
// folder beside Objetos/ and reads everything from there.
//
// Frames the game draws in (all y up):
// - the pigeon is drawn at the origin scaled 0.4, looking along +z (its
//   forward), feet at y 0; colours come from its material groups
//   grey_dark, grey, grey_light, orange, white and black;
// - the car is drawn unscaled in a frame turned +-90 degrees about y and
//   drives along its +z: nose at +z, centred on the origin (the game's hit
//   box is 5 across and 15 along), wheels on y 0; its groups are
//   phong1SG.003 ... phong8SG.003 (phong7 keeps the colour before it);
// - the coin is drawn yellow, scaled 0.05: about 30 units across (1.5 in
//   the world), standing on y 0;
// - the overlay images are drawn at their own pixel size with the blend
//   function ONE, ONE_MINUS_SRC_ALPHA, so they hold premultiplied colour.
#include <cmath>
#include <map>
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

void generatePigeonrun(const std::filesystem::path& outdir);

namespace {

namespace fs = std::filesystem;

// Material name by colour: each colour of a model is one material group.
using Materials = std::map<Rgba, std::string>;

Mesh byMaterial(const std::vector<Quad>& quads, const Materials& names, const std::vector<std::string>& order) {
  Mesh mesh;
  for (const std::string& name : order) {
    MeshPart part{name, {}};
    for (const Quad& q : quads) {
      const auto it = names.find(q.colour);
      if (it == names.end()) throw std::runtime_error("pigeonrun: a colour without a material");
      if (it->second == name) part.quads.push_back(q);
    }
    if (!part.quads.empty()) mesh.push_back(std::move(part));
  }
  return mesh;
}

// Triangles of p/t/n corners, one "usemtl" per part, no MTL file: the game
// colours each group by name. The palette texture is not read by the game.
void writeGrouped(const Mesh& mesh, const fs::path& file, const char* comment) {
  ObjOptions o;
  o.comment = comment;
  o.usemtlPerPart = !mesh.empty() && !mesh.front().name.empty();
  o.sideNormalLift = 0.35f;
  Palette palette(64, 8);
  writeFile(file, objText(mesh, palette, o));
}

// ---- pigeon ----------------------------------------------------------------

const Rgba kGreyDark = rgb(51, 51, 51), kGrey = rgb(128, 128, 128), kGreyLight = rgb(204, 204, 204);
const Rgba kOrange = rgb(255, 128, 0), kWhite = rgb(255, 255, 255), kBlack = rgb(0, 0, 0);

// 6 cells wide, 15 long, 11 tall at 0.55: 1.3 x 3.3 x 2.4 world units once
// drawn at 0.4. A grey body under light grey wings with two black bars, a
// dark head and neck, white cere and dark beak, orange eyes and feet; the
// tail fans out behind with a black band.
Mesh pigeon() {
  VoxelModel m(0.55f, Vec3{-1.65f, 0.f, -1.925f});  // cells z -4..10 centred
  // Feet and legs (x 1 and 4), toes forward.
  for (int x : {1, 4}) {
    m.fill(x, 0, 4, x, 1, 4, kOrange);
    m.set(x, 0, 5, kOrange);
  }
  // Body: rounded, the breast (front) fuller.
  m.fill(0, 2, 1, 5, 5, 6, kGrey);
  m.fill(1, 2, 7, 4, 5, 7, kGrey);
  m.fill(1, 2, 0, 4, 5, 0, kGrey);
  for (int x : {0, 5}) {  // round the lower corners
    m.erase(x, 2, 1);
    m.erase(x, 2, 6);
  }
  // Back and folded wings, light, with two black bars; the dark wing tips
  // cross over the tail.
  m.fill(1, 6, 0, 4, 6, 4, kGreyLight);
  for (int x : {0, 5}) {
    m.fill(x, 3, 0, x, 5, 5, kGreyLight);
    for (int z : {1, 3}) m.fill(x, 4, z, x, 5, z, kBlack);
  }
  for (int z : {1, 3}) m.fill(1, 6, z, 4, 6, z, kBlack);
  // Tail: narrow at the body, fanned at its end, with a black band.
  m.fill(2, 4, -1, 3, 4, -2, kGreyLight);
  m.fill(1, 5, -1, 1, 5, -2, kGreyDark);
  m.fill(4, 5, -1, 4, 5, -2, kGreyDark);
  m.fill(1, 4, -3, 4, 4, -3, kGreyLight);
  m.fill(0, 4, -4, 5, 4, -4, kBlack);
  // Neck and head, darker, over the breast.
  m.fill(1, 6, 5, 4, 7, 8, kGreyDark);
  m.fill(1, 8, 5, 4, 9, 8, kGreyDark);
  m.fill(2, 10, 6, 3, 10, 7, kGreyDark);
  // Eyes: orange with a black pupil, one each side.
  for (int x : {1, 4}) {
    m.setFace(x, 9, 7, x == 1 ? NegX : PosX, kOrange);
    m.setFace(x, 9, 8, x == 1 ? NegX : PosX, kBlack);
  }
  // Beak: white cere, dark tip.
  m.fill(2, 8, 9, 3, 9, 9, kWhite);
  m.fill(2, 8, 10, 3, 8, 10, kBlack);
  const Materials names{{kGreyDark, "grey_dark"}, {kGrey, "grey"},   {kGreyLight, "grey_light"},
                        {kOrange, "orange"},      {kWhite, "white"}, {kBlack, "black"}};
  return byMaterial(m.mesh(), names, {"grey_dark", "grey", "grey_light", "orange", "white", "black"});
}

// ---- car -------------------------------------------------------------------

// 8 cells wide, 24 long, 6 tall at 0.55: 4.4 x 13.2 x 3.3, nose at +z. The
// colours are those the game gives each material.
Mesh car() {
  const Rgba body = rgb(255, 128, 0), cabin = rgb(254, 254, 254), dark = rgb(52, 52, 52);
  const Rgba bumper = rgb(128, 128, 128), hub = rgb(204, 204, 204), lamp = rgb(255, 255, 250);
  const Rgba mirror = rgb(255, 129, 0), plate = rgb(250, 250, 250);
  VoxelModel m(0.55f, Vec3{-2.2f, 0.f, -6.6f});
  m.fill(0, 1, 0, 7, 2, 23, body);
  m.fill(1, 3, 6, 6, 4, 17, cabin);
  m.fill(1, 5, 7, 6, 5, 16, cabin);
  // Windows on every side of the cabin.
  for (int z = 8; z <= 15; ++z) {
    if (z == 12) continue;  // the pillar between the doors
    m.setFace(1, 4, z, NegX, dark);
    m.setFace(6, 4, z, PosX, dark);
  }
  for (int x = 2; x <= 5; ++x) {
    m.setFace(x, 4, 17, PosZ, dark);
    m.setFace(x, 4, 6, NegZ, dark);
  }
  // Wheels with light hubcaps.
  for (int x : {0, 7})
    for (int z0 : {3, 18}) {
      m.fill(x, 0, z0, x, 1, z0 + 2, dark);
      m.setFace(x, 1, z0 + 1, x == 0 ? NegX : PosX, hub);
      m.setFace(x, 0, z0 + 1, x == 0 ? NegX : PosX, hub);
    }
  // Bumpers, lamps, mirrors and the plate.
  m.fill(0, 1, 23, 7, 1, 23, bumper);
  m.fill(0, 1, 0, 7, 1, 0, bumper);
  for (int x : {1, 6}) {
    m.setFace(x, 2, 23, PosZ, lamp);
    m.setFace(x, 2, 0, NegZ, lamp);
  }
  m.set(0, 3, 16, mirror);
  m.set(7, 3, 16, mirror);
  m.setFace(3, 1, 0, NegZ, plate);
  m.setFace(4, 1, 0, NegZ, plate);
  const Materials names{{cabin, "phong1SG.003"},  {body, "phong2SG.003"},   {mirror, "phong3SG.003"},
                        {dark, "phong4SG.003"},   {lamp, "phong5SG.003"},   {bumper, "phong6SG.003"},
                        {plate, "phong7SG.003"},  {hub, "phong8SG.003"}};
  // phong7 has no colour of its own: it follows phong5 and stays white.
  return byMaterial(m.mesh(), names,
                    {"phong1SG.003", "phong2SG.003", "phong3SG.003", "phong4SG.003", "phong6SG.003",
                     "phong8SG.003", "phong5SG.003", "phong7SG.003"});
}

// ---- coin ------------------------------------------------------------------

// An upright disc facing +-z, 12 cells across at 2.5 (30 units), with a rim
// and a raised square in the middle; it floats a cell above the ground.
Mesh coin() {
  const Rgba gold = rgb(255, 220, 0);
  VoxelModel m(2.5f, Vec3{-15.f, 2.5f, -2.5f});
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const float dx = float(x) - 5.5f, dy = float(y) - 5.5f;
      const float r = std::sqrt(dx * dx + dy * dy);
      if (r > 6.1f) continue;
      m.set(x, y, 0, gold);
      m.set(x, y, 1, gold);
      const bool rim = r > 4.6f, mark = std::fabs(dx) < 1.6f && std::fabs(dy) < 2.6f;
      if (rim || mark) {
        m.set(x, y, -1, gold);
        m.set(x, y, 2, gold);
      }
    }
  return {{"", m.mesh()}};
}

// ---- images ----------------------------------------------------------------

// The game blends with ONE, ONE_MINUS_SRC_ALPHA: colour times alpha.
Image premultiplied(Image img) {
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      Rgba& p = img.at(x, y);
      p.r = std::uint8_t(p.r * p.a / 255);
      p.g = std::uint8_t(p.g * p.a / 255);
      p.b = std::uint8_t(p.b * p.a / 255);
    }
  return img;
}

void saveOverlay(const Image& img, const fs::path& file) { savePng(premultiplied(img), file, PixelFormat::Rgba32); }

// Outlined text centred in a transparent image of the size it is drawn at,
// at the largest size (up to `maxPx`) that fits.
Image banner(const Font& font, const std::string& text, int w, int h, int maxPx, Rgba fill, int outline) {
  Image img(w, h, rgb(0, 0, 0, 0));
  int px = maxPx;
  while (px > 6) {
    const TextBox box = font.measure(text, px);
    if (box.width + 2 * outline + 4 <= w && box.height + 2 * outline + 2 <= h) break;
    --px;
  }
  TextStyle style;
  style.pixelSize = px;
  style.colour = fill;
  style.outline = outline;
  style.outlineColour = rgb(30, 26, 40);
  font.drawCentred(img, text, w / 2, h / 2, style);
  return img;
}

Image logo(const Font& font) {
  constexpr int kW = 500, kH = 57;
  Image img(kW, kH, rgb(0, 0, 0, 0));
  fillRoundedRect(img, 2, 2, kW - 4, kH - 4, 14, rgb(24, 40, 90, 170));
  TextStyle style;
  style.pixelSize = 44;
  style.colour = rgb(255, 214, 64);
  style.outline = 3;
  style.outlineColour = rgb(40, 30, 60);
  style.shadowX = 2;
  style.shadowY = 2;
  font.drawCentred(img, "PLONKY PATH", kW / 2 + 24, kH / 2, style);
  // A little pigeon head to the left of the title: dark grey, orange eye, white cere.
  const int hx = 52, hy = 12;
  fillRect(img, hx, hy + 6, 30, 26, rgb(60, 62, 70));
  fillRect(img, hx + 4, hy + 2, 22, 6, rgb(60, 62, 70));
  fillRect(img, hx + 30, hy + 16, 10, 6, rgb(240, 240, 240));
  fillRect(img, hx + 30, hy + 22, 12, 5, rgb(20, 20, 24));
  fillRect(img, hx + 18, hy + 10, 7, 7, rgb(255, 140, 20));
  fillRect(img, hx + 20, hy + 12, 3, 3, rgb(0, 0, 0));
  fillRect(img, hx + 2, hy + 32, 28, 10, rgb(150, 152, 160));
  return img;
}

Image pauseIcon(const Font& font) {
  constexpr int kS = 128;
  Image img(kS, kS, rgb(0, 0, 0, 0));
  fillRoundedRect(img, 4, 4, kS - 8, kS - 8, 24, rgb(24, 40, 90, 190));
  fillRoundedRect(img, 36, 18, 20, 62, 5, rgb(255, 255, 255));
  fillRoundedRect(img, 72, 18, 20, 62, 5, rgb(255, 255, 255));
  TextStyle style;
  style.pixelSize = 22;
  style.colour = rgb(255, 255, 255);
  style.outline = 1;
  style.outlineColour = rgb(20, 20, 40);
  font.drawCentred(img, "PAUSA", kS / 2, 100, style);
  return img;
}

Image digit(const Font& font, int d) {
  return banner(font, std::to_string(d), 33, 33, 30, rgb(255, 255, 255), 2);
}

Image coinIcon() {
  constexpr int kS = 32;
  Image img(kS, kS, rgb(0, 0, 0, 0));
  fillDisc(img, 16, 16, 15, rgb(90, 60, 0));
  fillDisc(img, 16, 16, 13, rgb(255, 206, 20));
  strokeCircle(img, 16, 16, 9.5f, 2, rgb(214, 150, 0));
  fillRect(img, 14, 10, 4, 12, rgb(214, 150, 0));
  fillDisc(img, 11, 10, 2.5f, rgb(255, 246, 190));
  return img;
}

Image grass() {
  Image img = grassTexture(256, rgb(104, 184, 70), rgb(80, 156, 52), 701u);
  darkenEdge(img, 6, 0.18f);
  return img;
}

// Asphalt 256 x 128: the strip runs along the image's width, with white edge
// lines and a dashed yellow centre line.
Image road() {
  constexpr int kW = 256, kH = 128;
  Image img(kW, kH, rgb(70, 72, 78));
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) img.at(x, y) = shade(img.at(x, y), 0.9f + 0.2f * hashUnit(x, y, 733u));
  fillRect(img, 0, 6, kW, 5, rgb(235, 235, 230));
  fillRect(img, 0, kH - 11, kW, 5, rgb(235, 235, 230));
  dashes(img, kH / 2 - 3, 6, 48, 96, 24, rgb(250, 210, 60));
  return img;
}

}  // namespace

void generatePigeonrun(const fs::path& out) {
  const fs::path dir = out / "Objetos";
  writeGrouped(pigeon(), dir / "paloma.obj", "pigeonrun pigeon, y up, facing +z, drawn at 0.4");
  writeGrouped(car(), dir / "auto1.obj", "pigeonrun car, nose +z, centred, drawn unscaled");
  writeGrouped(coin(), dir / "Moneda.obj", "pigeonrun coin, drawn yellow at 0.05");

  const Font title(fontFile("pigeonrun", "title"));
  const Font hud(fontFile("pigeonrun", "hud"));
  saveOverlay(logo(title), dir / "Logo.png");
  saveOverlay(pauseIcon(hud), dir / "iconoPausa.png");
  saveOverlay(banner(title, "FIN DEL JUEGO", 500, 58, 48, rgb(255, 90, 70), 3), dir / "finDelJuego.png");
  saveOverlay(banner(hud, "PRESIONE ENTER", 250, 17, 15, rgb(255, 255, 255), 1), dir / "presioneEnter.png");
  saveOverlay(coinIcon(), dir / "Moneda.png");
  for (int d = 0; d < 10; ++d) saveOverlay(digit(hud, d), dir / (std::to_string(d) + ".png"));
  savePng(grass(), dir / "piso.png", PixelFormat::Rgb24);
  savePng(road(), dir / "calle.png", PixelFormat::Rgb24);
}

static const GameRegistration registration{"pigeonrun", generatePigeonrun};

}  // namespace assetgen
