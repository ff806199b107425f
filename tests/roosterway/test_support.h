// Helpers shared by the roosterway unit tests: scripted random sources and
// synthetic SDL events.
#pragma once

#include <SDL2/SDL.h>

#include <functional>
#include <random>

#include "world.h"
#include "hoptest/events.h"

namespace rwtest {

inline roosterway::RandomSource seeded(unsigned seed) {
    auto engine = std::make_shared<std::mt19937>(seed);
    return [engine] { return int((*engine)() & 0x7fffffff); };
}

inline roosterway::RandomSource constant(int value) {
    return [value] { return value; };
}

inline SDL_Event key(SDL_Keycode sym, bool down, bool repeat = false) { return hoptest::keyEvent(sym, down, repeat); }
inline SDL_Event click(int x, int y) { return hoptest::clickEvent(x, y); }
inline SDL_Event motion(int xrel, int yrel) { return hoptest::motionEvent(xrel, yrel); }

}  // namespace rwtest
