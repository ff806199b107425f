// End-to-end driving of a real game: a private Xvfb, the program started on
// it, keyboard and mouse through xdotool (XTEST events, which SDL accepts),
// window screenshots through xwd, the program's console output, and a count
// of the frames it has shown.
//
//   hoptest::GameSession s({BOARDHOP_BIN});          // workdir: the binary's folder
//   ASSERT_NE(s.waitForWindow("Board Hop").id, 0u);  // shown, first frame drawn
//   const hoptest::Image start = s.screenshot();
//   s.hold("space");
//   EXPECT_TRUE(s.waitForOutput("score 1"));
//   EXPECT_TRUE(s.waitForScreen([&](const hoptest::Image& img) {
//     return img.countDiff(start, {0, 0, 160, 32}, 30) > 20;      // the score line changed
//   }));
//   s.closeWindow();                                 // as the window's close button does
//   EXPECT_EQ(s.waitExit(), 0);
//
// Game paths reach the test as compile definitions set by its CMake file:
//   hop_add_test(NAME boardhop_e2e KIND e2e SOURCES e2e.cpp DEPENDS boardhop)
//   target_compile_definitions(boardhop_e2e PRIVATE BOARDHOP_BIN="$<TARGET_FILE:boardhop>")
//
// Waiting: every wait follows the program's progress, never the clock.
// The suite runs on loaded two-core machines where a sanitizer build under
// llvmpipe may draw one frame a second, so a test never sleeps a fixed time
// and then asserts. It waits for what it means to see:
//   waitForWindow(title)      the window is viewable and a frame has been shown
//   waitForOutput(text)       a console line (the program must flush it)
//   waitForScreen(pred)       a pixel condition, checked on each new frame
//   waitFrames(n)             n more frames shown: events sent before the call
//                             have been read (games read every pending event
//                             once a frame), e.g. after a key with no visible
//                             effect
//   waitWithin(frames, min, pred)  for a condition that may rightly never
//                             come (a hop a tree blocks): false only once
//                             `frames` frames AND `min` have passed
//   waitExit()                the exit status
// Each of these gives up only after patience(): 120 s, multiplied by the
// environment variable HOPTEST_TIMEOUT_SCALE (e.g. 2.5) when set. Leave the
// timeout arguments out; they exist for waits that are meant to fail fast
// (a title that must not match). CTest's per-case TIMEOUT (hop_add_test) is
// scaled by the same variable and is the limit for a whole case.
// Input: key() taps (down and up at once), which suits games that act on key
// events. hold() keeps a key down for its time and at least three frames
// (or, on a still screen, three waits for events), so a game that polls the
// keyboard state each frame sees it down. The server's
// key repeat is off: a held key gives one press, however slow the frames.
// Where a test needs to know a key was handled, it waits for the key's
// visible or printed effect, or for waitFrames() when there is none.
// A game world keeps moving while a slow check looks at it: on a loaded
// machine a car has many seconds to run the hero over. Check menus and views
// where nothing can hit the hero (a start row), and quit soon after a risky
// step.
// Frames are counted by a small library preloaded into the program, which
// stands in front of SDL_GL_SwapWindow (the session sets LD_PRELOAD,
// HOPTEST_FRAMES and verify_asan_link_order=0 in ASAN_OPTIONS for it):
// frames() is -1 when it is missing. It also counts the program's waits for
// events (waits()), which go on on a still screen that shows no frames.
//
// CTest runs the e2e cases one at a time (RESOURCE_LOCK hoptest_display), so
// two programs under test never compete for the cores.
//
// The program's stdout and stderr go to files, so stdio buffers them fully:
// a game whose lines a test waits for must flush them (std::endl, fflush, or
// setvbuf(stdout, nullptr, _IOLBF, 0) at start-up).
//
// Nothing outlives the session, also when a test fails halfway (the
// destructor ends the game's process group, then Xvfb). On a failed test the
// destructor prints the end of the game's output and saves a screenshot as
// <Suite>.<Test>.png in the working folder (<Suite>.<Test>.last.png, the last
// picture taken, when the program had already ended).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hoptest/image.h"

namespace hoptest {

using std::chrono::milliseconds;

// The limit of any one wait: 120 s, times HOPTEST_TIMEOUT_SCALE when that
// holds a positive number. Read once.
milliseconds patience();

// Calls `pred` every `interval` until it returns true (-> true) or `timeout`
// has passed (-> false).
bool waitUntil(const std::function<bool()>& pred, milliseconds timeout = patience(),
               milliseconds interval = milliseconds(20));

struct Launch {
  // A constructor rather than an aggregate: {path} leaves the rest empty
  // without -Wmissing-field-initializers.
  Launch(std::string program = {}, std::vector<std::string> args = {}, std::string workdir = {},
         std::vector<std::string> env = {})
      : program(std::move(program)), args(std::move(args)), workdir(std::move(workdir)), env(std::move(env)) {}

  std::string program;            // absolute path
  std::vector<std::string> args;  // argv[1..]
  std::string workdir;            // empty: the program's own folder
  // "NAME=value" entries over the inherited environment. The session already
  // sets DISPLAY, SDL_VIDEODRIVER=x11, SDL_AUDIODRIVER=dummy and
  // HOPGAMES_DATA_DIR (a folder of the session's own, for saved best
  // scores); entries here override them. A bare "NAME" removes NAME: {"DISPLAY",
  // "SDL_VIDEODRIVER", "WAYLAND_DISPLAY"} starts the game with no display.
  std::vector<std::string> env;
};

struct WindowInfo {
  unsigned long id = 0;  // 0: not found
  int x = 0, y = 0, width = 0, height = 0;
};

enum class Scroll { Up, Down };

class GameSession {
 public:
  GameSession();                             // Xvfb only; start() later
  explicit GameSession(const Launch& launch);  // Xvfb, then start(launch)
  ~GameSession();
  GameSession(const GameSession&) = delete;
  GameSession& operator=(const GameSession&) = delete;

