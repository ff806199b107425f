// hopcommon_padprobe: the smallest program on hop::Pads, for the end-to-end
// test of the pads and of the harness's virtual controller. A 320x240 window
// "hopcommon pad probe"; console lines (flushed at once):
//   ready                 first frame shown
//   key down NAME         a key event its loop received (SDL key name)
//   key up NAME
//   held NAME / free NAME an arrow's state as a polling game reads it
//   motion DX DY          mouse motion received in a frame
//   unplugged: paused     pads.unplugged() said so
//   paused / resumed      P (the pad's Start): while paused the probe
//                         sleeps in SDL_WaitEvent until an event comes
// and the library's own lines. Escape (the pad's Back) or closing the window
// ends it with status 0.
#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdio>

#include "hopcommon/pads.h"

int main(int, char**) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("hopcommon pad probe", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 320,
                                        240, SDL_WINDOW_OPENGL);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  if (!context) {
    std::fprintf(stderr, "window: %s\n", SDL_GetError());
    return 1;
  }
  hop::PadTable table;
  table.set(hop::Control::A, SDLK_SPACE, SDL_SCANCODE_SPACE)
      .set(hop::Control::B, SDLK_b, SDL_SCANCODE_B)
      .set(hop::Control::Start, SDLK_p, SDL_SCANCODE_P)
      .set(hop::Control::Back, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE)
      .set(hop::Control::RightShoulder, SDLK_v, SDL_SCANCODE_V);
  table.lookSpeed = 600;
  hop::Pads pads(table);

  const SDL_Scancode arrows[] = {SDL_SCANCODE_UP, SDL_SCANCODE_DOWN, SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT};
  bool held[4] = {}, shown = false, quit = false, paused = false;
  while (!quit) {
    int dx = 0, dy = 0;
    if (paused) SDL_WaitEvent(nullptr);  // as a still screen that is drawn only on a change
    SDL_Event e;
    while (pads.poll(&e)) {
      if (e.type == SDL_QUIT) quit = true;
      if ((e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) && !e.key.repeat) {
        std::printf("key %s %s\n", e.type == SDL_KEYDOWN ? "down" : "up", SDL_GetKeyName(e.key.keysym.sym));
        if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE) quit = true;
        if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_p) std::puts((paused = !paused) ? "paused" : "resumed");
      }
      if (e.type == SDL_MOUSEMOTION) dx += e.motion.xrel, dy += e.motion.yrel;
    }
    if (pads.unplugged()) std::puts("unplugged: paused");
    if (dx || dy) std::printf("motion %d %d\n", dx, dy);
    const Uint8* keys = pads.keyboard();
    for (int i = 0; i < 4; ++i)
      if (bool(keys[arrows[i]]) != held[i]) {
        held[i] = !held[i];
        std::printf("%s %s\n", held[i] ? "held" : "free", SDL_GetScancodeName(arrows[i]));
      }
    glClearColor(0.2f, 0.3f, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(window);
    if (!shown) std::puts("ready");
    shown = true;
    SDL_Delay(15);
  }
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
