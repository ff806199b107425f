// hopgames: the collection's front window. Its own files are the fonts it
// writes with and the picture beside its title (hero.png): three of the
// games' heroes on a block of grass crossed by a road, the same figure as
// its desktop icon (the hero "collection"). The games' pictures and the
// table of games come from the repository; its build stages them.
#include <algorithm>
#include <limits>
#include <stdexcept>

#include "fonts.h"
#include "games.h"
#include "heroes.h"
#include "image.h"
#include "voxel.h"

namespace assetgen {

void generateHopgames(const std::filesystem::path& outdir);

namespace {

// `mesh` scaled to `height` and moved so that its footprint is centred on
// (x, z) and its feet stand on y 0.
Mesh placed(const Mesh& mesh, float height, float x, float z) {
  constexpr float inf = std::numeric_limits<float>::max();
  Vec3 lo{inf, inf, inf}, hi{-inf, -inf, -inf};
  for (const MeshPart& part : mesh)
    for (const Quad& q : part.quads)
      for (const Vec3& c : q.corners) {
        lo = {std::min(lo.x, c.x), std::min(lo.y, c.y), std::min(lo.z, c.z)};
        hi = {std::max(hi.x, c.x), std::max(hi.y, c.y), std::max(hi.z, c.z)};
      }
  if (hi.y <= lo.y) throw std::runtime_error("collection: a hero with no height");
  const float s = height / (hi.y - lo.y);
  const Vec3 centre{(lo.x + hi.x) / 2, lo.y, (lo.z + hi.z) / 2};
  Mesh out = mesh;
  for (MeshPart& part : out)
    for (Quad& q : part.quads)
      for (Vec3& c : q.corners) c = {(c.x - centre.x) * s + x, (c.y - centre.y) * s, (c.z - centre.z) * s + z};
  return out;
}

Mesh hero(const char* name, float height, float x, float z) {
  const Hero* h = findHero(name);
  if (!h) throw std::runtime_error(std::string("collection: no hero ") + name);
  return placed(h->build(), height, x, z);
}

// A penguin, a chicken and a duck on a slab of two greens with a road
// across it, the chicken in front.
Mesh collection() {
  const Rgba grass = rgb(108, 194, 74), grassDark = rgb(93, 177, 62), road = rgb(74, 74, 78), dash = rgb(245, 245, 240);
  const Rgba soil = rgb(140, 96, 58);
  VoxelModel base(0.25f, Vec3{-1.5f, -0.5f, -1.25f});
  for (int z = 0; z < 10; ++z) {
    const bool isRoad = z == 4 || z == 5;
    base.fill(0, 0, z, 11, 0, z, soil);
    base.fill(0, 1, z, 11, 1, z, isRoad ? road : (z % 2 ? grass : grassDark));
  }
  for (int x = 1; x < 12; x += 3) base.addBox({-1.5f + x * 0.25f, -0.02f, -0.02f}, {-1.5f + x * 0.25f + 0.4f, 0.005f, 0.02f}, dash);
  Mesh mesh{{"base", base.mesh()}};
  for (Mesh part : {hero("penguin", 1.05f, -0.85f, -0.55f), hero("duck", 0.85f, 0.9f, -0.6f),
                    hero("chicken", 1.25f, 0.05f, 0.6f)})
    mesh.insert(mesh.end(), part.begin(), part.end());
  return mesh;
}

}  // namespace

void generateHopgames(const std::filesystem::path& outdir) {
  stageFonts("hopgames", outdir);
  savePng(renderIcon(collection(), 160), outdir / "hero.png", PixelFormat::Rgba32);
}

static const GameRegistration registration{"hopgames", generateHopgames};
static const HeroRegistration hero{"collection", collection};

}  // namespace assetgen
