// The state of the running game and its frame steps: events, update, draw.
// The program's main routine owns one of these and calls frame() until quit.
#pragma once

#include <cstdint>
#include <memory>

union SDL_Event;

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

    // `withModels` false builds the world without meshes and images, for
    // rule checks without the game's files or a GL context.
    explicit Juego(bool withModels = true);
    ~Juego();

    void handleEvent(const SDL_Event& event);
    // Advances the world by the ticks elapsed since the previous call.
    void update(std::uint32_t now);
    void draw(std::uint32_t now);
    // Polls at most one event, then updates and draws with SDL's ticks.
    // The caller swaps the window.
    void frame();

    // Space while the player is dead: fresh player, camera, HUD, seal and log.
    void newRun();

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
    bool withModels_;
    bool texturesOn_ = true;
};

}  // namespace boardhop
