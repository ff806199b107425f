// Start-up, the frame loop and shut-down of the program.
#pragma once

namespace hop {
struct PadTable;
}

namespace boardhop {

// What each controller button means in this game.
hop::PadTable padTable();

// Returns the program's exit status.
int runGame();

// True when SDL chose a video driver that shows nothing ("offscreen",
// "dummy") without `requested` (SDL_VIDEODRIVER, comma-separated, any case)
// naming it.
bool driverWithoutDisplay(const char* driver, const char* requested);

}  // namespace boardhop
