// Start-up, the paced frame loop and shut-down of the program.
#pragma once

namespace coopdash {

constexpr const char* kAtlasPath = "../objetos/ventana.png";

// Whether the video driver SDL picked shows nothing ("offscreen", "dummy")
// though SDL_VIDEODRIVER (`asked`, comma-separated, any case; may be null)
// did not name it: there is no display.
bool headlessDriverUnasked(const char* driver, const char* asked);

// Returns the program's exit status: 0, or 1 when SDL, the window or a file
// it needs fails (with a message naming it).
int runGame();

}  // namespace coopdash
