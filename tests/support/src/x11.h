// What the harness asks of Xlib itself (xdotool cannot do it),
// kept apart so that X's macros stay out of the other sources.
#pragma once

#include <string>

namespace hoptest {

// Sends the window the WM_DELETE_WINDOW message a window manager sends when
// its close button is pressed. False with `error` set when the display or
// the window is not there.
bool sendDeleteWindow(int display, unsigned long window, std::string& error);

// Turns the server's key repeat off for every keyboard, so that a key held
// down gives one press however slowly the program under test reads it.
bool autoRepeatOff(int display, std::string& error);

}  // namespace hoptest
