// A virtual game controller in the test's own process: SDL's virtual
// joystick, which SDL maps as a game controller, for tests that drive a game
// object or hop::Pads directly (the SDL joystick or game controller
// subsystem must be up). For a program started under Xvfb use hoptest::Pad
// (pad.h) instead.
//
//   hoptest::LocalPad pad;                      // attached and opened
//   pad.button(SDL_CONTROLLER_BUTTON_A, true);  // events come with the next pump
//   pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
//   pad.unplug();                               // closed and detached
#pragma once

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace hoptest {

struct LocalPad {
  LocalPad() {
    SDL_VirtualJoystickDesc d{};
    d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    d.naxes = SDL_CONTROLLER_AXIS_MAX;
    d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    d.name = "pad de prueba";
    const int index = SDL_JoystickAttachVirtualEx(&d);
    joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    if (!joystick) ADD_FAILURE() << "virtual joystick: " << SDL_GetError();
    id = joystick ? SDL_JoystickInstanceID(joystick) : -1;
  }
  ~LocalPad() { unplug(); }
  LocalPad(const LocalPad&) = delete;
  LocalPad& operator=(const LocalPad&) = delete;

  void button(SDL_GameControllerButton b, bool down) { SDL_JoystickSetVirtualButton(joystick, b, down); }
  void axis(SDL_GameControllerAxis a, int value) { SDL_JoystickSetVirtualAxis(joystick, a, Sint16(value)); }
  void unplug() {
    if (!joystick) return;
    SDL_JoystickClose(joystick);
    joystick = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
  }

  SDL_Joystick* joystick;
  SDL_JoystickID id;
};

// The ways a player leans a controller sideways: the d-pad's left and right,
// and the left stick past its dead zone either way. lean(true) leans,
// lean(false) lets go; `right` is 1 toward the screen's right, -1 left.
struct Lean {
  const char* what;
  std::function<void(bool)> lean;
  int right;
};

inline std::vector<Lean> sideways(LocalPad& pad) {
  const auto button = [&pad](SDL_GameControllerButton b) { return [&pad, b](bool down) { pad.button(b, down); }; };
  const auto stick = [&pad](int x) {
    return [&pad, x](bool down) { pad.axis(SDL_CONTROLLER_AXIS_LEFTX, down ? x : 0); };
  };
  return {{"d-pad left", button(SDL_CONTROLLER_BUTTON_DPAD_LEFT), -1},
          {"d-pad right", button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT), 1},
          {"stick left", stick(-24000), -1},
          {"stick right", stick(24000), 1}};
}

}  // namespace hoptest
