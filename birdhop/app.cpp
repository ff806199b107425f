#include "app.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <iostream>

#include "loop.h"

namespace birdhop {

namespace {
constexpr double kFrameMs = 16.66;  // about 60 frames a second
constexpr double kMaxWaitMs = 17;
// A still screen sleeps until an event, waking this often to look again.
constexpr int kStillWakeMs = 500;

bool sameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
}  // namespace

std::string noDisplayLine(const char* driver, const char* requested) {
    const std::string name = driver ? driver : "";
    if (!sameNoCase(name, "offscreen") && !sameNoCase(name, "dummy")) return "";
    const std::string asked = requested ? requested : "";
    std::size_t start = 0;
    while (start <= asked.size()) {
        const std::size_t comma = std::min(asked.find(',', start), asked.size());
        if (sameNoCase(asked.substr(start, comma - start), name)) return "";
        start = comma + 1;
    }
    return "No hay pantalla disponible (controlador de video \"" + name +
           "\"): inicie el juego desde una sesión gráfica";
}

int runGame() {
    // Console lines reach a pipe or a file promptly.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::cerr << "No se pudo iniciar SDL: " << SDL_GetError() << std::endl;
        return 1;
    }
    const std::string noDisplay = noDisplayLine(SDL_GetCurrentVideoDriver(), std::getenv("SDL_VIDEODRIVER"));
    if (!noDisplay.empty()) {
        std::cerr << noDisplay << std::endl;
        SDL_Quit();
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("Taller-3D", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth,
                                          kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::cerr << "No se pudo crear la ventana: " << SDL_GetError() << std::endl;
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();
        return 1;
    }
    setupGL();

    int status = 0;
    try {
        BirdLoop loop(window, std::uint32_t(std::time(nullptr)), std::cout);
        std::uint64_t tick = SDL_GetTicks64();
        while (!loop.quit) {
            if (loop.still()) {
                // Nothing moves and nothing changed: the picture on screen
                // stands until an event (a key, the pointer, a controller,
                // SIGTERM) comes, and the frame that handles it is drawn.
                if (!loop.waitForEvent(kStillWakeMs)) continue;
                tick = SDL_GetTicks64();
            }
            loop.frame();
            SDL_GL_SwapWindow(window);
            const double wait = kFrameMs - double(SDL_GetTicks64() - tick);
            if (wait >= 0 && wait <= kMaxWaitMs) SDL_Delay(Uint32(wait));
            tick = SDL_GetTicks64();
        }
        loop.saveBest();  // quitting ends the run
    } catch (const std::exception& e) {
        // A missing or damaged file: its name and what is wrong.
        std::cerr << e.what() << std::endl;
        status = 1;
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return status;
}

}  // namespace birdhop
