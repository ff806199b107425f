// Start-up, the frame loop and shut-down of the program.
#pragma once

#include <cstdint>
#include <functional>

struct SDL_Window;

namespace hop {
struct PadTable;
}

namespace roosterway {

// What each controller button means in this game.
hop::PadTable padTable();

class Juego;

// Returns the program's exit status.
int runGame(int argc, char** argv);

// Frames are at least this far apart (milliseconds): without vsync the loop
// sleeps out the rest, on every screen.
constexpr std::uint32_t kFramePeriodMs = 16;

// True when SDL chose a video driver that shows nothing ("offscreen",
// "dummy") without `requested` (SDL_VIDEODRIVER, comma-separated, any case)
// naming it.
bool driverWithoutDisplay(const char* driver, const char* requested);

// The rest of a frame's period, slept out whatever events arrive meanwhile.
void sleepOutFrame(std::uint32_t ms);

// On a still screen with nothing to draw the loop waits this long at most
// for an event: long enough to cost nothing, short enough that a controller
// plugged in or SIGTERM (which SDL only notices while it pumps) is seen at once.
constexpr std::uint32_t kStillWaitMs = 100;

// Until an event is pending or `ms` have passed; the event stays queued.
void waitForEvent(std::uint32_t ms);

// The frame loop until quitRequested: frame, swap and a sleep to the period
// while something is drawn; on a still screen with nothing changed, a wait
// for the next event instead. `ticks`, `delay` and `wait` are SDL_GetTicks,
// sleepOutFrame and waitForEvent unless a test gives its own.
void runLoop(Juego& game, SDL_Window* window, const std::function<std::uint32_t()>& ticks = {},
             const std::function<void(std::uint32_t)>& delay = {},
             const std::function<void(std::uint32_t)>& wait = {});

}  // namespace roosterway
