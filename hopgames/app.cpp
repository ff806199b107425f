#include "app.h"

#include <SDL2/SDL_image.h>
#include <SDL2/SDL_ttf.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "hopcommon/pads.h"

namespace hopgames {
namespace {

std::string lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string trimmed(const std::string& s) {
  const auto a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// The controller as the arrow keys, Enter and Escape.
hop::PadTable padTable() {
  hop::PadTable t;
  t.set(hop::Control::A, SDLK_RETURN, SDL_SCANCODE_RETURN)
      .set(hop::Control::Start, SDLK_RETURN, SDL_SCANCODE_RETURN)
      .set(hop::Control::B, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE)
      .set(hop::Control::Back, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
  return t;
}

}  // namespace

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--games" && i + 1 < argc && *argv[i + 1]) {
      options.games = argv[++i];
    } else if (arg.rfind("--games=", 0) == 0 && arg.size() > 8) {
      options.games = arg.substr(8);
    } else {
      error = "hopgames: unknown argument '" + arg + "' (usage: hopgames [--games DIR])";
      return false;
    }
  }
  return true;
}

bool driverNotAsked(const char* driver, const char* wanted) {
  if (!driver) return false;
  const std::string d = lower(driver);
  if (d != "offscreen" && d != "dummy") return false;
  if (!wanted) return true;
  std::istringstream list(wanted);
  for (std::string entry; std::getline(list, entry, ',');)
    if (lower(trimmed(entry)) == d) return false;
  return true;
}

std::vector<Tile> loadTiles(const std::string& games, std::ostream& log) {
  std::string text, error;
  if (!readFile(kTableFile, text, error)) throw FileError(error);
  std::istringstream in(text);
  std::vector<GameInfo> infos;
  if (!readTable(in, infos, error)) throw FileError(std::string(kTableFile) + ": " + error);
  std::vector<Tile> tiles;
  for (GameInfo& info : infos) {
    Tile t;
    t.start = locate(games, info.program);
    const std::string path = "controls/" + info.program + ".txt";
    std::string controls;
    if (readFile(path, controls, error)) {
      std::istringstream lines(controls);
      if (!readControls(lines, t.controls, error)) error = path + ": " + error;
      else error.clear();
    }
    if (!error.empty()) log << "hopgames: " << error << "; its controls are not shown" << std::endl;
    error.clear();
    t.best = bestScore(info.program);
    t.info = std::move(info);
    tiles.push_back(std::move(t));
  }
  return tiles;
}

App::App(SDL_Window* window, const Options& options, std::ostream& log)
    : window_(window),
      log_(log),
      games_(options.games.empty() ? defaultGamesFolder() : std::filesystem::absolute(options.games).string()),
      front_(loadTiles(games_, log)) {
  renderer_ = std::make_unique<Renderer>(front_.tiles(), log_);
  pads_ = std::make_unique<hop::Pads>(padTable());
  appear_.begin();
}

App::~App() = default;

Layout App::layout() const {
  int w = kWidth, h = kHeight;
  SDL_GetWindowSize(window_, &w, &h);
  return Layout(w, h, int(front_.tiles().size()));
}

bool App::step(int waitMs) {
  const bool settling = appear_.running() || lift_.running();
  if (dirty_ || settling) draw();
  if (quit_) return false;
  // Blocks until an event comes: a still window costs nothing.
  SDL_WaitEventTimeout(nullptr, settling ? 0 : waitMs);
  SDL_Event e;
  while (!quit_ && pads_->poll(&e)) handle(e);
  return !quit_;
}

void App::handle(const SDL_Event& e) {
  const int before = front_.selected();
  const Front::Action action = front_.handle(e, layout());
  if (front_.selected() != before) lift_.begin();
  switch (action) {
    case Front::Action::None: break;
    case Front::Action::Redraw: dirty_ = true; break;
    case Front::Action::Start: play(front_.selected()); break;
    case Front::Action::Quit: quit_ = true; break;
    case Front::Action::FullScreen: toggleFullScreen(); break;
  }
}

void App::draw() {
  // Paced: however many changes come, at most about 60 pictures a second.
  const Uint32 since = SDL_GetTicks() - lastFrame_;
  if (since < kFrameMs) SDL_Delay(kFrameMs - since);
  int dw = 0, dh = 0;
  SDL_GL_GetDrawableSize(window_, &dw, &dh);
  renderer_->draw(front_, layout(), std::max(dw, 1), std::max(dh, 1), appear_.progress(), lift_.progress());
  SDL_GL_SwapWindow(window_);
  lastFrame_ = SDL_GetTicks();
  dirty_ = false;
  appear_.frames = std::max(0, appear_.frames - 1);
  lift_.frames = std::max(0, lift_.frames - 1);
}

