#include "juego.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "escena.h"
#include "hopcommon/records.h"
#include "sonido.h"
#include "texto.h"

namespace coopdash {

hop::PadTable padTable() {
    hop::PadTable table;
    table.set(hop::Control::A, SDLK_RETURN, SDL_SCANCODE_RETURN)
        .set(hop::Control::B, SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE)
        .set(hop::Control::Start, SDLK_p, SDL_SCANCODE_P)
        .set(hop::Control::Back, SDLK_MENU, SDL_SCANCODE_MENU)
        .set(hop::Control::LeftShoulder, SDLK_v, SDL_SCANCODE_V)
        .set(hop::Control::RightShoulder, SDLK_v, SDL_SCANCODE_V);
    // Mouse motion turns one degree a pixel: half a turn a second at full tilt.
    table.lookSpeed = 180;
    return table;
}

Juego::Juego(Playfield& f, Recursos resources, SDL_Window* window)
    : field(f), screens(kLayoutWidth, kLayoutHeight), res_(resources), window_(window) {
    screens.setAtlas(res_.atlas);
    field.listener = this;
    options.speed = field.speed;
    screens.ajustes.refresh(options);
    if (res_.records) best_ = res_.records->best("best").value_or(0);
}

void Juego::endRun() {
    if (field.score <= 0) return;
    if (res_.records) res_.records->record("best", field.score);
    best_ = std::max(best_, (long long)field.score);
}

long long Juego::best() const { return std::max(best_, (long long)field.score); }

Juego::~Juego() {
    if (field.listener == this) field.listener = nullptr;
}

void Juego::start() {
    setPaused(true);
    screens.current = &screens.inicio;
}

void Juego::setPaused(bool paused) {
    dirty_ = true;
    field.paused = paused;
    screens.current = &screens.config;
    if (res_.audio) {
        if (paused) res_.audio->paused();
        else res_.audio->resumed();
    }
    syncMouse();
}

// The cursor shows on the menus and in a window; first person playing takes
// the mouse for turning.
void Juego::syncMouse() {
    if (!window_) return;
    const int state = field.paused ? 0 : view == ViewFirstPerson ? 2 : 1;
    if (state == mouseState_) return;
    mouseState_ = state;
    SDL_SetRelativeMouseMode(state == 2 ? SDL_TRUE : SDL_FALSE);
    SDL_ShowCursor(state == 0 || !fullscreen ? SDL_ENABLE : SDL_DISABLE);
}

void Juego::toggleFullscreen() {
    if (!fullscreenAvailable) {
        std::printf("Pantalla completa no disponible: el juego sigue en una ventana\n");
        return;
    }
    fullscreen = !fullscreen;
    if (window_) {
        SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        if (!fullscreen) {
            SDL_SetWindowSize(window_, kLayoutWidth, kLayoutHeight);
            SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        }
    }
    mouseState_ = -1;
    syncMouse();
}

Click Juego::toLayout(int x, int y) const {
    int w = kLayoutWidth, h = kLayoutHeight;
    if (window_) SDL_GetWindowSize(window_, &w, &h);
    if (w <= 0 || h <= 0) return {x, y};
    return {int(std::lround(double(x) * kLayoutWidth / w)), int(std::lround(double(y) * kLayoutHeight / h))};
}

void Juego::handleEvent(const SDL_Event& e) {
    // Any event may change a menu (a click, a key, an expose, a resize).
    dirty_ = true;
    switch (e.type) {
        case SDL_QUIT: quit = true; break;
        case SDL_WINDOWEVENT:
            // Keys released while another window had focus never reach us.
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) arrows = Arrows();
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const bool down = e.type == SDL_KEYDOWN;
            const SDL_Keycode sym = e.key.keysym.sym;
            // On a menu the arrows move the highlight (auto-repeat included).
            if (down && field.paused) {
                if (sym == SDLK_UP || sym == SDLK_LEFT) screens.current->step(-1);
                if (sym == SDLK_DOWN || sym == SDLK_RIGHT) screens.current->step(+1);
            }
            switch (sym) {
                case SDLK_UP: arrows.up = down; break;
                case SDLK_DOWN: arrows.down = down; break;
                case SDLK_LEFT: arrows.left = down; break;
                case SDLK_RIGHT: arrows.right = down; break;
                default:
                    if (!down || e.key.repeat) break;
                    switch (e.key.keysym.sym) {
                        case SDLK_ESCAPE:
                        case SDLK_q: quit = true; break;
                        case SDLK_p: setPaused(!field.paused); break;
                        case SDLK_v:
                            view = view == ViewTop ? ViewFirstPerson : ViewTop;
                            syncMouse();
                            break;
                        case SDLK_F11: toggleFullscreen(); break;
                        case SDLK_RETURN:
                        case SDLK_KP_ENTER:
                            if (field.paused) screens.current->choose();
                            break;
                        case SDLK_BACKSPACE:
                            // Back: the settings to the pause menu, the pause menu to play.
                            if (field.paused && screens.current == &screens.ajustes)
                                screens.ajustes.action = ActionPauseMenu;
                            else if (field.paused && screens.current == &screens.config)
                                screens.config.action = ActionResume;
                            break;
                        case SDLK_MENU:
                            if (!field.paused) setPaused(true);
                            break;
                        default: break;
                    }
            }
            break;
        }
        case SDL_MOUSEMOTION:
            if (view == ViewFirstPerson && !field.paused) field.player.heading -= double(e.motion.xrel);
            break;
        case SDL_MOUSEBUTTONUP:
            if (field.paused) screens.dispatchClick(toLayout(e.button.x, e.button.y));
            break;
        default: break;
    }
}

