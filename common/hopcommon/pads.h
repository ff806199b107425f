// Game controllers, turned into the keys and mouse motion a game already
// reads. Every controller SDL knows (its database, SDL_GAMECONTROLLERCONFIG)
// is opened when present at start or plugged in later. Its d-pad and left
// stick hold Up, Down, Left and Right; A, B, Start, Back and the shoulder
// buttons hold the keys of the game's own table; the right stick moves the
// mouse, in games that turn the camera with it. poll() stands in for
// SDL_PollEvent: it hands out SDL's events as they are and slips in, behind
// each controller event, the SDL_KEYDOWN / SDL_KEYUP (and SDL_MOUSEMOTION)
// it stands for, so the game's own event handling reads them in the same
// frame. Unplugging a controller releases every key it held.
//
// After SDL_Init, with one table per game:
//   hop::PadTable table;                      // Up/Down/Left/Right: the arrow keys
//   table.set(hop::Control::A, SDLK_SPACE, SDL_SCANCODE_SPACE)
//        .set(hop::Control::Start, SDLK_p, SDL_SCANCODE_P);
//   table.lookSpeed = 600;                    // right stick: mouse pixels a second
//   hop::Pads pads(table);
// Each frame, an event-driven game:
//   while (pads.poll(&e)) handleEvent(e);     // was SDL_PollEvent
//   if (pads.unplugged() && playing) pause();
// and a game that polls the keyboard:
//   const Uint8* keys = pads.keyboard();      // was SDL_GetKeyboardState(nullptr)
// Make Pads after SDL_Init; it may outlive SDL_Quit.
// (Keys pushed with SDL_PushEvent would come a frame late: SDL 2.26 ends a
// polling pass at a marker queued before them.) With no controller plugged,
// poll() is SDL_PollEvent and keyboard() SDL's own array.
#pragma once

#include <SDL.h>

#include <array>
#include <string>
#include <vector>

namespace hop {

enum class Control { Up, Down, Left, Right, A, B, Start, Back, LeftShoulder, RightShoulder };
constexpr int kControls = 10;

struct Key {
  SDL_Keycode sym = SDLK_UNKNOWN;
  SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN;  // SDL_SCANCODE_UNKNOWN: the control does nothing
};

struct PadTable {
  PadTable();  // directions on the arrow keys, nothing else
  PadTable& set(Control c, SDL_Keycode sym, SDL_Scancode scancode);
  const Key& operator[](Control c) const { return keys[std::size_t(c)]; }

  std::array<Key, kControls> keys;
  // The right stick at full tilt moves the mouse `lookSpeed` pixels a second
  // (0: the stick does nothing), with `lookButtons` (SDL_BUTTON_RMASK...) as
  // the motion's button state for games that turn while a button is held.
  float lookSpeed = 0;
  Uint32 lookButtons = 0;
  // A stick holds a direction once it leans past `press` (of 32767) and lets
  // it go below `release`: a stick resting near the edge does not chatter.
  // The right stick moves nothing within `release` of its centre.
  int press = 16000, release = 10000;
  // For games that act on the keyboard's auto-repeat (a held arrow keeps
  // hopping): a held key's SDL_KEYDOWN comes again, with repeat = 1, after
  // `repeatDelay` ms, then every `repeatInterval` ms (at most once a frame).
  // 0: no repeats.
  int repeatDelay = 0, repeatInterval = 0;
};

class Pads {
 public:
  enum Result { Ignored, Used, Unplugged };

  // Starts SDL's game controller subsystem (one line on stderr when it
  // cannot: the game then plays without) and opens every controller present.
  explicit Pads(const PadTable& table);
  ~Pads();
  Pads(const Pads&) = delete;
  Pads& operator=(const Pads&) = delete;

  // SDL_PollEvent with the pads' keys: every event SDL has, each followed
  // by the key events it stands for. The first call of a frame (after one
  // that returned 0) first gives the right stick's mouse motion since the
  // frame before. Losing the window's focus releases every key the pads hold.
  int poll(SDL_Event* event);  // never null
  // True once after an open controller was unplugged (its keys are
  // released): a game with a pause pauses.
  bool unplugged();
  // True while SDL holds the removal of an open controller in its queue:
  // SDL centres a controller's sticks and lets go of its buttons just before
  // it reports the controller gone, so the key releases handed out now come
  // from the unplug, not from the player. A game that acts on a release
  // (a hop when an arrow is let go) pauses before handling them.
  bool leaving() const;
  // What poll() does with one event; tests feed it their own.
  Result handle(const SDL_Event& e);

  bool held(SDL_Scancode scancode) const;
  // SDL's keyboard state with the keys the pads hold set.
  const Uint8* keyboard();
  int count() const { return int(pads_.size()); }
  // The right stick, each axis in [-1, 1] beyond its dead zone (summed over
  // the pads), for games that turn the view from the mouse's position
  // rather than from its motion events.
  float lookX() const;
  float lookY() const;

 private:
  struct Pad {
    SDL_JoystickID id;
    SDL_GameController* controller;
    unsigned buttons = 0, stick = 0;  // Controls held, one bit each
    float lookX = 0, lookY = 0;
  };
  void open(int deviceIndex);
  Pad* find(SDL_JoystickID id);
  void axis(Pad& pad, Uint8 axis, int value);
  void sync();    // queues the key changes since the last call
  void releaseAll();
  void look();    // queues the right stick's motion
  void repeat();  // queues the held keys' repeats that are due

  PadTable table_;
  bool started_ = false;
  std::vector<Pad> pads_;
  struct Held {
    Key key;
    Uint64 repeatAt;  // SDL_GetTicks64()
  };
  std::vector<Held> down_;        // keys the pads hold now
  std::vector<SDL_Event> queue_;  // for poll() to hand out, from `next_` on
  std::size_t next_ = 0;
  bool frameStart_ = true, unplugged_ = false;
  std::array<Uint8, SDL_NUM_SCANCODES> merged_{};
  Uint64 lastFrame_ = 0;
  float restX_ = 0, restY_ = 0;  // motion under a pixel, carried to the next frame
};

}  // namespace hop
