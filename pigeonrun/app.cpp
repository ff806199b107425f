#include "app.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <algorithm>
#include <exception>
#include <memory>
#include <string>

#include "game.h"
#include "hopcommon/pads.h"
#include "hopcommon/records.h"

namespace pigeonrun {

namespace {

const char* const kTitle = "grafitec obligatorio 1 - Plonky Path";
constexpr double kFrameMs = 1000.0 / 60.0;
// Longest sleep on a still screen between looks at the queue: SDL wakes the
// wait at once for an event, this only bounds a wake-up it might miss.
constexpr int kStillWaitMs = 100;

// A still screen sleeps until an event comes. With a controller open SDL
// cannot block on the display's connection and its wait polls every
// millisecond: a frame's sleep between looks at the queue costs less.
void waitForEvent(const hop::Pads& pads) {
    if (pads.count() == 0)
        SDL_WaitEventTimeout(nullptr, kStillWaitMs);
    else
        SDL_Delay(Uint32(kFrameMs));
}

// What each controller button stands for; the d-pad and left stick are the
// arrows. B and Back have nothing to do here.
hop::PadTable padTable() {
    hop::PadTable t;
    t.set(hop::Control::A, SDLK_RETURN, SDL_SCANCODE_RETURN)
        .set(hop::Control::Start, SDLK_p, SDL_SCANCODE_P)
        .set(hop::Control::LeftShoulder, SDLK_v, SDL_SCANCODE_V)
        .set(hop::Control::RightShoulder, SDLK_v, SDL_SCANCODE_V);
    return t;  // the right stick is read as it stands (Game::lookX), not as mouse motion
}

double nowMs() { return double(SDL_GetPerformanceCounter()) * 1000.0 / double(SDL_GetPerformanceFrequency()); }

}  // namespace

bool videoDriverRequested(const char* requested, const char* driver) {
    if (!requested || !driver) return false;
    const std::string wanted = requested;
    for (std::size_t start = 0; start <= wanted.size();) {
        const std::size_t comma = std::min(wanted.find(',', start), wanted.size());
        if (SDL_strcasecmp(wanted.substr(start, comma - start).c_str(), driver) == 0) return true;
        start = comma + 1;
    }
    return false;
}

int runGame() {
    // Console lines reach a pipe or a file promptly.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "No se pudo iniciar SDL: %s\n", SDL_GetError());
        return 1;
    }
    // SDL falls back to drivers that show nothing when there is no display:
    // a window there would play unseen. Only the environment may ask for them.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (SDL_strcasecmp(driver, "offscreen") == 0 || SDL_strcasecmp(driver, "dummy") == 0) &&
        !videoDriverRequested(SDL_getenv("SDL_VIDEODRIVER"), driver)) {
        std::fprintf(stderr,
                     "No hay pantalla disponible (controlador de video \"%s\"): inicie el juego desde una "
                     "sesión gráfica\n",
                     driver);
        SDL_Quit();
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow(kTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, Game::kWidth,
                                          Game::kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "No se pudo crear la ventana: %s\n", SDL_GetError());
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();
        return 1;
    }
    // Vsync where the display offers it; the sleep below paces the rest.
    SDL_GL_SetSwapInterval(1);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glMatrixMode(GL_MODELVIEW);
    std::srand(unsigned(std::time(nullptr)));

    int status = 0;
    try {
        // A missing or broken model or image ends the program here, with
        // the file named.
        Game game;
        hop::Pads pads(padTable());
        game.pads = &pads;
        game.records = std::make_unique<hop::Records>("pigeonrun");
        while (!game.quit) {
            const double start = nowMs();
            SDL_GL_GetDrawableSize(window, &game.drawableWidth, &game.drawableHeight);
            if (game.frame(start)) {
                SDL_GL_SwapWindow(window);
                // The game's rules count passes at 60 a second: never run faster.
                const double left = kFrameMs - (nowMs() - start);
                if (left >= 1) SDL_Delay(Uint32(left));
            } else if (!game.wantsDraw()) {
                waitForEvent(pads);  // a still screen: nothing to draw until something happens
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return status;
}

}  // namespace pigeonrun
