#include "loop.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "draw.h"
#include "texture.h"

namespace birdhop {

namespace {
constexpr double kLongFrameMs = 2000, kLongFrameAs = 500;
// The right stick held over: the head turns as the pointer 240 pixels a
// second from the centre would (120 degrees a second).
constexpr double kStickPixelsPerSecond = 240;
// A stall turns the head no further than a tenth of a second would.
constexpr double kStickLongestMs = 100;
constexpr double kRecordRaise = 0.12;  // HUD units above the bottom edge
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

hop::PadTable padTable() {
    using hop::Control;
    hop::PadTable t;  // the d-pad and the left stick: the arrows
    t.set(Control::A, SDLK_RETURN, SDL_SCANCODE_RETURN)            // hop ahead; on the panel: choose
        .set(Control::B, SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE)  // restart; on the panel: back to play
        .set(Control::Start, SDLK_p, SDL_SCANCODE_P)
        .set(Control::Back, SDLK_p, SDL_SCANCODE_P)  // the menu is the pause panel
        .set(Control::LeftShoulder, SDLK_v, SDL_SCANCODE_V)
        .set(Control::RightShoulder, SDLK_v, SDL_SCANCODE_V);
    // A held arrow keeps hopping, as the keyboard's repeat does.
    t.repeatDelay = 300;
    t.repeatInterval = 50;
    return t;
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
    records_ = std::make_unique<hop::Records>("birdhop");
    pads_ = std::make_unique<hop::Pads>(padTable());
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
    stickX = pads_->lookX();
    stickY = pads_->lookY();
    begin(ms, x, y);
    SDL_Event e;
    int events = 0;
    while (pads_->poll(&e)) {
        handleEvent(e);
        ++events;
    }
    // A controller pulled out: the game waits on the pause panel.
    if (pads_->unplugged() && !game_->paused) togglePause();
    drawHud();
    redraw_ = events > 0 ? 1 : std::max(0, redraw_ - 1);
}

bool BirdLoop::still() const {
    if (!game_->paused || redraw_ > 0) return false;
    // A key a controller holds repeats: frames must run to deliver it.
    for (const SDL_Scancode sc : {SDL_SCANCODE_UP, SDL_SCANCODE_DOWN, SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT,
                                  SDL_SCANCODE_RETURN, SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_P, SDL_SCANCODE_V})
        if (pads_->held(sc)) return false;
    return true;
}

bool BirdLoop::waitForEvent(int ms) const { return SDL_WaitEventTimeout(nullptr, ms) == 1; }

void BirdLoop::saveBest() {
    const BirdGame& g = *game_;
    records_->record("best", g.distance());
    if (g.score > 0) records_->record("level-" + std::to_string(g.level()), g.score);
}

long long BirdLoop::shownBest() const {
    return std::max<long long>(records_->best("best").value_or(0), game_->distance());
}

void BirdLoop::begin(double ms, int mx, int my) {
    BirdGame& g = *game_;
    g.checkDanceWords();
    mouseX = mx;
    mouseY = my;
    double dx = kWidth / 2 - mx, dy = my - kHeight / 2;
    // The right stick turns the head the way the pointer does.
    const double stickMs = std::min(std::max(ms, 0.0), kStickLongestMs);
    dx -= stickX * kStickPixelsPerSecond * stickMs / 1000;
    dy += stickY * kStickPixelsPerSecond * stickMs / 1000;
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
    const int level = g.level(), target = g.target, levelUps = g.levelUps;
    g.update(ms);
    redSky_ = g.hitThisFrame;
    // A level cleared holds all its rows; a squash ends the run.
    if (g.levelUps != levelUps) {
        records_->record("level-" + std::to_string(level), target);
        records_->record("best", g.distance());
    }
    if (g.hitThisFrame) saveBest();
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
    camera.look(g.bird.position);
    double projection[16], view[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, view);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += projection[k * 4 + r] * view[c * 4 + k];
            clip_[c * 4 + r] = s;
        }
    camera.turn(dx, dy);
    setLights(g.flags, g.lightDirection);
    groundZ_ = g.bird.position.z;  // where the bird was when the camera was placed
}

void BirdLoop::drawWorld() {
    const BirdGame& g = *game_;
    const bool textures = g.flags.textures;
    // Opaque things in the depth buffer, in an order that saves the
    // renderer work and changes no pixel: the rows' ground nearest the eye
    // first, the grass strip and grey plane under them next (hidden parts
    // fail the depth test before they are textured), the bodies by model
    // (each model's state set once), and the sky last, only where nothing
    // else was drawn.
    rowsDrawn_ = 0;
    roads_.clear();
    forests_.clear();
    for (int i = g.firstActiveRow(); i <= g.lastActiveRow(); ++i) {
        const Street* s = g.row(i);
        if (!s) continue;
        const double z = kRowDepth * i;
        if (!boxVisible(clip_, {-kRowWidth / 2, 0, z - 1}, {kRowWidth / 2, 0, z + 1})) continue;
        (s->isForest() ? forests_ : roads_).push_back(s);
        ++rowsDrawn_;
    }
    for (const auto* group : {&roads_, &forests_}) {
        if (group->empty()) continue;
        const bool road = group == &roads_;
        surface(road ? road_ : grass_, textures, road ? kRoadColour : kGrassColour);
        glBegin(GL_QUADS);
        for (const Street* s : *group) s->emitSurface();
        glEnd();
        endSurface(textures);
    }
    drawGround(groundZ_, grass_, textures);

    // Every active row has moved; a body is drawn when it can be seen.
    trees_.clear();
    cars_.clear();
    for (int i = g.firstActiveRow(); i <= g.lastActiveRow(); ++i)
        if (const Street* s = g.row(i))
            for (const auto& o : s->objects)
                if (bodyInView(clip_, *o)) (s->isForest() ? trees_ : cars_).push_back(o.get());
    drawBodies(trees_, textures);
    drawBodies(cars_, textures);
    drawBody(g.bird, textures);
    if (g.deathBurst && g.deathBurst->active) drawBurst(*g.deathBurst);
    for (const auto& b : g.fireworks.bursts)
        if (b) drawBurst(*b);

    // A squashed bird sees a red sky until the run restarts.
    const float normal[3] = {1, 1, 1}, red[3] = {1, 0.35f, 0.3f};
    camera.drawSky(g.dead ? red : normal, true);
}

void BirdLoop::togglePause() {
    BirdGame& g = *game_;
    g.paused = !g.paused;
    if (window_ && focused_) SDL_WarpMouseInWindow(window_, kWidth / 2, kHeight / 2);
    if (!g.paused) {
        quietFrames_ = 2;
        panelFocus = -1;  // the next pause shows the panel as the mouse left it
    }
}

void BirdLoop::panelKey(SDL_Keycode k) {
    switch (k) {
        case SDLK_UP: panelFocus = movePanelFocus(panel, panelFocus, Key::Up); break;
        case SDLK_DOWN: panelFocus = movePanelFocus(panel, panelFocus, Key::Down); break;
        case SDLK_LEFT: panelFocus = movePanelFocus(panel, panelFocus, Key::Left); break;
        case SDLK_RIGHT: panelFocus = movePanelFocus(panel, panelFocus, Key::Right); break;
        case SDLK_RETURN:
            // The first press shows which cell is chosen; the next acts on it.
            if (panelFocus < 0) panelFocus = movePanelFocus(panel, -1, Key::Up);
            else panel[std::size_t(panelFocus)].act(game_->flags);
            break;
        default: break;
    }
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
            // Paused, the arrows and Return work the panel.
            if (g.paused && (arrow || k == SDLK_RETURN)) {
                panelKey(k);
                break;
            }
            switch (k) {
                case SDLK_ESCAPE: quit = true; break;
                case SDLK_v: camera.nextMode(); break;
                case SDLK_RETURN: g.keyDown(Key::Up); break;  // a controller's A: hop ahead
                case SDLK_BACKSPACE:  // a controller's B: back to play from the panel, else Space
                    if (g.paused) {
                        togglePause();
                        break;
                    }
                    saveBest();
                    g.keyDown(Key::Space);
                    break;
                case SDLK_SPACE:
                    saveBest();
                    g.keyDown(Key::Space);
                    break;
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
        runPanel(panel, click, g.flags, mouseX, mouseY, gui_, panelFocus);
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
    // The best distance, kept across runs, above the help line.
    if (const long long best = shownBest(); best > 0) {
        text_->set("RECORD " + std::to_string(best), "right", "bottom", 0.1f, -kRecordRaise);
        text_->draw();
    }
    glColor3f(1, 1, 1);
}

}  // namespace birdhop
