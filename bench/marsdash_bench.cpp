// marsdash: start-up to the first frame, then frame times at 640 x 480 on
// maps of 10 and 500 rows, in both views under each of the three lights,
// while the astronaut hops forward and sideways. Best rows go to a folder
// of the bench's own, not the player's.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "benchutil.h"
#include "juego.h"
#include "hoptest/events.h"

using namespace hopbench;

namespace {

void frame(marsdash::Juego& g, std::uint32_t& ms, OffscreenWindow& w) {
    ms += 16;
    g.frame(ms);
    w.present();
}

}  // namespace

int main() {
    if (chdir(STAGE_DIR) != 0) {
        std::perror(STAGE_DIR);
        return 1;
    }
    char data[] = "/tmp/marsdash-bench-XXXXXX";
    if (mkdtemp(data)) setenv("HOPGAMES_DATA_DIR", data, 1);
    constexpr int kFrames = 200;  // per length, view and light
    const auto start = Clock::now();
    OffscreenWindow window("marsdash bench", marsdash::Juego::kAncho, marsdash::Juego::kAlto);
    std::srand(1);
    {
        marsdash::Juego game;
        std::uint32_t ms = 0;
        frame(game, ms, window);
        std::printf("marsdash start-up to first frame: %.1f ms\n", msSince(start));

        const Figures floor = floorFrame(window, kFrames);
        const SDL_Keycode walk[] = {SDLK_UP, SDLK_LEFT, SDLK_UP, SDLK_RIGHT, SDLK_UP, SDLK_RIGHT, SDLK_UP, SDLK_LEFT};
        for (auto [length, sym] : {std::pair{10, SDLK_1}, {500, SDLK_0}}) {
            for (bool follow : {false, true}) {
                if (game.seguir != follow) game.handleEvent(hoptest::keyEvent(SDLK_v, true));
                for (int light = 1; light <= 3; ++light) {
                    while (game.modoLuz != light) game.handleEvent(hoptest::keyEvent(SDLK_s, true));
                    game.handleEvent(hoptest::keyEvent(sym, true));
                    game.handleEvent(hoptest::keyEvent(SDLK_i, true));
                    frame(game, ms, window);
                    std::vector<double> samples;
                    int drawn = 0;
                    for (int i = 0; i < kFrames; ++i) {
                        if (i % 20 == 0) {
                            const SDL_Keycode k = walk[(i / 20) % 8];
                            game.handleEvent(hoptest::keyEvent(k, true));
                            game.handleEvent(hoptest::keyEvent(k, false));
                        }
                        // Keep playing: a crash or the meteor starts a new map of the same length.
                        if (game.muerto || game.ganado()) game.handleEvent(hoptest::keyEvent(SDLK_r, true));
                        const auto t0 = Clock::now();
                        frame(game, ms, window);
                        samples.push_back(msSince(t0));
                        drawn += game.filasDibujadas;
                    }
                    printFrameLine("marsdash " + std::to_string(length) + " rows 640x480, " +
                                       (follow ? "follow view" : "default view") + ", light " + std::to_string(light),
                                   figures(samples), floor);
                    std::printf("  rows drawn per frame: %.1f of %d\n", double(drawn) / kFrames, length);
                }
            }
        }
    }
    return 0;
}
