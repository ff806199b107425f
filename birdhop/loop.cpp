#include "loop.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL.h>

#include <cmath>
#include <cstdio>
#include <ostream>

#include "draw.h"
#include "texture.h"

namespace birdhop {

namespace {
constexpr double kLongFrameMs = 2000, kLongFrameAs = 500;
const char* const kHelp = "Q: Salir V: Vista  P: Pausa  Flechas: Movimiento  Espacio: Reiniciar";

void perspective() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 4.0 / 3.0, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
}

Key keyOf(SDL_Keycode k) {
    switch (k) {
        case SDLK_UP: return Key::Up;
        case SDLK_DOWN: return Key::Down;
        case SDLK_LEFT: return Key::Left;
        case SDLK_RIGHT: return Key::Right;
        case SDLK_SPACE: return Key::Space;
        case SDLK_d: return Key::D;
        case SDLK_t: return Key::T;
        case SDLK_r: return Key::R;
        case SDLK_e: return Key::E;
        case SDLK_c: return Key::C;
        case SDLK_a: return Key::A;
        case SDLK_u: return Key::U;
        case SDLK_k: return Key::K;
        default: return Key::Other;
    }
}

}  // namespace

std::string lightDirectionText(const Vec3d& d) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "direccion luz (presiona D): %.2f %.2f %.2f", d.x, d.y, d.z);
    return buf;
}

void setupGL() {
    glClearColor(0.3f, 0.3f, 0.3f, 1);
    perspective();
    glEnable(GL_DEPTH_TEST);
}

