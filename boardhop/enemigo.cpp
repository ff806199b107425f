#include "enemigo.h"

#include <algorithm>
#include <cmath>

#include "mesh.h"
#include "tablero.h"

namespace boardhop {

namespace {
constexpr float kRowLength = 8.08f;  // the distance both travel per crossing
}

Enemigo::Enemigo(float px, float py, float time, Tablero& b, bool withModel) : crossTime(time), board(b) {
    x = px;
    y = py;
    if (withModel) {
        model = std::make_unique<MeshModel>(MeshModel::Vec3{-1, 0, 0}, "Modelos3D/seal/seal128.png",
                                            "Modelos3D/seal/Seal.obj");
        model->setScale(0.12f);
        model->keepColoursUntextured();
        model->setRotation(-90, -90, 0);
    }
}

Enemigo::~Enemigo() = default;

int Enemigo::columnAt(float atX) const {
    // Nearest tile centre, halves away from zero, kept on the board.
    const long c = std::lround(atX / Fila::kPitch);
    return int(std::clamp<long>(c, 0, std::max(0, board.columns - 1)));
}

void Enemigo::setDanger(float atX, bool on) {
    if (Casilla* tile = board.tileAt(columnAt(atX), int(std::floor(y)))) tile->danger = on;
}

void Enemigo::update(std::uint32_t elapsedMs) {
    if (x > 0) {
        setDanger(x, false);
        x -= elapsedMs * kRowLength / crossTime;
        setDanger(x, true);
    } else {
        setDanger(x, false);
        x = kStartX;
    }
}

void Enemigo::setTexturesOn(bool on) {
    texturesOn = on;
    if (model) model->setTexturesOn(on);
}

Tronco::Tronco(float px, float py, float time, bool withModel) : crossTime(time) {
    x = px;
    y = py;
    if (withModel) {
        model = std::make_unique<MeshModel>(MeshModel::Vec3{-1, 0, 0}, "Modelos3D/woodbranch/woodbranch.png",
                                            "Modelos3D/woodbranch/woodbranch.obj");
        model->setScale(0.4f);
        model->keepColoursUntextured();
        model->setRotation(-90, 0, 0);
    }
}

Tronco::~Tronco() = default;

void Tronco::update(std::uint32_t elapsedMs) {
    if (x > 0)
        x -= elapsedMs * kRowLength / crossTime;
    else
        x = Enemigo::kStartX;
}

void Tronco::setTexturesOn(bool on) {
    texturesOn = on;
    if (model) model->setTexturesOn(on);
}

}  // namespace boardhop
