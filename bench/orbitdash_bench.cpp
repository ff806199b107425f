// orbitdash: start-up to the first frame, then frame times at 640 x 480 on
// each of the three levels in both views (V), with the camera as far as M
// takes it, and under each display switch (textures off, wireframe,
// smooth shading), while the astronaut jumps along the course (and is put
// back on the start whenever it falls); then the two still screens (title,
// menu) as they cost when they are drawn. Next to the empty-frame floor of
// the same run. The ring's look-ahead (a copy of the game played through a
// jump, every frame the astronaut stands) is timed on its own.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

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

struct Scene {
    std::string label;
    int level = 1;
    int view = 0;  // V: 0 behind the astronaut, 1 from above
    bool far = false;
    bool textures = true, wireframe = false, flat = true;
};

void tap(orbitdash::App& app, SDL_Keycode k) {
    app.handleEvent(hoptest::keyEvent(k, true));
    app.handleEvent(hoptest::keyEvent(k, false));
}

}  // namespace

int main() {
    if (chdir(STAGE_DIR) != 0) {
        std::perror(STAGE_DIR);
        return 1;
    }
    // The levels this bench finishes are nobody's best.
    char records[] = "/tmp/orbitdash_bench_XXXXXX";
    if (!mkdtemp(records)) {
        std::perror(records);
        return 1;
    }
    setenv("HOPGAMES_DATA_DIR", records, 1);

    const int kFrames = benchFrames(300);
    const auto start = Clock::now();
    OffscreenWindow window("orbitdash bench", orbitdash::kScreenWidth, orbitdash::kScreenHeight);
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
        std::vector<Scene> scenes;
        for (int level = 1; level <= 3; ++level)
            for (int view = 0; view < 2; ++view) {
                Scene s;
                s.label = "level " + std::to_string(level) + (view ? " above" : " behind");
                s.level = level;
                s.view = view;
                scenes.push_back(s);
            }
        for (int view = 0; view < 2; ++view) {
            Scene s;
            s.label = std::string("level 3 far ") + (view ? "above" : "behind");
            s.level = 3;
            s.view = view;
            s.far = true;
            scenes.push_back(s);
        }
        Scene plain{"level 3 no textures", 3};
        plain.textures = false;
        Scene wire{"level 3 wireframe", 3};
        wire.wireframe = true;
        Scene smooth{"level 3 smooth", 3};
        smooth.flat = false;
        scenes.insert(scenes.end(), {plain, wire, smooth});

        for (const Scene& scene : scenes) {
            // Every level through the level-completed screen of the one before.
            game.settings.level = scene.level - 1;
            game.settings.state = orbitdash::kLevelDone;
            tap(app, SDLK_r);
            game.camera = orbitdash::Camera{};
            game.camera.view = scene.view;
            if (scene.far) game.camera.distance = orbitdash::Camera::kMaxDistance;
            game.settings.textures = scene.textures;
            game.settings.wireframe = scene.wireframe;
            game.settings.flat = scene.flat;
            std::vector<double> samples;
            double ringMs = 0;
            int rings = 0;
            for (int i = 0; i < kFrames; ++i) {
                if (i % 30 == 0) app.handleEvent(hoptest::keyEvent(SDLK_w, true));
                if (game.lives < 3) game.lives = 3;  // keep playing
                const auto t0 = Clock::now();
                ms += 17;
                app.frame(ms);
                window.present();
                samples.push_back(msSince(t0));
                if (scene.view == 0 && !scene.far && game.astronaut.standing && !game.astronaut.jumping) {
                    const auto r0 = Clock::now();
                    (void)game.jumpMark(2);
                    ringMs += msSince(r0);
                    ++rings;
                }
            }
            printFrameLine("orbitdash " + scene.label + " 640x480", figures(samples), floor);
            if (rings > 0)
                std::printf("  course items: %zu; the ring's look-ahead: %.3f ms a frame the astronaut stands\n",
                            game.course.size(), ringMs / rings);
        }

        // The still screens, drawn only when something on them changes:
        // what one such frame costs.
        game.settings = orbitdash::Settings{};
        for (const char* screen : {"title", "menu over level 3"}) {
            if (screen[0] == 'm') {
                game.settings.level = 2;
                game.settings.state = orbitdash::kLevelDone;
                tap(app, SDLK_r);
                app.frame(ms += 17);
                tap(app, SDLK_p);
            }
            std::vector<double> samples;
            for (int i = 0; i < kFrames; ++i) {
                const auto t0 = Clock::now();
                app.frame(ms += 17);
                window.present();
                samples.push_back(msSince(t0));
            }
            printFrameLine(std::string("orbitdash ") + screen + " 640x480", figures(samples), floor);
        }
    }
    return 0;
}
