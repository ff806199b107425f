// hoptest_frames: preloaded into every program a GameSession starts, it
// counts the frames the program shows and the times it waits for events.
// It stands in front of SDL's SDL_GL_SwapWindow, calls the real one, then
// adds one to a 64-bit counter at the start of the file HOPTEST_FRAMES names
// (mapped shared, so the test reads it without a system call from the
// program); in front of SDL_WaitEventTimeout it adds one to the counter after
// it before it waits. A still screen shows no frames but keeps waiting, so
// the second count tells a quiet game from a hung one. Without that
// variable, or when the file cannot be mapped, it only passes the calls on.
//
// Built without sanitizers: it is also preloaded into programs that have
// none (a shell, a tool), where a sanitizer runtime would refuse to load.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace {

using SwapFn = void (*)(void*);
using WaitFn = int (*)(void*, int);

std::uint64_t* counter() {
    static std::uint64_t* mapped = [] () -> std::uint64_t* {
        const char* path = std::getenv("HOPTEST_FRAMES");
        if (!path || !*path) return nullptr;
        const int fd = open(path, O_RDWR | O_CLOEXEC);
        if (fd < 0) return nullptr;
        void* p = mmap(nullptr, 2 * sizeof(std::uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        close(fd);
        return p == MAP_FAILED ? nullptr : static_cast<std::uint64_t*>(p);
    }();
    return mapped;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void SDL_GL_SwapWindow(void* window) {
    static const SwapFn real = reinterpret_cast<SwapFn>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    if (real) real(window);
    if (std::uint64_t* n = counter()) __atomic_add_fetch(n, 1, __ATOMIC_RELEASE);
}

extern "C" __attribute__((visibility("default"))) int SDL_WaitEventTimeout(void* event, int timeout) {
    static const WaitFn real = reinterpret_cast<WaitFn>(dlsym(RTLD_NEXT, "SDL_WaitEventTimeout"));
    if (std::uint64_t* n = counter()) __atomic_add_fetch(n + 1, 1, __ATOMIC_RELEASE);
    return real ? real(event, timeout) : 0;
}
