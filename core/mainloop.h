// The one loop of the program: it owns the window, the GL context and the
// running scene, keeps the global render switches, and runs the paced frame
// loop (tick, draw, frame-rate text, input, swap).
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framepacer.h"
#include "hopcommon/pads.h"

namespace hop {

class Scene;

class MainLoop {
public:
    // The longest world step; frames up to this long tick once, as they
    // always did.
    static constexpr float kMaxStep = 1.f / 30;
    // While paused nothing moves: run() draws the picture once and then
    // waits for an event (a key, a click, the window exposed, resized or
    // focused) before it draws again, since a software-rendered frame of the
    // whole scene costs over ten milliseconds. It looks up from the wait
    // this often (milliseconds) all the same.
    static constexpr int kStillWaitMs = 250;
    // A window manager resizes a window it makes full screen within this
    // time (nanoseconds); one still at its old size by then was refused (no
    // window manager at all, or one that does not do full screen), and the
    // game stays in its window.
    static constexpr std::int64_t kFullscreenGraceNs = 1000000000;
    static constexpr const char* kNoFullscreen = "Pantalla completa no disponible: el juego sigue en una ventana";

    static MainLoop* getInstance();

    // Opens the window; prints a message and exits with status 1 when SDL,
    // the window or its GL context cannot be had.
    void init(int width, int height, const std::string& title);
    // Adopts a window and context made elsewhere (tests, benchmarks) and
    // applies the switches as init does. The loop never destroys them.
    void attach(SDL_Window* win, SDL_GLContext context, int width, int height);
    // Runs until quit() or the window's quit event; the scene becomes owned.
    // Paced: frames at most 60 a second while the game runs; a still screen
    // (stillScreen()) is drawn only after an event.
    void run(Scene* scene);
    // One frame with the given delta: update, draw, frame-rate text, input,
    // and the swap unless a test reads the picture first. Returns the events
    // handled after the drawing (their effect shows in the next frame).
    int frame(float delta, bool swap = true);
    // Nothing on screen can change without an event: paused, and no switch
    // to full screen waiting for the window manager.
    bool stillScreen() const { return paused && fullscreenAskedAt < 0; }
    // The world's part of a frame: the scene ticks in steps of at most
    // kMaxStep, so a long frame (a stall, a loaded machine) moves nothing
    // further per step than a normal one. A delta of 0 (paused) is one tick of 0.
    void update(float delta);
    // One event as the frame handles it: quit, window size, then the scene.
    void handleEvent(const SDL_Event& e, float delta);
    // Takes the viewport from the window's drawable size when it differs
    // (after a full-screen switch, a resize event that came late). While a
    // switch to full screen waits for the window manager, the size is the
    // window system's (SDL already reports the desktop's), and a switch not
    // granted within kFullscreenGraceNs is undone: back in the window, with
    // kNoFullscreen on the console, and full screen refused from then on.
    void followDrawable();
    // The drawing part of a frame: clear, the scene, the frame-rate text.
    void drawFrame();
    // Deletes the scene, the cached fonts and textures, the context and the
    // window it made, and shuts SDL down. Safe to call twice.
    void shutdown();

    void setWireframe(bool on);
    bool getWireframe() const { return wireframe; }
    void toggleWireframe() { setWireframe(!getWireframe()); }
    void setLighting(bool on);
    bool getLighting() const { return lighting; }
    void toggleLighting() { setLighting(!getLighting()); }
    void setSmooth(bool on);
    bool getSmooth() const { return smooth; }
    void toggleSmooth() { setSmooth(!getSmooth()); }
    void setBlend(bool on);
    bool getBlend() const { return blend; }
    // Blending for the pass about to be drawn: translucent passes blend as
    // the switch says; opaque ones (alpha 1 everywhere, where blending gives
    // back the source colour) draw unblended, which a software renderer
    // does for less. Without hop::fastDrawing every pass follows the switch.
    void blendPass(bool translucent);
    void toggleBlend() { setBlend(!getBlend()); }
    void setMultisampling(bool on);
    bool getMultisampling() const { return multisampling; }
    void toggleMultisampling() { setMultisampling(!getMultisampling()); }
    void setTexture(bool on) { texture = on; }
    bool getTexture() const { return texture; }
    void toggleTexture() { setTexture(!getTexture()); }
    void setCullFace(bool on);
    bool getCullFace() const { return cullFace; }
    void toggleCullFace() { setCullFace(!getCullFace()); }
    void setFog(bool on);
    bool getFog() const { return fog; }
    void toggleFog() { setFog(!getFog()); }
    void setFullscreen(bool on);
    bool getFullscreen() const { return fullscreen; }
    void toggleFullscreen() { setFullscreen(!getFullscreen()); }
    // False once the window manager has refused full screen.
    bool getFullscreenAvailable() const { return !fullscreenRefused; }
    void setShowFPS(bool on) { showFps = on; }
    bool getShowFPS() const { return showFps; }
    void toggleShowFPS() { setShowFPS(!getShowFPS()); }

