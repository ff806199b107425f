// The program: start-up in the game's order, the paced frame loop and
// shut-down. App is the loop's state, so tests and the benchmark can run
// its steps (events, frame) with synthetic events and their own clock.
#pragma once

#include <SDL2/SDL_events.h>

#include <cstdint>
#include <iosfwd>
#include <memory>

#include "game.h"
#include "random.h"
#include "render.h"

namespace orbitdash {

class App {
public:
    static constexpr double kTickMs = 1000.0 / 60;  // one world frame
    static constexpr int kMaxTicks = 4;              // per drawn frame; a longer stall is dropped

    // Needs a current GL context. Loads textures and models, then builds the
    // game (the HUD, both platforms, level 1) on the title.
    App(Random& random, std::ostream& log);
    // False when a texture or model file is unusable (named on the log
    // already, with what is wrong): the program then ends with status 1.
    bool ready() const { return ready_; }

    void handleEvent(const SDL_Event& e);
    // One frame at `nowMs` on the millisecond clock: the world advances by
    // whole 1/60 s steps for the time since the last frame (at most
    // kMaxTicks), then the scene and the overlay are drawn.
    void frame(std::uint32_t nowMs);
    void draw();
    // The window's drawable size, for the viewport.
    void resize(int width, int height);

    Game& game() { return *game_; }
    Renderer& renderer() { return renderer_; }
    int ticksLastFrame = 0;

private:
    Renderer renderer_;
    std::unique_ptr<Game> game_;
    bool ready_ = false;
    bool started_ = false;
    std::uint32_t last_ = 0;
    double pending_ = 0;
    int width_ = 640, height_ = 480;
};

// Whether `driver`, the video driver SDL picked, shows nothing ("offscreen"
// or "dummy", any case) while SDL_VIDEODRIVER (`asked`, null when unset)
// did not name it among its comma-separated entries: there is no display
// to play on.
bool noScreen(const char* driver, const char* asked);

// The whole program; returns its exit status.
int runGame();

}  // namespace orbitdash
