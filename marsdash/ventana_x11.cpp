// Apart from the other sources: the X headers define macros (None, Bool,
// Status...) that would clash with names elsewhere.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

#include "ventana.h"

namespace marsdash {

bool tamanoEnElSistema(SDL_Window* ventana, int& ancho, int& alto) {
    if (!ventana) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(ventana, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    XWindowAttributes a;
    if (!XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &a)) return false;
    ancho = a.width;
    alto = a.height;
    return true;
}

}  // namespace marsdash
