// GameSession driving hoptest_probe on a private Xvfb.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "hoptest/e2e.h"

using namespace std::chrono_literals;
using hoptest::Color;
using hoptest::GameSession;

namespace {

const char* const kTitle = "hoptest probe";

// The colour the probe says it clears to now (its last "colour R G B" line).
Color announcedColour(const std::string& out) {
  size_t at = out.rfind("colour ");
  int r = 0, g = 0, b = 0;
  if (at == std::string::npos || std::sscanf(out.c_str() + at, "colour %d %d %d", &r, &g, &b) != 3) return {};
  return Color{uint8_t(r), uint8_t(g), uint8_t(b)};
}

bool gone(pid_t pid) { return kill(pid, 0) == -1 && errno == ESRCH; }

// The pid of the X server that answers on display :n, or -1. A parallel
// test may take the number over as soon as it is free again.
pid_t serverOf(int display) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "/tmp/.X11-unix/X%d", display);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ucred cred{};
  socklen_t len = sizeof cred;
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0;
  close(fd);
  return ok ? cred.pid : -1;
}

// Waits for the probe's window and first frame.
void open(GameSession& s) {
  ASSERT_NE(s.waitForWindow(kTitle).id, 0u) << s.stderrText();
  ASSERT_TRUE(s.waitForOutput("ready")) << s.stderrText();
}

}  // namespace

TEST(ProbeSession, WindowTitleSizeAndScreenshotColour) {
  GameSession s({HOPTEST_PROBE});
  hoptest::WindowInfo w = s.waitForWindow(kTitle);
  ASSERT_NE(w.id, 0u) << s.stderrText();
  EXPECT_EQ(w.width, 320);
  EXPECT_EQ(w.height, 240);
  EXPECT_EQ(s.window().id, w.id);
  EXPECT_EQ(s.waitForWindow("hoptest", 300ms).id, 0u);         // the title must match whole
  EXPECT_EQ(s.waitForWindow("HOPTEST PROBE", 300ms).id, 0u);   // and in case
  EXPECT_EQ(s.waitForWindow("hoptest.probe", 300ms).id, 0u);   // not as a pattern

  const Color first = announcedColour(s.stdoutText());
  ASSERT_NE(first, Color{});
  EXPECT_TRUE(s.waitForScreen([&](const hoptest::Image& img) { return img.countNear(first, 3) == 320 * 240; }))
      << "colour " << first << ", top-left " << (s.lastScreenshot().empty() ? Color{} : s.lastScreenshot().pixel(0, 0));
  const hoptest::Image& shot = s.lastScreenshot();
  EXPECT_EQ(shot.width(), 320);
  EXPECT_EQ(shot.height(), 240);
}

TEST(ProbeSession, HeldTappedAndTypedKeysArrive) {
  GameSession s({HOPTEST_PROBE});
  open(s);
  hoptest::Image before = s.screenshot();

  // Held long enough for a frame to see it down in the keyboard state, and
  // past the server's usual repeat delay: a held key is one press.
  ASSERT_TRUE(s.hold("space", 1000ms));
  EXPECT_TRUE(s.waitForOutput("key Space"));
  EXPECT_TRUE(s.waitForOutput("held Space"));
  ASSERT_TRUE(s.waitFrames());
  EXPECT_EQ(s.stdoutText().find("repeat"), std::string::npos) << s.stdoutText();

  // Focus moved to the root window and the pointer outside the probe: only
  // the focusing that every input call does brings the key there.
  ASSERT_TRUE(s.mouseMove(-40, -40));
  std::string root = s.tool({"xdotool", "search", "--maxdepth", "0", "--name", ""}).out;
  ASSERT_EQ(s.tool({"xdotool", "windowfocus", root.substr(0, root.find('\n'))}).status, 0) << root;
  ASSERT_TRUE(s.key("a"));
  EXPECT_TRUE(s.waitForOutput("key A"));
  ASSERT_TRUE(s.keyDown("b"));
  EXPECT_TRUE(s.waitForOutput("held B"));
  ASSERT_TRUE(s.keyUp("b"));
  ASSERT_TRUE(s.type("hi"));
  EXPECT_TRUE(s.waitForOutput("text h"));
  EXPECT_TRUE(s.waitForOutput("text i"));
  ASSERT_TRUE(s.hold("space", 100ms));
  EXPECT_TRUE(s.waitForOutput("key Space", hoptest::patience(), 2));  // a second press is counted again

  // Six presses: the colour moved on, the whole window shows it.
  ASSERT_TRUE(s.waitForOutput("colour", hoptest::patience(), 7));
  const Color now = announcedColour(s.stdoutText());
  EXPECT_TRUE(s.waitForScreen([&](const hoptest::Image& img) { return img.countNear(now, 3) == 320 * 240; })) << now;
  EXPECT_EQ(s.screenshot().countDiff(before, {}, 3), 320 * 240);
  EXPECT_TRUE(s.running());
}

