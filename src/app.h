#pragma once

#include "hopcommon/pads.h"

namespace lanehop {
// What each controller button means in this game.
hop::PadTable padTable();
// The whole program: window, world, loop. Returns the exit status.
int runGame();
}
