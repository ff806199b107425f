#pragma once

namespace lanehop {
// The whole program: window, world, loop. Returns the exit status.
int runGame();
}
