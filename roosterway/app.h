// Start-up, the frame loop and shut-down of the program.
#pragma once

namespace roosterway {

// Returns the program's exit status.
int runGame(int argc, char** argv);

}  // namespace roosterway
