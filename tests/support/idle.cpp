// hopidle <game> <program> [seconds]: what each of a game's still screens
// (a menu, a pause, a title where nothing moves) costs while the player
// looks at it. For each screen of the game's profile: a fresh start under
// its own Xvfb, the screen's keys, a moment to settle, then the process's
// processor time and the frames it shows over `seconds` (default 5). A
// still screen is drawn when something changes, so it should cost at most
// 10 % of one core. Prints a line per screen; exit status 0 when every
// screen is within that, 1 when one is over, 2 when a game cannot be run.
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "hoptest/e2e.h"
#include "proc.h"
#include "profiles.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr double kGoalPercent = 10.0;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: hopidle <game> <program> [seconds]\n");
    return 2;
  }
  const std::string name = argv[1];
  const hoptest::Profile* profile = nullptr;
  for (const hoptest::Profile& p : hoptest::profiles())
    if (name == p.game) profile = &p;
  if (!profile) {
    std::fprintf(stderr, "hopidle: no profile for '%s'\n", name.c_str());
    return 2;
  }
  const double seconds = argc > 3 ? std::atof(argv[3]) : 5.0;
  char* program = realpath(argv[2], nullptr);
  if (!program) {
    std::perror(argv[2]);
    return 2;
  }
  const hoptest::Launch launch(program);
  std::free(program);
  bool over = false;
  for (const hoptest::StillScreen& screen : profile->still) {
    hoptest::GameSession game{launch};
    if (game.waitForWindow(profile->title).id == 0) {
      std::printf("idle %s: the window \"%s\" never showed\n%s", name.c_str(), profile->title,
                  game.stderrText().c_str());
      return 2;
    }
    // A still screen draws a frame or a few after a key and then none, so
    // these waits are bounded: waiting for frames that never come would
    // cost the harness's whole patience per key.
    for (const std::string& key : screen.keys) {
      game.key(key);
      game.waitFrames(3, 2s);
    }
    // A screen may draw a few frames once it appears (a fade, a redraw for
    // the window's exposure); what it costs afterwards is what counts.
    game.waitFrames(3, 2s);
    std::this_thread::sleep_for(1s);
    const long frames0 = game.frames(), ticks0 = hoptest::cpuTicks(game.pid());
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double ran = std::chrono::duration<double>(Clock::now() - t0).count();
    const long frames = game.frames() - frames0;
    const double cpu = double(hoptest::cpuTicks(game.pid()) - ticks0) / double(sysconf(_SC_CLK_TCK));
    const double percent = 100.0 * cpu / ran;
    const bool ok = game.running() && percent <= kGoalPercent;
    over = over || !ok;
    std::printf("idle %-10s %-24s %5.1f %% of a core, %6.1f frames a second, RSS %.0f MB: %s\n", name.c_str(),
                screen.name, percent, frames0 < 0 ? -1.0 : double(frames) / ran,
                double(hoptest::residentKB(game.pid())) / 1024.0,
                !game.running() ? "ENDED" : ok ? "PASS" : "OVER (goal 10 %)");
    std::fflush(stdout);
    game.key(profile->quit);
    game.waitExit();
  }
  return over ? 1 : 0;
}
