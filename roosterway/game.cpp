#include "game.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>

#include "camera.h"
#include "hopcommon/pads.h"
#include "hopcommon/records.h"
#include "models.h"
#include "text.h"

namespace roosterway {

namespace {
constexpr float kFieldHalfWidth = GameWorld::kColumns * 4.5f / 25.f;  // free movement: +-6.3
constexpr float kObstacleHalf = 0.45f;

constexpr float kPi = 3.14159265358979f;
float degrees(float d) { return d * kPi / 180.f; }
}  // namespace

Juego::Juego(bool withAssets, RandomSource random)
    : world(std::make_unique<GameWorld>(withAssets, random)),
      hop(*world),
      withAssets_(withAssets),
      random_(std::move(random)),
      scenes_(world->models ? world->models->scenes : nullptr) {
    if (withAssets_) {
        font25 = std::make_unique<FontFace>(25);
        font40 = std::make_unique<FontFace>(40);
    }
}

Juego::~Juego() = default;

int Juego::frameStep(std::uint32_t now) {
    int dt = int(now - previousTicks);
    previousTicks = now;
    if (options.slow) dt /= 2;
    return dt;
}

namespace {

// Events that can change what a still screen shows: keys and buttons act on
// it, and the window's own events (exposed, resized, focus) ask for a fresh
// picture. A moving pointer changes nothing there.
bool changesStillScreen(const SDL_Event& e) {
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_WINDOWEVENT:
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
        case SDL_QUIT: return true;
        default: return false;
    }
}

}  // namespace

bool Juego::frame(std::uint32_t now) {
    const int dt = frameStep(now);
    const char state = screen.mainState, sub = screen.subScreen;
    SDL_SetRelativeMouseMode(state == StatePlaying ? SDL_TRUE : SDL_FALSE);
    hopDirection = HopNone;
    SDL_Event event;
    while (pads ? pads->poll(&event) : SDL_PollEvent(&event)) {
        // SDL centres a stick and lets go of the d-pad just before it says
        // the controller is gone: the run pauses before those releases, which
        // would hop.
        if (pads && event.type == SDL_KEYUP && pads->leaving() && screen.mainState == StatePlaying) pause();
        handleEvent(event);
        if (changesStillScreen(event)) redraw();
        // A controller pulled out mid-run pauses it, as p does, before the
        // releases of what it held come: they reach the menu, and a direction
        // held at the time is let go without a hop.
        if (pads && pads->unplugged() && screen.mainState == StatePlaying) pause();
    }
    if (screen.mainState != state || screen.subScreen != sub) redraw();
    bool drew = true;
    if (state == StatePlaying) {
        const Uint8* keys = pads ? pads->keyboard() : SDL_GetKeyboardState(nullptr);
        update(dt, keys[SDL_SCANCODE_UP], keys[SDL_SCANCODE_DOWN]);
        drawPlaying();
        // Lost, or past the last row: the screen that follows is drawn.
        if (screen.mainState != StatePlaying) redraw();
    } else if (redrawFrames_ <= 0) {
        drew = false;
    } else if (state == StateLost) {
        drawLost();
    } else {
        drawMenu();
    }
    if (drew && state != StatePlaying) --redrawFrames_;
    if (screen.newGameRequested) {
        screen.newGameRequested = false;
        newWorld();
    }
    return drew;
}

void Juego::update(int dtMs, bool upHeld, bool downHeld) {
    int left = std::max(0, dtMs);
    do {
        const int step = std::min(left, kMaxStepMs);
        updatePlaying(step, upHeld, downHeld);
        left -= step;
    } while (left > 0 && screen.mainState == StatePlaying && !screen.newGameRequested);
}

void Juego::newWorld() {
    world.reset();
    world = std::make_unique<GameWorld>(withAssets_, random_, scenes_);
    hop.setWorld(*world);
}

void Juego::handleEvent(const SDL_Event& event) {
    switch (screen.mainState) {
        case StatePlaying: playingEvent(event); break;
        case StateLost: lostEvent(event); break;
        default: menuEvent(event); break;
    }
}

void Juego::playingEvent(const SDL_Event& event) {
    if (event.type == SDL_QUIT) {
        screen.quitRequested = true;
        return;
    }
    if (event.type == SDL_MOUSEMOTION) {
        yaw -= float(event.motion.xrel) / 10.f;
        if (yaw < 0) yaw += 360;
        if (yaw > 360) yaw -= 360;
        pendingDy += event.motion.yrel;
        return;
    }
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return;
    if (event.key.repeat) return;
    const SDL_Keycode key = event.key.keysym.sym;
    int direction = HopNone;
    switch (key) {
        case SDLK_UP: direction = HopUp; break;
        case SDLK_DOWN: direction = HopDown; break;
        case SDLK_LEFT: direction = HopLeft; break;
        case SDLK_RIGHT: direction = HopRight; break;
        default: break;
    }
    const bool hopView = view == 0 || view == 1;
    if (event.type == SDL_KEYUP) {
        if (direction == HopNone) return;
        // Any release ends a crouch, also one begun before a switch to view 2.
        crouching = false;
        if (hopView) hopDirection = direction;
        return;
    }
    if (direction != HopNone) {
        if (hopView && !hop.hopping) crouching = true;
        return;
    }
    switch (key) {
        case SDLK_ESCAPE: screen.quitRequested = true; break;
        case SDLK_p: pause(); break;
        case SDLK_v: view = (view + 1) % kViews; break;
        case SDLK_w: options.wireframe = !options.wireframe; break;
        default: break;
    }
}

