// hopsoak <game> <program> <seconds> [seed]: plays a game for a while with
// random but seeded input drawn from its own key table (keys, held arrows,
// mouse motion, clicks and the wheel), under its own Xvfb, and watches it:
// a crash, a hang (for 10 s neither a new frame nor a new wait for events:
// a still screen draws nothing but keeps waiting), resident memory and CPU once a
// second, and the exit status of a final quit. Prints one report line and
// exits 0 when the game neither crashed nor hung and quit with status 0
// (and, for runs of two minutes or more, kept its memory flat).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "hoptest/e2e.h"
#include "proc.h"
#include "profiles.h"

namespace {

using Clock = std::chrono::steady_clock;
using hoptest::Profile;
using hoptest::profiles;
using hoptest::cpuTicks;
using hoptest::residentKB;
using namespace std::chrono_literals;

// Least-squares slope of y over x.
double slope(const std::vector<double>& x, const std::vector<double>& y) {
  const double n = double(x.size());
  if (n < 2) return 0;
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sx += x[i];
    sy += y[i];
    sxx += x[i] * x[i];
    sxy += x[i] * y[i];
  }
  const double d = n * sxx - sx * sx;
  return d == 0 ? 0 : (n * sxy - sx * sy) / d;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: hopsoak <game> <program> <seconds> [seed]\n");
    return 2;
  }
  const std::string name = argv[1];
  const Profile* profile = nullptr;
  for (const Profile& p : profiles())
    if (name == p.game) profile = &p;
  if (!profile) {
    std::fprintf(stderr, "hopsoak: no key table for '%s'\n", name.c_str());
    return 2;
  }
  const double seconds = std::atof(argv[3]);
  std::mt19937 random(argc > 4 ? unsigned(std::atol(argv[4])) : 1u);
  auto pick = [&](int n) { return int(random() % unsigned(n)); };

  const auto start = Clock::now();
  auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
  std::vector<double> times, memory;          // of the session being played
  std::vector<double> longTimes, longMemory;  // of the longest session so far
  int crashes = 0, hangs = 0, quits = 0, status = -1000;
  long actions = 0, frames = 0;
  double cpuSeconds = 0;
  std::string output;
  // A session ends when the time is up, or when the game ends by itself: a
  // quit the random input chose (a menu's exit button, status 0) starts a
  // new session; any other end is a crash.
  while (elapsed() < seconds && crashes == 0 && hangs == 0) {
    hoptest::GameSession game{hoptest::Launch(argv[2])};
    const hoptest::WindowInfo w = game.waitForWindow(profile->title);
    if (w.id == 0) {
      std::printf("soak %s: the window \"%s\" never showed\n%s", name.c_str(), profile->title,
                  game.stderrText().c_str());
      return 1;
    }
    times.clear();
    memory.clear();
    long lastFrames = game.frames(), lastWaits = game.waits();
    const long ticks0 = cpuTicks(game.pid());
    long ticks = ticks0;
    auto lastTurnTime = Clock::now(), lastSample = Clock::now();
    while (elapsed() < seconds && game.running()) {
      const int what = pick(100);
      if (what < 45) {
        game.key(profile->taps[std::size_t(pick(int(profile->taps.size())))]);
      } else if (what < 75) {
        game.hold(profile->holds[std::size_t(pick(int(profile->holds.size())))],
                  std::chrono::milliseconds(100 + pick(400)));
      } else if (profile->mouse) {
        const int x = pick(std::max(w.width, 1)), y = pick(std::max(w.height, 1));
        if (what < 85) {
          game.mouseMove(x, y);
        } else if (what < 92) {
          game.click(x, y, 1 + pick(3) * (pick(2)));  // mostly left, sometimes right or middle
        } else if (what < 97) {
          game.mouseDown(x, y);
          game.mouseMove(pick(w.width), pick(w.height));
          game.mouseUp(pick(w.width), pick(w.height));
        } else {
          game.scroll(pick(2) ? hoptest::Scroll::Up : hoptest::Scroll::Down, 1 + pick(3));
        }
      }
      ++actions;
      std::this_thread::sleep_for(std::chrono::milliseconds(20 + pick(120)));

      const long shown = game.frames(), waited = game.waits();
      if (shown != lastFrames || waited != lastWaits) {
        lastFrames = shown;
        lastWaits = waited;
        lastTurnTime = Clock::now();
      } else if (shown >= 0 && Clock::now() - lastTurnTime > 10s) {
        ++hangs;
        break;
      }
      if (Clock::now() - lastSample >= 1s) {
        lastSample = Clock::now();
        times.push_back(elapsed() / 60.0);
        memory.push_back(double(residentKB(game.pid())) / 1024.0);
        ticks = cpuTicks(game.pid());
      }
    }
    cpuSeconds += double(ticks - ticks0) / double(sysconf(_SC_CLK_TCK));
    if (times.size() >= longTimes.size()) {
      longTimes = times;
      longMemory = memory;
    }
    frames += std::max(game.frames(), 0L);
    if (hangs == 0 && game.running()) {
      game.key(profile->quit);
      const auto code = game.waitExit();
      status = code ? *code : -1000;
      if (status != 0) ++crashes;
    } else if (hangs == 0) {
      const auto code = game.waitExit(1s);
      status = code ? *code : -1000;
      if (status == 0)
        ++quits;
      else
        ++crashes;
    }
    if (crashes || hangs) output = game.stdoutText() + game.stderrText();
  }
  const double ran = elapsed();
  // The slope over the second half of the longest session: start-up growth
  // is not a leak, and a short session after a chosen quit is mostly start-up.
  const std::size_t half = longTimes.size() / 2;
  const double perMinute =
      slope({longTimes.begin() + long(half), longTimes.end()}, {longMemory.begin() + long(half), longMemory.end()});
  const bool longRun = seconds >= 120 && longTimes.size() >= 60;
  const bool ok = crashes == 0 && hangs == 0 && status == 0 && (!longRun || perMinute < 1.0);
  std::printf("soak %s: %.0f s, %ld actions, %ld frames, %d crashes, %d hangs, %d quits chosen by the input, "
              "memory %.0f -> %.0f MB (slope %.2f MB/min over the second half of the longest session, %.0f s), cpu %.0f %%, exit status %d: %s\n",
              name.c_str(), ran, actions, frames, crashes, hangs, quits, longMemory.empty() ? 0 : longMemory.front(),
              longMemory.empty() ? 0 : longMemory.back(), perMinute,
              longTimes.size() < 2 ? 0.0 : (longTimes.back() - longTimes.front()) * 60.0, cpuSeconds / ran * 100.0, status, ok ? "ok" : "FAILED");
  if (!ok) std::printf("%s", output.c_str());
  return ok ? 0 : 1;
}
