#include "particulas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace marsdash {

namespace {

// Velocities are units per second; damping per step keeps the dust and the
// sparkle within a cell or two of where they start.
constexpr float kGravedad = 60.0f;   // units per second per second (diamond, dust)
constexpr float kFreno = 0.96f;      // velocity kept per step
constexpr float kEscalaVel = 0.25f;  // the start values are large: a quarter of them per second-step
constexpr float kHumo = 0.45f;       // grey the fire ends in
constexpr float kAbanico = 5.0f;     // the fire's sideways spread: its start values are narrow

float fade(int modulo, int base) { return float(std::rand() % modulo + base) / 1000.0f + 0.003f; }

Particula diamante(float x, float y, float z) {
    Particula p{};
    p.life = 1.0f;
    p.fade = fade(50, 25);
    p.r = 0.9294f, p.g = 0.2588f, p.b = 0.4023f;
    p.x = x, p.y = y, p.z = z;
    p.vx = float(std::rand() % 50 - 25) * 4;
    p.vy = float(std::rand() % 50 - 25) * 4;
    p.vz = float(std::rand() % 50 - 25) * 4;
    return p;
}

Particula fuego(float x, float y, float z) {
    Particula p{};
    p.life = 25.0f;
    p.fade = fade(100, 0);
    p.r = 0.9882f, p.g = 0.1843f, p.b = 0.1569f;
    p.x = x, p.y = y, p.z = z;
    p.vx = float(std::rand() % 20 - 10) / 10;
    p.vy = float(std::rand() % 20);
    p.vz = float(std::rand() % 20 - 10) / 10;
    return p;
}

Particula polvo(float x, float y, float z) {
    Particula p{};
    p.life = 10.0f;
    p.fade = fade(50, 25);
    p.r = 0.5882f, p.g = 0.3294f, p.b = 0.0314f;
    p.x = x, p.y = y, p.z = z;
    p.vx = float(std::rand() % 50 - 25) * 4;
    p.vy = float(std::rand() % 25) * 4;
    p.vz = float(std::rand() % 50 - 25) * 4;
    return p;
}

// Red flame turns yellow, then cools to smoke.
void envejecerFuego(Particula& p, float pasos) {
    const float k = 0.01f * pasos;
    if (p.r >= 0.9882f && p.g < 0.9882f) {  // red stays full until the flame is yellow
        p.g = std::min(0.9882f, p.g + k);
    } else {
        p.r = std::max(kHumo, p.r - k * 0.4f);
        p.g = std::max(kHumo, p.g - k * 0.4f);
        p.b = std::min(kHumo, p.b + k * 0.4f);
    }
}

}  // namespace

Rafaga::Rafaga(Tipo tipo, float x, float y, float z) : tipo_(tipo) {
    const int n = tipo == Diamante ? 100 : tipo == Fuego ? 1000 : 500;
    particulas_.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i)
        particulas_.push_back(tipo == Diamante ? diamante(x, y, z) : tipo == Fuego ? fuego(x, y, z) : polvo(x, y, z));
}

void Rafaga::update(float dt) {
    if (!(dt > 0)) return;
    // Long frames are cut into steps so a stall cannot fling particles away.
    // Whole steps are counted in integers (a float count stops changing past
    // 2^24), and a burst whose particles have all faded needs no more.
    const double pasos = double(dt) / double(kPaso);
    const long long enteros = pasos < 1e15 ? (long long)pasos : (long long)1e15;
    for (long long i = 0; i < enteros; ++i) {
        if (!viva()) {
            edad_ += float(double(enteros - i) * double(kPaso));
            return;
        }
        paso(1.0f);
    }
    const float resto = float(pasos - double(enteros));
    if (resto > 0 && enteros < (long long)1e15) paso(resto);
}

void Rafaga::paso(float pasos) {
    const float dt = pasos * kPaso;
    const float rapido = tipo_ == Fuego && edad_ < 1.0f ? 10.0f : 1.0f;
    const float freno = std::pow(kFreno, pasos);
    for (Particula& p : particulas_) {
        if (p.life <= 0) continue;
        const float lado = tipo_ == Fuego ? kAbanico : 1.0f;
        p.x += p.vx * dt * rapido * kEscalaVel * lado;
        p.y += p.vy * dt * rapido * kEscalaVel;
        p.z += p.vz * dt * rapido * kEscalaVel * lado;
        if (p.y < 0) p.y = 0;  // the ground
        p.vx *= freno;
        p.vz *= freno;
        if (tipo_ == Fuego) {
            p.vy *= freno;
            envejecerFuego(p, pasos);
        } else {
            p.vy = p.vy * freno - kGravedad * dt;
        }
        p.life -= p.fade * pasos;
    }
    edad_ += dt;
}

bool Rafaga::viva() const {
    return std::any_of(particulas_.begin(), particulas_.end(), [](const Particula& p) { return p.life > 0; });
}

}  // namespace marsdash
