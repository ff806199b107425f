// Start-up, the paced frame loop and shut-down of the program.
#pragma once

namespace coopdash {

constexpr const char* kAtlasPath = "../objetos/ventana.png";

// Returns the program's exit status: 0, or 1 when SDL, the window or a file
// it needs fails (with a message naming it).
int runGame();

}  // namespace coopdash
