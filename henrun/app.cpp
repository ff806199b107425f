#include "app.h"

#include <GL/gl.h>
#include <SDL2/SDL_ttf.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>

namespace henrun {

Tecla teclaDe(SDL_Keycode key) {
  switch (key) {
    case SDLK_p: return Tecla::P;
    case SDLK_w: return Tecla::W;
    case SDLK_t: return Tecla::T;
    case SDLK_s: return Tecla::S;
    case SDLK_v: return Tecla::V;
    case SDLK_c: return Tecla::C;
    case SDLK_l: return Tecla::L;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return Tecla::Enter;
    case SDLK_q: return Tecla::Q;
    case SDLK_ESCAPE: return Tecla::Escape;
    default: return Tecla::Other;
  }
}

namespace {

// What a controller's buttons mean here. A (start from the menu, back to it
// after a death) and Back (the menu, from play) depend on the screen and
// are read from the button events themselves; the right stick turns the
// follow view in stickOrbit, not through mouse motion.
hop::PadTable padTable() {
  hop::PadTable table;
  table.set(hop::Control::B, SDLK_RETURN, SDL_SCANCODE_RETURN)
      .set(hop::Control::Start, SDLK_p, SDL_SCANCODE_P)
      .set(hop::Control::LeftShoulder, SDLK_c, SDL_SCANCODE_C)
      .set(hop::Control::RightShoulder, SDLK_c, SDL_SCANCODE_C);
  return table;
}

// The right stick at full tilt turns the follow view this fast, in steps of
// the orbit's 0.1 rad.
constexpr double kStickRadPerSecond = 2.0, kOrbitStep = 0.1;

}  // namespace

Programa::Programa(SDL_Window* window, int width, int height, std::uint32_t now) : window_(window) {
  res_ = std::make_unique<Recursos>();
  sound_ = std::make_unique<Sonido>("../Sonidos/sonidoJuego.mp3", "../Sonidos/sonidoMuerte.mp3");
  juego_ = std::make_unique<Juego>(float(width), float(height), now, sound_.get());
  pads_ = std::make_unique<hop::Pads>(padTable());
  glEnable(GL_DEPTH_TEST);
}

Programa::~Programa() {
  if (juego_->game().hen.state == Gallina::Viva) endOfRun();
}

Teclas Programa::keys() {
  const Uint8* k = pads_->keyboard();
  return {k[SDL_SCANCODE_UP] != 0, k[SDL_SCANCODE_LEFT] != 0, k[SDL_SCANCODE_RIGHT] != 0};
}

void Programa::endOfRun() {
  if (recorded_) return;
  recorded_ = true;
  const int score = juego_->game().score;
  // No run, no record: a file is not written for a hen that never scored.
  if (score > 0) newBest_ = records_.record("best", score);
}

void Programa::stickOrbit(int dtMs) {
  Juego& j = *juego_;
  const float x = pads_->lookX(), y = pads_->lookY();
  if (j.camera().cameraMode != Camara::Follow || (x == 0 && y == 0)) {
    stickX_ = stickY_ = 0;
    return;
  }
  stickX_ += x * kStickRadPerSecond * dtMs / 1000.0;
  stickY_ += y * kStickRadPerSecond * dtMs / 1000.0;
  // A step's worth of tilt makes the orbit's step, one axis at a time, the
  // way the mouse does it (more than 2 pixels a step).
  for (double* turn : {&stickX_, &stickY_})
    while (std::abs(*turn) >= kOrbitStep) {
      const int sign = *turn > 0 ? 1 : -1;
      j.camera().orbit(j.game().hen, turn == &stickX_ ? 3 * sign : 0, turn == &stickY_ ? 3 * sign : 0);
      *turn -= sign * kOrbitStep;
    }
}

void Programa::showLoading() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawLoading(*res_->text, juego_->game());
  if (window_) SDL_GL_SwapWindow(window_);
  juego_->buildWorld();
  recorded_ = newBest_ = false;
  attachModels(juego_->game(), *res_);
}

