// Apart from the other sources: the X headers define macros (None, Bool,
// Status...) that would clash with names elsewhere.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

#include "glwindow.h"

namespace hop {

bool windowSystemSize(SDL_Window* window, int& width, int& height) {
    if (!window) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    XWindowAttributes a;
    if (!XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &a)) return false;
    width = a.width;
    height = a.height;
    return true;
}

}  // namespace hop
