// lanehop: start-up to the first frame, then frame times at 1600 x 900 on
// every level, in every view (the default third-person view, first person,
// the overhead view and the orthographic third-person view) under each of
// the five lights, while the chicken walks and the traffic runs. The window
// is the game's own (hop::openGLWindow), so the framebuffer is the one a
// player gets. One line per level, view and light, with the processor time
// per frame (all threads: the renderer's too). HOP_BENCH_LEVEL=n,
// HOP_BENCH_VIEW=n (1 to 4) and HOP_BENCH_LIGHT=n (1 to 5) measure that one
// alone (a profiler's run); HOP_FAST_DRAWING=0 draws without the engine's
// drawing shortcuts (hop::fastDrawing), to weigh them; HOP_BENCH_WEIGH=1
// weighs them within one run: each scene is drawn in blocks of frames with
// the shortcuts on and off in turn, so that a drift in the machine's speed
// falls on both alike (the processor time of the next line then includes
// those blocks); HOP_BENCH_SHOTS=dir saves each measured scene there as a
// PPM picture.
#include <GL/gl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "benchutil.h"
#include "camera.h"
#include "drawing.h"
#include "glwindow.h"
#include "mainloop.h"
#include "player.h"
#include "world.h"
#include "hoptest/events.h"

using namespace hopbench;

namespace {

constexpr int kW = 1600, kH = 900;

struct View {
    const char* name;
    std::vector<SDL_Keycode> enter, leave;  // keys from the default view and back
};

const View kViews[] = {
    {"default view", {}, {}},
    {"first person", {SDLK_v}, {SDLK_v, SDLK_v}},
    {"overhead", {SDLK_v, SDLK_v}, {SDLK_v}},
    {"orthographic", {SDLK_o}, {SDLK_o}},
};

const struct {
    const char* name;
    SDL_Keycode key;
} kLights[] = {{"day", SDLK_1}, {"sunset", SDLK_2}, {"night", SDLK_3}, {"lantern", SDLK_4}, {"lamp", SDLK_5}};

}  // namespace