BirdLoop::BirdLoop(SDL_Window* window, std::uint32_t seed, std::ostream& out) : window_(window) {
    grass_ = loadTexture24(paths::kGrass, GL_LINEAR);
    road_ = loadRoadTexture(paths::kRoadDir);
    panel = makePanel();
    gui_ = loadTexture32(paths::kGui, GL_NEAREST);
    birdModel_ = loadTexturedModel(paths::kBirdObj, paths::kBirdTexture);
    carModel_ = loadTexturedModel(paths::kCarObj, paths::kCarTexture);
    treeModel_ = loadTreeModel(paths::kTreeObj, paths::kTreeTexture, out);
    camera.buildSkybox(loadTexture24(paths::kSkybox, GL_LINEAR));
    WorldAssets assets{&birdModel_, &carModel_, &treeModel_, grass_, road_};
    game_ = std::make_unique<BirdGame>(assets, seed, out);
    counter_ = SDL_GetPerformanceCounter();
    text_ = std::make_unique<TextRenderer>();
    if (window_) focused_ = (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0;
    if (window_ && focused_) SDL_WarpMouseInWindow(window_, kWidth / 2, kHeight / 2);
}

BirdLoop::~BirdLoop() {
    game_.reset();
    text_.reset();
    camera.releaseSkybox();
    releaseModel(birdModel_);
    releaseModel(carModel_);
    releaseModel(treeModel_);
    const GLuint textures[] = {grass_, road_, gui_};
    glDeleteTextures(3, textures);
}

void BirdLoop::frame() {
    const std::uint64_t now = SDL_GetPerformanceCounter();
    const double ms = double(now - counter_) * 1000.0 / double(SDL_GetPerformanceFrequency());
    counter_ = now;
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    begin(ms, x, y);
    SDL_Event e;
    while (SDL_PollEvent(&e)) handleEvent(e);
    drawHud();
}

void BirdLoop::begin(double ms, int mx, int my) {
    BirdGame& g = *game_;
    g.checkDanceWords();
    mouseX = mx;
    mouseY = my;
    double dx = kWidth / 2 - mx, dy = my - kHeight / 2;
    if (g.paused) {
        ms = 0;
        dx = dy = 0;
    } else if (!focused_) {
        // Another window has the pointer: it is neither pulled back nor read.
        dx = dy = 0;
    } else if (window_) {
        SDL_WarpMouseInWindow(window_, kWidth / 2, kHeight / 2);
    }
    if (quietFrames_ > 0) {
        // The pointer is wherever it was when the window opened or the
        // panel closed: that is not a turn of the head.
        --quietFrames_;
        dx = dy = 0;
    }
    if (window_ && focused_) SDL_ShowCursor(g.paused ? SDL_ENABLE : SDL_DISABLE);
    if (ms / 1000 > kLongFrameMs / 1000) ms = kLongFrameAs;

    draw3D(dx, dy);
    g.update(ms);
    redSky_ = g.hitThisFrame;
    drawWorld();
}

void BirdLoop::draw3D(double dx, double dy) {
    const BirdGame& g = *game_;
    int w = kWidth, h = kHeight;
    if (window_) SDL_GL_GetDrawableSize(window_, &w, &h);
    glViewport(0, 0, w, h);
    perspective();
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    if (redSky_) glClearColor(1, 0, 0, 1);
    else glClearColor(0.3f, 0.3f, 1.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glPolygonMode(GL_FRONT_AND_BACK, g.flags.wireframe ? GL_LINE : GL_FILL);
    glShadeModel(g.flags.smooth ? GL_SMOOTH : GL_FLAT);
    // A squashed bird sees a red sky until the run restarts.
    const float normal[3] = {1, 1, 1}, red[3] = {1, 0.35f, 0.3f};
    camera.apply(g.bird.position, dx, dy, g.dead ? red : normal);
    double projection[16], view[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, view);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += projection[k * 4 + r] * view[c * 4 + k];
            clip_[c * 4 + r] = s;
        }
    setLights(g.flags, g.lightDirection);
    drawGround(g.bird.position.z, grass_, g.flags.textures);
}

void BirdLoop::drawWorld() {
    const BirdGame& g = *game_;
    if (g.deathBurst && g.deathBurst->active) drawBurst(*g.deathBurst);
    // Every active row has moved; only those in view are drawn. A road's box
    // reaches its cars beyond both ends, a forest's its outer trees.
    rowsDrawn_ = 0;
    for (int i = g.firstActiveRow(); i <= g.lastActiveRow(); ++i) {
        const Street* s = g.row(i);
        if (!s) continue;
        const double z = kRowDepth * i, reach = s->isForest() ? 23.5 : 44.5;
        if (!boxVisible(clip_, {-reach, -0.2, z - 1.5}, {reach, 4.5, z + 1.5})) continue;
        s->draw(g.flags.textures);
        ++rowsDrawn_;
    }
    drawBody(g.bird, g.flags.textures);
    for (const auto& b : g.fireworks.bursts)
        if (b) drawBurst(*b);
}

void BirdLoop::togglePause() {
    BirdGame& g = *game_;
    g.paused = !g.paused;
    if (window_ && focused_) SDL_WarpMouseInWindow(window_, kWidth / 2, kHeight / 2);
    if (!g.paused) quietFrames_ = 2;
}

void BirdLoop::handleEvent(const SDL_Event& e) {
    BirdGame& g = *game_;
    switch (e.type) {
        case SDL_QUIT: quit = true; break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                focused_ = false;
            } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                // The pointer comes back from wherever it was: not a turn.
                if (!focused_) quietFrames_ = 2;
                focused_ = true;
            }
            break;
        case SDL_KEYDOWN: {
            // A held arrow keeps hopping (each hop still waits for the last
            // to land); a held Space, D or V acts once.
            const SDL_Keycode k = e.key.keysym.sym;
            const bool arrow = k == SDLK_UP || k == SDLK_DOWN || k == SDLK_LEFT || k == SDLK_RIGHT;
            if (e.key.repeat && !arrow) break;
            switch (k) {
                case SDLK_ESCAPE: quit = true; break;
                case SDLK_v: camera.nextMode(); break;
                default: g.keyDown(keyOf(k)); break;
            }
            break;
        }
        case SDL_KEYUP:
            switch (e.key.keysym.sym) {
                case SDLK_q: quit = true; break;
                case SDLK_p: togglePause(); break;
                default: g.keyUp(keyOf(e.key.keysym.sym)); break;
            }
            break;
        // The panel answers where the pointer is when its events arrive: a
        // click chooses the cell under that click, even when the pointer
        // moved there within this frame.
        case SDL_MOUSEMOTION:
            mouseX = e.motion.x;
            mouseY = e.motion.y;
            break;
        case SDL_MOUSEBUTTONDOWN:
            click = true;
            mouseX = e.button.x;
            mouseY = e.button.y;
            break;
        case SDL_MOUSEWHEEL: {
            const int y = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            camera.zoom(y);
            break;
        }
        default: break;
    }
}

void BirdLoop::drawHud() {
    BirdGame& g = *game_;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(-1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (g.paused) {
        runPanel(panel, click, g.flags, mouseX, mouseY, gui_);
        const Vec3d& d = g.lightDirection;
        // Below the score line, which shares the top centre.
        text_->set(lightDirectionText(d), "center", "top", 0.1f, 0.2);
        text_->draw();
    }
    click = false;
    glColor3f(0, 1, 0);
    text_->set(std::to_string(g.score) + "/" + std::to_string(g.target), "right", "top", 0.2f);
    text_->draw();
    text_->set("Nivel " + std::to_string(g.level()), "center", "top", 0.2f);
    text_->draw();
    text_->set(kHelp, "center", "bottom", 0.07f);
    text_->draw();
    text_->set(std::to_string(long(std::floor(g.playMs / 1000))), "left", "top", 0.15f);
    text_->draw();
    glColor3f(1, 1, 1);
}

}  // namespace birdhop
