// The program: start-up in the game's order, the paced frame loop and
// shut-down. App is the loop's state, so tests and the benchmark can run
// its steps (events, frame, a whole turn of the loop) with synthetic events
// and their own clock.
#pragma once

#include <SDL2/SDL_events.h>
#include <SDL2/SDL_timer.h>

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>

#include "game.h"
#include "hopcommon/pads.h"
#include "hopcommon/records.h"
#include "random.h"
#include "render.h"
#include "screens.h"

namespace orbitdash {

class App {
public:
    static constexpr double kTickMs = 1000.0 / 60;  // one world frame
    static constexpr int kMaxTicks = 4;              // per drawn frame; a longer stall is dropped
    // A still screen (the title, the menu) is drawn for this many frames
    // after whatever changed it, then left on the window: a picture the
    // window system missed (a window not mapped yet) is drawn again, and a
    // few frames of the title or the menu cost next to nothing.
    static constexpr int kSettleFrames = 20;
    static constexpr int kWaitMs = 250;  // longest wait for an event on a still screen

    // Needs a current GL context. Loads textures and models, then builds the
    // game (the HUD, both platforms, level 1) on the title.
    App(Random& random, std::ostream& log);
    // False when a texture or model file is unusable (named on the log
    // already, with what is wrong): the program then ends with status 1.
    bool ready() const { return ready_; }

    // Every event of the loop: keys, the mouse, the window, and the
    // controller's A and B (the pads turn the rest into keys).
    void handleEvent(const SDL_Event& e);
    // One frame at `nowMs` on the millisecond clock: the world advances by
    // whole 1/60 s steps for the time since the last frame (at most
    // kMaxTicks), then the scene and the overlay are drawn.
    void frame(std::uint32_t nowMs);
    void draw();
    // The window's drawable size, for the viewport.
    void resize(int width, int height);

    // The title and the menu: nothing on them moves by itself.
    bool still() const;
    // Whether the next turn draws: always where things move; on a still
    // screen only in the frames after something changed.
    bool wantsFrame() const { return !still() || settle_ > 0; }
    // One turn of the program's loop: the frame at clock() when it wants
    // one, else a wait of up to `waitMs` for an event (the window's close
    // button and SIGTERM come as events too) with nothing drawn; then every
    // pending event, through `pads`. A controller pulled out while playing
    // opens the menu. True when a frame was drawn: the caller swaps and
    // paces.
    bool turn(hop::Pads& pads, int waitMs = kWaitMs);
    std::function<std::uint32_t()> clock = [] { return SDL_GetTicks(); };

    // What the controller's buttons mean here. A and B are left out: what
    // they do depends on the screen (handleEvent).
    static hop::PadTable padTable();

    Game& game() { return *game_; }
    Renderer& renderer() { return renderer_; }
    const hop::Records& records() const { return records_; }
    Bests bests() const;
    int ticksLastFrame = 0;

private:
    void changed() { settle_ = kSettleFrames; }
    // Time passes on a still screen without frames: the clock follows it,
    // and the world does not catch up on it afterwards.
    void idle(std::uint32_t nowMs);
    void padButton(Uint8 button, bool down);
    void recordGoal();

    Renderer renderer_;
    std::unique_ptr<Game> game_;
    hop::Records records_;
    bool ready_ = false;
    bool started_ = false;
    std::uint32_t last_ = 0;
    double pending_ = 0;
    int width_ = 640, height_ = 480;
    int settle_ = kSettleFrames;
    int goalsSeen_ = 0;
    // The keys the controller's A and B stand for since they went down:
    // their release goes to the same key, whatever the screen is by then.
    SDL_Keycode padA_ = SDLK_UNKNOWN, padB_ = SDLK_UNKNOWN;
};

// Whether `driver`, the video driver SDL picked, shows nothing ("offscreen"
// or "dummy", any case) while SDL_VIDEODRIVER (`asked`, null when unset)
// did not name it among its comma-separated entries: there is no display
// to play on.
bool noScreen(const char* driver, const char* asked);

// The whole program; returns its exit status.
int runGame();

}  // namespace orbitdash
