#include "hopcommon/pads.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace hop {
namespace {

constexpr unsigned bit(Control c) { return 1u << unsigned(c); }

// The controls the game controller's buttons stand for.
unsigned buttonBit(Uint8 button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return bit(Control::Up);
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return bit(Control::Down);
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return bit(Control::Left);
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return bit(Control::Right);
    case SDL_CONTROLLER_BUTTON_A: return bit(Control::A);
    case SDL_CONTROLLER_BUTTON_B: return bit(Control::B);
    case SDL_CONTROLLER_BUTTON_START: return bit(Control::Start);
    case SDL_CONTROLLER_BUTTON_BACK: return bit(Control::Back);
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return bit(Control::LeftShoulder);
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return bit(Control::RightShoulder);
    default: return 0;
  }
}

// One direction of a stick axis with hysteresis: held beyond `press`, kept
// down to `release`.
bool leans(bool wasHeld, int value, int sign, const PadTable& t) {
  return sign * value > (wasHeld ? t.release : t.press);
}

// An axis beyond the dead zone, rescaled to [-1, 1].
float beyond(int value, int deadZone) {
  const int mag = std::abs(value);
  if (mag <= deadZone) return 0;
  const float f = float(std::min(mag, 32767) - deadZone) / float(32767 - deadZone);
  return value < 0 ? -f : f;
}

Uint32 focusedWindow() {
  SDL_Window* w = SDL_GetKeyboardFocus();
  return w ? SDL_GetWindowID(w) : 0;
}

SDL_Event keyEvent(const Key& key, bool down) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.windowID = focusedWindow();
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = key.sym;
  e.key.keysym.scancode = key.scancode;
  e.key.timestamp = SDL_GetTicks();
  return e;
}

}  // namespace

PadTable::PadTable() {
  set(Control::Up, SDLK_UP, SDL_SCANCODE_UP);
  set(Control::Down, SDLK_DOWN, SDL_SCANCODE_DOWN);
  set(Control::Left, SDLK_LEFT, SDL_SCANCODE_LEFT);
  set(Control::Right, SDLK_RIGHT, SDL_SCANCODE_RIGHT);
}

PadTable& PadTable::set(Control c, SDL_Keycode sym, SDL_Scancode scancode) {
  keys[std::size_t(c)] = Key{sym, scancode};
  return *this;
}

Pads::Pads(const PadTable& table) : table_(table) {
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "Mandos no disponibles: %s\n", SDL_GetError());
    return;
  }
  started_ = true;
  // SDL also queues an SDL_CONTROLLERDEVICEADDED for each of these; open()
  // skips a controller already open.
  for (int i = 0; i < SDL_NumJoysticks(); ++i) open(i);
}

Pads::~Pads() {
  if (!started_ || !SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return;  // SDL_Quit came first and closed them
  for (Pad& p : pads_) SDL_GameControllerClose(p.controller);
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void Pads::open(int deviceIndex) {
  if (!SDL_IsGameController(deviceIndex)) return;
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (id < 0 || find(id)) return;
  SDL_GameController* c = SDL_GameControllerOpen(deviceIndex);
  if (!c) {
    std::fprintf(stderr, "Mando: no se pudo abrir: %s\n", SDL_GetError());
    return;
  }
  pads_.push_back(Pad{id, c});
  const char* name = SDL_GameControllerName(c);
  std::printf("Mando conectado: %s\n", name ? name : "sin nombre");
  std::fflush(stdout);
}

Pads::Pad* Pads::find(SDL_JoystickID id) {
  for (Pad& p : pads_)
    if (p.id == id) return &p;
  return nullptr;
}

Pads::Result Pads::handle(const SDL_Event& e) {
  switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED:
      if (started_) open(e.cdevice.which);  // a device index
      return Used;
    case SDL_CONTROLLERDEVICEREMOVED: {  // an instance id, as below
      Pad* p = find(e.cdevice.which);
      if (!p) return Ignored;
      const char* name = SDL_GameControllerName(p->controller);
      std::printf("Mando desconectado: %s\n", name ? name : "sin nombre");
      std::fflush(stdout);
      SDL_GameControllerClose(p->controller);
      pads_.erase(pads_.begin() + (p - pads_.data()));
      sync();
      unplugged_ = true;
      return Unplugged;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      Pad* p = find(e.cbutton.which);
      if (!p) return Ignored;
      const unsigned b = buttonBit(e.cbutton.button);
      p->buttons = e.type == SDL_CONTROLLERBUTTONDOWN ? p->buttons | b : p->buttons & ~b;
      sync();
      return Used;
    }
    case SDL_CONTROLLERAXISMOTION: {
      Pad* p = find(e.caxis.which);
      if (!p) return Ignored;
      axis(*p, e.caxis.axis, e.caxis.value);
      sync();
      return Used;
    }
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST && !pads_.empty()) releaseAll();
      return Ignored;
    default:
      return Ignored;
  }
}

void Pads::axis(Pad& p, Uint8 axis, int value) {
  auto lean = [&](Control c, int sign) {
    const bool on = leans(p.stick & bit(c), value, sign, table_);
    p.stick = on ? p.stick | bit(c) : p.stick & ~bit(c);
  };
  switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX: lean(Control::Left, -1), lean(Control::Right, 1); break;
    case SDL_CONTROLLER_AXIS_LEFTY: lean(Control::Up, -1), lean(Control::Down, 1); break;  // y grows downward
    case SDL_CONTROLLER_AXIS_RIGHTX: p.lookX = beyond(value, table_.release); break;
    case SDL_CONTROLLER_AXIS_RIGHTY: p.lookY = beyond(value, table_.release); break;
    default: break;
  }
}

