// End-to-end driving of a real game: a private Xvfb, the program started on
// it, keyboard and mouse through xdotool (XTEST events, which SDL accepts),
// window screenshots through xwd, and the program's console output.
//
//   hoptest::GameSession s({BOARDHOP_BIN});          // workdir: the binary's folder
//   auto w = s.waitForWindow("Board Hop");
//   ASSERT_NE(w.id, 0u);
//   s.hold("space", std::chrono::milliseconds(150));
//   EXPECT_TRUE(s.waitForOutput("score 1"));
//   EXPECT_GT(s.screenshot().countNear({255, 0, 0}, 10, {0, 0, 100, 100}), 50);
//   s.key("Escape");
//   EXPECT_EQ(s.waitExit(), 0);
//
// Game paths reach the test as compile definitions set by its CMake file:
//   hop_add_test(NAME boardhop_e2e KIND e2e SOURCES e2e.cpp DEPENDS boardhop)
//   target_compile_definitions(boardhop_e2e PRIVATE BOARDHOP_BIN="$<TARGET_FILE:boardhop>")
//
// The program's stdout and stderr go to files, so stdio buffers them fully:
// a game whose lines a test waits for must flush them (std::endl, fflush, or
// setvbuf(stdout, nullptr, _IOLBF, 0) at start-up).
//
// Every call has a timeout; nothing outlives the session, also when a test
// fails halfway (the destructor ends the game's process group, then Xvfb).
// On a failed test the destructor prints the end of the game's output and
// saves a screenshot as <Suite>.<Test>.png in the working folder.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hoptest/image.h"

namespace hoptest {

using std::chrono::milliseconds;

// Calls `pred` every `interval` until it returns true (-> true) or `timeout`
// has passed (-> false).
bool waitUntil(const std::function<bool()>& pred, milliseconds timeout,
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
  // sets DISPLAY, SDL_VIDEODRIVER=x11 and SDL_AUDIODRIVER=dummy; entries
  // here override the last two.
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
  WindowInfo waitForWindow(const std::string& title, milliseconds timeout = std::chrono::seconds(20));
  const WindowInfo& window() const { return win_; }

  // Input. Each call focuses the window first (XSetInputFocus; there is no
  // window manager) because xdotool sends synthetic events, which SDL drops,
  // to windows without focus. Mouse coordinates are relative to the window.
  // All return false (and add a test failure) when xdotool fails.
  bool focus();
  bool key(const std::string& name);  // tap: down and up within a few ms
  bool keyDown(const std::string& name);
  bool keyUp(const std::string& name);
  // Down, `ms`, up: games that poll the keyboard state each frame miss a tap.
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

  // True once `text` occurs `count` times in stdout and stderr together;
  // false on timeout or when the program has exited without it.
  bool waitForOutput(const std::string& text, milliseconds timeout = std::chrono::seconds(10),
                     int count = 1);
  std::string stdoutText() const;
  std::string stderrText() const;

  bool running();
  void terminate();  // SIGTERM to the program; SDL turns it into SDL_QUIT
  // Exit code, or -signal number when a signal ended it; nullopt while it is
  // still running after `timeout`.
  std::optional<int> waitExit(milliseconds timeout = std::chrono::seconds(10));

  // Runs an X client (xdotool, xwininfo, ...) against this display, stdout
  // and stderr together; status -1 when it ran past `timeout`.
  struct ToolResult {
    int status = -1;
    std::string out;
  };
  ToolResult tool(const std::vector<std::string>& argv,
                  milliseconds timeout = std::chrono::seconds(10)) const;

 private:
  void startXvfb();
  bool xdo(std::vector<std::string> args);  // windowfocus --sync <win> + args
  bool reap(bool block);                    // true once the game has been reaped
  void stopGame();
  void stopXvfb();
  void reportFailure();

  std::string dir_;  // temporary folder: logs, screenshots
  int display_ = -1;
  pid_t xvfb_ = -1, pid_ = -1;
  std::optional<int> exit_;
  std::vector<std::string> env_;  // inherited environment + DISPLAY
  WindowInfo win_;
  int mouseX_ = -1, mouseY_ = -1;
};

}  // namespace hoptest
