#include "benchutil.h"

#include <unistd.h>

#include <GL/gl.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace hopbench {

namespace {

// Processor time when the last figures were printed: what a line's frames cost.
double cpuMark = 0;

}  // namespace

OffscreenWindow::OffscreenWindow(const char* title, int width, int height)
    : OffscreenWindow([&](SDL_Window*& w, SDL_GLContext& c) {
          w = SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL);
          c = w ? SDL_GL_CreateContext(w) : nullptr;
      }) {}

OffscreenWindow::OffscreenWindow(const Maker& make) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "bench: SDL_Init: %s\n", SDL_GetError());
        std::exit(1);
    }
    make(window, context);
    if (!context) {
        std::fprintf(stderr, "bench: no GL context: %s\n", SDL_GetError());
        std::exit(1);
    }
}

OffscreenWindow::~OffscreenWindow() {
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
}

void OffscreenWindow::present() {
    glFinish();
    SDL_GL_SwapWindow(window);
}

Figures figures(std::vector<double> samples) {
    if (samples.empty()) return {0, 0};
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) { return samples[std::min(samples.size() - 1, std::size_t(q * samples.size()))]; };
    return {at(0.5), at(0.95), samples.size()};
}

Figures floorFrame(OffscreenWindow& window, int frames) {
    std::vector<double> samples;
    for (int i = 0; i < frames; ++i) {
        const auto start = Clock::now();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        window.present();
        samples.push_back(msSince(start));
    }
    cpuMark = cpuMs();
    return figures(samples);
}

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double residentMB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) != 0) continue;
        std::istringstream in(line.substr(6));
        double kb = 0;
        in >> kb;
        return kb / 1024;
    }
    return 0;
}

int benchFrames(int fallback) {
    const char* env = std::getenv("HOP_BENCH_FRAMES");
    const int n = env ? std::atoi(env) : 0;
    return n > 0 ? n : fallback;
}

void printFrameLine(const std::string& label, Figures frame, Figures floor) {
    const double now = cpuMs(), cpu = frame.count > 0 ? (now - cpuMark) / double(frame.count) : 0.0;
    cpuMark = now;
    std::string verdict = "PASS";
    if (frame.median > kGoalMedianMs || frame.p95 > kGoalP95Ms) {
        char over[96];
        std::snprintf(over, sizeof over, "OVER (median %.2f / %.0f ms, p95 %.2f / %.1f ms)", frame.median,
                      kGoalMedianMs, frame.p95, kGoalP95Ms);
        verdict = over;
    }
    std::printf("%-28s median %6.2f ms  p95 %6.2f ms  cpu %6.2f ms/frame | floor median %5.2f ms  p95 %5.2f ms | "
                "ratio %.1fx | RSS %.0f MB | %s\n",
                label.c_str(), frame.median, frame.p95, cpu, floor.median, floor.p95,
                floor.median > 0 ? frame.median / floor.median : 0.0, residentMB(), verdict.c_str());
    std::fflush(stdout);
}

}  // namespace hopbench