TEST(ProbeSession, ClicksAndWheelReportWindowCoordinates) {
  GameSession s({HOPTEST_PROBE});
  open(s);
  ASSERT_TRUE(s.click(100, 50));
  EXPECT_TRUE(s.waitForOutput("click 1 100 50"));
  EXPECT_TRUE(s.waitForOutput("release 1 100 50"));
  ASSERT_TRUE(s.mouseDown(30, 40, 3));
  EXPECT_TRUE(s.waitForOutput("click 3 30 40"));
  ASSERT_TRUE(s.mouseUp(300, 200, 3));  // a drag
  EXPECT_TRUE(s.waitForOutput("release 3 300 200"));
  ASSERT_TRUE(s.mouseMove(10, 10));
  ASSERT_TRUE(s.scroll(hoptest::Scroll::Up, 2));
  EXPECT_TRUE(s.waitForOutput("wheel 1", hoptest::patience(), 2));
  ASSERT_TRUE(s.scroll(hoptest::Scroll::Down));
  EXPECT_TRUE(s.waitForOutput("wheel -1"));
}

TEST(ProbeSession, ExitStatuses) {
  {
    GameSession s({HOPTEST_PROBE});
    open(s);
    ASSERT_TRUE(s.key("Escape"));
    EXPECT_EQ(s.waitExit(), 0);
    EXPECT_FALSE(s.running());
  }
  {
    GameSession s({HOPTEST_PROBE});
    open(s);
    EXPECT_EQ(s.waitExit(200ms), std::nullopt);  // still running
    ASSERT_TRUE(s.key("x"));
    EXPECT_EQ(s.waitExit(), 3);
    EXPECT_FALSE(s.waitForOutput("never printed")) << "returns once the program is gone";
  }
  {
    GameSession s({HOPTEST_PROBE});
    open(s);
    s.terminate();
    EXPECT_EQ(s.waitExit(), 0);  // SIGTERM became SDL_QUIT
  }
  {
    GameSession s({HOPTEST_PROBE});
    open(s);
    ASSERT_TRUE(s.closeWindow());
    EXPECT_EQ(s.waitExit(), 0);  // the close message became SDL_QUIT
    EXPECT_TRUE(s.waitForOutput("window closed"));
  }
  {
    GameSession s({"/nonexistent/game"});
    EXPECT_EQ(s.waitExit(), 127);
    EXPECT_EQ(s.waitForWindow(kTitle).id, 0u);  // gives up at once: nothing runs
  }
}

