// henrun: start-up to the first frame, then frame times at 1920 x 1080 while
// the hen walks, in each camera (overview, follow) under each light (day,
// night), and again in the follow view once it has gained 1,000 rows, with
// resident memory.
#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app.h"
#include "benchutil.h"
#include "hoptest/events.h"

using namespace hopbench;

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

struct Bench {
    OffscreenWindow& window;
    henrun::Programa& game;
    std::uint32_t ms = 0;
    bool follow = false, night = false;  // the view and light each line is about

    void frame(henrun::Teclas keys = {}) {
        if (game.frame(ms += 16, keys)) window.present();
    }
    void key(SDL_Keycode k) {
        SDL_Event e = hoptest::keyEvent(k);
        SDL_PushEvent(&e);
        frame();
    }
    // The view and light asked for (a new game starts in the overview by day).
    void set() {
        if ((game.juego().camera().cameraMode == henrun::Camara::Follow) != follow) key(SDLK_c);
        if ((game.juego().game().lightMode == 1) != night) key(SDLK_l);
    }
    // Walks ahead, weaving a little; a dead hen starts a new game at once.
    Figures play(int frames) {
        std::vector<double> samples;
        set();
        for (int i = 0; i < frames; ++i) {
            henrun::Game& g = game.juego().game();
            if (g.hen.state != henrun::Gallina::Viva) {
                key(SDLK_RETURN);
                key(SDLK_p);
                set();
            }
            const henrun::Teclas keys{true, i % 60 < 10, i % 60 >= 30 && i % 60 < 40};
            const auto t0 = Clock::now();
            frame(keys);
            samples.push_back(msSince(t0));
        }
        return figures(samples);
    }
    // The 3D scene alone as it was drawn before (everything, blended
    // throughout) and as now (culled to the view, sky last), alternately:
    // wall and processor time per drawing, GL finished.
    void sceneBeforeAndNow(const std::string& what, int n) {
        double wall[2] = {}, cpu[2] = {};
        henrun::Juego& j = game.juego();
        for (int i = 0; i < n; ++i)
            for (int plain = 1; plain >= 0; --plain) {
                const auto t0 = Clock::now();
                const double c0 = cpuMs();
                glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                henrun::setProjectionAndView(j.camera(), j.game());
                henrun::drawWorld(j.game(), j.camera(), game.recursos(), plain == 1);
                glFinish();
                cpu[plain] += cpuMs() - c0;
                wall[plain] += msSince(t0);
            }
        std::printf("  %s scene: before %.2f ms (cpu %.2f), now %.2f ms (cpu %.2f) a drawing\n", what.c_str(),
                    wall[1] / n, cpu[1] / n, wall[0] / n, cpu[0] / n);
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
    const int frames = benchFrames(240);
    const auto start = Clock::now();
    OffscreenWindow window("henrun bench", kWidth, kHeight);  // asks for the offscreen driver itself
    henrun::Programa game(nullptr, kWidth, kHeight, 0);
    Bench b{window, game};
    b.frame();
    std::printf("henrun start-up to first frame: %.1f ms\n", msSince(start));
    const Figures floor = floorFrame(window, frames);
    b.key(SDLK_p);
    Figures follow{0, 0};
    for (bool inFollow : {false, true})
        for (bool atNight : {false, true}) {
            b.follow = inFollow;
            b.night = atNight;
            const Figures f = b.play(frames);
            const std::string name = std::string("henrun ") + (inFollow ? "follow" : "overview") + (atNight ? " night" : " day");
            printFrameLine(name, f, floor);
            b.sceneBeforeAndNow(name, frames / 4);
            if (inFollow && !atNight) follow = f;
        }
    std::printf("  resident memory: %.0f MB\n", residentMB());

    // 1,000 rows further on, as if walked: the rows appended one per point.
    b.follow = true;
    b.night = false;
    b.set();
    henrun::Game& g = game.juego().game();
    for (int i = 0; i < 1000; ++i) {
        ++g.score;
        g.world.append();
    }
    henrun::attachModels(g, game.recursos());
    g.hen.z -= 4000.f;
    game.juego().camera().updateCamera(g.hen);
    const Figures far = b.play(frames);
    printFrameLine("henrun follow, 1000 rows on", far, floor);
    std::printf("  %.2fx the time at the start; resident memory: %.0f MB\n", far.median / follow.median, residentMB());
    return 0;
}
