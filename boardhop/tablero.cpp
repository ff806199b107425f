#include "tablero.h"

#include <cstdio>
#include <vector>

namespace boardhop {

void Tablero::place(float px, float py, float pz) {
    Objeto::place(px, py, pz);
    for (int i = 0; i < rows; ++i) rowList[i]->place(px, py + Fila::kPitch * i, pz);
}

Bounds Tablero::bounds() const {
    const float right = columns > 0 ? (columns - 1) * Fila::kPitch + 0.5f : 0.0f;
    const float top = rows > 0 ? (rows - 1) * Fila::kPitch + 0.5f : 0.0f;
    return {columns > 0 ? -0.5f : 0.0f, right, rows > 0 ? -0.5f : 0.0f, top};
}

MoveResult Tablero::collide(const Objeto& other) {
    if (other.x < -0.5f) {
        std::printf("wtf?");
        std::fflush(stdout);
    }
    const Bounds b = bounds();
    if (other.x < b.left || other.x > b.right || other.y < b.bottom || other.y > b.top) return Blocked;
    for (int i = 0; i < rows; ++i) {
        const MoveResult r = rowList[i]->collide(other);
        if (r != Free) return r;
    }
    return Free;
}

void Tablero::update(std::uint32_t elapsedMs) {
    for (int i = 0; i < rows; ++i) rowList[i]->update(elapsedMs);
}

MoveResult Tablero::stepResult(int column, int row) const {
    if (!inside(column, row)) return Blocked;
    const Casilla* tile = tileAt(column, row);
    return tile ? tile->stepResult() : Blocked;
}

bool Tablero::inside(int column, int row) const {
    return column >= 0 && column < columns && row >= 0 && row < rows;
}

Vec2 Tablero::cellToWorld(int column, int row) const { return {Fila::kPitch * column, Fila::kPitch * row}; }

Vec2 Tablero::centre() const {
    return {columns > 0 ? (columns - 1) * 0.505f : 0.0f, rows > 0 ? (rows - 1) * 0.505f : 0.0f};
}

Casilla* Tablero::tileAt(int column, int row) const {
    if (!inside(column, row) || column >= rowList[row]->count) return nullptr;
    return rowList[row]->tiles[column].get();
}

void Tablero::setTexturesOn(bool on) {
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < rowList[r]->count; ++c) rowList[r]->tiles[c]->setTexturesOn(on);
}

namespace {

std::unique_ptr<Fila> waterRow(int n) {
    std::vector<std::unique_ptr<Casilla>> tiles;
    for (int c = 0; c < n; ++c) {
        if (c == 4)
            tiles.push_back(std::make_unique<Tierra>());
        else
            tiles.push_back(std::make_unique<Agua>());
    }
    return std::make_unique<Fila>(n, std::move(tiles));
}

}  // namespace

Level1::Level1(bool withModels) {
    columns = 9;
    rows = 15;
    const int n = columns;
    int r = 0;
    rowList[r++] = std::make_unique<Desierto>(n);  // 0: start row
    rowList[r++] = std::make_unique<Rio>(n);
    rowList[r++] = std::make_unique<Desierto>(n);
    rowList[r++] = std::make_unique<Bosque>(n, withModels);
    rowList[r++] = std::make_unique<Desierto>(n);  // 4: the seal's row
    rowList[r++] = waterRow(n);
    rowList[r++] = std::make_unique<Desierto>(n);  // 6: the log's row
    rowList[r++] = std::make_unique<Bosque>(n, withModels);
    rowList[r++] = std::make_unique<Desierto>(n);
    rowList[r++] = std::make_unique<Desierto>(n);
    rowList[r++] = std::make_unique<Desierto>(n);
    rowList[r++] = waterRow(n);
    rowList[r++] = std::make_unique<Desierto>(n);
    rowList[r++] = std::make_unique<Rio>(n);
    rowList[r++] = std::make_unique<Desierto>(n);
}

}  // namespace boardhop
