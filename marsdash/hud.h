// The heads-up display: the texts of each game state at their pixel
// positions (origin bottom left of the 640 x 480 overlay), progress, the
// diamond count and its icon.
#pragma once

#include <string>
#include <vector>

namespace marsdash {

class Fuente;
class Textura;

struct LineaHud {
    std::string texto;
    int x, y;
};

struct EstadoHud {
    bool titulo, pausa, ganado, muerto;
    int mejorFila, filas, diamantes;
    long long record = 0;  // the best row ever reached on a map of this length; 0: none yet
};

std::vector<LineaHud> lineasHud(const EstadoHud& e);

// Draws the lines in white and the diamond icon, in fill mode whatever the
// scene used (GL).
void drawHud(const EstadoHud& e, const Fuente* fuente, Textura& icono);

}  // namespace marsdash
