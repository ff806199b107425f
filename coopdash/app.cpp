#include "app.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <memory>
#include <string>

#include "escena.h"
#include "hopcommon/records.h"
#include "juego.h"
#include "modelos.h"
#include "sonido.h"
#include "texto.h"

namespace coopdash {

namespace {

constexpr double kFrameMs = 1000.0 / 60.0;

double nowMs() { return double(SDL_GetPerformanceCounter()) * 1000.0 / double(SDL_GetPerformanceFrequency()); }

struct TextureName {
    unsigned id = 0;
    ~TextureName() {
        if (id) glDeleteTextures(1, &id);
    }
};

}  // namespace

bool headlessDriverUnasked(const char* driver, const char* asked) {
    if (!driver) return false;
    const auto same = [](const std::string& a, const std::string& b) {
        const auto eq = [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); };
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), eq);
    };
    if (!same(driver, "offscreen") && !same(driver, "dummy")) return false;
    std::string entry;
    for (const char* p = asked ? asked : "";; ++p) {
        if (*p == ',' || *p == '\0') {
            if (same(entry, driver)) return false;
            entry.clear();
            if (*p == '\0') break;
        } else {
            entry += *p;
        }
    }
    return true;
}

int runGame() {
    // Console lines reach a pipe or a file promptly.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::srand(unsigned(std::time(nullptr)));
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "No se pudo iniciar SDL: %s\n", SDL_GetError());
        return 1;
    }
    // Without a display SDL falls back to a driver that shows nothing; a
    // window there would play on unseen.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (headlessDriverUnasked(driver, std::getenv("SDL_VIDEODRIVER"))) {
        std::fprintf(stderr,
                     "No hay pantalla disponible (controlador de video \"%s\"): inicie el juego desde una sesión "
                     "gráfica\n",
                     driver);
        SDL_Quit();
        return 1;
    }
    // Full screen on the desktop as it is: the monitor's mode never changes,
    // and the 1200 x 720 layout is drawn stretched into it.
    SDL_Window* window = SDL_CreateWindow("Taller-3D", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kLayoutWidth,
                                          kLayoutHeight, SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_OPENGL);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "No se pudo crear la ventana: %s\n", SDL_GetError());
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();
        return 1;
    }
    SDL_GL_SetSwapInterval(1);
    bool windowed = false;
    // Without a window manager the desktop full screen is never granted, yet
    // SDL reports the desktop's size; the context's first viewport is the
    // window's real size. Play in the window then.
    {
        GLint viewport[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, viewport);
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(window, &w, &h);
        if (viewport[2] > 0 && viewport[3] > 0 && (viewport[2] != w || viewport[3] != h)) {
            SDL_SetWindowFullscreen(window, 0);
            SDL_SetWindowSize(window, kLayoutWidth, kLayoutHeight);
            std::printf("Pantalla completa no disponible: el juego sigue en una ventana\n");
            windowed = true;
        }
    }
    if (TTF_Init() != 0) {
        std::fprintf(stderr, "No se pudo iniciar SDL_ttf: %s\n", TTF_GetError());
        SDL_GL_DeleteContext(context);
        SDL_DestroyWindow(window);
        SDL_Quit();
        return 1;
    }

    int status = 0;
    try {
        Texto text;
        int w = 0, h = 0;
        SDL_GetWindowSize(window, &w, &h);
        setupGL();
        TextureName atlas;
        atlas.id = loadTexture(kAtlasPath, true);
        Playfield& field = Playfield::getInstance();
        ModelLibrary models;
        field.displayLists = models.lists;
        field.silhouetteLists = models.silhouettes;
        field.modelBoxes = models.boxes;
        field.roadTexture = models.roadTexture;
        field.generate();
        setProjection(ViewTop, w, h);
        Audio audio;
        hop::Records records("coopdash");
        hop::Pads pads(padTable());
        Juego game(field, Recursos{&text, &audio, atlas.id, &records, &pads}, window);
        if (windowed) game.fullscreen = game.fullscreenAvailable = false;
        game.start();
        double last = nowMs();
        while (!game.quit) {
            const double frameStart = nowMs();
            if (!game.frame(frameStart - last)) {
                // A menu nothing changed: no drawing, no swap; the next event
                // wakes the loop at once (SIGTERM arrives as one too). The
                // wait is not game time.
                SDL_WaitEventTimeout(nullptr, 500);
                last = nowMs();
                continue;
            }
            last = frameStart;
            SDL_GL_SwapWindow(window);
            // Paced on every screen: vsync where there is one, else a sleep.
            const double spent = nowMs() - frameStart;
            if (spent < kFrameMs) SDL_Delay(Uint32(kFrameMs - spent));
        }
        game.endRun();
        field.objects.clear();
        field.rows.clear();
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    TTF_Quit();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return status;
}

}  // namespace coopdash
