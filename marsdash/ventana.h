// The window and the display it is on: no display at all, and a full screen
// the window manager does not grant.
#pragma once

#include <string>

struct SDL_Window;

namespace marsdash {

// Without a display SDL falls back to "offscreen" or "dummy", and the game
// would run in a window nobody sees. That driver's name when `pedido`
// (SDL_VIDEODRIVER: names separated by commas, any case) does not name it;
// empty for any other driver, or one asked for.
std::string conductorSinPantalla(const std::string& conductor, const char* pedido);
// The one line the game prints before it stops for that reason.
std::string mensajeSinPantalla(const std::string& conductor);

// The line printed when full screen is not granted (and at each later F11).
extern const char* const kSinPantallaCompleta;

// The window's size as the window system has it (X11): SDL reports the
// desktop's size as soon as full screen is asked for, also where nothing
// will ever resize the window. False where the system cannot be asked.
bool tamanoEnElSistema(SDL_Window* ventana, int& ancho, int& alto);

}  // namespace marsdash
