#include "jugador.h"

#include <SDL2/SDL_events.h>

#include "mesh.h"
#include "tablero.h"

namespace boardhop {

namespace {
constexpr float kCellHalf = 0.51f;  // offset past which free movement changes cell
}

Jugador::Jugador(Tablero& b, bool withModel) : board(b) {
    const Vec2 p = board.cellToWorld(0, 0);
    x = p.x;
    y = p.y;
    z = board.z;
    if (withModel) {
        model = std::make_unique<MeshModel>(MeshModel::Vec3{-1, 0, 0}, "Modelos3D/penguin/penguin.png",
                                            "Modelos3D/penguin/penguin.obj");
        model->setScale(0.5f);
        model->keepColoursUntextured();
        turnModel(0);
    }
}

Jugador::~Jugador() = default;

MoveResult Jugador::finishRun() {
    if (score > highScore) highScore = score;
    score = -1;
    return Free;
}

void Jugador::enterGridMode() {
    mode = Idle;
    snapToCell();
}

void Jugador::snapToCell() {
    offsetX = offsetY = 0;
    const Vec2 p = board.cellToWorld(column, row);
    x = p.x;
    y = p.y;
    z = board.z;
}

void Jugador::die() {
    dead = true;
    if (score > highScore) highScore = score;
    column = row = 0;
    snapToCell();
}

void Jugador::reachGoal() {
    score += 100;
    column = row = 0;
    snapToCell();
}

bool Jugador::onDangerTile() const {
    const Casilla* tile = board.tileAt(column, row);
    return tile && tile->danger;
}

void Jugador::settleCell() {
    if (offsetX > kCellHalf) {
        offsetX -= Fila::kPitch;
        column += 1;
    } else if (offsetX < -kCellHalf) {
        offsetX += Fila::kPitch;
        column -= 1;
    } else if (offsetY > kCellHalf) {
        offsetY -= Fila::kPitch;
        row += 1;
        score += 1;
    } else if (offsetY < -kCellHalf) {
        offsetY += Fila::kPitch;
        row -= 1;
    }
    if (onDangerTile()) dead = true;
}

void Jugador::update(std::uint32_t elapsedMs) {
    if (mode == FreeMove)
        updateFree(elapsedMs);
    else
        updateGrid();
}

void Jugador::updateGrid() {
    const int oldColumn = column, oldRow = row;
    int c = column, r = row;
    switch (mode) {
        case Left: c -= 1; break;
        case Right: c += 1; break;
        case Up: r += 1; break;
        case Down: r -= 1; break;
        default: break;
    }
    if (board.inside(c, r)) {
        column = c;
        row = r;
    }
    if (onDangerTile())
        dead = true;
    else
        mode = Idle;  // one key press, one hop

    const MoveResult result = board.stepResult(column, row);
    if (result == Blocked) {
        column = oldColumn;
        row = oldRow;
    } else if (result == Death) {
        die();
    } else {
        if (result == Goal) reachGoal();
        if (row > oldRow) score += 1;
    }
    if (dead) die();
    if (!dead) snapToCell();
}

void Jugador::updateFree(std::uint32_t elapsedMs) {
    const float oldX = x, oldY = y, oldZ = z;
    x += elapsedMs * velocity[0];
    y += elapsedMs * velocity[1];
    z += elapsedMs * velocity[2];
    switch (board.collide(*this)) {
        case Blocked:
            x = oldX;
            y = oldY;
            z = oldZ;
            break;
        case Death: die(); break;
        case Goal: reachGoal(); break;
        case Free:
            offsetX += elapsedMs * velocity[0];
            offsetY += elapsedMs * velocity[1];
            height += elapsedMs * velocity[2];
            settleCell();
            if (dead) die();
            break;
    }
}

void Jugador::handleEvent(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN) {
        int newMode = -1;
        float yaw = 0;
        switch (event.key.keysym.sym) {
            case SDLK_LEFT: newMode = Left; velocity[0] = -kSpeed; yaw = -90; break;
            case SDLK_RIGHT: newMode = Right; velocity[0] = kSpeed; yaw = 90; break;
            case SDLK_DOWN: newMode = Down; velocity[1] = -kSpeed; yaw = -180; break;
            case SDLK_UP: newMode = Up; velocity[1] = kSpeed; yaw = 0; break;
            default: return;
        }
        if (mode != FreeMove) mode = newMode;
        turnModel(yaw);
    } else if (event.type == SDL_KEYUP) {
        switch (event.key.keysym.sym) {
            case SDLK_LEFT:
            case SDLK_RIGHT: velocity[0] = 0; break;
            case SDLK_UP:
            case SDLK_DOWN: velocity[1] = 0; break;
            default: break;
        }
    }
}

void Jugador::turnModel(float yDegrees) {
    if (model) model->setRotation(-90, yDegrees, 0);
}

void Jugador::setTexturesOn(bool on) {
    texturesOn = on;
    if (model) model->setTexturesOn(on);
}

}  // namespace boardhop
