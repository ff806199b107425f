/* Preloaded into a game under test: counts the frames it shows by wrapping
   SDL_GL_SwapWindow, and writes the count to the file named by
   HOP_FRAME_COUNT_FILE every tenth frame. Built without sanitizers: it is
   loaded ahead of everything else. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

typedef void (*Swap)(void*);

void SDL_GL_SwapWindow(void* window) {
    static Swap real;
    static long frames;
    if (!real) real = (Swap)dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    if (real) real(window);
    if (++frames % 10 == 0) {
        const char* path = getenv("HOP_FRAME_COUNT_FILE");
        FILE* f = path ? fopen(path, "w") : NULL;
        if (f) {
            fprintf(f, "%ld\n", frames);
            fclose(f);
        }
    }
}
