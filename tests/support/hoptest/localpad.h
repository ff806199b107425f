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

}  // namespace hoptest
