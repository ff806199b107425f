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
// the display has no such visual. On a software renderer the window is made
// again, once, without a multisample buffer (one console line says so): each
// sample there is shaded on the CPU. The window is shown once it is final.
// Returns no window (and SDL's error) where none could be had.
GLWindow openGLWindow(const std::string& title, int width, int height);

}  // namespace hop
