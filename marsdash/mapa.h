// The strip of Martian ground: rows of free ground (with crystals that block
// and diamonds to collect) and streets crossed by one flying ship each.
// World units: a cell is 8 square; 21 columns span x 0..168; row r spans
// z (r-1)*8..r*8, so row 0 lies behind the start.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "particulas.h"

namespace marsdash {

class Modelo;
struct Modelos;

constexpr float kCelda = 8.0f;
constexpr int kColumnas = 21;
constexpr float kAncho = 168.0f;

// Column of a world x (floor(x / 8)); may lie outside 0..20.
int columnaDe(float x);
float centroColumna(int columna);
float centroFila(int fila);

struct Cristal {
    int columna;
    float giro;  // degrees about y
};

struct Crucero {
    static constexpr float kMinimo = -84.0f;  // wraps a field width beyond either edge
    static constexpr float kMaximo = 252.0f;

    float velocidad;  // world units per second, 40..50
    float x;
    bool haciaMasX;
    int fila;
    std::vector<std::array<float, 3>> colores;  // one per material group of the ship model

    void update(float dt);
    // Cell probe: is the ship over world x of its row?
    bool ocupa(float px) const;
};

struct Diamante {
    int fila;
    int columna;
    float giro = 0;  // degrees, 20 per second
    bool recogido = false;
    std::unique_ptr<Rafaga> rafaga;
};

// Everything a row's drawing needs to know about the frame.
struct Dibujo {
    const Modelos* modelos = nullptr;
    bool texturas = true;
    // Only things within `radio` (horizontally) of (cx, cz) are drawn.
    float cx = 0, cz = 0, radio = 1e9f;
    bool cerca(float x, float z, float margen = 0) const;
};

class Segmento {
public:
    enum Tipo { TipoLibre, TipoCalle };
    static constexpr float kProfundo = 8.0f;

    Segmento(int fila, float alto, const std::array<float, 3>& color) : fila(fila), alto(alto), color(color) {}
    virtual ~Segmento() = default;

    virtual Tipo tipo() const = 0;
    // Moves what moves on the row: the ship, the diamond's spin, its burst.
    virtual void update(float dt);
    // The slab and everything on it (GL).
    virtual void draw(const Dibujo& d) const;
    // The burst of a collected diamond (GL).
    void drawEffects() const;
    // 0 free, 1 a crossing ship is there, 2 a crystal blocks the cell.
    virtual int probar(float x) const = 0;
    // True once, when the row's uncollected diamond lies in x's column.
    bool recoger(float x);

    const float ancho = kAncho;
    const float profundo = kProfundo;
    const int fila;
    const float alto;  // slab height
    const std::array<float, 3> color;
    std::unique_ptr<Diamante> diamante;

protected:
    void drawLosa(const Dibujo& d) const;
    void drawDiamante(const Dibujo& d) const;
};

class Libre : public Segmento {
public:
    static constexpr float kAlto = 1.0f;
    explicit Libre(int fila);
    Tipo tipo() const override { return TipoLibre; }
    void draw(const Dibujo& d) const override;
    int probar(float x) const override;

    std::vector<Cristal> cristales;      // in the field, columns 0..20
    std::vector<Cristal> izquierda;      // scenery, columns -21..-1
    std::vector<Cristal> derecha;        // scenery, columns 21..41
};

class Calle : public Segmento {
public:
    static constexpr float kAlto = 0.5f;
    explicit Calle(int fila);
    Tipo tipo() const override { return TipoCalle; }
    void update(float dt) override;
    void draw(const Dibujo& d) const override;
    int probar(float x) const override;

    Crucero nave;
};

class Mapa {
public:
    static constexpr int kMinimo = 3;
    // Builds n rows (at least 3); `gruposNave` colours are drawn per ship.
    explicit Mapa(int n, int gruposNave = 0);

    int filas() const { return int(segmentos.size()); }
    // Cell probe; a row outside the map blocks (kind 2).
    int probar(int fila, float x) const;
    bool recoger(int fila, float x);
    Segmento* fila(int f) const;

    std::vector<std::unique_ptr<Segmento>> segmentos;

private:
    std::unique_ptr<Libre> libre(int i, int n);
    std::unique_ptr<Calle> calle(int i, int gruposNave);
};

}  // namespace marsdash
