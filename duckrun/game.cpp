#include "game.h"

#include <SDL2/SDL.h>
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "assets.h"
#include "overlay.h"
#include "render.h"

namespace duckrun {

const Vec3 Game::kLamps[6] = {{-25, 3, -70 / 1.7f}, {25, 3, -70 / 1.7f}, {-25, 3, 0},
                              {25, 3, 0},           {-25, 3, 70 / 1.7f}, {25, 3, 70 / 1.7f}};

namespace {
constexpr float kDuckScale = 0.06f;
constexpr float kSkySize = 150;
constexpr double kNsPerSecond = 1e9;
}  // namespace

// The GL side of the game: every texture and list, made once at start-up.
struct Presentation {
    unsigned duckTexture = 0, grass = 0;
    unsigned duckFilled = 0, duckWire = 0;
    Skybox sky;
    FieldLists fieldLists;
    WindowSize window;
    ScreenPanel pausePanel, endPanel;

    explicit Presentation(const DuckCamera& camera) {
        try {
            load(camera);
        } catch (...) {
            release();  // a bad file stops the game: free what was made
            throw;
        }
    }
    ~Presentation() { release(); }

    void load(const DuckCamera& camera) {
        duckTexture = loadTexture(paths::kDuckTexture, 24, Wrap::Repeat);
        const DuckMesh duck = readDuckModel(paths::kDuckModel);
        duckFilled = buildDuckFilled(duck, duckTexture, kDuckScale);
        duckWire = buildDuckWire(duck, kDuckScale);
        // Both face sets are read now, so a bad night face is reported at
        // start-up, not at the first press of N.
        sky.create(paths::kNightSky, camera);
        sky.load(paths::kDaySky);
        pausePanel.blackboard = loadTexture(paths::kBlackboard, 32, Wrap::Repeat);
        endPanel.blackboard = loadTexture(paths::kBlackboard, 32, Wrap::Repeat);
        grass = loadTexture(paths::kGrass, 24, Wrap::Repeat);
    }
    void release() {
        const unsigned textures[] = {duckTexture, grass, pausePanel.blackboard, endPanel.blackboard};
        for (unsigned t : textures)
            if (t) glDeleteTextures(1, &t);
        if (duckFilled) glDeleteLists(duckFilled, 1);
        if (duckWire) glDeleteLists(duckWire, 1);
    }
};

Game::Game(bool graphics, std::int64_t nowNs) : graphics_(graphics) {
    if (graphics_) view_ = std::make_unique<Presentation>(camera);
    runStartNs = lastPlayingNs = previousFrameNs = nowNs;
    state.record = records_.best("best").value_or(0);
    if (graphics_) pads_ = std::make_unique<hop::Pads>(padTable());
}

hop::PadTable Game::padTable() {
    using hop::Control;
    hop::PadTable t;  // the d-pad and the left stick: the arrows, held
    t.set(Control::A, SDLK_RETURN, SDL_SCANCODE_RETURN)  // start, resume; after a run: a new one
        .set(Control::B, SDLK_r, SDL_SCANCODE_R)         // after a run: a new one
        .set(Control::Start, SDLK_p, SDL_SCANCODE_P)
        .set(Control::Back, SDLK_p, SDL_SCANCODE_P)  // the blackboard is the menu and the help
        .set(Control::LeftShoulder, SDLK_v, SDL_SCANCODE_V)
        .set(Control::RightShoulder, SDLK_v, SDL_SCANCODE_V);
    // The right stick orbits the camera in free look as the mouse does: at
    // full tilt as a mouse moved 600 pixels a second.
    t.lookSpeed = 600;
    return t;
}

void Game::saveBest() {
    if (state.score() <= 0) return;  // no way made: nothing to keep
    records_.record("best", state.score());
    if (state.screen == ScreenWon) records_.record("time", state.seconds, hop::Records::Lower);
    state.record = std::max(state.record, (long long)state.score());
}

Game::~Game() = default;

void Game::frame(std::int64_t nowNs) {
    std::vector<SDL_Event> events;
    SDL_Event e;
    if (pads_) {
        while (pads_->poll(&e)) events.push_back(e);
        // A controller pulled out during play: the game waits on the pause.
        if (pads_->unplugged() && state.screen == ScreenPlaying) state.screen = ScreenStart;
    } else {
        while (SDL_PollEvent(&e)) events.push_back(e);
    }
    const Uint8* keys = pads_ ? pads_->keyboard() : SDL_GetKeyboardState(nullptr);
    Arrows held;
    held.up = keys[SDL_SCANCODE_UP];
    held.down = keys[SDL_SCANCODE_DOWN];
    held.left = keys[SDL_SCANCODE_LEFT];
    held.right = keys[SDL_SCANCODE_RIGHT];
    step(nowNs, events, held);
}

void Game::step(std::int64_t nowNs, const std::vector<SDL_Event>& events, const Arrows& held) {
    // Read on every screen, so the first frame back in play does not take
    // the whole time spent on a menu as its step.
    const float dt = float(double(nowNs - previousFrameNs) / kNsPerSecond);
    previousFrameNs = nowNs;
    nowNs_ = nowNs;
    const int screen = state.screen;
    if (screen == ScreenPlaying) playingFrame(nowNs, dt);
    else if (screen == ScreenStart) pausedFrame(dt);
    else endFrame();

    // A run that ended in this frame, by the rules or by a key, is kept.
    if (screen == ScreenPlaying && (state.screen == ScreenWon || state.screen == ScreenGameOver)) saveBest();
    const int drawn = state.screen;
    for (const SDL_Event& e : events) handleEvent(e);
    // The scene is drawn before the events: what they change, or a screen
    // reached this frame, shows in the next one.
    redraw_ = !events.empty() || state.screen != screen || drawn != screen ? 1 : std::max(0, redraw_ - 1);

    if (screen == ScreenPlaying && state.screen == ScreenPlaying) {
        applyHeld(held);
        state.seconds = int((nowNs - runStartNs) / std::int64_t(kNsPerSecond));
    } else {
        // Off the playing screen nothing walks: no arrow or mouse motion
        // carries over into the pause or the next run.
        applyHeld(Arrows{});
        camera.mouseDX = camera.mouseDY = 0;
    }
}

void Game::applyHeld(const Arrows& held) { camera.held = held; }

// The sky goes behind the scene, after it, unless it is drawn first.
void Game::skyUnder() {
    if (!skyBehindScene) view_->sky.draw(kSkySize, false);
}

void Game::skyBehind() {
    if (skyBehindScene) view_->sky.draw(kSkySize, true);
}

void Game::worldStep(float dt) {
    camera.update(field, false, dt);
    for (Block& b : blocks) b.update(dt);
    checkRun(state, blocks, camera.target.x, camera.target.z);
}

void Game::playingFrame(std::int64_t nowNs, float dt) {
    if (!clockRunning) {
        runStartNs += nowNs - lastPlayingNs;
        clockRunning = true;
    }
    lastPlayingNs = nowNs;

    float world = std::clamp(dt, 0.0f, kMaxFrameSeconds) * speedFactor(state.speedMode);
    const int steps = std::max(1, int(std::ceil(world / kMaxStepSeconds)));
    const float each = world / float(steps);
    for (int i = 0; i < steps && state.screen == ScreenPlaying; ++i) worldStep(each);

    float wanted = 0;
    if (duckrun::wantedFacing(camera.held, wanted)) {
        wantedFacing = wanted;
        facing = camera.freeLook ? camera.yaw + wantedFacing : wantedFacing;
    }

    if (!graphics_) return;
    SDL_SetRelativeMouseMode(SDL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    applyCamera(camera);
    // Lights are placed after the view, so they stay put as the camera turns.
    setLights(night, sunset, camera.target, kLamps);
    glEnable(GL_LIGHT0);
    skyUnder();
    glShadeModel(state.smooth ? GL_SMOOTH : GL_FLAT);
    drawField(field, state, view_->grass, view_->fieldLists);
    drawDuck(camera, facing, state, view_->duckFilled, view_->duckWire);
    for (const Block& b : blocks) drawBlock(b, state.wireframe);
    skyBehind();
    drawHud(view_->window, state);
}

void Game::pausedFrame(float dt) {
    clockRunning = false;
    camera.update(field, true, dt);
    if (!graphics_) return;
    SDL_SetRelativeMouseMode(SDL_FALSE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    applyCamera(camera);
    setLights(night, sunset, camera.target, kLamps);
    glEnable(GL_LIGHT0);
    skyUnder();
    drawField(field, state, view_->grass, view_->fieldLists);
    drawDuck(camera, facing, state, view_->duckFilled, view_->duckWire);
    skyBehind();
    drawPauseScreen(view_->pausePanel, state);
}

void Game::endFrame() {
    clockRunning = false;
    if (!graphics_) return;
    SDL_SetRelativeMouseMode(SDL_FALSE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    setLights(night, sunset, camera.target, kLamps);
    glEnable(GL_LIGHT0);
    skyUnder();
    drawField(field, state, view_->grass, view_->fieldLists);
    skyBehind();
    drawEndScreen(view_->endPanel, state);
}

void Game::handleEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_QUIT: quit = true; break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) quit = true;
            break;
        case SDL_KEYUP: keyReleased(e.key.keysym.sym); break;
        case SDL_MOUSEMOTION:
            // Summed: several motions can arrive in one frame.
            if (camera.freeLook && state.screen == ScreenPlaying) {
                camera.mouseDX += float(e.motion.xrel);
                camera.mouseDY += float(e.motion.yrel);
            }
            break;
        default: break;
    }
}

void Game::keyReleased(int sym) {
    if (sym == SDLK_v) {
        camera.freeLook = !camera.freeLook;
        camera.freeLookPlaced = false;
        return;
    }
    if (sym == SDLK_ESCAPE || sym == SDLK_q) {
        quit = true;
        return;
    }
    switch (state.screen) {
        case ScreenPlaying:
            switch (sym) {
                case SDLK_1: state.speedMode = SpeedSlow; break;
                case SDLK_2: state.speedMode = SpeedNormal; break;
                case SDLK_3: state.speedMode = SpeedFast; break;
                case SDLK_i: state.smooth = !state.smooth; break;
                case SDLK_l: sunset = !sunset; break;
                case SDLK_n: setNight(!night); break;
                case SDLK_p: state.screen = ScreenStart; break;
                case SDLK_t: state.texturesOn = !state.texturesOn; break;
                case SDLK_w: state.wireframe = !state.wireframe; break;
                default: break;
            }
            break;
        case ScreenStart:
            if (sym == SDLK_p || sym == SDLK_RETURN) state.screen = ScreenPlaying;
            break;
        default:
            if (sym == SDLK_r || sym == SDLK_RETURN) restart(nowNs_);
            break;
    }
}

void Game::restart(std::int64_t nowNs) {
    saveBest();
    state.screen = ScreenPlaying;
    state.best = 0;
    state.seconds = 0;
    runStartNs = lastPlayingNs = nowNs;
    clockRunning = false;
    camera.init(DuckCamera::kStartEye, DuckCamera::kStartTarget);
    camera.held = Arrows{};
    camera.mouseDX = camera.mouseDY = 0;
}

void Game::setNight(bool on) {
    night = on;
    if (view_) view_->sky.load(night ? paths::kNightSky : paths::kDaySky);
}

std::size_t Game::skyTextureCount() const { return view_ ? view_->sky.textureCount() : 0; }

}  // namespace duckrun
