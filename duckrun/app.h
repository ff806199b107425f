// Start-up, the paced frame loop and shut-down of the program.
#pragma once

#include <string>

namespace duckrun {

// The line printed when SDL chose a video driver that shows nothing
// ("offscreen" or "dummy") although SDL_VIDEODRIVER (`requested`, may be
// null; entries separated by commas, any case) did not ask for it; empty
// when the driver is fine.
std::string noDisplayLine(const char* driver, const char* requested);

// Fixed GL state: clear colour, the perspective of the 1000 x 480 window,
// depth test, model-view matrix current.
void setupGL();

// Returns the program's exit status.
int runGame(int argc, char** argv);

}  // namespace duckrun
