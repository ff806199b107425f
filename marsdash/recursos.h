// The models, textures and font the game reads from its folder. Models are
// read once at start-up and shared by every object that draws them (each
// ship keeps its own colours); GL objects are made on first use.
#pragma once

#include <memory>
#include <string>

#include "fuente.h"
#include "modelo.h"
#include "textura.h"

namespace marsdash {

struct Modelos {
    Modelo astronauta, nave, cristal, diamante, meteorito, nave1, nave2;
    Textura texAstronauta, texNave1, texNave2;
};

struct Recursos : Modelos {
    Textura icono;   // the HUD diamond
    std::unique_ptr<Fuente> fuente;
    // Reads every file; missing ones leave empty models and invalid
    // textures. The font needs a current GL context.
    void cargar(const std::string& carpeta = "");
};

}  // namespace marsdash
