#include "fila.h"

#include <algorithm>

namespace boardhop {

Fila::Fila(int n) : count(std::clamp(n, 0, kMaxTiles)) {}

Fila::Fila(int n, std::vector<std::unique_ptr<Casilla>> list) : Fila(std::min<int>(n, int(list.size()))) {
    for (int i = 0; i < count; ++i) tiles[i] = std::move(list[i]);
}

void Fila::place(float px, float py, float pz) {
    Objeto::place(px, py, pz);
    for (int i = 0; i < count; ++i) tiles[i]->place(px + kPitch * i, py, pz);
}

MoveResult Fila::collide(const Objeto& other) {
    for (int i = 0; i < count; ++i) {
        const MoveResult r = tiles[i]->collide(other);
        if (r != Free) return r;
    }
    return Free;
}

void Fila::update(std::uint32_t elapsedMs) {
    for (int i = 0; i < count; ++i) tiles[i]->update(elapsedMs);
}

Desierto::Desierto(int n) : Fila(n) {
    for (int c = 0; c < count; ++c) tiles[c] = std::make_unique<Tierra>();
}

Bosque::Bosque(int n, bool withModels) : Fila(n) {
    for (int c = 0; c < count; ++c) {
        if (c % 5 == 3 || c % 5 == 4)
            tiles[c] = std::make_unique<Tierra>();
        else
            tiles[c] = std::make_unique<Arbol>(withModels);
    }
}

Rio::Rio(int n) : Fila(n) {
    for (int c = 0; c < count; ++c) tiles[c] = std::make_unique<Tierra>();
}

}  // namespace boardhop
