#include "app.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <SDL2/SDL_ttf.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "hopcommon/pads.h"
#include "hopcommon/records.h"
#include "hud.h"
#include "juego.h"
#include "objloader.h"
#include "tiletextures.h"

namespace boardhop {

namespace {
const char* const kTitle = "Grafitec 2021 - boardhop";
// Without vsync (a virtual display, some drivers) the loop would spin a core
// on every screen: a frame takes at least this long, about 60 a second.
constexpr std::uint32_t kFramePeriodMs = 16;
}

bool driverWithoutDisplay(const char* driver, const char* requested) {
    if (!driver || (SDL_strcasecmp(driver, "offscreen") != 0 && SDL_strcasecmp(driver, "dummy") != 0)) return false;
    // Asked for by name (tests, benchmarks): the caller knows there is no display.
    const std::string wanted = requested ? requested : "";
    for (std::size_t start = 0; start <= wanted.size();) {
        std::size_t end = wanted.find(',', start);
        if (end == std::string::npos) end = wanted.size();
        if (SDL_strcasecmp(wanted.substr(start, end - start).c_str(), driver) == 0) return false;
        start = end + 1;
    }
    return true;
}

hop::PadTable padTable() {
    // The d-pad and left stick are the arrows; A and B start a new run after
    // a death, as space; Start pauses, as p; Back shows the help, as h; a
    // shoulder changes the view, as v; the right stick turns the view where
    // any mouse motion does (views 4 and 5).
    hop::PadTable table;
    table.set(hop::Control::A, SDLK_SPACE, SDL_SCANCODE_SPACE)
        .set(hop::Control::B, SDLK_SPACE, SDL_SCANCODE_SPACE)
        .set(hop::Control::Start, SDLK_p, SDL_SCANCODE_P)
        .set(hop::Control::Back, SDLK_h, SDL_SCANCODE_H)
        .set(hop::Control::LeftShoulder, SDLK_v, SDL_SCANCODE_V)
        .set(hop::Control::RightShoulder, SDLK_v, SDL_SCANCODE_V);
    table.lookSpeed = 600;
    return table;
}

int runGame() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "could not initialize sdl2: %s\n", SDL_GetError());
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
    if (TTF_Init() == -1) {
        std::printf("TTF_Init: %s\n", SDL_GetError());
        std::fflush(stdout);
        std::exit(2);
    }
    const int wanted = IMG_INIT_JPG | IMG_INIT_PNG;
    if ((IMG_Init(wanted) & wanted) != wanted) {
        std::fprintf(stderr, "could not load sdl2_image: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow(kTitle, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, Juego::kWidth,
                                          Juego::kHeight, SDL_WINDOW_OPENGL);
    if (!window) {
        std::fprintf(stderr, "could not create window: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        // Without a context nothing can be drawn; say so rather than crash.
        std::fprintf(stderr, "could not create window: %s\n", SDL_GetError());
        SDL_DestroyWindow(window);
        return 1;
    }
    SDL_GL_SetSwapInterval(1);

    int status = 0;
    try {
        hop::Pads pads(padTable());
        hop::Records records("boardhop");
        Juego game;
        game.pads = &pads;
        game.useRecords(&records);
        while (!game.quit) {
            const std::uint32_t start = SDL_GetTicks();
            if (!game.frame()) {
                // A still screen with nothing changed: wait for an event, at
                // most a tenth of a second (a controller plugged in, SIGTERM).
                SDL_WaitEventTimeout(nullptr, 100);
                continue;
            }
            SDL_GL_SwapWindow(window);
            const std::uint32_t used = SDL_GetTicks() - start;
            if (used < kFramePeriodMs) SDL_Delay(kFramePeriodMs - used);
        }
        game.saveBest(true);
    } catch (const ObjError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }

    releaseTileTextures();
    closeFonts();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    TTF_Quit();
    IMG_Quit();
    SDL_Quit();
    return status;
}

}  // namespace boardhop
