// The game's window and GL context, made with the game's GL attributes. The
// program and the benchmark open theirs through the same call, so that the
// benchmark measures the framebuffer a player gets.
#pragma once

#include <SDL2/SDL.h>

#include <string>

namespace hop {

struct GLWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    int samples = 0;       // multisample samples the window was made with
    std::string renderer;  // GL_RENDERER of its context
};

// Colour 8 bits a channel with alpha, depth 24, double buffered, accelerated
// visual, and a multisample buffer of 16 samples, or 8, 4, 2 and none where
// the display has no such visual. On a software renderer the window has no
// multisample buffer (one console line says so): each sample there is
// shaded on the CPU. The window is shown once it is final. Returns no window
// (and SDL's error) where none could be had.
GLWindow openGLWindow(const std::string& title, int width, int height);

// The window's size as the window system has it (X11), which SDL does not
// report while a switch to full screen waits for the window manager: it
// gives the desktop's size at once, also where nothing ever resizes the
// window. False where the system cannot be asked.
bool windowSystemSize(SDL_Window* window, int& width, int& height);

// Without a display SDL falls back to its "offscreen" or "dummy" driver and
// the game would run in a window nobody sees. The name of such a driver when
// `requested` (SDL_VIDEODRIVER: comma-separated names, any case) does not
// name it; empty for any other driver or when it was asked for.
std::string unaskedHeadlessDriver(const std::string& driver, const char* requested);
// The line the game prints before it stops for that reason.
std::string noDisplayMessage(const std::string& driver);

}  // namespace hop
