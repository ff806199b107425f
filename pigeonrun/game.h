// The running game: the world, the camera, the switches and the steps of a
// frame. app.cpp owns one Game and calls frame() until `quit`; tests call
// handleEvent(), pass() and draw() with synthetic events and fixed steps.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>

#include "view.h"
#include "world.h"

union SDL_Event;

namespace hop {
class Pads;
class Records;
}  // namespace hop

namespace pigeonrun {

struct Assets;

class Game {
public:
    static constexpr int kWidth = 640, kHeight = 480;
    // A stall longer than this many passes (half a second) is not caught up.
    static constexpr int kMaxPassesPerFrame = 30;
    // A change on a screen where nothing moves is drawn for this many frames
    // (half a second), then the screen is left as it is.
    static constexpr int kSettleFrames = 30;

    // `withAssets` loads the models and images (and needs a current GL
    // context); false plays the rules alone. Throws ModelError or
    // ImageError naming a file that is missing or broken. Console lines go
    // to `console` (standard output when null).
    explicit Game(bool withAssets = true, std::function<int()> random = {}, std::ostream* console = nullptr);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // One frame at `nowMs` (any monotonic clock): the pending reset, as many
    // world passes of 1/60 s as the time since the last frame holds, the
    // drawing when wanted, then every pending event (through `pads` when
    // set). Returns whether it drew: the caller swaps then.
    bool frame(double nowMs);
    // Whether the next frame draws: every frame while something moves, else
    // only for a few frames after a change (an input, a window event, a new
    // screen). When false the caller may sleep until the next event.
    bool wantsDraw() const;
    bool moving() const;
    // The world passes for `elapsedMs` of real time (playing or paused).
    void advance(double elapsedMs);
    // One pass: the reset if pending, dragging (free view), then the world
    // (only while playing).
    void pass();
    void applyReset();

    // The four handlers, in this order, for every event.
    void handleEvent(const SDL_Event& e);
    void handleGeneral(const SDL_Event& e);
    void handleMovement(const SDL_Event& e);
    void handleView(const SDL_Event& e);
    void handleLight(const SDL_Event& e);

    // Drawing (GL, needs the assets).
    void draw();

    // dt of a pass in milliseconds: scaled by the speed while playing.
    double passMs() const;

    // The run ends (a car, or quitting mid-run): its score is kept as the
    // best when it beats it.
    void endRun();
    // The best score kept, shown on the title and game over; none without
    // `records` or before a first run.
    std::optional<long long> best() const;

    World world;
    ViewCamera camera;
    double lightAngle = 65;
    bool textures = true, smooth = true, wireframe = false;
    bool quit = false, resetPending = false, projectionDirty = true, dragging = false;
    int cursorX = 0, cursorY = 0;  // the last cursor position SDL reported
    // The window's drawable size in pixels; the viewport follows it.
    int drawableWidth = kWidth, drawableHeight = kHeight;
    double lastPassMs = kPassMs;
    int passesLastFrame = 0;
    // Game controllers (events and the right stick) when set; the program
    // sets them, tests may. A controller unplugged mid-game pauses it.
    hop::Pads* pads = nullptr;
    // The right stick, each axis in [-1, 1]: turns the free view as dragging does.
    float lookX = 0, lookY = 0;
    // Best scores kept across runs; null keeps none (tests, benchmarks).
    std::unique_ptr<hop::Records> records;

private:
    void say(const char* line);  // a console line and its end
    void sayArrow(const char* line);
    // Whether SDL has a controller's removal waiting in its queue.
    static bool controllerLeaving();
    void setProjection();
    void setLights();
    void drawScene();
    void drawOverlay();

    std::unique_ptr<Assets> assets_;
    std::ostream* console_;
    double previousMs_ = -1;
    double backlogMs_ = 0;
    int redraw_ = kSettleFrames;  // frames still to draw on a still screen
    int shownState_ = -1;         // the state of the last frame drawn
};

}  // namespace pigeonrun
