#include "app.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>

#include "game.h"

namespace pigeonrun {

namespace {

const char* const kTitle = "grafitec obligatorio 1 - Plonky Path";
constexpr double kFrameMs = 1000.0 / 60.0;

double nowMs() { return double(SDL_GetPerformanceCounter()) * 1000.0 / double(SDL_GetPerformanceFrequency()); }

}  // namespace

int runGame() {
    // Console lines reach a pipe or a file promptly.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "No se pudo iniciar SDL: %s\n", SDL_GetError());
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
        while (!game.quit) {
            const double start = nowMs();
            SDL_GL_GetDrawableSize(window, &game.drawableWidth, &game.drawableHeight);
            game.frame(start);
            SDL_GL_SwapWindow(window);
            // The game's rules count passes at 60 a second: never run faster.
            const double left = kFrameMs - (nowMs() - start);
            if (left >= 1) SDL_Delay(Uint32(left));
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