bool Programa::still() const {
  // A right stick held over the follow view keeps turning it.
  const bool turning = juego_->camera().cameraMode == Camara::Follow && (pads_->lookX() != 0 || pads_->lookY() != 0);
  return juego_->game().paused && !dirty_ && !juego_->needsWorld() && !turning;
}

bool Programa::frame(std::uint32_t now, const Teclas& keys) {
  Juego& j = *juego_;
  const int dt = j.clock().frameStart(now, j.game().paused);
  if (still()) {
    // Nothing to draw; the pace starts again from here once something moves.
    j.clock().nextFrame = now;
    handleEvents(now);
    return false;
  }
  // Playing, every frame is drawn; paused, the next one only if this one
  // showed the game still running or something changes meanwhile.
  dirty_ = !j.game().paused;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  if (j.needsWorld()) showLoading();
  if (orbiting_ && j.camera().cameraMode == Camara::Follow) {
    j.camera().orbit(j.game().hen, mouseX_ - lastX_, mouseY_ - lastY_);
    lastX_ = mouseX_;
    lastY_ = mouseY_;
  }
  stickOrbit(dt);
  setProjectionAndView(j.camera(), j.game());
  drawWorld(j.game(), j.camera(), *res_);
  const Game& g = j.game();
  if (!g.paused)
    drawPlaying(*res_->text, g, j.clock().seconds);
  else if (g.hen.state == Gallina::Viva)
    drawMenu(*res_->text, g, records_.best("best").value_or(-1));
  else
    drawLost(*res_->text, g, j.clock().seconds, records_.best("best").value_or(-1), newBest_);
  res_->text->endFrame();

  const std::size_t rowsBefore = g.world.size();
  j.update(dt, keys);
  if (j.game().world.size() != rowsBefore) attachModels(j.game(), *res_);
  if (j.game().hen.state != Gallina::Viva) endOfRun();

  handleEvents(now);
  return true;
}

void Programa::handleEvents(std::uint32_t now) {
  SDL_Event e;
  while (pads_->poll(&e)) handleEvent(e, now);
  // A controller pulled out mid-play: its keys are let go, and the game waits.
  const Game& g = juego_->game();
  if (pads_->unplugged() && !g.paused && g.hen.state == Gallina::Viva) {
    juego_->keyDown(Tecla::P, now);
    dirty_ = true;
  }
}

void Programa::padButton(Uint8 button, std::uint32_t now) {
  const Game& g = juego_->game();
  const bool alive = g.hen.state == Gallina::Viva;
  if (button == SDL_CONTROLLER_BUTTON_A && g.paused)
    juego_->keyDown(alive ? Tecla::P : Tecla::Enter, now);
  else if (button == SDL_CONTROLLER_BUTTON_BACK && !g.paused)
    juego_->keyDown(Tecla::P, now);
  else
    return;
  dirty_ = true;
}

void Programa::handleEvent(const SDL_Event& e, std::uint32_t now) {
  switch (e.type) {
    case SDL_QUIT: juego_->requestQuit(); break;
    case SDL_KEYDOWN:
      if (!e.key.repeat && teclaDe(e.key.keysym.sym) != Tecla::Other) {
        juego_->keyDown(teclaDe(e.key.keysym.sym), now);
        dirty_ = true;
      }
      break;
    case SDL_CONTROLLERBUTTONDOWN: padButton(e.cbutton.button, now); break;
    case SDL_CONTROLLERAXISMOTION:
      // The right stick may start turning the follow view on a still screen.
      if (e.caxis.axis == SDL_CONTROLLER_AXIS_RIGHTX || e.caxis.axis == SDL_CONTROLLER_AXIS_RIGHTY) dirty_ = true;
      break;
    case SDL_MOUSEMOTION:
      mouseX_ = e.motion.x;
      mouseY_ = e.motion.y;
      // The orbit turns the view on the next frame drawn.
      if (orbiting_ && juego_->camera().cameraMode == Camara::Follow) dirty_ = true;
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (e.button.button == SDL_BUTTON_RIGHT) {
        orbiting_ = true;
        lastX_ = mouseX_ = e.button.x;
        lastY_ = mouseY_ = e.button.y;
      }
      break;
    case SDL_MOUSEBUTTONUP:
      if (e.button.button == SDL_BUTTON_RIGHT) orbiting_ = false;
      break;
    case SDL_WINDOWEVENT:
      // The window shown again, uncovered or resized: its picture is drawn anew.
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN ||
          e.window.event == SDL_WINDOWEVENT_RESTORED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        dirty_ = true;
      // The screens are laid out on the drawable's size, whatever it becomes.
      if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && window_) {
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(window_, &w, &h);
        if (w > 0 && h > 0) {
          glViewport(0, 0, w, h);
          juego_->game().width = float(w);
          juego_->game().height = float(h);
        }
      }
      break;
    default: break;
  }
}

