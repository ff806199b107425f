// The front window's program: start-up, the loop, running a chosen game.
//
//   hopgames [--games DIR]
//
// It runs from its own folder, where its files lie (games.txt, controls/,
// pictures/, fonts/, hero.png), and starts the games it finds in DIR,
// by default the folder above its own (see locate()).
#pragma once

#include <SDL2/SDL.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "draw.h"
#include "front.h"

namespace hop {
class Pads;
}

namespace hopgames {

constexpr const char* kTitle = "Hop Games";
constexpr int kWidth = 1280, kHeight = 720;
constexpr const char* kTableFile = "games.txt";

struct Options {
  std::string games;  // empty: defaultGamesFolder()
};
// False with a one-line `error` on an argument it does not know.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

// True when SDL picked `driver` ("offscreen", "dummy") without being asked
// for it: `wanted` is SDL_VIDEODRIVER (null when unset), a comma-separated
// list compared without case.
bool driverNotAsked(const char* driver, const char* wanted);

// The tiles of the games in games.txt: where each starts from in `games`,
// its controls (controls/<game>.txt) and its best score. Throws FileError
// when the table is missing or bad; a controls file that cannot be read is
// told on `log` and leaves its tile without controls.
std::vector<Tile> loadTiles(const std::string& games, std::ostream& log);

class App {
 public:
  // The longest wait for input in one step: short enough that nothing is
  // missed for long, long enough to cost nothing.
  static constexpr int kWaitMs = 250;
  static constexpr Uint32 kFrameMs = 16;  // the shortest frame: no more than about 60 a second
  // The window fades in when it appears and a newly chosen tile rises:
  // this long, and over at least this many pictures however slow they come.
  static constexpr Uint32 kSettleMs = 150;
  static constexpr int kSettleFrames = 3;
  static constexpr Uint32 kGraceMs = 10000;  // for a game asked to end with the front window

  // Needs SDL (video), TTF and IMG started and `window` with a current GL
  // context. Throws FileError (see loadTiles, Renderer).
  App(SDL_Window* window, const Options& options, std::ostream& log);
  ~App();

  // One pass of the loop: draws and shows a new picture when something has
  // changed, then waits for input (up to `waitMs`) and handles every
  // pending event. A game chosen there runs to its end before step()
  // returns, the window hidden meanwhile. False once the player has quit.
  bool step(int waitMs = kWaitMs);
  // Handles one event as step() does.
  void handle(const SDL_Event& e);
  void draw();  // draws and swaps now

  Front& front() { return front_; }
  Layout layout() const;
  bool quitting() const { return quit_; }
  bool needsDrawing() const { return dirty_ || appear_.running() || lift_.running(); }
  const std::string& gamesFolder() const { return games_; }

  // Runs tile `i`'s game: hides the window, waits for the game's end
  // while still reading events (a quit request is passed on to the game),
  // shows the window again with the tile's best score read anew, and a
  // message when the game failed.
  void play(int i);

 private:
  void toggleFullScreen();

  // A short change drawn over a few pictures, from 0 to 1.
  struct Settle {
    Uint32 start = 0;
    int frames = 0;  // pictures still to draw
    bool begun = false;
    void begin() { start = SDL_GetTicks(), frames = kSettleFrames, begun = true; }
    bool running() const { return frames > 0 || (begun && SDL_GetTicks() - start < kSettleMs); }
    float progress() const { return frames <= 1 ? 1.f : std::min(1.f, float(SDL_GetTicks() - start) / kSettleMs); }
  };

  SDL_Window* window_;
  std::ostream& log_;
  std::string games_;
  Front front_;
  std::unique_ptr<Renderer> renderer_;
  std::unique_ptr<hop::Pads> pads_;
  bool dirty_ = true, quit_ = false;
  Settle appear_, lift_;
  Uint32 lastFrame_ = 0;
  int windowedW_ = kWidth, windowedH_ = kHeight;
};

// The program: returns its exit status.
int run(int argc, char** argv);

}  // namespace hopgames
