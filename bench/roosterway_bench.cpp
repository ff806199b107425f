// roosterway: start-up to the first frame (18 model imports with their
// textures, the glyph textures of both fonts), frame times at 1280 x 720 in
// each camera view under each of the four lights while the chicken hops and
// walks the field, the menu, and the cost of a textures toggle (the whole
// library re-imported).
#include <unistd.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "benchutil.h"
#include "game.h"
#include "render.h"
#include "hoptest/events.h"

using namespace hopbench;
using roosterway::Juego;

namespace {

// One playing frame as the loop runs it, minus event polling.
void playFrame(Juego& game, OffscreenWindow& window, bool walk) {
    game.screen.mainState = roosterway::StatePlaying;
    game.update(16, walk, false);
    game.drawPlaying();
    window.present();
}

}  // namespace

int main() {
    if (chdir(STAGE_DIR) != 0) {
        std::perror(STAGE_DIR);
        return 1;
    }
    std::srand(7);
    const int kFrames = benchFrames(240);
    const auto start = Clock::now();
    // The game asks for no particular depth buffer; under X11 (GLX over
    // llvmpipe) its window gets 32 bits, where the offscreen driver would
    // give 16. Ask for what the game gets, so that depth traffic is measured.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "bench: SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 32);
    OffscreenWindow window("roosterway bench", Juego::kWidth, Juego::kHeight);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    roosterway::setupGL(Juego::kWidth, Juego::kHeight);
    {
        Juego game;
        game.drawMenu();
        window.present();
        std::printf("roosterway start-up to first frame: %.1f ms  (processor %.0f ms)  RSS %.0f MB  depth buffer %d bits\n",
                    msSince(start), cpuMs(), residentMB(), int(depthBits));

        const Figures floor = floorFrame(window, kFrames);
        {
            std::vector<double> samples;
            for (int i = 0; i < kFrames; ++i) {
                const auto t0 = Clock::now();
                game.drawMenu();
                window.present();
                samples.push_back(msSince(t0));
            }
            printFrameLine("roosterway menu 1280x720", figures(samples), floor);
        }
        const SDL_Keycode hops[] = {SDLK_UP, SDLK_LEFT, SDLK_UP, SDLK_RIGHT, SDLK_UP, SDLK_RIGHT, SDLK_UP, SDLK_LEFT};
        for (int view = 0; view < 3; ++view) {
            for (int light = 0; light < 4; ++light) {
                game.view = view;
                game.options.lightMode = light;
                std::vector<double> samples;
                for (int i = 0; i < kFrames; ++i) {
                    if (view != 2 && i % 24 == 0) {
                        const SDL_Keycode k = hops[(i / 24) % 8];
                        game.handleEvent(hoptest::keyEvent(k, true));
                        game.handleEvent(hoptest::keyEvent(k, false));
                    }
                    const auto t0 = Clock::now();
                    playFrame(game, window, view == 2);
                    samples.push_back(msSince(t0));
                    if (game.screen.newGameRequested) {
                        game.screen.newGameRequested = false;
                        game.newWorld();
                    }
                }
                printFrameLine("roosterway view " + std::to_string(view) + " light " + std::to_string(light + 1) +
                                   " 1280x720",
                               figures(samples), floor);
            }
        }
        game.options.lightMode = 0;
        std::vector<double> toggles;
        for (int i = 0; i < 4; ++i) {
            game.options.textures = !game.options.textures;
            const auto t0 = Clock::now();
            playFrame(game, window, false);
            toggles.push_back(msSince(t0));
        }
        const Figures t = figures(toggles);
        std::printf("roosterway textures toggle (reload + frame): median %.1f ms  max %.1f ms\n", t.median,
                    *std::max_element(toggles.begin(), toggles.end()));
    }
    return 0;
}
