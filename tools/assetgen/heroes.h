// Each game's hero, by name, for pictures made outside the game's own files
// (the desktop icons). A game registers its hero beside its generator:
//   static const HeroRegistration hero{"penguin", penguin};
// Heroes are built y up, facing +z, like the models the games load.
#pragma once

#include <string>
#include <vector>

#include "image.h"
#include "voxel.h"

namespace assetgen {

struct Hero {
  const char* name;
  Mesh (*build)();
};

// Sorted by name.
const std::vector<Hero>& heroes();
const Hero* findHero(const std::string& name);

struct HeroRegistration {
  HeroRegistration(const char* name, Mesh (*build)());
};

// The mesh seen from the front, to its right and above, flat-shaded per face
// and fitted into a transparent size x size picture (4x supersampled).
Image renderIcon(const Mesh& mesh, int size);

// Writes <dir>/<n>x<n>/apps/<icon>.png for n = 48, 128 and 256.
void writeIcons(const Mesh& mesh, const std::filesystem::path& dir, const std::string& icon);

}  // namespace assetgen
