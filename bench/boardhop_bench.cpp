// boardhop: start-up to the first frame, then frame times at 800 x 600 in
// every camera view while the penguin walks the board.
#include <SDL2/SDL_image.h>
#include <SDL2/SDL_ttf.h>
#include <unistd.h>

#include <cstdio>

#include "benchutil.h"
#include "camara.h"
#include "hud.h"
#include "juego.h"
#include "jugador.h"
#include "tiletextures.h"
#include "hoptest/events.h"

using namespace hopbench;

namespace {

}  // namespace

int main() {
    if (chdir(STAGE_DIR) != 0) {
        std::perror(STAGE_DIR);
        return 1;
    }
    constexpr int kFrames = 240;
    const auto start = Clock::now();
    OffscreenWindow window("boardhop bench", boardhop::Juego::kWidth, boardhop::Juego::kHeight);
    TTF_Init();
    IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);
    double startup = 0;
    {
        boardhop::Juego game;
        std::uint32_t ticks = 16;
        game.frame(ticks);
        window.present();
        startup = msSince(start);
        std::printf("boardhop start-up to first frame: %.1f ms\n", startup);

        const Figures floor = floorFrame(window, kFrames);
        const SDL_Keycode walk[] = {SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT, SDLK_UP, SDLK_UP, SDLK_DOWN, SDLK_LEFT};
        for (int mode = 0; mode < boardhop::Camara::kModes; ++mode) {
            std::vector<double> samples;
            for (int i = 0; i < kFrames; ++i) {
                if (i % 20 == 0) {
                    const SDL_Keycode k = walk[(i / 20) % 7];
                    game.handleEvent(hoptest::keyEvent(k, true));
                    game.handleEvent(hoptest::keyEvent(k, false));
                }
                if (game.player->dead) game.handleEvent(hoptest::keyEvent(SDLK_SPACE, true));
                while (game.camera->mode != mode) game.camera->nextMode();
                const auto t0 = Clock::now();
                ticks += 16;
                game.frame(ticks);
                window.present();
                samples.push_back(msSince(t0));
            }
            printFrameLine("boardhop view " + std::to_string(mode) + " 800x600", figures(samples), floor);
        }
        boardhop::releaseTileTextures();
        boardhop::closeFonts();
    }
    TTF_Quit();
    IMG_Quit();
    return 0;
}