void Juego::update(double realMs) {
    realMs = std::clamp(realMs, 0.0, kMaxFrame);
    field.speed = options.speed;
    if (!field.paused) {
        const double dt = realMs * field.speed;
        const int steps = std::max(1, int(std::ceil(std::max(dt, realMs) / kMaxStep)));
        const int deaths = field.deaths;
        for (int i = 0; i < steps && field.deaths == deaths; ++i) {
            field.update(dt / steps, realMs / steps);
            if (field.deaths != deaths) break;  // a new field: the rest of this frame is dropped
            field.moveChicken(dt / steps, arrows, view);
        }
    } else {
        const int action = screens.takeAction();
        if (action != ActionNone) dirty_ = true;
        switch (applyAction(action, screens, options)) {
            case Effect::Quit: quit = true; break;
            case Effect::Resume: setPaused(false); break;
            case Effect::None: break;
        }
        field.speed = options.speed;
    }
}

bool Juego::frame(double realMs) {
    SDL_Event e;
    if (res_.pads) {
        while (res_.pads->poll(&e)) handleEvent(e);
        // A controller pulled out mid-run: its keys are already up; pause.
        if (res_.pads->unplugged() && !field.paused) setPaused(true);
    } else {
        while (SDL_PollEvent(&e)) handleEvent(e);
    }
    update(realMs);
    if (!window_ || !needsDraw()) return false;
    draw();
    return true;
}

void Juego::draw() {
    dirty_ = false;
    int w = kLayoutWidth, h = kLayoutHeight;
    if (window_) SDL_GL_GetDrawableSize(window_, &w, &h);
    glViewport(0, 0, w, h);
    setProjection(view, w, h);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    placeCamera(view, field.player);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    applyLight(options.lightPreset);
    glPolygonMode(GL_FRONT_AND_BACK, options.wireframe ? GL_LINE : GL_FILL);
    glShadeModel(options.smooth ? GL_SMOOTH : GL_FLAT);
    drawField(field, view, options.texturesOff);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    if (field.dead) drawDeath(res_.text, field.deathCause, 1.0 - field.dyingTime / Playfield::kDeathPause);

    if (field.paused) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0, screens.width, 0, screens.height);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        // A light veil over the field sets the menu apart.
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(0.05f, 0.04f, 0.1f, 0.3f);
        glRecti(0, 0, screens.width, screens.height);
        glColor4f(1, 1, 1, 1);
        glDisable(GL_BLEND);
        screens.drawCurrent(res_.text);
        glEnable(GL_DEPTH_TEST);
    }
    if (res_.text) drawHud(*res_.text, field.score, field.playTime, best());
    if (res_.text) res_.text->endFrame();
    setProjection(view, w, h);
    syncMouse();
}

void Juego::chickenDied() {
    endRun();
    if (res_.audio) res_.audio->death();
}

void Juego::musicDue() {
    if (res_.audio) res_.audio->musicDue();
}

}  // namespace coopdash
