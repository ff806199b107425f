// Start-up, the frame loop and shut-down of the program.
#pragma once

#include <cstdint>
#include <functional>

struct SDL_Window;

namespace roosterway {

class Juego;

// Returns the program's exit status.
int runGame(int argc, char** argv);

// Frames are at least this far apart (milliseconds): without vsync the loop
// sleeps out the rest, on every screen.
constexpr std::uint32_t kFramePeriodMs = 16;

// The frame loop until quitRequested: frame, swap, then a sleep to the
// period. `ticks` and `delay` are SDL_GetTicks and SDL_Delay unless a test
// gives its own.
void runLoop(Juego& game, SDL_Window* window, const std::function<std::uint32_t()>& ticks = {},
             const std::function<void(std::uint32_t)>& delay = {});

}  // namespace roosterway
