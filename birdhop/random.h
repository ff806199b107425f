// The game's one random stream. Every draw that shapes the world (rows, trees,
// car gaps, particle bursts, light directions) comes from here, so a seeded
// stream replays a world exactly.
#pragma once

#include <cstdint>
#include <random>

namespace birdhop {

class Random {
public:
    explicit Random(std::uint32_t seed = 1) : engine_(seed) {}
    // A non-negative number below 2^31, like rand().
    int next() { return int(engine_() >> 1); }

private:
    std::mt19937 engine_;
};

}  // namespace birdhop
