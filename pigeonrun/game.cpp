#include "game.h"

#include <SDL2/SDL.h>

#include <cmath>
#include <iostream>

#include "assets.h"
#include "hopcommon/pads.h"
#include "hopcommon/records.h"

namespace pigeonrun {

namespace {
// Passes start up to this early, so a loop paced a little faster than
// 60 Hz (a 16 ms sleep) still runs one pass a frame.
constexpr double kPassSlackMs = 2;
}  // namespace

Game::Game(bool withAssets, std::function<int()> random, std::ostream* console)
    : world(std::move(random)), console_(console ? console : &std::cout) {
    camera.reset();
    if (withAssets) assets_ = std::make_unique<Assets>(world);
}

Game::~Game() = default;

void Game::say(const char* line) { *console_ << line << std::endl; }
void Game::sayArrow(const char* line) { *console_ << line << std::flush; }

double Game::passMs() const {
    return world.status.state == StatePlaying ? kPassMs * world.speedFactor : kPassMs;
}

void Game::applyReset() {
    world.reset();
    camera.reset();
    world.fixedView = true;
    lightAngle = 65;
    textures = smooth = true;
    wireframe = false;
    projectionDirty = true;
    dragging = false;
    resetPending = false;
}

void Game::pass() {
    if (resetPending) applyReset();
    const double dt = passMs();
    lastPassMs = dt;
    if (!camera.fixedView && dragging) camera.drag(cursorX, cursorY, dt);
    if (!camera.fixedView && (lookX != 0 || lookY != 0)) camera.look(lookX, lookY, dt);
    world.fixedView = camera.fixedView;
    const bool running = world.status.state == StatePlaying;
    world.step(dt);
    if (running && world.status.state == StateGameOver) endRun();
}

void Game::endRun() {
    if (records) records->record("best", world.status.score);
}

std::optional<long long> Game::best() const {
    return records ? records->best("best") : std::nullopt;
}

bool Game::moving() const {
    const int state = world.status.state;
    if (state == StatePlaying) return true;
    // Paused, the free view still turns while dragged or steered.
    return state == StatePaused && !camera.fixedView && (dragging || lookX != 0 || lookY != 0);
}

bool Game::wantsDraw() const { return moving() || redraw_ > 0 || world.status.state != shownState_; }

void Game::advance(double elapsedMs) {
    passesLastFrame = 0;
    const int state = world.status.state;
    if (state != StatePlaying && state != StatePaused) {
        backlogMs_ = 0;
        return;
    }
    if (elapsedMs < 0) elapsedMs = 0;
    backlogMs_ += elapsedMs;
    while (backlogMs_ + kPassSlackMs >= kPassMs) {
        if (passesLastFrame == kMaxPassesPerFrame) {
            backlogMs_ = 0;  // a long stall: drop the rest rather than race to catch up
            break;
        }
        pass();
        backlogMs_ -= kPassMs;
        ++passesLastFrame;
    }
}

bool Game::frame(double nowMs) {
    if (resetPending) applyReset();
    if (pads) lookX = pads->lookX(), lookY = pads->lookY();
    advance(previousMs_ < 0 ? 0 : nowMs - previousMs_);
    previousMs_ = nowMs;
    const bool drawing = wantsDraw();
    if (drawing) {
        if (world.status.state != shownState_) redraw_ = kSettleFrames;  // a new screen
        shownState_ = world.status.state;
        if (redraw_ > 0) --redraw_;
        if (assets_) draw();
    }
    SDL_Event e;
    while (pads ? pads->poll(&e) : SDL_PollEvent(&e)) {
        if (pads && e.type == SDL_KEYUP && controllerLeaving()) {
            // SDL lets go of a controller's sticks and buttons just before
            // it says the controller is gone: those keys are let go without
            // acting (a released arrow would hop, Start would play on), and
            // the game pauses.
            if (world.status.state == StatePlaying) world.status.state = StatePaused;
            const SDL_Keycode key = e.key.keysym.sym;
            if (key == SDLK_LEFT || key == SDLK_RIGHT) world.turning = 0;
            continue;
        }
        handleEvent(e);
        if (pads && pads->unplugged() && world.status.state == StatePlaying) world.status.state = StatePaused;
    }
    return drawing;
}

bool Game::controllerLeaving() {
    SDL_Event next;
    return SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_CONTROLLERDEVICEREMOVED, SDL_CONTROLLERDEVICEREMOVED) > 0;
}

void Game::handleEvent(const SDL_Event& e) {
    switch (e.type) {
        // What can change the picture of a still screen; the cursor only
        // matters while dragging, which draws every frame anyway.
        case SDL_KEYDOWN:
        case SDL_KEYUP:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEWHEEL:
        case SDL_WINDOWEVENT: redraw_ = kSettleFrames; break;
        default: break;
    }
    handleGeneral(e);
    if (world.status.state == StatePlaying) {
        handleMovement(e);
    } else if (e.type == SDL_KEYUP && (e.key.keysym.sym == SDLK_LEFT || e.key.keysym.sym == SDLK_RIGHT)) {
        // A turn key let go while paused still ends the turn: the pigeon
        // must not spin on when play resumes.
        world.turning = 0;
    }
    handleView(e);
    handleLight(e);
}

