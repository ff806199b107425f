// The two random streams of the course builder: seeds for Mersenne-twister
// generators (the system's random device in the game) and the C library's
// rand() for the oxygen bottles. Tests replace both to build a course again.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>

namespace orbitdash {

struct Random {
    virtual ~Random() = default;
    virtual std::uint32_t seed() {
        static std::random_device device;
        return device();
    }
    virtual int rand() { return std::rand(); }
};

}  // namespace orbitdash
