#include "camara.h"

#include <cmath>

#include "astronauta.h"

namespace marsdash {

namespace {

float acercar(float desde, float hasta, float paso) {
    if (desde < hasta) return std::fmin(desde + paso, hasta);
    if (desde > hasta) return std::fmax(desde - paso, hasta);
    return desde;
}

// sin and cos of the heading, exact at the four quarter turns.
void direccion(float grados, float& s, float& c) {
    const float r = grados * 3.14159265358979f / 180.0f;
    s = std::round(std::sin(r) * 1e5f) / 1e5f;
    c = std::round(std::cos(r) * 1e5f) / 1e5f;
}

}  // namespace

void Camara::update(const Astronauta& a, float dt) {
    salto = a.saltoIniciado;
    if (salto) {
        anguloSalto = a.rumbo;
        float s, c;
        direccion(anguloSalto, s, c);
        objetivoX -= 8 * s;
        objetivoZ -= 8 * c;
    }
    if (a.enMeta) {
        objetivoX = kMetaX;
        velocidad = kVelocidadMeta;
    }
    desplazX = acercar(desplazX, objetivoX, velocidad * dt);
    desplazZ = acercar(desplazZ, objetivoZ, velocidad * dt);
}

void NaveRescate::update(bool enMeta, bool camaraLista, float dt) {
    if (enMeta && camaraLista) despegando = true;
    if (despegando) altura += kSubida * dt;
}

}  // namespace marsdash
