// Voxel models: integer cells with a colour per face, plus free axis-aligned
// boxes, turned into the quads of their visible surface.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "image.h"

namespace assetgen {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

// Face directions; axis = face / 2, and odd faces look down their axis.
enum Face { PosX = 0, NegX = 1, PosY = 2, NegY = 3, PosZ = 4, NegZ = 5 };
constexpr int kFaceCount = 6;
Vec3 faceNormal(int face);

// One flat rectangle of a model's surface. Corners run counter-clockwise seen
// from outside (the side `face` points to), in model units.
struct Quad {
  std::array<Vec3, 4> corners;
  int face = PosY;
  Rgba colour;
};

// A named piece of a mesh; the OBJ writer can emit each as an `o`/`g` group.
struct MeshPart {
  std::string name;
  std::vector<Quad> quads;
};
using Mesh = std::vector<MeshPart>;

class VoxelModel {
 public:
  // Cell (i, j, k) spans origin + voxelSize * [i, i+1] x [j, j+1] x [k, k+1].
  explicit VoxelModel(float voxelSize = 1.f, Vec3 origin = {});

  void set(int x, int y, int z, Rgba c);
  // Recolours one face of an existing cell (e.g. the cut end of a log);
  // ignored where there is no cell.
  void setFace(int x, int y, int z, int face, Rgba c);
  // Every cell with x0 <= x <= x1 etc. (bounds inclusive, in either order).
  void fill(int x0, int y0, int z0, int x1, int y1, int z1, Rgba c);
  void erase(int x, int y, int z);
  bool has(int x, int y, int z) const;
  std::size_t cellCount() const { return cells_.size(); }

  // Free boxes are not culled against cells or each other: keep them for
  // details that do not sit on the grid (whiskers, thin slabs, coconuts).
  void addBox(Vec3 lo, Vec3 hi, Rgba c);
  void addBox(Vec3 lo, Vec3 hi, const std::array<Rgba, kFaceCount>& faces);

  // The visible surface: a cell face appears only where the neighbouring cell
  // is empty, and coplanar neighbouring faces of one colour merge greedily
  // into rectangles.
  std::vector<Quad> mesh() const;

 private:
  using Key = std::array<int, 3>;
  struct Box {
    Vec3 lo, hi;
    std::array<Rgba, kFaceCount> faces;
  };
  float size_;
  Vec3 origin_;
  std::map<Key, std::array<Rgba, kFaceCount>> cells_;  // ordered: output is deterministic
  std::vector<Box> boxes_;
};

// The six quads of an axis-aligned box.
std::vector<Quad> boxQuads(Vec3 lo, Vec3 hi, const std::array<Rgba, kFaceCount>& faces);

}  // namespace assetgen
