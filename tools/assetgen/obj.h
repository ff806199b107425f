// Wavefront OBJ/MTL output for voxel meshes, with the palette texture their
// UVs point into and the transform into the frame a game expects.
#pragma once

#include <array>
#include <filesystem>
#include <string>

#include "image.h"
#include "voxel.h"

namespace assetgen {

// Uniform scale, quarter-turn rotations and translation, applied in the order
// the builder calls are made: Transform().rotate(0, -1).scale(2) first turns,
// then scales. Rotations follow the right-hand rule (rotate(1, 1) takes +z to +x).
class Transform {
 public:
  Transform& rotate(int axis, int quarterTurns);
  Transform& scale(float s);  // s > 0: a mirror would turn faces inside out
  Transform& translate(Vec3 t);
  Vec3 point(Vec3 p) const;
  Vec3 direction(Vec3 d) const;  // rotation only

 private:
  int r_[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  double s_ = 1.0;
  double t_[3] = {0, 0, 0};
};

// Square texture of colour swatches. Every face samples the centre of its
// swatch, so with swatches of 8 pixels or more linear filtering and mipmaps
// down to a few levels never mix in a neighbour.
class Palette {
 public:
  explicit Palette(int imageSize = 64, int swatch = 8);
  // Index of the colour, adding it if new; throws when the texture is full.
  int index(Rgba c);
  int size() const { return int(colours_.size()); }
  Rgba colour(int i) const { return colours_.at(std::size_t(i)); }
  // Swatch centre in OBJ texture coordinates: v = 0 is the bottom row of the
  // image as stored in the file (the first row OpenGL receives from FreeImage).
  std::array<float, 2> uv(int i) const;
  // Opaque image; the swatch of colour i covers pixels [col*s, col*s+s) x [row*s, row*s+s)
  // with row 0 at the top.
  Image image() const;
  int imageSize() const { return imageSize_; }
  int swatch() const { return swatch_; }

 private:
  int imageSize_, swatch_;
  std::vector<Rgba> colours_;
};

enum class Corners { PosTexNormal, PosNormal, PosTex, Pos };  // p/t/n, p//n, p/t, p

struct ObjOptions {
  std::string comment;         // "# ..." first line when not empty
  bool objectPerPart = false;  // "o <part name>"
  bool groupPerPart = false;   // "g <part name>"
  bool usemtlPerPart = false;  // "usemtl <part name>": parts named after the materials a game colours by
  std::string mtlLib;          // "mtllib <name>" and one "usemtl c<i>" per palette colour when set
  bool quads = false;          // four corners per face instead of two triangles
  Corners corners = Corners::PosTexNormal;
  Transform transform;
  // Side faces get normal (n + lift * up) normalised, up being model +y, so a
  // model lit from straight above still shows its sides (1 gives 45 degrees).
  float sideNormalLift = 0.f;
  // Colour multiplier per face direction (indexed by Face), baked into the palette.
  std::array<float, kFaceCount> shade{1.f, 1.f, 1.f, 1.f, 1.f, 1.f};
};

// Numbers as the OBJ file spells them: '.' decimal point whatever the process
// locale, at most five decimals, no trailing zeros, never "-0".
std::string formatNumber(double v);
// The OBJ text; palette colours are added for each (shaded) face colour.
std::string objText(const Mesh& mesh, Palette& palette, const ObjOptions& options);
// One material "c<i>" per palette colour: Kd from the colour, map_Kd the texture.
std::string mtlText(const Palette& palette, const std::string& textureFile);

// Writes obj (and the MTL beside it when options.mtlLib is set) plus the
// palette texture as an opaque PNG, all of a fresh palette.
void writeModel(const Mesh& mesh, const std::filesystem::path& objFile, const std::filesystem::path& pngFile,
                const ObjOptions& options, int paletteSize = 64, int swatch = 8);

}  // namespace assetgen
