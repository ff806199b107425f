// The program: start-up, one frame of the loop, shut-down. The loop's state
// lives in Programa so tests and benchmarks can run its real frame.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <memory>

#include "dibujo.h"
#include "hopcommon/pads.h"
#include "hopcommon/records.h"
#include "juego.h"
#include "sonido.h"

namespace henrun {

Tecla teclaDe(SDL_Keycode key);

class Programa {
 public:
  // Over a window whose GL context is current; loads every file and shows
  // the loading screen. Throws ErrorArchivo naming a file that fails.
  Programa(SDL_Window* window, int width, int height, std::uint32_t now);
  // A run still going when the program ends counts toward the best too.
  ~Programa();

  // One pass of the loop at tick `now`: draw, advance, then every pending
  // event. A still screen (the menu, the lost screen: nothing moves while
  // the game is paused) is drawn once and then only when something changed;
  // returns whether this pass drew. Swapping and sleeping are the caller's.
  bool frame(std::uint32_t now, const Teclas& keys);
  void handleEvent(const SDL_Event& e, std::uint32_t now);
  // True while the screen shows a still picture that is already drawn: the
  // loop may wait for the next event instead of running frames.
  bool still() const;
  bool quit() const { return juego_->quitRequested(); }
  // Up, Left and Right as the hen reads them: the keyboard's arrows and
  // those a controller holds.
  Teclas keys();
  int sleepFor(std::uint32_t now) { return juego_->clock().sleepFor(now); }

  Juego& juego() { return *juego_; }
  Recursos& recursos() { return *res_; }
  Sonido& sonido() { return *sound_; }
  hop::Pads& pads() { return *pads_; }
  const hop::Records& records() const { return records_; }

 private:
  void showLoading();
  void handleEvents(std::uint32_t now);  // every pending event
  void padButton(Uint8 button, std::uint32_t now);
  void stickOrbit(int dtMs);  // the right stick turning the follow view
  void endOfRun();            // the score, if a best, is kept

  SDL_Window* window_;
  std::unique_ptr<Recursos> res_;
  std::unique_ptr<Sonido> sound_;
  std::unique_ptr<Juego> juego_;
  std::unique_ptr<hop::Pads> pads_;
  hop::Records records_{"henrun"};
  bool recorded_ = false;  // this run's score is already counted
  bool newBest_ = false;   // and beat the best before it
  double stickX_ = 0, stickY_ = 0;  // the right stick's turn not yet made, radians
  bool dirty_ = true;  // the picture on screen is out of date
  bool orbiting_ = false;
  int mouseX_ = 0, mouseY_ = 0;  // where the pointer is
  int lastX_ = 0, lastY_ = 0;    // where the last orbit step saw it
};

// True when SDL chose `driver`, one that shows nothing ("offscreen",
// "dummy"), without SDL_VIDEODRIVER (`asked`, a comma-separated list)
// naming it.
bool videoDriverWithoutDisplay(const char* driver, const char* asked);

// The whole program; returns its exit status.
int runGame();

}  // namespace henrun
