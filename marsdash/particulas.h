// Particle bursts: the sparkle of a collected diamond and the fire and dust
// of the meteor. Rules only; drawing is in particulas_draw.cpp.
#pragma once

#include <vector>

namespace marsdash {

struct Particula {
    float life;
    float fade;  // life lost per step
    float r, g, b;
    float x, y, z;
    float vx, vy, vz;  // units per second
};

class Rafaga {
public:
    enum Tipo { Diamante, Fuego, Polvo };
    // One step is a 60th of a second of game time; fades are per step.
    static constexpr float kPaso = 1.0f / 60.0f;

    Rafaga(Tipo tipo, float x, float y, float z);

    void update(float dt);
    // Draws every particle as a small cube in its colour with its life as
    // alpha; needs a GL context.
    void draw() const;
    // False once every particle has faded out.
    bool viva() const;

    Tipo tipo() const { return tipo_; }
    const std::vector<Particula>& particulas() const { return particulas_; }
    // Seconds since the burst started (the fire runs faster in its first one).
    float edad() const { return edad_; }

private:
    void paso(float pasos);
    Tipo tipo_;
    float edad_ = 0;
    std::vector<Particula> particulas_;
};

}  // namespace marsdash
