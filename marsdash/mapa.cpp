#include "mapa.h"

#include <algorithm>
#include <cmath>

#include "azar.h"

namespace marsdash {

namespace {

constexpr std::array<float, 3> kColorLibre{0.8588235f, 0.4901961f, 0.0705882f};
constexpr std::array<float, 3> kColorCalle{0.5882353f, 0.3294118f, 0.0313726f};
constexpr float kGiroDiamante = 20.0f;  // degrees per second

// Picks a column of 0..20 not yet in `usadas` by drawing rand() % 21 until
// one comes up; the caller makes sure one is left.
int columnaLibre(std::array<bool, kColumnas>& usadas) {
    int c;
    do {
        c = azar(kColumnas);
    } while (usadas[std::size_t(c)]);
    usadas[std::size_t(c)] = true;
    return c;
}

std::vector<Cristal> decoracion(int desplazamiento) {
    const int n = azar(10);
    std::array<bool, kColumnas> usadas{};
    std::vector<Cristal> out;
    for (int i = 0; i < n; ++i) {
        const int c = columnaLibre(usadas) + desplazamiento;
        out.push_back({c, float(azar(360))});
    }
    return out;
}

}  // namespace

int columnaDe(float x) { return int(std::floor(x / kCelda)); }
float centroColumna(int columna) { return float(columna) * kCelda + kCelda / 2; }
float centroFila(int fila) { return float(fila - 1) * kCelda + kCelda / 2; }

bool Dibujo::cerca(float x, float z, float margen) const {
    const float dx = x - cx, dz = z - cz, r = radio + margen;
    return dx * dx + dz * dz <= r * r;
}

void Crucero::update(float dt) {
    if (haciaMasX) {
        x += velocidad * dt;
        if (x > kMaximo) x = kMinimo;
    } else {
        x -= velocidad * dt;
        if (x < kMinimo) x = kMaximo;
    }
}

bool Crucero::ocupa(float px) const {
    return haciaMasX ? px - 2 <= x && x <= px + 18 : px - 18 <= x && x <= px + 2;
}

void Segmento::update(float dt) {
    if (!diamante) return;
    diamante->giro = std::fmod(diamante->giro + kGiroDiamante * dt, 360.0f);
    if (diamante->rafaga) {
        diamante->rafaga->update(dt);
        if (!diamante->rafaga->viva()) diamante->rafaga.reset();
    }
}

bool Segmento::recoger(float x) {
    if (!diamante || diamante->recogido || diamante->columna != columnaDe(x)) return false;
    diamante->recogido = true;
    diamante->rafaga = std::make_unique<Rafaga>(Rafaga::Diamante, centroColumna(diamante->columna), 6.0f,
                                                centroFila(fila));
    return true;
}

Libre::Libre(int f) : Segmento(f, kAlto, kColorLibre) {}

int Libre::probar(float x) const {
    const int c = columnaDe(x);
    for (const Cristal& k : cristales)
        if (k.columna == c) return 2;
    return 0;
}

Calle::Calle(int f) : Segmento(f, kAlto, kColorCalle), nave{} { nave.fila = f; }

void Calle::update(float dt) {
    nave.update(dt);
    Segmento::update(dt);
}

int Calle::probar(float x) const { return nave.ocupa(x) ? 1 : 0; }

Mapa::Mapa(int n, int gruposNave) {
    n = std::max(n, kMinimo);
    segmentos.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        const bool fija = i < 2 || i == n - 1;
        if (fija || azar(100) < 31)
            segmentos.push_back(libre(i, n));
        else
            segmentos.push_back(calle(i, gruposNave));
    }
}

std::unique_ptr<Libre> Mapa::libre(int i, int n) {
    auto row = std::make_unique<Libre>(i);
    std::array<bool, kColumnas> usadas{};
    if (i == 0) {
        // The wall behind the start.
        for (int c = 0; c < kColumnas; ++c) {
            usadas[std::size_t(c)] = true;
            row->cristales.push_back({c, float(azar(360))});
        }
    } else if (i != 1 && i != n - 1) {
        const int cuantos = azar(10);
        for (int k = 0; k < cuantos; ++k) {
            const int c = columnaLibre(usadas);
            row->cristales.push_back({c, float(azar(360))});
        }
    }
    if (row->cristales.size() < std::size_t(kColumnas) && azar(100) >= 70) {
        auto d = std::make_unique<Diamante>();
        d->fila = i;
        d->columna = columnaLibre(usadas);
        row->diamante = std::move(d);
    }
    row->izquierda = decoracion(-kColumnas);
    row->derecha = decoracion(kColumnas);
    return row;
}

std::unique_ptr<Calle> Mapa::calle(int i, int gruposNave) {
    auto row = std::make_unique<Calle>(i);
    Crucero& s = row->nave;
    s.velocidad = azarUnidad() * 10 + 40;
    s.x = float(azar(int(kAncho)));
    s.haciaMasX = azarUnidad() > 0.5f;
    for (int g = 0; g < gruposNave; ++g) {
        const float r = azarUnidad(), gr = azarUnidad(), b = azarUnidad();
        s.colores.push_back({r, gr, b});
    }
    if (azar(100) >= 70) {
        auto d = std::make_unique<Diamante>();
        d->fila = i;
        d->columna = azar(kColumnas);
        row->diamante = std::move(d);
    }
    return row;
}

int Mapa::probar(int f, float x) const {
    const Segmento* s = fila(f);
    return s ? s->probar(x) : 2;
}

bool Mapa::recoger(int f, float x) {
    Segmento* s = fila(f);
    return s && s->recoger(x);
}

Segmento* Mapa::fila(int f) const {
    return f >= 0 && f < filas() ? segmentos[std::size_t(f)].get() : nullptr;
}

}  // namespace marsdash
