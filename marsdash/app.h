// Start-up, the frame loop and shut-down of the program.
#pragma once

namespace marsdash {

// Returns the program's exit status.
int runGame();

}  // namespace marsdash
