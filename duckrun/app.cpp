#include "app.h"

#include <SDL2/SDL.h>
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

#include "assets.h"
#include "game.h"
#include "overlay.h"

namespace duckrun {

namespace {

const char* const kTitle = "Plonky Duck 3D";
// Frames never come closer than this: with vsync the display sets the pace,
// without it (a virtual display, some drivers) the loop sleeps instead of
// spinning a core. Motion is time-based, so the cap changes no speed.
constexpr std::int64_t kMinFrameNs = 1000000000 / 120;
constexpr std::int64_t kMinFrameNoVsyncNs = 1000000000 / 60;
// A still blackboard sleeps until an event, waking this often to look again.
constexpr int kStillWakeMs = 500;

std::int64_t steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

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

void setupGL() {
    glViewport(0, 0, Game::kWidth, Game::kHeight);
    glClearColor(0, 0, 0, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, double(Game::kWidth) / Game::kHeight, 0.1, 200);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

int runGame(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "No se pudo iniciar SDL: %s\n", SDL_GetError());
        return 1;
    }
    // Without a display SDL may fall back to a driver that shows nothing;
    // GLUT would then end the program on its own, without a word.
    const std::string noDisplay = noDisplayLine(SDL_GetCurrentVideoDriver(), std::getenv("SDL_VIDEODRIVER"));
    if (!noDisplay.empty()) {
        std::fprintf(stderr, "%s\n", noDisplay.c_str());
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
    glutInit(&argc, argv);
    setGlyphRenderer(glutGlyphs);
    const bool vsync = SDL_GL_SetSwapInterval(1) == 0;
    const std::int64_t minFrame = vsync ? kMinFrameNs : kMinFrameNoVsyncNs;
    setupGL();

    int status = 0;
    try {
        Game game(true, steadyNs());
        std::printf("Plonky Duck 3D listo\n");
        while (!game.quit) {
            // The blackboard on screen stands as drawn: sleep until an event
            // (a key, a controller, the window, SIGTERM) comes, then draw
            // the frame that handles it.
            if (game.still() && SDL_WaitEventTimeout(nullptr, kStillWakeMs) != 1) continue;
            const std::int64_t start = steadyNs();
            game.frame(start);
            SDL_GL_SwapWindow(window);
            const std::int64_t used = steadyNs() - start;
            if (used < minFrame) std::this_thread::sleep_for(std::chrono::nanoseconds(minFrame - used));
        }
        game.saveBest();  // quitting ends the run
    } catch (const std::exception& e) {
        // A missing or damaged file: its message names it.
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return status;
}

}  // namespace duckrun
