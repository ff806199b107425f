#include "app.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <memory>
#include <string>

#include "game.h"
#include "hopcommon/pads.h"
#include "hopcommon/records.h"
#include "render.h"

namespace roosterway {

namespace {
const char* const kTitle = "OpenGL";
}

bool driverWithoutDisplay(const char* driver, const char* requested) {
    if (!driver || (SDL_strcasecmp(driver, "offscreen") != 0 && SDL_strcasecmp(driver, "dummy") != 0)) return false;
    // Asked for by name (tests, benchmarks): the caller knows there is no display.
    const std::string wanted = requested ? requested : "";
    std::size_t start = 0;
    while (start <= wanted.size()) {
        std::size_t end = wanted.find(',', start);
        if (end == std::string::npos) end = wanted.size();
        if (SDL_strcasecmp(wanted.substr(start, end - start).c_str(), driver) == 0) return false;
        start = end + 1;
    }
    return true;
}

void sleepOutFrame(std::uint32_t ms) {
    // A plain sleep: waiting on the event queue instead ended at the first
    // event, so a moving mouse drew the menu hundreds of times a second.
    // Whatever arrives meanwhile stays queued for the next frame.
    SDL_Delay(ms);
}

void waitForEvent(std::uint32_t ms) { SDL_WaitEventTimeout(nullptr, int(ms)); }

void runLoop(Juego& game, SDL_Window* window, const std::function<std::uint32_t()>& ticks,
             const std::function<void(std::uint32_t)>& delay, const std::function<void(std::uint32_t)>& wait) {
    const auto now = [&] { return ticks ? ticks() : SDL_GetTicks(); };
    game.previousTicks = now();
    while (!game.screen.quitRequested) {
        const std::uint32_t start = now();
        const bool drew = game.frame(start);
        if (drew) SDL_GL_SwapWindow(window);
        if (game.screen.quitRequested) break;
        if (!drew) {
            // Nothing changed on a still screen: no frame until something does.
            if (wait) wait(kStillWaitMs);
            else waitForEvent(kStillWaitMs);
            continue;
        }
        const std::uint32_t spent = now() - start;
        if (spent < kFramePeriodMs) {
            if (delay)
                delay(kFramePeriodMs - spent);
            else
                sleepOutFrame(kFramePeriodMs - spent);
        }
    }
    // Escape, SALIR or the window closed mid-run: the run still counts.
    game.saveBest();
}

hop::PadTable padTable() {
    // The d-pad and left stick are the arrows; A chooses on the menus as
    // Return does, B goes back as Backspace does; Start and Back pause to the
    // menu and resume, as p; a shoulder changes the view, as v; the right
    // stick turns the view-2 heading as the mouse does.
    hop::PadTable table;
    table.set(hop::Control::A, SDLK_RETURN, SDL_SCANCODE_RETURN)
        .set(hop::Control::B, SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE)
        .set(hop::Control::Start, SDLK_p, SDL_SCANCODE_P)
        .set(hop::Control::Back, SDLK_p, SDL_SCANCODE_P)
        .set(hop::Control::LeftShoulder, SDLK_v, SDL_SCANCODE_V)
        .set(hop::Control::RightShoulder, SDLK_v, SDL_SCANCODE_V);
    table.lookSpeed = 900;  // pixels a second: 90 degrees of heading at full tilt
    return table;
}

int runGame(int, char**) {
    // Console lines reach a pipe or a file promptly.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "No se pudo iniciar SDL: %s\n", SDL_GetError());
        return 1;
    }
    // Without a display SDL falls back to a driver that draws nowhere: the
    // game would run unseen.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driverWithoutDisplay(driver, SDL_getenv("SDL_VIDEODRIVER"))) {
        std::fprintf(stderr,
                     "No hay pantalla disponible (controlador de video \"%s\"): inicie el juego desde una sesión "
                     "gráfica\n",
                     driver);
        SDL_Quit();
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow(kTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, Juego::kWidth,
                                          Juego::kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        // Without a window and a context nothing can be drawn: say so and stop.
        std::fprintf(stderr, "No se pudo crear la ventana: %s\n", SDL_GetError());
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();
        return 1;
    }
    SDL_GL_SetSwapInterval(1);
    setupGL(Juego::kWidth, Juego::kHeight);
    std::srand(unsigned(std::time(nullptr)));

    int status = 0;
    try {
        // A missing model, texture or font ends the program here, cleanly,
        // with the loader's message.
        hop::Pads pads(padTable());
        hop::Records records("roosterway");
        Juego game;
        game.pads = &pads;
        game.records = &records;
        runLoop(game, window);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return status;
}

}  // namespace roosterway
