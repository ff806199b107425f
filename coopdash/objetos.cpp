#include "objetos.h"

#include <cmath>
#include <memory>

#include "playfield.h"

namespace coopdash {

Object::Object(int k, const char* model, Vec3 p, Vec3 half)
    : kind(k), position(p), halfExtent(half), modelName(model) {}

void Object::update(double) {}

bool overlaps(const Object& a, const Object& b) {
    return std::fabs(a.position.x - b.position.x) <= a.halfExtent.x + b.halfExtent.x &&
           std::fabs(a.position.y - b.position.y) <= a.halfExtent.y + b.halfExtent.y &&
           std::fabs(a.position.z - b.position.z) <= a.halfExtent.z + b.halfExtent.z;
}

Pollo::Pollo() : Object(KindPollo, "pollo.obj", {}, {0.16, 0.46, 0.23}) {}

Arbol::Arbol(double x, double y, double z) : Object(KindArbol, "tree_blocks.obj", {x, y, z}, {0.07, 1.2, 0.07}) {}

Moneda::Moneda(double x, double y, double z) : Object(KindMoneda, "moneda.obj", {x, y, z}, {0.15, 1.0, 0.15}) {}

void Moneda::update(double dt) { heading = std::fmod(heading + 0.36 * dt, 360.0); }

Fantasma::Fantasma() : Object(KindFantasma, "fantasma.obj", {}) {}

Cruce::Cruce(int k, const char* model, Vec3 half, Vec3 s, Vec3 e, double time)
    : Object(k, model, s, half), start(s), end(e), crossTime(time) {}

void Cruce::update(double dt) {
    if (elapsed < crossTime && !removed) {
        elapsed += dt;
        // The last step lands on the end, never beyond it.
        const double t = elapsed < crossTime ? elapsed / crossTime : 1.0;
        position.x = start.x + (end.x - start.x) * t;
        position.y = start.y + (end.y - start.y) * t;
        position.z = start.z + (end.z - start.z) * t;
    } else {
        removed = true;
    }
}

Auto::Auto(Vec3 s, Vec3 e, double time) : Cruce(KindAuto, "sedan.obj", {0.5, 0.5, 0.3}, s, e, time) {
    if (e.x > s.x) heading = 180;
}

Tren::Tren(Vec3 s, Vec3 e) : Cruce(KindTren, "train.obj", {3.55, 0.84, 0.3}, s, e, kCrossTime) {}

Pasto::Pasto(double z) : Object(KindPasto, "grass.obj", {0, 0, z}) {}

Calle::Calle(Playfield& field, double z, int r) : Object(KindCalle, "calle.obj", {0, 0, z}), field_(field) {
    textureName = "calle.png";
    spawnInterval = double(r % 10000 + 2000);
    carCrossTime = double(r % 20000 + 8000);
    const double from = r % 2 == 0 ? 12 : -12;
    start = {from, 0, z};
    end = {-from, 0, z};
}

void Calle::update(double dt) {
    countdown -= dt;
    if (countdown < 0) {
        countdown = spawnInterval;
        field_.addObject(std::make_unique<Auto>(start, end, carCrossTime));
    }
}

Via::Via(Playfield& field, double z, int r)
    : Object(KindVia, "via.obj", {0, 0, z}), start{15, 0, z}, end{-15, 0, z}, field_(field) {
    spawnInterval = double(r % 20000 + 10000);
}

void Via::update(double dt) {
    countdown -= dt;
    if (countdown < 0) {
        countdown = spawnInterval;
        field_.addObject(std::make_unique<Tren>(start, end));
    }
}

}  // namespace coopdash