  // Throws std::runtime_error when a game was already started or fork fails;
  // a program that cannot be executed exits with status 127.
  void start(const Launch& launch);

  int display() const { return display_; }
  pid_t pid() const { return pid_; }
  pid_t xvfbPid() const { return xvfb_; }

  // Polls for a viewable window whose title is exactly `title`; remembers it
  // as the target of input and screenshots.
  // Where frames are counted, it also waits for the first frame shown.
  WindowInfo waitForWindow(const std::string& title, milliseconds timeout = patience());
  const WindowInfo& window() const { return win_; }

  // Input. Each call focuses the window first (XSetInputFocus; there is no
  // window manager) because xdotool sends synthetic events, which SDL drops,
  // to windows without focus. Mouse coordinates are relative to the window.
  // All return false (and add a test failure) when xdotool fails.
  bool focus();
  bool key(const std::string& name);  // tap: down and up within a few ms
  bool keyDown(const std::string& name);
  bool keyUp(const std::string& name);
  // Down, `ms` and at least three frames shown or three waits for events
  // begun, up: games that poll the keyboard state each frame miss a tap.
  bool hold(const std::string& name, milliseconds ms = milliseconds(150));
  bool type(const std::string& text);
  bool mouseMove(int x, int y);
  bool click(int x, int y, int button = 1);
  bool mouseDown(int x, int y, int button = 1);
  bool mouseUp(int x, int y, int button = 1);
  bool scroll(Scroll dir, int clicks = 1);  // at the last mouse position

  // The window (the whole screen before waitForWindow) as RGB; an empty
  // image, plus a test failure, when xwd fails.
  Image screenshot();
  // The last picture screenshot() took (also inside waitForScreen).
  const Image& lastScreenshot() const { return shot_; }

  // Closes the window as its close button would: a WM_DELETE_WINDOW message
  // (SDL makes it SDL_WINDOWEVENT_CLOSE, then SDL_QUIT). False, plus a test
  // failure, when there is no window or X refuses.
  bool closeWindow();

  // Frames the program has shown (SDL_GL_SwapWindow calls returned); -1
  // when they cannot be counted.
  long frames() const;
  // True once `n` more frames than now have been shown; false when the
  // program exits first or `timeout` passes. Without a frame count: true
  // while the program still runs after a short pause.
  bool waitFrames(int n = 3, milliseconds timeout = patience());
  // Times the program has begun to wait for events (SDL_WaitEventTimeout);
  // -1 when they cannot be counted. A still screen draws nothing but keeps
  // coming back to wait, so this moves on where frames() stops.
  long waits() const;
  // True once the program has shown `n` more frames or begun `n` more waits
  // for events than now: it has read what was sent before the call, also on
  // a still screen. False when it exits first or `timeout` passes.
  bool waitTurns(int n = 3, milliseconds timeout = patience());
  // Frames a second over the next `n` frames shown (a loaded machine shows
  // them slowly, which only lowers the rate); -1 when frames cannot be
  // counted or the program stops first.
  double frameRate(int n = 240);
  // True once `pred` holds for a screenshot; it is checked once for each
  // batch of newly shown frames. False when the program exits or `timeout`
  // passes; lastScreenshot() is the last picture checked.
  bool waitForScreen(const std::function<bool(const Image&)>& pred, milliseconds timeout = patience());
  // For a condition that may rightly not come: true once `pred` holds;
  // false once the program has shown `frames` more frames and `minimum` has
  // passed (the minimum covers a fast machine, the frames a slow one), or it
  // exits, or patience() runs out. `pred` is checked on each new frame.
  bool waitWithin(int frames, milliseconds minimum, const std::function<bool()>& pred);
  bool waitForScreenWithin(int frames, milliseconds minimum, const std::function<bool(const Image&)>& pred);

  // True once `text` occurs `count` times in stdout and stderr together;
  // false on timeout or when the program has exited without it.
  bool waitForOutput(const std::string& text, milliseconds timeout = patience(), int count = 1);
  std::string stdoutText() const;
  std::string stderrText() const;

  bool running();
  void terminate();  // SIGTERM to the program; SDL turns it into SDL_QUIT (not a window close)
  // Exit code, or -signal number when a signal ended it; nullopt while it is
  // still running after `timeout`.
  std::optional<int> waitExit(milliseconds timeout = patience());

  // Runs an X client (xdotool, xwininfo, ...) against this display, stdout
  // and stderr together; status -1 when it ran past `timeout`.
  struct ToolResult {
    int status = -1;
    std::string out;
  };
  ToolResult tool(const std::vector<std::string>& argv, milliseconds timeout = patience()) const;

 private:
  void startXvfb();
  bool xdo(std::vector<std::string> args);  // windowfocus --sync <win> + args
  bool reap(bool block);                    // true once the game has been reaped
  void stopGame();
  void stopXvfb();
  void reportFailure();
  // Polls `done` every few ms; `check` (may be empty) runs once for each
  // batch of new frames, and first at once. True when `check` succeeded.
  bool pollFrames(const std::function<bool()>& check, const std::function<bool(long shown)>& done);

  std::string dir_;  // temporary folder: logs, screenshots
  int display_ = -1;
  pid_t xvfb_ = -1, pid_ = -1;
  std::optional<int> exit_;
  std::vector<std::string> env_;  // inherited environment + DISPLAY
  WindowInfo win_;
  int mouseX_ = -1, mouseY_ = -1;
  std::uint64_t* frames_ = nullptr;  // shared with the preloaded counter
  Image shot_;
};

}  // namespace hoptest
