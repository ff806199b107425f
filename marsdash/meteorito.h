// The meteor that ends a run left idle: it falls from high above onto the
// astronaut and bursts into fire and dust near the ground.
#pragma once

#include <memory>

#include "particulas.h"

namespace marsdash {

class Modelo;

class Meteorito {
public:
    static constexpr float kAltura = 90.0f;     // start height
    static constexpr float kVelocidad = 70.0f;  // units per second, downwards
    static constexpr float kEstallido = 5.0f;   // bursts below this height

    // Starts the fall on (x, z), world units; a meteor already falling or
    // burst is left as it is.
    void caer(float x, float z);
    void update(float dt);
    // The falling rock (model, may be null) and its bursts; needs GL.
    void draw(const Modelo* modelo) const;

    bool cayendo() const { return cayendo_; }
    bool estallo() const { return fuego_ != nullptr; }
    float x = 0, y = kAltura, z = 0;
    const Rafaga* fuego() const { return fuego_.get(); }
    const Rafaga* polvo() const { return polvo_.get(); }

private:
    bool cayendo_ = false;
    std::unique_ptr<Rafaga> fuego_, polvo_;
};

}  // namespace marsdash
