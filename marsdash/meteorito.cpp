#include "meteorito.h"

namespace marsdash {

void Meteorito::caer(float px, float pz) {
    if (cayendo_ || fuego_) return;
    cayendo_ = true;
    x = px;
    z = pz;
    y = kAltura;
}

void Meteorito::update(float dt) {
    if (cayendo_) {
        y -= kVelocidad * dt;
        if (y < kEstallido) {
            cayendo_ = false;
            fuego_ = std::make_unique<Rafaga>(Rafaga::Fuego, x, y, z);
            polvo_ = std::make_unique<Rafaga>(Rafaga::Polvo, x, y, z);
        }
    }
    if (fuego_) fuego_->update(dt);
    if (polvo_) polvo_->update(dt);
}

}  // namespace marsdash