void Juego::pause() {
    screen.mainState = StateMenu;
    screen.subScreen = ScreenMain;
    crouching = false;  // the release will reach the menu, not the chicken
    saveBest();
}

bool Juego::navigationKey(const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN) return false;
    MenuMove move;
    switch (event.key.keysym.sym) {
        case SDLK_UP: move = MenuMove::Up; break;
        case SDLK_DOWN: move = MenuMove::Down; break;
        case SDLK_LEFT: move = MenuMove::Left; break;
        case SDLK_RIGHT: move = MenuMove::Right; break;
        case SDLK_RETURN: case SDLK_KP_ENTER: move = MenuMove::Choose; break;
        case SDLK_BACKSPACE: move = MenuMove::Back; break;
        default: return false;
    }
    menuNavigate(screen, options, move);
    return true;
}

void Juego::menuEvent(const SDL_Event& event) {
    if (navigationKey(event)) return;
    if (event.type == SDL_QUIT) screen.quitRequested = true;
    if (event.type == SDL_KEYDOWN) {
        if (event.key.keysym.sym == SDLK_ESCAPE) screen.quitRequested = true;
        if (event.key.keysym.sym == SDLK_p) screen.mainState = StatePlaying;
    }
    if (event.type == SDL_MOUSEBUTTONDOWN) menuClick(screen, options, event.button.x, event.button.y);
}

void Juego::lostEvent(const SDL_Event& event) {
    if (navigationKey(event)) return;
    if (event.type == SDL_QUIT) screen.quitRequested = true;
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) screen.quitRequested = true;
    if (event.type == SDL_MOUSEBUTTONDOWN) lostClick(screen, event.button.x, event.button.y);
}

void Juego::moveChicken(float dt, bool upHeld, bool downHeld) {
    // A hop under way ends where it was going whatever the view: a switch to
    // view 2 mid-hop neither freezes it in the air nor lets free movement
    // pull the chicken away from its landing square.
    if (view != 2 || hop.hopping) {
        hop.step(view != 2 ? hopDirection : HopNone, x, z, height, dt);
        if (view != 2) moveSpeed = hop.hopsPerSecond;
        return;
    }
    const float step = dt * moveSpeed;
    const float heading = float(int(yaw - 90));  // whole degrees
    float d = 0;
    if (downHeld) d = step;
    else if (upHeld) d = -step;
    if (d != 0) {
        const float nx = x - std::sin(degrees(heading)) * d;
        const float nz = z - std::cos(degrees(heading)) * d;
        bool refused = nz > 0 || nx < -kFieldHalfWidth || nx > kFieldHalfWidth;
        const int half = world->columns / 2;
        for (const ObstacleRecord& o : world->obstacleList) {
            if (refused) break;
            refused = std::fabs(nx - float(o.column - half)) < kObstacleHalf &&
                      std::fabs(nz - (-float(o.row) - kRowOffset)) < kObstacleHalf;
        }
        if (!refused) {
            x = nx;
            z = nz;
        }
    }
    if (!hop.hopping) hop.facing = heading;
}

void Juego::checkCars() {
    hitThisFrame = false;
    const int half = world->columns / 2;
    for (const CarRecord& car : world->carList) {
        if (view != 2) {
            // A car covers two squares of its row. A chicken in mid-hop is on
            // none; one left between squares by free movement stands on the
            // nearest column of the row it is drawn on.
            if (hop.hopping) continue;
            const float k = std::round(car.x + 0.5f) - float(half);
            const float column = std::round(x);
            if ((k == column || k - 1 == column) && rowAt(z) == int(std::lround(car.row))) hitThisFrame = true;
        } else {
            const float cx = car.x - float(half), cz = -car.row - kRowOffset;
            if (cx - 1 < x && x < cx + 1 && cz - 0.5f < z && z < cz + 0.5f) hitThisFrame = true;
        }
        if (hitThisFrame) break;
    }
}

void Juego::resetChicken() {
    x = z = height = 0;
    yaw = 270;
    lives = kStartLives;
    armed = true;
    // A hop under way would carry on from the start square when play resumes.
    hop.cancel();
    hop.facing = 180;
    crouching = false;
    runBest = 0;
}

void Juego::saveBest() {
    // One step past the last row ends the run; "Puntos" never shows more.
    if (records && runBest > 0) records->record("best", std::min(runBest, kWinScore));
}

long long Juego::best() const { return records ? records->best("best").value_or(0) : 0; }

void Juego::updatePlaying(int dtMs, bool upHeld, bool downHeld) {
    const float dt = float(dtMs) / 1000.f;
    if (!hitLastFrame) moveChicken(dt, upHeld, downHeld);
    hopDirection = HopNone;

    if (view == 2) {
        pitch = std::clamp(pitch + float(pendingDy) / 50.f, -1.f, 1.f);
    }
    pendingDy = 0;

    world->moveCars(float(dtMs));
    scaleY = (!hitLastFrame && crouching) ? 0.6f : 1.f;
    checkCars();
    if (!hitThisFrame) {
        armed = true;
    } else {
        scaleY *= 0.3f;
        if (armed) {
            armed = false;
            const int before = lives;
            lives -= 1;
            if (before <= 1) {
                saveBest();
                resetChicken();
                screen.mainState = StateLost;
            }
        }
    }
    hitLastFrame = hitThisFrame;
    runBest = std::max(runBest, score());

    if (score() > kWinScore) {
        // One step beyond the last row: back to the menu with a fresh field.
        saveBest();
        resetChicken();
        screen.mainState = StateMenu;
        screen.subScreen = ScreenMain;
        screen.newGameRequested = true;
    }
}

int Juego::score() const { return std::max(0, rowAt(z)); }

}  // namespace roosterway
