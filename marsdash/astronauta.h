// The player: hops one cell at a time, is squashed by crossing ships and
// struck by the meteor when it stands too long without a new best row.
// Positions are in model space, 2.5 times finer than world units (the model
// is drawn at scale 0.4), so a one-cell hop is 20 model units.
#pragma once

namespace marsdash {

class Mapa;
class Meteorito;

constexpr float kModeloAMundo = 0.4f;

class Astronauta {
public:
    static constexpr float kVelocidadSalto = 75.0f;  // model units per second, up and along
    static constexpr float kGravedad = 500.0f;
    static constexpr float kSalto = 20.0f;           // one cell
    static constexpr float kSueloY = 0.1f;
    static constexpr float kEspera = 5.0f;           // seconds without a new row before the meteor

    // What the frame asks of the astronaut.
    struct Orden {
        bool salto = false;      // a hop was requested this frame
        bool flechaPulsada = false;
        float rumbo = 0;         // requested heading (default view) or drag angle (follow view)
        bool seguir = false;     // follow view: any heading, diagonal probe
    };

    Astronauta(Mapa& mapa, Meteorito& meteorito);

    // One frame of the rules. Returns true when squashed or struck.
    bool update(const Orden& orden, float dt);

    float worldX() const { return x * kModeloAMundo; }
    float worldZ() const { return z * kModeloAMundo; }
    // round((z + 10) / 20)
    int filaDe(float modelZ) const;

    float vy = kVelocidadSalto;
    float x = 210.0f, y = kSueloY, z = 10.0f;
    float progreso = 0;
    float rumbo = 0;  // 0 = +z, 180 = -z, 90 = +x, -90 = -x (any angle in the follow view)
    float ocioso = 0;
    bool saltando = false;
    bool probarPendiente = true;
    bool aplastado = false;
    bool golpeado = false;
    bool enMeta = false;
    int fila = 1;
    int mejorFila = 1;
    int diamantes = 0;
    bool agachado = false;  // an arrow is held at rest (drawn crouching)

    // Set on the frame a hop starts towards a cell it may enter (the camera
    // scrolls by one cell then); cleared at the start of every update.
    bool saltoIniciado = false;
    // Whether the hop under way was started in the follow view: a switch of
    // view during a hop does not change where it goes.
    bool saltoSeguir = false;

private:
    bool bloqueado(bool seguir);
    Mapa& mapa_;
    Meteorito& meteorito_;
};

// The follow view's heading from the drag angle: whole degrees in 0..359.
float rumboSeguir(float arrastre);

}  // namespace marsdash
