// The running game: settings, world and the steps of one frame. The program
// owns one and calls frame() until quit; tests call update(), draw(),
// handleEvent() and endFrame() themselves with synthetic events and times.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "astronauta.h"
#include "camara.h"
#include "hopcommon/pads.h"
#include "hopcommon/records.h"
#include "mapa.h"
#include "meteorito.h"

union SDL_Event;
struct SDL_Window;

namespace marsdash {

struct Recursos;

class Juego {
public:
    static constexpr int kAncho = 640;
    static constexpr int kAlto = 480;
    // The world advances in steps of at most this many seconds of game time:
    // a long frame is cut into equal steps, so a ship cannot jump over the
    // astronaut nor a hop over a row. Frames at the display's rate are one
    // step, as they always were.
    static constexpr float kPasoMaximo = 1.0f / 30.0f;
    // A longer frame (the program was stopped) advances this much only.
    static constexpr float kFrameMaximo = 10.0f;

    // `graficos` false runs the rules only: no models, textures, font or GL
    // calls, for tests without a context. `ventana` (may be null) is the
    // window F11 switches to full screen.
    explicit Juego(bool graficos = true, SDL_Window* ventana = nullptr);
    ~Juego();
    Juego(const Juego&) = delete;
    Juego& operator=(const Juego&) = delete;

    // Rebuild (when requested) and advance the world by `elapsed` seconds,
    // in steps of at most kPasoMaximo.
    void update();
    // The 3D scene and the HUD of the current state (GL).
    void draw();
    // The end of a frame: the hop request is dropped, then the events are
    // handled (frame() polls them), then endFrame() reads the clock.
    void handleEvent(const SDL_Event& event);
    // Elapsed seconds for the next frame from SDL's millisecond clock:
    // 0 while paused, else scaled by the speed mode.
    void endFrame(std::uint32_t nowMs);
    // One whole frame: update, draw, the hop request dropped, every pending
    // SDL event, then the clock read as `nowMs`. The caller swaps.
    void frame(std::uint32_t nowMs);
    // The same with SDL's clock.
    void frame();
    // Nothing on screen can change without an event: the title or the
    // pause (the world stands still), nothing to rebuild, no full screen
    // waiting for the window manager, and the last frame drawn after every
    // event handled. The loop then waits for an event instead of drawing.
    bool quieto() const { return pausa && !reiniciar && pedidaEn_ < 0 && !pendiente_; }
    // Back from that wait: the pending events are handled before the frame
    // that shows them, and the clock goes on from `nowMs`, so that play
    // resumed does not jump ahead by the time spent waiting.
    void despertar(std::uint32_t nowMs);

    // Settings and state of the loop.
    bool titulo = true;
    bool pausa = true;
    bool reiniciar = true;
    bool salir = false;
    bool alambre = false;
    bool muerto = false;
    bool seguir = false;  // follow view
    bool pantallaCompleta = false;
    int largo = 100;      // map length
    bool flechaPulsada = false;
    bool saltoPedido = false;
    float rumboPedido = 0;
    float arrastre = 0;   // drag angle
    float anguloLuz = 180.0f;
    int modoLuz = 2;
    bool texturas = true;
    bool suave = true;
    int modoVelocidad = 1;
    std::uint32_t ultimo = 0;  // ms
    float elapsed = 0;         // seconds, drives the next update

    std::unique_ptr<Mapa> mapa;
    std::unique_ptr<Meteorito> meteorito;
    std::unique_ptr<Astronauta> astronauta;
    std::unique_ptr<Camara> camara;
    std::unique_ptr<NaveRescate> rescate;

    // Game controllers (the program's; none in tests that feed events): the
    // loop's events come through them.
    hop::Pads* mandos = nullptr;
    // What each controller button means here.
    static hop::PadTable tablaMandos();
    // The best rows reached, kept across runs: "best" on any map, and
    // "rows-N" on a map of N rows. A run is kept when it ends: the
    // astronaut dies or is rescued, the map is rebuilt, or the game quits.
    hop::Records records{"marsdash"};
    std::string nombreRecord() const { return "rows-" + std::to_string(largo); }
    void guardarRecord();

    bool ganado() const { return astronauta && astronauta->enMeta; }
    // Rows drawn in the last frame (the rest only move), and how far from the
    // view's centre things can still show.
    int filasDibujadas = 0;
    float radioVista = 90.0f;
    // The window's drawable size (full screen changes it), followed every
    // frame.
    int vistaAncho = kAncho, vistaAlto = kAlto;
    // F11 asks the window manager for full screen; a window it has not
    // resized within this many ms was refused (no window manager, or one
    // without full screen): the game goes back to its window, says so, and
    // refuses F11 from then on.
    static constexpr std::uint32_t kEsperaPantallaCompleta = 1000;
    bool pantallaCompletaNegada = false;
    // The window's size as the window system has it (X11); false where it
    // cannot be asked. Tests replace it.
    std::function<bool(int& ancho, int& alto)> tamanoSistema;

private:
    void construir();
    void paso(float dt, bool salto);
    // A frame up to reading the clock: update, draw, events.
    void antesDelReloj();
    void tecla(int sym);
    void flecha(int sym, bool abajo);
    void proyeccion();
    void drawEscena();
    // The viewport from the window's drawable size; while full screen waits
    // for the window manager, from the window system's.
    void seguirVentana();
    void pantallaCompletaF11();
    std::uint32_t ahora_ = 0;        // ms, the clock of this frame
    std::int64_t pedidaEn_ = -1;     // ms of a full screen not yet granted, or -1
    bool pendiente_ = true;          // events handled since the last frame was drawn
    bool guardado_ = false;          // this run's rows are kept already
    int pollEvent(SDL_Event* e);
    bool graficos_;
    SDL_Window* ventana_;
    std::unique_ptr<Recursos> recursos_;
};

}  // namespace marsdash
