#include "app.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>

#include "screens.h"

namespace orbitdash {

App::App(Random& random, std::ostream& log) : records_("orbitdash", log) {
    renderer_.setUp();
    ready_ = renderer_.load(log);
    game_ = std::make_unique<Game>(random, log);
}

void App::resize(int width, int height) {
    if (width > 0 && height > 0 && (width != width_ || height != height_)) {
        width_ = width;
        height_ = height;
        changed();
    }
}

bool App::still() const {
    const int state = game_->state();
    return state == kTitle || state == kMenu;
}

hop::PadTable App::padTable() {
    hop::PadTable table;  // the d-pad and the left stick: the arrows
    table.set(hop::Control::Start, SDLK_p, SDL_SCANCODE_P)
        .set(hop::Control::Back, SDLK_p, SDL_SCANCODE_P)
        .set(hop::Control::LeftShoulder, SDLK_v, SDL_SCANCODE_V)
        .set(hop::Control::RightShoulder, SDLK_x, SDL_SCANCODE_X);
    // Full tilt turns the camera as 500 pixels of mouse a second do: about
    // 2.5 radians.
    table.lookSpeed = 500;
    return table;
}

void App::padButton(Uint8 button, bool down) {
    SDL_Keycode& held = button == SDL_CONTROLLER_BUTTON_A ? padA_ : padB_;
    if (down) {
        const int state = game_->state();
        if (button == SDL_CONTROLLER_BUTTON_A) {
            // The main action: jump ahead while playing, change the chosen
            // setting in the menu, start or go on (R) on the other screens.
            held = state == kPlaying ? SDLK_UP : state == kMenu ? SDLK_RIGHT : SDLK_r;
        } else {
            // Back out of the menu (P); elsewhere restart (R).
            held = state == kMenu ? SDLK_p : SDLK_r;
        }
        game_->key(held, true);
    } else if (held != SDLK_UNKNOWN) {
        game_->key(held, false);
        held = SDLK_UNKNOWN;
    }
}

void App::handleEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_QUIT: game_->quit = true; return;
        case SDL_KEYDOWN:
        case SDL_KEYUP: game_->key(e.key.keysym.sym, e.type == SDL_KEYDOWN, e.key.repeat != 0); break;
        case SDL_MOUSEMOTION: game_->mouse(e.motion.xrel, e.motion.yrel); break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            if (e.cbutton.button != SDL_CONTROLLER_BUTTON_A && e.cbutton.button != SDL_CONTROLLER_BUTTON_B) return;
            padButton(e.cbutton.button, e.type == SDL_CONTROLLERBUTTONDOWN);
            break;
        case SDL_WINDOWEVENT:
            // Shown, exposed, resized, focus: the still screens are drawn again.
            if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) resize(e.window.data1, e.window.data2);
            break;
        default: return;
    }
    changed();
}

void App::idle(std::uint32_t nowMs) {
    if (!started_) return;
    game_->setClock(nowMs);
    last_ = nowMs;
    pending_ = 0;
}

bool App::turn(hop::Pads& pads, int waitMs) {
    // The right stick turns the camera while it is held, with no event.
    const bool drawn = wantsFrame() || pads.lookX() != 0 || pads.lookY() != 0;
    if (drawn) {
        frame(clock());
    } else {
        SDL_WaitEventTimeout(nullptr, waitMs);
        idle(clock());
    }
    SDL_Event e;
    while (pads.poll(&e)) handleEvent(e);
    if (pads.unplugged()) {
        game_->pause();
        changed();
    }
    return drawn;
}

Bests App::bests() const {
    Bests b;
    b.best = records_.best("best");
    for (int level = 1; level <= Game::kLevels; ++level)
        b.level[level - 1] = records_.best("level-" + std::to_string(level));
    return b;
}

void App::recordGoal() {
    // Bottles are all the points there are: a level's own are those taken
    // since it began, and the game's total is banked with them.
    const Game& g = *game_;
    if (g.settings.level >= 1 && g.settings.level <= Game::kLevels)
        records_.record("level-" + std::to_string(g.settings.level), g.points - g.levelStartPoints);
    records_.record("best", g.points);
}

void App::frame(std::uint32_t nowMs) {
    if (!started_) {
        started_ = true;
        last_ = nowMs;
        game_->startMs = nowMs;
    }
    game_->setClock(nowMs);
    pending_ += double(nowMs - last_);
    last_ = nowMs;
    ticksLastFrame = 0;
    while (pending_ >= kTickMs && ticksLastFrame < kMaxTicks) {
        game_->tick();
        pending_ -= kTickMs;
        ++ticksLastFrame;
    }
    if (pending_ >= kTickMs) pending_ = 0;  // a stall: the world waited
    if (game_->goalsReached != goalsSeen_) {
        goalsSeen_ = game_->goalsReached;
        recordGoal();
    }
    draw();
    if (still() && settle_ > 0) --settle_;
}

void App::draw() {
    const Game& g = *game_;
    // The title picture covers the whole window: no scene under it.
    const bool title = g.state() == kTitle || (g.state() == kMenu && g.menuOpenedFrom() == kTitle);
    if (title) {
        glViewport(0, 0, width_, height_);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    } else {
        renderer_.drawWorld(g, width_, height_);
    }
    drawOverlay(g, bests(), renderer_.texture(kTexFont), renderer_.texture(kTexTitle), width_, height_);
}

bool noScreen(const char* driver, const char* asked) {
    auto same = [](const std::string& a, const std::string& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
               });
    };
    const std::string name = driver ? driver : "";
    if (!same(name, "offscreen") && !same(name, "dummy")) return false;
    std::string entries = asked ? asked : "";
    for (std::size_t start = 0; start <= entries.size();) {
        std::size_t end = entries.find(',', start);
        if (end == std::string::npos) end = entries.size();
        if (same(entries.substr(start, end - start), name)) return false;
        start = end + 1;
    }
    return true;
}

int runGame() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::srand(unsigned(std::time(nullptr)));
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "[Video Error]: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    if (const char* driver = SDL_GetCurrentVideoDriver(); noScreen(driver, std::getenv("SDL_VIDEODRIVER"))) {
        std::fprintf(stderr,
                     "No hay pantalla disponible (controlador de video \"%s\"): inicie el juego desde una sesión "
                     "gráfica\n",
                     driver);
        SDL_Quit();
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("Taller-3D", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kScreenWidth,
                                          kScreenHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!window) {
        std::fprintf(stderr, "[Video Error]: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        std::fprintf(stderr, "[Video Error]: %s\n", SDL_GetError());
        SDL_DestroyWindow(window);
        SDL_Quit();
        return 1;
    }
    SDL_SetRelativeMouseMode(SDL_TRUE);

    int status = 0;
    {
        Random random;
        App app(random, std::cerr);
        hop::Pads pads(App::padTable());
        if (!app.ready()) {
            status = 1;
        } else {
            constexpr std::uint32_t kFrameMs = 1000 / 60;
            while (!app.game().quit) {
                const std::uint32_t begin = SDL_GetTicks();
                int w = 0, h = 0;
                SDL_GL_GetDrawableSize(window, &w, &h);
                app.resize(w, h);
                if (!app.turn(pads)) continue;  // a still screen: nothing drawn, nothing to swap
                SDL_GL_SwapWindow(window);
                const std::uint32_t used = SDL_GetTicks() - begin;
                if (used < kFrameMs) SDL_Delay(16 - used);
            }
        }
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return status;
}

}  // namespace orbitdash