bool videoDriverWithoutDisplay(const char* driver, const char* asked) {
  if (!driver || (SDL_strcasecmp(driver, "offscreen") != 0 && SDL_strcasecmp(driver, "dummy") != 0)) return false;
  // SDL_VIDEODRIVER may list several drivers, comma-separated.
  const std::string list = asked ? asked : "";
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    std::string entry = list.substr(start, end - start);
    entry.erase(0, entry.find_first_not_of(" \t"));
    entry.erase(entry.find_last_not_of(" \t") + 1);
    if (SDL_strcasecmp(entry.c_str(), driver) == 0) return false;
    start = end + 1;
  }
  return true;
}

namespace {
constexpr int kStillWaitMs = 250;
}  // namespace

int runGame() {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::cerr << "No se pudo iniciar SDL: " << SDL_GetError() << std::endl;
    return 1;
  }
  // Without a display SDL falls back on a driver that shows nothing: a
  // player would wait for a window that never comes.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (videoDriverWithoutDisplay(driver, std::getenv("SDL_VIDEODRIVER"))) {
    std::cerr << "No hay pantalla disponible (controlador de video \"" << driver
              << "\"): inicie el juego desde una sesión gráfica" << std::endl;
    SDL_Quit();
    return 1;
  }
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) != 0 || desktop.w <= 0 || desktop.h <= 0) {
    desktop.w = 1280;
    desktop.h = 720;
  }
  // Full screen at the desktop's own size: the monitor's mode never changes.
  SDL_Window* window = SDL_CreateWindow("Plonkito", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, desktop.w,
                                        desktop.h, SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_OPENGL);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  if (!context) {
    std::cerr << "No se pudo crear la ventana: " << SDL_GetError() << std::endl;
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
    return 1;
  }
  SDL_GL_SetSwapInterval(1);
  int w = desktop.w, h = desktop.h;
  SDL_GL_GetDrawableSize(window, &w, &h);
  glViewport(0, 0, w, h);
  // HENRUN_SEED replays one world (tests use it); otherwise every run differs.
  const char* seed = std::getenv("HENRUN_SEED");
  std::srand(seed ? unsigned(std::strtoul(seed, nullptr, 10)) : unsigned(std::time(nullptr)));

  int status = 0;
  try {
    Programa programa(window, w, h, SDL_GetTicks());
    while (!programa.quit()) {
      if (programa.frame(SDL_GetTicks(), programa.keys())) {
        SDL_GL_SwapWindow(window);
        const int delay = programa.sleepFor(SDL_GetTicks());
        if (delay > 0) SDL_Delay(Uint32(delay));
      } else if (programa.still()) {
        // A still screen: wait for an event (left in the queue for the next
        // frame), waking now and then whatever comes.
        SDL_WaitEventTimeout(nullptr, kStillWaitMs);
      }
    }
  } catch (const ErrorArchivo& e) {
    std::cerr << e.what() << std::endl;
    status = 1;
  }
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  if (TTF_WasInit()) TTF_Quit();
  SDL_Quit();
  return status;
}

}  // namespace henrun
