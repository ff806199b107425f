#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "games.h"
#include "image.h"
#include "obj_reader.h"
#include "temp_dir.h"

using namespace assetgen;
namespace fs = std::filesystem;

namespace {

const char* const kFiles[] = {
    "Modelos3D/penguin/penguin.obj",       "Modelos3D/penguin/penguin.png",
    "Modelos3D/seal/Seal.obj",             "Modelos3D/seal/seal128.png",
    "Modelos3D/woodbranch/woodbranch.obj", "Modelos3D/woodbranch/woodbranch.png",
    "Modelos3D/palm/TREP.obj",             "Modelos3D/palm/palm.png",
    "agua_linda.png",                      "tierra.png",
    "tierra_pasto.png",                    "pausa2.PNG",
    "Quicksand-Regular.otf",               "arial.ttf",
};

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// One generated set shared by the tests that only read it.
const fs::path& generated() {
  static TempDir dir("boardhop_shared");
  static const bool done = (generateBoardhop(dir.path()), true);
  (void)done;
  return dir.path();
}

struct Box3 {
  double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
  double size(int a) const { return hi[a] - lo[a]; }
};

Box3 bounds(const ObjData& d) {
  Box3 b;
  for (const auto& v : d.v)
    for (int a = 0; a < 3; ++a) {
      b.lo[a] = std::min(b.lo[a], v[std::size_t(a)]);
      b.hi[a] = std::max(b.hi[a], v[std::size_t(a)]);
    }
  return b;
}

struct Model {
  ObjData obj;
  Image texture;
  // Colour a face samples: its UV looked up in the texture (v = 0 at the bottom).
  Rgba colour(const std::vector<ObjCorner>& f) const {
    const auto& uv = obj.vt[std::size_t(f[0].t - 1)];
    return texture.at(int(uv[0] * texture.width()), int((1.0 - uv[1]) * texture.height()));
  }
};

Model model(const char* obj, const char* png) {
  return Model{parseObjFile((generated() / obj).string()), loadImage(generated() / png)};
}

int run(const std::string& args, std::string* err = nullptr) {
  TempDir tmp("stderr");
  const fs::path errFile = tmp.path() / "err.txt";
  const int status = std::system((std::string(ASSETGEN_EXE) + " " + args + " 2> " + errFile.string()).c_str());
  if (err) *err = slurp(errFile);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(Boardhop, EveryFileIsWrittenAndRerunsAreByteIdentical) {
  TempDir second("boardhop_again");
  generateBoardhop(second.path());
  std::size_t count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(generated()))
    if (entry.is_regular_file()) ++count;
  EXPECT_EQ(count, std::size(kFiles));
  for (const char* f : kFiles) {
    ASSERT_TRUE(fs::is_regular_file(generated() / f)) << f;
    const std::string a = slurp(generated() / f);
    EXPECT_GT(a.size(), 100u) << f;
    EXPECT_TRUE(a == slurp(second.path() / f)) << f << " differs between runs";
  }
  EXPECT_EQ(slurp(generated() / "Quicksand-Regular.otf"),
            slurp("/usr/share/fonts/truetype/quicksand/Quicksand-Regular.ttf"));
  EXPECT_EQ(slurp(generated() / "arial.ttf"), slurp("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"));
}

// The game's reader knows v, vt, vn and triangles written p/t/n, and skips #, o, s.
TEST(Boardhop, ModelsUseOnlyWhatTheGameReads) {
  const std::pair<const char*, const char*> models[] = {
      {"Modelos3D/penguin/penguin.obj", "Modelos3D/penguin/penguin.png"},
      {"Modelos3D/seal/Seal.obj", "Modelos3D/seal/seal128.png"},
      {"Modelos3D/woodbranch/woodbranch.obj", "Modelos3D/woodbranch/woodbranch.png"},
      {"Modelos3D/palm/TREP.obj", "Modelos3D/palm/palm.png"},
  };
  for (const auto& [obj, png] : models) {
    SCOPED_TRACE(obj);
    const Model m = model(obj, png);
    for (const std::string& k : m.obj.keywords)
      EXPECT_TRUE(k == "v" || k == "vt" || k == "vn" || k == "f" || k == "#" || k == "o") << k;
    EXPECT_GE(m.obj.faces.size(), 12u);
    EXPECT_LE(m.obj.faces.size(), 4000u);
    for (const auto& f : m.obj.faces) {
      ASSERT_EQ(f.size(), 3u);
      for (const ObjCorner& c : f) {
        EXPECT_GT(c.t, 0);
        EXPECT_GT(c.n, 0);
      }
    }
    const int w = m.texture.width();
    EXPECT_EQ(w, m.texture.height());
    EXPECT_EQ(w & (w - 1), 0) << "texture size not a power of two";
    for (const Rgba& p : m.texture.pixels()) ASSERT_EQ(p.a, 255);
    // Every UV sits in the middle of a swatch of 8 or more pixels.
    for (const auto& uv : m.obj.vt) {
      const double px = uv[0] * w, py = (1 - uv[1]) * w;
      const int x = int(px), y = int(py);
      for (int d = -3; d <= 3; ++d) {
        EXPECT_EQ(m.texture.at(x + d, y), m.texture.at(x, y));
        EXPECT_EQ(m.texture.at(x, y + d), m.texture.at(x, y));
      }
    }
  }
}

TEST(Boardhop, ModelsFitTheGamesTransforms) {
  {
    // Scale 0.5: 0.8-0.9 tall in the world, standing on the tile, beak ahead (+z).
    const Model m = model("Modelos3D/penguin/penguin.obj", "Modelos3D/penguin/penguin.png");
    const Box3 b = bounds(m.obj);
    EXPECT_NEAR(b.lo[1], 0.0, 1e-6);
    EXPECT_GE(b.size(1), 1.6);
    EXPECT_LE(b.size(1), 1.8);
    EXPECT_GE(b.size(0), 1.0);
    EXPECT_LE(b.size(0), 1.3);
    EXPECT_NEAR(b.lo[0] + b.hi[0], 0.0, 1e-6);
    int front = 0;
    for (const auto& f : m.obj.faces)
      if (m.obj.v[std::size_t(f[0].p - 1)][2] == b.hi[2] && m.obj.v[std::size_t(f[1].p - 1)][2] == b.hi[2] &&
          m.obj.v[std::size_t(f[2].p - 1)][2] == b.hi[2]) {
        const Rgba c = m.colour(f);
        EXPECT_TRUE(c.r > 180 && c.g > 60 && c.b < 80) << "frontmost face is not the orange beak";
        ++front;
      }
    EXPECT_GT(front, 0);
  }
  {
    // Scale 0.12: about 0.95 long along z, lying on the ground.
    const Box3 b = bounds(model("Modelos3D/seal/Seal.obj", "Modelos3D/seal/seal128.png").obj);
    EXPECT_NEAR(b.lo[1], 0.0, 1e-6);
    EXPECT_NEAR(b.size(2), 8.0, 0.5);
    EXPECT_NEAR(b.size(1), 3.0, 0.3);
    EXPECT_NEAR(b.size(0), 3.5, 0.5);
    EXPECT_GT(b.hi[2], -b.lo[2]);  // the nose end is +z
  }
  {
    // Drawn 0.5 below the tiles with scale 0.4: underside at y = 1.25 rests on them.
    const Box3 b = bounds(model("Modelos3D/woodbranch/woodbranch.obj", "Modelos3D/woodbranch/woodbranch.png").obj);
    EXPECT_NEAR(b.lo[1], 1.25, 1e-6);
    EXPECT_GE(b.hi[1], 2.3);
    EXPECT_LE(b.hi[1], 2.55);
    EXPECT_NEAR(b.size(0), 2.3, 0.15);
    EXPECT_GT(b.size(0), 1.8 * b.size(2));
  }
  {
    const Box3 b = bounds(model("Modelos3D/palm/TREP.obj", "Modelos3D/palm/palm.png").obj);
    EXPECT_NEAR(b.lo[1], 0.0, 1e-6);
    EXPECT_GE(b.size(1), 1.6);
    EXPECT_LE(b.size(1), 2.0);
    for (int a : {0, 2}) {
      EXPECT_LE(b.size(a), 1.15);
      EXPECT_LE(std::max(-b.lo[a], b.hi[a]), 0.6);  // stays over its own tile
    }
  }
}

TEST(Boardhop, TilesAndPauseScreen) {
  for (const char* tile : {"agua_linda.png", "tierra.png", "tierra_pasto.png"}) {
    const Image img = loadImage(generated() / tile);
    EXPECT_EQ(img.width(), 128) << tile;
    EXPECT_EQ(img.height(), 128) << tile;
  }
  const Image water = loadImage(generated() / "agua_linda.png");
  int seam = 0;  // the last column/row continues into the first as smoothly as any neighbours
  for (int i = 0; i < 128; ++i) {
    const Rgba a = water.at(127, i), b = water.at(0, i), c = water.at(i, 127), d = water.at(i, 0);
    seam += std::abs(a.b - b.b) > 40 || std::abs(c.b - d.b) > 40;
  }
  EXPECT_LT(seam, 6);

  const Image pause = loadImage(generated() / "pausa2.PNG");
  ASSERT_EQ(pause.width(), 800);
  ASSERT_EQ(pause.height(), 600);
  // Icy: blue dominates; the title band holds white fill and dark outline.
  const Rgba corner = pause.at(5, 5);
  EXPECT_GT(corner.b, corner.r);
  int white = 0, dark = 0;
  for (int y = 270; y < 350; ++y)
    for (int x = 200; x < 600; ++x) {
      const Rgba p = pause.at(x, y);
      white += p.r > 245 && p.g > 245 && p.b > 245;
      dark += p.r < 80 && p.b > 120;
    }
  EXPECT_GT(white, 2000);
  EXPECT_GT(dark, 2000);
}

TEST(Boardhop, CommandLineStatuses) {
  TempDir dir("cli");
  std::string err;
  EXPECT_EQ(run("boardhop " + (dir.path() / "out").string(), &err), 0) << err;
  EXPECT_TRUE(fs::is_regular_file(dir.path() / "out" / "pausa2.PNG"));
  EXPECT_EQ(run("nosuchgame " + dir.path().string(), &err), 2);
  EXPECT_NE(err.find("usage"), std::string::npos);
  EXPECT_EQ(run("", &err), 2);
  std::ofstream(dir.path() / "plain").put('x');
  EXPECT_EQ(run("boardhop " + (dir.path() / "plain" / "out").string(), &err), 1);
  EXPECT_NE(err.find("plain"), std::string::npos) << err;
  EXPECT_EQ(run("--fonts > " + (dir.path() / "fonts.txt").string(), &err), 0);
  EXPECT_NE(slurp(dir.path() / "fonts.txt").find("fonts-quicksand"), std::string::npos);
  EXPECT_NE(findGame("boardhop"), nullptr);
  EXPECT_EQ(findGame("Boardhop"), nullptr);
}
