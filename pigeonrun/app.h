// Start-up, the paced frame loop and shut-down of the program.
#pragma once

namespace pigeonrun {

// Returns the program's exit status: 1 when SDL, the window or a file fails.
int runGame();

}  // namespace pigeonrun
