#include "framepacer.h"

namespace hop {

void FramePacer::start(std::int64_t now) {
    lastSecond_ = lastFrame_ = now;
    frameCount_ = fps_ = 0;
}

FramePacer::Pass FramePacer::pass(std::int64_t now) {
    Pass p;
    if ((now - lastSecond_) / 1000000000 > 0) {
        fps_ = frameCount_;
        frameCount_ = 0;
        lastSecond_ = now;
    }
    p.elapsedNs = now - lastFrame_;
    const std::int64_t remaining = lastFrame_ + kPeriodNs - now;
    if (remaining > 0) p.sleepNs = remaining;
    // The decision uses the time read before sleeping: the pass after the
    // sleep finds the period over and makes the frame, so frames are at
    // least one period apart and delta is the real time between them.
    if (p.elapsedNs < kPeriodNs) return p;
    p.produce = true;
    lastFrame_ = now;
    ++frameCount_;
    return p;
}

void FramePacer::resume(std::int64_t now) {
    lastFrame_ = now - kPeriodNs;
    lastSecond_ = now;
    frameCount_ = 0;
}

float FramePacer::frameDelta(std::int64_t elapsedNs, double speedMult, bool paused) {
    if (paused) return 0.f;
    return static_cast<float>(static_cast<float>(elapsedNs / 1e9) * speedMult);
}

}  // namespace hop
