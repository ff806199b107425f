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

int Camara::cuartosFlechas(float arrastre) const {
    // The screen's right and up in the world, from the eye and its look-at
    // point; a world direction turned with the board by `grados` about the
    // vertical, as the drawing does, then seen on screen.
    const double f[3] = {mira[0] - ojo[0], mira[1] - ojo[1], mira[2] - ojo[2]};
    const double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    const double rl = std::hypot(f[0], f[2]);
    const double r[3] = {-f[2] / rl, 0, f[0] / rl};
    const double n[3] = {f[0] / fl, f[1] / fl, f[2] / fl};
    const double u[3] = {r[1] * n[2] - r[2] * n[1], r[2] * n[0] - r[0] * n[2], r[0] * n[1] - r[1] * n[0]};
    const auto pantalla = [&](double grados, double dx, double dz, double& sx, double& sy) {
        const double a = grados * 3.14159265358979 / 180.0, c = std::cos(a), s = std::sin(a);
        const double x = c * dx + s * dz, z = -s * dx + c * dz;
        sx = r[0] * x + r[2] * z;
        sy = u[0] * x + u[2] * z;
    };
    double x0 = 0, y0 = 0;
    pantalla(0, 1, 0, x0, y0);  // the Left arrow's hop (+x) at the start
    int mejor = 0;
    double alineado = -1e9;
    for (int k = 0; k < 4; ++k) {
        // Left turned by k quarters: heading 90 + 90 k.
        const double h = (90.0 + 90.0 * k) * 3.14159265358979 / 180.0;
        double sx = 0, sy = 0;
        pantalla(arrastre, std::round(std::sin(h)), std::round(std::cos(h)), sx, sy);
        if (sx > -0.25) continue;
        const double a = sx * x0 + sy * y0;
        if (a > alineado) alineado = a, mejor = k;
    }
    return mejor;
}

}  // namespace marsdash