int main() {
    if (chdir(STAGE_DIR) != 0) {
        std::perror(STAGE_DIR);
        return 1;
    }
    // Levels won here are not the player's: best results go to a folder of the bench's own.
    char data[] = "/tmp/lanehop-bench-XXXXXX";
    if (mkdtemp(data)) setenv("HOPGAMES_DATA_DIR", data, 1);
    const int kFrames = benchFrames(90);  // per light, in each view of each level
    const auto only = [](const char* name) { return std::getenv(name) ? std::atoi(std::getenv(name)) : 0; };
    const int onlyLevel = only("HOP_BENCH_LEVEL"), onlyView = only("HOP_BENCH_VIEW"), onlyLight = only("HOP_BENCH_LIGHT");
    if (const char* fast = std::getenv("HOP_FAST_DRAWING")) hop::fastDrawing = std::atoi(fast) != 0;
    const bool weigh = std::getenv("HOP_BENCH_WEIGH") != nullptr;
    const auto start = Clock::now();
    std::string renderer;
    int samples = 0;
    OffscreenWindow window([&](SDL_Window*& w, SDL_GLContext& c) {
        const hop::GLWindow made = hop::openGLWindow("lanehop bench", kW, kH);
        w = made.window;
        c = made.context;
        renderer = made.renderer;
        samples = made.samples;
    });
    hop::MainLoop* ml = hop::MainLoop::getInstance();
    ml->attach(window.window, window.context, kW, kH);
    {
        auto* world = new lanehop::World();
        ml->setScene(world);
        world->loadResources();
        ml->setPause(false);
        ml->frame(1.f / 60, false);
        window.present();
        std::printf("lanehop start-up to first frame: %.1f ms  cpu %.0f ms  RSS %.0f MB  (%s, %d samples)\n",
                    msSince(start), cpuMs(), residentMB(), renderer.c_str(), samples);

        const Figures floor = floorFrame(window, kFrames);
        static Uint8 keys[SDL_NUM_SCANCODES];
        auto press = [&](SDL_Keycode k) { world->inputBase(hoptest::keyEvent(k), 1.f / 60); };
        auto frame = [&](int i) {
            std::memset(keys, 0, sizeof keys);
            keys[(i / 30) % 2 ? SDL_SCANCODE_LEFT : SDL_SCANCODE_RIGHT] = 1;
            if (world->getPlayer()) world->getPlayer()->setKeyboard(keys);
            ml->frame(1.f / 60, false);  // the loop's own frame; the bench swaps
            window.present();
        };
        for (int level = 1; level <= 6; ++level) {
            if (level > 1) world->nextLevel();
            if (onlyLevel > 0 && level != onlyLevel) continue;
            for (int i = 0; i < 120; ++i) ml->update(1.f / 60);  // traffic on every road
            std::vector<double> on, off;  // each scene's median, when weighing
            for (const View& view : kViews) {
                for (SDL_Keycode k : view.enter) press(k);
                if (onlyView && onlyView != &view - kViews + 1) {
                    for (SDL_Keycode k : view.leave) press(k);
                    continue;
                }
                for (const auto& light : kLights) {
                    if (onlyLight && onlyLight != &light - kLights + 1) continue;
                    press(light.key);
                    // The first frame after a light key compiles the terrain
                    // again (once per key press): not a frame of play.
                    frame(0);
                    std::vector<double> samples;
                    for (int i = 0; i < kFrames; ++i) {
                        const auto t0 = Clock::now();
                        frame(i);
                        samples.push_back(msSince(t0));
                    }
                    printFrameLine("level " + std::to_string(level) + ", " + view.name + ", " + light.name,
                                   figures(samples), floor);
                    if (weigh) {
                        // Blocks of 10 frames, the shortcuts on and off in
                        // turn; a block's first frame compiles the terrain
                        // again and is not counted.
                        std::vector<double> with, without;
                        for (int block = 0; block < 2 * std::max(1, kFrames / 9); ++block) {
                            hop::fastDrawing = block % 2 == 0;
                            frame(0);
                            for (int i = 0; i < 9; ++i) {
                                const auto t0 = Clock::now();
                                frame(i);
                                (hop::fastDrawing ? with : without).push_back(msSince(t0));
                            }
                        }
                        hop::fastDrawing = true;
                        on.push_back(figures(with).median);
                        off.push_back(figures(without).median);
                    }
                    if (const char* dir = std::getenv("HOP_BENCH_SHOTS")) {
                        std::vector<unsigned char> px(std::size_t(kW) * kH * 3);
                        glPixelStorei(GL_PACK_ALIGNMENT, 1);
                        glReadBuffer(GL_BACK);
                        ml->frame(1.f / 60, false);
                        glReadPixels(0, 0, kW, kH, GL_RGB, GL_UNSIGNED_BYTE, px.data());
                        const std::string path = std::string(dir) + "/l" + std::to_string(level) + "-" +
                                                 std::to_string(&view - kViews) + "-" + light.name + ".ppm";
                        if (FILE* f = std::fopen(path.c_str(), "wb")) {
                            std::fprintf(f, "P6 %d %d 255\n", kW, kH);
                            for (int y = kH - 1; y >= 0; --y) std::fwrite(&px[std::size_t(y) * kW * 3], 1, std::size_t(kW) * 3, f);
                            std::fclose(f);
                        }
                        window.present();
                    }
                }
                for (SDL_Keycode k : view.leave) press(k);
            }
            if (weigh) {
                auto mean = [](const std::vector<double>& v) {
                    double sum = 0;
                    for (double x : v) sum += x;
                    return v.empty() ? 0 : sum / double(v.size());
                };
                std::printf("level %d, shortcuts on / off, interleaved: scene medians mean %.2f / %.2f ms, "
                            "worst %.2f / %.2f ms\n",
                            level, mean(on), mean(off), *std::max_element(on.begin(), on.end()),
                            *std::max_element(off.begin(), off.end()));
            }
            press(SDLK_1);
        }
    }
    ml->shutdown();
    return 0;
}
