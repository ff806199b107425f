// The state of the running game and its frame steps: events, update, draw.
// The program's main routine owns one of these and calls frame() until quit.
#pragma once

#include <SDL2/SDL_events.h>

#include <cstdint>
#include <memory>

namespace hop {
class Pads;
class Records;
}  // namespace hop

namespace boardhop {

class Camara;
class Enemigo;
class HUD;
class Jugador;
class Tablero;
class Tronco;

class Juego {
public:
    enum State : int { Playing = 1, Paused = 2, Help = 3 };
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    // The world advances in steps of at most this many milliseconds: a long
    // frame (a stall, a loaded machine) is cut into several, so nothing moves
    // through a tile or past the seal in one jump. Frames at the display's
    // rate are one step, as they always were.
    static constexpr std::uint32_t kMaxStepMs = 33;
    // A frame longer than this (the program stopped for a while) advances
    // the world by this much only.
    static constexpr std::uint32_t kMaxFrameMs = 10000;

    // `withModels` false builds the world without meshes and images, for
    // rule checks without the game's files or a GL context.
    explicit Juego(bool withModels = true);
    ~Juego();

    void handleEvent(const SDL_Event& event);
    // Advances the world by the ticks elapsed since the previous call, in
    // steps of at most kMaxStepMs.
    void update(std::uint32_t now);
    void draw(std::uint32_t now);
    // A still screen (paused, help, a dead penguin's message: the world
    // stands) is drawn for this many frames after each change, then not
    // until the next one.
    static constexpr int kRedrawFrames = 10;
    bool still() const;

    // One frame at `now` (SDL ticks): every pending event, the update, the
    // drawing. True when it drew, and the caller swaps the window; false on
    // a still screen where nothing changed, and the caller waits for events.
    bool frame(std::uint32_t now);
    bool frame();

    // Space while the player is dead: fresh player, camera, HUD, seal and log.
    void newRun();

    // The program's controllers (read in place of SDL_PollEvent; tests may
    // leave none) and best scores: the high score starts from the saved
    // "best", which takes each run's high score when the penguin dies and,
    // on quitting, the score of the run under way.
    hop::Pads* pads = nullptr;
    void useRecords(hop::Records* records);
    void saveBest(bool withRunUnderWay = false);

    int gameState = Playing;
    bool quit = false;
    bool wireframe = false;
    bool flatShading = false;
    std::uint32_t previousTicks = 0;
    float luzPosicion3[4] = {1, 1, 1, 0};
    float colorLuz[3] = {1, 1, 1};

    std::unique_ptr<Tablero> board;
    std::unique_ptr<Jugador> player;
    std::unique_ptr<Camara> camera;
    std::unique_ptr<HUD> hud;
    std::unique_ptr<Enemigo> seal;
    std::unique_ptr<Tronco> log;

private:
    void createRun(int keptMode, int keptHighScore);
    void handleKey(int sym);
    void toggleTextures();
    // One step of the world, `ms` at most kMaxStepMs.
    void step(std::uint32_t ms);
    // Whether handling this event now would overwrite a grid hop the player
    // has not made yet; such a press waits for the next frame.
    bool waitsForHop(const SDL_Event& event) const;
    bool deferred_ = false;
    SDL_Event deferredEvent_{};
    bool withModels_;
    bool texturesOn_ = true;
    hop::Records* records_ = nullptr;
    int redrawFrames_ = kRedrawFrames;
    bool deathSaved_ = false;
};

}  // namespace boardhop
