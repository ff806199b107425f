// The board: rows of tiles, the bounds of free movement and the cell grid.
#pragma once

#include <array>
#include <memory>

#include "fila.h"

namespace boardhop {

struct Vec2 {
    float x, y;
};

struct Bounds {
    float left, right, bottom, top;
};

class Tablero : public Objeto {
public:
    static constexpr int kMaxRows = 50;

    void place(float px, float py, float pz) override;
    MoveResult collide(const Objeto& other) override;
    void draw() override;
    void update(std::uint32_t elapsedMs) override;
    virtual MoveResult stepResult(int column, int row) const;

    bool inside(int column, int row) const;
    Vec2 cellToWorld(int column, int row) const;
    Vec2 centre() const;
    Bounds bounds() const;
    // The tile at a cell, or null outside the board.
    Casilla* tileAt(int column, int row) const;
    void setTexturesOn(bool on);

    int columns = 0;
    int rows = 0;
    std::array<std::unique_ptr<Fila>, kMaxRows> rowList;
};

// The one level: 9 columns by 15 rows.
class Level1 : public Tablero {
public:
    explicit Level1(bool withModels = true);
};

}  // namespace boardhop
