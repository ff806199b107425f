// Shared pieces of the benchmarks: an offscreen window, a clock, and the
// figures they print.
#pragma once

#include <SDL2/SDL.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace hopbench {

using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// An SDL window with a GL context through the offscreen video driver.
struct OffscreenWindow {
    // A plain window: no multisample buffer, the driver's default attributes.
    OffscreenWindow(const char* title, int width, int height);
    // The window a game makes for itself with its own attributes (`make`
    // runs once the offscreen driver is up and fills in both handles), so
    // that the figures are those of the framebuffer a player gets.
    using Maker = std::function<void(SDL_Window*& window, SDL_GLContext& context)>;
    explicit OffscreenWindow(const Maker& make);
    ~OffscreenWindow();
    // Waits for the frame to be drawn, then swaps.
    void present();
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
};

struct Figures {
    double median, p95;
    std::size_t count = 0;  // samples behind the figures
};

// The goal of every view, level and light: no frame missed at 60 Hz.
constexpr double kGoalMedianMs = 10.0, kGoalP95Ms = 16.7;
Figures figures(std::vector<double> samples);

// Median and 95th percentile of an empty clear-and-swap frame at this size.
Figures floorFrame(OffscreenWindow& window, int frames);

// CPU time of this process so far (every thread: a software renderer's
// workers too), in milliseconds: on a loaded machine a steadier measure of
// the work a frame takes than its wall time.
double cpuMs();

// Resident memory of this process now, in megabytes (VmRSS); 0 where the
// kernel does not say.
double residentMB();

// Frames per scene: HOP_BENCH_FRAMES where set (a short run under a
// profiler), else `fallback`.
int benchFrames(int fallback);

// The frame figures with the processor time per frame since the floor or
// the previous line (a software renderer's threads included), the process's
// resident memory, and PASS or the figure over the goal.
void printFrameLine(const std::string& label, Figures frame, Figures floor);

}  // namespace hopbench
