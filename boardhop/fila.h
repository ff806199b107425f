// Rows of tiles. A row owns its tiles; the row kinds differ only in how
// their constructors fill them.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "casilla.h"

namespace boardhop {

class Fila : public Objeto {
public:
    static constexpr int kMaxTiles = 50;
    static constexpr float kPitch = 1.01f;  // tile centre to tile centre

    // Takes the first n tiles of the list, in column order.
    Fila(int n, std::vector<std::unique_ptr<Casilla>> list);
    void place(float px, float py, float pz) override;
    MoveResult collide(const Objeto& other) override;
    void draw() override;
    void update(std::uint32_t elapsedMs) override;

    int count = 0;
    std::array<std::unique_ptr<Casilla>, kMaxTiles> tiles;

protected:
    explicit Fila(int n);
};

class Desierto : public Fila {
public:
    explicit Desierto(int n);
};

class Bosque : public Fila {
public:
    explicit Bosque(int n, bool withModels = true);
};

class Rio : public Fila {
public:
    explicit Rio(int n);
};

}  // namespace boardhop
