#include "mundo.h"

#include <cmath>
#include <cstdlib>

namespace henrun {

namespace {
constexpr float kCorridor = 39.8f;   // |x| beyond this kills
constexpr float kBehindStart = -35.f;  // z beyond this (backwards) kills
constexpr float kTreeSize = 1.8f;
constexpr float kTruckLength = 9.5f;
constexpr float kRoadEnd = Fila::kRowWidth;  // trucks run to row x + 100
constexpr float kPi = 3.14159265358979f;
}  // namespace

Gallina::Gallina() {
  x = 0.f;
  y = 1.2f;
  z = -40.f;
  speed = 0.3f;
  heading = 270;
  scaleX = scaleY = scaleZ = 0.1f;
  modelPath = "../Modelos/gallina_plonkito.obj";
  texturePath = "../Texturas/texture_voxmold.png";
}

Arbol::Arbol(float s) {
  heading = 180;
  scaleX = 2.f;
  scaleY = s;
  scaleZ = 2.f;
  depth = length = kTreeSize;
  height = 3.f;
  modelPath = "../Modelos/tree.obj";
  texturePath = "../Texturas/tree.png";
}

Camion::Camion(float x0, float y0, float z0, float v) {
  x = x0;
  y = y0;
  z = z0;
  speed = v;
  heading = 180;
  scaleX = 0.3f;
  scaleY = scaleZ = 0.45f;
  depth = 4.f;
  length = kTruckLength;
  modelPath = "../Modelos/camion_plonkito.obj";
  texturePath = "../Texturas/texture_voxmold.png";
}

void plantTrees(Pasto& row) {
  for (int k = 1; k <= 18; ++k) {
    const int r = std::rand() % 4;
    const int c = std::rand() % 3;
    if (c != 1) continue;
    auto tree = std::make_unique<Arbol>(1.5f + float(std::rand() % 9 + 1) / 10.f);
    tree->x = row.x + 5.f * float(k) + float(r + 1);
    tree->y = row.y;
    tree->z = row.z - 1.f;
    row.trees.push_back(std::move(tree));
  }
}

void placeTrucks(Calle& row) {
  const int n = std::rand() % 3 + 1;
  const int gap = std::rand() % 10 + 11;
  for (int j = 0; j < n; ++j)
    row.trucks.push_back(std::make_unique<Camion>(row.x + float(j * gap), row.y, row.z, row.laneSpeed));
}

void RowSet::add(bool grass, bool withTrees) {
  const int i = int(rows_.size());
  std::unique_ptr<Fila> row;
  if (grass) {
    auto p = std::make_unique<Pasto>();
    p->shade = float(i % 2);
    row = std::move(p);
  } else {
    auto c = std::make_unique<Calle>();
    c->laneSpeed = float(std::rand() % 8 + 3) / 100.f;
    row = std::move(c);
  }
  row->indice = i;
  row->x = kOriginX;
  row->y = 0.f;
  row->z = -Fila::kRowDepth * float(i);
  if (grass && withTrees) plantTrees(static_cast<Pasto&>(*row));
  if (!grass) placeTrucks(static_cast<Calle&>(*row));
  rows_.push_back(std::move(row));
}

void RowSet::generate() {
  rows_.clear();
  for (int i = 0; i <= 30; ++i) {
    if (i <= 7)
      add(true, true);
    else if (i <= 10)
      add(true, false);
    else
      add(std::rand() % 2 == 0, true);
  }
}

void RowSet::append() { add(std::rand() % 2 == 0, true); }

std::pair<std::size_t, std::size_t> RowSet::visible(float henZ) const {
  // henZ - 60 < -4 i < henZ + 50  <=>  -(henZ + 50) / 4 < i < (60 - henZ) / 4
  const double lo = -(double(henZ) + 50.0) / Fila::kRowDepth;
  const double hi = (60.0 - double(henZ)) / Fila::kRowDepth;
  long first = long(std::floor(lo)) + 1;
  long last = long(std::ceil(hi));  // exclusive
  if (first < 0) first = 0;
  if (last > long(rows_.size())) last = long(rows_.size());
  if (last < first) last = first;
  return {std::size_t(first), std::size_t(last)};
}

bool moveTrucks(Calle& road, Gallina& hen, float speedFactor, int dtMs) {
  bool hit = false;
  for (auto& truck : road.trucks) {
    if (truck->x <= road.x + kRoadEnd) {
      truck->x += speedFactor * truck->speed * float(dtMs) / 20.f;
      const float tz = std::fabs(truck->z), hz = std::fabs(hen.z);
      if (tz <= hz && hz <= tz + truck->depth && truck->x <= hen.x && hen.x <= truck->x + truck->length) hit = true;
    } else {
      truck->x = road.x - kTruckLength;
    }
  }
  return hit;
}

bool henBlocked(const Gallina& hen, const RowSet& rows) {
  if (std::fabs(hen.x) > kCorridor || hen.z > kBehindStart) return true;
  // A tree stands 1 to 2.8 units into its row, so only the hen's own row
  // (and its neighbours, for safety at the seams) can hold it.
  const long row = long(std::floor(std::fabs(hen.z) / Fila::kRowDepth));
  for (long i = row - 1; i <= row + 1; ++i) {
    if (i < 0 || i >= long(rows.size()) || rows[std::size_t(i)].esCalle()) continue;
    for (const auto& tree : static_cast<const Pasto&>(rows[std::size_t(i)]).trees) {
      const float tz = std::fabs(tree->z), hz = std::fabs(hen.z);
      if (tree->x <= hen.x && hen.x <= tree->x + tree->length && tz <= hz && hz <= tz + tree->depth) return true;
    }
  }
  return false;
}

bool steerHen(Gallina& hen, const Teclas& keys, float speedFactor, int dtMs) {
  const int turn = 4 * dtMs / 20;
  if (!keys.up) {
    if (keys.right)
      hen.heading -= turn;
    else if (keys.left)
      hen.heading += turn;
    return false;
  }
  const float h = float(hen.heading) * kPi / 180.f;
  const float v = hen.speed * speedFactor;
  hen.x -= std::cos(h) * v * float(dtMs) / 20.f;
  hen.z += std::sin(h) * v * float(dtMs) / 20.f;
  if (keys.left && !keys.right) hen.heading += turn;
  if (keys.right && !keys.left) hen.heading -= turn;
  return true;
}

int rowsGained(float henZ) {
  const long r = long(std::floor(henZ / Fila::kRowDepth));
  return int(std::labs(r) - 11);
}

}  // namespace henrun
