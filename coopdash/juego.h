// The running game: the loop's state and its steps. app.cpp owns one Juego
// and calls frame() until `quit`; tests call handleEvent, update and draw
// with synthetic events and fixed time steps. Every resource may be absent
// (rules checks run without a window, GL, fonts or sound).
#pragma once

#include <SDL2/SDL_events.h>
#include <SDL2/SDL_video.h>

#include "playfield.h"
#include "toolkit.h"

#include "hopcommon/pads.h"

namespace hop {
class Records;
}

namespace coopdash {

class Texto;
class ModelLibrary;
class Audio;

struct Recursos {
    Texto* text = nullptr;
    Audio* audio = nullptr;
    unsigned atlas = 0;
    // The best score across runs ("best"), kept when a run ends.
    hop::Records* records = nullptr;
    // Game controllers, read in place of SDL_PollEvent (none: SDL's events).
    hop::Pads* pads = nullptr;
};

// What a controller's buttons mean here: the d-pad and left stick are the
// arrows; A is Return (choose on a menu), B is Backspace (back on a menu),
// Start is P (pause / resume), Back is the Menu key (the pause menu), the
// shoulders are V (change view); the right stick turns the first-person view
// as the mouse does.
hop::PadTable padTable();

class Juego : public PlayfieldListener {
public:
    // World steps are never longer than this many game milliseconds.
    static constexpr double kMaxStep = 1000.0 / 60.0;
    // A frame longer than this (a stall) is cut to it, still in short steps.
    static constexpr double kMaxFrame = 5000.0;

    Juego(Playfield& field, Recursos resources = {}, SDL_Window* window = nullptr);
    ~Juego() override;

    // Paused on the start screen with the menu cue, as the program starts.
    void start();
    // One whole frame of `realMs` real milliseconds: every pending event,
    // the world, the menu's action, the drawing (with a window). True when it
    // drew: the caller swaps then. A paused screen (the menus) is drawn only
    // after something changed it; otherwise the caller waits for an event.
    bool frame(double realMs);
    // Whether the next frame has something new to show: always while the
    // world runs; on a menu only after an event or a menu action.
    bool needsDraw() const { return !field.paused || dirty_; }
    void handleEvent(const SDL_Event& event);
    // World steps and the chicken's walk (not paused), then the current
    // screen's action (paused).
    void update(double realMs);
    void draw();

    void setPaused(bool paused);
    // The run's score against the best kept (a death or quitting ends it).
    void endRun();
    // The best score so far, this run's included.
    long long best() const;
    void toggleFullscreen();

    // PlayfieldListener
    void chickenDied() override;
    void musicDue() override;

    Playfield& field;
    ScreenSet screens;
    Opciones options;
    Arrows arrows;
    int view = ViewTop;
    bool quit = false;
    bool fullscreen = true;
    // False where the desktop refused full screen at start-up (no window
    // manager): F11 then keeps the window as it is.
    bool fullscreenAvailable = true;

private:
    Click toLayout(int x, int y) const;
    void syncMouse();

    Recursos res_;
    SDL_Window* window_;
    int mouseState_ = -1;  // what syncMouse last set
    long long best_ = 0;   // kept across runs
    bool dirty_ = true;    // a still screen changed since it was last drawn
};

}  // namespace coopdash
