// The running game: its state, the four screens and the steps of one frame.
// The program owns one Game and calls frame() until `quit`; tests call
// step() with synthetic events, the arrows held and invented clock times.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "camera.h"
#include "hopcommon/pads.h"
#include "hopcommon/records.h"
#include "world.h"

union SDL_Event;

namespace duckrun {

struct Presentation;

class Game {
public:
    static constexpr int kWidth = 1000;
    static constexpr int kHeight = 480;
    // The world advances in steps no longer than this; a longer frame is
    // split, and one longer than kMaxFrameSeconds is cut to it (a stalled
    // window resumes where it stopped instead of jumping ahead).
    static constexpr float kMaxStepSeconds = 1.0f / 120.0f;
    static constexpr float kMaxFrameSeconds = 0.25f;

    // `graphics` false runs the rules only: no files, no GL, for tests
    // without a context. With graphics every asset is read here; a missing
    // or bad file throws an AssetError naming it.
    explicit Game(bool graphics = true, std::int64_t nowNs = 0);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // One whole frame at `nowNs` (any monotonic clock): SDL's pending events
    // and keyboard state, with those of any game controller, then step().
    // The caller swaps the window.
    void frame(std::int64_t nowNs);
    // True while a blackboard (the start, the pause, the end of a run) shows
    // and nothing has changed since it was last drawn: nothing on it moves,
    // so the caller waits for an event instead of drawing it again. Every
    // event counts as a change; so does a screen reached without one (a run
    // won or lost).
    bool still() const { return state.screen != ScreenPlaying && redraw_ == 0; }
    // This run's score and, for a run won, its time, kept when they beat the
    // saved ones: called when a run ends and when the program quits.
    void saveBest();
    // One frame in the program's order: lights, the current screen's update
    // and drawing, every event, then the arrows held for the next frame.
    void step(std::int64_t nowNs, const std::vector<SDL_Event>& events, const Arrows& held);

    void handleEvent(const SDL_Event& event);
    // Back to the start of the field with a fresh score and clock; the
    // blocks keep moving from where they are.
    void restart(std::int64_t nowNs);
    // The night switch: the sky shows the other face set.
    void setNight(bool on);

    GameState state;
    DuckCamera camera;
    Field field;
    Blocks blocks = initialBlocks();
    float facing = 0;         // degrees, the duck's drawn heading
    float wantedFacing = 0;   // from the arrows held
    bool quit = false;
    bool night = false;
    bool sunset = false;
    bool clockRunning = false;
    std::int64_t runStartNs = 0;      // the clock's zero, moved forward by time outside play
    std::int64_t lastPlayingNs = 0;   // when the playing state was last drawn
    std::int64_t previousFrameNs = 0;

    // Sky textures made so far (tests: toggling night must not add any).
    std::size_t skyTextureCount() const;

    // Night lamp positions (x, y, z) along both long sides.
    static const Vec3 kLamps[6];
    // What each control of a game controller means here.
    static hop::PadTable padTable();

private:
    void playingFrame(std::int64_t nowNs, float dt);
    void pausedFrame(float dt);
    void endFrame();
    void skyUnder();
    void skyBehind();
    void worldStep(float dt);
    void keyReleased(int sym);
    void applyHeld(const Arrows& held);

    bool graphics_;
    std::int64_t nowNs_ = 0;  // the frame being handled, for R's restart
    int redraw_ = 1;          // frames to draw before a blackboard is still
    hop::Records records_{"duckrun"};
    std::unique_ptr<Presentation> view_;
    std::unique_ptr<hop::Pads> pads_;  // with graphics only
};

}  // namespace duckrun
