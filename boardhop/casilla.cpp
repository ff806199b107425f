#include "casilla.h"

#include <cmath>

#include "mesh.h"

namespace boardhop {

namespace {
constexpr float kTouch = 0.25f;        // distance under which a tile counts as entered
constexpr float kScrollPerMs = 0.001f; // water texture turns once a second
}  // namespace

Casilla::~Casilla() = default;

bool within(const Objeto& a, const Objeto& b, float limit) {
    const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz) < limit;
}

Tierra::Tierra() { color[0] = 0; color[1] = 0; color[2] = 0; color[3] = 1; }

Agua::Agua() { color[0] = 0; color[1] = 0; color[2] = 0; color[3] = 1; }

MoveResult Agua::collide(const Objeto& other) { return within(*this, other, kTouch) ? Death : Free; }

void Agua::update(std::uint32_t elapsedMs) {
    scroll += elapsedMs * kScrollPerMs;
    // A long first frame can add several whole turns at once.
    if (scroll >= 1) scroll = std::fmod(scroll, 1.0f);
}

Arbol::Arbol(bool withModel) {
    color[0] = 0; color[1] = 1; color[2] = 0; color[3] = 1;
    if (!withModel) return;
    palm = std::make_unique<MeshModel>(MeshModel::Vec3{-1, 0, 0}, "Modelos3D/palm/palm.png",
                                       "Modelos3D/palm/TREP.obj");
    palm->setRotation(-90, 0, 0);
    palm->setScale(1.0f);
}

Arbol::~Arbol() = default;

MoveResult Arbol::collide(const Objeto& other) { return within(*this, other, kTouch) ? Blocked : Free; }

void Arbol::setTexturesOn(bool on) {
    Casilla::setTexturesOn(on);
    if (palm) palm->setTexturesOn(on);
}

}  // namespace boardhop
