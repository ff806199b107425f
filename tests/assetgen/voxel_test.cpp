#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "voxel.h"

using namespace assetgen;

namespace {

const Rgba kRed = rgb(220, 40, 40), kBlue = rgb(40, 60, 220), kGreen = rgb(40, 200, 60);

Vec3 sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

float area(const Quad& q) {
  const Vec3 c = cross(sub(q.corners[1], q.corners[0]), sub(q.corners[3], q.corners[0]));
  return std::sqrt(dot(c, c));
}

float totalArea(const std::vector<Quad>& quads) {
  float a = 0;
  for (const Quad& q : quads) a += area(q);
  return a;
}

// Each quad must be a planar rectangle on its face's plane, wound
// counter-clockwise when seen from the side its face points to.
void expectWellFormed(const std::vector<Quad>& quads) {
  for (const Quad& q : quads) {
    const Vec3 n = faceNormal(q.face);
    for (int i = 0; i < 4; ++i) {
      const Vec3 a = q.corners[std::size_t(i)], b = q.corners[std::size_t((i + 1) % 4)],
                 c = q.corners[std::size_t((i + 2) % 4)];
      const Vec3 turn = cross(sub(b, a), sub(c, b));
      EXPECT_GT(dot(turn, n), 0.f) << "face " << q.face << " corner " << i;
      EXPECT_NEAR(dot(sub(b, a), n), 0.f, 1e-6f);
    }
  }
}

std::size_t countFace(const std::vector<Quad>& quads, int face) {
  std::size_t n = 0;
  for (const Quad& q : quads) n += q.face == face;
  return n;
}

}  // namespace

TEST(Voxel, SingleCellIsSixOutwardFacesOfItsSize) {
  VoxelModel m(0.5f, Vec3{1.f, 2.f, 3.f});
  m.set(0, 0, 0, kRed);
  const auto quads = m.mesh();
  ASSERT_EQ(quads.size(), 6u);
  expectWellFormed(quads);
  std::set<int> faces;
  for (const Quad& q : quads) {
    faces.insert(q.face);
    EXPECT_FLOAT_EQ(area(q), 0.25f);
    for (const Vec3& c : q.corners) {  // cell (0,0,0) spans origin .. origin + 0.5
      EXPECT_TRUE(c.x == 1.f || c.x == 1.5f);
      EXPECT_TRUE(c.y == 2.f || c.y == 2.5f);
      EXPECT_TRUE(c.z == 3.f || c.z == 3.5f);
    }
  }
  EXPECT_EQ(faces.size(), 6u);
}

TEST(Voxel, TouchingCellsHideTheirSharedFaces) {
  VoxelModel m;
  m.set(0, 0, 0, kRed);
  m.set(1, 0, 0, kBlue);  // different colours: no merging, only culling
  const auto quads = m.mesh();
  EXPECT_EQ(quads.size(), 10u);
  for (const Quad& q : quads) {
    bool onSharedPlane = true;
    for (const Vec3& c : q.corners) onSharedPlane = onSharedPlane && c.x == 1.f;
    EXPECT_FALSE(onSharedPlane) << "face " << q.face << " between the two cells survived";
  }
  // A cell buried in a 3x3x3 block contributes nothing.
  VoxelModel block;
  block.fill(-1, -1, -1, 1, 1, 1, kRed);
  block.set(0, 0, 0, kBlue);
  for (const Quad& q : block.mesh()) EXPECT_NE(q.colour, kBlue);
  EXPECT_FLOAT_EQ(totalArea(block.mesh()), 54.f);
}

TEST(Voxel, GreedyMergingJoinsOnlySameColouredCoplanarFaces) {
  VoxelModel solid;
  solid.fill(0, 0, 0, 3, 2, 1, kRed);  // 4 x 3 x 2 box
  const auto box = solid.mesh();
  EXPECT_EQ(box.size(), 6u);
  EXPECT_FLOAT_EQ(totalArea(box), 2.f * (4 * 3 + 4 * 2 + 3 * 2));
  expectWellFormed(box);

  VoxelModel checker;
  for (int x = 0; x < 3; ++x)
    for (int z = 0; z < 3; ++z) checker.set(x, 0, z, (x + z) % 2 ? kRed : kBlue);
  const auto c = checker.mesh();
  EXPECT_EQ(countFace(c, PosY), 9u);  // no two neighbours share a colour
  EXPECT_EQ(countFace(c, PosX), 3u);

  // An L seen from above: the two arms cannot form one rectangle.
  VoxelModel ell;
  ell.fill(0, 0, 0, 2, 0, 0, kGreen);
  ell.fill(0, 0, 1, 0, 0, 2, kGreen);
  const auto l = ell.mesh();
  EXPECT_EQ(countFace(l, PosY), 2u);
  EXPECT_EQ(countFace(l, NegY), 2u);
  EXPECT_FLOAT_EQ(totalArea(l), 2.f * 5.f + 12.f);
  expectWellFormed(l);

  // A hole splits a face; erase must really remove the cell.
  VoxelModel ring;
  ring.fill(0, 0, 0, 2, 0, 2, kRed);
  ring.erase(1, 0, 1);
  EXPECT_FALSE(ring.has(1, 0, 1));
  EXPECT_EQ(ring.cellCount(), 8u);
  EXPECT_FLOAT_EQ(totalArea(ring.mesh()), 2.f * 8.f + 12.f + 4.f);
}

TEST(Voxel, FaceColoursAndFreeBoxes) {
  VoxelModel m;
  m.fill(0, 0, 0, 2, 0, 0, kRed);
  m.setFace(2, 0, 0, PosX, kBlue);
  m.setFace(5, 5, 5, PosX, kBlue);  // no such cell: ignored
  EXPECT_EQ(m.cellCount(), 3u);
  const auto quads = m.mesh();
  for (const Quad& q : quads) EXPECT_EQ(q.colour, q.face == PosX ? kBlue : kRed);

  VoxelModel boxes;
  boxes.addBox({0, 0, 0}, {1, 2, 3}, {kRed, kRed, kGreen, kBlue, kRed, kRed});
  const auto b = boxes.mesh();
  ASSERT_EQ(b.size(), 6u);
  expectWellFormed(b);
  EXPECT_FLOAT_EQ(totalArea(b), 2.f * (2 + 3 + 6));
  for (const Quad& q : b) {
    const Rgba expected = q.face == PosY ? kGreen : q.face == NegY ? kBlue : kRed;
    EXPECT_EQ(q.colour, expected) << q.face;
  }
  EXPECT_THROW(VoxelModel(0.f), std::invalid_argument);
}
