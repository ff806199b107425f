// hoptest_probe: the smallest SDL + GL program for the harness to drive.
// A 320x240 window "hoptest probe" cleared to a colour that moves on with
// every key press. Console lines (flushed at once):
//   ready                    first frame shown
//   colour R G B             clear colour now in use
//   key NAME                 key pressed (SDL key name)
//   repeat NAME              a held key's repeated press
//   held NAME                key seen down in the keyboard state at a frame
//   click BUTTON X Y         mouse button pressed, window coordinates
//   release BUTTON X Y       mouse button released
//   wheel DY                 wheel turned
//   text UTF8                text input
//   window closed            the window's close message arrived
// Escape or closing the window (SIGTERM too) exits with 0, 'x' with 3.
#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdio>

namespace {
const Uint8 kColours[][3] = {{200, 40, 40}, {40, 180, 60}, {50, 70, 210}, {230, 200, 40}};
const int kColourCount = sizeof kColours / sizeof kColours[0];
}  // namespace

int main(int, char**) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_Window* window = SDL_CreateWindow("hoptest probe", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 320,
                                        240, SDL_WINDOW_OPENGL);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  if (!context) {
    std::fprintf(stderr, "window: %s\n", SDL_GetError());
    return 1;
  }

  int colour = 0, status = -1;
  bool shown = false, reported[SDL_NUM_SCANCODES] = {};
  std::printf("colour %d %d %d\n", kColours[0][0], kColours[0][1], kColours[0][2]);
  while (status < 0) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      switch (e.type) {
        case SDL_QUIT:
          status = 0;
          break;
        case SDL_WINDOWEVENT:
          if (e.window.event == SDL_WINDOWEVENT_CLOSE) std::puts("window closed");
          break;
        case SDL_KEYDOWN:
          if (e.key.repeat) {
            std::printf("repeat %s\n", SDL_GetKeyName(e.key.keysym.sym));
            break;
          }
          std::printf("key %s\n", SDL_GetKeyName(e.key.keysym.sym));
          if (e.key.keysym.sym == SDLK_ESCAPE) {
            status = 0;
          } else if (e.key.keysym.sym == SDLK_x) {
            status = 3;
          } else {
            colour = (colour + 1) % kColourCount;
            std::printf("colour %d %d %d\n", kColours[colour][0], kColours[colour][1], kColours[colour][2]);
          }
          break;
        case SDL_KEYUP:
          reported[e.key.keysym.scancode] = false;
          break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
          std::printf("%s %d %d %d\n", e.type == SDL_MOUSEBUTTONDOWN ? "click" : "release", e.button.button,
                      e.button.x, e.button.y);
          break;
        case SDL_MOUSEWHEEL:
          std::printf("wheel %d\n", e.wheel.y);
          break;
        case SDL_TEXTINPUT:
          std::printf("text %s\n", e.text.text);
          break;
      }
    }
    int n = 0;
    const Uint8* state = SDL_GetKeyboardState(&n);
    for (int sc = 0; sc < n && sc < SDL_NUM_SCANCODES; ++sc)
      if (state[sc] && !reported[sc]) {
        reported[sc] = true;
        std::printf("held %s\n", SDL_GetKeyName(SDL_GetKeyFromScancode(SDL_Scancode(sc))));
      }
    glClearColor(kColours[colour][0] / 255.0f, kColours[colour][1] / 255.0f, kColours[colour][2] / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(window);
    if (!shown) std::puts("ready");
    shown = true;
    SDL_Delay(15);
  }
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return status;
}
