// duckrun: the duck, its palette texture, the grass, the blackboard behind
// the menus and two six-face sky boxes (day and night).
//
// The game reads the duck with its own OBJ reader: "v", "vt", "vn" lines and
// faces of exactly three or four "p/t/n" corners separated by single blanks.
// It draws the model scaled by 0.06 and turned -90 degrees about x, so the
// file is z up; at facing 0 the duck looks toward +z in the world, which is
// -y in the file. Texture coordinates are used as (u, -v), so v is written
// as 1 - v: with a repeating texture the game then samples the swatch the
// palette means.
//
// Sky faces meet at their edges: side faces share their top row (the zenith
// colour of the top face) and their bottom row (the colour of the bottom
// face), and clouds, stars and the sun keep clear of the left and right edges.
#include <algorithm>
#include <cmath>
#include <sstream>

#include "draw.h"
#include "files.h"
#include "games.h"
#include "obj.h"
#include "pattern.h"
#include "voxel.h"

namespace assetgen {

void generateDuckrun(const std::filesystem::path& outdir);

namespace {

namespace fs = std::filesystem;

constexpr float kGameScale = 0.06f;  // the game's scale on the model
constexpr float kVoxel = 0.2f;       // world units per voxel
constexpr int kSky = 512;

// A yellow duck, 12 voxels (2.4 world units) tall, 10 wide with its wings,
// facing +z, feet at y 0, built y up in model units.
Mesh duck() {
  const Rgba yellow = rgb(255, 214, 40), wing = rgb(240, 178, 24), belly = rgb(255, 232, 120);
  const Rgba orange = rgb(255, 128, 16), black = rgb(24, 24, 28), white = rgb(255, 255, 255);
  VoxelModel m(kVoxel / kGameScale);
  // Body, rounded at the corners, with a paler belly.
  m.fill(-4, 2, -4, 3, 5, 3, yellow);
  m.fill(-3, 2, -5, 2, 5, 4, yellow);
  m.fill(-3, 2, -4, 2, 2, 3, belly);
  for (int x : {-4, 3})
    for (int z : {-4, 3}) m.erase(x, 5, z);
  // Tail sticking up at the back.
  m.fill(-2, 5, -6, 1, 6, -5, yellow);
  m.fill(-1, 7, -7, 0, 7, -6, yellow);
  // Wings folded along the sides.
  m.fill(-5, 3, -3, -5, 5, 2, wing);
  m.fill(4, 3, -3, 4, 5, 2, wing);
  // A narrower neck under the head, so the head reads from behind too.
  m.fill(-1, 6, 1, 0, 7, 3, yellow);
  m.fill(-2, 8, 0, 1, 11, 4, yellow);
  for (int x : {-2, 1}) {
    m.erase(x, 11, 0);
    m.erase(x, 11, 4);
  }
  // Eyes: a white patch with a black pupil on each side of the head.
  m.setFace(-2, 10, 3, NegX, black);
  m.setFace(-2, 10, 2, NegX, white);
  m.setFace(1, 10, 3, PosX, black);
  m.setFace(1, 10, 2, PosX, white);
  // Bill: a flat lower part and a shorter upper part.
  m.fill(-2, 8, 5, 1, 8, 6, orange);
  m.fill(-1, 9, 5, 0, 9, 5, orange);
  // Legs and webbed feet.
  m.fill(-2, 1, 0, -2, 1, 0, orange);
  m.fill(1, 1, 0, 1, 1, 0, orange);
  m.fill(-3, 0, -1, -1, 0, 2, orange);
  m.fill(0, 0, -1, 2, 0, 2, orange);
  return {{"duck", m.mesh()}};
}

// Rewrites every "vt u v" line as "vt u (1 - v)".
std::string flipTexcoords(const std::string& obj) {
  std::istringstream in(obj);
  std::string line, out;
  while (std::getline(in, line)) {
    if (line.rfind("vt ", 0) == 0) {
      std::istringstream words(line.substr(3));
      double u = 0, v = 0;
      words >> u >> v;
      line = "vt " + formatNumber(u) + ' ' + formatNumber(1.0 - v);
    }
    out += line + '\n';
  }
  return out;
}

void writeDuck(const fs::path& model, const fs::path& texture) {
  ObjOptions o;
  o.comment = "duckrun duck, z up, facing -y, drawn at 0.06";
  o.quads = true;
  o.sideNormalLift = 0.5f;
  o.shade = {0.92f, 0.88f, 1.f, 0.7f, 0.96f, 0.86f};
  o.transform.rotate(0, 1);  // y up -> z up
  // Swatches of 16 pixels: JPEG's colour blocks never reach a swatch's centre.
  Palette palette(128, 16);
  writeFile(model, flipTexcoords(objText(duck(), palette, o)));
  saveJpg(palette.image(), texture, 95);
}

// One unit square of meadow; the game repeats it 50 x 140 times without
// mipmaps, so the blades stay close to the ground colour.
Image grass() { return grassTexture(64, rgb(104, 182, 72), rgb(86, 160, 60), 141u); }

// A green chalkboard in a wooden frame. The game maps the image's bottom row
// to the board's top edge, so the picture is symmetric top to bottom.
Image blackboard() {
  constexpr int kW = 512, kH = 256, kFrame = 14;
  Image img(kW, kH);
  const Rgba wood = rgb(150, 98, 52), woodDark = rgb(110, 70, 36), board = rgb(34, 70, 50);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const int my = std::min(y, kH - 1 - y);  // mirrored row
      const int edge = std::min(std::min(x, kW - 1 - x), my);
      if (edge < kFrame) {
        const float grain = 0.5f + 0.5f * std::sin(float(x + 3 * my) * 0.35f + 2.f * hashUnit(x / 8, my / 3, 151u));
        Rgba c = mix(woodDark, wood, grain);
        if (edge == 0 || edge == kFrame - 1) c = shade(c, 0.7f);
        img.at(x, y) = c;
      } else {
        const float smudge = tileFbm(float(x) / kW, float(my) / kW, 6, 3, 153u);
        img.at(x, y) = shade(board, 0.85f + 0.3f * smudge + 0.04f * (hashUnit(x, my, 155u) - 0.5f));
      }
    }
  return img;
}

struct SkyColours {
  Rgba zenith, horizon, ground;
  bool night;
};

// Upper half: zenith to horizon; lower half: a distant meadow fading to the
// bottom face's colour.
Image skySide(const SkyColours& c, std::uint32_t seed, bool withSunOrMoon) {
  Image img(kSky, kSky);
  const int half = kSky / 2;
  for (int y = 0; y < kSky; ++y) {
    Rgba row;
    if (y < half) {
      const float t = float(y) / float(half - 1);
      row = mix(c.zenith, c.horizon, t * t);
    } else {
      const float t = float(y - half) / float(half - 1);
      row = mix(shade(c.ground, 1.15f), c.ground, std::sqrt(t));
    }
    for (int x = 0; x < kSky; ++x) img.at(x, y) = row;
  }
  // A soft band of far hills along the horizon, kept off the side edges' colour
  // by being the same at x = 0 and x = kSky - 1 (a whole number of waves).
  for (int x = 0; x < kSky; ++x) {
    const float h = 10.f + 6.f * std::sin(float(x) * 6.2831853f * 3.f / kSky + 1.3f) +
                    4.f * std::sin(float(x) * 6.2831853f * 7.f / kSky);
    for (int y = half - int(h); y < half; ++y) img.at(x, y) = mix(img.at(x, y), c.ground, 0.8f);
  }
  const int margin = 48;
  if (!c.night) {
    for (int k = 0; k < 6; ++k) {
      const float cx = margin + 40 + hashUnit(k, 0, seed) * (kSky - 2 * margin - 80);
      const float cy = kSky * (0.12f + 0.22f * hashUnit(k, 1, seed));
      for (int p = 0; p < 5; ++p) {
        const float r = 14 + 12 * hashUnit(k, p + 2, seed);
        fillDisc(img, cx + float(p - 2) * 13, cy + 6 * std::sin(float(p)), r, rgb(255, 255, 255, 120), 8.f);
      }
    }
    if (withSunOrMoon) {
      fillDisc(img, kSky * 0.7f, kSky * 0.16f, 46, rgb(255, 250, 200, 90), 30.f);
      fillDisc(img, kSky * 0.7f, kSky * 0.16f, 26, rgb(255, 246, 190), 3.f);
    }
  } else {
    for (int k = 0; k < 140; ++k) {
      const float x = 4 + hashUnit(k, 0, seed) * (kSky - 8), y = 4 + hashUnit(k, 1, seed) * (half - 40);
      const float b = 0.5f + 0.5f * hashUnit(k, 2, seed);
      fillDisc(img, x, y, 0.8f + 0.9f * hashUnit(k, 3, seed), withAlpha(rgb(255, 255, 240), int(255 * b)), 1.f);
    }
    if (withSunOrMoon) {
      fillDisc(img, kSky * 0.3f, kSky * 0.2f, 50, rgb(200, 210, 255, 50), 30.f);
      fillDisc(img, kSky * 0.3f, kSky * 0.2f, 24, rgb(240, 240, 225), 2.f);
      fillDisc(img, kSky * 0.3f + 8, kSky * 0.2f - 5, 6, rgb(210, 210, 200), 2.f);
    }
  }
  return img;
}

Image skyTop(const SkyColours& c, std::uint32_t seed) {
  Image img(kSky, kSky, c.zenith);
  if (c.night)
    for (int k = 0; k < 160; ++k) {
      const float x = 6 + hashUnit(k, 0, seed) * (kSky - 12), y = 6 + hashUnit(k, 1, seed) * (kSky - 12);
      fillDisc(img, x, y, 0.8f + 0.9f * hashUnit(k, 3, seed), rgb(255, 255, 240, 220), 1.f);
    }
  return img;
}

void skybox(const fs::path& dir, const std::string& suffix, const SkyColours& c) {
  const char* sides[4] = {"left", "back", "right", "front"};
  for (int i = 0; i < 4; ++i)
    savePng(skySide(c, 200u + std::uint32_t(i), i == 3), dir / (std::string(sides[i]) + suffix + ".png"),
            PixelFormat::Rgb24);
  savePng(skyTop(c, 230u), dir / ("top" + suffix + ".png"), PixelFormat::Rgb24);
  savePng(Image(kSky, kSky, c.ground), dir / ("bottom" + suffix + ".png"), PixelFormat::Rgb24);
}

}  // namespace

void generateDuckrun(const fs::path& out) {
  const fs::path textures = out / "assets" / "textures";
  writeDuck(out / "assets" / "models" / "Duck.obj", textures / "Duck.jpg");
  savePng(grass(), textures / "grass.png", PixelFormat::Rgb24);
  savePng(blackboard(), textures / "blackboard.png", PixelFormat::Rgba32);
  skybox(textures / "skybox", "", {rgb(60, 130, 225), rgb(196, 226, 250), rgb(92, 150, 70), false});
  skybox(textures / "skybox", "_night", {rgb(6, 10, 36), rgb(30, 44, 96), rgb(14, 30, 22), true});
}

static const GameRegistration registration{"duckrun", generateDuckrun};

}  // namespace assetgen
