#include "app.h"

#include <SDL2/SDL.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <string>

#include "fuente.h"
#include "juego.h"
#include "ventana.h"

namespace marsdash {

namespace {
constexpr std::uint32_t kFrameMinimo = 16;  // ms: about 60 frames per second
constexpr int kEsperaQuieta = 250;          // ms: a still screen looks up from its wait this often
}

int runGame() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "No se pudo iniciar SDL:%s\n", SDL_GetError());
        return 1;
    }
    // No display: SDL fell back to a driver that shows nothing. Say so and
    // stop before any window is made, unless the environment asked for it.
    const char* conductor = SDL_GetCurrentVideoDriver();
    const std::string sinPantalla = conductorSinPantalla(conductor ? conductor : "", std::getenv("SDL_VIDEODRIVER"));
    if (!sinPantalla.empty()) {
        std::fprintf(stderr, "%s\n", mensajeSinPantalla(sinPantalla).c_str());
        SDL_Quit();
        return 1;
    }
    SDL_Window* ventana = SDL_CreateWindow("marsdash", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, Juego::kAncho,
                                           Juego::kAlto, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!ventana) {
        std::fprintf(stderr, "Error:%s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_GLContext contexto = SDL_GL_CreateContext(ventana);
    if (!contexto) {
        std::fprintf(stderr, "Error:%s\n", SDL_GetError());
        SDL_DestroyWindow(ventana);
        SDL_Quit();
        return 1;
    }
    SDL_GL_SetSwapInterval(1);
    std::srand(unsigned(std::time(nullptr)));

    int estado = 0;
    try {
        hop::Pads mandos(Juego::tablaMandos());
        Juego juego(true, ventana);
        juego.mandos = &mandos;
        juego.ultimo = SDL_GetTicks();
        while (!juego.salir) {
            if (juego.quieto()) {
                // The title or the pause: nothing moves, so the picture on
                // screen stays until an event changes it.
                if (SDL_WaitEventTimeout(nullptr, kEsperaQuieta) == 1) juego.despertar(SDL_GetTicks());
                continue;
            }
            const std::uint32_t inicio = SDL_GetTicks();
            juego.frame();
            SDL_GL_SwapWindow(ventana);
            // Without vsync (a virtual display, some drivers) the loop would
            // spin a core on every screen, title and pause included.
            const std::uint32_t usado = SDL_GetTicks() - inicio;
            if (usado < kFrameMinimo) SDL_Delay(kFrameMinimo - usado);
        }
    } catch (const ErrorFuente& e) {
        std::fprintf(stderr, "%s\n", e.what());
        estado = 1;
    }

    SDL_GL_DeleteContext(contexto);
    SDL_DestroyWindow(ventana);
    SDL_Quit();
    return estado;
}

}  // namespace marsdash
