// Helpers shared by the roosterway unit tests: scripted random sources and
// synthetic SDL events.
#pragma once

#include <SDL2/SDL.h>

#include <functional>
#include <random>

#include "world.h"

namespace rwtest {

inline roosterway::RandomSource seeded(unsigned seed) {
    auto engine = std::make_shared<std::mt19937>(seed);
    return [engine] { return int((*engine)() & 0x7fffffff); };
}

inline roosterway::RandomSource constant(int value) {
    return [value] { return value; };
}

inline SDL_Event key(SDL_Keycode sym, bool down, bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = sym;
    e.key.repeat = repeat ? 1 : 0;
    return e;
}

inline SDL_Event click(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = x;
    e.button.y = y;
    return e;
}

inline SDL_Event motion(int xrel, int yrel) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.xrel = xrel;
    e.motion.yrel = yrel;
    return e;
}

}  // namespace rwtest
