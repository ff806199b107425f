// coopdash: start-up to the first frame (font, atlas, nine models, the road
// texture, the field), frame times at 1200 x 720 in both views while the
// chicken walks, the frame time after 1,000 rows of running against the time
// at the start, and resident memory over a five-minute run (game clock).
#include <GL/gl.h>
#include <SDL2/SDL_ttf.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "app.h"
#include "benchutil.h"
#include "escena.h"
#include "juego.h"
#include "modelos.h"
#include "texto.h"

using namespace hopbench;
using namespace coopdash;

namespace {

constexpr double kFrameMs = 1000.0 / 60.0;

// Keeps a lane clear ahead of the chicken, so the run never ends in a tree,
// a car or a train; everything else is drawn and updated as in play.
void clearPath(Playfield& f) {
    const Vec3 p = f.player.position;
    for (std::size_t i = 0; i < f.objects.size();) {
        const Object& o = *f.objects[i];
        const bool inWay = o.kind != KindMoneda && o.position.z < p.z + 0.6 && o.position.z > p.z - 1.5 &&
                           std::fabs(o.position.x - p.x) < o.halfExtent.x + 0.6;
        if (inWay) f.objects.erase(f.objects.begin() + std::ptrdiff_t(i));
        else ++i;
    }
}

// Processor time of every thread (the software rasteriser's too), which a
// machine busy with other work inflates far less than wall time.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

double lastCpu = 0;  // processor ms a frame of the last measure()

Figures measure(Juego& game, OffscreenWindow& window, int frames, bool turn, const char* label = nullptr) {
    std::vector<double> samples;
    const double cpu0 = cpuMs();
    for (int i = 0; i < frames; ++i) {
        if (turn && i % 30 == 0) game.handleEvent(SDL_Event{});
        if (turn) game.field.player.heading = std::sin(i / 40.0) * 10.0;
        clearPath(game.field);
        const auto t0 = Clock::now();
        game.update(kFrameMs);
        game.draw();
        window.present();
        samples.push_back(msSince(t0));
    }
    lastCpu = (cpuMs() - cpu0) / frames;
    if (label) std::printf("%-28s processor time %6.2f ms a frame\n", label, lastCpu);
    return figures(samples);
}

}  // namespace

// --quick: start-up and the two views under the first light only.
int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    if (chdir(STAGE_DIR) != 0) {
        std::perror(STAGE_DIR);
        return 1;
    }
    std::srand(7);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const auto start = Clock::now();
    OffscreenWindow window("coopdash bench", kLayoutWidth, kLayoutHeight);
    if (TTF_Init() != 0) return 1;
    {
        Texto text;
        setupGL();
        const unsigned atlas = loadTexture(kAtlasPath, true);
        std::ostringstream progress;  // the reader's console lines are not figures
        ModelLibrary models(&progress);
        Playfield& field = Playfield::getInstance();
        field.displayLists = models.lists;
        field.silhouetteLists = models.silhouettes;
        field.modelBoxes = models.boxes;
        field.roadTexture = models.roadTexture;
        field.generate();
        Juego game(field, Recursos{&text, nullptr, atlas}, window.window);
        game.start();
        game.draw();
        window.present();
        const double startup = msSince(start);
        std::printf("coopdash start-up to first frame: %.1f ms\n", startup);

        constexpr int kFrames = 240;
        const Figures floor = floorFrame(window, kFrames);
        game.setPaused(false);
        game.arrows.up = true;
        const Figures top = measure(game, window, kFrames, false, "coopdash top-down");
        const double topCpu = lastCpu;
        printFrameLine("coopdash top-down 1200x720", top, floor);
        game.view = ViewFirstPerson;
        printFrameLine("coopdash first person 1200x720", measure(game, window, kFrames, true, "coopdash first person"), floor);
        game.view = ViewTop;
        game.field.player.heading = 0;

        if (!quick) {
        // The other nine lights in both views (the light changes the clear
        // colour and the lighting terms, not what is drawn).
        for (int light = 1; light <= 9; ++light) {
            game.options.lightPreset = light;
            for (int view : {ViewTop, ViewFirstPerson}) {
                game.view = view;
                const std::string label = std::string("coopdash ") + (view == ViewTop ? "top-down" : "first person") +
                                          " light " + std::to_string(light) + " 1200x720";
                printFrameLine(label.c_str(), measure(game, window, kFrames / 2, view == ViewFirstPerson), floor);
            }
        }
        game.options.lightPreset = 0;
        applyLight(0);
        game.view = ViewTop;
        game.field.player.heading = 0;

        // The start rows are clear grass; past them the field is as busy as
        // it stays, so 40 rows in is the fair baseline for 1,000.
        while (field.player.position.z > -40) {
            clearPath(field);
            game.update(kFrameMs);
        }
        const Figures early = measure(game, window, kFrames, false, "coopdash after 40 rows");
        const double earlyCpu = lastCpu;
        printFrameLine("coopdash after 40 rows", early, floor);

        // Five minutes of game clock at speed 1, then on at speed 3 until
        // 1,000 rows are behind; memory sampled along the way.
        const double rss0 = hopbench::residentMB();
        std::printf("coopdash resident memory: start %.1f MiB", rss0);
        const int fiveMinutes = int(5 * 60 * 1000 / kFrameMs);
        for (int i = 1; i <= fiveMinutes; ++i) {
            clearPath(field);
            game.update(kFrameMs);
            if (i % 10 == 0) {
                game.draw();
                window.present();
            }
            if (i % (fiveMinutes / 5) == 0) std::printf(", %d min %.1f MiB", i / (fiveMinutes / 5), hopbench::residentMB());
        }
        std::printf("\n");
        game.options.speed = 3.0;
        while (field.player.position.z > -1000) {
            clearPath(field);
            game.update(kFrameMs);
            if (field.deaths > 0) break;
        }
        game.options.speed = 1.0;
        const Figures later = measure(game, window, kFrames, false, "coopdash after 1000 rows");
        const double laterCpu = lastCpu;
        printFrameLine("coopdash after 1000 rows", later, floor);
        std::printf("coopdash after 1000 rows / at start: %.2fx wall, %.2fx processor; / after 40 rows: %.2fx wall, "
                    "%.2fx processor (rows %zu, objects %zu, deaths %d)\n",
                    later.median / top.median, laterCpu / topCpu, later.median / early.median, laterCpu / earlyCpu,
                    field.rows.size(), field.objects.size(), field.deaths);
        }
        field.objects.clear();
        field.rows.clear();
        glDeleteTextures(1, &atlas);
    }
    TTF_Quit();
    return 0;
}
