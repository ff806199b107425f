#include "mainloop.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "drawing.h"
#include "fontmanager.h"
#include "glwindow.h"
#include "scene.h"
#include "texturemanager.h"

namespace hop {

namespace {

// The switches as they were when the 2D bracket opened.
struct SavedSwitches {
    bool lighting = true, fog = false, cullFace = true, wireframe = false, blend = true;
} saved;

std::int64_t systemNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

MainLoop::MainLoop()
    : clock(systemNow),
      sleep([](std::int64_t ns) { std::this_thread::sleep_for(std::chrono::nanoseconds(ns)); }),
      waitEvent([](int ms) { return SDL_WaitEventTimeout(nullptr, ms) == 1; }),
      windowSystemSize([this](int& w, int& h) { return hop::windowSystemSize(win, w, h); }) {}

// At exit the font and texture caches may already be gone (statics die in
// reverse order of creation): only the window and SDL are released here;
// shutdown() is the orderly way out.
MainLoop::~MainLoop() {
    if (ownsWindow) {
        if (context) SDL_GL_DeleteContext(context);
        if (win) SDL_DestroyWindow(win);
    }
    if (sdlStarted) SDL_Quit();
}

MainLoop* MainLoop::getInstance() {
    static MainLoop instance;
    return &instance;
}

void MainLoop::init(int w, int h, const std::string& title) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::cerr << "No se pudo iniciar SDL: " << SDL_GetError() << std::endl;
        std::exit(1);
    }
    // No display: SDL picked a driver that shows nothing. Say so and stop
    // before any window is made, unless the environment asked for it.
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string headless = unaskedHeadlessDriver(driver ? driver : "", std::getenv("SDL_VIDEODRIVER"));
    if (!headless.empty()) {
        std::cerr << noDisplayMessage(headless) << std::endl;
        SDL_Quit();
        std::exit(1);
    }
    sdlStarted = true;
    designHeight = h;
    // A window larger than the desktop would show only part of the scene and
    // HUD: shrink it to fit, keeping its proportions.
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0 && (w > usable.w || h > usable.h)) {
        const double f = std::min(double(usable.w) / w, double(usable.h) / h);
        w = int(w * f);
        h = int(h * f);
    }
    // 16 samples where the display has them, fewer where not, none on a
    // software renderer (see openGLWindow).
    const GLWindow made = openGLWindow(title, w, h);
    win = made.window;
    context = made.context;
    if (!win || !context) {
        std::cerr << "No se pudo crear la ventana: " << SDL_GetError() << std::endl;
        SDL_Quit();
        std::exit(1);
    }
    ownsWindow = true;
    // Vsync where the display offers it; the pacer's sleep holds the rate
    // where it does not.
    SDL_GL_SetSwapInterval(1);
    width = windowedWidth = w;
    height = windowedHeight = h;
    applySwitches();
    FontManager::getInstance()->loadFont("ocraext", 24);
}

void MainLoop::attach(SDL_Window* w, SDL_GLContext c, int wd, int ht) {
    win = w;
    context = c;
    ownsWindow = false;
    designHeight = ht;
    width = windowedWidth = wd;
    height = windowedHeight = ht;
    applySwitches();
    FontManager::getInstance()->loadFont("ocraext", 24);
}

void MainLoop::applySwitches() {
    setCullFace(cullFace);
    setMultisampling(multisampling);
    setBlend(blend);
    setSmooth(smooth);
    setLighting(lighting);
    setWireframe(wireframe);
    const int w = width, h = height;
    if (ownsWindow) setFullscreen(fullscreen);
    setWindowSize(w, h);
    glEnable(GL_NORMALIZE);
    glEnable(GL_DEPTH_TEST);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
}

void MainLoop::shutdown() {
    delete scene;
    scene = nullptr;
    FontManager::getInstance()->clear();
    TextureManager::getInstance()->clear();
    if (ownsWindow) {
        if (context) SDL_GL_DeleteContext(context);
        if (win) SDL_DestroyWindow(win);
    }
    context = nullptr;
    win = nullptr;
    ownsWindow = false;
    pads.reset();
    if (sdlStarted) SDL_Quit();
    sdlStarted = false;
}

void MainLoop::run(Scene* s) {
    scene = s;
    end = false;
    pacer.start(clock());
    // The picture on screen is out of date: the start, or events handled
    // after the last frame was drawn.
    bool stale = true;
    while (!end) {
        if (stillScreen() && !stale) {
            // Nothing moves: wait for an event rather than draw the same
            // picture again. The events are handled before the frame that
            // shows them, and the frame-rate text keeps the rate of the
            // last second of frames.
            if (!waitEvent(kStillWaitMs)) continue;
            SDL_Event e;
            while (scene && pollEvent(&e)) handleEvent(e, 0);
            pacer.resume(clock());
            stale = true;
            continue;
        }
        const FramePacer::Pass p = pacer.pass(clock());
        if (p.sleepNs > 0) sleep(p.sleepNs);
        if (!p.produce) continue;
        stale = frame(FramePacer::frameDelta(p.elapsedNs, gameSpeedMult, paused)) > 0;
    }
}

int MainLoop::frame(float delta, bool swap) {
    if (!scene) return 0;
    update(delta);
    followDrawable();
    drawFrame();
    SDL_Event e;
    int events = 0;
    while (scene && pollEvent(&e)) {
        handleEvent(e, delta);
        ++events;
    }
    if (win && swap) SDL_GL_SwapWindow(win);
    if (trimHeap) {
#ifdef __GLIBC__
        malloc_trim(0);
#endif
        trimHeap = false;
    }
    return events;
}

