#include "x11.h"

#include <X11/Xlib.h>

#include <mutex>

namespace hoptest {
namespace {

// Xlib reports errors through one process-wide handler, which by default
// ends the process: collect them instead while a message goes out.
std::mutex g_lock;
int g_error = 0;

int recordError(Display*, XErrorEvent* e) {
  g_error = e->error_code;
  return 0;
}

}  // namespace

bool sendDeleteWindow(int display, unsigned long window, std::string& error) {
  const std::string name = ":" + std::to_string(display);
  Display* d = XOpenDisplay(name.c_str());
  if (!d) {
    error = "cannot open display " + name;
    return false;
  }
  std::lock_guard<std::mutex> lock(g_lock);
  g_error = 0;
  auto* previous = XSetErrorHandler(recordError);
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(d, window, False, NoEventMask, &e);
  XSync(d, False);
  XSetErrorHandler(previous);
  char text[256] = "XSendEvent failed";
  if (g_error) XGetErrorText(d, g_error, text, sizeof text);
  const bool ok = sent && !g_error;
  XCloseDisplay(d);
  if (!ok) error = text;
  return ok;
}

bool autoRepeatOff(int display, std::string& error) {
  const std::string name = ":" + std::to_string(display);
  Display* d = XOpenDisplay(name.c_str());
  if (!d) {
    error = "cannot open display " + name;
    return false;
  }
  XAutoRepeatOff(d);
  XKeyboardState state{};
  XGetKeyboardControl(d, &state);
  XCloseDisplay(d);
  if (state.global_auto_repeat != AutoRepeatModeOff) error = "key repeat stays on";
  return state.global_auto_repeat == AutoRepeatModeOff;
}

}  // namespace hoptest
