// orbitdash: start-up to the first frame, then frame times at 640 x 480 on
// each of the three levels while the astronaut jumps along the course
// (and is put back on the start whenever it falls), next to the empty-frame
// floor of the same run.
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "app.h"
#include "benchutil.h"
#include "hoptest/events.h"

using namespace hopbench;

namespace {

// Repeatable belts for comparable runs.
struct BenchRandom : orbitdash::Random {
    std::uint32_t next = 1;
    std::uint32_t seed() override { return next++; }
};

}  // namespace

int main() {
    if (chdir(STAGE_DIR) != 0) {
        std::perror(STAGE_DIR);
        return 1;
    }
    constexpr int kFrames = 300;
    const auto start = Clock::now();
    OffscreenWindow window("orbitdash bench", 640, 480);
    BenchRandom random;
    std::srand(1);
    {
        orbitdash::App app(random, std::cerr);
        std::uint32_t ms = 1000;
        app.frame(ms);
        window.present();
        std::printf("orbitdash start-up to first frame: %.1f ms\n", msSince(start));

        const Figures floor = floorFrame(window, kFrames);
        orbitdash::Game& game = app.game();
        for (int level = 1; level <= 3; ++level) {
            game.settings.level = level;
            // Level 1 is loaded; the others through the level-completed screen.
            if (level > 1) {
                game.settings.level = level - 1;
                game.settings.state = orbitdash::kLevelDone;
            }
            app.handleEvent(hoptest::keyEvent(SDLK_r, true));
            app.handleEvent(hoptest::keyEvent(SDLK_r, false));
            std::vector<double> samples;
            for (int i = 0; i < kFrames; ++i) {
                if (i % 30 == 0) app.handleEvent(hoptest::keyEvent(SDLK_w, true));
                if (game.lives < 3) game.lives = 3;  // keep playing
                const auto t0 = Clock::now();
                ms += 17;
                app.frame(ms);
                window.present();
                samples.push_back(msSince(t0));
            }
            printFrameLine("orbitdash level " + std::to_string(level) + " 640x480", figures(samples), floor);
            std::printf("  course items: %zu, drawn per frame: %d\n", game.course.size(), app.renderer().itemsDrawn);
        }
    }
    return 0;
}
