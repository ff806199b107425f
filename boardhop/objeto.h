// Base of every object of the board scene, and the answer of a move query.
#pragma once

#include <cstdint>

namespace boardhop {

enum MoveResult : int { Free = 0, Blocked = 1, Death = 2, Goal = 3 };

class Objeto {
public:
    virtual ~Objeto() = 0;
    virtual void place(float px, float py, float pz) { x = px; y = py; z = pz; }
    virtual MoveResult collide(const Objeto& /*other*/) { return Free; }
    virtual void draw() = 0;
    // Elapsed milliseconds since the previous frame.
    virtual void update(std::uint32_t /*elapsedMs*/) {}

    float x = 0, y = 0, z = 0;
};

inline Objeto::~Objeto() = default;

}  // namespace boardhop
