#include "juego.h"

#include <SDL2/SDL.h>

#include <algorithm>

#include "camara.h"
#include "hopcommon/pads.h"
#include "hopcommon/records.h"
#include "enemigo.h"
#include "hud.h"
#include "jugador.h"
#include "tablero.h"

namespace boardhop {

namespace {
constexpr float kSealRow = 4.04f;
constexpr float kLogRow = 6.06f;
constexpr float kLightStep = 0.5f;
constexpr float kColourStep = 0.1f;
}  // namespace

Juego::Juego(bool withModels) : withModels_(withModels) {
    board = std::make_unique<Level1>(withModels);
    board->place(0, 0, 0);
    createRun(Jugador::Idle, 0);
}

Juego::~Juego() = default;

void Juego::createRun(int keptMode, int keptHighScore) {
    // Old objects go first, in the order they were made.
    player.reset();
    camera.reset();
    hud.reset();
    seal.reset();
    log.reset();

    player = std::make_unique<Jugador>(*board, withModels_);
    // Only the way of moving survives a run; a hop that was pending when
    // the old penguin died is not replayed by the new one.
    if (keptMode == Jugador::FreeMove) player->enterFreeMode();
    player->highScore = keptHighScore;
    camera = std::make_unique<Camara>(*player, *board, 4.0f / 3.0f);
    if (withModels_) hud = std::make_unique<HUD>(kWidth, kHeight);
    seal = std::make_unique<Enemigo>(Enemigo::kStartX, kSealRow, Enemigo::kDefaultCrossTime, *board, withModels_);
    log = std::make_unique<Tronco>(Enemigo::kStartX, kLogRow, Enemigo::kDefaultCrossTime, withModels_);
    // A new penguin, seal and log start textured like the board they join.
    if (!texturesOn_) {
        player->setTexturesOn(false);
        seal->setTexturesOn(false);
        log->setTexturesOn(false);
    }
}

void Juego::newRun() {
    if (!player->dead) return;
    createRun(player->mode, player->highScore);
    deathSaved_ = false;
}

void Juego::useRecords(hop::Records* records) {
    records_ = records;
    if (records_) player->highScore = std::max(player->highScore, int(records_->best("best").value_or(0)));
}

void Juego::saveBest(bool withRunUnderWay) {
    if (!records_) return;
    const int best = withRunUnderWay && !player->dead ? std::max(player->highScore, player->score) : player->highScore;
    if (best > 0) records_->record("best", best);
}

void Juego::toggleTextures() {
    texturesOn_ = !texturesOn_;
    player->setTexturesOn(texturesOn_);
    seal->setTexturesOn(texturesOn_);
    log->setTexturesOn(texturesOn_);
    board->setTexturesOn(texturesOn_);
}

void Juego::handleEvent(const SDL_Event& event) {
    if (gameState == Playing) {
        camera->handleEvent(event);
        player->handleEvent(event);
    }
    if (event.type == SDL_QUIT) quit = true;
    if (event.type == SDL_KEYDOWN) handleKey(event.key.keysym.sym);
}

void Juego::handleKey(int sym) {
    switch (sym) {
        case SDLK_q: quit = true; break;
        case SDLK_SPACE: newRun(); break;
        case SDLK_p: gameState = gameState == Playing ? Paused : Playing; break;
        case SDLK_h: gameState = gameState == Playing ? Help : Playing; break;
        case SDLK_t: wireframe = !wireframe; break;
        case SDLK_f: flatShading = !flatShading; break;
        case SDLK_k: toggleTextures(); break;
        case SDLK_c: player->enterFreeMode(); break;
        case SDLK_d: player->enterGridMode(); break;
        case SDLK_KP_MINUS: seal->slowDown(); break;
        case SDLK_KP_PLUS: seal->speedUp(); break;
        case SDLK_1: luzPosicion3[0] += kLightStep; break;
        case SDLK_2: luzPosicion3[1] += kLightStep; break;
        case SDLK_3: luzPosicion3[2] += kLightStep; break;
        case SDLK_4: luzPosicion3[0] -= kLightStep; break;
        case SDLK_5: luzPosicion3[1] -= kLightStep; break;
        case SDLK_6: luzPosicion3[2] -= kLightStep; break;
        case SDLK_7: colorLuz[0] -= kColourStep; break;
        case SDLK_8: colorLuz[1] -= kColourStep; break;
        case SDLK_9: colorLuz[2] -= kColourStep; break;
        default: break;
    }
}

void Juego::step(std::uint32_t ms) {
    board->update(ms);
    player->update(ms);
    camera->update(ms);
    seal->update(ms);
    log->update(ms);
}

void Juego::update(std::uint32_t now) {
    std::uint32_t elapsed = now - previousTicks;
    previousTicks = now;
    if (gameState == Playing && !player->dead) {
        if (elapsed > kMaxFrameMs) elapsed = kMaxFrameMs;
        // At least one step, also for a frame of 0 ms: a grid hop is taken
        // on the first update after its key.
        do {
            const std::uint32_t ms = elapsed < kMaxStepMs ? elapsed : kMaxStepMs;
            step(ms);
            elapsed -= ms;
        } while (elapsed > 0 && !player->dead);
    }
    // The run just ended: its high score is kept.
    if (player->dead && !deathSaved_) {
        deathSaved_ = true;
        saveBest();
    }
}

bool Juego::waitsForHop(const SDL_Event& event) const {
    if (event.type != SDL_KEYDOWN || gameState != Playing || player->dead) return false;
    const SDL_Keycode k = event.key.keysym.sym;
    const bool arrow = k == SDLK_LEFT || k == SDLK_RIGHT || k == SDLK_UP || k == SDLK_DOWN;
    return arrow && player->mode != Jugador::Idle && player->mode != Jugador::FreeMove;
}

bool Juego::still() const { return gameState != Playing || player->dead; }

namespace {

// Events that can change a still screen: keys, buttons, the wheel and the
// window's own (exposed, resized, focus). A moving pointer changes nothing.
bool changesStillScreen(const SDL_Event& e) {
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEWHEEL:
        case SDL_WINDOWEVENT:
        case SDL_QUIT: return true;
        default: return false;
    }
}

}  // namespace

bool Juego::frame(std::uint32_t now) {
    const bool wasStill = still();
    // Every pending event, so input never queues behind the frame rate; only
    // a second hop key waits for the frame that takes the first hop.
    if (deferred_) {
        deferred_ = false;
        handleEvent(deferredEvent_);
    }
    SDL_Event event;
    while (!deferred_ && (pads ? pads->poll(&event) : SDL_PollEvent(&event))) {
        if (waitsForHop(event)) {
            deferredEvent_ = event;
            deferred_ = true;
        } else {
            handleEvent(event);
        }
        if (changesStillScreen(event)) redrawFrames_ = kRedrawFrames;
        // A controller pulled out mid-run pauses it, as p does.
        if (pads && pads->unplugged() && gameState == Playing) gameState = Paused;
    }
    update(now);
    if (still() != wasStill) redrawFrames_ = kRedrawFrames;
    if (still()) {
        if (redrawFrames_ <= 0) return false;
        --redrawFrames_;
    }
    draw(now);
    return true;
}

bool Juego::frame() { return frame(SDL_GetTicks()); }

}  // namespace boardhop
