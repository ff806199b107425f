// pigeonrun: start-up to the first frame, then frame times at its 640 x 480
// in every view (fixed; free at the starting distance and zoomed all the way
// out, where the most ground shows) while the pigeon hops about and the sun
// and moon go all the way round, beside the floor of an empty frame. The
// game has no levels; its title, pause and game over are still screens,
// drawn only when something changes (hopidle measures them).
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
    const int kFrames = benchFrames(300);
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
        struct View {
            const char* name;
            bool free;
            float distance;
        };
        for (const View& view : {View{"fixed view", false, 5}, View{"free view", true, 5},
                                 View{"free view zoomed out", true, pigeonrun::ViewCamera::kMaxDistance}}) {
            std::vector<double> samples;
            for (int i = 0; i < kFrames; ++i) {
                // A car may end the run: start again and keep hopping.
                if (game.world.status.state != pigeonrun::StatePlaying) tap(game, SDLK_RETURN);
                if (!game.resetPending && game.camera.fixedView == view.free) tap(game, SDLK_v);
                if (view.free && game.camera.distance != view.distance) {
                    game.camera.distance = view.distance;
                    game.projectionDirty = true;
                }
                if (i % 20 == 0) tap(game, (i / 20) % 3 == 1 ? SDLK_LEFT : SDLK_UP);
                game.lightAngle = 65 + 360.0 * i / kFrames;
                const auto t0 = Clock::now();
                frame(game, window);
                samples.push_back(msSince(t0));
            }
            printFrameLine(std::string("pigeonrun ") + view.name + ", light all round, 640x480", figures(samples),
                           floor);
        }
    }
    return 0;
}
