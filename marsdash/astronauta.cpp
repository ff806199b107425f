#include "astronauta.h"

#include <cmath>

#include "mapa.h"
#include "meteorito.h"

namespace marsdash {

namespace {
constexpr float kGrado = 3.14159265358979f / 180.0f;
constexpr float kMargenBorde = 0.01f;  // world units
}

float rumboSeguir(float arrastre) {
    int h = int(arrastre) % 360;  // truncates towards zero
    if (h < 0) h += 360;
    return float(h);
}

Astronauta::Astronauta(Mapa& mapa, Meteorito& meteorito) : mapa_(mapa), meteorito_(meteorito) {}

int Astronauta::filaDe(float modelZ) const { return int(std::lround((modelZ + 10.0f) / 20.0f)); }

// Whether the cell the hop heads for can be entered: a crystal blocks, and
// so does the field's edge. A ship there does not stop the hop.
bool Astronauta::bloqueado(bool seguir) {
    const float wx = worldX();
    if (!seguir) {
        // The field's last column ends at x = 168: a hop lands inside it.
        if (rumbo == 90.0f) return wx + kCelda >= kAncho || mapa_.probar(fila, wx + kCelda) == 2;
        if (rumbo == -90.0f) return wx - kCelda < 0 || mapa_.probar(fila, wx - kCelda) == 2;
        if (rumbo == 180.0f) return mapa_.probar(fila - 1, wx) == 2;
        return mapa_.probar(fila + 1, wx) == 2;
    }
    // Any heading: the point one cell away along it, sin across and cos
    // along the rows; its row comes from its depth like the astronaut's own.
    const float s = std::sin(rumbo * kGrado), c = std::cos(rumbo * kGrado);
    const float tx = wx + kCelda * s;
    const int tf = filaDe((z * kModeloAMundo + kCelda * c) / kModeloAMundo);
    // The landing point stays inside the field by more than the rounding a
    // hop's steps gather on the way there (x = 168 is outside it).
    if (tx < kMargenBorde || tx > kAncho - kMargenBorde) return true;
    return mapa_.probar(tf, tx) == 2;
}

bool Astronauta::update(const Orden& orden, float dt) {
    saltoIniciado = false;
    const int n = mapa_.filas();
    enMeta = fila == n - 1;
    ocioso += dt;
    if (ocioso > kEspera && !enMeta) {
        meteorito_.caer(worldX(), worldZ());
        golpeado = true;
    }
    if (!saltando) {
        saltando = orden.salto;
        rumbo = orden.seguir ? rumboSeguir(orden.rumbo) : orden.rumbo;
        saltoSeguir = orden.seguir;
    }
    agachado = orden.flechaPulsada && !saltando;
    fila = filaDe(z);

    if (!aplastado && !golpeado && saltando) {
        if (probarPendiente) {
            probarPendiente = false;
            if (bloqueado(saltoSeguir)) {
                saltando = false;  // turned on the spot
                probarPendiente = true;
            } else {
                saltoIniciado = true;
            }
        } else {
            y += vy * dt;
            float paso = kVelocidadSalto * dt;
            vy -= kGravedad * dt;
            const float antes = progreso;
            progreso += paso;
            if (progreso >= kSalto) {
                paso = kSalto - antes;  // lands exactly one cell away
                y = kSueloY;
                vy = kVelocidadSalto;
                progreso = 0;
                saltando = false;
                probarPendiente = true;
            }
            if (saltoSeguir) {
                x += paso * std::sin(rumbo * kGrado);
                z += paso * std::cos(rumbo * kGrado);
            } else if (rumbo == 90.0f) {
                x += paso;
            } else if (rumbo == -90.0f) {
                x -= paso;
            } else if (rumbo == 180.0f) {
                z -= paso;
            } else {
                z += paso;
            }
            // The row after this frame's move, so that a long frame that
            // crosses the row boundary and lands in one step still counts.
            fila = filaDe(z);
            if (fila > mejorFila) {
                mejorFila = fila;
                if (!golpeado && !aplastado) ocioso = 0;
            }
        }
    }
    if (mapa_.probar(fila, worldX()) == 1 || aplastado) aplastado = true;
    if (mapa_.recoger(fila, worldX())) ++diamantes;
    return aplastado || golpeado;
}

}  // namespace marsdash
