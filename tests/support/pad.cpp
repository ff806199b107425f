// hoptest_pad: preloaded into a program a test drives with a virtual game
// controller (hoptest/pad.h). When HOPTEST_PAD names a command block
// (pad_block.h), it stands in front of SDL's event polls and waits, and of
// its initialisation: at each, once the program has started SDL's joystick
// subsystem, it applies what the test last wrote there — attaches a virtual
// game controller (SDL_JoystickAttachVirtualEx) in the program's own SDL,
// sets its buttons and axes, detaches it — so the program's next pump of
// events brings the controller's events, as a real one's would. Waits are
// cut into slices of 10 ms so that commands reach a program waiting for
// events. Without HOPTEST_PAD every call passes straight on.
//
// Built without sanitizers, like hoptest_frames.
#include <SDL.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "pad_block.h"

namespace {

using hoptest::PadBlock;

PadBlock* block() {
  static PadBlock* mapped = []() -> PadBlock* {
    const char* path = std::getenv("HOPTEST_PAD");
    if (!path || !*path) return nullptr;
    const int fd = open(path, O_RDWR | O_CLOEXEC);
    if (fd < 0) return nullptr;
    void* p = mmap(nullptr, sizeof(PadBlock), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (p == MAP_FAILED) return nullptr;
    auto* b = static_cast<PadBlock*>(p);
    return b->magic == PadBlock::kMagic ? b : nullptr;
  }();
  return mapped;
}

template <typename Fn>
Fn real(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

SDL_Joystick* joystick = nullptr;
SDL_JoystickID instance = -1;
bool busy = false;  // SDL calls below must not come back here

void detach() {
  SDL_JoystickClose(joystick);
  joystick = nullptr;
  for (int i = 0; i < SDL_NumJoysticks(); ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == instance) SDL_JoystickDetachVirtual(i);
  instance = -1;
}

void attach(PadBlock* b) {
  SDL_VirtualJoystickDesc d{};
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  d.naxes = SDL_CONTROLLER_AXIS_MAX;
  d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  d.name = "hoptest pad";
  const int index = SDL_JoystickAttachVirtualEx(&d);
  joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
  if (!joystick) {
    std::snprintf(b->error, sizeof b->error, "%s", SDL_GetError());
    return;
  }
  instance = SDL_JoystickInstanceID(joystick);
}

// Applies the test's last request, once the program's SDL can take it.
void service() {
  PadBlock* b = block();
  if (!b || busy) return;
  busy = true;
  if (joystick && !SDL_WasInit(SDL_INIT_JOYSTICK)) joystick = nullptr, instance = -1;  // the program closed SDL's
  if (joystick) __atomic_store_n(&b->opened, SDL_GameControllerFromInstanceID(instance) ? 1u : 0u, __ATOMIC_RELEASE);
  const std::uint32_t request = __atomic_load_n(&b->request, __ATOMIC_ACQUIRE);
  if (request != __atomic_load_n(&b->applied, __ATOMIC_RELAXED) && SDL_WasInit(SDL_INIT_JOYSTICK)) {
    if (b->plugged && !joystick) attach(b);
    if (!b->plugged && joystick) detach();
    if (joystick) {
      for (int i = 0; i < SDL_CONTROLLER_BUTTON_MAX; ++i) SDL_JoystickSetVirtualButton(joystick, i, b->buttons[i]);
      for (int i = 0; i < SDL_CONTROLLER_AXIS_MAX; ++i) SDL_JoystickSetVirtualAxis(joystick, i, b->axes[i]);
    }
    __atomic_store_n(&b->opened, joystick && SDL_GameControllerFromInstanceID(instance) ? 1u : 0u,
                     __ATOMIC_RELEASE);
    __atomic_store_n(&b->applied, request, __ATOMIC_RELEASE);
  }
  busy = false;
}

using WaitFn = int (*)(SDL_Event*, int);

// A wait of `timeout` ms (-1: for ever) in slices, serving the pad between.
int slicedWait(SDL_Event* event, int timeout) {
  static const WaitFn wait = real<WaitFn>("SDL_WaitEventTimeout");
  const Uint64 start = SDL_GetTicks64();
  for (;;) {
    service();
    const Sint64 left = timeout < 0 ? 10 : Sint64(timeout) - Sint64(SDL_GetTicks64() - start);
    if (left <= 0) return wait(event, 0);
    if (wait(event, int(left < 10 ? left : 10))) return 1;
  }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int SDL_Init(Uint32 flags) {
  static const auto init = real<int (*)(Uint32)>("SDL_Init");
  const int r = init(flags);
  service();
  return r;
}

__attribute__((visibility("default"))) int SDL_InitSubSystem(Uint32 flags) {
  static const auto init = real<int (*)(Uint32)>("SDL_InitSubSystem");
  const int r = init(flags);
  service();
  return r;
}

__attribute__((visibility("default"))) void SDL_PumpEvents(void) {
  static const auto pump = real<void (*)()>("SDL_PumpEvents");
  service();
  pump();
}

__attribute__((visibility("default"))) int SDL_PollEvent(SDL_Event* event) {
  static const auto poll = real<int (*)(SDL_Event*)>("SDL_PollEvent");
  service();
  return poll(event);
}

__attribute__((visibility("default"))) int SDL_WaitEventTimeout(SDL_Event* event, int timeout) {
  static const WaitFn wait = real<WaitFn>("SDL_WaitEventTimeout");
  return block() ? slicedWait(event, timeout) : wait(event, timeout);
}

__attribute__((visibility("default"))) int SDL_WaitEvent(SDL_Event* event) {
  static const auto wait = real<int (*)(SDL_Event*)>("SDL_WaitEvent");
  return block() ? slicedWait(event, -1) : wait(event);
}

}  // extern "C"
