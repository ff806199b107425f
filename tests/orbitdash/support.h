// Shared pieces of the orbitdash tests: a repeatable Random, a game on the
// committed levels, and a few frames of play.
#pragma once

#include <sstream>
#include <string>

#include "game.h"
#include "hoptest/events.h"
#include "random.h"

namespace orbitdash_test {

// Seeds count up from `first`; rand() is a small LCG.
struct FixedRandom : orbitdash::Random {
    explicit FixedRandom(std::uint32_t first = 1, int randValue = -1) : next(first), value(randValue) {}
    std::uint32_t seed() override { return next++; }
    int rand() override {
        if (value >= 0) return value;
        state = state * 1103515245u + 12345u;
        return int((state >> 16) & 0x7fff);
    }
    std::uint32_t next;
    int value;  // a fixed rand() result when >= 0
    std::uint32_t state = 7;
};

inline void press(orbitdash::Game& g, SDL_Keycode k) {
    g.key(k, true);
    g.key(k, false);
}

inline void ticks(orbitdash::Game& g, int n) {
    for (int i = 0; i < n; ++i) g.tick();
}

}  // namespace orbitdash_test