TEST(ProbeSession, WorkdirEnvironmentAndArguments) {
  // The probe ignores both; /bin/sh shows what a game would be given.
  GameSession s({"/bin/sh", {"-c", "pwd; echo \"$HOP_X $DISPLAY $SDL_AUDIODRIVER\" \"$1\"", "sh", "arg 1"}, "/tmp",
                 {"HOP_X=42", "SDL_AUDIODRIVER=disk"}});
  EXPECT_EQ(s.waitExit(), 0);
  EXPECT_EQ(s.stdoutText(), "/tmp\n42 :" + std::to_string(s.display()) + " disk arg 1\n");
  EXPECT_EQ(s.stderrText(), "") << "the frame counter goes quietly into programs without SDL";
  EXPECT_EQ(s.frames(), 0);
  GameSession t({"/bin/pwd"});  // default workdir: the program's folder
  EXPECT_EQ(t.waitExit(), 0);
  EXPECT_EQ(t.stdoutText(), std::filesystem::canonical("/bin").string() + "\n");
  EXPECT_NE(s.display(), t.display());
}

TEST(ProbeSession, WaitsFollowTheFramesShown) {
  GameSession s({HOPTEST_PROBE});
  open(s);
  const long first = s.frames();
  EXPECT_GE(first, 1) << "waitForWindow returns once a frame is shown";
  ASSERT_TRUE(s.waitFrames(5));
  const long later = s.frames();
  EXPECT_GE(later, first + 5);
  // A condition that never comes ends after the frames and the minimum.
  int checks = 0;
  EXPECT_FALSE(s.waitWithin(4, 0ms, [&] { return ++checks < 0; }));
  EXPECT_GE(s.frames(), later + 4);
  EXPECT_GE(checks, 2) << "checked on the frames as they came";
  EXPECT_LE(checks, s.frames() - later + 1) << "at most once a frame";
  // One that comes returns at once, the picture with it.
  EXPECT_TRUE(s.waitForScreenWithin(1000, 0ms, [](const hoptest::Image& img) { return img.width() == 320; }));
  EXPECT_EQ(s.lastScreenshot().height(), 240);
  // A key read: three frames later the probe has printed it.
  ASSERT_TRUE(s.key("a"));
  ASSERT_TRUE(s.waitFrames(3));
  EXPECT_NE(s.stdoutText().find("key A"), std::string::npos);
  // Frames stop with the program, and so do the waits.
  ASSERT_TRUE(s.key("Escape"));
  EXPECT_EQ(s.waitExit(), 0);
  EXPECT_FALSE(s.waitFrames(1));
  EXPECT_FALSE(s.waitForScreen([](const hoptest::Image&) { return true; }));
  EXPECT_FALSE(s.waitWithin(1000000, 1h, [] { return false; }));
}

TEST(ProbeSession, ScreenshotWithoutWindowIsTheScreen) {
  GameSession s;
  hoptest::Image root = s.screenshot();
  EXPECT_EQ(root.width(), 1280);
  EXPECT_EQ(root.height(), 1024);
}

namespace {
pid_t g_game = -1, g_xvfb = -1;
int g_display = -1;

void failHalfway() {
  GameSession s({HOPTEST_PROBE});
  g_game = s.pid(), g_xvfb = s.xvfbPid(), g_display = s.display();
  ASSERT_NE(s.waitForWindow(kTitle).id, 0u);
  ASSERT_TRUE(false) << "deliberate failure";
}
}  // namespace

TEST(ProbeSession, DestructorLeavesNothingBehind) {
  pid_t game, xvfb;
  int display;
  {
    GameSession s({HOPTEST_PROBE});
    open(s);
    game = s.pid(), xvfb = s.xvfbPid(), display = s.display();
    EXPECT_EQ(serverOf(display), xvfb);
  }  // with the probe still running
  EXPECT_TRUE(gone(game));
  EXPECT_TRUE(gone(xvfb));
  EXPECT_NE(serverOf(display), xvfb);

  EXPECT_FATAL_FAILURE(failHalfway(), "deliberate failure");
  ASSERT_GT(g_game, 0);
  EXPECT_TRUE(gone(g_game));
  EXPECT_TRUE(gone(g_xvfb));
  EXPECT_NE(serverOf(g_display), g_xvfb);
}
