// lanehop: start-up to the first frame, then frame times at 1600 x 900 on the
// busiest level (level 4: five roads of traffic, rivers, trees) while the
// chicken walks, in the default view, the overhead view and by sunset light.
#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "benchutil.h"
#include "camera.h"
#include "mainloop.h"
#include "player.h"
#include "world.h"
#include "hoptest/events.h"

using namespace hopbench;

namespace {

}  // namespace

int main() {
    if (chdir(STAGE_DIR) != 0) {
        std::perror(STAGE_DIR);
        return 1;
    }
    constexpr int kW = 1600, kH = 900;
    const int kFrames = benchFrames(240);
    const auto start = Clock::now();
    OffscreenWindow window("lanehop bench", kW, kH);
    hop::MainLoop* ml = hop::MainLoop::getInstance();
    ml->attach(window.window, window.context, kW, kH);
    {
        auto* world = new lanehop::World();
        ml->setScene(world);
        world->loadResources();
        ml->setPause(false);
        ml->frame(1.f / 60, false);
        window.present();
        std::printf("lanehop start-up to first frame: %.1f ms  RSS %.0f MB\n", msSince(start), residentMB());

        const Figures floor = floorFrame(window, kFrames);
        for (int i = 0; i < 3; ++i) world->nextLevel();  // level 4
        static Uint8 keys[SDL_NUM_SCANCODES];
        auto measure = [&](const char* label) {
            std::vector<double> samples;
            for (int i = 0; i < kFrames; ++i) {
                std::memset(keys, 0, sizeof keys);
                keys[(i / 30) % 2 ? SDL_SCANCODE_LEFT : SDL_SCANCODE_RIGHT] = 1;
                if (world->getPlayer()) world->getPlayer()->setKeyboard(keys);
                const auto t0 = Clock::now();
                ml->frame(1.f / 60, false);  // the loop's own frame; the bench swaps
                window.present();
                samples.push_back(msSince(t0));
            }
            printFrameLine(label, figures(samples), floor);
        };
        for (int i = 0; i < 120; ++i) ml->update(1.f / 60);  // traffic on every road
        measure("level 4, default view");
        world->inputBase(hoptest::keyEvent(SDLK_v), 1.f / 60);
        world->inputBase(hoptest::keyEvent(SDLK_v), 1.f / 60);
        measure("level 4, overhead view");
        world->inputBase(hoptest::keyEvent(SDLK_v), 1.f / 60);
        world->inputBase(hoptest::keyEvent(SDLK_2), 1.f / 60);
        measure("level 4, sunset");
    }
    ml->shutdown();
    return 0;
}
