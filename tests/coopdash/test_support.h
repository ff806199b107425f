// Helpers shared by the coopdash tests: scripted random sources and a
// listener that counts what the field reports.
#pragma once

#include <deque>
#include <memory>
#include <random>

#include "playfield.h"

namespace cdtest {

inline coopdash::RandomSource seeded(unsigned seed) {
    auto engine = std::make_shared<std::mt19937>(seed);
    return [engine] { return int((*engine)() & 0x7fffffff); };
}

// Returns the scripted values in order, then `rest` for ever.
inline coopdash::RandomSource script(std::deque<int> values, int rest) {
    auto q = std::make_shared<std::deque<int>>(std::move(values));
    return [q, rest] {
        if (q->empty()) return rest;
        const int v = q->front();
        q->pop_front();
        return v;
    };
}

struct Counter : coopdash::PlayfieldListener {
    int deaths = 0, music = 0;
    void chickenDied() override { ++deaths; }
    void musicDue() override { ++music; }
};

}  // namespace cdtest
