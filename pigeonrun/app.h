// Start-up, the paced frame loop and shut-down of the program.
#pragma once

namespace pigeonrun {

// Returns the program's exit status: 1 when SDL, the window or a file fails,
// or when there is no screen to show the window on.
int runGame();

// Whether SDL_VIDEODRIVER (`requested`, null when unset) names `driver`:
// one of its comma-separated entries, in any case.
bool videoDriverRequested(const char* requested, const char* driver);

}  // namespace pigeonrun
