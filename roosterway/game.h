// The running game: the loop's state and its steps. app.cpp owns one Juego
// and calls frame() until quitRequested; tests call handleEvent, update and
// the draw steps directly with synthetic events and fixed time steps.
#pragma once

#include <cstdint>
#include <memory>

#include "hop.h"
#include "screens.h"
#include "world.h"

union SDL_Event;

namespace hop {
class Pads;
class Records;
}  // namespace hop

namespace roosterway {

class FontFace;

class Juego {
public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;
    static constexpr int kStartLives = 3;
    static constexpr int kWinScore = 50;
    // The longest rule step in milliseconds: a longer frame is played as
    // several steps, so a stall never carries a car through the chicken or
    // the chicken through a tree. Normal frames are one step, as always.
    static constexpr int kMaxStepMs = 33;

    // `withAssets` false builds worlds without models and no fonts, for
    // rule checks without files or a GL context. `random` feeds world
    // generation (std::rand when empty).
    explicit Juego(bool withAssets = true, RandomSource random = RandomSource());
    ~Juego();
    Juego(const Juego&) = delete;
    Juego& operator=(const Juego&) = delete;

    // A still screen (the menu, its sub-screens, the lost screen) is drawn
    // for this many frames after each change, then no more until the next:
    // a sixth of a second of text-only frames, so that whatever follows the
    // game by its frames (a screenshot, the window's first exposure) sees
    // the new picture settle.
    static constexpr int kRedrawFrames = 10;

    // One whole frame at SDL tick `now`: polls events, advances and draws the
    // current state, then replaces the world when a new game was asked for.
    // True when it drew, and the caller swaps the window; false on a still
    // screen with nothing changed, where the caller waits for an event.
    bool frame(std::uint32_t now);
    // Draws the current screen again over the next frames, still or not.
    void redraw() { redrawFrames_ = kRedrawFrames; }

    // Time step of a frame in milliseconds: halved (integer division) in slow mode.
    int frameStep(std::uint32_t now);

    void handleEvent(const SDL_Event& event);
    // Playing state, a frame's rules: updatePlaying in steps of at most
    // kMaxStepMs, stopping early when the game leaves the playing state.
    void update(int dtMs, bool upHeld, bool downHeld);
    // Playing state, one step of rules: movement (upHeld/downHeld are the
    // arrow keys' state, used in view 2), cars, collisions, lives, win.
    void updatePlaying(int dtMs, bool upHeld, bool downHeld);
    // Frees the world, then generates a new one.
    void newWorld();

    // Drawing (need a GL context and assets).
    void drawPlaying();
    void drawMenu();
    void drawLost();
    // "Puntos", "Vidas" and, at the last row's score, "Ganaste" over the scene.
    void drawHud(int points, int livesLeft);

    int score() const;
    // The run's furthest score kept as the best ("best") when it beats it:
    // called when a run is lost or won, at a pause and when the loop ends.
    void saveBest();
    // The saved best, 0 without records.
    long long best() const;

    // Set by the program (tests may leave them null): controllers, read in
    // place of SDL_PollEvent and SDL's keyboard state, and the best scores.
    hop::Pads* pads = nullptr;
    hop::Records* records = nullptr;
    int runBest = 0;  // the furthest score of the run under way

    Options options;
    ScreenState screen;
    std::unique_ptr<GameWorld> world;
    HopController hop;

    // The chicken. x from the centre column, row r at z = -r; its facing is
    // the hop controller's.
    float x = 0, height = 0, z = 0;
    int lives = kStartLives;
    bool armed = true;
    bool hitThisFrame = false;
    bool hitLastFrame = false;
    bool crouching = false;
    float scaleY = 1;  // 0.6 crouched, 0.3 flattened by a car

    // Free movement.
    float yaw = 270, pitch = 0;
    float moveSpeed = 3.0f;
    int pendingDy = 0;  // mouse motion kept for the view-2 pitch

    int view = 0;
    int hopDirection = HopNone;  // from this frame's key releases
    std::uint32_t previousTicks = 0;

    std::unique_ptr<FontFace> font25, font40;

private:
    void playingEvent(const SDL_Event& event);
    void menuEvent(const SDL_Event& event);
    void lostEvent(const SDL_Event& event);
    // Arrow keys, Return and Backspace (a controller's d-pad, A and B) on the
    // menu and lost screens; false for other keys.
    bool navigationKey(const SDL_Event& event);
    void pause();
    void moveChicken(float dtSeconds, bool upHeld, bool downHeld);
    void checkCars();
    void resetChicken();

    bool withAssets_;
    RandomSource random_;
    std::shared_ptr<SceneCache> scenes_;  // every world's models are compiled from these
    int redrawFrames_ = kRedrawFrames;
};

}  // namespace roosterway
