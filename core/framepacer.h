// The arithmetic of the 60-per-second frame loop, apart from any clock, so
// that a test can drive it with invented times.
#pragma once

#include <cstdint>

namespace hop {

class FramePacer {
public:
    static constexpr std::int64_t kPeriodNs = 1000000000 / 60;  // 16 666 666

    struct Pass {
        std::int64_t sleepNs = 0;    // sleep this long before the next pass (0: none)
        bool produce = false;        // this pass makes a frame
        std::int64_t elapsedNs = 0;  // time since the previous frame, read before the sleep
    };

    // Starts the loop at `now` (nanoseconds of any monotonic clock).
    void start(std::int64_t now);
    // One pass of the loop at `now`.
    Pass pass(std::int64_t now);
    // Back from a wait without frames (a still screen): the next pass makes
    // a frame at once, and the rate shown stays the last one counted.
    void resume(std::int64_t now);
    // Frames counted over the last whole second; 0 during the first second.
    int fps() const { return fps_; }

    // Seconds since the previous frame scaled by the speed factor; 0 while paused.
    static float frameDelta(std::int64_t elapsedNs, double speedMult, bool paused);

private:
    std::int64_t lastSecond_ = 0, lastFrame_ = 0;
    int frameCount_ = 0, fps_ = 0;
};

}  // namespace hop
