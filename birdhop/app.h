// Start-up, the paced frame loop and shut-down of the program.
#pragma once

#include <string>

namespace birdhop {

// The line printed when SDL chose a video driver that shows nothing
// ("offscreen" or "dummy") although SDL_VIDEODRIVER (`requested`, may be
// null; entries separated by commas, any case) did not ask for it; empty
// when the driver is fine.
std::string noDisplayLine(const char* driver, const char* requested);

// Returns the program's exit status.
int runGame();

}  // namespace birdhop
