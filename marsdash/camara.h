// The default view's camera record and its scroll, which follows the hops
// one cell at a time and pulls back once the goal is reached.
#pragma once

namespace marsdash {

class Astronauta;

struct Camara {
    static constexpr float kVelocidad = 15.0f;      // scroll, units per second per axis
    static constexpr float kVelocidadMeta = 35.0f;
    static constexpr float kMetaX = -33.6f;

    float ojo[3] = {48, 10, -5};
    float mira[3] = {55, 0, 0};
    bool salto = false;       // a hop started this frame
    float anguloSalto = 0;    // its heading
    float desplazX = -30, desplazZ = -20;  // scroll offset
    float objetivoX = -30, objetivoZ = -20;
    float velocidad = kVelocidad;

    void update(const Astronauta& astronauta, float dt);
    bool enObjetivo() const { return desplazX == objetivoX && desplazZ == objetivoZ; }
    // The quarter turns (0..3) to add to the arrows' headings so that Left
    // and Right still hop toward the screen's left and right once the board
    // has been dragged round by `arrastre` degrees: 0 until a turn makes the
    // Left arrow's hop go less than a quarter of the way left on screen,
    // then the turn whose Left goes left and lies nearest where it went at
    // the start.
    int cuartosFlechas(float arrastre) const;
};

// The parked ships: the crashed one behind the start and the rescue ship
// beyond the goal, which takes off once the camera has pulled back.
struct NaveRescate {
    static constexpr float kSubida = 10.0f;  // units per second
    float altura = 0;
    bool despegando = false;
    void update(bool astronautaEnMeta, bool camaraLista, float dt);
};

}  // namespace marsdash
