// The hen's world without any drawing: rows of grass with trees and roads
// with trucks, the hen and its steering, and the rules that kill it or score.
// World axes: x across the rows (trucks drive toward +x), y up, forward is -z;
// row i lies at z = -4 i and reaches 4 units further forward.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace henrun {

class Modelo;  // geometry and texture shared by objects of one kind (drawing side)

// Everything that stands in the world.
class ObjetoJuego {
 public:
  virtual ~ObjetoJuego() = default;
  virtual void draw() const {}

  float x = 0, y = 0, z = 0;
  float speed = 0;
  int heading = 0;  // degrees about +y
  float scaleX = 1, scaleY = 1, scaleZ = 1;
  float depth = 0, length = 0, height = 0;
  std::string modelPath, texturePath;
  const Modelo* modelo = nullptr;  // set by the drawing side; null draws nothing
};

// The hen: alive, or killed by a tree or the bounds, or by a truck.
class Gallina : public ObjetoJuego {
 public:
  enum Estado { Viva = 0, Golpeada = 1, Atropellada = 2 };
  Gallina();
  void draw() const override;
  int state = Viva;
};

class Arbol : public ObjetoJuego {
 public:
  explicit Arbol(float scaleY);
  void draw() const override;
};

class Camion : public ObjetoJuego {
 public:
  Camion(float x, float y, float z, float speed);
  void draw() const override;
};

// A row: grass (with trees) or road (with trucks), 4 deep and 100 wide from
// its x (always -50).
class Fila : public ObjetoJuego {
 public:
  static constexpr float kRowDepth = 4.f;
  static constexpr float kRowWidth = 100.f;
  virtual bool esCalle() const = 0;
  int indice = 0;
};

class Pasto : public Fila {
 public:
  void draw() const override;
  bool esCalle() const override { return false; }
  float shade = 0;  // 0 or 1: odd rows are the other green
  std::vector<std::unique_ptr<Arbol>> trees;
};

class Calle : public Fila {
 public:
  void draw() const override;
  bool esCalle() const override { return true; }
  float laneSpeed = 0;  // 0.03 .. 0.10
  std::vector<std::unique_ptr<Camion>> trucks;
};

// Rows in order, row i at index i. Rows are never dropped (the hen may walk
// back over every one), but each lookup by place costs the same however far
// the hen has come.
class RowSet {
 public:
  static constexpr float kOriginX = -50.f;
  // Rows 0..30: tree rows 0..7, the bare start area 8..10, then grass or road.
  void generate();
  // One more row past the last: grass with trees or a road with trucks.
  void append();
  std::size_t size() const { return rows_.size(); }
  Fila& operator[](std::size_t i) { return *rows_[i]; }
  const Fila& operator[](std::size_t i) const { return *rows_[i]; }
  // Indices [first, last) of the rows with henZ - 60 < row z < henZ + 50:
  // the rows drawn and moved.
  std::pair<std::size_t, std::size_t> visible(float henZ) const;

 private:
  void add(bool grass, bool withTrees);
  std::deque<std::unique_ptr<Fila>> rows_;
};

// Places up to 18 trees along a grass row (the row's x, y and z given).
void plantTrees(Pasto& row);
// 1..3 trucks 11..20 apart, at the lane's speed.
void placeTrucks(Calle& row);

// Keyboard state the hen is steered by.
struct Teclas {
  bool up = false, left = false, right = false;
};

// Moves the trucks of one road by dt ms; true when one hits the hen (the
// caller kills it). A truck past x = 50 re-enters whole at -59.5.
bool moveTrucks(Calle& road, Gallina& hen, float speedFactor, int dtMs);

// Steers the hen by the keys over dt ms: Up walks along the heading (then
// Left or Right alone turns); without Up, Right or else Left turns in place.
// Returns true when it walked. Turning is never sped up by speedFactor.
bool steerHen(Gallina& hen, const Teclas& keys, float speedFactor, int dtMs);

// True when the hen stands outside the corridor, behind the start, or in a tree.
bool henBlocked(const Gallina& hen, const RowSet& rows);

// Rows gained beyond the start area for a hen at z.
int rowsGained(float henZ);

}  // namespace henrun