void MainLoop::update(float delta) {
    if (!scene) return;
    if (!(delta > 0)) {
        scene->tickBase(0);
        return;
    }
    const int steps = int(std::ceil(delta / kMaxStep));
    const float step = delta / float(steps);
    for (int i = 0; i < steps && scene; ++i) scene->tickBase(step);
}

void MainLoop::usePads(const PadTable& table) { pads = std::make_unique<Pads>(table); }

int MainLoop::pollEvent(SDL_Event* e) {
    if (!pads) return SDL_PollEvent(e);
    const int got = pads->poll(e);
    // A controller pulled out mid-play: its keys are up, and the game waits.
    if (pads->unplugged() && !paused) paused = true;
    return got;
}

const Uint8* MainLoop::keyboard() { return pads ? pads->keyboard() : SDL_GetKeyboardState(nullptr); }

void MainLoop::handleEvent(const SDL_Event& e, float delta) {
    if (e.type == SDL_QUIT) end = true;
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        // The event may describe a size the window has already left (two
        // quick full-screen switches): the drawable size is the truth.
        setWindowSize(e.window.data1, e.window.data2);
        followDrawable();
    }
    if (scene) scene->inputBase(e, delta);
}

void MainLoop::followDrawable() {
    if (!win) return;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(win, &w, &h);
    if (fullscreenAskedAt >= 0) {
        int realW = 0, realH = 0;
        if (!windowSystemSize || !windowSystemSize(realW, realH) || (realW == w && realH == h)) {
            fullscreenAskedAt = -1;  // granted, or nobody to ask
        } else if (clock() - fullscreenAskedAt >= kFullscreenGraceNs) {
            refuseFullscreen();
            SDL_GL_GetDrawableSize(win, &w, &h);
        } else {
            // Not yet resized: draw into the window as it is.
            w = realW;
            h = realH;
        }
    }
    if (w > 0 && h >= 0 && (w != width || h != height)) setWindowSize(w, h);
}

void MainLoop::drawFrame() {
    if (!scene) return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    scene->drawBase();
    if (showFps) {
        switchTo2DProjection();
        renderText(std::to_string(pacer.fps()) + " FPS", 0.01f, 0.97f, Color(1, 1, 1, 1), "ocraext", 24);
        switchTo3DProjection();
    }
}

void MainLoop::setWireframe(bool on) {
    wireframe = on;
    glPolygonMode(GL_FRONT_AND_BACK, on ? GL_LINE : GL_FILL);
}

void MainLoop::setLighting(bool on) {
    lighting = on;
    on ? glEnable(GL_LIGHTING) : glDisable(GL_LIGHTING);
}

void MainLoop::setSmooth(bool on) {
    smooth = on;
    glShadeModel(on ? GL_SMOOTH : GL_FLAT);
}

void MainLoop::setBlend(bool on) {
    blend = on;
    if (on) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
}

void MainLoop::blendPass(bool translucent) {
    if (translucent || !fastDrawing)
        setBlend(blend);
    else
        glDisable(GL_BLEND);
}

void MainLoop::setMultisampling(bool on) {
    multisampling = on;
    on ? glEnable(GL_MULTISAMPLE) : glDisable(GL_MULTISAMPLE);
}

void MainLoop::setCullFace(bool on) {
    cullFace = on;
    on ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
}

void MainLoop::setFog(bool on) {
    fog = on;
    on ? glEnable(GL_FOG) : glDisable(GL_FOG);
}

void MainLoop::setFullscreen(bool on) {
    if (on && fullscreenRefused) {
        std::cout << kNoFullscreen << std::endl;
        on = false;
    }
    fullscreen = on;
    if (!win) return;
    SDL_SetWindowFullscreen(win, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    // Back from full screen the window has the size it was made with: 1600 x
    // 900, or less where the desktop is smaller. The viewport follows what the
    // window really has, now and at every frame (the switch may settle late).
    if (!on) SDL_SetWindowSize(win, windowedWidth, windowedHeight);
    fullscreenAskedAt = on ? clock() : -1;
    followDrawable();
}

void MainLoop::refuseFullscreen() {
    fullscreenAskedAt = -1;
    fullscreenRefused = true;
    fullscreen = false;
    SDL_SetWindowFullscreen(win, 0);
    SDL_SetWindowSize(win, windowedWidth, windowedHeight);
    std::cout << kNoFullscreen << std::endl;
}

void MainLoop::setWindowSize(int w, int h) {
    // The renderer's buffers of the old size are freed once the frame is
    // drawn at the new one.
    if (w != width || h != height) trimHeap = true;
    width = w;
    height = h;
    glViewport(0, 0, w, h > 0 ? h : 1);
}

void MainLoop::setGameSpeedMult(double m) {
    gameSpeedMult = m;
    std::cout << "Current game speed multiplier: " << m << std::endl;
}

void switchTo2DProjection() {
    MainLoop* ml = MainLoop::getInstance();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, ml->getWindowSizeWidth(), 0, ml->getWindowSizeHeight(), -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    saved = {ml->getLighting(), ml->getFog(), ml->getCullFace(), ml->getWireframe(), ml->getBlend()};
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void switchTo3DProjection() {
    MainLoop* ml = MainLoop::getInstance();
    ml->setLighting(saved.lighting);
    ml->setFog(saved.fog);
    ml->setCullFace(saved.cullFace);
    ml->setWireframe(saved.wireframe);
    ml->setBlend(saved.blend);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

}  // namespace hop
