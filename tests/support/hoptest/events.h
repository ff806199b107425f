// Synthetic SDL events for driving a game's loop object in tests and
// benchmarks, without a window or an event queue.
#pragma once

#include <SDL2/SDL_events.h>

namespace hoptest {

inline SDL_Event keyEvent(SDL_Keycode sym, bool down = true, bool repeat = false) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = sym;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
  e.key.repeat = repeat ? 1 : 0;
  return e;
}

inline SDL_Event clickEvent(int x, int y, bool down = true, Uint8 button = SDL_BUTTON_LEFT) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = button;
  e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.button.clicks = 1;
  e.button.x = x;
  e.button.y = y;
  return e;
}

inline SDL_Event motionEvent(int xrel, int yrel, int x = 0, int y = 0) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.xrel = xrel;
  e.motion.yrel = yrel;
  e.motion.x = x;
  e.motion.y = y;
  return e;
}

inline SDL_Event wheelEvent(int y, bool flipped = false) {
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.y = y;
  e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
  return e;
}

}  // namespace hoptest
