#include "recursos.h"

namespace marsdash {

void Recursos::cargar(const std::string& c) {
    leerModelo(c + "modelos/astronaut1.obj", false, astronauta);
    texAstronauta.cargar(c + "modelos/astronaut1.png");
    leerModelo(c + "modelos/ship1.obj", true, nave);
    leerModelo(c + "modelos/cristal1.obj", true, cristal);
    leerModelo(c + "modelos/Diamante.obj", false, diamante);
    leerModelo(c + "modelos/meteorito.obj", false, meteorito);
    leerModelo(c + "modelos/nave1.obj", false, nave1);
    texNave1.cargar(c + "modelos/nave1.png");
    leerModelo(c + "modelos/nave2.obj", false, nave2);
    texNave2.cargar(c + "modelos/nave2.png");
    icono.cargar(c + "modelos/diamante.png");
    fuente = std::make_unique<Fuente>(c + "modelos/font.ttf");
}

}  // namespace marsdash
