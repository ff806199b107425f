// henrun: start-up to the first frame, then frame times at 1920 x 1080 in
// both cameras while the hen walks, and again once it has gained 1,000 rows,
// with resident memory at both points.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app.h"
#include "benchutil.h"
#include "hoptest/events.h"

using namespace hopbench;

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kFrames = 240;

struct Bench {
    OffscreenWindow& window;
    henrun::Programa& game;
    std::uint32_t ms = 0;

    void frame(henrun::Teclas keys = {}) {
        game.frame(ms += 16, keys);
        window.present();
    }
    void key(SDL_Keycode k) {
        SDL_Event e = hoptest::keyEvent(k);
        SDL_PushEvent(&e);
        frame();
    }
    // Walks ahead, weaving a little; a dead hen starts a new game at once.
    Figures play(int frames) {
        std::vector<double> samples;
        for (int i = 0; i < frames; ++i) {
            henrun::Game& g = game.juego().game();
            if (g.hen.state != henrun::Gallina::Viva) {
                key(SDLK_RETURN);
                key(SDLK_p);
            }
            const henrun::Teclas keys{true, i % 60 < 10, i % 60 >= 30 && i % 60 < 40};
            const auto t0 = Clock::now();
            frame(keys);
            samples.push_back(msSince(t0));
        }
        return figures(samples);
    }
};

}  // namespace

int main() {
    if (chdir(STAGE_DIR) != 0) {
        std::perror(STAGE_DIR);
        return 1;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::srand(1);
    const auto start = Clock::now();
    OffscreenWindow window("henrun bench", kWidth, kHeight);
    henrun::Programa game(nullptr, kWidth, kHeight, 0);
    Bench b{window, game};
    b.frame();
    std::printf("henrun start-up to first frame: %.1f ms\n", msSince(start));
    const Figures floor = floorFrame(window, kFrames);
    b.key(SDLK_p);
    printFrameLine("henrun overview 1920x1080", b.play(kFrames), floor);
    b.key(SDLK_c);
    const Figures follow = b.play(kFrames);
    printFrameLine("henrun follow 1920x1080", follow, floor);
    std::printf("  resident memory: %.0f MB\n", residentMB());

    // 1,000 rows further on, as if walked: the rows appended one per point.
    henrun::Game& g = game.juego().game();
    for (int i = 0; i < 1000; ++i) {
        ++g.score;
        g.world.append();
    }
    henrun::attachModels(g, game.recursos());
    g.hen.z -= 4000.f;
    game.juego().camera().updateCamera(g.hen);
    const Figures far = b.play(kFrames);
    printFrameLine("henrun follow, 1000 rows on", far, floor);
    std::printf("  %.2fx the time at the start; resident memory: %.0f MB\n", far.median / follow.median, residentMB());
    return 0;
}