void Pads::releaseAll() {
  for (Pad& p : pads_) p.buttons = p.stick = 0, p.lookX = p.lookY = 0;
  sync();
}

void Pads::sync() {
  std::vector<Held> now;
  const auto has = [](const std::vector<Held>& list, const Key& k) {
    return std::find_if(list.begin(), list.end(), [&](const Held& h) { return h.key.scancode == k.scancode; });
  };
  for (int c = 0; c < kControls; ++c) {
    const Key& k = table_.keys[std::size_t(c)];
    if (k.scancode == SDL_SCANCODE_UNKNOWN || has(now, k) != now.end()) continue;
    const bool on = std::any_of(pads_.begin(), pads_.end(),
                                [&](const Pad& p) { return (p.buttons | p.stick) & (1u << unsigned(c)); });
    if (!on) continue;
    const auto was = has(down_, k);
    now.push_back(was != down_.end() ? *was : Held{k, SDL_GetTicks64() + Uint64(std::max(0, table_.repeatDelay))});
  }
  // Releases first: a key the table gives two controls stays down while either holds it.
  for (const Held& h : down_)
    if (has(now, h.key) == now.end()) queue_.push_back(keyEvent(h.key, false));
  for (const Held& h : now)
    if (has(down_, h.key) == down_.end()) queue_.push_back(keyEvent(h.key, true));
  down_ = std::move(now);
}

void Pads::repeat() {
  if (down_.empty() || table_.repeatDelay <= 0) return;
  const Uint64 now = SDL_GetTicks64();
  for (Held& h : down_)
    if (now >= h.repeatAt) {
      SDL_Event e = keyEvent(h.key, true);
      e.key.repeat = 1;
      queue_.push_back(e);
      h.repeatAt = now + Uint64(std::max(1, table_.repeatInterval));
    }
}

bool Pads::held(SDL_Scancode scancode) const {
  return std::any_of(down_.begin(), down_.end(), [&](const Held& h) { return h.key.scancode == scancode; });
}

const Uint8* Pads::keyboard() {
  int n = 0;
  const Uint8* sdl = SDL_GetKeyboardState(&n);
  if (down_.empty()) return sdl;
  std::copy(sdl, sdl + std::min(n, int(merged_.size())), merged_.begin());
  for (const Held& h : down_) merged_[std::size_t(h.key.scancode)] = 1;
  return merged_.data();
}

float Pads::lookX() const {
  float x = 0;
  for (const Pad& p : pads_) x += p.lookX;
  return std::clamp(x, -1.f, 1.f);
}

float Pads::lookY() const {
  float y = 0;
  for (const Pad& p : pads_) y += p.lookY;
  return std::clamp(y, -1.f, 1.f);
}

int Pads::poll(SDL_Event* event) {
  if (frameStart_) {
    frameStart_ = false;
    look();
    repeat();
  }
  if (next_ == queue_.size() && !queue_.empty()) queue_.clear(), next_ = 0;
  if (next_ < queue_.size()) {
    *event = queue_[next_++];
    return 1;
  }
  if (!SDL_PollEvent(event)) {
    frameStart_ = true;
    return 0;
  }
  handle(*event);
  return 1;
}

bool Pads::unplugged() {
  const bool was = unplugged_;
  unplugged_ = false;
  return was;
}

bool Pads::leaving() const {
  if (pads_.empty()) return false;
  SDL_Event queued[8];
  const int n = SDL_PeepEvents(queued, 8, SDL_PEEKEVENT, SDL_CONTROLLERDEVICEREMOVED, SDL_CONTROLLERDEVICEREMOVED);
  for (int i = 0; i < n; ++i)
    for (const Pad& p : pads_)
      if (p.id == queued[i].cdevice.which) return true;
  return false;
}

void Pads::look() {
  if (pads_.empty() || table_.lookSpeed <= 0) return;
  const Uint64 now = SDL_GetPerformanceCounter();
  // A stall moves the view by a tenth of a second's worth at most.
  const double dt = lastFrame_ ? std::min(0.1, double(now - lastFrame_) / double(SDL_GetPerformanceFrequency())) : 0;
  lastFrame_ = now;
  const float x = lookX(), y = lookY();
  if (x == 0 && y == 0) {
    restX_ = restY_ = 0;
    return;
  }
  restX_ += x * table_.lookSpeed * float(dt);
  restY_ += y * table_.lookSpeed * float(dt);
  const int dx = int(restX_), dy = int(restY_);
  if (dx == 0 && dy == 0) return;
  restX_ -= float(dx), restY_ -= float(dy);
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.timestamp = SDL_GetTicks();
  e.motion.windowID = focusedWindow();
  e.motion.state = table_.lookButtons;
  SDL_GetMouseState(&e.motion.x, &e.motion.y);
  e.motion.x += dx, e.motion.y += dy;
  e.motion.xrel = dx, e.motion.yrel = dy;
  queue_.push_back(e);
}

}  // namespace hop