void App::toggleFullScreen() {
  if (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) {
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowSize(window_, windowedW_, windowedH_);  // its own size again, not the screen's
  } else {
    SDL_GetWindowSize(window_, &windowedW_, &windowedH_);
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
  dirty_ = true;
}

void App::play(int i) {
  Tile& t = front_.tiles()[std::size_t(i)];
  const std::string& program = t.info.program;
  dirty_ = true;
  if (!t.start.found()) t.start = locate(games_, program);  // built since the window opened
  if (!t.start.found()) {
    front_.showMessage({t.info.name + " is not here",
                        {"No program " + program + " in " + games_ + "/" + program + "/.",
                         "./play " + program + " builds it."}});
    log_ << "hopgames: " << program << " is not in " << games_ << std::endl;
    return;
  }
  Child child;
  std::string error;
  std::cout << "hopgames: starting " << program << std::endl;
  if (!child.start(t.start, error)) {
    front_.showMessage({t.info.name + " could not be started", {error}});
    log_ << "hopgames: " << program << ": " << error << std::endl;
    return;
  }
  SDL_HideWindow(window_);
  // Waiting for the game: asleep in poll() on its output, awake a few times
  // a second to read SDL's events. A quit request (SIGTERM, the end of the
  // session) ends the game too, then this program; a game that is still
  // there kGraceMs later is killed.
  std::optional<int> status;
  Uint32 askedAt = 0;
  while (!(status = child.wait(100))) {
    SDL_Event e;
    while (pads_->poll(&e))
      if (e.type == SDL_QUIT && !quit_) {
        quit_ = true;
        askedAt = SDL_GetTicks();
        child.terminate();
      }
    if (quit_ && SDL_GetTicks() - askedAt > kGraceMs) child.kill();
  }
  // Input meant for the game (a controller's buttons reach us too) is not ours.
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_KEYDOWN, SDL_CLIPBOARDUPDATE - 1);
  t.best = bestScore(program);
  const std::string ended = endText(program, *status);
  if (ended.empty()) {
    std::cout << "hopgames: " << program << " ended" << std::endl;
  } else {
    log_ << "hopgames: " << ended << std::endl;
    front_.showMessage({endText(t.info.name, *status), child.lastLines()});
  }
  if (quit_) return;
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
  appear_.begin();
}

int run(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  // A console that went away must not end the program (the games get SIGPIPE back).
  std::signal(SIGPIPE, SIG_IGN);
  Options options;
  std::string error;
  if (!parseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "hopgames: SDL could not start: %s\n", SDL_GetError());
    return 1;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driverNotAsked(driver, std::getenv("SDL_VIDEODRIVER"))) {
    std::fprintf(stderr,
                 "No hay pantalla disponible (controlador de video \"%s\"): inicie el juego desde una sesión gráfica\n",
                 driver);
    SDL_Quit();
    return 1;
  }
  if (TTF_Init() != 0) {
    std::fprintf(stderr, "hopgames: SDL_ttf could not start: %s\n", TTF_GetError());
    SDL_Quit();
    return 1;
  }
  IMG_Init(IMG_INIT_PNG);
  int status = 1;
  SDL_Window* window = SDL_CreateWindow(kTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth, kHeight,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  if (!window || !context) {
    std::fprintf(stderr, "hopgames: no window: %s\n", SDL_GetError());
  } else {
    SDL_GL_SetSwapInterval(1);
    SDL_SetWindowMinimumSize(window, kWidth / 2, kHeight / 2);  // smaller, the text would not read
    SDL_Surface* icon = regularFile(Renderer::kHero, error) ? IMG_Load(Renderer::kHero) : nullptr;
    if (icon) {
      SDL_SetWindowIcon(window, icon);
      SDL_FreeSurface(icon);
    }
    try {
      App app(window, options, std::cerr);
      while (app.step()) {
      }
      status = 0;
    } catch (const FileError& e) {
      std::fprintf(stderr, "hopgames: %s\n", e.what());
    }
  }
  if (context) SDL_GL_DeleteContext(context);
  if (window) SDL_DestroyWindow(window);
  IMG_Quit();
  TTF_Quit();
  SDL_Quit();
  return status;
}

}  // namespace hopgames