void Game::handleGeneral(const SDL_Event& e) {
    const bool inRun = world.status.state == StatePlaying || world.status.state == StatePaused;
    if (e.type == SDL_QUIT) {
        if (inRun && !quit) endRun();
        quit = true;
        return;
    }
    if (e.type != SDL_KEYUP) return;
    GameStatus& s = world.status;
    switch (e.key.keysym.sym) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            if (s.state == StateTitle || s.state == StateGameOver) {
                s.state = StatePlaying;
                resetPending = true;
            }
            break;
        case SDLK_p:
            if (s.state == StatePlaying)
                s.state = StatePaused;
            else if (s.state == StatePaused)
                s.state = StatePlaying;
            break;
        case SDLK_q:
            say("SALIR");
            if (inRun && !quit) endRun();
            quit = true;
            break;
        case SDLK_r:
            world.speedFactor = world.speedFactor == 1.0f ? 0.25f : 1.0f;
            say("CAMBIO DE VELOCIDAD");
            break;
        case SDLK_s:
            smooth = !smooth;
            say("FACETADO/INTERPOLADO");
            break;
        case SDLK_t:
            textures = !textures;
            say("TEXTURA ON/OFF");
            break;
        case SDLK_w:
            wireframe = !wireframe;
            say("WIREFRAME ON/OFF");
            break;
        default: break;
    }
}

void Game::handleMovement(const SDL_Event& e) {
    const SDL_Keycode key = e.type == SDL_KEYUP || e.type == SDL_KEYDOWN ? e.key.keysym.sym : 0;
    if (camera.fixedView) {
        if (e.type != SDL_KEYUP) return;
        struct Arrow {
            SDL_Keycode key;
            int facing;
            const char* line;
        };
        static const Arrow kArrows[] = {{SDLK_UP, FacingForward, "FLECHITA ARRIBA\n"},
                                        {SDLK_LEFT, FacingLeft, "FLECHITA IZQUIERDA\n"},
                                        {SDLK_DOWN, FacingBack, "FLECHITA ABAJO\n"},
                                        {SDLK_RIGHT, FacingRight, "FLECHITA DERECHA\n"}};
        for (const Arrow& a : kArrows)
            if (key == a.key) {
                sayArrow(a.line);
                world.hopFixed(a.facing);
            }
        return;
    }
    if (e.type == SDL_KEYDOWN) {
        // Held keys repeat; the turn is set once, and said once.
        if (e.key.repeat) return;
        if (key == SDLK_RIGHT) {
            world.turning = 1;
            sayArrow("ROTAR HORARIO\n");
        } else if (key == SDLK_LEFT) {
            world.turning = -1;
            sayArrow("ROTAR ANTIHORARIO\n");
        }
    } else if (e.type == SDL_KEYUP && (key == SDLK_UP || key == SDLK_LEFT || key == SDLK_RIGHT)) {
        world.hopFree();
        say("SALTA");
    }
}

void Game::handleView(const SDL_Event& e) {
    switch (e.type) {
        case SDL_KEYUP:
            if (e.key.keysym.sym == SDLK_v) {
                camera.fixedView = !camera.fixedView;
                world.fixedView = camera.fixedView;
                world.turning = 0;  // a turn key held in the other view does not keep turning
                dragging = false;
                projectionDirty = true;
                say("CAMBIO MODO DE VISTA");
            }
            break;
        case SDL_WINDOWEVENT:
            // Keys and buttons let go in another window never reach this
            // one: losing the focus lets go of them all.
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                world.turning = 0;
                if (dragging) {
                    dragging = false;
                    say("DEJO DE MOVER CAMARA");
                }
            }
            break;
        case SDL_MOUSEMOTION:
            cursorX = e.motion.x;
            cursorY = e.motion.y;
            break;
        case SDL_MOUSEBUTTONDOWN:
            cursorX = e.button.x;
            cursorY = e.button.y;
            if (!camera.fixedView) {
                dragging = true;
                say("PUEDO MOVER LA CAMARA MANTENIENDO EL CLICK");
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (dragging) {
                dragging = false;
                say("DEJO DE MOVER CAMARA");
            }
            break;
        case SDL_MOUSEWHEEL:
            if (!camera.fixedView) {
                const int y = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
                camera.zoom(y, lastPassMs);
                projectionDirty = true;
                say("ZOOM CAMARA");
            }
            break;
        default: break;
    }
}

void Game::handleLight(const SDL_Event& e) {
    if (e.type != SDL_KEYDOWN) return;
    const double step = lastPassMs * 360 / 5000;
    if (e.key.keysym.sym == SDLK_KP_PLUS) {
        lightAngle += step;
        say("GIRANDO LUCES SENTIDO HORARIO");
    } else if (e.key.keysym.sym == SDLK_KP_MINUS) {
        lightAngle -= step;
        say("GIRANDO LUCES SENTIDO ANTIHORARIO");
    }
}

}  // namespace pigeonrun
