// Start-up, the paced frame loop and shut-down of the program.
#pragma once

namespace birdhop {

// Returns the program's exit status.
int runGame();

}  // namespace birdhop
