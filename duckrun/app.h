// Start-up, the paced frame loop and shut-down of the program.
#pragma once

namespace duckrun {

// Fixed GL state: clear colour, the perspective of the 1000 x 480 window,
// depth test, model-view matrix current.
void setupGL();

// Returns the program's exit status.
int runGame(int argc, char** argv);

}  // namespace duckrun
