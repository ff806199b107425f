// pigeonrun: start-up to the first frame, then frame times at 640 x 480 in
// the fixed and the free view while the pigeon hops about, beside the floor
// of an empty frame.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "benchutil.h"
#include "game.h"
#include "hoptest/events.h"

using namespace hopbench;

namespace {

void frame(pigeonrun::Game& g, OffscreenWindow& w) {
    g.pass();
    g.draw();
    w.present();
}

void tap(pigeonrun::Game& g, SDL_Keycode k) {
    g.handleEvent(hoptest::keyEvent(k, true));
    g.handleEvent(hoptest::keyEvent(k, false));
}

}  // namespace

int main() {
    if (chdir(STAGE_DIR) != 0) {
        std::perror(STAGE_DIR);
        return 1;
    }
    constexpr int kFrames = 300;
    const auto start = Clock::now();
    OffscreenWindow window("pigeonrun bench", pigeonrun::Game::kWidth, pigeonrun::Game::kHeight);
    std::srand(1);
    std::ostringstream console;  // the key lines are not part of the figures
    {
        pigeonrun::Game game(true, {}, &console);
        game.draw();
        window.present();
        std::printf("pigeonrun start-up to first frame: %.1f ms\n", msSince(start));

        const Figures floor = floorFrame(window, kFrames);
        for (const char* view : {"fixed view", "free view"}) {
            std::vector<double> samples;
            for (int i = 0; i < kFrames; ++i) {
                // A car may end the run: start again and keep hopping.
                if (game.world.status.state != pigeonrun::StatePlaying) tap(game, SDLK_RETURN);
                const bool wantFree = view[1] == 'r';
                if (!game.resetPending && game.camera.fixedView == wantFree) tap(game, SDLK_v);
                if (i % 20 == 0) tap(game, (i / 20) % 3 == 1 ? SDLK_LEFT : SDLK_UP);
                const auto t0 = Clock::now();
                frame(game, window);
                samples.push_back(msSince(t0));
            }
            printFrameLine(std::string("pigeonrun ") + view + " 640x480", figures(samples), floor);
        }
    }
    return 0;
}
