// A virtual game controller inside a program a GameSession starts, set from
// the test: no hardware, no test code in the program. A small library
// (hoptest_pad) preloaded beside the frame counter attaches it in the
// program's own SDL — SDL's virtual joystick, which SDL maps as a game
// controller — once the program has started SDL's joystick subsystem, and
// sets its buttons and axes at the program's next event poll.
//
//   hoptest::GameSession s;                   // Xvfb only
//   hoptest::Pad pad(s);
//   s.start(pad.launch({GAME_BIN}));          // the preload and its command block
//   ASSERT_NE(s.waitForWindow("Game").id, 0u);
//   ASSERT_TRUE(pad.plug());                  // attached, and opened by the game
//   pad.hold(SDL_CONTROLLER_BUTTON_A);        // down for three frames at least, up
//   pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);  // the stick held left...
//   EXPECT_TRUE(s.waitForOutput("..."));
//   pad.unplug();                             // ...and pulled out mid-hold
//
// Each call returns once the program has applied it (its SDL has the new
// state; its events come with the program's next pump), or false, with a
// test failure, when the program exits first or patience() runs out. plug()
// waits until the program has opened the pad as a game controller, so a
// program that never does fails there. Plugged before the program starts
// SDL, the pad is there when it looks for controllers. Every call focuses
// the window first, when there is one: SDL drops a controller's events while
// none of the program's windows has focus.
#pragma once

#include <SDL2/SDL_gamecontroller.h>

#include <string>

#include "hoptest/e2e.h"

namespace hoptest {

struct PadBlock;

class Pad {
 public:
  explicit Pad(GameSession& session);
  ~Pad();
  Pad(const Pad&) = delete;
  Pad& operator=(const Pad&) = delete;

  // `launch` with the preloaded library and HOPTEST_PAD added.
  Launch launch(Launch launch) const;

  bool plug();
  bool unplug();
  bool button(SDL_GameControllerButton b, bool down);
  // Down, at least three frames shown or (on a still screen) three waits for
  // events begun, up: a game that reads held buttons sees it.
  bool hold(SDL_GameControllerButton b);
  bool axis(SDL_GameControllerAxis a, int value);  // -32768..32767

 private:
  bool send(bool waitOpened);

  GameSession& session_;
  std::string dir_;
  PadBlock* block_ = nullptr;
};

}  // namespace hoptest