    void setWindowSize(int w, int h);
    int getWindowSizeWidth() const { return width; }
    int getWindowSizeHeight() const { return height; }
    void setGameSpeedMult(double m);
    double getGameSpeedMult() const { return gameSpeedMult; }
    void togglePause() { paused = !paused; }
    void setPause(bool p) { paused = p; }
    bool getPause() const { return paused; }
    void quit() { end = true; }
    bool isEnding() const { return end; }
    void setScene(Scene* s) { scene = s; }
    Scene* getScene() const { return scene; }
    SDL_Window* getWindow() const { return win; }
    // Game controllers from now on, with the game's table of what each
    // button means (after init: SDL must be running). Their buttons and
    // sticks come as the keys of the table, in the same frame's events;
    // unplugging one mid-play pauses.
    void usePads(const PadTable& table);
    void stopPads() { pads.reset(); }
    // SDL_PollEvent, with the controllers' keys slipped in.
    int pollEvent(SDL_Event* e);
    // The keys held now, the controllers' included: SDL_GetKeyboardState
    // for a game that reads held keys.
    const Uint8* keyboard();
    int getFps() const { return pacer.fps(); }
    // Asks for the heap's freed pages to go back to the system at the end of
    // this frame: for a frame that compiled lists, decoded images or built
    // new shaders, which leave megabytes freed but resident.
    void trimHeapAfterFrame() { trimHeap = true; }
    // Text is laid out for the height the window was asked for; a smaller
    // window (a desktop too small for it) draws it smaller by this factor.
    float getTextScale() const { return designHeight > 0 && height > 0 ? float(height) / float(designHeight) : 1.f; }

    // The clock and sleep of run(), replaceable by tests (nanoseconds).
    std::function<std::int64_t()> clock;
    std::function<void(std::int64_t)> sleep;
    // Waits up to `ms` for an event without taking it from the queue; true
    // when one is there. SDL_WaitEventTimeout by default; replaceable by tests.
    std::function<bool(int ms)> waitEvent;
    // The window's size as the window system has it, where it can be asked
    // (X11); false elsewhere. Replaceable by tests.
    std::function<bool(int& w, int& h)> windowSystemSize;

private:
    MainLoop();
    ~MainLoop();
    void applySwitches();
    void refuseFullscreen();

    SDL_Window* win = nullptr;
    SDL_GLContext context = nullptr;
    Scene* scene = nullptr;
    int width = 640, height = 480;
    bool showFps = true;
    bool cullFace = true;
    bool fog = false;
    bool texture = true;
    bool fullscreen = false;
    bool multisampling = true;
    bool blend = true;
    bool smooth = true;
    bool lighting = true;
    bool wireframe = false;
    bool paused = true;
    bool end = false;
    bool trimHeap = false;
    double gameSpeedMult = 1.0;

    int windowedWidth = 1600, windowedHeight = 900;
    bool fullscreenRefused = false;
    std::int64_t fullscreenAskedAt = -1;  // clock() of a switch not yet granted, or -1
    int designHeight = 0;
    bool ownsWindow = false;
    bool sdlStarted = false;
    FramePacer pacer;
    std::unique_ptr<Pads> pads;
};

// Bracket every 2D overlay: an orthographic projection in window pixels,
// no depth test, filled, blended, without lighting, fog or face culling,
// whatever the render switches say: they act on the 3D scene, and text stays
// readable. switchTo3DProjection puts the switches back. They do not nest.
void switchTo2DProjection();
void switchTo3DProjection();

}  // namespace hop
