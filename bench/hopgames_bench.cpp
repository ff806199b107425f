// hopgames: start-up to the first frame of the front window at 1280 x 720
// (the table, controls and best scores read, the fonts opened, the ten
// pictures uploaded, the first picture drawn and shown), then what it costs
// while nothing moves: the processor time of its own loop waiting for input
// over a few seconds, and the pictures it drew meanwhile. Offscreen, where
// SDL waits for events by polling every millisecond; under X it sleeps in
// the X connection (hopidle measures that, with the real program).
#include <SDL2/SDL_image.h>
#include <SDL2/SDL_ttf.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "app.h"
#include "benchutil.h"

using namespace hopbench;

namespace {

constexpr double kGoalStartMs = 300, kGoalIdlePercent = 5, kIdleSeconds = 5;

const char* verdict(bool ok) { return ok ? "PASS" : "OVER"; }

}  // namespace

int main() {
    if (chdir(STAGE_DIR) != 0) {
        std::perror(STAGE_DIR);
        return 1;
    }
    const auto start = Clock::now();
    OffscreenWindow window([](SDL_Window*& w, SDL_GLContext& c) {
        w = SDL_CreateWindow(hopgames::kTitle, 0, 0, hopgames::kWidth, hopgames::kHeight,
                             SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
        c = w ? SDL_GL_CreateContext(w) : nullptr;
    });
    if (TTF_Init() != 0) return 1;
    IMG_Init(IMG_INIT_PNG);
    {
        hopgames::App app(window.window, hopgames::Options{}, std::cerr);
        app.draw();
        const double startMs = msSince(start), startCpu = cpuMs();
        // The processor time beside it: on a loaded machine the wall time
        // mostly measures the wait for a core.
        std::printf("hopgames start-up to first frame: %.1f ms (processor %.1f ms): %s (goal %.0f ms)\n", startMs,
                    startCpu, verdict(startMs <= kGoalStartMs), kGoalStartMs);

        while (app.needsDrawing()) app.step(0);  // the fade-in of its first moments
        int frames = 0;
        const double cpu0 = cpuMs();
        const auto t0 = Clock::now();
        while (msSince(t0) < kIdleSeconds * 1000) {
            frames += app.needsDrawing();
            app.step();
        }
        const double wall = msSince(t0), percent = 100 * (cpuMs() - cpu0) / wall;
        std::printf("hopgames idle front window: %.1f %% of a core, %d frames in %.1f s, RSS %.0f MB: %s (goal %.0f %%)\n",
                    percent, frames, wall / 1000, residentMB(), verdict(percent <= kGoalIdlePercent),
                    kGoalIdlePercent);
    }
    IMG_Quit();
    TTF_Quit();
    return 0;
}
