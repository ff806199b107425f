#include "glwindow.h"

#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <sstream>

#include "renderer.h"

namespace hop {

namespace {

void setAttributes(int samples) {
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, 1);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples);
}

// A hidden window and its context with `samples` samples, or nothing.
GLWindow tryWindow(const std::string& title, int width, int height, int samples) {
    setAttributes(samples);
    GLWindow w;
    w.window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!w.window) return {};
    w.context = SDL_GL_CreateContext(w.window);
    if (!w.context) {
        SDL_DestroyWindow(w.window);
        return {};
    }
    w.samples = samples;
    const GLubyte* name = glGetString(GL_RENDERER);
    w.renderer = name ? reinterpret_cast<const char*>(name) : "";
    return w;
}

void close(GLWindow& w) {
    SDL_GL_DeleteContext(w.context);
    SDL_DestroyWindow(w.window);
    w = {};
}

}  // namespace

GLWindow openGLWindow(const std::string& title, int width, int height) {
    // A window without a multisample buffer first: on a software renderer it
    // is the one to keep, and one context says so. (Asking for 16 samples
    // first made a software renderer build a context for the first sample
    // count the display had, only to make the window again without: a
    // second of the start-up on a loaded machine.)
    GLWindow w = tryWindow(title, width, height, 0);
    if (w.window && isSoftwareRenderer(w.renderer)) {
        std::cout << "Renderizador por software (" << w.renderer << "): ventana sin multimuestreo" << std::endl;
    } else {
        // A renderer of its own: the most samples the display has.
        for (int samples : {16, 8, 4, 2}) {
            GLWindow multi = tryWindow(title, width, height, samples);
            if (!multi.window) continue;
            if (w.window) close(w);
            w = multi;
            break;
        }
    }
    if (!w.window) return w;
    SDL_GL_MakeCurrent(w.window, w.context);
    SDL_ShowWindow(w.window);
    return w;
}

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

}  // namespace

std::string unaskedHeadlessDriver(const std::string& driver, const char* requested) {
    const std::string name = lower(driver);
    if (name != "offscreen" && name != "dummy") return "";
    std::istringstream entries(requested ? requested : "");
    for (std::string entry; std::getline(entries, entry, ',');)
        if (lower(entry) == name) return "";
    return driver;
}

std::string noDisplayMessage(const std::string& driver) {
    return "No hay pantalla disponible (controlador de video \"" + driver +
           "\"): inicie el juego desde una sesión gráfica";
}

}  // namespace hop
