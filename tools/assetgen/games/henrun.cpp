// henrun: the hen and the trucks (one shared palette texture), the tree, the
// day and night sky images, the font and the two MP3 sounds, laid out under
// Modelos/, Texturas/, Fuentes/ and Sonidos/ (the program runs one folder down).
//
// Model frames follow the game's transforms:
//   hen    scale 0.1, heading 270: faces model -x, feet at y -12 (it stands 1.2 up)
//   truck  scale (0.3, 0.45, 0.45), heading 180: built in world units along
//          +x (9.5 long, front at +x) and -z (into its 4-deep row), then divided
//          by the scale and turned half round about y
//   tree   scale (2, 1.6..2.4, 2), heading 180: likewise, a 1.8 x 1.8 footprint
#include <cmath>

#include "draw.h"
#include "files.h"
#include "fonts.h"
#include "games.h"
#include "mp3.h"
#include "obj.h"
#include "pattern.h"
#include "voxel.h"

namespace assetgen {

void generateHenrun(const std::filesystem::path& outdir);

namespace {

namespace fs = std::filesystem;

Mesh divided(Mesh mesh, float sx, float sy, float sz) {
  for (MeshPart& part : mesh)
    for (Quad& q : part.quads)
      for (Vec3& p : q.corners) {
        p.x /= sx;
        p.y /= sy;
        p.z /= sz;
      }
  return mesh;
}

// A round white hen facing +z, 14 voxels of 1.8 tall (2.5 once scaled), feet at y 0.
Mesh hen() {
  const Rgba white = rgb(248, 248, 244), cream = rgb(230, 226, 214), red = rgb(222, 40, 36);
  const Rgba orange = rgb(250, 150, 30), black = rgb(24, 24, 28), brown = rgb(150, 96, 50), tan = rgb(196, 140, 80);
  VoxelModel m(1.8f);
  // Legs and feet.
  for (int x : {-2, 1}) {
    m.fill(x, 1, 0, x, 2, 0, orange);
    m.fill(x, 0, 0, x, 0, 2, orange);
  }
  // Body, rounded at the edges.
  m.fill(-3, 3, -3, 2, 8, 2, white);
  for (int x : {-3, 2})
    for (int y : {3, 8})
      for (int z = -3; z <= 2; ++z) m.erase(x, y, z);
  for (int x : {-3, 2})
    for (int z : {-3, 2})
      for (int y = 3; y <= 8; ++y) m.erase(x, y, z);
  // Wings, a shade darker.
  for (int x : {-4, 3}) m.fill(x, 4, -2, x, 6, 1, cream);
  // A brown-speckled tail raised behind.
  m.fill(-2, 6, -5, 1, 10, -4, white);
  for (int y = 6; y <= 10; ++y)
    for (int x = -2; x <= 1; ++x)
      if ((x + y) % 2 == 0) m.set(x, y, -5, y > 8 ? brown : tan);
  m.fill(-1, 11, -5, 0, 11, -5, brown);
  // Head, eyes, comb, beak and wattle.
  m.fill(-2, 9, 0, 1, 11, 3, white);
  m.set(-2, 11, 2, black);
  m.set(1, 11, 2, black);
  m.fill(-1, 12, 0, 0, 12, 3, red);
  m.fill(-1, 13, 1, 0, 13, 1, red);
  m.fill(-1, 13, 3, 0, 13, 3, red);
  m.fill(-1, 10, 4, 0, 10, 5, orange);
  m.fill(-1, 8, 4, 0, 9, 4, red);
  return {{"gallina", m.mesh()}};
}

// A lorry in world units: cab at the front (+x), a long box behind, six wheels.
Mesh truck() {
  const Rgba cab = rgb(220, 50, 40), cabDark = rgb(160, 30, 26), glass = rgb(60, 90, 120), box = rgb(236, 236, 230);
  const Rgba stripe = rgb(40, 120, 220), wheel = rgb(30, 30, 34), hub = rgb(170, 170, 176), light = rgb(255, 230, 120);
  const Rgba bumper = rgb(90, 92, 100);
  VoxelModel m(0.25f, Vec3{0.f, 0.f, -3.75f});
  // Cells: x 0..37 (9.5), z 0..13 (3.5 deep, from -3.75 to -0.25), y up to 14 (3.5).
  m.fill(0, 2, 0, 27, 13, 13, box);          // cargo box
  m.fill(0, 7, 0, 27, 8, 0, stripe);         // stripes on both sides
  m.fill(0, 7, 13, 27, 8, 13, stripe);
  m.fill(28, 2, 1, 28, 5, 12, bumper);       // coupling
  m.fill(29, 2, 0, 37, 9, 13, cab);          // cab
  m.fill(29, 2, 0, 37, 3, 13, cabDark);
  m.fill(31, 10, 0, 37, 11, 13, cab);        // roof of the cab, set back
  m.fill(37, 6, 1, 37, 9, 12, glass);        // windscreen
  m.fill(32, 6, 0, 35, 9, 0, glass);         // side windows
  m.fill(32, 6, 13, 35, 9, 13, glass);
  m.set(37, 3, 1, light);
  m.set(37, 3, 12, light);
  for (int x : {3, 9, 32})
    for (int z : {0, 13}) {
      m.fill(x, 0, z, x + 3, 2, z, wheel);
      m.set(x + 1, 1, z, hub);
      m.set(x + 2, 1, z, hub);
    }
  return {{"camion", m.mesh()}};
}

// A blocky tree in world units at its middle height (y scale 2): trunk and
// three stacked leaf blocks within the 1.8 x 1.8 footprint.
Mesh tree() {
  const Rgba bark = rgb(120, 76, 40), barkDark = rgb(92, 56, 30), leaf = rgb(60, 170, 60), leafDark = rgb(40, 130, 50);
  const Rgba leafLight = rgb(110, 200, 80);
  VoxelModel m(0.2f, Vec3{0.f, 0.f, -1.8f});
  // Cells: x 0..8, z 0..8 (1.8), y up to 18 (3.6).
  m.fill(3, 0, 3, 5, 6, 5, bark);
  m.fill(3, 0, 3, 5, 0, 5, barkDark);
  m.fill(0, 5, 0, 8, 10, 8, leaf);
  m.fill(0, 5, 0, 8, 5, 8, leafDark);
  m.fill(1, 11, 1, 7, 14, 7, leaf);
  m.fill(1, 11, 1, 7, 11, 7, leafDark);
  m.fill(2, 15, 2, 6, 17, 6, leafLight);
  for (int i = 0; i < 9; ++i) m.set(int(hash2(i, 0, 7u) % 9), 10, int(hash2(i, 1, 7u) % 9), leafLight);
  return {{"tree", m.mesh()}};
}

// Sky walls: the bottom of the picture meets the ground.
Image sky(bool night) {
  Image img(512, 256);
  if (!night) {
    verticalGradient(img, rgb(120, 180, 250), rgb(214, 236, 255));
    for (int k = 0; k < 9; ++k) {
      const float cx = 30 + hashUnit(k, 0, 11u) * 452, cy = 40 + hashUnit(k, 1, 11u) * 110;
      for (int p = 0; p < 5; ++p)
        fillDisc(img, cx + float(p - 2) * 16, cy + 6 * std::sin(float(p + k)), 14 + 6 * hashUnit(k, p, 13u),
                 rgb(255, 255, 255, 150), 8.f);
    }
  } else {
    verticalGradient(img, rgb(6, 8, 36), rgb(30, 36, 90));
    for (int k = 0; k < 220; ++k) {
      const float x = hashUnit(k, 0, 21u) * 512, y = hashUnit(k, 1, 21u) * 230;
      fillDisc(img, x, y, 0.6f + 1.1f * hashUnit(k, 2, 21u), rgb(255, 250, 220, 230));
    }
    fillDisc(img, 400, 56, 22, rgb(250, 248, 226));  // the moon
    fillDisc(img, 410, 50, 20, rgb(20, 26, 70));     // a crescent of it
  }
  return img;
}

// A cheerful 16-second loop: bass on the beat, an arpeggio above, hi-hats between.
std::vector<float> music() {
  constexpr double beat = 0.5;
  const int roots[] = {-21, -26, -24, -28};  // C3 G2 A2 F2
  const int chords[4][3] = {{3, 7, 10}, {-2, 2, 5}, {0, 3, 7}, {-4, 0, 3}};
  std::vector<Note> notes;
  for (int bar = 0; bar < 8; ++bar) {
    const int c = bar % 4;
    for (int b = 0; b < 4; ++b) {
      const double t = (bar * 4 + b) * beat;
      notes.push_back({t, 0.45, pitch(roots[c] + (b % 2 ? 12 : 0)), 0.32, Voice::Triangle});
      notes.push_back({t + beat / 2, 0.06, 8000, 0.05, Voice::Noise});
    }
    const int pattern[8] = {0, 1, 2, 1, 0, 2, 1, 2};
    for (int e = 0; e < 8; ++e) {
      const int octave = bar >= 4 && e % 4 == 3 ? 12 : 0;
      notes.push_back({(bar * 4) * beat + e * beat / 2, 0.22, pitch(chords[c][pattern[e]] + octave), 0.13, Voice::Square});
    }
  }
  return renderNotes(notes, 32 * beat, true);
}

// A short falling jingle.
std::vector<float> death() {
  std::vector<Note> notes = {{0.0, 0.18, pitch(7), 0.3, Voice::Square},
                             {0.18, 0.18, pitch(3), 0.3, Voice::Square},
                             {0.36, 0.18, pitch(0), 0.3, Voice::Square},
                             {0.54, 0.7, pitch(-4), 0.3, Voice::Square, 0.5},
                             {0.54, 0.7, pitch(-16), 0.3, Voice::Triangle, 0.5}};
  return renderNotes(notes, 1.4, false);
}

}  // namespace

void generateHenrun(const fs::path& outdir) {
  ObjOptions o;
  o.comment = "henrun";
  o.sideNormalLift = 0.35f;
  // The hen and the truck share one palette texture.
  Palette shared;
  ObjOptions henOptions = o;
  henOptions.transform = Transform().rotate(1, -1).translate(Vec3{0.f, -12.f, 0.f});
  writeFile(outdir / "Modelos/gallina_plonkito.obj", objText(hen(), shared, henOptions));
  ObjOptions truckOptions = o;
  truckOptions.transform = Transform().rotate(1, 2);
  writeFile(outdir / "Modelos/camion_plonkito.obj", objText(divided(truck(), 0.3f, 0.45f, 0.45f), shared, truckOptions));
  savePng(shared.image(), outdir / "Texturas/texture_voxmold.png", PixelFormat::Rgb24);

  ObjOptions treeOptions = o;
  treeOptions.transform = Transform().rotate(1, 2);
  writeModel(divided(tree(), 2.f, 2.f, 2.f), outdir / "Modelos/tree.obj", outdir / "Texturas/tree.png", treeOptions);

  saveJpg(sky(false), outdir / "Texturas/skybox_dia.jpg");
  savePng(sky(true), outdir / "Texturas/skybox_noche.png", PixelFormat::Rgb24);
  stageFonts("henrun", outdir);
  writeMp3(outdir / "Sonidos/sonidoJuego.mp3", music());
  writeMp3(outdir / "Sonidos/sonidoMuerte.mp3", death());
}

static const GameRegistration registration{"henrun", generateHenrun};

}  // namespace assetgen
