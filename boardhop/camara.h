// The camera: six views cycled with v, turned with the mouse and zoomed with
// the wheel. update() works out the look centre and the orthographic box;
// draw() loads the projection and view matrices.
#pragma once

#include "objeto.h"

union SDL_Event;

namespace boardhop {

class Jugador;
class Tablero;

class Camara : public Objeto {
public:
    static constexpr int kModes = 6;

    Camara(Jugador& player, Tablero& board, float aspect);
    void handleEvent(const SDL_Event& event);
    void nextMode();
    void update(std::uint32_t elapsedMs) override;
    void draw() override;
    bool perspective() const { return mode >= 4; }

    bool dragging = false;
    float zoom = 0, yaw = 0, pitch = 0;
    float left = 0, right = 0, bottom = 0, top = 0, nearPlane = 0, farPlane = 0;
    float tracked[3] = {0, 0, 0};
    float centreX = 0, centreY = 0, centreZ = 0;
    float aspect;
    int mode = 0;
    Jugador& player;
    Tablero& board;

private:
    void computeBox();
};

}  // namespace boardhop
